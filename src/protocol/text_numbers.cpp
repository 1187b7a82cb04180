#include "protocol/text_numbers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace {
constexpr std::uint64_t kSaturate = 0x1FFFFFFFFull;

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

int DigitValue(char c, int base)
{
    int v = -1;
    if (c >= '0' && c <= '9')
        v = c - '0';
    else if (c >= 'a' && c <= 'f')
        v = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        v = c - 'A' + 10;
    return v >= 0 && v < base ? v : -1;
}
} // namespace

std::string_view TrimText(std::string_view text)
{
    while (!text.empty() && IsSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

CNumber ScanCNumber(std::string_view text, int base)
{
    CNumber n;
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        n.negative = text[i++] == '-';
    // "0x" belongs to a hexadecimal number only when a digit follows it.
    if (base == 16 && i + 2 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X') &&
        DigitValue(text[i + 2], 16) >= 0)
        i += 2;
    std::size_t digitsStart = i;
    for (int d; i < text.size() && (d = DigitValue(text[i], base)) >= 0; ++i)
        n.magnitude = std::min(n.magnitude * static_cast<unsigned>(base) + static_cast<unsigned>(d), kSaturate);
    n.anyDigit = i > digitsStart;
    n.leftover = !n.anyDigit || i < text.size();
    return n;
}

std::int32_t CSignedValue(const CNumber &n)
{
    auto m = static_cast<std::int64_t>(n.magnitude);
    std::int64_t v = n.negative ? -m : m;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, std::numeric_limits<std::int32_t>::min(),
                                                              std::numeric_limits<std::int32_t>::max()));
}

std::uint32_t CUnsignedValue(const CNumber &n)
{
    if (n.magnitude > 0xFFFFFFFFull)
        return 0xFFFFFFFFu;
    auto v = static_cast<std::uint32_t>(n.magnitude);
    return n.negative ? 0u - v : v;
}

EditInt ParseEditInt(std::string_view text, std::int64_t min, std::int64_t max, bool isSigned, int base)
{
    text = TrimText(text);
    if (text.empty())
        return {EditIntCheck::Empty, 0};
    CNumber n = ScanCNumber(text, base);
    if (n.leftover)
        return {EditIntCheck::Leftover, 0};
    std::int64_t v = isSigned ? CSignedValue(n) : static_cast<std::int64_t>(CUnsignedValue(n));
    if (v < min || v > max)
        return {EditIntCheck::OutOfRange, v};
    return {EditIntCheck::Ok, v};
}

bool IsStrictInt32(std::string_view text, std::int32_t *value)
{
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    if (i == text.size())
        return false;
    std::int64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        magnitude = std::min<std::int64_t>(magnitude * 10 + (text[i] - '0'), kSaturate);
    }
    std::int64_t v = negative ? -magnitude : magnitude;
    if (v < std::numeric_limits<std::int32_t>::min() || v > std::numeric_limits<std::int32_t>::max())
        return false;
    if (value)
        *value = static_cast<std::int32_t>(v);
    return true;
}

StrictInt ParseStrictInt(std::string_view text, std::int64_t min, std::int64_t max)
{
    text = TrimText(text);
    if (text.empty())
        return {StrictIntCheck::Empty, 0};
    std::int32_t v = 0;
    if (!IsStrictInt32(text, &v))
        return {StrictIntCheck::Invalid, 0};
    if (v < min || v > max)
        return {StrictIntCheck::OutOfRange, v};
    return {StrictIntCheck::Ok, v};
}

double ScanCDouble(std::string_view text)
{
    while (!text.empty() && IsSpace(text.front()))
        text.remove_prefix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    // A second sign is not part of the number.
    if (text.empty() || text.front() == '+' || text.front() == '-')
        return 0.0;
    double v = 0.0;
    std::from_chars_result r = std::from_chars(text.data(), text.data() + text.size(), v);
    if (r.ec == std::errc::invalid_argument)
        return 0.0;
    if (r.ec == std::errc::result_out_of_range) {
        // As strtod: overflow gives infinity, underflow zero; a negative
        // exponent is what makes a number too small.
        std::string_view number = text.substr(0, static_cast<std::size_t>(r.ptr - text.data()));
        bool tiny = number.find('-') != std::string_view::npos;
        v = tiny ? 0.0 : std::numeric_limits<double>::infinity();
    }
    return negative ? -v : v;
}

std::int64_t TruncatedTenths(double value)
{
    if (!std::isfinite(value))
        return 0;
    double tenths = value * 10.0;
    tenths += tenths < 0 ? -1e-9 : 1e-9;
    tenths = std::clamp(tenths, -9.0e18, 9.0e18);
    return static_cast<std::int64_t>(std::trunc(tenths));
}

std::uint16_t TruncatedLow16(double value)
{
    if (!std::isfinite(value))
        return 0;
    double whole = std::fmod(std::trunc(value), 65536.0);
    if (whole < 0)
        whole += 65536.0;
    return static_cast<std::uint16_t>(whole);
}

std::vector<std::string_view> SplitNumbers(std::string_view text)
{
    std::vector<std::string_view> pieces;
    std::size_t i = 0;
    while (i < text.size()) {
        auto isCut = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
        while (i < text.size() && isCut(text[i]))
            ++i;
        std::size_t start = i;
        while (i < text.size() && !isCut(text[i]))
            ++i;
        if (i > start)
            pieces.push_back(text.substr(start, i - start));
    }
    return pieces;
}
