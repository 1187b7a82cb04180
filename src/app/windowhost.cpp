#include "app/windowhost.h"

#include "app/mainwindow.h"
#include "app/pagesheet.h"
#include "app/pylvexapp.h"

WindowHost::WindowHost(MainWindow &dlg) : m_dlg(dlg) {}

bool WindowHost::IsPortOpen() const
{
    return m_dlg.m_bOpenCOM;
}

bool WindowHost::SecondaryBoardSelected() const
{
    return m_dlg.Dispatcher().m_bMainSelected == 0;
}

bool WindowHost::OpenPort(bool interactive)
{
    return m_dlg.OpenPort(interactive);
}

void WindowHost::ClosePort()
{
    m_dlg.ClosePort();
}

bool WindowHost::SendFrame(const std::uint8_t *payload, std::size_t count)
{
    return m_dlg.SendFrame(payload, count);
}

bool WindowHost::SendRaw(const std::uint8_t *bytes, std::size_t count)
{
    return m_dlg.SendRaw(bytes, count);
}

void WindowHost::ClearQueues()
{
    m_dlg.Port().ClearTxQueue();
    m_dlg.Port().ClearRxQueue();
}

bool WindowHost::TxQueueEmpty() const
{
    return m_dlg.Port().TxQueueEmpty();
}

PageBase *WindowHost::ActivePage() const
{
    return m_dlg.ActivePage();
}

bool WindowHost::ShowPage(PageBase *page)
{
    return m_dlg.Sheet() && m_dlg.Sheet()->SetActivePage(page);
}

const PageRegistry &WindowHost::Pages() const
{
    return m_dlg.Pages();
}

void WindowHost::RegisterPage(PageBase *page)
{
    m_dlg.Pages().Register(page);
}

void WindowHost::WriteLog(int level, const QString &title, const QString &text)
{
    if (PylvexApp *app = theApp())
        app->WriteLogText(level, title, text);
}

InternalModeGate &WindowHost::Gate()
{
    return m_dlg.Gate();
}

void WindowHost::HoldLine(QObject *holder)
{
    m_lineHolder = holder;
}

bool WindowHost::LineHeld() const
{
    return m_dlg.YModemRunning() || !m_lineHolder.isNull();
}

void WindowHost::SetPortTakenBy(const QString &what)
{
    m_dlg.SetPortTakenBy(what);
}

QString WindowHost::PortTakenBy() const
{
    return m_dlg.PortTakenBy();
}

void WindowHost::SetYModemReceiver(QObject *receiver)
{
    m_dlg.SetYModemReceiver(receiver);
}

ParameterStore &WindowHost::Parameters()
{
    return m_parameters;
}

int WindowHost::CommandInterval() const
{
    return GlobalLinkSettings().cmdSndInvl.load();
}

LogModel *WindowHost::LogRows()
{
    PylvexApp *app = theApp();
    return app ? app->GetLogModel() : nullptr;
}

bool WindowHost::LogGate(int level) const
{
    return LogGateOf(level);
}

void WindowHost::SetLogGate(int level, bool on)
{
    SetLogGateOf(level, on);
}

void WindowHost::NoteBoardReplaced(const QString &previousSn, const QString &sn)
{
    m_dlg.OnBoardReplaced(previousSn, sn);
}
