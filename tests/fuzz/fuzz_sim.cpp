// The simulated board's side of the link without I/O, fed what a host might
// send: well-formed requests of any class, code and data (the sum filled in),
// arbitrary bytes, quiet times, polls and time passing, with a secondary
// board or a repeater as the first byte chooses. Firmware loaders started by
// an upgrade request take their bytes too. With the fault switches off, every
// chunk the board writes is a complete frame with a good sum from one of the
// boards on the link, or a loader's single control byte.
#include "fuzz_link_check.h"

#include "protocol/dassert.h"
#include "sim/sim_link.h"

namespace {

struct Reader {
    const std::uint8_t *p;
    std::size_t n;
    std::uint8_t Next() { return n ? (--n, *p++) : 0; }
};

std::int64_t g_now = 0;

void CheckWritten(const std::vector<SimBytes> &chunks, const SimLink &link)
{
    for (const SimBytes &c : chunks) {
        if (c.size() <= 2 && link.Loader()) {
            for (std::uint8_t b : c)
                FUZZ_CHECK(b == 0x06 || b == 0x15 || b == 0x18 || b == 'C');
            continue;
        }
        FUZZ_CHECK(c.size() >= kFrameMinLen);
        CheckWellFormed(c.data(), c.size());
        FUZZ_CHECK(c[1] == kLinkMain || c[1] == kLinkSecondary);
        FUZZ_CHECK(VerifyFrame(c.data(), c.size()));
    }
}

// Classes the board knows, and any other.
constexpr std::uint8_t kClasses[] = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06};

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    SetErrorFilePath("/nonexistent/d_error.txt");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    Reader in{data, size};
    std::uint8_t flags = in.Next();
    SimOptions options;
    options.secondary = (flags & 1) != 0;
    options.repeater = (flags & 2) != 0;
    options.refuseInternal = (flags & 4) != 0;
    options.noBatch = (flags & 8) != 0;
    options.seed = flags;
    g_now = 1'700'000'000'000;
    SimLink link(options, [] { return g_now; });
    for (int steps = 0; in.n > 0 && steps < 300; ++steps) {
        std::uint8_t op = in.Next();
        std::vector<SimBytes> out;
        switch (op % 5) {
        case 0:
        case 1: {
            // A request: class, code, data with the sum filled in.
            std::uint8_t cls = (op & 0x08) ? in.Next() : kClasses[(op >> 4) % std::size(kClasses)];
            std::uint8_t code = in.Next();
            std::size_t n = (op & 0x04) ? in.Next() : in.Next() % 8;
            std::vector<std::uint8_t> payload{(op & 0x80) && (op & 0x40) ? kLinkSecondary : kLinkMain, cls, code,
                                              static_cast<std::uint8_t>(n)};
            for (std::size_t i = 0; i < n; ++i)
                payload.push_back(in.Next());
            SimBytes frame = MakeFrame(payload[0], cls, code, std::span(payload).subspan(4));
            out = link.Feed(frame);
            break;
        }
        case 2: {
            // Arbitrary bytes.
            std::vector<std::uint8_t> bytes;
            for (int i = op >> 3; i > 0 && in.n > 0; --i)
                bytes.push_back(in.Next());
            out = link.Feed(bytes);
            break;
        }
        case 3: out = link.Quiet(); break;
        default:
            // Time passes (at most a few seconds of pack time), then the board
            // sends what is due.
            g_now += (op >> 3) * 97;
            out = link.Poll();
            break;
        }
        CheckWritten(out, link);
        FUZZ_CHECK(link.Waiting() <= RxFramer::kBufferSize);
    }
    return 0;
}
