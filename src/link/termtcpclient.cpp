#include "link/termtcpclient.h"

#include "link/termnet.h"

TermTcpClientLink::TermTcpClientLink(QObject *parent) : TermLink(parent)
{
    m_connectTimer.setSingleShot(true);
    connect(&m_connectTimer, &QTimer::timeout, this, &TermTcpClientLink::OnConnectTimeout);
}

TermTcpClientLink::~TermTcpClientLink()
{
    if (m_socket) {
        m_socket->disconnect(this);
        m_socket->abort();
    }
}

void TermTcpClientLink::SetTarget(const QString &host, quint16 port)
{
    m_host = host.trimmed();
    m_port = port;
}

bool TermTcpClientLink::Open()
{
    Close();
    m_error.clear();
    m_lastError = QAbstractSocket::UnknownSocketError;
    m_socket = std::make_unique<QTcpSocket>();
    QTcpSocket *socket = m_socket.get();
    connect(socket, &QTcpSocket::connected, this, &TermTcpClientLink::OnConnected);
    connect(socket, &QTcpSocket::errorOccurred, this, &TermTcpClientLink::OnError);
    connect(socket, &QTcpSocket::disconnected, this, &TermTcpClientLink::OnDisconnected);
    connect(socket, &QTcpSocket::readyRead, this, &TermTcpClientLink::OnReadyRead);
    connect(socket, &QTcpSocket::bytesWritten, this, &TermTcpClientLink::BytesWritten);
    m_connectTimer.start(kTcpConnectTimeoutMs);
    socket->connectToHost(m_host, m_port);
    return true;
}

void TermTcpClientLink::Stop()
{
    m_connectTimer.stop();
    m_up = false;
    if (!m_socket)
        return;
    m_socket->disconnect(this);
    m_socket->abort();
    // The socket may be inside one of its own signals here.
    m_socket.release()->deleteLater();
    emit Closed();
}

void TermTcpClientLink::Close()
{
    Stop();
}

qint64 TermTcpClientLink::Write(const QByteArray &bytes)
{
    if (!m_up)
        return -1;
    qint64 n = m_socket->write(bytes);
    if (n < 0)
        m_error = m_socket->errorString();
    return n;
}

qint64 TermTcpClientLink::PendingBytes() const
{
    return m_socket ? m_socket->bytesToWrite() : 0;
}

QString TermTcpClientLink::LocalText() const
{
    if (!m_up)
        return {};
    return PeerText(m_socket->localAddress(), m_socket->localPort());
}

void TermTcpClientLink::OnConnected()
{
    m_connectTimer.stop();
    m_up = true;
    emit Opened();
}

void TermTcpClientLink::OnError(QAbstractSocket::SocketError error)
{
    if (!m_socket)
        return;
    if (error == QAbstractSocket::RemoteHostClosedError) {
        OnDisconnected();
        return;
    }
    m_lastError = error;
    m_error = m_socket->errorString();
    emit ErrorOccurred(m_error, true);
    Stop();
}

void TermTcpClientLink::OnDisconnected()
{
    if (!m_socket)
        return;
    // Bytes that came with the close are still shown.
    OnReadyRead();
    m_lastError = QAbstractSocket::RemoteHostClosedError;
    Stop();
}

void TermTcpClientLink::OnReadyRead()
{
    if (!m_socket)
        return;
    QByteArray bytes = m_socket->readAll();
    if (bytes.isEmpty())
        return;
    emit BytesReceived(bytes);
    emit PeerBytesReceived(QString(), bytes);
}

void TermTcpClientLink::OnConnectTimeout()
{
    if (!m_socket || m_up)
        return;
    m_lastError = QAbstractSocket::SocketTimeoutError;
    m_error = QStringLiteral("connection timed out");
    emit ErrorOccurred(m_error, true);
    Stop();
}
