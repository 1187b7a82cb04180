#include "cli/board_session.h"

#include "cli/interrupts.h"
#include "link/linksettings.h"
#include "link/portdiscovery.h"
#include "link/portprofile.h"
#include "link/winmsg.h"
#include "protocol/command_table.h"
#include "protocol/frame.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QTimer>

#include <algorithm>

QString StoredPortName(const PortProfile &stored)
{
    const QString name = stored.portNum.trimmed();
    if (name.isEmpty() || IsValidPortName(name))
        return name;
    PrintErr(CliText::tr("保存的串口名“%1”不是有效的设备名，已忽略").arg(PrintablePortName(name)));
    return QString();
}

bool ResolveSession(const CommonOptions &options, SessionSettings *s, QString *error)
{
    const PortProfile stored = ReadPortProfile();
    s->device = options.port.isEmpty() ? StoredPortName(stored) : options.port;
    if (s->device.isEmpty()) {
        *error = CliText::tr("没有指定串口：请用 --port 给出设备（例如 ttyUSB0 或 /dev/pts/3）");
        return false;
    }
    s->line = LineSettingsOf(stored);
    if (options.baud > 0)
        s->line.baud = options.baud;
    s->intervalMs = options.intervalMs > 0 ? options.intervalMs : (stored.cmdSndInvl > 0 ? stored.cmdSndInvl : 400);
    s->timeoutMs = options.timeoutMs;
    s->secondary = options.secondary;
    s->verbose = options.verbose;
    return true;
}

BoardSession::BoardSession(const SessionSettings &settings) : m_settings(settings)
{
    m_since.start();
}

void BoardSession::Trace(QStringView direction, const std::uint8_t *bytes, std::size_t count) const
{
    // The seconds since the start show the pacing and the timeouts as they
    // happened; the command's name follows the bytes where the table knows it.
    QString line = QStringLiteral("%1 [%2] %3")
                       .arg(direction)
                       .arg(static_cast<double>(m_since.nsecsElapsed()) / 1e9, 0, 'f', 3)
                       .arg(QString::fromStdString(HexText(bytes, count)));
    if (count >= 4)
        if (const std::string name = CommandNameOf(bytes[2], bytes[3]); !name.empty())
            line += QStringLiteral(" (%1)").arg(QString::fromStdString(name));
    PrintErr(line);
}

BoardSession::~BoardSession()
{
    Close();
}

bool BoardSession::Open(QString *error)
{
    Close();
    m_lost = false;
    GlobalLinkSettings().cmdSndInvl.store(m_settings.intervalMs);
    const QString device = m_settings.device;
    if (!IsKnownPortDevice(device)) {
        // As the window says it: a name that leads nowhere plainly, an
        // existing file that is no character device as a name it cannot use.
        const bool exists = IsValidPortName(device) && QFileInfo::exists(PortDevicePath(device));
        *error = exists ? CliText::tr("解析串口号失败COM口=%1").arg(device)
                        : CliText::tr("串口 %1 不存在").arg(PrintablePortName(device));
        return false;
    }
    const LineSettings &l = m_settings.line;
    if (!m_com.InitPort(this, PortDevicePath(device), l.baud, l.parity, l.dataBits, l.stopBits)) {
        *error = OpenFailureText(device, m_com.m_dwOpenError);
        return false;
    }
    if (!m_com.StartMonitoring()) {
        m_com.StopMonitoring();
        *error = OpenFailureText(device, m_com.m_dwOpenError);
        return false;
    }
    m_open = true;
    return true;
}

void BoardSession::Close()
{
    if (!m_open)
        return;
    m_open = false;
    m_com.StopMonitoring();
}

BoardSession::Reply BoardSession::Request(std::span<const std::uint8_t> payload, int tries)
{
    Reply reply;
    if (payload.size() < 3)
        return reply;
    const std::uint8_t cls = static_cast<std::uint8_t>(payload[1] | 0x80);
    const std::uint8_t code = static_cast<std::uint8_t>(payload[2] | 0x80);
    Gathering one;
    one.accept = [cls, code](std::uint8_t c, std::uint8_t k) { return c == cls && k == code; };
    one.done = [](const std::vector<std::vector<std::uint8_t>> &frames) { return !frames.empty(); };
    Gathered got = Gather(payload, one, tries);
    reply.outcome = got.outcome;
    reply.badChecksums = got.badChecksums;
    if (!got.frames.empty())
        reply.frame = std::move(got.frames.front());
    return reply;
}

