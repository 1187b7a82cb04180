#include "link/serialbytelink.h"

#include "files/logfiles.h"
#include "link/linksettings.h"

#include <QElapsedTimer>
#include <QThread>

#include <algorithm>
#include <sys/ioctl.h>

SerialByteLink::SerialByteLink(const QString &device, const LineSettings &settings, QObject *parent)
    : ByteLink(parent), m_device(device), m_settings(settings)
{
}

SerialByteLink::~SerialByteLink()
{
    if (m_port.isOpen())
        m_port.close();
}

bool SerialByteLink::Open()
{
    QString path = DevicePath(m_device);
    if (GlobalLinkSettings().logDebug.load())
        LogInfoText(QStringLiteral("Open %1 by %2").arg(path, SettingsText(m_settings)));
    m_lost = false;
    m_port.setPortName(path);
    if (!m_port.open(QIODevice::ReadWrite)) {
        m_openError = OpenErrorCode(m_port.error(), path);
        m_error = m_port.errorString();
        return false;
    }
    QString call, reason;
    if (!ApplyLineSettings(m_port, m_settings, &call, &reason))
        ReportPortError(call, reason);
    // The modem lines do not exist on every device (a pseudo-terminal has none).
    if (!m_port.setRequestToSend(true))
        ReportPortError(QStringLiteral("SetCommState()"), m_port.errorString());
    m_port.clearError();
    m_port.clear(QSerialPort::AllDirections);
    // Errors of the opening and the settings above are no lost link.
    connect(&m_port, &QSerialPort::readyRead, this, &SerialByteLink::OnReadyRead, Qt::UniqueConnection);
    connect(&m_port, &QSerialPort::errorOccurred, this, &SerialByteLink::OnError, Qt::UniqueConnection);
    m_openError = 0;
    return true;
}

void SerialByteLink::Close()
{
    if (!m_port.isOpen())
        return;
    m_port.close();
    emit Closed();
}

qint64 SerialByteLink::Write(const QByteArray &bytes)
{
    if (m_lost || !m_port.isOpen())
        return -1;
    qint64 written = m_port.write(bytes);
    if (written != bytes.size())
        m_error = m_port.errorString();
    return written;
}

void SerialByteLink::Purge()
{
    // Input only: purging the output would throw away what a slow reader (a
    // pseudo-terminal's peer, an adapter) has not taken yet.
    if (m_port.isOpen())
        m_port.clear(QSerialPort::Input);
}

// The write is complete when the bytes have left the wire: only then may the
// next write's purge run without cutting this frame short. Bounded.
void SerialByteLink::Drain(std::size_t count)
{
    int wire = WireTimeMs(count, m_settings);
    int bound = 2 * wire + 1000;
    QElapsedTimer clock;
    clock.start();
    while (!m_lost && m_port.isOpen() && m_port.bytesToWrite() > 0 && clock.elapsed() < bound)
        m_port.waitForBytesWritten(static_cast<int>(bound - clock.elapsed()));
    if (m_lost || !m_port.isOpen())
        return;
    int pending = 0;
    while (::ioctl(static_cast<int>(m_port.handle()), TIOCOUTQ, &pending) == 0 && pending > 0 &&
           clock.elapsed() < bound) {
        int ms = std::max(1, WireTimeMs(static_cast<std::size_t>(pending), m_settings));
        QThread::msleep(static_cast<unsigned long>(std::min(ms, 20)));
    }
}

void SerialByteLink::OnReadyRead()
{
    if (m_lost)
        return;
    QByteArray bytes = m_port.readAll();
    if (!bytes.isEmpty())
        emit BytesReceived(bytes);
}

void SerialByteLink::OnError(QSerialPort::SerialPortError error)
{
    if (m_lost || !m_port.isOpen() || !IsLostLinkError(error))
        return;
    // Noted once; the port is closed outside its own signal.
    m_lost = true;
    m_error = LostLinkReason(static_cast<int>(m_port.handle()));
    ReportPortError(error == QSerialPort::WriteError ? QStringLiteral("WriteFile()") : QStringLiteral("ReadFile()"),
                    m_error);
    emit ErrorOccurred(m_error, true);
    QMetaObject::invokeMethod(this, &SerialByteLink::Close, Qt::QueuedConnection);
}
