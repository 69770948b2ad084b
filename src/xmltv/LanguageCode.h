#pragma once
// XMLTV "lang" values from the ISO 639-2 codes DVB sends: the two-letter ISO 639-1
// code where the language has one (both the bibliographic and the terminology
// three-letter forms, e.g. "ger" and "deu" give "de"), else the three letters in
// lower case. Nothing for "und", "zxx" and codes that are no three letters.
#include <string>

namespace xmltv {

std::string xmltvLanguage(const std::string& iso639);

} // namespace xmltv
