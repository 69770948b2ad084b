// The box: a receiver of our own that runs plug-ins written for the receiver's toolkit.
#include "box/BoxOptions.h"
#include "box/Displays.h"
#include "box/EventListing.h"
#include "box/InstallLayout.h"
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
    for (int i = 1; i < argc; ++i)
        if (std::string(argv[i]) == "--version") {
            std::printf("orvalis-box %s\n", ORVALIS_VERSION);
            return 0;
        }
    std::string error;
    bool help = false;
    auto options = box::parseBoxOptions(argc, argv, &error, &help);
    if (help) {
        std::fputs(box::boxUsage(), stdout);
        std::fputs(box::clockInForce(options ? *options : box::BoxOptions()), stdout);
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
    // The receiver's hard disk is mounted at /hdd; plug-ins keep their data below it.
    host::makeDirectories("/hdd");

    const box::InstallLayout layout = box::InstallLayout::find(executableDir());
    std::string skin = options->skin.empty() ? layout.skin : options->skin;
    if (!eSkin::load(skin))
        host::logMessage("box", "cannot load skin %s; using the built-in one", skin.c_str());

    box::Receiver receiver;
    // A box set up afresh names the service that carries the guide in the plug-in's
    // new settings, as --epg-service would; so do settings that name no EPG service.
    const bool unsetEpgService = options->epgService.empty() && !options->listServices && !options->listEvents &&
                          !box::PluginHost::epgServiceConfigured();
    receiver.findEpgService(unsetEpgService);
    if (!receiver.setUp(*options, &error)) {
        std::fprintf(stderr, "box: %s\n", error.c_str());
        return 2;
    }

    if (options->listEvents) {
        std::fputs(box::eventListing().c_str(), stdout);
        return 0;
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

    std::string builtin = options->plugin.empty() ? layout.plugin : options->plugin;
    box::PluginHost plugins(builtin);
    std::string epgService = options->epgService;
    if (unsetEpgService && receiver.epgService().valid())
        epgService = receiver.epgService().toString();
    else if (unsetEpgService && !options->streams.empty())
        host::logMessage("box", "no service of the streams carries the EPG tables (PIDs 0xD2 and 0xD3)");
    if (!plugins.installDefaultConfig(epgService, &error))
        host::logMessage("box", "%s", error.c_str());
    else if (unsetEpgService && receiver.epgService().valid() && !box::PluginHost::nameEpgService(epgService, &error))
        host::logMessage("box", "the EPG service is not set: %s", error.c_str());

    std::vector<std::string> passedOver;
    auto found = plugins.findPlugins(&passedOver);
    if (!options->plugin.empty()) {
        found.clear();
        found.push_back(box::PluginInfo{"plug-in", "", "", options->plugin});
    }
    if (found.empty()) {
        // Say what was there: an empty or foreign orvalis.cfg is not the same as nothing at all.
        for (const auto& why : passedOver)
            std::fprintf(stderr, "box: %s\n", why.c_str());
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
    int status = 0;
    if (display.headless) {
        display.headless->finish(result);
        const auto& failed = display.headless->outputErrors();
        if (!failed.empty() && !options->ignoreOutputErrors) {
            std::fprintf(stderr, "box: %s (%zu write failures in all)\n", failed.front().c_str(), failed.size());
            status = 4;
        }
    }
    host::setFrontend(nullptr);
    return status;
}
