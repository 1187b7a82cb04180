#include "app/mainwindow.h"

#include "app/dialogs/aboutdialog.h"
#include "app/framework/ledlamp.h"
#include "app/framework/msgbox.h"
#include "app/framework/pagebase.h"
#include "app/framework/rxreports.h"
#include "app/linkwatch.h"
#include "app/pagesheet.h"
#include "app/portbar.h"
#include "app/pylvexapp.h"
#include "app/retranslate.h"
#include "app/statusline.h"
#include "app/windowhost.h"
#include "lang/language.h"
#include "link/portdiscovery.h"
#include "link/winmsg.h"
#include "protocol/dassert.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QThread>
#include <QVBoxLayout>

#include <chrono>
#include <string>

namespace {
PylvexApp *App()
{
    return theApp();
}

std::int64_t SteadyMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
} // namespace

MainWindow::MainWindow(QWidget *parent)
    : QDialog(parent), m_pHost(new WindowHost(*this)), m_gate(this), m_dispatch(*m_pHost, m_pages),
      m_timers([this](int id) { OnTimer(id); }, this)
{
    m_pHost->setParent(this);
    m_dispatch.m_onBoardFrame = [this] { FlashRxLamp(); };
    m_pLinkWatch = new LinkWatcher(*m_pHost, m_dispatch, this);
    m_pLinkWatch->m_interval = [] { return GlobalLinkSettings().cmdSndInvl.load(); };
    connect(m_pLinkWatch, &LinkWatcher::Changed, this, &MainWindow::UpdateStatusLine);
    m_dispatch.m_onAnswer = [this](const std::uint8_t *frame, int len) { m_pLinkWatch->OnAnswer(frame, len); };
    m_dispatch.m_claim = [this](const std::uint8_t *frame, int len) { return m_pHost->TakeClosingAnswer(frame, len); };
    m_pReconnect = new ReconnectWatch(this);
    m_pReconnect->m_onReturned = [this](const QString &device) { OnPortReturned(device); };
    connect(m_pReconnect, &ReconnectWatch::DevicesChanged, this, &MainWindow::RefreshPortList);
    m_dispatch.m_replay = [this](const std::vector<const CachedFrame *> &frames) {
        for (const CachedFrame *cached : frames)
            m_port.PushRxFrame(cached->bytes, static_cast<std::size_t>(cached->len));
        PostMsg(this, WM_FRAME_RECEIVED);
    };
    setWindowTitle(QStringLiteral("Pylvex v%1").arg(QLatin1String(kPylvexVersion)));
    setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);
    if (PylvexApp *app = App())
        LoadSettings(*app, m_settings);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 0); // the status line closes the window
    m_pSheet = new PageSheet(this);
    layout->addWidget(m_pSheet, 1);
    layout->addWidget(BuildPortBar());
    m_pStatusLine = new StatusLineView(this);
    layout->addWidget(RegisterControl(IDC_STATUS_LINE, m_pStatusLine));
    m_pStatusLine->addPermanentWidget(BuildLanguagePicker());

    // Every page is built while the internal pages may still be shown.
    m_gate.BeginStartup();
    CreatePages(m_pHost, m_pSheet);
    for (int i = m_pSheet->count() - 1; i >= 0; --i)
        m_pSheet->SetActivePage(m_pSheet->PageAt(i));
    m_gate.EndStartup();

    auto *help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(help, &QShortcut::activated, this, &MainWindow::OnAbout);

    auto list = [this](int id) { return Item<QComboBox>(id); };
    FillPortList(true);
    SelectByPrefix(list(IDC_BAUD_LIST), m_settings.baud);
    SelectByPrefix(list(IDC_DATABITS_LIST), m_settings.dataBits);
    SelectByPrefix(list(IDC_PARITY_LIST), m_settings.parity);
    SelectByPrefix(list(IDC_STOPBITS_LIST), m_settings.stopBits);
    ShowPortLamps(false);
    UpdateStatusLine();
    if (PylvexApp *app = App(); app && !app->m_strStartPort.isEmpty())
        OpenPortByName(app->m_strStartPort, true); // given on the command line, or the demo board
    else
        OpenStoredPort();
    FitToScreen();
    // What was made before the language was installed (the log list) follows it too.
    if (lang::Current() != lang::Language::Chinese)
        RetranslateTree(this, lang::Language::Chinese, lang::Current());
}

