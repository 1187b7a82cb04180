// The terminal's own serial port: a QSerialPort in a thread of its own, the
// line settings of the terminal's serial panel, DTR and RTS. A device that is
// pulled (or the far end of a pseudo-terminal that goes away) closes the link
// once with a lost-link error; a modem line the device does not have (a
// pseudo-terminal has none) is reported and the link stays open.
#pragma once

#include "link/termlink.h"

#include <QThread>

#include <atomic>
#include <memory>

struct TermLineSettings {
    QString port; // a port name ("ttyUSB0") or a device path
    int baud = 115200;
    int dataBits = 8;    // 5 to 8
    int stopIndex = 0;   // 0 one, 1 one and a half, 2 two stop bits
    int parityIndex = 0; // 0 none, 1 odd, 2 even
};

class TermSerialWorker;

class TermSerialLink : public TermLink {
    Q_OBJECT
public:
    explicit TermSerialLink(QObject *parent = nullptr);
    ~TermSerialLink() override;

    void SetSettings(const TermLineSettings &settings) { m_settings = settings; }
    const TermLineSettings &Settings() const { return m_settings; }

    bool Open() override;
    void Close() override;
    bool IsOpen() const override { return m_open; }
    qint64 Write(const QByteArray &bytes) override;
    QString ErrorText() const override { return m_error; }
    qint64 PendingBytes() const override { return m_pending.load(); }

    // Raises or lowers a modem line; false (with ErrorOccurred, not lost)
    // when the link is closed or the device has no such line.
    bool SetDtr(bool on);
    bool SetRts(bool on);

private:
    class Thread;
    friend class TermSerialWorker;
    bool SetLine(bool dtr, bool on);
    void OnReceived(unsigned generation, const QByteArray &bytes);
    void OnWritten(unsigned generation, qint64 count);
    void OnLost(unsigned generation, const QString &text);
    void Stop();

    TermLineSettings m_settings;
    std::unique_ptr<Thread> m_thread;
    bool m_open = false;
    unsigned m_generation = 0;
    std::atomic<qint64> m_pending{0};
    QString m_error;
};
