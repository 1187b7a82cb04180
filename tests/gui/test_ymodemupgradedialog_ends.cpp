// How the YModem upgrade dialog leaves the loader when it closes, and the
// file name its block 0 carries: a cancel still waiting in the send queue, or
// the cancel of a transfer left in the middle, goes out after the dropped
// blocks; the name travels in GBK, and a name GBK cannot carry sends nothing.
#include "app/dialogs/ymodemupgradedialog.h"
#include "common/fakehost.h"
#include "link/linksettings.h"
#include "link/winmsg.h"

#include "gui/widget_test_main.h"

#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>

namespace {
const Bytes kCancel{0x18, 0x18};
const Bytes kClosing(std::begin(kYModemClosingFrame), std::end(kYModemClosingFrame));

QString WriteFile(const QTemporaryDir &dir, const QString &name, int n)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return QString();
    f.write(QByteArray(n, 'x'));
    return path;
}

void Signal(YModemUpgradeDialog &dlg, int event)
{
    PostMsg(&dlg, WM_YMODEM_SIGNAL, event);
    QCoreApplication::sendPostedEvents(&dlg);
}

// The packet bytes a queued item carries: itself (raw) or the chunk of a wrapped frame.
Bytes Carried(const Bytes &sent, YModemTransport transport)
{
    if (transport == YModemTransport::Raw)
        return sent;
    if (sent.size() > 9 && sent[2] == 0x02 && sent[3] == 0x01)
        return Bytes(sent.begin() + 6, sent.begin() + 6 + sent[5]);
    return {};
}
} // namespace

class TestYModemUpgradeDialogEnds : public QObject {
    Q_OBJECT
private slots:
    void init() { GlobalLinkSettings().cmdSndInvl = 400; }

    void aCancelLeavesWhenTheDialogCloses_data()
    {
        QTest::addColumn<int>("transport");
        QTest::addColumn<bool>("senderCancels"); // a NAK made the sender cancel; else the user leaves mid-file
        QTest::addColumn<bool>("lineEmpty");     // everything queued had left before the close
        QTest::newRow("raw, cancel still queued") << int(YModemTransport::Raw) << true << false;
        QTest::newRow("wrapped, cancel still queued") << int(YModemTransport::Wrapped) << true << false;
        QTest::newRow("raw, left mid-file") << int(YModemTransport::Raw) << false << true;
        QTest::newRow("wrapped, left mid-file, blocks queued") << int(YModemTransport::Wrapped) << false << false;
    }
    void aCancelLeavesWhenTheDialogCloses()
    {
        QFETCH(int, transport);
        QFETCH(bool, senderCancels);
        QFETCH(bool, lineEmpty);
        const auto how = static_cast<YModemTransport>(transport);
        QTemporaryDir dir;
        FakeHost host;
        std::size_t before = 0;
        {
            YModemUpgradeDialog dlg(&host, how, WriteFile(dir, QStringLiteral("fw.bin"), 3000));
            Signal(dlg, YM_EVT_C);
            Signal(dlg, YM_EVT_ACK);
            QTest::qWait(60);
            Signal(dlg, YM_EVT_C); // data block 1 queued
            if (senderCancels) {
                Signal(dlg, YM_EVT_NAK);
                QCOMPARE(Carried(host.Sent().back(), how), kCancel);
            }
            if (lineEmpty)
                host.SendAll();
            before = host.Sent().size();
        }
        // After the close: the queue was emptied once more, and the cancel waits in it.
        QVERIFY(!host.TxQueueEmpty());
        std::vector<Bytes> after(host.Sent().begin() + static_cast<std::ptrdiff_t>(before), host.Sent().end());
        QVERIFY(!after.empty());
        QCOMPARE(Carried(after.front(), how), kCancel);
        if (how == YModemTransport::Wrapped)
            QCOMPARE(after.back(), kClosing);
        else
            QCOMPARE(after.size(), std::size_t(1));
    }

    void noCancelBeforeTheFirstBlock()
    {
        QTemporaryDir dir;
        FakeHost host;
        {
            YModemUpgradeDialog dlg(&host, YModemTransport::Raw, WriteFile(dir, QStringLiteral("fw.bin"), 100));
        }
        QVERIFY(host.Sent().empty());
    }

    void blockZeroCarriesTheNameInGbk()
    {
        QTemporaryDir dir;
        FakeHost host;
        const QString path = WriteFile(dir, QStringLiteral("固件.bin"), 100);
        YModemUpgradeDialog dlg(&host, YModemTransport::Raw, path);
        Signal(dlg, YM_EVT_C);
        QCOMPARE(host.Sent().size(), std::size_t(1));
        const Bytes &block0 = host.Sent().front();
        QStringEncoder gbk("GBK");
        const QByteArray expected = gbk.encode(path.toLower());
        QVERIFY(expected.contains("\xB9\xCC\xBC\xFE"));
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(block0.data() + 3)), expected);
    }

    void aNameGbkCannotCarryIsRefusedWithARow()
    {
        QTemporaryDir dir;
        FakeHost host;
        const QString path = WriteFile(dir, QStringLiteral("fw-\U0001F600.bin"), 100);
        YModemUpgradeDialog dlg(&host, YModemTransport::Raw, path);
        QVERIFY2(dlg.Rows().last().contains(QStringLiteral("GBK")), qPrintable(dlg.Rows().join(u'\n')));
        QVERIFY(dlg.Rows().last().contains(QStringLiteral("\U0001F600")));
        Signal(dlg, YM_EVT_C);
        Signal(dlg, YM_EVT_C);
        QVERIFY(host.Sent().empty());
    }
};

int main(int argc, char **argv)
{
    return RunWidgetTest<TestYModemUpgradeDialogEnds>(argc, argv);
}

#include "test_ymodemupgradedialog_ends.moc"
