// The start device: --demo opens the port to the simulated board running in
// the program, --port opens the given device instead of the stored port.
#include "app/mainwindow.h"
#include "app/pylvexapp.h"
#include "app/startup/commandline.h"
#include "sim/simhost.h"

#include <QComboBox>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdint>

namespace {

QString LogText()
{
    QString text;
    LogModel *m = theApp()->GetLogModel();
    for (int r = 0; r < m->rowCount(); ++r)
        text += m->Row(r).title + QLatin1Char(' ') + m->Row(r).text + QLatin1Char('\n');
    return text;
}

int ReceivedRows()
{
    int rows = 0;
    LogModel *m = theApp()->GetLogModel();
    for (int r = 0; r < m->rowCount(); ++r)
        rows += m->Row(r).level == 7 && m->Row(r).title.startsWith(QStringLiteral("接收"));
    return rows;
}

QSettings Profile()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Oramek"), QStringLiteral("Pylvex"));
}

StartupOptions Options(const QStringList &args)
{
    return ParseStartupOptions(QStringList{QStringLiteral("pylvex")} + args);
}

} // namespace

class TestStartupDemo : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        PylvexApp *app = theApp();
        app->GetLogModel()->ClearRows();
        app->m_bLogDebug = true;
        Profile().setValue(QStringLiteral("IniProfile/PortNum"), QStringLiteral("ttyS_stored"));
        Profile().sync();
    }

    // The demo board answers through the real port thread and pseudo-terminal;
    // its pseudo-terminal is not remembered as the port of the next start.
    void demoOpensTheSimulatedBoard()
    {
        PylvexApp *app = theApp();
        QVERIFY(app->StartUp(Options({QStringLiteral("--demo")})));
        MainWindow *dlg = app->GetMainDlg();
        QVERIFY(dlg);
        QVERIFY(app->GetDemoBoard() && app->GetDemoBoard()->IsRunning());
        QVERIFY(app->DemoPort().startsWith(QStringLiteral("/dev/")));
        QCOMPARE(dlg->Item<QComboBox>(IDC_PORT_LIST)->currentText(), app->DemoPort());
        QVERIFY(!dlg->Gate().IsVerified());
        QVERIFY2(dlg->m_bOpenCOM, qPrintable(LogText()));
        const std::uint8_t readStatus[] = {0x53, 0x03, 0x01, 0x01, 0x00};
        QVERIFY(dlg->SendFrame(readStatus, sizeof readStatus));
        QTRY_VERIFY_WITH_TIMEOUT(app->GetDemoBoard()->Requests() >= 1, 5000);
        QTRY_VERIFY2_WITH_TIMEOUT(ReceivedRows() >= 1, qPrintable(LogText()), 5000);
        app->ShutDown();
        QVERIFY(!app->GetDemoBoard());
        QCOMPARE(Profile().value(QStringLiteral("IniProfile/PortNum")).toString(), QStringLiteral("ttyS_stored"));
    }

    // A device given on the command line is opened instead of the stored one
    // and is remembered as usual.
    void portOpensTheGivenDevice()
    {
        SimHost board;
        QString device;
        QVERIFY2(board.StartPty(&device, SimOptions{}), qPrintable(board.ErrorString()));
        PylvexApp *app = theApp();
        QVERIFY(app->StartUp(Options({QStringLiteral("--port"), device})));
        MainWindow *dlg = app->GetMainDlg();
        QCOMPARE(dlg->Item<QComboBox>(IDC_PORT_LIST)->currentText(), device);
        QVERIFY2(dlg->m_bOpenCOM, qPrintable(LogText()));
        app->ShutDown();
        board.Stop();
        QCOMPARE(Profile().value(QStringLiteral("IniProfile/PortNum")).toString(), device);
    }

    // A device that cannot be opened leaves the port closed, with the reason in the system log.
    void portThatCannotBeOpened()
    {
        PylvexApp *app = theApp();
        QVERIFY(app->StartUp(Options({QStringLiteral("--port"), QStringLiteral("/dev/null")})));
        QVERIFY(!app->GetMainDlg()->m_bOpenCOM);
        QVERIFY2(LogText().contains(QStringLiteral("/dev/null")), qPrintable(LogText()));
        app->ShutDown();
    }
};

int main(int argc, char **argv)
{
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    qputenv("PYLVEX_INSTANCE_NAME",
            QByteArray("pylvex_demo_test_") + QByteArray::number(QRandomGenerator::global()->generate()));
    PylvexApp app(argc, argv);
    TestStartupDemo test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_startup_demo.moc"
