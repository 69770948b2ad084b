#pragma once
// The broadcaster's material the generator draws from: channel line-up, themes,
// and words for titles and summaries. Texts are returned as ISO 8859-15 bytes.
#include <string>
#include <vector>

#include "mux/Random.h"

namespace mux {

struct ChannelProfile {
    std::string name;   // Latin-9, at most 16 bytes
    int theme;          // main theme group
    int minMinutes;     // typical programme length range
    int maxMinutes;
    bool radio = false;
};

struct ThemeProfile {
    std::string name; // Latin-9, upper case, at most 15 bytes
    std::vector<std::string> subThemes;
};

class Catalogue {
public:
    // Channel i of the line-up; beyond the hand-written list, numbered extras.
    static ChannelProfile channel(int i);
    static const std::vector<ThemeProfile>& themes();

    // A programme title for theme group, sub-theme slot (0 = the theme itself); may exceed 23 bytes.
    static std::string title(Random& rng, int group, int slot);
    // A summary of roughly the requested length in bytes (exactly, when exact is set),
    // with CR line breaks.
    static std::string summary(Random& rng, const std::string& title, size_t length, bool exact = false);
};

} // namespace mux
