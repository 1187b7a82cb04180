// The application object: lives for the whole process and carries the
// process-wide settings many parts read, and the system log call.
#pragma once

#include "app/logmodel.h"
#include "link/linksettings.h"

#include <QApplication>
#include <QString>

class QWidget;

class CPylvexApp : public QApplication {
    Q_OBJECT
public:
    CPylvexApp(int &argc, char **argv);
    ~CPylvexApp() override;

    // Level 3 "错误", 4 "警告", 6 "信息", 7 "调试"; other levels and closed gates do nothing.
    void WriteLog(int level, const QString &title, const char *format, ...) __attribute__((format(printf, 4, 5)));
    void WriteLogText(int level, const QString &title, const QString &text);
    bool LogGateOpen(int level) const;

    LogModel *GetLogModel() { return &m_logModel; }

    // Shared with the port thread.
    std::atomic<int> &m_nCmdSndInvl = GlobalLinkSettings().cmdSndInvl;
    std::atomic<bool> &m_bRxEcho = GlobalLinkSettings().rxEcho;
    std::atomic<bool> &m_bLogDebug = GlobalLinkSettings().logDebug;
    std::atomic<QObject *> &m_hYModemWnd = GlobalLinkSettings().ymodemWnd;

    bool m_bLogError = true;
    bool m_bLogWarning = true;
    bool m_bLogInfo = true;
    bool m_bInnerVerified = false;
    QWidget *m_pPendingPage = nullptr;

private:
    LogModel m_logModel;
};

// The running application object (nullptr before it exists).
CPylvexApp *theApp();
