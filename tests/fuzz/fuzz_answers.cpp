// The decoders of the board's other answers over arbitrary data: parameter
// rows of both parameter pages, event logs, stored records, SOC learning, the
// board clock, the debugging and control answers. Besides the sanitizers'
// view of every read: a value re-encodes to the bytes it came from where the
// format has an encoder, and counts follow from the data's length.
#include "fuzz_link_check.h"

#include "protocol/battery_log.h"
#include "protocol/battery_record.h"
#include "protocol/board_clock.h"
#include "protocol/bytes.h"
#include "protocol/control_cmds.h"
#include "protocol/debug_cmds.h"
#include "protocol/param_decode.h"
#include "protocol/soc_learning.h"

#include <span>

namespace {

using Span = std::span<const std::uint8_t>;

void CheckParams(std::uint8_t selector, Span data)
{
    const ParamPageRows &page = (selector & 1) ? AlarmPageRows() : WakeupPageRows();
    const PageParamRow &row = page.rows[(selector >> 1) % page.rows.size()];
    for (std::uint8_t code : {static_cast<std::uint8_t>(row.readCode), static_cast<std::uint8_t>(row.writeCode)}) {
        code |= 0x80;
        ResponseNeed(row, code);
        std::optional<std::vector<std::int64_t>> values = DecodeRowValues(row, code, data);
        DecodeRowTexts(row, code, data);
        if (values && !row.ReadOnly() && values->size() >= static_cast<std::size_t>(row.writtenEdits) &&
            row.format == RowFormat::Value) {
            // A value read back writes the same bytes it came in with.
            std::vector<std::uint8_t> payload = WritePayload(row, std::span(values->data(), row.writtenEdits));
            int width = ValueKindBytes(row.kind);
            if (!payload.empty() && width > 0 && data.size() >= 1 + static_cast<std::size_t>(width))
                FUZZ_CHECK(payload.size() >= 4 + static_cast<std::size_t>(width) &&
                           std::memcmp(payload.data() + payload.size() - width, data.data() + 1, width) == 0);
        }
    }
    for (ValueKind kind :
         {ValueKind::I1, ValueKind::UI1, ValueKind::I2, ValueKind::UI2, ValueKind::Int, ValueKind::UInt}) {
        std::optional<std::int64_t> v = DecodeKindValue(kind, data);
        std::size_t width = static_cast<std::size_t>(ValueKindBytes(kind));
        FUZZ_CHECK(v.has_value() == (data.size() >= width));
        if (v)
            for (std::size_t i = 0; i < width; ++i)
                FUZZ_CHECK(static_cast<std::uint8_t>(*v >> (8 * (width - 1 - i))) == data[i]);
    }
    FrameData(data.data(), data.size());
    if (std::optional<std::array<std::uint16_t, 2>> two = DecodeTwoU16(data))
        FUZZ_CHECK((*two)[0] == ((data[1] << 8) | data[2]) && (*two)[1] == ((data[3] << 8) | data[4]));
    DecodeCycleThresholds(data, true);
    DecodeCycleThresholds(data, false);
    DecodeCurrentThresholds(data);
    if (!data.empty())
        WakeUpName(data[0]);
}

void CheckLog(std::uint8_t selector, Span payload)
{
    std::optional<BatteryLogData> d = DecodeBatteryLogData(payload);
    FUZZ_CHECK(d.has_value() ==
               (payload.size() >= kLogDataHead && (payload.size() - kLogDataHead) % kLogRecordBytes == 0));
    int kind = selector % 5;
    if (d) {
        FUZZ_CHECK(d->records.size() == (payload.size() - kLogDataHead) / kLogRecordBytes);
        for (std::size_t r = 0; r < d->records.size(); ++r) {
            const BatteryLogRecord &rec = d->records[r];
            const std::uint8_t *at = payload.data() + kLogDataHead + r * kLogRecordBytes;
            FUZZ_CHECK(rec.bytes.data() == at && rec.bytes.size() == kLogRecordBytes);
            std::uint32_t t = at[0] | (at[1] << 8) | (at[2] << 16) | (static_cast<std::uint32_t>(at[3]) << 24);
            std::uint32_t f = at[48] | (at[49] << 8) | (at[50] << 16) | (static_cast<std::uint32_t>(at[51]) << 24);
            FUZZ_CHECK(static_cast<std::uint32_t>(rec.time) == t && rec.flags == f);
            LogTimeText(rec.time);
        }
        for (const BatteryLogRow &row : BatteryLogRows(kind, *d, 40 + selector)) {
            FUZZ_CHECK(row.record < d->records.size());
            BatteryLogRowContent(row, kind);
        }
    }
    LogDataTrace(payload, kind, 40 + selector);
    if (payload.size() >= 4) {
        BatteryLogEvents e = LogEventNames(kind, *ReadBe32(payload, 0), 1 + selector);
        FUZZ_CHECK(JoinLogNames(e.names).size() < 1u + selector || e.names.empty());
    }
}

void CheckRecords(Span payload)
{
    std::optional<std::vector<BatteryRecord>> records = DecodeBatteryRecords(payload);
    FUZZ_CHECK(records.has_value() == (!payload.empty() && payload.size() % kRecordBytes == 0));
    if (!records)
        return;
    FUZZ_CHECK(records->size() == payload.size() / kRecordBytes);
    for (std::size_t i = 0; i < records->size(); ++i) {
        const BatteryRecord &r = (*records)[i];
        Span b = payload.subspan(i * kRecordBytes, kRecordBytes);
        // Every field re-encodes to its bytes.
        std::uint8_t again[kRecordBytes];
        WriteBe16(again, r.number);
        WriteBe16(again + 2, r.maxCellMv);
        WriteBe16(again + 4, r.minCellMv);
        WriteBe32(again + 6, static_cast<std::uint32_t>(r.totalMv));
        WriteBe32(again + 10, static_cast<std::uint32_t>(r.currentMa));
        again[14] = r.maxCellTemp;
        again[15] = r.minCellTemp;
        again[16] = r.mosTemp;
        again[17] = r.soc;
        again[18] = r.faults[0];
        again[19] = r.faults[1];
        again[20] = r.faults[2];
        again[21] = r.mos;
        FUZZ_CHECK(std::memcmp(again, b.data(), kRecordBytes) == 0);
        BatteryRecordTexts(r);
    }
}

void CheckSoc(Span payload)
{
    if (std::optional<SocConfigAnswer> a = DecodeSocConfig(payload)) {
        FUZZ_CHECK(payload.size() >= kSocConfigFixed);
        FUZZ_CHECK(a->allowedErrorMv.has_value() == (payload.size() >= 15));
        if (payload.size() >= kSocConfigBytes) {
            // A whole configuration read back encodes to the same 25 bytes.
            SocConfig c;
            c.startMv = a->startMv;
            c.endMv = a->endMv;
            c.startStage = a->startStage;
            c.endStage = a->endStage;
            c.uploadSec = a->uploadSec;
            c.precision = a->precision;
            c.fullCurrentMa = a->fullCurrentMa;
            c.standardMa = a->standardMa;
            c.allowedErrorMv = *a->allowedErrorMv;
            c.irStep = *a->irStep;
            c.irIndex = *a->irIndex;
            c.chargeMa = *a->chargeMa;
            c.dischargeMa = *a->dischargeMa;
            std::array<std::uint8_t, kSocConfigBytes> bytes = EncodeSocConfig(c);
            FUZZ_CHECK(std::memcmp(bytes.data(), payload.data(), kSocConfigBytes) == 0);
        }
    } else {
        FUZZ_CHECK(payload.size() < kSocConfigFixed);
    }
    if (std::optional<SocRecord> r = DecodeSocRecord(payload)) {
        FUZZ_CHECK(r->stage == payload[0] && r->mv == ((payload[1] << 8) | payload[2]));
        for (SocBoard board : {SocBoard::None, SocBoard::Main, SocBoard::Secondary})
            SocRecordTexts(*r, board, 1);
        SocStageName(r->stage);
    }
    if (!payload.empty())
        SocErrorText(payload[0]);
}

void CheckClockAndCommands(Span data)
{
    if (std::optional<BoardTime> t = DecodeBoardTime(data)) {
        FUZZ_CHECK(t->month >= 1 && t->month <= 12 && t->day >= 1 && t->day <= 31);
        FUZZ_CHECK(t->hour <= 23 && t->minute <= 59 && t->second <= 59);
        if (data[1] >= 1 && data[1] <= 12 && data[2] >= 1 && data[2] <= 31 && data[3] <= 23 && data[4] <= 59 &&
            data[5] <= 59)
            FUZZ_CHECK(t->year == 2000 + data[0] && t->month == data[1] && t->day == data[2] && t->hour == data[3] &&
                       t->minute == data[4] && t->second == data[5]);
    } else {
        FUZZ_CHECK(data.size() < 6);
    }
    DecodeBoardClock(data);
    DecodeHistory(data);
    DecodeCurrentCalibration(data);
    DecodeTemperatureCalibration(data);
    DecodeBalancingAnswer(data);
    DecodeProductionDateAnswer(data);
    DecodeVersionsAnswer(data);
    DecodeArrangement(data);
    FUZZ_CHECK(DecodeSnAnswer(data).size() <= data.size());
    DecodeOcv(data);
    if (std::optional<ResistanceAnswer> a = DecodeResistance(data)) {
        if (a->current) {
            // A full measurement re-encodes to the bytes after the result code.
            Measurement m{a->values, *a->current, a->index};
            std::array<std::uint8_t, kMeasurementBytes> bytes = EncodeMeasurement(m);
            FUZZ_CHECK(std::memcmp(bytes.data(), data.data() + 1, kMeasurementBytes) == 0);
        }
    }
    RegisterHexText(data);
    RegisterBlock block{};
    std::size_t copied = MergeRegisterAnswer(data, block);
    FUZZ_CHECK(copied <= kRegisterBytes && (copied == 0 || std::memcmp(block.data(), data.data() + 1, copied) == 0));
    IsRepeaterExitAnswer(data);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 1)
        return 0;
    // The first byte chooses the decoders and their options; the rest is the data.
    std::uint8_t selector = data[0];
    Span rest(data + 1, size - 1);
    switch (selector % 5) {
    case 0: CheckParams(selector / 5, rest); break;
    case 1: CheckLog(selector / 5, rest); break;
    case 2: CheckRecords(rest); break;
    case 3: CheckSoc(rest); break;
    default: CheckClockAndCommands(rest); break;
    }
    return 0;
}
