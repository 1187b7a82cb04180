#include "protocol/dassert.h"

#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <mutex>

namespace {
std::mutex g_pathLock;
std::string g_errorPath = "d_error.txt";

std::string errorPath()
{
    std::lock_guard<std::mutex> lock(g_pathLock);
    return g_errorPath;
}
} // namespace

void SetErrorFilePath(const std::string &path)
{
    std::lock_guard<std::mutex> lock(g_pathLock);
    g_errorPath = path;
}

std::string AssertLine(const char *source, int line, const char *condition)
{
    std::string file = source ? source : "";
    std::size_t cut = file.find_last_of('\\');
    if (cut == std::string::npos)
        cut = file.find_last_of('/');
    if (cut != std::string::npos)
        file = file.substr(cut + 1);
    char buf[512];
    std::snprintf(buf, sizeof buf, "Assert: [%s, %d], d_assert(%s)", file.c_str(), line, condition ? condition : "");
    return buf;
}

void WriteErrorLine(const std::string &line)
{
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S  ", &local);
    FILE *f = std::fopen(errorPath().c_str(), "ab");
    if (!f)
        return;
    std::fputs(stamp, f);
    std::fputs(line.c_str(), f);
    std::fclose(f);
}

void d_assert_fail(const char *source, int line, const char *condition)
{
    WriteErrorLine(AssertLine(source, line, condition) + "\n");
}

void WriteErrorFile(const char *format, ...)
{
    char buf[2048];
    va_list ap;
    va_start(ap, format);
    std::vsnprintf(buf, sizeof buf, format, ap);
    va_end(ap);
    std::string line = buf;
    if (line.empty() || line.back() != '\n')
        line += '\n';
    WriteErrorLine(line);
}
