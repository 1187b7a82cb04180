#include "files/logfiles.h"

#include "protocol/dassert.h"
#include "protocol/frame.h"

#include <QCoreApplication>
#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QMutex>
#include <QStandardPaths>
#include <QStringEncoder>

#include <atomic>
#include <chrono>
#include <cstdarg>
#include <cstdio>

namespace {
QMutex g_folderLock;
QString g_baseFolder;  // empty: the user's data folder
QString g_knownFolder; // the Log folder once it exists

// Called with g_folderLock held.
QString LogFolderLocked()
{
    QString base = g_baseFolder;
    if (base.isEmpty())
        base = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (base.isEmpty()) // no home folder to be found
        base = QDir::currentPath();
    return QDir::cleanPath(QDir(base).filePath(QStringLiteral("Log")));
}

// The Log folder with a trailing slash, created when missing (also when it
// was removed while the program runs); empty while it cannot be created (the
// files then go to the current folder, retried next time).
QString CreatedLogFolder()
{
    QMutexLocker lock(&g_folderLock);
    if (!g_knownFolder.isEmpty() && QFileInfo(g_knownFolder).isDir())
        return g_knownFolder;
    g_knownFolder.clear();
    QString folder = LogFolderLocked();
    if (QDir().mkpath(folder) && QFileInfo(folder).isDir()) {
        g_knownFolder = folder + QLatin1Char('/');
        return g_knownFolder;
    }
    return QString();
}
} // namespace

QString LogFolder()
{
    QMutexLocker lock(&g_folderLock);
    return LogFolderLocked();
}

bool MakeLogFolder()
{
    return !CreatedLogFolder().isEmpty();
}

namespace {
std::atomic<std::uint32_t (*)()> g_msOfDaySource{nullptr};
} // namespace

void SetMsOfDaySource(std::uint32_t (*source)())
{
    g_msOfDaySource.store(source);
}

std::uint32_t MsOfDay()
{
    if (auto source = g_msOfDaySource.load())
        return source();
    QDateTime now = QDateTime::currentDateTime();
    std::uint32_t seconds = static_cast<std::uint32_t>(now.toSecsSinceEpoch() + now.offsetFromUtc());
    return seconds * 1000u + static_cast<std::uint32_t>(now.time().msec());
}

std::int64_t MonotonicMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
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
        .arg(CreatedLogFolder(), kind, QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")), extension);
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
    const std::uint32_t now = m_clock();
    if (Due(now))
        Flush(); // the byte belongs to the next burst
    if (m_count == 0)
        m_deadline = now + kLineMs;
    m_buf[m_count++] = byte;
    if (m_count == sizeof m_buf)
        Flush();
}

int LogRxBuffer::MsUntilDue() const
{
    if (m_count == 0)
        return -1;
    const auto left = static_cast<std::int32_t>(m_deadline - m_clock());
    return left > 0 ? left : 0;
}

void LogRxBuffer::FlushIfDue()
{
    if (Due(m_clock()))
        Flush();
}

void LogRxBuffer::Flush()
{
    if (m_count == 0)
        return;
    std::string line = "\n" + HexText(m_buf, m_count);
    m_count = 0;
    AppendGbk(LogFilePath(QStringLiteral("Log_RX"), QStringLiteral("txt")), QString::fromLatin1(line));
}
