#include "files/statusrecord.h"

#include "files/logfiles.h"

#include <QFile>
#include <QFileInfo>

namespace {
const QString kCrLf = QStringLiteral("\r\n");
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
    RecordWriteResult result;
    if (!record.Complete())
        return result;
    record.fields[kRecTime] = now.time().toString(QStringLiteral("HH:mm:ss"));
    QFile file(StatusRecordPath(now.date()));
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
