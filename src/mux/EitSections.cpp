#include "mux/EitSections.h"

#include <algorithm>
#include <map>
#include <string>

#include "mux/Bytes.h"
#include "mux/SiSections.h"

namespace mux {
namespace {

constexpr uint8_t kPfActual = 0x4E;
constexpr uint8_t kScheduleActual = 0x50;
constexpr int kSegmentsPerTable = 32;       // 4 days of 3-hour segments
constexpr time_t kSegmentSeconds = 3 * 3600;
constexpr size_t kMaxEitSection = 1024;     // kept short: receivers buffer sections whole
constexpr int kSectionsPerSegment = 8;
constexpr uint8_t kRunning = 4;
constexpr uint8_t kNotRunning = 1;

struct Event {
    uint16_t id;
    const Title* title;
};

// Each channel's programmes in order of start.
std::vector<std::vector<Event>> eventsByChannel(const Model& m)
{
    std::vector<std::vector<Event>> out(m.channels.size());
    for (size_t i = 0; i < m.titles.size(); ++i) {
        const Title& t = m.titles[i];
        if (t.channel >= 1 && t.channel <= m.channels.size())
            out[t.channel - 1u].push_back({static_cast<uint16_t>(i + 1), &t});
    }
    for (auto& events : out)
        std::stable_sort(events.begin(), events.end(),
                         [](const Event& a, const Event& b) { return a.title->start < b.title->start; });
    return out;
}

std::string themeName(const Model& m, uint8_t slot)
{
    const size_t group = slot / 16, sub = slot % 16;
    if (group >= m.themes.size())
        return {};
    if (sub == 0)
        return m.themes[group].name;
    return sub <= m.themes[group].subThemes.size() ? m.themes[group].subThemes[sub - 1] : std::string();
}

unsigned bcd(unsigned v) { return ((v / 10) << 4) | (v % 10); }

Bytes eventBytes(const Model& m, const Event& e, uint8_t running)
{
    Bytes b;
    put16(b, e.id);
    putUtc(b, e.title->start);
    const unsigned seconds = e.title->duration * 60u;
    put8(b, bcd(seconds / 3600));
    put8(b, bcd(seconds / 60 % 60));
    put8(b, 0);
    const std::string name = dvbText(e.title->title);
    const std::string text = dvbText(themeName(m, e.title->themeSlot));
    Bytes d = {0x4D, 0, 'i', 't', 'a'};
    put8(d, static_cast<unsigned>(name.size()));
    d.insert(d.end(), name.begin(), name.end());
    put8(d, static_cast<unsigned>(text.size()));
    d.insert(d.end(), text.begin(), text.end());
    d[1] = static_cast<uint8_t>(d.size() - 2);
    put16(b, (running << 13) | static_cast<unsigned>(d.size())); // free_CA_mode 0
    b.insert(b.end(), d.begin(), d.end());
    return b;
}

Bytes eitSection(const Config& cfg, uint8_t table, uint16_t sid, uint8_t version, uint8_t number, uint8_t last,
                 uint8_t segmentLast, uint8_t lastTable, const Bytes& events)
{
    Bytes s = {table, 0, 0};
    put16(s, sid);
    put8(s, 0xC1 | ((version & 0x1F) << 1));
    put8(s, number);
    put8(s, last);
    put16(s, cfg.tsid);
    put16(s, cfg.onid);
    put8(s, segmentLast);
    put8(s, lastTable);
    s.insert(s.end(), events.begin(), events.end());
    finishWithCrc(s, 0xF0);
    return s;
}

} // namespace

std::vector<std::vector<uint8_t>> buildEitPresentFollowing(const Config& cfg, const Model& m, time_t utc)
{
    std::vector<Bytes> out;
    const auto byChannel = eventsByChannel(m);
    for (size_t c = 0; c < m.channels.size(); ++c) {
        const auto& events = byChannel[c];
        const Event* present = nullptr;
        const Event* following = nullptr;
        for (const Event& e : events) {
            const time_t end = e.title->start + e.title->duration * 60;
            if (!present && e.title->start <= utc && utc < end && e.title->duration > 0)
                present = &e;
            else if (e.title->start > utc) {
                following = &e;
                break;
            }
        }
        const uint8_t version = static_cast<uint8_t>((present ? present->id : following ? following->id + 1 : 0) & 0x1F);
        const uint16_t sid = m.channels[c].sid;
        out.push_back(eitSection(cfg, kPfActual, sid, version, 0, 1, 1, kPfActual,
                                 present ? eventBytes(m, *present, kRunning) : Bytes()));
        out.push_back(eitSection(cfg, kPfActual, sid, version, 1, 1, 1, kPfActual,
                                 following ? eventBytes(m, *following, kNotRunning) : Bytes()));
    }
    return out;
}

std::vector<std::vector<uint8_t>> buildEitSchedule(const Config& cfg, const Model& m)
{
    std::vector<Bytes> out;
    const time_t base = m.clockStart - m.clockStart % 86400;
    const auto byChannel = eventsByChannel(m);
    for (size_t c = 0; c < m.channels.size(); ++c) {
        // Segment index from base -> event bytes, split into sections.
        std::map<int, std::vector<Bytes>> segments;
        for (const Event& e : byChannel[c]) {
            if (e.title->start < base)
                continue;
            const int segment = static_cast<int>((e.title->start - base) / kSegmentSeconds);
            if (segment >= 16 * kSegmentsPerTable)
                continue;
            Bytes bytes = eventBytes(m, e, 0);
            auto& sections = segments[segment];
            if (sections.empty() || (sections.back().size() + bytes.size() + 18 > kMaxEitSection &&
                                     sections.size() < kSectionsPerSegment))
                sections.emplace_back();
            sections.back().insert(sections.back().end(), bytes.begin(), bytes.end());
        }
        if (segments.empty())
            continue;
        const int lastSegment = segments.rbegin()->first;
        const uint8_t lastTable = static_cast<uint8_t>(kScheduleActual + lastSegment / kSegmentsPerTable);
        for (int table = 0; table <= lastSegment / kSegmentsPerTable; ++table) {
            const int first = table * kSegmentsPerTable;
            const int last = std::min(lastSegment, first + kSegmentsPerTable - 1);
            auto count = [&](int seg) {
                auto it = segments.find(seg);
                return it == segments.end() ? 1 : static_cast<int>(it->second.size());
            };
            const uint8_t lastSection = static_cast<uint8_t>((last - first) * kSectionsPerSegment + count(last) - 1);
            for (int seg = first; seg <= last; ++seg) {
                auto it = segments.find(seg);
                const std::vector<Bytes> none(1);
                const std::vector<Bytes>& sections = it == segments.end() ? none : it->second;
                const int n = static_cast<int>(sections.size());
                for (int k = 0; k < n; ++k) {
                    const int number = (seg - first) * kSectionsPerSegment + k;
                    out.push_back(eitSection(cfg, static_cast<uint8_t>(kScheduleActual + table), m.channels[c].sid, 0,
                                             static_cast<uint8_t>(number), lastSection,
                                             static_cast<uint8_t>((seg - first) * kSectionsPerSegment + n - 1),
                                             lastTable, sections[k]));
                }
            }
        }
    }
    return out;
}

} // namespace mux
