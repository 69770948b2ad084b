#pragma once
// Text fields of DVB service information (ETSI EN 300 468 Annex A) to UTF-8. The first
// byte may select the character table (0x01..0x0B ISO/IEC 8859-5..15, 0x10 with a
// two-byte ISO/IEC 8859 part number, 0x11 and 0x14 two-byte ISO/IEC 10646, 0x12 KS X 1001,
// 0x13 GB-2312, 0x15 UTF-8); without one the ISO/IEC 6937 based default table applies.
// Control codes come out as the standard means them: 0x8A (CR/LF) as a line break,
// emphasis on/off (0x86/0x87) and the other C0/C1 codes dropped, so the result is
// always valid UTF-8 that XML can carry. Bytes a table cannot convert are skipped and
// counted. Converters are opened once per table and kept, so one decoder per thread.
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace scan {

struct DvbTextFaults {
    uint64_t badBytes = 0;       // bytes the selected table cannot convert: skipped
    uint64_t unknownTables = 0;  // reserved selector: read with the default table
    uint64_t compressed = 0;     // selector 0x1F (encoding_type_id): not supported, text dropped
};

class DvbText {
public:
    DvbText();
    ~DvbText();
    DvbText(const DvbText&) = delete;
    DvbText& operator=(const DvbText&) = delete;

    // One text field as sent (selector first, when there is one).
    std::string decode(const uint8_t* field, size_t size);
    std::string decode(const std::string& field)
    {
        return decode(reinterpret_cast<const uint8_t*>(field.data()), field.size());
    }
    // Fields that continue one another (the texts of an event's extended event
    // descriptors): decoded as one, so that a character split between two fields stays
    // whole. A later field that repeats the first one's selector has it removed.
    std::string decodeJoined(const std::vector<std::pair<const uint8_t*, size_t>>& fields);

    const DvbTextFaults& faults() const { return m_faults; }

private:
    struct Table {
        int slot;        // converter cache index, -1 for UTF-8 as it is
        const char* charset;
        size_t selectorSize;
    };
    Table table(const uint8_t* field, size_t size);
    void convert(const Table& t, const uint8_t* text, size_t size, std::string& out);
    void appendCleaned(const char* utf8, size_t size, std::string& out);

    std::vector<void*> m_converters; // iconv_t by table slot, opened on first use
    std::string m_raw;                // joined fields, reused
    std::string m_converted;          // iconv output, reused
    DvbTextFaults m_faults;
};

} // namespace scan
