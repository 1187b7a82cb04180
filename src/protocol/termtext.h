// Text rules of the terminal: the hex send box, AT command lines, the
// received-data lines with their time stamps, the receive rate, and the
// stored settings of the terminal's serial and network panels.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace term {

// The hex send box: every character must be a hex digit or a blank.
struct HexSendText {
    // Length of the valid text before the first other character; the whole
    // length when all characters are valid.
    std::size_t validLength = 0;
    bool valid = true;
    // Two adjacent hex digits make a byte (first the high nibble); a digit
    // not directly followed by another is ignored; blanks are skipped.
    std::vector<std::uint8_t> bytes;
};
HexSendText ParseHexSend(std::string_view text);

// AT mode: once the box holds a line feed and more than that character, the
// command is the text without its CR and LF characters.
std::optional<std::string> AtCommand(std::string_view text);

// The bytes a send writes: the send bytes, followed by CR LF when asked.
std::vector<std::uint8_t> SendBytes(const std::vector<std::uint8_t> &bytes, bool lineBreak);

// "[hh:mm:ss:mmm] " for a local time of day.
std::string TimeStamp(int hours, int minutes, int seconds, int milliseconds);
// " XX" (a blank and two upper-case digits) for every byte.
std::string HexDisplay(const std::uint8_t *bytes, std::size_t count);
// The source line shown before data from a network peer: "\n【From: peer】\n".
std::string FromHeader(std::string_view peer);

// The receive rate over ten refresh periods: Tick() is called once per
// refresh with the bytes waiting in the receive bank and gives the rate in
// bytes per second on every tenth call.
class RxRate {
public:
    explicit RxRate(int refreshMs) : m_refreshMs(refreshMs > 0 ? refreshMs : 1) {}
    std::optional<std::int64_t> Tick(std::int64_t bankBytes);
    void Reset() { m_ticks = 0, m_sum = 0; }

private:
    int m_refreshMs;
    int m_ticks = 0;
    std::int64_t m_sum = 0;
};

// A port typed into a port edit: 65536 and more, or a negative value, become 65535.
int ClampPort(long long value);

// Up to `count` "%d" numbers joined by "-", read from the left; reading stops
// at the first number that cannot be read, so fewer may come back.
std::vector<long long> ReadDashNumbers(std::string_view text, std::size_t count);

// The stored network panel settings ("address-protocol-targetPort-localPort",
// the address as one 32-bit number with its first byte highest).
struct NetConfig {
    std::uint32_t address = 0x7F000001; // 127.0.0.1
    int protocol = 0;                   // 0 TCP client, 1 TCP server, 2 UDP
    int targetPort = 8000;
    int localPort = 9000;
};
// Nullopt for "NULL" or text that does not start with a number; fields that
// cannot be read keep their defaults.
std::optional<NetConfig> ParseNetConfig(std::string_view text);
// "%d.%d.%d.%d".
std::string AddressText(std::uint32_t address);

} // namespace term
