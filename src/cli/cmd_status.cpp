// status: the live state once; watch: the live state again and again until
// interrupted, as JSON lines, short text lines or CSV rows.
#include "cli/commands.h"
#include "cli/interrupts.h"
#include "cli/status_reader.h"
#include "cli/status_view.h"
#include "files/statusrecord.h"

#include <QElapsedTimer>

#include <QJsonObject>
#include <algorithm>

int RunStatus(const CliRequest &request)
{
    int status = kExitOk;
    std::unique_ptr<BoardSession> session = OpenBoard(request.common, &status);
    if (!session)
        return status;
    StatusReader reader(*session);
    LiveStatus live;
    const StatusReader::Result result = reader.Read(&live);
    if (result != StatusReader::Result::Ok && result != StatusReader::Result::Partial) {
        PrintErr(OutcomeText(result == StatusReader::Result::Lost          ? BoardSession::Outcome::Lost
                             : result == StatusReader::Result::Interrupted ? BoardSession::Outcome::Interrupted
                                                                           : BoardSession::Outcome::NoAnswer,
                             CliText::tr("读取状态")));
        return ExitStatusOf(result);
    }
    if (request.common.json) {
        QJsonObject o = StatusJson(live);
        o["time"] = IsoTime(QDateTime::currentDateTime());
        o["board"] = request.common.secondary ? "secondary" : "main";
        o["read"] = reader.BatchMode() ? "batch" : "items";
        PrintJson(QJsonDocument(o));
    } else {
        PrintOut(StatusText(live));
    }
    for (const auto &[code, text] : live.problems)
        PrintErr(CliText::tr("状态项 0x%1：%2").arg(code, 2, 16, QLatin1Char('0')).arg(QString::fromStdString(text)));
    return ExitStatusOf(result);
}

namespace {

// A port that cannot be opened is tried again at most this often.
constexpr int kReopenPauseMs = 1000;

// The CSV output of watch: rows appended to a file (GBK, header when the file
// is new) or written to standard output (UTF-8, header first).
class CsvSink {
public:
    explicit CsvSink(const QString &path) : m_path(path) {}
    bool Active() const { return !m_path.isEmpty(); }
    bool ToStdout() const { return m_path == QLatin1String("-"); }

    void Write(const LiveStatus &live, const QDateTime &now)
    {
        for (std::uint8_t code : kStatusRequestOrder)
            RecordStatusItem(m_record, code, live);
        if (ToStdout()) {
            if (!m_record.Complete())
                return;
            m_record.fields[kRecTime] = now.time().toString(QStringLiteral("HH:mm:ss"));
            QString text = m_headerDone ? QString() : StatusRecordHeader(m_record);
            m_headerDone = true;
            text += StatusRecordRow(m_record);
            PrintOut(text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
            return;
        }
        const RecordWriteResult w = AppendStatusRecord(m_record, m_path, now);
        if (w.outcome == RecordWriteResult::Failed && !m_failing)
            PrintErr(CliText::tr("无法写入 %1：%2").arg(m_path, w.error));
        m_failing = w.outcome == RecordWriteResult::Failed;
    }

private:
    QString m_path;
    StatusRecord m_record;
    bool m_headerDone = false;
    bool m_failing = false;
};

// Reports a change of the link's state once, not on every period.
class OutageReport {
public:
    void Failed(const QString &text)
    {
        if (text != m_last)
            PrintErr(text);
        m_last = text;
    }
    void Recovered()
    {
        if (!m_last.isEmpty())
            PrintErr(CliText::tr("板卡恢复应答"));
        m_last.clear();
    }

private:
    QString m_last;
};

} // namespace

int RunWatch(const CliRequest &request)
{
    InterruptWatch::Install();
    int status = kExitOk;
    std::unique_ptr<BoardSession> session = OpenBoard(request.common, &status);
    if (!session)
        return status;
    StatusReader reader(*session);
    CsvSink csv(request.csvPath);
    OutageReport outage;
    const int periodMs = static_cast<int>(request.everySec * 1000.0);
    while (!InterruptWatch::Interrupted()) {
        QElapsedTimer round;
        round.start();
        QString error;
        int pauseMs = periodMs;
        if (!session->IsOpen() && !session->Open(&error)) {
            outage.Failed(CliText::tr("无法打开串口，继续重试：%1").arg(error));
            pauseMs = std::max(periodMs, kReopenPauseMs);
        } else {
            LiveStatus live;
            const StatusReader::Result result = reader.Read(&live);
            const QDateTime now = QDateTime::currentDateTime();
            if (result == StatusReader::Result::Ok || result == StatusReader::Result::Partial) {
                outage.Recovered();
                if (request.common.json && !csv.ToStdout()) {
                    QJsonObject o = StatusJson(live);
                    o["time"] = IsoTime(now);
                    PrintJson(QJsonDocument(o), true);
                } else if (!csv.ToStdout()) {
                    PrintOut(StatusLine(live, now));
                }
                if (csv.Active())
                    csv.Write(live, now);
            } else if (result == StatusReader::Result::Lost) {
                outage.Failed(CliText::tr("串口连接已断开，继续重试"));
                session->Close();
                reader.Reset();
            } else if (result == StatusReader::Result::NoAnswer) {
                outage.Failed(CliText::tr("板卡无应答，继续重试"));
            }
        }
        if (!BoardSession::Pause(pauseMs - static_cast<int>(round.elapsed())))
            break;
    }
    return kExitOk;
}
