#pragma once
// Files summaries into bufferdatas during one pass over a summary source (the
// carousel or summaries.gep): every row whose summary id matches gets the text, and
// the pass is complete once every distinct id of the list (and the requested one)
// has been met, however often a summary comes round.
#include "broadcast/SummarySection.h"

#include <cstdint>
#include <unordered_map>
#include <unordered_set>
#include <vector>

class SummaryFiler {
public:
    // Takes the ids of bufferdatas[0 .. nb_buffer - 1] as they are now.
    explicit SummaryFiler(uint32_t requested);

    // Gives the text to every row with this id; the requested id's text becomes the result.
    void file(uint32_t id, const eString& text);
    void file(const SummarySection& s) { file(s.id, s.text); }
    bool complete() const { return m_met.size() == m_wanted.size(); }
    const eString& result() const { return m_result; }
    int rowsFilled() const { return m_rowsFilled; }
    int idsMet() const { return static_cast<int>(m_met.size()); }

private:
    uint32_t m_requested;
    std::unordered_map<uint32_t, std::vector<int>> m_rows; // summary id -> row numbers
    std::unordered_set<uint32_t> m_wanted;
    std::unordered_set<uint32_t> m_met;
    eString m_result;
    int m_rowsFilled = 0;
};
