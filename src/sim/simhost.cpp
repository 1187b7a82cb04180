#include "sim/simhost.h"

#include "protocol/frame.h"
#include "sim/sim_link.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {
constexpr std::size_t kMaxQueued = 64 * 1024;

std::int64_t SteadyMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

QString Errno(const char *what)
{
    return QStringLiteral("%1：%2").arg(QString::fromUtf8(what), QString::fromLocal8Bit(std::strerror(errno)));
}

speed_t SpeedOf(int baud)
{
    struct Pair {
        int baud;
        speed_t speed;
    };
    static const Pair kSpeeds[] = {{1200, B1200},     {2400, B2400},     {4800, B4800},    {9600, B9600},
                                   {19200, B19200},   {38400, B38400},   {57600, B57600},  {115200, B115200},
                                   {230400, B230400}, {460800, B460800}, {921600, B921600}};
    for (const Pair &p : kSpeeds)
        if (p.baud == baud)
            return p.speed;
    return 0;
}

bool MakeRaw(int fd, int baud)
{
    termios tio{};
    if (tcgetattr(fd, &tio) != 0)
        return false;
    cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    speed_t speed = SpeedOf(baud);
    if (speed) {
        cfsetispeed(&tio, speed);
        cfsetospeed(&tio, speed);
    }
    return tcsetattr(fd, TCSANOW, &tio) == 0;
}

void Trace(const char *direction, const std::uint8_t *bytes, std::size_t count)
{
    std::string text = HexText(bytes, count);
    std::fprintf(stderr, "%s %s\n", direction, text.c_str());
}

// How often a board whose pseudo-terminal is closed on the other end looks
// whether it has been opened again.
constexpr int kHangUpPollMs = 20;

// Bytes waiting to be written no earlier than their time.
struct Pending {
    std::int64_t dueMs;
    SimBytes bytes;
    std::size_t offset = 0;
};
} // namespace

SimHost::SimHost() = default;

SimHost::~SimHost()
{
    Stop();
}

QString SimHost::ErrorString() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_error;
}

void SimHost::SetError(const QString &text)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_error = text;
}

void SimHost::SetClock(SimClock clock)
{
    m_clock = std::move(clock);
}

