// The two firmware senders driven by an arbitrary board: the command-protocol
// upgrade session fed arbitrary answers (well-formed ones for the step it is
// in, others with any step byte, cut or long) and timer expiries, and the
// YModem sender fed any sequence of receiver bytes and timeouts. Every frame
// either of them puts on the line must be well-formed: the upgrade packet
// with its header, length and CRC-16/MODBUS, a block carrying exactly the
// image's bytes at its number; the YModem packet with its block number and
// complement, size and CRC-16/XMODEM, block 0 naming the file's size.
#include "fuzz_link_check.h"

#include "protocol/crc16.h"
#include "protocol/dassert.h"
#include "protocol/fw_upgrade.h"
#include "protocol/ymodem.h"

#include <cstdio>
#include <string>
#include <unistd.h>

namespace {

struct Reader {
    const std::uint8_t *p;
    std::size_t n;
    std::uint8_t Next() { return n ? (--n, *p++) : 0; }
    std::span<const std::uint8_t> Take(std::size_t k)
    {
        k = std::min(k, n);
        std::span<const std::uint8_t> s(p, k);
        p += k;
        n -= k;
        return s;
    }
};

class FwSink : public FwUpgradeSink {
public:
    const FwUpgradeSession *session = nullptr;
    std::size_t posted = 0;

    void Log(const UpgradeRow &) override {}
    bool Queue(const std::uint8_t *p, std::size_t n) override
    {
        FUZZ_CHECK(n >= 4 + 6 && p[0] == 0x53 && p[1] == 0x03 && p[2] == 0x26 && p[3] == n - 4);
        const std::uint8_t *packet = p + 4;
        std::size_t len = n - 4;
        FUZZ_CHECK(packet[0] == kFwPacketHead0 && packet[1] == kFwPacketHead1 && packet[3] == len - 6);
        std::uint16_t crc = Crc16Modbus(packet, len - 2);
        FUZZ_CHECK(packet[len - 2] == (crc & 0xFF) && packet[len - 1] == (crc >> 8));
        if (packet[2] == kFwStepBlock) {
            const std::vector<std::uint8_t> &image = session->Image();
            std::size_t bs = static_cast<std::size_t>(session->BlockSize());
            std::size_t no = (packet[4] << 8) | packet[5];
            std::size_t total = (packet[6] << 8) | packet[7];
            std::size_t k = len - 12; // packet head 4, number, total, block CRC 6, CRC 2
            FUZZ_CHECK(no >= 1 && no <= total && total == (image.size() + bs - 1) / bs);
            FUZZ_CHECK(k >= 1 && k <= bs && (no - 1) * bs + k <= image.size());
            FUZZ_CHECK(std::memcmp(packet + 10, image.data() + (no - 1) * bs, k) == 0);
            std::uint16_t blockCrc = Crc16Modbus(packet + 10, k);
            FUZZ_CHECK(packet[8] == (blockCrc & 0xFF) && packet[9] == (blockCrc >> 8));
        }
        return true;
    }
    void ArmTimer(int) override {}
    void KillTimer() override {}
    void PostTimer() override { ++posted; }
    void SetProgress(std::size_t pos, std::size_t max) override { FUZZ_CHECK(pos <= max); }
};

void RunCommandUpgrade(Reader &in, std::span<const std::uint8_t> image)
{
    FwSink sink;
    FwUpgradeSession session(sink);
    sink.session = &session;
    session.SetImage({image.begin(), image.end()});
    if (FwUpgradeSession::SizeRefusal(image.size()) || !session.Start("fw.bin"))
        return;
    for (int steps = 0; in.n > 0 && steps < 400; ++steps) {
        std::uint8_t op = in.Next();
        switch (op % 4) {
        case 0: session.OnTimer(); break;
        case 1: {
            // An answer to the step in progress with arbitrary data.
            std::span<const std::uint8_t> data = in.Take(op >> 4);
            Payload packet = FwPacket(static_cast<std::uint8_t>(session.Step() + 1), data);
            session.OnRouted(packet, true);
            break;
        }
        case 2: {
            // The first bytes of such an answer, or any step byte.
            Payload packet = FwPacket(in.Next(), in.Take(op >> 4));
            packet.resize(std::min<std::size_t>(packet.size(), in.Next()));
            session.OnRouted(packet, true);
            break;
        }
        default: {
            // A run of good answers saying yes: the blocks go out.
            for (int i = 0; i < (op >> 2) && session.Step() != kFwStepAfter; ++i) {
                std::uint8_t yes[2] = {0x00, 0x02};
                Payload packet = FwPacket(static_cast<std::uint8_t>(session.Step() + 1),
                                          session.Step() == kFwStepErase ? std::span(yes, 2) : std::span(yes, 1));
                session.OnRouted(packet, true);
            }
            break;
        }
        }
        FUZZ_CHECK(session.Progress() <= image.size());
    }
}

class YmSink : public YModemSink {
public:
    long long fileSize = 0;
    std::uint32_t now = 0;

