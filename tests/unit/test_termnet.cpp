// The terminal's network links against socat on 127.0.0.1: socat plays the
// TCP server, the TCP clients and the UDP peers, and every byte it receives
// is compared with what the link sent, every byte it sends with what the
// link received.
#include "link/termnet.h"
#include "link/termtcpclient.h"
#include "link/termtcpserver.h"
#include "link/termudp.h"
#include "unit/term_link_test.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>

#include <arpa/inet.h>
#include <memory>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

QByteArray AllBytes(int repeat = 1)
{
    QByteArray bytes;
    for (int i = 0; i < 256; ++i)
        bytes.append(static_cast<char>(i));
    return bytes.repeated(repeat);
}

QString Local(quint16 port)
{
    return QStringLiteral("127.0.0.1:%1").arg(port);
}

// ---- UDP ----

TEST(TermUdp, DatagramsBothWaysWithTheirSenders)
{
    SKIP_WITHOUT_SOCAT();
    quint16 linkPort = FreePort(true);
    quint16 peerPort1 = FreePort(true);
    quint16 peerPort2 = FreePort(true);
    TermUdpLink link;
    LinkRecorder rec(&link);
    link.SetLocalPort(linkPort);
    link.SetTarget(QStringLiteral("127.0.0.1"), peerPort1);
    ASSERT_TRUE(link.Open()) << link.ErrorText().toStdString();
    EXPECT_TRUE(link.IsOpen());
    EXPECT_EQ(rec.openedCount, 1);

    auto peerArgs = [&](quint16 source) {
        return QStringList{QStringLiteral("-b"), QStringLiteral("65536"), QStringLiteral("STDIO"),
                           QStringLiteral("UDP4:127.0.0.1:%1,sourceport=%2").arg(linkPort).arg(source)};
    };
    SocatPeer peer1(peerArgs(peerPort1));
    SocatPeer peer2(peerArgs(peerPort2));
    ASSERT_TRUE(peer1.Running() && peer2.Running());

    // from the peers to the link, each datagram named by its sender (this
    // also shows both peers are ready)
    peer1.Send("one-a");
    ASSERT_TRUE(PumpUntil([&] { return rec.chunks.size() >= 1; }, 3000));
    peer2.Send("two-a");
    ASSERT_TRUE(PumpUntil([&] { return rec.chunks.size() >= 2; }, 3000));
    peer2.Send(AllBytes());
    ASSERT_TRUE(PumpUntil([&] { return rec.chunks.size() >= 3; }, 3000));
    ASSERT_EQ(rec.chunks.size(), 3u);
    EXPECT_EQ(rec.chunks[0].peer, Local(peerPort1));
    EXPECT_EQ(rec.chunks[0].bytes, QByteArray("one-a"));
    EXPECT_EQ(rec.chunks[1].peer, Local(peerPort2));
    EXPECT_EQ(rec.chunks[2].peer, Local(peerPort2));
    EXPECT_EQ(rec.chunks[2].bytes, AllBytes());
    EXPECT_EQ(rec.received, QByteArray("one-a") + QByteArray("two-a") + AllBytes());

    // from the link to each peer, as the target changes
    QByteArray out = AllBytes(4);
    EXPECT_EQ(link.Write(out), out.size());
    EXPECT_EQ(peer1.Receive(out.size(), 3000), out);
    link.SetTarget(QStringLiteral("127.0.0.1"), peerPort2);
    EXPECT_EQ(link.Write("to two"), 6);
    EXPECT_EQ(peer2.Receive(6, 3000), QByteArray("to two"));
    EXPECT_TRUE(peer1.Receive(1, 100).isEmpty());

    link.Close();
    EXPECT_FALSE(link.IsOpen());
    EXPECT_EQ(rec.closedCount, 1);
    EXPECT_EQ(link.Write("x"), -1);
}

TEST(TermUdp, NobodyListeningIsNoLostLink)
{
    TermUdpLink link;
    LinkRecorder rec(&link);
    link.SetLocalPort(FreePort(true));
    link.SetTarget(QStringLiteral("127.0.0.1"), FreePort(true));
    ASSERT_TRUE(link.Open());
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(link.Write("ping"), 4);
        PumpFor(50);
    }
    EXPECT_TRUE(link.IsOpen());
    EXPECT_EQ(rec.lostCount, 0);
    link.SetTarget(QStringLiteral("not an address"), 1);
    EXPECT_EQ(link.Write("x"), -1);
}

// ---- TCP client ----

