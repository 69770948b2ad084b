#include "box/BoxOptions.h"
#include "box/PluginHost.h"
#include "host/platform/FileSystem.h"

#include <cstdio>
#include <cstdlib>

namespace box {

const char* boxUsage()
{
    return "usage: orvalis-box [options]\n"
           "  --root DIR            folder that stands for the receiver's / (default: box-root)\n"
           "  --plugin FILE         plug-in shared object (default: the one built with the box)\n"
           "  --ts FILE             a transport stream: one transponder (repeatable; - reads standard input).\n"
           "                        Regular files (also as standard input) start over at their end;\n"
           "                        pipes, FIFOs and devices are live: played as they come, never again\n"
           "  --dvb-adapter N       use the kernel demux /dev/dvb/adapterN/demux0 instead\n"
           "  --realtime            play streams at their own pace instead of as fast as possible\n"
           "  --service REF         service playing at start (default: the first service found)\n"
           "  --epg-service REF     EPG service written into a newly installed orvalis.cfg\n"
           "                        (default: the first service whose PMT lists PIDs 0xD2 and 0xD3,\n"
           "                        also written into an orvalis.cfg that names no EPG service)\n"
           "  --display KIND        window, web or headless (default: headless with --keys,\n"
           "                        window with a graphical display, web otherwise)\n"
           "  --listen ADDR:PORT    address of the web display (default: 127.0.0.1:8080)\n"
           "  --scale N             window display scale (1 to 4)\n"
           "  --keys SCRIPT         headless key script, e.g. \"green ok text:tg1 shot:list exit\";\n"
           "                        keys left when the plug-in returns start it again\n"
           "  --keys-file FILE      the key script from a file\n"
           "  --screenshot-dir DIR  where shot:NAME writes NAME.png (default: the current folder)\n"
           "  --dump FILE           one JSON line per step describing the screen\n"
           "  --ignore-output-errors  exit 0 even when the dump or a screenshot could not be written\n"
           "  --skin FILE           skin file (default: the skin shipped with the box)\n"
           "  --list-services       print the services the box knows, from the streams and from\n"
           "                        its service list (reference, name, provider, one per line) and exit\n"
           "  --list-events         print the EPG cache after the scan (service, start UTC,\n"
           "                        duration, event name, one per line) and exit\n"
           "  --clock SOURCE        the box's clock: system (the default: the system time, which\n"
           "                        faketime moves) or stream (the time the tuned stream sends in\n"
           "                        its TDT/TOT; without them, the latest start of a present event\n"
           "                        in its EIT; else the system time)\n"
           "  --quiet               no log lines on standard error\n"
           "  -h, --help            this text\n"
           "  --version             the version\n";
}

namespace {
constexpr size_t kMaxKeyScriptBytes = 1 << 20;

// The value as a message can show it: control characters as \xNN.
std::string printable(const std::string& v)
{
    std::string out;
    for (unsigned char c : v.substr(0, 80)) {
        if (c < 0x20 || c == 0x7f) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", c);
            out += buf;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}
} // namespace

const char* clockInForce(const BoxOptions& options)
{
    return options.streamClock ? "clock in force: stream (TDT/TOT of the tuned stream)\n"
                               : "clock in force: system time\n";
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
            *help = true; // the options around it still count: help names the clock in force
        } else if (a == "--realtime") {
            o.realtime = true;
        } else if (a == "--quiet") {
            o.quiet = true;
        } else if (a == "--list-services") {
            o.listServices = true;
        } else if (a == "--ignore-output-errors") {
            o.ignoreOutputErrors = true;
        } else if (a == "--list-events") {
            o.listEvents = true;
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
            std::string script, why;
            if (!host::readRegularHostFile(v, &script, kMaxKeyScriptBytes, &why))
                return fail("cannot read the key script: " + why);
            o.keys += " " + script;
        } else if (a == "--screenshot-dir") {
            o.screenshotDir = v;
        } else if (a == "--dump") {
            o.dumpFile = v;
        } else if (a == "--skin") {
            o.skin = v;
        } else if (a == "--service" || a == "--epg-service") {
            if (!(a == "--service" ? PluginHost::validServiceText(v) : PluginHost::validEpgServiceText(v)))
                return fail(a + " takes a service reference such as 1:0:1:6D66:437:1:C00000:0:0:0: (got \"" +
                            printable(v) + "\")" +
                            (a == "--epg-service" ? "; it holds no '=' and ends with its last ':'" : ""));
            (a == "--service" ? o.service : o.epgService) = v;
        } else if (a == "--clock") {
            if (v != "system" && v != "stream")
                return fail("--clock takes system or stream");
            o.streamClock = v == "stream";
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
