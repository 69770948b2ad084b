#include "mux/StreamBuilder.h"

#include <algorithm>
#include <deque>
#include <functional>

#include "mux/Bytes.h"
#include "mux/EpgSections.h"
#include "mux/ModelGenerator.h"
#include "mux/SiSections.h"
#include "ts/Packetizer.h"

namespace mux {
namespace {

constexpr uint64_t kClock = 27000000;
constexpr size_t kBatch = 8; // carousel sections packetized at a time

// A carousel of sections sent over and over at a share of the mux rate. Other
// sections of the same PID are slipped in between two carousel sections, never
// inside one, and share the carousel's continuity counter.
class Carousel {
public:
    Carousel(uint16_t pid, std::vector<Bytes> sections, int rate, int muxRate)
        : m_packetizer(pid), m_sections(std::move(sections)),
          m_share(muxRate > 0 ? static_cast<double>(rate) / muxRate : 0)
    {
    }

    bool empty() const { return m_sections.empty(); }
    int passes() const { return m_passes; }

    // Called once per packet slot: the carousel earns its share of the mux rate.
    void tick() { m_credit = std::min(m_credit + m_share, 2.0); }

    // Sections to send before the next carousel section; a copy still waiting is not
    // queued twice, so a slow carousel cannot pile them up.
    void interject(const std::vector<Bytes>& sections)
    {
        if (m_interjections.empty())
            m_interjections = sections;
    }

    // Appends the next packet and returns true when the carousel has earned a packet.
    bool take(Bytes& out)
    {
        if (m_credit < 1.0)
            return false;
        if (m_queue.empty())
            refill();
        if (m_queue.empty())
            return false;
        m_credit -= 1.0;
        out.insert(out.end(), m_queue.front().begin(), m_queue.front().end());
        m_queue.pop_front();
        if (m_queue.empty() && m_next == 0 && m_wrapped)
            ++m_passes; // the last packet of a pass went out
        return true;
    }

private:
    void refill()
    {
        std::vector<Bytes> batch;
        batch.swap(m_interjections);
        const size_t end = std::min(m_next + kBatch, m_sections.size());
        batch.insert(batch.end(), m_sections.begin() + static_cast<std::ptrdiff_t>(m_next),
                     m_sections.begin() + static_cast<std::ptrdiff_t>(end));
        m_wrapped = !m_sections.empty() && end == m_sections.size();
        Bytes packets;
        m_packetizer.put(batch, packets);
        for (size_t i = 0; i < packets.size(); i += ts::kPacketSize)
            m_queue.emplace_back(packets.begin() + static_cast<std::ptrdiff_t>(i),
                                 packets.begin() + static_cast<std::ptrdiff_t>(i + ts::kPacketSize));
        m_next = end == m_sections.size() ? 0 : end;
    }

