#pragma once
// A receiver file system in a temporary folder with the offline directory made,
// shared by the offline file fuzz targets.
#include "frame/globals.h"
#include "host/platform/FileSystem.h"
#include "host/platform/Log.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace offlinefuzz {

inline void setUpOnce()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    host::setLogQuiet(true);
    std::string pattern = (std::filesystem::temp_directory_path() / "orvalis-offlinefuzz-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        abort();
    host::setFileSystemRoot(pattern);
    host::makeDirectories("/hdd/orvalis");
    offlinePath = "/hdd/orvalis/";
    nsp_curr = "820000";
}

inline void writeFile(const char* name, const uint8_t* data, size_t size)
{
    FILE* f = std::fopen(host::hostPath(std::string("/hdd/orvalis/") + name).c_str(), "wb");
    if (!f)
        abort();
    std::fwrite(data, 1, size, f);
    std::fclose(f);
}

} // namespace offlinefuzz
