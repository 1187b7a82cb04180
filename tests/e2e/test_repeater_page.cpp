// "中继器信息" in the real main window against the simulated board program
// started with a repeater in front of the board (pylvex-sim --repeater), over
// its pseudo-terminal: the repeater's links and versions, and a pass-through
// command that the board answers.
#include "app/framework/msgbox.h"
#include "app/logmodel.h"
#include "app/mainwindow.h"
#include "app/pages/repeaterpage.h"
#include "app/pagesheet.h"
#include "app/pylvexapp.h"
#include "cli_process.h"
#include "files/logfiles.h"
#include "link/winmsg.h"

#include <QPlainTextEdit>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include "gui/widget_test_main.h"

namespace {
bool LampGreen(RepeaterPage *page, int chkID)
{
    ParamEntry e;
    return page->LookupParam(chkID, e) && e.pLedCtrl->ColourRow() == LedLamp::kGreen &&
           e.pLedCtrl->ColumnIndex() == LedLamp::kBright;
}

// Rows of the system log whose text starts with the given frame bytes.
int LogRowsStartingWith(const QString &hex)
{
    LogModel *log = theApp()->GetLogModel();
    int n = 0;
    for (int r = 0; r < log->rowCount(); ++r)
        n += log->Row(r).text.startsWith(hex) ? 1 : 0;
    return n;
}
} // namespace

class TestRepeaterPage : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.path());
        SetLogBaseFolder(m_dir.path());
        theApp()->m_bLogDebug = true; // frames in the system log
    }

    void readsTheRepeaterAndPassesACommandThrough()
    {
        MsgBoxRecorder boxes;
        SimProcess board;
        QVERIFY(board.Start({QStringLiteral("--repeater")}));
        theApp()->m_nCmdSndInvl = 50;
        MainWindow dlg;
        auto *page = dlg.Page<RepeaterPage>();
        QVERIFY(page);
        QVERIFY(dlg.Sheet()->SetActivePage(page));
        QVERIFY(dlg.OpenPortByName(board.Device(), true));

        // Double-clicks on the check-boxes of rows 2 and 3.
        page->PostMessage(WM_READ_PARAM, RepeaterPage::IDC_LINKS_CHK);
        page->PostMessage(WM_READ_PARAM, RepeaterPage::IDC_VERSION_CHK);
        QTRY_VERIFY_WITH_TIMEOUT(LampGreen(page, RepeaterPage::IDC_VERSION_CHK), 10000);
        QVERIFY(LampGreen(page, RepeaterPage::IDC_LINKS_CHK));
        QCOMPARE(page->GetDlgItemText(RepeaterPage::IDC_LINKS_EDIT), QStringLiteral("串口，CAN，485"));
        QCOMPARE(page->GetDlgItemText(RepeaterPage::IDC_SOFTWARE_EDIT), QStringLiteral("V2.1.0"));
        QCOMPARE(page->GetDlgItemText(RepeaterPage::IDC_HARDWARE_EDIT), QStringLiteral("V1.0.3"));

        // The discharge history command typed in hex goes through the
        // repeater to the board, whose answer comes back.
        const int sentBefore = LogRowsStartingWith(QStringLiteral("4d 53 03 04 "));
        const int answersBefore = LogRowsStartingWith(QStringLiteral("4d 53 83 84 "));
        QPlainTextEdit *edit = page->PassEdit();
        edit->setFocus();
        QTest::keyClicks(edit, QStringLiteral("00"));
        QCOMPARE(page->CmdBank(), QByteArray(1, '\0'));
        page->ClickDlgButton(RepeaterPage::IDC_PASS_SEND);
        QCOMPARE(LogRowsStartingWith(QStringLiteral("4d 53 03 04 01 00 ")), sentBefore + 1);
        QTRY_COMPARE_WITH_TIMEOUT(LogRowsStartingWith(QStringLiteral("4d 53 83 84 ")), answersBefore + 1, 10000);
        QCOMPARE(boxes.Count(), 0);
    }
};

int main(int argc, char **argv)
{
    return RunWidgetTest<TestRepeaterPage>(argc, argv);
}

#include "test_repeater_page.moc"
