// The board's side of the link without any I/O: received bytes are cut into
// frames, checked, handed to the board, and its answers go through the fault
// switches. What comes out is the bytes to write, in order.
#pragma once

#include "protocol/framer.h"
#include "sim/sim_board.h"
#include "sim/sim_ymodem.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <random>
#include <span>
#include <vector>

// Faults that change what is written, not when.
class FaultLayer {
public:
    explicit FaultLayer(const SimOptions &options);
    // False when the request is to go unanswered (first of two identical ones).
    bool Admit(std::span<const std::uint8_t> frame);
    // The answers as written: rewritten, corrupted, dropped, with noise between.
    std::vector<SimBytes> Shape(std::vector<SimBytes> answers);

private:
    SimBytes Rewrite(const SimBytes &frame, std::uint64_t count) const;
    SimBytes Garbage();

    SimOptions m_options;
    // Answers so far, per board (main, secondary): every counting switch
    // counts each board's own answers.
    std::array<std::uint64_t, 2> m_answers{};
    SimBytes m_pending;
    std::mt19937 m_rng;
};

// The board's quiet time: four characters at the line's rate and a margin;
// requests come whole, so a short wait tells a stray byte from a request.
int SimQuietTimeMs(int baud);

class SimLink {
public:
    explicit SimLink(const SimOptions &options, SimClock clock = SystemClockMs);

    // Received bytes in; the chunks to write, one per answer (noise included).
    // A complete request is answered at its last byte, 9-byte ones included.
    std::vector<SimBytes> Feed(std::span<const std::uint8_t> bytes);
    // The frames the board sends by itself that are due now, through the faults.
    std::vector<SimBytes> Poll();
    // The line has been quiet for the quiet time: bytes that wait (a stray
    // head, a cut-off request) are given up, and the requests behind them are
    // answered now.
    std::vector<SimBytes> Quiet();
    // The other end closed the line: nothing that waits belongs to the next opening.
    void Reset() { m_framer.Reset(); }
    // Bytes received that form no request yet.
    std::size_t Waiting() const { return m_framer.Unread(); }

    // The computer time the next frame or loader byte is due at; nullopt when none is.
    std::optional<std::int64_t> NextDueMs();
    // The board is silent now (silent-after / silent-for).
    bool Silent() const;

    SimBoard &Board() { return m_board; }
    // The firmware loader an upgrade request started (null when none has);
    // it stays after it ends, so its file can be looked at.
    const SimYModemLoader *Loader() const { return m_loader.get(); }
    std::uint64_t Requests() const { return m_requests; }
    std::uint64_t BadChecksums() const { return m_badChecksums; }

private:
    // Answers the requests the framer has cut.
    std::vector<SimBytes> AnswerFrames();
    // The answers to one request: recorded ones when replaying, else the board's.
    std::vector<SimBytes> Answers(const SimBytes &frame);
    bool LoaderActive() const { return m_loader && m_loader->Active(); }
    // A frame for the running loader: the wrapped packet bytes, or the
    // closing frame of the host's tool. False when the frame is not its.
    bool ToLoader(const SimBytes &frame, std::vector<SimBytes> &out);

    SimBoard m_board;
    SimOptions m_options;
    SimClock m_clock;
    std::int64_t m_startMs = 0;
    FaultLayer m_faults;
    RxFramer m_framer;
    std::vector<SimBytes> m_frames;
    std::uint64_t m_requests = 0;
    std::uint64_t m_badChecksums = 0;
    std::unique_ptr<SimYModemLoader> m_loader;
};
