// The receive path fed with frames: one frame per message, checksum rows,
// board choice, the secondary-board cache and its replay, the routing table.
#include "app/framework/msgbox.h"
#include "app/framework/rxroutes.h"
#include "app/mainwindow.h"
#include "app/pages/livestatuspage.h"
#include "app/pages/paramrows.h"
#include "app/pages/soclearningpage.h"
#include "app/pages/repeaterpage.h"
#include "app/pylvexapp.h"
#include "common/fakehost.h"
#include "common/wall_clock_moved.h"
#include "gui/test_pages.h"
#include "link/portdiscovery.h"
#include "link/winmsg.h"

#include <QLineEdit>
#include <QRadioButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include "gui/widget_test_main.h"
#include <set>

using Bytes = std::vector<std::uint8_t>;

namespace {
std::int64_t g_now = 1000000;
std::int64_t FakeClock()
{
    return g_now;
}
} // namespace

class TestRxDispatch : public QObject {
    Q_OBJECT
    MainWindow *dlg = nullptr;
    TestPage *two = nullptr;
    TestPage *ten = nullptr;
    TestPage *one = nullptr;
    LogModel *log = nullptr;

    void Push(const Bytes &f) { QVERIFY(dlg->Port().PushRxFrame(f.data(), f.size())); }
    void Deliver()
    {
        WinMsgEvent message(WM_FRAME_RECEIVED, 0, 0);
        QCoreApplication::sendEvent(dlg, &message);
    }
    void DrainQueue()
    {
        for (int i = 0; i < 100 && !dlg->Port().RxQueueEmpty(); ++i)
            QCoreApplication::sendPostedEvents(dlg);
        QCoreApplication::sendPostedEvents(dlg);
    }
    QString Text(int id) { return two->Item<QLineEdit>(id)->text(); }
    int Rows(const QString &textStart)
    {
        int n = 0;
        for (int r = 0; r < log->rowCount(); ++r)
            n += log->Row(r).text.startsWith(textStart) ? 1 : 0;
        return n;
    }
    void SelectBoard(bool main) { dlg->Item<QRadioButton>(main ? IDC_MAIN_BOARD : IDC_SECONDARY_BOARD)->click(); }

private slots:
    void initTestCase()
    {
        dlg = new MainWindow;
        dlg->Dispatcher().m_clock = FakeClock;
        // Stand-ins serving the routes of the pages they stand for.
        two = new TestPage(dlg->Host(), "WakeThresholdPage", QStringLiteral("唤醒与门限"));
        two->extraRows = {{1341, 1339, 1340, 0}};
        two->routes = ParamRowPage::RowRoutes(WakeupPageRows());
        ten = new TestPage(dlg->Host(), "LiveStatusPage", QStringLiteral("客户使用-1"));
        ten->routes = LiveStatusPage::StatusRoutes();
        one = new TestPage(dlg->Host(), "RepeaterPage", QStringLiteral("中继器信息"));
        one->extraRows = {{1382, 1383, 1381, 0}, {1372, 1371, 1370, 1373}};
        one->routes = RepeaterPage(nullptr).Routes();
        for (TestPage *p : {two, ten, one})
            dlg->Sheet()->AddPage(p);
        log = theApp()->GetLogModel();
        theApp()->m_bLogDebug = true;
    }
    void init()
    {
        log->ClearRows();
        dlg->m_bOpenCOM = false;
        SelectBoard(true);
        dlg->Port().ClearRxQueue();
        dlg->ShowPortLamps(true);
    }
    void cleanupTestCase() { delete dlg; }

    void oneFramePerMessage()
    {
        Push(Response(0x82, 0x92, {0x00, 0x00, 0x0A}));
        Push(Response(0x82, 0x93, {0x00, 0x00, 0x0B}));
        Deliver();
        QCOMPARE(Rows(QStringLiteral("4d 53 82")), 1);
        QCOMPARE(Text(1339), QStringLiteral("10"));
        QVERIFY(!dlg->Port().RxQueueEmpty());
        QCoreApplication::sendPostedEvents(dlg); // the re-posted message takes the second
        QCOMPARE(Rows(QStringLiteral("4d 53 82")), 2);
        QCOMPARE(Text(1339), QStringLiteral("11"));
        QVERIFY(dlg->Port().RxQueueEmpty());
        QCOMPARE(log->Row(0).title, QStringLiteral("接收 02 12"));
        QCOMPARE(LedState(dlg->RxLed()), LED_ERROR); // red flash
    }

