// A byte link of the terminal: a ByteLink that also says when it became able
// to carry bytes, how much written data still waits, and which peer sent the
// bytes it received. Every Open() that returned true is followed by exactly
// one Closed(), whether the user closed the link, a TCP connection attempt
// failed, the peer went away or the device was lost.
#pragma once

#include "link/bytelink.h"

class TermLink : public ByteLink {
    Q_OBJECT
public:
    using ByteLink::ByteLink;

    // Bytes taken by Write() that have not left yet.
    virtual qint64 PendingBytes() const = 0;

signals:
    // The link can carry bytes now: right after Open() for a serial port or
    // a UDP socket, once connected for a TCP client, on every accepted client
    // for a TCP server.
    void Opened();
    // Written bytes left the link.
    void BytesWritten(qint64 count);
    // Emitted with every BytesReceived: the same bytes and the peer that sent
    // them ("address:port"), empty where the link has one fixed peer.
    void PeerBytesReceived(const QString &peer, const QByteArray &bytes);
};
