#include "broadcast/CarouselPass.h"

#include <algorithm>
#include <functional>
#include <string_view>

namespace {

// FNV-1a: a second hash, independent of the library's.
uint64_t fnv1a(std::string_view bytes)
{
    uint64_t h = 14695981039346656037ull;
    for (unsigned char c : bytes) {
        h ^= c;
        h *= 1099511628211ull;
    }
    return h;
}

} // namespace

void CarouselPass::fixWindow(size_t length)
{
    m_window = std::min(kMaxWindow, std::max(kMinWindow, length));
}

bool CarouselPass::add(const unsigned char* section, int length)
{
    const std::string_view bytes(reinterpret_cast<const char*>(section), length > 0 ? size_t(length) : 0);
    const uint64_t key = std::hash<std::string_view>()(bytes);
    const size_t index = static_cast<size_t>(m_count++);
    const bool fresh = m_seen.insert(Key{key, fnv1a(bytes)}).second;
    if (m_complete)
        return fresh;

    // The opening run ends once it holds kDistinct distinct sections (or cannot grow further).
    if (m_window == 0 && ((fresh && m_seen.size() == kDistinct) || index + 1 == kMaxWindow))
        fixWindow(index + 1);

    // Stretches that repeat the reading from its first section: each either goes on
    // matching or is dropped.
    size_t kept = 0;
    for (Candidate c : m_candidates) {
        if (m_keys[c.matched] != key)
            continue;
        ++c.matched;
        m_candidates[kept++] = c;
    }
    m_candidates.resize(kept);
    if (index > 0 && m_keys[0] == key)
        m_candidates.push_back({index, 1}); // a new stretch may begin here
    m_keys.push_back(key);

    if (m_window != 0)
        for (const Candidate& c : m_candidates)
            if (c.matched >= c.start + m_window) {
                m_complete = true;
                m_candidates.clear();
                m_keys.clear();
                break;
            }
    return fresh;
}
