#include "protocol/termtext.h"

#include <charconv>
#include <cstdio>

namespace term {
namespace {

int HexValue(char c)
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

HexSendText ParseHexSend(std::string_view text)
{
    HexSendText out;
    out.validLength = text.size();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != ' ' && HexValue(text[i]) < 0) {
            out.validLength = i;
            out.valid = false;
            break;
        }
    }
    std::string_view valid = text.substr(0, out.validLength);
    std::size_t i = 0;
    while (i < valid.size()) {
        int high = HexValue(valid[i]);
        int low = i + 1 < valid.size() ? HexValue(valid[i + 1]) : -1;
        if (high >= 0 && low >= 0) {
            out.bytes.push_back(static_cast<std::uint8_t>(high << 4 | low));
            i += 2;
        } else {
            ++i;
        }
    }
    return out;
}

std::optional<std::string> AtCommand(std::string_view text)
{
    if (text.find('\n') == std::string_view::npos || text.size() <= 1)
        return std::nullopt;
    std::string command;
    for (char c : text) {
        if (c != '\r' && c != '\n')
            command.push_back(c);
    }
    return command;
}

std::vector<std::uint8_t> SendBytes(const std::vector<std::uint8_t> &bytes, bool lineBreak)
{
    std::vector<std::uint8_t> out = bytes;
    if (lineBreak) {
        out.push_back(0x0D);
        out.push_back(0x0A);
    }
    return out;
}

std::string TimeStamp(int hours, int minutes, int seconds, int milliseconds)
{
    char text[32];
    std::snprintf(text, sizeof text, "[%02d:%02d:%02d:%03d] ", hours % 100, minutes % 100, seconds % 100,
                  milliseconds % 1000);
    return text;
}

std::string HexDisplay(const std::uint8_t *bytes, std::size_t count)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(count * 3);
    for (std::size_t i = 0; i < count; ++i) {
        out.push_back(' ');
        out.push_back(kDigits[bytes[i] >> 4]);
        out.push_back(kDigits[bytes[i] & 0x0F]);
    }
    return out;
}

std::string FromHeader(std::string_view peer)
{
    return "\n【From: " + std::string(peer) + "】\n";
}

std::optional<std::int64_t> RxRate::Tick(std::int64_t bankBytes)
{
    m_sum += bankBytes;
    if (++m_ticks < 10)
        return std::nullopt;
    std::int64_t rate = m_sum * 1000 / (10LL * m_refreshMs);
    Reset();
    return rate;
}

int ClampPort(long long value)
{
    if (value >= 65536 || value < 0)
        return 65535;
    return static_cast<int>(value);
}

std::vector<long long> ReadDashNumbers(std::string_view text, std::size_t count)
{
    std::vector<long long> out;
    std::size_t at = 0;
    while (out.size() < count) {
        if (!out.empty()) {
            if (at >= text.size() || text[at] != '-')
                break;
            ++at;
        }
        while (at < text.size() && (text[at] == ' ' || text[at] == '\t'))
            ++at;
        bool negative = at < text.size() && text[at] == '-';
        if (at < text.size() && (text[at] == '+' || text[at] == '-'))
            ++at;
        std::size_t digits = at;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9')
            ++at;
        long long value = 0;
        auto [ptr, ec] = std::from_chars(text.data() + digits, text.data() + at, value);
        (void)ptr;
        if (at == digits || ec != std::errc())
            break;
        out.push_back(negative ? -value : value);
    }
    return out;
}

std::optional<NetConfig> ParseNetConfig(std::string_view text)
{
    std::vector<long long> n = ReadDashNumbers(text, 4);
    if (n.empty())
        return std::nullopt;
    NetConfig config;
    config.address = static_cast<std::uint32_t>(n[0]);
    if (n.size() > 1)
        config.protocol = n[1] >= 0 && n[1] <= 2 ? static_cast<int>(n[1]) : 0;
    if (n.size() > 2)
        config.targetPort = ClampPort(n[2]);
    if (n.size() > 3)
        config.localPort = ClampPort(n[3]);
    return config;
}

std::string AddressText(std::uint32_t address)
{
    char text[20];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", address >> 24 & 0xFFu, address >> 16 & 0xFFu, address >> 8 & 0xFFu,
                  address & 0xFFu);
    return text;
}

} // namespace term
