#include "cli/status_view.h"

#include "cli/board_session.h"
#include "cli/cli_common.h"

#include <QJsonArray>

namespace {

QString U8(const std::string &s)
{
    return QString::fromStdString(s);
}

double Tenths(int tenths)
{
    return tenths / 10.0;
}

const char *StateKey(std::int32_t currentMa)
{
    if (currentMa < 0)
        return "discharging";
    return currentMa == 0 ? "standby" : "charging";
}

QJsonArray Strings(const std::vector<std::string> &names, bool dropNone)
{
    QJsonArray a;
    for (const std::string &n : names)
        if (!(dropNone && n == "无"))
            a.append(U8(n));
    return a;
}

// JSON keys of the extreme-value rows, in row order.
const char *const kExtremeKeys[kExtremeRows] = {
    "highest_cell_mv",
    "highest_cell_no",
    "lowest_cell_mv",
    "lowest_cell_no",
    "max_charge_current_ma",
    "max_discharge_current_ma",
    "max_total_voltage_mv",
    "highest_temperature_c",
    "lowest_temperature_c",
    "max_hours_without_charge",
    "max_hours_without_discharge",
};

struct ItemKeyName {
    std::uint8_t code;
    const char *key;
};
const ItemKeyName kItemKeys[] = {
    {kStatusSn, "sn"},
    {kStatusVersions, "versions"},
    {kStatusCells, "cells"},
    {kStatusPower, "power"},
    {kStatusExtremes, "extremes"},
    {kStatusBalancing, "balancing"},
    {kStatusProtection, "protections"},
    {kStatusCycles, "cycles"},
    {kStatusMos, "mos"},
    {kStatusProbes, "probe_count"},
    {kStatusSoc, "soc"},
    {kStatusDate, "production_date"},
    {kStatusAlarm, "alarms"},
    {kStatusRemaining, "remaining_capacity"},
    {kStatusFull, "full_capacity"},
};

QString ItemKey(std::uint8_t code)
{
    for (const ItemKeyName &k : kItemKeys)
        if (k.code == code)
            return QLatin1String(k.key);
    return QString::number(code);
}

void PutPower(QJsonObject &o, const PowerReading &p)
{
    if (p.voltageMv)
        o["total_voltage_mv"] = static_cast<qint64>(*p.voltageMv);
    if (p.currentMa) {
        o["current_ma"] = *p.currentMa;
        o["current_state"] = StateKey(*p.currentMa);
    }
    QJsonArray temps;
    for (std::int16_t t : p.temps)
        temps.append(Tenths(t));
    o["temperatures_c"] = temps;
    if (p.highestProbe > 0) {
        o["temperature_highest_c"] = Tenths(p.highest);
        o["temperature_highest_probe"] = p.highestProbe;
        o["temperature_lowest_c"] = Tenths(p.lowest);
        o["temperature_lowest_probe"] = p.lowestProbe;
    }
}

void PutCells(QJsonObject &o, const CellSummary &c, const std::optional<std::uint32_t> &balancing)
{
    QJsonArray cells;
    for (std::uint16_t v : c.cells)
        cells.append(v);
    o["cells_mv"] = cells;
    if (!c.cells.empty()) {
        o["cell_highest_mv"] = c.highest;
        o["cell_highest_no"] = c.highestCell;
        o["cell_lowest_mv"] = c.lowest;
        o["cell_lowest_no"] = c.lowestCell;
        o["cell_difference_mv"] = c.difference;
    }
    if (balancing) {
        QJsonArray on;
        const std::size_t rows = std::min<std::size_t>(c.cells.size(), 32);
        for (std::size_t r = 0; r < rows; ++r)
            on.append(((*balancing >> r) & 1u) != 0);
        o["balancing"] = on;
    }
}

} // namespace

