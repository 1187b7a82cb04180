// The main window without a serial port: start-up rows, settings, lamps and
// their flash time, the internal-page path, the raw echo, the idle tick, About.
#include "app/framework/internalmodegate.h"
#include "app/framework/msgbox.h"
#include "app/framework/pagehost.h"
#include "app/mainwindow.h"
#include "app/pages/systemlogpage.h"
#include "app/pylvexapp.h"
#include "gui/test_pages.h"
#include "link/portdiscovery.h"
#include "link/winmsg.h"

#include "gui/widget_test_main.h"
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

class TestMainWindow : public QObject {
    Q_OBJECT
    QTemporaryDir config;
    LogModel *log = nullptr;

    QString IniPath() const { return config.path() + QStringLiteral("/Oramek/Pylvex.ini"); }
    void WriteProfile(const QString &logMask, const QString &interval)
    {
        QFile::remove(IniPath());
        QSettings s(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Oramek"), QStringLiteral("Pylvex"));
        s.beginGroup(QStringLiteral("IniProfile"));
        s.setValue(QStringLiteral("LogMask"), logMask);
        s.setValue(QStringLiteral("CmdSndInvl"), interval);
        s.setValue(QStringLiteral("Baud"), QStringLiteral("1152"));
        s.setValue(QStringLiteral("Parity"), QStringLiteral("E"));
    }

private slots:
    void initTestCase()
    {
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config.path());
        log = theApp()->GetLogModel();
    }
    void init()
    {
        log->ClearRows();
        theApp()->m_nCmdSndInvl = 400;
        theApp()->m_bLogError = theApp()->m_bLogWarning = theApp()->m_bLogInfo = true;
    }

    void noPortAtStart()
    {
        SetPortListSource([] { return QStringList(); });
        MsgBoxRecorder boxes;
        MainWindow dlg;
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Pylvex v1.0.1.0"));
        QCOMPARE(boxes.Count(), 0);
        QCOMPARE(log->rowCount(), 2);
        QCOMPARE(log->Row(0).level, 3);
        QCOMPARE(log->Row(0).title, QStringLiteral("软件启动"));
        QCOMPARE(log->Row(0).text, QStringLiteral("没有检测到可使用的串口"));
        QCOMPARE(log->Row(1).level, 3);
        QCOMPARE(log->Row(1).title, QStringLiteral("打开串口"));
        QCOMPARE(log->Row(1).text, QStringLiteral("当前选择的串口号为空！"));
        QVERIFY(!dlg.m_bOpenCOM);
        QCOMPARE(dlg.TxLed()->ColumnIndex(), int(LedLamp::kGrey));
        // The button with nothing to open: the warning box, focus to the list.
        dlg.Item<QPushButton>(IDC_OPEN_PORT)->click();
        QCOMPARE(boxes.Count(), 1);
        QCOMPARE(boxes.LastText(), QStringLiteral("当前选择的串口号为空！"));
        QCOMPARE(boxes.Shown()[0].caption, QStringLiteral("警告"));
    }

