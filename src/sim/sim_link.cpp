#include "sim/sim_link.h"

#include "sim/sim_replay.h"

#include "protocol/frame.h"

#include <algorithm>

FaultLayer::FaultLayer(const SimOptions &options) : m_options(options), m_rng(options.seed * 31u + 17u) {}

bool FaultLayer::Admit(std::span<const std::uint8_t> frame)
{
    if (!m_options.answerSecondTry)
        return true;
    if (!m_pending.empty() && std::equal(frame.begin(), frame.end(), m_pending.begin(), m_pending.end())) {
        m_pending.clear();
        return true;
    }
    m_pending.assign(frame.begin(), frame.end());
    return false;
}

SimBytes FaultLayer::Rewrite(const SimBytes &frame, std::uint64_t count) const
{
    std::uint8_t link = frame[1], cls = frame[2], code = frame[3];
    SimBytes data(frame.begin() + 5, frame.end() - 4);
    if (m_options.resultCode != 0)
        data.assign(1, static_cast<std::uint8_t>(m_options.resultCode));
    bool wrongLength = m_options.wrongLengthEvery > 0 && count % m_options.wrongLengthEvery == 0;
    if (wrongLength && data.size() < 255)
        data.push_back(0x00);
    return MakeFrame(link, cls, code, data);
}

SimBytes FaultLayer::Garbage()
{
    // Noise never holds the head byte, so it cannot start a false frame.
    std::uniform_int_distribution<int> byte(0, 254);
    SimBytes noise(static_cast<std::size_t>(std::max(m_options.garbageBytes, 0)));
    for (std::uint8_t &b : noise) {
        int v = byte(m_rng);
        b = static_cast<std::uint8_t>(v >= kFrameHead ? v + 1 : v);
    }
    return noise;
}

std::vector<SimBytes> FaultLayer::Shape(std::vector<SimBytes> answers)
{
    std::vector<SimBytes> out;
    for (SimBytes &frame : answers) {
        if (frame.size() < kFrameMinLen)
            continue;
        std::uint64_t count = ++m_answers[frame[1] == kLinkSecondary ? 1 : 0];
        if (m_options.resultCode != 0 || m_options.wrongLengthEvery > 0)
            frame = Rewrite(frame, count);
        if (m_options.corruptEvery > 0 && count % m_options.corruptEvery == 0)
            frame[frame.size() - 4] ^= 0xFF;
        if (m_options.dropEvery > 0 && count % m_options.dropEvery == 0)
            continue;
        SimBytes chunk = m_options.garbageBytes > 0 ? Garbage() : SimBytes{};
        chunk.insert(chunk.end(), frame.begin(), frame.end());
        out.push_back(std::move(chunk));
    }
    return out;
}

SimLink::SimLink(const SimOptions &options, SimClock clock)
    : m_board(options, clock), m_options(options), m_clock(std::move(clock)), m_startMs(m_clock()), m_faults(options),
      m_framer(
          [this](const std::uint8_t *p, std::size_t n) {
              m_frames.emplace_back(p, p + n);
              return true;
          },
          nullptr, kFrameMinLen) // the shortest request has no data byte
{
    m_board.SetLoaderStarter([this, options](LoaderMode mode) {
        m_loader = std::make_unique<SimYModemLoader>(options, mode, m_board.NowMs());
        return true;
    });
}

bool SimLink::ToLoader(const SimBytes &frame, std::vector<SimBytes> &out)
{
    if (!LoaderActive())
        return false;
    const std::uint8_t cls = frame[2], code = frame[3];
    const std::size_t n = frame[4];
    if (m_loader->Mode() == LoaderMode::Wrapped && cls == 0x02 && code == 0x01 && n >= 2 && frame[5] == n - 1) {
        m_loader->FeedChunk({frame.data() + 6, n - 1}, out);
        return true;
    }
    if (cls == 0x01 && code == 0x02) {
        m_loader->End(); // the host's tool has closed its upgrade
        return false;
    }
    // The board runs its loader and answers nothing else meanwhile.
    return m_loader->Mode() == LoaderMode::Wrapped;
}

std::optional<std::int64_t> SimLink::NextDueMs()
{
    std::optional<std::int64_t> due = m_board.NextDueMs();
    if (LoaderActive())
        if (std::optional<std::int64_t> c = m_loader->NextDueMs(); c && (!due || *c < *due))
            due = c;
    return due;
}

std::vector<SimBytes> SimLink::AnswerFrames()
{
    std::vector<SimBytes> out;
    for (SimBytes &frame : m_frames) {
        if (!VerifyFrame(frame.data(), frame.size())) {
            ++m_badChecksums;
            continue;
        }
        ++m_requests;
        if (Silent())
            continue; // a board that is gone hears nothing
        if (ToLoader(frame, out))
            continue;
        if (!m_faults.Admit(frame))
            continue;
        for (SimBytes &chunk : m_faults.Shape(Answers(frame)))
            out.push_back(std::move(chunk));
    }
    m_frames.clear();
    return out;
}

std::vector<SimBytes> SimLink::Answers(const SimBytes &frame)
{
    if (m_options.replay) {
        if (std::optional<std::vector<SimBytes>> recorded = m_options.replay->Take(frame))
            return *recorded;
        if (m_options.replayStrict)
            return {};
    }
    return m_board.Handle(frame);
}

std::vector<SimBytes> SimLink::Feed(std::span<const std::uint8_t> bytes)
{
    std::vector<SimBytes> out;
    for (std::uint8_t b : bytes) {
        if (LoaderActive() && m_loader->Mode() == LoaderMode::Raw) {
            std::vector<SimBytes> answers;
            const bool taken = m_loader->FeedByte(b, answers);
            for (SimBytes &a : answers)
                out.push_back(std::move(a));
            if (taken)
                continue;
        }
        m_framer.StoreByte(b);
        for (SimBytes &chunk : AnswerFrames())
            out.push_back(std::move(chunk));
    }
    return out;
}

std::vector<SimBytes> SimLink::Poll()
{
    std::vector<SimBytes> frames = m_board.Poll();
    if (Silent())
        return {};
    std::vector<SimBytes> out = m_faults.Shape(std::move(frames));
    if (LoaderActive())
        m_loader->Poll(m_board.NowMs(), out);
    return out;
}

bool SimLink::Silent() const
{
    if (m_board.Main().restartUntilMs > m_clock())
        return true; // restarting after an upgrade
    if (m_options.silentAfterSec <= 0 && m_options.silentForSec <= 0)
        return false;
    const std::int64_t elapsed = m_clock() - m_startMs;
    const std::int64_t from = static_cast<std::int64_t>(m_options.silentAfterSec) * 1000;
    if (elapsed < from)
        return false;
    return m_options.silentForSec <= 0 || elapsed < from + static_cast<std::int64_t>(m_options.silentForSec) * 1000;
}

std::vector<SimBytes> SimLink::Quiet()
{
    m_framer.OnQuiet();
    return AnswerFrames();
}

int SimQuietTimeMs(int baud)
{
    constexpr int kBitsPerChar = 10;
    return (4 * kBitsPerChar * 1000 + std::max(baud, 1) - 1) / std::max(baud, 1) + 20;
}
