#include "protocol/fw_upgrade.h"

#include "protocol/bytes.h"
#include "protocol/crc16.h"
#include "protocol/dassert.h"
#include "protocol/tr_marker.h"

#include <algorithm>
#include <cstdio>

namespace {
std::string Num(long long v)
{
    return std::to_string(v);
}

std::string Hex2(std::span<const std::uint8_t> bytes, std::size_t at)
{
    if (at >= bytes.size())
        return "--";
    char buf[4];
    std::snprintf(buf, sizeof buf, "%02X", bytes[at]);
    return buf;
}

// Packet layout inside the frame payload: link byte, class, code, length.
constexpr std::size_t kFrameHeadLen = 4;
constexpr std::size_t kPacketHeadLen = 4;
} // namespace

const char *FwStepName(int step)
{
    switch (step) {
    case kFwStepBefore: return PYLVEX_TR_NOOP("FirmwareUpgradeDialog", "升级Before");
    case kFwStepRequest: return PYLVEX_TR_NOOP("FirmwareUpgradeDialog", "固件升级");
    case kFwStepCheck: return PYLVEX_TR_NOOP("FirmwareUpgradeDialog", "验证固件信息");
    case kFwStepErase: return PYLVEX_TR_NOOP("FirmwareUpgradeDialog", "擦除FLASH");
    case kFwStepBlock: return PYLVEX_TR_NOOP("FirmwareUpgradeDialog", "写固件数据");
    case kFwStepQuery: return PYLVEX_TR_NOOP("FirmwareUpgradeDialog", "查询升级结果");
    case kFwStepAfter: return PYLVEX_TR_NOOP("FirmwareUpgradeDialog", "升级After");
    default: return PYLVEX_TR_NOOP("FirmwareUpgradeDialog", "无效命令");
    }
}

Payload FwPacket(std::uint8_t step, std::span<const std::uint8_t> data)
{
    Payload p{kFwPacketHead0, kFwPacketHead1, step, static_cast<std::uint8_t>(data.size())};
    p.insert(p.end(), data.begin(), data.end());
    std::uint16_t crc = Crc16Modbus(p.data(), p.size());
    p.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    p.push_back(static_cast<std::uint8_t>(crc >> 8));
    return p;
}

std::vector<std::uint8_t> FwCheckData(std::uint32_t imageSize)
{
    std::vector<std::uint8_t> d(kFwCheckDataLen);
    static const char kDigits[] = "0123456789876543";
    for (int i = 0; i < 16; ++i) {
        d[i] = static_cast<std::uint8_t>(kDigits[i]);
        d[16 + i] = static_cast<std::uint8_t>(0x10 + i);
        d[36 + i] = static_cast<std::uint8_t>(0x40 + i);
    }
    WriteBe32(&d[32], imageSize);
    return d;
}

std::vector<std::uint8_t> FwBlockData(std::uint16_t blockNo, std::uint16_t total, std::span<const std::uint8_t> block)
{
    std::vector<std::uint8_t> d(6);
    WriteBe16(&d[0], blockNo);
    WriteBe16(&d[2], total);
    std::uint16_t crc = Crc16Modbus(block.data(), block.size());
    d[4] = static_cast<std::uint8_t>(crc & 0xFF);
    d[5] = static_cast<std::uint8_t>(crc >> 8);
    d.insert(d.end(), block.begin(), block.end());
    return d;
}

Payload FwFramePayload(const Payload &packet)
{
    Payload p(kFrameHeadLen + packet.size());
    p[0] = 0x53;
    p[1] = kCmdFwUpgrade.cls;
    p[2] = kCmdFwUpgrade.code;
    p[3] = static_cast<std::uint8_t>(packet.size());
    std::copy(packet.begin(), packet.end(), p.begin() + kFrameHeadLen);
    return p;
}

int FwBlockSizeOfCode(std::uint8_t code)
{
    switch (code) {
    case 2: return 128;
    case 3: return 244;
    default: return 64;
    }
}

