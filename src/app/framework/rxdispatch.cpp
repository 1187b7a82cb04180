#include "app/framework/rxdispatch.h"

#include "app/framework/pagebase.h"
#include "app/framework/pagehost.h"
#include "app/framework/rxreports.h"
#include "files/logfiles.h"

#include <cstdio>
#include <cstring>

namespace {
int CacheSlot(std::uint8_t code)
{
    for (std::size_t i = 0; i < RxDispatcher::kCachedCodes.size(); ++i)
        if (RxDispatcher::kCachedCodes[i] == code)
            return static_cast<int>(i);
    return -1;
}

// Every received frame, as it came, at the debug level.
void WriteFrameRow(const std::uint8_t *frame, int len)
{
    ReportFrameBytes(7, frame, len, "");
}

void WriteChecksumRow(const std::uint8_t *frame, int len, std::uint16_t computed)
{
    char message[96];
    std::snprintf(message, sizeof message, "校验码错误，计算结果 %02X %02X 为校验码，", computed & 0xFF, computed >> 8);
    ReportFrameBytes(3, frame, len, message);
}
} // namespace

RxDispatcher::RxDispatcher(PageHost &host, PageRegistry &pages) : m_host(host), m_pages(pages) {}

std::int64_t RxDispatcher::Now() const
{
    return m_clock ? m_clock() : MonotonicMs();
}

bool RxDispatcher::FromSelectedBoard(const std::uint8_t *frame) const
{
    bool secondary = (frame[1] & 0x80) != 0;
    return secondary == (m_bMainSelected == 0);
}

void RxDispatcher::HandleFrame(const std::uint8_t *frame, int len)
{
    // Every frame here was cut by the framer or copied from the cache; one
    // that is not even a frame is logged and dropped.
    if (len < static_cast<int>(kFrameMinLen) || len > static_cast<int>(kFrameMaxLen)) {
        WriteFrameRow(frame, len);
        return;
    }
    WriteFrameRow(frame, len);
    std::uint16_t computed = 0;
    if (!VerifyFrame(frame, static_cast<std::size_t>(len), &computed)) {
        WriteChecksumRow(frame, len, computed);
    } else {
        if ((frame[1] & 0x80) && !m_bSecondarySeen) {
            for (std::size_t i = 0; i < kCachedCodes.size(); ++i)
                m_mainCache[i].len = m_secondaryCache[i].len = 0;
            m_bSecondarySeen = true;
        }
        bool taken = false;
        switch (frame[2]) {
        case 0x81: taken = true; break;
        case 0x82:
        case 0x85: taken = FromSelectedBoard(frame) || frame[3] == 0x85; break;
        case 0x83:
            if (m_bSecondarySeen && frame[0] != 0x00)
                CacheFrame(frame, len);
            taken = FromSelectedBoard(frame);
            break;
        default: ReportUnhandled(frame, len); break;
        }
        // A fresh answer of the chosen board (not a replay from the cache).
        if (taken && frame[0] != 0x00 && m_onAnswer)
            m_onAnswer(frame, len);
        if (taken)
            Dispatch(frame, len);
    }
    if (frame[0] != 0x00 && m_onBoardFrame)
        m_onBoardFrame();
}

void RxDispatcher::CacheFrame(const std::uint8_t *frame, int len)
{
    int slot = CacheSlot(frame[3]);
    if (slot < 0 || len > static_cast<int>(kFrameMaxLen))
        return;
    CachedFrame &cached = (frame[1] & 0x80) ? m_secondaryCache[slot] : m_mainCache[slot];
    std::memcpy(cached.bytes, frame, static_cast<std::size_t>(len));
    cached.bytes[0] = 0x00;
    cached.len = len;
    cached.time = Now();
}

void RxDispatcher::Dispatch(const std::uint8_t *frame, int len)
{
    emit m_host.ResponseDispatched(frame, len);
    std::span<const RxRoute> routes = m_pages.RoutesFor(frame[2], frame[3]);
    if (routes.empty()) {
        ReportUnhandled(frame, len);
        return;
    }
    bool missingReported = false;
    for (const RxRoute &route : routes) {
        PageBase *page = m_pages.Page(route.page);
        if (!page) {
            if (!route.skipWhenMissing && !missingReported) {
                ReportFrameRow(3, frame, len, "未加载处理命令的页面！");
                missingReported = true;
            }
            continue;
        }
        RunRoute(route, page, frame, len);
    }
}

void RxDispatcher::NoteNoAnswer(RequestKey key, const QDateTime &since)
{
    for (const RxRoute &route : m_pages.RoutesFor(KeyClass(key) | 0x80, KeyCode(key) | 0x80))
        if (PageBase *page = m_pages.Page(route.page))
            page->OnNoAnswer(route, since);
}

void RxDispatcher::SwitchBoard(int mainSelected)
{
    if (mainSelected == m_bMainSelected)
        return;
    m_bMainSelected = mainSelected;
    if (!m_host.IsPortOpen()) {
        m_host.WriteLog(3, QStringLiteral("主副电切换"), QStringLiteral("请先打开串口后再进行操作！"));
        return;
    }
    PageBase *active = m_host.ActivePage();
    if (active)
        active->OnBoardSwitch();
    m_host.ClearQueues();
    const auto &cache = mainSelected ? m_mainCache : m_secondaryCache;
    const std::int64_t now = Now();
    std::vector<const CachedFrame *> replay;
    for (const CachedFrame &cached : cache)
        if (cached.len > 0 && now - cached.time < kReplayAgeMs)
            replay.push_back(&cached);
    if (!replay.empty() && m_replay)
        m_replay(replay);
    emit m_host.BoardSwitched();
}
