#include "app/cfgsheet.h"

#include "app/framework/cfgpagebase.h"
#include "app/framework/innergate.h"
#include "app/framework/pagehost.h"
#include "app/pages/cfgpagecalculator.h"
#include "app/pages/cfgpagecelllog.h"
#include "app/pages/cfgpageele.h"
#include "app/pages/cfgpagefiv.h"
#include "app/pages/cfgpagefor.h"
#include "app/pages/cfgpagelog.h"
#include "app/pages/cfgpageone.h"
#include "app/pages/cfgpagerecord.h"
#include "app/pages/cfgpageserialport.h"
#include "app/pages/cfgpageten.h"
#include "app/pages/cfgpagethr.h"
#include "app/pages/cfgpagetwo.h"

#include <QKeyEvent>
#include <QPointer>
#include <QTabBar>

namespace {
// The direction a key moves through the tabs, and whether it goes round.
struct KeyStep {
    int step = 0;
    bool wraps = false;
};

KeyStep StepOfKey(const QKeyEvent *event)
{
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    switch (event->key()) {
    case Qt::Key_Tab: return ctrl ? KeyStep{shift ? -1 : +1, true} : KeyStep{};
    case Qt::Key_Backtab: return ctrl ? KeyStep{-1, true} : KeyStep{};
    case Qt::Key_PageDown: return ctrl ? KeyStep{+1, true} : KeyStep{};
    case Qt::Key_PageUp: return ctrl ? KeyStep{-1, true} : KeyStep{};
    case Qt::Key_Right:
    case Qt::Key_Down: return {+1, false};
    case Qt::Key_Left:
    case Qt::Key_Up: return {-1, false};
    default: return {};
    }
}
} // namespace

CCfgSheet::CCfgSheet(QWidget *parent) : QTabWidget(parent)
{
    setDocumentMode(false);
    connect(this, &QTabWidget::currentChanged, this, &CCfgSheet::OnCurrentChanged);
    tabBar()->installEventFilter(this);
    connect(tabBar(), &QTabBar::tabBarClicked, this, &CCfgSheet::OnTabClicked);
}

// A click on the tab of a locked page is refused; once the click is over, the
// page it left pending is handed on as an ordinary activation of the customer
// control page would hand it on, so the click leads to the password.
void CCfgSheet::OnTabClicked(int index)
{
    QPointer<CCfgPageBase> page = PageAt(index);
    if (!page || !page->IsInnerPage() || !page->Host())
        return;
    QMetaObject::invokeMethod(
        this,
        [page] {
            if (!page)
                return;
            CInnerGate &gate = page->Host()->Gate();
            CCfgPageBase *ele = page->Host()->FindPage(PAGE_ELE);
            if (ele && !gate.IsVerified() && gate.PendingPage() == page)
                gate.AllowActivation(ele);
        },
        Qt::QueuedConnection);
}

template <typename F> void CCfgSheet::WithKeyStep(const QKeyEvent *event, F &&handle)
{
    KeyStep key = StepOfKey(event);
    if (layoutDirection() == Qt::RightToLeft && !key.wraps)
        key.step = -key.step;
    m_nKeyStep = key.step;
    m_bKeyWraps = key.wraps;
    CInnerGate *gate = Gate();
    m_pPendingBefore = gate ? gate->PendingPage() : nullptr;
    handle();
    m_nKeyStep = 0;
}

void CCfgSheet::keyPressEvent(QKeyEvent *event)
{
    const bool pageKey = event->key() == Qt::Key_PageDown || event->key() == Qt::Key_PageUp;
    if (pageKey && (event->modifiers() & Qt::ControlModifier) && count() > 1) {
        // Ctrl+PgDn and Ctrl+PgUp step through the tabs as Ctrl+Tab does.
        WithKeyStep(event, [&] { setCurrentIndex((currentIndex() + m_nKeyStep + count()) % count()); });
        return;
    }
    WithKeyStep(event, [&] { QTabWidget::keyPressEvent(event); });
}

