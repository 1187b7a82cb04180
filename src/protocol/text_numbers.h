// Numbers typed into edit boxes, read the ways the pages read them: the
// C-style integer conversion with its leftover test, the strict integer form,
// decimal fractions, and texts holding several numbers separated by blanks.
// Texts are UTF-8; none of these functions looks past the text given.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

// The text without blanks, tabs, CR, LF, VT and FF at both ends.
std::string_view TrimText(std::string_view text);

// What a C integer conversion (strtol / strtoul) reads from a text: an
// optional sign, for base 16 an optional "0x", then digits.
struct CNumber {
    bool anyDigit = false;
    bool leftover = false; // characters after the number, or no number at all
    bool negative = false;
    std::uint64_t magnitude = 0; // saturated just above 32 bits
};
// base is 10 or 16; the text is taken as it is (trim it first).
CNumber ScanCNumber(std::string_view text, int base = 10);
// strtol on 32 bits: saturates at the int range.
std::int32_t CSignedValue(const CNumber &n);
// strtoul on 32 bits: saturates at 4294967295; a minus sign negates modulo 2^32.
std::uint32_t CUnsignedValue(const CNumber &n);

// The checked integer input of the parameter pages, on a text.
enum class EditIntCheck {
    Ok,
    Empty,      // "参数不能为空！"
    Leftover,   // "参数存在非数字字符！"
    OutOfRange, // "参数的有效范围是 %d 至 %d 之间的整数！" (%u for an unsigned check)
};
struct EditInt {
    EditIntCheck check = EditIntCheck::Empty;
    std::int64_t value = 0; // the converted value when Ok
};
// Trims, converts (signed or unsigned on 32 bits, as strtol / strtoul do) and
// checks the inclusive range, compared signed or unsigned as converted.
EditInt ParseEditInt(std::string_view text, std::int64_t min, std::int64_t max, bool isSigned, int base = 10);

// The strict integer form: optional "+" or "-", one or more decimal digits,
// nothing else.
enum class StrictIntCheck {
    Ok,
    Empty,      // "参数不能为空！"
    Invalid,    // "输入的整数无效！": not that form, or outside the signed 32-bit range
    OutOfRange, // "请输入 %d 至 %d 之间的整数！"
};
struct StrictInt {
    StrictIntCheck check = StrictIntCheck::Empty;
    std::int64_t value = 0;
};
StrictInt ParseStrictInt(std::string_view text, std::int64_t min, std::int64_t max);
// The strict form without a range: nothing when the text is not one.
bool IsStrictInt32(std::string_view text, std::int32_t *value = nullptr);

// A decimal floating-point conversion as atof reads a text: leading blanks,
// then the longest number at the start; a text without one gives 0.
double ScanCDouble(std::string_view text);
// A value times 10, truncated toward zero. Decimal fractions such as 2.3 are
// not exact in binary; the product is nudged by far less than a tenth so that
// 2.3 gives 23, not 22.
std::int64_t TruncatedTenths(double value);
// The integer part of a value, truncated toward zero, reduced to its low 16
// bits as two's complement; not a number gives 0.
std::uint16_t TruncatedLow16(double value);

// The pieces of a text split at blanks, tabs, CR and LF; empty pieces dropped.
std::vector<std::string_view> SplitNumbers(std::string_view text);
