#include "protocol/soc_learning.h"

#include "protocol/bytes.h"
#include "protocol/tr_marker.h"

#include <algorithm>
#include <cstdio>

namespace {

const char *const kStageNames[kSocStages] = {
    PYLVEX_TR_NOOP("SocLearning", "电池补电阶段"),     PYLVEX_TR_NOOP("SocLearning", "容量实测阶段"),
    PYLVEX_TR_NOOP("SocLearning", "电池充满阶段"),     PYLVEX_TR_NOOP("SocLearning", "学习开路电压阶段"),
    PYLVEX_TR_NOOP("SocLearning", "学习充电内阻阶段"), PYLVEX_TR_NOOP("SocLearning", "学习放电内阻阶段"),
    PYLVEX_TR_NOOP("SocLearning", "验证充电SOC阶段"),  PYLVEX_TR_NOOP("SocLearning", "验证放电SOC阶段"),
    PYLVEX_TR_NOOP("SocLearning", "SOC学习完毕"),      PYLVEX_TR_NOOP("SocLearning", "实测阶段"),
};

struct ErrorName {
    std::uint8_t code;
    const char *text;
};
const ErrorName kErrors[] = {
    {0x00, PYLVEX_TR_NOOP("SocLearning", "无")},
    {0x01, PYLVEX_TR_NOOP("SocLearning", "电池补电阶段充电中断错误")},
    {0x02, PYLVEX_TR_NOOP("SocLearning", "电池容量测试放电中断错误")},
    {0x03, PYLVEX_TR_NOOP("SocLearning", "电池充满阶段充电中断错误")},
    {0x04, PYLVEX_TR_NOOP("SocLearning", "学习开路电压阶段放电中断错误")},
    {0x05, PYLVEX_TR_NOOP("SocLearning", "学习充电内阻充电中断错误")},
    {0x06, PYLVEX_TR_NOOP("SocLearning", "学习放电内阻放电中断错误")},
    {0x07, PYLVEX_TR_NOOP("SocLearning", "验证充电SOC充电中断错误")},
    {0x08, PYLVEX_TR_NOOP("SocLearning", "验证放电SOC放电中断错误")},
    {0x23, PYLVEX_TR_NOOP("SocLearning", "电池容量测试初始电压不对")},
    {0x40, PYLVEX_TR_NOOP("SocLearning", "有未学习到的开路电压错误")},
    {0x41, PYLVEX_TR_NOOP("SocLearning", "SOC为0的开路电压未学习到")},
    {0x42, PYLVEX_TR_NOOP("SocLearning", "SOC学习初始电压不合格")},
    {0x50, PYLVEX_TR_NOOP("SocLearning", "有未学习到的充电内阻错误")},
    {0x51, PYLVEX_TR_NOOP("SocLearning", "充满后SOC未到100")},
    {0x52, PYLVEX_TR_NOOP("SocLearning", "学习充电内阻初始电压不对")},
    {0x60, PYLVEX_TR_NOOP("SocLearning", "有未学习到的放电内阻错误")},
    {0x61, PYLVEX_TR_NOOP("SocLearning", "充到截止电压后SOC未到100")},
    {0x62, PYLVEX_TR_NOOP("SocLearning", "学习放电内阻初始电压不对")},
    {0x71, PYLVEX_TR_NOOP("SocLearning", "有未验证到的充电SOC")},
    {0x72, PYLVEX_TR_NOOP("SocLearning", "放到截止电压后积分SOC未到0")},
    {0x73, PYLVEX_TR_NOOP("SocLearning", "验证充电SOC初始电压错误")},
    {0x81, PYLVEX_TR_NOOP("SocLearning", "有未验证到的放电SOC")},
    {0x82, PYLVEX_TR_NOOP("SocLearning", "放到截止电压后积分SOC未到0")},
    {0x83, PYLVEX_TR_NOOP("SocLearning", "验证放电SOC初始电压错误")},
};

constexpr std::uint8_t kErrorCodes[] = {0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x23, 0x40, 0x41, 0x42,
                                        0x50, 0x51, 0x52, 0x60, 0x61, 0x62, 0x71, 0x72, 0x73, 0x81, 0x82, 0x83};
static_assert(std::size(kErrorCodes) == std::size(kErrors));

constexpr std::int64_t kAnyInt32Min = -2147483648LL;
constexpr std::int64_t kAnyInt32Max = 2147483647LL;

const SocConfigField kFields[] = {
    {1322, PYLVEX_TR_NOOP("SocLearning", "起始电压"), PYLVEX_TR_NOOP("SocLearning", "mV"), &SocConfig::startMv, 0, 2,
     kAnyInt32Min, kAnyInt32Max},
    {1327, PYLVEX_TR_NOOP("SocLearning", "结束电压"), PYLVEX_TR_NOOP("SocLearning", "mV"), &SocConfig::endMv, 2, 2,
     kAnyInt32Min, kAnyInt32Max},
    {1331, PYLVEX_TR_NOOP("SocLearning", "SOC精度"), PYLVEX_TR_NOOP("SocLearning", "%"), &SocConfig::precision, 8, 1, 0,
     100},
    {1325, PYLVEX_TR_NOOP("SocLearning", "充满电流检测值"), PYLVEX_TR_NOOP("SocLearning", "mA"),
     &SocConfig::fullCurrentMa, 9, 2, 0, 65535},
    {1324, PYLVEX_TR_NOOP("SocLearning", "标准电流"), PYLVEX_TR_NOOP("SocLearning", "mA"), &SocConfig::standardMa, 11,
     2, 0, 65535},
    {1420, PYLVEX_TR_NOOP("SocLearning", "充放电允许误差电压"), PYLVEX_TR_NOOP("SocLearning", "mV"),
     &SocConfig::allowedErrorMv, 13, 2, kAnyInt32Min, kAnyInt32Max},
    {1419, PYLVEX_TR_NOOP("SocLearning", "内阻校准步进"), PYLVEX_TR_NOOP("SocLearning", "毫欧"), &SocConfig::irStep, 15,
     1, kAnyInt32Min, kAnyInt32Max},
    {1435, PYLVEX_TR_NOOP("SocLearning", "内阻序号"), nullptr, &SocConfig::irIndex, 16, 1, kAnyInt32Min, kAnyInt32Max},
    {1433, PYLVEX_TR_NOOP("SocLearning", "学习充电电流"), PYLVEX_TR_NOOP("SocLearning", "mA"), &SocConfig::chargeMa, 17,
     4, kAnyInt32Min, kAnyInt32Max},
    {1434, PYLVEX_TR_NOOP("SocLearning", "学习放电电流"), PYLVEX_TR_NOOP("SocLearning", "mA"), &SocConfig::dischargeMa,
     21, 4, kAnyInt32Min, kAnyInt32Max},
    {1330, PYLVEX_TR_NOOP("SocLearning", "上传间隔"), PYLVEX_TR_NOOP("SocLearning", "秒"), &SocConfig::uploadSec, 6, 2,
     1, 3600},
};

void PutLow(std::uint8_t *out, std::uint32_t value, std::size_t width)
{
    for (std::size_t i = 0; i < width; ++i)
        out[i] = static_cast<std::uint8_t>(value >> (8 * (width - 1 - i)));
}

std::string Format(const char *format, auto... args)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, format, args...);
    return buf;
}

