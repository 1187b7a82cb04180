// The battery log page: the kind boxes, reading with its guard, the answers
// (acknowledgement, data, refusal, silence), the rows and their trim, the
// board clock synchronisation, the list menu and the export.
#include "app/pages/batterylogpage.h"
#include "app/widgets/loglistctrl.h"
#include "export_helpers.h"
#include "list_helpers.h"
#include "page_fixture.h"

#include "gui/widget_test_main.h"

#include <QCheckBox>
#include <QHelpEvent>
#include <QMessageBox>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QToolTip>

#include <ctime>

namespace {
constexpr int kCol = 0, kType = 1, kTime = 2, kContent = 3;

// One 52-byte record: time (little-endian) and flags.
Bytes LogRecord(std::uint32_t time, std::uint32_t flags)
{
    Bytes r(52, 0);
    for (int i = 0; i < 4; ++i) {
        r[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(time >> (8 * i));
        r[static_cast<std::size_t>(48 + i)] = static_cast<std::uint8_t>(flags >> (8 * i));
    }
    return r;
}

// Data of a 0xD1 answer: result, packet count, two bytes, the records.
Bytes LogData(std::uint8_t packets, const std::vector<Bytes> &records, std::uint8_t result = 0)
{
    Bytes d{result, packets, 1, static_cast<std::uint8_t>(records.size())};
    for (const Bytes &r : records)
        d.insert(d.end(), r.begin(), r.end());
    return d;
}

// The clock answer for a board time `offset` seconds from now.
Bytes ClockAnswer(std::time_t offset)
{
    std::time_t t = std::time(nullptr) + offset;
    std::tm local{};
    localtime_r(&t, &local);
    return {0,
            static_cast<std::uint8_t>(local.tm_year + 1900 - 2000),
            static_cast<std::uint8_t>(local.tm_mon + 1),
            static_cast<std::uint8_t>(local.tm_mday),
            static_cast<std::uint8_t>(local.tm_hour),
            static_cast<std::uint8_t>(local.tm_min),
            static_cast<std::uint8_t>(local.tm_sec)};
}
} // namespace

class TestBatteryLogPage : public QObject, PageFixture<BatteryLogPage> {
    Q_OBJECT

    LogListCtrl &List() { return *m_page->List(); }
    void Read(int kindBox)
    {
        m_page->Item<QCheckBox>(kindBox)->click();
        m_page->ClickDlgButton(IDC_CELLLOG_READ);
    }
    // Reads kind 2 and empties the list and the send record.
    void ReadAlarms()
    {
        Read(IDC_CELLLOG_ALARM);
        m_h->Sent().clear();
        List().DeleteAllItems();
    }

private slots:
    void initTestCase()
    {
        // Event times are shown in the computer's zone: UTC+8 here.
        qputenv("TZ", "CST-8");
        tzset();
    }
    void init()
    {
        QVERIFY(OpenPage());
        theApp()->GetLogModel()->ClearRows();
        theApp()->m_bLogError = true;
    }
    void cleanup()
    {
        SetModalHook(nullptr);
        ClosePage();
    }

    void layoutAndColumns()
    {
        QCOMPARE(m_page->Caption(), QString("电池日志"));
        QCOMPARE(m_page->ColumnNames(), QStringList({"序号", "类型", "时间", "内容"}));
        QCOMPARE(m_page->SelectedKind(), 2);
        QVERIFY(m_page->IsDlgButtonChecked(IDC_CELLLOG_ALARM));
        QCOMPARE(m_page->Item<QCheckBox>(IDC_CELLLOG_ALARM)->text(), QString("报警日志"));
    }

    void kindBoxesActAsOneChoice()
    {
        for (int id : {IDC_CELLLOG_PROTECT, IDC_CELLLOG_SLEEP, IDC_CELLLOG_SLEEP, IDC_CELLLOG_REGULAR}) {
            m_page->Item<QCheckBox>(id)->click();
            for (int other : {IDC_CELLLOG_SLEEP, IDC_CELLLOG_REGULAR, IDC_CELLLOG_ALARM, IDC_CELLLOG_PROTECT})
                QCOMPARE(m_page->IsDlgButtonChecked(other) != 0, other == id);
        }
        QCOMPARE(m_page->SelectedKind(), 1);
    }

