// A link that carries bytes both ways: a serial port, a UDP socket, a TCP
// client or server connection, or the simulated board in the same process.
// Each kind is configured when it is made; Open() starts it with that
// configuration. A link lives on one thread and emits its signals there.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <cstddef>

class ByteLink : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~ByteLink() override = default;

    // False when the link cannot be started; ErrorText() says why.
    virtual bool Open() = 0;
    // Stops the link; emits Closed() once when it was open.
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    // Queues the bytes for sending; the count accepted, or -1 on failure.
    virtual qint64 Write(const QByteArray &bytes) = 0;
    // The last error as the operating system or the peer gave it.
    virtual QString ErrorText() const = 0;

    // For a link that a sender paces frame by frame. Purge() discards what was
    // received and not yet delivered, never the bytes of earlier writes that
    // the other end has not taken yet; Drain() waits,
    // bounded, until the count bytes just written have left the link. A link
    // without buffers of its own has nothing to do for either.
    virtual void Purge() {}
    virtual void Drain(std::size_t count) { (void)count; }

signals:
    void BytesReceived(const QByteArray &bytes);
    // A failure while open; lost == true when the link cannot go on (it is
    // closed afterwards and Closed() follows).
    void ErrorOccurred(const QString &text, bool lost);
    void Closed();
};
