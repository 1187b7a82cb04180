// Live status page: values that stopped coming. An item not refreshed for
// three refresh periods while the page refreshes, and every item shown
// before the port closed, is greyed, and the page says since when.
#include "app/framework/pagehost.h"
#include "app/pages/livestatuspage.h"
#include "app/pages/packchartfeed.h"

#include <QLabel>

namespace {
int IndexOf(std::uint8_t code)
{
    for (std::size_t i = 0; i < kStatusItems.size(); ++i)
        if (kStatusItems[i].code == code)
            return static_cast<int>(i);
    return -1;
}

// The controls that show an item's values beside its own box.
std::vector<int> ShownBy(const StatusItem &item)
{
    std::vector<int> ids{item.nDisplayID};
    switch (item.code) {
    case kStatusVersions: ids.push_back(1151); break;
    case kStatusPower: ids.insert(ids.end(), {1175, IDC_TEMP_LIST}); break;
    case kStatusSoc: ids.push_back(1070); break;
    case kStatusProtection: ids.push_back(IDC_PROTECTION_LIST); break;
    case kStatusAlarm: ids.push_back(IDC_ALARM_LIST); break;
    default: break;
    }
    return ids;
}
// The lamps that show an item: its row's lamp, and the MOS lamps.
std::vector<int> LampsOf(const StatusItem &item)
{
    std::vector<int> ids{item.ledID};
    if (item.code == kStatusMos)
        ids.insert(ids.end(), {IDC_MOS_CHARGE, IDC_MOS_DISCHARGE, IDC_MOS_PRE});
    return ids;
}
} // namespace

void LiveStatusPage::OnNoAnswer(const RxRoute &route, const QDateTime &since)
{
    if (route.tag == TAG_BATCH_STATUS) {
        for (const StatusItem &item : kStatusItems)
            if (IsDlgButtonChecked(item.nChkID))
                SetNoAnswerLook(item.nChkID, since);
        return;
    }
    if (const StatusItem *item = FindStatusItemByCode(route.code & 0x7F))
        SetNoAnswerLook(item->nChkID, since);
}

int LiveStatusPage::RefreshPeriodMs() const
{
    int ticked = 0;
    for (const StatusItem &item : kStatusItems)
        if (IsDlgButtonChecked(item.nChkID))
            ++ticked;
    return LiveRefreshPeriodMs(m_bBatchMode, m_nSaveInterval, ticked, Host() ? Host()->CommandInterval() : 400);
}

bool LiveStatusPage::IsStale(std::uint8_t code) const
{
    int i = IndexOf(code);
    return i >= 0 && m_freshness.IsStale(static_cast<std::size_t>(i));
}

int LiveStatusPage::StaleCount() const
{
    return m_freshness.StaleCount();
}

bool LiveStatusPage::RecordIsStale() const
{
    return !Host() || !Host()->IsPortOpen() || StaleCount() > 0;
}

void LiveStatusPage::MarkFresh(std::uint8_t code)
{
    int i = IndexOf(code);
    if (i < 0)
        return;
    if (m_freshness.MarkFresh(static_cast<std::size_t>(i), m_freshClock.elapsed(), m_wallClock())) {
        SetStale(i, false);
        ShowStaleNote();
    }
}

void LiveStatusPage::CheckStale()
{
    // Values age only while they are meant to be refreshed; a single read stays as it was read.
    if (!m_bAutoRefresh || !Host() || !Host()->IsPortOpen())
        return;
    const std::vector<std::size_t> gone =
        m_freshness.Age(m_freshClock.elapsed(), RefreshPeriodMs(),
                        [this](std::size_t i) { return IsDlgButtonChecked(kStatusItems[i].nChkID) != 0; });
    for (std::size_t i : gone)
        SetStale(static_cast<int>(i), true);
    if (!gone.empty()) {
        ShowStaleNote();
        m_pChartFeed->OnStale();
    }
}

void LiveStatusPage::OnPortClosed(bool lost)
{
    // Closed on purpose: the next opening may be to any board. A lost port is
    // opened again by itself, and the board that answers then is compared.
    if (!lost)
        m_strBoardSn.clear();
    KillTimer(TIMER_STALE);
    m_pChartFeed->OnStale();
    for (std::size_t i : m_freshness.AllShownStale())
        SetStale(static_cast<int>(i), true);
    ShowStaleNote();
}

void LiveStatusPage::SetStale(int index, bool stale)
{
    auto at = static_cast<std::size_t>(index);
    // A stale item's lamps keep their colour, greyed; its next answer lights them again.
    if (stale)
        for (int id : LampsOf(kStatusItems[at]))
            if (auto *lamp = Item<LedLamp>(id))
                lamp->SetLed(lamp->ColourRow(), LedLamp::kGrey, lamp->ShapeOffset());
    for (int id : ShownBy(kStatusItems[at])) {
        QWidget *w = GetDlgItem(id);
        if (!w)
            continue;
        if (stale) {
            QPalette grey = w->palette();
            for (QPalette::ColorRole role : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText})
                grey.setColor(role, QColor(0x9a, 0x9a, 0x9a));
            w->setPalette(grey);
        } else {
            w->setPalette(QPalette());
        }
        w->setProperty("stale", stale);
    }
}

void LiveStatusPage::ShowStaleNote()
{
    const QDateTime since = m_freshness.StaleSince();
    if (!m_pStaleNote)
        return;
    m_pStaleNote->setVisible(since.isValid());
    m_pStaleNote->setText(since.isValid() ? tr("数据已过期（自 %1）").arg(since.toString(QStringLiteral("HH:mm:ss")))
                                          : QString());
}