const char *FwUpgradeSession::SizeRefusal(std::size_t size)
{
    if ((size + kFwSmallestBlock - 1) / kFwSmallestBlock > kFwMaxBlocks)
        return PYLVEX_TR_NOOP("FirmwareUpgradeDialog",
                              "固件大小 %1 字节超出升级协议的范围（最多 65535 块，即 4194240 字节）");
    return nullptr;
}

void FwUpgradeSession::Log(const char *text, std::vector<std::string> args)
{
    m_sink.Log({text, std::move(args)});
}

void FwUpgradeSession::Reset()
{
    m_sink.KillTimer();
    m_nStep = kFwStepBefore;
    m_nFrameLen = 0;
    m_bBlockSizeFixed = false;
    m_usBlockNo = 0;
    m_usRetryBlockNo = 0;
    m_dwRetryFlags = 0;
    m_bResent = false;
    m_bFailed = false;
}

bool FwUpgradeSession::Start(const std::string &fileName)
{
    if (const char *refusal = SizeRefusal(m_image.size())) {
        Log(PYLVEX_TR_NOOP("FirmwareUpgradeDialog", "错误：%1"),
            {FillRow(refusal, {Num(static_cast<long long>(m_image.size()))})});
        return false;
    }
    Log(PYLVEX_TR_NOOP("FirmwareUpgradeDialog", "启动固件升级 %1（%2字节） ......"),
        {fileName, Num(static_cast<long long>(m_image.size()))});
    Reset();
    m_sink.Log({PYLVEX_TR_NOOP("FirmwareUpgradeDialog", "TX->：%1(%2)请求"),
                {FwStepName(kFwStepRequest), Num(kFwStepRequest)},
                1});
    m_progress = 0;
    if (!Build(kFwStepRequest))
        return false;
    if (!QueueFrame()) {
        Log(PYLVEX_TR_NOOP("FirmwareUpgradeDialog", "错误：添加至发送队列时，返回失败"));
        return false;
    }
    m_sink.ArmTimer(kFwRetryMs);
    m_nStep = kFwStepRequest;
    m_sink.SetProgress(0, m_image.size());
    return true;
}

bool FwUpgradeSession::Build(int step)
{
    std::vector<std::uint8_t> data;
    bool block = false;
    std::size_t k = 0;
    switch (step) {
    case kFwStepRequest:
    case kFwStepErase:
    case kFwStepQuery: break;
    case kFwStepCheck: data = FwCheckData(static_cast<std::uint32_t>(m_image.size())); break;
    case kFwStepBlock: {
        if (m_ucBlockSize > kFwMaxCarriedBlock) {
            Log(PYLVEX_TR_NOOP("FirmwareUpgradeDialog", "错误：块长度 %1 字节装不进一帧（最多 %2 字节），升级终止"),
                {Num(m_ucBlockSize), Num(kFwMaxCarriedBlock)});
            return false;
        }
        m_bBlockSizeFixed = true;
        std::size_t offset = static_cast<std::size_t>(m_usBlockNo) * m_ucBlockSize;
        if (offset < m_image.size()) {
            k = std::min<std::size_t>(m_ucBlockSize, m_image.size() - offset);
            ++m_usBlockNo;
            auto total = static_cast<std::uint16_t>((m_image.size() + m_ucBlockSize - 1) / m_ucBlockSize);
            data = FwBlockData(m_usBlockNo, total, {m_image.data() + offset, k});
            m_progress += k;
            m_sink.SetProgress(m_progress, m_image.size());
            block = true;
        }
        break;
    }
    default: Log(PYLVEX_TR_NOOP("FirmwareUpgradeDialog", "错误：请求发送未知命令(%1)"), {Num(step)}); return false;
    }
    Payload packet = FwPacket(static_cast<std::uint8_t>(step), data);
    Payload frame = FwFramePayload(packet);
    std::copy(frame.begin(), frame.end(), m_ucFrame.begin());
    m_nFrameLen = static_cast<int>(frame.size());
    if (block)
        m_sink.Log({PYLVEX_TR_NOOP("FirmwareUpgradeDialog", "发送：%1命令，Len=%2，块序号%3，块长度=%4"),
                    {FwStepName(step), Num(m_nFrameLen), Num(m_usBlockNo), Num(static_cast<long long>(k))},
                    1});
    else
        m_sink.Log(
            {PYLVEX_TR_NOOP("FirmwareUpgradeDialog", "发送：%1命令，Len=%2"), {FwStepName(step), Num(m_nFrameLen)}, 1});
    return true;
}

