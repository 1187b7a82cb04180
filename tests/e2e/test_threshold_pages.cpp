// The two threshold pages against the simulated board over a pseudo-terminal,
// through the real main window: a bulk write of every row, then a bulk read
// into emptied boxes; every lamp ends green and the values come back.
#include "app/framework/msgbox.h"
#include "app/mainwindow.h"
#include "app/pages/alarmprotectionpage.h"
#include "app/pages/wakethresholdpage.h"
#include "app/pagesheet.h"
#include "app/pylvexapp.h"
#include "board_window.h"
#include "files/logfiles.h"
#include "sim/simhost.h"

#include <QLineEdit>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include "gui/widget_test_main.h"
#include <map>

namespace {
using Values = std::map<int, QString>; // edit box id -> text

// Every written box of "唤醒与门限", away from the board's defaults and inside its ranges.
const Values kWakeupValues = {
    {1339, "61"},   {1266, "31"},  {1199, "601"},  {1001, "4"},   {1346, "501"}, {1344, "5"},   {1189, "2901"},
    {1274, "3331"}, {1276, "21"},  {1278, "9"},    {1118, "81"},  {1121, "21"},  {1218, "301"}, {1220, "-201"},
    {1221, "302"},  {1222, "202"}, {1348, "5001"}, {1351, "101"}, {1213, "401"}, {1216, "301"}, {1062, "86"},
    {1059, "101"},  {1258, "76"},  {1250, "84"},   {1249, "99"},  {1262, "-21"},
};

// Rows 1 to 28 of "报警与保护", one value each.
const char *const kAlarmValues[] = {
    "50001",  "55001",  "3601", "3651", "3451", "57601", "58401", "55201", "51", "56", "46", "3",   "-1",  "6",
    "100001", "110001", "2801", "2501", "2901", "44801", "40001", "46401", "54", "61", "49", "-11", "-21", "-6"};

bool GreenExcept(ParamRowPage *page, int skippedChk)
{
    for (const PageParamRow &row : page->Rows().rows) {
        ParamEntry e;
        if (row.chkId == skippedChk)
            continue;
        if (!page->LookupParam(row.chkId, e) || e.pLedCtrl->ColourRow() != LedLamp::kGreen ||
            e.pLedCtrl->ColumnIndex() != LedLamp::kBright)
            return false;
    }
    return true;
}

bool AllGreen(ParamRowPage *page)
{
    return GreenExcept(page, 0);
}

void TickEveryRow(ParamRowPage *page)
{
    page->CheckDlgButton(IDC_SELECT_ALL, 0);
    page->ClickDlgButton(IDC_SELECT_ALL);
}
} // namespace

class TestThresholdPages : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;

    // The internal pages come to the front without the password.
    bool OpenAgainst(MainWindow &dlg, SimHost &board, ParamRowPage *page)
    {
        dlg.Gate().SetVerified(true);
        return OpenAgainstBoard(dlg, board, page);
    }

    void CompareBoxes(ParamRowPage *page, const Values &values)
    {
        for (const auto &[id, text] : values)
            QCOMPARE(page->GetDlgItemText(id), text);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.path());
        SetLogBaseFolder(m_dir.path());
    }

    void wakeupPageWritesAndReadsBack()
    {
        MsgBoxRecorder boxes;
        MainWindow dlg;
        SimHost board;
        auto *page = dlg.Page<WakeThresholdPage>();
        QVERIFY(page);
        QVERIFY2(OpenAgainst(dlg, board, page), qPrintable(board.ErrorString()));

        for (const auto &[id, text] : kWakeupValues)
            page->SetDlgItemText(id, text);
        TickEveryRow(page);
        boxes.Answer(IDYES); // the records may go
        page->ClickDlgButton(IDC_WRITE);
        QCOMPARE(page->ReqCount(), 20);
        QCOMPARE(boxes.Count(), 1);
        QCOMPARE(boxes.Shown()[0].caption, QStringLiteral("确认"));
        QVERIFY(!page->IsDlgButtonChecked(1268)); // the read-only wake-up row
        // The write answers carry what the board stored.
        QTRY_VERIFY_WITH_TIMEOUT(GreenExcept(page, 1268), 15000);
        CompareBoxes(page, kWakeupValues);
        QCOMPARE(page->GetDlgItemText(1481), QStringLiteral("1"));
        ParamEntry clearing;
        QVERIFY(page->LookupParam(1479, clearing));
        QCOMPARE(clearing.pLedCtrl->ColourRow(), int(LedLamp::kGreen));

        page->ClickDlgButton(IDC_CLEAR);
        TickEveryRow(page);
        page->ClickDlgButton(IDC_READ);
        QCOMPARE(page->ReqCount(), 20);
        // Every row but the record clearing, which has no read, answers green.
        QTRY_VERIFY_WITH_TIMEOUT(GreenExcept(page, 1479), 15000);
        CompareBoxes(page, kWakeupValues);
        QVERIFY(!page->GetDlgItemText(1267).isEmpty());
        bool cycles = false;
        page->GetDlgItemText(1120).toUInt(&cycles);
        QVERIFY(cycles);
        QCOMPARE(boxes.Count(), 1); // only the question before the clearing
    }

    void alarmPageWritesAndReadsBack()
    {
        MsgBoxRecorder boxes;
        MainWindow dlg;
        SimHost board;
        auto *page = dlg.Page<AlarmProtectionPage>();
        QVERIFY(page);
        QVERIFY2(OpenAgainst(dlg, board, page), qPrintable(board.ErrorString()));

        Values values;
        for (const PageParamRow &row : page->Rows().rows)
            values[row.editIds[0]] = QString::fromLatin1(kAlarmValues[row.number - 1]);
        for (const auto &[id, text] : values)
            page->SetDlgItemText(id, text);
        TickEveryRow(page);
        page->ClickDlgButton(IDC_WRITE);
        QCOMPARE(page->ReqCount(), 28);
        QTRY_VERIFY_WITH_TIMEOUT(AllGreen(page), 15000);
        CompareBoxes(page, values);

        page->ClickDlgButton(IDC_CLEAR);
        TickEveryRow(page);
        page->ClickDlgButton(IDC_READ);
        QCOMPARE(page->ReqCount(), 28);
        QTRY_VERIFY_WITH_TIMEOUT(AllGreen(page), 15000);
        CompareBoxes(page, values);
        QCOMPARE(boxes.Count(), 0);
    }
};

int main(int argc, char **argv)
{
    return RunWidgetTest<TestThresholdPages>(argc, argv);
}

#include "test_threshold_pages.moc"