    void readSendsTheRequestOfTheKind_data()
    {
        QTest::addColumn<int>("box");
        QTest::addColumn<int>("kind");
        QTest::newRow("alarm") << IDC_CELLLOG_ALARM << 2;
        QTest::newRow("protection") << IDC_CELLLOG_PROTECT << 3;
    }
    void readSendsTheRequestOfTheKind()
    {
        QFETCH(int, box);
        QFETCH(int, kind);
        List().AppendRow({"9", "x", "y", "z"});
        Read(box);
        QCOMPARE(List().GetItemCount(), 0);
        QCOMPARE(m_h->Payloads().size(), std::size_t(1));
        Bytes want{0x53, 0x03, 0x50, 0x0A, static_cast<std::uint8_t>(kind), 0x10, 0, 0, 0, 0, 0, 0, 0, 0};
        QCOMPARE(m_h->Payloads()[0], want);
        QCOMPARE(m_page->LogKind(), kind);
        QCOMPARE(m_boxes->Count(), 0);
    }

    void sleepAndRegularLogsSendNothing()
    {
        for (int box : {IDC_CELLLOG_SLEEP, IDC_CELLLOG_REGULAR}) {
            ClosePage();
            QVERIFY(OpenPage());
            List().AppendRow({"0", "x", "y", "z"});
            Read(box);
            QCOMPARE(List().GetItemCount(), 0);
            QVERIFY(m_h->Sent().empty());
        }
    }

    void readWithThePortClosedWarns()
    {
        m_h->SetPortOpen(false);
        Read(IDC_CELLLOG_ALARM);
        QCOMPARE(m_boxes->LastText(), QString("请先打开串口后再进行操作！"));
        QCOMPARE(m_boxes->Shown().back().caption, QString("警告"));
        QVERIFY(m_h->Sent().empty());
    }

    // The second read within 3 s shows "点击过快！", which closes itself.
    void secondReadWithinThreeSecondsIsRefused()
    {
        Read(IDC_CELLLOG_ALARM);
        QCOMPARE(m_h->Sent().size(), std::size_t(1));
        List().AppendRow({"0", "x", "y", "z"});
        QString text, caption;
        int result = -1;
        QElapsedTimer shown;
        SetModalHook([&](QDialog *dialog) {
            auto *box = qobject_cast<QMessageBox *>(dialog);
            if (box) {
                text = box->text();
                caption = box->windowTitle();
            }
            shown.start();
            // Nobody answers: the box must go by itself (a 5 s net keeps the test from hanging).
            QTimer::singleShot(5000, dialog, [dialog] { dialog->done(-2); });
            return dialog->exec();
        });
        m_page->ClickDlgButton(IDC_CELLLOG_READ);
        result = static_cast<int>(shown.elapsed());
        QCOMPARE(text, QString("点击过快！"));
        QCOMPARE(caption, QString("警告"));
        QVERIFY2(result >= 400 && result < 4000, qPrintable(QString::number(result)));
        QCOMPARE(m_h->Sent().size(), std::size_t(1));
        QCOMPARE(List().GetItemCount(), 1); // the refused read clears nothing
        QVERIFY(!m_page->IsTimerActive(BatteryLogPage::kTooFastTimer));
    }

    void acknowledgementThenSilence()
    {
        ReadAlarms();
        m_h->Respond(0x83, 0xD0, {0});
        QCOMPARE(List().GetItemCount(), 1);
        QCOMPARE(List().GetItemText(0, kContent), QString("获取日志成功"));
        QCOMPARE(List().GetItemText(0, kType), QString("告警日志"));
        QVERIFY(m_page->IsTimerActive(BatteryLogPage::kNoDataTimer + 2));
        // No data within 2 s.
        QTRY_COMPARE_WITH_TIMEOUT(List().GetItemCount(), 2, 4000);
        QCOMPARE(List().GetItemText(0, kContent), QString("暂无告警日志"));
        QCOMPARE(List().GetItemText(0, kCol), QString("1"));
        QVERIFY(!m_page->IsTimerActive(BatteryLogPage::kNoDataTimer + 2));
    }

