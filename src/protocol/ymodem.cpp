#include "protocol/ymodem.h"

#include "protocol/crc16.h"
#include "protocol/dassert.h"
#include "protocol/tr_marker.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace {
std::string Num(long long v)
{
    return std::to_string(v);
}

void PutCrc(std::uint8_t *packet, std::size_t dataLen)
{
    std::uint16_t crc = Crc16Xmodem(packet + 3, dataLen);
    packet[3 + dataLen] = static_cast<std::uint8_t>(crc >> 8);
    packet[4 + dataLen] = static_cast<std::uint8_t>(crc);
}
} // namespace

int YModemEventOf(std::uint8_t byte)
{
    switch (byte) {
    case kYmC: return YM_EVT_C;
    case kYmAck: return YM_EVT_ACK;
    case kYmNak: return YM_EVT_NAK;
    case kYmCan: return YM_EVT_CAN;
    default: return 0;
    }
}

bool BuildYModemBlock0(std::uint8_t *out, const std::string &path, long long size)
{
    std::string name = path;
    for (std::size_t i = 0; i < name.size(); ++i) {
        char &c = name[i];
        if (static_cast<std::uint8_t>(c) >= 0x81) {
            ++i; // a GBK lead byte: its trail byte may look like 'A'-'Z' or '\\' and stays as it is
            continue;
        }
        if (c == '\\')
            c = '/';
        else if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    const std::string sizeText = std::to_string(size);
    if (name.size() + 1 + sizeText.size() + 1 > kYmSmallBlock)
        return false;
    out[0] = kYmSoh;
    out[1] = 0x00;
    out[2] = 0xFF;
    std::memset(out + 3, 0, kYmSmallBlock);
    std::memcpy(out + 3, name.data(), name.size());
    std::memcpy(out + 3 + name.size() + 1, sizeText.data(), sizeText.size());
    PutCrc(out, kYmSmallBlock);
    return true;
}

void BuildYModemEndBlock(std::uint8_t *out)
{
    out[0] = kYmSoh;
    out[1] = 0x00;
    out[2] = 0xFF;
    std::memset(out + 3, 0, kYmSmallBlock);
    PutCrc(out, kYmSmallBlock);
}

std::size_t BuildYModemDataBlock(std::uint8_t *out, std::uint8_t no, const std::uint8_t *data, std::size_t count)
{
    count = std::min(count, kYmLargeBlock);
    const std::size_t size = count <= kYmSmallBlock ? kYmSmallBlock : kYmLargeBlock;
    out[0] = size == kYmSmallBlock ? kYmSoh : kYmStx;
    out[1] = no;
    out[2] = static_cast<std::uint8_t>(0xFF - no);
    std::memcpy(out + 3, data, count);
    std::memset(out + 3 + count, kYmPad, size - count);
    PutCrc(out, size);
    return size + 5;
}

std::vector<Payload> WrapYModemBytes(const std::uint8_t *bytes, std::size_t count)
{
    std::vector<Payload> frames;
    for (std::size_t at = 0; at < count; at += kYmWrapChunk) {
        const std::size_t n = std::min(kYmWrapChunk, count - at);
        Payload p{0x53, kCmdYModemData.cls, kCmdYModemData.code, static_cast<std::uint8_t>(n + 1),
                  static_cast<std::uint8_t>(n)};
        p.insert(p.end(), bytes + at, bytes + at + n);
        frames.push_back(std::move(p));
    }
    return frames;
}

YModemSender::YModemSender(YModemSink &sink, std::string path, bool wrapped)
    : m_sink(sink), m_bWrapped(wrapped), m_szFilePath(std::move(path))
{
    Reset();
}

YModemSender::~YModemSender()
{
    if (m_pFile)
        std::fclose(m_pFile);
}

const char *YModemSender::PathRefusal(const std::string &path, long long size)
{
    std::uint8_t probe[kYmSmallPacket];
    if (!BuildYModemBlock0(probe, path, size))
        return PYLVEX_TR_NOOP("YModemUpgradeDialog",
                              "错误：文件路径和大小装不进数据块 0（最多 128 字节），不发送，请把文件放到较短的路径下");
    return nullptr;
}

void YModemSender::Log(const char *text, std::vector<std::string> args)
{
    m_sink.Log({text, std::move(args)});
}

void YModemSender::Reset()
{
    const std::uint32_t now = m_sink.NowMs();
    m_nTxLen = 0;
    m_nFileTotal = -1;
    m_ucBlockNo = 0;
    m_nCCount = 0;
    m_bBlock0Sent = m_bFileStage = false;
    m_dwLastCTime = now - 100;
    m_dwLastSendTime = now - 10000;
    m_nLastEvent = 0;
    m_bEotSent = m_bFinished = false;
    m_bTimerSet = true;
    m_sink.KillTimer();
    m_sink.ClearQueues();
}

void YModemSender::Restart()
{
    Reset();
    Log(PYLVEX_TR_NOOP("YModemUpgradeDialog", "执行重新升级，等待接收字符C ..."));
    m_progress = 0;
    m_sink.SetProgress(0, m_fileSize);
}

bool YModemSender::OpenFile()
{
    if (m_szFilePath.empty()) {
        Log(PYLVEX_TR_NOOP("YModemUpgradeDialog", "打开升级文件，文件名为空"));
        return false;
    }
    const bool again = m_pFile != nullptr;
    if (!m_pFile) {
        m_pFile = std::fopen(m_szFilePath.c_str(), "rb");
        if (!m_pFile) {
            Log(PYLVEX_TR_NOOP("YModemUpgradeDialog", "打开升级文件，fopen_s打开文件返回失败"));
            return false;
        }
    }
    if (std::fseek(m_pFile, 0, SEEK_END) != 0) {
        Log(PYLVEX_TR_NOOP("YModemUpgradeDialog", "打开升级文件，fseek定位到文件结束返回失败"));
        return false;
    }
    const long size = std::ftell(m_pFile);
    if (size < 0) {
        Log(PYLVEX_TR_NOOP("YModemUpgradeDialog", "打开升级文件，ftell获取文件大小返回失败"));
        return false;
    }
    if (std::fseek(m_pFile, 0, SEEK_SET) != 0) {
        Log(PYLVEX_TR_NOOP("YModemUpgradeDialog", "打开升级文件，fseek定位到文件开始返回失败"));
        return false;
    }
    if (size > INT_MAX) {
        Log(PYLVEX_TR_NOOP("YModemUpgradeDialog", "错误：文件大小 %1 字节超出 YModem 传输的范围，不发送"), {Num(size)});
        return false;
    }
    if (const char *refusal = PathRefusal(AnnouncedName(), size)) {
        Log(refusal);
        return false;
    }
    m_nFileTotal = size;
    m_fileSize = size;
    m_nTxLen = 0;
    m_ucBlockNo = 0;
    m_bBlock0Sent = m_bFileStage = false;
    m_nLastEvent = 0;
    m_bTimerSet = true;
    m_bEotSent = false;
    m_sink.KillTimer();
    m_progress = 0;
    m_sink.SetProgress(0, size);
    Log(again ? PYLVEX_TR_NOOP("YModemUpgradeDialog", "打开升级文件，文件大小 %1 字节，再次打开")
              : PYLVEX_TR_NOOP("YModemUpgradeDialog", "打开升级文件，文件大小 %1 字节"),
        {Num(size)});
    return true;
}

void YModemSender::Send(int event)
{
    if (m_nTxLen <= 0)
        return;
    m_sink.Transmit(m_ucTxBuf.data(), static_cast<std::size_t>(m_nTxLen));
    m_dwLastSendTime = m_sink.NowMs();
    if (!m_bTimerSet && event != YM_EVT_TIMEOUT) {
        m_bTimerSet = true;
        m_sink.ArmTimer(kYmRetryMs);
    }
    if (m_sink.PacketRows())
        Log(event == YM_EVT_TIMEOUT ? PYLVEX_TR_NOOP("YModemUpgradeDialog", "完成数据块 %1 的发送，发出 %2 字节，重传")
                                    : PYLVEX_TR_NOOP("YModemUpgradeDialog", "完成数据块 %1 的发送，发出 %2 字节"),
            {Num(m_ucBlockNo), Num(m_nTxLen)});
}

void YModemSender::SendBlock0(int event)
{
    // Block 0 announces the size of an opened file, never an unknown one.
    if (m_nFileTotal < 0 && !OpenFile())
        return;
    if (!BuildYModemBlock0(m_ucTxBuf.data(), AnnouncedName(), m_nFileTotal)) {
        Log(PYLVEX_TR_NOOP("YModemUpgradeDialog", "填充数据块 0 返回失败，忽略..."));
        return;
    }
    m_nTxLen = static_cast<int>(kYmSmallPacket);
    Log(PYLVEX_TR_NOOP("YModemUpgradeDialog", "填充数据块 0，文件名和大小"));
    m_bBlock0Sent = true;
    m_bTimerSet = false;
    Send(event);
}

void YModemSender::NextDataStep(int event)
{
    if (m_nFileTotal > 0) {
        ++m_ucBlockNo;
        std::uint8_t data[kYmLargeBlock];
        const std::size_t want = static_cast<std::size_t>(std::min<long long>(m_nFileTotal, kYmLargeBlock));
        const std::size_t got = m_pFile ? std::fread(data, 1, want, m_pFile) : 0;
        if (got == 0) {
            Log(PYLVEX_TR_NOOP("YModemUpgradeDialog", "从文件中读取数据返回失败，nRes=%1"),
                {Num(static_cast<long long>(got))});
            return;
        }
        m_nTxLen = static_cast<int>(BuildYModemDataBlock(m_ucTxBuf.data(), m_ucBlockNo, data, got));
        Log(PYLVEX_TR_NOOP("YModemUpgradeDialog", "填充数据块 %1，有效数据 %2 字节"),
            {Num(m_ucBlockNo), Num(static_cast<long long>(got))});
        m_nFileTotal -= static_cast<long long>(got);
        m_bTimerSet = false;
        m_progress += static_cast<long long>(got);
        m_sink.SetProgress(m_progress, m_fileSize);
        Send(event);
    } else if (m_nFileTotal == 0) {
        m_bEotSent = true;
        m_ucTxBuf[0] = kYmEot;
        m_nTxLen = 1;
        Log(PYLVEX_TR_NOOP("YModemUpgradeDialog", "数据传输完毕，首次填充一个EOT"));
        m_bTimerSet = false;
        Send(event);
    } else if (!m_bFinished) {
        Log(PYLVEX_TR_NOOP("YModemUpgradeDialog", "检测到文件没有传输完整，nFileTotal=%1"), {Num(m_nFileTotal)});
        d_assert(m_nFileTotal == 0);
    }
}

void YModemSender::OnC()
{
    Log(PYLVEX_TR_NOOP("YModemUpgradeDialog", "-> 接收到字符C"));
    const std::uint32_t now = m_sink.NowMs();
    if (m_bFinished || m_bEotSent) {
        m_ucBlockNo = 0;
        BuildYModemEndBlock(m_ucTxBuf.data());
        m_nTxLen = static_cast<int>(kYmSmallPacket);
        Log(!m_bFinished && m_bWrapped ? PYLVEX_TR_NOOP("YModemUpgradeDialog", "发送结束帧，需要重启验证是否升级成功！")
                                       : PYLVEX_TR_NOOP("YModemUpgradeDialog", "发送结束帧，升级文件传输完成！"));
        Send(YM_EVT_C);
    } else if (++m_nCCount == 1) {
        if (OpenFile())
            SendBlock0(YM_EVT_C);
    } else if (m_bFileStage) {
        m_nCCount = 0;
        Log(PYLVEX_TR_NOOP("YModemUpgradeDialog", "再次收到字符C，之前对数据块 %1 已ACK，进入文件传输"),
            {Num(m_ucBlockNo)});
        NextDataStep(YM_EVT_C);
    } else if (m_bBlock0Sent) {
        Log(PYLVEX_TR_NOOP("YModemUpgradeDialog", "再次收到字符C，本应该是收到数据块 0 的ACK"));
        if (now - m_dwLastCTime <= static_cast<std::uint32_t>(kYmCTooSoonMs)) {
            Log(PYLVEX_TR_NOOP("YModemUpgradeDialog", "再次收到字符C频率太高，忽略..."));
        } else {
            Log(PYLVEX_TR_NOOP("YModemUpgradeDialog", "再次收到字符C，已发送的块 0 可能丢失，重复发送"));
            SendBlock0(YM_EVT_C);
        }
    } else {
        Log(PYLVEX_TR_NOOP("YModemUpgradeDialog", "再次收到字符C，但之前未发送数据块 0，进入块 0 发送"));
        SendBlock0(YM_EVT_C);
    }
    m_dwLastCTime = now;
}

void YModemSender::OnAck()
{
    Log(PYLVEX_TR_NOOP("YModemUpgradeDialog", "-> 接收到 ACK"));
    m_bTimerSet = true;
    m_sink.KillTimer();
    if (!m_bFileStage) {
        if (m_bBlock0Sent) {
            Log(PYLVEX_TR_NOOP("YModemUpgradeDialog", "首次收到ACK，是对块 %1 的ACK"), {Num(m_ucBlockNo)});
            m_bFileStage = true;
        } else {
            Log(PYLVEX_TR_NOOP("YModemUpgradeDialog", "还没有发送数据块 0，却收到了首次 ACK，进入块 0 发送"));
            SendBlock0(YM_EVT_ACK);
        }
        return;
    }
    if (m_nLastEvent == YM_EVT_NAK && m_bEotSent) {
        Log(PYLVEX_TR_NOOP("YModemUpgradeDialog", "在线升级【成功】！"));
        m_bFinished = true;
    } else if (m_nLastEvent == YM_EVT_ACK && m_bEotSent && m_nTxLen == 1 && m_ucTxBuf[0] == kYmEot) {
        Log(PYLVEX_TR_NOOP("YModemUpgradeDialog", "在线升级（成功）！"));
        m_bFinished = true;
    } else if (!m_bFinished) {
        Log(PYLVEX_TR_NOOP("YModemUpgradeDialog", "收到对块 %1 的ACK"), {Num(m_ucBlockNo)});
        NextDataStep(YM_EVT_ACK);
    }
}

void YModemSender::OnNak()
{
    Log(PYLVEX_TR_NOOP("YModemUpgradeDialog", "-> 接收到 NAK"));
    if (!m_bBlock0Sent)
        return;
    if (m_bFileStage && m_bEotSent) {
        m_ucTxBuf[0] = kYmEot;
        m_nTxLen = 1;
        Log(PYLVEX_TR_NOOP("YModemUpgradeDialog", "数据传输完毕，再次填充一个EOT"));
    } else {
        m_ucTxBuf[0] = kYmCan;
        m_ucTxBuf[1] = kYmCan;
        m_nTxLen = 2;
        Log(PYLVEX_TR_NOOP("YModemUpgradeDialog", "可能数据块不匹配，主动取消数据传输 ..."));
    }
    Send(YM_EVT_NAK);
}

void YModemSender::OnEvent(int event)
{
    switch (event) {
    case YM_EVT_C: OnC(); break;
    case YM_EVT_ACK: OnAck(); break;
    case YM_EVT_NAK: OnNak(); break;
    case YM_EVT_CAN:
        Log(PYLVEX_TR_NOOP("YModemUpgradeDialog", "-> 接收到 CAN"));
        Log(PYLVEX_TR_NOOP("YModemUpgradeDialog", "下位机取消传输，升级失败！"));
        Reset();
        break;
    case YM_EVT_TIMEOUT:
        if (m_sink.NowMs() - m_dwLastSendTime > static_cast<std::uint32_t>(m_resendAfterMs) && m_nTxLen > 0)
            Send(YM_EVT_TIMEOUT);
        return;
    default: d_assert(0); break;
    }
    m_nLastEvent = event;
}
