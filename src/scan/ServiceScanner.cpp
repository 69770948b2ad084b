#include "scan/ServiceScanner.h"

#include <libdvbv5/desc_network_name.h>
#include <libdvbv5/desc_sat.h>
#include <libdvbv5/desc_service.h>
#include <libdvbv5/descriptors.h>
#include <libdvbv5/dvb-fe.h>
#include <libdvbv5/nit.h>
#include <libdvbv5/pat.h>
#include <libdvbv5/sdt.h>

#include <algorithm>

#include "scan/DvbParser.h"
#include "ts/PacketReader.h"
#include "ts/PacketSplitter.h"

// libdvbv5's table free functions do not release the frequency array of a
// frequency_list_descriptor (NIT). The leak is the library's and small; tell
// LeakSanitizer, in sanitizer builds, not to fail the process for it.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:dvb_desc_frequency_list_init\n";
}

namespace scan {
namespace {

constexpr uint16_t kPatPid = 0x00;
constexpr uint16_t kNitPid = 0x10;
constexpr uint16_t kSdtPid = 0x11;
constexpr uint8_t kPatTable = 0x00;
constexpr uint8_t kNitActual = 0x40;
constexpr uint8_t kSdtActual = 0x42;

std::string text(const char* s) { return s ? std::string(s) : std::string(); }

// The parser reads prefix 0x11 (ISO/IEC 10646 two-byte codes, big-endian by
// EN 300 468) in the host's byte order. Prefix 0x14 means the same code units and is
// read big-endian, so the service names and providers of an SDT section are given
// that prefix before parsing. Only the text fields are touched; every length is
// checked against the section.
void fixUcs2Prefixes(std::vector<uint8_t>& s)
{
    if (s.size() < 15)
        return;
    const size_t end = s.size() - 4; // CRC
    size_t at = 11;
    while (at + 5 <= end) {
        const size_t loop = ((s[at + 3] & 0x0F) << 8) | s[at + 4];
        size_t d = at + 5;
        at = d + loop;
        if (at > end)
            return;
        while (d + 2 <= at) {
            const uint8_t tag = s[d];
            const size_t len = s[d + 1];
            const size_t body = d + 2;
            d = body + len;
            if (d > at)
                return;
            if (tag != 0x48 || len < 3)
                continue;
            const size_t provLen = s[body + 1];
            if (body + 2 + provLen > d)
                continue;
            markTwoByteTextBigEndian(&s[body + 2], provLen);
            const size_t name = body + 2 + provLen;
            if (name < d && s[name] > 0 && name + 1 + s[name] <= d)
                markTwoByteTextBigEndian(&s[name + 1], s[name]);
        }
    }
}

} // namespace

ServiceScanner::ServiceScanner()
    : m_parms(dvbParserParms()), m_reassembler([this](uint16_t pid, const uint8_t* s, size_t n) { onSection(pid, s, n); })
{
    m_reassembler.setCheckCrc(true);
    m_reassembler.addFilter(kPatPid, ts::SectionFilter::tableId(kPatTable));
    m_reassembler.addFilter(kNitPid, ts::SectionFilter::tableId(kNitActual));
    m_reassembler.addFilter(kSdtPid, ts::SectionFilter::tableId(kSdtActual));
}

ServiceScanner::~ServiceScanner() = default;

void ServiceScanner::put(const uint8_t* packet)
{
    ++m_result.packets;
    m_reassembler.put(packet);
}

bool ServiceScanner::collect(TableParts& parts, const uint8_t* s, size_t n)
{
    // Long-form header: 8 bytes before the body, 4 of CRC after it.
    if (n < 12 || !(s[1] & 0x80))
        return false;
    const int version = (s[5] >> 1) & 0x1F;
    const int number = s[6];
    const int last = s[7];
    if (!(s[5] & 0x01) || number > last)
        return false; // not yet applicable, or inconsistent
    if (parts.version >= 0 && (version != parts.version || last != parts.last))
        return false; // keep the first version seen whole
    parts.version = version;
    parts.last = last;
    return parts.sections.emplace(number, std::vector<uint8_t>(s, s + n)).second;
}

void ServiceScanner::onSection(uint16_t pid, const uint8_t* s, size_t n)
{
    if (pid == kPatPid && !m_result.havePat && collect(m_pat, s, n) && m_pat.complete())
        decodePat();
    else if (pid == kSdtPid && !m_result.haveSdt && collect(m_sdt, s, n) && m_sdt.complete())
        decodeSdt();
    else if (pid == kNitPid && !m_result.haveNit && collect(m_nit, s, n) && m_nit.complete())
        decodeNit();
}

void ServiceScanner::decodePat()
{
    for (auto& [number, bytes] : m_pat.sections) {
        std::vector<uint8_t> copy = bytes; // the parser converts in place
        dvb_table_pat* pat = nullptr;
        if (dvb_table_pat_init(m_parms, copy.data(), static_cast<ssize_t>(copy.size()), &pat) < 0 || !pat)
            continue;
        m_result.tsid = pat->header.id;
        dvb_pat_program_foreach(program, pat)
        {
            if (program->service_id != 0)
                m_pmtPids[program->service_id] = program->pid;
        }
        dvb_table_pat_free(pat);
    }
    m_result.havePat = true;
    for (auto& s : m_result.services)
        s.pmtPid = m_pmtPids.count(s.sid) ? m_pmtPids[s.sid] : 0;
}

void ServiceScanner::decodeSdt()
{
    for (auto& [number, bytes] : m_sdt.sections) {
        std::vector<uint8_t> copy = bytes;
        fixUcs2Prefixes(copy);
        dvb_table_sdt* sdt = nullptr;
        if (dvb_table_sdt_init(m_parms, copy.data(), static_cast<ssize_t>(copy.size()), &sdt) < 0 || !sdt)
            continue;
        m_result.onid = sdt->network_id;
        if (!m_result.havePat)
            m_result.tsid = sdt->header.id;
        dvb_sdt_service_foreach(service, sdt)
        {
            ServiceInfo info;
            info.sid = service->service_id;
            for (dvb_desc* d = service->descriptor; d; d = d->next) {
                if (d->type != service_descriptor)
                    continue;
                auto* sd = reinterpret_cast<dvb_desc_service*>(d);
                info.type = sd->service_type;
                info.name = text(sd->name);
                info.provider = text(sd->provider);
            }
            auto pmt = m_pmtPids.find(info.sid);
            info.pmtPid = pmt != m_pmtPids.end() ? pmt->second : 0;
            m_result.services.push_back(std::move(info));
        }
        dvb_table_sdt_free(sdt);
    }
    m_result.haveSdt = true;
}

void ServiceScanner::decodeNit()
{
    for (auto& [number, bytes] : m_nit.sections) {
        std::vector<uint8_t> copy = bytes;
        dvb_table_nit* nit = nullptr;
        if (dvb_table_nit_init(m_parms, copy.data(), static_cast<ssize_t>(copy.size()), &nit) < 0 || !nit)
            continue;
        m_result.networkId = nit->header.id;
        for (dvb_desc* d = nit->descriptor; d; d = d->next)
            if (d->type == network_name_descriptor)
                m_result.networkName = text(reinterpret_cast<dvb_desc_network_name*>(d)->network_name);
        dvb_nit_transport_foreach(tran, nit)
        {
            for (dvb_desc* d = tran->descriptor; d; d = d->next) {
                if (d->type != satellite_delivery_system_descriptor)
                    continue;
                auto* sat = reinterpret_cast<dvb_desc_sat*>(d);
                // Several transports may be listed: prefer our own once the PAT or SDT named it.
                const bool ours = (m_result.havePat || m_result.haveSdt) && tran->transport_id == m_result.tsid;
                if (m_result.satellite && !ours)
                    continue;
                m_result.satellite = true;
                m_result.orbitalPosition = sat->orbit; // the parser has turned the BCD digits into tenths
                m_result.west = !sat->west_east;
            }
        }
        dvb_table_nit_free(nit);
    }
    m_result.haveNit = true;
}

ScanResult ServiceScanner::result() const
{
    ScanResult r = m_result;
    r.dvbNamespace = r.satellite ? satelliteNamespace(r.orbitalPosition, r.west) : kTerrestrialNamespace;
    return r;
}

ScanResult scanTransportStream(const uint8_t* data, size_t size, uint64_t maxPackets)
{
    ServiceScanner scanner;
    ts::PacketSplitter splitter;
    uint64_t n = 0;
    auto sink = [&](const uint8_t* p) {
        if (!scanner.done() && n++ < maxPackets)
            scanner.put(p);
    };
    // In slices, so a scan that is done early does not walk the rest.
    constexpr size_t kSlice = 64 * 1024;
    for (size_t at = 0; at < size && !scanner.done() && n < maxPackets; at += kSlice)
        splitter.push(data + at, std::min(kSlice, size - at), sink);
    splitter.finish(sink);
    return scanner.result();
}

ScanResult scanTransportStream(const std::vector<uint8_t>& data, uint64_t maxPackets)
{
    return scanTransportStream(data.data(), data.size(), maxPackets);
}

ScanResult scanTransportFile(const std::string& path, uint64_t maxPackets)
{
    ServiceScanner scanner;
    ts::PacketReader reader(path);
    if (!reader.ok())
        return scanner.result();
    uint64_t n = 0;
    while (!scanner.done() && n++ < maxPackets) {
        const uint8_t* p = reader.next();
        if (!p)
            break;
        scanner.put(p);
    }
    return scanner.result();
}

} // namespace scan
