// The pages of the sheet in the order they were created, and the routes of
// the receive path they handed over. The routes of one class and code run in
// page order (the tab order), each page's own in the order it gave them; so
// 0x83/0x94 reaches the live status page before the customer control page.
// A page that registers under the name of an earlier page (its objectName,
// else its class name) takes that page's place and routes: tests use it to
// stand in for a page.
#pragma once

#include "app/framework/rxroutes.h"

#include <QPointer>
#include <QString>

#include <array>
#include <span>
#include <vector>

class PageBase;

class PageRegistry {
public:
    PageRegistry();
    ~PageRegistry();

    // The page serves its routes from now on.
    void Register(PageBase *page);
    // The page at a place; nullptr when that page is gone.
    PageBase *Page(std::size_t place) const;
    std::size_t PageCount() const { return m_entries.size(); }
    // The first page of a type; nullptr when there is none.
    template <class T> T *Find() const
    {
        for (const Entry &e : m_entries)
            if (T *page = qobject_cast<T *>(e.page.data()))
                return page;
        return nullptr;
    }

    // Every route of a class and code in running order; empty when the code is not handled.
    std::span<const RxRoute> RoutesFor(std::uint8_t cls, std::uint8_t code) const;
    // Every route in force (tests).
    std::span<const RxRoute> AllRoutes() const { return m_routes; }

private:
    struct Entry {
        QString name;
        QPointer<PageBase> page;
        std::vector<RxRoute> routes;
    };
    void Rebuild();

    std::vector<Entry> m_entries;
    std::vector<RxRoute> m_routes; // sorted by class, code, then page place
    std::array<std::uint32_t, 4 * 256> m_first{};
    std::array<std::uint16_t, 4 * 256> m_count{};
};
