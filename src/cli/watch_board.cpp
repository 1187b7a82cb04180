#include "cli/watch_board.h"

#include "cli/interrupts.h"
#include "cli/mqtt_publisher.h"
#include "cli/status_reader.h"
#include "cli/status_view.h"
#include "files/statusrecord.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonObject>

#include <algorithm>

// A port that cannot be opened is tried again at most this often.
constexpr int kReopenPauseMs = 1000;

// The CSV output of one board: rows appended to a file (GBK, header when the
// file is new), to the day's file in a folder (Record_<date>.csv, as the
// window names its daily recording, with a tag for a later board), or written
// to standard output (UTF-8, header first). A new series starts with an empty
// record (and a header on standard output).
class CsvSink {
public:
    explicit CsvSink(const QString &path) : m_path(path) {}
    CsvSink(const QString &folder, const QString &tag) : m_path(folder), m_tag(tag), m_daily(true) {}
    bool ToStdout() const { return m_path == QLatin1String("-"); }

    QString Path(const QDateTime &now = QDateTime::currentDateTime()) const
    {
        if (!m_daily)
            return m_path;
        return QDir(m_path).filePath(StatusRecordName(now.date(), m_tag.isEmpty() ? QString() : u'-' + m_tag));
    }

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
        const QString path = Path(now);
        const RecordWriteResult w = AppendStatusRecord(m_record, path, now);
        if (w.outcome == RecordWriteResult::Failed && !m_failing)
            PrintErr(CliText::tr("无法写入 %1：%2").arg(path, w.error));
        m_failing = w.outcome == RecordWriteResult::Failed;
    }

private:
    QString m_path;
    QString m_tag;
    bool m_daily = false;
    StatusRecord m_record;
    bool m_headerDone = false;
    bool m_failing = false;
};

QString WatchShared::ClaimName(const QString &wanted, const QString &port)
{
    std::lock_guard<std::mutex> hold(m_lock);
    QString name = wanted;
    auto held = m_names.find(name);
    if (held != m_names.end() && held->second != port)
        name = wanted + u'_' + PortTopicName(port);
    m_names[name] = port;
    return name;
}

void WatchShared::ReleaseName(const QString &name, const QString &port)
{
    std::lock_guard<std::mutex> hold(m_lock);
    auto held = m_names.find(name);
    if (held != m_names.end() && held->second == port)
        m_names.erase(held);
}

void WatchShared::Fail(const QString &message)
{
    {
        std::lock_guard<std::mutex> hold(m_lock);
        if (m_failText.isEmpty())
            m_failText = message;
    }
    m_failed = true;
    InterruptWatch::Raise();
}

QString WatchShared::FailText()
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_failText;
}

BoardWatch::BoardWatch(WatchShared &shared, const SessionSettings &settings)
    : m_shared(shared), m_request(shared.Request()), m_session(settings), m_label(settings.device)
{
}

BoardWatch::~BoardWatch()
{
    if (m_publisher)
        m_publisher->Stop();
    if (!m_board.isEmpty())
        m_shared.ReleaseName(m_board, m_label);
}

bool BoardWatch::Open(QString *error)
{
    return m_session.Open(error);
}

void BoardWatch::Say(const QString &text) const
{
    PrintErr(m_shared.Several() ? CliText::tr("%1：%2").arg(m_label, text) : text);
}

// Reports a change of the link's state once, not on every period.
void BoardWatch::Failed(const QString &text)
{
    if (text != m_outage)
        Say(text);
    m_outage = text;
    Silent();
}

void BoardWatch::Silent()
{
    if (m_publisher)
        m_publisher->Silent();
}

void BoardWatch::Run()
{
    StatusReader reader(m_session);
    const int periodMs = static_cast<int>(m_request.everySec * 1000.0);
    while (!InterruptWatch::Interrupted()) {
        QElapsedTimer round;
        round.start();
        QString error;
        int pauseMs = periodMs;
        if (!m_session.IsOpen() && !m_session.Open(&error)) {
            Failed(CliText::tr("无法打开串口，继续重试：%1").arg(error));
            pauseMs = std::max(periodMs, kReopenPauseMs);
        } else {
            LiveStatus live;
            const StatusReader::Result result = reader.Read(&live);
            const QDateTime now = QDateTime::currentDateTime();
            if (result == StatusReader::Result::Ok || result == StatusReader::Result::Partial) {
                if (!m_outage.isEmpty())
                    Say(CliText::tr("板卡恢复应答"));
                m_outage.clear();
                Took(live, now, reader.BatchMode());
            } else if (result == StatusReader::Result::Lost) {
                Failed(CliText::tr("串口连接已断开，继续重试"));
                m_session.Close();
                reader.Reset();
            } else if (result == StatusReader::Result::NoAnswer) {
                Failed(CliText::tr("板卡无应答，继续重试"));
            }
        }
        if (!BoardSession::Pause(pauseMs - static_cast<int>(round.elapsed())))
            break;
    }
}

