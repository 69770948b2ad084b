#pragma once
// The EPG cache as text, one event per line, for scripts and tests:
// service name, start (UTC, YYYY-MM-DD HH:MM:SS), duration (H:MM:SS), event name,
// separated by tabs. A service the box does not know is named by its reference.
#include <string>

namespace box {

std::string eventListing();

} // namespace box
