#include "app/startup/singleinstance.h"

#include <QDeadlineTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
#include <QWidget>

#include <unistd.h>

namespace {
// The only request a later copy sends.
constexpr char kRaiseRequest[] = "raise\n";
constexpr qint64 kMaxRequestBytes = 64;
} // namespace

QString SingleInstance::BaseName()
{
    QString name = qEnvironmentVariable("PYLVEX_INSTANCE_NAME");
    return name.isEmpty() ? QStringLiteral("Oramek_Pylvex_application_program") : name;
}

QString SingleInstance::DefaultName()
{
    return BaseName() + QLatin1Char('_') + QString::number(::getuid());
}

SingleInstance::SingleInstance(const QString &name, QObject *parent) : QObject(parent), m_name(name) {}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::Claim()
{
    if (m_server)
        return true;
    auto *server = new QLocalServer(this);
    server->setSocketOptions(QLocalServer::AbstractNamespaceOption);
    if (!server->listen(m_name)) {
        delete server;
        return false;
    }
    m_server = server;
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::OnNewConnection);
    return true;
}

bool SingleInstance::RaiseRunning(int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    QLocalSocket socket;
    socket.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
    // The running copy may be just starting or just ending: try again until the deadline.
    while (!deadline.hasExpired()) {
        socket.connectToServer(m_name);
        if (socket.waitForConnected(static_cast<int>(deadline.remainingTime()))) {
            socket.write(kRaiseRequest, sizeof kRaiseRequest - 1);
            bool sent = socket.waitForBytesWritten(static_cast<int>(qMax<qint64>(deadline.remainingTime(), 1)));
            socket.disconnectFromServer();
            return sent;
        }
        socket.abort();
        QThread::msleep(50);
    }
    return false;
}

void SingleInstance::SetWindow(QWidget *window)
{
    m_window = window;
    if (m_window && m_pendingRaise) {
        m_pendingRaise = false;
        BringToFront(m_window);
    }
}

void SingleInstance::BringToFront(QWidget *window)
{
    if (window->isMinimized())
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
}

void SingleInstance::OnNewConnection()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { OnRequest(socket); });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        if (socket->bytesAvailable() > 0)
            OnRequest(socket);
    }
}

void SingleInstance::OnRequest(QLocalSocket *socket)
{
    // Whatever else a peer sends is ignored; a peer that floods is dropped.
    if (!socket->canReadLine()) {
        if (socket->bytesAvailable() > kMaxRequestBytes)
            socket->abort();
        return;
    }
    QByteArray line = socket->readLine(kMaxRequestBytes);
    socket->readAll();
    if (line != kRaiseRequest)
        return;
    if (m_window)
        BringToFront(m_window);
    else
        m_pendingRaise = true;
    emit raiseRequested();
}