    void dataStopsTheSilenceTimer()
    {
        ReadAlarms();
        m_h->Respond(0x83, 0xD0, {0});
        m_h->Respond(0x83, 0xD1, LogData(1, {LogRecord(0x60000000, 1)}));
        QVERIFY(!m_page->IsTimerActive(BatteryLogPage::kNoDataTimer + 2));
        QVERIFY(List().GetItemCount() >= 1);
        QCOMPARE(List().GetItemText(0, kContent), QString("单节过充报警"));
    }

    void refusedRequestGivesTheFailureRow_data()
    {
        QTest::addColumn<int>("code");
        QTest::newRow("ack") << 0xD0;
        QTest::newRow("data") << 0xD1;
    }
    void refusedRequestGivesTheFailureRow()
    {
        QFETCH(int, code);
        ReadAlarms();
        m_h->Respond(0x83, static_cast<std::uint8_t>(code), {0x05});
        QCOMPARE(List().GetItemCount(), 1);
        QCOMPARE(List().GetItemText(0, kContent), QString("获取日志失败LED"));
        QVERIFY(!m_page->IsTimerActive(BatteryLogPage::kNoDataTimer + 2));
        QVERIFY(theApp()->GetLogModel()->rowCount() > 0); // the check reported the code
    }

    void recordsBecomeRows_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("packets");
        QTest::addColumn<QList<quint32>>("flags");
        QTest::addColumn<QStringList>("contents"); // top row first
        QTest::newRow("single, no events, alarm") << 2 << 1 << QList<quint32>{0} << QStringList{"告警日志返回全部正常"};
        QTest::newRow("single, no events, protection")
            << 3 << 1 << QList<quint32>{0} << QStringList{"保护日志返回全部正常"};
        QTest::newRow("bits 0 and 13") << 2 << 1 << QList<quint32>{1u | 1u << 13}
                                       << QStringList{"单节过充报警|温差过大"};
        QTest::newRow("protection bits 8 and 24")
            << 3 << 2 << QList<quint32>{1u << 8, 1u << 24} << QStringList{"温差过大", "短路保护"};
        // 22 names in a single-record answer: the record is marked, not called normal.
        QTest::newRow("single, every flag")
            << 2 << 1 << QList<quint32>{0xFFFFFFFF} << QStringList{"无效日志记录：事件标志 0xFFFFFFFF"};
        QTest::newRow("two records, every flag in one")
            << 2 << 1 << QList<quint32>{0xFFFFFFFF, 1u << 1} << QStringList{"单节过放报警"};
        QTest::newRow("four names dropped")
            << 3 << 2 << QList<quint32>{0xF, 0x7} << QStringList{"单节过充保护|单节过放保护|包充电过流保护"};
        QTest::newRow("no events in a multi-record answer") << 2 << 3 << QList<quint32>{0} << QStringList{};
    }
    void recordsBecomeRows()
    {
        QFETCH(int, kind);
        QFETCH(int, packets);
        QFETCH(QList<quint32>, flags);
        QFETCH(QStringList, contents);
        Read(kind == 3 ? IDC_CELLLOG_PROTECT : IDC_CELLLOG_ALARM);
        std::vector<Bytes> records;
        for (quint32 f : flags)
            records.push_back(LogRecord(0x60000000, f));
        m_h->Respond(0x83, 0xD1, LogData(static_cast<std::uint8_t>(packets), records));
        QCOMPARE(Column(List(), kContent), contents);
        for (int r = 0; r < List().GetItemCount(); ++r) {
            QCOMPARE(List().GetItemText(r, kTime), QString("2021-01-14 16:25:36"));
            QCOMPARE(List().GetItemText(r, kType), QString(kind == 3 ? "保护日志" : "告警日志"));
        }
    }

    void newestRecordIsAtTheTop()
    {
        ReadAlarms();
        m_h->Respond(0x83, 0xD1, LogData(1, {LogRecord(1700000000, 1), LogRecord(1700000600, 2)}));
        QCOMPARE(Column(List(), kTime), QStringList({"2023-11-15 06:23:20", "2023-11-15 06:13:20"}));
        QCOMPARE(Column(List(), kCol), QStringList({"1", "0"}));
        QCOMPARE(Column(List(), kContent), QStringList({"单节过放报警", "单节过充报警"}));
    }

