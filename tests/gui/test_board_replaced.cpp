// Another board answering on the port after a reconnection is seen: the live
// status page compares the SN the board gives after every opening with the
// one before, writes a system-log row, tells the host (the status line names
// both), and starts new chart series, so two boards' values never mix. A
// port closed on purpose, or a switch to the other board, is no replacement.
#include "app/logmodel.h"
#include "app/pages/livestatuspage.h"
#include "app/pages/packchartfeed.h"
#include "app/pylvexapp.h"
#include "app/statusline.h"
#include "gui/page_fixture.h"

#include <QtTest>

#include "gui/widget_test_main.h"

namespace {
Bytes SnBytes(const char *sn)
{
    Bytes data{0x00}; // result code
    for (const char *c = sn; *c; ++c)
        data.push_back(static_cast<std::uint8_t>(*c));
    return data;
}
} // namespace

class TestBoardReplaced : public QObject, private LivePageFixture {
    Q_OBJECT
    void AnswerSn(const char *sn) { m_host->Respond(0x83, 0x81, SnBytes(sn)); }
    int ReplacedRows()
    {
        LogModel *log = theApp()->GetLogModel();
        int n = 0;
        for (int r = 0; r < log->rowCount(); ++r)
            n += log->Row(r).title == QStringLiteral("板卡更换");
        return n;
    }

private slots:
    void init()
    {
        OpenPage();
        theApp()->m_bLogWarning = true;
        theApp()->GetLogModel()->ClearRows();
    }
    void cleanup() { ClosePage(); }

    void anotherBoardAfterALostPortIsSaid()
    {
        AnswerSn("PX2024A001");
        const std::size_t sets = m_page->ChartFeed()->Store().Sets().size();
        emit m_host->PortClosed(true); // pulled; the window opens it again by itself
        emit m_host->PortOpened();
        AnswerSn("PX2024A001"); // the same board: nothing to say
        QVERIFY(m_host->BoardsReplaced().empty());
        emit m_host->PortClosed(true);
        emit m_host->PortOpened();
        AnswerSn("PX2024B777");
        QCOMPARE(m_host->BoardsReplaced().size(), std::size_t(1));
        QCOMPARE(m_host->BoardsReplaced()[0].first, QStringLiteral("PX2024A001"));
        QCOMPARE(m_host->BoardsReplaced()[0].second, QStringLiteral("PX2024B777"));
        QCOMPARE(ReplacedRows(), 1);
        const auto &after = m_page->ChartFeed()->Store().Sets();
        QVERIFY(after.size() > sets);
        QCOMPARE(after.back().label, QStringLiteral("板卡 PX2024B777")); // the new board's own series
    }

    void aDeliberateCloseOrABoardSwitchIsNoReplacement()
    {
        AnswerSn("PX2024A001");
        emit m_host->PortClosed(false); // the user closed it: the next board may be any
        emit m_host->PortOpened();
        AnswerSn("PX2024C123");
        emit m_host->BoardSwitched(); // the secondary board has its own SN
        AnswerSn("PX2024D456");
        QVERIFY(m_host->BoardsReplaced().empty());
        QCOMPARE(ReplacedRows(), 0);
    }

    void statusLineNamesBothBoards()
    {
        StatusFacts facts;
        facts.port = QStringLiteral("ttyUSB0");
        facts.open = true;
        facts.replacedSn = QStringLiteral("PX2024A001");
        facts.boardSn = QStringLiteral("PX2024B777");
        QVERIFY(StatusLineText(facts, QDateTime::currentDateTime())
                    .contains(QStringLiteral("板卡已更换：SN PX2024A001 → PX2024B777")));
        facts.open = false;
        QVERIFY(!StatusLineText(facts, QDateTime::currentDateTime()).contains(QStringLiteral("板卡已更换")));
    }
};

int main(int argc, char **argv)
{
    return RunWidgetTest<TestBoardReplaced>(argc, argv);
}

#include "test_board_replaced.moc"
