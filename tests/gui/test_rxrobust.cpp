// The receive path of the main window, with every page it builds, fed with
// frames whose checksum is right and whose everything else is arbitrary:
// every class and code from 0x80 to 0xFF, data lengths 0..255, length bytes
// that claim more or fewer data bytes than the frame holds, batch answers
// cut into blocks of every size, and replays of such frames from the
// secondary board's cache. Run under the address sanitizer this finds reads
// past a frame; the checks here hold in any build.
#include "app/framework/rxreports.h"
#include "app/framework/rxroutes.h"
#include "app/mainwindow.h"
#include "app/pages/alarmprotectionpage.h"
#include "app/pages/livestatuspage.h"
#include "app/pages/systemlogpage.h"
#include "app/pages/wakethresholdpage.h"
#include "gui/page_fixture.h"
#include "link/winmsg.h"
#include "protocol/batch_status.h"
#include "protocol/dassert.h"

#include <QRadioButton>
#include <QTemporaryDir>

#include "gui/widget_test_main.h"
#include <random>
#include <set>

namespace {
// A complete frame: head, link, class, code, the length byte as claimed, the
// data actually present, a sum over what is there, tail.
Bytes Frame(std::uint8_t link, std::uint8_t cls, std::uint8_t code, std::uint8_t claimed, const Bytes &data)
{
    Bytes f(5 + data.size() + 4);
    f[0] = kFrameHead;
    f[1] = link;
    f[2] = cls;
    f[3] = code;
    f[4] = claimed;
    std::copy(data.begin(), data.end(), f.begin() + 5);
    const std::size_t at = 5 + data.size();
    std::uint16_t sum = FrameSum(f.data() + 1, at - 1);
    f[at] = static_cast<std::uint8_t>(sum & 0xFF);
    f[at + 1] = static_cast<std::uint8_t>(sum >> 8);
    f[at + 2] = 0x0D;
    f[at + 3] = 0x0A;
    return f;
}

struct Shape {
    const char *name;
    int claimed; // the length byte
    int present; // data bytes in the frame
};
// Length byte against the data really there.
const Shape kShapes[] = {
    {"empty", 0, 0},
    {"result only", 1, 1},
    {"claims 255, holds 3", 255, 3},
    {"claims 8, holds 0", 8, 0},
    {"claims 0, holds 6", 0, 6},
    {"claims 255, holds 255", 255, 255},
};
} // namespace

class TestRxRobust : public QObject {
    Q_OBJECT
    std::unique_ptr<MainWindow> m_dlg;
    QTemporaryDir m_dir;
    std::mt19937 m_rng{20240607};
    LogModel *m_log = nullptr;

    MainWindow *Dlg() { return m_dlg.get(); }
    Bytes Random(int count, bool resultOk)
    {
        Bytes b(static_cast<std::size_t>(count));
        for (auto &x : b)
            x = static_cast<std::uint8_t>(m_rng());
        if (resultOk && !b.empty())
            b[0] = 0x00;
        return b;
    }
    // Through the port's receive queue and the window's own message.
    void Deliver(const Bytes &f)
    {
        QVERIFY(Dlg()->Port().PushRxFrame(f.data(), f.size()));
        WinMsgEvent message(WM_FRAME_RECEIVED, 0, 0);
        QCoreApplication::sendEvent(Dlg(), &message);
        QVERIFY(Dlg()->Port().RxQueueEmpty());
    }
    void DrainPosted()
    {
        for (int i = 0; i < 300 && !Dlg()->Port().RxQueueEmpty(); ++i)
            QCoreApplication::sendPostedEvents(Dlg());
        QCoreApplication::sendPostedEvents();
        QVERIFY(Dlg()->Port().RxQueueEmpty());
    }
    QString LastText() const { return m_log->rowCount() ? m_log->Row(m_log->rowCount() - 1).text : QString(); }
    // A routed value answer still reaches its row after all of it.
    void CheckStillWorks()
    {
        auto *thr = Dlg()->Page<AlarmProtectionPage>();
        const PageParamRow *row = AlarmPageRows().RowByResponse(0x82, 0x8B);
        QVERIFY(row);
        Deliver(Frame(kLinkMain, 0x82, 0x8B, 3, {0x00, 0xFF, 0xFE}));
        QCOMPARE(thr->GetDlgItemText(row->editIds[0]), QStringLiteral("65534"));
        QCOMPARE(LampState(thr, row->chkId), LED_OK);
    }

private slots:
    void initTestCase()
    {
        SetErrorFilePath((m_dir.path() + QStringLiteral("/d_error.txt")).toStdString());
        // The real window with every page it builds; its port counts as open.
        m_dlg = std::make_unique<MainWindow>();
        m_dlg->m_bOpenCOM = true;
        m_log = theApp()->GetLogModel();
        PylvexApp *app = theApp();
        app->m_bLogError = app->m_bLogWarning = app->m_bLogInfo = app->m_bLogDebug = true;
        QVERIFY(Dlg()->Page<LiveStatusPage>() && Dlg()->Page<WakeThresholdPage>() &&
                Dlg()->Page<AlarmProtectionPage>() && Dlg()->Page<SystemLogPage>());
    }
    void cleanupTestCase()
    {
        m_dlg->m_bOpenCOM = false;
        m_dlg->Port().ClearTxQueue();
        m_dlg.reset();
    }

