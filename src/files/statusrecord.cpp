#include "files/statusrecord.h"

#include "files/fileerror.h"
#include "files/logfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>

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

QStringList StatusRecordLeadColumns()
{
    return {QStringLiteral("时间"), QStringLiteral("SOC"), QStringLiteral("总电压"), QStringLiteral("总电流"),
            QStringLiteral("保护状态")};
}

QString StatusRecordTempColumn(int probe)
{
    return QStringLiteral("温度%1").arg(probe);
}

QString StatusRecordCellColumn(int cell)
{
    return QStringLiteral("节%1").arg(cell);
}

QStringList StatusRecordTailColumns()
{
    return {QStringLiteral("最高电压"),     QStringLiteral("最高电压序号"), QStringLiteral("最低电压"),
            QStringLiteral("最低电压序号"), QStringLiteral("最大压差"),     QStringLiteral("最高温度"),
            QStringLiteral("最高温度序号"), QStringLiteral("最低温度"),     QStringLiteral("最低温度序号"),
            QStringLiteral("报警状态"),     QStringLiteral("系统状态"),     QStringLiteral("温度探头数量"),
            QStringLiteral("单体电池数量"), QStringLiteral("温度差")};
}

QString StatusRecordHeader(const StatusRecord &record)
{
    QStringList columns = StatusRecordLeadColumns();
    for (int p = 1; p <= record.temps.size(); ++p)
        columns.append(StatusRecordTempColumn(p));
    for (int c = 1; c <= record.cells.size(); ++c)
        columns.append(StatusRecordCellColumn(c));
    columns += StatusRecordTailColumns();
    return columns.join(QLatin1Char(',')) + QLatin1Char(',') + kCrLf;
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

QString StatusRecordName(const QDate &day, const QString &tag)
{
    return QStringLiteral("Record_%1%2.csv").arg(day.toString(QStringLiteral("yyyy-MM-dd")), tag);
}

QString StatusRecordPath(const QDate &day)
{
    // Always the Log folder: a recording never lands elsewhere; while the folder
    // cannot be made, the rows wait (StatusRecorder).
    return LogFolder() + u'/' + StatusRecordName(day);
}

namespace {
// Appends the row (after the header when the file is new or empty) to the file
// at path. On failure fills in the error, the path and the reason.
bool AppendRow(const QString &path, const QString &header, const QString &row, RecordWriteResult &result)
{
    QDir().mkpath(QFileInfo(path).path()); // made again when it was removed
    QFile file(path);
    errno = 0;
    bool ok = file.open(QIODevice::WriteOnly | QIODevice::Append);
    int error = errno;
    if (ok) {
        QByteArray bytes;
        bool fresh = file.size() == 0;
        if (fresh)
            bytes = ToGbk(header);
        bytes += ToGbk(row);
        errno = 0;
        ok = file.write(bytes) == bytes.size() && file.flush();
        error = errno;
        if (ok && fresh)
            result.headerWritten = true;
    }
    if (!ok) {
        result.error = file.errorString().left(255);
        result.path = QFileInfo(path).absoluteFilePath();
        result.reason = FileErrorReason(error);
    }
    file.close();
    return ok;
}
} // namespace

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
    bool ok = AppendRow(path, StatusRecordHeader(record), StatusRecordRow(record), result);
    result.outcome = ok ? RecordWriteResult::Written : RecordWriteResult::Failed;
    return result;
}

bool StatusRecorder::WriteRow(const PendingRow &row, RecordWriteResult &result)
{
    return AppendRow(StatusRecordPath(row.day), row.header, row.row, result);
}

RecordWriteResult StatusRecorder::Write(StatusRecord &record, const QDateTime &now)
{
    RecordWriteResult result;
    if (!record.Complete())
        return result;
    record.fields[kRecTime] = now.time().toString(QStringLiteral("HH:mm:ss"));
    m_pending.push_back({now.date(), StatusRecordHeader(record), StatusRecordRow(record)});
    while (static_cast<int>(m_pending.size()) > kMaxPending) {
        m_pending.pop_front();
        ++m_dropped;
    }
    int earlier = static_cast<int>(m_pending.size()) - 1;
    int written = 0;
    while (!m_pending.empty() && WriteRow(m_pending.front(), result)) {
        m_pending.pop_front();
        ++written;
    }
    result.flushed = std::min(written, earlier);
    result.pending = static_cast<int>(m_pending.size());
    result.dropped = m_dropped;
    m_dropped = 0;
    result.outcome = m_pending.empty() ? RecordWriteResult::Written : RecordWriteResult::Failed;
    return result;
}
