#pragma once
// One rule for "the carousel has come round", shared by the live summary reader
// and both loggers. A carousel may send a section twice in one pass, start the
// reading in the middle of a repeated run, or carry sections of other tables and
// lengths in between, and a looped capture that is not a whole number of passes
// jumps back to its start somewhere in the middle of a pass. So neither one
// section nor a run of them coming back proves that every section has been read.
// The pass is over when the reading from its first section on is read again, in
// the same order, for as long as the stretch it repeats and an opening window
// more: the stretch is then a whole turn of the carousel. (A start later than the
// first section would let a capture's jump back slip in before it; without the
// window, a capture that jumps back right where the reading began would pass for
// a carousel of half its length.) The window is kMinWindow sections, more until it
// holds kDistinct distinct ones, at most kMaxWindow, so that a carousel of very
// few sections is not taken for a shorter one either.
#include <cstddef>
#include <cstdint>
#include <unordered_set>
#include <vector>

class CarouselPass {
public:
    static constexpr size_t kMinWindow = 16;
    static constexpr size_t kDistinct = 4;
    static constexpr size_t kMaxWindow = 64;

    // Feeds the next section read. True when its bytes are new to this pass, so
    // that a logger writes each distinct section once.
    bool add(const unsigned char* section, int length);
    // True once the carousel has come round: every section on air has been fed.
    bool complete() const { return m_complete; }
    long sections() const { return m_count; }
    size_t distinct() const { return m_seen.size(); }

private:
    struct Candidate {
        size_t start;   // index of the read at which it began: the length of the turn
        size_t matched; // sections matched so far
    };
    void fixWindow(size_t length);

    // A section is known by two independent 64-bit hashes of its bytes: a pass of a
    // hostile stream may hold a million sections, far too many to keep whole.
    struct Key {
        uint64_t a, b;
        bool operator==(const Key& o) const { return a == o.a && b == o.b; }
    };
    struct KeyHash {
        size_t operator()(const Key& k) const { return static_cast<size_t>(k.a); }
    };
    std::vector<uint64_t> m_keys; // of every section read so far
    std::unordered_set<Key, KeyHash> m_seen;
    std::vector<Candidate> m_candidates;
    size_t m_window = 0; // 0 until the opening run's length is known
    long m_count = 0;
    bool m_complete = false;
};
