#include "scan/EitDecoder.h"

#include <libdvbv5/desc_event_short.h>
#include <libdvbv5/descriptors.h>
#include <libdvbv5/eit.h>

#include "scan/DvbParser.h"
#include "scan/SiTime.h"
#include "ts/Crc32.h"

namespace scan {
namespace {

constexpr size_t kHeaderSize = 14; // up to and including last_table_id
constexpr size_t kEventHeaderSize = 12;
constexpr size_t kCrcSize = 4;
constexpr uint8_t kShortEventTag = 0x4D;

uint16_t get16(const uint8_t* p) { return uint16_t((p[0] << 8) | p[1]); }

// A short event descriptor (tag, length, body) whose two text lengths fit its own length.
bool shortEventFits(const uint8_t* d)
{
    const size_t len = d[1];
    const uint8_t* body = d + 2;
    if (len < 5)
        return false;
    const size_t nameLen = body[3];
    if (4 + nameLen + 1 > len)
        return false;
    const size_t textLen = body[4 + nameLen];
    return 5 + nameLen + textLen <= len;
}

void appendShortEvent(std::vector<uint8_t>& out, const uint8_t* d)
{
    const size_t at = out.size();
    out.insert(out.end(), d, d + 2 + d[1]);
    uint8_t* body = out.data() + at + 2;
    const size_t nameLen = body[3];
    markTwoByteTextBigEndian(body + 4, nameLen);
    markTwoByteTextBigEndian(body + 5 + nameLen, body[4 + nameLen]);
}

std::string text(const char* s) { return s ? std::string(s) : std::string(); }

// The ISO 639-2 code as letters only: anything else in those three bytes is noise.
std::string language(const unsigned char* code)
{
    std::string out;
    for (int i = 0; i < 3; ++i)
        if ((code[i] >= 'a' && code[i] <= 'z') || (code[i] >= 'A' && code[i] <= 'Z'))
            out += char(code[i]);
    return out;
}

} // namespace

std::optional<EventSection> EitDecoder::header(const uint8_t* s, size_t n)
{
    if (n < kHeaderSize + kCrcSize || !isEitTable(s[0]) || !(s[1] & 0x80) ||
        n != 3 + ((size_t(s[1] & 0x0F) << 8) | s[2]))
        return std::nullopt;
    EventSection h;
    h.key.tableId = s[0];
    h.key.sid = get16(s + 3);
    h.version = (s[5] >> 1) & 0x1F;
    h.current = s[5] & 0x01;
    h.sectionNumber = s[6];
    h.lastSectionNumber = s[7];
    h.key.tsid = get16(s + 8);
    h.key.onid = get16(s + 10);
    h.segmentLastSectionNumber = s[12];
    h.lastTableId = s[13];
    return h;
}

std::optional<EventSection> EitDecoder::decode(const uint8_t* s, size_t n)
{
    auto section = header(s, n);
    if (!section || section->sectionNumber > section->lastSectionNumber) {
        ++m_faults.badLayout;
        return std::nullopt;
    }
    m_copy.assign(s, s + kHeaderSize);
    std::vector<uint8_t> kept;
    const size_t end = n - kCrcSize;
    for (size_t at = kHeaderSize; at < end;) {
        if (at + kEventHeaderSize > end) {
            ++m_faults.badLayout;
            return std::nullopt;
        }
        const uint8_t* e = s + at;
        const size_t loopEnd = at + kEventHeaderSize + (((e[10] & 0x0F) << 8) | e[11]);
        if (loopEnd > end) {
            ++m_faults.badLayout;
            return std::nullopt;
        }
        kept.clear();
        for (size_t d = at + kEventHeaderSize; d < loopEnd;) {
            if (d + 2 > loopEnd || d + 2 + s[d + 1] > loopEnd) {
                ++m_faults.badLayout;
                return std::nullopt;
            }
            if (s[d] == kShortEventTag) {
                if (shortEventFits(s + d))
                    appendShortEvent(kept, s + d);
                else
                    ++m_faults.badDescriptors;
            }
            d += 2 + s[d + 1];
        }
        at = loopEnd;

        const auto start = decodeUtc(e + 2);
        const auto duration = decodeDuration(e + 7);
        if (!start || !duration) {
            ++m_faults.badEvents;
            continue;
        }
        EventInfo info;
        info.eventId = get16(e);
        info.start = *start;
        info.duration = *duration;
        info.runningStatus = e[10] >> 5;
        info.freeCa = e[10] & 0x10;
        section->events.push_back(std::move(info));
        m_copy.insert(m_copy.end(), e, e + 10);
        m_copy.push_back(uint8_t((e[10] & 0xF0) | (kept.size() >> 8)));
        m_copy.push_back(uint8_t(kept.size()));
        m_copy.insert(m_copy.end(), kept.begin(), kept.end());
    }

    // The copy is never longer than the section: its length fields stay in range.
    const size_t length = m_copy.size() + kCrcSize - 3;
    m_copy[1] = uint8_t((m_copy[1] & 0xF0) | (length >> 8));
    m_copy[2] = uint8_t(length);
    const uint32_t crc = ts::crc32(m_copy.data(), m_copy.size());
    for (int shift = 24; shift >= 0; shift -= 8)
        m_copy.push_back(uint8_t(crc >> shift));

    dvb_table_eit* eit = nullptr;
    if (dvb_table_eit_init(dvbParserParms(), m_copy.data(), ssize_t(m_copy.size()), &eit) < 0 || !eit) {
        if (eit)
            dvb_table_eit_free(eit);
        ++m_faults.parserRejected;
        return std::nullopt;
    }
    size_t i = 0;
    bool matched = true;
    dvb_eit_event_foreach(event, eit)
    {
        if (i >= section->events.size()) {
            matched = false;
            break;
        }
        EventInfo& info = section->events[i++];
        for (dvb_desc* d = event->descriptor; d; d = d->next) {
            if (d->type != short_event_descriptor)
                continue;
            auto* se = reinterpret_cast<dvb_desc_event_short*>(d);
            info.texts.push_back({language(se->language), text(se->name), text(se->text)});
        }
    }
    dvb_table_eit_free(eit);
    if (!matched || i != section->events.size()) {
        ++m_faults.parserRejected;
        return std::nullopt;
    }
    return section;
}

} // namespace scan
