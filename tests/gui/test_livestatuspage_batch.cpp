// Batch mode of the live status page: entering it, the check boxes it keeps
// ticked, its refresh period, the block differences, refusal of every
// truncated answer, and the idle-tick refresh of single-item mode.
#include "app/logmodel.h"
#include "app/pages/livestatuspage.h"
#include "app/pages/systemlogpage.h"
#include "app/pylvexapp.h"
#include "app/widgets/userlistctrl.h"
#include "common/batch_blocks.h"
#include "common/wall_clock_moved.h"
#include "gui/page_fixture.h"
#include "protocol/batch_status.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QtTest>

#include "gui/widget_test_main.h"
#include <memory>
#include <vector>

namespace {
// The page's view of a full answer: capacities with their multiplier, eight
// cells, and every balancing byte 0x01.
Blocks PageBlocks()
{
    Blocks blocks = FullBlocks();
    Bytes cells;
    for (int i = 0; i < 8; ++i)
        cells.insert(cells.end(), {0x0C, static_cast<std::uint8_t>(0xE0 + i)});
    SetBlock(blocks, 0x24, {0x4E, 0x20, 0x00, 0x0A});
    SetBlock(blocks, 0x05, cells);
    SetBlock(blocks, 0x07, Bytes(20, 0x01));
    return blocks;
}
} // namespace

class TestLiveStatusPageBatch : public QObject, private LivePageFixture {
    Q_OBJECT
private:
    void FeedBatch(const Bytes &frame) { m_page->OnBatchStatus(frame.data(), static_cast<int>(frame.size())); }
    QString Cell(int id, int row, int col) { return m_page->Item<UserListCtrl>(id)->GetItemText(row, col); }
    int BatchRequests()
    {
        int n = 0;
        for (const Bytes &f : Sent())
            n += f.size() == 24 && f[2] == 0x03 && f[3] == 0x66;
        return n;
    }

private slots:
    void init() { OpenPage(); }
    void cleanup() { ClosePage(); }

    void acceptedAnswerEntersBatchModeAndKeepsBoxesTicked()
    {
        m_page->CheckAllParams(0);
        FeedBatch(BatchAnswer(BuildBatchData(PageBlocks())));
        QVERIFY(m_page->BatchMode());
        QVERIFY(!m_page->AnyParamChecked(false));
        QCOMPARE(m_page->IsDlgButtonChecked(1004), 1);
        QCOMPARE(m_page->GetDlgItemText(1068), QStringLiteral("80"));
        QCOMPARE(m_page->GetDlgItemText(1162), QStringLiteral("SN1"));
        QCOMPARE(m_page->GetDlgItemText(1175), QStringLiteral("-10"));
        QCOMPARE(m_page->GetDlgItemText(1147), QStringLiteral("20000")); // no multiplier
        QCOMPARE(m_page->GetDlgItemText(1163), QStringLiteral("10000"));
        QCOMPARE(Cell(IDC_CELL_LIST, 10, 1), QStringLiteral("单节最大压差 7"));
        // The one-byte balancing block covers cells 1 to 8 as the single answer does.
        QCOMPARE(Cell(IDC_CELL_LIST, 0, 2), QStringLiteral("开"));
        QCOMPARE(Cell(IDC_CELL_LIST, 1, 2), QStringLiteral("关"));
        QCOMPARE(Cell(IDC_CELL_LIST, 2, 2), QStringLiteral("开"));
        for (int r = 3; r < 11; ++r)
            QCOMPARE(Cell(IDC_CELL_LIST, r, 2), QStringLiteral("关"));

        QTest::mouseClick(m_page->Item<QCheckBox>(1025), Qt::LeftButton);
        QCOMPARE(m_page->IsDlgButtonChecked(1025), 1);
        QTest::mouseClick(m_page->Item<QCheckBox>(1004), Qt::LeftButton);
        QCOMPARE(m_page->IsDlgButtonChecked(1004), 1);
        QVERIFY(!m_page->AnyParamChecked(false));

        Sent().clear();
        m_page->ClickDlgButton(IDC_READ);
        QCOMPARE(BatchRequests(), 1);
        QCOMPARE(Sent().size(), size_t(1));
    }

