// The replay reader takes capture files that users send: any bytes are read
// without reading outside them, reading stops at a whole block, every record
// kept lies inside the input, and every recorded answer the book gives back is
// a whole frame of the capture. The input is taken as it is, and once more
// behind a valid section and interface, so the packet blocks are reached.
#include "fuzz_link_check.h"

#include "protocol/pcapng.h"
#include "sim/sim_replay.h"

#include <string>

namespace {

void Check(const Bytes &bytes)
{
    const PcapngContents contents = ReadPcapng(bytes);
    FUZZ_CHECK(contents.wholeBytes <= bytes.size());
    FUZZ_CHECK(contents.problem.empty() == (contents.wholeBytes == bytes.size()));
    std::size_t recordBytes = 0;
    for (const PcapngRecord &r : contents.records)
        recordBytes += r.bytes.size();
    FUZZ_CHECK(recordBytes <= bytes.size());

    std::string problem;
    ReplayBook book = ReplayBook::FromCapture(bytes, &problem);
    FUZZ_CHECK(problem == contents.problem);
    FUZZ_CHECK(book.Turns() >= book.Requests());
    for (const PcapngRecord &r : contents.records) {
        if (r.direction != PcapngDirection::Outbound)
            continue;
        const auto answers = book.Take(r.bytes);
        if (!answers)
            continue;
        for (const auto &frame : *answers) {
            FUZZ_CHECK(frame.size() >= kFrameMinLen && frame.size() == static_cast<std::size_t>(frame[4]) + 9);
            FUZZ_CHECK(frame[0] == kFrameHead && frame[frame.size() - 2] == 0x0D && frame.back() == 0x0A);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const Bytes input(data, data + size);
    Check(input);
    Bytes framed = PcapngSectionHeader("");
    const Bytes idb = PcapngInterface(kLinkTypeUser0, "p", "", "");
    framed.insert(framed.end(), idb.begin(), idb.end());
    framed.insert(framed.end(), input.begin(), input.end());
    Check(framed);
    return 0;
}
