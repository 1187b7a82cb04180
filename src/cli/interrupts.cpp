#include "cli/interrupts.h"

#include <QSocketNotifier>

#include <atomic>
#include <csignal>

#include <fcntl.h>
#include <unistd.h>

namespace {
int g_pipe[2] = {-1, -1};
std::atomic<bool> g_interrupted{false};

void OnSignal(int sig)
{
    g_interrupted.store(true);
    const char byte = static_cast<char>(sig);
    [[maybe_unused]] ssize_t n = ::write(g_pipe[1], &byte, 1);
}
} // namespace

InterruptWatch &InterruptWatch::Install()
{
    static InterruptWatch *watch = nullptr;
    if (watch)
        return *watch;
    watch = new InterruptWatch;
    if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return *watch;
    auto *notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, watch);
    QObject::connect(notifier, &QSocketNotifier::activated, watch, [] {
        char buf[16];
        while (::read(g_pipe[0], buf, sizeof buf) > 0) {
        }
        emit watch->Raised();
    });
    struct sigaction action {};
    action.sa_handler = OnSignal;
    action.sa_flags = SA_RESTART | SA_RESETHAND; // a second signal ends the program at once
    ::sigemptyset(&action.sa_mask);
    for (int sig : {SIGINT, SIGTERM})
        ::sigaction(sig, &action, nullptr);
    return *watch;
}

bool InterruptWatch::Interrupted()
{
    return g_interrupted.load();
}

void InterruptWatch::Raise()
{
    OnSignal(0);
}
