#include "app/startup/crashhandler.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <thread>

#include <execinfo.h>
#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace crash {
namespace {

struct FatalSignal {
    int number;
    const char *name;     // as written into the dump
    const char *testName; // value of PYLVEX_TEST_CRASH that raises it
};

constexpr FatalSignal kFatalSignals[] = {
    {SIGSEGV, "SIGSEGV", "segv"}, {SIGABRT, "SIGABRT", "abort"}, {SIGBUS, "SIGBUS", "bus"},
    {SIGFPE, "SIGFPE", "fpe"},    {SIGILL, "SIGILL", "ill"},
};

std::atomic<bool> g_installed{false};
std::atomic<long> g_utcOffset{0}; // local time minus UTC, in seconds
std::atomic_flag g_writing = ATOMIC_FLAG_INIT;

// The dump folder with a trailing slash (empty: the current folder), fixed
// before the handler is installed.
char g_folder[4096] = "";

// Room for the handler when the fault is a stack overflow.
alignas(16) char g_altStack[64 * 1024];

// A fixed buffer that collects text with async-signal-safe operations only.
class SafeText {
public:
    void Add(const char *text)
    {
        while (*text && m_len < sizeof m_buf)
            m_buf[m_len++] = *text++;
    }
    void AddDecimal(std::uint64_t value, int width = 0)
    {
        char digits[24];
        int n = 0;
        do {
            digits[n++] = static_cast<char>('0' + value % 10);
            value /= 10;
        } while (value != 0 && n < 24);
        for (int pad = n; pad < width && m_len < sizeof m_buf; ++pad)
            m_buf[m_len++] = '0';
        while (n > 0 && m_len < sizeof m_buf)
            m_buf[m_len++] = digits[--n];
    }
    void AddHex(std::uintptr_t value)
    {
        Add("0x");
        bool started = false;
        for (int shift = static_cast<int>(sizeof value * 8) - 4; shift >= 0; shift -= 4) {
            unsigned nibble = (value >> shift) & 0xF;
            if (nibble == 0 && !started && shift != 0)
                continue;
            started = true;
            char c = static_cast<char>(nibble < 10 ? '0' + nibble : 'a' + nibble - 10);
            if (m_len < sizeof m_buf)
                m_buf[m_len++] = c;
        }
    }
    void WriteTo(int fd)
    {
        std::size_t done = 0;
        while (done < m_len) {
            ssize_t n = ::write(fd, m_buf + done, m_len - done);
            if (n <= 0)
                break;
            done += static_cast<std::size_t>(n);
        }
        m_len = 0;
    }
    const char *Data() const { return m_buf; }
    std::size_t Length() const { return m_len; }

private:
    char m_buf[512];
    std::size_t m_len = 0;
};

struct CivilTime {
    std::int64_t year;
    unsigned month, day, hour, minute, second;
};

std::int64_t FloorDiv(std::int64_t a, std::int64_t b)
{
    std::int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// Days since 1970-01-01 to a calendar date (proleptic Gregorian).
CivilTime ToCivil(std::int64_t seconds)
{
    std::int64_t days = FloorDiv(seconds, 86400);
    std::int64_t rest = seconds - days * 86400;
    days += 719468;
    const std::int64_t era = FloorDiv(days, 146097);
    const std::int64_t doe = days - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    CivilTime t{};
    t.day = static_cast<unsigned>(doy - (153 * mp + 2) / 5 + 1);
    t.month = static_cast<unsigned>(mp < 10 ? mp + 3 : mp - 9);
    t.year = yoe + era * 400 + (t.month <= 2 ? 1 : 0);
    t.hour = static_cast<unsigned>(rest / 3600);
    t.minute = static_cast<unsigned>(rest / 60 % 60);
    t.second = static_cast<unsigned>(rest % 60);
    return t;
}

std::int64_t LocalNow()
{
    timespec ts{};
    ::clock_gettime(CLOCK_REALTIME, &ts);
    return static_cast<std::int64_t>(ts.tv_sec) + g_utcOffset.load(std::memory_order_relaxed);
}

const char *SignalName(int sig)
{
    for (const FatalSignal &s : kFatalSignals)
        if (s.number == sig)
            return s.name;
    return "?";
}

void CopyFile(const char *path, int toFd)
{
    int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return;
    char buf[1024];
    ssize_t n;
    while ((n = ::read(fd, buf, sizeof buf)) > 0)
        if (::write(toFd, buf, static_cast<std::size_t>(n)) != n)
            break;
    ::close(fd);
}

void WriteDump(int fd, int sig, const siginfo_t *info, std::int64_t local)
{
    const CivilTime t = ToCivil(local);
    SafeText text;
    text.Add("Pylvex crash dump\nSignal: ");
    text.AddDecimal(static_cast<std::uint64_t>(sig));
    text.Add(" (");
    text.Add(SignalName(sig));
    text.Add(")\nCode: ");
    text.AddDecimal(static_cast<std::uint64_t>(info ? static_cast<unsigned>(info->si_code) : 0u));
    text.Add("\nAddress: ");
    text.AddHex(info ? reinterpret_cast<std::uintptr_t>(info->si_addr) : 0);
    text.Add("\nTime: ");
    text.AddDecimal(static_cast<std::uint64_t>(t.year));
    text.Add("-");
    text.AddDecimal(t.month, 2);
    text.Add("-");
    text.AddDecimal(t.day, 2);
    text.Add(" ");
    text.AddDecimal(t.hour, 2);
    text.Add(":");
    text.AddDecimal(t.minute, 2);
    text.Add(":");
    text.AddDecimal(t.second, 2);
    text.Add("\nProcess: ");
    text.AddDecimal(static_cast<std::uint64_t>(::getpid()));
    text.Add("\nThread: ");
    text.AddDecimal(static_cast<std::uint64_t>(::syscall(SYS_gettid)));
    text.Add("\nBacktrace:\n");
    text.WriteTo(fd);

    void *frames[64];
    int count = ::backtrace(frames, 64);
    ::backtrace_symbols_fd(frames, count, fd);

    text.Add("Memory map:\n");
    text.WriteTo(fd);
    CopyFile("/proc/self/maps", fd);
}

void OnFatalSignal(int sig, siginfo_t *info, void *)
{
    // A second thread faulting meanwhile waits for the first to end the process.
    if (g_writing.test_and_set()) {
        for (;;)
            ::pause();
    }
    const std::int64_t local = LocalNow();
    char path[sizeof g_folder + 64];
    std::size_t at = 0;
    for (const char *c = g_folder; *c; ++c)
        path[at++] = *c;
    FormatDumpName(local, path + at, sizeof path - at);
    int fd = ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd >= 0) {
        WriteDump(fd, sig, info, local);
        ::close(fd);
    }
    // The default action ends the process once this handler returns.
    struct sigaction dfl {};
    dfl.sa_handler = SIG_DFL;
    ::sigemptyset(&dfl.sa_mask);
    ::sigaction(sig, &dfl, nullptr);
    ::raise(sig);
}

} // namespace

