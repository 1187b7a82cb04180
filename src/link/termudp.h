// The terminal's UDP link: a datagram socket bound to a local port that
// sends every write as one datagram to the target and names the sender of
// every datagram it receives.
#pragma once

#include "link/termlink.h"

#include <QHostAddress>
#include <QUdpSocket>

#include <memory>

class TermUdpLink : public TermLink {
    Q_OBJECT
public:
    explicit TermUdpLink(QObject *parent = nullptr);
    ~TermUdpLink() override;

    void SetLocalPort(quint16 port) { m_localPort = port; }
    // The target may change while the link is open; it is read at every write.
    void SetTarget(const QString &address, quint16 port);

    bool Open() override;
    void Close() override;
    bool IsOpen() const override { return m_socket != nullptr; }
    qint64 Write(const QByteArray &bytes) override;
    QString ErrorText() const override { return m_error; }
    qint64 PendingBytes() const override { return 0; }
    quint16 LocalPort() const;

private:
    void OnReadyRead();
    void OnError(QAbstractSocket::SocketError error);

    quint16 m_localPort = 9000;
    QHostAddress m_target{QHostAddress::LocalHost};
    quint16 m_targetPort = 8000;
    std::unique_ptr<QUdpSocket> m_socket;
    QString m_error;
};
