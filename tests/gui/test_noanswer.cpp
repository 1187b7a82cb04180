// Unanswered requests on the pages: the watch of the window's send path over
// the real receive path of a fake host, the no-answer look of a row's lamp
// and its tooltip, the rows of the live status page, its stale values, and
// the texts of the status line.
#include "app/framework/rowpagebase.h"
#include "app/linkwatch.h"
#include "app/logmodel.h"
#include "app/pages/livestatuspage.h"
#include "app/pages/wakethresholdpage.h"
#include "app/statusline.h"
#include "common/fakehost.h"
#include "common/log_rows.h"
#include "files/logfiles.h"
#include "files/statusrecord.h"
#include "gui/page_fixture.h"
#include "gui/widget_test_main.h"
#include "protocol/batch_status.h"
#include "protocol/status_decode.h"
#include "sim/sim_board.h"

#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QtTest>

namespace {
QString LampTip(RowPageBase *page, int chk)
{
    ParamEntry entry;
    return page->LookupParam(chk, entry) && entry.pLedCtrl ? entry.pLedCtrl->toolTip() : QString();
}

// The simulated board's answer to the read request of a class and code.
Bytes BoardAnswer(SimBoard &board, std::uint8_t cls, std::uint8_t code)
{
    Bytes request = MakeFrame(kLinkMain, cls, code, Bytes{0x00});
    std::vector<SimBytes> answers = board.Handle(request);
    return answers.empty() ? Bytes{} : Bytes(answers.front().begin(), answers.front().end());
}
} // namespace

