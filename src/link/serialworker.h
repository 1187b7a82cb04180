// The monitoring side of the board port: it owns the byte link of one
// opening, writes a frame pushed on an empty queue at once on a line quiet
// for a whole command interval and every other frame after one interval of
// silence, frames every received byte, and tells the owner window by posted
// messages. It lives in the port's own thread, or, for a link in the same
// process, on the thread that opened the port.
#pragma once

#include "files/logfiles.h"
#include "link/bytelink.h"
#include "link/serialline.h"
#include "protocol/framer.h"

#include <QObject>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <cstdint>
#include <memory>
#include <semaphore>

class BoardPort;

// Every member is touched by the worker's thread only.
class SerialWorker : public QObject {
    Q_OBJECT
public:
    // startAck is released once Start has run. With endThread the thread the
    // worker lives in ends when the link is lost.
    SerialWorker(BoardPort &com, std::unique_ptr<ByteLink> link, const LineSettings &settings,
                 std::counting_semaphore<> &startAck, bool endThread);
    ~SerialWorker() override;

    bool Open(std::uint32_t *openError);
    void Start();
    void OnWriteEvent();
    // Closes the link and empties both queues.
    void Shutdown();

private:
    void OnBytes(const QByteArray &bytes);
    void OnTimeout();
    void OnLinkError(bool lost);
    void OnLinkClosed();
    void Lose();
    void OnLost();
    bool WriteStep();
    void RestartWait();
    void HandleByte(std::uint8_t byte);
    // No byte for the quiet time while the framer holds some: give them up.
    void OnQuietTime();
    // Times the pending Log_RX line, so a burst's tail is written without
    // waiting for a later byte.
    void ScheduleLogRx();
    template <typename F> void Guarded(F &&step);

    BoardPort &m_com;
    std::unique_ptr<ByteLink> m_link;
    LineSettings m_settings;
    std::counting_semaphore<> &m_startAck;
    bool m_endThread;
    QTimer m_wait;
    QTimer m_quietTimer; // runs while the framer holds bytes that form no frame yet
    QTimer m_logRxTimer; // runs while a Log_RX line waits for its time
    RxFramer m_framer;
    LogRxBuffer m_logRx;
    bool m_started = false;
    bool m_lost = false;
    bool m_closing = false; // Shutdown closes the link: its Closed() is no loss
    bool m_quiet = true;    // no write and no byte for a whole interval
};

// One opening of the port on a thread of its own: run() makes the link and
// opens it, reports the result to InitPort, then runs the event loop until
// asked to stop or the link is lost.
class SerialThread : public QThread {
public:
    SerialThread(BoardPort &com, const LineSettings &settings);
    // Blocks until run() has tried to open the port.
    bool WaitOpened(std::uint32_t *openError);
    // Blocks until the worker has started monitoring or the thread has ended.
    void WaitStarted() { m_started.acquire(); }

protected:
    void run() override;

private:
    BoardPort &m_com;
    LineSettings m_settings;
    std::binary_semaphore m_opened{0};
    std::counting_semaphore<> m_started{0};
    std::atomic<bool> m_openOk{false};
    std::atomic<std::uint32_t> m_openError{0};
};
