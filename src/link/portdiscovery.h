// Serial ports of the machine: the names the system lists (ports held by
// another program included), and whether a typed name is a usable device.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// Port names ("ttyUSB0", "ttyS0" ...) in natural order.
QStringList AvailablePortNames();

// A listed port with what the system says about it.
struct PortDescription {
    QString name;   // "ttyUSB0"
    QString device; // "/dev/ttyUSB0"
    QString description;
    QString manufacturer;
    QString serialNumber;
    int vendorId = -1; // -1 when unknown
    int productId = -1;
};
// The ports of AvailablePortNames, in the same order, with their descriptions.
QList<PortDescription> AvailablePorts();
// Replaces the system's list (tests); an empty function restores it.
void SetPortListSource(std::function<QStringList()> source);
// A name that can name a device at all: not empty and free of control
// characters (a NUL would cut the path short and lead to another device).
bool IsValidPortName(const QString &nameOrPath);
// The name as it can be shown: control characters written as \xNN.
QString PrintablePortName(const QString &nameOrPath);
// A listed port name, or a path to an existing character device
// (a pseudo-terminal, /dev/serial/by-id/...).
bool IsKnownPortDevice(const QString &nameOrPath);
// A serial device the system lists (QSerialPortInfo): a listed name, exactly,
// or a path that leads to a listed device (/dev/ttyUSB0, /dev/serial/by-id/...).
// Pseudo-terminals and other character devices are not.
bool IsListedSerialPort(const QString &nameOrPath);
// The device path of a port name; paths are returned unchanged.
QString PortDevicePath(const QString &nameOrPath);