    void boardFilter_data()
    {
        QTest::addColumn<bool>("mainSelected");
        QTest::addColumn<int>("link");
        QTest::addColumn<int>("cls");
        QTest::addColumn<int>("code");
        QTest::addColumn<bool>("routed");
        QTest::newRow("0x82 from the selected board") << true << 0x53 << 0x82 << 0xA6 << true;
        QTest::newRow("0x82 from the other board") << true << 0xD3 << 0x82 << 0xA6 << false;
        QTest::newRow("0x82 secondary selected") << false << 0xD3 << 0x82 << 0xA6 << true;
        QTest::newRow("0x82 code 0x85 from the other board") << true << 0xD3 << 0x82 << 0x85 << true;
        QTest::newRow("0x85 from the other board") << true << 0xD3 << 0x85 << 0x82 << false;
        QTest::newRow("0x83 from the other board") << false << 0x53 << 0x83 << 0x86 << false;
        QTest::newRow("0x83 from the selected board") << false << 0xD3 << 0x83 << 0x86 << true;
        QTest::newRow("0x81 from the main board") << false << 0x53 << 0x81 << 0x81 << true;
        QTest::newRow("0x81 from the secondary board") << true << 0xD3 << 0x81 << 0x81 << true;
    }
    void boardFilter()
    {
        QFETCH(bool, mainSelected);
        QFETCH(int, link);
        QFETCH(int, cls);
        QFETCH(int, code);
        QFETCH(bool, routed);
        SelectBoard(mainSelected);
        two->Item<QLineEdit>(1062)->clear();
        one->Item<QLineEdit>(1383)->clear();
        ten->status.clear();
        log->ClearRows();
        auto *fiv = dlg->Page<SocLearningPage>();
        fiv->SetLedState(IDC_SOC_LEARN_CHK, LED_IDLE);
        Bytes f = Response(std::uint8_t(cls), std::uint8_t(code), {0x00, 0x01, 0x2C}, std::uint8_t(link));
        dlg->Dispatcher().HandleFrame(f.data(), int(f.size()));
        bool seen = false;
        if (cls == 0x82 && code == 0xA6)
            seen = Text(1062) == QStringLiteral("3");
        else if (cls == 0x82 && code == 0x85) { // the SOC learning page's record: its lamp answers
            ParamEntry learn;
            seen = fiv->LookupParam(IDC_SOC_LEARN_CHK, learn) && LedState(learn.pLedCtrl) == LED_OK;
        } else if (cls == 0x85) // routed to a page not built here
            seen = Rows(QStringLiteral("未加载处理命令的页面！")) == 1;
        else if (cls == 0x83)
            seen = ten->status.size() == 1;
        else
            seen = one->Item<QLineEdit>(1383)->text() == QStringLiteral("响应时，页面处于非活动状态！");
        QCOMPARE(seen, routed);
    }

    void cacheAndReplay()
    {
        RxDispatcher &rx = dlg->Dispatcher();
        QVERIFY(rx.m_bSecondarySeen); // set by the secondary frames above
        Bytes status = Response(0x83, 0x85, {0x00, 0x0C, 0xE4}, 0xD3);
        Bytes other = Response(0x83, 0xE6, {0x00}, 0xD3); // not among the cached codes
        g_now = 5000000;
        dlg->Dispatcher().HandleFrame(status.data(), int(status.size()));
        dlg->Dispatcher().HandleFrame(other.data(), int(other.size()));
        const CachedFrame &cached = rx.m_secondaryCache[4];
        QCOMPARE(cached.len, int(status.size()));
        QCOMPARE(cached.bytes[0], std::uint8_t(0x00));
        QCOMPARE(cached.time, g_now);

        // Switch with the port open: the recent status is replayed.
        dlg->m_bOpenCOM = true;
        ten->status.clear();
        log->ClearRows();
        g_now += 119000;
        SelectBoard(false);
        dlg->ShowPortLamps(true);
        DrainQueue();
        QCOMPARE(ten->status.size(), std::size_t(1));
        QCOMPARE(ten->status[0][0], std::uint8_t(0x00));
        QCOMPARE(Rows(QStringLiteral("00 d3 83 85 03 00 0c e4 ")), 1);
        QCOMPARE(LedState(dlg->RxLed()), LED_OK); // no flash for a replay
        QCOMPARE(cached.time, g_now - 119000);    // never cached again

        // Older than 120 s: not replayed.
        SelectBoard(true);
        g_now += 2000;
        ten->status.clear();
        SelectBoard(false);
        DrainQueue();
        QVERIFY(ten->status.empty());
    }

