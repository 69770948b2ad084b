#include "box/BoxOptions.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace box {

const char* boxUsage()
{
    return "usage: box [options]\n"
           "  --root DIR            folder that stands for the receiver's / (default: box-root)\n"
           "  --plugin FILE         plug-in shared object (default: the one built with the box)\n"
           "  --ts FILE             a transport stream: one transponder (repeatable; - reads standard input)\n"
           "  --dvb-adapter N       use the kernel demux /dev/dvb/adapterN/demux0 instead\n"
           "  --realtime            play streams at their own pace instead of as fast as possible\n"
           "  --service REF         service playing at start (default: the first service found)\n"
           "  --epg-service REF     EPG service written into a newly installed orvalis.cfg\n"
           "  --display KIND        window, web or headless (default: headless with --keys,\n"
           "                        window with a graphical display, web otherwise)\n"
           "  --listen ADDR:PORT    address of the web display (default: 127.0.0.1:8080)\n"
           "  --scale N             window display scale (1 or 2)\n"
           "  --keys SCRIPT         headless key script, e.g. \"green ok text:tg1 shot:list exit\";\n"
           "                        keys left when the plug-in returns start it again\n"
           "  --keys-file FILE      the key script from a file\n"
           "  --screenshot-dir DIR  where shot:NAME writes NAME.png\n"
           "  --dump FILE           one JSON line per step describing the screen\n"
           "  --skin FILE           skin file (default: the skin shipped with the box)\n"
           "  --list-services       print the services found in the streams (reference, name,\n"
           "                        provider, one per line) and exit\n"
           "  --quiet               no log lines on standard error\n"
           "  --help                this text\n";
}

std::optional<BoxOptions> parseBoxOptions(int argc, char** argv, std::string* error, bool* help)
{
    BoxOptions o;
    *help = false;
    auto fail = [&](const std::string& msg) {
        *error = msg;
        return std::nullopt;
    };
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&](std::string* out) {
            if (i + 1 >= argc)
                return false;
            *out = argv[++i];
            return true;
        };
        std::string v;
        if (a == "--help" || a == "-h") {
            *help = true;
            return o;
        } else if (a == "--realtime") {
            o.realtime = true;
        } else if (a == "--quiet") {
            o.quiet = true;
        } else if (a == "--list-services") {
            o.listServices = true;
        } else if (!value(&v)) {
            return fail(a.rfind("--", 0) == 0 ? "option " + a + " needs a value or is unknown" : "unexpected argument " + a);
        } else if (a == "--root") {
            o.root = v;
        } else if (a == "--plugin") {
            o.plugin = v;
        } else if (a == "--ts") {
            o.streams.push_back(v);
        } else if (a == "--dvb-adapter") {
            char* end = nullptr;
            long n = std::strtol(v.c_str(), &end, 10);
            if (*end || n < 0 || n > 255)
                return fail("--dvb-adapter takes a number from 0 to 255");
            o.dvbAdapter = static_cast<int>(n);
        } else if (a == "--display") {
            if (v != "window" && v != "web" && v != "headless")
                return fail("--display takes window, web or headless");
            o.display = v;
        } else if (a == "--listen") {
            o.listen = v;
        } else if (a == "--scale") {
            o.scale = std::atoi(v.c_str());
            if (o.scale < 1 || o.scale > 4)
                return fail("--scale takes 1 to 4");
        } else if (a == "--keys") {
            o.keys += " " + v;
        } else if (a == "--keys-file") {
            std::ifstream in(v);
            if (!in)
                return fail("cannot read key script " + v);
            std::stringstream s;
            s << in.rdbuf();
            o.keys += " " + s.str();
        } else if (a == "--screenshot-dir") {
            o.screenshotDir = v;
        } else if (a == "--dump") {
            o.dumpFile = v;
        } else if (a == "--skin") {
            o.skin = v;
        } else if (a == "--service") {
            o.service = v;
        } else if (a == "--epg-service") {
            o.epgService = v;
        } else {
            return fail("unknown option " + a);
        }
    }
    if (o.dvbAdapter >= 0 && !o.streams.empty())
        return fail("--dvb-adapter and --ts exclude each other");
    if (o.display.empty()) {
        bool scripted = !o.keys.empty() || !o.dumpFile.empty() || !o.screenshotDir.empty();
        const char* d = std::getenv("DISPLAY");
        const char* w = std::getenv("WAYLAND_DISPLAY");
        o.display = scripted ? "headless" : ((d && *d) || (w && *w)) ? "window" : "web";
    }
    return o;
}

} // namespace box
