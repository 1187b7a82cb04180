// The customer control page in the real main window against the simulated
// board over a pseudo-terminal: a click on a locked tab leads through the
// password and the board's confirmation to that tab (and, with the board in
// the process, nowhere while the board refuses); the MOS switches, the board
// clock and the reset of the extremes as a user drives them.
#include "app/dialogs/verifypassworddialog.h"
#include "app/framework/msgbox.h"
#include "app/mainwindow.h"
#include "app/pages/alarmprotectionpage.h"
#include "app/pages/customercontrolpage.h"
#include "app/pages/livestatuspage.h"
#include "app/pages/wakethresholdpage.h"
#include "app/pagesheet.h"
#include "app/pylvexapp.h"
#include "board_window.h"
#include "files/logfiles.h"
#include "link/winmsg.h"
#include "sim/simhost.h"

#include "gui/widget_test_main.h"
#include <QDialog>
#include <QTabBar>
#include <QTemporaryDir>
#include <QtTest>

namespace {
// The password dialog answered as a user typing the default password.
void AnswerPassword(int *asked)
{
    SetModalHook([asked](QDialog *d) {
        auto *dlg = qobject_cast<VerifyPasswordDialog *>(d);
        if (!dlg)
            return 0;
        ++*asked;
        dlg->SetDlgItemText(IDC_VERIFY_PASSWORD, QStringLiteral("kvmrt"));
        dlg->OnOK();
        return dlg->result();
    });
}

bool AllGreen(ParamRowPage *page)
{
    for (const PageParamRow &row : page->Rows().rows) {
        ParamEntry e;
        if (!page->LookupParam(row.chkId, e) || e.pLedCtrl->ColourRow() != LedLamp::kGreen ||
            e.pLedCtrl->ColumnIndex() != LedLamp::kBright)
            return false;
    }
    return true;
}

// The window on screen, its port open to the board with the live page in
// front and the internal pages locked.
template <class Board> bool ShowAndOpen(MainWindow &dlg, Board &board, const SimOptions &options)
{
    dlg.show();
    if (!QTest::qWaitForWindowExposed(&dlg) || !OpenAgainstBoard(dlg, board, dlg.Page<LiveStatusPage>(), options)) {
        qWarning("%s", qPrintable(board.ErrorString()));
        return false;
    }
    return !dlg.Gate().IsVerified();
}

void ClickTab(MainWindow &dlg, QWidget *page)
{
    QTabBar *bar = dlg.Sheet()->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->tabRect(dlg.Sheet()->indexOf(page)).center());
}
} // namespace

