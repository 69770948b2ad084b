#pragma once
#include <optional>
#include <string>
#include <vector>

namespace box {

struct BoxOptions {
    std::string root = "box-root";
    std::string plugin;              // empty: the plug-in built with the box
    std::vector<std::string> streams; // --ts, in order; "-" is standard input
    int dvbAdapter = -1;
    bool realtime = false;
    std::string display;             // window, web or headless; empty: chosen at start
    std::string listen = "127.0.0.1:8080";
    std::string keys;
    std::string screenshotDir;
    std::string dumpFile;
    std::string skin;
    std::string service;             // reference played at start
    std::string epgService;          // preset into a newly installed orvalis.cfg
    int scale = 1;
    bool quiet = false;
    bool listServices = false;       // print the scanned services and exit
    bool ignoreOutputErrors = false; // --dump and screenshot failures do not change the exit status
    bool listEvents = false;         // print the EPG cache after the scan and exit
    bool streamClock = false;        // the box's clock from the tuned stream's TDT/TOT
};

// Parses the command line; on error returns nullopt with a message. --help sets *help.
std::optional<BoxOptions> parseBoxOptions(int argc, char** argv, std::string* error, bool* help);
const char* boxUsage();
// The line of --help that names the clock these options put in force.
const char* clockInForce(const BoxOptions& options);

} // namespace box
