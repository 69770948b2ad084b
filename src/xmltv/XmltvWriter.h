#pragma once
// Writes the dated week as an XMLTV document (UTF-8): one <channel> per channel of
// the channel list, one <programme> per title record.
#include "xmltv/WeekDating.h"

#include <cstdio>
#include <string>

namespace xmltv {

struct WriteCounts {
    size_t channels = 0;
    size_t programmes = 0;
    size_t withoutChannel = 0; // records whose channel number the channel list lacks
};

class XmltvWriter {
public:
    explicit XmltvWriter(std::string generator) : m_generator(std::move(generator)) {}

    WriteCounts write(std::FILE* out, const Week& week, const std::vector<Airing>& airings) const;

    // "onid.tsid.sid.dvb" in hexadecimal: the same service keeps its id across weeks.
    static std::string channelId(const Channel& c);
    // "YYYYMMDDhhmmss +hhmm" in local time.
    static std::string timeText(std::time_t t);
    // Air text (UTF-8 or ISO 8859-15, judged per text) as escaped XML character data;
    // characters XML cannot carry are left out.
    static std::string xmlText(const std::string& airText);
    // Valid UTF-8 without characters XML cannot carry, escaped as character data.
    static std::string escaped(const std::string& utf8);
    static void appendEscaped(std::string& out, const std::string& utf8);

private:
    std::string m_generator;
};

} // namespace xmltv
