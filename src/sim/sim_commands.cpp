// The board's command table: parameters of class 0x02, record clearing of
// class 0x05, live status, the batch status read and the board clock of
// class 0x03.
#include "sim/sim_board.h"

#include <algorithm>
#include <ctime>

namespace {
using Data = std::span<const std::uint8_t>;

bool IsPlainRead(Data data)
{
    return data.size() == 1;
}

SimBytes WithResult(std::uint8_t result, const SimBytes &payload = {})
{
    SimBytes out(payload.size() + 1);
    out[0] = result;
    std::copy(payload.begin(), payload.end(), out.begin() + 1);
    return out;
}

// A single- or multi-value parameter: a read answers the stored values, a
// write stores them and answers what is now stored.
void AddValueRow(SimCommandTable &table, const ParamRow &row)
{
    table.push_back({0x02, row.readCode, false, [&row](SimContext &ctx, Data data) {
                         if (!IsPlainRead(data))
                             return SimBytes{kResultBadLength};
                         return WithResult(kResultOk, ctx.unit.params.Encode(row));
                     }});
    table.push_back({0x02, row.writeCode, false, [&row](SimContext &ctx, Data data) {
                         std::array<std::int64_t, 4> values{};
                         std::uint8_t result = ParamStore::Decode(row, data, values);
                         if (result != kResultOk)
                             return SimBytes{result};
                         ctx.unit.params.Store(row, values);
                         ctx.unit.pack.Evaluate(ctx.unit.params);
                         return WithResult(kResultOk, ctx.unit.params.Encode(row));
                     }});
}

// The cycle thresholds: the read answer adds the cycle count; the write
// answer carries only the two thresholds.
void AddCycleRow(SimCommandTable &table)
{
    const ParamRow &row = ParamRowOf(ParamId::CycleThreshold);
    AddValueRow(table, row);
    table[table.size() - 2].handler = [&row](SimContext &ctx, Data data) {
        if (!IsPlainRead(data))
            return SimBytes{kResultBadLength};
        SimBytes out = WithResult(kResultOk, ctx.unit.params.Encode(row));
        std::uint16_t cycles = ctx.unit.pack.Cycles();
        out.push_back(static_cast<std::uint8_t>(cycles >> 8));
        out.push_back(static_cast<std::uint8_t>(cycles));
        return out;
    };
}

SimBytes WakeSource(SimContext &ctx, Data data)
{
    if (!IsPlainRead(data))
        return {kResultBadLength};
    return {kResultOk, ctx.unit.identity.wakeSource, 0x00};
}

SimBytes ClearRecords(SimContext &ctx, Data data)
{
    if (!IsPlainRead(data))
        return {kResultBadLength};
    ctx.unit.pack.ClearRecords();
    return {kResultOk, 0x01};
}

SimBytes StatusRead(std::uint8_t code, SimContext &ctx, Data data)
{
    if (!IsPlainRead(data))
        return {kResultBadLength};
    return WithResult(kResultOk, StatusPayload(code, ctx.unit.Status()));
}

SimBytes BatchRead(SimContext &ctx, Data data)
{
    if (ctx.options.noBatch)
        return {kResultUnknown};
    if (data.empty())
        return {kResultBadLength};
    return BatchData(data, ctx.unit.Status());
}

// The board clock runs as local time, offset from the computer's clock.
SimBytes ClockFields(const SimContext &ctx)
{
    std::time_t t = static_cast<std::time_t>((ctx.nowMs + ctx.unit.clockOffsetMs) / 1000);
    std::tm tm{};
    localtime_r(&t, &tm);
    return {kResultOk,
            static_cast<std::uint8_t>(tm.tm_year + 1900 - 2000),
            static_cast<std::uint8_t>(tm.tm_mon + 1),
            static_cast<std::uint8_t>(tm.tm_mday),
            static_cast<std::uint8_t>(tm.tm_hour),
            static_cast<std::uint8_t>(tm.tm_min),
            static_cast<std::uint8_t>(tm.tm_sec)};
}

SimBytes Clock(SimContext &ctx, Data data)
{
    if (data.size() == 1 && data[0] == 0x00)
        return ClockFields(ctx);
    if (data.size() != 7 || data[0] != 0x01)
        return {kResultBadLength};
    int month = data[2], day = data[3], hour = data[4], minute = data[5], second = data[6];
    if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 59)
        return {kResultBadValue};
    std::tm tm{};
    tm.tm_year = 2000 + data[1] - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = -1;
    std::time_t t = std::mktime(&tm);
    // mktime moves 31 April to 1 May; such a date is refused.
    if (t == static_cast<std::time_t>(-1) || tm.tm_mday != day || tm.tm_mon != month - 1)
        return {kResultBadValue};
    ctx.unit.clockOffsetMs = static_cast<std::int64_t>(t) * 1000 - ctx.nowMs;
    return ClockFields(ctx);
}
} // namespace

void AddParamCommands(SimCommandTable &table)
{
    for (const ParamRow &row : ParamRows()) {
        if (row.id == ParamId::CycleThreshold)
            AddCycleRow(table);
        else
            AddValueRow(table, row);
    }
    table.push_back({0x02, 0x5A, false, WakeSource});
    table.push_back({0x05, 0x02, false, ClearRecords});
}

void AddStatusCommands(SimCommandTable &table)
{
    for (std::uint8_t code : StatusItemCodes())
        table.push_back(
            {0x03, code, false, [code](SimContext &ctx, Data data) { return StatusRead(code, ctx, data); }});
    table.push_back({0x03, 0x66, false, BatchRead});
}

void AddClockCommands(SimCommandTable &table)
{
    table.push_back({0x03, 0x25, false, Clock});
}
