// The terminal page in the real main window: showing it hands the serial
// line from the simulated board's port to the terminal's own port (a
// pseudo-terminal whose other end the test plays), leaving hands it back;
// on its network tab the page talks to socat over TCP and UDP. Every byte a
// peer receives is compared with what was sent, every byte it sends with
// what the page shows.
#include "app/framework/msgbox.h"
#include "app/mainwindow.h"
#include "app/pages/livestatuspage.h"
#include "app/pages/terminalpage.h"
#include "app/statusline.h"
#include "e2e/board_window.h"
#include "gui/terminal_helpers.h"
#include "link/portdiscovery.h"
#include "unit/term_link_test.h"

#include "gui/widget_test_main.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

class TestTerminalPage : public QObject {
    Q_OBJECT

    static void SendText(TerminalPage *page, const QString &text)
    {
        if (page->IsDlgButtonChecked(IDC_TERM_HEXSEND))
            page->ClickDlgButton(IDC_TERM_HEXSEND);
        page->SendBox()->setPlainText(text);
        page->ClickDlgButton(IDC_TERM_SEND);
    }

private slots:
    void initTestCase()
    {
        SetPortListSource([] { return QStringList(); });
    }

    void serialThenNetworkInTheWindow()
    {
        MsgBoxRecorder boxes;
        MainWindow dlg;
        SimHost board;
        auto *live = dlg.Page<LiveStatusPage>();
        auto *page = dlg.Page<TerminalPage>();
        QVERIFY(live && page);
        QVERIFY(OpenAgainstBoard(dlg, board, live));
        PtyPair peer;
        QVERIFY(peer.Ok());
        ChoosePort(page->Uart(), peer.SlavePath());

        // Showing the page: the board port closes, the terminal's port opens.
        auto *status = dlg.findChild<StatusLineView *>();
        QVERIFY(status);
        const QString boardPort = status->Text().section(u' ', 0, 0);
        QVERIFY(status->Text().contains(QStringLiteral("已连接")));
        QVERIFY(dlg.Sheet()->SetActivePage(page));
        QVERIFY(!dlg.m_bOpenCOM);
        QVERIFY(page->Uart()->IsOpen());
        QTRY_VERIFY(page->LinkOpen());
        // The status line says what holds the line and what comes back.
        QVERIFY2(status->Text().startsWith(
                     QStringLiteral("串口调试占用 %1；离开本页后恢复 %2 ").arg(peer.SlavePath(), boardPort)),
                 qPrintable(status->Text()));
        QVERIFY(!status->Alarming());

        // Hex and text both ways over the pseudo-terminal.
        page->SendBox()->setPlainText("4D 53 0d 0A");
        page->ClickDlgButton(IDC_TERM_SEND);
        QCOMPARE(ToArray(peer.Read(2000, 4)), QByteArray("\x4D\x53\x0D\x0A"));
        peer.Write(BytesOf(QByteArray("\x00\xFF", 2)));
        QTRY_COMPARE(DisplayLines(page), QStringList{" 00 FF"});
        page->ClickDlgButton(IDC_TERM_HEXSHOW);
        SendText(page, QStringLiteral("电池"));
        QCOMPARE(ToArray(peer.Read(2000, 4)), QByteArray("\xB5\xE7\xB3\xD8"));
        peer.Write(BytesOf(QByteArray("\xB5\xE7\xB3\xD8")));
        QTRY_COMPARE(DisplayLines(page).last(), QStringLiteral("电池"));
        QCOMPARE(page->TxTotal(), 8);
        QCOMPARE(page->RxTotal(), 6);

        // The network tab: a TCP client to socat.
        if (SocatPath().isEmpty())
            QSKIP("socat is not installed (Debian package socat, listed in scripts/setup.sh)");
        page->ClickDlgButton(IDC_TERM_CLEAR_ALL);
        page->Item<QTabWidget>(IDC_TERM_TAB)->setCurrentIndex(1);
        TerminalNetPanel *net = page->Net();
        quint16 port = FreePort(false);
        SocatPeer server(
            {QStringLiteral("STDIO"), QStringLiteral("TCP4-LISTEN:%1,bind=127.0.0.1,reuseaddr").arg(port)});
        net->Item<QLineEdit>(IDC_NET_TARGET_PORT)->setText(QString::number(port));
        for (int i = 0; i < 20 && !net->IsOpen(); ++i) {
            net->Item<QPushButton>(IDC_NET_START)->click();
            PumpUntil([&] { return net->IsOpen() || !net->IsActive(); }, 2000);
            if (!net->IsOpen())
                QTest::qWait(100);
        }
        QVERIFY(net->IsOpen());
        boxes.Clear(); // refusals while socat was starting
        QByteArray all;
        for (int i = 0; i < 256; ++i)
            all.append(char(i));
        page->ClickDlgButton(IDC_TERM_HEXSEND);
        page->SendBox()->setPlainText(QString::fromLatin1(all.toHex(' ')));
        page->ClickDlgButton(IDC_TERM_SEND);
        QCOMPARE(server.Receive(256, 3000), all);
        page->ClickDlgButton(IDC_TERM_HEXSHOW); // hex display on again
        server.Send(all);
        QTRY_COMPARE(page->RxTotal(), 256);
        const QString want = QString::fromLatin1(all.toHex().toUpper());
        QTRY_COMPARE(DisplayLines(page).join(QString()).remove(u' '), want);
        net->Item<QPushButton>(IDC_NET_START)->click();
        QVERIFY(!net->IsActive());

        // UDP with a socat peer.
        page->ClickDlgButton(IDC_TERM_CLEAR_ALL);
        net->Item<QComboBox>(IDC_NET_PROTOCOL)->setCurrentIndex(TerminalNetPanel::UDP);
        quint16 local = FreePort(true);
        quint16 remote = FreePort(true);
        net->Item<QLineEdit>(IDC_NET_TARGET_PORT)->setText(QString::number(remote));
        net->Item<QLineEdit>(IDC_NET_LOCAL_PORT)->setText(QString::number(local));
        net->Item<QPushButton>(IDC_NET_START)->click();
        QVERIFY(net->IsOpen());
        SocatPeer udp(
            {QStringLiteral("STDIO"), QStringLiteral("UDP4:127.0.0.1:%1,sourceport=%2").arg(local).arg(remote)});
        // The peer speaks first, so it is surely listening when the page answers.
        page->ClickDlgButton(IDC_TERM_HEXSHOW); // text display
        udp.Send("pong");
        const QStringList shown{QStringLiteral("!【From: 127.0.0.1:%1】").arg(remote), "pong"};
        QTRY_COMPARE(DisplayLines(page), shown);
        SendText(page, "ping");
        QCOMPARE(udp.Receive(4, 3000), QByteArray("ping"));

        // Leaving the page: the terminal's port closes, the board port opens again.
        QVERIFY(dlg.Sheet()->SetActivePage(live));
        QVERIFY(!page->Uart()->IsOpen());
        QVERIFY(dlg.m_bOpenCOM);
        QVERIFY(status->Text().startsWith(boardPort + u' '));
        QVERIFY(status->Text().contains(QStringLiteral("已连接")));
        QVERIFY(!status->Text().contains(QStringLiteral("串口调试占用")));
        QCOMPARE(boxes.Count(), 0);
        net->Item<QPushButton>(IDC_NET_START)->click();
    }
};

int main(int argc, char **argv)
{
    return RunWidgetTest<TestTerminalPage>(argc, argv);
}

#include "test_terminal_page.moc"
