// The board port's settings as the user profile keeps them (section
// IniProfile: "PortNum", "Baud", "Parity", "DataBits", "StopBits",
// "CmdSndInvl"), the entries the port bar offers for each, and how the stored
// texts become line settings and an open failure becomes a message.
#pragma once

#include "link/linksettings.h"
#include "link/serialline.h"

#include <QString>
#include <QStringList>

#include <cstdint>

// The command interval a stored or given value must lie in, in ms.
inline constexpr int kCmdSndInvlMin = 10;
inline constexpr int kCmdSndInvlMax = 2000;

struct PortProfile {
    QString portNum;
    QString baud;
    QString parity;
    QString dataBits;
    QString stopBits;
    int cmdSndInvl = 0; // 0: none stored, or a value outside 10-2000
};

// Reads the profile of the user ("Oramek", "Pylvex", INI format).
PortProfile ReadPortProfile();
// Writes the five port texts and the interval (when not 0).
void WritePortProfile(const PortProfile &profile);

QStringList BaudEntries();     // "9600" ... "128000"
QStringList DataBitsEntries(); // "8", "7", "6", "5"
QStringList ParityEntries();   // "None", "Odd", "Even", "Mark", "Space"
QStringList StopBitsEntries(); // "1", "1.5", "2"

// The first entry that begins with the stored text; the first entry when the
// text is empty or matches nothing.
QString SelectEntry(const QStringList &entries, const QString &stored);
// The parity character: the first letter of the parity text, 'N' when empty.
char ParityChar(const QString &text);
// 0 for "1", 1 for "1.5", 2 for "2".
int StopBitsCode(const QString &text);
// The line settings the port bar would open with from the stored texts.
LineSettings LineSettingsOf(const PortProfile &profile);

// "打开 <device> 时，返回串口已经被占用！" or "...返回失败！", with the
// dialout-group hint when permission was denied.
QString OpenFailureText(const QString &device, std::uint32_t openError);
