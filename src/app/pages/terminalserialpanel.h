// The serial panel of the terminal page (tab "串口"): the terminal's own
// serial port with its line settings, DTR and RTS, opened and closed by its
// button, its lamp, or the page's activation. The port runs in a thread of
// its own (TermSerialLink); a device that goes away closes the port once.
// Like the board port, a stored port name selects only the entry of exactly
// that name, and the page's activation opens only a device the system lists
// or one the user chose here; why a port did not open stays on the panel.
#pragma once

#include "app/framework/ctrlregistry.h"
#include "app/pages/terminalpanel.h"
#include "link/termserial.h"

#include <QWidget>

class PageHost;
class LedLamp;
class QComboBox;

inline constexpr int IDC_UART_PORT = 111005;     // "串口号"
inline constexpr int IDC_UART_BAUD = 111007;     // "波特率"
inline constexpr int IDC_UART_DATABITS = 111012; // "数据位"
inline constexpr int IDC_UART_STOPBITS = 111010; // "停止位"
inline constexpr int IDC_UART_PARITY = 111011;   // "校   验"
inline constexpr int IDC_UART_OPEN = 111002;     // "打开串口" / "关闭串口"
inline constexpr int IDC_UART_LAMP = 111027;     // state picture, a click toggles
inline constexpr int IDC_UART_DTR = 111138;
inline constexpr int IDC_UART_RTS = 111139;
inline constexpr int IDC_UART_DSR = 111140;
inline constexpr int IDC_UART_CTS = 111141;
inline constexpr int IDC_UART_NOTICE = 111142; // why the port is not open

class TerminalSerialPanel : public QWidget, public CtrlRegistry, public TerminalPanel {
    Q_OBJECT
public:
    explicit TerminalSerialPanel(PageHost *host, QWidget *parent = nullptr);
    ~TerminalSerialPanel() override;

    // Where WM_ONRECEIVE goes.
    void SetNotify(QObject *page) { m_inbox.SetTarget(page, LINK_UART); }

    // The baud rates offered, top to bottom.
    static QStringList BaudEntries();
    // The last entry of the port list; choosing it fills the list again.
    static QString RefreshEntry();

    // Opens the port when closed, closes it when open. interactive: a
    // failure is shown in a message box (the user pressed the button), else
    // written to the system log (the page was shown); either way the panel
    // keeps the reason in sight until the port opens. Unasked, a device that
    // the system does not list and the user did not choose is not opened.
    void Toggle(bool interactive = true);
    bool OpenPort(bool interactive = true);
    void ClosePort();
    // Fills the port list from the machine and selects its first entry.
    void FillPortList();
    // "Config": "ComName" and "BDSE" when stored.
    void ApplyStoredSettings();

    // TerminalPanel
    int Write(const QByteArray &bytes) override;
    int Read(QByteArray *data, QString *source, std::intptr_t wParam, std::intptr_t lParam) override;
    bool IsOpen() const override { return m_link.IsOpen(); }
    TermLink *CurrentLink() override { return &m_link; }
    PanelInbox &Inbox() override { return m_inbox; }

    TermSerialLink &Link() { return m_link; }
    // Why the port is not open ("" when it is, or nothing went wrong).
    QString Notice() const;

private:
    void Build();
    void ShowState(bool open);
    void OnPortChosen(int index);
    void OnLineBox(int id, bool checked);
    void OnLinkError(const QString &text, bool lost);
    void ReportOpenFailure(bool interactive, const QString &text, int icon);
    void ShowNotice(const QString &text);
    void RememberUserChoice(const QString &name);
    QComboBox *List(int id) const;

    PageHost *m_pHost;
    TermSerialLink m_link;
    PanelInbox m_inbox;
    LedLamp *m_pLamp = nullptr;
    // Port names the user typed or picked in this panel.
    QStringList m_userPorts;
};
