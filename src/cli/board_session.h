// The board port as pylvexctl uses it: the window's port object with its
// monitoring thread and pacing, one request at a time, each waiting for the
// answer of its class and code from the chosen board, with one retry.
#pragma once

#include "cli/cli_common.h"
#include "link/boardport.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QEvent>
#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

class QEventLoop;
class QTimer;

struct SessionSettings {
    QString device; // as given: a port name or a device path
    LineSettings line;
    int intervalMs = 400;
    int timeoutMs = kDefaultTimeoutMs;
    bool secondary = false;
    bool verbose = false;
};

struct PortProfile;
// The port the window stored, trimmed; empty, with a message on standard
// error, when the stored text cannot name a device (a NUL, a control character).
QString StoredPortName(const PortProfile &stored);

// The settings from the common options and the port settings the window stored.
// False with a usage message when no port is given and none is stored.
bool ResolveSession(const CommonOptions &options, SessionSettings *settings, QString *error);

class BoardSession : public QObject {
public:
    enum class Outcome { Answered, NoAnswer, Lost, Interrupted };
    struct Reply {
        Outcome outcome = Outcome::NoAnswer;
        std::vector<std::uint8_t> frame; // the whole answer frame, head to tail
        int badChecksums = 0;            // answers dropped for a wrong checksum
    };

    explicit BoardSession(const SessionSettings &settings);
    ~BoardSession() override;

    // Opens the port and starts monitoring; false with the message to show.
    bool Open(QString *error);
    void Close();
    bool IsOpen() const { return m_open; }
    const SessionSettings &Settings() const { return m_settings; }

    // Sends the payload (link byte on) and waits for the answer with the
    // request's class and code (bit 7 set) from the chosen board; tries times
    // in all. Frames of the other board and stale answers are dropped.
    Reply Request(std::span<const std::uint8_t> payload, int tries = 2);

    // What a request that is answered with several frames takes.
    struct Gathering {
        // The frames to take, by answer class and code.
        std::function<bool(std::uint8_t cls, std::uint8_t code)> accept;
        // True once the frames taken are complete.
        std::function<bool(const std::vector<std::vector<std::uint8_t>> &frames)> done;
        // After a frame, the next must come within this time, else the frames
        // taken are all there are.
        int quietMs = 0;
    };
    struct Gathered {
        Outcome outcome = Outcome::NoAnswer; // Answered once at least one frame was taken
        std::vector<std::vector<std::uint8_t>> frames;
        int badChecksums = 0;
    };
    // Sends the payload and takes frames as the gathering says; the first
    // must come within the timeout (then the request is tried again).
    Gathered Gather(std::span<const std::uint8_t> payload, const Gathering &gathering, int tries = 2);
    // Requests sent since the start (retries included).
    int RequestsSent() const { return m_sent; }

    // Waits ms milliseconds, or less when interrupted; false when interrupted.
    static bool Pause(int ms);

    // A run that drives the board frame by frame (an upgrade) rather than
    // request by request: frames and raw bytes go out without waiting, every
    // sound answer of the chosen board outside a request goes to onFrame,
    // the YModem signals of the port (while a YModem receiver is registered)
    // to onYModem.
    struct Listener {
        std::function<void(const std::vector<std::uint8_t> &frame)> onFrame;
        std::function<void(int signal)> onYModem;
    };
    void SetListener(Listener listener) { m_listener = std::move(listener); }
    // Queues a frame payload (link byte on), or bytes as they are.
    bool SendFrame(std::span<const std::uint8_t> payload);
    bool SendRaw(std::span<const std::uint8_t> bytes);
    void ClearQueues();
    // Runs the events until every queued frame and byte has been written out
    // to the line, at most boundMs (an interrupt does not cut it short);
    // false when bytes were still waiting at the bound or the port was lost.
    bool Flush(int boundMs);
    // A bound for Flush that covers a few command intervals of waiting.
    int FlushBoundMs() const;
    // Takes the port's received bytes as YModem signals (true) or frames.
    void SetYModemReceiver(bool on);
    // Runs the events until done() holds, the port is lost or the program is
    // interrupted; the outcome says which (Answered for done).
    Outcome RunUntil(const std::function<bool()> &done);

protected:
    bool event(QEvent *e) override;

private:
    // A frame on standard error (--verbose): direction, seconds since the start, hex.
    void Trace(QStringView direction, const std::uint8_t *bytes, std::size_t count) const;
    Gathered TryOnce(std::span<const std::uint8_t> payload, const Gathering &gathering);
    void TakeFrames();
    void Finish();

    SessionSettings m_settings;
    QElapsedTimer m_since;
    BoardPort m_com;
    bool m_open = false;
    bool m_lost = false;
    int m_sent = 0;
    // The request waiting for its answer.
    QEventLoop *m_loop = nullptr;
    QTimer *m_timer = nullptr;
    const Gathering *m_gathering = nullptr;
    Gathered *m_gathered = nullptr;
    Listener m_listener;
    QEventLoop *m_runLoop = nullptr;
};

// "无应答" and the like for an outcome other than Answered.
QString OutcomeText(BoardSession::Outcome outcome, const QString &what);
// The result code of an answer frame, -1 when it carries none.
int ResultCode(const std::vector<std::uint8_t> &frame);

// Resolves the settings and opens the port; on failure the message is on
// standard error, the session is null and exitStatus holds the status.
std::unique_ptr<BoardSession> OpenBoard(const CommonOptions &options, int *exitStatus);

// The local time with its offset from UTC, as ISO 8601 text.
QString IsoTime(const QDateTime &local);
