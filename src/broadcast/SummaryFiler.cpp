#include "broadcast/SummaryFiler.h"
#include "frame/globals.h"

SummaryFiler::SummaryFiler(uint32_t requested) : m_requested(requested)
{
    const int rows = nb_buffer < 0 ? 0 : nb_buffer > kMaxRows ? kMaxRows : nb_buffer;
    for (int i = 0; i < rows; ++i) {
        const uint32_t id = static_cast<uint32_t>(bufferdatas[i].id);
        m_rows[id].push_back(i);
        m_wanted.insert(id);
    }
    // A row past the table has no record but still wants its own summary.
    m_wanted.insert(requested);
}

void SummaryFiler::file(uint32_t id, const eString& text)
{
    if (!m_wanted.count(id))
        return;
    auto it = m_rows.find(id);
    if (it != m_rows.end())
        for (int row : it->second) {
            bufferdatas[row].summary = text;
            ++m_rowsFilled;
        }
    if (id == m_requested)
        m_result = text;
    m_met.insert(id);
}
