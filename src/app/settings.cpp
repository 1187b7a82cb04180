#include "app/settings.h"

#include "app/pylvexapp.h"
#include "app/userprofile.h"
#include "link/linksettings.h"
#include "link/portprofile.h"

#include <QSettings>

void LoadSettings(PylvexApp &app, PortSettings &port)
{
    AdoptStrayProfile();
    const PortProfile stored = ReadPortProfile();
    port.portNum = stored.portNum;
    port.baud = stored.baud;
    port.parity = stored.parity;
    port.dataBits = stored.dataBits;
    port.stopBits = stored.stopBits;
    if (stored.cmdSndInvl != 0)
        SetCommandInterval(stored.cmdSndInvl);
    QSettings profile = UserProfile();
    bool ok = false;
    int mask = profile.value(QStringLiteral("IniProfile/LogMask")).toInt(&ok);
    if (!ok)
        mask = -1;
    app.m_bLogError = (mask & 1) != 0;
    app.m_bLogWarning = (mask & 2) != 0;
    app.m_bLogInfo = (mask & 4) != 0;
    port.autoReconnect = profile.value(QStringLiteral("IniProfile/AutoReconnect"), true).toBool();
}

void SaveSettings(const PylvexApp &app, const PortSettings &port)
{
    WritePortProfile({port.portNum, port.baud, port.parity, port.dataBits, port.stopBits, CommandIntervalBase()});
    QSettings profile = UserProfile();
    int mask = (app.m_bLogError ? 1 : 0) + (app.m_bLogWarning ? 2 : 0) + (app.m_bLogInfo ? 4 : 0);
    profile.setValue(QStringLiteral("IniProfile/LogMask"), mask);
    profile.setValue(QStringLiteral("IniProfile/AutoReconnect"), port.autoReconnect);
    profile.sync();
}
