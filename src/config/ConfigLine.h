#pragma once
// Text rules of orvalis.cfg lines: how a line is read, where its value lies and
// how numbers and number lists are taken from it.
#include <cstdio>
#include <string>

namespace cfgline {

// Reads the next line, however long, into line (its "\n" kept when present).
// A line's text ends at its first NUL byte, as C strings would see it; a "\r"
// before the line end is not part of it. False at end of file.
bool readWholeLine(FILE* file, std::string& line);

// The value of a line: the text after the first '=' (or from the start when there
// is none) up to, not including, the last "\n".
std::string lineValue(const std::string& line);

// The value of a line that starts after the first occurrence of mark.
std::string valueAfter(const std::string& line, char mark);

// atoi rules (leading white space, optional sign, digits up to the first other
// character, no digits gives 0), but a number beyond int saturates at INT_MAX or
// INT_MIN instead of being undefined.
int parseNumber(const std::string& text);
// parseNumber, then bound to [low, high].
int parseBoundedNumber(const std::string& text, int low, int high);

// Splits value into count numbers: each field ends at the next ','; once no ','
// is left, the rest is taken for every remaining field.
void parseNumberList(const std::string& value, int* out, int count);

} // namespace cfgline
