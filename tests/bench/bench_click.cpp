// Click-to-request latency of the board port on a pseudo-terminal: the time
// from a page queuing a request (what a click does) to its last byte reaching
// the board's end of the line, at the default command interval. Three cases:
// a line idle for longer than an interval; a click shortly after the board
// answered the previous request; a click shortly after a request the board
// left unanswered. And a burst of three, for the frames queued behind the
// first. Prints figures; decides nothing.
// Usage: bench_click [runs] [interval ms]
#include "link/boardport.h"
#include "link/linksettings.h"
#include "unit/test_link_pty.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {
using Bytes = std::vector<std::uint8_t>;

FrameEntry *Request(std::uint8_t code)
{
    const std::uint8_t payload[] = {0x53, 0x02, code, 0x01, 0x00};
    return BuildFrame(payload, sizeof payload).entry;
}

// Waits for one whole request frame at the board's end; the time its last byte was read.
bool ReadRequest(const PtyPair &pty, SteadyClock::time_point *at, int timeoutMs)
{
    Bytes pending;
    auto end = SteadyClock::now() + std::chrono::milliseconds(timeoutMs);
    while (SteadyClock::now() < end) {
        Bytes got = pty.Read(9, 1);
        pending.insert(pending.end(), got.begin(), got.end());
        if (pending.size() >= 5 && pending.size() >= pending[4] + 9u) {
            *at = SteadyClock::now();
            return true;
        }
    }
    return false;
}

struct Port {
    PtyPair pty;
    MsgRecorder owner;
    BoardPort com;
    bool Open(int interval)
    {
        GlobalLinkSettings().cmdSndInvl = interval;
        return pty.Ok() && com.InitPort(&owner, pty.SlavePath(), 115200, 'N', 8, 0) && com.StartMonitoring();
    }
};

enum class Before { IdleLine, AnsweredRequest, UnansweredRequest };

void Print(const char *what, std::vector<double> ms)
{
    if (ms.empty()) {
        std::printf("%-44s no samples\n", what);
        return;
    }
    std::sort(ms.begin(), ms.end());
    std::printf("%-44s n=%2zu  min %7.1f ms  median %7.1f ms  max %7.1f ms\n", what, ms.size(), ms.front(),
                ms[ms.size() / 2], ms.back());
}

// One click per run; `before` says what the line did just before it.
void Click(const char *what, Before before, int interval, int runs)
{
    Port port;
    if (!port.Open(interval)) {
        std::printf("%s: the port did not open\n", what);
        return;
    }
    std::vector<double> ms;
    const Bytes answer = MakeFrame(0x53, 0x82, 0x91, {0x00, 0x01, 0x02});
    for (int i = 0; i < runs; ++i) {
        PumpFor(interval + 50); // an idle line to start from
        if (before != Before::IdleLine) {
            SteadyClock::time_point at;
            port.com.PushTxEntry(Request(0x11));
            if (!ReadRequest(port.pty, &at, interval + 1000))
                break;
            if (before == Before::AnsweredRequest)
                port.pty.Write(answer);
            PumpFor(30); // the user clicks a moment later
        }
        auto clicked = SteadyClock::now();
        port.com.PushTxEntry(Request(0x13));
        SteadyClock::time_point at;
        if (!ReadRequest(port.pty, &at, interval + 1000))
            break;
        ms.push_back(MsSince(clicked, at));
        for (FrameEntry *e = port.com.PopRxFrame(); e; e = port.com.PopRxFrame())
            FrameEntryFree(e);
    }
    Print(what, ms);
    port.com.StopMonitoring();
}

// Three requests queued at once on an idle line: when each arrives.
void Burst(int interval, int runs)
{
    Port port;
    if (!port.Open(interval))
        return;
    std::vector<double> first, second, third;
    for (int i = 0; i < runs; ++i) {
        PumpFor(interval + 50);
        auto clicked = SteadyClock::now();
        for (std::uint8_t code : {0x21, 0x23, 0x25})
            port.com.PushTxEntry(Request(code));
        SteadyClock::time_point at[3];
        bool ok = true;
        for (auto &t : at)
            ok = ok && ReadRequest(port.pty, &t, interval + 1000);
        if (!ok)
            break;
        first.push_back(MsSince(clicked, at[0]));
        second.push_back(MsSince(clicked, at[1]));
        third.push_back(MsSince(clicked, at[2]));
    }
    Print("burst of 3 on an idle line: first", first);
    Print("burst of 3 on an idle line: second", second);
    Print("burst of 3 on an idle line: third", third);
    port.com.StopMonitoring();
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    const int interval = argc > 2 ? std::clamp(std::atoi(argv[2]), 10, 2000) : 400;
    std::printf("click to request on the line, command interval %d ms, %d runs each\n", interval, runs);
    Click("click on an idle line", Before::IdleLine, interval, runs);
    Click("click 30 ms after an answered request", Before::AnsweredRequest, interval, runs);
    Click("click 30 ms after an unanswered request", Before::UnansweredRequest, interval, runs);
    Burst(interval, runs);
    return 0;
}
