#include "protocol/request.h"

#include "protocol/frame.h"

#include <algorithm>

Payload CommandPayload(CommandId command, std::span<const std::uint8_t> data)
{
    std::size_t n = std::min<std::size_t>(data.size(), 255);
    Payload out(4 + n);
    out[0] = kLinkMain;
    out[1] = command.cls;
    out[2] = command.code;
    out[3] = static_cast<std::uint8_t>(n);
    std::copy_n(data.begin(), n, out.begin() + 4);
    return out;
}

Payload PlainRequest(CommandId command)
{
    const std::uint8_t zero = 0x00;
    return CommandPayload(command, {&zero, 1});
}