void MainWindow::FitToScreen()
{
    // 1024 x 720 where the screen has room, less on a smaller screen (the
    // window frame needs some of it), never below the layout's minimum.
    QSize size(1024, 720);
    if (QScreen *screen = this->screen()) {
        const QSize room = screen->availableGeometry().size() - QSize(16, 40);
        size = size.boundedTo(room);
    }
    resize(size.expandedTo(minimumSizeHint()));
}

MainWindow::~MainWindow()
{
    if (PylvexApp *app = App())
        SaveSettings(*app, m_settings);
    m_bOpenCOM = false;
    SetYModemReceiver(nullptr);
    m_port.StopMonitoring();
    for (int i = 0; i < 100 && m_port.IsRunning(); ++i)
        QThread::msleep(10);
}

PageBase *MainWindow::ActivePage() const
{
    return m_pSheet ? m_pSheet->GetActivePage() : nullptr;
}

PageHost *MainWindow::Host() const
{
    return m_pHost;
}

void MainWindow::SetYModemReceiver(QObject *receiver)
{
    m_hYModemWnd = receiver;
    GlobalLinkSettings().ymodemActive = receiver != nullptr;
    if (!receiver)
        return;
    // A receiver that goes without saying so ends the hand-off all the same.
    connect(receiver, &QObject::destroyed, this, [this, receiver] {
        if (!m_hYModemWnd || m_hYModemWnd.data() == receiver)
            SetYModemReceiver(nullptr);
    });
}

void MainWindow::OnYModemSignal(std::intptr_t wParam)
{
    if (m_hYModemWnd)
        PostMsg(m_hYModemWnd.data(), WM_YMODEM_SIGNAL, wParam);
    else
        GlobalLinkSettings().ymodemActive = false;
}

// ------------------------------------------------------------- send path

void MainWindow::QueueEntry(FrameEntry *entry, std::uintptr_t from)
{
    m_port.PushTxEntry(entry, from);
}

bool MainWindow::SendFrame(const std::uint8_t *payload, std::size_t count, std::uintptr_t from)
{
    BuildResult built = BuildFrame(payload, count);
    FrameEntry *pEty = built.entry;
    if (!pEty)
        return false;
    if (!built.lengthOk)
        d_assert_fail(__FILE__, __LINE__, "pe == (pEty->ety_buf + pEty->ety_len)");
    PylvexApp *app = App();
    if (app && app->LogGateOpen(7)) {
        app->WriteLogText(7, QString::fromStdString(FrameLogTitle("发送", pEty->ety_buf, pEty->ety_len)),
                          QString::fromStdString(HexText(pEty->ety_buf, pEty->ety_len)));
    }
    QueueEntry(pEty, from);
    return true;
}

bool MainWindow::SendRaw(const std::uint8_t *bytes, std::size_t count, std::uintptr_t from)
{
    FrameEntry *pEty = BuildRaw(bytes, count);
    if (!pEty)
        return false;
    m_pLinkWatch->IgnoreNextSent(WatchedRequestKey(bytes, count));
    PylvexApp *app = App();
    if (app && app->LogGateOpen(7))
        app->WriteLogText(7, QStringLiteral("发送ZXSJ"), QString::fromStdString(HexText(bytes, count)));
    QueueEntry(pEty, from);
    return true;
}

// ---------------------------------------------------------------- reports

void MainWindow::ReportUnhandled(const std::uint8_t *frame, int len)
{
    ::ReportUnhandled(frame, len);
}

void MainWindow::ReportErrorCode(const std::uint8_t *frame, int len)
{
    ::ReportErrorCode(frame, len);
}

void MainWindow::ReportLengthMismatch(const std::uint8_t *frame, int len, int need)
{
    ::ReportLengthMismatch(frame, len, need);
}

// ---------------------------------------------------------------- board

void MainWindow::OnBoardSwitch()
{
    auto *mainBoard = Item<QAbstractButton>(IDC_MAIN_BOARD);
    int mainSelected = mainBoard && mainBoard->isChecked() ? 1 : 0;
    if (mainSelected != m_dispatch.m_bMainSelected)
        m_pLinkWatch->Reset(); // what the other board left unanswered says nothing about this one
    m_dispatch.SwitchBoard(mainSelected);
    UpdateStatusLine();
}

// ---------------------------------------------------------------- messages

