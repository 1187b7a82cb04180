// The main window: the page sheet, the port bar along the bottom, the board
// port object, the send path and the handling of the port's messages.
#pragma once

#include "app/framework/ctrlregistry.h"
#include "app/framework/internalmodegate.h"
#include "app/framework/pageregistry.h"
#include "app/framework/rxdispatch.h"
#include "app/framework/wndtimer.h"
#include "app/reconnect.h"
#include "app/settings.h"
#include "link/boardport.h"

#include <QDialog>
#include <QHash>
#include <QPointer>

#include <cstddef>
#include <cstdint>
#include <functional>

class PageBase;
class PageSheet;
class LedLamp;
class LinkWatcher;
class ReconnectWatch;
class StatusLineView;
class PageHost;
class WindowHost;
class QComboBox;

// Control ids of the port bar.
inline constexpr int IDC_PORT_LIST = 1293;
inline constexpr int IDC_BAUD_LIST = 1005;
inline constexpr int IDC_DATABITS_LIST = 1183;
inline constexpr int IDC_PARITY_LIST = 1292;
inline constexpr int IDC_STOPBITS_LIST = 1334;
inline constexpr int IDC_OPEN_PORT = 1290;
inline constexpr int IDC_MAIN_BOARD = 1414;
inline constexpr int IDC_SECONDARY_BOARD = 1415;
inline constexpr int IDC_TX_LED = 1338;
inline constexpr int IDC_RX_LED = 1306;
inline constexpr int IDC_ABOUT = 16;
inline constexpr int IDC_AUTO_RECONNECT = 1501; // "自动重连"
inline constexpr int IDC_STATUS_LINE = 1500;

// Timers of the window.
inline constexpr int TIMER_TX_FLASH = 4001;
inline constexpr int TIMER_RX_FLASH = 4002;
inline constexpr int TIMER_STATUS_LINE = 4009; // the times of the status line, while the port is open

class MainWindow : public QDialog, public CtrlRegistry {
    Q_OBJECT
public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    // --- send path (false only when memory runs out)
    // from: the sender's id on the port (BoardPort::TxSender), 0 for the pages.
    bool SendFrame(const std::uint8_t *payload, std::size_t count, std::uintptr_t from = 0);
    bool SendRaw(const std::uint8_t *bytes, std::size_t count, std::uintptr_t from = 0);

    // --- port
    bool OpenPort(bool interactive);
    // Selects (or types) the device in the port list and opens it.
    bool OpenPortByName(const QString &device, bool silent);
    // The start-up opening of the stored port, silent; a stored device the
    // system does not list as a serial port stays in the list to open by hand.
    bool OpenStoredPort();
    void ClosePort();
    void FillPortList(bool atStartup = false);
    void RefreshPortList();
    BoardPort &Port() { return m_port; }
    bool m_bOpenCOM = false;
    // Why the last OpenPort failed (the text of its box or row); empty after a success.
    QString m_strOpenError;

    // Takes one frame off the receive queue, handles it, and posts the
    // message again while frames wait (WM_FRAME_RECEIVED).
    void OnFrameReceived();

    // --- board choice (radio buttons 1414 / 1415)
    void OnBoardSwitch();
    RxDispatcher &Dispatcher() { return m_dispatch; }

    // --- pages, the host they talk to, the gate of the internal pages
    PageSheet *Sheet() const { return m_pSheet; }
    // The first page of a type (tests and benchmarks reach pages this way).
    template <class T> T *Page() const { return m_pages.Find<T>(); }
    const PageRegistry &Pages() const { return m_pages; }
    PageRegistry &Pages() { return m_pages; }
    PageBase *ActivePage() const;
    PageHost *Host() const;
    InternalModeGate &Gate() { return m_gate; }

    // --- YModem: the port's signals go to this receiver while it lives (guarded).
    void SetYModemReceiver(QObject *receiver);
    bool YModemRunning() const { return !m_hYModemWnd.isNull(); }
    QObject *YModemReceiver() const { return m_hYModemWnd; }

