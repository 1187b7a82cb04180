// The command-protocol upgrade dialog on a fake host: it starts by itself
// with a file, walks the board's answers as real 0x83/0xA6 frames, reads the
// versions back, keeps the command interval at 10 ms while it lives, and
// refuses what it cannot do with a clear message.
#include "app/dialogs/filechooser.h"
#include "app/dialogs/firmwareupgradedialog.h"
#include "app/framework/msgbox.h"
#include "app/widgets/userlistctrl.h"
#include "common/fakehost.h"
#include "link/linksettings.h"
#include "protocol/fw_upgrade.h"

#include "gui/widget_test_main.h"

#include <QFile>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>

namespace {
Bytes Image(int n)
{
    Bytes b(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        b[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i * 5 + 1);
    return b;
}

QString WriteFile(const QTemporaryDir &dir, const QString &name, const Bytes &content)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(reinterpret_cast<const char *>(content.data()), static_cast<qint64>(content.size()));
    return path;
}

void Answer(FirmwareUpgradeDialog &dlg, int answerStep, const Bytes &data)
{
    const Bytes frame = BoardFrame(0x83, 0xA6, FwPacket(static_cast<std::uint8_t>(answerStep), data));
    dlg.OnUpgradeFrame(frame.data(), static_cast<int>(frame.size()));
}

// The upgrade packets among the frames sent (step byte of each).
std::vector<int> SentSteps(FakeHost &host)
{
    std::vector<int> steps;
    for (const Bytes &p : host.Payloads())
        if (p.size() > 6 && p[1] == 0x03 && p[2] == 0x26)
            steps.push_back(p[6]);
    return steps;
}

Bytes VersionsAnswer(std::uint8_t patch)
{
    return {0x00, 1, 2, patch, 2, 0, 0};
}
} // namespace

class TestFirmwareUpgradeDialog : public QObject {
    Q_OBJECT
private slots:
    void init() { GlobalLinkSettings().cmdSndInvl = 400; }

    void fullRunWithVersions()
    {
        QTemporaryDir dir;
        const Bytes content = Image(300);
        FakeHost host;
        MsgBoxRecorder boxes;
        {
            FirmwareUpgradeDialog dlg(&host, WriteFile(dir, QStringLiteral("fw.bin"), content));
            QCOMPARE(GlobalLinkSettings().cmdSndInvl.load(), 10);
            QCOMPARE(dlg.Rows().size(), 0);
            QCoreApplication::processEvents(); // the posted start
            QCOMPARE(dlg.GetDlgItemText(IDC_FW_START), QStringLiteral("重新升级"));
            QCOMPARE(dlg.GetDlgItemText(IDC_FW_PATH), dlg.FilePath());
            // The versions first, then the upgrade request.
            QCOMPARE(host.Payloads().at(0), (Bytes{0x53, 0x03, 0x02, 0x01, 0x00}));
            QCOMPARE(SentSteps(host), std::vector<int>{1});
            host.Respond(0x83, 0x82, VersionsAnswer(3));
            QVERIFY(dlg.RetryTimerActive());
            Answer(dlg, 2, {0, 0});
            Answer(dlg, 4, {0});
            Answer(dlg, 6, {0, 2});
            Answer(dlg, 8, {0});
            Answer(dlg, 8, {0});
            QCOMPARE(dlg.ProgressBar()->value(), 300);
            QCOMPARE(dlg.ProgressBar()->maximum(), 300);
            Answer(dlg, 8, {0});
            Answer(dlg, 10, {0});
            QCOMPARE(SentSteps(host), (std::vector<int>{1, 3, 5, 7, 7, 7, 9}));
            QVERIFY(!dlg.RetryTimerActive());
            QCOMPARE(host.Payloads().back(), (Bytes{0x53, 0x03, 0x02, 0x01, 0x00}));
            host.Respond(0x83, 0x82, VersionsAnswer(4));
            const QStringList rows = dlg.Rows();
            QVERIFY(rows.contains(QStringLiteral("启动固件升级 fw.bin（300字节） ......")));
            QVERIFY(rows.contains(QStringLiteral("发送：写固件数据命令，Len=144，块序号1，块长度=128")));
            QVERIFY(rows.contains(QStringLiteral("接收：软件升级成功")));
            QCOMPARE(rows.last(), QStringLiteral("软件版本：升级前 V1.2.3，升级后 V1.2.4"));
            // Row numbers from 0, the time as %H:%M:%S.
            QCOMPARE(dlg.LogList()->GetItemText(0, 0), QStringLiteral("0"));
            QCOMPARE(dlg.LogList()->GetItemText(2, 0), QStringLiteral("2"));
            QVERIFY(QTime::fromString(dlg.LogList()->GetItemText(0, 1), QStringLiteral("HH:mm:ss")).isValid());
            // The blocks carry the file byte for byte.
            Bytes stored;
            for (const Bytes &p : host.Payloads())
                if (p.size() > 16 && p[2] == 0x26 && p[6] == 7)
                    stored.insert(stored.end(), p.begin() + 14, p.end() - 2);
            QCOMPARE(stored, content);
        }
        QCOMPARE(GlobalLinkSettings().cmdSndInvl.load(), 400);
        QCOMPARE(boxes.Count(), 0);
    }

