// Helpers for the board-port tests: a pseudo-terminal pair whose slave the port
// opens while the test plays the board on the master, and a window stand-in
// that records the posted messages with their arrival time.
#pragma once

#include "common/frame_bytes.h"
#include "link/winmsg.h"
#include "protocol/frame.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QObject>
#include <QThread>

#include <chrono>
#include <cstdint>
#include <fcntl.h>
#include <functional>
#include <mutex>
#include <poll.h>
#include <pty.h>
#include <string>
#include <termios.h>
#include <unistd.h>
#include <vector>

using SteadyClock = std::chrono::steady_clock;

inline double MsSince(SteadyClock::time_point from, SteadyClock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

class PtyPair {
public:
    PtyPair()
    {
        char name[128] = {};
        int slave = -1;
        if (::openpty(&m_master, &slave, name, nullptr, nullptr) != 0)
            return;
        termios tio{};
        ::tcgetattr(slave, &tio);
        ::cfmakeraw(&tio);
        ::tcsetattr(slave, TCSANOW, &tio);
        ::close(slave);
        m_slave = name;
    }
    ~PtyPair() { CloseMaster(); }
    PtyPair(const PtyPair &) = delete;
    PtyPair &operator=(const PtyPair &) = delete;

    bool Ok() const { return m_master >= 0 && !m_slave.empty(); }
    QString SlavePath() const { return QString::fromStdString(m_slave); }
    int Master() const { return m_master; }
    void CloseMaster()
    {
        if (m_master >= 0)
            ::close(m_master);
        m_master = -1;
    }
    void Write(const std::vector<std::uint8_t> &bytes) const { Write(bytes.data(), bytes.size()); }
    void Write(const std::uint8_t *bytes, std::size_t count) const
    {
        while (count > 0) {
            ssize_t n = ::write(m_master, bytes, count);
            if (n <= 0)
                return;
            bytes += n;
            count -= static_cast<std::size_t>(n);
        }
    }
    // Reads what arrives within timeoutMs (stops early once `want` bytes came).
    std::vector<std::uint8_t> Read(int timeoutMs, std::size_t want = SIZE_MAX) const
    {
        std::vector<std::uint8_t> out;
        auto end = SteadyClock::now() + std::chrono::milliseconds(timeoutMs);
        while (out.size() < want) {
            int left = static_cast<int>(
                std::chrono::duration_cast<std::chrono::milliseconds>(end - SteadyClock::now()).count());
            if (left <= 0)
                break;
            pollfd pfd{m_master, POLLIN, 0};
            if (::poll(&pfd, 1, left) <= 0)
                break;
            std::uint8_t buf[512];
            ssize_t n = ::read(m_master, buf, sizeof buf);
            if (n <= 0)
                break;
            out.insert(out.end(), buf, buf + n);
        }
        return out;
    }

private:
    int m_master = -1;
    std::string m_slave;
};

struct PostedMsg {
    int msg;
    std::intptr_t wParam;
    std::intptr_t lParam;
    SteadyClock::time_point at;
};

// Stands in for the owner window: records every posted message.
class MsgRecorder : public QObject {
public:
    bool event(QEvent *e) override
    {
        if (auto *m = dynamic_cast<WinMsgEvent *>(e)) {
            msgs.push_back({m->Msg(), m->wParam(), m->lParam(), SteadyClock::now()});
            return true;
        }
        return QObject::event(e);
    }
    int Count(int msg) const
    {
        int n = 0;
        for (const PostedMsg &m : msgs)
            n += m.msg == msg;
        return n;
    }
    std::vector<PostedMsg> Of(int msg) const
    {
        std::vector<PostedMsg> out;
        for (const PostedMsg &m : msgs)
            if (m.msg == msg)
                out.push_back(m);
        return out;
    }
    std::vector<PostedMsg> msgs;
};

// Runs the event loop until pred() holds or timeoutMs passed; returns pred().
inline bool PumpUntil(const std::function<bool()> &pred, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!pred()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return true;
}

inline void PumpFor(int ms)
{
    PumpUntil([] { return false; }, ms);
}

// A complete frame with a good sum from link byte, class, code and data.
inline std::vector<std::uint8_t> MakeFrame(std::uint8_t link, std::uint8_t cls, std::uint8_t code,
                                           const std::vector<std::uint8_t> &data)
{
    return BoardFrame(cls, code, data, link);
}
