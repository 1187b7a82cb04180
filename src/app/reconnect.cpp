#include "app/reconnect.h"

#include "link/portdiscovery.h"

#include <QDir>
#include <QFileInfo>

namespace {
constexpr int kPollMs = 1000;

// The listed port behind a path (a symbolic link such as /dev/serial/by-id/... included).
const PortDescription *ListedPort(const QList<PortDescription> &ports, const QString &nameOrPath)
{
    const QString device = PortDevicePath(nameOrPath);
    const QString target = QFileInfo(device).canonicalFilePath();
    for (const PortDescription &p : ports)
        if (p.name == nameOrPath || p.device == device || (!target.isEmpty() && p.device == target))
            return &p;
    return nullptr;
}
} // namespace

PortIdentity IdentifyPort(const QString &nameOrPath)
{
    PortIdentity id;
    id.path = nameOrPath;
    const QList<PortDescription> ports = AvailablePorts();
    if (const PortDescription *p = ListedPort(ports, nameOrPath)) {
        id.serialNumber = p->serialNumber;
        id.vendorId = p->vendorId;
        id.productId = p->productId;
    }
    return id;
}

QString FindReturnedPort(const PortIdentity &lost, bool scanPorts)
{
    const bool pathBack = IsKnownPortDevice(lost.path);
    if (!lost.IsUsb())
        return pathBack ? lost.path : QString();
    if (!pathBack && !scanPorts)
        return {};
    // A USB adapter counts as back only as the same adapter, wherever it appears.
    const QList<PortDescription> ports = AvailablePorts();
    auto same = [&lost](const PortDescription &p) {
        return p.vendorId == lost.vendorId && p.productId == lost.productId && p.serialNumber == lost.serialNumber;
    };
    if (pathBack) {
        const PortDescription *p = ListedPort(ports, lost.path);
        if (p && same(*p))
            return lost.path;
    }
    if (!scanPorts)
        return {};
    for (const PortDescription &p : ports)
        if (same(p))
            return p.name;
    return {};
}

ReconnectWatch::ReconnectWatch(QObject *parent) : QObject(parent), m_folders(this)
{
    for (const QString &folder : {QStringLiteral("/dev"), QStringLiteral("/dev/serial/by-id")})
        WatchFolder(folder);
    connect(&m_folders, &QFileSystemWatcher::directoryChanged, this, &ReconnectWatch::OnFolderChanged);
    m_poll.setInterval(kPollMs);
    connect(&m_poll, &QTimer::timeout, this, [this] { Look(false); });
}

void ReconnectWatch::WatchFolder(const QString &folder)
{
    if (QFileInfo(folder).isDir() && !m_folders.directories().contains(folder))
        m_folders.addPath(folder);
}

void ReconnectWatch::Start(const PortIdentity &lost)
{
    m_lost = lost;
    m_watching = true;
    // The folder of a typed path too (a link that a device's return puts back).
    const QString device = PortDevicePath(lost.path);
    WatchFolder(QFileInfo(device).absolutePath());
    m_poll.start();
}

void ReconnectWatch::Stop()
{
    m_watching = false;
    m_poll.stop();
}

void ReconnectWatch::OnFolderChanged()
{
    // A USB adapter may come back later than its folder entry (by-id appears after the node).
    WatchFolder(QStringLiteral("/dev/serial/by-id"));
    emit DevicesChanged();
    if (m_watching)
        Look(true);
}

void ReconnectWatch::Look(bool scanPorts)
{
    if (!m_watching)
        return;
    const QString device = FindReturnedPort(m_lost, scanPorts);
    if (!device.isEmpty() && m_onReturned)
        m_onReturned(device);
}
