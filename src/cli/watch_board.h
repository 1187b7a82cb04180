// One board of watch, on a thread of its own: its port, its pacing, its
// output (lines, CSV series and MQTT), reopened and reread until the command
// is interrupted. A board that answers with another SN than before is a new
// board: that is said, and it gets its own CSV series and topics.
#pragma once

#include "cli/board_session.h"
#include "cli/cli_options.h"

#include <QDateTime>

#include <atomic>
#include <map>
#include <memory>
#include <mutex>

class BoardPublisher;
class CsvSink;
struct LiveStatus;

// What the boards of one watch share.
class WatchShared {
public:
    explicit WatchShared(const CliRequest &request) : m_request(request) {}
    const CliRequest &Request() const { return m_request; }
    bool Several() const { return m_request.ports.size() > 1; }

    // A board's name for topics and file names, unique among the ports:
    // a name another port holds gets this port's name appended.
    QString ClaimName(const QString &wanted, const QString &port);
    void ReleaseName(const QString &name, const QString &port);

    // An error that ends watch with status 3; the first one is kept.
    void Fail(const QString &message);
    bool Failed() const { return m_failed.load(); }
    QString FailText();

private:
    const CliRequest &m_request;
    std::mutex m_lock;
    std::map<QString, QString> m_names; // name -> port
    QString m_failText;
    std::atomic<bool> m_failed{false};
};

class BoardWatch {
public:
    BoardWatch(WatchShared &shared, const SessionSettings &settings);
    ~BoardWatch();

    // The first opening of the port; false with the message.
    bool Open(QString *error);
    // Reads, reports and waits, period after period, until interrupted.
    void Run();

private:
    void Took(const LiveStatus &live, const QDateTime &now, bool batch);
    void CheckBoard(const LiveStatus &live, const QDateTime &now);
    void SetBoard(const QString &sn);
    void Silent();
    void Say(const QString &text) const;
    void Failed(const QString &text);
    std::unique_ptr<CsvSink> MakeCsv(const QString &board) const;

    WatchShared &m_shared;
    const CliRequest &m_request;
    BoardSession m_session;
    QString m_label; // the port as given
    QString m_board; // empty until the first reading
    QString m_firstBoard;
    QString m_sn;
    QString m_outage; // the last outage reported
    std::unique_ptr<CsvSink> m_csv;
    std::unique_ptr<BoardPublisher> m_publisher;
};
