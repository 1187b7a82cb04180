// Watches the board's answers on the open port: every request frame that
// leaves the wire waits for its answer; a kind left unanswered is noted once
// in the system log and on the rows that show its answer, until an answer of
// that kind arrives. Keeps the time of the last answer and since when the
// board has been silent, for the status line.
#pragma once

#include "protocol/answer_watch.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <functional>
#include <set>

class PageHost;
class RxDispatcher;

class LinkWatcher : public QObject {
    Q_OBJECT
public:
    LinkWatcher(PageHost &host, RxDispatcher &dispatch, QObject *parent = nullptr);

    // A frame left the wire (key 0: no request the watch follows).
    void OnFrameSent(RequestKey key, int wireMs);
    // A complete frame queued as raw bytes (the upgrade dialogs time their own
    // exchange): its writing is not watched.
    void IgnoreNextSent(RequestKey key);
    // A fresh answer of the chosen board.
    void OnAnswer(const std::uint8_t *frame, int len);
    // The port closed or the board changed: nothing waits any more.
    void Reset();
    // The queues were emptied: answers the tool threw away itself are waited
    // for no more.
    void ForgetWaiting();

    const AnswerWatch &Watch() const { return m_watch; }
    // Local time of the last answer (invalid before the first) and since when
    // requests go unanswered (invalid while the board answers).
    QDateTime LastAnswerTime() const { return WallTime(m_watch.LastAnswerMs()); }
    QDateTime SilentSince() const { return WallTime(m_watch.SilentSinceMs()); }
    // Waiting time of a request; the command interval in ms comes from here.
    std::function<int()> m_interval;

signals:
    // The last answer, the silence or a note changed.
    void Changed();

private:
    void OnDeadline();
    void Arm();
    std::int64_t Now() const { return m_clock.elapsed(); }
    QDateTime WallTime(std::int64_t steadyMs) const;

    PageHost &m_host;
    RxDispatcher &m_dispatch;
    AnswerWatch m_watch;
    QElapsedTimer m_clock;
    QTimer m_timer;
    std::multiset<RequestKey> m_ignored;
};
