#pragma once
#include <string>

// The host's value-semantics string: a std::string with the few helpers the
// plug-ins rely on. Text is kept as bytes; nothing here knows about encodings.
class eString : public std::string {
public:
    eString() = default;
    eString(const char* s) : std::string(s ? s : "") {}
    eString(const std::string& s) : std::string(s) {}
    eString(std::string&& s) : std::string(std::move(s)) {}
    eString(const char* s, size_t n) : std::string(s, n) {}
    eString(size_t n, char c) : std::string(n, c) {}

    // printf-style formatting into this string (any length); returns *this.
    eString& sprintf(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
    // Upper-cases ASCII letters in place and returns *this.
    eString& upper();
    // Replaces every occurrence of what by with; returns *this.
    eString& strReplace(const char* what, const eString& with);

    eString left(size_t n) const { return eString(substr(0, n)); }
    eString mid(size_t pos, size_t n = npos) const { return pos < size() ? eString(substr(pos, n)) : eString(); }
    eString right(size_t n) const { return n >= size() ? *this : eString(substr(size() - n)); }
    bool isNull() const { return empty(); }
    operator bool() const = delete;
};