    void timesTheCalendarCannotHoldAreMarked()
    {
        ReadAlarms();
        m_h->Respond(0x83, 0xD1, LogData(2, {LogRecord(0xFFFFFFF0, 1), LogRecord(0x7FFFFFFF, 2)}));
        QVERIFY(List().GetItemCount() >= 1);
        QCOMPARE(List().GetItemText(1, kTime), BatteryLogPage::InvalidTimeText());
        QCOMPARE(List().GetItemText(0, kTime), QString("2038-01-19 11:14:07"));
    }

    void answersThatAreNotWholeRecordsAreIgnored_data()
    {
        QTest::addColumn<int>("extra");
        QTest::newRow("data length 57") << 1;
        QTest::newRow("data length 55") << -1;
    }
    void answersThatAreNotWholeRecordsAreIgnored()
    {
        QFETCH(int, extra);
        ReadAlarms();
        Bytes d = LogData(1, {LogRecord(0x60000000, 1)});
        if (extra > 0)
            d.push_back(0);
        else
            d.pop_back();
        m_h->Respond(0x83, 0xD1, d);
        QCOMPARE(List().GetItemCount(), 0);
    }

    // Past 8192 rows the oldest 2730 go; the newest stay.
    void trimDropsTheOldestRows()
    {
        for (int i = 0; i <= BatteryLogPage::kMaxRows; ++i)
            m_page->AddLogRow(2, "t", QString::number(i));
        QCOMPARE(List().GetItemCount(), BatteryLogPage::kMaxRows + 1);
        m_page->AddLogRow(2, "t", "newest");
        QCOMPARE(List().GetItemCount(), BatteryLogPage::kMaxRows + 1 - BatteryLogPage::kTrimRows + 1);
        QCOMPARE(List().GetItemText(0, kContent), QString("newest"));
        QCOMPARE(List().GetItemText(1, kContent), QString::number(BatteryLogPage::kMaxRows));
        QCOMPARE(List().GetItemText(List().GetItemCount() - 1, kContent), QString::number(BatteryLogPage::kTrimRows));
    }

    void showLatestKeepsTheTopInView()
    {
        m_h->Sheet()->resize(600, 300);
        QVERIFY(ShowInFront());
        for (int i = 0; i < 200; ++i)
            m_page->AddLogRow(2, "t", QString::number(i));
        QScrollBar *bar = List().verticalScrollBar();
        QTRY_VERIFY(bar->maximum() > 10);
        bar->setValue(50);
        m_page->OnClickMenu_LATEST(); // off: new rows leave the view alone
        QVERIFY(!m_page->ShowLatest());
        m_page->AddLogRow(2, "t", "x");
        QTest::qWait(100);
        QVERIFY(bar->value() >= 50);
        m_page->OnClickMenu_LATEST();
        m_page->AddLogRow(2, "t", "y");
        QTest::qWait(100);
        QCOMPARE(bar->value(), 0);
    }

    void menuHoldsTheFourEntries()
    {
        QMenu menu;
        m_page->FillLogMenu(menu);
        QCOMPARE(menu.title(), QString("日志控件"));
        QAction *copy = FindAction(menu, "复制（&C）");
        QVERIFY(copy && !copy->isEnabled());
        QVERIFY(FindAction(menu, "导出日志（&E）"));
        QAction *latest = FindAction(menu, "显示最新（&L）");
        QVERIFY(latest && latest->isChecked());
        m_page->AddLogRow(2, "t", "a");
        m_page->AddLogRow(2, "t", "b");
        List().SelectRow(0);
        QMenu again;
        m_page->FillLogMenu(again);
        QVERIFY(FindAction(again, "复制（&C）")->isEnabled());
        FindAction(again, "清空日志（&D）")->trigger();
        QCOMPARE(List().GetItemCount(), 0);
        FindAction(again, "显示最新（&L）")->trigger();
        QVERIFY(!m_page->ShowLatest());
    }

