#include "box/InstallLayout.h"

#include <unistd.h>

namespace box {

InstallLayout InstallLayout::find(const std::string& exeDir)
{
    InstallLayout layout;
    const std::string installedPlugin = exeDir + "/../lib/orvalis/orvalis.so";
    const std::string installedSkin = exeDir + "/../share/orvalis/skins/default.skin";
    layout.plugin = access(installedPlugin.c_str(), R_OK) == 0 ? installedPlugin : exeDir + "/../orvalis.so";
    layout.skin = access(installedSkin.c_str(), R_OK) == 0 ? installedSkin
                                                          : std::string(ORVALIS_DATA_DIR) + "/skins/default.skin";
    return layout;
}

} // namespace box
