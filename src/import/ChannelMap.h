#pragma once
// Which services the guide's channels are. An id "ONID.TSID.SID.dvb" (hexadecimal)
// names its service itself; any other channel is found by its display name among
// the services the box knows (its service list, "reference<TAB>name" per line).
// A channel that matches no service, or several, is reported and left out: a
// guess would put programmes on the wrong channel.
#include "import/Guide.h"

#include <map>
#include <string>
#include <vector>

namespace importer {

struct GuideChannel {
    ServiceKey service;
    std::string name; // UTF-8
};

class ChannelMap {
public:
    static constexpr size_t kMaxChannels = 300; // the plug-in's channel table

    // The services of a service list text; lines that are not "1:0:1:..." with a name are passed over.
    void addServices(const std::string& serviceListText);
    size_t serviceCount() const { return m_byName.size(); }
    // The service list's reference of a service (with its namespace), empty when the list lacks it.
    std::string referenceOf(const ServiceKey& service) const;
    // The namespace field of a reference text, 0 when it has none: the plug-in names
    // its channels in the namespace of its EPG service.
    static unsigned long namespaceOf(const std::string& ref);

    // Fills channels() and the source channel -> channel index map, in the order
    // the source lists its channels; two source channels of one service become one.
    void build(const SourceGuide& guide, Report& report);

    const std::vector<GuideChannel>& channels() const { return m_channels; }
    // Channel index of source channel i, or -1 when it was left out.
    int indexOf(size_t sourceChannel) const { return m_index[sourceChannel]; }

    static bool parseDvbId(const std::string& id, ServiceKey& out);
    // Service of a reference text "1:0:1:SID:TSID:ONID:...".
    static bool parseReference(const std::string& ref, ServiceKey& out);
    // What two names have in common when they name one channel: case of ASCII
    // letters and runs of blanks do not count.
    static std::string nameKey(const std::string& name);

private:
    struct Named {
        ServiceKey service;
        std::string name;
    };
    std::multimap<std::string, Named> m_byName;
    std::map<ServiceKey, std::string> m_references;
    std::vector<GuideChannel> m_channels;
    std::vector<int> m_index;
};

} // namespace importer
