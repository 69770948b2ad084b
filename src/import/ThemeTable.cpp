#include "import/ThemeTable.h"

#include "import/AirText.h"

#include <algorithm>

namespace importer {
namespace {

constexpr size_t kNameBytes = 15;

// A name cut in the middle loses the blank it may now end in.
std::string themeName(const std::string& category)
{
    std::string name = fitBytes(airField(category), kNameBytes);
    while (!name.empty() && name.back() == ' ')
        name.pop_back();
    return name;
}

} // namespace

void ThemeTable::keys(const std::vector<std::string>& categories, std::string& theme, std::string& sub)
{
    theme = categories.empty() ? std::string(kOther) : themeName(categories[0]);
    if (theme.empty())
        theme = kOther;
    sub = categories.size() > 1 ? themeName(categories[1]) : std::string();
    if (sub == theme)
        sub.clear();
}

void ThemeTable::count(const std::vector<std::string>& categories)
{
    std::string theme, sub;
    keys(categories, theme, sub);
    auto it = m_themes.find(theme);
    if (it == m_themes.end()) {
        it = m_themes.emplace(theme, Theme()).first;
        it->second.order = m_themes.size();
    }
    ++it->second.uses;
    if (!sub.empty()) {
        it->second.subOrder.emplace(sub, it->second.subOrder.size());
        ++it->second.subs[sub];
    }
}

void ThemeTable::place(const std::string& source, Report& report)
{
    using Entry = std::pair<std::string, const Theme*>;
    auto byUse = [](const Entry& a, const Entry& b) {
        return a.second->uses != b.second->uses ? a.second->uses > b.second->uses : a.second->order < b.second->order;
    };
    std::vector<Entry> themes;
    for (const auto& t : m_themes)
        themes.emplace_back(t.first, &t.second);
    std::sort(themes.begin(), themes.end(), byUse);

    if (themes.size() > size_t(kGroups)) {
        // The most used fifteen keep their places; Other takes the rest in.
        std::vector<Entry> kept;
        Theme& other = m_themes[kOther];
        if (other.order == 0)
            other.order = m_themes.size();
        for (const auto& t : themes) {
            if (t.first == kOther)
                continue;
            if (kept.size() < size_t(kGroups - 1)) {
                kept.push_back(t);
                continue;
            }
            report.note(source + ": theme \"" + t.first + "\" (" + std::to_string(t.second->uses) +
                        " programmes) does not fit among the " + std::to_string(kGroups) +
                        " themes; its programmes are filed under " + kOther);
            other.uses += t.second->uses;
        }
        kept.emplace_back(kOther, &other);
        std::sort(kept.begin(), kept.end(), byUse);
        themes = kept;
    }

    m_groups = 0;
    for (const auto& t : themes) {
        const int head = m_groups * 16;
        m_themeSlot[t.first] = head;
        m_names[size_t(head)] = t.first;
        const int room = std::min(15, kSlots - 1 - head);
        std::vector<std::pair<std::string, long>> subs(t.second->subs.begin(), t.second->subs.end());
        const auto& order = t.second->subOrder;
        std::sort(subs.begin(), subs.end(), [&order](const auto& a, const auto& b) {
            return a.second != b.second ? a.second > b.second : order.at(a.first) < order.at(b.first);
        });
        for (size_t k = 0; k < subs.size(); ++k) {
            if (int(k) >= room) {
                report.note(source + ": sub-theme \"" + subs[k].first + "\" of \"" + t.first + "\" (" +
                            std::to_string(subs[k].second) + " programmes) does not fit; its programmes are filed under \"" +
                            t.first + "\"");
                continue;
            }
            m_subSlot[{t.first, subs[k].first}] = head + 1 + int(k);
            m_names[size_t(head + 1 + int(k))] = subs[k].first;
        }
        ++m_groups;
    }
}

int ThemeTable::slotOf(const std::vector<std::string>& categories) const
{
    std::string theme, sub;
    keys(categories, theme, sub);
    auto t = m_themeSlot.find(theme);
    if (t == m_themeSlot.end()) {
        t = m_themeSlot.find(kOther);
        return t == m_themeSlot.end() ? 0 : t->second;
    }
    if (!sub.empty()) {
        auto s = m_subSlot.find({theme, sub});
        if (s != m_subSlot.end())
            return s->second;
    }
    return t->second;
}

} // namespace importer
