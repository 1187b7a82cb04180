// The real window against the simulated board when the board falls silent,
// is missing, or its port goes away: the no-answer rows and lamps, the status
// line, the stale live values, and the port opened again by itself.
#include "app/logmodel.h"
#include "app/mainwindow.h"
#include "app/pages/livestatuspage.h"
#include "app/pages/wakethresholdpage.h"
#include "app/pagesheet.h"
#include "app/pylvexapp.h"
#include "app/statusline.h"
#include "board_window.h"
#include "common/log_rows.h"
#include "files/logfiles.h"
#include "gui/page_fixture.h"
#include "protocol/status_decode.h"
#include "sim/simhost.h"

#include "gui/widget_test_main.h"
#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <unistd.h>

namespace {
QString NoAnswerTitle(std::uint8_t cls, std::uint8_t code)
{
    return QStringLiteral("无应答 %1 %2")
        .arg(cls, 2, 16, QLatin1Char('0'))
        .arg(code, 2, 16, QLatin1Char('0'))
        .toUpper();
}

QString Status(MainWindow &dlg)
{
    return dlg.StatusLine()->Text();
}

// A value row of the wake-up page and its read request's code.
int FirstValueRow(MainWindow &dlg, std::uint8_t *readCode)
{
    for (const RxRoute &r : dlg.Pages().AllRoutes())
        if (dlg.Pages().Page(r.page) == dlg.Page<WakeThresholdPage>() && r.op == OP_VALUE && r.chk != 0) {
            *readCode = static_cast<std::uint8_t>((r.code | 0x01) & 0x7F);
            return r.chk;
        }
    return 0;
}

// Reads one row of the wake-up page as the user would.
WakeThresholdPage *ReadOneRow(MainWindow &dlg, int chk)
{
    auto *page = dlg.Page<WakeThresholdPage>();
    dlg.Gate().SetVerified(); // an internal page
    if (!page || !dlg.Sheet()->SetActivePage(page))
        return nullptr;
    page->CheckAllParams(0);
    page->CheckDlgButton(chk, 1);
    page->ClickDlgButton(IDC_READ);
    return page;
}
} // namespace

