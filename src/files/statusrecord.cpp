#include "files/statusrecord.h"

#include "files/logfiles.h"

#include <QFile>
#include <QFileInfo>

namespace {
const QString kCrLf = QStringLiteral("\r\n");

QString U8(const std::string &text)
{
    return QString::fromStdString(text);
}

QString ProbeName(int probe)
{
    return probe > 0 ? QStringLiteral("温度%1").arg(probe) : QString();
}

void RecordCells(StatusRecord &r, const CellSummary &s)
{
    r.cells.clear();
    for (std::uint16_t v : s.cells)
        r.cells.append(QString::number(v));
    r.fields[kRecHighCell] = QString::number(s.highest);
    r.fields[kRecHighCellNo] = QString::number(s.highestCell);
    r.fields[kRecLowCell] = QString::number(s.lowest);
    r.fields[kRecLowCellNo] = QString::number(s.lowestCell);
    r.fields[kRecCellDiff] = QString::number(s.difference);
    r.fields[kRecCellCount] = QString::number(s.cells.size());
}

void RecordPower(StatusRecord &r, const PowerReading &p)
{
    if (p.voltageMv)
        r.fields[kRecVoltage] = QString::number(*p.voltageMv);
    if (p.currentMa) {
        r.fields[kRecCurrent] = QString::number(*p.currentMa);
        r.fields[kRecSystemState] = QString::fromUtf8(CurrentStateText(*p.currentMa));
    }
    r.temps.clear();
    for (std::int16_t t : p.temps)
        r.temps.append(U8(TenthsText(t)));
    const bool any = p.highestProbe > 0;
    r.fields[kRecHighTemp] = any ? U8(TenthsText(p.highest)) : QString();
    r.fields[kRecHighTempProbe] = ProbeName(p.highestProbe);
    r.fields[kRecLowTemp] = any ? U8(TenthsText(p.lowest)) : QString();
    r.fields[kRecLowTempProbe] = ProbeName(p.lowestProbe);
    r.fields[kRecTempDiff] = any ? U8(TenthsText(p.highest - p.lowest)) : QString();
}

QString FirstName(const std::vector<std::string> &names)
{
    return names.empty() ? QString() : U8(names.front());
}
} // namespace

void RecordStatusItem(StatusRecord &record, std::uint8_t code, const LiveStatus &status)
{
    switch (code) {
    case kStatusCells:
        if (status.cells)
            RecordCells(record, *status.cells);
        break;
    case kStatusPower:
        if (status.power)
            RecordPower(record, *status.power);
        break;
    case kStatusProtection:
        if (status.protectionBits)
            record.fields[kRecProtection] = FirstName(status.protections);
        break;
    case kStatusAlarm:
        if (status.alarmBits)
            record.fields[kRecAlarm] = FirstName(status.alarms);
        break;
    case kStatusProbes:
        if (status.probeCount)
            record.fields[kRecProbeCount] = QString::number(*status.probeCount);
        break;
    case kStatusSoc:
        if (status.soc)
            record.fields[kRecSoc] = QString::number(status.soc->soc);
        break;
    default: break;
    }
}

QString StatusRecordHeader(const StatusRecord &record)
{
    QString line = QStringLiteral("时间,SOC,总电压,总电流,保护状态");
    for (int p = 1; p <= record.temps.size(); ++p)
        line += QStringLiteral(",温度%1").arg(p);
    for (int c = 1; c <= record.cells.size(); ++c)
        line += QStringLiteral(",节%1").arg(c);
    line += QStringLiteral(",最高电压,最高电压序号,最低电压,最低电压序号,最大压差,最高温度,最高温度序号,最低温度,"
                           "最低温度序号,报警状态,系统状态,温度探头数量,单体电池数量,温度差,");
    return line + kCrLf;
}

QString StatusRecordRow(const StatusRecord &record)
{
    QString line;
    auto add = [&line](const QString &field) {
        line += field;
        line += QLatin1Char(',');
    };
    for (int f : {kRecTime, kRecSoc, kRecVoltage, kRecCurrent, kRecProtection})
        add(record.fields[f]);
    for (const QString &t : record.temps)
        add(t);
    for (const QString &c : record.cells)
        add(c);
    for (int f = kRecHighCell; f <= kRecTempDiff; ++f)
        add(record.fields[f]);
    return line + QLatin1Char(',') + kCrLf;
}

QString StatusRecordPath(const QDate &day)
{
    QString today = LogFilePath(QStringLiteral("Record"), QStringLiteral("csv"));
    QString folder = QFileInfo(today).path();
    return QStringLiteral("%1/Record_%2.csv").arg(folder, day.toString(QStringLiteral("yyyy-MM-dd")));
}

RecordWriteResult WriteStatusRecord(StatusRecord &record, const QDateTime &now)
{
    return AppendStatusRecord(record, StatusRecordPath(now.date()), now);
}

RecordWriteResult AppendStatusRecord(StatusRecord &record, const QString &path, const QDateTime &now)
{
    RecordWriteResult result;
    if (!record.Complete())
        return result;
    record.fields[kRecTime] = now.time().toString(QStringLiteral("HH:mm:ss"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        result.outcome = RecordWriteResult::Failed;
        result.error = file.errorString().left(255);
        return result;
    }
    QByteArray bytes;
    if (file.size() == 0) {
        bytes = ToGbk(StatusRecordHeader(record));
        result.headerWritten = true;
    }
    bytes += ToGbk(StatusRecordRow(record));
    bool ok = file.write(bytes) == bytes.size() && file.flush();
    if (!ok)
        result.error = file.errorString().left(255);
    file.close();
    result.outcome = ok ? RecordWriteResult::Written : RecordWriteResult::Failed;
    return result;
}
