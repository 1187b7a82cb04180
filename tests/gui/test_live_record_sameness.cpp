// The daily CSV recording is one piece of code: for the same answers of the
// simulated board, the rows the live status page records and the rows the
// command line's recording writes (the live state filled from the frames,
// then every item's fields, as `pylvexctl watch --csv` does) are the same
// bytes, apart from the time column. Item by item and in batch mode.
#include "app/pages/livestatuspage.h"
#include "files/logfiles.h"
#include "files/statusrecord.h"
#include "gui/page_fixture.h"
#include "protocol/batch_status.h"
#include "protocol/live_status.h"
#include "sim/sim_link.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "gui/widget_test_main.h"
#include <memory>

namespace {
// The lines of a recording with the time column taken off.
QStringList WithoutTime(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = f.readAll();
    QStringList lines = QString(QStringDecoder("GBK").decode(bytes)).split(QStringLiteral("\r\n"));
    for (int i = 1; i < lines.size(); ++i) // the header stays whole
        lines[i] = lines[i].section(QLatin1Char(','), 1);
    return lines;
}

Bytes Answer(SimLink &board, const Bytes &request)
{
    Bytes out;
    for (const SimBytes &chunk : board.Feed(request))
        out.insert(out.end(), chunk.begin(), chunk.end());
    return out;
}
} // namespace

class TestLiveRecordSameness : public QObject, private LivePageFixture {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_dir;
    QDateTime m_now{QDate(2026, 12, 11), QTime(10, 0, 0)};
    std::int64_t m_boardMs = 1765447200000;

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        SetLogBaseFolder(m_dir->path());
        OpenPage();
        m_page->SetWallClock([this] { return m_now; });
    }
    void cleanup()
    {
        ClosePage();
        SetLogBaseFolder(QString());
    }

    void windowAndCommandLineWriteTheSameRows_data()
    {
        QTest::addColumn<bool>("batch");
        QTest::newRow("item by item") << false;
        QTest::newRow("batch") << true;
    }
    void windowAndCommandLineWriteTheSameRows()
    {
        QFETCH(bool, batch);
        SimLink board(SimOptions{}, [this] { return m_boardMs; });
        QVERIFY(m_page->OnSetActive());
        m_page->CheckDlgButton(IDC_TIMED_SAVE, 1);
        const QString cliPath = m_dir->filePath(QStringLiteral("watch.csv"));
        LiveStatus live;
        StatusRecord record;
        for (int round = 0; round < 4; ++round) {
            m_boardMs += 7000; // the pack moves on between rounds
            m_now = m_now.addSecs(7);
            std::vector<Bytes> answers;
            if (batch) {
                const auto payload = BatchRequestPayload();
                answers.push_back(Answer(board, FrameOf(Bytes(payload.begin(), payload.end()))));
            } else {
                for (std::uint8_t code : kStatusRequestOrder)
                    answers.push_back(Answer(board, FrameOf({0x53, 0x03, code, 0x01, 0x00})));
            }
            for (const Bytes &a : answers) {
                QVERIFY(a.size() >= 9);
                m_host->Receive(a); // the window: the real receive path to the page
                if (batch)          // the command line: the live state from the same frames
                    ApplyBatchStatus(live, ParseBatchStatus(a.data(), a.size()));
                else
                    ApplyStatusFrame(live, a.data(), a.size());
            }
            m_page->OnTimer(TIMER_RECORD);
            for (std::uint8_t code : kStatusRequestOrder)
                RecordStatusItem(record, code, live);
            QCOMPARE(AppendStatusRecord(record, cliPath, m_now).outcome, RecordWriteResult::Written);
        }
        const QStringList window = WithoutTime(StatusRecordPath(m_now.date()));
        const QStringList commandLine = WithoutTime(cliPath);
        QCOMPARE(window.size(), 6); // header, four rows, the empty end
        QCOMPARE(window, commandLine);
        QVERIFY(window[1] != window[4]); // the rows carry the moving pack, not one copy
    }
};

int main(int argc, char **argv)
{
    return RunWidgetTest<TestLiveRecordSameness>(argc, argv);
}

#include "test_live_record_sameness.moc"
