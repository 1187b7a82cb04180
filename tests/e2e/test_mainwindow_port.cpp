// The main window against the simulated board on a pseudo-terminal: opening
// and closing, a port held by another program, a request answered end to
// end, and the link lost when the other end goes away.
#include "app/framework/msgbox.h"
#include "app/mainwindow.h"
#include "app/pages/paramrows.h"
#include "app/pylvexapp.h"
#include "gui/test_pages.h"
#include "link/portdiscovery.h"
#include "link/winmsg.h"
#include "sim/simhost.h"

#include "gui/widget_test_main.h"
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSerialPort>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

class TestMainWindowPort : public QObject {
    Q_OBJECT
    QTemporaryDir config;
    LogModel *log = nullptr;

    int RowsWith(const QString &part)
    {
        int n = 0;
        for (int r = 0; r < log->rowCount(); ++r)
            n += log->Row(r).text.contains(part) ? 1 : 0;
        return n;
    }

private slots:
    void initTestCase()
    {
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config.path());
        SetPortListSource([] { return QStringList(); });
        log = theApp()->GetLogModel();
    }
    void init() { log->ClearRows(); }

    void openReadClose()
    {
        SimHost sim;
        QString path;
        QVERIFY2(sim.StartPty(&path, SimOptions{}), qPrintable(sim.ErrorString()));
        MainWindow dlg;
        auto *two = new TestPage(dlg.Host(), "WakeThresholdPage", QStringLiteral("唤醒与门限"));
        two->extraRows = {{1341, 1339, 1340, 0}};
        two->routes = ParamRowPage::RowRoutes(WakeupPageRows());
        dlg.Sheet()->AddPage(two);
        QVERIFY(dlg.OpenPortByName(path, true));
        QVERIFY(dlg.m_bOpenCOM);
        QCOMPARE(dlg.Item<QPushButton>(IDC_OPEN_PORT)->text(), QStringLiteral("关闭串口"));
        QVERIFY(!dlg.Item<QComboBox>(IDC_PORT_LIST)->isEnabled());
        QCOMPARE(LedState(dlg.TxLed()), LED_OK);

        // One read request answered by the board: value in the box, green lamp.
        MsgBoxRecorder boxes;
        QVERIFY(two->SendReadRequest(0x02, 0x13));
        QTRY_COMPARE_WITH_TIMEOUT(two->Item<QLineEdit>(1339)->text(), QStringLiteral("60"), 3000);
        ParamEntry e;
        two->LookupParam(1341, e);
        QCOMPARE(LedState(e.pLedCtrl), LED_OK);

        // "关闭串口" answered No keeps the port open; Yes closes it.
        boxes.Answer(IDNO);
        dlg.Item<QPushButton>(IDC_OPEN_PORT)->click();
        QCOMPARE(boxes.LastText(), QStringLiteral("您确信要关闭串口？"));
        QCOMPARE(boxes.Shown().back().caption, QStringLiteral("确认"));
        QCOMPARE(boxes.Shown().back().DefaultAnswer(), IDNO);
        QVERIFY(dlg.m_bOpenCOM);
        boxes.Answer(IDYES);
        dlg.Item<QPushButton>(IDC_OPEN_PORT)->click();
        QVERIFY(!dlg.m_bOpenCOM);
        QCOMPARE(dlg.Item<QPushButton>(IDC_OPEN_PORT)->text(), QStringLiteral("打开串口"));
        QVERIFY(dlg.Item<QComboBox>(IDC_PORT_LIST)->isEnabled());
        QCOMPARE(dlg.TxLed()->ColumnIndex(), int(LedLamp::kGrey));
        QCOMPARE(dlg.m_settings.portNum, path);
    }

    void portHeldByAnotherProgram()
    {
        SimHost sim;
        QString path;
        QVERIFY(sim.StartPty(&path, SimOptions{}));
        QSerialPort holder(path);
        QVERIFY(holder.open(QIODevice::ReadWrite));
        MainWindow dlg;
        log->ClearRows();
        // Silent: one level-3 row.
        QVERIFY(!dlg.OpenPortByName(path, true));
        QCOMPARE(RowsWith(QStringLiteral("打开 %1 时，返回串口已经被占用！").arg(path)), 1);
        // The button: the same text in an error box.
        MsgBoxRecorder boxes;
        dlg.Item<QPushButton>(IDC_OPEN_PORT)->click();
        QCOMPARE(boxes.Count(), 1);
        QCOMPARE(boxes.LastText(), QStringLiteral("打开 %1 时，返回串口已经被占用！").arg(path));
        QCOMPARE(boxes.Shown()[0].caption, QStringLiteral("错误"));
        QCOMPARE(boxes.Shown()[0].Icon(), MB_ICONERROR);
        QVERIFY(!dlg.m_bOpenCOM);
    }

    void notADevice()
    {
        MainWindow dlg;
        MsgBoxRecorder boxes;
        QVERIFY(!dlg.OpenPortByName(QStringLiteral("/tmp"), false));
        QCOMPARE(boxes.LastText(), QStringLiteral("解析串口号失败COM口=/tmp"));
    }

    // A device that does not exist is named as missing, in a box when asked
    // for by hand and in a row at start-up.
    void missingDevice()
    {
        const QString device = QStringLiteral("/dev/does-not-exist");
        MainWindow dlg;
        MsgBoxRecorder boxes;
        QVERIFY(!dlg.OpenPortByName(device, false));
        QCOMPARE(boxes.Count(), 1);
        QCOMPARE(boxes.LastText(), QStringLiteral("串口 /dev/does-not-exist 不存在"));
        QCOMPARE(boxes.Shown()[0].caption, QStringLiteral("警告"));
        log->ClearRows();
        QVERIFY(!dlg.OpenPortByName(device, true));
        QCOMPARE(boxes.Count(), 1);
        QCOMPARE(RowsWith(QStringLiteral("串口 /dev/does-not-exist 不存在")), 1);
        QCOMPARE(dlg.m_strOpenError, QStringLiteral("串口 /dev/does-not-exist 不存在"));
    }

    // At start-up the stored port is opened by itself only when the system
    // lists a serial device under exactly that name: a stored pseudo-terminal
    // stays in the list, unopened, and its other end hears nothing.
    void startupOpensOnlyAListedStoredPort()
    {
        SimHost sim;
        QString path;
        QVERIFY(sim.StartPty(&path, SimOptions{}));
        auto store = [](const QString &port) {
            QSettings s(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Oramek"), QStringLiteral("Pylvex"));
            s.setValue(QStringLiteral("IniProfile/PortNum"), port);
        };
        {
            store(path);
            MainWindow dlg;
            QVERIFY(!dlg.m_bOpenCOM);
            auto *list = dlg.Item<QComboBox>(IDC_PORT_LIST);
            QVERIFY(list->findText(path) >= 0);
            QCOMPARE(list->currentText(), path);
            QCOMPARE(RowsWith(path), 1);
            QTest::qWait(300);
            QCOMPARE(sim.Requests(), 0u);
            // By hand it opens, and the board hears the window's first requests.
            QVERIFY(dlg.OpenPort(false));
            QTRY_VERIFY_WITH_TIMEOUT(sim.Requests() > 0, 3000);
        }
        {
            // The same device under a name the system lists opens at start.
            const QString name = path.mid(5); // "pts/N"
            SetPortListSource([name] { return QStringList{name}; });
            store(name);
            MainWindow dlg;
            QVERIFY(dlg.m_bOpenCOM);
            QCOMPARE(dlg.Item<QComboBox>(IDC_PORT_LIST)->currentText(), name);
        }
        {
            // A stored ttyUSB1 is not found in ttyUSB10: nothing opens, and
            // the list names the stored port, not another device.
            SetPortListSource([] { return QStringList{QStringLiteral("ttyUSB10")}; });
            store(QStringLiteral("ttyUSB1"));
            log->ClearRows();
            MainWindow dlg;
            QVERIFY(!dlg.m_bOpenCOM);
            QVERIFY(dlg.m_strOpenError.isEmpty());
            auto *list = dlg.Item<QComboBox>(IDC_PORT_LIST);
            QCOMPARE(list->currentIndex(), -1);
            QCOMPARE(list->currentText(), QStringLiteral("ttyUSB1"));
            QCOMPARE(RowsWith(QStringLiteral("ttyUSB10")), 0);
            QCOMPARE(RowsWith(QStringLiteral("ttyUSB1 ")), 1);
            // Opening it by hand says it is missing.
            MsgBoxRecorder boxes;
            dlg.Item<QPushButton>(IDC_OPEN_PORT)->click();
            QCOMPARE(boxes.LastText(), QStringLiteral("串口 ttyUSB1 不存在"));
            QVERIFY(!dlg.m_bOpenCOM);
        }
        SetPortListSource([] { return QStringList(); });
    }

    void lostLink()
    {
        auto sim = std::make_unique<SimHost>();
        QString path;
        QVERIFY(sim->StartPty(&path, SimOptions{}));
        MainWindow dlg;
        MsgBoxRecorder boxes;
        QVERIFY(dlg.OpenPortByName(path, true));
        log->ClearRows();
        sim.reset(); // the other end goes away
        QTRY_VERIFY_WITH_TIMEOUT(!dlg.m_bOpenCOM, 5000);
        QCOMPARE(dlg.Item<QPushButton>(IDC_OPEN_PORT)->text(), QStringLiteral("打开串口"));
        QCOMPARE(dlg.RxLed()->ColumnIndex(), int(LedLamp::kGrey));
        QTest::qWait(300); // no second report follows
        int lost = 0;
        for (int r = 0; r < log->rowCount(); ++r)
            lost += log->Row(r).level == 3 && log->Row(r).text.contains(QStringLiteral("已断开")) ? 1 : 0;
        QCOMPARE(lost, 1);
        QCOMPARE(boxes.Count(), 0);
    }
};

int main(int argc, char **argv)
{
    return RunWidgetTest<TestMainWindowPort>(argc, argv);
}

#include "test_mainwindow_port.moc"
