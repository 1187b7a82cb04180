// Start-up inside one process: the command line, the dump file name, the
// single running copy (also against the real program as the second copy) and
// exceptions escaping event handlers.
#include "app/pylvexapp.h"
#include "app/startup/commandline.h"
#include "app/startup/crashhandler.h"
#include "app/startup/singleinstance.h"
#include "files/logfiles.h"

#include <QLocalSocket>
#include <QProcess>
#include <QPushButton>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QWidget>
#include <QtTest>

#include "gui/widget_test_main.h"
#include <stdexcept>

namespace {

// A widget whose handler of one event type throws what it is told to.
class ThrowingWidget : public QWidget {
public:
    static constexpr QEvent::Type kThrowEvent = QEvent::Type(QEvent::User + 500);
    std::function<void()> thrower;
    int handled = 0;

protected:
    bool event(QEvent *e) override
    {
        if (e->type() != kThrowEvent)
            return QWidget::event(e);
        ++handled;
        thrower();
        return true;
    }
};

QString ReadLogInfo(const QString &folder)
{
    QDir dir(folder + QStringLiteral("/Log"));
    const QStringList files = dir.entryList({QStringLiteral("Log_info_*.txt")}, QDir::Files);
    if (files.size() != 1)
        return QString();
    QFile f(dir.filePath(files.first()));
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    QStringDecoder gbk("GBK");
    return gbk(f.readAll());
}

QString UniqueInstanceName()
{
    return QStringLiteral("pylvex_test_%1_%2")
        .arg(QCoreApplication::applicationPid())
        .arg(QRandomGenerator::global()->generate());
}

QString ProgramPath()
{
    QString path = qEnvironmentVariable("PYLVEX_BIN");
    return path.isEmpty() ? QCoreApplication::applicationDirPath() + QStringLiteral("/../src/pylvex") : path;
}

} // namespace

