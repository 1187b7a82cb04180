// The port settings and log gates kept in the user profile, section IniProfile.
#pragma once

#include <QString>

class PylvexApp;

struct PortSettings {
    QString portNum;
    QString baud;
    QString parity;
    QString dataBits;
    QString stopBits;
    // "自动重连": a lost port is opened again when its device comes back.
    bool autoReconnect = true;
};

// Reads the five port texts, "LogMask" (gates of levels 3, 4, 6) and
// "CmdSndInvl" (kept only from 10 to 2000 ms).
void LoadSettings(PylvexApp &app, PortSettings &port);
void SaveSettings(const PylvexApp &app, const PortSettings &port);
