#pragma once
// orvalis.cfg: the host's plug-in description lines followed by the plug-in's
// settings, channel filter, offline log figures and last search strings.
#include <ctime>
#include <string>

// Reads the first configuration file found into the shared globals; warns once
// when the offline data are more than six days old.
void LoadCfg();
// Rewrites the file LoadCfg found, whole. The file is read again first and only
// the settings changed since LoadCfg are taken from the globals, so that another
// box on the same root keeps what it saved meanwhile (a logging run's figures).
// Writes nothing when LoadCfg found no file. False, with *why, when the file could
// not be replaced; the old file is then left whole.
bool WriteCfg(std::string* why = nullptr);

// Where "now" comes from for the out-of-date warning; null restores time().
void setConfigClock(time_t (*now)());

// Seconds after LogDate from which offline data count as out of date (six days).
constexpr long long kOfflineDataMaxAge = 518400;

// The ranges settings are bound to when read: the setup dialog's timer margins,
// and local time offsets of the world's time zones (UTC-12 to UTC+14) with room.
constexpr int kMaxTimerStartOffset = 59;
constexpr int kMaxTimerEndOffset = 60;
constexpr int kMaxLocalTimeOffset = 14 * 3600;
