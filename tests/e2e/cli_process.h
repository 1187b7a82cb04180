// The command-line program and the simulated board as processes for the
// end-to-end tests of pylvexctl: the board on a pseudo-terminal, the program
// run against it with its own profile folder.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>

#include <csignal>
#include <memory>

inline QString BuiltProgram(const char *name)
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/../src/") + QLatin1String(name);
}

// pylvex-sim with the given switches, serving a pseudo-terminal.
class SimProcess {
public:
    bool Start(const QStringList &switches = {})
    {
        m_process.start(BuiltProgram("pylvex-sim"), switches);
        if (!m_process.waitForStarted(5000) || !m_process.waitForReadyRead(5000))
            return false;
        m_device = QString::fromLocal8Bit(m_process.readLine()).trimmed();
        return m_device.startsWith(QStringLiteral("/dev/"));
    }
    const QString &Device() const { return m_device; }
    // What the board wrote on standard error since the last call (its trace with --verbose).
    QByteArray TakeErrors() { return m_process.readAllStandardError(); }
    void Kill()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
    ~SimProcess() { Kill(); }

private:
    QProcess m_process;
    QString m_device;
};

struct CliResult {
    bool finished = false;
    int exitCode = -1;
    QByteArray out;
    QString err;
    qint64 wallMs = 0;
    QJsonDocument Json() const { return QJsonDocument::fromJson(out); }
};

// The password the window takes while no password is stored.
inline constexpr const char *kDefaultTestPassword = "kvmrt";

// The programs' messages in Chinese, whatever the locale of the machine: a
// UTF-8 locale every system has, and Chinese as the language asked for.
inline void PinChinese(QProcessEnvironment &env)
{
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    env.remove(QStringLiteral("LC_MESSAGES"));
    env.insert(QStringLiteral("LANGUAGE"), QStringLiteral("zh_CN"));
}

// The environment of a run: the profile and the password file in
// profileFolder, the password given by PYLVEX_PASSWORD, the messages in Chinese.
inline QProcessEnvironment CliEnvironment(const QString &profileFolder, const QString &password = kDefaultTestPassword)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), profileFolder);
    env.insert(QStringLiteral("XDG_DATA_HOME"), profileFolder);
    env.insert(QStringLiteral("PYLVEX_PASSWORD"), password);
    PinChinese(env);
    return env;
}

// Runs pylvexctl to its end in the environment of CliEnvironment.
inline CliResult RunCli(const QStringList &args, const QString &profileFolder, int timeoutMs = 30000,
                        const QString &password = kDefaultTestPassword)
{
    QProcess p;
    p.setProcessEnvironment(CliEnvironment(profileFolder, password));
    CliResult r;
    QElapsedTimer clock;
    clock.start();
    p.start(BuiltProgram("pylvexctl"), args);
    r.finished = p.waitForFinished(timeoutMs);
    r.wallMs = clock.elapsed();
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}