    void Log(const UpgradeRow &) override {}
    void Transmit(const std::uint8_t *p, std::size_t n) override
    {
        if (n == 1) {
            FUZZ_CHECK(p[0] == kYmEot);
            return;
        }
        if (n == 2) {
            FUZZ_CHECK(p[0] == kYmCan && p[1] == kYmCan); // the sender gives up
            return;
        }
        FUZZ_CHECK(n == kYmSmallPacket || n == kYmLargePacket);
        FUZZ_CHECK(p[0] == (n == kYmSmallPacket ? kYmSoh : kYmStx));
        FUZZ_CHECK(static_cast<std::uint8_t>(p[1] ^ p[2]) == 0xFF);
        std::uint16_t crc = Crc16Xmodem(p + 3, n - 5);
        FUZZ_CHECK(p[n - 2] == (crc >> 8) && p[n - 1] == (crc & 0xFF));
        if (p[1] == 0 && p[3] != 0) {
            // Block 0: the name, 0, the size in decimal.
            const char *name = reinterpret_cast<const char *>(p + 3);
            std::size_t nameLen = strnlen(name, n - 5);
            FUZZ_CHECK(nameLen < n - 5);
            FUZZ_CHECK(std::atoll(name + nameLen + 1) == fileSize);
        }
    }
    void ArmTimer(int) override {}
    void KillTimer() override {}
    void ClearQueues() override {}
    void SetProgress(long long pos, long long max) override { FUZZ_CHECK(pos >= 0 && pos <= max); }
    bool PacketRows() const override { return true; }
    std::uint32_t NowMs() const override { return now; }
};

std::string g_imageDir, g_imagePath;

void RemoveImage()
{
    std::remove(g_imagePath.c_str());
    rmdir(g_imageDir.c_str());
}

void RunYModem(Reader &in, std::span<const std::uint8_t> image, bool wrapped)
{
    std::FILE *f = std::fopen(g_imagePath.c_str(), "wb");
    FUZZ_CHECK(f);
    if (!image.empty())
        FUZZ_CHECK(std::fwrite(image.data(), 1, image.size(), f) == image.size());
    std::fclose(f);
    YmSink sink;
    sink.fileSize = static_cast<long long>(image.size());
    YModemSender sender(sink, g_imagePath, wrapped);
    sender.Restart();
    for (int steps = 0; in.n > 0 && steps < 600; ++steps) {
        std::uint8_t b = in.Next();
        sink.now += (b >> 4) * 40u;
        int event = YModemEventOf(b);
        sender.OnEvent(event ? event : 1 + (b & 7) % 5);
        FUZZ_CHECK(sender.Progress() >= 0 && sender.Progress() <= sink.fileSize);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    SetErrorFilePath("/nonexistent/d_error.txt");
    char dir[] = "/tmp/pylvex-fuzz-XXXXXX";
    if (!mkdtemp(dir))
        std::abort();
    g_imageDir = dir;
    g_imagePath = g_imageDir + "/Firmware.bin";
    std::atexit(RemoveImage);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    Reader in{data, size};
    std::uint8_t mode = in.Next();
    std::size_t imageSize = in.Next() * 4u + (mode >> 2);
    std::span<const std::uint8_t> image = in.Take(imageSize);
    if (mode % 3 == 0)
        RunCommandUpgrade(in, image);
    else
        RunYModem(in, image, mode % 3 == 2);
    return 0;
}
