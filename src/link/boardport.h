// The serial port that leads to the board: opens and configures it, runs one
// monitoring thread per opening that writes queued frames one at a time with
// the command interval between them, reads every byte, cuts frames and queues
// them for the owner window, which it reaches only by posted messages.
//
// Each opening runs over a byte link: the serial device by default, or the
// links a link maker makes (the simulated board in the same process, for
// example), whose monitoring may run on the opening thread's event loop.
#pragma once

#include "link/serialline.h"
#include "protocol/frame.h"
#include "protocol/frame_queue.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <semaphore>

class ByteLink;
class SerialThread;
class SerialWorker;

// Makes the link of one opening of the port, given the device name and the
// line settings of that opening.
using BoardLinkMaker = std::function<std::unique_ptr<ByteLink>(const QString &device, const LineSettings &settings)>;

class BoardPort {
public:
    BoardPort();
    virtual ~BoardPort();
    BoardPort(const BoardPort &) = delete;
    BoardPort &operator=(const BoardPort &) = delete;

    // Opens and configures the port; a thread left from an earlier opening is
    // stopped first. False only when the port cannot be opened (m_dwOpenError).
    bool InitPort(QObject *owner, const QString &device, int baud, char parity, int dataBits, int stopBits);
    // Starts monitoring the port opened by InitPort.
    bool StartMonitoring();
    // Asks the thread to stop and waits (bounded) until it has ended; the port
    // is closed and both queues are empty afterwards.
    void StopMonitoring();
    bool IsRunning() const { return m_bRunning.load(); }

    // Later openings run over the links maker makes; an empty maker returns
    // to the serial device. With ownThread false the monitoring runs on the
    // thread that opens the port, for a link that lives on that thread.
    void SetLinkMaker(BoardLinkMaker maker, bool ownThread);
    // Whether InitPort may try the name: a device that exists, or any name
    // while a link maker is set (the maker decides).
    bool IsKnownDevice(const QString &device) const;
    QString PortName() const { return m_portName; }
    QObject *Owner() const { return m_owner; }

    // Takes ownership; wakes the thread when the queue was empty.
    void PushTxEntry(FrameEntry *entry);
    // Copies a received frame into the receive queue and posts WM_FRAME_RECEIVED.
    bool PushRxFrame(const std::uint8_t *bytes, std::size_t count);
    // nullptr when empty; the caller frees the entry with FrameEntryFree.
    FrameEntry *PopRxFrame() { return m_rxQueue.PopFront(); }
    // Takes the next frame waiting to be written (for a caller that empties the queue itself).
    FrameEntry *PopTxFrame() { return m_txQueue.PopFront(); }
    bool RxQueueEmpty() const { return m_rxQueue.Empty(); }
    bool TxQueueEmpty() const { return m_txQueue.Empty(); }
    void ClearRxQueue() { m_rxQueue.Clear(); }
    void ClearTxQueue() { m_txQueue.Clear(); }

    std::uint32_t m_dwOpenError = 0;

private:
    friend class SerialWorker;
    friend class SerialThread;

    void AttachWorker(SerialWorker *worker);
    void SignalWrite();
    std::unique_ptr<ByteLink> MakeLink(const LineSettings &settings) const;
    bool InitInThread(const LineSettings &settings);

    QObject *m_owner = nullptr;
    QString m_portName;
    std::atomic<bool> m_bRunning{false};
    std::atomic<bool> m_writeEvent{false};
    FrameQueue m_rxQueue;
    FrameQueue m_txQueue;
    std::mutex m_workerLock; // guards m_worker against the thread's end
    SerialWorker *m_worker = nullptr;
    std::unique_ptr<SerialThread> m_thread;
    BoardLinkMaker m_linkMaker;
    bool m_ownThread = true;
    // The monitoring of an opening without a thread of its own.
    std::unique_ptr<SerialWorker> m_inThreadWorker;
    std::counting_semaphore<> m_inThreadStarted{0};
};
