// Both firmware upgrades end to end: the real main window against the
// simulated board over a pseudo-terminal (every outcome of the command
// protocol through row 13 of the customer control page; YModem in both
// transports with the loader's faults), and the raw YModem transport against
// lrzsz's rb, a receiver nobody here wrote.
#include "app/dialogs/filechooser.h"
#include "app/dialogs/firmwareupgradedialog.h"
#include "app/dialogs/ymodemupgradedialog.h"
#include "app/framework/msgbox.h"
#include "app/framework/pagehost.h"
#include "app/mainwindow.h"
#include "app/pages/customercontrolpage.h"
#include "app/pylvexapp.h"
#include "board_window.h"
#include "protocol/request.h"
#include "sim/simhost.h"

#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include "gui/widget_test_main.h"

#include <algorithm>
#include <functional>

namespace {
using Bytes = std::vector<std::uint8_t>;

Bytes Content(int n, int seed)
{
    Bytes b(static_cast<std::size_t>(n));
    std::uint32_t x = static_cast<std::uint32_t>(seed) * 2654435761u + 1;
    for (auto &v : b) {
        x = x * 1103515245u + 12345u;
        v = static_cast<std::uint8_t>(x >> 16);
    }
    return b;
}

QString WriteFile(const QString &path, const Bytes &content)
{
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(reinterpret_cast<const char *>(content.data()), static_cast<qint64>(content.size()));
    return path;
}

Bytes ReadFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray all = f.readAll();
    return Bytes(all.begin(), all.end());
}

// Runs the event loop until done() or the time is up.
bool Wait(const std::function<bool()> &done, int ms)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

bool Ended(const QStringList &rows)
{
    if (rows.isEmpty())
        return false;
    const QString &last = rows.last();
    return last.startsWith(QStringLiteral("软件版本：")) || last.startsWith(QStringLiteral("警告：软件版本")) ||
           last.contains(QStringLiteral("升级终止")) || last.contains(QStringLiteral("仍然没有应答"));
}

struct FwRun {
    QStringList rows;
    Bytes stored;
    bool opened = false;
};

// Row 13 of the customer control page against a board with these options.
FwRun RunFirmware(SimOptions options, const Bytes &content)
{
    FwRun run;
    QTemporaryDir dir;
    const QString path = WriteFile(dir.filePath(QStringLiteral("fw.bin")), content);
    options.storeImage = dir.filePath(QStringLiteral("stored.bin")).toStdString();
    MainWindow dlg;
    SimHost board;
    auto *ele = qobject_cast<CustomerControlPage *>(dlg.Host()->FindPage<CustomerControlPage>());
    if (!OpenAgainstBoard(dlg, board, ele, options))
        return run;
    SetFileChooserHook([&](const FileAsk &) { return path; });
    SetModalHook([&](QDialog *d) {
        auto *fw = qobject_cast<FirmwareUpgradeDialog *>(d);
        if (!fw)
            return int(QDialog::Rejected);
        run.opened = true;
        Wait([&] { return Ended(fw->Rows()); }, 20000);
        run.rows = fw->Rows();
        return int(QDialog::Rejected);
    });
    ele->WriteParams(IDC_ELE_UPGRADE);
    SetModalHook({});
    SetFileChooserHook({});
    run.stored = ReadFile(dir.filePath(QStringLiteral("stored.bin")));
    return run;
}

struct YmRun {
    QStringList rows;
    Bytes stored;
    bool finished = false;
};

// The upgrade request of the transport's loader, then the dialog until done.
YmRun RunYModem(SimOptions options, YModemTransport transport, const Bytes &content,
                const std::function<void(YModemUpgradeDialog &)> &tune,
                const std::function<bool(YModemUpgradeDialog &)> &done)
{
    YmRun run;
    QTemporaryDir dir;
    const QString path = WriteFile(dir.filePath(QStringLiteral("fw.bin")), content);
    options.storeImage = dir.filePath(QStringLiteral("stored.bin")).toStdString();
    options.repeater = transport == YModemTransport::Raw;
    MainWindow dlg;
    SimHost board;
    if (!OpenAgainstBoard(dlg, board, dlg.Host()->FindPage<CustomerControlPage>(), options))
        return run;
    theApp()->m_nCmdSndInvl = 10;
    const Payload request =
        PlainRequest(transport == YModemTransport::Raw ? CommandId{0x01, 0x01} : CommandId{0x02, 0x01});
    dlg.Host()->SendFrame(request.data(), request.size());
    QTest::qWait(100); // the acknowledgement
    {
        YModemUpgradeDialog up(dlg.Host(), transport, path);
        if (tune)
            tune(up);
        Wait([&] { return done(up); }, 90000);
        run.rows = up.Rows();
        run.finished = up.Sender().Finished();
        QTest::qWait(1300); // the end block reaches the board
    }
    run.stored = ReadFile(dir.filePath(QStringLiteral("stored.bin")));
    return run;
}

