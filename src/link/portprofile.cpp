#include "link/portprofile.h"

#include <QSettings>

namespace {
const QString kSection = QStringLiteral("IniProfile");
} // namespace

PortProfile ReadPortProfile()
{
    QSettings profile(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Oramek"), QStringLiteral("Pylvex"));
    profile.beginGroup(kSection);
    PortProfile p;
    p.portNum = profile.value(QStringLiteral("PortNum")).toString();
    p.baud = profile.value(QStringLiteral("Baud")).toString();
    p.parity = profile.value(QStringLiteral("Parity")).toString();
    p.dataBits = profile.value(QStringLiteral("DataBits")).toString();
    p.stopBits = profile.value(QStringLiteral("StopBits")).toString();
    bool ok = false;
    unsigned interval = profile.value(QStringLiteral("CmdSndInvl")).toString().trimmed().toUInt(&ok);
    if (ok && interval >= kCmdSndInvlMin && interval <= kCmdSndInvlMax)
        p.cmdSndInvl = static_cast<int>(interval);
    return p;
}

void WritePortProfile(const PortProfile &p)
{
    QSettings profile(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Oramek"), QStringLiteral("Pylvex"));
    profile.beginGroup(kSection);
    profile.setValue(QStringLiteral("PortNum"), p.portNum);
    profile.setValue(QStringLiteral("Baud"), p.baud);
    profile.setValue(QStringLiteral("Parity"), p.parity);
    profile.setValue(QStringLiteral("DataBits"), p.dataBits);
    profile.setValue(QStringLiteral("StopBits"), p.stopBits);
    if (p.cmdSndInvl != 0)
        profile.setValue(QStringLiteral("CmdSndInvl"), QString::number(static_cast<unsigned>(p.cmdSndInvl)));
    profile.endGroup();
    profile.sync();
}

QStringList BaudEntries()
{
    return {"9600", "14400", "19200", "38400", "57600", "115200", "128000"};
}

QStringList DataBitsEntries()
{
    return {"8", "7", "6", "5"};
}

QStringList ParityEntries()
{
    return {"None", "Odd", "Even", "Mark", "Space"};
}

QStringList StopBitsEntries()
{
    return {"1", "1.5", "2"};
}

QString SelectEntry(const QStringList &entries, const QString &stored)
{
    if (!stored.isEmpty())
        for (const QString &entry : entries)
            if (entry.startsWith(stored, Qt::CaseInsensitive))
                return entry;
    return entries.isEmpty() ? QString() : entries.first();
}

char ParityChar(const QString &text)
{
    return text.isEmpty() ? 'N' : static_cast<char>(text.at(0).toLatin1());
}

int StopBitsCode(const QString &text)
{
    if (text == QLatin1String("1.5"))
        return 1;
    if (text == QLatin1String("2"))
        return 2;
    return 0;
}

LineSettings LineSettingsOf(const PortProfile &p)
{
    LineSettings s;
    s.baud = SelectEntry(BaudEntries(), p.baud).toInt();
    s.dataBits = SelectEntry(DataBitsEntries(), p.dataBits).toInt();
    s.parity = ParityChar(SelectEntry(ParityEntries(), p.parity));
    s.stopBits = StopBitsCode(SelectEntry(StopBitsEntries(), p.stopBits));
    return s;
}

QString OpenFailureText(const QString &device, std::uint32_t openError)
{
    QString text = QStringLiteral("打开 %1 时，").arg(device);
    if (openError == kOpenErrorBusy)
        text += QStringLiteral("返回串口已经被占用！");
    else
        text += QStringLiteral("返回失败！");
    if (openError == kOpenErrorAccess)
        text += QStringLiteral("（没有访问权限：请把当前用户加入 dialout 组，重新登录后再试）");
    return text;
}
