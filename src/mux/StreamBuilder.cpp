#include "mux/StreamBuilder.h"

#include <algorithm>
#include <deque>
#include <functional>

#include "mux/Bytes.h"
#include "mux/EitSections.h"
#include "mux/EpgSections.h"
#include "mux/ModelGenerator.h"
#include "mux/PacketTrack.h"
#include "mux/SiSections.h"
#include "ts/Packetizer.h"

namespace mux {
namespace {

constexpr uint64_t kClock = 27000000;
// The channel and theme lists go out at least this often on the summary PID.
constexpr double kListSpacingSeconds = 0.15;
// A stream without carousels runs this long per pass.
constexpr double kBareSecondsPerPass = 5.0;

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
    const size_t n = m.summaries.size();
    // Copies of the summaries sent twice follow half a pass after their first showing.
    std::vector<std::vector<size_t>> copiesAfter(n);
    for (size_t i = 0; i < n; ++i)
        if (m.summaries[i].sentTwice)
            copiesAfter[(i + n / 2) % n].push_back(i);
    std::vector<Bytes> out;
    for (size_t i = 0; i < n; ++i) {
        if (cfg.junkSections && i % 100 == 50)
            out.push_back(junk[(i / 100) % junk.size()]);
        out.push_back(buildSummarySection(m.summaries[i]));
        for (size_t k : copiesAfter[i])
            out.push_back(buildSummarySection(m.summaries[k]));
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

namespace {

// Seconds one pass of these sections takes at the given bit rate.
double passSeconds(const std::vector<Bytes>& sections, int rate)
{
    return sections.empty() ? 0.0 : PacketTrack::packetsFor(sections) * ts::kPacketSize * 8.0 / rate;
}

// How many passes a carousel makes in the stream's length: at least the configured
// number, as many as fit at its bit rate.
int passesIn(double seconds, double pass, int minimum)
{
    return pass > 0 ? std::max(minimum, static_cast<int>(seconds / pass + 1e-9)) : 0;
}

// The summary PID: the lists first, then the summary passes with the lists slipped in
// between summaries every listSpacing bytes. Without summaries, copies of the lists.
// One stretch per pass.
PacketTrack::Source epgSource(const std::vector<Bytes>& summaries, const std::vector<Bytes>& lists, int passes,
                              size_t listSpacing, size_t bareCopies)
{
    if (summaries.empty())
        return [&lists, bareCopies, done = false](std::vector<Bytes>& seq) mutable {
            if (done)
                return false;
            for (size_t i = 0; i < std::max<size_t>(1, bareCopies); ++i)
                seq.insert(seq.end(), lists.begin(), lists.end());
            done = true;
            return true;
        };
    return [&summaries, &lists, passes, listSpacing, pass = 0, since = size_t{0}](std::vector<Bytes>& seq) mutable {
        if (pass >= passes)
            return false;
        if (pass == 0)
            seq = lists;
        for (const Bytes& s : summaries) {
            if (since >= listSpacing) {
                seq.insert(seq.end(), lists.begin(), lists.end());
                since = 0;
            }
            seq.push_back(s);
            since += s.size();
        }
        ++pass;
        return true;
    };
}

// The same sections, pass after pass.
PacketTrack::Source repeatSource(const std::vector<Bytes>& sections, int passes)
{
    return [&sections, left = passes](std::vector<Bytes>& seq) mutable {
        if (left <= 0)
            return false;
        seq = sections;
        --left;
        return true;
    };
}

} // namespace

bool writeTransportStream(const Config& cfg, const Model& m, const StreamSink& sink)
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

    // The carousels, laid out for the whole stream so that it ends where both end a pass:
    // a player that loops the stream goes on without a break in either carousel.
    PacketTrack titles(kTitlePid), epg(kEpgPid);
    double seconds = kBareSecondsPerPass * cfg.passes;
    std::vector<Bytes> titlePass, summaryPass, lists;
    if (cfg.withEpg) {
        titlePass = titleCarousel(cfg, m);
        summaryPass = summaryCarousel(cfg, m);
        const std::vector<Channel> sentChannels = cfg.emptyChannelTable ? std::vector<Channel>{} : m.channels;
        lists = {buildChannelSection(sentChannels, cfg.channelExtraBytes),
                 buildThemeSection(m.themes, cfg.themeExtraBytes)};
        const size_t listSpacing = static_cast<size_t>(cfg.summaryRate / 8 * kListSpacingSeconds);
        const double titleSeconds = passSeconds(titlePass, cfg.titleRate);
        const double summarySeconds = passSeconds(summaryPass, cfg.summaryRate);
        if (titleSeconds > 0 || summarySeconds > 0)
            seconds = std::max(titleSeconds, summarySeconds) * cfg.passes;
        const int titlePasses = passesIn(seconds, titleSeconds, cfg.passes);
        titles.feed([&] { return repeatSource(titlePass, titlePasses); });
        const int summaryPasses = passesIn(seconds, summarySeconds, cfg.passes);
        const size_t bareCopies = static_cast<size_t>(seconds / kListSpacingSeconds);
        epg.feed([&] { return epgSource(summaryPass, lists, summaryPasses, listSpacing, bareCopies); });
    }
    const uint64_t slots = static_cast<uint64_t>(seconds * perSecond);

    auto utcAt = [&](uint64_t slot) { return m.clockStart + static_cast<time_t>(slot / perSecond); };
    // The EIT schedule goes round at most at kScheduleRate and at least every 5 s, in
    // small slices so that it never holds up the lists and carousels for long.
    ts::Packetizer eit(kEitPid);
    const std::vector<Bytes> schedule = buildEitSchedule(cfg, m);
    size_t scheduleBytes = 0;
    for (const auto& sec : schedule)
        scheduleBytes += sec.size();
    constexpr uint64_t kScheduleRate = 300000;
    constexpr uint64_t kSliceMs = 100;
    // A whole round fits in one pass of the stream, so a receiver that plays it once has it all.
    const uint64_t scheduleMs = std::min(std::max<uint64_t>(5000, scheduleBytes * 8 * 1000 / kScheduleRate),
                                         std::max<uint64_t>(kSliceMs, static_cast<uint64_t>(seconds * 900)));
    const size_t sliceBytes = std::max<size_t>(1, scheduleBytes * kSliceMs / scheduleMs);
    size_t scheduleNext = 0;
    auto scheduleSlice = [&](std::deque<Bytes>& q) {
        std::vector<Bytes> slice;
        for (size_t bytes = 0; bytes < sliceBytes && !schedule.empty();) {
            slice.push_back(schedule[scheduleNext]);
            bytes += slice.back().size();
            scheduleNext = (scheduleNext + 1) % schedule.size();
        }
        if (!slice.empty())
            toPackets(eit, slice, q);
    };
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
        {every(2000), 0,
         [&](std::deque<Bytes>& q, uint64_t slot) { toPackets(eit, buildEitPresentFollowing(cfg, m, utcAt(slot)), q); }},
        {every(kSliceMs), 0, [&](std::deque<Bytes>& q, uint64_t) { scheduleSlice(q); }},
    };
    const uint64_t pcrInterval = every(30);
    PacketTrack* tracks[] = {&titles, &epg};

