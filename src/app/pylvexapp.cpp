#include "app/pylvexapp.h"

#include "app/framework/systemlog.h"
#include "app/mainwindow.h"
#include "app/retranslate.h"
#include "app/startup/commandline.h"
#include "app/startup/crashhandler.h"
#include "app/startup/quitsignals.h"
#include "app/startup/singleinstance.h"
#include "app/startup/startupprobe.h"
#include "app/userprofile.h"
#include "files/logfiles.h"
#include "lang/language.h"
#include "protocol/dassert.h"
#include "sim/simhost.h"

#include <QDateTime>
#include <QFile>
#include <QIcon>
#include <QSettings>
#include <QTimer>

#include <cstdarg>
#include <cstdio>
#include <exception>

namespace {
PylvexApp *g_app = nullptr;

// The longest exception text written to Log_info.
constexpr int kMaxExceptionText = 512;
// The text for an exception that carries none.
const char kInternalErrorText[] = "出现内部应用程序错误。";
} // namespace

PylvexApp *theApp()
{
    return g_app;
}

PylvexApp::PylvexApp(int &argc, char **argv) : QApplication(argc, argv)
{
    g_app = this;
    SetSystemLogSink(
        {[this](int level, const QString &title, const QString &text) { WriteLogText(level, title, text); },
         [this](int level) { return LogGateOpen(level); }});
    SetProgramNames();
    setWindowIcon(QIcon(QStringLiteral(":/pylvex.png")));
    setDesktopFileName(QStringLiteral("pylvex"));
    // Diagnostic files and crash dumps go to the Log folder of the user's data
    // folder (the current folder while it cannot be created).
    const QByteArray logFolder = MakeLogFolder() ? QFile::encodeName(LogFolder()) : QByteArray();
    if (!logFolder.isEmpty())
        SetErrorFilePath((logFolder + "/d_error.txt").toStdString());
    if (crash::InstallCrashHandler(logFolder.constData())) {
        // The dump is named after the local time; follow daylight saving changes.
        m_pCrashClock = new QTimer(this);
        m_pCrashClock->setTimerType(Qt::VeryCoarseTimer);
        connect(m_pCrashClock, &QTimer::timeout, this, [] { crash::RefreshCrashClock(); });
        m_pCrashClock->start(60 * 1000);
    }
}

void PylvexApp::SetProgramNames()
{
    setOrganizationName(QStringLiteral("Oramek"));
    setApplicationName(QStringLiteral("Pylvex"));
    setApplicationVersion(QString::fromLatin1(kPylvexVersion));
}

PylvexApp::~PylvexApp()
{
    ShutDown();
    SetSystemLogSink({});
    if (g_app == this)
        g_app = nullptr;
}

int PylvexApp::InitInstance(const StartupOptions &options)
{
    if (!StartUp(options))
        return m_nExitCode;
    const int code = exec();
    ShutDown();
    return code;
}

bool PylvexApp::StartUp(const StartupOptions &options)
{
    m_nExitCode = 0;
    lang::Install(WindowLanguage(options.language));
    if (!m_pInstance)
        m_pInstance = new SingleInstance(SingleInstance::DefaultName(), this);
    if (!m_pInstance->Claim()) {
        // Another copy runs for this user: bring its window forward and end.
        QString text = m_pInstance->RaiseRunning(2000) ? tr("Pylvex 已在运行，已将它的窗口调到前面。")
                                                       : tr("Pylvex 已在运行，但没有应答。");
        if (!options.port.isEmpty())
            text += tr("本次启动给出的串口 %1 没有打开；请在已运行的窗口中选择它。").arg(options.port);
        else if (options.demo)
            text += tr("本次启动的 --demo 没有生效。");
        std::fputs((text + QLatin1Char('\n')).toLocal8Bit().constData(), stderr);
        return false;
    }
    // From here on the window's settings are to be stored even when the program is told to end.
    QuitOnTerminationSignals(this);
    m_strStartPort = options.port;
    if (options.demo && !StartDemoBoard())
        return false;

    // The window opens the start device itself; every page may be shown
    // while it creates them, no internal page afterwards (its gate).
    m_pMainDlg = new MainWindow;
    m_pInstance->SetWindow(m_pMainDlg);
    InstallStartupProbe(m_pMainDlg);
    m_pMainDlg->show();
    if (!m_strStartPort.isEmpty() && !m_pMainDlg->m_bOpenCOM) {
        const QString text =
            tr("无法打开串口 %1：%2\n详见“系统日志”页。\n").arg(m_strStartPort, m_pMainDlg->m_strOpenError);
        std::fputs(text.toLocal8Bit().constData(), stderr);
    }
    QTimer::singleShot(0, this, [] { crash::CrashIfAsked(); });
    return true;
}

