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

void PageRegistry::Register(PageBase *page)
{
    QString name = page->objectName();
    if (name.isEmpty())
        name = QString::fromLatin1(page->metaObject()->className());
    auto same = std::find_if(m_entries.begin(), m_entries.end(), [&](const Entry &e) { return e.name == name; });
    if (same == m_entries.end())
        same = m_entries.insert(m_entries.end(), Entry{name, nullptr, {}});
    const auto place = static_cast<std::uint16_t>(same - m_entries.begin());
    same->page = page;
    same->routes = page->Routes();
    for (RxRoute &r : same->routes)
        r.page = place;
    Rebuild();
}

PageBase *PageRegistry::Page(std::size_t place) const
{
    return place < m_entries.size() ? m_entries[place].page.data() : nullptr;
}

void PageRegistry::Rebuild()
{
    m_routes.clear();
    for (const Entry &e : m_entries)
        m_routes.insert(m_routes.end(), e.routes.begin(), e.routes.end());
    // Page order is already there; a stable sort by class and code keeps it.
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
