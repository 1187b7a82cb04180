// What every byte link promises, checked on each kind against a peer of its
// own: the board port's serial line and the terminal's serial line on a
// pseudo-terminal, the simulated board in the process, and the terminal's
// UDP, TCP client and TCP server links on loopback. It opens, carries bytes
// both ways in the order written, closes with one Closed(), and a peer that
// goes away is reported once (one Closed(), no storm of errors).
#include "link/serialbytelink.h"
#include "link/termserial.h"
#include "link/termtcpclient.h"
#include "link/termtcpserver.h"
#include "link/termudp.h"
#include "protocol/frame.h"
#include "sim/sim_bytelink.h"
#include "test_link_pty.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QUdpSocket>

#include <gtest/gtest.h>

#include <memory>

namespace {
QByteArray Q(const std::vector<std::uint8_t> &b)
{
    return QByteArray(reinterpret_cast<const char *>(b.data()), static_cast<qsizetype>(b.size()));
}

std::vector<std::uint8_t> V(const QByteArray &b)
{
    return std::vector<std::uint8_t>(b.begin(), b.end());
}

// Everything a link said.
struct Heard {
    QByteArray bytes;
    int lost = 0;
    int errors = 0;
    int closed = 0;
};

void Listen(ByteLink &link, Heard &heard)
{
    QObject::connect(&link, &ByteLink::BytesReceived, [&heard](const QByteArray &b) { heard.bytes += b; });
    QObject::connect(&link, &ByteLink::ErrorOccurred, [&heard](const QString &, bool lost) {
        ++heard.errors;
        heard.lost += lost;
    });
    QObject::connect(&link, &ByteLink::Closed, [&heard] { ++heard.closed; });
}

// ---- one kind each: the link, and the far end the test plays

class BoardSerialKind {
public:
    std::unique_ptr<ByteLink> Make() { return std::make_unique<SerialByteLink>(m_pty.SlavePath(), LineSettings{}); }
    bool Up(ByteLink &) { return m_pty.Ok(); }
    void PeerSend(const QByteArray &bytes) { m_pty.Write(V(bytes)); }
    QByteArray PeerReceive(qsizetype want) { return Q(m_pty.Read(2000, static_cast<std::size_t>(want))); }
    void PeerGoes() { m_pty.CloseMaster(); }
    static constexpr bool kPeerCanGo = true;
    static constexpr bool kFreeBytes = true;

private:
    PtyPair m_pty;
};

class TermSerialKind {
public:
    std::unique_ptr<ByteLink> Make()
    {
        auto link = std::make_unique<TermSerialLink>();
        TermLineSettings settings;
        settings.port = m_pty.SlavePath();
        link->SetSettings(settings);
        return link;
    }
    bool Up(ByteLink &) { return m_pty.Ok(); }
    void PeerSend(const QByteArray &bytes) { m_pty.Write(V(bytes)); }
    QByteArray PeerReceive(qsizetype want) { return Q(m_pty.Read(2000, static_cast<std::size_t>(want))); }
    void PeerGoes() { m_pty.CloseMaster(); }
    static constexpr bool kPeerCanGo = true;
    static constexpr bool kFreeBytes = true;

private:
    PtyPair m_pty;
};

// The simulated board answers requests; what it receives is seen through its answers.
class SimBoardKind {
public:
    std::unique_ptr<ByteLink> Make()
    {
        auto link = std::make_unique<SimByteLink>();
        m_link = link.get();
        return link;
    }
    bool Up(ByteLink &) { return true; }
    void PeerGoes() { m_link->Close(); }
    static constexpr bool kPeerCanGo = true;
    static constexpr bool kFreeBytes = false;

private:
    SimByteLink *m_link = nullptr;
};

class UdpKind {
public:
    UdpKind() { m_peer.bind(QHostAddress::LocalHost, 0); }
    std::unique_ptr<ByteLink> Make()
    {
        auto link = std::make_unique<TermUdpLink>();
        link->SetLocalPort(0);
        link->SetTarget(QStringLiteral("127.0.0.1"), m_peer.localPort());
        m_link = link.get();
        return link;
    }
    bool Up(ByteLink &) { return m_link->LocalPort() != 0; }
    void PeerSend(const QByteArray &bytes)
    {
        m_peer.writeDatagram(bytes, QHostAddress::LocalHost, m_link->LocalPort());
    }
    QByteArray PeerReceive(qsizetype want)
    {
        QByteArray got;
        PumpUntil(
            [&] {
                while (m_peer.hasPendingDatagrams()) {
                    QByteArray d(static_cast<qsizetype>(m_peer.pendingDatagramSize()), '\0');
                    m_peer.readDatagram(d.data(), d.size());
                    got += d;
                }
                return got.size() >= want;
            },
            2000);
        return got;
    }
    void PeerGoes() {}
    // A datagram peer has no connection whose end could be seen.
    static constexpr bool kPeerCanGo = false;
    static constexpr bool kFreeBytes = true;

private:
    QUdpSocket m_peer;
    TermUdpLink *m_link = nullptr;
};

class TcpClientKind {
public:
    TcpClientKind()
    {
        m_server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&m_server, &QTcpServer::newConnection,
                         [this] { m_peer.reset(m_server.nextPendingConnection()); });
    }
    std::unique_ptr<ByteLink> Make()
    {
        auto link = std::make_unique<TermTcpClientLink>();
        link->SetTarget(QStringLiteral("127.0.0.1"), m_server.serverPort());
        return link;
    }
    bool Up(ByteLink &link)
    {
        return PumpUntil([&] { return link.IsOpen() && m_peer; }, 3000);
    }
    void PeerSend(const QByteArray &bytes)
    {
        m_peer->write(bytes);
        m_peer->flush();
    }
    QByteArray PeerReceive(qsizetype want)
    {
        QByteArray got;
        PumpUntil(
            [&] {
                got += m_peer->readAll();
                return got.size() >= want;
            },
            2000);
        return got;
    }
    void PeerGoes() { m_peer->close(); }
    static constexpr bool kPeerCanGo = true;
    static constexpr bool kFreeBytes = true;

private:
    QTcpServer m_server;
    std::unique_ptr<QTcpSocket> m_peer;
};

