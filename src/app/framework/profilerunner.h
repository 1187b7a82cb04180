// Drives a run of threshold-parameter requests (ParamExchange) over the
// window's board port: each request is queued behind whatever the pages have
// queued, its answer is taken from the receive path (the pages see it too, so
// their boxes and lamps follow), a missing answer is asked once more and then
// ends the run. The rows' lamps show each parameter's outcome.
#pragma once

#include "files/paramexchange.h"

#include <QDateTime>
#include <QObject>
#include <QTimer>

class PageHost;

class PageHost;
class RowPageBase;
struct ParamKey;

// The row page that shows a parameter's row (the threshold pages), or nullptr.
RowPageBase *PageShowingParam(const PageHost &host, const ParamKey &key);

class ProfileRunner : public QObject {
    Q_OBJECT
public:
    explicit ProfileRunner(PageHost &host, QObject *parent = nullptr);

    // Starts the run (kept by the caller until Finished); false when the port is closed.
    bool Start(ParamExchange *run);
    // Ends the run now; the steps not reached stay Pending.
    void Cancel(const QString &why);
    bool Running() const { return m_run != nullptr; }
    // Why the run ended early; empty when it went to its end.
    QString StopReason() const { return m_stopReason; }
    int RequestsSent() const { return m_sent; }
    // The time a request waits for its answer before it is asked again.
    int AnswerWaitMs() const;

signals:
    // A step's request goes out (its write, or its read).
    void StepStarted(int step);
    // A step has its outcome.
    void StepFinished(int step);
    void Finished();

private:
    void SendNext();
    void OnResponse(const std::uint8_t *frame, int len);
    void OnDeadline();
    void Advance(int stepBefore);
    void Finish();
    void ShowLamp(int step, bool started);

    PageHost &m_host;
    ParamExchange *m_run = nullptr;
    QTimer m_deadline;
    int m_tries = 0;
    int m_sent = 0;
    QString m_stopReason;
    QDateTime m_sentAt;
};
