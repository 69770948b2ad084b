// The box: a receiver of our own that runs plug-ins written for the receiver's toolkit.
#include "box/BoxOptions.h"
#include "box/Displays.h"
#include "box/PluginHost.h"
#include "box/PluginList.h"
#include "box/Receiver.h"
#include "host/gfx/eSkin.h"
#include "host/gui/Screen.h"
#include "host/platform/DeviceRegistry.h"
#include "host/platform/FileSystem.h"
#include "host/platform/Log.h"
#include "host/service/TimerStore.h"
#include "host/service/eServiceInterface.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

std::string executableDir()
{
    char path[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0)
        return ".";
    std::string s(path, static_cast<size_t>(n));
    return s.substr(0, s.rfind('/'));
}

} // namespace

int main(int argc, char** argv)
{
    std::string error;
    bool help = false;
    auto options = box::parseBoxOptions(argc, argv, &error, &help);
    if (help) {
        std::fputs(box::boxUsage(), stdout);
        return 0;
    }
    if (!options) {
        std::fprintf(stderr, "box: %s\n%s", error.c_str(), box::boxUsage());
        return 2;
    }
    host::setLogQuiet(options->quiet);

    char resolved[PATH_MAX];
    std::string mk = "mkdir -p -- '" + options->root + "'";
    if (options->root.find('\'') != std::string::npos || std::system(mk.c_str()) != 0 ||
        !realpath(options->root.c_str(), resolved)) {
        std::fprintf(stderr, "box: cannot use %s as the file system root\n", options->root.c_str());
        return 2;
    }
    host::setFileSystemRoot(resolved);

    std::string skin = options->skin.empty() ? std::string(ORVALIS_DATA_DIR) + "/skins/default.skin" : options->skin;
    if (!eSkin::load(skin))
        host::logMessage("box", "cannot load skin %s; using the built-in one", skin.c_str());

    box::Receiver receiver;
    if (!receiver.setUp(*options, &error)) {
        std::fprintf(stderr, "box: %s\n", error.c_str());
        return 2;
    }

    if (options->listServices) {
        for (const auto& entry : eServiceInterface::getInstance()->services())
            std::printf("%s\t%s\t%s\n", entry.ref.toString().c_str(), entry.name.c_str(), entry.provider.c_str());
        return 0;
    }

    auto display = box::makeDisplay(*options, &error);
    if (!display.frontend) {
        std::fprintf(stderr, "box: %s\n", error.c_str());
        return 2;
    }
    host::setFrontend(display.frontend.get());
    // Table reads block the GUI thread; the screen keeps following them.
    host::setBlockingHook([] { host::refreshScreen(); });

    host::TimerStore::instance().load();

    std::string builtin = options->plugin.empty() ? executableDir() + "/../orvalis.so" : options->plugin;
    box::PluginHost plugins(builtin);
    if (!plugins.installDefaultConfig(options->epgService, &error))
        host::logMessage("box", "%s", error.c_str());

    auto found = plugins.findPlugins();
    if (!options->plugin.empty()) {
        found.clear();
        found.push_back(box::PluginInfo{"plug-in", "", "", options->plugin});
    }
    if (found.empty()) {
        std::fprintf(stderr, "box: no plug-in found (looked for descriptions in %s/var/tuxbox/plugins and beside %s)\n",
                     resolved, builtin.c_str());
        return 2;
    }
    int chosen = found.size() == 1 ? 0 : box::choosePlugin(found);
    int result = 0;
    // A key script that goes on after the plug-in returned starts it again, as a user
    // would from the receiver's menu.
    for (bool again = chosen >= 0; again;) {
        host::logMessage("box", "starting %s (%s)", found[chosen].name.c_str(), found[chosen].objectPath.c_str());
        if (!plugins.run(found[chosen], &result, &error)) {
            std::fprintf(stderr, "box: cannot run %s: %s\n", found[chosen].objectPath.c_str(), error.c_str());
            return 2;
        }
        host::logMessage("box", "plugin_exec returned %d", result);
        if (int held = eServiceInterface::getInstance()->outstandingRefs())
            host::logMessage("box", "the plug-in did not release %d service records", held);
        again = display.headless && !display.headless->scriptCompleted();
    }
    if (display.headless)
        display.headless->finish(result);
    host::setFrontend(nullptr);
    return 0;
}
