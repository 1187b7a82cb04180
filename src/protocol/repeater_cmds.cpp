#include "protocol/repeater_cmds.h"

#include "protocol/control_cmds.h"
#include "protocol/termtext.h"
#include "protocol/tr_marker.h"

namespace {
const char *const kLinkBits[] = {PYLVEX_TR_NOOP("BoardText", "串口"), "CAN", "IIC",
                                 PYLVEX_TR_NOOP("BoardText", "一线通"), "485"};
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

// The pass-through box follows the rules of the terminal's hex send box.
std::size_t ValidHexPrefix(std::string_view text)
{
    return term::ParseHexSend(text).validLength;
}

std::vector<std::uint8_t> HexTextBytes(std::string_view text)
{
    return term::ParseHexSend(text).bytes;
}

std::optional<Payload> PassThroughPayload(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() > kPassThroughMax)
        return std::nullopt;
    return CommandPayload(kCmdPassThrough, bytes);
}