bool FwUpgradeSession::QueueFrame()
{
    if (!m_sink.Queue(m_ucFrame.data(), static_cast<std::size_t>(m_nFrameLen)))
        return false;
    m_bResent = false;
    return true;
}

const char *FwUpgradeSession::FrameStepName() const
{
    if (m_nFrameLen < 7)
        return PYLVEX_TR_NOOP("FirmwareUpgradeDialog", "没有命令字段");
    return FwStepName(m_ucFrame[kFrameHeadLen + 2]);
}

const char *FwUpgradeSession::Evaluate(int s, std::span<const std::uint8_t> data, int &next, bool &result)
{
    const std::size_t need = (s == kFwStepRequest || s == kFwStepErase) ? 2 : 1;
    if (data.size() < need) {
        Log(PYLVEX_TR_NOOP("FirmwareUpgradeDialog", "错误：应答数据不完整，只有 %1 字节"),
            {Num(static_cast<long long>(data.size()))});
        result = false;
        return nullptr;
    }
    m_errorArg.clear();
    switch (s) {
    case kFwStepRequest:
        if (data[0] == 0 && data[1] == 0) {
            next = kFwStepCheck;
            return nullptr;
        }
        switch (data[1]) {
        case 1: return PYLVEX_TR_NOOP("FirmwareUpgradeDialog", "电池电量过低");
        case 2: return PYLVEX_TR_NOOP("FirmwareUpgradeDialog", "电池存在保护状态");
        case 3: return PYLVEX_TR_NOOP("FirmwareUpgradeDialog", "不支持固件升级");
        case 4: return PYLVEX_TR_NOOP("FirmwareUpgradeDialog", "当前电池正在充放电");
        default: m_errorArg = Num(data[1]); return PYLVEX_TR_NOOP("FirmwareUpgradeDialog", "原因未知(%1)");
        }
    case kFwStepCheck:
        switch (data[0]) {
        case 0: next = kFwStepErase; return nullptr;
        case 1: return PYLVEX_TR_NOOP("FirmwareUpgradeDialog", "厂商信息错误");
        case 2: return PYLVEX_TR_NOOP("FirmwareUpgradeDialog", "硬件型号序列号不匹配");
        case 3: return PYLVEX_TR_NOOP("FirmwareUpgradeDialog", "固件大小超出芯片支持范围");
        case 4: return PYLVEX_TR_NOOP("FirmwareUpgradeDialog", "固件包头信息错误");
        default: m_errorArg = Num(data[0]); return PYLVEX_TR_NOOP("FirmwareUpgradeDialog", "原因未知(%1)");
        }
    case kFwStepErase:
        if (data[0] != 0)
            return PYLVEX_TR_NOOP("FirmwareUpgradeDialog", "Flash 擦除失败");
        if (!m_bBlockSizeFixed) {
            m_ucBlockSize = FwBlockSizeOfCode(data[1]);
            if (m_ucBlockSize > kFwMaxCarriedBlock) {
                m_errorArg = Num(m_ucBlockSize);
                return PYLVEX_TR_NOOP("FirmwareUpgradeDialog", "板卡选择的块长度 %1 字节装不进一帧（最多 243 字节）");
            }
        }
        next = kFwStepBlock;
        return nullptr;
    case kFwStepBlock:
        switch (data[0]) {
        case 0:
            Log(PYLVEX_TR_NOOP("FirmwareUpgradeDialog", "接收：第 %1 块数据已经写入FLASH"), {Num(m_usBlockNo)});
            m_usRetryBlockNo = 0;
            m_dwRetryFlags = 0;
            if (static_cast<std::size_t>(m_usBlockNo) * m_ucBlockSize >= m_image.size()) {
                Log(PYLVEX_TR_NOOP("FirmwareUpgradeDialog", "接收：升级固件全部写入成功"));
                next = kFwStepQuery;
            } else {
                next = kFwStepBlock;
            }
            return nullptr;
        case 1:
            if ((m_dwRetryFlags & 1) && m_usRetryBlockNo == m_usBlockNo)
                return PYLVEX_TR_NOOP("FirmwareUpgradeDialog", "固件块校验再次检测到错误");
            m_dwRetryFlags |= 1;
            m_usRetryBlockNo = m_usBlockNo;
            // The board heard the frame, resent or not: the timer sends it
            // again instead of taking the answer for silence.
            m_bResent = false;
            Log(PYLVEX_TR_NOOP("FirmwareUpgradeDialog", "错误：固件块校验错误，即将重传固件块"));
            result = false;
            return nullptr;
        case 2: return PYLVEX_TR_NOOP("FirmwareUpgradeDialog", "固件块写Flash失败");
        case 3: return PYLVEX_TR_NOOP("FirmwareUpgradeDialog", "固件快编号异常");
        default: m_errorArg = Num(data[0]); return PYLVEX_TR_NOOP("FirmwareUpgradeDialog", "原因未知(%1)");
        }
    case kFwStepQuery:
        if (data[0] != 0)
            return PYLVEX_TR_NOOP("FirmwareUpgradeDialog", "软件升级失败");
        Log(PYLVEX_TR_NOOP("FirmwareUpgradeDialog", "接收：软件升级成功"));
        next = kFwStepAfter;
        return nullptr;
    default: break;
    }
    Log(PYLVEX_TR_NOOP("FirmwareUpgradeDialog", "错误：接收到未知命令(%1)"), {Num(s)});
    result = false;
    return nullptr;
}