bool PylvexApp::StartDemoBoard()
{
    m_pDemoBoard = new SimHost;
    QString device;
    if (!m_pDemoBoard->StartPty(&device, SimOptions{})) {
        const QString text = tr("无法启动模拟保护板：%1\n").arg(m_pDemoBoard->ErrorString());
        std::fputs(text.toLocal8Bit().constData(), stderr);
        delete m_pDemoBoard;
        m_pDemoBoard = nullptr;
        m_nExitCode = 1;
        return false;
    }
    m_strDemoPort = device;
    m_strStartPort = device;
    return true;
}

void PylvexApp::ShutDown()
{
    if (m_pInstance)
        m_pInstance->SetWindow(nullptr);
    if (m_pMainDlg && !m_strDemoPort.isEmpty() && m_pMainDlg->m_settings.portNum == m_strDemoPort) {
        // The demo board's pseudo-terminal is gone after this run, and its name
        // may next belong to someone's terminal: keep the port stored before.
        QSettings profile = UserProfile();
        m_pMainDlg->m_settings.portNum = profile.value(QStringLiteral("IniProfile/PortNum")).toString();
    }
    // The window stores the settings and closes the port before the board goes.
    delete m_pMainDlg;
    m_pMainDlg = nullptr;
    if (m_pDemoBoard) {
        m_pDemoBoard->Stop();
        delete m_pDemoBoard;
        m_pDemoBoard = nullptr;
    }
    m_strDemoPort.clear();
}

void PylvexApp::LogUnhandledException(const QString &what)
{
    QString text = what.isEmpty() ? QString::fromUtf8(kInternalErrorText) : what.left(kMaxExceptionText);
    LogInfoText(QStringLiteral("捕获未被处理的异常：") + text);
}

bool PylvexApp::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &e) {
        LogUnhandledException(QString::fromUtf8(e.what()));
    } catch (...) {
        LogUnhandledException(QString());
    }
    return false;
}

bool PylvexApp::LogGateOpen(int level) const
{
    switch (level) {
    case 3: return m_bLogError;
    case 4: return m_bLogWarning;
    case 6: return m_bLogInfo;
    case 7: return m_bLogDebug.load();
    default: return false;
    }
}

// The local time of a row, formatted once per second: a burst of frames
// writes many rows within one second, and local time is costly to take.
QString PylvexApp::LogTimeText()
{
    qint64 second = QDateTime::currentSecsSinceEpoch();
    if (second != m_nLogTimeSecond) {
        m_nLogTimeSecond = second;
        m_strLogTime = QDateTime::fromSecsSinceEpoch(second).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    }
    return m_strLogTime;
}

void PylvexApp::WriteLogText(int level, const QString &title, const QString &text)
{
    if (!LogGateOpen(level))
        return;
    m_logModel.AddRow(level, LogTimeText(), title, text);
}

void PylvexApp::WriteLog(int level, const QString &title, const char *format, ...)
{
    if (!LogGateOpen(level))
        return;
    char buf[4096];
    va_list ap;
    va_start(ap, format);
    std::vsnprintf(buf, sizeof buf, format, ap);
    va_end(ap);
    WriteLogText(level, title, QString::fromUtf8(buf));
}

bool LogGateOf(int level)
{
    PylvexApp *app = theApp();
    if (!app)
        return false;
    return level == 0 ? app->m_bRxEcho.load() : app->LogGateOpen(level);
}

void SetLogGateOf(int level, bool on)
{
    PylvexApp *app = theApp();
    if (!app)
        return;
    switch (level) {
    case 0: app->m_bRxEcho = on; break;
    case 3: app->m_bLogError = on; break;
    case 4: app->m_bLogWarning = on; break;
    case 6: app->m_bLogInfo = on; break;
    case 7: app->m_bLogDebug = on; break;
    default: break;
    }
}