void BoardWatch::Took(const LiveStatus &live, const QDateTime &now, bool batch)
{
    CheckBoard(live, now);
    const bool csvOut = m_csv && m_csv->ToStdout();
    if (m_request.common.json && !csvOut) {
        QJsonObject o = StatusJson(live);
        o["time"] = IsoTime(now);
        if (m_shared.Several())
            o["port"] = m_label;
        PrintJson(QJsonDocument(o), true);
    } else if (!csvOut) {
        PrintOut((m_shared.Several() ? m_label + QStringLiteral("  ") : QString()) + StatusLine(live, now));
    }
    if (m_csv)
        m_csv->Write(live, now);
    if (m_publisher)
        m_publisher->Reading(StatusReport(live, now, m_session.Settings().secondary, batch));
}

// The SN of every reading is compared with the one before: after a
// reconnection another board may answer on the same port.
void BoardWatch::CheckBoard(const LiveStatus &live, const QDateTime &now)
{
    const QString sn = live.sn ? QString::fromStdString(*live.sn).trimmed() : QString();
    if (m_board.isEmpty()) {
        m_sn = sn;
        SetBoard(sn);
        return;
    }
    if (sn.isEmpty() || sn == m_sn)
        return;
    const QString before = m_sn;
    m_sn = sn;
    if (before.isEmpty())
        return; // the first SN of a board that gave none before
    Say(CliText::tr("板卡已更换：SN 码 %1 → %2").arg(before, sn));
    if (m_request.common.json && !(m_csv && m_csv->ToStdout())) {
        QJsonObject o{{"time", IsoTime(now)}, {"event", "board_changed"}, {"previous_sn", before}, {"sn", sn}};
        if (m_shared.Several())
            o["port"] = m_label;
        PrintJson(QJsonDocument(o), true);
    }
    SetBoard(sn);
}

// A new board: its name, its CSV series and its topics.
void BoardWatch::SetBoard(const QString &sn)
{
    if (!m_board.isEmpty())
        m_shared.ReleaseName(m_board, m_label);
    QString wanted = TopicSafe(sn);
    if (wanted.isEmpty())
        wanted = PortTopicName(m_label);
    m_board = m_shared.ClaimName(wanted, m_label);
    if (m_firstBoard.isEmpty())
        m_firstBoard = m_board;
    if (!m_request.csvPath.isEmpty()) {
        m_csv = MakeCsv(m_board);
        if (m_board != m_firstBoard && !m_csv->ToStdout())
            Say(CliText::tr("CSV 写入 %1").arg(m_csv->Path()));
    }
    if (!m_request.mqtt)
        return;
    if (m_publisher)
        m_publisher->Stop();
    WatchShared *shared = &m_shared;
    m_publisher = std::make_unique<BoardPublisher>(
        m_request.mqttSettings, m_board, [shared](const QString &message) { shared->Fail(message); },
        [this](const QString &text) { Say(text); });
    QString error;
    if (!m_publisher->Start(&error))
        m_shared.Fail(error);
}

// Several ports: a file per board in the folder. One port: the first board's
// series in the file given (or the folder's daily file), a later board's
// beside it with its name appended.
std::unique_ptr<CsvSink> BoardWatch::MakeCsv(const QString &board) const
{
    const QString &given = m_request.csvPath;
    if (given == QLatin1String("-"))
        return std::make_unique<CsvSink>(given);
    if (m_shared.Several())
        return std::make_unique<CsvSink>(QDir(given).filePath(board + QStringLiteral(".csv")));
    const QString tag = board == m_firstBoard ? QString() : board;
    if (QFileInfo(given).isDir())
        return std::make_unique<CsvSink>(given, tag);
    if (tag.isEmpty())
        return std::make_unique<CsvSink>(given);
    const QFileInfo file(given);
    const QString suffix = file.suffix().isEmpty() ? QString() : u'.' + file.suffix();
    return std::make_unique<CsvSink>(file.dir().filePath(file.completeBaseName() + u'-' + tag + suffix));
}