bool Has(const QStringList &rows, const char *text)
{
    return rows.contains(QString::fromUtf8(text));
}
} // namespace

class TestUpgradeBoard : public QObject {
    Q_OBJECT
private slots:
    void firmwareCleanRun()
    {
        const Bytes content = Content(4096 + 77, 1);
        FwRun run = RunFirmware({}, content);
        QVERIFY(run.opened);
        QVERIFY(Has(run.rows, "接收：软件升级成功"));
        QCOMPARE(run.stored, content);
        QVERIFY2(run.rows.last().startsWith(QStringLiteral("软件版本：升级前 ")), qPrintable(run.rows.last()));
    }

    void firmwareOutcomes_data()
    {
        QTest::addColumn<QString>("option");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("last");
        QTest::newRow("check error once") << "fwCheckErrorBlock" << 2 << "";
        QTest::newRow("check error twice") << "fwCheckErrorTwice" << 2 << "错误：固件块校验再次检测到错误，升级终止";
        const char *requestTexts[] = {"电池电量过低", "电池存在保护状态", "不支持固件升级", "当前电池正在充放电"};
        const char *checkTexts[] = {"厂商信息错误", "硬件型号序列号不匹配", "固件大小超出芯片支持范围",
                                    "固件包头信息错误"};
        for (int code = 1; code <= 4; ++code) {
            QTest::addRow("request refused %d", code)
                << "fwRefuseRequest" << code << QStringLiteral("错误：%1，升级终止").arg(requestTexts[code - 1]);
            QTest::addRow("check refused %d", code)
                << "fwRefuseCheck" << code << QStringLiteral("错误：%1，升级终止").arg(checkTexts[code - 1]);
        }
        QTest::newRow("no answer") << "fwDropAnswer" << 2
                                   << "错误：重传的固件升级命令仍然没有应答，请检查连接后点击重新升级";
    }
    void firmwareOutcomes()
    {
        QFETCH(QString, option);
        QFETCH(int, value);
        QFETCH(QString, last);
        SimOptions o;
        if (option == QLatin1String("fwCheckErrorBlock"))
            o.fwCheckErrorBlock = value;
        else if (option == QLatin1String("fwCheckErrorTwice"))
            o.fwCheckErrorTwice = value;
        else if (option == QLatin1String("fwRefuseRequest"))
            o.fwRefuseRequest = value;
        else if (option == QLatin1String("fwRefuseCheck"))
            o.fwRefuseCheck = value;
        else
            o.fwDropAnswer = value;
        const Bytes content = Content(1500, value);
        FwRun run = RunFirmware(o, content);
        QVERIFY(run.opened);
        if (last.isEmpty()) { // one check error, then success
            QVERIFY(Has(run.rows, "错误：固件块校验错误，即将重传固件块"));
            QVERIFY(Has(run.rows, "接收：软件升级成功"));
            QCOMPARE(run.stored, content);
            return;
        }
        QCOMPARE(run.rows.last(), last);
        for (const QString &row : run.rows)
            QVERIFY2(!row.contains(QStringLiteral("成功")), qPrintable(row));
        QVERIFY(run.stored.empty());
        if (option == QLatin1String("fwDropAnswer"))
            QVERIFY(Has(run.rows, "重传：固件升级命令，数据帧长度=10"));
    }

