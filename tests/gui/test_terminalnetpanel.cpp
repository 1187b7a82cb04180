// The terminal page on its network panel against socat on 127.0.0.1: socat
// plays the TCP server, several TCP clients and the UDP peers; every byte it
// receives is compared with what the page sent and what it sends with what
// the page shows. Also the panel's form: modes, stored settings, port edits,
// failures, and a burst of clients that connect, send and vanish.
#include "app/framework/msgbox.h"
#include "gui/page_fixture.h"
#include "gui/terminal_helpers.h"
#include "unit/term_link_test.h"

#include "gui/widget_test_main.h"

#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTabWidget>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#define SKIP_WITHOUT_SOCAT_QT()                                                                                        \
    do {                                                                                                               \
        if (SocatPath().isEmpty())                                                                                     \
            QSKIP("socat is not installed (Debian package socat, listed in scripts/setup.sh)");                        \
    } while (0)

namespace {
// A client that connects, sends and vanishes with a reset (linger 0).
int ConnectRaw(quint16 port)
{
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}
void ResetClose(int fd)
{
    linger hard{1, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    ::close(fd);
}
} // namespace

class TestTerminalNetPanel : public QObject, public PageFixture<TerminalPage> {
    Q_OBJECT

    TerminalNetPanel *Net() const { return m_page->Net(); }
    QComboBox *Combo(int id) const { return Net()->Item<QComboBox>(id); }
    QLineEdit *Edit(int id) const { return Net()->Item<QLineEdit>(id); }
    void Choose(int protocol) { Combo(IDC_NET_PROTOCOL)->setCurrentIndex(protocol); }
    void SetPorts(int target, int local)
    {
        Edit(IDC_NET_TARGET_PORT)->setText(QString::number(target));
        Edit(IDC_NET_LOCAL_PORT)->setText(QString::number(local));
    }
    void Start()
    {
        Net()->Item<QPushButton>(IDC_NET_START)->click();
        QCoreApplication::sendPostedEvents();
    }
    void SendHex(const QString &hex)
    {
        m_page->SendBox()->setPlainText(hex);
        m_page->ClickDlgButton(IDC_TERM_SEND);
    }
    void SendText(const QString &text)
    {
        if (m_page->IsDlgButtonChecked(IDC_TERM_HEXSEND))
            m_page->ClickDlgButton(IDC_TERM_HEXSEND);
        m_page->SendBox()->setPlainText(text);
        m_page->ClickDlgButton(IDC_TERM_SEND);
    }
    QString Shown() const { return m_page->Display()->toPlainText(); }
    // A socat TCP client of the page's server, once the page lists it.
    SocatPeer *AddClient(std::vector<std::unique_ptr<SocatPeer>> &clients, quint16 port)
    {
        int before = Combo(IDC_NET_CLIENTS)->count();
        clients.push_back(std::make_unique<SocatPeer>(
            QStringList{QStringLiteral("STDIO"), QStringLiteral("TCP4:127.0.0.1:%1").arg(port)}));
        PumpUntil([&] { return Combo(IDC_NET_CLIENTS)->count() > before; }, 3000);
        return clients.back().get();
    }

private slots:
    void init()
    {
        QSettings(QSettings::IniFormat, QSettings::UserScope, "Oramek", "Pylvex").remove("Config");
        QVERIFY(OpenPage());
        m_page->Item<QTabWidget>(IDC_TERM_TAB)->setCurrentIndex(1);
        QCOMPARE(m_page->CurrentLink(), static_cast<TerminalPanel *>(Net()));
    }
    void cleanup() { ClosePage(); }