TEST(TermTcpClient, BytesBothWaysThenThePeerCloses)
{
    SKIP_WITHOUT_SOCAT();
    quint16 port = FreePort(false);
    SocatPeer server({QStringLiteral("STDIO"), QStringLiteral("TCP4-LISTEN:%1,bind=127.0.0.1,reuseaddr").arg(port)});
    ASSERT_TRUE(server.Running());
    TermTcpClientLink link;
    LinkRecorder rec(&link);
    link.SetTarget(QStringLiteral("127.0.0.1"), port);
    // socat needs a moment to listen: retry the connection a few times
    for (int attempt = 0; attempt < 50 && rec.openedCount == 0; ++attempt) {
        ASSERT_TRUE(link.Open());
        PumpUntil([&] { return rec.openedCount > 0 || !link.IsActive(); }, 2000);
        if (rec.openedCount == 0)
            PumpFor(50);
    }
    ASSERT_TRUE(link.IsOpen());
    EXPECT_TRUE(link.LocalText().startsWith(QStringLiteral("127.0.0.1:")));
    int closedBefore = rec.closedCount;

    QByteArray out = AllBytes(64);
    EXPECT_EQ(link.Write(out), out.size());
    EXPECT_EQ(server.Receive(out.size(), 3000), out);
    EXPECT_TRUE(PumpUntil([&] { return link.PendingBytes() == 0; }, 2000));

    QByteArray in = AllBytes(16);
    server.Send(in);
    EXPECT_TRUE(PumpUntil([&] { return rec.received.size() >= in.size(); }, 3000));
    EXPECT_EQ(rec.received, in);
    EXPECT_TRUE(rec.chunks.front().peer.isEmpty());

    server.CloseInput(); // socat shuts its side down
    ASSERT_TRUE(PumpUntil([&] { return rec.closedCount > closedBefore; }, 5000));
    EXPECT_FALSE(link.IsOpen());
    EXPECT_FALSE(link.IsActive());
    EXPECT_EQ(rec.closedCount, closedBefore + 1);
    EXPECT_EQ(link.Write("late"), -1);
}

TEST(TermTcpClient, RefusedConnectionFailsWithItsReason)
{
    TermTcpClientLink link;
    LinkRecorder rec(&link);
    link.SetTarget(QStringLiteral("127.0.0.1"), FreePort(false));
    ASSERT_TRUE(link.Open());
    EXPECT_FALSE(link.IsOpen());
    ASSERT_TRUE(PumpUntil([&] { return rec.closedCount > 0; }, 5000));
    EXPECT_EQ(rec.openedCount, 0);
    EXPECT_EQ(rec.lostCount, 1);
    EXPECT_EQ(rec.closedCount, 1);
    EXPECT_EQ(link.LastSocketError(), QAbstractSocket::ConnectionRefusedError);
    EXPECT_EQ(NetFailureText(link.LastSocketError()), QStringLiteral("连接被拒绝"));
    EXPECT_EQ(link.Write("x"), -1);
}

struct FailureCase {
    QAbstractSocket::SocketError error;
    const char *text;
};

TEST(TermTcpClient, FailureTexts)
{
    const FailureCase cases[] = {
        {QAbstractSocket::ConnectionRefusedError, "连接被拒绝"},
        {QAbstractSocket::SocketTimeoutError, "建立连接超时"},
        {QAbstractSocket::AddressInUseError, "地址被占用"},
        {QAbstractSocket::SocketAddressNotAvailableError, "地址本机不可用"},
        {QAbstractSocket::NetworkError, "地址不可及"},
        {QAbstractSocket::SocketResourceError, "套接字内存不足"},
    };
    for (const FailureCase &c : cases)
        EXPECT_EQ(NetFailureText(c.error), QString::fromUtf8(c.text));
    // others by their number
    EXPECT_EQ(NetFailureText(QAbstractSocket::ProxyNotFoundError),
              QStringLiteral("错误码-%1").arg(static_cast<int>(QAbstractSocket::ProxyNotFoundError)));
}

// ---- TCP server ----

class TermTcpServerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_port = FreePort(false);
        m_link.SetLocalPort(m_port);
        ASSERT_TRUE(m_link.Open()) << m_link.ErrorText().toStdString();
        QObject::connect(&m_link, &TermTcpServerLink::ClientRemoved, &m_link,
                         [this](int index, const QString &) { m_removed.push_back(index); });
    }
    // A socat client; returns once the link has accepted it.
    SocatPeer *AddClient()
    {
        std::size_t before = m_link.Clients().size();
        m_clients.push_back(std::make_unique<SocatPeer>(
            QStringList{QStringLiteral("STDIO"), QStringLiteral("TCP4:127.0.0.1:%1").arg(m_port)}));
        PumpUntil([&] { return static_cast<std::size_t>(m_link.Clients().size()) > before; }, 3000);
        return m_clients.back().get();
    }

    quint16 m_port = 0;
    TermTcpServerLink m_link;
    LinkRecorder m_rec{&m_link};
    std::vector<std::unique_ptr<SocatPeer>> m_clients;
    std::vector<int> m_removed;
};

TEST_F(TermTcpServerTest, AllConnectionsAndOneClient)
{
    SKIP_WITHOUT_SOCAT();
    EXPECT_TRUE(m_link.IsListening());
    EXPECT_FALSE(m_link.IsOpen()); // up only with a client
    EXPECT_EQ(m_link.Write("x"), -1);
    SocatPeer *a = AddClient();
    SocatPeer *b = AddClient();
    SocatPeer *c = AddClient();
    ASSERT_EQ(m_link.Clients().size(), 3);
    EXPECT_TRUE(m_link.IsOpen());
    EXPECT_EQ(m_rec.openedCount, 3);
    for (const QString &peer : m_link.Clients())
        EXPECT_TRUE(peer.startsWith(QStringLiteral("127.0.0.1:"))) << peer.toStdString();

    // "all connections": every client gets the bytes, the result is the sum
    m_link.SetSendTarget(0);
    QByteArray out = AllBytes(8);
    EXPECT_EQ(m_link.Write(out), 3 * out.size());
    EXPECT_EQ(a->Receive(out.size(), 3000), out);
    EXPECT_EQ(b->Receive(out.size(), 3000), out);
    EXPECT_EQ(c->Receive(out.size(), 3000), out);

    // one client only
    m_link.SetSendTarget(2);
    EXPECT_EQ(m_link.Write("second"), 6);
    EXPECT_EQ(b->Receive(6, 3000), QByteArray("second"));
    EXPECT_TRUE(a->Receive(1, 200).isEmpty());
    EXPECT_TRUE(c->Receive(1, 1).isEmpty());
    m_link.SetSendTarget(4);
    EXPECT_EQ(m_link.Write("nobody"), -1);

    // each client's bytes come with its own name
    QStringList peers = m_link.Clients();
    a->Send("from a");
    ASSERT_TRUE(PumpUntil([&] { return m_rec.chunks.size() >= 1; }, 3000));
    c->Send(AllBytes());
    ASSERT_TRUE(PumpUntil([&] { return m_rec.received.size() >= 6 + 256; }, 3000));
    EXPECT_EQ(m_rec.chunks.front().peer, peers[0]);
    EXPECT_EQ(m_rec.chunks.back().peer, peers[2]);
    EXPECT_EQ(m_rec.received, QByteArray("from a") + AllBytes());
}

TEST_F(TermTcpServerTest, RemovedClientsKeepTheSendTargetValid)
{
    SKIP_WITHOUT_SOCAT();
    for (int i = 0; i < 4; ++i)
        AddClient();
    ASSERT_EQ(m_link.Clients().size(), 4);
    QStringList peers = m_link.Clients();

    // the selected client leaves: the target moves up by one
    m_link.SetSendTarget(3);
    m_clients[2]->Stop();
    ASSERT_TRUE(PumpUntil([&] { return m_link.Clients().size() == 3; }, 3000));
    EXPECT_EQ(m_removed, std::vector<int>{3});
    EXPECT_EQ(m_link.SendTarget(), 2);
    EXPECT_EQ(m_link.Clients(), (QStringList{peers[0], peers[1], peers[3]}));

    // a client before the selected one leaves: the target stays on its client
    m_link.SetSendTarget(3); // peers[3]
    m_clients[0]->Stop();
    ASSERT_TRUE(PumpUntil([&] { return m_link.Clients().size() == 2; }, 3000));
    EXPECT_EQ(m_link.SendTarget(), 2);
    EXPECT_EQ(m_link.Clients()[1], peers[3]);
    EXPECT_EQ(m_link.Write("last"), 4);
    EXPECT_EQ(m_clients[3]->Receive(4, 3000), QByteArray("last"));

    // a client after it leaves: nothing moves
    m_link.SetSendTarget(1);
    m_clients[3]->Stop();
    ASSERT_TRUE(PumpUntil([&] { return m_link.Clients().size() == 1; }, 3000));
    EXPECT_EQ(m_link.SendTarget(), 1);
    m_clients[1]->Stop();
    ASSERT_TRUE(PumpUntil([&] { return m_link.Clients().isEmpty(); }, 3000));
    EXPECT_EQ(m_link.SendTarget(), 0);
    EXPECT_FALSE(m_link.IsOpen());
    EXPECT_TRUE(m_link.IsListening());
    EXPECT_EQ(m_rec.closedCount, 0);
}

