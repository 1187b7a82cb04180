#include "link/boardport.h"

#include "link/handover.h"
#include "link/linkcapture.h"
#include "link/portdiscovery.h"
#include "link/serialbytelink.h"
#include "link/serialworker.h"
#include "link/winmsg.h"
#include "protocol/dassert.h"

namespace {
constexpr int kStopTries = 200; // of 10 ms each
}

BoardPort::BoardPort() = default;

BoardPort::~BoardPort()
{
    StopMonitoring();
}

bool BoardPort::InitPort(QObject *owner, const QString &device, int baud, char parity, int dataBits, int stopBits)
{
    StopMonitoring();
    m_owner = owner;
    m_portName = device;
    m_writeEvent.store(false);
    LineSettings settings{baud, parity, dataBits, stopBits};
    NoteCapturedPort(device, settings);
    if (!m_ownThread)
        return InitInThread(settings);

    auto thread = std::make_unique<SerialThread>(*this, settings);
    thread->start();
    std::uint32_t error = 0;
    if (!thread->WaitOpened(&error)) {
        thread->wait();
        HandOverAcquire(thread.get()); // the thread has ended
        m_dwOpenError = error;
        return false;
    }
    m_thread = std::move(thread);
    m_dwOpenError = 0;
    ClearRxQueue();
    ClearTxQueue();
    return true;
}

bool BoardPort::InitInThread(const LineSettings &settings)
{
    auto worker = std::make_unique<SerialWorker>(*this, MakeLink(settings), settings, m_inThreadStarted, false);
    std::uint32_t error = 0;
    if (!worker->Open(&error)) {
        m_dwOpenError = error;
        return false;
    }
    m_inThreadWorker = std::move(worker);
    AttachWorker(m_inThreadWorker.get());
    m_dwOpenError = 0;
    ClearRxQueue();
    ClearTxQueue();
    return true;
}

std::unique_ptr<ByteLink> BoardPort::MakeLink(const LineSettings &settings) const
{
    if (m_linkMaker)
        return m_linkMaker(m_portName, settings);
    return std::make_unique<SerialByteLink>(m_portName, settings);
}

void BoardPort::SetLinkMaker(BoardLinkMaker maker, bool ownThread)
{
    StopMonitoring();
    m_linkMaker = std::move(maker);
    m_ownThread = !m_linkMaker || ownThread;
}

bool BoardPort::IsKnownDevice(const QString &device) const
{
    return m_linkMaker ? !device.trimmed().isEmpty() : IsKnownPortDevice(device);
}

bool BoardPort::StartMonitoring()
{
    if (m_inThreadWorker) {
        m_bRunning.store(true);
        m_inThreadWorker->Start();
        m_inThreadStarted.acquire();
        return IsRunning();
    }
    {
        std::lock_guard lock(m_workerLock);
        if (!m_worker || !m_thread)
            return false;
        m_bRunning.store(true);
        SerialWorker *worker = m_worker;
        InvokeQueued(worker, [worker] { worker->Start(); });
    }
    // Returns once the thread monitors (or has ended), so nothing received
    // afterwards is purged by the start.
    m_thread->WaitStarted();
    return IsRunning();
}

void BoardPort::StopMonitoring()
{
    if (m_inThreadWorker) {
        AttachWorker(nullptr);
        m_inThreadWorker->Shutdown();
        m_inThreadWorker.reset();
    }
    if (m_thread) {
        m_thread->quit();
        int nLoop = kStopTries;
        while (nLoop > 0 && !m_thread->wait(10))
            --nLoop;
        d_assert(nLoop > 0);
        // Every step of the thread is bounded, so it does end.
        m_thread->wait();
        HandOverAcquire(m_thread.get()); // the thread has ended
        m_thread.reset();
    }
    m_bRunning.store(false);
    ClearRxQueue();
    ClearTxQueue();
}

void BoardPort::PushTxEntry(FrameEntry *entry)
{
    if (m_txQueue.Push(entry))
        SignalWrite();
}

bool BoardPort::PushRxFrame(const std::uint8_t *bytes, std::size_t count)
{
    FrameEntry *entry = CopyRxFrame(bytes, count);
    if (!entry)
        return false;
    m_rxQueue.Push(entry);
    PostMsg(m_owner, WM_FRAME_RECEIVED);
    return true;
}

void BoardPort::AttachWorker(SerialWorker *worker)
{
    std::lock_guard lock(m_workerLock);
    m_worker = worker;
}

void BoardPort::SignalWrite()
{
    if (m_writeEvent.exchange(true))
        return; // already signalled
    std::lock_guard lock(m_workerLock);
    if (SerialWorker *worker = m_worker)
        InvokeQueued(worker, [worker] { worker->OnWriteEvent(); });
}