    void defaultsAndModes()
    {
        QCOMPARE(Combo(IDC_NET_PROTOCOL)->currentText(), QStringLiteral("TCP Client"));
        QCOMPARE(Edit(IDC_NET_TARGET_IP)->text(), QStringLiteral("127.0.0.1"));
        QCOMPARE(Edit(IDC_NET_TARGET_PORT)->text(), QStringLiteral("8000"));
        QCOMPARE(Edit(IDC_NET_LOCAL_PORT)->text(), QStringLiteral("9000"));
        QCOMPARE(Combo(IDC_NET_CLIENTS)->itemText(0), QStringLiteral("所有连接"));
        QCOMPARE(Net()->GetDlgItemText(IDC_NET_START), QStringLiteral("连接"));
        const struct {
            int protocol;
            const char *info;
            int target;
            bool ip, targetPort, localPort, clients;
        } modes[] = {
            {TerminalNetPanel::TCP_SERVER, "发送数据前先选客户端 ↑", 0, true, false, true, true},
            {TerminalNetPanel::UDP, "监听自己设本地端口", 0, true, true, true, false}, // UDP keeps the target
            {TerminalNetPanel::TCP_CLIENT, "本地端口自动分配", -1, true, true, false, false},
        };
        for (const auto &m : modes) {
            Choose(m.protocol);
            QCOMPARE(Net()->GetDlgItemText(IDC_NET_INFO), QString::fromUtf8(m.info));
            QCOMPARE(Net()->SendTarget(), m.target);
            QCOMPARE(Edit(IDC_NET_TARGET_IP)->isEnabled(), m.ip);
            QCOMPARE(Edit(IDC_NET_TARGET_PORT)->isEnabled(), m.targetPort);
            QCOMPARE(Edit(IDC_NET_LOCAL_PORT)->isEnabled(), m.localPort);
            QCOMPARE(Combo(IDC_NET_CLIENTS)->isEnabled(), m.clients);
        }
    }

    void storedSettings()
    {
        ClosePage();
        QSettings(QSettings::IniFormat, QSettings::UserScope, "Oramek", "Pylvex")
            .setValue("Config/netConfig", QString::number(0xC0A80105u) + "-2-7001-7002");
        QVERIFY(OpenPage());
        QCOMPARE(Edit(IDC_NET_TARGET_IP)->text(), QStringLiteral("192.168.1.5"));
        QCOMPARE(Combo(IDC_NET_PROTOCOL)->currentText(), QStringLiteral("UDP"));
        QCOMPARE(Edit(IDC_NET_TARGET_PORT)->text(), QStringLiteral("7001"));
        QCOMPARE(Edit(IDC_NET_LOCAL_PORT)->text(), QStringLiteral("7002"));
        QCOMPARE(Net()->GetDlgItemText(IDC_NET_INFO), QStringLiteral("监听自己设本地端口"));
    }

    void portEditsClampOnLeaving()
    {
        for (int id : {IDC_NET_TARGET_PORT, IDC_NET_LOCAL_PORT}) {
            QLineEdit *edit = Edit(id);
            edit->setText("70000");
            QFocusEvent out(QEvent::FocusOut);
            QCoreApplication::sendEvent(edit, &out);
            QCOMPARE(edit->text(), QStringLiteral("65535"));
            edit->setText("123456"); // more than five digits cannot be typed
            QCOMPARE(edit->text(), QStringLiteral("12345"));
        }
    }

    void tcpClientBothWays()
    {
        SKIP_WITHOUT_SOCAT_QT();
        quint16 port = FreePort(false);
        SocatPeer server(
            {QStringLiteral("STDIO"), QStringLiteral("TCP4-LISTEN:%1,bind=127.0.0.1,reuseaddr").arg(port)});
        QVERIFY(server.Running());
        SetPorts(port, 9000);
        // socat needs a moment to listen: retry a refused attempt.
        for (int i = 0; i < 20 && !Net()->IsOpen(); ++i) {
            m_boxes->Clear();
            Start();
            PumpUntil([&] { return Net()->IsOpen() || !Net()->IsActive(); }, 2000);
            if (!Net()->IsOpen())
                QTest::qWait(100);
        }
        QVERIFY(Net()->IsOpen());
        QTRY_VERIFY(m_page->LinkOpen());
        QCOMPARE(Net()->GetDlgItemText(IDC_NET_START), QStringLiteral("断开"));
        QVERIFY(Net()->GetDlgItemText(IDC_NET_INFO).startsWith("Local:127.0.0.1:"));
        QVERIFY(!Combo(IDC_NET_PROTOCOL)->isEnabled());
        QVERIFY(!Edit(IDC_NET_TARGET_IP)->isEnabled());

        SendHex("00 01 7F 80 FF");
        QCOMPARE(server.Receive(5, 3000), QByteArray("\x00\x01\x7F\x80\xFF", 5));
        QCOMPARE(m_page->TxTotal(), 5);
        server.Send("\x41\x42");
        QTRY_COMPARE(DisplayLines(m_page), QStringList{" 41 42"}); // one peer: no source header

        // The server goes away: the panel stops without a box.
        server.Stop();
        QTRY_VERIFY(!Net()->IsActive());
        QTRY_VERIFY(!m_page->LinkOpen());
        QCOMPARE(Net()->GetDlgItemText(IDC_NET_START), QStringLiteral("连接"));
        QTest::qWait(50);
        QCOMPARE(m_boxes->Count(), 0);
    }

