// Checked integer input of a parameter: the text a user typed (an edit box of
// a parameter page, a value on the command line) becomes a 32-bit value, or a
// refusal with its message. Texts are UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

enum class IntInputError { None, Empty, NonDigit, Range };

struct IntInput {
    IntInputError error = IntInputError::None;
    // The value; for an unsigned conversion its 32-bit pattern.
    std::int32_t value = 0;
    bool Ok() const { return error == IntInputError::None; }
};

// Trims blanks at both ends, converts in base 10 with an optional sign
// (signed as strtol, unsigned as strtoul, both saturating on 32 bits, a minus
// sign negating an unsigned value modulo 2^32) and checks the inclusive range,
// compared signed or unsigned as the conversion was. For an unsigned check
// min and max are taken as their 32-bit patterns.
IntInput ParseIntInput(std::string_view text, std::int32_t min, std::int32_t max, bool isSigned);

// The refusal text: "参数不能为空！", "参数存在非数字字符！" or the range
// message with min and max shown signed or unsigned; empty for None.
std::string IntInputMessage(IntInputError error, std::int32_t min, std::int32_t max, bool isSigned);
