#pragma once
// English names of the content descriptor's nibbles (ETSI EN 300 468, content_nibble
// table): level 1 names a genre, level 1 with level 2 its sub-genre. Reserved and
// user-defined values have no name.
#include <cstdint>
#include <string_view>

namespace scan {

// "Movie / Drama" for 0x1; empty for 0x0, 0xC..0xE (reserved) and 0xF (user defined).
std::string_view genreName(uint8_t level1);
// "Detective / Thriller" for 0x1/0x1. Level 2 of 0 is the genre in general and has no
// name of its own here (the genre's name says it); empty for reserved and user-defined values.
std::string_view subGenreName(uint8_t level1, uint8_t level2);

} // namespace scan
