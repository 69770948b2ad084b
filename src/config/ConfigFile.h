#pragma once
// orvalis.cfg: the host's plug-in description lines followed by the plug-in's
// settings, channel filter, offline log figures and last search strings.
#include <ctime>

// Reads the first configuration file found into the shared globals; warns once
// when the offline data are more than six days old.
void LoadCfg();
// Rewrites the file LoadCfg found, whole, from the globals. Writes nothing when
// LoadCfg found no file.
void WriteCfg();

// Where "now" comes from for the out-of-date warning; null restores time().
void setConfigClock(time_t (*now)());

// Seconds after LogDate from which offline data count as out of date (six days).
constexpr long long kOfflineDataMaxAge = 518400;
