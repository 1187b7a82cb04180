// Batch mode of the live status page: entering it, the check boxes it keeps
// ticked, its refresh period, the block differences, refusal of every
// truncated answer, and the idle-tick refresh of single-item mode.
#include "app/pages/cfgpageten.h"
#include "app/pylvexapp.h"
#include "app/pylvexdlg.h"
#include "app/widgets/userlistctrl.h"
#include "protocol/batch_status.h"
#include "protocol/frame.h"

#include <QCheckBox>
#include <QtTest>

#include <memory>
#include <vector>

namespace {
using Vec = std::vector<std::uint8_t>;
using Blocks = std::vector<std::pair<std::uint8_t, Vec>>;

Vec Frame(std::uint8_t cls, std::uint8_t code, const Vec &data)
{
    Vec payload{0x53, cls, code, static_cast<std::uint8_t>(data.size())};
    payload.insert(payload.end(), data.begin(), data.end());
    BuildResult r = BuildFrame(payload.data(), payload.size());
    Vec frame(r.entry->data(), r.entry->data() + r.entry->size());
    FrameEntryFree(r.entry);
    return frame;
}

Blocks FullBlocks()
{
    Vec cells;
    for (int i = 0; i < 8; ++i)
        cells.insert(cells.end(), {0x0C, static_cast<std::uint8_t>(0xE0 + i)});
    return {{0x02, {1, 2, 3, 4, 5, 6}},
            {0x22, {0x00, 0x01}},
            {0x09, {0x00, 0x00, 0x01}},
            {0x18, {2}},
            {0x11, {0x00, 0x05}},
            {0x19, {80, 100}},
            {0x23, {0x27, 0x10, 0x00, 0x01}},
            {0x24, {0x4E, 0x20, 0x00, 0x0A}},
            {0x06, {0x14, 0x82, 0, 0, 0xFF, 0xFF, 0x00, 0xFA, 0x00, 0xF0}},
            {0x20, {24, 5, 17}},
            {0x01, {'S', 'N', '1'}},
            {0x14, {0x03}},
            {0x05, cells},
            {0x08, {0x05}},
            {0x07, Vec(20, 0x01)}};
}
} // namespace

class TestCfgPageTenBatch : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<CPylvexDlg> m_dlg;
    std::unique_ptr<CCfgPageTen> m_page;
    std::vector<Vec> m_sent;

    void FeedBatch(const Vec &frame) { m_page->OnBatchStatus(frame.data(), static_cast<int>(frame.size())); }
    QString Cell(int id, int row, int col) { return m_page->Item<CUserListCtrl>(id)->GetItemText(row, col); }
    int BatchRequests()
    {
        int n = 0;
        for (const Vec &f : m_sent)
            n += f.size() == 24 && f[2] == 0x03 && f[3] == 0x66;
        return n;
    }

