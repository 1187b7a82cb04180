#include "app/linkwatch.h"

#include "app/framework/pagehost.h"
#include "app/framework/rxdispatch.h"

LinkWatcher::LinkWatcher(PageHost &host, RxDispatcher &dispatch, QObject *parent)
    : QObject(parent), m_host(host), m_dispatch(dispatch)
{
    m_clock.start();
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &LinkWatcher::OnDeadline);
}

QDateTime LinkWatcher::WallTime(std::int64_t steadyMs) const
{
    if (steadyMs < 0)
        return {};
    return QDateTime::currentDateTime().addMSecs(steadyMs - Now());
}

void LinkWatcher::IgnoreNextSent(RequestKey key)
{
    if (key != 0)
        m_ignored.insert(key);
}

void LinkWatcher::OnFrameSent(RequestKey key, int wireMs)
{
    if (key == 0)
        return;
    if (auto it = m_ignored.find(key); it != m_ignored.end()) {
        m_ignored.erase(it);
        return;
    }
    int interval = m_interval ? m_interval() : 400;
    m_watch.OnSent(key, Now(), AnswerDeadlineMs(interval, wireMs));
    Arm();
}

void LinkWatcher::OnAnswer(const std::uint8_t *frame, int len)
{
    if (!frame || len < 4)
        return;
    const bool wasSilent = m_watch.SilentSinceMs() >= 0;
    const bool first = m_watch.LastAnswerMs() < 0;
    const bool noted = m_watch.OnAnswer(MakeRequestKey(frame[2], frame[3]), Now());
    Arm();
    // The time of the last answer is shown by the line's own second tick.
    if (wasSilent || first || noted)
        emit Changed();
}

void LinkWatcher::Reset()
{
    m_watch.Reset();
    m_ignored.clear();
    m_timer.stop();
    emit Changed();
}

void LinkWatcher::Arm()
{
    std::int64_t next = m_watch.NextDeadlineMs();
    if (next < 0) {
        m_timer.stop();
        return;
    }
    // One timer for the earliest deadline; a later one is looked at then.
    int wait = static_cast<int>(std::max<std::int64_t>(0, next - Now()));
    if (!m_timer.isActive() || m_timer.remainingTime() > wait)
        m_timer.start(wait);
}

void LinkWatcher::OnDeadline()
{
    std::vector<NoAnswerNote> notes = m_watch.Expire(Now());
    for (const NoAnswerNote &note : notes) {
        const QDateTime since = WallTime(note.sinceMs);
        const QString pair = QStringLiteral("%1 %2")
                                 .arg(KeyClass(note.key), 2, 16, QLatin1Char('0'))
                                 .arg(KeyCode(note.key), 2, 16, QLatin1Char('0'))
                                 .toUpper();
        m_host.WriteLog(4, QStringLiteral("无应答 %1").arg(pair),
                        QStringLiteral("请求 %1 自 %2 起无应答").arg(pair, since.toString(QStringLiteral("HH:mm:ss"))));
        m_dispatch.NoteNoAnswer(note.key, since);
    }
    Arm();
    if (!notes.empty())
        emit Changed();
}
