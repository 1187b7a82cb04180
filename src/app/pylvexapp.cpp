#include "app/pylvexapp.h"

#include <QDateTime>

#include <cstdarg>
#include <cstdio>

namespace {
CPylvexApp *g_app = nullptr;
}

CPylvexApp *theApp()
{
    return g_app;
}

CPylvexApp::CPylvexApp(int &argc, char **argv) : QApplication(argc, argv)
{
    g_app = this;
    setOrganizationName(QStringLiteral("Oramek"));
    setApplicationName(QStringLiteral("Pylvex"));
    setApplicationVersion(QStringLiteral("1.0.1.0"));
}

CPylvexApp::~CPylvexApp()
{
    if (g_app == this)
        g_app = nullptr;
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
