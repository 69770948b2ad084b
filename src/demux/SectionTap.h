#pragma once
// Sections of the tuned stream as it plays, for consumers that listen without asking
// the demux (a cache of EIT, for example): attach a tap to the transponders, say which
// PIDs and tables it wants, and its sink gets each section as its last packet goes by.
// It never makes a demux read wait, and forgets partial sections when the stream starts
// over or another one is tuned.
#include <cstdint>

#include "demux/Feed.h"
#include "demux/Transponders.h"
#include "ts/SectionReassembler.h"

namespace demux {

class SectionTap : public Feed {
public:
    // The sink is called on the thread that plays the stream; the section bytes are
    // valid only during the call, and the sink must not change what the tap watches.
    SectionTap(Transponders& transponders, ts::SectionReassembler::Sink sink);
    ~SectionTap() override;
    SectionTap(const SectionTap&) = delete;
    SectionTap& operator=(const SectionTap&) = delete;

    void watch(uint16_t pid) { m_reassembler.watch(pid); }
    void addFilter(uint16_t pid, const ts::SectionFilter& filter) { m_reassembler.addFilter(pid, filter); }
    void unwatch(uint16_t pid) { m_reassembler.unwatch(pid); }
    void setCheckCrc(bool on) { m_reassembler.setCheckCrc(on); }
    const ts::ReassemblyStats& stats() const { return m_reassembler.stats(); }

    void streamTime(uint64_t) override {}
    void streamPacket(const uint8_t* packet) override { m_reassembler.put(packet); }
    void streamRestarted() override { m_reassembler.reset(); }
    bool readable() const override { return false; }
    void transpondersGone() override { m_transponders = nullptr; }

private:
    Transponders* m_transponders; // null once they are gone
    ts::SectionReassembler m_reassembler;
};

} // namespace demux
