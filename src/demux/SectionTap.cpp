#include "demux/SectionTap.h"

namespace demux {

SectionTap::SectionTap(Transponders& transponders, ts::SectionReassembler::Sink sink)
    : m_transponders(&transponders), m_reassembler(std::move(sink))
{
    m_transponders->attach(this);
}

SectionTap::~SectionTap()
{
    if (m_transponders)
        m_transponders->detach(this);
}

} // namespace demux