bool MainWindow::event(QEvent *event)
{
    int type = static_cast<int>(event->type());
    if (type > WM_USER && type < WM_USER + 256) {
        auto *msg = static_cast<WinMsgEvent *>(event);
        OnMessage(type, msg->wParam(), msg->lParam());
        return true;
    }
    return QDialog::event(event);
}

void MainWindow::keyPressEvent(QKeyEvent *event)
{
    // A dialog ends on Esc and presses its default button on Enter; here that
    // would close the program (and stop a recording) from any edit box.
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Enter:
    case Qt::Key_Return: event->accept(); return;
    default: QDialog::keyPressEvent(event);
    }
}

void MainWindow::OnMessage(int msg, std::intptr_t wParam, std::intptr_t lParam)
{
    switch (msg) {
    case WM_FRAME_RECEIVED: OnFrameReceived(); break;
    case WM_YMODEM_SIGNAL: OnYModemSignal(wParam); break;
    case WM_FRAME_SENT:
        OnFrameSent();
        if (m_bOpenCOM)
            m_pLinkWatch->OnFrameSent(static_cast<RequestKey>(wParam), static_cast<int>(lParam));
        break;
    case WM_PORT_RXBYTE: OnPortRxByte(wParam, lParam); break;
    case WM_SHOW_PAGE: OnShowPage(wParam, lParam); break;
    case WM_PORT_IDLE: OnPortIdle(); break;
    case WM_PORT_LOST: OnPortLost(); break;
    default: break;
    }
}

void MainWindow::OnFrameReceived()
{
    if (FrameEntry *entry = m_port.PopRxFrame()) {
        m_dispatch.HandleFrame(entry->ety_buf, static_cast<int>(entry->ety_len));
        FrameEntryFree(entry);
    }
    if (!m_port.RxQueueEmpty())
        PostMsg(this, WM_FRAME_RECEIVED);
}

void MainWindow::OnTimer(int id)
{
    if (id == TIMER_TX_FLASH || id == TIMER_RX_FLASH) {
        std::int64_t left = m_flashUntil[id - TIMER_TX_FLASH] - SteadyMs();
        if (left > 0) {
            SetTimer(id, static_cast<int>(left));
            return;
        }
        LedLamp *led = id == TIMER_TX_FLASH ? m_pTxLed : m_pRxLed;
        // A flash that outlives the port ends in the closed look.
        led->SetLed(LedLamp::kGreen, m_bOpenCOM ? LedLamp::kBright : LedLamp::kGrey, LedLamp::kRound);
        KillTimer(id);
    }
    if (id == TIMER_STATUS_LINE)
        UpdateStatusLine();
}

void MainWindow::ShowPortLamps(bool open)
{
    for (LedLamp *led : {m_pTxLed, m_pRxLed})
        led->SetLed(LedLamp::kGreen, open ? LedLamp::kBright : LedLamp::kGrey, LedLamp::kRound);
}

void MainWindow::Flash(LedLamp *led, int timerId)
{
    led->SetLed(LedLamp::kRed, LedLamp::kBright, LedLamp::kRound);
    int ms = FlashTime(App() ? App()->m_nCmdSndInvl.load() : 400);
    m_flashUntil[timerId - TIMER_TX_FLASH] = SteadyMs() + ms;
    if (!IsTimerActive(timerId))
        SetTimer(timerId, ms);
}

void MainWindow::OnFrameSent()
{
    Flash(m_pTxLed, TIMER_TX_FLASH);
    emit m_pHost->FrameSent();
}

void MainWindow::FlashRxLamp()
{
    Flash(m_pRxLed, TIMER_RX_FLASH);
}

void MainWindow::OnPortRxByte(std::intptr_t wParam, std::intptr_t lParam)
{
    if (lParam != 0) {
        FlashRxLamp();
        return;
    }
    // The system log page keeps the echo line.
    emit m_pHost->RxEchoByte(static_cast<std::uint8_t>(wParam));
}

void MainWindow::OnShowPage(std::intptr_t wParam, std::intptr_t lParam)
{
    PageBase *ele = m_gate.PasswordPage();
    if (!m_pSheet)
        return;
    if (lParam == 0) {
        if (!ele)
            return;
        m_pSheet->SetActivePage(ele);
        PostMsg(ele, WM_UNLOCK_REQUEST, wParam, 0);
        return;
    }
    d_assert(wParam != 0);
    if (auto *page = qobject_cast<PageBase *>(reinterpret_cast<QObject *>(wParam)))
        m_pSheet->SetActivePage(page);
}

