#include "ts/SectionReassembler.h"

#include <algorithm>
#include <cstring>

#include "ts/Crc32.h"
#include "ts/Packet.h"
#include "ts/Packetizer.h"

namespace ts {

namespace {
enum class Decision : uint8_t { Undecided, Keep, Skip };
constexpr size_t kHeaderSize = 3;

constexpr size_t kFullPayload = kPacketSize - 4;
} // namespace

struct SectionReassembler::PidState {
    uint16_t pid = 0;
    std::vector<SectionFilter> filters;
    size_t span = 0;          // bytes the filters need to decide; 0 = keep all
    uint16_t have = 0;        // bytes of the current section seen
    uint16_t need = 0;        // its total length, once the header is complete
    int8_t lastCc = -1;       // -1: no packet yet
    bool synced = false;      // a payload_unit_start has been seen since the last fault
    Decision decision = Decision::Undecided;
    // When every filter looks at the table_id alone: the table ids they accept.
    bool byTableId = false;
    uint64_t tableIds[4] = {};
    uint8_t buf[kMaxSectionSize];

    bool accepts(const uint8_t* s, size_t size) const
    {
        if (span == 0)
            return true;
        if (byTableId)
            return size > 0 && (tableIds[s[0] >> 6] >> (s[0] & 63) & 1);
        for (const auto& f : filters)
            if (f.matches(s, size))
                return true;
        return false;
    }
    void updateSpan()
    {
        span = 0;
        byTableId = false;
        for (const auto& f : filters) {
            if (f.acceptsAll())
                return;
            span = std::max(span, f.span());
        }
        byTableId = !filters.empty();
        for (const auto& f : filters)
            byTableId = byTableId && f.onlyTableId();
        for (unsigned t = 0; t < 256; ++t) {
            bool any = false;
            for (const auto& f : filters)
                any = any || f.tableIdMatches(uint8_t(t));
            if (any)
                tableIds[t >> 6] |= uint64_t(1) << (t & 63);
            else
                tableIds[t >> 6] &= ~(uint64_t(1) << (t & 63));
        }
    }
};

SectionReassembler::SectionReassembler(Sink sink) : m_sink(std::move(sink)) {}

SectionReassembler::~SectionReassembler() = default;

SectionReassembler::PidState* SectionReassembler::state(uint16_t pid)
{
    pid &= 0x1FFF;
    if (m_slots[pid] == 0) {
        m_states.push_back(std::make_unique<PidState>());
        m_states.back()->pid = pid;
        m_slots[pid] = uint16_t(m_states.size());
    }
    return m_states[m_slots[pid] - 1].get();
}

void SectionReassembler::watch(uint16_t pid)
{
    PidState* st = state(pid);
    st->filters.assign(1, SectionFilter());
    st->updateSpan();
}

void SectionReassembler::addFilter(uint16_t pid, const SectionFilter& filter)
{
    PidState* st = state(pid);
    st->filters.push_back(filter);
    st->updateSpan();
}

void SectionReassembler::unwatch(uint16_t pid)
{
    pid &= 0x1FFF;
    const uint16_t slot = m_slots[pid];
    if (slot == 0)
        return;
    // The last state takes the place of the one that goes.
    if (slot != m_states.size()) {
        m_states[slot - 1] = std::move(m_states.back());
        m_slots[m_states[slot - 1]->pid] = slot;
    }
    m_states.pop_back();
    m_slots[pid] = 0;
}

void SectionReassembler::unwatchAll()
{
    for (const auto& s : m_states)
        m_slots[s->pid] = 0;
    m_states.clear();
    m_all = false;
}

void SectionReassembler::reset()
{
    for (auto& s : m_states) {
        s->have = s->need = 0;
        s->decision = Decision::Undecided;
        s->lastCc = -1;
        s->synced = false;
    }
}

void SectionReassembler::dropPartial(PidState& st)
{
    if (st.have > 0)
        ++m_stats.droppedPartial;
    st.have = st.need = 0;
    st.decision = Decision::Undecided;
    st.synced = false;
}

void SectionReassembler::deliver(PidState& st, const uint8_t* section, size_t size, bool filtered)
{
    if (!filtered && !st.accepts(section, size)) {
        ++m_stats.filtered;
        return;
    }
    if (m_checkCrc && !sectionCrcValid(section, size)) {
        ++m_stats.crcErrors;
        return;
    }
    ++m_stats.sections;
    if (m_sink)
        m_sink(st.pid, section, size);
}

void SectionReassembler::feed(PidState& st, const uint8_t* data, size_t size, bool startsAllowed)
{
    while (size > 0) {
        if (st.have == 0) {
            // Between sections: stuffing ends the packet's sections.
            if (data[0] == 0xFF)
                return;
            if (!startsAllowed) {
                // Only a packet with payload_unit_start begins sections, where its pointer_field
                // says; anything else here continues no section and would be read as text.
                ++m_stats.strayPayload;
                return;
            }
            if (size >= kHeaderSize) {
                size_t total = sectionTotalLength(data);
                if (total > kMaxSectionSize) {
                    ++m_stats.badLength;
                    dropPartial(st);
                    return;
                }
                if (total <= size) {
                    // Whole section inside this packet: hand it over without copying.
                    deliver(st, data, total, false);
                    data += total;
                    size -= total;
                    continue;
                }
            }
        }
        if (st.need == 0) {
            size_t n = std::min(kHeaderSize - st.have, size);
            std::memcpy(st.buf + st.have, data, n);
            st.have = uint16_t(st.have + n);
            data += n;
            size -= n;
            if (st.have < kHeaderSize)
                return;
            size_t total = sectionTotalLength(st.buf);
            if (total > kMaxSectionSize) {
                ++m_stats.badLength;
                dropPartial(st);
                return;
            }
            st.need = uint16_t(total);
        }
        size_t n = std::min(size_t(st.need - st.have), size);
        if (st.decision != Decision::Skip)
            std::memcpy(st.buf + st.have, data, n);
        st.have = uint16_t(st.have + n);
        data += n;
        size -= n;
        if (st.decision == Decision::Undecided && st.have >= std::min<size_t>(st.need, std::max<size_t>(st.span, 1)))
            st.decision = st.accepts(st.buf, st.have) ? Decision::Keep : Decision::Skip;
        if (st.have == st.need) {
            if (st.decision == Decision::Skip)
                ++m_stats.filtered;
            else
                deliver(st, st.buf, st.need, true);
            st.have = st.need = 0;
            st.decision = Decision::Undecided;
        }
    }
}

void SectionReassembler::putWatched(const uint8_t* p, uint16_t slot)
{
    PidState* st;
    if (slot != 0) {
        st = m_states[slot - 1].get();
    } else {
        // Only when watching all PIDs: the null PID never carries sections.
        const uint16_t pid = uint16_t(((p[1] & 0x1F) << 8) | p[2]);
        if (pid == kNullPid)
            return;
        st = state(pid);
    }
    ++m_stats.packets;
    if (p[1] & 0x80)
        ++m_stats.transportErrors;
    const uint8_t afc = (p[3] >> 4) & 0x03;
    size_t offset = 4;
    bool discontinuity = false;
    if (afc & 0x02) {
        size_t length = p[4];
        if (length > ((afc & 0x01) ? kPacketSize - 6 : kPacketSize - 5)) {
            ++m_stats.badAdaptation;
            dropPartial(*st);
            return;
        }
        discontinuity = length > 0 && (p[5] & 0x80);
        offset = 5 + length;
    }
    if (discontinuity) {
        // The counter may jump here legitimately; the partial section is lost all the same.
        ++m_stats.discontinuities;
        dropPartial(*st);
        st->lastCc = -1;
    }
    if (!(afc & 0x01))
        return; // no payload: the counter does not advance
    const int8_t cc = int8_t(p[3] & 0x0F);
    if (st->lastCc >= 0) {
        if (cc == st->lastCc) {
            ++m_stats.duplicates;
            return;
        }
        if (cc != ((st->lastCc + 1) & 0x0F)) {
            ++m_stats.ccErrors;
            dropPartial(*st);
        }
    }
    st->lastCc = cc;

    const uint8_t* payload = p + offset;
    size_t size = kPacketSize - offset;
    if (p[1] & 0x40) {
        size_t pointer = payload[0];
        if (pointer + 1 >= size) {
            ++m_stats.badPointer;
            dropPartial(*st);
            return;
        }
        if (st->synced) {
            if (pointer > 0)
                feed(*st, payload + 1, pointer, false);
            if (st->have > 0) {
                // A new section starts before the old one was complete.
                dropPartial(*st);
            }
        }
        st->have = st->need = 0;
        st->decision = Decision::Undecided;
        st->synced = true;
        feed(*st, payload + 1 + pointer, size - 1 - pointer, true);
    } else if (st->synced) {
        if (size == kFullPayload && st->need != 0 && kFullPayload < size_t(st->need - st->have)) {
            // The middle of a long section, the common case: the payload only continues it.
            // A copy of a size known at compile time becomes vector moves; one of a size
            // known at run time becomes "rep movs", whose start-up costs as much as the copy.
            if (st->decision != Decision::Skip)
                std::memcpy(st->buf + st->have, payload, kFullPayload);
            st->have = uint16_t(st->have + kFullPayload);
            if (st->decision == Decision::Undecided && st->have >= std::max<size_t>(st->span, 1))
                st->decision = st->accepts(st->buf, st->have) ? Decision::Keep : Decision::Skip;
            return;
        }
        feed(*st, payload, size, false);
    }
}

bool sectionCrcValid(const uint8_t* section, size_t size)
{
    if (size < 3 || !(section[1] & 0x80))
        return true;
    return size >= 4 && crc32(section, size) == 0;
}

} // namespace ts