    // Batch answers are not kept for a replay, so a switch to the other board
    // in batch mode must neither leave the first board's values on the page
    // (date, SOC picture, the record for the CSV file included) nor wait for
    // the next timed refresh: the new board's batch status is asked for at once.
    void boardSwitchInBatchModeLeavesNothingOfTheOtherBoard()
    {
        m_host->SetPortOpen(true);
        QVERIFY(m_host->ShowPage(m_page));
        m_page->CheckDlgButton(IDC_TIMED_SAVE, 1);
        Blocks blocks = PageBlocks();
        SetBlock(blocks, 0x20, {24, 2, 29}); // production date 2024-02-29
        m_host->Receive(BatchAnswer(BuildBatchData(blocks)));
        QVERIFY(m_page->BatchMode());
        auto *date = m_page->Item<QDateEdit>(1159);
        QCOMPARE(date->date(), QDate(2024, 2, 29));
        QCOMPARE(m_page->GetDlgItemText(1068), QStringLiteral("80"));
        QVERIFY(m_page->ShownImage() > 0);
        QVERIFY(!m_page->Record().fields[kRecSoc].isEmpty());
        QVERIFY(!m_page->Record().cells.isEmpty());

        Sent().clear();
        m_host->Dispatcher().SwitchBoard(0);
        for (const StatusItem &item : kStatusItems)
            if (auto *edit = m_page->Item<QLineEdit>(item.nDisplayID))
                QVERIFY2(edit->text().isEmpty(), item.label);
        for (int id : {1070, 1151, 1175})
            QVERIFY(m_page->GetDlgItemText(id).isEmpty());
        QCOMPARE(m_page->Item<UserListCtrl>(IDC_CELL_LIST)->GetItemCount(), 0);
        QCOMPARE(m_page->Item<UserListCtrl>(IDC_TEMP_LIST)->GetItemCount(), 0);
        QCOMPARE(date->date(), date->minimumDate());
        QCOMPARE(date->text().trimmed(), QString());
        QCOMPARE(m_page->ShownImage(), 0);
        const StatusRecord &record = m_page->Record();
        for (const QString &field : record.fields)
            QVERIFY(field.isEmpty());
        QVERIFY(record.cells.isEmpty() && record.temps.isEmpty());
        QCOMPARE(BatchRequests(), 1);
        QCOMPARE(Sent().size(), std::size_t(1));

        // The secondary board's answer fills the page again.
        m_host->Receive(BoardFrame(0x83, 0xE6, BuildBatchData(blocks), 0xD3));
        QCOMPARE(m_page->GetDlgItemText(1068), QStringLiteral("80"));
        QCOMPARE(date->date(), QDate(2024, 2, 29));
    }

    void onlyKnownBlocksAreDecoded()
    {
        Blocks odd(13, {0x7E, {9, 9, 9}});
        odd.insert(odd.begin() + 2, {0x19, {55, 90}});
        odd.insert(odd.begin() + 7, {0x18, {4}});
        FeedBatch(BatchAnswer(BuildBatchData(odd)));
        QVERIFY(m_page->BatchMode());
        QCOMPARE(m_page->GetDlgItemText(1068), QStringLiteral("55"));
        QCOMPARE(m_page->GetDlgItemText(1070), QStringLiteral("90"));
        QCOMPARE(m_page->GetDlgItemText(1171), QStringLiteral("4"));
        QCOMPARE(m_page->GetDlgItemText(1162), QString());
    }

    void everyTruncationIsRefused()
    {
        Bytes data = BuildBatchData(PageBlocks());
        Bytes good = BatchAnswer(data);
        for (std::size_t cut = 0; cut < data.size(); ++cut) {
            FeedBatch(good);
            QVERIFY(m_page->BatchMode());
            // Cut data with a matching length byte and checksum: pairs point past the end.
            FeedBatch(BatchAnswer(Bytes(data.begin(), data.begin() + static_cast<long>(cut))));
            QVERIFY2(!m_page->BatchMode(), qPrintable(QString::number(cut)));
            // The frame itself cut short, its length byte untouched.
            Bytes shortFrame(good.begin(), good.begin() + static_cast<long>(cut));
            std::unique_ptr<std::uint8_t[]> exact(new std::uint8_t[cut + 1]);
            std::copy(shortFrame.begin(), shortFrame.end(), exact.get());
            FeedBatch(good);
            m_page->OnBatchStatus(exact.get(), static_cast<int>(cut));
            QVERIFY(!m_page->BatchMode());
        }
        Bytes refused = BatchAnswer({0x01}); // the board refuses the request
        FeedBatch(good);
        FeedBatch(refused);
        QVERIFY(!m_page->BatchMode());
    }

    void batchRefreshPeriod_data()
    {
        QTest::addColumn<QString>("period");
        QTest::addColumn<int>("ticks");
        QTest::newRow("1 s") << "1" << 3;
        QTest::newRow("60 s") << "60" << 10;
        QTest::newRow("5 s") << "5" << 5;
    }
    void batchRefreshPeriod()
    {
        QFETCH(QString, period);
        QFETCH(int, ticks);
        std::uint32_t now = 5000000;
        m_page->SetClock([&now] { return now; }, now);
        m_page->SetDlgItemText(IDC_SAVE_PERIOD, period);
        FeedBatch(BatchAnswer(BuildBatchData(PageBlocks())));
        m_page->CheckDlgButton(IDC_TIMED_REFRESH, 1);
        QVERIFY(m_page->OnSetActive());
        QVERIFY(m_page->IsTimerActive(TIMER_BATCH));
        Sent().clear();
        now += 1;
        m_page->OnTimer(TIMER_BATCH); // the first tick after activation sends at once
        QCOMPARE(BatchRequests(), 1);
        int tick = 0;
        while (BatchRequests() == 1 && tick < 30) {
            now += 1001; // a timer tick comes a little late
            ++tick;
            m_page->OnTimer(TIMER_BATCH);
            m_page->OnTimer(TIMER_IDLE_TICK); // ignored in batch mode
        }
        QCOMPARE(tick, ticks);
        QCOMPARE(Sent().size(), size_t(2));
        m_page->OnKillActive();
        QVERIFY(!m_page->IsTimerActive(TIMER_BATCH));
        QVERIFY(!m_page->AutoRefresh());
    }