    // A click on a row never scrolls the list sideways; a content text that
    // does not fit is cut, and its tooltip holds all of it.
    void longContentIsCutAndClicksKeepTheColumns()
    {
        ReadAlarms();
        m_h->Respond(0x83, 0xD1, LogData(2, {LogRecord(0x60000000, 0x0000FFFFu), LogRecord(0x60000100, 1)}));
        QVERIFY(List().GetItemCount() >= 1);
        QWidget *top = m_page->window();
        top->resize(560, 360);
        top->show();
        m_h->ShowPage(m_page);
        QVERIFY(QTest::qWaitForWindowExposed(top));
        LogListCtrl &list = List();
        // A content column narrower than its text, as a long event text is in any window.
        list.horizontalHeader()->setStretchLastSection(false);
        list.setColumnWidth(kContent, 60);
        const QModelIndex longCell = list.model()->index(0, kContent);
        const QString whole = list.GetItemText(0, kContent);
        QStyleOptionViewItem option;
        option.initFrom(&list);
        option.rect = list.visualRect(longCell);
        QVERIFY2(option.fontMetrics.horizontalAdvance(whole) > option.rect.width(), "the text must not fit");
        QVERIFY(list.viewport()->rect().contains(option.rect.center()));

        for (int row = 0; row < List().GetItemCount(); ++row) {
            for (int column : {kContent, kTime, kCol}) {
                const QRect cell = list.visualRect(list.model()->index(row, column));
                QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, cell.center());
                QCOMPARE(list.horizontalScrollBar()->value(), 0);
                QCOMPARE(list.columnViewportPosition(kCol), 0);
            }
        }
        list.scrollTo(longCell);
        QCOMPARE(list.horizontalScrollBar()->value(), 0);
        // The content column ends at the view's right edge: nothing lies beyond it.
        QVERIFY(list.columnViewportPosition(kContent) + list.columnWidth(kContent) <= list.viewport()->width());

