#include "mux/SiSections.h"

#include "mux/Bytes.h"
#include "mux/EpgSections.h"

namespace mux {
namespace {

constexpr uint8_t kLongFlags = 0xB0; // section_syntax_indicator 1, reserved bits
constexpr uint8_t kShortFlags = 0x70;
constexpr size_t kMaxSiSection = 1024;

void longHeader(Bytes& s, uint8_t table, uint16_t ext, uint8_t section = 0, uint8_t last = 0)
{
    s = {table, 0, 0};
    put16(s, ext);
    put8(s, 0xC1); // version 0, current
    put8(s, section);
    put8(s, last);
}

unsigned bcd(unsigned v) { return ((v / 10) << 4) | (v % 10); }

void putText(Bytes& s, const std::string& latin9)
{
    const std::string t = dvbText(latin9);
    put8(s, static_cast<unsigned>(t.size()));
    s.insert(s.end(), t.begin(), t.end());
}

} // namespace

void putUtc(Bytes& s, time_t utc)
{
    const long days = static_cast<long>(utc / 86400);
    const long secs = static_cast<long>(utc % 86400);
    put16(s, static_cast<unsigned>(40587 + days));
    put8(s, bcd(static_cast<unsigned>(secs / 3600)));
    put8(s, bcd(static_cast<unsigned>(secs / 60 % 60)));
    put8(s, bcd(static_cast<unsigned>(secs % 60)));
}

std::string dvbText(const std::string& latin9)
{
    for (unsigned char c : latin9)
        if (c >= 0x80 || c < 0x20 || c == '$' || c == '#') // differ between ISO 6937 and Latin-9
            return "\x0B" + latin9;
    return latin9;
}

std::vector<Service> servicesOf(const Config& cfg, const Model& m)
{
    std::vector<Service> out;
    out.push_back({cfg.epgServiceId, kEpgPmtPid, 0x01, cfg.epgServiceName, cfg.providerName});
    for (size_t i = 0; i < m.channels.size(); ++i) {
        const Channel& c = m.channels[i];
        out.push_back({c.sid, static_cast<uint16_t>(kEpgPmtPid + 1 + i), c.serviceType, c.name, cfg.providerName, true});
    }
    return out;
}

std::vector<uint8_t> buildPat(uint16_t tsid, const std::vector<Service>& services)
{
    Bytes s;
    longHeader(s, 0x00, tsid);
    put16(s, 0);
    put16(s, 0xE000 | kNitPid);
    for (const auto& sv : services) {
        put16(s, sv.sid);
        put16(s, 0xE000 | sv.pmtPid);
    }
    finishWithCrc(s, kLongFlags);
    return s;
}

std::vector<uint8_t> buildPmt(const Service& sv, bool isEpg, bool withEpgPids)
{
    Bytes s;
    longHeader(s, 0x02, sv.sid);
    put16(s, 0xE000 | (isEpg ? kPcrPid : 0x1FFF));
    put16(s, 0xF000); // no programme descriptors
    if (isEpg && withEpgPids) {
        for (uint16_t pid : {kTitlePid, kEpgPid}) {
            put8(s, 0x05); // private sections
            put16(s, 0xE000 | pid);
            put16(s, 0xF000);
        }
    }
    finishWithCrc(s, kLongFlags);
    return s;
}

std::vector<std::vector<uint8_t>> buildSdt(uint16_t tsid, uint16_t onid, const std::vector<Service>& services)
{
    std::vector<Bytes> loops(1);
    for (const auto& sv : services) {
        Bytes d = {0x48, 0, sv.type};
        putText(d, sv.provider);
        putText(d, sv.name);
        d[1] = static_cast<uint8_t>(d.size() - 2);
        Bytes entry;
        put16(entry, sv.sid);
        put8(entry, sv.eit ? 0xFF : 0xFC); // EIT schedule and present/following flags
        put16(entry, 0x8000 | d.size()); // running, not scrambled
        entry.insert(entry.end(), d.begin(), d.end());
        if (11 + loops.back().size() + entry.size() + 4 > kMaxSiSection)
            loops.emplace_back();
        loops.back().insert(loops.back().end(), entry.begin(), entry.end());
    }
    std::vector<Bytes> out;
    for (size_t i = 0; i < loops.size(); ++i) {
        Bytes s;
        longHeader(s, 0x42, tsid, static_cast<uint8_t>(i), static_cast<uint8_t>(loops.size() - 1));
        put16(s, onid);
        put8(s, 0xFF);
        s.insert(s.end(), loops[i].begin(), loops[i].end());
        finishWithCrc(s, kLongFlags);
        out.push_back(std::move(s));
    }
    return out;
}

std::vector<uint8_t> buildNit(const Config& cfg, const std::vector<Service>& services)
{
    Bytes s;
    longHeader(s, 0x40, cfg.networkId);
    Bytes net = {0x40, 0};
    net.insert(net.end(), cfg.providerName.begin(), cfg.providerName.end());
    net[1] = static_cast<uint8_t>(net.size() - 2);
    put16(s, 0xF000 | net.size());
    s.insert(s.end(), net.begin(), net.end());

    Bytes ts;
    put16(ts, cfg.tsid);
    put16(ts, cfg.onid);
    Bytes desc = {0x43, 11};
    put32(desc, 0x01174700); // 11.747 GHz in BCD, 10 kHz units
    const unsigned pos = static_cast<unsigned>(cfg.orbitalPosition);
    put16(desc, (bcd(pos / 100) << 8) | bcd(pos % 100));
    put8(desc, (cfg.west ? 0x00 : 0x80) | 0x01); // east flag, horizontal, DVB-S QPSK
    put32(desc, 0x02750003);                      // 27.5 Msym/s, FEC 3/4
    Bytes list = {0x41, 0};
    for (const auto& sv : services) {
        if (list.size() + 3 > 257)
            break;
        put16(list, sv.sid);
        put8(list, sv.type);
    }
    list[1] = static_cast<uint8_t>(list.size() - 2);
    desc.insert(desc.end(), list.begin(), list.end());
    put16(ts, 0xF000 | desc.size());
    ts.insert(ts.end(), desc.begin(), desc.end());
    put16(s, 0xF000 | ts.size());
    s.insert(s.end(), ts.begin(), ts.end());
    finishWithCrc(s, kLongFlags);
    return s;
}

std::vector<uint8_t> buildTdt(time_t utc)
{
    Bytes s = {0x70, 0, 0};
    putUtc(s, utc);
    setSectionLength(s, kShortFlags);
    return s;
}

std::vector<uint8_t> buildTot(time_t utc)
{
    Bytes s = {0x73, 0, 0};
    putUtc(s, utc);
    struct tm local;
    localtime_r(&utc, &local);
    const long offset = local.tm_gmtoff;
    const unsigned mins = static_cast<unsigned>((offset < 0 ? -offset : offset) / 60);
    Bytes d = {0x58, 13, 'I', 'T', 'A', static_cast<uint8_t>(0x02 | (offset < 0 ? 1 : 0))};
    put8(d, bcd(mins / 60));
    put8(d, bcd(mins % 60));
    putUtc(d, utc); // no change announced: time_of_change is now
    put8(d, bcd(mins / 60));
    put8(d, bcd(mins % 60));
    put16(s, 0xF000 | d.size());
    s.insert(s.end(), d.begin(), d.end());
    finishWithCrc(s, kShortFlags);
    return s;
}

} // namespace mux
