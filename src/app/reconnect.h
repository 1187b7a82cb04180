// Watching for a lost port's device to come back, and for devices coming and
// going at all (the port list follows them). The watching rests on the file
// system's change notices for the device folders plus one stat() a second
// while a lost device is awaited, so an idle tool costs next to nothing.
#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>

// What identifies a port beyond its path: for a USB adapter its serial
// number and its vendor and product id.
struct PortIdentity {
    QString path; // as opened (a port name or a device path)
    QString serialNumber;
    int vendorId = -1;
    int productId = -1;
    bool IsUsb() const { return vendorId >= 0 && productId >= 0; }
};

// The identity of an open port, from the system's list of ports.
PortIdentity IdentifyPort(const QString &nameOrPath);

// Where the lost device is now: its path when that leads to a device again
// (for a USB adapter: the same adapter), else the port of the same adapter
// under another name; empty while it is not back.
QString FindReturnedPort(const PortIdentity &lost, bool scanPorts);

class ReconnectWatch : public QObject {
    Q_OBJECT
public:
    explicit ReconnectWatch(QObject *parent = nullptr);

    // Awaits the device; m_onReturned is called each time it is seen while
    // awaited (until Stop), so a failed opening is tried again.
    void Start(const PortIdentity &lost);
    void Stop();
    bool Watching() const { return m_watching; }
    const PortIdentity &Awaited() const { return m_lost; }
    // Looks once now (tests, and the notices of the device folders).
    void Look(bool scanPorts);

    std::function<void(const QString &device)> m_onReturned;

signals:
    // A device appeared or went away.
    void DevicesChanged();

private:
    void OnFolderChanged();
    void WatchFolder(const QString &folder);

    QFileSystemWatcher m_folders;
    QTimer m_poll;
    PortIdentity m_lost;
    bool m_watching = false;
};
