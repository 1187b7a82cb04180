// Runs the simulated board on its own thread, on a pseudo-terminal pair or a
// serial device, and applies the timing faults (answer delay, byte-by-byte
// writing). The tool's demo mode and the pylvex-sim program both use it.
//
// Like the tool, the board gives up received bytes that form no request once
// the line has been quiet for a short time. On a pseudo-terminal the board
// notices the other end closing: what it had received and not yet answered
// belongs to that opening and is forgotten.
#pragma once

#include "sim/sim_options.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>

class SimHost {
public:
    SimHost();
    ~SimHost();
    SimHost(const SimHost &) = delete;
    SimHost &operator=(const SimHost &) = delete;

    // Opens a pseudo-terminal pair and serves its master side; slavePath
    // receives the device the tool should open. False when already running
    // or the pair cannot be made (ErrorString tells why).
    bool StartPty(QString *slavePath, const SimOptions &options);
    // As StartPty, and the symbolic link linkPath leads to the new device, so a
    // board that is stopped and started again comes back at the same path
    // (as an adapter's /dev/serial/by-id name does). A pseudo-terminal cannot
    // be given a path of its own; the link is replaced at once, never missing
    // while the board runs. Stop removes the link again (a board that is gone
    // leaves no name behind that another pseudo-terminal could take over).
    bool StartPtyAt(const QString &linkPath, QString *slavePath, const SimOptions &options);
    // Serves a serial device (for example one of two adapters wired together).
    bool OpenDevice(const QString &path, const SimOptions &options);
    // Stops the thread and closes everything; safe to call more than once.
    void Stop();

    bool IsRunning() const { return m_running.load(); }
    QString ErrorString() const;
    // The board's clock; takes effect at the next start.
    void SetClock(SimClock clock);
    // Requests with a sound checksum seen since the start.
    std::uint64_t Requests() const { return m_requests.load(); }

private:
    bool Start(int fd, bool pty, const SimOptions &options);
    void Run(SimOptions options, SimClock clock);
    void SetError(const QString &text);

    std::thread m_thread;
    int m_fd = -1;
    bool m_pty = false; // m_fd is a pseudo-terminal master: the other end may close and open again
    int m_wake[2] = {-1, -1};
    std::atomic<bool> m_running{false};
    std::atomic<std::uint64_t> m_requests{0};
    mutable std::mutex m_mutex;
    QString m_error;
    SimClock m_clock;
    QByteArray m_link; // the link StartPtyAt made, and where it leads
    QByteArray m_linkTarget;
};
