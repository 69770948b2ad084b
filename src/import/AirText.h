#pragma once
// Texts for the offline files in the bytes a broadcaster sends: ISO 8859-15 when
// every character has a place there (as the sample broadcasts and most of Europe
// send), otherwise UTF-8. The plug-in judges each text on its own, so both read
// back as the same characters.
#include <string>

namespace importer {

// UTF-8 in, air bytes out. Characters the files cannot carry on one line (line
// breaks, tabs, other controls) become blanks; "<", which ends a field of the
// files, becomes the look-alike U+2039 (or, in ISO 8859-15, the text goes UTF-8).
std::string airField(const std::string& utf8);
// The same for a summary, whose line breaks the files keep as "#".
std::string airSummary(const std::string& utf8);
// At most maxBytes of an air text, cut at a character boundary.
std::string fitBytes(const std::string& air, size_t maxBytes);
// The plug-in's tolower: the first byte stays, later A-Z become a-z.
std::string pluginLower(std::string text);

} // namespace importer
