// Checked integer input: the conversion, the range check and the refusal texts
// shared by the parameter pages and the command line.
#include "protocol/int_input.h"

#include <gtest/gtest.h>

#include <climits>

namespace {
struct InputCase {
    const char *name;
    const char *text;
    std::int32_t min;
    std::int32_t max;
    bool isSigned;
    IntInputError error;
    std::int32_t value;
    const char *message; // for a refusal
};

const InputCase kCases[] = {
    {"blank padded", " 12 \t", 0, 100, true, IntInputError::None, 12, ""},
    {"plus sign", "+7", 0, 100, true, IntInputError::None, 7, ""},
    {"letters after", "12a", 0, 100, true, IntInputError::NonDigit, 0, "参数存在非数字字符！"},
    {"sign only", "-", 0, 100, true, IntInputError::NonDigit, 0, "参数存在非数字字符！"},
    {"inner blank", "1 2", 0, 100, true, IntInputError::NonDigit, 0, "参数存在非数字字符！"},
    {"decimal point", "1.5", 0, 100, true, IntInputError::NonDigit, 0, "参数存在非数字字符！"},
    {"empty", "   ", 0, 100, true, IntInputError::Empty, 0, "参数不能为空！"},
    {"signed range", "0", 1, 65535, true, IntInputError::Range, 0, "参数的有效范围是 1 至 65535 之间的整数！"},
    {"signed negative range", "40000", -32768, 32767, true, IntInputError::Range, 0,
     "参数的有效范围是 -32768 至 32767 之间的整数！"},
    {"signed low end", "-32768", -32768, 32767, true, IntInputError::None, -32768, ""},
    {"saturates high", "99999999999", INT_MIN, INT_MAX, true, IntInputError::None, INT_MAX, ""},
    {"saturates low", "-99999999999", INT_MIN, INT_MAX, true, IntInputError::None, INT_MIN, ""},
    {"unsigned -1", "-1", 0, -1, false, IntInputError::None, -1, ""},
    {"unsigned saturates", "99999999999", 0, -1, false, IntInputError::None, -1, ""},
    {"unsigned range", "300", 0, 255, false, IntInputError::Range, 0, "参数的有效范围是 0 至 255 之间的整数！"},
    {"unsigned range shows unsigned", "5", 10, -2, false, IntInputError::Range, 0,
     "参数的有效范围是 10 至 4294967294 之间的整数！"},
};
} // namespace

TEST(IntInput, ConvertsChecksAndExplains)
{
    for (const InputCase &c : kCases) {
        SCOPED_TRACE(c.name);
        IntInput got = ParseIntInput(c.text, c.min, c.max, c.isSigned);
        EXPECT_EQ(got.error, c.error);
        if (c.error == IntInputError::None) {
            EXPECT_EQ(got.value, c.value);
        }
        EXPECT_EQ(IntInputMessage(got.error, c.min, c.max, c.isSigned), c.message);
    }
}