    void tcpClientRefused()
    {
        SetPorts(FreePort(false), 9000);
        Start();
        QTRY_VERIFY(!Net()->IsActive());
        QTRY_COMPARE(m_boxes->Count(), 1);
        QCOMPARE(m_boxes->LastText(), QStringLiteral("连接失败:连接被拒绝"));
        QVERIFY(Net()->GetDlgItemText(IDC_NET_INFO).isEmpty());
        QVERIFY(Combo(IDC_NET_PROTOCOL)->isEnabled());
        QVERIFY(!m_page->LinkOpen());
        // No address at all.
        Edit(IDC_NET_TARGET_IP)->clear();
        Start();
        QCOMPARE(m_boxes->LastText(), QStringLiteral("连接失败:未输入地址"));
        QVERIFY(!Net()->IsActive());
    }

    void tcpServerAllConnectionsAndOne()
    {
        SKIP_WITHOUT_SOCAT_QT();
        quint16 port = FreePort(false);
        Choose(TerminalNetPanel::TCP_SERVER);
        SetPorts(8000, port);
        Start();
        QVERIFY(Net()->IsActive());
        QVERIFY(!Net()->IsOpen()); // up with the first client
        std::vector<std::unique_ptr<SocatPeer>> clients;
        SocatPeer *a = AddClient(clients, port);
        SocatPeer *b = AddClient(clients, port);
        QCOMPARE(Combo(IDC_NET_CLIENTS)->count(), 3);
        QTRY_VERIFY(m_page->LinkOpen());
        QStringList peers = Net()->Server().Clients();
        QCOMPARE(Combo(IDC_NET_CLIENTS)->itemText(1), peers[0]);
        QCOMPARE(Combo(IDC_NET_CLIENTS)->itemText(2), peers[1]);
        // Clients that come leave the target at "所有连接": both get it, the
        // counter counts both.
        QCOMPARE(Combo(IDC_NET_CLIENTS)->currentIndex(), 0);
        QCOMPARE(Net()->SendTarget(), 0);
        SendText("all");
        QCOMPARE(a->Receive(3, 3000), QByteArray("all"));
        QCOMPARE(b->Receive(3, 3000), QByteArray("all"));
        QCOMPARE(m_page->TxTotal(), 6);
        // The user picks the first client: only it gets the next send.
        Combo(IDC_NET_CLIENTS)->setCurrentIndex(1);
        emit Combo(IDC_NET_CLIENTS)->activated(1);
        QCOMPARE(Net()->SendTarget(), 1);
        SendText("one");
        QCOMPARE(a->Receive(3, 3000), QByteArray("one"));
        QVERIFY(b->Receive(1, 200).isEmpty());
        QCOMPARE(m_page->TxTotal(), 6 + 3);
        QCOMPARE(m_page->GetDlgItemText(IDC_TERM_TX_COUNT), QStringLiteral("发送：9 Bytes"));
        // A third client leaves the user's choice as it is.
        SocatPeer *c = AddClient(clients, port);
        QCOMPARE(Combo(IDC_NET_CLIENTS)->currentIndex(), 1);
        SendText("two");
        QCOMPARE(a->Receive(3, 3000), QByteArray("two"));
        QVERIFY(c->Receive(1, 200).isEmpty());
        // Each client's bytes under its own header, once per change of sender.
        m_page->ClickDlgButton(IDC_TERM_HEXSHOW);
        a->Send("a1");
        QTRY_VERIFY(Shown().contains("a1"));
        a->Send("a2");
        QTRY_VERIFY(Shown().contains("a2"));
        b->Send("b1");
        QTRY_VERIFY(Shown().contains("b1"));
        QCOMPARE(Shown().count(QStringLiteral("【From: %1】").arg(peers[0])), 1);
        QCOMPARE(Shown().count(QStringLiteral("【From: %1】").arg(peers[1])), 1);
        QVERIFY(Shown().indexOf(peers[1]) > Shown().indexOf("a2"));
        // Stop: the clients are dropped and the list keeps "所有连接" only.
        Start();
        QVERIFY(!Net()->IsActive());
        QCOMPARE(Combo(IDC_NET_CLIENTS)->count(), 1);
        QVERIFY(a->Process().waitForFinished(3000));
        QTRY_VERIFY(!m_page->LinkOpen());
    }

