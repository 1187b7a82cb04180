#include "app/framework/innergate.h"

#include "app/framework/cfgpagebase.h"
#include "link/winmsg.h"

bool CInnerGate::AllowActivation(CCfgPageBase *page)
{
    if (page->IsInnerPage()) {
        if (m_bVerified)
            return true;
        if (!m_pPending)
            m_pPending = page;
        return false;
    }
    if (m_pPending) {
        if (m_pWindow)
            PostMsg(m_pWindow, WM_SHOW_PAGE, reinterpret_cast<std::intptr_t>(m_pPending.data()), 0);
        m_pPending = nullptr;
    }
    return true;
}

void CInnerGate::OnBoardConfirmed()
{
    if (!m_pTarget)
        return;
    if (m_pWindow)
        PostMsg(m_pWindow, WM_SHOW_PAGE, reinterpret_cast<std::intptr_t>(m_pTarget.data()), 1);
    m_pTarget = nullptr;
}

void CInnerGate::EndStartup()
{
    m_bVerified = false;
    m_pPending = nullptr;
}