QJsonObject StatusJson(const LiveStatus &s)
{
    QJsonObject o;
    if (s.sn)
        o["sn"] = U8(*s.sn);
    if (s.versions) {
        o["software_version"] = U8(s.versions->software);
        o["hardware_version"] = U8(s.versions->hardware);
    }
    if (s.productionDate)
        o["production_date"] =
            QDate(s.productionDate->year, s.productionDate->month, s.productionDate->day).toString(Qt::ISODate);
    if (s.soc) {
        o["soc"] = s.soc->soc;
        o["soh"] = s.soc->soh;
    }
    if (s.cycles)
        o["cycles"] = *s.cycles;
    if (s.probeCount)
        o["probe_count"] = *s.probeCount;
    if (s.power)
        PutPower(o, *s.power);
    if (s.remainingMah)
        o["remaining_capacity_mah"] = static_cast<qint64>(*s.remainingMah);
    if (s.fullMah)
        o["full_capacity_mah"] = static_cast<qint64>(*s.fullMah);
    if (s.mos)
        o["mos"] = QJsonObject{
            {"charge", s.mos->charge}, {"discharge", s.mos->discharge}, {"pre_discharge", s.mos->preDischarge}};
    if (s.cells)
        PutCells(o, *s.cells, s.balancing);
    if (s.balancing)
        o["balancing_bits"] = static_cast<qint64>(*s.balancing);
    if (s.protectionBits) {
        o["protections"] = Strings(s.protections, true);
        o["protection_bits"] = static_cast<qint64>(*s.protectionBits);
    }
    if (s.alarmBits) {
        o["alarms"] = Strings(s.alarms, true);
        o["alarm_bits"] = static_cast<qint64>(*s.alarmBits);
    }
    if (s.extremes) {
        QJsonObject x;
        for (std::size_t i = 0; i < kExtremeRows; ++i)
            if ((*s.extremes)[i])
                x[QLatin1String(kExtremeKeys[i])] = *(*s.extremes)[i];
        o["extremes"] = x;
    }
    if (!s.problems.empty()) {
        QJsonObject errors;
        for (const auto &[code, text] : s.problems)
            errors[ItemKey(code)] = U8(text);
        o["errors"] = errors;
    }
    return o;
}

QJsonObject StatusReport(const LiveStatus &status, const QDateTime &at, bool secondary, bool batch)
{
    QJsonObject o = StatusJson(status);
    o["time"] = IsoTime(at);
    o["board"] = secondary ? "secondary" : "main";
    o["read"] = batch ? "batch" : "items";
    return o;
}

namespace {

void Line(QString &out, const QString &label, const QString &value)
{
    out += QStringLiteral("%1%2\n").arg(label, value);
}

QString Join(const std::vector<std::string> &names)
{
    QStringList list;
    for (const std::string &n : names)
        list.append(U8(n));
    return list.join(QStringLiteral("，"));
}

QString OnOff(bool on)
{
    return on ? CliText::tr("开") : CliText::tr("关");
}

void CellTable(QString &out, const LiveStatus &s)
{
    const CellSummary &c = *s.cells;
    Line(out, CliText::tr("单节电压："), QString());
    out += CliText::tr("  节    单节电压(mV)  均衡\n");
    for (std::size_t i = 0; i < c.cells.size(); ++i) {
        QString balance;
        if (s.balancing && i < 32)
            balance = OnOff(((*s.balancing >> i) & 1u) != 0);
        out += QStringLiteral("  %1  %2  %3\n").arg(i + 1, -4).arg(c.cells[i], -12).arg(balance);
    }
    for (const auto &row : CellSummaryRows(c))
        out += QStringLiteral("  %1  %2\n").arg(U8(row[0]), -4).arg(U8(row[1]));
}

void PowerLines(QString &out, const PowerReading &p)
{
    if (p.voltageMv)
        Line(out, CliText::tr("总电压："), QStringLiteral("%1 mV").arg(*p.voltageMv));
    if (p.currentMa)
        Line(out, CliText::tr("总电流："),
             QStringLiteral("%1 mA（%2）").arg(*p.currentMa).arg(QString::fromUtf8(CurrentStateText(*p.currentMa))));
    for (std::size_t j = 0; j < p.temps.size(); ++j)
        Line(out, CliText::tr("温度%1：").arg(j + 1), QStringLiteral("%1 ℃").arg(U8(TenthsText(p.temps[j]))));
}

} // namespace

