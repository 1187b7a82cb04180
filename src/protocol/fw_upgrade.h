// Firmware upgrade over the command protocol: the upgrade packet (class 0x03
// code 0x26, answered by 0x83/0xA6), its CRC-16/MODBUS, and the session that
// walks the board through the five steps: upgrade request, information check,
// flash erase, the data blocks, result query. The session talks to its owner
// (a dialog, a command-line tool) only through FwUpgradeSink.
#pragma once

#include "protocol/control_cmds.h"
#include "protocol/request.h"
#include "protocol/upgrade_rows.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

inline constexpr CommandId kCmdFwUpgrade = kCmdFirmwarePacket;
inline constexpr char kFwRowContext[] = "FirmwareUpgradeDialog";

// Request steps; the board's answer carries the step plus one.
enum FwStep : int {
    kFwStepBefore = 0,
    kFwStepRequest = 1,
    kFwStepCheck = 3,
    kFwStepErase = 5,
    kFwStepBlock = 7,
    kFwStepQuery = 9,
    kFwStepAfter = 11,
};
// The step's name in log rows (marked text); "无效命令" for any other value.
const char *FwStepName(int step);

inline constexpr std::uint8_t kFwPacketHead0 = 0x03;
inline constexpr std::uint8_t kFwPacketHead1 = 0x41;
inline constexpr int kFwRetryMs = 2000;
// The command interval while an upgrade runs.
inline constexpr int kFwCommandInterval = 10;
inline constexpr int kFwTimerId = 4007;
inline constexpr int kFwCheckDataLen = 52;
// A frame's data length is one byte: a packet of 12 + k bytes must stay
// within 255, so a block carries at most 243 bytes.
inline constexpr int kFwMaxCarriedBlock = 243;
// Blocks are numbered in 16 bits.
inline constexpr std::size_t kFwMaxBlocks = 65535;
// The smallest block size the board may choose; it sets the largest image.
inline constexpr std::size_t kFwSmallestBlock = 64;

// An upgrade packet (header, n data bytes, CRC-16/MODBUS low byte first).
Payload FwPacket(std::uint8_t step, std::span<const std::uint8_t> data);
// The 52 data bytes of the information check for an image of imageSize bytes.
std::vector<std::uint8_t> FwCheckData(std::uint32_t imageSize);
// The data of one block request: number, total, CRC, the block bytes.
std::vector<std::uint8_t> FwBlockData(std::uint16_t blockNo, std::uint16_t total, std::span<const std::uint8_t> block);
// The frame payload handed to the send path: 0x53, 0x03, 0x26, packet
// length, packet.
Payload FwFramePayload(const Payload &packet);
// The block size an erase answer's size code chooses: 2 -> 128, 3 -> 244,
// anything else -> 64.
int FwBlockSizeOfCode(std::uint8_t code);

// What the session needs from its owner.
class FwUpgradeSink {
public:
    virtual ~FwUpgradeSink() = default;
    virtual void Log(const UpgradeRow &row) = 0;
    // Queues a frame payload (link byte on); false when it could not be queued.
    virtual bool Queue(const std::uint8_t *payload, std::size_t count) = 0;
    // The one-shot retransmission timer: arm (restart), kill, and an
    // expiry delivered at once (posted, not called from inside).
    virtual void ArmTimer(int ms) = 0;
    virtual void KillTimer() = 0;
    virtual void PostTimer() = 0;
    // The progress bar: range 0..max and the position.
    virtual void SetProgress(std::size_t pos, std::size_t max) = 0;
    // The board reported the upgrade as successful.
    virtual void Succeeded() {}
};

class FwUpgradeSession {
public:
    explicit FwUpgradeSession(FwUpgradeSink &sink) : m_sink(sink) {}

    // The image in memory (the file's bytes as they are).
    void SetImage(std::vector<std::uint8_t> image) { m_image = std::move(image); }
    bool HasImage() const { return !m_image.empty(); }
    const std::vector<std::uint8_t> &Image() const { return m_image; }
    // Why an image of this size cannot be sent (marked text with %1 the
    // size), or nullptr when it can.
    static const char *SizeRefusal(std::size_t size);

    // Starts a run with the image held: the start row, the reset, the
    // step-1 request. False when nothing was queued.
    bool Start(const std::string &fileName);
    // The response entry: the answer's packet (from 0x03 0x41 on); true
    // when the run advances.
    bool OnAnswer(std::span<const std::uint8_t> packet);
    // What the receive path calls for every answer: the response entry and,
    // when it advances, the next request. hasPath: a file has been chosen.
    void OnRouted(std::span<const std::uint8_t> packet, bool hasPath);
    // The retransmission timer expired.
    void OnTimer();

    int Step() const { return m_nStep; }
    int BlockSize() const { return m_ucBlockSize; }
    int BlockNo() const { return m_usBlockNo; }
    std::size_t Progress() const { return m_progress; }
    // The last built frame payload, from its link byte on.
    std::span<const std::uint8_t> Frame() const { return {m_ucFrame.data(), static_cast<std::size_t>(m_nFrameLen)}; }
    // The run stopped with an error after this step (false: it succeeded or runs).
    bool Failed() const { return m_bFailed; }

private:
    void Log(const char *text, std::vector<std::string> args = {});
    void Reset();
    // Builds the request for step s into m_ucFrame; false for an unknown step
    // or a block that cannot be carried.
    bool Build(int step);
    bool QueueFrame();
    // The step named by a built frame.
    const char *FrameStepName() const;
    // The error text of an answer (nullptr: none) and its next step.
    const char *Evaluate(int s, std::span<const std::uint8_t> data, int &next, bool &result);

    FwUpgradeSink &m_sink;
    std::vector<std::uint8_t> m_image;
    int m_nStep = 0;
    int m_nFrameLen = 0;
    std::vector<std::uint8_t> m_ucFrame = std::vector<std::uint8_t>(292);
    bool m_bBlockSizeFixed = false;
    int m_ucBlockSize = 128;
    std::uint16_t m_usBlockNo = 0;
    std::uint16_t m_usRetryBlockNo = 0;
    std::uint32_t m_dwRetryFlags = 0;
    std::size_t m_progress = 0;
    bool m_bResent = false; // the frame in m_ucFrame has gone out twice
    bool m_bFailed = false;
    std::string m_errorArg;
};
