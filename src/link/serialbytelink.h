// The board port's serial line as a byte link: the device opened with the
// port settings, RTS held on, a purge before every frame and a wait until a
// written frame has left the wire. A setting the device refuses is written to
// Log_info and the port stays open with what it has. A read, write or
// resource error while open means the device is gone (a pulled adapter
// repeats its error as long as the port stays open): it is written to
// Log_info once, ErrorOccurred(..., true) follows once and the port closes.
#pragma once

#include "link/bytelink.h"
#include "link/serialline.h"

#include <QSerialPort>

#include <cstdint>

class SerialByteLink : public ByteLink {
    Q_OBJECT
public:
    SerialByteLink(const QString &device, const LineSettings &settings, QObject *parent = nullptr);
    ~SerialByteLink() override;

    bool Open() override;
    void Close() override;
    bool IsOpen() const override { return m_port.isOpen(); }
    qint64 Write(const QByteArray &bytes) override;
    QString ErrorText() const override { return m_error; }
    void Purge() override;
    void Drain(std::size_t count) override;

    // The code for BoardPort::m_dwOpenError after a failed Open(); 0 after a good one.
    std::uint32_t OpenError() const { return m_openError; }
    const LineSettings &Settings() const { return m_settings; }

private:
    void OnReadyRead();
    void OnError(QSerialPort::SerialPortError error);

    QString m_device;
    LineSettings m_settings;
    QSerialPort m_port;
    QString m_error;
    std::uint32_t m_openError = 0;
    bool m_lost = false;
};