    // A port that closes under a running batch refresh gives one row, not one
    // per period, and the refresh goes on after the next opening.
    void refreshPausesWithOneRowWhileThePortIsClosed()
    {
        std::uint32_t now = 7000000;
        m_page->SetClock([&now] { return now; }, now);
        m_page->SetDlgItemText(IDC_SAVE_PERIOD, QStringLiteral("1"));
        FeedBatch(BatchAnswer(BuildBatchData(PageBlocks())));
        m_page->CheckDlgButton(IDC_TIMED_REFRESH, 1);
        QVERIFY(m_page->OnSetActive());
        LogModel *log = theApp()->GetLogModel();
        const bool gate = theApp()->m_bLogError;
        theApp()->m_bLogError = true;
        log->ClearRows();
        m_host->SetPortOpen(false);
        Sent().clear();
        for (int tick = 0; tick < 6; ++tick) {
            now += 3001;
            m_page->OnTimer(TIMER_BATCH);
        }
        int rows = 0;
        for (int r = 0; r < log->rowCount(); ++r)
            rows += log->Row(r).text == QStringLiteral("请先打开串口后再进行操作！");
        QCOMPARE(rows, 1);
        QCOMPARE(BatchRequests(), 0);
        m_host->SetPortOpen(true);
        now += 3001;
        m_page->OnTimer(TIMER_BATCH);
        QCOMPARE(BatchRequests(), 1);
        theApp()->m_bLogError = gate;
        m_page->OnKillActive();
    }

    // The refresh deadlines are not kept on the computer's clock: set back by
    // an hour, the timed batch refresh still goes out at its tick.
    void batchRefreshSurvivesClockSetBack()
    {
        m_page->SetDlgItemText(IDC_SAVE_PERIOD, QStringLiteral("1"));
        FeedBatch(BatchAnswer(BuildBatchData(PageBlocks())));
        m_page->CheckDlgButton(IDC_TIMED_REFRESH, 1);
        QVERIFY(m_page->OnSetActive());
        int sent = 0, again = 0;
        {
            WallClockMoved setBack(-3600);
            Sent().clear();
            QTest::qWait(5);
            m_page->OnTimer(TIMER_BATCH);
            sent = BatchRequests();
            m_page->OnTimer(TIMER_BATCH); // the next one waits for its period
            again = BatchRequests();
        }
        m_page->OnKillActive();
        QCOMPARE(sent, 1);
        QCOMPARE(again, 1);
    }

    void idleTickReadsInSingleItemMode()
    {
        m_page->CheckAllParams(0);
        m_page->CheckDlgButton(IDC_TIMED_REFRESH, 1);
        QVERIFY(m_page->OnSetActive());
        m_page->OnTimer(TIMER_IDLE_TICK);
        QCOMPARE(Sent().size(), size_t(15)); // none ticked: all ticked first
        Sent().clear();
        m_page->OnTimer(TIMER_IDLE_TICK); // the send queue still holds them
        QVERIFY(Sent().empty());
        m_host->SendAll(); // the port sent them
        m_page->CheckDlgButton(1148, 0);
        m_page->OnTimer(TIMER_IDLE_TICK);
        QCOMPARE(Sent().size(), size_t(14));
        m_page->OnKillActive();
        m_host->SendAll(); // the port sent them
        Sent().clear();
        m_page->OnTimer(TIMER_IDLE_TICK);
        QVERIFY(Sent().empty());
    }

    // The host's idle signal is the page's idle tick while the page is in
    // front and "定时刷新" is ticked.
    void portIdleTicksThePageInFront()
    {
        auto idle = [this] {
            emit m_host->PortIdle();
            QCoreApplication::processEvents();
        };
        m_page->CheckAllParams(0);
        m_page->CheckDlgButton(IDC_TIMED_REFRESH, 1);
        QVERIFY(m_page->OnSetActive());
        QCOMPARE(m_host->ActivePage(), m_page);
        m_page->CheckDlgButton(IDC_TIMED_REFRESH, 0); // refreshing, but the box is off
        idle();
        QVERIFY(Sent().empty());
        m_page->CheckDlgButton(IDC_TIMED_REFRESH, 1);
        idle();
        QCOMPARE(Sent().size(), size_t(15));
        // Another page in front: no tick.
        m_host->SendAll();
        Sent().clear();
        auto *log = m_host->AddPage(new SystemLogPage(m_host.get()));
        QVERIFY(m_host->ShowPage(log));
        idle();
        QVERIFY(Sent().empty());
    }
};

int main(int argc, char **argv)
{
    QStandardPaths::setTestModeEnabled(true);
    return RunWidgetTest<TestLiveStatusPageBatch>(argc, argv);
}

#include "test_livestatuspage_batch.moc"
