#include "OfflineFixture.h"

#include <dirent.h>

std::vector<std::string> OfflineFixture::listing() const
{
    std::vector<std::string> names;
    if (DIR* d = opendir(host::hostPath("/hdd/orvalis").c_str())) {
        while (dirent* e = readdir(d))
            if (std::string(e->d_name) != "." && std::string(e->d_name) != "..")
                names.push_back(e->d_name);
        closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}