    void unchangedVersionIsAWarning()
    {
        QTemporaryDir dir;
        FakeHost host;
        FirmwareUpgradeDialog dlg(&host, WriteFile(dir, QStringLiteral("fw.bin"), Image(10)));
        QCoreApplication::processEvents();
        host.Respond(0x83, 0x82, VersionsAnswer(3));
        Answer(dlg, 2, {0, 0});
        Answer(dlg, 4, {0});
        Answer(dlg, 6, {0, 1});
        Answer(dlg, 8, {0});
        Answer(dlg, 10, {0});
        host.Respond(0x83, 0x82, VersionsAnswer(3));
        QCOMPARE(dlg.Rows().last(), QStringLiteral("警告：软件版本没有变化，仍是 V1.2.3，请确认升级是否生效"));
        QVERIFY(!dlg.Rows().last().contains(QStringLiteral("错误")));
    }

    // While it exists the dialog holds the line (no page timer's requests) at
    // its own interval; closed mid-run it gives both back.
    void closedMidRunRestoresIntervalAndLine()
    {
        QTemporaryDir dir;
        FakeHost host;
        QVERIFY(!host.LineHeld());
        auto *dlg = new FirmwareUpgradeDialog(&host, WriteFile(dir, QStringLiteral("fw.bin"), Image(1000)));
        QVERIFY(host.LineHeld());
        QCoreApplication::processEvents();
        Answer(*dlg, 2, {0, 0});
        QCOMPARE(GlobalLinkSettings().cmdSndInvl.load(), 10);
        QVERIFY(dlg->RetryTimerActive());
        delete dlg;
        QCOMPARE(GlobalLinkSettings().cmdSndInvl.load(), 400);
        QVERIFY(!host.LineHeld());
    }

    void failureStopsAndSaysWhy()
    {
        QTemporaryDir dir;
        FakeHost host;
        FirmwareUpgradeDialog dlg(&host, WriteFile(dir, QStringLiteral("fw.bin"), Image(100)));
        QCoreApplication::processEvents();
        Answer(dlg, 2, {1, 4});
        QCOMPARE(dlg.Rows().last(), QStringLiteral("错误：当前电池正在充放电，升级终止"));
        QVERIFY(!dlg.RetryTimerActive());
        const std::size_t sent = host.Sent().size();
        Answer(dlg, 4, {0});
        QCOMPARE(host.Sent().size(), sent);
        QVERIFY(!dlg.Rows().join(QString()).contains(QStringLiteral("成功")));
    }

    void retransmissionTimer()
    {
        QTemporaryDir dir;
        FakeHost host;
        FirmwareUpgradeDialog dlg(&host, WriteFile(dir, QStringLiteral("fw.bin"), Image(100)));
        QCoreApplication::processEvents();
        QCOMPARE(SentSteps(host), std::vector<int>{1});
        dlg.FireRetryTimer();
        QCOMPARE(SentSteps(host), (std::vector<int>{1, 1}));
        QCOMPARE(dlg.Rows().last(), QStringLiteral("重传：固件升级命令，数据帧长度=10"));
        dlg.FireRetryTimer();
        QCOMPARE(SentSteps(host), (std::vector<int>{1, 1}));
        QVERIFY(dlg.Rows().last().startsWith(QStringLiteral("错误：重传的固件升级命令仍然没有应答")));
        // The repeated information-check answer while the erase answer is awaited.
        Answer(dlg, 2, {0, 0});
        Answer(dlg, 4, {0});
        Answer(dlg, 4, {0});
        QCoreApplication::processEvents(); // the posted expiry
        QCOMPARE(SentSteps(host), (std::vector<int>{1, 1, 3, 5, 5}));
    }

