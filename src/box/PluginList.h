#pragma once
#include "box/PluginHost.h"

#include <vector>

namespace box {
// Shows the plug-ins by name; returns the index chosen with OK, or -1 on exit.
int choosePlugin(const std::vector<PluginInfo>& plugins);
} // namespace box
