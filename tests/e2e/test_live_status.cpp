// The live status page against the simulated board: over a pseudo-terminal,
// opening the port probes the batch read and enters batch mode, timed refresh
// keeps the pack moving and the daily CSV file gets rows; with the board in
// the process, a board without the batch read is refreshed item by item on
// the idle tick.
#include "app/mainwindow.h"
#include "app/pages/livestatuspage.h"
#include "app/pagesheet.h"
#include "app/pylvexapp.h"
#include "app/widgets/userlistctrl.h"
#include "board_window.h"
#include "files/logfiles.h"
#include "sim/simhost.h"

#include "gui/widget_test_main.h"
#include <QCheckBox>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {
int CsvLines()
{
    QFile f(StatusRecordPath(QDate::currentDate()));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    return static_cast<int>(f.readAll().count("\r\n"));
}
} // namespace

class TestLiveStatus : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;

    template <class Board> LiveStatusPage *OpenAgainst(MainWindow &dlg, Board &board, const SimOptions &options)
    {
        auto *page = dlg.Page<LiveStatusPage>();
        return OpenAgainstBoard(dlg, board, page, options) ? page : nullptr;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        SetLogBaseFolder(m_dir.path());
    }

    void batchModeRefreshAndRecording()
    {
        MainWindow dlg;
        SimHost board;
        LiveStatusPage *page = OpenAgainst(dlg, board, SimOptions{});
        QVERIFY(page);
        QVERIFY(dlg.m_bOpenCOM);
        // The quiet probe sent on opening puts the page in batch mode.
        QTRY_VERIFY_WITH_TIMEOUT(page->BatchMode(), 5000);
        QVERIFY(!page->AnyParamChecked(false));
        QVERIFY(!page->GetDlgItemText(1068).isEmpty());
        QVERIFY(!page->GetDlgItemText(1162).isEmpty());

        page->SetDlgItemText(IDC_SAVE_PERIOD, QStringLiteral("1"));
        page->CheckDlgButton(IDC_TIMED_SAVE, 1);
        page->Item<QCheckBox>(IDC_TIMED_REFRESH)->click();
        QVERIFY(page->AutoRefresh());
        std::uint64_t before = board.Requests();
        // Batch refreshes at least every 3 s; the first tick after the switch sends one.
        QTRY_VERIFY_WITH_TIMEOUT(board.Requests() >= before + 2, 9000);
        // Rows once the record is filled by an answer received with the box ticked.
        QTRY_VERIFY_WITH_TIMEOUT(CsvLines() >= 3, 9000); // header and two rows
        QVERIFY(page->BatchMode());
        dlg.ClosePort();
        board.Stop();
    }

    void singleItemModeWithoutBatchRead()
    {
        MainWindow dlg;
        InProcessBoard board;
        SimOptions options;
        options.noBatch = true;
        LiveStatusPage *page = OpenAgainst(dlg, board, options);
        QVERIFY(page);
        QTRY_VERIFY_WITH_TIMEOUT(board.Requests() >= 1, 5000);
        QTest::qWait(300);
        QVERIFY(!page->BatchMode());
        page->Item<QCheckBox>(IDC_TIMED_REFRESH)->click();
        QVERIFY(page->AutoRefresh());
        // Idle ticks read every item; the values arrive.
        QTRY_VERIFY_WITH_TIMEOUT(!page->GetDlgItemText(1068).isEmpty(), 9000);
        QTRY_VERIFY_WITH_TIMEOUT(page->Item<UserListCtrl>(IDC_CELL_LIST)->GetItemCount() > 3, 9000);
        std::uint64_t seen = board.Requests();
        QTRY_VERIFY_WITH_TIMEOUT(board.Requests() >= seen + 30, 9000); // still refreshing: two rounds more
        QVERIFY(!page->BatchMode());
        QVERIFY(!page->GetDlgItemText(1173).isEmpty());
        dlg.ClosePort();
        board.Stop();
    }
};

int main(int argc, char **argv)
{
    QStandardPaths::setTestModeEnabled(true);
    return RunWidgetTest<TestLiveStatus>(argc, argv);
}

#include "test_live_status.moc"
