#include "app/settings.h"

#include "app/pylvexapp.h"

#include <QSettings>

void LoadSettings(CPylvexApp &app, PortSettings &port)
{
    QSettings profile(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Oramek"), QStringLiteral("Pylvex"));
    profile.beginGroup(QStringLiteral("IniProfile"));
    port.portNum = profile.value(QStringLiteral("PortNum")).toString();
    port.baud = profile.value(QStringLiteral("Baud")).toString();
    port.parity = profile.value(QStringLiteral("Parity")).toString();
    port.dataBits = profile.value(QStringLiteral("DataBits")).toString();
    port.stopBits = profile.value(QStringLiteral("StopBits")).toString();
    bool ok = false;
    int mask = profile.value(QStringLiteral("LogMask")).toInt(&ok);
    if (!ok)
        mask = -1;
    app.m_bLogError = (mask & 1) != 0;
    app.m_bLogWarning = (mask & 2) != 0;
    app.m_bLogInfo = (mask & 4) != 0;
    unsigned interval = profile.value(QStringLiteral("CmdSndInvl")).toString().trimmed().toUInt(&ok);
    if (ok && interval >= 10 && interval <= 2000)
        app.m_nCmdSndInvl = static_cast<int>(interval);
}

void SaveSettings(const CPylvexApp &app, const PortSettings &port)
{
    QSettings profile(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Oramek"), QStringLiteral("Pylvex"));
    profile.beginGroup(QStringLiteral("IniProfile"));
    profile.setValue(QStringLiteral("PortNum"), port.portNum);
    profile.setValue(QStringLiteral("Baud"), port.baud);
    profile.setValue(QStringLiteral("Parity"), port.parity);
    profile.setValue(QStringLiteral("DataBits"), port.dataBits);
    profile.setValue(QStringLiteral("StopBits"), port.stopBits);
    int mask = (app.m_bLogError ? 1 : 0) + (app.m_bLogWarning ? 2 : 0) + (app.m_bLogInfo ? 4 : 0);
    profile.setValue(QStringLiteral("LogMask"), mask);
    profile.setValue(QStringLiteral("CmdSndInvl"), QString::number(static_cast<unsigned>(app.m_nCmdSndInvl.load())));
    profile.endGroup();
    profile.sync();
}
