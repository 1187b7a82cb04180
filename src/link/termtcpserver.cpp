#include "link/termtcpserver.h"

#include "link/termnet.h"

TermTcpServerLink::TermTcpServerLink(QObject *parent) : TermLink(parent) {}

TermTcpServerLink::~TermTcpServerLink()
{
    for (Client &c : m_clients) {
        c.socket->disconnect(this);
        c.socket->abort();
        delete c.socket;
    }
}

bool TermTcpServerLink::Open()
{
    Close();
    m_error.clear();
    auto server = std::make_unique<QTcpServer>();
    if (!server->listen(QHostAddress::AnyIPv4, m_localPort)) {
        m_error = server->errorString();
        return false;
    }
    connect(server.get(), &QTcpServer::newConnection, this, &TermTcpServerLink::OnNewConnection);
    m_server = std::move(server);
    return true;
}

void TermTcpServerLink::Close()
{
    if (!m_server)
        return;
    m_server->disconnect(this);
    m_server->close();
    m_server.reset();
    std::vector<Client> clients;
    clients.swap(m_clients);
    for (Client &c : clients) {
        c.socket->disconnect(this);
        c.socket->abort();
        c.socket->deleteLater();
    }
    emit Closed();
}

quint16 TermTcpServerLink::LocalPort() const
{
    return m_server ? m_server->serverPort() : 0;
}

QStringList TermTcpServerLink::Clients() const
{
    QStringList peers;
    for (const Client &c : m_clients)
        peers.append(c.peer);
    return peers;
}

qint64 TermTcpServerLink::PendingBytes() const
{
    qint64 pending = 0;
    for (const Client &c : m_clients)
        pending += c.socket->bytesToWrite();
    return pending;
}

int TermTcpServerLink::IndexOf(const QTcpSocket *socket) const
{
    for (std::size_t i = 0; i < m_clients.size(); ++i) {
        if (m_clients[i].socket == socket)
            return static_cast<int>(i);
    }
    return -1;
}

void TermTcpServerLink::OnNewConnection()
{
    while (m_server && m_server->hasPendingConnections()) {
        QTcpSocket *socket = m_server->nextPendingConnection();
        if (!socket)
            break;
        // The link owns its clients; the server must not delete them on close.
        socket->setParent(nullptr);
        Client client{socket, PeerText(socket->peerAddress(), socket->peerPort())};
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { OnClientData(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] { OnClientGone(socket); });
        connect(socket, &QTcpSocket::errorOccurred, this, [this, socket] { OnClientGone(socket); });
        connect(socket, &QTcpSocket::bytesWritten, this, &TermTcpServerLink::BytesWritten);
        m_clients.push_back(client);
        emit ClientAdded(client.peer);
        emit Opened();
        // Bytes that arrived with the connection.
        if (socket->bytesAvailable() > 0)
            OnClientData(socket);
    }
}

void TermTcpServerLink::OnClientData(QTcpSocket *socket)
{
    int index = IndexOf(socket);
    if (index < 0)
        return;
    QByteArray bytes = socket->readAll();
    if (bytes.isEmpty())
        return;
    QString peer = m_clients[static_cast<std::size_t>(index)].peer;
    emit BytesReceived(bytes);
    emit PeerBytesReceived(peer, bytes);
}

void TermTcpServerLink::OnClientGone(QTcpSocket *socket)
{
    int index = IndexOf(socket);
    if (index < 0)
        return;
    // What the client sent before leaving is still shown.
    OnClientData(socket);
    index = IndexOf(socket);
    if (index < 0)
        return;
    QString peer = m_clients[static_cast<std::size_t>(index)].peer;
    QAbstractSocket::SocketError error = socket->error();
    m_clients.erase(m_clients.begin() + index);
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
    int place = index + 1;
    if (error != QAbstractSocket::RemoteHostClosedError && error != QAbstractSocket::UnknownSocketError)
        emit ErrorOccurred(QStringLiteral("%1: %2").arg(peer, socket->errorString()), false);
    emit ClientRemoved(place, peer);
    if (m_target >= place) {
        m_target -= 1;
        emit SendTargetChanged(m_target);
    }
}

qint64 TermTcpServerLink::WriteTo(const Client &client, const QByteArray &bytes)
{
    if (client.socket->bytesToWrite() > kMaxClientBacklog)
        return 0;
    qint64 n = client.socket->write(bytes);
    if (n < 0)
        m_error = client.socket->errorString();
    return n < 0 ? 0 : n;
}

qint64 TermTcpServerLink::Write(const QByteArray &bytes)
{
    if (m_clients.empty())
        return -1;
    if (m_target == 0) {
        qint64 sum = 0;
        // A write may end in a client's error, which removes it: walk a copy.
        std::vector<Client> clients = m_clients;
        for (const Client &c : clients) {
            if (IndexOf(c.socket) >= 0)
                sum += WriteTo(c, bytes);
        }
        return sum;
    }
    if (static_cast<std::size_t>(m_target) > m_clients.size())
        return -1;
    return WriteTo(m_clients[static_cast<std::size_t>(m_target) - 1], bytes);
}
