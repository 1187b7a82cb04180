// The YModem upgrade dialog on a fake host: it registers as the port's YModem
// receiver, answers the posted signals with packets in its transport (raw
// chunks or wrapped frames), changes and restores the command interval of the
// wrapped transport, says goodbye to the board's loader, and asks before it
// is closed mid-run.
#include "app/dialogs/ymodemupgradedialog.h"
#include "app/framework/msgbox.h"
#include "common/fakehost.h"
#include "link/linksettings.h"
#include "link/winmsg.h"
#include "protocol/crc16.h"

#include "gui/widget_test_main.h"

#include <QCheckBox>
#include <QFile>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>

namespace {
Bytes Content(int n)
{
    Bytes b(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        b[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i * 3 + (i >> 9));
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

void Signal(YModemUpgradeDialog &dlg, int event)
{
    PostMsg(&dlg, WM_YMODEM_SIGNAL, event);
    QCoreApplication::sendPostedEvents(&dlg);
}

// The packet bytes that left since index from: raw chunks joined, or the
// packet bytes carried by wrapped frames.
Bytes PacketBytes(FakeHost &host, YModemTransport transport, std::size_t from = 0)
{
    Bytes out;
    for (std::size_t i = from; i < host.Sent().size(); ++i) {
        const Bytes &s = host.Sent()[i];
        if (transport == YModemTransport::Raw) {
            out.insert(out.end(), s.begin(), s.end());
        } else if (s.size() > 9 && s[2] == 0x02 && s[3] == 0x01) {
            out.insert(out.end(), s.begin() + 6, s.begin() + 6 + s[5]);
        }
    }
    return out;
}
} // namespace

class TestYModemUpgradeDialog : public QObject {
    Q_OBJECT
private slots:
    void init() { GlobalLinkSettings().cmdSndInvl = 400; }

    void opening()
    {
        FakeHost host;
        {
            YModemUpgradeDialog dlg(&host, YModemTransport::Raw, QStringLiteral("/tmp/FW.bin"));
            QCOMPARE(host.YModemReceiver(), &dlg);
            QCOMPARE(dlg.Rows(),
                     (QStringList{QStringLiteral("选择升级文件，/tmp/FW.bin"), QStringLiteral("下位机即将重启 ..."),
                                  QStringLiteral("上位机等待接收字符C ...")}));
            QVERIFY(dlg.Item<QCheckBox>(IDC_YM_FOLLOW)->isChecked());
            QCOMPARE(GlobalLinkSettings().cmdSndInvl.load(), 400);
        }
        QCOMPARE(host.YModemReceiver(), nullptr);
        QVERIFY(host.Sent().empty()); // the raw transport sends no closing frame
    }

    void wrappedIntervalAndClosingFrame()
    {
        struct Case {
            int interval;
            int during;
        };
        for (const Case &c : {Case{400, 200}, Case{201, 100}, Case{200, 75}, Case{10, 75}}) {
            GlobalLinkSettings().cmdSndInvl = c.interval;
            FakeHost host;
            {
                YModemUpgradeDialog dlg(&host, YModemTransport::Wrapped, QStringLiteral("/tmp/a.bin"));
                QCOMPARE(GlobalLinkSettings().cmdSndInvl.load(), c.during);
            }
            QCOMPARE(GlobalLinkSettings().cmdSndInvl.load(), c.interval);
            QCOMPARE(host.Sent().back(), Bytes(std::begin(kYModemClosingFrame), std::end(kYModemClosingFrame)));
            QCOMPARE(host.YModemReceiver(), nullptr);
        }
        // The closing frame is a sound frame.
        QCOMPARE(FrameOf({0x53, 0x01, 0x02, 0x01, 0x00}),
                 Bytes(std::begin(kYModemClosingFrame), std::end(kYModemClosingFrame)));
    }

    void wholeRunInEachTransport()
    {
        for (YModemTransport transport : {YModemTransport::Raw, YModemTransport::Wrapped}) {
            QTemporaryDir dir;
            const Bytes content = Content(2500);
            FakeHost host;
            YModemUpgradeDialog dlg(&host, transport, WriteFile(dir, QStringLiteral("fw.bin"), content));
            Signal(dlg, YM_EVT_C);
            const Bytes block0 = PacketBytes(host, transport);
            QCOMPARE(block0.size(), kYmSmallPacket);
            QCOMPARE(QByteArray(reinterpret_cast<const char *>(block0.data() + 3)),
                     dir.filePath("fw.bin").toLower().toUtf8());
            Signal(dlg, YM_EVT_ACK);
            QTest::qWait(60);
            std::size_t mark = host.Sent().size();
            Signal(dlg, YM_EVT_C);
            Bytes data;
            for (int guard = 0; guard < 10; ++guard) {
                Bytes packet = PacketBytes(host, transport, mark);
                mark = host.Sent().size();
                if (packet.size() == 1)
                    break;
                QVERIFY(packet.size() == kYmLargePacket || packet.size() == kYmSmallPacket);
                data.insert(data.end(), packet.begin() + 3, packet.end() - 2);
                if (transport == YModemTransport::Raw && packet.size() == kYmLargePacket) {
                    // At most 260 bytes per raw chunk.
                    QCOMPARE(host.Sent()[host.Sent().size() - 4].size(), kYmRawChunk);
                    QCOMPARE(host.Sent().back().size(), kYmLargePacket - 3 * kYmRawChunk);
                }
                Signal(dlg, YM_EVT_ACK);
            }
            data.resize(content.size());
            QCOMPARE(data, content);
            QCOMPARE(dlg.ProgressBar()->value(), 2500);
            QCOMPARE(dlg.ProgressBar()->maximum(), 2500);
            Signal(dlg, YM_EVT_NAK);
            Signal(dlg, YM_EVT_ACK);
            QVERIFY(dlg.Sender().Finished());
            QVERIFY(dlg.Rows().contains(QStringLiteral("在线升级【成功】！")));
            MsgBoxRecorder boxes;
            dlg.reject(); // no question once it succeeded
            QCOMPARE(boxes.Count(), 0);
            QCOMPARE(dlg.result(), int(QDialog::Rejected));
        }
    }

    void closingMidRunAsks()
    {
        FakeHost host;
        MsgBoxRecorder boxes;
        YModemUpgradeDialog dlg(&host, YModemTransport::Raw, QStringLiteral("/tmp/a.bin"));
        dlg.show();
        dlg.reject(); // default answer No
        QCOMPARE(boxes.LastText(), QStringLiteral("您确信要退出在线升级？"));
        QCOMPARE(boxes.Shown().back().caption, QStringLiteral("确认"));
        QCOMPARE(boxes.Shown().back().DefaultAnswer(), IDNO);
        QVERIFY(dlg.isVisible());
        boxes.Answer(IDYES);
        dlg.reject();
        QVERIFY(!dlg.isVisible());
    }

    void restartAndPacketRows()
    {
        QTemporaryDir dir;
        FakeHost host;
        YModemUpgradeDialog dlg(&host, YModemTransport::Raw, WriteFile(dir, QStringLiteral("fw.bin"), Content(300)));
        dlg.Item<QCheckBox>(IDC_YM_FOLLOW)->setChecked(false);
        Signal(dlg, YM_EVT_C);
        QCOMPARE(dlg.Rows().last(), QStringLiteral("完成数据块 0 的发送，发出 133 字节"));
        Signal(dlg, YM_EVT_ACK);
        QTest::qWait(60);
        Signal(dlg, YM_EVT_C);
        QCOMPARE(dlg.ProgressBar()->value(), 300);
        const int clears = host.Clears();
        dlg.Item<QPushButton>(IDC_YM_RESTART)->click();
        QCOMPARE(dlg.Rows().last(), QStringLiteral("执行重新升级，等待接收字符C ..."));
        QCOMPARE(dlg.ProgressBar()->value(), 0);
        QCOMPARE(host.Clears(), clears + 1);
        QVERIFY(!dlg.Sender().Block0Sent());
        Signal(dlg, YM_EVT_C);
        QVERIFY(dlg.Rows().contains(QStringLiteral("打开升级文件，文件大小 300 字节，再次打开")));
    }

    void lostAnswerResentOnceByTheTimer()
    {
        QTemporaryDir dir;
        FakeHost host;
        YModemUpgradeDialog dlg(&host, YModemTransport::Raw, WriteFile(dir, QStringLiteral("fw.bin"), Content(300)));
        dlg.SetRetryTiming(50, 20);
        Signal(dlg, YM_EVT_C);
        QCOMPARE(host.Sent().size(), std::size_t(1));
        QVERIFY(dlg.RetryTimerActive());
        QTRY_COMPARE(host.Sent().size(), std::size_t(2));
        QCOMPARE(host.Sent()[1], host.Sent()[0]);
        QTest::qWait(200);
        QCOMPARE(host.Sent().size(), std::size_t(2)); // once only
        QVERIFY(!dlg.RetryTimerActive());
    }
};

int main(int argc, char **argv)
{
    return RunWidgetTest<TestYModemUpgradeDialog>(argc, argv);
}

#include "test_ymodemupgradedialog.moc"
