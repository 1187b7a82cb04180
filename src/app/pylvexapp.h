// The application object: lives for the whole process and carries the
// process-wide settings many parts read, the system log call, the single
// running copy per user, the crash dump writer and the guard that turns an
// exception escaping an event handler into a Log_info line.
#pragma once

#include "app/logmodel.h"
#include "link/linksettings.h"
#include "version.h"

#include <QApplication>
#include <QString>

class MainWindow;
class QTimer;
class QWidget;
class SimHost;
class SingleInstance;
struct StartupOptions;

class PylvexApp : public QApplication {
    Q_OBJECT
public:
    // Sets the start values and installs the crash dump writer (unless
    // "NoCoreDump.dmp" is in the current folder).
    PylvexApp(int &argc, char **argv);
    ~PylvexApp() override;
    // The organisation and program names the settings and the data folder are
    // found by; usable before the application object exists.
    static void SetProgramNames();

    // The start-up sequence: single running copy, main window, event loop,
    // tidy-up. Returns the process exit code.
    int InitInstance(const StartupOptions &options);
    // The parts of it: StartUp returns false when another copy runs (it was
    // asked to come forward, and this process ends); ShutDown destroys the
    // window (which stores the settings) and stops what StartUp started.
    bool StartUp(const StartupOptions &options);
    void ShutDown();
    MainWindow *GetMainDlg() const { return m_pMainDlg; }
    // The simulated board of --demo (null otherwise) and the device it serves.
    SimHost *GetDemoBoard() const { return m_pDemoBoard; }
    const QString &DemoPort() const { return m_strDemoPort; }
    int ExitCode() const { return m_nExitCode; }

    // Level 3 "错误", 4 "警告", 6 "信息", 7 "调试"; other levels and closed gates do nothing.
    void WriteLog(int level, const QString &title, const char *format, ...) __attribute__((format(printf, 4, 5)));
    void WriteLogText(int level, const QString &title, const QString &text);
    bool LogGateOpen(int level) const;

    LogModel *GetLogModel() { return &m_logModel; }

    // An exception that escapes an event handler is written to Log_info as
    // "捕获未被处理的异常：%s" and the program goes on.
    bool notify(QObject *receiver, QEvent *event) override;
    static void LogUnhandledException(const QString &what);

    // Shared with the port thread.
    std::atomic<int> &m_nCmdSndInvl = GlobalLinkSettings().cmdSndInvl;
    std::atomic<bool> &m_bRxEcho = GlobalLinkSettings().rxEcho;
    std::atomic<bool> &m_bLogDebug = GlobalLinkSettings().logDebug;

    // Levels 3, 4 and 6; the main window sets them from the stored "LogMask".
    bool m_bLogError = true;
    bool m_bLogWarning = true;
    bool m_bLogInfo = true;

    // The device the main window opens at start instead of the stored port
    // (command line, demo board); empty: the stored port.
    QString m_strStartPort;

    // The single-copy guard of this run (null until InitInstance claims it).
    SingleInstance *GetSingleInstance() { return m_pInstance; }

private:
    bool StartDemoBoard();

    QString LogTimeText();

    LogModel m_logModel;
    qint64 m_nLogTimeSecond = -1;
    QString m_strLogTime;
    MainWindow *m_pMainDlg = nullptr;
    SimHost *m_pDemoBoard = nullptr;
    QString m_strDemoPort;
    int m_nExitCode = 0;
    SingleInstance *m_pInstance = nullptr;
    QTimer *m_pCrashClock = nullptr;
};

// The running application object (nullptr before it exists).
PylvexApp *theApp();

// The gates of the system log's levels (0: the echo of received bytes), as the
// system log page shows and sets them; closed while no application runs.
bool LogGateOf(int level);
void SetLogGateOf(int level, bool on);
