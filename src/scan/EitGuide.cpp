#include "scan/EitGuide.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "scan/EventSection.h"
#include "scan/SiTime.h"
#include "ts/PacketReader.h"
#include "ts/PacketSplitter.h"

namespace scan {
namespace {

constexpr uint16_t kSdtPid = 0x11;
constexpr uint8_t kSdtActual = 0x42;
constexpr uint8_t kSdtOther = 0x46;
constexpr size_t kEitHeader = 14;
constexpr size_t kEventHeader = 12;
constexpr size_t kSdtHeader = 11;
constexpr size_t kCrc = 4;

constexpr uint8_t kServiceTag = 0x48;
constexpr uint8_t kShortEventTag = 0x4D;
constexpr uint8_t kExtendedEventTag = 0x4E;
constexpr uint8_t kContentTag = 0x54;
constexpr uint8_t kParentalTag = 0x55;

uint16_t get16(const uint8_t* p) { return uint16_t((p[0] << 8) | p[1]); }

uint64_t serviceKey(uint16_t onid, uint16_t tsid, uint16_t sid)
{
    return (uint64_t(onid) << 32) | (uint64_t(tsid) << 16) | sid;
}

// An ISO 639 or ISO 3166 code: letters only, anything else in the three bytes is noise.
std::string code3(const uint8_t* p)
{
    std::string out;
    for (int i = 0; i < 3; ++i)
        if ((p[i] >= 'a' && p[i] <= 'z') || (p[i] >= 'A' && p[i] <= 'Z'))
            out += char(p[i]);
    return out;
}

// The long-form header every section of interest starts with, and its length checked
// against the bytes there are.
bool longSection(const uint8_t* s, size_t n, size_t header)
{
    return n >= header + kCrc && (s[1] & 0x80) && n == 3 + ((size_t(s[1] & 0x0F) << 8) | s[2]) && s[6] <= s[7];
}

struct RawExtended {
    uint8_t number;
    size_t rank;         // of its language among those sent
    const uint8_t* body; // after descriptor_number and the language
    size_t size;
};

} // namespace

EitGuide::EitGuide()
    : m_reassembler(std::make_unique<ts::SectionReassembler>(
          [this](uint16_t pid, const uint8_t* s, size_t n) { onSection(pid, s, n); }))
{
    m_reassembler->setCheckCrc(true);
    m_reassembler->addFilter(kSdtPid, ts::SectionFilter::tableId(kSdtActual));
    m_reassembler->addFilter(kSdtPid, ts::SectionFilter::tableId(kSdtOther));
    for (unsigned t = kEitPfActual; t <= kEitScheduleLast; ++t)
        m_reassembler->addFilter(kEitPid, ts::SectionFilter::tableId(uint8_t(t)));
    m_reassembler->addFilter(kTimePid, ts::SectionFilter::tableId(kTdt));
    m_reassembler->addFilter(kTimePid, ts::SectionFilter::tableId(kTot));
}

EitGuide::~EitGuide() = default;

void EitGuide::put(const uint8_t* packet)
{
    ++m_counters.packets;
    m_reassembler->put(packet);
}

void EitGuide::nextStream()
{
    m_reassembler->reset();
    ++m_stream;
}

void EitGuide::addStream(const uint8_t* data, size_t size)
{
    nextStream();
    ts::PacketSplitter splitter;
    auto sink = [this](const uint8_t* p) { put(p); };
    splitter.push(data, size, sink);
    splitter.finish(sink);
}

bool EitGuide::addFile(const std::string& path, std::string* error)
{
    auto fail = [&](const std::string& why) {
        if (error)
            *error = path + ": " + why;
        return false;
    };
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return fail(std::strerror(errno));
    struct stat st {};
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(fd);
        return fail("is a directory, not a transport stream");
    }
    nextStream();
    bool ok = true;
    {
        ts::PacketReader reader(fd);
        reader.setSyncSearchLimit(kGuideSyncSearchLimit);
        size_t count = 0;
        bool noise = false;
        while (const uint8_t* run = reader.nextRun(count)) {
            m_counters.packets += count;
            m_reassembler->putRun(run, count, reader.packetSize());
            // Noise that happened to look like packets for a moment is still noise.
            const ts::ReaderStats& stats = reader.stats();
            if (stats.bytesSkipped > kGuideSyncSearchLimit && stats.bytesSkipped > stats.packets * reader.packetSize()) {
                noise = true;
                break;
            }
        }
        if (reader.noSync() || noise)
            ok = fail("not an MPEG transport stream (no sync byte pattern in its first " +
                      std::to_string(kGuideSyncSearchLimit >> 20) + " MB)");
        else if (reader.readError())
            ok = fail(std::string("cannot be read: ") + std::strerror(reader.readError()));
        else if (reader.stats().packets == 0)
            ok = fail("not an MPEG transport stream (no packets)");
    }
    ::close(fd);
    return ok;
}

