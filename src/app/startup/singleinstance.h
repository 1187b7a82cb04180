// One running copy per user. The first copy listens on a local socket named
// after the program and the user id; a later copy connects, asks the first one
// to bring its window to the front, and ends without a window of its own.
// The socket lives in the abstract namespace, so it disappears with the
// process that holds it: a crashed copy never blocks the next start.
#pragma once

#include <QObject>
#include <QString>

class QLocalServer;
class QLocalSocket;
class QWidget;

class SingleInstance : public QObject {
    Q_OBJECT
public:
    // "Oramek_Pylvex_application_program"; PYLVEX_INSTANCE_NAME replaces it
    // (tests, or a deliberate second copy).
    static QString BaseName();
    // The base name followed by "_" and the user id.
    static QString DefaultName();

    explicit SingleInstance(const QString &name = DefaultName(), QObject *parent = nullptr);
    ~SingleInstance() override;

    // True when this process is now the running copy; false when another copy
    // holds the name (ask it to come forward with RaiseRunning).
    bool Claim();
    bool IsRunningCopy() const { return m_server != nullptr; }

    // Asks the running copy to bring its window forward; waits up to timeoutMs
    // for the request to be delivered. False when nobody could be reached.
    bool RaiseRunning(int timeoutMs = 2000);

    // The window brought forward on request; a request that arrives before the
    // window exists is applied when it is set.
    void SetWindow(QWidget *window);
    static void BringToFront(QWidget *window);

    const QString &Name() const { return m_name; }

signals:
    void raiseRequested();

private:
    void OnNewConnection();
    void OnRequest(QLocalSocket *socket);

    QString m_name;
    QLocalServer *m_server = nullptr;
    QWidget *m_window = nullptr;
    bool m_pendingRaise = false;
};
