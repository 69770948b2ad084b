#include "box/PluginHost.h"
#include "host/platform/FileSystem.h"
#include "host/service/eServiceReference.h"

#include <algorithm>
#include <cstring>
#include <cerrno>
#include <dirent.h>
#include <dlfcn.h>
#include <sstream>
#include <sys/stat.h>

namespace box {
namespace {

bool exists(const std::string& hostFile)
{
    struct stat st {};
    return stat(hostFile.c_str(), &st) == 0;
}

// Plug-in descriptions are a few lines; anything larger is not one.
constexpr size_t kMaxDescriptionBytes = 64 << 10;

std::string valueOf(const std::string& line, const char* key)
{
    std::string k = std::string(key) + "=";
    if (line.rfind(k, 0) != 0)
        return {};
    std::string v = line.substr(k.size());
    while (!v.empty() && (v.back() == '\r' || v.back() == '\n'))
        v.pop_back();
    return v;
}

} // namespace

bool PluginHost::validServiceText(const std::string& text)
{
    for (unsigned char c : text)
        if (c < 0x20 || c == 0x7f)
            return false; // a line break would start a setting of its own
    return eServiceReference(eString(text)).valid();
}

bool PluginHost::validEpgServiceText(const std::string& text)
{
    if (!validServiceText(text) || text.find('=') != std::string::npos)
        return false;
    return eServiceReference(eString(text.substr(0, text.rfind(':') + 1))) == eServiceReference(eString(text));
}

std::string PluginHost::defaultConfigText(const std::string& epgServiceRef)
{
    std::string text = "name=Orvalis\n"
                       "desc=Weekly programme guide\n"
                       "depend=\n"
                       "type=2\n"
                       "needfb=0\n"
                       "needrc=0\n"
                       "needlcd=0\n"
                       "enigmaplugin=1\n";
    if (!epgServiceRef.empty() && validEpgServiceText(epgServiceRef))
        text += "EPGService=" + epgServiceRef + "\n";
    return text;
}

namespace {

// The orvalis.cfg the plug-in reads: the first of its folders that holds one.
std::string installedConfig()
{
    for (const char* dir : PluginHost::kPluginDirs)
        if (exists(host::hostPath(std::string(dir) + "/orvalis.cfg")))
            return std::string(dir) + "/orvalis.cfg";
    return {};
}

constexpr const char* kEpgKey = "EPGService=";

// A line that sets the EPG service, as the plug-in writes it; its reference ends at the
// last ':'. The plug-in writes the invalid reference when none was chosen, and a DVB
// service id 0 (the null service) names no service either.
bool namesValidService(const std::string& line)
{
    std::string v = line.substr(std::strlen(kEpgKey));
    eServiceReference ref(eString(v.substr(0, v.rfind(':') + 1)));
    return ref.valid() && !(ref.type == eServiceReference::idDVB && ref.data[1] == 0);
}

// The lines of the installed orvalis.cfg, and whether the last "EPGService=" line (the
// one the plug-in keeps) names a service.
bool readInstalledConfig(std::string* path, std::vector<std::string>* lines, bool* named, std::string* error)
{
    *path = installedConfig();
    std::string text;
    if (path->empty()) {
        if (error)
            *error = "no orvalis.cfg is installed";
        return false;
    }
    if (!host::readRegularFile(*path, &text, kMaxDescriptionBytes, error))
        return false;
    std::istringstream in(text);
    *named = false;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(kEpgKey, 0) == 0)
            *named = namesValidService(line);
        lines->push_back(line);
    }
    return true;
}

} // namespace

bool PluginHost::configInstalled() { return !installedConfig().empty(); }

bool PluginHost::epgServiceConfigured()
{
    std::string path;
    std::vector<std::string> lines;
    bool named = false;
    return readInstalledConfig(&path, &lines, &named, nullptr) && named;
}

