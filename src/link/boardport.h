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

    // Who pushes a frame: 0 for the pages and their timers, the holder's own
    // id for the frames of the sender that holds the line.
    using TxSender = std::uintptr_t;
    // Takes ownership; wakes the thread when the queue was empty. While the
    // line is held by another sender the frame waits for the hold to end.
    void PushTxEntry(FrameEntry *entry, TxSender from = 0);

    // An upgrade holds the line: while it does, only the frames it pushes
    // with its own id are written; every other sender's frames, those queued
    // when the hold began among them, wait in the order they came and follow
    // once it ends. Nothing is dropped by the hold. One holder at a time:
    // false for another holder (or id 0) while the line is held.
    bool HoldLine(TxSender holder);
    // Ends the hold of holder; a call by anyone else changes nothing.
    void ReleaseLine(TxSender holder);
    bool LineHeld() const;
    // No frame waits for a hold to end.
    bool HeldBackEmpty() const { return m_heldBack.Empty(); }
    // Copies a received frame into the receive queue and posts WM_FRAME_RECEIVED.
    bool PushRxFrame(const std::uint8_t *bytes, std::size_t count);
    // nullptr when empty; the caller frees the entry with FrameEntryFree.
    FrameEntry *PopRxFrame() { return m_rxQueue.PopFront(); }
    // Takes the next frame waiting to be written (for a caller that empties the queue itself).
    FrameEntry *PopTxFrame() { return m_txQueue.PopFront(); }
    bool RxQueueEmpty() const { return m_rxQueue.Empty(); }
    // The frames the port may write now: during a hold, the holder's.
    bool TxQueueEmpty() const { return m_txQueue.Empty(); }
    void ClearRxQueue() { m_rxQueue.Clear(); }
    // Empties the send queue; frames waiting for a hold to end stay (they go
    // only when the port closes).
    void ClearTxQueue() { m_txQueue.Clear(); }

    std::uint32_t m_dwOpenError = 0;

private:
    friend class SerialWorker;
    friend class SerialThread;

    void AttachWorker(SerialWorker *worker);
    void SignalWrite();
    // The port closes: every frame goes, those held back too.
    void ClearAllTx();
    std::unique_ptr<ByteLink> MakeLink(const LineSettings &settings) const;
    bool InitInThread(const LineSettings &settings);

    QObject *m_owner = nullptr;
    QString m_portName;
    std::atomic<bool> m_bRunning{false};
    std::atomic<bool> m_writeEvent{false};
    FrameQueue m_rxQueue;
    FrameQueue m_txQueue;
    mutable std::mutex m_holdLock; // the holder, and the order of pushes against a hold's start and end
    TxSender m_holder = 0;
    FrameQueue m_heldBack;   // other senders' frames while the line is held
    std::mutex m_workerLock; // guards m_worker against the thread's end
    SerialWorker *m_worker = nullptr;
    std::unique_ptr<SerialThread> m_thread;
    BoardLinkMaker m_linkMaker;
    bool m_ownThread = true;
    // The monitoring of an opening without a thread of its own.
    std::unique_ptr<SerialWorker> m_inThreadWorker;
    std::counting_semaphore<> m_inThreadStarted{0};
};