private slots:
    void init()
    {
        m_dlg = std::make_unique<CPylvexDlg>();
        m_dlg->m_bOpenCOM = true;
        m_sent.clear();
        m_dlg->m_sendTap = [this](const std::uint8_t *b, std::size_t n) { m_sent.emplace_back(b, b + n); };
        m_page = std::make_unique<CCfgPageTen>(m_dlg.get());
        m_page->InitDialog();
    }
    void cleanup()
    {
        m_page.reset();
        m_dlg.reset();
    }

    void acceptedAnswerEntersBatchModeAndKeepsBoxesTicked()
    {
        m_page->CheckAllParams(0);
        FeedBatch(Frame(0x83, 0xE6, BuildBatchData(FullBlocks())));
        QVERIFY(m_page->m_bBatchMode);
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

        m_sent.clear();
        m_page->ClickDlgButton(IDC_READ);
        QCOMPARE(BatchRequests(), 1);
        QCOMPARE(m_sent.size(), size_t(1));
    }

    void onlyKnownBlocksAreDecoded()
    {
        Blocks odd(13, {0x7E, {9, 9, 9}});
        odd.insert(odd.begin() + 2, {0x19, {55, 90}});
        odd.insert(odd.begin() + 7, {0x18, {4}});
        FeedBatch(Frame(0x83, 0xE6, BuildBatchData(odd)));
        QVERIFY(m_page->m_bBatchMode);
        QCOMPARE(m_page->GetDlgItemText(1068), QStringLiteral("55"));
        QCOMPARE(m_page->GetDlgItemText(1070), QStringLiteral("90"));
        QCOMPARE(m_page->GetDlgItemText(1171), QStringLiteral("4"));
        QCOMPARE(m_page->GetDlgItemText(1162), QString());
    }

    void everyTruncationIsRefused()
    {
        Vec data = BuildBatchData(FullBlocks());
        Vec good = Frame(0x83, 0xE6, data);
        for (std::size_t cut = 0; cut < data.size(); ++cut) {
            FeedBatch(good);
            QVERIFY(m_page->m_bBatchMode);
            // Cut data with a matching length byte and checksum: pairs point past the end.
            FeedBatch(Frame(0x83, 0xE6, Vec(data.begin(), data.begin() + static_cast<long>(cut))));
            QVERIFY2(!m_page->m_bBatchMode, qPrintable(QString::number(cut)));
            // The frame itself cut short, its length byte untouched.
            Vec shortFrame(good.begin(), good.begin() + static_cast<long>(cut));
            std::unique_ptr<std::uint8_t[]> exact(new std::uint8_t[cut + 1]);
            std::copy(shortFrame.begin(), shortFrame.end(), exact.get());
            FeedBatch(good);
            m_page->OnBatchStatus(exact.get(), static_cast<int>(cut));
            QVERIFY(!m_page->m_bBatchMode);
        }
        Vec refused = Frame(0x83, 0xE6, {0x01}); // the board refuses the request
        FeedBatch(good);
        FeedBatch(refused);
        QVERIFY(!m_page->m_bBatchMode);
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
        m_page->m_clock = [&now] { return now; };
        m_page->m_dwNextBatchMs = now;
        m_page->SetDlgItemText(IDC_SAVE_PERIOD, period);
        FeedBatch(Frame(0x83, 0xE6, BuildBatchData(FullBlocks())));
        m_page->CheckDlgButton(IDC_TIMED_REFRESH, 1);
        QVERIFY(m_page->OnSetActive());
        QVERIFY(m_page->IsTimerActive(TIMER_BATCH));
        m_sent.clear();
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
        QCOMPARE(m_sent.size(), size_t(2));
        m_page->OnKillActive();
        QVERIFY(!m_page->IsTimerActive(TIMER_BATCH));
        QVERIFY(!m_page->m_bAutoRefresh);
    }

    void idleTickReadsInSingleItemMode()
    {
        m_page->CheckAllParams(0);
        m_page->CheckDlgButton(IDC_TIMED_REFRESH, 1);
        QVERIFY(m_page->OnSetActive());
        m_page->OnTimer(TIMER_IDLE_TICK);
        QCOMPARE(m_sent.size(), size_t(15)); // none ticked: all ticked first
        m_sent.clear();
        m_page->OnTimer(TIMER_IDLE_TICK); // the send queue still holds them
        QVERIFY(m_sent.empty());
        m_dlg->Port().ClearTxQueue();
        m_page->CheckDlgButton(1148, 0);
        m_page->OnTimer(TIMER_IDLE_TICK);
        QCOMPARE(m_sent.size(), size_t(14));
        m_page->OnKillActive();
        m_dlg->Port().ClearTxQueue();
        m_sent.clear();
        m_page->OnTimer(TIMER_IDLE_TICK);
        QVERIFY(m_sent.empty());
    }
};

int main(int argc, char **argv)
{
    QStandardPaths::setTestModeEnabled(true);
    CPylvexApp app(argc, argv);
    TestCfgPageTenBatch test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_cfgpageten_batch.moc"