BoardSession::Gathered BoardSession::Gather(std::span<const std::uint8_t> payload, const Gathering &gathering,
                                            int tries)
{
    Gathered got;
    int bad = 0;
    for (int i = 0; i < tries; ++i) {
        got = TryOnce(payload, gathering);
        bad += got.badChecksums;
        if (got.outcome != Outcome::NoAnswer)
            break;
    }
    got.badChecksums = bad;
    if (got.outcome == Outcome::NoAnswer && bad > 0)
        PrintErr(CliText::tr("收到 %1 个校验码错误的应答").arg(bad));
    return got;
}

BoardSession::Gathered BoardSession::TryOnce(std::span<const std::uint8_t> payload, const Gathering &gathering)
{
    Gathered got;
    if (!m_open || m_lost) {
        got.outcome = Outcome::Lost;
        return got;
    }
    if (InterruptWatch::Interrupted()) {
        got.outcome = Outcome::Interrupted;
        return got;
    }
    BuildResult built = BuildFrame(payload.data(), payload.size());
    if (!built.entry)
        return got;
    if (m_settings.verbose)
        Trace(u"→", built.entry->data(), built.entry->size());
    // A frame of an earlier try that never left gives way to this one.
    m_com.ClearTxQueue();
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    connect(&InterruptWatch::Install(), &InterruptWatch::Raised, &loop, [this] { Finish(); });
    m_loop = &loop;
    m_timer = &timer;
    m_gathering = &gathering;
    m_gathered = &got;
    // The frame leaves at once on a quiet line, else after one interval of
    // silence; the answer's own time starts when it has left.
    timer.start(m_settings.intervalMs + m_settings.timeoutMs);
    m_com.PushTxEntry(built.entry);
    ++m_sent;
    bool complete = false;
    TakeFrames(); // frames that arrived in between
    complete = !got.frames.empty() && gathering.done(got.frames);
    if (!complete && !m_lost)
        loop.exec();
    m_loop = nullptr;
    m_timer = nullptr;
    m_gathering = nullptr;
    m_gathered = nullptr;
    if (!got.frames.empty())
        got.outcome = Outcome::Answered;
    else if (m_lost)
        got.outcome = Outcome::Lost;
    else if (InterruptWatch::Interrupted())
        got.outcome = Outcome::Interrupted;
    return got;
}

void BoardSession::Finish()
{
    if (m_loop)
        m_loop->quit();
}

bool BoardSession::event(QEvent *e)
{
    switch (static_cast<int>(e->type())) {
    case WM_FRAME_RECEIVED: TakeFrames(); return true;
    case WM_FRAME_SENT:
        if (m_timer && m_gathered && m_gathered->frames.empty())
            m_timer->start(m_settings.timeoutMs);
        return true;
    case WM_PORT_LOST:
        m_lost = true;
        Finish();
        if (m_runLoop)
            m_runLoop->quit();
        return true;
    case WM_YMODEM_SIGNAL:
        if (m_listener.onYModem)
            m_listener.onYModem(static_cast<int>(static_cast<WinMsgEvent *>(e)->wParam()));
        return true;
    case WM_PORT_IDLE:
    case WM_PORT_RXBYTE:
    case WM_PORT_WRITTEN: return true;
    default: return QObject::event(e);
    }
}

void BoardSession::TakeFrames()
{
    while (FrameEntry *entry = m_com.PopRxFrame()) {
        const std::uint8_t *f = entry->data();
        const std::size_t n = entry->size();
        if (m_settings.verbose)
            Trace(u"←", f, n);
        const bool wanted = m_gathering && m_gathered && m_gathering->accept(f[2], f[3]);
        const bool fromChosen = ((f[1] & 0x80) != 0) == m_settings.secondary;
        const bool sound = VerifyFrame(f, n);
        if (wanted && !sound)
            ++m_gathered->badChecksums;
        if (wanted && sound && fromChosen && !(m_gathered->frames.size() && m_gathering->done(m_gathered->frames))) {
            m_gathered->frames.emplace_back(f, f + n);
            if (m_gathering->done(m_gathered->frames))
                Finish();
            else if (m_timer && m_gathering->quietMs > 0)
                m_timer->start(m_gathering->quietMs);
        } else if (!m_gathering && m_listener.onFrame && sound && fromChosen) {
            m_listener.onFrame(std::vector<std::uint8_t>(f, f + n));
        }
        FrameEntryFree(entry);
    }
}

