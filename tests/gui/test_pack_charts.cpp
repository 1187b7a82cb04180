// Charts of the live status page: the series take exactly the values the page
// shows (answers of the simulated board through the page's own decoding), a
// board switch starts new series, a lost link leaves a gap; the chart window
// draws them, thins long series, reads recorded days and exports.
#include "app/dialogs/filechooser.h"
#include "app/dialogs/packchartwindow.h"
#include "app/framework/msgbox.h"
#include "app/pages/alarmprotectionpage.h"
#include "app/pages/livestatuspage.h"
#include "app/pages/packchartfeed.h"
#include "app/widgets/packtimechart.h"
#include "app/widgets/userlistctrl.h"
#include "files/logfiles.h"
#include "files/statusrecord.h"
#include "gui/page_fixture.h"
#include "protocol/frame.h"
#include "sim/sim_board.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPushButton>
#include <QTemporaryDir>
#include <QWheelEvent>
#include <QtTest>

#include "gui/widget_test_main.h"
#include <memory>

namespace {
constexpr std::uint8_t kChartItems[] = {kStatusPower, kStatusCells, kStatusSoc, kStatusBalancing};
} // namespace

class TestPackCharts : public QObject, private LivePageFixture {
    Q_OBJECT
private:
    std::unique_ptr<SimBoard> m_board;
    double m_now = 1.75e12;

    // The board's answer to the item's read request, handed to the page.
    void Ask(std::uint8_t code, std::uint8_t link = kLinkMain)
    {
        Bytes request = MakeFrame(link, 0x03, code, Bytes{0x00});
        std::vector<SimBytes> answers = m_board->Handle(request);
        QVERIFY(!answers.empty());
        Bytes answer(answers.front().begin(), answers.front().end());
        m_page->OnStatusResponse(answer.data(), static_cast<int>(answer.size()));
    }
    void Round(std::uint8_t link = kLinkMain)
    {
        for (std::uint8_t code : kChartItems)
            Ask(code, link);
        m_now += 1000;
    }
    const PackSeriesSet &Set() { return *m_page->ChartFeed()->Store().Current(); }
    double Last(int index)
    {
        const auto &points = Set().series[static_cast<std::size_t>(index)].Points();
        return points.empty() ? -1e9 : points.back().v;
    }
    UserListCtrl *List(int id) { return qobject_cast<UserListCtrl *>(m_page->GetDlgItem(id)); }

    // The series' newest points against the texts the page shows.
    void CompareWithPage()
    {
        QCOMPARE(Last(kSeriesVoltage) * 1000, m_page->GetDlgItemText(1173).toDouble());
        QCOMPARE(Last(kSeriesCurrent) * 1000, m_page->GetDlgItemText(1175).toDouble());
        QCOMPARE(Last(kSeriesSoc), m_page->GetDlgItemText(1068).toDouble());
        UserListCtrl *temps = List(IDC_TEMP_LIST);
        QVERIFY(temps->GetItemCount() > 0);
        QCOMPARE(static_cast<int>(Set().TempCount()), temps->GetItemCount());
        for (int p = 0; p < temps->GetItemCount(); ++p)
            QCOMPARE(Last(kSeriesFirstTemp + p), temps->GetItemText(p, 1).toDouble());
        UserListCtrl *cells = List(IDC_CELL_LIST);
        const int n = cells->GetItemCount() - 3; // the cells, then three summary rows
        QVERIFY(n > 0);
        double hi = -1, lo = 1e9;
        for (int i = 0; i < n; ++i) {
            hi = std::max(hi, cells->GetItemText(i, 1).toDouble());
            lo = std::min(lo, cells->GetItemText(i, 1).toDouble());
        }
        QCOMPARE(Last(kSeriesHighCell), hi);
        QCOMPARE(Last(kSeriesLowCell), lo);
        QCOMPARE(Last(kSeriesCellDiff), hi - lo);
    }

private slots:
    void init()
    {
        m_board = std::make_unique<SimBoard>(SimOptions{});
        OpenPage();
        m_page->ChartFeed()->SetClock([this] { return m_now; });
    }
    void cleanup()
    {
        ClosePage();
        m_board.reset();
    }

    void seriesTakeTheValuesThePageShows()
    {
        for (int r = 0; r < 5; ++r) {
            Round();
            CompareWithPage();
        }
        const PackSeriesSet &set = Set();
        for (int k : {kSeriesVoltage, kSeriesCurrent, kSeriesSoc, kSeriesHighCell, kSeriesFirstTemp}) {
            QCOMPARE(set.series[static_cast<std::size_t>(k)].Points().size(), std::size_t(5));
            QCOMPARE(set.series[static_cast<std::size_t>(k)].SegmentCount(), std::size_t(1));
        }
        QCOMPARE(set.series[kSeriesVoltage].Points()[4].t, m_now - 1000);
    }

