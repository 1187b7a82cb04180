#include "link/serialworker.h"

#include "link/handover.h"
#include "link/linksettings.h"
#include "link/serialcom.h"
#include "link/winmsg.h"
#include "protocol/answer_watch.h"
#include "protocol/dassert.h"

#include <QElapsedTimer>

#include <algorithm>
#include <sys/ioctl.h>

namespace {
// Time the wire needs for count bytes at the configured rate, in ms.
int WireTimeMs(std::size_t count, const LineSettings &s)
{
    int bitsPerByte = 1 + s.dataBits + (s.parity == 'N' ? 0 : 1) + (s.stopBits == 0 ? 1 : 2);
    return static_cast<int>(static_cast<long long>(count) * bitsPerByte * 1000 / std::max(s.baud, 1)) + 1;
}
} // namespace

SerialWorker::SerialWorker(CSerialCom &com, const LineSettings &settings, std::counting_semaphore<> &startAck)
    : m_com(com), m_settings(settings), m_startAck(startAck),
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
    QString path = DevicePath(m_com.m_portName);
    if (GlobalLinkSettings().logDebug.load())
        LogInfoText(QStringLiteral("Open %1 by %2").arg(path, SettingsText(m_settings)));
    m_port.setPortName(path);
    if (!m_port.open(QIODevice::ReadWrite)) {
        *openError = OpenErrorCode(m_port.error(), path);
        return false;
    }
    QString call, reason;
    if (!ApplyLineSettings(m_port, m_settings, &call, &reason))
        ReportPortError(call, reason);
    // The modem lines do not exist on every device (a pseudo-terminal has none).
    if (!m_port.setRequestToSend(true))
        ReportPortError(QStringLiteral("SetCommState()"), m_port.errorString());
    m_port.clearError();
    m_port.clear(QSerialPort::AllDirections);
    connect(&m_port, &QSerialPort::readyRead, this, [this] { Guarded([this] { OnReadyRead(); }); });
    connect(&m_port, &QSerialPort::errorOccurred, this, &SerialWorker::OnError);
    *openError = 0;
    return true;
}

void SerialWorker::Start()
{
    if (m_started || m_lost) {
        m_startAck.release();
        return;
    }
    d_assert(m_com.m_owner != nullptr);
    m_started = true;
    m_port.clear(QSerialPort::AllDirections);
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
    if (m_lost || !m_port.isOpen() || m_com.m_txQueue.Empty())
        return false;
    m_com.m_writeEvent.store(false); // one write per signal, whoever asked for it
    m_quiet = false;
    m_port.clear(QSerialPort::AllDirections); // stale input goes
    FrameEntry *entry = m_com.m_txQueue.PopFront();
    if (!entry)
        return false;
    std::size_t count = entry->ety_len;
    qint64 written = m_port.write(reinterpret_cast<const char *>(entry->ety_buf), static_cast<qint64>(count));
    // The owner watches for the answer of a request frame: its kind and its wire time.
    RequestKey key = GlobalLinkSettings().ymodemActive.load() ? 0 : WatchedRequestKey(entry->ety_buf, count);
    FrameEntryFree(entry);
    PostMsg(m_com.m_owner, WM_FRAME_SENT, written == static_cast<qint64>(count) ? key : 0,
            WireTimeMs(count, m_settings));
    if (written != static_cast<qint64>(count))
        ReportPortError(QStringLiteral("WriteFile()"), m_port.errorString());
    else
        WaitWritten(count);
    return true;
}

// The write is complete when the bytes have left the wire: only then may the
// next write's purge run without cutting this frame short. Bounded.
void SerialWorker::WaitWritten(std::size_t count)
{
    int wire = WireTimeMs(count, m_settings);
    int bound = 2 * wire + 1000;
    QElapsedTimer clock;
    clock.start();
    while (!m_lost && m_port.isOpen() && m_port.bytesToWrite() > 0 && clock.elapsed() < bound)
        m_port.waitForBytesWritten(static_cast<int>(bound - clock.elapsed()));
    if (m_lost || !m_port.isOpen())
        return;
    int pending = 0;
    while (::ioctl(static_cast<int>(m_port.handle()), TIOCOUTQ, &pending) == 0 && pending > 0 &&
           clock.elapsed() < bound) {
        int ms = std::max(1, WireTimeMs(static_cast<std::size_t>(pending), m_settings));
        QThread::msleep(static_cast<unsigned long>(std::min(ms, 20)));
    }
}

void SerialWorker::OnReadyRead()
{
    if (!m_started || m_lost)
        return; // bytes before the start are purged by Start
    QByteArray bytes = m_port.readAll();
    if (bytes.isEmpty())
        return;
    m_quiet = false;
    for (char c : bytes)
        HandleByte(static_cast<std::uint8_t>(c));
    ScheduleLogRx();
    RestartWait(); // every received byte restarts the silence
    if (m_framer.Unread() > 0)
        m_quietTimer.start(QuietTimeMs(m_settings, GlobalLinkSettings().cmdSndInvl.load()));
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

void SerialWorker::OnError(QSerialPort::SerialPortError error)
{
    if (m_lost || !m_port.isOpen() || !IsLostLinkError(error))
        return;
    // A pulled device repeats its error as long as the port stays open: note it
    // once and close outside the port's own signal.
    m_lost = true;
    m_wait.stop();
    m_quietTimer.stop();
    ReportPortError(error == QSerialPort::WriteError ? QStringLiteral("WriteFile()") : QStringLiteral("ReadFile()"),
                    LostLinkReason(static_cast<int>(m_port.handle())));
    QMetaObject::invokeMethod(this, &SerialWorker::OnLost, Qt::QueuedConnection);
}

void SerialWorker::OnLost()
{
    Shutdown();
    PostMsg(m_com.m_owner, WM_PORT_LOST);
    QThread::currentThread()->quit();
}

void SerialWorker::Shutdown()
{
    m_wait.stop();
    m_quietTimer.stop();
    m_logRxTimer.stop();
    m_logRx.Flush(); // the last answer before the close is kept too
    if (m_port.isOpen())
        m_port.close();
    m_com.m_bRunning.store(false);
    m_com.ClearRxQueue();
    m_com.ClearTxQueue();
}

SerialThread::SerialThread(CSerialCom &com, const LineSettings &settings) : m_com(com), m_settings(settings) {}

bool SerialThread::WaitOpened(std::uint32_t *openError)
{
    m_opened.acquire();
    *openError = m_openError.load();
    return m_openOk.load();
}

void SerialThread::run()
{
    SerialWorker worker(m_com, m_settings, m_started);
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
