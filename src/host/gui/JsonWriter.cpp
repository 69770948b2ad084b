#include "host/gui/JsonWriter.h"

#include "host/gfx/TextCodec.h"

#include <cstdio>

namespace host {

void JsonWriter::separate()
{
    if (m_afterKey) {
        m_afterKey = false;
        return;
    }
    if (!m_first.empty()) {
        if (!m_first.back())
            m_out += ',';
        m_first.back() = false;
    }
}

void JsonWriter::open(char bracket)
{
    separate();
    m_out += bracket;
    m_first.push_back(true);
}

void JsonWriter::close(char bracket)
{
    m_out += bracket;
    m_first.pop_back();
}

void JsonWriter::key(const std::string& k)
{
    value(k);
    m_out += ':';
    m_afterKey = true;
}

void JsonWriter::value(const std::string& raw)
{
    // JSON is UTF-8: texts that are not are ISO 8859-15 and get converted.
    const std::string v = isValidUtf8(raw) ? raw : encodeUtf8(decodeLatin9(raw));
    separate();
    m_out += '"';
    for (unsigned char c : v) {
        switch (c) {
        case '"': m_out += "\\\""; break;
        case '\\': m_out += "\\\\"; break;
        case '\n': m_out += "\\n"; break;
        case '\r': m_out += "\\r"; break;
        case '\t': m_out += "\\t"; break;
        default:
            if (c < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                m_out += buf;
            } else {
                m_out += static_cast<char>(c);
            }
        }
    }
    m_out += '"';
}

void JsonWriter::value(int v)
{
    separate();
    m_out += std::to_string(v);
}

void JsonWriter::value(bool v)
{
    separate();
    m_out += v ? "true" : "false";
}

void JsonWriter::null()
{
    separate();
    m_out += "null";
}

void JsonWriter::rect(int x, int y, int w, int h)
{
    field("x", x);
    field("y", y);
    field("w", w);
    field("h", h);
}

} // namespace host

namespace host {

void JsonWriter::rectField(const std::string& k, int x, int y, int w, int h)
{
    key(k);
    beginObject();
    rect(x, y, w, h);
    endObject();
}

} // namespace host
