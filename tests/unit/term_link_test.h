// Helpers for the terminal link tests: a recorder of a link's signals, the
// process's threads, descriptors and CPU time, and socat as a peer that
// nobody here wrote.
#pragma once

#include "link/termlink.h"
#include "unit/test_link_pty.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QTcpServer>
#include <QUdpSocket>

#include <ctime>
#include <vector>

// Everything a link said, in order.
struct LinkRecorder {
    explicit LinkRecorder(TermLink *link)
    {
        QObject::connect(link, &TermLink::BytesReceived, link, [this](const QByteArray &b) { received += b; });
        QObject::connect(link, &TermLink::PeerBytesReceived, link, [this](const QString &peer, const QByteArray &b) {
            chunks.push_back({peer, b});
        });
        QObject::connect(link, &TermLink::ErrorOccurred, link, [this](const QString &text, bool lost) {
            errors.push_back(text);
            lostCount += lost;
        });
        QObject::connect(link, &TermLink::Closed, link, [this] { ++closedCount; });
        QObject::connect(link, &TermLink::Opened, link, [this] { ++openedCount; });
        QObject::connect(link, &TermLink::BytesWritten, link, [this](qint64 n) { written += n; });
    }
    struct Chunk {
        QString peer;
        QByteArray bytes;
    };
    QByteArray received;
    std::vector<Chunk> chunks;
    QStringList errors;
    int lostCount = 0;
    int closedCount = 0;
    int openedCount = 0;
    qint64 written = 0;
};

inline int CountOpenFds()
{
    return static_cast<int>(
        QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::NoDotAndDotDot | QDir::System).size());
}

inline int CountThreads()
{
    QFile file(QStringLiteral("/proc/self/status"));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    QByteArray status = file.readAll();
    int at = status.indexOf("Threads:");
    return at < 0 ? -1 : status.mid(at + 8, status.indexOf('\n', at) - at - 8).trimmed().toInt();
}

inline double ProcessCpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1000.0 + ts.tv_nsec / 1e6;
}

inline QString SocatPath()
{
    return QStandardPaths::findExecutable(QStringLiteral("socat"));
}

#define SKIP_WITHOUT_SOCAT()                                                                                           \
    do {                                                                                                               \
        if (SocatPath().isEmpty())                                                                                     \
            GTEST_SKIP() << "socat is not installed (Debian package socat, listed in scripts/setup.sh)";               \
    } while (0)

// A socat process; its standard input and output are the test's end.
class SocatPeer {
public:
    explicit SocatPeer(const QStringList &args)
    {
        m_process.setProgram(SocatPath());
        m_process.setArguments(args);
        m_process.setProcessChannelMode(QProcess::SeparateChannels);
        m_process.start();
        m_process.waitForStarted(3000);
    }
    ~SocatPeer() { Stop(); }
    SocatPeer(const SocatPeer &) = delete;
    SocatPeer &operator=(const SocatPeer &) = delete;

    bool Running() const { return m_process.state() == QProcess::Running; }
    void Send(const QByteArray &bytes)
    {
        m_process.write(bytes);
        m_process.waitForBytesWritten(3000);
    }
    // Collects standard output until `want` bytes came or timeoutMs passed.
    QByteArray Receive(qsizetype want, int timeoutMs)
    {
        PumpUntil(
            [&] {
                m_out += m_process.readAllStandardOutput();
                return m_out.size() >= want;
            },
            timeoutMs);
        QByteArray got = m_out;
        m_out.clear();
        return got;
    }
    void CloseInput() { m_process.closeWriteChannel(); }
    void Stop()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.kill();
        m_process.waitForFinished(3000);
    }
    QProcess &Process() { return m_process; }

private:
    QProcess m_process;
    QByteArray m_out;
};

// A free TCP or UDP port on 127.0.0.1 at the time of asking.
inline quint16 FreePort(bool udp)
{
    if (udp) {
        QUdpSocket socket;
        socket.bind(QHostAddress::LocalHost, 0);
        return socket.localPort();
    }
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    return server.serverPort();
}