    // Every class and code, in every shape of length byte against data.
    void everyClassAndCode()
    {
        MsgBoxRecorder boxes;
        for (int cls = 0x80; cls <= 0xFF; ++cls) {
            for (int code = 0x80; code <= 0xFF; ++code) {
                const auto c = static_cast<std::uint8_t>(cls), k = static_cast<std::uint8_t>(code);
                const bool routed = !Dlg()->Pages().RoutesFor(c, k).empty();
                for (const Shape &s : kShapes) {
                    const std::uint8_t link = (code & 1) ? kLinkMain : kLinkSecondary;
                    Deliver(Frame(link, c, k, static_cast<std::uint8_t>(s.claimed), Random(s.present, true)));
                    if (QTest::currentTestFailed())
                        return;
                    // A class nobody handles is reported with its class and code.
                    const bool knownClass = cls == 0x81 || cls == 0x82 || cls == 0x83 || cls == 0x85;
                    if (!knownClass || (!routed && link == kLinkMain))
                        QVERIFY2(LastText().startsWith(QString::asprintf("上位机未处理命令 %02X %02X", cls, code)),
                                 qPrintable(LastText()));
                }
            }
        }
        CheckStillWorks();
    }

    // Every routed answer with every data length, honest and lying; a value
    // row never takes a value its frame does not hold. The live page takes
    // its answers into the recording and drives the SOC picture meanwhile.
    void everyDataLength()
    {
        MsgBoxRecorder boxes;
        PageBase *live = Dlg()->Page<LiveStatusPage>();
        live->CheckDlgButton(IDC_TIMED_SAVE, 1);
        live->CheckDlgButton(IDC_TIMED_REFRESH, 1);
        std::set<std::pair<int, int>> seen;
        auto *thr = Dlg()->Page<AlarmProtectionPage>();
        for (const RxRoute &r : Dlg()->Pages().AllRoutes()) {
            if (!seen.insert({r.cls, r.code}).second)
                continue;
            for (int n = 0; n <= 255; ++n) {
                for (std::uint8_t link : {kLinkMain, kLinkSecondary})
                    Deliver(Frame(link, r.cls, r.code, static_cast<std::uint8_t>(n), Random(n, n % 4 != 3)));
                // Fewer data bytes than claimed: refused on the rows of the page.
                const int present = n / 2;
                Deliver(Frame(kLinkMain, r.cls, r.code, static_cast<std::uint8_t>(n), Random(present, true)));
                if (QTest::currentTestFailed())
                    return;
                if (Dlg()->Pages().Page(r.page) == thr && r.chk && present < n)
                    QVERIFY2(LampState(thr, r.chk) != LED_OK,
                             qPrintable(QString::asprintf("%02X %02X n=%d", r.cls, r.code, n)));
            }
        }
        live->CheckDlgButton(IDC_TIMED_SAVE, 0);
        live->CheckDlgButton(IDC_TIMED_REFRESH, 0);
        CheckStillWorks();
    }

