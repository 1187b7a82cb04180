// The command-protocol loader: it checks each packet's CRC and the fixed
// fields of the information check, keeps the blocks it is sent (numbers,
// totals and block CRCs checked), and after a successful result query the
// board reports a software version one patch higher. Switches make it answer
// every error the protocol knows, choose the block size, drop or repeat an
// answer step.
#include "sim/sim_upgrade.h"

#include "protocol/bytes.h"
#include "protocol/crc16.h"
#include "protocol/fw_upgrade.h"
#include "sim/sim_board.h"
#include "sim/sim_params.h"

#include <cstdio>

namespace {
using Data = std::span<const std::uint8_t>;

// The packet of a request when it is sound: header, length and CRC.
bool PacketSound(Data p)
{
    if (p.size() < 6 || p[0] != kFwPacketHead0 || p[1] != kFwPacketHead1)
        return false;
    const std::size_t n = p[3];
    if (p.size() != n + 6)
        return false;
    const std::uint16_t crc = Crc16Modbus(p.data(), n + 4);
    return p[n + 4] == (crc & 0xFF) && p[n + 5] == (crc >> 8);
}

// Status of the information check: 1 manufacturer, 2 model, 3 size, 4 header.
std::uint8_t CheckStatus(Data d, std::uint32_t &size)
{
    if (d.size() != kFwCheckDataLen)
        return 4;
    const std::vector<std::uint8_t> want = FwCheckData(0);
    for (int i = 0; i < 16; ++i)
        if (d[i] != want[i])
            return 1;
    for (int i = 16; i < 32; ++i)
        if (d[i] != want[i])
            return 2;
    for (int i = 36; i < 52; ++i)
        if (d[i] != want[i])
            return 4;
    size = *ReadBe32(d, 32);
    return size == 0 || size > kSimFlashSize ? 3 : 0;
}

std::uint8_t WriteBlock(FwLoaderState &s, const SimOptions &o, Data d)
{
    if (!s.erased || d.size() < 6)
        return 3;
    const int no = *ReadBe16(d, 0);
    const int total = *ReadBe16(d, 2);
    const int attempt = ++s.attempts[no];
    if (no == o.fwCheckErrorBlock && attempt == 1)
        return 1;
    if (no == o.fwCheckErrorTwice && attempt <= 2)
        return 1;
    if (no == o.fwWriteFailBlock)
        return 2;
    if (no == o.fwBadNumberBlock)
        return 3;
    const int wantTotal = static_cast<int>((s.size + s.blockSize - 1) / s.blockSize);
    if (no != s.nextBlock || total != wantTotal)
        return 3;
    Data block = d.subspan(6);
    const std::size_t offset = static_cast<std::size_t>(no - 1) * s.blockSize;
    const std::size_t want = std::min<std::size_t>(s.blockSize, s.size - offset);
    const std::uint16_t crc = Crc16Modbus(block.data(), block.size());
    if (block.size() != want || d[4] != (crc & 0xFF) || d[5] != (crc >> 8))
        return 1;
    s.image.insert(s.image.end(), block.begin(), block.end());
    ++s.nextBlock;
    return 0;
}

SimBytes FwUpgrade(SimContext &ctx, Data packet)
{
    // What is no sound packet is refused like any request of a wrong
    // length; the tool finds no packet header in it and changes nothing.
    if (!PacketSound(packet))
        return {kResultBadLength};
    const SimOptions &o = ctx.options;
    FwLoaderState &s = ctx.unit.Extra<FwLoaderState>();
    const std::uint8_t step = packet[2];
    Data d = packet.subspan(4, packet[3]);
    std::vector<std::uint8_t> answer;
    switch (step) {
    case kFwStepRequest:
        s = FwLoaderState{};
        s.requested = o.fwRefuseRequest == 0;
        answer = s.requested ? std::vector<std::uint8_t>{0, 0}
                             : std::vector<std::uint8_t>{1, static_cast<std::uint8_t>(o.fwRefuseRequest)};
        break;
    case kFwStepCheck: {
        std::uint32_t size = 0;
        std::uint8_t status = s.requested ? CheckStatus(d, size) : 4;
        if (o.fwRefuseCheck != 0)
            status = static_cast<std::uint8_t>(o.fwRefuseCheck);
        s.checked = status == 0;
        s.size = size;
        answer = {status};
        break;
    }
    case kFwStepErase: {
        const bool fail = o.fwEraseFail != 0 || !s.checked;
        const auto code = static_cast<std::uint8_t>(o.fwBlockSizeCode);
        if (!fail) {
            s.erased = true;
            s.blockSize = FwBlockSizeOfCode(code);
            s.image.clear();
            s.attempts.clear();
            s.nextBlock = 1;
        }
        answer = {static_cast<std::uint8_t>(fail ? 1 : 0), code};
        break;
    }
    case kFwStepBlock: answer = {WriteBlock(s, o, d)}; break;
    case kFwStepQuery: {
        const bool complete = s.erased && s.image.size() == s.size && s.size > 0;
        const bool ok = complete && o.fwFinalFail == 0;
        if (ok && !s.upgraded) {
            s.upgraded = true;
            ++ctx.unit.identity.versions[2]; // the new firmware reports itself
            ctx.unit.restartUntilMs = ctx.nowMs + static_cast<std::int64_t>(o.restartSilentSec) * 1000;
            StoreReceivedImage(o, s.image);
        }
        answer = {static_cast<std::uint8_t>(ok ? 0 : 1)};
        break;
    }
    default: return {kResultBadValue};
    }
    const int answerStep = step + 1;
    Payload reply = FwPacket(static_cast<std::uint8_t>(answerStep), answer);
    if (answerStep == o.fwDropAnswer)
        ctx.noAnswer = true;
    else if (answerStep == o.fwRepeatAnswer)
        ctx.follow.push_back({kCmdFwUpgrade.AnswerClass(), kCmdFwUpgrade.AnswerCode(), reply});
    return reply;
}
} // namespace

bool StoreReceivedImage(const SimOptions &options, const std::vector<std::uint8_t> &image)
{
    if (options.storeImage.empty())
        return true;
    std::FILE *f = std::fopen(options.storeImage.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(image.data(), 1, image.size(), f) == image.size();
    return std::fclose(f) == 0 && ok;
}

void AddUpgradeCommands(SimCommandTable &table)
{
    table.push_back({kCmdFwUpgrade.cls, kCmdFwUpgrade.code, false, FwUpgrade});
}