bool FwUpgradeSession::OnAnswer(std::span<const std::uint8_t> packet)
{
    if (packet.size() < 2 || packet[0] != kFwPacketHead0 || packet[1] != kFwPacketHead1) {
        Log(PYLVEX_TR_NOOP("FirmwareUpgradeDialog", "错误：数据帧头错误，%1 %2"), {Hex2(packet, 0), Hex2(packet, 1)});
        return false;
    }
    if (packet.size() < kPacketHeadLen) {
        Log(PYLVEX_TR_NOOP("FirmwareUpgradeDialog", "错误：应答数据不完整，只有 %1 字节"),
            {Num(static_cast<long long>(packet.size()))});
        return false;
    }
    const int r = packet[2];
    const int s = r - 1;
    if (s != kFwStepBlock)
        m_sink.Log({PYLVEX_TR_NOOP("FirmwareUpgradeDialog", "->RX：%1(%2)响应"), {FwStepName(s), Num(r)}, 1});
    if (s != m_nStep) {
        std::vector<std::string> args{FwStepName(m_nStep), FwStepName(s)};
        const char *text = PYLVEX_TR_NOOP("FirmwareUpgradeDialog", "错误：当前=%1，接收=%2");
        if (s == kFwStepCheck && m_nStep != kFwStepErase) {
            text = PYLVEX_TR_NOOP("FirmwareUpgradeDialog", "错误：当前=%1，接收=%2，请点击重新升级");
        } else if (s == kFwStepCheck) {
            if (m_nFrameLen >= 7 && m_ucFrame[kFrameHeadLen + 2] == kFwStepErase) {
                // The board missed the erase request: send it again now.
                m_bResent = false;
                m_sink.ArmTimer(kFwRetryMs);
                m_sink.PostTimer();
                text = PYLVEX_TR_NOOP("FirmwareUpgradeDialog", "错误：当前=%1，接收=%2，将重传%3命令");
                args.push_back(FwStepName(kFwStepErase));
            }
        } else if (s + 2 == m_nStep) {
            text = PYLVEX_TR_NOOP("FirmwareUpgradeDialog", "错误：当前=%1，接收=%2，可能是重复响应");
        } else if (m_nStep == kFwStepAfter) {
            text = PYLVEX_TR_NOOP("FirmwareUpgradeDialog", "错误：当前=%1，接收=%2，升级终止");
        }
        m_sink.Log({text, std::move(args), 0b111});
        return false;
    }
    const std::uint8_t ucLen = packet[3];
    std::span<const std::uint8_t> data = packet.subspan(kPacketHeadLen);
    if (s == kFwStepRequest || s == kFwStepErase)
        d_assert(ucLen == 2);
    else if (s == kFwStepCheck || s == kFwStepBlock || s == kFwStepQuery)
        d_assert(ucLen == 1);
    // Only the data the packet claims and actually holds.
    data = data.first(std::min<std::size_t>(data.size(), ucLen));
    int next = m_nStep;
    bool result = true;
    const char *error = Evaluate(s, data, next, result);
    if (error) {
        m_sink.Log({PYLVEX_TR_NOOP("FirmwareUpgradeDialog", "错误：%1，升级终止"),
                    {FillRow(error, {m_errorArg})},
                    m_errorArg.empty() ? 1u : 0u});
        next = kFwStepAfter;
        m_bFailed = true;
    }
    if (!result)
        return false;
    m_nStep = next;
    if (!error && s == kFwStepQuery && next == kFwStepAfter)
        m_sink.Succeeded();
    return true;
}

