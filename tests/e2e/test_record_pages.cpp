// The battery log, battery record and SOC learning pages against the
// simulated board over a pseudo-terminal, through the real main window: the
// board clock set after the port opens, a log read listing the events of the
// pack's surges, the stored records, a learning run to its end, and the
// exports read back from the workbooks.
#include "app/framework/msgbox.h"
#include "app/pages/batterylogpage.h"
#include "app/pages/batteryrecordpage.h"
#include "app/pages/soclearningpage.h"
#include "app/widgets/loglistctrl.h"
#include "app/widgets/recordlistctrl.h"
#include "app/widgets/userlistctrl.h"
#include "board_window.h"
#include "files/logfiles.h"
#include "gui/export_helpers.h"
#include "protocol/battery_log.h"
#include "sim/simhost.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QSet>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>

#include "gui/widget_test_main.h"

namespace {
// Every event name of the alarm log.
QSet<QString> AlarmNames()
{
    QSet<QString> names;
    for (int bit = 0; bit < 32; ++bit)
        if (const char *name = LogEventName(kLogAlarm, bit))
            names << QString::fromUtf8(name);
    return names;
}

template <class List> bool ColumnHas(const List &list, int column, const QString &text)
{
    for (int r = 0; r < list.GetItemCount(); ++r)
        if (list.GetItemText(r, column) == text)
            return true;
    return false;
}
} // namespace

