// The served board sends frames nobody asked for when they are due: learning
// records written on the pseudo-terminal without any request to wake the
// serving thread. (The interval and its scaling are checked on a hand-driven
// clock in test_sim_soc.)
#include "common/frame_bytes.h"
#include "protocol/frame.h"
#include "protocol/framer.h"
#include "protocol/soc_learning.h"
#include "sim/sim_board.h"
#include "sim/simhost.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {
using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

int OpenRaw(const QString &path)
{
    int fd = open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    if (fd >= 0) {
        termios tio{};
        tcgetattr(fd, &tio);
        cfmakeraw(&tio);
        tcsetattr(fd, TCSANOW, &tio);
    }
    return fd;
}

struct Arrival {
    Bytes frame;
};
// Frames read within the time.
std::vector<Arrival> ReadFrames(int fd, std::size_t want, int timeoutMs)
{
    std::vector<Arrival> out;
    RxFramer framer(
        [&](const std::uint8_t *p, std::size_t n) {
            out.push_back({Bytes(p, p + n)});
            return true;
        },
        nullptr);
    auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (out.size() < want && Clock::now() < end) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 20) <= 0)
            continue;
        std::uint8_t buf[512];
        ssize_t n = read(fd, buf, sizeof buf);
        for (ssize_t i = 0; i < n; ++i)
            framer.StoreByte(buf[i]);
    }
    return out;
}
} // namespace

TEST(SimHostUnsolicited, LearningRecordsArriveAtTheUploadInterval)
{
    SimOptions options;
    options.speed = 10; // one second of upload interval is 100 ms
    SimHost host;
    QString path;
    ASSERT_TRUE(host.StartPty(&path, options)) << host.ErrorString().toStdString();
    int fd = OpenRaw(path);
    ASSERT_GE(fd, 0);
    SocConfig c;
    c.startStage = 7;
    c.endStage = 8;
    c.uploadSec = 1;
    Bytes write = FrameOf(SocConfigWritePayload(c));
    Bytes start = FrameOf(SocStartPayload());
    ASSERT_EQ(::write(fd, write.data(), write.size()), static_cast<ssize_t>(write.size()));
    ASSERT_EQ(ReadFrames(fd, 1, 3000).size(), 1u);
    ASSERT_EQ(::write(fd, start.data(), start.size()), static_cast<ssize_t>(start.size()));
    std::vector<Arrival> frames = ReadFrames(fd, 8, 5000);
    ASSERT_EQ(frames.size(), 8u); // the acknowledgement, six records, the last one
    EXPECT_EQ(frames[0].frame[4], 1);
    for (std::size_t i = 1; i < frames.size(); ++i) {
        EXPECT_TRUE(VerifyFrame(frames[i].frame.data(), frames[i].frame.size()));
        EXPECT_EQ(frames[i].frame[2], 0x82);
        EXPECT_EQ(frames[i].frame[3], 0x85);
    }
    EXPECT_EQ(frames.back().frame[5 + 1], 9); // stage: finished
    close(fd);
    host.Stop();
}
