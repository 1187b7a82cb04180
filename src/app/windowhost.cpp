#include "app/windowhost.h"

#include "app/cfgsheet.h"
#include "app/pylvexapp.h"
#include "app/pylvexdlg.h"

CWindowHost::CWindowHost(CPylvexDlg &dlg) : m_dlg(dlg) {}

bool CWindowHost::IsPortOpen() const
{
    return m_dlg.m_bOpenCOM;
}

bool CWindowHost::SecondaryBoardSelected() const
{
    return m_dlg.Dispatcher().m_bMainSelected == 0;
}

bool CWindowHost::OpenPort(bool interactive)
{
    return m_dlg.OpenPort(interactive);
}

void CWindowHost::ClosePort()
{
    m_dlg.ClosePort();
}

bool CWindowHost::SendFrame(const std::uint8_t *payload, std::size_t count)
{
    return m_dlg.SendFrame(payload, count);
}

bool CWindowHost::SendRaw(const std::uint8_t *bytes, std::size_t count)
{
    return m_dlg.SendRaw(bytes, count);
}

void CWindowHost::ClearQueues()
{
    m_dlg.Port().ClearTxQueue();
    m_dlg.Port().ClearRxQueue();
}

bool CWindowHost::TxQueueEmpty() const
{
    return m_dlg.Port().TxQueueEmpty();
}

CCfgPageBase *CWindowHost::ActivePage() const
{
    return m_dlg.ActivePage();
}

bool CWindowHost::ShowPage(CCfgPageBase *page)
{
    return m_dlg.Sheet() && m_dlg.Sheet()->SetActivePage(page);
}

CCfgPageBase *CWindowHost::FindPage(PageKind kind) const
{
    return m_dlg.GetPage(kind);
}

void CWindowHost::RegisterPage(CCfgPageBase *page)
{
    m_dlg.Pages().Register(page);
}

void CWindowHost::WriteLog(int level, const QString &title, const QString &text)
{
    if (CPylvexApp *app = theApp())
        app->WriteLogText(level, title, text);
}

CInnerGate &CWindowHost::Gate()
{
    return m_dlg.Gate();
}

void CWindowHost::HoldLine(QObject *holder)
{
    m_lineHolder = holder;
}

bool CWindowHost::LineHeld() const
{
    return m_dlg.YModemRunning() || !m_lineHolder.isNull();
}

void CWindowHost::SetYModemReceiver(QObject *receiver)
{
    m_dlg.SetYModemReceiver(receiver);
}
