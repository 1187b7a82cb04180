// The terminal's TCP client link: connects to a target address and port;
// the link is up from the connection until either side closes it.
#pragma once

#include "link/termlink.h"

#include <QTcpSocket>
#include <QTimer>

#include <memory>

class TermTcpClientLink : public TermLink {
    Q_OBJECT
public:
    explicit TermTcpClientLink(QObject *parent = nullptr);
    ~TermTcpClientLink() override;

    void SetTarget(const QString &host, quint16 port);

    // Starts connecting; the outcome comes later as Opened(), or as
    // ErrorOccurred(reason, true) followed by Closed().
    bool Open() override;
    void Close() override;
    bool IsOpen() const override { return m_up; }
    // Started and not yet closed (connecting or connected).
    bool IsActive() const { return m_socket != nullptr; }
    qint64 Write(const QByteArray &bytes) override;
    QString ErrorText() const override { return m_error; }
    qint64 PendingBytes() const override;
    // The error that ended the last attempt or connection.
    QAbstractSocket::SocketError LastSocketError() const { return m_lastError; }
    // "address:port" of this end while connected.
    QString LocalText() const;

private:
    void OnConnected();
    void OnError(QAbstractSocket::SocketError error);
    void OnDisconnected();
    void OnReadyRead();
    void OnConnectTimeout();
    void Stop();

    QString m_host = QStringLiteral("127.0.0.1");
    quint16 m_port = 8000;
    std::unique_ptr<QTcpSocket> m_socket;
    QTimer m_connectTimer;
    bool m_up = false;
    QString m_error;
    QAbstractSocket::SocketError m_lastError = QAbstractSocket::UnknownSocketError;
};
