// The program as a process: --help/--version without a display, the crash
// dump in the Log folder of the user's data folder (and its marker file), one
// running copy per user.
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
        env.insert(QStringLiteral("XDG_DATA_HOME"), folder);
        env.insert(QStringLiteral("PYLVEX_INSTANCE_NAME"), instance);
        env.remove(QStringLiteral("PYLVEX_TEST_CRASH"));
        // The texts checked below are Chinese, whatever the machine's locale.
        env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
        env.remove(QStringLiteral("LC_MESSAGES"));
        env.insert(QStringLiteral("LANGUAGE"), QStringLiteral("zh_CN"));
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

// The Log folder of a child whose data folder is folder.
QString LogFolderOf(const QString &folder)
{
    return folder + QStringLiteral("/Oramek/Pylvex/Log");
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
        const QString logs = LogFolderOf(dir.path());
        QVERIFY(QDir().mkpath(logs));
        const QDateTime before = QDateTime::currentDateTimeUtc();
        const QString stale = DumpName(before, zone);
        {
            QFile old(QDir(logs).filePath(stale));
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
        QCOMPARE(Dumps(dir.path()), QStringList()); // none in the current folder
        for (const QString &name : Dumps(logs)) {
            QFile f(QDir(logs).filePath(name));
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
        QCOMPARE(Dumps(LogFolderOf(dir.path())), QStringList());
    }

    // A start with a device that does not exist says so on standard error.
    void missingStartDevice()
    {
        QTemporaryDir dir;
        Child child(dir.path(), InstanceName());
        child.process.start(ProgramPath(), {QStringLiteral("--port"), QStringLiteral("/dev/does-not-exist")});
        QVERIFY(child.process.waitForStarted());
        QString err;
        QTRY_VERIFY_WITH_TIMEOUT((err += QString::fromUtf8(child.process.readAllStandardError()))
                                     .contains(QStringLiteral("串口 /dev/does-not-exist 不存在")),
                                 10000);
        QVERIFY2(!err.contains(QStringLiteral("解析串口号失败")), qPrintable(err));
        child.process.terminate();
        QVERIFY(child.process.waitForFinished(10000));
    }

    // --help tells where the files and the settings are kept.
    void helpNamesTheFolders()
    {
        QTemporaryDir dir;
        Child child(dir.path(), InstanceName());
        child.Set(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("no-such-platform"));
        QVERIFY(child.Run({QStringLiteral("--help")}));
        QCOMPARE(child.process.exitCode(), 0);
        const QString out = QString::fromUtf8(child.process.readAllStandardOutput());
        QVERIFY2(out.contains(LogFolderOf(dir.path())), qPrintable(out));
        QVERIFY2(out.contains(dir.path() + QStringLiteral("/Oramek/Pylvex.ini")), qPrintable(out));
        QVERIFY(!QFileInfo::exists(LogFolderOf(dir.path()))); // telling makes nothing
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
        // A second start with a port says what became of it.
        Child withPort(dir.path(), instance);
        QVERIFY(withPort.Run({QStringLiteral("--port"), QStringLiteral("ttyUSB7")}, 10000));
        QCOMPARE(withPort.process.exitCode(), 0);
        const QString err = QString::fromUtf8(withPort.process.readAllStandardError());
        QVERIFY2(err.contains(QStringLiteral("Pylvex 已在运行，已将它的窗口调到前面。")), qPrintable(err));
        QVERIFY2(err.contains(QStringLiteral("ttyUSB7")), qPrintable(err));
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
