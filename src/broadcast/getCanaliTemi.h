#pragma once
#include <cstddef>
#include <functional>

// Reads the channel list (PID 0xD3, table 0x91) and the theme list (table 0x92)
// into channel_ids, channel_paths, nb_channels, temalist and nb_themes.
// 0 on success, -1 when the demux or a filter fails, -2 when a read gives nothing.
int getCanaliTemi();

// Decoders of one section each, shared with the offline logger.
void decodeChannelSection(const unsigned char* section, int length);
// Names are lowered (tolower) when lowered is set; placed, when given, hears of
// every record that found a slot.
void decodeThemeSection(const unsigned char* section, int length, bool lowered = true,
                        const std::function<void(int slot, bool theme)>& placed = {});

// Places one theme name (a new group when theme is set, else a sub-theme of the
// group at head) into temalist and nb_themes, copying at most 15 bytes. Returns the
// slot, or -1 when it has no place: a 17th theme, a full group, no theme yet.
int placeThemeName(const char* name, size_t length, bool theme, bool lowered, int& head);
