// The page "串口调试": a terminal over its own serial port (panel TerminalSerialPanel)
// or the network (panel TerminalNetPanel), outside the board protocol. Received bytes
// are shown with time stamps as hex or decoded text; the send box sends hex,
// text or AT command lines; counters show the bytes received and sent and
// the receive rate. Showing the page closes the board port and toggles the
// terminal's serial port; leaving it closes that port and reopens the board
// port. While it holds the line the page and the status line say so.
#pragma once

#include "app/framework/pagebase.h"
#include "app/pages/terminalpanel.h"
#include "link/termrxbank.h"
#include "protocol/termtext.h"

#include <QByteArray>
#include <QPointer>

class TerminalNetPanel;
class TerminalSerialPanel;
class SendFileDialog;
class QPlainTextEdit;
class QTabWidget;

inline constexpr int IDC_TERM_TAB = 111109;
inline constexpr int IDC_TERM_DISPLAY = 111070;
inline constexpr int IDC_TERM_SENDBOX = 111001;
inline constexpr int IDC_TERM_SEND = 111003;        // "发送"
inline constexpr int IDC_TERM_SENDFILE = 111078;    // "发送文件"
inline constexpr int IDC_TERM_CLEAR_RX = 111032;    // "清除接收"
inline constexpr int IDC_TERM_CLEAR_TX = 111034;    // "清除发送"
inline constexpr int IDC_TERM_CLEAR_COUNT = 111048; // "清除计数"
inline constexpr int IDC_TERM_CLEAR_ALL = 111077;   // "一无所有"
inline constexpr int IDC_TERM_INTERVAL = 111045;    // "间隔发送→"
inline constexpr int IDC_TERM_INTERVAL_MS = 111046;
inline constexpr int IDC_TERM_AUTOCLEAR = 111074; // "满收清空→"
inline constexpr int IDC_TERM_AUTOCLEAR_LIMIT = 111051;
inline constexpr int IDC_TERM_LINEBREAK = 111047; // "发帧换行"
inline constexpr int IDC_TERM_HEXSHOW = 111049;   // "HEX显示"
inline constexpr int IDC_TERM_HEXSEND = 111050;   // "HEX发送"
inline constexpr int IDC_TERM_ATMODE = 111081;    // "AT 模式"
inline constexpr int IDC_TERM_ENCODING = 111016;  // "  接收编码：ASCII"
inline constexpr int IDC_TERM_PAUSE = 111055;     // "暂停接收" / "继续接收"
inline constexpr int IDC_TERM_SAVE = 111076;      // "保存接收"
inline constexpr int IDC_TERM_BKCOLOR = 111071;   // "背景色"
inline constexpr int IDC_TERM_TEXTCOLOR = 111072; // "字体色"
inline constexpr int IDC_TERM_FONT = 111073;      // "字样式"
inline constexpr int IDC_TERM_RX_COUNT = 111133;  // "接收：0 Bytes 速率：0 Bps"
inline constexpr int IDC_TERM_TX_COUNT = 111134;  // "发送：0 Bytes"
inline constexpr int IDC_TERM_LINEEND = 111135;   // line ends of text sending
inline constexpr int IDC_TERM_HOLD_NOTE = 111136; // the page holds the board's line

inline constexpr int TIMER_TERM_SEND = 100;    // interval sending
inline constexpr int TIMER_TERM_REFRESH = 101; // display refresh

// What a line break typed in the send box becomes when text is sent.
enum class TextLineEnd { CrLf, Lf, Cr, None };
// The text's line breaks as the chosen line end.
QString WithLineEnds(QString text, TextLineEnd end);

class TerminalPage : public PageBase {
    Q_OBJECT
public:
    // The display keeps at most this many lines; the oldest go first.
    static constexpr int kDisplayLines = 20000;
    static constexpr int kRefreshMs = 40;

    explicit TerminalPage(PageHost *host, QWidget *parent = nullptr);
    ~TerminalPage() override;

    bool OnSetActive() override;
    void OnKillActive() override;
    void OnTimer(int id) override;

    TerminalSerialPanel *Uart() const { return m_pUart; }
    TerminalNetPanel *Net() const { return m_pNet; }
    TerminalPanel *CurrentLink() const { return m_pLink; }
    std::intptr_t LinkType() const { return m_nLinkType; }
    bool LinkOpen() const { return m_bLinkOpen; }
    QPlainTextEdit *Display() const { return m_pDisplay; }
    QPlainTextEdit *SendBox() const { return m_pSendBox; }
    // The bytes a send writes (without the line break).
    QByteArray TxBank() const { return m_txBank; }
    qint64 RxTotal() const { return m_rxBank.Total(); }
    qint64 TxTotal() const { return m_nTxTotal; }
    RxEncoding Encoding() const { return m_rxBank.Encoding(); }
    bool ShowRx() const { return m_bShowRx; }
    TextLineEnd LineEnd() const { return m_lineEnd; }
    // Whether the page holds the line (shown and the board port closed for it).
    bool HoldsLine() const { return m_bHoldsLine; }
    // What the page and the status line say it holds; empty when it holds nothing.
    QString HoldNote() const;

    // "发送" (and the interval timer): the send box's bytes to the current link.
    void Send();
    // Shows what waits in the receive bank now.
    void RefreshDisplay();

protected:
    void OnInitDialog() override;
    bool OnMessage(int msg, std::intptr_t wParam, std::intptr_t lParam) override;

private:
    void BuildLayout();
    void OnTabChanged(int index);
    void OnLinkEvent(std::intptr_t wParam, std::intptr_t lParam);
    void OnSendBoxChanged();
    void OnModeBox(int id, bool checked);
    void OnLineEndChosen(int index);
    void ShowHold();
    void EvaluateIntervalSend();
    void EvaluateAutoClear();
    void SendAtCommand(const QString &command);
    void AppendDisplay(const QString &text);
    void ApplyLineSpacing();
    void ShowTxCount(const QString &format);
    void CountSent(int written);

    void OnBtnClickEncoding();
    void OnBtnClickPause();
    void OnBtnClickClearRx();
    void OnBtnClickClearTx();
    void OnBtnClickClearCount();
    void OnBtnClickClearAll();
    void OnBtnClickSave();
    void OnBtnClickBkColor();
    void OnBtnClickTextColor();
    void OnBtnClickFont();
    void OnBtnClickSendFile();

    QTabWidget *m_pTab = nullptr;
    TerminalSerialPanel *m_pUart = nullptr;
    TerminalNetPanel *m_pNet = nullptr;
    QPlainTextEdit *m_pDisplay = nullptr;
    QPlainTextEdit *m_pSendBox = nullptr;

    TerminalPanel *m_pLink = nullptr;
    std::intptr_t m_nLinkType = LINK_UART;
    bool m_bLinkOpen = false;

    bool m_bLineBreak = false;
    bool m_bHexSend = true;
    bool m_bShowRx = true;
    bool m_bAutoClear = false;
    int m_nClearLimit = 5120;
    bool m_bATMode = false;
    TextLineEnd m_lineEnd = TextLineEnd::CrLf;
    bool m_bHoldsLine = false;
    bool m_bEditing = false; // the send box is being cut back by the page

    TermRxBank m_rxBank;
    QByteArray m_txBank;
    qint64 m_nTxTotal = 0;
    term::RxRate m_rate{kRefreshMs};

    // Activations and deactivations seen; the first of each come while the
    // window builds its pages and do nothing.
    int m_nActivations = 0;
    int m_nDeactivations = 0;
};
