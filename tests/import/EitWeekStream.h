#pragma once
// A satellite's worth of DVB event information, made up: services spread over
// transport streams of one network, their SDT names, and an EIT schedule of
// programmes back to back from a first day on (ETSI EN 300 468 5.2.3, 5.2.4), with
// short and extended event descriptors and a content descriptor each; a TDT at the
// start. For the import's tests and benchmark.
#include "ts/Crc32.h"
#include "ts/Packetizer.h"

#include <algorithm>
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

namespace importtest {

struct EitWeekShape {
    int services = 1000;
    int perStream = 100;   // services per transport stream
    int days = 7;
    int minutes = 50;      // every programme's length
    std::time_t firstUtc = 1796706000; // the first programme of every service
    uint16_t onid = 0x13E;
};

namespace eitdetail {

using Bytes = std::vector<uint8_t>;

inline void put16(Bytes& b, unsigned v)
{
    b.push_back(uint8_t(v >> 8));
    b.push_back(uint8_t(v));
}

inline uint8_t bcd(int v) { return uint8_t((v / 10) << 4 | (v % 10)); }

inline void putTime(Bytes& b, std::time_t t)
{
    put16(b, unsigned(40587 + t / 86400));
    const long s = long(t % 86400);
    b.push_back(bcd(int(s / 3600)));
    b.push_back(bcd(int(s / 60 % 60)));
    b.push_back(bcd(int(s % 60)));
}

inline void descriptor(Bytes& b, uint8_t tag, const Bytes& body)
{
    b.push_back(tag);
    b.push_back(uint8_t(body.size()));
    b.insert(b.end(), body.begin(), body.end());
}

inline void text(Bytes& b, const std::string& s)
{
    b.push_back(uint8_t(s.size()));
    b.insert(b.end(), s.begin(), s.end());
}

// Sets section_length and appends the CRC-32.
inline void finish(Bytes& s)
{
    const size_t len = s.size() + 4 - 3;
    s[1] = uint8_t((s[1] & 0xF0) | (len >> 8));
    s[2] = uint8_t(len);
    const uint32_t crc = ts::crc32(s.data(), s.size());
    put16(s, crc >> 16);
    put16(s, crc & 0xFFFF);
}

inline Bytes event(uint16_t id, std::time_t start, int minutes, int n)
{
    Bytes e;
    put16(e, id);
    putTime(e, start);
    e.push_back(bcd(minutes / 60));
    e.push_back(bcd(minutes % 60));
    e.push_back(0);
    Bytes d, body = {'i', 't', 'a'};
    text(body, "Programma " + std::to_string(n % 400));
    text(body, "Puntata " + std::to_string(n % 37));
    descriptor(d, 0x4D, body);
    body = {0x00, 'i', 't', 'a', 0};
    text(body, "Una storia di mare e di montagna, episodio " + std::to_string(n % 3000) + ".");
    descriptor(d, 0x4E, body);
    const uint8_t genre = uint8_t(1 + n % 11);
    descriptor(d, 0x54, {uint8_t(genre << 4 | (n / 11) % 4), 0});
    put16(e, 0x8000 | unsigned(d.size()));
    e.insert(e.end(), d.begin(), d.end());
    return e;
}

} // namespace eitdetail

// The whole stream as 188-byte packets.
inline std::vector<uint8_t> eitWeekStream(const EitWeekShape& shape)
{
    using namespace eitdetail;
    std::vector<Bytes> sdt, eit;
    // SDT actual of every transport stream, a few services per section.
    const int streams = (shape.services + shape.perStream - 1) / shape.perStream;
    for (int t = 0; t < streams; ++t) {
        const int first = t * shape.perStream, last = std::min(shape.services, first + shape.perStream);
        const int perSection = 30, sections = (last - first + perSection - 1) / perSection;
        for (int k = 0; k < sections; ++k) {
            Bytes s = {0x42, 0xF0, 0};
            put16(s, unsigned(t + 1));
            s.push_back(0xC1);
            s.push_back(uint8_t(k));
            s.push_back(uint8_t(sections - 1));
            put16(s, shape.onid);
            s.push_back(0xFF);
            for (int i = first + k * perSection; i < std::min(last, first + (k + 1) * perSection); ++i) {
                Bytes body = {0x01};
                text(body, "Sat");
                text(body, "Canale " + std::to_string(i));
                Bytes d;
                descriptor(d, 0x48, body);
                put16(s, unsigned(i + 1));
                s.push_back(0xFF);
                put16(s, 0x8000 | unsigned(d.size()));
                s.insert(s.end(), d.begin(), d.end());
            }
            finish(s);
            sdt.push_back(s);
        }
    }
    // EIT schedule actual: table 0x50 + n covers days 4n..4n+3, eight sections a
    // three-hour segment; here one section per segment, so each segment's first.
    int n = 0;
    for (int i = 0; i < shape.services; ++i) {
        const int total = shape.days * 24 * 60 / shape.minutes;
        const int tables = (shape.days + 3) / 4;
        std::vector<std::vector<Bytes>> segments(size_t(tables * 32));
        for (int p = 0; p < total; ++p, ++n) {
            const std::time_t start = shape.firstUtc + std::time_t(p) * shape.minutes * 60;
            const size_t segment = size_t((start - (shape.firstUtc - shape.firstUtc % 86400)) / (3 * 3600));
            if (segment < segments.size())
                segments[segment].push_back(event(uint16_t(p + 1), start, shape.minutes, n));
        }
        for (size_t g = 0; g < segments.size(); ++g) {
            if (segments[g].empty())
                continue;
            const int table = int(g / 32);
            Bytes s = {uint8_t(0x50 + table), 0xF0, 0};
            put16(s, unsigned(i + 1));
            s.push_back(0xC1);
            s.push_back(uint8_t((g % 32) * 8));
            s.push_back(uint8_t(31 * 8));
            put16(s, unsigned(i / shape.perStream + 1));
            put16(s, shape.onid);
            s.push_back(uint8_t((g % 32) * 8));
            s.push_back(uint8_t(0x50 + tables - 1));
            for (const Bytes& e : segments[g])
                s.insert(s.end(), e.begin(), e.end());
            finish(s);
            eit.push_back(s);
        }
    }
    std::vector<uint8_t> out;
    Bytes tdt = {0x70, 0x70, 0x05};
    putTime(tdt, shape.firstUtc);
    ts::Packetizer(0x14).put(tdt, out);
    ts::Packetizer(0x11).put(sdt, out);
    ts::Packetizer(0x12).put(eit, out);
    return out;
}

} // namespace importtest