QString StatusText(const LiveStatus &s)
{
    QString out;
    if (s.versions) {
        Line(out, CliText::tr("软件版本："), U8(s.versions->software));
        Line(out, CliText::tr("硬件版本："), U8(s.versions->hardware));
    }
    if (s.sn)
        Line(out, CliText::tr("SN 码："), U8(*s.sn));
    if (s.productionDate)
        Line(out, CliText::tr("生产日期："),
             QDate(s.productionDate->year, s.productionDate->month, s.productionDate->day).toString(Qt::ISODate));
    if (s.soc)
        Line(out, CliText::tr("SOC，SOH："), QStringLiteral("%1 %，%2 %").arg(s.soc->soc).arg(s.soc->soh));
    if (s.cycles)
        Line(out, CliText::tr("充放电循环次数："), QString::number(*s.cycles));
    if (s.probeCount)
        Line(out, CliText::tr("温度探头个数："), QString::number(*s.probeCount));
    if (s.power)
        PowerLines(out, *s.power);
    if (s.remainingMah)
        Line(out, CliText::tr("剩余容量："), QStringLiteral("%1 mAH").arg(*s.remainingMah));
    if (s.fullMah)
        Line(out, CliText::tr("满电容量："), QStringLiteral("%1 mAH").arg(*s.fullMah));
    if (s.mos)
        Line(out, CliText::tr("充放电及预放电MOS状态："),
             CliText::tr("充电 %1，放电 %2，预放电 %3")
                 .arg(OnOff(s.mos->charge), OnOff(s.mos->discharge), OnOff(s.mos->preDischarge)));
    if (s.protectionBits)
        Line(out, CliText::tr("保护状态："), Join(s.protections));
    if (s.alarmBits)
        Line(out, CliText::tr("报警状态："), Join(s.alarms));
    if (s.cells)
        CellTable(out, s);
    if (s.extremes) {
        Line(out, CliText::tr("最值记录："), QString());
        for (std::size_t i = 0; i < kExtremeRows; ++i)
            out += QStringLiteral("  %1  %2\n")
                       .arg(QString::fromUtf8(kExtremeRowNames[i]), -22)
                       .arg(s.extremeTexts[i] ? U8(*s.extremeTexts[i]) : QString());
    }
    for (const auto &[code, text] : s.problems)
        Line(out, CliText::tr("读取失败 %1：").arg(ItemKey(code)), U8(text));
    return out;
}

QString StatusLine(const LiveStatus &s, const QDateTime &at)
{
    QStringList parts{at.time().toString(QStringLiteral("HH:mm:ss"))};
    if (s.soc)
        parts << QStringLiteral("SOC %1%").arg(s.soc->soc);
    if (s.power && s.power->voltageMv)
        parts << QStringLiteral("%1 mV").arg(*s.power->voltageMv);
    if (s.power && s.power->currentMa)
        parts << QStringLiteral("%1 mA").arg(*s.power->currentMa);
    if (s.cells && !s.cells->cells.empty())
        parts << CliText::tr("单节 %1…%2 mV").arg(s.cells->lowest).arg(s.cells->highest);
    if (s.power && s.power->lowestProbe > 0)
        parts << CliText::tr("温度 %1…%2 ℃").arg(U8(TenthsText(s.power->lowest)), U8(TenthsText(s.power->highest)));
    if (s.protectionBits)
        parts << CliText::tr("保护 %1").arg(Join(s.protections));
    if (s.alarmBits)
        parts << CliText::tr("报警 %1").arg(Join(s.alarms));
    return parts.join(QStringLiteral("  ")) + QLatin1Char('\n');
}
