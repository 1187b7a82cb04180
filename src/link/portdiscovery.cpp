#include "link/portdiscovery.h"

#include <QCollator>
#include <QSerialPortInfo>

#include <algorithm>

#include <sys/stat.h>

QStringList AvailablePortNames()
{
    QStringList names;
    const auto ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : ports)
        names.append(info.portName());
    QCollator collator;
    collator.setNumericMode(true);
    std::sort(names.begin(), names.end(), collator);
    names.removeDuplicates();
    return names;
}

QString PortDevicePath(const QString &nameOrPath)
{
    if (nameOrPath.startsWith(u'/'))
        return nameOrPath;
    return QStringLiteral("/dev/") + nameOrPath;
}

bool IsKnownPortDevice(const QString &nameOrPath)
{
    QString name = nameOrPath.trimmed();
    if (name.isEmpty())
        return false;
    if (!name.startsWith(u'/') && AvailablePortNames().contains(name))
        return true;
    struct stat st {};
    QByteArray path = PortDevicePath(name).toLocal8Bit();
    return ::stat(path.constData(), &st) == 0 && S_ISCHR(st.st_mode);
}
