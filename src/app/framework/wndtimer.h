// Window timers with fixed ids: SetTimer(id, ms), KillTimer(id) and a
// callback OnTimer(id), on precise single-purpose QTimers.
#pragma once

#include <QHash>
#include <QObject>

#include <functional>

class QTimer;

class WndTimers : public QObject {
    Q_OBJECT
public:
    explicit WndTimers(std::function<void(int)> onTimer, QObject *parent = nullptr);

    // (Re)starts the periodic timer id with the period ms.
    void SetTimer(int id, int ms);
    void KillTimer(int id);
    bool IsTimerActive(int id) const;
    int TimerInterval(int id) const;

private:
    std::function<void(int)> m_onTimer;
    QHash<int, QTimer *> m_timers;
};
