#pragma once
// A guide as a source delivers it, before it is fitted into the plug-in's week:
// channels with their names, programmes with UTC times and their categories.
// Both sources (an XMLTV document, the EIT of a transport stream) yield one.
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

namespace importer {

// A DVB service: original network, transport stream and service id.
struct ServiceKey {
    uint16_t onid = 0;
    uint16_t tsid = 0;
    uint16_t sid = 0;
    bool operator==(const ServiceKey& o) const { return onid == o.onid && tsid == o.tsid && sid == o.sid; }
    bool operator<(const ServiceKey& o) const
    {
        return onid != o.onid ? onid < o.onid : tsid != o.tsid ? tsid < o.tsid : sid < o.sid;
    }
};

struct SourceChannel {
    std::string id;                    // the source's channel id
    std::vector<std::string> names;    // display names, UTF-8, first preferred
    std::optional<ServiceKey> service; // known when the source names the service itself
    long line = 0;                     // where the source declares it (0: no lines)
};

struct Programme {
    size_t channel = 0; // index into SourceGuide::channels
    std::time_t start = 0;
    std::time_t stop = 0; // 0: not given
    std::string title;    // UTF-8
    std::string desc;     // UTF-8, line breaks as "\n"
    std::vector<std::string> categories; // theme first, then its sub-theme
    long line = 0;
};

struct SourceGuide {
    std::string name; // the file, for messages ("-" is standard input)
    std::vector<SourceChannel> channels;
    std::vector<Programme> programmes;
};

// Messages about what was left out or changed; each names the source and, when
// it has lines, the line.
struct Report {
    std::vector<std::string> notes;
    void note(const std::string& text) { notes.push_back(text); }
};

} // namespace importer