    void withoutFile()
    {
        FakeHost host;
        MsgBoxRecorder boxes;
        FirmwareUpgradeDialog dlg(&host, QString());
        QCoreApplication::processEvents();
        QCOMPARE(dlg.Rows(), QStringList{QStringLiteral("先选择升级文件，再点击升级按钮启动升级！")});
        dlg.Item<QPushButton>(IDC_FW_START)->click();
        QCOMPARE(boxes.LastText(), QStringLiteral("升级文件为空，请先选择升级文件！"));
        QCOMPARE(boxes.Shown().back().caption, QStringLiteral("警告"));
        QCOMPARE(boxes.Shown().back().Icon(), MB_ICONWARNING);
        Answer(dlg, 2, {0, 0});
        QCOMPARE(dlg.Rows().last(), QStringLiteral("请选择升级文件，并点击升级按钮"));
        QVERIFY(host.Sent().empty());
    }

    void chooseFile()
    {
        QTemporaryDir dir;
        const QString good = WriteFile(dir, QStringLiteral("good.bin"), Image(64));
        const QString empty = WriteFile(dir, QStringLiteral("empty.bin"), {});
        FakeHost host;
        MsgBoxRecorder boxes;
        FirmwareUpgradeDialog dlg(&host, QString());
        QString key;
        QString answer;
        SetFileChooserHook([&](const FileAsk &ask) {
            key = ask.key;
            return answer;
        });
        struct Case {
            QString chosen;
            QString box;
        };
        // The system's own words for a missing file, in the language it speaks here.
        QFile missing(dir.filePath(QStringLiteral("missing.bin")));
        QVERIFY(!missing.open(QIODevice::ReadOnly));
        QVERIFY(!missing.errorString().isEmpty());
        const Case cases[] = {
            {QString(), QString()}, // Cancel
            {QStringLiteral(""), QStringLiteral("升级文件不能为空！")},
            {empty, QStringLiteral("文件内容为空!")},
            {missing.fileName(), missing.errorString()},
        };
        for (const Case &c : cases) {
            boxes.Clear();
            answer = c.chosen;
            dlg.Item<QPushButton>(IDC_FW_SELECT)->click();
            QCOMPARE(boxes.LastText(), c.box);
            QVERIFY(dlg.FilePath().isEmpty());
        }
        answer = good;
        dlg.Item<QPushButton>(IDC_FW_SELECT)->click();
        QCOMPARE(dlg.FilePath(), good);
        QCOMPARE(dlg.GetDlgItemText(IDC_FW_PATH), good);
        QVERIFY(host.Sent().empty()); // choosing does not start
        // The chooser remembers the folder under the dialog's own key.
        QCOMPARE(key, QStringLiteral("CDlgFireware::OnBtnClickSelectFile"));
        // A file removed after the choice: the image cannot be read.
        QFile::remove(good);
        dlg.Item<QPushButton>(IDC_FW_START)->click();
        QVERIFY(dlg.Rows().last().startsWith(QStringLiteral("错误：")));
        QCOMPARE(boxes.Shown().back().caption, QStringLiteral("警告"));
        QVERIFY(host.Sent().empty());
        SetFileChooserHook({});
    }

    void closedPortIsRefused()
    {
        QTemporaryDir dir;
        FakeHost host;
        host.SetPortOpen(false);
        MsgBoxRecorder boxes;
        FirmwareUpgradeDialog dlg(&host, WriteFile(dir, QStringLiteral("fw.bin"), Image(10)));
        QCoreApplication::processEvents();
        QCOMPARE(boxes.LastText(), QStringLiteral("请先打开串口后再进行操作！"));
        QVERIFY(host.Sent().empty());
    }

    void shortFrameIsNotReadPast()
    {
        QTemporaryDir dir;
        FakeHost host;
        FirmwareUpgradeDialog dlg(&host, WriteFile(dir, QStringLiteral("fw.bin"), Image(10)));
        QCoreApplication::processEvents();
        // A length byte that claims more than the frame holds.
        Bytes frame = BoardFrame(0x83, 0xA6, {0x03, 0x41, 0x02, 0x02, 0x00, 0x00});
        frame[4] = 200;
        dlg.OnUpgradeFrame(frame.data(), static_cast<int>(frame.size()));
        QCOMPARE(dlg.Session().Step(), int(kFwStepCheck));
        dlg.OnUpgradeFrame(frame.data(), 5);
        QCOMPARE(dlg.Session().Step(), int(kFwStepCheck));
    }
};

int main(int argc, char **argv)
{
    return RunWidgetTest<TestFirmwareUpgradeDialog>(argc, argv);
}

#include "test_firmwareupgradedialog.moc"
