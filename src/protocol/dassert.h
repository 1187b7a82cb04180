// Programming-error trace: a failed condition becomes one line in
// "d_error.txt" in the current folder and execution goes on.
#pragma once

#include <string>

// "Assert: [file, line], d_assert(cond)" with the file reduced to its name.
std::string AssertLine(const char *source, int line, const char *condition);
void d_assert_fail(const char *source, int line, const char *condition);
// One line in d_error.txt, prefixed with the local time "%Y-%m-%d %H:%M:%S  ".
void WriteErrorFile(const char *format, ...) __attribute__((format(printf, 1, 2)));
void WriteErrorLine(const std::string &line);
// Where d_error.txt is written; the current folder unless a test moves it.
void SetErrorFilePath(const std::string &path);

#define d_assert(cond)                                                                                                 \
    do {                                                                                                               \
        if (!(cond))                                                                                                   \
            d_assert_fail(__FILE__, __LINE__, #cond);                                                                  \
    } while (0)
