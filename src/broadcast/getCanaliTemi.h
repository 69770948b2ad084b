#pragma once
// Reads the channel list (PID 0xD3, table 0x91) and the theme list (table 0x92)
// into channel_ids, channel_paths, nb_channels, temalist and nb_themes.
// 0 on success, -1 when the demux or a filter fails, -2 when a read gives nothing.
int getCanaliTemi();

// Decoders of one section each, shared with the offline logger.
void decodeChannelSection(const unsigned char* section, int length);
void decodeThemeSection(const unsigned char* section, int length);