    void aBoardSwitchStartsNewSeries()
    {
        Round();
        Round();
        emit m_host->BoardSwitched();
        QCOMPARE(m_page->ChartFeed()->Store().Sets().size(), std::size_t(2));
        QVERIFY(Set().series[kSeriesVoltage].Empty());
        Round(); // the answers after the switch
        CompareWithPage();
        QCOMPARE(Set().series[kSeriesVoltage].Points().size(), std::size_t(1));
        QCOMPARE(m_page->ChartFeed()->Store().Sets()[0].series[kSeriesVoltage].Points().size(), std::size_t(2));
        // The window's bars do not keep the cells of the board before.
        PackChartWindow *w = m_page->OpenChartWindow();
        QVERIFY(w->CellChart()->CellCount() > 0);
        emit m_host->BoardSwitched();
        QCOMPARE(w->CellChart()->CellCount(), 0);
        w->close();
    }

    void aLostLinkLeavesAGap()
    {
        Round();
        Round();
        emit m_host->PortClosed(true);
        m_now += 30000;
        emit m_host->PortOpened();
        // The new connection is a set of its own, and the old one ends in a segment break.
        Round();
        const auto &sets = m_page->ChartFeed()->Store().Sets();
        QCOMPARE(sets.size(), std::size_t(2));
        QCOMPARE(sets[1].series[kSeriesVoltage].Points().size(), std::size_t(1));
        // Stale values without a new connection: one set, two segments.
        cleanup();
        init();
        Round();
        emit m_host->PortClosed(true);
        Round();
        const PackSeries &v = Set().series[kSeriesVoltage];
        QCOMPARE(v.SegmentCount(), std::size_t(2));
        QVERIFY(!v.ValueAt(m_now - 1500)); // between the two answers: no line
    }

    void windowDrawsBarsAndSeries()
    {
        for (int r = 0; r < 3; ++r)
            Round();
        PackChartWindow *w = m_page->OpenChartWindow();
        QVERIFY(w);
        QCOMPARE(m_page->OpenChartWindow(), w); // one at a time
        QVERIFY(!w->isModal());
        // The window fits a screen of 1024 x 700.
        QVERIFY2(
            w->minimumSizeHint().width() <= 1024 && w->minimumSizeHint().height() <= 700,
            qPrintable(QStringLiteral("%1x%2").arg(w->minimumSizeHint().width()).arg(w->minimumSizeHint().height())));
        w->RedrawNow();
        const LiveStatus &shown = m_page->ChartFeed()->Shown();
        QVERIFY(shown.cells);
        QCOMPARE(w->CellChart()->CellCount(), static_cast<int>(shown.cells->cells.size()));
        const int hi = shown.cells->highestCell - 1;
        QCOMPARE(w->CellChart()->BarValue(1, hi), static_cast<double>(shown.cells->highest));
        QCOMPARE(w->CellChart()->BarValue(0, hi), 0.0);
        QCOMPARE(w->TimeChart()->DrawnPoints(kSeriesVoltage), 3);
        w->TimeChart()->SetSeriesVisible(kSeriesVoltage, false);
        w->RedrawNow();
        QCOMPARE(w->TimeChart()->DrawnPoints(kSeriesVoltage), 0);
        QVERIFY(!w->CsvText().contains(QStringLiteral("总电压")));
        w->TimeChart()->SetSeriesVisible(kSeriesVoltage, true);
        const QString text = w->TimeChart()->CursorText(m_now - 1000);
        QVERIFY2(text.contains(QStringLiteral("总电压")), qPrintable(text));
        w->close();
    }

    void thresholdsReadOnTheAlarmPageAreDrawn()
    {
        Round();
        auto *thr = m_host->AddPage(new AlarmProtectionPage(m_host.get()));
        // The board answers the over-charge alarm (3650 mV) and refuses the
        // over-discharge protection; a value only typed into a box is not a threshold.
        m_host->Respond(0x82, 0xD9, {0x00, 0x0E, 0x42});
        m_host->Respond(0x82, 0xE5, {0x05});
        thr->SetDlgItemText(1207, QStringLiteral("2500"));
        const std::vector<CellThreshold> known = m_page->KnownCellThresholds();
        QCOMPARE(known.size(), std::size_t(1));
        QCOMPARE(known[0].mv, 3650.0);
        QCOMPARE(known[0].name, QStringLiteral("单节过充报警"));
        PackChartWindow *w = m_page->OpenChartWindow();
        QCOMPARE(w->CellChart()->ThresholdCount(), 1);
        m_host->Respond(0x82, 0xE5, {0x00, 0x09, 0xC4}); // 2500 mV
        Round();                                         // the next cells bring the newly read threshold in
        QCOMPARE(w->CellChart()->ThresholdCount(), 2);
        thr->ClickDlgButton(IDC_CLEAR); // cleared boxes: no longer known
        Round();
        QCOMPARE(w->CellChart()->ThresholdCount(), 0);
        w->close();
    }

