#pragma once
// Numbers as the command line of orvalis-mux takes them.
#include <cstdint>
#include <string>

namespace mux {

// Strict numbers for the command line: the whole text, decimal or 0x hex, no
// sign unless lo < 0, within [lo, hi].
bool parseInteger(const std::string& text, long long lo, long long hi, long long* out);
// The random seed: any unsigned 64-bit value, decimal or 0x hex.
bool parseSeed(const std::string& text, uint64_t* out);

} // namespace mux