void EitGuide::putSection(const uint8_t* s, size_t n)
{
    if (n == 0)
        return;
    if (s[0] == kSdtActual || s[0] == kSdtOther)
        onSection(kSdtPid, s, n);
    else if (isEitTable(s[0]))
        onSection(kEitPid, s, n);
    else if (s[0] == kTdt || s[0] == kTot)
        onSection(kTimePid, s, n);
}

void EitGuide::onSection(uint16_t pid, const uint8_t* s, size_t n)
{
    if (pid == kTimePid) {
        if (auto t = decodeTimeSection(s, n)) {
            m_time = *t;
            ++m_counters.times;
        }
    } else if (pid == kSdtPid) {
        decodeSdt(s, n);
    } else if (pid == kEitPid) {
        decodeEit(s, n);
    }
}

bool EitGuide::isRepeat(uint64_t key, const uint8_t* s)
{
    const uint8_t version = (s[5] >> 1) & 0x1F;
    const uint8_t number = s[6];
    auto [it, fresh] = m_seen.try_emplace(key);
    Seen& seen = it->second;
    if (fresh || seen.version != version) {
        seen = Seen{};
        seen.version = version;
    }
    uint64_t& word = seen.sections[number >> 6];
    const uint64_t bit = uint64_t(1) << (number & 63);
    if (word & bit) {
        ++m_counters.repeats;
        return true;
    }
    word |= bit;
    return false;
}

EitGuide::ServiceState& EitGuide::service(uint16_t onid, uint16_t tsid, uint16_t sid)
{
    auto [it, fresh] = m_services.try_emplace(serviceKey(onid, tsid, sid));
    if (fresh) {
        it->second.info.onid = onid;
        it->second.info.tsid = tsid;
        it->second.info.sid = sid;
    }
    return it->second;
}

void EitGuide::decodeSdt(const uint8_t* s, size_t n)
{
    if (!longSection(s, n, kSdtHeader)) {
        ++m_counters.badLayout;
        return;
    }
    ++m_counters.sdtSections;
    if (!(s[5] & 0x01)) {
        ++m_counters.notCurrent;
        return;
    }
    const uint16_t tsid = get16(s + 3);
    const uint16_t onid = get16(s + 8);
    if (isRepeat((uint64_t(s[0]) << 48) | serviceKey(onid, tsid, 0), s))
        return;
    const size_t end = n - kCrc;
    for (size_t at = kSdtHeader; at < end;) {
        if (at + 5 > end) {
            ++m_counters.badLayout;
            return;
        }
        const uint16_t sid = get16(s + at);
        const size_t loopEnd = at + 5 + ((size_t(s[at + 3] & 0x0F) << 8) | s[at + 4]);
        if (loopEnd > end) {
            ++m_counters.badLayout;
            return;
        }
        ServiceState& state = service(onid, tsid, sid);
        state.info.inSdt = true;
        for (size_t d = at + 5; d + 2 <= loopEnd;) {
            const uint8_t tag = s[d];
            const size_t len = s[d + 1];
            const uint8_t* body = s + d + 2;
            d += 2 + len;
            if (d > loopEnd) {
                ++m_counters.badDescriptors;
                break;
            }
            if (tag != kServiceTag)
                continue;
            const size_t provider = len >= 2 ? body[1] : len;
            if (len < 3 || 2 + provider + 1 > len || 3 + provider + body[2 + provider] > len) {
                ++m_counters.badDescriptors;
                continue;
            }
            state.info.type = body[0];
            state.info.provider = m_text.decode(body + 2, provider);
            state.info.name = m_text.decode(body + 3 + provider, body[2 + provider]);
        }
        at = loopEnd;
    }
}