class TestCustomerControl : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        SetLogBaseFolder(m_dir.path());
    }
    void cleanup() { SetModalHook(nullptr); }

    void lockedTabOpensAfterPasswordAndBoardConfirmation()
    {
        MsgBoxRecorder boxes;
        MainWindow dlg;
        SimHost board;
        QVERIFY(ShowAndOpen(dlg, board, {}));
        auto *ele = dlg.Page<CustomerControlPage>();
        auto *alarm = dlg.Page<AlarmProtectionPage>();
        int asked = 0;
        AnswerPassword(&asked);

        ClickTab(dlg, alarm);
        QTRY_COMPARE_WITH_TIMEOUT(dlg.Sheet()->currentWidget(), static_cast<QWidget *>(alarm), 10000);
        QCOMPARE(asked, 1);
        QVERIFY(dlg.Gate().IsVerified());
        QVERIFY(ele->GetDlgItemText(IDC_ELE_ENTER_EDIT).endsWith(QStringLiteral("，成功进入")));
        QCOMPARE(boxes.Count(), 0);

        // The opened page works against the board.
        alarm->CheckDlgButton(IDC_SELECT_ALL, 0);
        alarm->ClickDlgButton(IDC_SELECT_ALL);
        alarm->ClickDlgButton(IDC_READ);
        QTRY_VERIFY_WITH_TIMEOUT(AllGreen(alarm), 15000);
        // Verified for the rest of the run: the other threshold page opens at once.
        auto *wakeup = dlg.Page<WakeThresholdPage>();
        ClickTab(dlg, wakeup);
        QTRY_COMPARE(dlg.Sheet()->currentWidget(), static_cast<QWidget *>(wakeup));
        QCOMPARE(asked, 1);
    }

    void boardThatRefusesKeepsTheTabShut()
    {
        MsgBoxRecorder boxes;
        MainWindow dlg;
        InProcessBoard board;
        SimOptions options;
        options.refuseInternal = true;
        QVERIFY(ShowAndOpen(dlg, board, options));
        auto *ele = dlg.Page<CustomerControlPage>();
        auto *alarm = dlg.Page<AlarmProtectionPage>();
        int asked = 0;
        AnswerPassword(&asked);

        ClickTab(dlg, alarm);
        QTRY_COMPARE_WITH_TIMEOUT(ele->GetDlgItemText(IDC_ELE_ENTER_EDIT), QStringLiteral("ErrorCode: 0x04"), 10000);
        QCOMPARE(asked, 1);
        QCOMPARE(dlg.Sheet()->currentWidget(), static_cast<QWidget *>(ele));
        // Nothing opens the page later either.
        QTest::qWait(300);
        QCOMPARE(dlg.Sheet()->currentWidget(), static_cast<QWidget *>(ele));
        ParamEntry enter;
        QVERIFY(ele->LookupParam(IDC_ELE_ENTER, enter));
        QCOMPARE(enter.pLedCtrl->ColourRow(), int(LedLamp::kRed));
    }

    void mosClockAndExtremesAsAUserDrivesThem()
    {
        MsgBoxRecorder boxes;
        MainWindow dlg;
        SimHost board;
        auto *live = dlg.Page<LiveStatusPage>();
        auto *ele = dlg.Page<CustomerControlPage>();
        QVERIFY2(OpenAgainstBoard(dlg, board, ele), qPrintable(board.ErrorString()));

        // Charge MOS off: the switch answer, then the state read reaches the live page and this one.
        ele->ClickDlgButton(IDC_ELE_CHARGE_OFF);
        QTRY_COMPARE_WITH_TIMEOUT(ele->GetDlgItemText(IDC_ELE_CHARGE_MOS_EDIT), QStringLiteral("关"), 5000);
        ele->SetDlgItemText(IDC_ELE_DISCHARGE_MOS_EDIT, QString());
        PostMsg(ele, WM_WRITE_PARAM, IDC_ELE_CHARGE_MOS);
        QTRY_COMPARE_WITH_TIMEOUT(ele->GetDlgItemText(IDC_ELE_DISCHARGE_MOS_EDIT), QStringLiteral("开"), 5000);
        QCOMPARE(ele->GetDlgItemText(IDC_ELE_CHARGE_MOS_EDIT), QStringLiteral("关"));
        QCOMPARE(live->Item<LedLamp>(IDC_MOS_CHARGE)->ColumnIndex(), int(LedLamp::kGrey));
        QCOMPARE(live->Item<LedLamp>(IDC_MOS_DISCHARGE)->ColumnIndex(), int(LedLamp::kBright));
        ele->ClickDlgButton(IDC_ELE_CHARGE_ON);
        QTRY_COMPARE_WITH_TIMEOUT(ele->GetDlgItemText(IDC_ELE_CHARGE_MOS_EDIT), QStringLiteral("开"), 5000);

        // The board clock set from the pickers, then read back.
        const QDateTime set(QDate(2024, 3, 5), QTime(14, 7, 9));
        ele->SetPickerTime(set);
        boxes.Answer(IDNO);
        PostMsg(ele, WM_WRITE_PARAM, IDC_ELE_CLOCK);
        QTRY_VERIFY_WITH_TIMEOUT(boxes.Count() == 1, 5000);
        ele->SetPickerTime(QDateTime(QDate(2030, 1, 1), QTime(0, 0, 0)));
        PostMsg(ele, WM_READ_PARAM, IDC_ELE_CLOCK);
        QTRY_COMPARE_WITH_TIMEOUT(ele->PickerTime().date(), set.date(), 5000);
        QVERIFY(ele->PickerTime() >= set && ele->PickerTime() <= set.addSecs(30));

        // Reset extremes, confirmed; the board reports the result.
        boxes.Answer(IDYES);
        ele->ClickDlgButton(IDC_ELE_RESET_EXTREMES);
        QTRY_COMPARE_WITH_TIMEOUT(boxes.LastText(), QStringLiteral("执行成功！"), 5000);
        QCOMPARE(boxes.Count(), 3);
    }
};

int main(int argc, char **argv)
{
    return RunWidgetTest<TestCustomerControl>(argc, argv);
}

#include "test_customer_control.moc"
