#pragma once
// The receiver's plug-in list: description files (*.cfg) in the plug-in folders
// of the box's file system, and loading a plug-in's shared object.
#include <string>
#include <vector>

namespace box {

struct PluginInfo {
    std::string name;        // "name=" line, or the file's base name
    std::string description; // "desc=" line
    std::string configPath;  // receiver path of the .cfg
    std::string objectPath;  // path of the .so on this machine
};

class PluginHost {
public:
    static constexpr const char* kPluginDirs[] = {"/var/tuxbox/plugins", "/lib/tuxbox/plugins", "/usr/lib/tuxbox/plugins"};

    // builtinObject: the plug-in built with the box, used when a description has no .so beside it.
    explicit PluginHost(std::string builtinObject) : m_builtinObject(std::move(builtinObject)) {}

    // A plug-in folder of the box's file system holds an orvalis.cfg.
    static bool configInstalled();
    // The installed orvalis.cfg has an "EPGService=" line with a valid reference.
    static bool epgServiceConfigured();
    // Names the EPG service in an installed orvalis.cfg that names none (no
    // "EPGService=" line, or one of an invalid reference, as the plug-in writes
    // when none was chosen); every other line stays as it is. True when the file
    // names a service afterwards.
    static bool nameEpgService(const std::string& epgServiceRef, std::string* error);
    // Writes /var/tuxbox/plugins/orvalis.cfg when no plug-in folder holds one:
    // the description lines and, when given, the EPG service to read.
    bool installDefaultConfig(const std::string& epgServiceRef, std::string* error) const;
    // The description text; a reference that is not valid (see validServiceText) is left out.
    static std::string defaultConfigText(const std::string& epgServiceRef);
    // A service reference in text form, on one line.
    static bool validServiceText(const std::string& text);
    // A reference the plug-in reads back from its settings line as given: no
    // '=' (the line would be taken for another setting, "type=" first) and
    // nothing after the last ':' (the plug-in drops it).
    static bool validEpgServiceText(const std::string& text);

    // The plug-ins described in the plug-in folders; each description passed
    // over is named in *passedOver with the reason.
    std::vector<PluginInfo> findPlugins(std::vector<std::string>* passedOver = nullptr) const;

    // dlopens the object, calls its plugin_exec and unloads it again; false (with *error)
    // when it cannot be run.
    bool run(const PluginInfo& plugin, int* result, std::string* error) const;

private:
    std::string m_builtinObject;
};

} // namespace box