class TestStartup : public QObject {
    Q_OBJECT
private slots:
    void commandLine_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("action");
        QTest::addColumn<QString>("port");
        QTest::addColumn<bool>("demo");
        using A = StartupOptions::Action;
        QTest::newRow("nothing") << QStringList{} << int(A::Run) << "" << false;
        QTest::newRow("port") << QStringList{"--port", "/dev/pts/7"} << int(A::Run) << "/dev/pts/7" << false;
        QTest::newRow("port=") << QStringList{"--port=ttyUSB0"} << int(A::Run) << "ttyUSB0" << false;
        QTest::newRow("demo") << QStringList{"--demo"} << int(A::Run) << "" << true;
        QTest::newRow("help") << QStringList{"--help"} << int(A::ShowHelp) << "" << false;
        QTest::newRow("-h wins") << QStringList{"--demo", "-h"} << int(A::ShowHelp) << "" << false;
        QTest::newRow("version") << QStringList{"--version"} << int(A::ShowVersion) << "" << false;
        QTest::newRow("unknown option") << QStringList{"--bogus"} << int(A::Fail) << "" << false;
        QTest::newRow("stray argument") << QStringList{"ttyUSB0"} << int(A::Fail) << "" << false;
        QTest::newRow("port without device") << QStringList{"--port"} << int(A::Fail) << "" << false;
        QTest::newRow("blank device") << QStringList{"--port", "  "} << int(A::Fail) << "" << false;
        QTest::newRow("two ports") << QStringList{"--port", "a", "--port", "b"} << int(A::Fail) << "" << false;
        QTest::newRow("demo and port") << QStringList{"--demo", "--port", "a"} << int(A::Fail) << "" << false;
    }
    void commandLine()
    {
        QFETCH(QStringList, args);
        QFETCH(int, action);
        QFETCH(QString, port);
        QFETCH(bool, demo);
        args.prepend(QStringLiteral("/usr/bin/pylvex"));
        const StartupOptions o = ParseStartupOptions(args);
        QCOMPARE(int(o.action), action);
        if (o.action == StartupOptions::Action::Run) {
            QCOMPARE(o.port, port);
            QCOMPARE(o.demo, demo);
        } else {
            QVERIFY(!o.text.isEmpty());
        }
    }

    void dumpName_data()
    {
        QTest::addColumn<QDateTime>("local");
        QTest::addColumn<QString>("name");
        auto at = [](int y, int mo, int d, int h, int mi, int s) {
            return QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::UTC);
        };
        QTest::newRow("09:05 on 3 March 2024") << at(2024, 3, 3, 9, 5, 41) << "20240303_0905_bms_core_dump.dmp";
        QTest::newRow("leap day") << at(2000, 2, 29, 23, 59, 59) << "20000229_2359_bms_core_dump.dmp";
        QTest::newRow("new year") << at(2027, 1, 1, 0, 0, 0) << "20270101_0000_bms_core_dump.dmp";
        QTest::newRow("no leap day 2100") << at(2100, 3, 1, 12, 30, 0) << "21000301_1230_bms_core_dump.dmp";
        QTest::newRow("before 1970") << at(1969, 12, 31, 23, 58, 0) << "19691231_2358_bms_core_dump.dmp";
    }
    void dumpName()
    {
        QFETCH(QDateTime, local);
        QFETCH(QString, name);
        char buf[64];
        const std::size_t n = crash::FormatDumpName(local.toSecsSinceEpoch(), buf, sizeof buf);
        QCOMPARE(QString::fromLatin1(buf, qsizetype(n)), name);
        // A short buffer is cut, never overrun.
        char small[9];
        QCOMPARE(crash::FormatDumpName(local.toSecsSinceEpoch(), small, sizeof small), std::size_t(8));
        QCOMPARE(QString::fromLatin1(small), name.left(8));
    }

    // A later copy reaches the running one, which comes forward once its window exists;
    // anything else a peer sends is ignored.
    void singleInstanceInProcess_data()
    {
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<bool>("raises");
        QTest::addColumn<bool>("dropped");
        QTest::newRow("raise") << QByteArray("raise\n") << true << false;
        QTest::newRow("other text") << QByteArray("hello\n") << false << false;
        QTest::newRow("no line end") << QByteArray("raise") << false << false;
        QTest::newRow("flood") << QByteArray(100000, 'x') << false << true;
    }
    void singleInstanceInProcess()
    {
        QFETCH(QByteArray, payload);
        QFETCH(bool, raises);
        QFETCH(bool, dropped);
        const QString name = UniqueInstanceName();
        SingleInstance first(name);
        QVERIFY(first.Claim());
        SingleInstance second(name);
        QVERIFY(!second.Claim());
        QVERIFY(!second.IsRunningCopy());
        QSignalSpy raised(&first, &SingleInstance::raiseRequested);

        QLocalSocket peer;
        peer.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
        peer.connectToServer(name);
        QVERIFY(peer.waitForConnected(2000));
        peer.write(payload);
        peer.flush();
        if (raises) {
            QTRY_COMPARE_WITH_TIMEOUT(raised.count(), 1, 2000);
        } else {
            QTest::qWait(300);
            QCOMPARE(raised.count(), 0);
        }
        QCOMPARE(peer.state() == QLocalSocket::UnconnectedState, dropped);
        // The request came before the window existed: it is applied when the window is set.
        QWidget window;
        window.showMinimized();
        first.SetWindow(&window);
        QCOMPARE(window.isMinimized(), !raises);
    }

    void raiseViaRequest()
    {
        const QString name = UniqueInstanceName();
        SingleInstance first(name);
        QVERIFY(first.Claim());
        QWidget window;
        first.SetWindow(&window);
        window.showMinimized();
        QVERIFY(window.isMinimized());
        SingleInstance second(name);
        QVERIFY(!second.Claim());
        QVERIFY(second.RaiseRunning(2000));
        QTRY_VERIFY_WITH_TIMEOUT(!window.isMinimized(), 2000);
        QVERIFY(window.isVisible());
    }

    void nameIsFreeAfterTheRunningCopyEnds()
    {
        const QString name = UniqueInstanceName();
        {
            SingleInstance first(name);
            QVERIFY(first.Claim());
        }
        SingleInstance next(name);
        QVERIFY(next.Claim());
    }

    // The real program started while this process holds the name ends at once
    // without a window and brings this process's window forward.
    void secondCopyOfProgramEnds()
    {
        if (!QFileInfo::exists(ProgramPath()))
            QSKIP("the program is not built");
        const QString base = UniqueInstanceName();
        qputenv("PYLVEX_INSTANCE_NAME", base.toUtf8());
        SingleInstance first(SingleInstance::DefaultName());
        qunsetenv("PYLVEX_INSTANCE_NAME");
        QVERIFY(first.Claim());
        QWidget window;
        first.SetWindow(&window);
        window.showMinimized();
        QSignalSpy raised(&first, &SingleInstance::raiseRequested);

        QTemporaryDir home;
        QProcess second;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("PYLVEX_INSTANCE_NAME"), base);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path());
        second.setProcessEnvironment(env);
        second.setWorkingDirectory(home.path());
        second.start(ProgramPath(), {});
        QVERIFY(second.waitForStarted(5000));
        // The event loop must run meanwhile: the request is read by it.
        QTRY_VERIFY_WITH_TIMEOUT(second.state() == QProcess::NotRunning, 10000);
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(raised.count(), 1, 2000);
        QVERIFY(!window.isMinimized());
    }

    void exceptionFromHandler_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("posted");
        QTest::addColumn<QString>("logged");
        const QString prefix = QStringLiteral("捕获未被处理的异常：");
        QTest::newRow("std exception, sent") << 0 << false << prefix + "端口状态错误";
        QTest::newRow("std exception, posted") << 0 << true << prefix + "端口状态错误";
        QTest::newRow("no text") << 1 << true << prefix + "出现内部应用程序错误。";
        QTest::newRow("not a std exception") << 2 << false << prefix + "出现内部应用程序错误。";
        QTest::newRow("long text cut at 512") << 3 << true << prefix + QString(512, QLatin1Char('z'));
    }
    void exceptionFromHandler()
    {
        QFETCH(int, kind);
        QFETCH(bool, posted);
        QFETCH(QString, logged);
        QTemporaryDir base;
        SetLogBaseFolder(base.path());
        ThrowingWidget w;
        w.thrower = [kind] {
            switch (kind) {
            case 0: throw std::runtime_error("端口状态错误");
            case 1: throw std::runtime_error("");
            case 2: throw 42;
            default: throw std::runtime_error(std::string(600, 'z'));
            }
        };
        if (posted) {
            QCoreApplication::postEvent(&w, new QEvent(ThrowingWidget::kThrowEvent));
        } else {
            QEvent event(ThrowingWidget::kThrowEvent);
            QCoreApplication::sendEvent(&w, &event);
        }
        QTRY_COMPARE_WITH_TIMEOUT(w.handled, 1, 2000);
        // The program goes on: the next event is delivered as usual.
        bool later = false;
        QTimer::singleShot(0, &w, [&] { later = true; });
        QTRY_VERIFY_WITH_TIMEOUT(later, 2000);
        QCOMPARE(ReadLogInfo(base.path()), logged + QLatin1Char('\n'));
        SetLogBaseFolder(QString());
    }

    // A throwing slot behind a timer: logged once, the timer keeps running.
    void exceptionFromTimerSlot()
    {
        QTemporaryDir base;
        SetLogBaseFolder(base.path());
        QTimer timer;
        int ticks = 0;
        connect(&timer, &QTimer::timeout, this, [&] {
            if (++ticks == 1)
                throw std::out_of_range("帧长度越界");
        });
        timer.start(10);
        QTRY_VERIFY_WITH_TIMEOUT(ticks >= 3, 2000);
        timer.stop();
        QCOMPARE(ReadLogInfo(base.path()), QStringLiteral("捕获未被处理的异常：帧长度越界\n"));
        SetLogBaseFolder(QString());
    }

    // A throwing button handler: the exception crosses the widget code; the
    // button keeps working afterwards.
    void exceptionFromButtonClick()
    {
        QTemporaryDir base;
        SetLogBaseFolder(base.path());
        QPushButton button(QStringLiteral("打开串口"));
        button.show();
        QVERIFY(QTest::qWaitForWindowExposed(&button));
        int clicks = 0;
        connect(&button, &QPushButton::clicked, this, [&] {
            if (++clicks == 1)
                throw std::runtime_error("串口打开失败");
        });
        QTest::mouseClick(&button, Qt::LeftButton);
        QTest::mouseClick(&button, Qt::LeftButton);
        QCOMPARE(clicks, 2);
        QCOMPARE(ReadLogInfo(base.path()), QStringLiteral("捕获未被处理的异常：串口打开失败\n"));
        SetLogBaseFolder(QString());
    }
};

int main(int argc, char **argv)
{
    return RunWidgetTest<TestStartup>(argc, argv);
}

#include "test_startup.moc"