    void removingTheSelectedClientKeepsAValidSelection()
    {
        SKIP_WITHOUT_SOCAT_QT();
        quint16 port = FreePort(false);
        Choose(TerminalNetPanel::TCP_SERVER);
        SetPorts(8000, port);
        Start();
        std::vector<std::unique_ptr<SocatPeer>> clients;
        for (int i = 0; i < 3; ++i)
            AddClient(clients, port);
        QStringList peers = Net()->Server().Clients();
        QComboBox *list = Combo(IDC_NET_CLIENTS);
        list->setCurrentIndex(2);
        emit list->activated(2);
        clients[1]->Stop(); // the selected one
        QTRY_COMPARE(list->count(), 3);
        QCOMPARE(list->currentIndex(), 1);
        QCOMPARE(list->currentText(), peers[0]);
        QCOMPARE(Net()->SendTarget(), 1);
        SendText("still");
        QCOMPARE(clients[0]->Receive(5, 3000), QByteArray("still"));
        // A client before the selected one leaves: the selection stays on its client.
        list->setCurrentIndex(2);
        emit list->activated(2);
        clients[0]->Stop();
        QTRY_COMPARE(list->count(), 2);
        QCOMPARE(list->currentText(), peers[2]);
        SendText("kept");
        QCOMPARE(clients[2]->Receive(4, 3000), QByteArray("kept"));
        // The last client leaves: nothing to send to, the selection is "所有连接".
        clients[2]->Stop();
        QTRY_COMPARE(list->count(), 1);
        QCOMPARE(list->currentIndex(), 0);
        QVERIFY(!Net()->IsOpen());
        QCOMPARE(Net()->Write("x"), -1);
        QVERIFY(Net()->IsActive()); // still listening
    }

    void listenFailure()
    {
        QTcpServer holder;
        QVERIFY(holder.listen(QHostAddress::AnyIPv4, 0));
        Choose(TerminalNetPanel::TCP_SERVER);
        SetPorts(8000, holder.serverPort());
        Start();
        QCOMPARE(m_boxes->Count(), 1);
        QVERIFY(m_boxes->LastText().startsWith(QStringLiteral("监听失败")));
        QVERIFY(!Net()->IsActive());
        QCOMPARE(Net()->GetDlgItemText(IDC_NET_START), QStringLiteral("连接"));
    }

