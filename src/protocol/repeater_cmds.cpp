#include "protocol/repeater_cmds.h"

#include "protocol/control_cmds.h"

namespace {
const char *const kLinkBits[] = {"串口", "CAN", "IIC", "一线通", "485"};

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}
} // namespace

std::vector<const char *> RepeaterLinkNames(std::uint8_t b)
{
    std::vector<const char *> names;
    for (int k = 0; k < 5; ++k)
        if (b & (1u << k))
            names.push_back(kLinkBits[k]);
    return names;
}

std::string RepeaterLinkText(std::uint8_t b)
{
    return JoinNames(RepeaterLinkNames(b), "，");
}

std::size_t ValidHexPrefix(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || HexDigit(text[i]) >= 0))
        ++i;
    return i;
}

std::vector<std::uint8_t> HexTextBytes(std::string_view text)
{
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < text.size(); ++i) {
        int high = HexDigit(text[i]);
        if (high < 0)
            continue;
        int low = i + 1 < text.size() ? HexDigit(text[i + 1]) : -1;
        if (low < 0)
            continue; // a lone digit
        bytes.push_back(static_cast<std::uint8_t>(high << 4 | low));
        ++i;
    }
    return bytes;
}

std::optional<Payload> PassThroughPayload(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() > kPassThroughMax)
        return std::nullopt;
    return CommandPayload(kCmdPassThrough, bytes);
}
