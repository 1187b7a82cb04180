// The terminal's TCP server link: listens on a local port and keeps every
// accepted client in the order it connected. A write goes to all clients
// (send target 0) or to the k-th client (target k); the link is up while at
// least one client is connected. Clients that vanish, reset or flood do not
// disturb the others or the window.
#pragma once

#include "link/termlink.h"

#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>

#include <memory>
#include <vector>

class TermTcpServerLink : public TermLink {
    Q_OBJECT
public:
    explicit TermTcpServerLink(QObject *parent = nullptr);
    ~TermTcpServerLink() override;

    void SetLocalPort(quint16 port) { m_localPort = port; }

    bool Open() override;
    void Close() override;
    bool IsOpen() const override { return !m_clients.empty(); }
    bool IsListening() const { return m_server != nullptr; }
    quint16 LocalPort() const;
    qint64 Write(const QByteArray &bytes) override;
    QString ErrorText() const override { return m_error; }
    qint64 PendingBytes() const override;

    // 0 = every client, k >= 1 = the k-th client in connection order.
    void SetSendTarget(int target) { m_target = target < 0 ? 0 : target; }
    int SendTarget() const { return m_target; }
    // "address:port" of every client in connection order.
    QStringList Clients() const;

    // Bytes a client may have waiting to leave before writes to it are
    // dropped (a client that does not read must not eat the memory).
    static constexpr qint64 kMaxClientBacklog = 8 * 1024 * 1024;

signals:
    void ClientAdded(const QString &peer);
    // index: the client's place (1 = first) before it was removed.
    void ClientRemoved(int index, const QString &peer);
    // The send target moved because a client before or at it was removed.
    void SendTargetChanged(int target);

private:
    struct Client {
        QTcpSocket *socket;
        QString peer;
    };
    void OnNewConnection();
    void OnClientData(QTcpSocket *socket);
    void OnClientGone(QTcpSocket *socket);
    qint64 WriteTo(const Client &client, const QByteArray &bytes);
    int IndexOf(const QTcpSocket *socket) const;

    quint16 m_localPort = 9000;
    std::unique_ptr<QTcpServer> m_server;
    std::vector<Client> m_clients;
    int m_target = 0;
    QString m_error;
};
