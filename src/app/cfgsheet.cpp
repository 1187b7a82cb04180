#include "app/cfgsheet.h"

#include "app/framework/cfgpagebase.h"
#include "app/framework/pagehost.h"
#include "app/pages/cfgpagelog.h"
#include "app/pages/cfgpageten.h"
#include "app/pages/cfgpagethr.h"
#include "app/pages/cfgpagetwo.h"

#include <QTabBar>

CCfgSheet::CCfgSheet(QWidget *parent) : QTabWidget(parent)
{
    setDocumentMode(false);
    connect(this, &QTabWidget::currentChanged, this, &CCfgSheet::OnCurrentChanged);
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

void CCfgSheet::OnCurrentChanged(int index)
{
    if (m_bReverting)
        return;
    CCfgPageBase *page = PageAt(index);
    if (page && !page->OnSetActive()) {
        // Refused: the previous page stays in front.
        m_bReverting = true;
        setCurrentIndex(m_nCurrent >= 0 && m_nCurrent < count() ? m_nCurrent : 0);
        m_bReverting = false;
        return;
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
    sheet->AddPage(new CCfgPageTwo(host));
    sheet->AddPage(new CCfgPageThr(host));
    sheet->AddPage(new CCfgPageLog(host));
}