    void udpHeadersOnlyWhenTheSenderChanges()
    {
        SKIP_WITHOUT_SOCAT_QT();
        quint16 local = FreePort(true);
        quint16 p1 = FreePort(true);
        quint16 p2 = FreePort(true);
        Choose(TerminalNetPanel::UDP);
        SetPorts(p1, local);
        Start();
        QVERIFY(Net()->IsOpen());
        QVERIFY(m_page->LinkOpen());
        QVERIFY(!Edit(IDC_NET_LOCAL_PORT)->isEnabled());
        QVERIFY(Edit(IDC_NET_TARGET_PORT)->isEnabled()); // the target may change while running
        auto peer = [&](quint16 source) {
            return QStringList{QStringLiteral("STDIO"),
                               QStringLiteral("UDP4:127.0.0.1:%1,sourceport=%2").arg(local).arg(source)};
        };
        SocatPeer one(peer(p1));
        SocatPeer two(peer(p2));
        m_page->ClickDlgButton(IDC_TERM_HEXSHOW);
        const QString h1 = QStringLiteral("【From: 127.0.0.1:%1】").arg(p1);
        const QString h2 = QStringLiteral("【From: 127.0.0.1:%1】").arg(p2);
        one.Send("x1");
        QTRY_VERIFY(Shown().contains("x1"));
        one.Send("x2");
        QTRY_VERIFY(Shown().contains("x2"));
        two.Send("y1");
        QTRY_VERIFY(Shown().contains("y1"));
        one.Send("x3");
        QTRY_VERIFY(Shown().contains("x3"));
        QCOMPARE(Shown().count(h1), 2);
        QCOMPARE(Shown().count(h2), 1);
        QStringList lines = DisplayLines(m_page);
        QCOMPARE(lines, (QStringList{"!" + h1, "x1", "x2", "!" + h2, "y1", "!" + h1, "x3"}));
        QCOMPARE(m_page->RxTotal(), 8);
        // Sends go to the target of the moment.
        SendText("to one");
        QCOMPARE(one.Receive(6, 3000), QByteArray("to one"));
        Edit(IDC_NET_TARGET_PORT)->setText(QString::number(p2));
        SendText("to two");
        QCOMPARE(two.Receive(6, 3000), QByteArray("to two"));
        QCOMPARE(m_page->TxTotal(), 12);
        Start();
        QVERIFY(!Net()->IsOpen());
        QVERIFY(!m_page->LinkOpen());
    }

    void clientBurstLeavesNothingBehind()
    {
        quint16 port = FreePort(false);
        Choose(TerminalNetPanel::TCP_SERVER);
        SetPorts(8000, port);
        Start();
        const int fdsBefore = CountOpenFds();
        QElapsedTimer clock;
        clock.start();
        m_page->ClickDlgButton(IDC_TERM_HEXSEND);
        m_page->SendBox()->setPlainText(QString(512, u'z'));
        Combo(IDC_NET_CLIENTS)->setCurrentIndex(0);
        const int kClients = 50;
        qint64 sent = 0;
        for (int round = 0; round < 5; ++round) {
            std::vector<int> fds;
            for (int i = 0; i < kClients / 5; ++i) {
                int fd = ConnectRaw(port);
                QVERIFY(fd >= 0);
                QByteArray hello = QByteArray("hello from ") + QByteArray::number(round * 10 + i);
                QVERIFY(::write(fd, hello.constData(), static_cast<size_t>(hello.size())) == hello.size());
                fds.push_back(fd);
            }
            PumpUntil([&] { return Net()->Server().Clients().size() == kClients / 5; }, 3000);
            emit Combo(IDC_NET_CLIENTS)->activated(0);
            for (int k = 0; k < 5; ++k) {
                m_page->ClickDlgButton(IDC_TERM_SEND);
                QCoreApplication::processEvents();
            }
            for (int fd : fds)
                ResetClose(fd);
            QVERIFY(PumpUntil([&] { return Net()->Server().Clients().isEmpty(); }, 5000));
        }
        sent = m_page->TxTotal();
        QTRY_VERIFY(m_page->RxTotal() > 0);
        QCOMPARE(Combo(IDC_NET_CLIENTS)->count(), 1);
        QVERIFY(!Net()->IsOpen());
        QCOMPARE(m_boxes->Count(), 0); // vanishing clients stop nobody
        QTRY_VERIFY(CountOpenFds() <= fdsBefore);
        // A new client is served.
        int fd = ConnectRaw(port);
        QVERIFY(PumpUntil([&] { return Net()->Server().Clients().size() == 1; }, 3000));
        emit Combo(IDC_NET_CLIENTS)->activated(0);
        m_page->SendBox()->setPlainText("fresh");
        m_page->ClickDlgButton(IDC_TERM_SEND);
        char buffer[16] = {};
        QVERIFY(PumpUntil([&] { return ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT) == 5; }, 3000));
        QCOMPARE(QByteArray(buffer, 5), QByteArray("fresh"));
        ::close(fd);
        qInfo("%d clients, %lld bytes sent, %lld received, %lld ms", kClients, static_cast<long long>(sent),
              static_cast<long long>(m_page->RxTotal()), static_cast<long long>(clock.elapsed()));
    }
};

int main(int argc, char **argv)
{
    return RunWidgetTest<TestTerminalNetPanel>(argc, argv);
}

#include "test_terminalnetpanel.moc"
