// The receive path of the main window: one frame per WM_FRAME_RECEIVED,
// its log row, the checksum test, the choice between the main and the
// secondary board with the per-board cache of status responses, and the
// routing of each response to the page operation that shows it.
#pragma once

#include "app/framework/rxroutes.h"
#include "protocol/frame.h"

#include <array>
#include <cstdint>

class CPylvexDlg;
class CCfgPageBase;

struct CachedFrame {
    std::uint8_t bytes[kFrameMaxLen];
    int len = 0;            // 0 = nothing cached yet
    std::uint32_t time = 0; // ms-of-day clock
};

class RxDispatcher {
public:
    // The 27 status codes kept per board, in replay order.
    static constexpr std::array<std::uint8_t, 27> kCachedCodes = {0x81, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89,
                                                                  0x90, 0x91, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98,
                                                                  0x99, 0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7};
    static constexpr std::uint32_t kReplayAgeMs = 120000;

    explicit RxDispatcher(CPylvexDlg &dlg);

    // Takes one frame off the receive queue, handles it, and posts the
    // message again while frames wait.
    void OnFrameReceived();
    // Steps of one frame: log row, checksum, cache, routing, receive lamp.
    void HandleFrame(const std::uint8_t *frame, int len);

    void DispatchClass81(const std::uint8_t *frame, int len) { Dispatch(frame, len); }
    void DispatchClass82(const std::uint8_t *frame, int len) { Dispatch(frame, len); }
    void DispatchClass83(const std::uint8_t *frame, int len) { Dispatch(frame, len); }
    void DispatchClass85(const std::uint8_t *frame, int len) { Dispatch(frame, len); }

    // A new board choice (1 main, 0 secondary); the port-closed row, the page
    // clearing, the queues and the replay of the new board's recent status.
    void SwitchBoard(int mainSelected);

    int m_bMainSelected = 1;
    bool m_bSecondarySeen = false;
    std::array<CachedFrame, 27> m_mainCache;
    std::array<CachedFrame, 27> m_secondaryCache;
    // Clock of the cache (tests move it).
    std::uint32_t (*m_clock)() = nullptr;

private:
    bool FromSelectedBoard(const std::uint8_t *frame) const;
    void CacheFrame(const std::uint8_t *frame, int len);
    void Dispatch(const std::uint8_t *frame, int len);
    void RunRoute(const RxRoute &route, CCfgPageBase *page, const std::uint8_t *frame, int len);
    std::uint32_t Now() const;

    CPylvexDlg &m_dlg;
};
