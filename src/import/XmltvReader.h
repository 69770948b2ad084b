#pragma once
// Reads an XMLTV document (plain or gzip-compressed, a file or standard input)
// with expat into a SourceGuide. What breaks the document (not well formed, a
// part the DTD requires missing, a time without its zone, an entity nobody
// declared, a compressed file cut short, more than the limits) is an error that
// names the file and line; a programme of a channel the document never declares
// is left out with a note.
#include "import/Guide.h"

#include <string>

namespace importer {

class XmltvReader {
public:
    static constexpr size_t kMaxProgrammes = 1000000;
    static constexpr size_t kMaxChannels = 100000;
    static constexpr size_t kMaxTextBytes = 1 << 20; // one title, description or name

    // path "-" reads standard input. False with *error ("FILE line N: why").
    bool readFile(const std::string& path, SourceGuide& guide, Report& report, std::string* error);
    // The same for a document in memory (not compressed); name is used in messages.
    bool readBuffer(const std::string& name, const char* data, size_t size, SourceGuide& guide, Report& report,
                    std::string* error);

    // "YYYYMMDDhhmmss +hhmm" (seconds or minutes may be left out; the zone may also be
    // Z, UTC or GMT) as seconds since 1970; false without a zone or when malformed.
    static bool parseTime(const std::string& text, std::time_t& out);
};

} // namespace importer
