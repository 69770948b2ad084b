#pragma once
// ISO/IEC 8859-15 (Latin-9), the character set the EPG tables carry, to and from UTF-8.
#include <string>

namespace mux {

std::string latin9ToUtf8(const std::string& latin9);
// Characters outside Latin-9 become '?'.
std::string utf8ToLatin9(const std::string& utf8);

} // namespace mux