void EitGuide::decodeDescriptors(const uint8_t* d, size_t size, GuideEvent* ev, bool titlesOnly) const
{
    // Faults are counted when the event comes in (ev null: lengths checked only), not
    // again each time the guide is read out.
    auto fault = [&] {
        if (!ev)
            ++m_counters.badDescriptors;
    };
    std::vector<RawExtended> extended;
    const uint8_t* end = d + size;
    while (d + 2 <= end) {
        const uint8_t tag = d[0];
        const size_t len = d[1];
        const uint8_t* body = d + 2;
        if (body + len > end) {
            fault();
            break;
        }
        d = body + len;
        switch (tag) {
        case kShortEventTag: {
            if (len < 5 || 4 + size_t(body[3]) + 1 > len || 5 + size_t(body[3]) + body[4 + body[3]] > len) {
                fault();
                break;
            }
            if (!ev)
                break;
            const size_t nameLen = body[3];
            GuideTitle t;
            t.language = code3(body);
            t.name = m_text.decode(body + 4, nameLen);
            t.text = m_text.decode(body + 5 + nameLen, body[4 + nameLen]);
            ev->titles.push_back(std::move(t));
            break;
        }
        case kExtendedEventTag:
            if (len < 5)
                fault();
            else
                extended.push_back({uint8_t(body[0] >> 4), 0, body + 1, len - 1});
            break;
        case kContentTag:
            if (len % 2 != 0)
                fault();
            for (size_t i = 0; ev && i + 2 <= len; i += 2)
                ev->content.push_back({uint8_t(body[i] >> 4), uint8_t(body[i] & 0x0F), body[i + 1]});
            break;
        case kParentalTag:
            if (len % 4 != 0)
                fault();
            for (size_t i = 0; ev && i + 4 <= len; i += 4)
                ev->ratings.push_back({code3(body + i), body[i + 3]});
            break;
        default:
            break;
        }
    }

    if (titlesOnly)
        return;
    // Extended event descriptors by language (in the order first sent), each language
    // in its descriptor numbering; the texts of one language continue one another, an
    // item with no description continues the last item.
    std::vector<std::string> languages;
    for (RawExtended& x : extended) {
        const std::string language = code3(x.body);
        auto known = std::find(languages.begin(), languages.end(), language);
        x.rank = size_t(known - languages.begin());
        if (known == languages.end())
            languages.push_back(language);
    }
    std::stable_sort(extended.begin(), extended.end(), [](const RawExtended& a, const RawExtended& b) {
        return a.rank != b.rank ? a.rank < b.rank : a.number < b.number;
    });
    std::vector<std::vector<std::pair<const uint8_t*, size_t>>> texts(languages.size());
    if (ev)
        for (const std::string& language : languages)
            ev->extended.push_back({language, {}, {}});
    for (const RawExtended& x : extended) {
        // language(3) length_of_items(1) items text_length(1) text
        const size_t itemsLen = x.body[3];
        if (4 + itemsLen + 1 > x.size || 5 + itemsLen + x.body[4 + itemsLen] > x.size) {
            fault();
            continue;
        }
        const uint8_t* item = x.body + 4;
        const uint8_t* itemsEnd = item + itemsLen;
        while (item < itemsEnd) {
            const size_t descLen = item[0];
            if (item + 1 + descLen + 1 > itemsEnd || item + 2 + descLen + item[1 + descLen] > itemsEnd) {
                fault();
                break;
            }
            const size_t itemLen = item[1 + descLen];
            if (ev) {
                auto& items = ev->extended[x.rank].items;
                std::string description = m_text.decode(item + 1, descLen);
                std::string value = m_text.decode(item + 2 + descLen, itemLen);
                if (description.empty() && !items.empty())
                    items.back().item += value;
                else
                    items.push_back({std::move(description), std::move(value)});
            }
            item += 2 + descLen + itemLen;
        }
        texts[x.rank].emplace_back(x.body + 5 + itemsLen, x.body[4 + itemsLen]);
    }
    if (!ev)
        return;
    for (size_t i = 0; i < texts.size(); ++i)
        ev->extended[i].text = m_text.decodeJoined(texts[i]);
    // A language whose descriptors all lied says nothing.
    ev->extended.erase(std::remove_if(ev->extended.begin(), ev->extended.end(),
                                      [](const GuideExtended& x) { return x.items.empty() && x.text.empty(); }),
                       ev->extended.end());
}

