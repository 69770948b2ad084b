#include "host/gfx/gColor.h"

#include <map>
#include <mutex>
#include <vector>

namespace {

struct Entry {
    uint32_t rgb;
    eString name;
};

// The box's palette. Plain values are shared by value, named ones by name.
struct Palette {
    std::mutex lock;
    std::vector<Entry> entries;
    std::map<uint32_t, int> byValue;
    std::map<eString, int> byName;
};

Palette& palette()
{
    static Palette p;
    return p;
}

const eString kNoName;

// The entry under key in index, appended with value and name when missing. Locked by the caller.
template <class Key>
int findOrAdd(Palette& p, std::map<Key, int>& index, const Key& key, uint32_t rgb, const eString& name)
{
    auto it = index.find(key);
    if (it != index.end())
        return it->second;
    const int i = static_cast<int>(p.entries.size());
    p.entries.push_back({rgb, name});
    index.emplace(key, i);
    return i;
}

} // namespace

gColor gColor::fromRGB(uint32_t rgb)
{
    rgb &= 0xFFFFFF;
    Palette& p = palette();
    std::lock_guard<std::mutex> g(p.lock);
    return gColor(findOrAdd(p, p.byValue, rgb, rgb, eString()));
}

gColor gColor::named(const eString& name)
{
    Palette& p = palette();
    std::lock_guard<std::mutex> g(p.lock);
    return gColor(findOrAdd(p, p.byName, name, 0, name));
}

void gColor::define(const eString& name, uint32_t rgb)
{
    const gColor c = named(name);
    Palette& p = palette();
    std::lock_guard<std::mutex> g(p.lock);
    p.entries[c.m_index].rgb = rgb & 0xFFFFFF;
}

uint32_t gColor::rgb() const
{
    if (m_index < 0)
        return 0;
    Palette& p = palette();
    std::lock_guard<std::mutex> g(p.lock);
    return m_index < static_cast<int>(p.entries.size()) ? p.entries[m_index].rgb : 0;
}

const eString& gColor::name() const
{
    if (m_index < 0)
        return kNoName;
    Palette& p = palette();
    std::lock_guard<std::mutex> g(p.lock);
    // Entries are never removed, and a vector of them only moves on growth: hand out a
    // reference into the stable name map instead of into the vector.
    const eString& n = p.entries[m_index].name;
    if (n.empty())
        return kNoName;
    return p.byName.find(n)->first;
}
