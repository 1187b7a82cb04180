#include "link/serialcom.h"

#include "link/handover.h"
#include "link/serialworker.h"
#include "link/winmsg.h"
#include "protocol/dassert.h"

namespace {
constexpr int kStopTries = 200; // of 10 ms each
}

CSerialCom::CSerialCom() = default;

CSerialCom::~CSerialCom()
{
    StopMonitoring();
}

bool CSerialCom::InitPort(QObject *owner, const QString &device, int baud, char parity, int dataBits, int stopBits)
{
    StopMonitoring();
    m_owner = owner;
    m_portName = device;
    m_writeEvent.store(false);
    LineSettings settings{baud, parity, dataBits, stopBits};

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

bool CSerialCom::StartMonitoring()
{
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

void CSerialCom::StopMonitoring()
{
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

void CSerialCom::PushTxEntry(FrameEntry *entry)
{
    if (m_txQueue.Push(entry))
        SignalWrite();
}

bool CSerialCom::PushRxFrame(const std::uint8_t *bytes, std::size_t count)
{
    FrameEntry *entry = CopyRxFrame(bytes, count);
    if (!entry)
        return false;
    m_rxQueue.Push(entry);
    PostMsg(m_owner, WM_FRAME_RECEIVED);
    return true;
}

void CSerialCom::AttachWorker(SerialWorker *worker)
{
    std::lock_guard lock(m_workerLock);
    m_worker = worker;
}

void CSerialCom::SignalWrite()
{
    if (m_writeEvent.exchange(true))
        return; // already signalled
    std::lock_guard lock(m_workerLock);
    if (SerialWorker *worker = m_worker)
        InvokeQueued(worker, [worker] { worker->OnWriteEvent(); });
}