class TestNoAnswer : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        theApp()->m_bLogWarning = true;
        theApp()->GetLogModel()->ClearRows();
    }

    // A value row of a table-driven page: the kind its answer route names is
    // sent and left unanswered; the lamp takes the no-answer look once, the log
    // one row; the answer puts the lamp back to what the answer says.
    void rowLampShowsNoAnswerUntilTheAnswer()
    {
        FakeHost host;
        auto *page = host.AddPage(new WakeThresholdPage(&host));
        const RxRoute *route = nullptr;
        for (const RxRoute &r : host.Pages().AllRoutes())
            if (host.Pages().Page(r.page) == page && r.op == OP_VALUE && r.chk != 0 && r.need > 1) {
                route = &r;
                break;
            }
        QVERIFY(route);
        LinkWatcher watch(host, host.Dispatcher());
        watch.m_interval = [] { return 20; };
        host.Dispatcher().m_onAnswer = [&watch](const std::uint8_t *f, int n) { watch.OnAnswer(f, n); };
        const RequestKey key = MakeRequestKey(route->cls, route->code | 0x01); // the read request
        const QString title = QStringLiteral("无应答 %1 %2")
                                  .arg(KeyClass(key), 2, 16, QLatin1Char('0'))
                                  .arg(KeyCode(key), 2, 16, QLatin1Char('0'))
                                  .toUpper();
        // The same frame queued raw by an upgrade dialog is not watched.
        watch.IgnoreNextSent(key);
        watch.OnFrameSent(key, 5);
        QCOMPARE(watch.Watch().WaitingCount(), std::size_t(0));
        page->SetLedState(route->chk, LED_IDLE);
        watch.OnFrameSent(key, 5);
        QCOMPARE(watch.Watch().WaitingCount(), std::size_t(1));
        QTest::qWait(300);
        QVERIFY(!page->HasNoAnswerLook(route->chk)); // not before its time
        QTRY_VERIFY_WITH_TIMEOUT(page->HasNoAnswerLook(route->chk), 3000);
        QCOMPARE(LampState(page, route->chk), -1); // neither ok, error nor idle
        QVERIFY2(LampTip(page, route->chk).startsWith(QStringLiteral("无应答（自 ")),
                 qPrintable(LampTip(page, route->chk)));
        QCOMPARE(LogRowsTitled(title), 1);
        QVERIFY(watch.SilentSince().isValid());

        // Asked again and again unanswered: no second row.
        watch.OnFrameSent(key, 5);
        QTest::qWait(1300);
        QCOMPARE(LogRowsTitled(title), 1);

        Bytes data(route->need, 0x00);
        data[route->need - 1] = 0x05;
        host.Respond(route->cls, route->code | 0x01, data); // the read's answer
        QCOMPARE(LampState(page, route->chk), LED_OK);
        QVERIFY(!LampTip(page, route->chk).contains(QStringLiteral("无应答"))); // the gesture tip is back
        QVERIFY(!watch.Watch().IsNoted(key));
        QVERIFY(!watch.SilentSince().isValid());
        QVERIFY(watch.LastAnswerTime().isValid());
    }

    // The live page's rows have no row in their routes: the page finds them
    // by the item's code; the batch request names every ticked row.
    void livePageRowsByItemCode()
    {
        FakeHost host;
        auto *page = host.AddPage(new LiveStatusPage(&host));
        const QDateTime since = QDateTime::currentDateTime().addSecs(-5);
        host.Dispatcher().NoteNoAnswer(MakeRequestKey(0x03, kStatusSoc), since);
        const StatusItem *soc = FindStatusItemByCode(kStatusSoc);
        QVERIFY(page->HasNoAnswerLook(soc->nChkID));
        QVERIFY(LampTip(page, soc->nChkID).contains(since.toString(QStringLiteral("HH:mm:ss"))));
        QVERIFY(!page->HasNoAnswerLook(FindStatusItemByCode(kStatusCells)->nChkID));

        page->CheckAllParams(1);
        host.Dispatcher().NoteNoAnswer(MakeRequestKey(0x03, kBatchCode), since); // the batch request
        for (const StatusItem &item : kStatusItems)
            QVERIFY2(page->HasNoAnswerLook(item.nChkID), item.label);
    }

    // Values shown before the port closed are stale; a fresh answer of an item
    // restores it; the recording writes no row without a fresh answer.
    void liveValuesStaleAfterCloseAndFreshAgain()
    {
        FakeHost host;
        auto *page = host.AddPage(new LiveStatusPage(&host));
        SimBoard board(SimOptions{});
        const Bytes socAnswer = BoardAnswer(board, 0x03, kStatusSoc);
        QVERIFY(!socAnswer.empty());
        host.Receive(socAnswer);
        host.Receive(BoardAnswer(board, 0x03, kStatusCycles));
        QVERIFY(!page->GetDlgItemText(1068).isEmpty());
        QCOMPARE(page->StaleCount(), 0);
        auto *note = page->Item<QLabel>(IDC_STALE_NOTE);
        QVERIFY(note && note->isHidden());

        emit host.PortClosed(true);
        QCOMPARE(page->StaleCount(), 2);
        QVERIFY(page->IsStale(kStatusSoc) && page->IsStale(kStatusCycles));
        QVERIFY(!page->IsStale(kStatusCells)); // never shown
        QVERIFY(!note->isHidden());
        QVERIFY2(note->text().startsWith(QStringLiteral("数据已过期（自 ")), qPrintable(note->text()));
        QCOMPARE(page->GetDlgItem(1068)->property("stale").toBool(), true);
        QVERIFY(!page->GetDlgItemText(1068).isEmpty()); // still shown, only greyed
        // The lamps take the stale look too: the rows' lamps and the MOS lamps.
        auto grey = [page](int id) { return page->Item<LedLamp>(id)->ColumnIndex() == LedLamp::kGrey; };
        QVERIFY(grey(1067) && grey(1026)); // the SOC and cycle count rows
        host.Receive(socAnswer);
        QVERIFY(!grey(1067));
        QVERIFY(grey(1026));
        host.Receive(BoardAnswer(board, 0x03, kStatusMos));
        emit host.PortClosed(true);
        for (int mos : {IDC_MOS_CHARGE, IDC_MOS_DISCHARGE, IDC_MOS_PRE})
            QVERIFY2(grey(mos), qPrintable(QString::number(mos)));
        host.Receive(BoardAnswer(board, 0x03, kStatusMos));
        QVERIFY(!grey(1020)); // the MOS row's lamp: bright again with the answer

        host.Receive(socAnswer);
        QVERIFY(!page->IsStale(kStatusSoc));
        QVERIFY(page->IsStale(kStatusCycles));
        QCOMPARE(page->GetDlgItem(1068)->property("stale").toBool(), false);
        host.Receive(BoardAnswer(board, 0x03, kStatusCycles));
        QCOMPARE(page->StaleCount(), 0);
        QVERIFY(note->isHidden());

        page->ClickDlgButton(IDC_CLEAR);
        emit host.PortClosed(false);
        QCOMPARE(page->StaleCount(), 0); // nothing shown, nothing stale
    }

    // The recording writes rows while the values come, none from the values
    // left on the page once the port is gone, and again once answers return.
    void recordingSkipsStaleValues()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        SetLogBaseFolder(dir.path());
        FakeHost host;
        auto *page = host.AddPage(new LiveStatusPage(&host));
        page->CheckDlgButton(IDC_TIMED_SAVE, 1);
        SimBoard board(SimOptions{});
        auto feed = [&] {
            for (std::uint8_t code : {kStatusSoc, kStatusPower, kStatusCells})
                host.Receive(BoardAnswer(board, 0x03, code));
        };
        auto lines = [] {
            QFile f(StatusRecordPath(QDate::currentDate()));
            return f.open(QIODevice::ReadOnly) ? static_cast<int>(f.readAll().count("\r\n")) : 0;
        };
        feed();
        page->OnTimer(TIMER_RECORD);
        QCOMPARE(lines(), 2); // header and a row
        emit host.PortClosed(true);
        QVERIFY(page->RecordIsStale());
        page->OnTimer(TIMER_RECORD);
        page->OnTimer(TIMER_RECORD);
        QCOMPARE(lines(), 2);
        feed();
        QVERIFY(!page->RecordIsStale());
        page->OnTimer(TIMER_RECORD);
        QCOMPARE(lines(), 3);
        host.SetPortOpen(false);
        page->OnTimer(TIMER_RECORD);
        QCOMPARE(lines(), 3);
    }

    // Values age while the page refreshes: three refresh periods without an
    // answer make an item stale.
    void liveValuesAgeWhileRefreshing()
    {
        FakeHost host;
        auto *page = host.AddPage(new LiveStatusPage(&host));
        host.Gate().SetVerified(true);
        QVERIFY(host.ShowPage(page));
        theApp()->m_nCmdSndInvl = 20;
        page->CheckAllParams(0);
        page->CheckDlgButton(FindStatusItemByCode(kStatusSoc)->nChkID, 1);
        page->ClickDlgButton(IDC_TIMED_REFRESH);
        QVERIFY(page->AutoRefresh());
        QCOMPARE(page->RefreshPeriodMs(), 1000);
        SimBoard board(SimOptions{});
        host.Receive(BoardAnswer(board, 0x03, kStatusSoc));
        page->CheckStale();
        QVERIFY(!page->IsStale(kStatusSoc));
        QTest::qWait(1500);
        page->CheckStale();
        QVERIFY(!page->IsStale(kStatusSoc)); // under three periods
        QTRY_VERIFY_WITH_TIMEOUT((page->CheckStale(), page->IsStale(kStatusSoc)), 5000);
        theApp()->m_nCmdSndInvl = 400;
    }

    void statusLineTexts()
    {
        const QDateTime now(QDate(2026, 3, 4), QTime(10, 0, 30));
        struct Case {
            const char *name;
            StatusFacts facts;
            QStringList has;
            QStringList hasNot;
        };
        StatusFacts closed;
        closed.port = QStringLiteral("ttyUSB0");
        closed.settings = QStringLiteral("9600,8,None,1");
        StatusFacts open = closed;
        open.open = true;
        open.lastAnswer = now.addSecs(-2);
        StatusFacts silent = open;
        silent.silentSince = now.addSecs(-12);
        StatusFacts lost = closed;
        lost.lostAt = now.addSecs(-3);
        lost.reconnecting = true;
        lost.mainBoard = false;
        // The terminal page holds the line: who holds it and what comes back, nothing else.
        StatusFacts taken = closed;
        taken.takenBy = QStringLiteral("/dev/pts/7");
        taken.lastAnswer = now.addSecs(-20);
        StatusFacts takenAfterLoss = lost;
        takenAfterLoss.takenBy = QStringLiteral("/dev/pts/7");
        const Case cases[] = {
            {"taken",
             taken,
             {"串口调试占用 /dev/pts/7；离开本页后恢复 ttyUSB0 9600,8,None,1", "主电"},
             {"未连接", "已连接", "最后应答", "尚无应答"}},
            {"taken after a loss",
             takenAfterLoss,
             {"串口调试占用 /dev/pts/7；离开本页后恢复 ttyUSB0", "副电"},
             {"串口已断开", "等待设备重新连接"}},
            {"closed", closed, {"ttyUSB0 9600,8,None,1", "未连接", "主电", "尚无应答"}, {"已连接", "板卡无应答"}},
            {"open", open, {"已连接", "最后应答 10:00:28"}, {"未连接", "板卡无应答", "串口已断开"}},
            {"silent", silent, {"已连接", "板卡无应答（12 秒）"}, {}},
            {"lost", lost, {"串口已断开（10:00:27）", "等待设备重新连接", "副电"}, {"已连接", "板卡无应答"}},
        };
        for (const Case &c : cases) {
            const QString text = StatusLineText(c.facts, now);
            for (const QString &s : c.has)
                QVERIFY2(text.contains(s), qPrintable(QStringLiteral("%1: %2 in %3").arg(c.name, s, text)));
            for (const QString &s : c.hasNot)
                QVERIFY2(!text.contains(s), qPrintable(QStringLiteral("%1: no %2 in %3").arg(c.name, s, text)));
        }
        StatusLineView line;
        line.Show(silent, now);
        QVERIFY(line.Alarming());
        line.Show(open, now);
        QVERIFY(!line.Alarming());
        line.Show(takenAfterLoss, now);
        QVERIFY(!line.Alarming());
        QVERIFY(line.Text().startsWith("串口调试占用 /dev/pts/7；"));
    }
};

int main(int argc, char **argv)
{
    return RunWidgetTest<TestNoAnswer>(argc, argv);
}

#include "test_noanswer.moc"