TEST_F(TermTcpServerTest, PortInUseFailsToListen)
{
    TermTcpServerLink second;
    second.SetLocalPort(m_port);
    EXPECT_FALSE(second.Open());
    EXPECT_FALSE(second.ErrorText().isEmpty());
    EXPECT_FALSE(second.IsListening());
}

TEST_F(TermTcpServerTest, StoppingDropsEveryClient)
{
    SKIP_WITHOUT_SOCAT();
    AddClient();
    AddClient();
    ASSERT_EQ(m_link.Clients().size(), 2);
    m_link.Close();
    EXPECT_EQ(m_rec.closedCount, 1);
    EXPECT_TRUE(m_link.Clients().isEmpty());
    EXPECT_FALSE(m_link.IsOpen());
    EXPECT_FALSE(m_link.IsListening());
    for (auto &client : m_clients)
        EXPECT_TRUE(client->Process().waitForFinished(3000)); // socat ends with its connection
    m_link.Close();
    EXPECT_EQ(m_rec.closedCount, 1);
}

// A client that connects, sends and then vanishes with a reset (linger 0),
// leaving unread bytes behind.
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

void DropAbruptly(int fd)
{
    linger lg{1, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &lg, sizeof lg);
    ::close(fd);
}

TEST_F(TermTcpServerTest, ManyClientsVanishingWhileSendingToAll)
{
    QElapsedTimer clock;
    clock.start();
    int fdsBefore = CountOpenFds();
    m_link.SetSendTarget(0);
    const int kClients = 50;
    qint64 sent = 0;
    std::vector<int> fds;
    for (int i = 0; i < kClients; ++i) {
        int fd = ConnectRaw(m_port);
        ASSERT_GE(fd, 0);
        fds.push_back(fd);
        QByteArray hello = QByteArray("client ") + QByteArray::number(i);
        ASSERT_EQ(::send(fd, hello.constData(), static_cast<size_t>(hello.size()), 0), hello.size());
        QCoreApplication::processEvents();
        qint64 n = m_link.Write(AllBytes(4));
        if (n > 0)
            sent += n;
        if (i % 3 == 2) { // every third round the oldest two vanish
            DropAbruptly(fds.front());
            fds.erase(fds.begin());
            DropAbruptly(fds.front());
            fds.erase(fds.begin());
        }
    }
    for (int fd : fds)
        DropAbruptly(fd);
    for (int i = 0; i < 20 && m_link.Write("tail") != -1; ++i)
        PumpFor(10);
    ASSERT_TRUE(PumpUntil([&] { return m_rec.openedCount == kClients && m_link.Clients().isEmpty(); }, 15000))
        << m_rec.openedCount << " accepted, " << m_link.Clients().size() << " still listed";
    EXPECT_EQ(static_cast<int>(m_removed.size()), kClients);
    EXPECT_FALSE(m_link.IsOpen());
    EXPECT_EQ(m_link.Write("x"), -1);
    EXPECT_TRUE(PumpUntil([&] { return CountOpenFds() == fdsBefore; }, 3000)) << CountOpenFds() << " vs " << fdsBefore;
    EXPECT_EQ(m_link.SendTarget(), 0);

    // a new client is served
    int fd = ConnectRaw(m_port);
    ASSERT_GE(fd, 0);
    ASSERT_TRUE(PumpUntil([&] { return m_link.Clients().size() == 1; }, 3000));
    EXPECT_EQ(m_link.Write("welcome"), 7);
    EXPECT_TRUE(PumpUntil([&] { return m_link.PendingBytes() == 0; }, 2000));
    char buf[16] = {};
    timeval tv{2, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    EXPECT_EQ(::recv(fd, buf, sizeof buf, MSG_WAITALL), 7);
    EXPECT_EQ(QByteArray(buf, 7), QByteArray("welcome"));
    ::close(fd);
    std::printf("[ figures  ] %d clients, %lld bytes sent to all, %lld bytes received, %lld ms\n", kClients,
                static_cast<long long>(sent), static_cast<long long>(m_rec.received.size()),
                static_cast<long long>(clock.elapsed()));
}

} // namespace
