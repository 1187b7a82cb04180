#include "app/startup/quitsignals.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int kQuitSignals[] = {SIGINT, SIGTERM, SIGHUP};
int g_pipe[2] = {-1, -1};

void OnQuitSignal(int sig)
{
    const char byte = static_cast<char>(sig);
    [[maybe_unused]] ssize_t n = ::write(g_pipe[1], &byte, 1);
}

} // namespace

void QuitOnTerminationSignals(QObject *parent)
{
    if (g_pipe[0] >= 0 || ::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    auto *notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, parent);
    QObject::connect(notifier, &QSocketNotifier::activated, parent, [] {
        char buf[16];
        while (::read(g_pipe[0], buf, sizeof buf) > 0) {
        }
        QCoreApplication::quit();
    });
    struct sigaction action {};
    action.sa_handler = OnQuitSignal;
    action.sa_flags = SA_RESETHAND | SA_RESTART;
    ::sigemptyset(&action.sa_mask);
    for (int sig : kQuitSignals)
        ::sigaction(sig, &action, nullptr);
}
