#include "app/windowhost.h"

#include "app/framework/rxreports.h"
#include "app/framework/systemlog.h"
#include "app/linkwatch.h"
#include "app/mainwindow.h"
#include "app/pagesheet.h"
#include "app/pylvexapp.h"
#include "protocol/ymodem.h"

namespace {
std::uintptr_t SenderId(const QObject *from)
{
    return reinterpret_cast<std::uintptr_t>(from);
}
} // namespace

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

bool WindowHost::SendFrame(const std::uint8_t *payload, std::size_t count, const QObject *from)
{
    return m_dlg.SendFrame(payload, count, SenderId(from));
}

bool WindowHost::SendRaw(const std::uint8_t *bytes, std::size_t count, const QObject *from)
{
    return m_dlg.SendRaw(bytes, count, SenderId(from));
}

void WindowHost::ClearQueues()
{
    m_dlg.Port().ClearTxQueue();
    m_dlg.Port().ClearRxQueue();
    m_dlg.LinkWatch().ForgetWaiting();
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

void WindowHost::ExpectClosingAnswer(const QString &title)
{
    m_closingTitle = title;
    m_closingSent.start();
}

bool WindowHost::TakeClosingAnswer(const std::uint8_t *frame, int len)
{
    constexpr qint64 kClosingAnswerMs = 3000;
    if (!m_closingSent.isValid() || len < 4 || frame[2] != (kYModemClosingFrame[2] | 0x80) ||
        frame[3] != (kYModemClosingFrame[3] | 0x80))
        return false;
    const bool awaited = m_closingSent.elapsed() <= kClosingAnswerMs;
    m_closingSent.invalidate();
    if (!awaited)
        return false;
    // Written like the link's other system-log rows, in the log's own language.
    const std::uint8_t result = ViewResponse(frame, len).ResultCode();
    SystemLog(6, m_closingTitle,
              result == 0
                  ? QStringLiteral("结束帧已发出，板卡已应答")
                  : QStringLiteral("结束帧已发出，板卡应答错误码(0x%1)：没有中继器时板卡不认识此命令，升级结果不受影响")
                        .arg(result, 2, 16, QLatin1Char('0')));
    return true;
}

bool WindowHost::LineHeld() const
{
    return m_dlg.YModemRunning() || m_dlg.Port().LineHeld();
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