std::size_t FormatDumpName(std::int64_t localSeconds, char *out, std::size_t size)
{
    if (size == 0)
        return 0;
    const CivilTime t = ToCivil(localSeconds);
    SafeText text;
    text.AddDecimal(static_cast<std::uint64_t>(t.year));
    text.AddDecimal(t.month, 2);
    text.AddDecimal(t.day, 2);
    text.Add("_");
    text.AddDecimal(t.hour, 2);
    text.AddDecimal(t.minute, 2);
    text.Add("_bms_core_dump.dmp");
    std::size_t n = text.Length() < size - 1 ? text.Length() : size - 1;
    std::memcpy(out, text.Data(), n);
    out[n] = '\0';
    return n;
}

void RefreshCrashClock()
{
    std::time_t now = std::time(nullptr);
    std::tm local{};
    if (::localtime_r(&now, &local))
        g_utcOffset.store(local.tm_gmtoff, std::memory_order_relaxed);
}

bool InstallCrashHandler(const char *folder)
{
    if (g_installed.load())
        return true;
    std::size_t n = folder ? std::strlen(folder) : 0;
    if (n + 2 > sizeof g_folder)
        n = 0; // a path this long cannot be used: the current folder
    if (n > 0)
        std::memcpy(g_folder, folder, n);
    if (n > 0 && g_folder[n - 1] != '/')
        g_folder[n++] = '/';
    g_folder[n] = '\0';
    char marker[sizeof g_folder + 32];
    std::snprintf(marker, sizeof marker, "%s%s", g_folder, kNoDumpMarker);
    if (::access(kNoDumpMarker, F_OK) == 0 || ::access(marker, F_OK) == 0)
        return false;
    RefreshCrashClock();
    // The first backtrace loads the unwinder; inside the handler that would not be safe.
    void *warmUp[4];
    ::backtrace(warmUp, 4);

    stack_t alt{};
    alt.ss_sp = g_altStack;
    alt.ss_size = sizeof g_altStack;
    ::sigaltstack(&alt, nullptr);

    struct sigaction action {};
    action.sa_sigaction = OnFatalSignal;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK | SA_RESETHAND;
    ::sigemptyset(&action.sa_mask);
    for (const FatalSignal &s : kFatalSignals)
        ::sigaction(s.number, &action, nullptr);
    g_installed.store(true);
    return true;
}

bool CrashHandlerInstalled()
{
    return g_installed.load();
}

void CrashIfAsked()
{
    const char *kind = std::getenv("PYLVEX_TEST_CRASH");
    if (!kind)
        return;
    auto invalidWrite = [] {
        volatile std::uintptr_t unmapped = 16;
        *reinterpret_cast<volatile int *>(unmapped) = 1;
    };
    if (std::strcmp(kind, "segv-thread") == 0) {
        std::thread worker(invalidWrite);
        worker.join();
        return;
    }
    for (const FatalSignal &s : kFatalSignals) {
        if (std::strcmp(kind, s.testName) != 0)
            continue;
        if (s.number == SIGSEGV)
            invalidWrite(); // a real invalid access
        else if (s.number == SIGABRT)
            std::abort();
        else
            ::raise(s.number);
    }
}

} // namespace crash
