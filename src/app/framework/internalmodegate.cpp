#include "app/framework/internalmodegate.h"

#include "app/framework/pagebase.h"
#include "link/winmsg.h"

bool InternalModeGate::AllowActivation(PageBase *page)
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

void InternalModeGate::OnBoardConfirmed()
{
    if (!m_pTarget)
        return;
    if (m_pWindow)
        PostMsg(m_pWindow, WM_SHOW_PAGE, reinterpret_cast<std::intptr_t>(m_pTarget.data()), 1);
    m_pTarget = nullptr;
}

void InternalModeGate::EndStartup()
{
    m_bVerified = false;
    m_pPending = nullptr;
}

void InternalModeGate::SetPasswordPage(PageBase *page)
{
    m_pPasswordPage = page;
}

PageBase *InternalModeGate::PasswordPage() const
{
    return static_cast<PageBase *>(m_pPasswordPage.data());
}
