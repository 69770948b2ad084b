#include "import/XmltvReader.h"
#include "import/CivilDays.h"

#include <cerrno>
#include <cstring>
#include <expat.h>
#include <fcntl.h>
#include <unistd.h>
#include <unordered_map>
#include <zlib.h>

namespace importer {
namespace {

enum class Leaf { None, DisplayName, Title, SubTitle, Desc, Category };

// One document being parsed: expat calls back into it element by element.
class Document {
public:
    Document(std::string name, SourceGuide& guide, Report& report)
        : m_name(std::move(name)), m_guide(guide), m_report(report)
    {
        m_parser = XML_ParserCreate(nullptr);
        XML_SetUserData(m_parser, this);
        XML_SetElementHandler(m_parser, &Document::onStart, &Document::onEnd);
        XML_SetCharacterDataHandler(m_parser, &Document::onText);
        // The DOCTYPE names xmltv.dtd, which is never loaded: an entity it would
        // have to declare is reported, not silently dropped.
        XML_SetSkippedEntityHandler(m_parser, &Document::onSkippedEntity);
        XML_SetParamEntityParsing(m_parser, XML_PARAM_ENTITY_PARSING_NEVER);
        m_guide.name = m_name;
    }
    ~Document() { XML_ParserFree(m_parser); }
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;

    bool feed(const char* data, size_t size, bool last)
    {
        if (m_failed)
            return false;
        if (XML_Parse(m_parser, data, static_cast<int>(size), last) == XML_STATUS_ERROR) {
            if (!m_failed)
                fail(XML_ErrorString(XML_GetErrorCode(m_parser)));
            return false;
        }
        if (m_failed)
            return false;
        if (last)
            return finish();
        return true;
    }

    // An error found outside the parser (a read error) at the line reached so far.
    void fail(const std::string& why)
    {
        if (m_failed)
            return;
        m_failed = true;
        m_error = at(XML_GetCurrentLineNumber(m_parser)) + why;
        XML_StopParser(m_parser, XML_FALSE);
    }

    const std::string& error() const { return m_error; }

private:
    std::string at(unsigned long line) const { return m_name + " line " + std::to_string(line) + ": "; }
    long line() const { return static_cast<long>(XML_GetCurrentLineNumber(m_parser)); }

    static const char* attribute(const XML_Char** attrs, const char* name)
    {
        for (int i = 0; attrs[i]; i += 2)
            if (std::strcmp(attrs[i], name) == 0)
                return attrs[i + 1];
        return nullptr;
    }

    static void onStart(void* self, const XML_Char* name, const XML_Char** attrs)
    {
        static_cast<Document*>(self)->start(name, attrs);
    }
    static void onEnd(void* self, const XML_Char* name) { static_cast<Document*>(self)->end(name); }
    static void onText(void* self, const XML_Char* text, int len) { static_cast<Document*>(self)->text(text, len); }
    static void onSkippedEntity(void* self, const XML_Char* name, int isParameter)
    {
        static_cast<Document*>(self)->fail(std::string("the entity &") + name + "; is not declared");
    }

    void start(const char* name, const XML_Char** attrs)
    {
        ++m_depth;
        if (m_depth == 1) {
            if (std::strcmp(name, "tv") != 0)
                fail(std::string("the document element is <") + name + ">, not <tv>");
            return;
        }
        if (m_depth == 2) {
            if (std::strcmp(name, "channel") == 0)
                startChannel(attrs);
            else if (std::strcmp(name, "programme") == 0)
                startProgramme(attrs);
            return;
        }
        if (m_depth != 3)
            return;
        m_leaf = Leaf::None;
        m_text.clear();
        if (m_inChannel && std::strcmp(name, "display-name") == 0)
            m_leaf = Leaf::DisplayName;
        else if (m_inProgramme && std::strcmp(name, "title") == 0)
            m_leaf = Leaf::Title;
        else if (m_inProgramme && std::strcmp(name, "sub-title") == 0)
            m_leaf = Leaf::SubTitle;
        else if (m_inProgramme && std::strcmp(name, "desc") == 0)
            m_leaf = Leaf::Desc;
        else if (m_inProgramme && std::strcmp(name, "category") == 0)
            m_leaf = Leaf::Category;
    }

    void startChannel(const XML_Char** attrs)
    {
        const char* id = attribute(attrs, "id");
        if (!id || !*id)
            return fail("<channel> without its id");
        if (m_guide.channels.size() >= XmltvReader::kMaxChannels)
            return fail("more than " + std::to_string(XmltvReader::kMaxChannels) + " channels");
        m_inChannel = true;
        m_channel = SourceChannel();
        m_channel.id = id;
        m_channel.line = line();
    }

