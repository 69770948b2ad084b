#pragma once
// A small deterministic generator (splitmix64): the same seed gives the same
// broadcast on every platform, which std distributions do not promise.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace mux {

class Random {
public:
    explicit Random(uint64_t seed) : m_state(seed) {}

    uint64_t next()
    {
        uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform in [lo, hi].
    int range(int lo, int hi) { return lo + static_cast<int>(next() % static_cast<uint64_t>(hi - lo + 1)); }
    bool chance(int percent) { return range(0, 99) < percent; }
    template <typename T> const T& pick(const std::vector<T>& v) { return v[next() % v.size()]; }

private:
    uint64_t m_state;
};

} // namespace mux
