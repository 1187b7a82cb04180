#include "app/pylvexapp.h"

#include "app/pylvexdlg.h"
#include "app/startup/commandline.h"
#include "app/startup/crashhandler.h"
#include "app/startup/singleinstance.h"
#include "app/startup/startupprobe.h"
#include "link/logfiles.h"

#include <QDateTime>
#include <QTimer>

#include <cstdarg>
#include <cstdio>
#include <exception>
#include <memory>

namespace {
CPylvexApp *g_app = nullptr;

// The longest exception text written to Log_info.
constexpr int kMaxExceptionText = 512;
// The text for an exception that carries none.
const char kInternalErrorText[] = "出现内部应用程序错误。";
} // namespace

CPylvexApp *theApp()
{
    return g_app;
}

CPylvexApp::CPylvexApp(int &argc, char **argv) : QApplication(argc, argv)
{
    g_app = this;
    setOrganizationName(QStringLiteral("Oramek"));
    setApplicationName(QStringLiteral("Pylvex"));
    setApplicationVersion(QString::fromLatin1(kPylvexVersion));
    if (crash::InstallCrashHandler()) {
        // The dump is named after the local time; follow daylight saving changes.
        m_pCrashClock = new QTimer(this);
        m_pCrashClock->setTimerType(Qt::VeryCoarseTimer);
        connect(m_pCrashClock, &QTimer::timeout, this, [] { crash::RefreshCrashClock(); });
        m_pCrashClock->start(60 * 1000);
    }
}

CPylvexApp::~CPylvexApp()
{
    if (g_app == this)
        g_app = nullptr;
}

int CPylvexApp::InitInstance(const StartupOptions &options)
{
    Q_UNUSED(options);
    m_pInstance = new SingleInstance(SingleInstance::DefaultName(), this);
    if (!m_pInstance->Claim()) {
        // Another copy runs for this user: bring its window forward and end.
        if (!m_pInstance->RaiseRunning(2000))
            std::fputs("Pylvex is already running, but it did not answer.\n", stderr);
        return 0;
    }

    m_bInnerVerified = true;
    auto dlg = std::make_unique<CPylvexDlg>();
    m_bInnerVerified = false;
    m_pInstance->SetWindow(dlg.get());
    InstallStartupProbe(dlg.get());
    dlg->show();
    QTimer::singleShot(0, this, [] { crash::CrashIfAsked(); });

    const int code = exec();
    m_pInstance->SetWindow(nullptr);
    dlg.reset();
    return code;
}

void CPylvexApp::LogUnhandledException(const QString &what)
{
    QString text = what.isEmpty() ? QString::fromUtf8(kInternalErrorText) : what.left(kMaxExceptionText);
    LogInfoText(QStringLiteral("捕获未被处理的异常：") + text);
}

bool CPylvexApp::notify(QObject *receiver, QEvent *event)
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

bool CPylvexApp::LogGateOpen(int level) const
{
    switch (level) {
    case 3: return m_bLogError;
    case 4: return m_bLogWarning;
    case 6: return m_bLogInfo;
    case 7: return m_bLogDebug.load();
    default: return false;
    }
}

void CPylvexApp::WriteLogText(int level, const QString &title, const QString &text)
{
    if (!LogGateOpen(level))
        return;
    QString time = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    m_logModel.AddRow(level, time, title, text);
}

void CPylvexApp::WriteLog(int level, const QString &title, const char *format, ...)
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