void FwUpgradeSession::OnRouted(std::span<const std::uint8_t> packet, bool hasPath)
{
    if (!HasImage()) {
        Log(hasPath ? PYLVEX_TR_NOOP("FirmwareUpgradeDialog", "请点击升级按钮")
                    : PYLVEX_TR_NOOP("FirmwareUpgradeDialog", "请选择升级文件，并点击升级按钮"));
        return;
    }
    if (!OnAnswer(packet))
        return;
    m_sink.KillTimer();
    if (m_nStep == kFwStepAfter)
        return;
    if (m_nStep != kFwStepBlock)
        m_sink.Log(
            {PYLVEX_TR_NOOP("FirmwareUpgradeDialog", "TX->：%1(%2)请求"), {FwStepName(m_nStep), Num(m_nStep)}, 1});
    if (!Build(m_nStep))
        return;
    if (QueueFrame())
        m_sink.ArmTimer(kFwRetryMs);
    else
        Log(PYLVEX_TR_NOOP("FirmwareUpgradeDialog", "错误：添加至发送队列时，返回失败"));
}

void FwUpgradeSession::OnTimer()
{
    m_sink.KillTimer();
    if (m_nFrameLen <= 0 || m_nStep == kFwStepAfter)
        return;
    if (m_bResent) {
        // The one retransmission got no answer either: say so instead of
        // waiting without a word.
        m_sink.Log({PYLVEX_TR_NOOP("FirmwareUpgradeDialog", "错误：重传的%1命令仍然没有应答，请检查连接后点击重新升级"),
                    {FrameStepName()},
                    1});
        return;
    }
    if (!m_sink.Queue(m_ucFrame.data(), static_cast<std::size_t>(m_nFrameLen))) {
        Log(PYLVEX_TR_NOOP("FirmwareUpgradeDialog", "错误：添加至发送队列时，返回失败"));
        return;
    }
    m_bResent = true;
    m_sink.Log({PYLVEX_TR_NOOP("FirmwareUpgradeDialog", "重传：%1命令，数据帧长度=%2"),
                {FrameStepName(), Num(m_nFrameLen)},
                1});
    // Armed again only to notice that this resend stays unanswered.
    m_sink.ArmTimer(kFwRetryMs);
}
