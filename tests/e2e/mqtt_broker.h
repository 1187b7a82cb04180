// A Mosquitto broker of the test's own, on a free loopback port with a
// throw-away configuration (and a password file when a login is wanted),
// and mosquitto_sub as the subscriber that sees what was published.
#pragma once

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>

#include <vector>

#include <unistd.h>

class MqttBroker {
public:
    static bool Installed()
    {
        return !QStandardPaths::findExecutable(QStringLiteral("mosquitto")).isEmpty() &&
               !QStandardPaths::findExecutable(QStringLiteral("mosquitto_sub")).isEmpty() &&
               !QStandardPaths::findExecutable(QStringLiteral("mosquitto_passwd")).isEmpty();
    }

    // user empty: anonymous clients are let in.
    bool Start(const QString &user = {}, const QString &password = {})
    {
        QTcpServer probe;
        if (!m_dir.isValid() || !probe.listen(QHostAddress::LocalHost, 0))
            return false;
        m_port = probe.serverPort();
        probe.close();
        QString config = QStringLiteral("listener %1 127.0.0.1\npersistence false\n").arg(m_port);
        if (::getuid() == 0)
            config += QStringLiteral("user root\n"); // else it would switch to a user that cannot read m_dir
        if (user.isEmpty()) {
            config += QStringLiteral("allow_anonymous true\n");
        } else {
            const QString file = m_dir.filePath(QStringLiteral("passwords"));
            if (QProcess::execute(QStringLiteral("mosquitto_passwd"), {"-b", "-c", file, user, password}) != 0)
                return false;
            config += QStringLiteral("allow_anonymous false\npassword_file %1\n").arg(file);
        }
        QFile f(m_dir.filePath(QStringLiteral("mosquitto.conf")));
        if (!f.open(QIODevice::WriteOnly) || f.write(config.toUtf8()) < 0)
            return false;
        f.close();
        return Restart();
    }

    // Starts the broker again on the same port (after Kill).
    bool Restart()
    {
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start(QStringLiteral("mosquitto"), {"-c", m_dir.filePath(QStringLiteral("mosquitto.conf"))});
        if (!m_process.waitForStarted(5000))
            return false;
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 10000 && m_process.state() == QProcess::Running) {
            QTcpSocket s;
            s.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(m_port));
            if (s.waitForConnected(200))
                return true;
            QThread::msleep(50);
        }
        return false;
    }

    void Kill()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
    ~MqttBroker() { Kill(); }

    int Port() const { return m_port; }
    QString Url(const QString &user = {}) const
    {
        const QString login = user.isEmpty() ? QString() : user + u'@';
        return QStringLiteral("mqtt://") + login + QStringLiteral("127.0.0.1:") + QString::number(m_port);
    }
    QString Log() { return QString::fromUtf8(m_process.readAll()); }

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    int m_port = 0;
};

// One message as mosquitto_sub printed it.
struct MqttReceived {
    double atSec = 0; // the subscriber's clock when it arrived (Unix time)
    bool retained = false;
    QString topic;
    QByteArray payload;
};

class MqttSubscriber {
public:
    bool Start(int port, const QStringList &topics, const QString &user = {}, const QString &password = {})
    {
        QStringList args{"-h", "127.0.0.1", "-p", QString::number(port), "-F", "%U %r %t %p", "-q", "1"};
        for (const QString &t : topics)
            args << "-t" << t;
        if (!user.isEmpty())
            args << "-u" << user << "-P" << password;
        m_process.start(QStringLiteral("mosquitto_sub"), args);
        if (!m_process.waitForStarted(5000))
            return false;
        QThread::msleep(300); // subscribed before anything is published
        return m_process.state() == QProcess::Running;
    }
    ~MqttSubscriber()
    {
        m_process.kill();
        m_process.waitForFinished(5000);
    }

    // The messages received since the last call, in order.
    std::vector<MqttReceived> Take()
    {
        m_pending += m_process.readAllStandardOutput();
        std::vector<MqttReceived> out;
        qsizetype end;
        while ((end = m_pending.indexOf('\n')) >= 0) {
            const QByteArray line = m_pending.left(end);
            m_pending.remove(0, end + 1);
            const QList<QByteArray> parts = line.split(' ');
            if (parts.size() < 3)
                continue;
            MqttReceived m;
            m.atSec = parts[0].toDouble();
            m.retained = parts[1] == "1";
            m.topic = QString::fromUtf8(parts[2]);
            m.payload = line.mid(parts[0].size() + parts[1].size() + parts[2].size() + 3);
            out.push_back(std::move(m));
        }
        return out;
    }

private:
    QProcess m_process;
    QByteArray m_pending;
};