    // --- the terminal page's note for the status line while it holds the line (PageHost).
    void SetPortTakenBy(const QString &what);
    QString PortTakenBy() const { return m_strPortTakenBy; }

    // --- reports of the receive path
    void ReportUnhandled(const std::uint8_t *frame, int len);
    void ReportErrorCode(const std::uint8_t *frame, int len);
    void ReportLengthMismatch(const std::uint8_t *frame, int len, int need);

    // --- lamps
    void FlashRxLamp();
    void ShowPortLamps(bool open);
    LedLamp *TxLed() const { return m_pTxLed; }
    LedLamp *RxLed() const { return m_pRxLed; }

    // --- the board's answers, the status line, the return of a lost port
    LinkWatcher &LinkWatch() { return *m_pLinkWatch; }
    StatusLineView *StatusLine() const { return m_pStatusLine; }
    // Another board answers on the port than before: the status line names both.
    void OnBoardReplaced(const QString &previousSn, const QString &sn);
    ReconnectWatch &Reconnect() { return *m_pReconnect; }
    void UpdateStatusLine();
    // The port was lost (not closed by the user) and has not been opened since.
    bool PortLost() const { return m_lostAt.isValid(); }

    // Controls of the port bar are registered by id (CtrlRegistry).

    void SetTimer(int id, int ms) { m_timers.SetTimer(id, ms); }
    void KillTimer(int id) { m_timers.KillTimer(id); }
    bool IsTimerActive(int id) const { return m_timers.IsTimerActive(id); }
    int TimerInterval(int id) const { return m_timers.TimerInterval(id); }

    PortSettings m_settings;

    void OnAbout();
    void OnBtnClickOpenPort();

protected:
    bool event(QEvent *event) override;
    // Esc and Enter never close the main window (the close box does).
    void keyPressEvent(QKeyEvent *event) override;
    void OnTimer(int id);

private:
    bool TryOpenPort(bool interactive);
    QWidget *BuildPortBar();
    QWidget *BuildLanguagePicker();
    // Initial size: as large as planned when the screen allows it.
    void FitToScreen();
    void OnMessage(int msg, std::intptr_t wParam, std::intptr_t lParam);
    void OnYModemSignal(std::intptr_t wParam);
    void OnFrameSent();
    void OnPortRxByte(std::intptr_t wParam, std::intptr_t lParam);
    void OnShowPage(std::intptr_t wParam, std::intptr_t lParam);
    void OnPortIdle();
    void OnPortLost();
    void ClosePort(bool lost);
    void OnPortReturned(const QString &device);
    void OnAutoReconnectClicked();
    void ReportOpenFailure(bool interactive, const QString &text);
    void AfterPortOpened();
    void SetPortControlsOpen(bool open);
    void QueueEntry(FrameEntry *entry, std::uintptr_t from);
    void Flash(LedLamp *led, int timerId);

    // End of the running flash of each lamp (steady clock, ms); a burst of
    // frames extends it instead of restarting the timer for every frame.
    std::int64_t m_flashUntil[2] = {0, 0};

    BoardPort m_port;
    WindowHost *m_pHost = nullptr;
    InternalModeGate m_gate;
    PageRegistry m_pages;
    RxDispatcher m_dispatch;
    WndTimers m_timers;
    PageSheet *m_pSheet = nullptr;
    QPointer<QObject> m_hYModemWnd;
    LedLamp *m_pTxLed = nullptr;
    LedLamp *m_pRxLed = nullptr;
    LinkWatcher *m_pLinkWatch = nullptr;
    StatusLineView *m_pStatusLine = nullptr;
    ReconnectWatch *m_pReconnect = nullptr;
    PortIdentity m_openedPort; // what was opened last, to know it when it returns
    PortSettings m_lostSettings;
    QDateTime m_lostAt;
    QString m_replacedSn, m_boardSn; // the last board change seen on the port
    QString m_strPortTakenBy;
    bool m_bQuietOpen = false; // an opening by the return watch: failures are tried again, not reported
    QStringList m_typedPorts;  // device paths typed or given in this session
};
