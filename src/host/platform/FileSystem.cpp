#include "host/platform/FileSystem.h"

#include <cerrno>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace host {
namespace {
std::string g_root;
}

void setFileSystemRoot(const std::string& dir)
{
    g_root = dir;
    while (g_root.size() > 1 && g_root.back() == '/')
        g_root.pop_back();
    if (g_root == "/")
        g_root.clear();
}

const std::string& fileSystemRoot() { return g_root; }

std::string hostPath(const std::string& receiverPath)
{
    // Normalise lexically: "." and empty parts vanish, ".." pops but never past the top.
    std::vector<std::string> parts;
    size_t i = 0;
    while (i <= receiverPath.size()) {
        size_t j = receiverPath.find('/', i);
        if (j == std::string::npos)
            j = receiverPath.size();
        std::string part = receiverPath.substr(i, j - i);
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        i = j + 1;
    }
    std::string out = g_root;
    for (const auto& p : parts)
        out += "/" + p;
    if (!receiverPath.empty() && receiverPath.back() == '/' && !parts.empty())
        out += "/";
    if (out.empty())
        out = "/";
    return out;
}

bool makeDirectories(const std::string& receiverPath)
{
    std::string path = hostPath(receiverPath);
    for (size_t i = 1; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == '/') {
            std::string prefix = path.substr(0, i);
            if (mkdir(prefix.c_str(), 0755) != 0 && errno != EEXIST)
                return false;
        }
    }
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool writeFileAtomically(const std::string& hostFile, const std::string& data)
{
    std::string tmp = hostFile + ".tmp";
    FILE* f = std::fopen(tmp.c_str(), "wb");
    if (!f)
        return false;
    bool ok = std::fwrite(data.data(), 1, data.size(), f) == data.size();
    ok = (std::fflush(f) == 0) && ok;
    ok = (fsync(fileno(f)) == 0) && ok;
    ok = (std::fclose(f) == 0) && ok;
    if (!ok || std::rename(tmp.c_str(), hostFile.c_str()) != 0) {
        std::remove(tmp.c_str());
        return false;
    }
    return true;
}

} // namespace host
