// Small facts shared by the terminal's network links: how a peer is named
// and the reason shown when a connection cannot be made.
#pragma once

#include <QAbstractSocket>
#include <QHostAddress>
#include <QString>

// "address:port", IPv4 addresses in dotted form.
QString PeerText(const QHostAddress &address, quint16 port);

// The reason shown after "连接失败:" for a socket error.
QString NetFailureText(QAbstractSocket::SocketError error);

// How long a TCP client waits for its connection before giving up.
inline constexpr int kTcpConnectTimeoutMs = 10000;
