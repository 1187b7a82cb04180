// Trace lines of the live status page: written to standard output only.
#pragma once

#include <cstdarg>
#include <cstdio>

__attribute__((format(printf, 1, 2))) inline void Trace(const char *format, ...)
{
    va_list ap;
    va_start(ap, format);
    std::vprintf(format, ap);
    va_end(ap);
    std::fflush(stdout);
}
