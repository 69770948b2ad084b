#pragma once
// One rule for "the carousel has come round", shared by the live summary reader
// and both loggers. A carousel may send a section twice in one pass, start the
// reading in the middle of a repeated run, or carry sections of other tables and
// lengths in between, so one section coming back proves nothing. The pass is
// over when the opening run of sections read (at least kMinWindow sections, and
// as many more as it takes to hold kDistinct distinct ones, up to kMaxWindow) is
// read again in the same order, from one of the first kOffsets + 1 sections on
// (the very first ones may have left a live carousel meanwhile).
#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

class CarouselPass {
public:
    static constexpr size_t kMinWindow = 16;
    static constexpr size_t kDistinct = 4;
    static constexpr size_t kMaxWindow = 64;
    static constexpr size_t kOffsets = 8;

    // Feeds the next section read. True when its bytes are new to this pass, so
    // that a logger writes each distinct section once.
    bool add(const unsigned char* section, int length);
    // True once the carousel has come round: every section on air has been fed.
    bool complete() const { return m_complete; }
    long sections() const { return m_count; }
    size_t distinct() const { return m_seen.size(); }

private:
    struct Candidate {
        size_t from;    // index in the opening run it repeats
        size_t matched; // sections matched so far
    };
    void fixWindow(size_t length);

    std::vector<uint64_t> m_opening; // keys of the first kMaxWindow + kOffsets sections
    std::unordered_set<std::string> m_seen;
    std::vector<Candidate> m_candidates;
    size_t m_window = 0; // 0 until the opening run's length is known
    long m_count = 0;
    bool m_complete = false;
};
