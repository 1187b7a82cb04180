#include "link/serialworker.h"

#include "link/boardport.h"
#include "link/handover.h"
#include "link/linkcapture.h"
#include "link/linksettings.h"
#include "link/serialbytelink.h"
#include "link/winmsg.h"
#include "protocol/answer_watch.h"
#include "protocol/dassert.h"

#include <algorithm>

SerialWorker::SerialWorker(BoardPort &com, std::unique_ptr<ByteLink> link, const LineSettings &settings,
                           std::counting_semaphore<> &startAck, bool endThread)
    : m_com(com), m_link(std::move(link)), m_settings(settings), m_startAck(startAck), m_endThread(endThread),
      m_framer([this](const std::uint8_t *p, std::size_t n) { return m_com.PushRxFrame(p, n); },
               [](const std::uint8_t *p, std::size_t n) { LogMissTail(p, n); })
{
    m_wait.setSingleShot(true);
    m_wait.setTimerType(Qt::PreciseTimer);
    connect(&m_wait, &QTimer::timeout, this, [this] { Guarded([this] { OnTimeout(); }); });
    m_quietTimer.setSingleShot(true);
    m_quietTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_quietTimer, &QTimer::timeout, this, [this] { Guarded([this] { OnQuietTime(); }); });
    m_logRxTimer.setSingleShot(true);
    m_logRxTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_logRxTimer, &QTimer::timeout, this, [this] {
        Guarded([this] {
            m_logRx.FlushIfDue();
            ScheduleLogRx();
        });
    });
}

SerialWorker::~SerialWorker() = default;

template <typename F> void SerialWorker::Guarded(F &&step)
{
    try {
        step();
    } catch (...) {
        QThread::msleep(10);
        LogInfo("----Catch exception in SerialCom thread func.");
    }
}

bool SerialWorker::Open(std::uint32_t *openError)
{
    if (!m_link->Open()) {
        auto *serial = qobject_cast<SerialByteLink *>(m_link.get());
        *openError = serial ? serial->OpenError() : kOpenErrorOther;
        return false;
    }
    connect(m_link.get(), &ByteLink::BytesReceived, this,
            [this](const QByteArray &bytes) { Guarded([this, &bytes] { OnBytes(bytes); }); });
    connect(m_link.get(), &ByteLink::ErrorOccurred, this, [this](const QString &, bool lost) { OnLinkError(lost); });
    connect(m_link.get(), &ByteLink::Closed, this, &SerialWorker::OnLinkClosed);
    *openError = 0;
    return true;
}

void SerialWorker::Start()
{
    if (m_started || m_lost) {
        if (m_lost)
            m_com.m_bRunning.store(false); // lost before the start: there is nothing to monitor
        m_startAck.release();
        return;
    }
    d_assert(m_com.m_owner != nullptr);
    m_started = true;
    m_link->Purge();
    m_startAck.release();
    if (m_com.m_writeEvent.exchange(false))
        Guarded([this] { WriteStep(); });
    RestartWait();
}

void SerialWorker::OnWriteEvent()
{
    if (!m_started || m_lost)
        return; // the event stays set; Start picks it up
    if (!m_com.m_writeEvent.exchange(false))
        return; // already served by a write that ran before this event arrived
    // Only a line that has been quiet for a whole interval takes a frame at once;
    // otherwise the frame waits for the silence like every other queued frame.
    if (!m_quiet)
        return;
    Guarded([this] {
        if (WriteStep())
            RestartWait();
    });
}

void SerialWorker::RestartWait()
{
    if (m_lost)
        return;
    // The interval is read afresh for every wait, so a change applies from the next one.
    m_wait.start(std::clamp(GlobalLinkSettings().cmdSndInvl.load(), 1, 60000));
}

bool SerialWorker::WriteStep()
{
    if (m_lost || !m_link->IsOpen() || m_com.m_txQueue.Empty())
        return false;
    m_com.m_writeEvent.store(false); // one write per signal, whoever asked for it
    m_quiet = false;
    m_link->Purge(); // stale input goes
    // So does a partial frame the framer still holds: the answer to this
    // request must not be read behind a false head.
    m_framer.OnQuiet();
    m_quietTimer.stop();
    FrameEntry *entry = m_com.m_txQueue.PopFront();
    if (!entry)
        return false;
    std::size_t count = entry->ety_len;
    qint64 written =
        m_link->Write(QByteArray(reinterpret_cast<const char *>(entry->ety_buf), static_cast<qsizetype>(count)));
    // The owner watches for the answer of a request frame: its kind and its wire time.
    RequestKey key = GlobalLinkSettings().ymodemActive.load() ? 0 : WatchedRequestKey(entry->ety_buf, count);
    CaptureSent(entry->ety_buf, written > 0 ? static_cast<std::size_t>(written) : 0);
    FrameEntryFree(entry);
    PostMsg(m_com.m_owner, WM_FRAME_SENT, written == static_cast<qint64>(count) ? key : 0,
            WireTimeMs(count, m_settings));
    if (written != static_cast<qint64>(count))
        ReportPortError(QStringLiteral("WriteFile()"), m_link->ErrorText());
    else
        m_link->Drain(count);
    return true;
}

