#pragma once
// The theme table of the guide, from the programmes' categories: the first
// category of a programme is its theme, the second its sub-theme. The plug-in
// holds 16 themes of up to 15 sub-themes (the last theme 14) in 255 slots; the
// most used themes and sub-themes get the places, most used first. A programme
// without a category, or whose theme found no place, is filed under "Other"; one
// whose sub-theme found no place under its theme. What does not fit is reported.
#include "import/Guide.h"

#include <array>
#include <map>
#include <string>
#include <vector>

namespace importer {

class ThemeTable {
public:
    static constexpr int kGroups = 16;
    static constexpr int kSlots = 255;
    static constexpr const char* kOther = "Other";

    // Names are stored as the files hold them: air bytes of at most 15.
    void count(const std::vector<std::string>& categories);
    void place(const std::string& source, Report& report);

    // The theme slot for a programme's categories (after place()).
    int slotOf(const std::vector<std::string>& categories) const;
    // Name of each slot, empty where no theme or sub-theme is.
    const std::array<std::string, kSlots>& names() const { return m_names; }
    int groups() const { return m_groups; }

private:
    struct Theme {
        long uses = 0;
        size_t order = 0;               // first seen, for ties
        std::map<std::string, long> subs; // name -> uses
        std::map<std::string, size_t> subOrder;
    };
    // Theme and sub-theme names of a programme as keys.
    static void keys(const std::vector<std::string>& categories, std::string& theme, std::string& sub);

    std::map<std::string, Theme> m_themes;
    std::map<std::string, int> m_themeSlot;               // placed theme -> slot
    std::map<std::pair<std::string, std::string>, int> m_subSlot;
    std::array<std::string, kSlots> m_names{};
    int m_groups = 0;
};

} // namespace importer
