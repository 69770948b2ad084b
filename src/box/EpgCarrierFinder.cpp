#include "box/EpgCarrierFinder.h"

#include <libdvbv5/pmt.h>

#include "scan/DvbParser.h"

namespace box {
namespace {
constexpr uint8_t kPmtTable = 0x02;
}

EpgCarrierFinder::EpgCarrierFinder(const std::map<uint16_t, uint16_t>& pmtPids)
    : m_reassembler([this](uint16_t pid, const uint8_t* s, size_t n) { onSection(pid, s, n); })
{
    m_reassembler.setCheckCrc(true);
    for (const auto& [sid, pid] : pmtPids) {
        if (pid == 0 || pid >= ts::kPidCount)
            continue;
        m_wanted[sid] = pid;
        m_reassembler.addFilter(pid, ts::SectionFilter::tableId(kPmtTable));
    }
}

void EpgCarrierFinder::onSection(uint16_t pid, const uint8_t* s, size_t n)
{
    // Long form: 8 header bytes and the CRC at least; program_number in bytes 3-4.
    if (n < 16 || !(s[1] & 0x80) || !(s[5] & 0x01))
        return;
    const uint16_t sid = static_cast<uint16_t>(s[3] << 8 | s[4]);
    auto wanted = m_wanted.find(sid);
    // Several programmes may share a PMT PID; each section names its own.
    if (wanted == m_wanted.end() || wanted->second != pid || m_seen.count(sid))
        return;
    std::vector<uint8_t> copy(s, s + n);
    dvb_table_pmt* pmt = nullptr;
    if (dvb_table_pmt_init(scan::dvbParserParms(), copy.data(), static_cast<ssize_t>(copy.size()), &pmt) < 0 || !pmt)
        return;
    bool titles = false, tables = false;
    dvb_pmt_stream_foreach(stream, pmt)
    {
        titles = titles || stream->elementary_pid == kTitlePid;
        tables = tables || stream->elementary_pid == kTablePid;
    }
    dvb_table_pmt_free(pmt);
    m_seen[sid] = titles && tables;
}

std::vector<uint16_t> EpgCarrierFinder::carriers() const
{
    std::vector<uint16_t> out;
    for (const auto& [sid, carries] : m_seen)
        if (carries)
            out.push_back(sid);
    return out;
}

} // namespace box
