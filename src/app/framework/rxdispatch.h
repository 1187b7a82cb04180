// The receive path: one frame at a time, its log row, the checksum test, the
// choice between the main and the secondary board with the per-board cache
// of status responses, and the routing of each response to the page
// operations the registered pages serve (PageRegistry).
#pragma once

#include "app/framework/pageregistry.h"
#include "protocol/answer_watch.h"
#include "protocol/frame.h"

#include <QDateTime>

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

class PageHost;
class PageBase;
class RowPageBase;

struct CachedFrame {
    std::uint8_t bytes[kFrameMaxLen];
    int len = 0;           // 0 = nothing cached yet
    std::int64_t time = 0; // when it came, on the monotonic clock (ms)
};

class RxDispatcher {
public:
    // The 27 status codes kept per board, in replay order.
    static constexpr std::array<std::uint8_t, 27> kCachedCodes = {0x81, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89,
                                                                  0x90, 0x91, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98,
                                                                  0x99, 0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7};
    static constexpr std::int64_t kReplayAgeMs = 120000;

    RxDispatcher(PageHost &host, PageRegistry &pages);

    // Steps of one frame: log row, checksum, cache, routing, receive lamp.
    void HandleFrame(const std::uint8_t *frame, int len);

    // A new board choice (1 main, 0 secondary); the port-closed row, the page
    // clearing, the queues and the replay of the new board's recent status.
    void SwitchBoard(int mainSelected);

    // A request of this kind went unanswered since then: every page serving
    // its answer hears it (PageBase::OnNoAnswer), in route order.
    void NoteNoAnswer(RequestKey key, const QDateTime &since);

    // Set by the owner of the link: a frame from the board (not a replay)
    // was handled; the cached frames to queue again after a board switch.
    std::function<void()> m_onBoardFrame;
    // A fresh frame of the chosen board passed its checksum and is routed next.
    std::function<void(const std::uint8_t *frame, int len)> m_onAnswer;
    std::function<void(const std::vector<const CachedFrame *> &)> m_replay;

    int m_bMainSelected = 1;
    bool m_bSecondarySeen = false;
    std::array<CachedFrame, 27> m_mainCache;
    std::array<CachedFrame, 27> m_secondaryCache;
    // Clock of the cache ages, in ms: a monotonic one, so setting the
    // computer's clock neither ages nor rejuvenates an entry (tests move it).
    std::int64_t (*m_clock)() = nullptr;

private:
    bool FromSelectedBoard(const std::uint8_t *frame) const;
    void CacheFrame(const std::uint8_t *frame, int len);
    void Dispatch(const std::uint8_t *frame, int len);
    void RunRoute(const RxRoute &route, PageBase *page, const std::uint8_t *frame, int len);
    void RunRowRoute(const RxRoute &route, RowPageBase *page, const std::uint8_t *frame, int len);
    std::int64_t Now() const;

    PageHost &m_host;
    PageRegistry &m_pages;
};