void MainWindow::OnPortIdle()
{
    emit m_pHost->PortIdle();
}

void MainWindow::OnPortLost()
{
    if (!m_bOpenCOM)
        return;
    QString name = m_port.PortName();
    m_lostSettings = m_settings;
    ClosePort(true);
    if (PylvexApp *app = App())
        app->WriteLogText(3, QStringLiteral("串口断开"),
                          QStringLiteral("串口 %1 已断开（设备被拔出或不再响应），串口已关闭").arg(name));
    m_lostAt = QDateTime::currentDateTime();
    if (m_settings.autoReconnect)
        m_pReconnect->Start(m_openedPort);
    UpdateStatusLine();
}

void MainWindow::OnPortReturned(const QString &device)
{
    if (m_bOpenCOM || !m_settings.autoReconnect) {
        m_pReconnect->Stop();
        return;
    }
    // The same settings as before the loss, whatever the lists show now.
    auto list = [this](int id) { return Item<QComboBox>(id); };
    SelectByPrefix(list(IDC_BAUD_LIST), m_lostSettings.baud);
    SelectByPrefix(list(IDC_DATABITS_LIST), m_lostSettings.dataBits);
    SelectByPrefix(list(IDC_PARITY_LIST), m_lostSettings.parity);
    SelectByPrefix(list(IDC_STOPBITS_LIST), m_lostSettings.stopBits);
    m_bQuietOpen = true;
    bool opened = OpenPortByName(device, true);
    m_bQuietOpen = false;
    if (!opened)
        return; // not ready yet (permissions, a device still settling): tried again at the next look
    if (PylvexApp *app = App())
        app->WriteLogText(6, QStringLiteral("串口重连"),
                          QStringLiteral("串口 %1 已重新连接，已按原设置重新打开").arg(device));
}

void MainWindow::OnAutoReconnectClicked()
{
    auto *box = Item<QAbstractButton>(IDC_AUTO_RECONNECT);
    m_settings.autoReconnect = box && box->isChecked();
    if (!m_settings.autoReconnect)
        m_pReconnect->Stop();
    else if (PortLost() && !m_bOpenCOM)
        m_pReconnect->Start(m_openedPort);
    UpdateStatusLine();
}

void MainWindow::SetPortTakenBy(const QString &what)
{
    m_strPortTakenBy = what;
    UpdateStatusLine();
}

void MainWindow::UpdateStatusLine()
{
    if (!m_pStatusLine)
        return;
    StatusFacts facts;
    auto list = [this](int id) { return Item<QComboBox>(id); };
    const PortSettings &s = m_bOpenCOM ? m_settings : (PortLost() ? m_lostSettings : m_settings);
    facts.port = m_bOpenCOM ? m_port.PortName() : list(IDC_PORT_LIST)->currentText().trimmed();
    if (PortLost() && !m_bOpenCOM)
        facts.port = m_lostSettings.portNum;
    facts.settings = m_bOpenCOM || PortLost()
                         ? QStringLiteral("%1,%2,%3,%4").arg(s.baud, s.dataBits, s.parity, s.stopBits)
                         : QStringLiteral("%1,%2,%3,%4")
                               .arg(list(IDC_BAUD_LIST)->currentText(), list(IDC_DATABITS_LIST)->currentText(),
                                    list(IDC_PARITY_LIST)->currentText(), list(IDC_STOPBITS_LIST)->currentText());
    facts.open = m_bOpenCOM;
    facts.lostAt = m_bOpenCOM ? QDateTime() : m_lostAt;
    facts.reconnecting = m_pReconnect->Watching();
    facts.mainBoard = m_dispatch.m_bMainSelected != 0;
    facts.lastAnswer = m_pLinkWatch->LastAnswerTime();
    facts.replacedSn = m_replacedSn;
    facts.boardSn = m_boardSn;
    facts.silentSince = m_pLinkWatch->SilentSince();
    facts.takenBy = m_strPortTakenBy;
    m_pStatusLine->Show(facts);
}

void MainWindow::OnAbout()
{
    AboutDialog about(this);
    RunModal(&about);
}

void MainWindow::OnBoardReplaced(const QString &previousSn, const QString &sn)
{
    m_replacedSn = previousSn;
    m_boardSn = sn;
    UpdateStatusLine();
}