class TestRecordPages : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.path());
        SetLogBaseFolder(m_dir.path());
    }

    // The board's clock starts eleven minutes behind; the page sets it, then
    // the surges of a fast pack land in the alarm log with the board's time.
    void batteryLogAfterTheClockIsSet()
    {
        MsgBoxRecorder boxes;
        MainWindow dlg;
        SimHost board;
        auto *page = dlg.Page<BatteryLogPage>();
        QVERIFY(page);
        SimOptions options;
        options.clockOffsetSec = -660;
        options.speed = 60; // a discharge surge every three seconds
        const QDateTime opened = QDateTime::currentDateTime();
        QVERIFY2(OpenAgainstBoard(dlg, board, page, options), qPrintable(board.ErrorString()));

        QVERIFY(page->IsTimerActive(BatteryLogPage::kClockTimer));
        QTRY_COMPARE_WITH_TIMEOUT(int(page->Clock().state()), int(ClockSync::Done), 20000);
        QVERIFY(page->Clock().tries() <= 3); // one read, one set
        QVERIFY(!page->IsTimerActive(BatteryLogPage::kClockTimer));

        QTest::qWait(8000); // a few surges
        page->ClickDlgButton(IDC_CELLLOG_READ);
        LogListCtrl &list = *page->List();
        QTRY_VERIFY_WITH_TIMEOUT(ColumnHas(list, 3, "获取日志成功") && list.GetItemCount() > 3, 15000);
        QTest::qWait(500); // every data frame
        const QSet<QString> names = AlarmNames();
        int fresh = 0;
        QStringList times;
        for (int r = 0; r < list.GetItemCount(); ++r) {
            const QString content = list.GetItemText(r, 3);
            if (content == "获取日志成功")
                continue;
            times << list.GetItemText(r, 2);
            QCOMPARE(list.GetItemText(r, 1), QString("告警日志"));
            for (const QString &name : content.split('|'))
                QVERIFY2(names.contains(name), qPrintable(content));
            QDateTime when = QDateTime::fromString(list.GetItemText(r, 2), "yyyy-MM-dd HH:mm:ss");
            QVERIFY2(when.isValid(), qPrintable(list.GetItemText(r, 2)));
            QVERIFY(when <= QDateTime::currentDateTime().addSecs(5));
            // Events since the opening carry the corrected clock's time, not one eleven minutes behind.
            if (when >= opened.addSecs(-5)) {
                QCOMPARE(content, QString("放电过流报警"));
                ++fresh;
            }
        }
        QVERIFY2(fresh >= 2, qPrintable(QString::number(fresh)));
        // The events newest first, above the acknowledgement's row.
        QVERIFY(std::is_sorted(times.rbegin(), times.rend()));
        QCOMPARE(list.GetItemText(list.GetItemCount() - 1, 3), QString("获取日志成功"));

        const QString path = m_dir.filePath("battery-log.xlsx");
        SaveDialogAnswer dialog(path);
        page->OnClickMenu_EXPORT();
        QCOMPARE(dialog.Shown(), 1);
        WorkbookContents book = ReadWorkbook(path);
        QVERIFY2(book.ok, qPrintable(book.error));
        QCOMPARE(book.sheets, QStringList({"DataSheet1"}));
        QCOMPARE(book.rows[0], ExpectedSheet(list, page->ColumnNames()));
        QVERIFY(!book.notText.isEmpty()); // the numeric columns are written as numbers
        QCOMPARE(boxes.Count(), 0);
    }

    void batteryRecordsOfTheBoard()
    {
        MsgBoxRecorder boxes;
        MainWindow dlg;
        SimHost board;
        auto *page = dlg.Page<BatteryRecordPage>();
        QVERIFY(page);
        QVERIFY2(OpenAgainstBoard(dlg, board, page), qPrintable(board.ErrorString()));
        page->ClickDlgButton(IDC_READ);
        RecordListCtrl &list = *page->List();
        QTRY_VERIFY_WITH_TIMEOUT(list.GetItemCount() >= 5, 15000);
        QTest::qWait(300);
        for (int r = 0; r < list.GetItemCount(); ++r) {
            QCOMPARE(list.GetItemText(r, 0), QString::number(r + 1)); // stored in order
            const int high = list.GetItemText(r, 1).toInt(), low = list.GetItemText(r, 2).toInt();
            QVERIFY(low > 2000 && low <= high && high < 4500);
            QVERIFY(list.GetItemText(r, 5).endsWith(" ℃"));
            const int soc = list.GetItemText(r, 8).toInt();
            QVERIFY(soc >= 0 && soc <= 100);
        }
        QCOMPARE(boxes.Count(), 0);
    }

    // A short learning run (the two verification stages) to its end, then its records exported.
    void socLearningRunToTheEnd()
    {
        MsgBoxRecorder boxes;
        MainWindow dlg;
        SimHost board;
        dlg.Gate().SetVerified(true);
        auto *page = dlg.Page<SocLearningPage>();
        QVERIFY(page);
        SimOptions options;
        options.speed = 10;
        QVERIFY2(OpenAgainstBoard(dlg, board, page, options), qPrintable(board.ErrorString()));

        const std::pair<int, const char *> config[] = {
            {1322, "3400"}, {1327, "2900"}, {1331, "5"},     {1325, "500"},   {1324, "5000"}, {1420, "50"},
            {1419, "5"},    {1435, "0"},    {1433, "20000"}, {1434, "20000"}, {1330, "2"},
        };
        for (auto [id, text] : config)
            page->SetDlgItemText(id, text);
        page->StageBox(IDC_SOC_START_STAGE)->setCurrentIndex(6);
        page->StageBox(IDC_SOC_END_STAGE)->setCurrentIndex(7);
        page->ClickDlgButton(IDC_SOC_WRITE_CONFIG);
        QTRY_COMPARE_WITH_TIMEOUT(LedState(page, IDC_SOC_CONFIG_CHK), 0, 10000);
        // Read back into emptied boxes.
        page->ClickDlgButton(IDC_CLEAR);
        page->ClickDlgButton(IDC_SOC_READ_CONFIG);
        QTRY_COMPARE_WITH_TIMEOUT(page->GetDlgItemText(1330), QString("2"), 10000);
        for (auto [id, text] : config)
            QCOMPARE(page->GetDlgItemText(id), QString(text));
        QCOMPARE(page->StageBox(IDC_SOC_START_STAGE)->currentIndex(), 6);

        page->ClickDlgButton(IDC_SOC_START);
        UserListCtrl &list = *page->List();
        QTRY_VERIFY_WITH_TIMEOUT(ColumnHas(list, 0, "SOC学习完毕"), 30000);
        QCOMPARE(list.GetItemText(0, 0), QString("验证充电SOC阶段"));
        QVERIFY(ColumnHas(list, 0, "验证放电SOC阶段"));
        QCOMPARE(page->GetDlgItemText(IDC_SOC_ERROR), QString("无"));
        for (int r = 0; r < list.GetItemCount(); ++r)
            QCOMPARE(list.GetItemText(r, 9), QString::number(r));

        const QString path = m_dir.filePath("soc.xlsx");
        SaveDialogAnswer dialog(path);
        SocLearningPage::SetFileOpener([](const QUrl &) { return true; });
        page->ClickDlgButton(IDC_SOC_EXPORT);
        SocLearningPage::SetFileOpener(nullptr);
        WorkbookContents book = ReadWorkbook(path);
        QVERIFY2(book.ok, qPrintable(book.error));
        QCOMPARE(book.rows[0], ExpectedSheet(list, page->ExportColumnNames()));
        QCOMPARE(boxes.LastText(), QString("导出 SOC 学习记录成功，是否打开文件？"));
    }

private:
    static int LedState(RowPageBase *page, int chk)
    {
        ParamEntry e;
        if (!page->LookupParam(chk, e) || !e.pLedCtrl)
            return -1;
        if (e.pLedCtrl->ColourRow() == LedLamp::kGreen && e.pLedCtrl->ColumnIndex() == LedLamp::kBright)
            return 0;
        if (e.pLedCtrl->ColourRow() == LedLamp::kRed)
            return 1;
        return 2;
    }
};

int main(int argc, char **argv)
{
    return RunWidgetTest<TestRecordPages>(argc, argv);
}
#include "test_record_pages.moc"
