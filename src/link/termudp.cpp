#include "link/termudp.h"

#include "link/termnet.h"

#include <QNetworkDatagram>

TermUdpLink::TermUdpLink(QObject *parent) : TermLink(parent) {}

TermUdpLink::~TermUdpLink()
{
    if (m_socket)
        m_socket->close();
}

void TermUdpLink::SetTarget(const QString &address, quint16 port)
{
    m_target = QHostAddress(address.trimmed());
    m_targetPort = port;
}

bool TermUdpLink::Open()
{
    Close();
    m_error.clear();
    auto socket = std::make_unique<QUdpSocket>();
    if (!socket->bind(QHostAddress::AnyIPv4, m_localPort)) {
        m_error = socket->errorString();
        return false;
    }
    connect(socket.get(), &QUdpSocket::readyRead, this, &TermUdpLink::OnReadyRead);
    connect(socket.get(), &QUdpSocket::errorOccurred, this, &TermUdpLink::OnError);
    m_socket = std::move(socket);
    emit Opened();
    return true;
}

void TermUdpLink::Close()
{
    if (!m_socket)
        return;
    m_socket->disconnect(this);
    m_socket->close();
    m_socket.reset();
    emit Closed();
}

quint16 TermUdpLink::LocalPort() const
{
    return m_socket ? m_socket->localPort() : 0;
}

qint64 TermUdpLink::Write(const QByteArray &bytes)
{
    if (!m_socket)
        return -1;
    if (m_target.isNull()) {
        m_error = QStringLiteral("no valid target address");
        return -1;
    }
    qint64 sent = m_socket->writeDatagram(bytes, m_target, m_targetPort);
    if (sent < 0) {
        m_error = m_socket->errorString();
        return -1;
    }
    emit BytesWritten(sent);
    return sent;
}

void TermUdpLink::OnReadyRead()
{
    // Every waiting datagram is taken: the socket asks again only for new ones.
    while (m_socket && m_socket->hasPendingDatagrams()) {
        QNetworkDatagram datagram = m_socket->receiveDatagram();
        if (!datagram.isValid())
            break;
        QByteArray bytes = datagram.data();
        if (bytes.isEmpty())
            continue;
        QString peer = PeerText(datagram.senderAddress(), static_cast<quint16>(datagram.senderPort()));
        emit BytesReceived(bytes);
        emit PeerBytesReceived(peer, bytes);
    }
}

void TermUdpLink::OnError(QAbstractSocket::SocketError)
{
    // A datagram to a port where nobody listens comes back as "refused";
    // the socket itself goes on.
    if (m_socket) {
        m_error = m_socket->errorString();
        emit ErrorOccurred(m_error, false);
    }
}
