#pragma once
// The box's log: one line per message on standard error, prefixed with its source.
namespace host {
void logMessage(const char* source, const char* fmt, ...) __attribute__((format(printf, 2, 3)));
void setLogQuiet(bool quiet);
} // namespace host
