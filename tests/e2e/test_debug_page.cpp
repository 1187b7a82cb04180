// "内部调试" against the simulated board over a pseudo-terminal, through the
// real main window: the page opens only behind the gate; a bulk read of every
// row, new values, a bulk write of every row (both measurements of both
// resistance tables from the table list, the register block through its
// editor), then a bulk read into emptied boxes brings the new values back.
#include "app/dialogs/resistanceentrydialog.h"
#include "app/framework/msgbox.h"
#include "app/mainwindow.h"
#include "app/pages/internaldebugpage.h"
#include "app/pylvexapp.h"
#include "app/widgets/userlistctrl.h"
#include "board_window.h"
#include "files/logfiles.h"
#include "sim/simhost.h"

#include <QComboBox>
#include <QDateEdit>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include "gui/widget_test_main.h"

namespace {
const int kRows[] = {1313, 1308, 1154, 1319, 1321, 1279, 1064, 1253, 1186};

bool Lamp(InternalDebugPage *page, int chk, int colour, int column)
{
    ParamEntry e;
    return page->LookupParam(chk, e) && e.pLedCtrl->ColourRow() == colour && e.pLedCtrl->ColumnIndex() == column;
}

bool GreenExcept(InternalDebugPage *page, int skipped)
{
    for (int chk : kRows)
        if (chk != skipped && !Lamp(page, chk, LedLamp::kGreen, LedLamp::kBright))
            return false;
    return true;
}

bool AllGreen(InternalDebugPage *page)
{
    return GreenExcept(page, 0);
}

bool TableLampBright(InternalDebugPage *page, int id)
{
    auto *led = page->Item<LedLamp>(id);
    return led->ColourRow() == LedLamp::kGreen && led->ColumnIndex() == LedLamp::kBright;
}

void TickEveryRow(InternalDebugPage *page)
{
    page->CheckDlgButton(IDC_SELECT_ALL, 0);
    page->ClickDlgButton(IDC_SELECT_ALL);
}

const QString kOcv = QStringLiteral("3301 3302 3303 3304 3305 3306 3307 3308 3309 3310 3311 3312 3313 3314 ");
const QString kCharge[2] = {QStringLiteral("21 22 23 24 25 26 27 28 29 30 31 32 33 34 "),
                            QStringLiteral("41 42 43 44 45 46 47 48 49 50 51 52 53 54 ")};
const QString kDischarge[2] = {QStringLiteral("61 62 63 64 65 66 67 68 69 70 71 72 73 74 "),
                               QStringLiteral("81 82 83 84 85 86 87 88 89 90 91 92 93 94 ")};
} // namespace