void SerialWorker::OnBytes(const QByteArray &bytes)
{
    if (!m_started || m_lost)
        return; // bytes before the start are purged by Start
    CaptureReceived(reinterpret_cast<const std::uint8_t *>(bytes.constData()), static_cast<std::size_t>(bytes.size()));
    m_quiet = false;
    for (char c : bytes)
        HandleByte(static_cast<std::uint8_t>(c));
    ScheduleLogRx();
    RestartWait(); // every received byte restarts the silence
    if (m_framer.Unread() > 0)
        m_quietTimer.start(QuietTimeMs(m_settings));
    else
        m_quietTimer.stop();
}

void SerialWorker::OnQuietTime()
{
    if (m_lost || !m_started)
        return;
    m_framer.OnQuiet();
}

void SerialWorker::ScheduleLogRx()
{
    const int ms = m_logRx.MsUntilDue();
    if (ms < 0)
        m_logRxTimer.stop();
    else
        m_logRxTimer.start(ms);
}

void SerialWorker::HandleByte(std::uint8_t byte)
{
    LinkSettings &settings = GlobalLinkSettings();
    bool echo = settings.rxEcho.load();
    if (echo)
        m_logRx.LogRxByte(byte);
    if (settings.ymodemActive.load()) {
        // Only the owner is posted to; it hands the signal to its receiver.
        if (int signal = YModemSignal(byte))
            PostMsg(m_com.m_owner, WM_YMODEM_SIGNAL, signal);
        PostMsg(m_com.m_owner, WM_PORT_RXBYTE, 0, 1);
    } else {
        m_framer.StoreByte(byte);
    }
    if (echo)
        PostMsg(m_com.m_owner, WM_PORT_RXBYTE, byte, 0);
}

void SerialWorker::OnTimeout()
{
    if (m_lost)
        return;
    m_quiet = true;
    if (m_com.m_txQueue.Empty())
        PostMsg(m_com.m_owner, WM_PORT_IDLE);
    else
        WriteStep();
    if (!m_com.m_rxQueue.Empty())
        PostMsg(m_com.m_owner, WM_FRAME_RECEIVED);
    RestartWait();
}

void SerialWorker::OnLinkError(bool lost)
{
    // The link has written its own report; a failure it survives changes nothing here.
    if (lost)
        Lose();
}

void SerialWorker::OnLinkClosed()
{
    if (!m_closing)
        Lose(); // closed from the other side
}

// A lost link is noted once and handled outside the link's own signal.
void SerialWorker::Lose()
{
    if (m_lost)
        return;
    m_lost = true;
    m_wait.stop();
    m_quietTimer.stop();
    QMetaObject::invokeMethod(this, &SerialWorker::OnLost, Qt::QueuedConnection);
}

void SerialWorker::OnLost()
{
    Shutdown();
    PostMsg(m_com.m_owner, WM_PORT_LOST);
    if (m_endThread)
        QThread::currentThread()->quit();
}

void SerialWorker::Shutdown()
{
    m_wait.stop();
    m_quietTimer.stop();
    m_logRxTimer.stop();
    m_logRx.Flush(); // the last answer before the close is kept too
    m_closing = true;
    m_link->Close();
    m_com.m_bRunning.store(false);
    m_com.ClearRxQueue();
    m_com.ClearTxQueue();
}

SerialThread::SerialThread(BoardPort &com, const LineSettings &settings) : m_com(com), m_settings(settings) {}

bool SerialThread::WaitOpened(std::uint32_t *openError)
{
    m_opened.acquire();
    *openError = m_openError.load();
    return m_openOk.load();
}

void SerialThread::run()
{
    SerialWorker worker(m_com, m_com.MakeLink(m_settings), m_settings, m_started, true);
    std::uint32_t openError = 0;
    m_openOk = worker.Open(&openError);
    m_openError = openError;
    if (m_openOk)
        m_com.AttachWorker(&worker);
    m_opened.release();
    if (m_openOk) {
        exec();
        m_com.AttachWorker(nullptr);
        worker.Shutdown();
    }
    m_started.release();   // nobody waits for a start that can no longer come
    HandOverRelease(this); // the owner joins with wait()
}