    // Handed to the sink in pieces of about this size.
    constexpr size_t kPiece = 1 << 20;
    Bytes out;
    out.reserve(kPiece + ts::kPacketSize);
    std::deque<Bytes> urgent;
    for (uint64_t slot = 0;; ++slot) {
        if (out.size() >= kPiece) {
            if (!sink(out.data(), out.size()))
                return false;
            out.clear();
        }
        if (titles.exhausted() && epg.exhausted() && slot >= slots && urgent.empty())
            break;
        for (auto& p : periodic) {
            if (slot >= p.due) {
                p.emit(urgent, slot);
                p.due += p.interval;
            }
        }
        if (slot % pcrInterval == 0) {
            appendPcrPacket(out, packetTime27MHz(cfg, slot));
            continue;
        }
        if (!urgent.empty()) {
            out.insert(out.end(), urgent.front().begin(), urgent.front().end());
            urgent.pop_front();
            continue;
        }
        // The track furthest behind its even spread over the stream sends.
        PacketTrack* next = nullptr;
        int64_t lag = 0;
        for (PacketTrack* t : tracks) {
            const uint64_t due = slot >= slots ? t->size() : (slot + 1) * t->size() / slots;
            const int64_t behind = static_cast<int64_t>(due) - static_cast<int64_t>(t->sent());
            if (behind > lag) {
                lag = behind;
                next = t;
            }
        }
        if (next)
            next->sendNext(out);
        else
            ts::appendNullPacket(out);
    }
    return out.empty() || sink(out.data(), out.size());
}

std::vector<uint8_t> buildTransportStream(const Config& cfg, const Model& m)
{
    Bytes ts;
    writeTransportStream(cfg, m, [&](const uint8_t* data, size_t size) {
        ts.insert(ts.end(), data, data + size);
        return true;
    });
    return ts;
}

} // namespace mux
