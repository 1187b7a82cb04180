#include "app/windowhost.h"

#include "app/cfgsheet.h"
#include "app/linkwatch.h"
#include "app/pylvexapp.h"
#include "app/pylvexdlg.h"

namespace {
std::uintptr_t SenderId(const QObject *from)
{
    return reinterpret_cast<std::uintptr_t>(from);
}
} // namespace

CWindowHost::CWindowHost(CPylvexDlg &dlg) : m_dlg(dlg) {}

bool CWindowHost::IsPortOpen() const
{
    return m_dlg.m_bOpenCOM;
}

bool CWindowHost::OpenPort(bool interactive)
{
    return m_dlg.OpenPort(interactive);
}

void CWindowHost::ClosePort()
{
    m_dlg.ClosePort();
}

bool CWindowHost::SendFrame(const std::uint8_t *payload, std::size_t count, const QObject *from)
{
    return m_dlg.SendFrame(payload, count, SenderId(from));
}

bool CWindowHost::SendRaw(const std::uint8_t *bytes, std::size_t count, const QObject *from)
{
    return m_dlg.SendRaw(bytes, count, SenderId(from));
}

void CWindowHost::ClearQueues()
{
    m_dlg.Port().ClearTxQueue();
    m_dlg.Port().ClearRxQueue();
    m_dlg.LinkWatch().ForgetWaiting();
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
    if (m_holdId != 0) {
        disconnect(m_holderGone);
        m_dlg.Port().ReleaseLine(m_holdId); // what waited follows, in order
        m_holdId = 0;
    }
    if (!holder)
        return;
    m_holdId = SenderId(holder);
    m_dlg.Port().HoldLine(m_holdId);
    // A holder that goes without saying so lets the line go all the same.
    m_holderGone = connect(holder, &QObject::destroyed, this, [this] { HoldLine(nullptr); });
}

bool CWindowHost::LineHeld() const
{
    return m_dlg.YModemRunning() || m_dlg.Port().LineHeld();
}

void CWindowHost::SetYModemReceiver(QObject *receiver)
{
    m_dlg.SetYModemReceiver(receiver);
}