        struct Case {
            int row, column;
            QString tip;
        };
        const Case cases[] = {{0, kContent, whole}};
        for (const Case &c : cases) {
            QToolTip::hideText();
            const QRect cell = list.visualRect(list.model()->index(c.row, c.column));
            QHelpEvent help(QEvent::ToolTip, cell.center(), list.viewport()->mapToGlobal(cell.center()));
            QApplication::sendEvent(list.viewport(), &help);
            QCOMPARE(QToolTip::isVisible() ? QToolTip::text() : QString(), c.tip);
        }
        QToolTip::hideText();
        top->hide();
    }

    void exportOfAnEmptyListWarns()
    {
        SaveDialogAnswer dialog(QStringLiteral("/nonexistent/x.xlsx"));
        m_page->OnClickMenu_EXPORT();
        QCOMPARE(m_boxes->LastText(), QString("日志记录为空，没有可导出的内容！"));
        QCOMPARE(dialog.Shown(), 0);
    }

    void exportWritesTheRowsAsShown()
    {
        QTemporaryDir dir;
        theApp()->m_bLogInfo = true;
        ReadAlarms();
        m_h->Respond(0x83, 0xD1, LogData(2, {LogRecord(0x60000000, 1u | 1u << 13), LogRecord(0x60000100, 2)}));
        const QString path = dir.filePath("log.xlsx");
        SaveDialogAnswer dialog(path);
        m_page->OnClickMenu_EXPORT();
        QCOMPARE(dialog.Shown(), 1);
        QVERIFY(QRegularExpression("^Log_\\d{4}-\\d\\d-\\d\\d\\.xlsx$")
                    .match(QFileInfo(dialog.Proposed()).fileName())
                    .hasMatch());
        QCOMPARE(FileDialogEx::StoredFolder("CCfgPageCellLog::OnClickMenu_EXPORT"), dir.path());
        WorkbookContents book = ReadWorkbook(path);
        QVERIFY2(book.ok, qPrintable(book.error));
        QCOMPARE(book.sheets, QStringList({"DataSheet1"}));
        QCOMPARE(book.rows[0], ExpectedSheet(List(), m_page->ColumnNames()));
        LogModel *log = theApp()->GetLogModel();
        QCOMPARE(log->Row(log->rowCount() - 1).text, QString("日志导出成功"));
        QCOMPARE(log->Row(log->rowCount() - 1).title, QString("Excel"));
    }

    // The workbook's name always ends in ".xlsx": another suffix gets it
    // appended and the user is told (and asked first when that name is taken).
    void exportNameAlwaysEndsInXlsx()
    {
        struct Case {
            const char *typed;
            const char *existing; // a file already there, or null
            int answer;           // the answer to a question box
            const char *written;  // the workbook's name, or null when nothing is written
            const char *box;      // the start of the box shown, or null
        };
        const Case cases[] = {
            {"log.xlsx", nullptr, IDYES, "log.xlsx", nullptr},
            {"LOG.XLSX", nullptr, IDYES, "LOG.XLSX", nullptr},
            {"plain", nullptr, IDYES, "plain.xlsx", nullptr},
            {"log.xls", nullptr, IDYES, "log.xls.xlsx", "工作簿按 .xlsx 格式保存，文件名为："},
            {"data.csv", "data.csv.xlsx", IDNO, nullptr, "工作簿按 .xlsx 格式保存，文件名为："},
            {"data.csv", "data.csv.xlsx", IDYES, "data.csv.xlsx", "工作簿按 .xlsx 格式保存，文件名为："},
        };
        m_page->AddLogRow(2, "t", "a");
        for (const Case &c : cases) {
            QTemporaryDir dir;
            const QString tag = QString::fromUtf8(c.typed);
            if (c.existing) {
                QFile old(dir.filePath(c.existing));
                QVERIFY(old.open(QIODevice::WriteOnly));
                old.write("old");
            }
            m_boxes->Clear();
            if (c.existing)
                m_boxes->Answer(c.answer);
            SaveDialogAnswer dialog(dir.filePath(tag));
            m_page->OnClickMenu_EXPORT();
            QCOMPARE(dialog.Shown(), 1);
            if (c.box) {
                QVERIFY2(m_boxes->Count() == 1 && m_boxes->LastText().startsWith(QString::fromUtf8(c.box)),
                         qPrintable(tag));
                QVERIFY2(m_boxes->LastText().contains(dir.filePath(c.existing ? c.existing : c.written)),
                         qPrintable(tag));
                QCOMPARE(m_boxes->Shown().back().IsYesNo(), c.existing != nullptr);
            } else {
                QVERIFY2(m_boxes->Count() == 0, qPrintable(tag));
            }
            QStringList files = QDir(dir.path()).entryList(QDir::Files);
            if (!c.written) {
                QCOMPARE(files, QStringList{QString::fromUtf8(c.existing)});
                QFile old(dir.filePath(c.existing));
                QVERIFY(old.open(QIODevice::ReadOnly));
                QCOMPARE(old.readAll(), QByteArray("old"));
                continue;
            }
            QCOMPARE(files, QStringList{QString::fromUtf8(c.written)});
            WorkbookContents book = ReadWorkbook(dir.filePath(c.written));
            QVERIFY2(book.ok, qPrintable(book.error));
            QCOMPARE(book.rows[0], ExpectedSheet(List(), m_page->ColumnNames()));
        }
    }

    void exportToAFolderFails()
    {
        QTemporaryDir dir;
        theApp()->m_bLogInfo = true;
        m_page->AddLogRow(2, "t", "a");
        // A folder of that name cannot be replaced by a workbook.
        QVERIFY(QDir(dir.path()).mkdir("log.xlsx"));
        SaveDialogAnswer dialog(dir.filePath("log.xlsx"));
        m_page->OnClickMenu_EXPORT();
        QCOMPARE(m_boxes->LastText(), QString("文件正在被另一个程序打开或使用，请另存文件名！"));
        LogModel *log = theApp()->GetLogModel();
        QStringList texts;
        for (int r = 0; r < log->rowCount(); ++r)
            texts << log->Row(r).text;
        QVERIFY(texts.contains("创建 Excel 文件数据库失败"));
        QCOMPARE(texts.back(), QString("日志导出失败"));
    }

    // ------------------------------------------------------------ clock

    void portOpeningStartsTheClockSync()
    {
        QVERIFY(!m_page->IsTimerActive(BatteryLogPage::kClockTimer));
        emit m_h->PortOpened();
        QVERIFY(m_page->IsTimerActive(BatteryLogPage::kClockTimer));
        m_page->OnTimer(BatteryLogPage::kClockTimer);
        QCOMPARE(m_h->Payloads().back(), Bytes({0x53, 0x03, 0x25, 0x01, 0x00}));
        QCOMPARE(m_page->Clock().tries(), 1);
    }

    void clockWithinTenMinutesEndsTheSync()
    {
        emit m_h->PortOpened();
        m_page->OnTimer(BatteryLogPage::kClockTimer);
        m_h->Sent().clear();
        m_h->Respond(0x83, 0xA5, ClockAnswer(-5 * 60));
        QCOMPARE(m_page->Clock().state(), ClockSync::Done);
        QVERIFY(!m_page->IsTimerActive(BatteryLogPage::kClockTimer));
        QVERIFY(m_h->Sent().empty());
    }

    void clockElevenMinutesBehindIsSetAtOnce()
    {
        emit m_h->PortOpened();
        m_page->OnTimer(BatteryLogPage::kClockTimer);
        m_h->Sent().clear();
        m_h->Respond(0x83, 0xA5, ClockAnswer(-11 * 60));
        QCOMPARE(m_page->Clock().state(), ClockSync::Setting);
        QCOMPARE(m_h->Payloads().size(), std::size_t(1));
        Bytes set = m_h->Payloads()[0];
        QCOMPARE(Bytes(set.begin(), set.begin() + 5), Bytes({0x53, 0x03, 0x25, 0x07, 0x01}));
        std::time_t now = std::time(nullptr);
        std::tm local{};
        localtime_r(&now, &local);
        QCOMPARE(int(set[5]), local.tm_year + 1900 - 2000);
        QCOMPARE(int(set[6]), local.tm_mon + 1);
        QVERIFY(m_page->IsTimerActive(BatteryLogPage::kClockTimer));
        // The board now answers the time it was set to.
        m_h->Respond(0x83, 0xA5, ClockAnswer(0));
        QCOMPARE(m_page->Clock().state(), ClockSync::Done);
        QVERIFY(!m_page->IsTimerActive(BatteryLogPage::kClockTimer));
    }

    void clockAnswerOfTheWrongLengthIsReported()
    {
        emit m_h->PortOpened();
        m_page->OnTimer(BatteryLogPage::kClockTimer);
        Bytes shortAnswer = ClockAnswer(-11 * 60);
        shortAnswer.pop_back();
        m_h->Sent().clear();
        int rows = theApp()->GetLogModel()->rowCount();
        m_h->Respond(0x83, 0xA5, shortAnswer);
        QCOMPARE(m_page->Clock().state(), ClockSync::Reading);
        QVERIFY(m_h->Sent().empty());
        QVERIFY(theApp()->GetLogModel()->rowCount() > rows);
    }

    // A YModem receiver, or a holder such as the firmware upgrade dialog.
    void clockTicksWaitWhileAnUpgradeHoldsTheLine_data()
    {
        QTest::addColumn<bool>("ymodem");
        QTest::addRow("YModem receiver") << true;
        QTest::addRow("line holder") << false;
    }
    void clockTicksWaitWhileAnUpgradeHoldsTheLine()
    {
        QFETCH(bool, ymodem);
        emit m_h->PortOpened();
        {
            QObject holder;
            ymodem ? m_h->SetYModemReceiver(&holder) : m_h->HoldLine(&holder);
            for (int i = 0; i < 3; ++i)
                m_page->OnTimer(BatteryLogPage::kClockTimer);
            QVERIFY(m_h->Sent().empty());
            QCOMPARE(m_page->Clock().tries(), 0);
            QVERIFY(m_page->IsTimerActive(BatteryLogPage::kClockTimer));
        } // a holder that goes without saying so lets go all the same
        m_page->OnTimer(BatteryLogPage::kClockTimer);
        QCOMPARE(m_h->Payloads().back(), Bytes({0x53, 0x03, 0x25, 0x01, 0x00}));
        QCOMPARE(m_page->Clock().tries(), 1);
    }

    void clockSyncGivesUpAfterTenRequests()
    {
        emit m_h->PortOpened();
        for (int i = 0; i < 12; ++i)
            m_page->OnTimer(BatteryLogPage::kClockTimer);
        QCOMPARE(m_h->Sent().size(), std::size_t(10));
        QVERIFY(!m_page->IsTimerActive(BatteryLogPage::kClockTimer));
    }

    void boardSwitchClearsWithoutReading()
    {
        m_page->AddLogRow(2, "t", "a");
        m_page->OnBoardSwitch();
        QCOMPARE(List().GetItemCount(), 0);
        QVERIFY(m_h->Sent().empty());
    }
};

int main(int argc, char **argv)
{
    return RunWidgetTest<TestBatteryLogPage>(argc, argv);
}
#include "test_batterylogpage.moc"
