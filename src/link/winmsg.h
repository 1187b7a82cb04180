// Messages between the parts: posted Qt events whose type numbers are the
// fixed message numbers (WM_USER = 1024), carrying wParam and lParam.
#pragma once

#include "link/handover.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>

#include <cstdint>

inline constexpr int WM_USER = 1024;
inline constexpr int WM_PORT_BREAK = WM_USER + 1;
inline constexpr int WM_PORT_CTS = WM_USER + 2;
inline constexpr int WM_PORT_ERROR = WM_USER + 4;
inline constexpr int WM_PORT_RING = WM_USER + 5;
inline constexpr int WM_PORT_RXBYTE = WM_USER + 7;
inline constexpr int WM_PORT_RXFLAG = WM_USER + 8;
inline constexpr int WM_PORT_WRITTEN = WM_USER + 9;
inline constexpr int WM_FRAME_RECEIVED = WM_USER + 10;
// wParam: the kind of the request written (RequestKey), 0 for other bytes; lParam: its wire time in ms.
inline constexpr int WM_FRAME_SENT = WM_USER + 11;
inline constexpr int WM_READ_PARAM = WM_USER + 12;
inline constexpr int WM_WRITE_PARAM = WM_USER + 13;
inline constexpr int WM_SHOW_PAGE = WM_USER + 14;
inline constexpr int WM_UNLOCK_REQUEST = WM_USER + 15;
inline constexpr int WM_PORT_IDLE = WM_USER + 16;
inline constexpr int WM_YMODEM_SIGNAL = WM_USER + 17;
// Not a message of the original: the port thread tells the owner the device is gone.
inline constexpr int WM_PORT_LOST = WM_USER + 30;

class WinMsgEvent : public QEvent {
public:
    WinMsgEvent(int msg, std::intptr_t wParam, std::intptr_t lParam)
        : QEvent(static_cast<QEvent::Type>(msg)), m_wParam(wParam), m_lParam(lParam)
    {
        HandOverRelease(this); // read and freed by the receiver's thread
    }
    ~WinMsgEvent() override { HandOverAcquire(this); }
    static void *operator new(std::size_t size) { return HandOverAllocate(size); }
    static void operator delete(void *p) { ::operator delete(p); }
    int Msg() const { return static_cast<int>(type()); }
    std::intptr_t wParam() const
    {
        HandOverAcquire(this);
        return m_wParam;
    }
    std::intptr_t lParam() const
    {
        HandOverAcquire(this);
        return m_lParam;
    }

private:
    std::intptr_t m_wParam;
    std::intptr_t m_lParam;
};

// Posts a message; safe from any thread. Does nothing without a receiver.
inline void PostMsg(QObject *receiver, int msg, std::intptr_t wParam = 0, std::intptr_t lParam = 0)
{
    if (receiver)
        QCoreApplication::postEvent(receiver, new WinMsgEvent(msg, wParam, lParam));
}
