#include "app/framework/pageregistry.h"

#include "app/framework/pagebase.h"

#include <algorithm>

namespace {
int ClassSlot(std::uint8_t cls)
{
    switch (cls) {
    case 0x81: return 0;
    case 0x82: return 1;
    case 0x83: return 2;
    case 0x85: return 3;
    default: return -1;
    }
}
} // namespace

PageRegistry::PageRegistry() = default;
PageRegistry::~PageRegistry() = default;

void PageRegistry::SetWaitingRoutes(std::span<const RxRoute> routes)
{
    m_waiting.assign(routes.begin(), routes.end());
    Rebuild();
}

void PageRegistry::Register(PageBase *page)
{
    const PageKind kind = page->Kind();
    m_pages[kind] = page;
    m_registered[kind] = true;
    std::vector<RxRoute> routes = page->Routes();
    for (RxRoute &r : routes)
        r.page = kind;
    m_pageRoutes[kind] = std::move(routes);
    Rebuild();
}

PageBase *PageRegistry::Page(PageKind kind) const
{
    return kind >= 0 && kind < PAGE_COUNT ? m_pages[kind].data() : nullptr;
}

void PageRegistry::Rebuild()
{
    m_routes.clear();
    for (int kind = 0; kind < PAGE_COUNT; ++kind) {
        if (m_registered[kind]) {
            m_routes.insert(m_routes.end(), m_pageRoutes[kind].begin(), m_pageRoutes[kind].end());
            continue;
        }
        for (const RxRoute &r : m_waiting)
            if (r.page == kind)
                m_routes.push_back(r);
    }
    // Kind order is already there; a stable sort by class and code keeps it.
    std::stable_sort(m_routes.begin(), m_routes.end(), [](const RxRoute &a, const RxRoute &b) {
        return ClassSlot(a.cls) * 256 + a.code < ClassSlot(b.cls) * 256 + b.code;
    });
    m_first.fill(0);
    m_count.fill(0);
    for (std::size_t i = m_routes.size(); i-- > 0;) {
        int slot = ClassSlot(m_routes[i].cls);
        if (slot < 0)
            continue;
        int at = slot * 256 + m_routes[i].code;
        m_first[static_cast<std::size_t>(at)] = static_cast<std::uint32_t>(i);
        ++m_count[static_cast<std::size_t>(at)];
    }
}

std::span<const RxRoute> PageRegistry::RoutesFor(std::uint8_t cls, std::uint8_t code) const
{
    int slot = ClassSlot(cls);
    if (slot < 0)
        return {};
    auto at = static_cast<std::size_t>(slot * 256 + code);
    if (m_count[at] == 0)
        return {};
    return std::span<const RxRoute>(m_routes.data() + m_first[at], m_count[at]);
}