    void startProgramme(const XML_Char** attrs)
    {
        const char* start = attribute(attrs, "start");
        const char* channel = attribute(attrs, "channel");
        if (!start || !channel)
            return fail(std::string("<programme> without its ") + (start ? "channel" : "start"));
        if (m_guide.programmes.size() >= XmltvReader::kMaxProgrammes)
            return fail("more than " + std::to_string(XmltvReader::kMaxProgrammes) + " programmes");
        m_inProgramme = true;
        m_programme = Programme();
        m_programme.line = line();
        m_hasTitle = false;
        m_hasDesc = false;
        m_subTitle.clear();
        if (!XmltvReader::parseTime(start, m_programme.start))
            return fail(std::string("start time \"") + start + "\" is not YYYYMMDDhhmmss with a zone such as +0100");
        if (const char* stop = attribute(attrs, "stop")) {
            if (!XmltvReader::parseTime(stop, m_programme.stop))
                return fail(std::string("stop time \"") + stop + "\" is not YYYYMMDDhhmmss with a zone such as +0100");
        }
        m_programmeChannel = channel;
    }

    void text(const char* data, int len)
    {
        if (m_leaf == Leaf::None || m_depth != 3)
            return;
        if (m_text.size() + size_t(len) > XmltvReader::kMaxTextBytes)
            return fail("a text longer than " + std::to_string(XmltvReader::kMaxTextBytes) + " bytes");
        m_text.append(data, size_t(len));
    }

    void end(const char* name)
    {
        if (m_depth == 3 && m_leaf != Leaf::None)
            endLeaf();
        else if (m_depth == 2 && m_inChannel)
            endChannel();
        else if (m_depth == 2 && m_inProgramme)
            endProgramme();
        --m_depth;
    }

    void endLeaf()
    {
        switch (m_leaf) {
        case Leaf::DisplayName:
            m_channel.names.push_back(m_text);
            break;
        case Leaf::Title:
            // The first title is the programme's; others are the same in other languages.
            if (!m_hasTitle)
                m_programme.title = m_text;
            m_hasTitle = true;
            break;
        case Leaf::SubTitle:
            if (m_subTitle.empty())
                m_subTitle = m_text;
            break;
        case Leaf::Desc:
            if (!m_hasDesc)
                m_programme.desc = m_text;
            m_hasDesc = true;
            break;
        case Leaf::Category:
            if (!m_text.empty())
                m_programme.categories.push_back(m_text);
            break;
        case Leaf::None:
            break;
        }
        m_leaf = Leaf::None;
    }

    void endChannel()
    {
        m_inChannel = false;
        if (m_channel.names.empty())
            return fail("<channel id=\"" + m_channel.id + "\"> without a <display-name>");
        auto known = m_channelIndex.find(m_channel.id);
        if (known != m_channelIndex.end()) {
            m_report.note(at(size_t(m_channel.line)) + "channel \"" + m_channel.id +
                          "\" is declared again; its names are added to the first");
            auto& names = m_guide.channels[known->second].names;
            names.insert(names.end(), m_channel.names.begin(), m_channel.names.end());
            return;
        }
        m_channelIndex.emplace(m_channel.id, m_guide.channels.size());
        m_guide.channels.push_back(std::move(m_channel));
    }

    void endProgramme()
    {
        m_inProgramme = false;
        if (!m_hasTitle)
            return fail("<programme> without a <title>");
        // The plug-in shows one text: a programme without a description shows its sub-title.
        if (m_programme.desc.empty() && m_subTitle != m_programme.title)
            m_programme.desc = m_subTitle;
        m_pendingChannels.push_back(std::move(m_programmeChannel));
        m_guide.programmes.push_back(std::move(m_programme));
    }

    // Programmes may come before the channels they name; they are matched once all are known.
    bool finish()
    {
        size_t kept = 0;
        for (size_t i = 0; i < m_guide.programmes.size(); ++i) {
            auto known = m_channelIndex.find(m_pendingChannels[i]);
            if (known == m_channelIndex.end()) {
                m_report.note(at(size_t(m_guide.programmes[i].line)) + "programme \"" + m_guide.programmes[i].title +
                              "\" is left out: its channel \"" + m_pendingChannels[i] + "\" is not declared");
                continue;
            }
            m_guide.programmes[i].channel = known->second;
            if (kept != i)
                m_guide.programmes[kept] = std::move(m_guide.programmes[i]);
            ++kept;
        }
        m_guide.programmes.resize(kept);
        m_pendingChannels.clear();
        return true;
    }