void EitGuide::decodeEit(const uint8_t* s, size_t n)
{
    if (!longSection(s, n, kEitHeader)) {
        ++m_counters.badLayout;
        return;
    }
    ++m_counters.eitSections;
    if (!(s[5] & 0x01)) {
        ++m_counters.notCurrent;
        return;
    }
    const uint8_t table = s[0];
    const uint16_t sid = get16(s + 3);
    const uint16_t tsid = get16(s + 8);
    const uint16_t onid = get16(s + 10);
    const uint64_t key = serviceKey(onid, tsid, sid);
    if (isRepeat((uint64_t(table) << 48) | key, s))
        return;

    // The whole event loop must add up before anything of the section is used.
    const size_t end = n - kCrc;
    for (size_t at = kEitHeader; at < end;) {
        if (at + kEventHeader > end ||
            at + kEventHeader + ((size_t(s[at + 10] & 0x0F) << 8) | s[at + 11]) > end) {
            ++m_counters.badLayout;
            // Forget the section, so that a good copy of it is taken when it comes again.
            m_seen[(uint64_t(table) << 48) | key].sections[s[6] >> 6] &= ~(uint64_t(1) << (s[6] & 63));
            return;
        }
        at += kEventHeader + ((size_t(s[at + 10] & 0x0F) << 8) | s[at + 11]);
    }

    const bool actual = table == kEitPfActual || (table >= kEitScheduleFirst && table < 0x60);
    ServiceState& state = service(onid, tsid, sid);
    for (size_t at = kEitHeader; at < end;) {
        const uint8_t* e = s + at;
        const size_t loop = (size_t(e[10] & 0x0F) << 8) | e[11];
        at += kEventHeader + loop;
        const auto start = decodeUtc(e + 2);
        const auto duration = decodeDuration(e + 7);
        if (!start || !duration || *start + int64_t(*duration) > INT32_MAX) {
            ++m_counters.badEvents;
            continue;
        }
        decodeDescriptors(e + kEventHeader, loop, nullptr, false);

        const uint16_t id = get16(e);
        auto [it, fresh] = state.events.try_emplace(id);
        Stored& stored = it->second;
        if (!fresh) {
            // What an event's own transponder says beats what another one said of it.
            if (stored.stream != m_stream && stored.actual && !actual)
                continue;
            ++m_counters.replaced;
        }
        stored.start = *start;
        stored.duration = *duration;
        stored.eventId = id;
        stored.runningStatus = uint8_t(e[10] >> 5);
        stored.freeCa = e[10] & 0x10;
        stored.tableId = table;
        stored.descriptors.assign(reinterpret_cast<const char*>(e + kEventHeader), loop);
        stored.sequence = ++m_sequence;
        stored.stream = m_stream;
        stored.actual = actual;
    }
}

size_t EitGuide::eventCount() const
{
    size_t n = 0;
    for (const auto& [key, state] : m_services)
        n += state.events.size();
    return n;
}

void EitGuide::forEachService(const std::function<void(const GuideService&)>& visit, bool titlesOnly) const
{
    m_counters.overlapped = 0;
    std::vector<const Stored*> order;
    std::map<int64_t, int64_t> taken; // start -> end of the events kept
    GuideService g;
    for (const auto& [key, state] : m_services) {
        g = state.info;
        // Newest first: each event stays unless it overlaps one that stayed before it.
        order.clear();
        for (const auto& [id, stored] : state.events)
            order.push_back(&stored);
        std::sort(order.begin(), order.end(), [](const Stored* a, const Stored* b) { return a->sequence > b->sequence; });
        taken.clear();
        std::vector<const Stored*> kept;
        for (const Stored* st : order) {
            const int64_t b = st->start;
            const int64_t e = b + std::max<int64_t>(st->duration, 1);
            auto next = taken.lower_bound(b);
            if ((next != taken.end() && next->first < e) || (next != taken.begin() && std::prev(next)->second > b)) {
                ++m_counters.overlapped;
                continue;
            }
            taken.emplace(b, e);
            kept.push_back(st);
        }
        std::sort(kept.begin(), kept.end(), [](const Stored* a, const Stored* b) { return a->start < b->start; });
        g.events.resize(kept.size());
        for (size_t i = 0; i < kept.size(); ++i) {
            const Stored& st = *kept[i];
            GuideEvent& ev = g.events[i];
            ev = GuideEvent();
            ev.eventId = st.eventId;
            ev.start = st.start;
            ev.duration = st.duration;
            ev.runningStatus = st.runningStatus;
            ev.freeCa = st.freeCa;
            ev.tableId = st.tableId;
            decodeDescriptors(reinterpret_cast<const uint8_t*>(st.descriptors.data()), st.descriptors.size(), &ev, titlesOnly);
        }
        visit(g);
    }
}

std::vector<GuideService> EitGuide::services() const
{
    std::vector<GuideService> out;
    out.reserve(m_services.size());
    forEachService([&](const GuideService& s) { out.push_back(s); });
    return out;
}

} // namespace scan
