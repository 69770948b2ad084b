#pragma once
// Where the box finds the plug-in and the skin: beside an installed box (the layout
// of cmake/OrvalisPackaging.cmake, relative to the program, so the installation can
// move) or, in a build tree, where the build puts them.
#include <string>

namespace box {

struct InstallLayout {
    std::string plugin; // the plug-in's shared object
    std::string skin;   // the default skin file

    // exeDir: the folder of the running program.
    static InstallLayout find(const std::string& exeDir);
};

} // namespace box