    // Cache ages are not measured on the computer's clock: set back or
    // forward by an hour, it does not hide the recent status.
    void cacheSurvivesClockSetBackOrForward()
    {
        RxDispatcher &rx = dlg->Dispatcher();
        rx.m_clock = nullptr;
        for (CachedFrame &cached : rx.m_secondaryCache)
            cached.len = 0; // entries of the tests before, on their clock
        SelectBoard(true);
        dlg->m_bOpenCOM = true;
        const Bytes status = Response(0x83, 0x99, {0x00, 0x50, 0x64}, 0xD3);
        rx.HandleFrame(status.data(), int(status.size()));
        const Bytes expected{0x00, 0xD3, 0x83, 0x99, 0x03, 0x00, 0x50, 0x64};
        auto replayedAfterSwitch = [&](int movedSeconds) {
            WallClockMoved moved(movedSeconds);
            SelectBoard(true);
            ten->status.clear();
            SelectBoard(false);
            DrainQueue();
            return ten->status.size() == 1 && Bytes(ten->status[0].begin(), ten->status[0].begin() + 8) == expected;
        };
        const bool afterSetBack = replayedAfterSwitch(-3600);
        const bool afterSetForward = replayedAfterSwitch(3600);
        rx.m_clock = FakeClock;
        QVERIFY(afterSetBack);
        QVERIFY(afterSetForward);
    }

    void versionAnswer()
    {
        SelectBoard(true);
        dlg->m_bOpenCOM = true;
        QVERIFY(dlg->Sheet()->SetActivePage(one));
        auto answer = [this](const Bytes &data) {
            Bytes f = Response(0x81, 0x83, data);
            dlg->Dispatcher().HandleFrame(f.data(), int(f.size()));
        };
        answer({0x00, 1, 4, 2, 255, 0, 10});
        QCOMPARE(one->Item<QLineEdit>(1371)->text(), QStringLiteral("V1.4.2"));
        QCOMPARE(one->Item<QLineEdit>(1373)->text(), QStringLiteral("V255.0.10"));
        // One byte short: the length text in the first box, the second untouched.
        answer({0x00, 9, 9, 9, 9, 9});
        QCOMPARE(one->Item<QLineEdit>(1371)->text(), QStringLiteral("Len:6, Need:7"));
        QCOMPARE(one->Item<QLineEdit>(1373)->text(), QStringLiteral("V255.0.10"));
    }

    void unhandledClass()
    {
        Bytes f = Response(0x84, 0x81, {0x00});
        dlg->Dispatcher().HandleFrame(f.data(), int(f.size()));
        QCOMPARE(log->Row(log->rowCount() - 1).title, QStringLiteral("接收 04 01"));
        QCOMPARE(log->Row(log->rowCount() - 1).text,
                 QStringLiteral("上位机未处理命令 84 81 ，") + QString::fromStdString(HexText(f.data(), f.size())));
        QCOMPARE(log->Row(log->rowCount() - 1).level, 3);
        QCOMPARE(LedState(dlg->RxLed()), LED_ERROR);
    }

    void unlistedCodes()
    {
        for (int code : {0xAD, 0xEF, 0xFA, 0x80}) {
            log->ClearRows();
            Bytes f = Response(0x82, std::uint8_t(code), {0x00});
            dlg->Dispatcher().HandleFrame(f.data(), int(f.size()));
            QCOMPARE(Rows(QString::asprintf("上位机未处理命令 82 %02X ，", code)), 1);
        }
    }