std::vector<std::uint8_t> LearnPayload(std::uint8_t code, std::span<const std::uint8_t> data)
{
    std::vector<std::uint8_t> p(4 + data.size());
    p[0] = 0x53;
    p[1] = 0x02;
    p[2] = code;
    p[3] = static_cast<std::uint8_t>(data.size());
    std::copy(data.begin(), data.end(), p.begin() + 4);
    return p;
}
} // namespace

const std::array<const char *, kSocColumns> kSocListColumns = {
    PYLVEX_TR_NOOP("SocLearning", "状态"),      PYLVEX_TR_NOOP("SocLearning", "电压(mV)"),
    PYLVEX_TR_NOOP("SocLearning", "电流(mA)"),  PYLVEX_TR_NOOP("SocLearning", "V-SOC"),
    PYLVEX_TR_NOOP("SocLearning", "SOC"),       PYLVEX_TR_NOOP("SocLearning", "SOC-A"),
    PYLVEX_TR_NOOP("SocLearning", "容量(maH)"), PYLVEX_TR_NOOP("SocLearning", "测试"),
    PYLVEX_TR_NOOP("SocLearning", "主副电"),    PYLVEX_TR_NOOP("SocLearning", "序号"),
};
const std::array<const char *, kSocColumns> kSocExportColumns = {
    "状态", "电压", "电流", "V_SOC", "SOC", "SOC_A", "电池容量", "测试", "主副电", "序号",
};

