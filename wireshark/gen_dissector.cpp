// Writes the capture dissector: the Lua template with its tables filled in
// from the protocol's own tables (command names, result codes, the names of
// the protection and alarm bits), so the dissector names what the tool names.
//
//   pylvex-dissector-gen TEMPLATE OUTPUT
#include "protocol/batch_status.h"
#include "protocol/command_table.h"
#include "protocol/status_decode.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string Quoted(const std::string &text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\')
            out += '\\';
        if (c == '\n') {
            out += "\\n";
            continue;
        }
        out += c;
    }
    return out + "\"";
}

std::string Hex(unsigned v, int digits)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%0*X", digits, v);
    return buf;
}

std::string Commands(bool boardFrames)
{
    std::string out = "{\n";
    for (const CommandName &c : CommandNames())
        if (c.boardFrame == boardFrames)
            out += "    [" + Hex(c.cls * 256u + c.code, 4) + "] = " + Quoted(c.name) + ",\n";
    return out + "}";
}

std::string Results()
{
    std::string out = "{\n";
    for (const ResultCodeText &r : ResultCodeTexts())
        out += "    [" + Hex(r.code, 2) + "] = " + Quoted(r.text) + ",\n";
    return out + "}";
}

// The names of the bits 0-31 as the decoder gives them for a field with only that bit set.
std::string Bits(const std::function<std::vector<std::string>(StatusBytes)> &names)
{
    std::string out = "{\n";
    for (int bit = 0; bit < 32; ++bit) {
        std::array<std::uint8_t, 4> field{};
        field[static_cast<std::size_t>(bit / 8)] = static_cast<std::uint8_t>(1u << (bit % 8));
        const std::vector<std::string> got = names(field);
        if (got.size() != 1 || got[0].rfind("N/A", 0) == 0)
            continue;
        out += "    [" + std::to_string(bit) + "] = " + Quoted(got[0]) + ",\n";
    }
    return out + "}";
}

void Replace(std::string &text, const std::string &key, const std::string &value)
{
    for (std::size_t at = text.find(key); at != std::string::npos; at = text.find(key, at + value.size()))
        text.replace(at, key.size(), value);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s TEMPLATE OUTPUT\n", argv[0]);
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Replace(text, "@COMMANDS@", Commands(false));
    Replace(text, "@BOARD_FRAMES@", Commands(true));
    Replace(text, "@RESULT_CODES@", Results());
    Replace(text, "@PROTECTION_BITS@", Bits(ProtectionNames));
    Replace(text, "@ALARM_BITS@", Bits(AlarmNames));
    Replace(text, "@BATCH_ITEMS@", std::to_string(kBatchItems));
    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!out) {
        std::fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
