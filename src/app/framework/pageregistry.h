// The pages of the sheet by kind, and the routes of the receive path: those
// the registered pages handed over, plus the waiting routes of pages not
// built (they keep the "page not loaded" row of their codes). The routes of
// one class and code run in page-kind order (the tab order), each page's
// own in the order it gave them; so 0x83/0x94 reaches the live status page
// before the customer control page, whatever order the pages register in.
#pragma once

#include "app/framework/rxroutes.h"

#include <QPointer>

#include <array>
#include <span>
#include <vector>

class PageBase;

class PageRegistry {
public:
    PageRegistry();
    ~PageRegistry();

    // Routes of pages not built yet; a kind with a registered page drops them.
    void SetWaitingRoutes(std::span<const RxRoute> routes);
    // The page serves its kind from now on (in place of an earlier page of
    // that kind) with the routes it hands over.
    void Register(PageBase *page);
    PageBase *Page(PageKind kind) const;

    // Every route of a class and code in running order; empty when the code is not handled.
    std::span<const RxRoute> RoutesFor(std::uint8_t cls, std::uint8_t code) const;
    // Every route in force (tests).
    std::span<const RxRoute> AllRoutes() const { return m_routes; }

private:
    void Rebuild();

    std::array<QPointer<PageBase>, PAGE_COUNT> m_pages;
    std::array<std::vector<RxRoute>, PAGE_COUNT> m_pageRoutes; // of registered pages
    std::array<bool, PAGE_COUNT> m_registered{};
    std::vector<RxRoute> m_waiting;
    std::vector<RxRoute> m_routes; // sorted by class, code, then kind
    std::array<std::uint32_t, 4 * 256> m_first{};
    std::array<std::uint16_t, 4 * 256> m_count{};
};
