#include "app/framework/wndtimer.h"

#include <QTimer>

WndTimers::WndTimers(std::function<void(int)> onTimer, QObject *parent) : QObject(parent), m_onTimer(std::move(onTimer))
{
}

void WndTimers::SetTimer(int id, int ms)
{
    QTimer *&timer = m_timers[id];
    if (!timer) {
        timer = new QTimer(this);
        timer->setTimerType(Qt::PreciseTimer);
        connect(timer, &QTimer::timeout, this, [this, id] { m_onTimer(id); });
    }
    timer->start(ms < 0 ? 0 : ms);
}

void WndTimers::KillTimer(int id)
{
    if (QTimer *timer = m_timers.value(id))
        timer->stop();
}

bool WndTimers::IsTimerActive(int id) const
{
    QTimer *timer = m_timers.value(id);
    return timer && timer->isActive();
}

int WndTimers::TimerInterval(int id) const
{
    QTimer *timer = m_timers.value(id);
    return timer ? timer->interval() : -1;
}