    void portList()
    {
        QStringList ports = {QStringLiteral("ttyS10"), QStringLiteral("ttyS11")};
        SetPortListSource([&ports] { return ports; });
        {
            QSettings s(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Oramek"), QStringLiteral("Pylvex"));
            s.setValue(QStringLiteral("IniProfile/PortNum"), QStringLiteral("ttyS1"));
        }
        MainWindow dlg;
        auto *list = dlg.Item<QComboBox>(IDC_PORT_LIST);
        // The stored name is matched exactly: ttyS10 is another device.
        QCOMPARE(list->currentIndex(), -1);
        QCOMPARE(list->currentText(), QStringLiteral("ttyS1"));
        QVERIFY(!dlg.m_bOpenCOM);
        // A new adapter appears when the list is opened; the refill selects the stored name again.
        list->setCurrentIndex(1);
        ports << QStringLiteral("ttyS1");
        list->showPopup();
        list->hidePopup();
        QCOMPARE(list->count(), 3);
        QCOMPARE(list->currentText(), QStringLiteral("ttyS1"));
        // Unplugged: gone at the next opening.
        ports.removeLast();
        dlg.RefreshPortList();
        QCOMPARE(list->count(), 2);
        // A typed device path is kept.
        list->setEditText(QStringLiteral("/dev/null"));
        QCOMPARE(list->currentText(), QStringLiteral("/dev/null"));
        SetPortListSource([] { return QStringList(); });
    }

    void portBarOrder()
    {
        MainWindow dlg;
        QList<int> ids = {1294,
                          IDC_PORT_LIST,
                          1006,
                          IDC_BAUD_LIST,
                          1182,
                          IDC_DATABITS_LIST,
                          1291,
                          IDC_PARITY_LIST,
                          1333,
                          IDC_STOPBITS_LIST,
                          IDC_OPEN_PORT,
                          IDC_MAIN_BOARD,
                          IDC_SECONDARY_BOARD,
                          1337,
                          IDC_TX_LED,
                          1307,
                          IDC_RX_LED};
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        int x = -1;
        for (int id : ids) {
            QWidget *w = dlg.GetDlgItem(id);
            QVERIFY2(w, qPrintable(QString::number(id)));
            int left = w->mapTo(&dlg, QPoint(0, 0)).x();
            QVERIFY2(left > x, qPrintable(QString::number(id)));
            x = left;
        }
        QCOMPARE(dlg.Item<QComboBox>(IDC_BAUD_LIST)->count(), 7);
        QCOMPARE(dlg.Item<QComboBox>(IDC_PARITY_LIST)->itemText(4), QStringLiteral("Space"));
    }

    void flashTime_data()
    {
        QTest::addColumn<int>("interval");
        QTest::addColumn<int>("flash");
        QTest::newRow("120") << 120 << 60;
        QTest::newRow("90") << 90 << 50;
        QTest::newRow("1000") << 1000 << 100;
        QTest::newRow("150") << 150 << 100;
    }
    void flashTime()
    {
        QFETCH(int, interval);
        QFETCH(int, flash);
        MainWindow dlg;
        dlg.ShowPortLamps(true);
        dlg.m_bOpenCOM = true;
        theApp()->m_nCmdSndInvl = interval;
        PostMsg(&dlg, WM_FRAME_SENT);
        PostMsg(&dlg, WM_PORT_RXBYTE, 0x4D, 1);
        QCoreApplication::sendPostedEvents(&dlg);
        for (int timer : {TIMER_TX_FLASH, TIMER_RX_FLASH})
            QCOMPARE(dlg.TimerInterval(timer), flash);
        QCOMPARE(LedState(dlg.TxLed()), LED_ERROR);
        QCOMPARE(LedState(dlg.RxLed()), LED_ERROR);
        QTRY_COMPARE_WITH_TIMEOUT(LedState(dlg.TxLed()), LED_OK, 1000);
        QTRY_COMPARE_WITH_TIMEOUT(LedState(dlg.RxLed()), LED_OK, 1000);
        QVERIFY(!dlg.IsTimerActive(TIMER_TX_FLASH));
        dlg.m_bOpenCOM = false;
    }

    void settingsRoundTrip_data()
    {
        QTest::addColumn<QString>("mask");
        QTest::addColumn<QString>("interval");
        QTest::addColumn<bool>("warnings");
        QTest::addColumn<int>("kept");
        QTest::newRow("LogMask 5, 10 ms") << "5"
                                          << "10" << false << 10;
        QTest::newRow("9 ms ignored") << "7"
                                      << "9" << true << 400;
        QTest::newRow("2001 ms ignored") << "7"
                                         << "2001" << true << 400;
        QTest::newRow("2000 ms") << "7"
                                 << "2000" << true << 2000;
        QTest::newRow("bad values") << "x"
                                    << "fast" << true << 400;
    }
    void settingsRoundTrip()
    {
        QFETCH(QString, mask);
        QFETCH(QString, interval);
        QFETCH(bool, warnings);
        QFETCH(int, kept);
        WriteProfile(mask, interval);
        {
            MainWindow dlg;
            QCOMPARE(theApp()->m_bLogWarning, warnings);
            QVERIFY(theApp()->m_bLogError);
            QCOMPARE(theApp()->m_nCmdSndInvl.load(), kept);
            QCOMPARE(dlg.Item<QComboBox>(IDC_BAUD_LIST)->currentText(), QStringLiteral("115200")); // prefix
            QCOMPARE(dlg.Item<QComboBox>(IDC_PARITY_LIST)->currentText(), QStringLiteral("Even"));
            QCOMPARE(dlg.Item<QComboBox>(IDC_STOPBITS_LIST)->currentText(), QStringLiteral("1"));
        }
        QSettings s(IniPath(), QSettings::IniFormat);
        s.beginGroup(QStringLiteral("IniProfile"));
        QCOMPARE(s.value(QStringLiteral("LogMask")).toInt(), warnings ? 7 : 5);
        QCOMPARE(s.value(QStringLiteral("CmdSndInvl")).toString(), QString::number(kept));
    }

    void internalPagePath()
    {
        MainWindow dlg;
        dlg.Sheet()->clear(); // only the stand-in pages below
        // Removing the real tabs may pass over an internal page and leave a show request behind.
        QCoreApplication::removePostedEvents(&dlg, WM_SHOW_PAGE);
        auto *ten = new TestPage(dlg.Host(), "LiveStatusPage", QStringLiteral("客户使用-1"));
        auto *ele = new TestPage(dlg.Host(), "CustomerControlPage", QStringLiteral("客户使用-2"));
        auto *one = new TestPage(dlg.Host(), "RepeaterPage", QStringLiteral("中继器信息"));
        auto *two = new TestPage(dlg.Host(), "WakeThresholdPage", QStringLiteral("唤醒与门限"));
        for (TestPage *p : {ten, ele, one, two}) // tabs in the order the pages are added
            dlg.Sheet()->AddPage(p);
        dlg.Gate().SetPasswordPage(ele); // the stand-in asks for the password
        QCOMPARE(dlg.Sheet()->indexOf(ten), 0);
        QCOMPARE(dlg.Sheet()->indexOf(ele), 1);
        QCOMPARE(dlg.Sheet()->indexOf(two), 3);
        InternalModeGate &gate = dlg.Host()->Gate();
        QCOMPARE(&gate, &dlg.Gate());
        QVERIFY(!gate.IsVerified()); // locked once the window is built
        gate.ClearPending();
        dlg.Sheet()->setCurrentWidget(ten);
        // The tab of the internal page: refused, the current page stays.
        dlg.Sheet()->setCurrentIndex(3);
        QCOMPARE(dlg.Sheet()->currentWidget(), ten);
        QCOMPARE(gate.PendingPage(), two);
        // The next ordinary activation asks the main window, which shows the
        // customer control page and hands it the request.
        dlg.Sheet()->setCurrentWidget(one);
        QCOMPARE(gate.PendingPage(), nullptr);
        QCoreApplication::sendPostedEvents(&dlg);
        QCOMPARE(dlg.Sheet()->currentWidget(), ele);
        QCoreApplication::sendPostedEvents(ele);
        QCOMPARE(ele->messages.size(), std::size_t(1));
        QCOMPARE(ele->messages[0].first, WM_UNLOCK_REQUEST);
        QCOMPARE(ele->messages[0].second, reinterpret_cast<std::intptr_t>(two));
        // Verified: the board's confirmation shows the page.
        gate.SetVerified();
        gate.SetUnlockTarget(two);
        gate.OnBoardConfirmed();
        QCOMPARE(gate.UnlockTarget(), nullptr);
        QCoreApplication::sendPostedEvents(&dlg);
        QCOMPARE(dlg.Sheet()->currentWidget(), two);
        gate.SetVerified(false);
    }

    void rawEchoLine()
    {
        MainWindow dlg;
        auto *logPage = qobject_cast<SystemLogPage *>(dlg.Page<SystemLogPage>());
        QVERIFY(logPage);
        for (int b : {0x01, 0x4D, 0x53, 0xAB})
            PostMsg(&dlg, WM_PORT_RXBYTE, b, 0);
        QCoreApplication::sendPostedEvents(&dlg);
        QCOMPARE(logPage->EchoLine(), QStringLiteral("4D 53 AB "));
        for (int i = 0; i < 40; ++i)
            PostMsg(&dlg, WM_PORT_RXBYTE, 0x11, 0);
        QCoreApplication::sendPostedEvents(&dlg);
        QCOMPARE(logPage->EchoLine(), QStringLiteral("11 ")); // 42 bytes make a full line
        QCOMPARE(logPage->GetDlgItemText(1288), QStringLiteral("11 "));
    }

    // The port's messages become the host's signals (the live page takes
    // the idle tick from there: see the live page's tests).
    void portMessagesBecomeHostSignals()
    {
        MainWindow dlg;
        QSignalSpy idle(dlg.Host(), &PageHost::PortIdle);
        QSignalSpy sent(dlg.Host(), &PageHost::FrameSent);
        QSignalSpy echo(dlg.Host(), &PageHost::RxEchoByte);
        PostMsg(&dlg, WM_PORT_IDLE);
        PostMsg(&dlg, WM_FRAME_SENT);
        PostMsg(&dlg, WM_PORT_RXBYTE, 0x4D, 1); // a lamp flash only
        PostMsg(&dlg, WM_PORT_RXBYTE, 0x4D, 0);
        QCoreApplication::sendPostedEvents(&dlg);
        QCOMPARE(idle.count(), 1);
        QCOMPARE(sent.count(), 1);
        QCOMPARE(echo.count(), 1);
        QCOMPARE(echo[0][0].value<std::uint8_t>(), std::uint8_t(0x4D));
    }

    void aboutBox()
    {
        MainWindow dlg;
        QString title, text;
        SetModalHook([&](QDialog *d) {
            title = d->windowTitle();
            text = d->findChild<QLabel *>()->text();
            return 1;
        });
        dlg.show();
        QVERIFY(QTest::qWaitForWindowActive(&dlg));
        QTest::keyClick(&dlg, Qt::Key_F1);
        SetModalHook(nullptr);
        QCOMPARE(title, QStringLiteral("关于 Pylvex"));
        QCOMPARE(text, QStringLiteral("Pylvex Tools v1.0.1.0"));
    }
};

int main(int argc, char **argv)
{
    // The machine's own ports stay untouched.
    return RunWidgetTest<TestMainWindow>(argc, argv, [] { SetPortListSource([] { return QStringList(); }); });
}

#include "test_mainwindow.moc"