    std::string m_name;
    SourceGuide& m_guide;
    Report& m_report;
    XML_Parser m_parser;
    bool m_failed = false;
    std::string m_error;
    int m_depth = 0;
    Leaf m_leaf = Leaf::None;
    std::string m_text;
    bool m_inChannel = false;
    bool m_inProgramme = false;
    bool m_hasTitle = false;
    bool m_hasDesc = false;
    SourceChannel m_channel;
    Programme m_programme;
    std::string m_programmeChannel;
    std::string m_subTitle;
    std::vector<std::string> m_pendingChannels;
    std::unordered_map<std::string, size_t> m_channelIndex;
};

bool digits(const std::string& s, size_t from, size_t n, int& out)
{
    out = 0;
    for (size_t i = from; i < from + n; ++i) {
        if (i >= s.size() || s[i] < '0' || s[i] > '9')
            return false;
        out = out * 10 + (s[i] - '0');
    }
    return true;
}

} // namespace

bool XmltvReader::parseTime(const std::string& text, std::time_t& out)
{
    size_t n = 0;
    while (n < text.size() && text[n] >= '0' && text[n] <= '9')
        ++n;
    if (n != 12 && n != 14)
        return false; // a zone needs a time of day to belong to
    int y, mo, d, h, mi, s = 0;
    if (!digits(text, 0, 4, y) || !digits(text, 4, 2, mo) || !digits(text, 6, 2, d) || !digits(text, 8, 2, h) ||
        !digits(text, 10, 2, mi) || (n == 14 && !digits(text, 12, 2, s)))
        return false;
    if (mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || s > 60)
        return false;
    size_t z = n;
    while (z < text.size() && text[z] == ' ')
        ++z;
    const std::string zone = text.substr(z);
    long offset = 0;
    if (zone == "Z" || zone == "UTC" || zone == "GMT") {
        offset = 0;
    } else if (zone.size() == 5 && (zone[0] == '+' || zone[0] == '-')) {
        int zh, zm;
        if (!digits(zone, 1, 2, zh) || !digits(zone, 3, 2, zm) || zh > 14 || zm > 59)
            return false;
        offset = (zh * 60L + zm) * 60L * (zone[0] == '-' ? -1 : 1);
    } else {
        return false;
    }
    const long long t = daysFromCivil(y, mo, d) * 86400LL + h * 3600LL + mi * 60LL + s - offset;
    out = static_cast<std::time_t>(t);
    return static_cast<long long>(out) == t;
}

bool XmltvReader::readBuffer(const std::string& name, const char* data, size_t size, SourceGuide& guide,
                             Report& report, std::string* error)
{
    Document doc(name, guide, report);
    // Fed in pieces: expat takes an int length.
    constexpr size_t kPiece = 1 << 20;
    size_t at = 0;
    do {
        const size_t n = size - at < kPiece ? size - at : kPiece;
        const bool last = at + n == size;
        if (!doc.feed(data + at, n, last)) {
            *error = doc.error();
            return false;
        }
        at += n;
    } while (at < size);
    return true;
}

bool XmltvReader::readFile(const std::string& path, SourceGuide& guide, Report& report, std::string* error)
{
    const bool stdinput = path == "-";
    const std::string name = stdinput ? std::string("standard input") : path;
    const int fd = stdinput ? dup(STDIN_FILENO) : open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        *error = name + ": cannot open the file (" + std::strerror(errno) + ")";
        return false;
    }
    // zlib reads a file that is not compressed as it is.
    gzFile in = gzdopen(fd, "rb");
    if (!in) {
        close(fd);
        *error = name + ": cannot read the file";
        return false;
    }
    gzbuffer(in, 1 << 17);
    Document doc(name, guide, report);
    std::vector<char> buf(1 << 18);
    bool ok = true;
    for (;;) {
        const int n = gzread(in, buf.data(), static_cast<unsigned>(buf.size()));
        if (n < 0) {
            int code = 0;
            const char* why = gzerror(in, &code);
            doc.fail(code == Z_ERRNO ? std::string(std::strerror(errno)) : std::string("damaged compressed data (") + why + ")");
            ok = false;
            break;
        }
        if (n == 0) {
            int code = 0;
            gzerror(in, &code);
            // A gzip stream that stops before its end reads as a short end of file.
            if (code == Z_BUF_ERROR) {
                doc.fail("the compressed file is cut short");
                ok = false;
            } else {
                ok = doc.feed(nullptr, 0, true);
            }
            break;
        }
        if (!doc.feed(buf.data(), size_t(n), false)) {
            ok = false;
            break;
        }
    }
    gzclose(in);
    if (!ok)
        *error = doc.error();
    return ok;
}

} // namespace importer
