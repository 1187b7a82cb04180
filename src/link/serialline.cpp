#include "link/serialline.h"

#include "files/logfiles.h"

#include <QFileInfo>

#include <algorithm>

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <unistd.h>

namespace {
struct ParityName {
    char letter;
    QSerialPort::Parity parity;
};
constexpr ParityName kParities[] = {
    {'N', QSerialPort::NoParity},   {'O', QSerialPort::OddParity},   {'E', QSerialPort::EvenParity},
    {'M', QSerialPort::MarkParity}, {'S', QSerialPort::SpaceParity},
};

bool ParityOf(char letter, QSerialPort::Parity *parity)
{
    char upper = (letter >= 'a' && letter <= 'z') ? static_cast<char>(letter - 'a' + 'A') : letter;
    for (const ParityName &p : kParities) {
        if (p.letter == upper) {
            *parity = p.parity;
            return true;
        }
    }
    return false;
}

const char *StopText(int stopBits)
{
    switch (stopBits) {
    case 0: return "1";
    case 1: return "1.5";
    case 2: return "2";
    default: return "?";
    }
}
} // namespace

QString SettingsText(const LineSettings &s)
{
    return QString::asprintf("baud=%d parity=%c data=%d stop=%s", s.baud, s.parity, s.dataBits, StopText(s.stopBits));
}

QString DevicePath(const QString &portName)
{
    if (portName.startsWith(QLatin1Char('/')))
        return portName;
    return QStringLiteral("/dev/") + portName;
}

bool ApplyLineSettings(QSerialPort &port, const LineSettings &s, QString *failedCall, QString *reason)
{
    QSerialPort::Parity parity = QSerialPort::NoParity;
    bool valid = s.baud > 0 && ParityOf(s.parity, &parity) && s.dataBits >= 5 && s.dataBits <= 8 && s.stopBits >= 0 &&
                 s.stopBits <= 2;
    if (!valid) {
        *failedCall = QStringLiteral("BuildCommDCB()");
        *reason = QStringLiteral("invalid line settings \"%1\"").arg(SettingsText(s));
        return false;
    }
    *failedCall = QStringLiteral("SetCommState()");
    // termios knows one and two stop bits only. With five data bits the UART
    // sends one and a half when asked for two, so that case still works.
    QSerialPort::StopBits stop = QSerialPort::OneStop;
    if (s.stopBits == 2 || (s.stopBits == 1 && s.dataBits == 5))
        stop = QSerialPort::TwoStop;
    bool ok = port.setBaudRate(s.baud) && port.setDataBits(static_cast<QSerialPort::DataBits>(s.dataBits)) &&
              port.setParity(parity) && port.setStopBits(stop) && port.setFlowControl(QSerialPort::NoFlowControl);
    if (!ok) {
        *reason = port.errorString();
        return false;
    }
    if (s.stopBits == 1 && s.dataBits != 5) {
        *reason = QStringLiteral("1.5 stop bits need 5 data bits; one stop bit is used");
        return false;
    }
    return true;
}

std::uint32_t OpenErrorCode(QSerialPort::SerialPortError error, const QString &devicePath)
{
    switch (error) {
    case QSerialPort::DeviceNotFoundError: return kOpenErrorNotFound;
    case QSerialPort::PermissionError: {
        // Both a lock held by another program and a device we may not open end
        // here; the file's access rights tell them apart.
        QByteArray path = QFile::encodeName(devicePath);
        if (::access(path.constData(), R_OK | W_OK) != 0 && errno == EACCES)
            return kOpenErrorAccess;
        return kOpenErrorBusy;
    }
    default: return kOpenErrorOther;
    }
}

bool IsLostLinkError(QSerialPort::SerialPortError error)
{
    return error == QSerialPort::ReadError || error == QSerialPort::WriteError || error == QSerialPort::ResourceError;
}

QString LostLinkReason(int fd)
{
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 0) < 0)
        return QStringLiteral("poll: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
    if (p.revents & POLLNVAL)
        return QStringLiteral("the device handle is no longer valid");
    QString state = (p.revents & POLLHUP) ? QStringLiteral("hang-up: the other end closed or the device is gone")
                                          : QStringLiteral("the device reports an error");
    // The link is given up: a byte still waiting may be read (and is lost).
    char byte = 0;
    errno = 0;
    ssize_t n = ::read(fd, &byte, 1);
    if (n == 0)
        return state + QStringLiteral(" (read: end of file)");
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
        return state + QStringLiteral(" (read: %1)").arg(QString::fromLocal8Bit(std::strerror(errno)));
    return state;
}

int YModemSignal(std::uint8_t byte)
{
    struct Signal {
        std::uint8_t byte;
        int number;
    };
    static constexpr Signal kSignals[] = {{0x43, 1}, {0x06, 2}, {0x15, 3}, {0x18, 4}};
    for (const Signal &s : kSignals) {
        if (s.byte == byte)
            return s.number;
    }
    return 0;
}

void ReportPortError(const QString &call, const QString &reason)
{
    LogInfoText(QStringLiteral("WARNING: %1, %2").arg(call, reason));
}

int WireTimeMs(std::size_t count, const LineSettings &s)
{
    int bitsPerByte = 1 + s.dataBits + (s.parity == 'N' ? 0 : 1) + (s.stopBits == 0 ? 1 : 2);
    return static_cast<int>(static_cast<long long>(count) * bitsPerByte * 1000 / std::max(s.baud, 1)) + 1;
}

int FlashTime(int cmdSndInvlMs)
{
    if (cmdSndInvlMs >= 150)
        return 100;
    if (cmdSndInvlMs >= 100)
        return cmdSndInvlMs / 2;
    return 50;
}

int QuietTimeMs(const LineSettings &s)
{
    constexpr int kCharacters = 4;
    // USB adapters hand bytes over in bursts (every 16 ms at worst) and a busy
    // machine delays the reading thread: the margin covers both.
    constexpr int kMarginMs = 100;
    int bitsPerChar = 1 + s.dataBits + (s.parity == 'N' ? 0 : 1) + (s.stopBits == 0 ? 1 : 2);
    int charsMs = (kCharacters * bitsPerChar * 1000 + std::max(s.baud, 1) - 1) / std::max(s.baud, 1);
    // Not bounded by the command interval: a partial frame that is still
    // waiting when the next request leaves is dropped by that write.
    return charsMs + kMarginMs;
}
