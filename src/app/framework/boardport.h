// The board port object of the main window. Until the port object is part of
// the link layer, a stand-in with its interface keeps the queues and refuses
// to open (it does no I/O).
#pragma once

#if __has_include("link/serialcom.h")
#include "link/serialcom.h"
#else
#include "link/winmsg.h"
#include "protocol/frame_queue.h"

#include <QObject>
#include <QString>

#include <cstdint>

inline constexpr std::uint32_t kOpenErrorBusy = 5;
inline constexpr std::uint32_t kOpenErrorAccess = 13;
inline int FlashTime(int interval)
{
    return interval >= 150 ? 100 : interval >= 100 ? interval / 2 : 50;
}

class CSerialCom {
public:
    bool InitPort(QObject *owner, const QString &device, int, char, int, int)
    {
        m_owner = owner;
        m_name = device;
        m_dwOpenError = 2;
        return false;
    }
    bool StartMonitoring() { return false; }
    void StopMonitoring() { ClearTxQueue(), ClearRxQueue(); }
    bool IsRunning() const { return false; }
    QString PortName() const { return m_name; }
    void PushTxEntry(FrameEntry *entry) { m_tx.Push(entry); }
    bool PushRxFrame(const std::uint8_t *bytes, std::size_t n)
    {
        FrameEntry *entry = CopyRxFrame(bytes, n);
        if (!entry)
            return false;
        m_rx.Push(entry);
        PostMsg(m_owner, WM_FRAME_RECEIVED);
        return true;
    }
    FrameEntry *PopRxFrame() { return m_rx.PopFront(); }
    FrameEntry *PopTxFrame() { return m_tx.PopFront(); }
    bool RxQueueEmpty() const { return m_rx.Empty(); }
    void ClearRxQueue() { m_rx.Clear(); }
    void ClearTxQueue() { m_tx.Clear(); }

    std::uint32_t m_dwOpenError = 0;

private:
    QObject *m_owner = nullptr;
    QString m_name;
    FrameQueue m_tx;
    FrameQueue m_rx;
};
#endif