bool CCfgSheet::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == tabBar() && event->type() == QEvent::KeyPress && m_nKeyStep == 0) {
        bool handled = false;
        WithKeyStep(static_cast<QKeyEvent *>(event), [&] { handled = static_cast<QObject *>(tabBar())->event(event); });
        return handled;
    }
    return QTabWidget::eventFilter(watched, event);
}

void CCfgSheet::AddPage(CCfgPageBase *page)
{
    page->InitDialog();
    if (page->Host())
        page->Host()->RegisterPage(page);
    int at = 0;
    while (at < count() && PageAt(at) && PageAt(at)->Kind() < page->Kind())
        ++at;
    m_bReverting = true;
    insertTab(at, page, page->Caption());
    m_bReverting = false;
    m_nCurrent = currentIndex();
}

CInnerGate *CCfgSheet::Gate() const
{
    for (int i = 0; i < count(); ++i)
        if (CCfgPageBase *page = PageAt(i); page && page->Host())
            return &page->Host()->Gate();
    return nullptr;
}

CCfgPageBase *CCfgSheet::PageAt(int index) const
{
    return qobject_cast<CCfgPageBase *>(widget(index));
}

CCfgPageBase *CCfgSheet::GetActivePage() const
{
    return PageAt(currentIndex());
}

bool CCfgSheet::SetActivePage(CCfgPageBase *page)
{
    int index = indexOf(page);
    if (index < 0)
        return false;
    setCurrentIndex(index);
    return currentIndex() == index;
}

int CCfgSheet::NextOpenablePage(int index)
{
    CInnerGate *gate = Gate();
    QWidget *pending = m_pPendingBefore;
    int found = -1;
    for (int i = index + m_nKeyStep; found < 0; i += m_nKeyStep) {
        if (m_bKeyWraps)
            i = (i + count()) % count();
        if (i < 0 || i >= count() || i == m_nCurrent || i == index)
            break;
        if (gate)
            gate->SetPendingPage(pending); // a page passed over asks for nothing
        CCfgPageBase *candidate = PageAt(i);
        if (!candidate || candidate->OnSetActive())
            found = i;
    }
    if (gate)
        gate->SetPendingPage(pending);
    return found;
}

void CCfgSheet::OnCurrentChanged(int index)
{
    if (m_bReverting)
        return;
    CCfgPageBase *page = PageAt(index);
    if (page && !page->OnSetActive()) {
        // Refused: the previous page stays in front, unless the keyboard is
        // stepping through the tabs and a page further on opens.
        int next = m_nKeyStep != 0 ? NextOpenablePage(index) : -1;
        m_bReverting = true;
        setCurrentIndex(next >= 0 ? next : (m_nCurrent >= 0 && m_nCurrent < count() ? m_nCurrent : 0));
        m_bReverting = false;
        if (next < 0)
            return;
        index = next;
        page = PageAt(next);
    }
    if (CCfgPageBase *previous = PageAt(m_nCurrent); previous && previous != page)
        previous->OnKillActive();
    m_nCurrent = index;
}

// ------------------------------------------------------------------ pages

void CreatePages(CPageHost *host, CCfgSheet *sheet)
{
    // One line per page, in tab order:
    //   sheet->AddPage(new CCfgPageXxx(host));
    sheet->AddPage(new CCfgPageTen(host));
    sheet->AddPage(new CCfgPageEle(host));
    sheet->AddPage(new CCfgPageOne(host));
    sheet->AddPage(new CCfgPageFor(host));
    sheet->AddPage(new CCfgPageFiv(host));
    sheet->AddPage(new CCfgPageTwo(host));
    sheet->AddPage(new CCfgPageThr(host));
    sheet->AddPage(new CCfgPageRecord(host));
    sheet->AddPage(new CCfgPageLog(host));
    sheet->AddPage(new CCfgPageCellLog(host));
    sheet->AddPage(new CCfgPageCalculator(host));
    sheet->AddPage(new CCfgPageSerialPort(host));
}