class TcpServerKind {
public:
    std::unique_ptr<ByteLink> Make()
    {
        auto link = std::make_unique<TermTcpServerLink>();
        link->SetLocalPort(0);
        m_link = link.get();
        return link;
    }
    bool Up(ByteLink &link)
    {
        m_peer.connectToHost(QHostAddress::LocalHost, m_link->LocalPort());
        return PumpUntil([&] { return link.IsOpen() && m_peer.state() == QAbstractSocket::ConnectedState; }, 3000);
    }
    void PeerSend(const QByteArray &bytes)
    {
        m_peer.write(bytes);
        m_peer.flush();
    }
    QByteArray PeerReceive(qsizetype want)
    {
        QByteArray got;
        PumpUntil(
            [&] {
                got += m_peer.readAll();
                return got.size() >= want;
            },
            2000);
        return got;
    }
    void PeerGoes() { m_peer.close(); }
    // A client that leaves ends its connection, not the listening server.
    static constexpr bool kPeerCanGo = false;
    static constexpr bool kFreeBytes = true;

private:
    TermTcpServerLink *m_link = nullptr;
    QTcpSocket m_peer;
};

template <class Kind> class ByteLinkContract : public ::testing::Test {
protected:
    Kind m_kind;
};

using Kinds = ::testing::Types<BoardSerialKind, TermSerialKind, SimBoardKind, UdpKind, TcpClientKind, TcpServerKind>;
class KindNames {
public:
    template <class T> static std::string GetName(int)
    {
        if (std::is_same_v<T, BoardSerialKind>)
            return "BoardSerial";
        if (std::is_same_v<T, TermSerialKind>)
            return "TermSerial";
        if (std::is_same_v<T, SimBoardKind>)
            return "SimBoard";
        if (std::is_same_v<T, UdpKind>)
            return "Udp";
        if (std::is_same_v<T, TcpClientKind>)
            return "TcpClient";
        return "TcpServer";
    }
};
TYPED_TEST_SUITE(ByteLinkContract, Kinds, KindNames);
} // namespace