class TestDebugPage : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        SetLogBaseFolder(m_dir.path());
    }
    void cleanup() { SetModalHook({}); }

    void readWriteAndReadBack()
    {
        MsgBoxRecorder boxes;
        MainWindow dlg;
        SimHost board;
        auto *page = dlg.Page<InternalDebugPage>();
        QVERIFY(page);
        // Locked: the page does not come to the front.
        dlg.Gate().SetVerified(false);
        QVERIFY(!dlg.Sheet()->SetActivePage(page));
        dlg.Gate().ClearPending();
        dlg.Gate().SetVerified(true);
        QVERIFY2(OpenAgainstBoard(dlg, board, page), qPrintable(board.ErrorString()));

        // What the board holds.
        page->RegisterNameBox()->setEditText(QStringLiteral("BLOCK"));
        TickEveryRow(page);
        page->ClickDlgButton(IDC_READ);
        QCOMPARE(page->ReqCount(), 9);
        QTRY_VERIFY_WITH_TIMEOUT(AllGreen(page), 15000);
        QVERIFY(!page->GetDlgItemText(1309).isEmpty());
        QVERIFY(page->GetDlgItemText(1309).startsWith(QLatin1Char('V')));
        QVERIFY(!page->GetDlgItemText(1152).isEmpty());
        QCOMPARE(page->RegisterList()->GetItemCount(), 2);

        // New values everywhere.
        page->DatePicker()->setDate(QDate(2022, 3, 4));
        page->SetDlgItemText(1152, QStringLiteral("15"));
        page->SetDlgItemText(1155, QStringLiteral("2"));
        page->SetDlgItemText(1156, QStringLiteral("40000"));
        page->SetDlgItemText(1318, QStringLiteral("PYLVEX-E2E-0001"));
        page->SetDlgItemText(1322, QStringLiteral("-1234"));
        page->SetDlgItemText(1281, kOcv);
        UserListCtrl *list = page->TableList();
        for (int i = 0; i < 2; ++i) {
            list->SetItemText(i, InternalDebugPage::COL_CURRENT, QString::number(1000 * (i + 1)));
            list->SetItemText(i, InternalDebugPage::COL_RESISTANCE, kCharge[i]);
            list->SetItemText(2 + i, InternalDebugPage::COL_CURRENT, QString::number(-1000 * (i + 1)));
            list->SetItemText(2 + i, InternalDebugPage::COL_RESISTANCE, kDischarge[i]);
        }
        // The register editor writes the block at once.
        SetModalHook([](QDialog *d) {
            auto *fill = qobject_cast<ResistanceEntryDialog *>(d);
            if (!fill)
                return int(QDialog::Rejected);
            for (int i = 0; i < ResistanceEntryDialog::kBoxes; ++i)
                fill->SetDlgItemText(ResistanceEntryDialog::Boxes()[i].edit, QString::asprintf("%02X", 0xA0 + i));
            fill->accept();
            return fill->result();
        });
        page->ClickDlgButton(IDC_FOR_REG_EDIT_BTN);
        QTRY_VERIFY_WITH_TIMEOUT(page->Register()[19] == 0xB3 && page->RegisterList()->GetItemCount() == 4, 15000);

        TickEveryRow(page);
        page->ClickDlgButton(IDC_WRITE);
        QVERIFY(!page->IsDlgButtonChecked(1378));
        QVERIFY(!page->IsDlgButtonChecked(1308));
        // The read-only versions row takes no part in a write.
        QTRY_VERIFY_WITH_TIMEOUT(GreenExcept(page, 1308) && TableLampBright(page, IDC_FOR_CHG_TABLE_LED) &&
                                     TableLampBright(page, IDC_FOR_DSG_TABLE_LED),
                                 20000);
        QCOMPARE(page->RegisterList()->GetItemCount(), 6);
        QCOMPARE(page->ChargeAcks(), 5);
        QCOMPARE(page->DischargeAcks(), 5);

        // Emptied boxes, then everything read back from the board.
        page->ClickDlgButton(IDC_CLEAR);
        page->DatePicker()->setDate(QDate(2000, 1, 1));
        TickEveryRow(page);
        page->ClickDlgButton(IDC_READ);
        QTRY_VERIFY_WITH_TIMEOUT(AllGreen(page) && page->RegisterList()->GetItemCount() == 8, 15000);
        QCOMPARE(page->DatePicker()->date(), QDate(2022, 3, 4));
        QCOMPARE(page->GetDlgItemText(1152), QStringLiteral("15"));
        QCOMPARE(page->GetDlgItemText(1155), QStringLiteral("2"));
        QCOMPARE(page->GetDlgItemText(1156), QStringLiteral("40000"));
        QCOMPARE(page->GetDlgItemText(1318), QStringLiteral("PYLVEX-E2E-0001"));
        QCOMPARE(page->GetDlgItemText(1322), QStringLiteral("-1234"));
        QCOMPARE(page->GetDlgItemText(1281), kOcv);
        QCOMPARE(page->GetDlgItemText(1065), kCharge[0]);
        QCOMPARE(page->GetDlgItemText(1430), QStringLiteral("1000"));
        QCOMPARE(page->GetDlgItemText(1255), kDischarge[0]);
        QCOMPARE(page->GetDlgItemText(1432), QStringLiteral("-1000"));
        QCOMPARE(page->RegisterList()->GetItemText(7, 1),
                 QStringLiteral("A0 A1 A2 A3 A4 A5 A6 A7 A8 A9 AA AB AC AD AE AF B0 B1 B2 B3 "));

        // The second measurements, by the index typed into the boxes.
        page->SetDlgItemText(1429, QStringLiteral("1"));
        page->SetDlgItemText(1431, QStringLiteral("1"));
        page->CheckAllParams(0);
        page->CheckDlgButton(1064, 1);
        page->CheckDlgButton(1253, 1);
        page->ClickDlgButton(IDC_READ);
        QTRY_VERIFY_WITH_TIMEOUT(list->GetItemText(3, InternalDebugPage::COL_RESISTANCE) == kDischarge[1], 15000);
        QCOMPARE(list->GetItemText(1, InternalDebugPage::COL_RESISTANCE), kCharge[1]);
        QCOMPARE(list->GetItemText(1, InternalDebugPage::COL_CURRENT), QStringLiteral("2000"));
        QCOMPARE(list->GetItemText(3, InternalDebugPage::COL_CURRENT), QStringLiteral("-2000"));
        QCOMPARE(boxes.Count(), 0);
    }
};

int main(int argc, char **argv)
{
    return RunWidgetTest<TestDebugPage>(argc, argv);
}

#include "test_debug_page.moc"
