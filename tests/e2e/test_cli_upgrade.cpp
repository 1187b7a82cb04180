// pylvexctl upgrade against pylvex-sim, at the ends of a run: every byte the
// run queued (the YModem cancel, the closing frame of a wrapped run) reaches
// the board before the program ends; a board slow to restart is waited for,
// and one that stays silent ends with an exit status of its own; the
// password belongs to the board's own YModem loader only; the rows a run
// shows speak of the command line; the retransmission waits its full time;
// block 0 names the file in GBK.
#include "e2e/cli_process.h"

#include <QFile>
#include <QJsonObject>
#include <QRegularExpression>
#include <QtTest>

namespace {
QStringList On(const QString &device, int interval, const QStringList &args)
{
    return QStringList{QStringLiteral("--port"), device, QStringLiteral("--interval"), QString::number(interval)} +
           args;
}

QString WriteImage(const QString &folder, const QString &name, int n)
{
    QByteArray bytes(n, Qt::Uninitialized);
    for (int i = 0; i < n; ++i)
        bytes[i] = static_cast<char>((i * 131 + n) & 0xFF);
    const QString path = folder + u'/' + name;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != n)
        return QString();
    return path;
}

// The bytes the board received, as one hex text ("4d 53 ..."), from its trace.
QString Received(const QByteArray &trace)
{
    QString hex;
    for (const QByteArray &line : trace.split('\n'))
        if (line.startsWith("<< "))
            hex += QString::fromLatin1(line.mid(3));
    return hex;
}

const QString kClosingHex = QStringLiteral("4d 53 01 02 01 00 57 00 0d 0a ");
} // namespace

class TestCliUpgrade : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_profile;