const char *SocStageName(int stage)
{
    return stage >= 1 && stage <= kSocStages ? kStageNames[stage - 1] : "N/A_n2a";
}

std::string SocErrorText(std::uint8_t code)
{
    for (const ErrorName &e : kErrors)
        if (e.code == code)
            return e.text;
    return Format("0x%X", static_cast<unsigned>(code));
}

std::span<const std::uint8_t> SocErrorCodes()
{
    return kErrorCodes;
}

std::span<const SocConfigField> SocConfigFields()
{
    return kFields;
}

std::array<std::uint8_t, kSocConfigBytes> EncodeSocConfig(const SocConfig &config)
{
    std::array<std::uint8_t, kSocConfigBytes> out{};
    for (const SocConfigField &f : kFields)
        PutLow(out.data() + f.offset, static_cast<std::uint32_t>(config.*(f.value)), f.width);
    out[kSocStartStageOffset] = config.startStage;
    out[kSocEndStageOffset] = config.endStage;
    return out;
}

std::vector<std::uint8_t> SocConfigReadPayload()
{
    const std::uint8_t zero = 0x00;
    return LearnPayload(kSocConfigReadCode, {&zero, 1});
}

std::vector<std::uint8_t> SocConfigWritePayload(const SocConfig &config)
{
    std::array<std::uint8_t, kSocConfigBytes> bytes = EncodeSocConfig(config);
    return LearnPayload(kSocConfigWriteCode, bytes);
}

std::vector<std::uint8_t> SocStartPayload()
{
    const std::uint8_t start = 0x00;
    return LearnPayload(kSocLearnCode, {&start, 1});
}

std::vector<std::uint8_t> SocStopPayload()
{
    const std::uint8_t stop = 0x01;
    return LearnPayload(kSocLearnCode, {&stop, 1});
}

std::optional<SocConfigAnswer> DecodeSocConfig(std::span<const std::uint8_t> p)
{
    if (p.size() < kSocConfigFixed)
        return std::nullopt;
    SocConfigAnswer a;
    a.startMv = *ReadBe16(p, 0);
    a.endMv = *ReadBe16(p, 2);
    a.startStage = p[4];
    a.endStage = p[5];
    a.uploadSec = *ReadBe16(p, 6);
    a.precision = p[8];
    a.fullCurrentMa = *ReadBe16(p, 9);
    a.standardMa = *ReadBe16(p, 11);
    std::size_t at = kSocConfigFixed;
    if (p.size() >= 15) {
        a.allowedErrorMv = *ReadBe16(p, 13);
        at = 15;
    }
    if (at < p.size())
        a.irStep = p[at++];
    if (at < p.size())
        a.irIndex = p[at++];
    if (std::optional<std::uint32_t> v = ReadBe32(p, at)) {
        a.chargeMa = static_cast<std::int32_t>(*v);
        at += 4;
        if (std::optional<std::uint32_t> w = ReadBe32(p, at))
            a.dischargeMa = static_cast<std::int32_t>(*w);
    }
    return a;
}

std::optional<SocRecord> DecodeSocRecord(std::span<const std::uint8_t> p)
{
    if (p.size() + 1 < static_cast<std::size_t>(kSocRecordNeed))
        return std::nullopt;
    SocRecord r;
    r.stage = p[0];
    r.mv = *ReadBe16(p, 1);
    r.ma = static_cast<std::int32_t>(*ReadBe32(p, 3));
    r.vSoc = p[7];
    r.soc = p[8];
    r.socA = p[9];
    r.capacityMah = *ReadBe16(p, 10);
    if (p.size() > 12)
        r.test = p[12];
    return r;
}

std::array<std::string, kSocColumns> SocRecordTexts(const SocRecord &r, SocBoard board, int index)
{
    const char *boardText = board == SocBoard::Main        ? PYLVEX_TR_NOOP("SocLearning", "主电")
                            : board == SocBoard::Secondary ? PYLVEX_TR_NOOP("SocLearning", "副电")
                                                           : "";
    return {SocStageName(r.stage),
            Format("%hu", r.mv),
            Format("%d", r.ma),
            Format("%hhu", r.vSoc),
            Format("%hhu", r.soc),
            Format("%hhu", r.socA),
            Format("%hu", r.capacityMah),
            r.test ? Format("%u", static_cast<unsigned>(*r.test)) : std::string(),
            boardText,
            Format("%d", index)};
}