class TestBoardSilence : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        SetLogBaseFolder(m_dir.path());
    }

    void init()
    {
        theApp()->m_bLogWarning = true;
        theApp()->m_bLogError = true;
        theApp()->m_bLogInfo = true;
        theApp()->GetLogModel()->ClearRows();
    }

    // The board answers, falls silent, then answers again: one row per request
    // kind, the lamps' no-answer look, the status line, the values going stale
    // after three refresh periods, and all of it undone by the answers.
    void boardFallsSilentAndRecovers()
    {
        MainWindow dlg;
        SimHost board;
        SimOptions options;
        options.noBatch = true;
        options.silentAfterSec = 3;
        options.silentForSec = 7;
        auto *page = dlg.Page<LiveStatusPage>();
        QVERIFY(OpenAgainstBoard(dlg, board, page, options));
        QVERIFY(Status(dlg).contains(QStringLiteral("已连接")));
        QTRY_VERIFY_WITH_TIMEOUT(board.Requests() >= 1, 5000);
        QTest::qWait(200);
        page->Item<QCheckBox>(IDC_TIMED_REFRESH)->click();
        QTRY_VERIFY_WITH_TIMEOUT(!page->GetDlgItemText(1068).isEmpty(), 5000);
        QVERIFY(Status(dlg).contains(QStringLiteral("最后应答")));
        QVERIFY(!Status(dlg).contains(QStringLiteral("板卡无应答")));

        QTRY_VERIFY_WITH_TIMEOUT(Status(dlg).contains(QStringLiteral("板卡无应答")), 8000);
        QVERIFY(dlg.StatusLine()->Alarming());
        const int socRow = FindStatusItemByCode(kStatusSoc)->nChkID;
        QTRY_VERIFY_WITH_TIMEOUT(page->HasNoAnswerLook(socRow), 3000);
        QTRY_VERIFY_WITH_TIMEOUT(page->IsStale(kStatusSoc), 8000);
        auto *note = page->Item<QLabel>(IDC_STALE_NOTE);
        QVERIFY(note->isVisible() || !note->isHidden());
        QVERIFY(note->text().startsWith(QStringLiteral("数据已过期（自 ")));
        QVERIFY(!page->GetDlgItemText(1068).isEmpty()); // kept, greyed

        // Answers again: fresh values, lamps from the answers, the line clear.
        QTRY_VERIFY_WITH_TIMEOUT(page->StaleCount() == 0, 12000);
        QVERIFY(note->isHidden());
        QTRY_VERIFY_WITH_TIMEOUT(!Status(dlg).contains(QStringLiteral("板卡无应答")), 3000);
        QTRY_COMPARE_WITH_TIMEOUT(LampState(page, socRow), LED_OK, 3000);
        // Every item was asked for many times during the silence; each kind has one row.
        int kinds = 0;
        for (const StatusItem &item : kStatusItems) {
            int rows = LogRowsTitled(NoAnswerTitle(0x03, item.code));
            QVERIFY2(rows <= 1, item.label);
            kinds += rows;
        }
        QVERIFY2(kinds >= 10, qPrintable(QString::number(kinds)));
        dlg.ClosePort();
        board.Stop();
    }

    // A port with nothing behind it, and "副电" chosen where only the main
    // board answers: the read gets the no-answer look and its row.
    void noBoardAndNoSecondaryBoard()
    {
        std::uint8_t readCode = 0;
        {
            int master = posix_openpt(O_RDWR | O_NOCTTY);
            QVERIFY(master >= 0);
            QVERIFY(grantpt(master) == 0 && unlockpt(master) == 0);
            char name[128] = {};
            QVERIFY(ptsname_r(master, name, sizeof name) == 0);
            MainWindow dlg;
            const int chk = FirstValueRow(dlg, &readCode);
            QVERIFY(chk);
            QVERIFY(dlg.OpenPortByName(QString::fromLocal8Bit(name), true));
            WakeThresholdPage *page = ReadOneRow(dlg, chk);
            QVERIFY(page);
            QTRY_VERIFY_WITH_TIMEOUT(page->HasNoAnswerLook(chk), 4000);
            QCOMPARE(LogRowsTitled(NoAnswerTitle(0x02, readCode)), 1);
            QVERIFY(Status(dlg).contains(QStringLiteral("板卡无应答")));
            QVERIFY(Status(dlg).contains(QStringLiteral("尚无应答")));
            dlg.ClosePort();
            ::close(master);
        }
        theApp()->GetLogModel()->ClearRows();
        MainWindow dlg;
        SimHost board;
        dlg.Gate().SetVerified();
        QVERIFY(OpenAgainstBoard(dlg, board, dlg.Page<WakeThresholdPage>()));
        const int chk = FirstValueRow(dlg, &readCode);
        dlg.Item<QRadioButton>(IDC_SECONDARY_BOARD)->click();
        QVERIFY(Status(dlg).contains(QStringLiteral("副电")));
        const std::uint64_t before = board.Requests();
        WakeThresholdPage *page = ReadOneRow(dlg, chk);
        QVERIFY(page);
        QTRY_VERIFY_WITH_TIMEOUT(page->HasNoAnswerLook(chk), 4000);
        QVERIFY(board.Requests() > before); // the main board heard it and answered
        QCOMPARE(LogRowsTitled(NoAnswerTitle(0x02, readCode)), 1);
        // Back on the main board the same read is answered.
        dlg.Item<QRadioButton>(IDC_MAIN_BOARD)->click();
        ReadOneRow(dlg, chk);
        QTRY_COMPARE_WITH_TIMEOUT(LampState(page, chk), LED_OK, 4000);
        dlg.ClosePort();
        board.Stop();
    }

    // The board's port goes away and comes back at the same path: "串口已断开",
    // stale values, the port opened again by itself with fresh values, one
    // row each way; with "自动重连" off nothing opens.
    void lostPortReopensByItself()
    {
        const QString link = m_dir.filePath(QStringLiteral("board"));
        SimOptions options;
        options.noBatch = true;
        MainWindow dlg;
        theApp()->m_nCmdSndInvl = 50;
        SimHost board;
        QVERIFY2(board.StartPtyAt(link, nullptr, options), qPrintable(board.ErrorString()));
        auto *page = dlg.Page<LiveStatusPage>();
        QVERIFY(dlg.Sheet()->SetActivePage(page));
        QVERIFY(dlg.OpenPortByName(link, true));
        QVERIFY(dlg.Item<QCheckBox>(IDC_AUTO_RECONNECT)->isChecked());
        QTRY_VERIFY_WITH_TIMEOUT(board.Requests() >= 1, 5000);
        QTest::qWait(200);
        page->Item<QCheckBox>(IDC_TIMED_REFRESH)->click();
        QTRY_VERIFY_WITH_TIMEOUT(!page->GetDlgItemText(1068).isEmpty(), 5000);

        board.Stop();
        QVERIFY(!QFileInfo::exists(link)); // gone, as an unplugged adapter's name is
        QTRY_VERIFY_WITH_TIMEOUT(!dlg.m_bOpenCOM, 3000);
        QVERIFY(Status(dlg).contains(QStringLiteral("串口已断开")));
        QVERIFY(page->IsStale(kStatusSoc));
        QCOMPARE(LogRowsTitled(QStringLiteral("串口断开")), 1);
        QTest::qWait(1200); // the watch looks and finds nothing

        QVERIFY2(board.StartPtyAt(link, nullptr, options), qPrintable(board.ErrorString()));
        QTRY_VERIFY_WITH_TIMEOUT(dlg.m_bOpenCOM, 5000);
        QCOMPARE(LogRowsTitled(QStringLiteral("串口重连")), 1);
        QCOMPARE(dlg.Port().PortName(), link);
        QVERIFY(Status(dlg).contains(QStringLiteral("已连接")));
        QTRY_VERIFY_WITH_TIMEOUT(page->StaleCount() == 0, 8000); // refreshed again
        QCOMPARE(LogRowsTitled(QStringLiteral("串口断开")), 1);

        dlg.Item<QCheckBox>(IDC_AUTO_RECONNECT)->click();
        QVERIFY(!dlg.Item<QCheckBox>(IDC_AUTO_RECONNECT)->isChecked());
        board.Stop();
        QTRY_VERIFY_WITH_TIMEOUT(!dlg.m_bOpenCOM, 3000);
        QVERIFY2(board.StartPtyAt(link, nullptr, options), qPrintable(board.ErrorString()));
        QTest::qWait(2500);
        QVERIFY(!dlg.m_bOpenCOM);
        QCOMPARE(LogRowsTitled(QStringLiteral("串口重连")), 1);
        dlg.Item<QCheckBox>(IDC_AUTO_RECONNECT)->click(); // the stored setting back to its default
        board.Stop();
    }
};

int main(int argc, char **argv)
{
    QStandardPaths::setTestModeEnabled(true);
    return RunWidgetTest<TestBoardSilence>(argc, argv);
}

#include "test_board_silence.moc"
