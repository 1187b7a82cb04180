#include "files/logfiles.h"

#include "protocol/dassert.h"
#include "protocol/frame.h"

#include <QCoreApplication>
#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QMutex>
#include <QStringEncoder>

#include <cstdarg>
#include <cstdio>

namespace {
QMutex g_folderLock;
QString g_baseFolder;  // empty: the program's folder
QString g_knownFolder; // the Log folder once it exists

QString logFolder()
{
    QMutexLocker lock(&g_folderLock);
    if (!g_knownFolder.isEmpty())
        return g_knownFolder;
    QString base = g_baseFolder;
    if (base.isEmpty())
        base = QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QDir::currentPath();
    QString folder = QDir(base).filePath(QStringLiteral("Log"));
    if (QDir().mkpath(folder) && QFileInfo(folder).isDir()) {
        g_knownFolder = folder + QLatin1Char('/');
        return g_knownFolder;
    }
    return QString(); // the current folder, retried next time
}
} // namespace

std::uint32_t MsOfDay()
{
    QDateTime now = QDateTime::currentDateTime();
    std::uint32_t seconds = static_cast<std::uint32_t>(now.toSecsSinceEpoch() + now.offsetFromUtc());
    return seconds * 1000u + static_cast<std::uint32_t>(now.time().msec());
}

void SetLogBaseFolder(const QString &folder)
{
    QMutexLocker lock(&g_folderLock);
    g_baseFolder = folder;
    g_knownFolder.clear();
}

QString LogFilePath(const QString &kind, const QString &extension)
{
    return QStringLiteral("%1%2_%3.%4")
        .arg(logFolder(), kind, QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")), extension);
}

QByteArray ToGbk(const QString &text)
{
    QStringEncoder encoder("GBK");
    if (!encoder.isValid())
        return text.toLocal8Bit();
    return encoder.encode(text);
}

bool AppendGbk(const QString &path, const QString &text)
{
    QFile file(path);
    bool ok = file.open(QIODevice::WriteOnly | QIODevice::Append);
    if (ok) {
        QByteArray bytes = ToGbk(text);
        ok = file.write(bytes) == bytes.size();
        file.close();
    }
    d_assert(0 || ok);
    return ok;
}

void LogInfoText(const QString &line)
{
    AppendGbk(LogFilePath(QStringLiteral("Log_info"), QStringLiteral("txt")), line + QLatin1Char('\n'));
}

void LogInfo(const char *format, ...)
{
    char buf[2048];
    va_list ap;
    va_start(ap, format);
    std::vsnprintf(buf, sizeof buf, format, ap);
    va_end(ap);
    LogInfoText(QString::fromUtf8(buf));
}

void LogMissTail(const std::uint8_t *bytes, std::size_t count)
{
    std::string line = "PDU Miss Tail Flag: " + HexText(bytes, count) + "\n";
    AppendGbk(LogFilePath(QStringLiteral("Log"), QStringLiteral("txt")), QString::fromLatin1(line));
}

void LogRxBuffer::LogRxByte(std::uint8_t byte)
{
    std::uint32_t now = m_clock();
    if (!m_started) {
        m_started = true;
        m_deadline = now;
    }
    m_buf[m_count++] = byte;
    bool late = static_cast<std::int32_t>(now - m_deadline) > 0;
    if (late || m_count == sizeof m_buf) {
        std::string line = "\n" + HexText(m_buf, m_count);
        AppendGbk(LogFilePath(QStringLiteral("Log_RX"), QStringLiteral("txt")), QString::fromLatin1(line));
        m_count = 0;
        m_deadline = now + 200;
    }
}
