#pragma once
// Text bytes as the box receives them: broadcasters and files send either UTF-8 or
// ISO 8859-15, and nothing says which, so each string is judged on its own.
#include <string>
#include <string_view>

namespace host {

bool isValidUtf8(std::string_view bytes);
// Valid UTF-8 decodes as UTF-8; anything else as ISO 8859-15.
std::u32string decodeText(std::string_view bytes);
std::u32string decodeLatin9(std::string_view bytes);
std::string encodeUtf8(std::u32string_view text);

} // namespace host