bool BoardSession::Pause(int ms)
{
    if (InterruptWatch::Interrupted())
        return false;
    if (ms <= 0)
        return true;
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    connect(&InterruptWatch::Install(), &InterruptWatch::Raised, &loop, &QEventLoop::quit);
    loop.exec();
    return !InterruptWatch::Interrupted();
}

bool BoardSession::SendFrame(std::span<const std::uint8_t> payload)
{
    if (!m_open || m_lost)
        return false;
    BuildResult built = BuildFrame(payload.data(), payload.size());
    if (!built.entry)
        return false;
    if (m_settings.verbose)
        Trace(u"→", built.entry->data(), built.entry->size());
    m_com.PushTxEntry(built.entry);
    ++m_sent;
    return true;
}

bool BoardSession::SendRaw(std::span<const std::uint8_t> bytes)
{
    if (!m_open || m_lost)
        return false;
    FrameEntry *entry = BuildRaw(bytes.data(), bytes.size());
    if (!entry)
        return false;
    m_com.PushTxEntry(entry);
    return true;
}

void BoardSession::ClearQueues()
{
    m_com.ClearTxQueue();
    m_com.ClearRxQueue();
}

bool BoardSession::Flush(int boundMs)
{
    if (!m_open || m_lost)
        return false;
    // The port thread writes a frame it has taken to its end, drained from
    // the driver, before it hears of a stop: an empty queue is enough.
    QEventLoop loop;
    QTimer check;
    check.setTimerType(Qt::PreciseTimer);
    QElapsedTimer clock;
    clock.start();
    connect(&check, &QTimer::timeout, &loop, [&] {
        if (m_com.TxQueueEmpty() || m_lost || clock.elapsed() >= boundMs)
            loop.quit();
    });
    check.start(2);
    m_runLoop = &loop;
    if (!m_com.TxQueueEmpty())
        loop.exec();
    m_runLoop = nullptr;
    return !m_lost && m_com.TxQueueEmpty();
}

int BoardSession::FlushBoundMs() const
{
    return std::min(3 * std::clamp(GlobalLinkSettings().cmdSndInvl.load(), 1, 60000) + 1000, 15000);
}

void BoardSession::SetYModemReceiver(bool on)
{
    GlobalLinkSettings().ymodemActive = on;
}

BoardSession::Outcome BoardSession::RunUntil(const std::function<bool()> &done)
{
    if (!m_open || m_lost)
        return Outcome::Lost;
    QEventLoop loop;
    QTimer check;
    check.setTimerType(Qt::PreciseTimer);
    connect(&check, &QTimer::timeout, &loop, [&] {
        if (done() || m_lost || InterruptWatch::Interrupted())
            loop.quit();
    });
    connect(&InterruptWatch::Install(), &InterruptWatch::Raised, &loop, &QEventLoop::quit);
    check.start(5);
    m_runLoop = &loop;
    if (!done())
        loop.exec();
    m_runLoop = nullptr;
    if (done())
        return Outcome::Answered;
    if (m_lost)
        return Outcome::Lost;
    return Outcome::Interrupted;
}

QString OutcomeText(BoardSession::Outcome outcome, const QString &what)
{
    switch (outcome) {
    case BoardSession::Outcome::Answered: return QString();
    case BoardSession::Outcome::NoAnswer: return CliText::tr("%1：板卡无应答").arg(what);
    case BoardSession::Outcome::Lost: return CliText::tr("%1：串口连接已断开").arg(what);
    case BoardSession::Outcome::Interrupted: return CliText::tr("%1：已中断").arg(what);
    }
    return QString();
}

int ResultCode(const std::vector<std::uint8_t> &frame)
{
    if (frame.size() < 10 || frame[4] == 0)
        return -1;
    return frame[5];
}

std::unique_ptr<BoardSession> OpenBoard(const CommonOptions &options, int *exitStatus)
{
    SessionSettings settings;
    QString error;
    if (!ResolveSession(options, &settings, &error)) {
        PrintErr(error);
        *exitStatus = kExitUsage;
        return nullptr;
    }
    auto session = std::make_unique<BoardSession>(settings);
    if (!session->Open(&error)) {
        PrintErr(error);
        *exitStatus = kExitLink;
        return nullptr;
    }
    *exitStatus = kExitOk;
    return session;
}

QString IsoTime(const QDateTime &local)
{
    return local.toOffsetFromUtc(local.offsetFromUtc()).toString(Qt::ISODate);
}