    // The data after the result code stays inside the frame held, whatever
    // its length byte claims: an empty data field gives no bytes at all.
    void afterResultStaysInsideTheFrame()
    {
        struct Case {
            int claimed;             // the length byte N
            int present;             // data bytes the frame holds
            std::size_t afterResult; // bytes expected after the result code
        };
        const Case cases[] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {3, 3, 2}, {5, 2, 1}, {2, 5, 1}, {255, 0, 0}};
        for (const Case &c : cases) {
            const Bytes f = Frame(kLinkMain, 0x82, 0xB0, static_cast<std::uint8_t>(c.claimed), Random(c.present, true));
            const ResponseView view = ViewResponse(f.data(), static_cast<int>(f.size()));
            const auto after = view.AfterResult();
            QCOMPARE(after.size(), c.afterResult);
            if (!after.empty()) {
                QCOMPARE(after.data(), f.data() + 6);
                QVERIFY(after.data() + after.size() <= f.data() + f.size());
            }
        }
    }

    // Batch answers cut into fifteen blocks of arbitrary sizes and codes.
    void batchBlocksOfEverySize()
    {
        for (int round = 0; round < 400; ++round) {
            std::vector<std::pair<std::uint8_t, Bytes>> blocks;
            int room = 255 - 1 - 2 * static_cast<int>(kBatchItems);
            for (std::size_t i = 0; i < kBatchItems; ++i) {
                std::uint8_t code = round % 2 ? kStatusRequestOrder[i] : static_cast<std::uint8_t>(m_rng() % 0x30);
                int size = room > 0 ? static_cast<int>(m_rng() % static_cast<unsigned>(std::min(room, 40) + 1)) : 0;
                room -= size;
                blocks.emplace_back(code, Random(size, false));
            }
            Bytes data = BuildBatchData(blocks);
            Deliver(Frame(kLinkMain, 0x83, 0xE6, static_cast<std::uint8_t>(data.size()), data));
            // The same answer with its last byte missing.
            data.pop_back();
            Deliver(Frame(kLinkMain, 0x83, 0xE6, static_cast<std::uint8_t>(data.size() + 1), data));
            if (QTest::currentTestFailed())
                return;
        }
        CheckStillWorks();
    }

    // Entries too short or too long to be a frame, and a negative length:
    // one receive row each, nothing read past the bytes, nothing routed.
    void notFrames()
    {
        m_log->ClearRows();
        const int sizes[] = {0, 1, 4, 5, 8, 265, 300, 1000};
        for (int size : sizes) {
            Bytes raw = Random(size, false);
            if (size > 4)
                raw[4] = static_cast<std::uint8_t>(size - 9);
            const int before = m_log->rowCount();
            Deliver(raw);
            QCOMPARE(m_log->rowCount(), before + 1);
            QVERIFY(m_log->Row(m_log->rowCount() - 1).title.startsWith(QStringLiteral("接收")));
        }
        const Bytes good = Frame(kLinkMain, 0x82, 0x8B, 3, {0x00, 0x12, 0x34});
        const int before = m_log->rowCount();
        Dlg()->Dispatcher().HandleFrame(good.data(), -1);
        QCOMPARE(m_log->rowCount(), before + 1);
        QCOMPARE(m_log->Row(m_log->rowCount() - 1).text, QString());
        CheckStillWorks();
    }

    // The secondary board's cached status answers, lying ones included,
    // replayed on a switch of board.
    void replayOfCachedGarbage()
    {
        for (std::uint8_t code : RxDispatcher::kCachedCodes)
            for (const Shape &s : kShapes)
                Deliver(
                    Frame(kLinkSecondary, 0x83, code, static_cast<std::uint8_t>(s.claimed), Random(s.present, true)));
        Dlg()->Item<QRadioButton>(IDC_SECONDARY_BOARD)->click();
        DrainPosted();
        Dlg()->Item<QRadioButton>(IDC_MAIN_BOARD)->click();
        DrainPosted();
        CheckStillWorks();
    }
};

int main(int argc, char **argv)
{
    return RunWidgetTest<TestRxRobust>(argc, argv);
}

#include "test_rxrobust.moc"