private slots:
    void initTestCase() { QVERIFY(QFileInfo(BuiltProgram("pylvexctl")).isExecutable()); }

    void everyQueuedByteReachesTheBoard_data()
    {
        QTest::addColumn<QString>("transport");
        QTest::addColumn<QStringList>("switches");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("lastBytes"); // what the board heard last
        // A NAK of the first data block makes the sender cancel.
        QTest::newRow("raw, cancelled") << "raw" << QStringList{"--ym-nak", "1"} << 1 << QStringLiteral("18 18 ");
        QTest::newRow("wrapped, cancelled")
            << "wrapped" << QStringList{"--ym-nak", "1"} << 1 << QStringLiteral("02 18 18 ");
        QTest::newRow("wrapped, done") << "wrapped" << QStringList{} << 0 << QString();
    }
    void everyQueuedByteReachesTheBoard()
    {
        QFETCH(QString, transport);
        QFETCH(QStringList, switches);
        QFETCH(int, exitCode);
        QFETCH(QString, lastBytes);
        SimProcess board;
        QVERIFY(board.Start(QStringList{"--repeater", "--verbose"} + switches));
        const QString image = WriteImage(m_profile.path(), QStringLiteral("fw-end.bin"), 1024 + 100);
        // The default interval: queued bytes wait 400 ms of quiet before they leave.
        CliResult r =
            RunCli(On(board.Device(), 400, {"upgrade", image, "--ymodem", transport}), m_profile.path(), 120000);
        QVERIFY2(r.finished, qPrintable(r.err));
        QVERIFY2(r.exitCode == exitCode, qPrintable(r.err));
        QVERIFY2(!r.err.contains(QStringLiteral("仍有数据没有发出")), qPrintable(r.err));
        QString heard;
        QTRY_VERIFY_WITH_TIMEOUT((heard += Received(board.TakeErrors()),
                                  transport == "wrapped" ? heard.contains(kClosingHex) : heard.endsWith(lastBytes)),
                                 5000);
        if (!lastBytes.isEmpty() && transport == "wrapped") {
            // The cancel's frame, then the closing frame, and nothing after it.
            QVERIFY2(heard.endsWith(kClosingHex), qPrintable(heard.right(120)));
            const QString beforeClosing = heard.left(heard.size() - kClosingHex.size());
            QVERIFY(beforeClosing.right(24).contains(lastBytes));
        }
    }

    void aBoardSlowToRestartIsWaitedFor_data()
    {
        QTest::addColumn<int>("restartSeconds");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("shown");
        QTest::newRow("back after 3 s") << 3 << 0 << QStringLiteral("等待板卡重启");
        QTest::newRow("silent for good") << 60 << 4 << QStringLiteral("升级文件已被板卡接收");
    }
    void aBoardSlowToRestartIsWaitedFor()
    {
        QFETCH(int, restartSeconds);
        QFETCH(int, exitCode);
        QFETCH(QString, shown);
        SimProcess board;
        QVERIFY(board.Start({"--restart-silent", QString::number(restartSeconds)}));
        const QString image = WriteImage(m_profile.path(), QStringLiteral("fw-restart.bin"), 600);
        CliResult r = RunCli(On(board.Device(), 10, {"upgrade", image, "--json"}), m_profile.path(), 120000);
        QVERIFY2(r.exitCode == exitCode, qPrintable(r.err));
        QVERIFY2(r.err.contains(shown), qPrintable(r.err));
        if (exitCode == 0)
            QVERIFY(r.Json().object()["version_changed"].toBool());
        else
            QVERIFY(r.out.isEmpty());
        // Bounded: the wait gives up after a few seconds.
        QVERIFY(r.wallMs < 40000);
    }

    void onlyTheBoardsOwnLoaderAsksForThePassword_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("command protocol") << QStringList{} << 0;
        QTest::newRow("repeater's loader") << QStringList{"--ymodem", "raw"} << 0;
        QTest::newRow("board's own loader") << QStringList{"--ymodem", "wrapped"} << 2;
    }
    void onlyTheBoardsOwnLoaderAsksForThePassword()
    {
        QFETCH(QStringList, options);
        QFETCH(int, exitCode);
        SimProcess board;
        QVERIFY(board.Start({"--repeater"}));
        const QString image = WriteImage(m_profile.path(), QStringLiteral("fw-pw.bin"), 300);
        CliResult r = RunCli(On(board.Device(), 10, QStringList{"upgrade", image} + options), m_profile.path(), 60000,
                             QStringLiteral("wrong-password"));
        QVERIFY2(r.exitCode == exitCode, qPrintable(r.err));
        QCOMPARE(r.err.contains(QStringLiteral("密码")), exitCode == 2);
    }

    void anUnansweredResendIsReportedForTheCommandLineAfterTwoSeconds()
    {
        SimProcess board;
        // The upgrade request is never answered.
        QVERIFY(board.Start({"--fw-drop-answer", "2"}));
        const QString image = WriteImage(m_profile.path(), QStringLiteral("fw-silent.bin"), 300);
        QProcess p;
        p.setProcessEnvironment(CliEnvironment(m_profile.path()));
        p.start(BuiltProgram("pylvexctl"), On(board.Device(), 10, {"upgrade", image, "--verbose"}));
        QVERIFY(p.waitForStarted(5000));
        // The times the upgrade request's frame was handed to the port.
        const QByteArray request = "4d 53 03 26";
        QElapsedTimer clock;
        clock.start();
        QList<qint64> sent; // milliseconds since the program's start
        QByteArray pending, all;
        auto take = [&] {
            pending += p.readAllStandardError();
            int at = 0;
            while ((at = pending.indexOf('\n')) >= 0) {
                const QByteArray line = pending.left(at);
                pending.remove(0, at + 1);
                all += line + '\n';
                // "→ [seconds since the start] hex", as the program itself timed it.
                static const QRegularExpression traced(QStringLiteral("^→ \\[(\\d+\\.\\d+)\\] "));
                const QRegularExpressionMatch m = traced.match(QString::fromUtf8(line));
                if (m.hasMatch() && line.contains(request))
                    sent << qRound64(m.captured(1).toDouble() * 1000);
            }
        };
        bool finished = false;
        while (!finished && clock.elapsed() < 60000) {
            finished = p.waitForFinished(10);
            take();
        }
        QVERIFY(finished);
        const QString rest = QString::fromUtf8(all + pending);
        QVERIFY2(rest.contains(QStringLiteral("仍然没有应答，请检查连接后重新运行 pylvexctl upgrade")),
                 qPrintable(rest));
        QVERIFY(!rest.contains(QStringLiteral("点击")));
        QCOMPARE(p.exitCode(), 3);
        // Sent, then sent once more no earlier than the retransmission's 2 s
        // (a timer of coarse precision fires up to 5 % early).
        QCOMPARE(sent.size(), 2);
        QVERIFY2(sent[1] - sent[0] >= 1998, qPrintable(QString::number(sent[1] - sent[0])));
    }

    void blockZeroNamesTheFileInGbk_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("Chinese") << QStringLiteral("固件.bin") << 0;
        QTest::newRow("outside GBK") << QStringLiteral("fw-\U0001F600.bin") << 2;
    }
    void blockZeroNamesTheFileInGbk()
    {
        QFETCH(QString, name);
        QFETCH(int, exitCode);
        SimProcess board;
        QVERIFY(board.Start({"--repeater", "--verbose"}));
        const QString image = WriteImage(m_profile.path(), name, 200);
        CliResult r = RunCli(On(board.Device(), 10, {"upgrade", image, "--ymodem", "raw"}), m_profile.path(), 60000);
        QVERIFY2(r.exitCode == exitCode, qPrintable(r.err));
        if (exitCode == 2) {
            QVERIFY2(r.err.contains(QStringLiteral("GBK")) && r.err.contains(QStringLiteral("\U0001F600")),
                     qPrintable(r.err));
            return;
        }
        // 固件 in GBK, then ".bin", then the terminating zero.
        QString heard;
        QTRY_VERIFY_WITH_TIMEOUT(
            (heard += Received(board.TakeErrors()), heard.contains(QStringLiteral("b9 cc bc fe 2e 62 69 6e 00 "))),
            5000);
    }
};

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    TestCliUpgrade test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_cli_upgrade.moc"
