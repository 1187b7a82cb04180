// The program as a process: --help/--version without a display, the crash
// dump in the current folder (and its marker file), one running copy per user.
#include "app/pylvexapp.h"

#include <QLocalSocket>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimeZone>
#include <QtTest>

#include <csignal>

#include "gui/widget_test_main.h"
#include <unistd.h>

namespace {

QString ProgramPath()
{
    QString path = qEnvironmentVariable("PYLVEX_BIN");
    return path.isEmpty() ? QCoreApplication::applicationDirPath() + QStringLiteral("/../src/pylvex") : path;
}

// A child run of the program in its own current folder and profile folder.
class Child {
public:
    explicit Child(const QString &folder, const QString &instance)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), folder);
        env.insert(QStringLiteral("PYLVEX_INSTANCE_NAME"), instance);
        env.remove(QStringLiteral("PYLVEX_TEST_CRASH"));
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(folder);
    }
    void Set(const QString &name, const QString &value)
    {
        QProcessEnvironment env = process.processEnvironment();
        env.insert(name, value);
        process.setProcessEnvironment(env);
    }
    bool Run(const QStringList &args, int timeoutMs = 15000)
    {
        process.start(ProgramPath(), args);
        return process.waitForFinished(timeoutMs);
    }
    QProcess process;
};

QString InstanceName()
{
    return QStringLiteral("pylvex_e2e_%1_%2")
        .arg(QCoreApplication::applicationPid())
        .arg(QRandomGenerator::global()->generate());
}

// True once some process holds the running-copy name.
bool NameHeld(const QString &instance)
{
    QLocalSocket socket;
    socket.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
    socket.connectToServer(instance + QLatin1Char('_') + QString::number(::getuid()));
    return socket.waitForConnected(200);
}

QString DumpName(const QDateTime &utc, const QString &zone)
{
    return utc.toTimeZone(QTimeZone(zone.toLatin1())).toString(QStringLiteral("yyyyMMdd_HHmm")) +
           QStringLiteral("_bms_core_dump.dmp");
}

QStringList Dumps(const QString &folder)
{
    return QDir(folder).entryList({QStringLiteral("*_bms_core_dump.dmp")}, QDir::Files);
}

} // namespace

