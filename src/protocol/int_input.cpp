#include "protocol/int_input.h"

#include <algorithm>
#include <climits>

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

struct ParsedInt {
    bool leftover = false;
    bool negative = false;
    unsigned long long magnitude = 0; // saturated just above 32 bits
};

// Base-10 conversion with an optional sign, as the C conversions read it.
ParsedInt ParseDecimal(std::string_view text)
{
    ParsedInt p;
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        p.negative = text[i++] == '-';
    const std::size_t digitsStart = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        p.magnitude = std::min(p.magnitude * 10 + static_cast<unsigned>(text[i] - '0'), 0x1FFFFFFFFull);
        ++i;
    }
    // Without any digit nothing was converted: the whole text is left over.
    p.leftover = i == digitsStart || i < text.size();
    return p;
}

// strtol on 32 bits: saturates at the int range.
std::int32_t SignedValue(const ParsedInt &p)
{
    long long v = p.negative ? -static_cast<long long>(p.magnitude) : static_cast<long long>(p.magnitude);
    return static_cast<std::int32_t>(std::clamp<long long>(v, INT_MIN, INT_MAX));
}

// strtoul on 32 bits: saturates at 4294967295, a minus sign negates modulo 2^32.
std::uint32_t UnsignedValue(const ParsedInt &p)
{
    if (p.magnitude > 0xFFFFFFFFull)
        return 0xFFFFFFFFu;
    auto v = static_cast<std::uint32_t>(p.magnitude);
    return p.negative ? 0u - v : v;
}

} // namespace

IntInput ParseIntInput(std::string_view text, std::int32_t min, std::int32_t max, bool isSigned)
{
    text = Trim(text);
    if (text.empty())
        return {IntInputError::Empty, 0};
    const ParsedInt parsed = ParseDecimal(text);
    if (parsed.leftover)
        return {IntInputError::NonDigit, 0};
    if (isSigned) {
        const std::int32_t v = SignedValue(parsed);
        if (v < min || v > max)
            return {IntInputError::Range, 0};
        return {IntInputError::None, v};
    }
    const std::uint32_t v = UnsignedValue(parsed);
    if (v < static_cast<std::uint32_t>(min) || v > static_cast<std::uint32_t>(max))
        return {IntInputError::Range, 0};
    return {IntInputError::None, static_cast<std::int32_t>(v)};
}

std::string IntInputMessage(IntInputError error, std::int32_t min, std::int32_t max, bool isSigned)
{
    switch (error) {
    case IntInputError::None: return {};
    case IntInputError::Empty: return "参数不能为空！";
    case IntInputError::NonDigit: return "参数存在非数字字符！";
    case IntInputError::Range: break;
    }
    const std::string lo = isSigned ? std::to_string(min) : std::to_string(static_cast<std::uint32_t>(min));
    const std::string hi = isSigned ? std::to_string(max) : std::to_string(static_cast<std::uint32_t>(max));
    return "参数的有效范围是 " + lo + " 至 " + hi + " 之间的整数！";
}
