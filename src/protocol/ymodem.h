// YModem sending side of one file (CRC-16 variant): the packets (block 0
// with the path and the size, 1024/128-byte data blocks padded with 0x1A,
// EOT, the empty block 0 that ends the batch), the wrapping of packet bytes
// into class 0x02 code 0x01 frames, and the sender that answers the
// receiver's 'C', ACK, NAK and CAN. The sender talks to its owner only
// through YModemSink.
#pragma once

#include "protocol/request.h"
#include "protocol/upgrade_rows.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <span>
#include <string>
#include <vector>

inline constexpr char kYmRowContext[] = "YModemUpgradeDialog";

inline constexpr std::uint8_t kYmSoh = 0x01;
inline constexpr std::uint8_t kYmStx = 0x02;
inline constexpr std::uint8_t kYmEot = 0x04;
inline constexpr std::uint8_t kYmAck = 0x06;
inline constexpr std::uint8_t kYmNak = 0x15;
inline constexpr std::uint8_t kYmCan = 0x18;
inline constexpr std::uint8_t kYmC = 0x43;
inline constexpr std::uint8_t kYmPad = 0x1A;

// Events handed to the sender (the port's signals, then the timer).
enum YModemEvent : int { YM_EVT_C = 1, YM_EVT_ACK = 2, YM_EVT_NAK = 3, YM_EVT_CAN = 4, YM_EVT_TIMEOUT = 5 };
// The event of a received byte; 0 for any other byte.
int YModemEventOf(std::uint8_t byte);

inline constexpr std::size_t kYmSmallBlock = 128;
inline constexpr std::size_t kYmLargeBlock = 1024;
inline constexpr std::size_t kYmSmallPacket = 3 + kYmSmallBlock + 2; // 133
inline constexpr std::size_t kYmLargePacket = 3 + kYmLargeBlock + 2; // 1029
inline constexpr int kYmTimerId = 4004;
inline constexpr int kYmRetryMs = 5000;
inline constexpr int kYmResendAfterMs = 2500;
inline constexpr int kYmCTooSoonMs = 50;
// Transports: raw bytes go out in chunks of at most this many bytes; wrapped
// packets in frames that carry at most this many packet bytes each.
inline constexpr std::size_t kYmRawChunk = 260;
inline constexpr std::size_t kYmWrapChunk = 68;
inline constexpr CommandId kCmdYModemData{0x02, 0x01};
// The frame that tells the board's loader the sender has gone (class 0x01,
// code 0x02, data 0x00), complete with checksum and tail.
inline constexpr std::uint8_t kYModemClosingFrame[] = {0x4D, 0x53, 0x01, 0x02, 0x01, 0x00, 0x57, 0x00, 0x0D, 0x0A};
// The wrapped transport speeds the line up while it runs: the command
// interval it uses in place of the given one.
inline int YModemWrappedInterval(int interval)
{
    return interval > 200 ? interval / 2 : 75;
}

// Block 0 for the path and the size into out (133 bytes): the path
// lower-cased with "\" turned into "/", 0, the size in decimal, 0, zeros.
// The path is 8-bit text (GBK): the byte after a lead byte is kept as it is.
// False when path and size do not fit into the 128 data bytes.
bool BuildYModemBlock0(std::uint8_t *out, const std::string &path, long long size);
// The end-of-batch block 0 (133 bytes, 128 zero data bytes).
void BuildYModemEndBlock(std::uint8_t *out);
// A data block numbered no from count (1..1024) valid bytes: a 128-byte
// block for at most 128 bytes, else a 1024-byte block; returns its length.
std::size_t BuildYModemDataBlock(std::uint8_t *out, std::uint8_t no, const std::uint8_t *data, std::size_t count);
// The frame payloads that carry packet bytes in the wrapped transport.
std::vector<Payload> WrapYModemBytes(const std::uint8_t *bytes, std::size_t count);

// What the sender needs from its owner.
class YModemSink {
public:
    virtual ~YModemSink() = default;
    virtual void Log(const UpgradeRow &row) = 0;
    // Puts a packet on the line by the owner's transport.
    virtual void Transmit(const std::uint8_t *bytes, std::size_t count) = 0;
    virtual void ArmTimer(int ms) = 0;
    virtual void KillTimer() = 0;
    // Empties the port's queues (when the port is open).
    virtual void ClearQueues() = 0;
    virtual void SetProgress(long long pos, long long max) = 0;
    // Whether a row is written for every packet sent ("刷新显示" unticked).
    virtual bool PacketRows() const = 0;
    // A millisecond clock; only differences are used.
    virtual std::uint32_t NowMs() const = 0;
};

class YModemSender {
public:
    // wrapped: the packets travel in frames (the end-of-batch row differs).
    YModemSender(YModemSink &sink, std::string path, bool wrapped);
    ~YModemSender();
    YModemSender(const YModemSender &) = delete;
    YModemSender &operator=(const YModemSender &) = delete;

    // The name block 0 announces, as the bytes the line carries (8-bit text
    // on the wire is GBK); by default the path as given.
    void SetAnnouncedName(std::string bytes) { m_announced = std::move(bytes); }
    const std::string &AnnouncedName() const { return m_announced ? *m_announced : m_szFilePath; }

    // How long after a send an expiry of the timer resends (tests shorten it).
    void SetResendAfterMs(int ms) { m_resendAfterMs = ms; }

    void Reset();
    // "重新升级": a reset, its row, the progress bar at 0.
    void Restart();
    void OnEvent(int event);

    bool Finished() const { return m_bFinished; }
    bool Block0Sent() const { return m_bBlock0Sent; }
    bool FileStage() const { return m_bFileStage; }
    bool EotSent() const { return m_bEotSent; }
    int BlockNo() const { return m_ucBlockNo; }
    long long FileLeft() const { return m_nFileTotal; }
    long long Progress() const { return m_progress; }
    bool TimerPending() const { return !m_bTimerSet; }
    std::span<const std::uint8_t> Packet() const { return {m_ucTxBuf.data(), static_cast<std::size_t>(m_nTxLen)}; }
    const std::string &Path() const { return m_szFilePath; }
    bool FileOpen() const { return m_pFile != nullptr; }
    // Why the path cannot be announced in block 0 (marked text), or nullptr.
    static const char *PathRefusal(const std::string &path, long long size);

private:
    void Log(const char *text, std::vector<std::string> args = {});
    bool OpenFile();
    void Send(int event);
    void SendBlock0(int event);
    void NextDataStep(int event);
    void OnC();
    void OnAck();
    void OnNak();

    YModemSink &m_sink;
    bool m_bWrapped;
    int m_nTxLen = 0;
    std::vector<std::uint8_t> m_ucTxBuf = std::vector<std::uint8_t>(kYmLargePacket);
    std::FILE *m_pFile = nullptr;
    long long m_nFileTotal = -1;
    std::string m_szFilePath;
    std::optional<std::string> m_announced;
    std::uint8_t m_ucBlockNo = 0;
    int m_nCCount = 0;
    bool m_bBlock0Sent = false;
    bool m_bFileStage = false;
    std::uint32_t m_dwLastCTime = 0;
    std::uint32_t m_dwLastSendTime = 0;
    int m_nLastEvent = 0;
    bool m_bTimerSet = true;
    bool m_bEotSent = false;
    bool m_bFinished = false;
    long long m_progress = 0;
    long long m_fileSize = 0;
    int m_resendAfterMs = kYmResendAfterMs;
};
