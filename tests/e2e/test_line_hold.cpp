// The YModem upgrade dialog holds the board line for its whole life: the
// requests of the pages' timers queued meanwhile never reach the board while
// it is open, and all of them follow, in order, once it closes. The real
// window against the simulated board in the test's process.
#include "app/dialogs/ymodemupgradedialog.h"
#include "app/framework/pagehost.h"
#include "app/logmodel.h"
#include "app/mainwindow.h"
#include "app/pages/customercontrolpage.h"
#include "app/pylvexapp.h"
#include "board_window.h"
#include "protocol/request.h"
#include "protocol/status_decode.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "gui/widget_test_main.h"

#include <memory>
#include <vector>

class TestLineHold : public QObject {
    Q_OBJECT
private slots:
    void pageTimerFramesWaitForTheUpgradeDialogAndFollowInOrder_data()
    {
        QTest::addColumn<int>("transport");
        QTest::newRow("raw") << int(YModemTransport::Raw);
        QTest::newRow("wrapped") << int(YModemTransport::Wrapped);
    }

    void pageTimerFramesWaitForTheUpgradeDialogAndFollowInOrder()
    {
        QFETCH(int, transport);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("fw.bin"));
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(QByteArray(3000, '\x5A'));
        }
        MainWindow dlg;
        InProcessBoard board;
        QVERIFY(OpenAgainstBoard(dlg, board, dlg.Host()->FindPage<CustomerControlPage>()));
        PageHost *host = dlg.Host();
        std::vector<std::uint8_t> answered; // status codes of the answers, in order
        connect(host, &PageHost::ResponseDispatched, this, [&](const std::uint8_t *frame, int len) {
            if (len > 3 && (frame[2] & 0x7F) == 0x03)
                answered.push_back(static_cast<std::uint8_t>(frame[3] & 0x7F));
        });
        QTest::qWait(300); // whatever the opening asked has been answered
        answered.clear();
        const std::uint64_t before = board.Requests();

        const std::vector<std::uint8_t> codes{kStatusSoc, kStatusVersions, kStatusCycles};
        auto upgrade = std::make_unique<YModemUpgradeDialog>(host, static_cast<YModemTransport>(transport), path);
        QVERIFY(host->LineHeld());
        // A page's timer queues its requests while the dialog is open.
        QTimer timer;
        std::size_t next = 0;
        connect(&timer, &QTimer::timeout, this, [&] {
            if (next < codes.size()) {
                const Payload request = PlainRequest({0x03, codes[next++]});
                host->SendFrame(request.data(), request.size());
            }
        });
        timer.start(60);
        QTRY_COMPARE_WITH_TIMEOUT(next, codes.size(), 3000);
        QTest::qWait(500); // many command intervals
        QCOMPARE(board.Requests(), before);
        QVERIFY(answered.empty());
        QVERIFY(!host->TxQueueEmpty() || !dlg.Port().HeldBackEmpty());

        LogModel *log = host->LogRows();
        log->ClearRows();
        upgrade.reset();
        QVERIFY(!host->LineHeld());
        QTRY_COMPARE_WITH_TIMEOUT(answered.size(), codes.size(), 5000);
        QCOMPARE(answered, codes);
        QVERIFY(board.Requests() >= before + codes.size());
        // The wrapped transfer's closing frame: the board without a repeater
        // refuses it, which is the upgrade's row, never an error of the link.
        auto rows = [log](const QString &part) {
            QStringList found;
            for (int r = 0; r < log->rowCount(); ++r)
                if (log->Row(r).text.contains(part))
                    found << log->Row(r).title + QStringLiteral(": ") + log->Row(r).text;
            return found;
        };
        if (transport == int(YModemTransport::Wrapped))
            QTRY_COMPARE_WITH_TIMEOUT(rows(QStringLiteral("结束帧已发出")).size(), 1, 3000);
        QTest::qWait(200);
        QVERIFY2(rows(QStringLiteral("命令执行失败")).isEmpty(),
                 qPrintable(rows(QStringLiteral("命令执行失败")).join(u'\n')));
        dlg.ClosePort();
    }
};

int main(int argc, char **argv)
{
    return RunWidgetTest<TestLineHold>(argc, argv);
}

#include "test_line_hold.moc"