bool SimHost::StartPty(QString *slavePath, const SimOptions &options)
{
    if (m_thread.joinable()) {
        SetError(QStringLiteral("模拟板已在运行"));
        return false;
    }
    int master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (master < 0) {
        SetError(Errno("posix_openpt"));
        return false;
    }
    char name[128] = {};
    if (grantpt(master) != 0 || unlockpt(master) != 0 || ptsname_r(master, name, sizeof name) != 0) {
        SetError(Errno("ptsname"));
        close(master);
        return false;
    }
    // The line settings stay with the pair; the slave side is then left to the tool.
    int slave = open(name, O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (slave < 0 || !MakeRaw(slave, options.baud)) {
        SetError(Errno(name));
        if (slave >= 0)
            close(slave);
        close(master);
        return false;
    }
    close(slave);
    if (!Start(master, true, options))
        return false;
    if (slavePath)
        *slavePath = QString::fromLocal8Bit(name);
    return true;
}

bool SimHost::StartPtyAt(const QString &linkPath, QString *slavePath, const SimOptions &options)
{
    QString device;
    if (!StartPty(&device, options))
        return false;
    const QByteArray target = device.toLocal8Bit();
    const QByteArray link = linkPath.toLocal8Bit();
    const QByteArray staging = link + ".new";
    ::unlink(staging.constData());
    if (::symlink(target.constData(), staging.constData()) != 0 ||
        ::rename(staging.constData(), link.constData()) != 0) {
        const QString error = Errno(link.constData());
        ::unlink(staging.constData());
        Stop();
        SetError(error);
        return false;
    }
    m_link = link;
    m_linkTarget = target;
    if (slavePath)
        *slavePath = device;
    return true;
}

bool SimHost::OpenDevice(const QString &path, const SimOptions &options)
{
    if (m_thread.joinable()) {
        SetError(QStringLiteral("模拟板已在运行"));
        return false;
    }
    QByteArray name = path.toLocal8Bit();
    int fd = open(name.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        SetError(Errno(name.constData()));
        return false;
    }
    if (!MakeRaw(fd, options.baud)) {
        SetError(Errno(name.constData()));
        close(fd);
        return false;
    }
    tcflush(fd, TCIOFLUSH);
    return Start(fd, false, options);
}

bool SimHost::Start(int fd, bool pty, const SimOptions &options)
{
    if (pipe2(m_wake, O_CLOEXEC | O_NONBLOCK) != 0) {
        SetError(Errno("pipe"));
        close(fd);
        return false;
    }
    m_fd = fd;
    m_pty = pty;
    m_requests = 0;
    SetError(QString());
    m_running = true;
    m_thread = std::thread(&SimHost::Run, this, options, m_clock ? m_clock : SimClock(SystemClockMs));
    return true;
}

void SimHost::Stop()
{
    if (m_thread.joinable()) {
        const char stop = 1;
        ssize_t written = write(m_wake[1], &stop, 1);
        (void)written;
        m_thread.join();
    }
    for (int *fd : {&m_fd, &m_wake[0], &m_wake[1]}) {
        if (*fd >= 0)
            close(*fd);
        *fd = -1;
    }
    m_running = false;
    if (!m_link.isEmpty()) {
        char target[256] = {};
        ssize_t n = ::readlink(m_link.constData(), target, sizeof target - 1);
        if (n > 0 && QByteArray(target, static_cast<int>(n)) == m_linkTarget)
            ::unlink(m_link.constData());
        m_link.clear();
        m_linkTarget.clear();
    }
}

void SimHost::Run(SimOptions options, SimClock clock)
{
    SimLink link(options, std::move(clock));
    std::deque<Pending> queue;
    std::size_t queued = 0;
    std::int64_t lastDue = 0;
    std::int64_t lastByteMs = 0;
    const int quietMs = SimQuietTimeMs(options.baud);
    std::uint8_t buf[1024];
    bool blocked = false;
    bool hungUp = false; // a pseudo-terminal whose other end is closed

    auto schedule = [&](SimBytes chunk) {
        if (queued + chunk.size() > kMaxQueued)
            return; // nobody reads the other end; newer answers are dropped
        std::int64_t due = std::max(SteadyMs() + options.answerDelayMs, lastDue);
        queued += chunk.size();
        if (options.byteDelayMs > 0) {
            for (std::uint8_t b : chunk) {
                queue.push_back({due, {b}});
                lastDue = due;
                due += options.byteDelayMs;
            }
        } else {
            queue.push_back({due, std::move(chunk)});
            lastDue = due;
        }
    };

    for (;;) {
        std::int64_t now = SteadyMs();
        int timeout = -1;
        if (!queue.empty() && !blocked && !hungUp)
            timeout = static_cast<int>(std::max<std::int64_t>(0, queue.front().dueMs - now));
        // Frames the board sends by itself (learning records) wake the loop too.
        if (std::optional<std::int64_t> due = link.NextDueMs()) {
            std::int64_t wait = std::clamp<std::int64_t>(*due - link.Board().NowMs(), 0, 60000);
            timeout = timeout < 0 ? static_cast<int>(wait) : std::min(timeout, static_cast<int>(wait));
        }
        if (link.Waiting() > 0) {
            int quietLeft = static_cast<int>(std::max<std::int64_t>(0, lastByteMs + quietMs - now));
            timeout = timeout < 0 ? quietLeft : std::min(timeout, quietLeft);
        }
        if (hungUp)
            timeout = kHangUpPollMs; // until the other end is opened again
        // A closed other end reports POLLHUP without pause: it is left out of the wait.
        pollfd fds[2] = {{hungUp ? -1 : m_fd, static_cast<short>(POLLIN | (blocked ? POLLOUT : 0)), 0},
                         {m_wake[0], POLLIN, 0}};
        if (poll(fds, 2, timeout) < 0 && errno != EINTR) {
            SetError(Errno("poll"));
            break;
        }
        if (fds[1].revents)
            break;
        if (hungUp) {
            pollfd probe{m_fd, POLLIN, 0};
            if (poll(&probe, 1, 0) < 0 || (probe.revents & POLLHUP))
                continue;
            hungUp = false; // opened again
        }
        if (fds[0].revents & POLLOUT)
            blocked = false;
        if (m_pty && (fds[0].revents & POLLHUP) && !(fds[0].revents & POLLIN)) {
            // The other end closed: forget what it sent and what it was going to get.
            hungUp = true;
            link.Reset();
            queue.clear();
            queued = 0;
            blocked = false;
            continue;
        }
        if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) {
            ssize_t n = read(m_fd, buf, sizeof buf);
            if (n > 0) {
                if (options.verbose)
                    Trace("<<", buf, static_cast<std::size_t>(n));
                lastByteMs = SteadyMs();
                for (SimBytes &chunk : link.Feed({buf, static_cast<std::size_t>(n)}))
                    schedule(std::move(chunk));
                m_requests = link.Requests();
            } else if (n < 0 && errno == EIO && m_pty) {
                continue; // the other end is closing; POLLHUP follows
            } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
                SetError(n == 0 ? QStringLiteral("设备已关闭") : Errno("read"));
                break;
            }
        }
        for (SimBytes &chunk : link.Poll())
            schedule(std::move(chunk));
        now = SteadyMs();
        if (link.Waiting() > 0 && now - lastByteMs >= quietMs) {
            for (SimBytes &chunk : link.Quiet())
                schedule(std::move(chunk));
            m_requests = link.Requests();
        }
        while (!blocked && !queue.empty() && queue.front().dueMs <= now) {
            Pending &p = queue.front();
            ssize_t n = write(m_fd, p.bytes.data() + p.offset, p.bytes.size() - p.offset);
            if (n < 0) {
                if (errno == EAGAIN || errno == EINTR) {
                    blocked = errno == EAGAIN;
                    continue;
                }
                if (errno == EIO && m_pty)
                    break; // the other end closed meanwhile; POLLHUP follows
                SetError(Errno("write"));
                m_running = false;
                return;
            }
            if (options.verbose)
                Trace(">>", p.bytes.data() + p.offset, static_cast<std::size_t>(n));
            p.offset += static_cast<std::size_t>(n);
            if (p.offset == p.bytes.size()) {
                queued -= p.bytes.size();
                queue.pop_front();
            }
        }
    }
    m_running = false;
}