    void wheelZoomsDragPansDoubleClickFollows()
    {
        for (int r = 0; r < 120; ++r)
            Round();
        PackChartWindow *w = m_page->OpenChartWindow();
        w->resize(1000, 660);
        w->SetWindowChoice(3); // everything
        PackTimeChart *chart = w->TimeChart();
        const double span = chart->RangeEnd() - chart->RangeStart();
        const QPointF mid = chart->chart()->plotArea().center();
        QWheelEvent wheel(mid, chart->mapToGlobal(mid), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(chart->viewport(), &wheel);
        QVERIFY(!chart->Following());
        QVERIFY(chart->RangeEnd() - chart->RangeStart() < span * 0.9);
        const double start = chart->RangeStart();
        QTest::mousePress(chart->viewport(), Qt::LeftButton, {}, mid.toPoint());
        QMouseEvent move(QEvent::MouseMove, mid + QPointF(-100, 0), chart->mapToGlobal(mid + QPointF(-100, 0)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(chart->viewport(), &move);
        QTest::mouseRelease(chart->viewport(), Qt::LeftButton, {}, (mid + QPointF(-100, 0)).toPoint());
        QVERIFY(chart->RangeStart() > start); // dragged left: later times come in
        QTest::mouseDClick(chart->viewport(), Qt::LeftButton, {}, mid.toPoint());
        QVERIFY(chart->Following());
        w->close();
    }

    // The values under the mouse name every series: however long, they leave
    // the window's size alone.
    void cursorValuesLeaveTheWindowSize()
    {
        for (int r = 0; r < 120; ++r)
            Round();
        PackChartWindow *w = m_page->OpenChartWindow();
        w->resize(1000, 660);
        w->SetWindowChoice(3);
        const QString hint = w->CursorText();
        // What the chart says when the mouse is over the newest point; the
        // layout then does what it would do on the next pass of the loop.
        PackTimeChart *chart = w->TimeChart();
        emit chart->CursorMoved(chart->CursorText(chart->RangeEnd()));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        QVERIFY(w->CursorText() != hint);
        QCOMPARE(w->size(), QSize(1000, 660));
        QVERIFY2(w->minimumSizeHint().width() <= 1000, qPrintable(QString::number(w->minimumSizeHint().width())));
        w->close();
    }

    void pauseHoldsTheCells()
    {
        Round();
        PackChartWindow *w = m_page->OpenChartWindow();
        w->SetPaused(true);
        const double before = w->CellChart()->BarValue(0, 0) + w->CellChart()->BarValue(1, 0) +
                              w->CellChart()->BarValue(2, 0) + w->CellChart()->BarValue(3, 0);
        m_page->ChartFeed()->Shown().cells->cells[0] = 1234; // a value the bars would show
        emit m_page->ChartFeed()->Updated(kStatusCells);
        QCOMPARE(w->CellChart()->BarValue(0, 0) + w->CellChart()->BarValue(1, 0) + w->CellChart()->BarValue(2, 0) +
                     w->CellChart()->BarValue(3, 0),
                 before);
        w->SetPaused(false);
        emit m_page->ChartFeed()->Updated(kStatusCells);
        QVERIFY(w->CellChart()->BarValue(0, 0) + w->CellChart()->BarValue(1, 0) + w->CellChart()->BarValue(2, 0) +
                    w->CellChart()->BarValue(3, 0) ==
                1234);
        w->close();
    }

    void exportWritesPictureAndCsvWithBom()
    {
        for (int r = 0; r < 3; ++r)
            Round();
        PackChartWindow *w = m_page->OpenChartWindow();
        QTemporaryDir dir;
        const QString png = dir.filePath("c.png");
        const QString csv = dir.filePath("c.csv");
        QVERIFY(w->ExportPicture(png));
        QImage image(png);
        QVERIFY(!image.isNull());
        QVERIFY(w->ExportCsv(csv));
        QFile f(csv);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
        const QStringList lines = QString::fromUtf8(bytes.mid(3)).split("\r\n", Qt::SkipEmptyParts);
        QVERIFY(lines[0].startsWith(QStringLiteral("时间,总电压(V),总电流(A),SOC(%)")));
        QCOMPARE(lines.size(), 1 + 3);
        w->close();
    }

    // The export buttons ask for a file of their kind and tell a write that failed.
    void exportButtonsAskForTheirFileAndTellAFailure()
    {
        for (int r = 0; r < 2; ++r)
            Round();
        PackChartWindow *w = m_page->OpenChartWindow();
        QTemporaryDir dir;
        struct Case {
            const char *button, *suffix;
        };
        for (const Case &c : {Case{"导出图片...", "png"}, Case{"导出数据...", "csv"}}) {
            QPushButton *button = nullptr;
            for (QPushButton *b : w->findChildren<QPushButton *>())
                if (b->text() == QString::fromUtf8(c.button))
                    button = b;
            QVERIFY2(button, c.button);
            FileAsk asked;
            QString answer = dir.filePath(QStringLiteral("out.") + c.suffix);
            SetFileChooserHook([&](const FileAsk &ask) {
                asked = ask;
                return answer;
            });
            std::vector<MsgBoxCall> boxes;
            SetMsgBoxHook([&](const MsgBoxCall &call) {
                boxes.push_back(call);
                return IDOK;
            });
            button->click();
            QVERIFY(asked.save);
            QCOMPARE(asked.defaultSuffix, QString::fromLatin1(c.suffix));
            QVERIFY(QFileInfo(answer).size() > 0);
            QVERIFY(boxes.empty());
            answer = dir.filePath(QStringLiteral("missing/out.") + c.suffix); // a folder that is not there
            button->click();
            QCOMPARE(boxes.size(), std::size_t(1));
            QVERIFY(boxes[0].text.contains(QStringLiteral("无法写入文件")));
            QCOMPARE(boxes[0].Icon(), MB_ICONERROR);
            SetFileChooserHook({});
            SetMsgBoxHook({});
        }
        w->close();
    }

    void recordedDayIsDrawnAndAForeignFileRefused()
    {
        QTemporaryDir dir;
        SetLogBaseFolder(dir.path());
        const QDate day(2025, 6, 1);
        StatusRecord r;
        r.fields[kRecSoc] = "77";
        r.fields[kRecVoltage] = "52500";
        r.fields[kRecCurrent] = "-1200";
        r.fields[kRecHighCell] = "3310";
        r.fields[kRecLowCell] = "3290";
        r.fields[kRecCellDiff] = "20";
        r.temps = {"25.0", "24.5"};
        r.cells = {"3300", "3310", "3290"};
        for (int s = 0; s < 600; ++s)
            QCOMPARE(WriteStatusRecord(r, QDateTime(day, QTime(10, 0, 0).addSecs(s))).outcome,
                     RecordWriteResult::Written);
        PackChartWindow *w = m_page->OpenChartWindow();
        QVERIFY(w->OpenRecord(StatusRecordPath(day)));
        QVERIFY(!w->ShowingLive());
        QCOMPARE(w->ShownSet()->series[kSeriesVoltage].Points().size(), std::size_t(600));
        QCOMPARE(w->ShownSet()->TempCount(), std::size_t(2));
        QVERIFY(w->TimeChart()->DrawnPoints(kSeriesVoltage) > 0);

        QFile other(dir.filePath("other.csv"));
        QVERIFY(other.open(QIODevice::WriteOnly));
        other.write("a,b,c\r\n1,2,3\r\n");
        other.close();
        MsgBoxRecorder boxes;
        QVERIFY(!w->OpenRecord(other.fileName()));
        QCOMPARE(boxes.Shown().size(), std::size_t(1));
        QVERIFY(boxes.Shown()[0].text.contains(QStringLiteral("表头不符")));
        // The day shown before stays.
        QCOMPARE(w->ShownSet()->series[kSeriesVoltage].Points().size(), std::size_t(600));
        // A second day after the first: both can be chosen.
        const QDate next = day.addDays(1);
        for (int s = 0; s < 10; ++s)
            WriteStatusRecord(r, QDateTime(next, QTime(1, 0, 0).addSecs(s)));
        QVERIFY(w->OpenRecord(StatusRecordPath(next)));
        QCOMPARE(w->ShownSet()->series[kSeriesVoltage].Points().size(), std::size_t(10));
        QCOMPARE(w->ShownSet()->label, QStringLiteral("Record_2025-06-02.csv"));
        w->close();
        SetLogBaseFolder(QString());
    }
};

int main(int argc, char **argv)
{
    QStandardPaths::setTestModeEnabled(true);
    return RunWidgetTest<TestPackCharts>(argc, argv);
}
#include "test_pack_charts.moc"
