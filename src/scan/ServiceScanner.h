#pragma once
// Collects PAT, SDT actual and NIT actual from transport packets and decodes them with
// libdvbv5's table and descriptor parsers (text converted to UTF-8 from the DVB
// character tables). Feed packets until done().
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "scan/ScanResult.h"
#include "ts/SectionReassembler.h"

struct dvb_v5_fe_parms;

namespace scan {

class ServiceScanner {
public:
    ServiceScanner();
    ~ServiceScanner();
    ServiceScanner(const ServiceScanner&) = delete;
    ServiceScanner& operator=(const ServiceScanner&) = delete;

    // One 188-byte packet, sync byte first.
    void put(const uint8_t* packet);
    bool done() const { return m_result.complete(); }
    // The tables seen so far, decoded.
    ScanResult result() const;

private:
    // Sections of one table, by section_number, all of one version.
    struct TableParts {
        int version = -1;
        int last = -1;
        std::map<int, std::vector<uint8_t>> sections;
        bool complete() const { return last >= 0 && static_cast<int>(sections.size()) == last + 1; }
    };

    void onSection(uint16_t pid, const uint8_t* s, size_t n);
    static bool collect(TableParts& parts, const uint8_t* s, size_t n);
    void decodePat();
    void decodeSdt();
    void decodeNit();

    dvb_v5_fe_parms* m_parms = nullptr;
    ts::SectionReassembler m_reassembler;
    TableParts m_pat, m_sdt, m_nit;
    ScanResult m_result;
    std::map<uint16_t, uint16_t> m_pmtPids;
};

// Scans a whole stream in memory (188-byte packets) or a file, stopping as soon as all
// three tables were seen or after maxPackets packets.
ScanResult scanTransportStream(const uint8_t* data, size_t size, uint64_t maxPackets = 500000);
ScanResult scanTransportStream(const std::vector<uint8_t>& data, uint64_t maxPackets = 500000);
// Returns a result with no tables when the file cannot be read.
ScanResult scanTransportFile(const std::string& path, uint64_t maxPackets = 500000);

} // namespace scan