bool PluginHost::nameEpgService(const std::string& epgServiceRef, std::string* error)
{
    if (!validEpgServiceText(epgServiceRef)) {
        if (error)
            *error = "not a service reference: \"" + epgServiceRef + "\"";
        return false;
    }
    std::string path;
    std::vector<std::string> lines;
    bool named = false;
    if (!readInstalledConfig(&path, &lines, &named, error))
        return false;
    if (named)
        return true;
    // The first EPG service line becomes the found one, where the plug-in keeps it;
    // later ones would undo it.
    std::string out;
    bool placed = false;
    for (const auto& line : lines) {
        if (line.rfind(kEpgKey, 0) != 0)
            out += line + "\n";
        else if (!placed)
            out += kEpgKey + epgServiceRef + "\n";
        placed = placed || line.rfind(kEpgKey, 0) == 0;
    }
    if (!placed)
        out += kEpgKey + epgServiceRef + "\n";
    return host::writeFileInRoot(path, out, error);
}

bool PluginHost::installDefaultConfig(const std::string& epgServiceRef, std::string* error) const
{
    if (!epgServiceRef.empty() && !validEpgServiceText(epgServiceRef)) {
        if (error)
            *error = "not a service reference: \"" + epgServiceRef + "\"";
        return false;
    }
    if (configInstalled())
        return true;
    if (!host::makeDirectories(kPluginDirs[0])) {
        if (error)
            *error = std::string("cannot create ") + kPluginDirs[0] + " in the root";
        return false;
    }
    std::string why;
    if (!host::writeFileInRoot(std::string(kPluginDirs[0]) + "/orvalis.cfg", defaultConfigText(epgServiceRef), &why)) {
        if (error)
            *error = why;
        return false;
    }
    return true;
}

std::vector<PluginInfo> PluginHost::findPlugins(std::vector<std::string>* passedOver) const
{
    auto passOver = [&](const std::string& why) {
        if (passedOver)
            passedOver->push_back(why);
    };
    std::vector<PluginInfo> found;
    for (const char* dir : kPluginDirs) {
        std::string hostDir = host::hostPath(dir);
        DIR* d = opendir(hostDir.c_str());
        if (!d)
            continue;
        std::vector<std::string> names;
        while (dirent* e = readdir(d)) {
            std::string n = e->d_name;
            if (n.size() > 4 && n.compare(n.size() - 4, 4, ".cfg") == 0)
                names.push_back(n);
        }
        closedir(d);
        std::sort(names.begin(), names.end());
        for (const auto& n : names) {
            PluginInfo info;
            std::string base = n.substr(0, n.size() - 4);
            info.name = base;
            info.configPath = std::string(dir) + "/" + n;
            std::string text, why;
            if (!host::readRegularFile(info.configPath, &text, kMaxDescriptionBytes, &why)) {
                passOver(why);
                continue;
            }
            std::istringstream in(text);
            std::string line;
            bool isPlugin = false;
            while (std::getline(in, line)) {
                if (auto v = valueOf(line, "name"); !v.empty())
                    info.name = v;
                if (auto v = valueOf(line, "desc"); !v.empty())
                    info.description = v;
                if (valueOf(line, "enigmaplugin") == "1")
                    isPlugin = true;
            }
            if (!isPlugin) {
                passOver(info.configPath + (text.empty() ? " is empty" : " has no \"enigmaplugin=1\" line") +
                         ", so it does not describe a plug-in");
                continue;
            }
            std::string beside = hostDir + "/" + base + ".so";
            info.objectPath = exists(beside) ? beside : (base == "orvalis" ? m_builtinObject : std::string());
            if (!info.objectPath.empty())
                found.push_back(info);
            else
                passOver(info.configPath + ": no " + base + ".so beside it");
        }
    }
    return found;
}

bool PluginHost::run(const PluginInfo& plugin, int* result, std::string* error) const
{
    // RTLD_GLOBAL is not needed: the plug-in finds the host library already loaded by the box.
    void* handle = dlopen(plugin.objectPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        if (error)
            *error = dlerror();
        return false;
    }
    using Entry = int (*)(void*);
    auto entry = reinterpret_cast<Entry>(dlsym(handle, "plugin_exec"));
    if (!entry) {
        if (error)
            *error = plugin.objectPath + " has no plugin_exec";
        dlclose(handle);
        return false;
    }
    *result = entry(nullptr);
    // Unloaded when it returns, as the receiver unloads a plug-in it has run: the
    // next start begins from the start-up values of its globals, not from what the
    // last run left in them.
    dlclose(handle);
    return true;
}

} // namespace box
