// Line settings of the board port and the small rules around them: the
// settings text written to Log_info, how the settings map onto a QSerialPort,
// how an open failure becomes an error code, and the lamp flash time.
#pragma once

#include <QSerialPort>
#include <QString>

#include <cstddef>
#include <cstdint>

// Error codes left in BoardPort::m_dwOpenError after a failed open.
inline constexpr std::uint32_t kOpenErrorNotFound = 2; // no such device
inline constexpr std::uint32_t kOpenErrorBusy = 5;     // the port exists but another program holds it
inline constexpr std::uint32_t kOpenErrorAccess = 13;  // no permission to open the device
inline constexpr std::uint32_t kOpenErrorOther = 31;   // any other failure

struct LineSettings {
    int baud = 9600;
    char parity = 'N'; // 'N', 'O', 'E', 'M' or 'S'
    int dataBits = 8;  // 5 to 8
    int stopBits = 0;  // 0 = one, 1 = one and a half, 2 = two
};

// "baud=%d parity=%c data=%d stop=%s" with stop "1", "1.5" or "2".
QString SettingsText(const LineSettings &settings);

// The device path for a port name: "ttyUSB0" -> "/dev/ttyUSB0"; a path stays as it is.
QString DevicePath(const QString &portName);

// Applies the line settings to an open port, in order, stopping at the first
// step that fails. Returns true when all applied; otherwise failedCall names the
// step ("BuildCommDCB()" for a value that makes no line setting, "SetCommState()"
// for one the device refuses) and reason holds the text to report.
bool ApplyLineSettings(QSerialPort &port, const LineSettings &settings, QString *failedCall, QString *reason);

// The code for m_dwOpenError after QSerialPort::open failed on the device.
std::uint32_t OpenErrorCode(QSerialPort::SerialPortError error, const QString &devicePath);

// True for the errors that mean the device is gone while the port is open.
bool IsLostLinkError(QSerialPort::SerialPortError error);

// What the device on the open handle reports now that the link is lost: a
// hang-up, the error of a fresh read, or an invalid handle. The port's own
// error text is not used for this: after a read that returned nothing it
// carries an error number some unrelated earlier call left behind.
QString LostLinkReason(int fd);

// The YModem signal number of a received byte: 'C' 1, ACK 2, NAK 3, CAN 4, else 0.
int YModemSignal(std::uint8_t byte);

// "WARNING: " + call + ", " + reason, one Log_info line.
void ReportPortError(const QString &call, const QString &reason);

// Time the wire needs for count bytes at the line's rate, in ms (at least 1).
int WireTimeMs(std::size_t count, const LineSettings &settings);

// How long a port lamp flashes for one frame, from the command interval.
int FlashTime(int cmdSndInvlMs);

// The quiet time after which bytes waiting in the framer are given up (see
// RxFramer::OnQuiet): four character times at the line's rate plus a margin
// for the bursts a USB adapter delivers and a busy machine's delays. A short
// command interval does not shorten it: a gap inside an answer is not the end
// of the answer, and the next write drops what is still waiting.
int QuietTimeMs(const LineSettings &settings);