    ts::Packetizer m_packetizer;
    std::vector<Bytes> m_sections;
    double m_share;
    double m_credit = 0;
    size_t m_next = 0;
    int m_passes = 0;
    bool m_wrapped = false;
    std::deque<Bytes> m_queue;
    std::vector<Bytes> m_interjections;
};

// Tables repeated at a fixed interval, sent ahead of the carousels.
struct Periodic {
    uint64_t interval; // packets
    uint64_t due;
    std::function<void(std::deque<Bytes>&, uint64_t)> emit;
};

void appendPcrPacket(Bytes& out, uint64_t pcr27)
{
    const uint64_t base = pcr27 / 300;
    const uint64_t ext = pcr27 % 300;
    uint8_t p[ts::kPacketSize];
    std::fill(p, p + sizeof p, 0xFF);
    p[0] = 0x47;
    p[1] = static_cast<uint8_t>(kPcrPid >> 8);
    p[2] = static_cast<uint8_t>(kPcrPid & 0xFF);
    p[3] = 0x20; // adaptation field only; the continuity counter does not advance
    p[4] = 183;
    p[5] = 0x10; // PCR_flag
    p[6] = static_cast<uint8_t>(base >> 25);
    p[7] = static_cast<uint8_t>(base >> 17);
    p[8] = static_cast<uint8_t>(base >> 9);
    p[9] = static_cast<uint8_t>(base >> 1);
    p[10] = static_cast<uint8_t>(((base & 1) << 7) | 0x7E | (ext >> 8));
    p[11] = static_cast<uint8_t>(ext & 0xFF);
    out.insert(out.end(), p, p + sizeof p);
}

void toPackets(ts::Packetizer& pk, const std::vector<Bytes>& sections, std::deque<Bytes>& q)
{
    Bytes packets;
    pk.put(sections, packets);
    for (size_t i = 0; i < packets.size(); i += ts::kPacketSize)
        q.emplace_back(packets.begin() + static_cast<std::ptrdiff_t>(i),
                       packets.begin() + static_cast<std::ptrdiff_t>(i + ts::kPacketSize));
}

std::vector<Bytes> titleCarousel(const Config& cfg, const Model& m)
{
    const auto junk = junkTitleSections();
    std::vector<Bytes> out;
    for (size_t i = 0; i < m.titles.size(); ++i) {
        if (cfg.junkSections && i % 150 == 75)
            out.push_back(junk[(i / 150) % junk.size()]);
        out.push_back(buildTitleSection(m.titles[i], static_cast<uint16_t>(i + 1)));
    }
    return out;
}

std::vector<Bytes> summaryCarousel(const Config& cfg, const Model& m)
{
    const auto junk = junkSummarySections();
    std::vector<Bytes> out;
    for (size_t i = 0; i < m.summaries.size(); ++i) {
        if (cfg.junkSections && i % 100 == 50)
            out.push_back(junk[(i / 100) % junk.size()]);
        out.push_back(buildSummarySection(m.summaries[i]));
    }
    return out;
}

} // namespace

std::vector<std::vector<uint8_t>> junkTitleSections()
{
    std::vector<Bytes> out;
    for (size_t len : {45u, 47u, 12u, 120u}) {
        Bytes s(len, 0x5A);
        s[0] = kCarouselTable;
        setSectionLength(s, 0x70);
        out.push_back(s);
    }
    Bytes other(kTitleSectionSize, 0x33); // right length, another table
    other[0] = 0x93;
    setSectionLength(other, 0x70);
    out.push_back(other);
    return out;
}

std::vector<std::vector<uint8_t>> junkSummarySections()
{
    std::vector<Bytes> out;
    Bytes shortOne = {kCarouselTable, 0, 0, 0x12, 0x34, 0x56, 0x78, 0xFF, 0xFF, 0xFF, 0x00}; // 11 bytes only
    setSectionLength(shortOne, 0x70);
    out.push_back(shortOne);
    Bytes noMarker = {kCarouselTable, 0, 0, 0x12, 0x34, 0x56, 0x79, 0xFF, 0x00, 0xFF, 0x00, 'N', 'o', 0};
    setSectionLength(noMarker, 0x70);
    out.push_back(noMarker);
    Bytes tooMany = {kCarouselTable, 0, 0, 0x12, 0x34, 0x56, 0x7A, 0xFF, 0xFF, 0xFF, 10};
    tooMany.resize(11 + 70, 0x01);
    tooMany.push_back('X');
    tooMany.push_back(0);
    setSectionLength(tooMany, 0x70);
    out.push_back(tooMany);
    Bytes other = {0x94, 0, 0, 0x12, 0x34, 0x56, 0x7B, 0xFF, 0xFF, 0xFF, 0x00, 'O', 't', 'h', 'e', 'r', 0};
    setSectionLength(other, 0x70);
    out.push_back(other);
    return out;
}

uint64_t packetTime27MHz(const Config& cfg, uint64_t i)
{
    // The PCR field ends at byte 11 of its packet.
    return (i * ts::kPacketSize + 11) * 8 * kClock / static_cast<uint64_t>(cfg.muxRate);
}

std::vector<uint8_t> buildTransportStream(const Config& cfg)
{
    return buildTransportStream(cfg, generateModel(cfg));
}

std::vector<uint8_t> buildTransportStream(const Config& cfg, const Model& m)
{
    const uint64_t perSecond = std::max<uint64_t>(1, static_cast<uint64_t>(cfg.muxRate) / (ts::kPacketSize * 8));
    auto every = [&](uint64_t ms) { return std::max<uint64_t>(1, perSecond * ms / 1000); };
    const std::vector<Service> services = servicesOf(cfg, m);

    ts::Packetizer pat(0), nit(kNitPid), sdt(kSdtPid), tdt(kTimePid);
    std::vector<ts::Packetizer> pmts;
    for (const auto& sv : services)
        pmts.emplace_back(sv.pmtPid);
    const Bytes patSection = buildPat(cfg.tsid, services);
    std::vector<Bytes> pmtSections;
    for (size_t i = 0; i < services.size(); ++i)
        pmtSections.push_back(buildPmt(services[i], i == 0, cfg.withEpg));
    const std::vector<Bytes> sdtSections = buildSdt(cfg.tsid, cfg.onid, services);
    const Bytes nitSection = buildNit(cfg, services);
    const std::vector<Channel> sentChannels = cfg.emptyChannelTable ? std::vector<Channel>{} : m.channels;
    const Bytes channelSection = buildChannelSection(sentChannels, cfg.channelExtraBytes);
    const Bytes themeSection = buildThemeSection(m.themes, cfg.themeExtraBytes);

    auto utcAt = [&](uint64_t slot) { return m.clockStart + static_cast<time_t>(slot / perSecond); };
    std::vector<Periodic> periodic = {
        {every(100), 0, [&](std::deque<Bytes>& q, uint64_t) { toPackets(pat, {patSection}, q); }},
        {every(400), 0,
         [&](std::deque<Bytes>& q, uint64_t) {
             for (size_t i = 0; i < pmts.size(); ++i)
                 toPackets(pmts[i], {pmtSections[i]}, q);
         }},
        {every(500), 0, [&](std::deque<Bytes>& q, uint64_t) { toPackets(sdt, sdtSections, q); }},
        {every(1000), 0, [&](std::deque<Bytes>& q, uint64_t) { toPackets(nit, {nitSection}, q); }},
        {every(1000), 0,
         [&](std::deque<Bytes>& q, uint64_t slot) { toPackets(tdt, {buildTdt(utcAt(slot)), buildTot(utcAt(slot))}, q); }},
    };
    Carousel titles(kTitlePid, cfg.withEpg ? titleCarousel(cfg, m) : std::vector<Bytes>{}, cfg.titleRate, cfg.muxRate);
    Carousel summaries(kEpgPid, cfg.withEpg ? summaryCarousel(cfg, m) : std::vector<Bytes>{}, cfg.summaryRate,
                       cfg.muxRate);
    if (cfg.withEpg)
        periodic.push_back({every(250), 0, [&](std::deque<Bytes>&, uint64_t) {
                                summaries.interject({channelSection, themeSection});
                            }});
    const uint64_t pcrInterval = every(30);
    // Without carousels the stream still runs a few seconds per pass.
    const uint64_t minimumSlots = titles.empty() && summaries.empty() ? perSecond * 5 * cfg.passes : 0;

    Bytes out;
    std::deque<Bytes> urgent;
    for (uint64_t slot = 0;; ++slot) {
        const bool titlesDone = titles.empty() || titles.passes() >= cfg.passes;
        const bool summariesDone = summaries.empty() || summaries.passes() >= cfg.passes;
        if (titlesDone && summariesDone && slot >= minimumSlots && urgent.empty())
            break;
        for (auto& p : periodic) {
            if (slot >= p.due) {
                p.emit(urgent, slot);
                p.due += p.interval;
            }
        }
        titles.tick();
        summaries.tick();
        if (slot % pcrInterval == 0) {
            appendPcrPacket(out, packetTime27MHz(cfg, slot));
        } else if (!urgent.empty()) {
            out.insert(out.end(), urgent.front().begin(), urgent.front().end());
            urgent.pop_front();
        } else if (!titles.take(out) && !summaries.take(out)) {
            ts::appendNullPacket(out);
        }
    }
    return out;
}

} // namespace mux
