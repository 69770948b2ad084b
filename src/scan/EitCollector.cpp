#include "scan/EitCollector.h"

#include "scan/SiTime.h"

namespace scan {

EitCollector::EitCollector(SectionSink sections, TimeSink times)
    : m_sectionSink(std::move(sections)), m_timeSink(std::move(times)),
      m_reassembler([this](uint16_t pid, const uint8_t* s, size_t n) { putSection(pid, s, n); })
{
    m_reassembler.setCheckCrc(true);
    forEachFilter([this](uint16_t pid, const ts::SectionFilter& f) { m_reassembler.addFilter(pid, f); });
}

void EitCollector::forEachFilter(const std::function<void(uint16_t, const ts::SectionFilter&)>& f)
{
    // Tables 0x40..0x7F on the EIT PID and 0x70..0x73 on the time PID; the rest of each
    // range is sorted out by table id when the sections come.
    const uint8_t eitValue[ts::kFilterSize] = {0x40};
    const uint8_t eitMask[ts::kFilterSize] = {0xC0};
    f(kEitPid, ts::SectionFilter(eitValue, eitMask));
    const uint8_t timeValue[ts::kFilterSize] = {0x70};
    const uint8_t timeMask[ts::kFilterSize] = {0xFC};
    f(kTimePid, ts::SectionFilter(timeValue, timeMask));
}

void EitCollector::put(const uint8_t* packet) { m_reassembler.put(packet); }

void EitCollector::putSection(uint16_t pid, const uint8_t* s, size_t n)
{
    if (pid == kTimePid) {
        if (s[0] != kTdt && s[0] != kTot)
            return;
        if (auto utc = decodeTimeSection(s, n)) {
            ++m_counters.times;
            if (m_timeSink)
                m_timeSink(*utc);
        } else {
            ++m_counters.badTimes;
        }
        return;
    }
    if (!isEitTable(s[0]))
        return;
    ++m_counters.sections;
    const auto head = EitDecoder::header(s, n);
    if (head && !head->current) {
        ++m_counters.notCurrent;
        return;
    }
    if (head) {
        auto it = m_seen.find(head->key);
        if (it != m_seen.end() && it->second.version == head->version &&
            it->second.sections.count(head->sectionNumber)) {
            ++m_counters.repeats;
            return;
        }
    }
    // Bad sections are decoded (and counted) each time they come: they are not remembered.
    auto section = m_decoder.decode(s, n);
    if (!section)
        return;
    Seen& seen = m_seen[section->key];
    if (seen.version != section->version || seen.sections.empty()) {
        seen.version = section->version;
        seen.sections.clear();
    }
    seen.sections.insert(section->sectionNumber);
    ++m_counters.decoded;
    if (m_sectionSink)
        m_sectionSink(*section);
}

} // namespace scan