    void checksumError()
    {
        // 53 + 82 + 92 + 03 + 00 + 1D + 00 = 0x0187; the stored sum is wrong.
        Bytes f = {0x4D, 0x53, 0x82, 0x92, 0x03, 0x00, 0x1D, 0x00, 0x00, 0x00, 0x0D, 0x0A};
        two->Item<QLineEdit>(1339)->clear();
        dlg->Dispatcher().HandleFrame(f.data(), int(f.size()));
        const LogRow &row = log->Row(log->rowCount() - 1);
        QCOMPARE(row.level, 3);
        QCOMPARE(row.title, QStringLiteral("接收 02 12"));
        QCOMPARE(row.text, QStringLiteral("校验码错误，计算结果 87 01 为校验码，4d 53 82 92 03 00 1d 00 00 00 0d 0a "));
        QCOMPARE(Text(1339), QString()); // not routed
        QCOMPARE(LedState(dlg->RxLed()), LED_ERROR);
    }

    void switchWithPortClosed()
    {
        SelectBoard(false);
        QCOMPARE(dlg->Dispatcher().m_bMainSelected, 0);
        const LogRow &row = log->Row(log->rowCount() - 1);
        QCOMPARE(row.title, QStringLiteral("主副电切换"));
        QCOMPARE(row.text, QStringLiteral("请先打开串口后再进行操作！"));
        // Frames are filtered by the new choice.
        Bytes f = Response(0x82, 0x92, {0x00, 0x00, 0x2A});
        dlg->Dispatcher().HandleFrame(f.data(), int(f.size()));
        QVERIFY(Text(1339) != QStringLiteral("42"));
    }

    void missingPage()
    {
        // A page that served codes and is gone: a code of it is answered by one
        // error row and reaches no other page; a route marked to be passed over
        // is passed over without a row.
        FakeHost host;
        auto *gone = new TestPage(&host, "AlarmProtectionPage");
        gone->routes = {ValueRoute(0x82, 0x8A, VT_UI2, 3, 2001), SkipWhenMissing(RowRoute(0x83, 0x95, 2001))};
        host.AddPage(gone);
        QCOMPARE(host.Pages().RoutesFor(0x82, 0x8A).size(), std::size_t(1));
        delete gone;
        log->ClearRows();
        Bytes f = Response(0x82, 0x8A, {0x00, 0x0C, 0x80});
        host.Dispatcher().HandleFrame(f.data(), int(f.size()));
        QCOMPARE(Rows(QStringLiteral("未加载处理命令的页面！")), 1);
        const LogRow &row = log->Row(log->rowCount() - 1);
        QCOMPARE(row.level, 3);
        QCOMPARE(row.title, QStringLiteral("接收 02 0A"));
        QCOMPARE(row.text, QStringLiteral("未加载处理命令的页面！"));
        log->ClearRows();
        Bytes g = Response(0x83, 0x95, {0x00, 0x01});
        host.Dispatcher().HandleFrame(g.data(), int(g.size()));
        QCOMPARE(Rows(QStringLiteral("未加载")), 0);
        QCOMPARE(Rows(QStringLiteral("上位机未处理命令")), 0);
    }

    void routesAreData()
    {
        std::set<std::pair<int, int>> seen;
        int previous = -1;
        for (const RxRoute &r : dlg->Pages().AllRoutes()) {
            int key = r.cls * 256 + r.code;
            // The rows of one class and code stand together, in their order.
            if (key != previous)
                QVERIFY2(seen.insert({r.cls, r.code}).second,
                         qPrintable(QString::asprintf("%02X %02X", r.cls, r.code)));
            previous = key;
            QVERIFY(r.code & 0x80);
            QCOMPARE(dlg->Pages().RoutesFor(r.cls, r.code).empty(), false);
        }
        QCOMPARE(dlg->Pages().RoutesFor(0x83, 0x94).size(), std::size_t(4));
        QCOMPARE(dlg->Pages().RoutesFor(0x84, 0x81).size(), std::size_t(0));
        QCOMPARE(dlg->Pages().RoutesFor(0x82, 0xED).size(), std::size_t(0));
    }
};

int main(int argc, char **argv)
{
    // The machine's own ports stay untouched.
    return RunWidgetTest<TestRxDispatch>(argc, argv, [] { SetPortListSource([] { return QStringList(); }); });
}

#include "test_rxdispatch.moc"
