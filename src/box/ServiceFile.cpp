#include "box/ServiceFile.h"
#include "host/platform/FileLock.h"
#include "host/platform/FileSystem.h"

#include <cerrno>
#include <set>
#include <sstream>

namespace box {
namespace {

// A name on one line: a tab or a line break would end its field.
std::string oneLine(const std::string& name)
{
    std::string out = name;
    for (char& c : out)
        if (static_cast<unsigned char>(c) < 0x20)
            c = ' ';
    return out;
}

} // namespace

std::string ServiceFile::merged(const std::string& text, const std::vector<eServiceInterface::Entry>& found)
{
    std::set<eServiceReference> listed;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        size_t tab = line.find('\t');
        if (tab != std::string::npos && line[0] != '#')
            listed.insert(eServiceReference(eString(line.substr(0, tab))));
    }
    std::string out = text;
    for (const auto& e : found) {
        if (!e.ref.valid() || !listed.insert(e.ref).second)
            continue;
        if (!out.empty() && out.back() != '\n')
            out += '\n';
        out += std::string(e.ref.toString()) + "\t" + oneLine(e.name) + "\n";
    }
    return out;
}

bool ServiceFile::save(const std::vector<eServiceInterface::Entry>& found, std::string* error)
{
    const std::string path = kPath;
    const std::string dir = path.substr(0, path.rfind('/'));
    host::makeDirectories(dir);
    // Another box on the same root merges its own scan in turn, not over this one.
    host::FileLock lock(dir + "/services.lock");
    std::string text, why;
    if (!host::readRegularFile(kPath, &text, kMaxBytes, &why) && errno != ENOENT) {
        *error = "the service list is kept as it is: " + why;
        return false;
    }
    std::string updated = merged(text, found);
    if (updated == text)
        return true;
    return host::writeFileInRoot(kPath, updated, error);
}

} // namespace box
