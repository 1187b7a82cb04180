#include "link/portdiscovery.h"

#include <QCollator>
#include <QFileInfo>
#include <QSerialPortInfo>

#include <algorithm>

#include <sys/stat.h>

namespace {
std::function<QStringList()> g_source;
} // namespace

void SetPortListSource(std::function<QStringList()> source)
{
    g_source = std::move(source);
}

QStringList AvailablePortNames()
{
    if (g_source)
        return g_source();
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

QList<PortDescription> AvailablePorts()
{
    QList<PortDescription> ports;
    const QStringList names = AvailablePortNames();
    const auto infos = g_source ? QList<QSerialPortInfo>() : QSerialPortInfo::availablePorts();
    for (const QString &name : names) {
        PortDescription port;
        port.name = name;
        port.device = PortDevicePath(name);
        for (const QSerialPortInfo &info : infos) {
            if (info.portName() != name)
                continue;
            port.device = info.systemLocation();
            port.description = info.description();
            port.manufacturer = info.manufacturer();
            port.serialNumber = info.serialNumber();
            if (info.hasVendorIdentifier())
                port.vendorId = info.vendorIdentifier();
            if (info.hasProductIdentifier())
                port.productId = info.productIdentifier();
            break;
        }
        ports.append(port);
    }
    return ports;
}

QString PortDevicePath(const QString &nameOrPath)
{
    if (nameOrPath.startsWith(u'/'))
        return nameOrPath;
    return QStringLiteral("/dev/") + nameOrPath;
}

bool IsValidPortName(const QString &nameOrPath)
{
    const QString name = nameOrPath.trimmed();
    if (name.isEmpty())
        return false;
    return std::none_of(name.cbegin(), name.cend(), [](QChar c) { return c.category() == QChar::Other_Control; });
}

QString PrintablePortName(const QString &nameOrPath)
{
    QString shown;
    for (QChar c : nameOrPath) {
        if (c.category() == QChar::Other_Control)
            shown += QStringLiteral("\\x%1").arg(static_cast<int>(c.unicode()), 2, 16, QLatin1Char('0'));
        else
            shown += c;
    }
    return shown;
}

bool IsKnownPortDevice(const QString &nameOrPath)
{
    QString name = nameOrPath.trimmed();
    if (!IsValidPortName(name))
        return false;
    if (!name.startsWith(u'/') && AvailablePortNames().contains(name))
        return true;
    struct stat st {};
    QByteArray path = PortDevicePath(name).toLocal8Bit();
    return ::stat(path.constData(), &st) == 0 && S_ISCHR(st.st_mode);
}

bool IsListedSerialPort(const QString &nameOrPath)
{
    const QString name = nameOrPath.trimmed();
    if (!IsValidPortName(name))
        return false;
    const QStringList listed = AvailablePortNames();
    if (!name.startsWith(u'/'))
        return listed.contains(name);
    const QString target = QFileInfo(name).canonicalFilePath();
    if (target.isEmpty())
        return false;
    for (const QString &port : listed)
        if (QFileInfo(PortDevicePath(port)).canonicalFilePath() == target)
            return true;
    return false;
}
