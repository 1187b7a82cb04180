#include "app/pagesheet.h"

#include "app/framework/internalmodegate.h"
#include "app/framework/pagebase.h"
#include "app/framework/pagehost.h"
#include "app/pages/alarmprotectionpage.h"
#include "app/pages/batterylogpage.h"
#include "app/pages/batteryrecordpage.h"
#include "app/pages/calculatorpage.h"
#include "app/pages/customercontrolpage.h"
#include "app/pages/internaldebugpage.h"
#include "app/pages/livestatuspage.h"
#include "app/pages/repeaterpage.h"
#include "app/pages/soclearningpage.h"
#include "app/pages/systemlogpage.h"
#include "app/pages/terminalpage.h"
#include "app/pages/wakethresholdpage.h"

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

PageSheet::PageSheet(QWidget *parent) : QTabWidget(parent)
{
    setDocumentMode(false);
    connect(this, &QTabWidget::currentChanged, this, &PageSheet::OnCurrentChanged);
    tabBar()->installEventFilter(this);
    connect(tabBar(), &QTabBar::tabBarClicked, this, &PageSheet::OnTabClicked);
}

// A click on the tab of a locked page is refused; once the click is over, the
// page it left pending is handed on as an ordinary activation of the customer
// control page would hand it on, so the click leads to the password.
void PageSheet::OnTabClicked(int index)
{
    QPointer<PageBase> page = PageAt(index);
    if (!page || !page->IsInnerPage() || !page->Host())
        return;
    QMetaObject::invokeMethod(
        this,
        [page] {
            if (!page)
                return;
            InternalModeGate &gate = page->Host()->Gate();
            PageBase *ele = gate.PasswordPage();
            if (ele && !gate.IsVerified() && gate.PendingPage() == page)
                gate.AllowActivation(ele);
        },
        Qt::QueuedConnection);
}

template <typename F> void PageSheet::WithKeyStep(const QKeyEvent *event, F &&handle)
{
    KeyStep key = StepOfKey(event);
    if (layoutDirection() == Qt::RightToLeft && !key.wraps)
        key.step = -key.step;
    m_nKeyStep = key.step;
    m_bKeyWraps = key.wraps;
    InternalModeGate *gate = Gate();
    m_pPendingBefore = gate ? gate->PendingPage() : nullptr;
    handle();
    m_nKeyStep = 0;
}

void PageSheet::keyPressEvent(QKeyEvent *event)
{
    const bool pageKey = event->key() == Qt::Key_PageDown || event->key() == Qt::Key_PageUp;
    if (pageKey && (event->modifiers() & Qt::ControlModifier) && count() > 1) {
        // Ctrl+PgDn and Ctrl+PgUp step through the tabs as Ctrl+Tab does.
        WithKeyStep(event, [&] { setCurrentIndex((currentIndex() + m_nKeyStep + count()) % count()); });
        return;
    }
    WithKeyStep(event, [&] { QTabWidget::keyPressEvent(event); });
}

bool PageSheet::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == tabBar() && event->type() == QEvent::KeyPress && m_nKeyStep == 0) {
        bool handled = false;
        WithKeyStep(static_cast<QKeyEvent *>(event), [&] { handled = static_cast<QObject *>(tabBar())->event(event); });
        return handled;
    }
    return QTabWidget::eventFilter(watched, event);
}

void PageSheet::AddPage(PageBase *page)
{
    page->InitDialog();
    if (page->Host())
        page->Host()->RegisterPage(page);
    m_bReverting = true;
    addTab(page, page->Caption());
    m_bReverting = false;
    m_nCurrent = currentIndex();
}

InternalModeGate *PageSheet::Gate() const
{
    for (int i = 0; i < count(); ++i)
        if (PageBase *page = PageAt(i); page && page->Host())
            return &page->Host()->Gate();
    return nullptr;
}

PageBase *PageSheet::PageAt(int index) const
{
    return qobject_cast<PageBase *>(widget(index));
}

PageBase *PageSheet::GetActivePage() const
{
    return PageAt(currentIndex());
}

bool PageSheet::SetActivePage(PageBase *page)
{
    int index = indexOf(page);
    if (index < 0)
        return false;
    setCurrentIndex(index);
    return currentIndex() == index;
}

int PageSheet::NextOpenablePage(int index)
{
    InternalModeGate *gate = Gate();
    QWidget *pending = m_pPendingBefore;
    int found = -1;
    for (int i = index + m_nKeyStep; found < 0; i += m_nKeyStep) {
        if (m_bKeyWraps)
            i = (i + count()) % count();
        if (i < 0 || i >= count() || i == m_nCurrent || i == index)
            break;
        if (gate)
            gate->SetPendingPage(pending); // a page passed over asks for nothing
        PageBase *candidate = PageAt(i);
        if (!candidate || candidate->OnSetActive())
            found = i;
    }
    if (gate)
        gate->SetPendingPage(pending);
    return found;
}

void PageSheet::OnCurrentChanged(int index)
{
    if (m_bReverting)
        return;
    PageBase *page = PageAt(index);
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
    if (PageBase *previous = PageAt(m_nCurrent); previous && previous != page)
        previous->OnKillActive();
    m_nCurrent = index;
}

// ------------------------------------------------------------------ pages

void CreatePages(PageHost *host, PageSheet *sheet)
{
    // One line per page, in tab order:
    //   sheet->AddPage(new SomePage(host));
    sheet->AddPage(new LiveStatusPage(host));
    sheet->AddPage(new CustomerControlPage(host));
    sheet->AddPage(new RepeaterPage(host));
    sheet->AddPage(new InternalDebugPage(host));
    sheet->AddPage(new SocLearningPage(host));
    sheet->AddPage(new WakeThresholdPage(host));
    sheet->AddPage(new AlarmProtectionPage(host));
    sheet->AddPage(new BatteryRecordPage(host));
    sheet->AddPage(new SystemLogPage(host));
    sheet->AddPage(new BatteryLogPage(host));
    sheet->AddPage(new CalculatorPage(host));
    sheet->AddPage(new TerminalPage(host));
}