    void ymodemAgainstTheBoard_data()
    {
        QTest::addColumn<int>("transport");
        QTest::addColumn<QString>("fault");
        for (int t : {0, 1})
            for (const char *fault : {"none", "nak", "can", "lost ack"})
                QTest::addRow("%s %s", t == 0 ? "raw" : "wrapped", fault) << t << QString::fromLatin1(fault);
    }
    void ymodemAgainstTheBoard()
    {
        QFETCH(int, transport);
        QFETCH(QString, fault);
        const auto t = transport == 0 ? YModemTransport::Raw : YModemTransport::Wrapped;
        const Bytes content = Content(transport == 0 ? 20000 : 2100, transport);
        SimOptions o;
        std::function<void(YModemUpgradeDialog &)> tune;
        std::function<bool(YModemUpgradeDialog &)> done = [](YModemUpgradeDialog &up) {
            // Rows may follow the closing frame's row (a last ACK), so any row counts.
            const QStringList rows = up.Rows();
            return up.Sender().Finished() && std::any_of(rows.begin(), rows.end(), [](const QString &r) {
                       return r.startsWith(QStringLiteral("发送结束帧"));
                   });
        };
        if (fault == QLatin1String("nak")) {
            o.ymNakBlock = 2;
            done = [](YModemUpgradeDialog &up) { return Has(up.Rows(), "可能数据块不匹配，主动取消数据传输 ..."); };
        } else if (fault == QLatin1String("can")) {
            o.ymCanBlock = 2;
            done = [](YModemUpgradeDialog &up) { return Has(up.Rows(), "下位机取消传输，升级失败！"); };
        } else if (fault == QLatin1String("lost ack")) {
            o.ymDropAckBlock = 1;
            tune = [](YModemUpgradeDialog &up) {
                up.SetRetryTiming(600, 400);
                up.Item<QCheckBox>(IDC_YM_FOLLOW)->setChecked(false);
            };
        }
        YmRun run = RunYModem(o, t, content, tune, done);
        if (fault == QLatin1String("none") || fault == QLatin1String("lost ack")) {
            QVERIFY(run.finished);
            QCOMPARE(run.stored, content);
            QVERIFY(Has(run.rows, "在线升级【成功】！") || Has(run.rows, "在线升级（成功）！"));
            if (fault == QLatin1String("lost ack")) {
                QVERIFY(Has(run.rows, "完成数据块 1 的发送，发出 1029 字节，重传"));
            }
        } else {
            QVERIFY(!run.finished);
            QVERIFY(run.stored.empty());
            if (fault == QLatin1String("nak")) { // the sender cancels
                QVERIFY(!Has(run.rows, "下位机取消传输，升级失败！"));
            }
        }
    }

    // The raw transport against lrzsz's rb on the other end of a pair of
    // pseudo-terminals made by socat.
    void rawTransportAgainstRb()
    {
        const QString rb = QStandardPaths::findExecutable(QStringLiteral("rb"));
        const QString socat = QStandardPaths::findExecutable(QStringLiteral("socat"));
        QVERIFY2(!rb.isEmpty() && !socat.isEmpty(), "lrzsz and socat are part of the set-up");
        QTemporaryDir dir;
        QDir(dir.path()).mkdir(QStringLiteral("Src"));
        QDir(dir.path()).mkdir(QStringLiteral("received"));
        const Bytes content = Content(3 * 1024 + 700, 7);
        const QString source = WriteFile(dir.filePath(QStringLiteral("Src/Board-FW.Bin")), content);
        QProcess pair;
        pair.start(socat, {QStringLiteral("pty,raw,echo=0,link=") + dir.filePath(QStringLiteral("tool")),
                           QStringLiteral("pty,raw,echo=0,link=") + dir.filePath(QStringLiteral("peer"))});
        QVERIFY(pair.waitForStarted());
        QTRY_VERIFY(QFileInfo::exists(dir.filePath(QStringLiteral("tool"))) &&
                    QFileInfo::exists(dir.filePath(QStringLiteral("peer"))));
        const QString toolDevice = QFileInfo(dir.filePath(QStringLiteral("tool"))).symLinkTarget();
        const QString peerDevice = QFileInfo(dir.filePath(QStringLiteral("peer"))).symLinkTarget();

        MainWindow dlg;
        theApp()->m_nCmdSndInvl = 10;
        QVERIFY(dlg.OpenPortByName(toolDevice, true));
        // Block 0 carries the path as given; rb refuses an absolute path in its
        // default restricted mode ("Security Violation"), so the dialog gets
        // the file's name relative to the current folder.
        const QString previous = QDir::currentPath();
        QDir::setCurrent(QFileInfo(source).absolutePath());
        {
            YModemUpgradeDialog up(dlg.Host(), YModemTransport::Raw, QFileInfo(source).fileName());
            QProcess receiver;
            receiver.setWorkingDirectory(dir.filePath(QStringLiteral("received")));
            receiver.start(
                QStringLiteral("sh"),
                {QStringLiteral("-c"), QStringLiteral("exec \"$0\" --ymodem <\"$1\" >\"$1\""), rb, peerDevice});
            QVERIFY(receiver.waitForStarted());
            QVERIFY(Wait([&] { return receiver.state() == QProcess::NotRunning; }, 30000));
            QVERIFY2(receiver.exitCode() == 0, receiver.readAllStandardError().constData());
            QVERIFY(up.Sender().Finished());
        }
        QDir::setCurrent(previous);
        dlg.ClosePort();
        pair.terminate();
        pair.waitForFinished();
        // rb stores the file under the lower-cased name.
        const QStringList got = QDir(dir.filePath(QStringLiteral("received"))).entryList(QDir::Files);
        QCOMPARE(got, QStringList{QStringLiteral("board-fw.bin")});
        QCOMPARE(ReadFile(dir.filePath(QStringLiteral("received/board-fw.bin"))), content);
    }
};

int main(int argc, char **argv)
{
    return RunWidgetTest<TestUpgradeBoard>(argc, argv);
}

#include "test_upgrade_board.moc"