class TestStartupProcess : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        if (!QFileInfo::exists(ProgramPath()))
            QSKIP("the program is not built");
    }

    // Text-only runs never open a window: they work with no usable display.
    void textOnly_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        QTest::newRow("--help") << QStringList{"--help"} << 0 << "--port"
                                << "";
        QTest::newRow("-h") << QStringList{"-h"} << 0 << "--demo"
                            << "";
        QTest::newRow("--version") << QStringList{"--version"} << 0 << "Pylvex 1.0.1.0\n"
                                   << "";
        QTest::newRow("unknown option") << QStringList{"--bogus"} << 2 << ""
                                        << "--help";
        QTest::newRow("demo and port") << QStringList{"--demo", "--port", "ttyS0"} << 2 << ""
                                       << "--demo";
    }
    void textOnly()
    {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, out);
        QFETCH(QString, err);
        QTemporaryDir dir;
        Child child(dir.path(), InstanceName());
        child.Set(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("no-such-platform"));
        QVERIFY(child.Run(args));
        QCOMPARE(child.process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(child.process.exitCode(), exitCode);
        const QString stdOut = QString::fromUtf8(child.process.readAllStandardOutput());
        const QString stdErr = QString::fromUtf8(child.process.readAllStandardError());
        if (out.isEmpty())
            QVERIFY(stdOut.isEmpty());
        else
            QVERIFY2(stdOut.contains(out), qPrintable(stdOut));
        if (!err.isEmpty())
            QVERIFY2(stdErr.contains(err), qPrintable(stdErr));
    }

    // A fatal signal inside the running program leaves one dump named after the
    // local time, replacing an older file of the same minute, and the process dies of it.
    void crashDump_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("signal");
        QTest::addColumn<QString>("zone");
        auto row = [](const char *kind, const char *signal, const char *zone) {
            QTest::newRow(kind) << QString::fromLatin1(kind) << QString::fromLatin1(signal)
                                << QString::fromLatin1(zone);
        };
        row("segv", "Signal: 11 (SIGSEGV)", "Asia/Shanghai");
        row("abort", "Signal: 6 (SIGABRT)", "America/New_York");
        row("bus", "Signal: 7 (SIGBUS)", "UTC");
        row("fpe", "Signal: 8 (SIGFPE)", "UTC");
        row("ill", "Signal: 4 (SIGILL)", "UTC");
        row("segv-thread", "Signal: 11 (SIGSEGV)", "UTC");
    }
    void crashDump()
    {
        QFETCH(QString, kind);
        QFETCH(QString, signal);
        QFETCH(QString, zone);
        QTemporaryDir dir;
        const QDateTime before = QDateTime::currentDateTimeUtc();
        const QString stale = DumpName(before, zone);
        {
            QFile old(dir.filePath(stale));
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write(QByteArray(100000, 's'));
        }
        Child child(dir.path(), InstanceName());
        child.Set(QStringLiteral("PYLVEX_TEST_CRASH"), kind);
        child.Set(QStringLiteral("TZ"), zone);
        QVERIFY(child.Run({}));
        const QDateTime after = QDateTime::currentDateTimeUtc();
        QCOMPARE(child.process.exitStatus(), QProcess::CrashExit);

        QStringList expected{DumpName(before, zone), DumpName(after, zone)};
        QString found;
        for (const QString &name : Dumps(dir.path())) {
            QFile f(dir.filePath(name));
            QVERIFY(f.open(QIODevice::ReadOnly));
            const QByteArray text = f.readAll();
            if (!text.contains(signal.toLatin1()))
                continue;
            QVERIFY2(found.isEmpty(), "more than one dump");
            found = name;
            QVERIFY2(!text.contains("sss"), "the older file of the same name was not replaced");
            QVERIFY(text.contains("Backtrace:\n"));
            QVERIFY(text.contains("pylvex"));
            QVERIFY(text.contains("Memory map:\n"));
        }
        QVERIFY2(expected.contains(found), qPrintable(found + " not in " + expected.join(',')));
    }

    void noDumpWithMarker()
    {
        QTemporaryDir dir;
        QFile marker(dir.filePath(QStringLiteral("NoCoreDump.dmp")));
        QVERIFY(marker.open(QIODevice::WriteOnly));
        marker.close();
        Child child(dir.path(), InstanceName());
        child.Set(QStringLiteral("PYLVEX_TEST_CRASH"), QStringLiteral("segv"));
        QVERIFY(child.Run({}));
        // The process dies (a sanitizer's own handler reports the fault with an exit code instead).
        QVERIFY(child.process.exitStatus() == QProcess::CrashExit || child.process.exitCode() != 0);
        QCOMPARE(Dumps(dir.path()), QStringList());
    }

    // SIGTERM, SIGINT and SIGHUP end the program as closing its window does.
    void terminationSignal_data()
    {
        QTest::addColumn<int>("sig");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGINT") << int(SIGINT);
        QTest::newRow("SIGHUP") << int(SIGHUP);
    }
    void terminationSignal()
    {
        QFETCH(int, sig);
        QTemporaryDir dir;
        const QString instance = InstanceName();
        Child child(dir.path(), instance);
        child.process.start(ProgramPath(), {});
        QVERIFY(child.process.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(NameHeld(instance), 10000);
        ::kill(pid_t(child.process.processId()), sig);
        QVERIFY(child.process.waitForFinished(10000));
        QCOMPARE(child.process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(child.process.exitCode(), 0);
        // The window was closed in order: it stored the settings.
        QSettings profile(dir.filePath(QStringLiteral("Oramek/Pylvex.ini")), QSettings::IniFormat);
        QCOMPARE(profile.value(QStringLiteral("IniProfile/CmdSndInvl")).toString(), QStringLiteral("400"));
    }

    // A second copy ends at once while the first goes on; a killed copy never
    // blocks the next start.
    void oneCopyPerUser()
    {
        QTemporaryDir dir;
        const QString instance = InstanceName();
        Child first(dir.path(), instance);
        first.process.start(ProgramPath(), {});
        QVERIFY(first.process.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(NameHeld(instance), 10000);

        Child second(dir.path(), instance);
        QVERIFY(second.Run({}, 10000));
        QCOMPARE(second.process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.process.exitCode(), 0);
        QCOMPARE(first.process.state(), QProcess::Running);

        first.process.kill();
        QVERIFY(first.process.waitForFinished());
        Child third(dir.path(), instance);
        third.process.start(ProgramPath(), {});
        QVERIFY(third.process.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(NameHeld(instance), 10000);
        QCOMPARE(third.process.state(), QProcess::Running);
        third.process.kill();
        third.process.waitForFinished();
    }
};

int main(int argc, char **argv)
{
    return RunWidgetTest<TestStartupProcess>(argc, argv);
}

#include "test_startup_process.moc"
