#include "host/platform/Log.h"

#include <cstdarg>
#include <cstdio>

namespace host {
namespace {
bool g_quiet = false;
}

void setLogQuiet(bool quiet) { g_quiet = quiet; }

void logMessage(const char* source, const char* fmt, ...)
{
    if (g_quiet)
        return;
    std::fprintf(stderr, "[%s] ", source);
    va_list ap;
    va_start(ap, fmt);
    std::vfprintf(stderr, fmt, ap);
    va_end(ap);
    std::fputc('\n', stderr);
}
} // namespace host
