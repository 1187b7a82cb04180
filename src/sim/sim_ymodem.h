// The YModem loader an upgrade request starts: the repeater's takes the
// packets as raw bytes from the line, the board's takes them wrapped in class
// 0x02 code 0x01 frames. It "restarts", asks with 'C' (again every second
// until block 0 comes), checks every block's number and CRC, keeps the file
// and answers with ACK, NAK, 'C' and CAN as a YModem receiver does. Switches
// NAK or cancel at a chosen block, drop one ACK, or send 'C' too often.
#pragma once

#include "sim/sim_board.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

class SimYModemLoader {
public:
    // Restart time before the first 'C', the pause between 'C's while block 0
    // is awaited, and how many of them before the loader gives up.
    static constexpr std::int64_t kRestartMs = 200;
    static constexpr std::int64_t kCIntervalMs = 1000;
    static constexpr int kMaxCRounds = 60;

    SimYModemLoader(const SimOptions &options, LoaderMode mode, std::int64_t nowMs);

    LoaderMode Mode() const { return m_mode; }
    // Still receiving (false once done, cancelled or given up).
    bool Active() const { return m_state != State::Ended; }
    // The whole batch arrived: the file and its announced name and size.
    bool Completed() const { return m_completed; }
    const std::vector<std::uint8_t> &Image() const { return m_image; }
    const std::string &FileName() const { return m_name; }

    // One byte from the line (raw mode). False when the byte is no YModem
    // byte where a packet should start: the loader ends, the byte is the
    // board's again.
    bool FeedByte(std::uint8_t byte, std::vector<SimBytes> &out);
    // The packet bytes of one wrapped frame.
    void FeedChunk(std::span<const std::uint8_t> bytes, std::vector<SimBytes> &out);
    // The 'C's due at nowMs.
    void Poll(std::int64_t nowMs, std::vector<SimBytes> &out);
    std::optional<std::int64_t> NextDueMs() const;
    // The host's tool has gone (wrapped closing frame): the loader ends.
    void End() { m_state = State::Ended; }

private:
    enum class State { Block0, Data, End, Ended };
    void OnPacket(std::vector<SimBytes> &out);
    void Answer(std::vector<SimBytes> &out, SimBytes bytes) { out.push_back(std::move(bytes)); }

    SimOptions m_options;
    LoaderMode m_mode;
    State m_state = State::Block0;
    std::vector<std::uint8_t> m_packet;
    std::size_t m_expect = 0; // length of the packet being received, 0 = none
    std::int64_t m_nextCMs;
    int m_cRounds = 0;
    std::uint8_t m_nextBlock = 1;
    long long m_blocks = 0; // data blocks accepted
    long long m_size = 0;
    int m_eots = 0;
    bool m_ackDropped = false;
    bool m_nakSent = false;
    bool m_completed = false;
    std::string m_name;
    std::vector<std::uint8_t> m_image;
};
