// A serial line at a given baud rate between two pseudo-terminals, for the
// benchmarks: pseudo-terminals pass bytes as fast as they come, so a relay
// thread reads the tool's side and the board's side and passes each byte on
// only when it would have left a real line (10 bits per byte, each direction
// on its own, a byte starting when the one before it has ended). It counts
// the bytes of each direction.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <string>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

class PacedRelay {
public:
    PacedRelay() = default;
    ~PacedRelay() { Stop(); }
    PacedRelay(const PacedRelay &) = delete;
    PacedRelay &operator=(const PacedRelay &) = delete;

    // Opens the board's device and a new pseudo-terminal pair for the tool;
    // toolDevice receives the device the tool should open.
    bool Start(const std::string &boardDevice, int baud, std::string *toolDevice)
    {
        m_secondsPerByte = 10.0 / baud;
        m_board = ::open(boardDevice.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (m_board < 0)
            return false;
        MakeRaw(m_board);
        char name[128] = {};
        if (::openpty(&m_toolMaster, &m_toolSlave, name, nullptr, nullptr) != 0)
            return false;
        MakeRaw(m_toolSlave); // held open so the master survives the tool closing its port
        ::fcntl(m_toolMaster, F_SETFL, ::fcntl(m_toolMaster, F_GETFL) | O_NONBLOCK);
        *toolDevice = name;
        m_stop = false;
        m_thread = std::thread([this] { Loop(); });
        return true;
    }

    void Stop()
    {
        if (m_thread.joinable()) {
            m_stop = true;
            m_thread.join();
        }
        for (int *fd : {&m_board, &m_toolMaster, &m_toolSlave})
            if (*fd >= 0) {
                ::close(*fd);
                *fd = -1;
            }
    }

    // Bytes passed so far: tool to board, board to tool.
    std::uint64_t ToBoard() const { return m_toBoard.bytes.load(); }
    std::uint64_t ToTool() const { return m_toTool.bytes.load(); }
    void ResetCounts()
    {
        m_toBoard.bytes = 0;
        m_toTool.bytes = 0;
    }

private:
    struct Direction {
        // Each byte waiting with the time at which its last bit has left.
        std::deque<std::pair<std::uint8_t, double>> queue;
        double lineFreeAt = 0;
        std::atomic<std::uint64_t> bytes{0};
    };

    static void MakeRaw(int fd)
    {
        termios t{};
        if (::tcgetattr(fd, &t) == 0) {
            ::cfmakeraw(&t);
            ::tcsetattr(fd, TCSANOW, &t);
        }
    }

    static double Now()
    {
        timespec ts{};
        ::clock_gettime(CLOCK_MONOTONIC, &ts);
        return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
    }

    void Take(int from, Direction &d, double now)
    {
        std::uint8_t buf[4096];
        for (;;) {
            const ssize_t n = ::read(from, buf, sizeof buf);
            if (n <= 0)
                return;
            for (ssize_t i = 0; i < n; ++i) {
                const double start = d.lineFreeAt > now ? d.lineFreeAt : now;
                d.lineFreeAt = start + m_secondsPerByte;
                d.queue.emplace_back(buf[i], d.lineFreeAt);
            }
        }
    }

    void Pass(int to, Direction &d, double now)
    {
        std::uint8_t buf[4096];
        std::size_t n = 0;
        while (n < sizeof buf && !d.queue.empty() && d.queue.front().second <= now) {
            buf[n++] = d.queue.front().first;
            d.queue.pop_front();
        }
        std::size_t at = 0;
        while (at < n) {
            const ssize_t w = ::write(to, buf + at, n - at);
            if (w > 0) {
                at += static_cast<std::size_t>(w);
                continue;
            }
            pollfd p{to, POLLOUT, 0};
            ::poll(&p, 1, 5);
            if (m_stop)
                return;
        }
        d.bytes += n;
    }

    void Loop()
    {
        while (!m_stop) {
            double now = Now();
            double next = now + 0.005;
            for (Direction *d : {&m_toBoard, &m_toTool})
                if (!d->queue.empty() && d->queue.front().second < next)
                    next = d->queue.front().second;
            const double wait = next > now ? next - now : 0;
            pollfd fds[2] = {{m_toolMaster, POLLIN, 0}, {m_board, POLLIN, 0}};
            timespec ts{static_cast<time_t>(wait),
                        static_cast<long>((wait - static_cast<double>(static_cast<time_t>(wait))) * 1e9)};
            ::ppoll(fds, 2, &ts, nullptr);
            now = Now();
            if (fds[0].revents & POLLIN)
                Take(m_toolMaster, m_toBoard, now);
            if (fds[1].revents & POLLIN)
                Take(m_board, m_toTool, now);
            if ((fds[0].revents | fds[1].revents) & (POLLHUP | POLLERR))
                ::usleep(1000); // the tool's side is closed for now
            Pass(m_board, m_toBoard, now);
            Pass(m_toolMaster, m_toTool, now);
        }
    }

    double m_secondsPerByte = 0;
    int m_board = -1;
    int m_toolMaster = -1;
    int m_toolSlave = -1;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
    Direction m_toBoard;
    Direction m_toTool;
};