TYPED_TEST(ByteLinkContract, CarriesBytesBothWaysInOrder)
{
    std::unique_ptr<ByteLink> link = this->m_kind.Make();
    Heard heard;
    Listen(*link, heard);
    ASSERT_TRUE(link->Open()) << link->ErrorText().toStdString();
    ASSERT_TRUE(this->m_kind.Up(*link));
    if constexpr (TypeParam::kFreeBytes) {
        const QByteArray first = QByteArrayLiteral("\x4d\x53\x03\x19\x01\x00");
        const QByteArray second = QByteArray(300, '\x5a') + QByteArrayLiteral("end");
        EXPECT_EQ(link->Write(first), first.size());
        EXPECT_EQ(link->Write(second), second.size());
        link->Drain(static_cast<std::size_t>(first.size() + second.size()));
        EXPECT_EQ(this->m_kind.PeerReceive(first.size() + second.size()), first + second);
        const QByteArray back = QByteArrayLiteral("answer one|") + QByteArray(200, '\x01') + "|answer two";
        this->m_kind.PeerSend(back.left(11));
        this->m_kind.PeerSend(back.mid(11));
        EXPECT_TRUE(PumpUntil([&] { return heard.bytes.size() >= back.size(); }, 2000));
        EXPECT_EQ(heard.bytes, back);
    } else {
        // The board answers every request, in the order the requests went out.
        const QByteArray a = Q(MakeFrame(kLinkMain, 0x03, 0x19, {0x00}));
        const QByteArray b = Q(MakeFrame(kLinkMain, 0x03, 0x05, {0x00}));
        EXPECT_EQ(link->Write(a), a.size());
        EXPECT_EQ(link->Write(b), b.size());
        // Frames are head, link, class, code, N, N data bytes, sum (2), CR LF.
        auto frameEnd = [&](qsizetype at) {
            return heard.bytes.size() > at + 4 ? at + 9 + static_cast<std::uint8_t>(heard.bytes[at + 4]) : -1;
        };
        ASSERT_TRUE(PumpUntil(
            [&] {
                const qsizetype end = frameEnd(0);
                return end > 0 && frameEnd(end) > 0 && heard.bytes.size() >= frameEnd(end);
            },
            3000));
        const qsizetype second = frameEnd(0);
        EXPECT_EQ(static_cast<std::uint8_t>(heard.bytes[3]), 0x99); // the first request's answer first
        EXPECT_EQ(static_cast<std::uint8_t>(heard.bytes[second + 3]), 0x85);
        EXPECT_EQ(heard.bytes.size(), frameEnd(second));
    }
    EXPECT_EQ(heard.lost, 0);
    EXPECT_EQ(heard.closed, 0);
    link->Close();
}

TYPED_TEST(ByteLinkContract, CloseEndsTheLinkWithOneClosed)
{
    std::unique_ptr<ByteLink> link = this->m_kind.Make();
    Heard heard;
    Listen(*link, heard);
    ASSERT_TRUE(link->Open()) << link->ErrorText().toStdString();
    ASSERT_TRUE(this->m_kind.Up(*link));
    link->Close();
    PumpFor(50);
    EXPECT_FALSE(link->IsOpen());
    EXPECT_EQ(heard.closed, 1);
    link->Close(); // closing a closed link says nothing more
    PumpFor(50);
    EXPECT_EQ(heard.closed, 1);
    EXPECT_EQ(heard.lost, 0);
    EXPECT_LT(link->Write(QByteArrayLiteral("late")), 1);
}

TYPED_TEST(ByteLinkContract, APeerThatGoesIsReportedOnce)
{
    if constexpr (std::is_same_v<TypeParam, TcpServerKind>) {
        // A client that leaves is not a lost link: the server keeps listening for the next one.
        std::unique_ptr<ByteLink> link = this->m_kind.Make();
        Heard heard;
        Listen(*link, heard);
        ASSERT_TRUE(link->Open()) << link->ErrorText().toStdString();
        ASSERT_TRUE(this->m_kind.Up(*link));
        this->m_kind.PeerGoes();
        EXPECT_TRUE(PumpUntil([&] { return !link->IsOpen(); }, 3000));
        PumpFor(200);
        EXPECT_EQ(heard.closed, 0);
        EXPECT_EQ(heard.lost, 0);
        link->Close();
        EXPECT_EQ(heard.closed, 1);
    } else if constexpr (!TypeParam::kPeerCanGo) {
        GTEST_SKIP() << "a datagram peer has no end the link could see";
    } else {
        std::unique_ptr<ByteLink> link = this->m_kind.Make();
        Heard heard;
        Listen(*link, heard);
        ASSERT_TRUE(link->Open()) << link->ErrorText().toStdString();
        ASSERT_TRUE(this->m_kind.Up(*link));
        this->m_kind.PeerGoes();
        EXPECT_TRUE(PumpUntil([&] { return heard.closed >= 1; }, 3000));
        PumpFor(300); // no storm after it
        EXPECT_EQ(heard.closed, 1);
        EXPECT_LE(heard.lost, 1);
        EXPECT_LE(heard.errors, 2);
        EXPECT_FALSE(link->IsOpen());
        link->Close();
        PumpFor(20);
        EXPECT_EQ(heard.closed, 1);
    }
}
