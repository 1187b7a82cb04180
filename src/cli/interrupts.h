// SIGINT and SIGTERM while a command runs that only ends when interrupted
// (watch): the signal sets a flag and wakes the event loop, so the command
// finishes its step, closes the port and ends cleanly.
#pragma once

#include <QObject>

class InterruptWatch : public QObject {
    Q_OBJECT
public:
    // Installs the handlers once; later calls return the same object.
    static InterruptWatch &Install();
    static bool Interrupted();
    // Ends the command as a signal would (after an error that ends it).
    static void Raise();

signals:
    void Raised();

private:
    InterruptWatch() = default;
};
