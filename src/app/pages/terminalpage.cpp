#include "app/pages/terminalpage.h"

#include "app/dialogs/filedialogex.h"
#include "app/dialogs/sendfiledialog.h"
#include "app/framework/msgbox.h"
#include "app/framework/pagehost.h"
#include "app/pages/terminalnetpanel.h"
#include "app/pages/terminalserialpanel.h"
#include "app/userprofile.h"
#include "files/terminaltext.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFontDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStringEncoder>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextLayout>
#include <QThread>
#include <QTime>
#include <QVBoxLayout>

#include <algorithm>

namespace {
// The board port and the terminal's port may be the same device: the one
// is given this long to let go before the other opens it.
constexpr int kPortHandOverMs = 100;
// The display holds at most this many characters besides its line cap (one
// line of a flood can be megabytes long); beyond it the oldest lines go, down
// to three quarters, so trimming is rare.
constexpr int kDisplayChars = 1 << 20;

const char *const kEncodingTexts[] = {QT_TRANSLATE_NOOP("TerminalPage", "  接收编码：ASCII"),
                                      QT_TRANSLATE_NOOP("TerminalPage", "  接收编码：UTF-8"),
                                      QT_TRANSLATE_NOOP("TerminalPage", "  接收编码：Unicode")};

// The display's layout: every line takes 1.4 times its natural height, the
// extra space below the text.
class SpacedTextLayout : public QPlainTextDocumentLayout {
public:
    using QPlainTextDocumentLayout::QPlainTextDocumentLayout;
    static constexpr qreal kLineSpacing = 1.4;

    QRectF blockBoundingRect(const QTextBlock &block) const override
    {
        QRectF rect = QPlainTextDocumentLayout::blockBoundingRect(block);
        if (block.isValid() && block.layout() && block.layout()->lineCount() > 0) {
            qreal lines = 0;
            for (int i = 0; i < block.layout()->lineCount(); ++i)
                lines += block.layout()->lineAt(i).height();
            rect.setHeight(rect.height() + lines * (kLineSpacing - 1.0));
        }
        return rect;
    }
};

// The link tabs. Ctrl+Tab, Ctrl+PgUp and the like step through the pages of
// the window, not through these two tabs.
class LinkTabs : public QTabWidget {
public:
    using QTabWidget::QTabWidget;

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        const bool ctrl = event->modifiers() & Qt::ControlModifier;
        const int key = event->key();
        if (ctrl &&
            (key == Qt::Key_Tab || key == Qt::Key_Backtab || key == Qt::Key_PageUp || key == Qt::Key_PageDown)) {
            event->ignore();
            return;
        }
        QTabWidget::keyPressEvent(event);
    }
};

QByteArray ToGbk(const QString &text)
{
    QStringEncoder encoder("GBK");
    return encoder.encode(text);
}

// The line-end choices in the order of their list, with the profile's names.
struct LineEndChoice {
    TextLineEnd end;
    const char *text;
    const char *stored;
};
const LineEndChoice kLineEnds[] = {{TextLineEnd::CrLf, "CR LF", "CRLF"},
                                   {TextLineEnd::Lf, "LF", "LF"},
                                   {TextLineEnd::Cr, "CR", "CR"},
                                   {TextLineEnd::None, QT_TRANSLATE_NOOP("TerminalPage", "无"), "None"}};
const QString kLineEndKey = QStringLiteral("Terminal/TextLineEnd");

int StoredLineEndIndex()
{
    const QString stored = UserProfile().value(kLineEndKey).toString();
    for (int i = 0; i < static_cast<int>(std::size(kLineEnds)); ++i)
        if (stored.compare(QLatin1String(kLineEnds[i].stored), Qt::CaseInsensitive) == 0)
            return i;
    return 0;
}
} // namespace

QString WithLineEnds(QString text, TextLineEnd end)
{
    // A pasted text may hold CR LF or lone CRs: each is one line break.
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    switch (end) {
    case TextLineEnd::CrLf: return text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    case TextLineEnd::Cr: return text.replace(QLatin1Char('\n'), QLatin1Char('\r'));
    case TextLineEnd::None: return text.remove(QLatin1Char('\n'));
    case TextLineEnd::Lf: break;
    }
    return text;
}

TerminalPage::TerminalPage(PageHost *host, QWidget *parent) : PageBase(host, tr("串口调试"), parent) {}

TerminalPage::~TerminalPage() = default;

void TerminalPage::OnInitDialog()
{
    BuildLayout();
    m_pUart->SetNotify(this);
    m_pNet->SetNotify(this);
    m_pLink = m_pUart;
    m_nLinkType = LINK_UART;
    m_rxBank.SetHex(true);
    PageBase::OnInitDialog();
}

void TerminalPage::BuildLayout()
{
    auto *top = new QHBoxLayout(this);

    // Left: the link panels, then the control group.
    auto *left = new QVBoxLayout;
    auto *hold = MakeLabel(IDC_TERM_HOLD_NOTE, QString());
    hold->setWordWrap(true);
    hold->setStyleSheet(QStringLiteral("color: #1f4e9c; font-weight: bold;"));
    hold->hide();
    left->addWidget(hold);
    m_pTab = new LinkTabs(this);
    RegisterControl(IDC_TERM_TAB, m_pTab);
    m_pUart = new TerminalSerialPanel(Host(), m_pTab);
    m_pNet = new TerminalNetPanel(Host(), m_pTab);
    m_pTab->addTab(m_pUart, tr("串口"));
    m_pTab->addTab(m_pNet, tr("网络"));
    connect(m_pTab, &QTabWidget::currentChanged, this, &TerminalPage::OnTabChanged);
    left->addWidget(m_pTab);

    auto *control = new QGroupBox(tr("数据控制"), this);
    auto *grid = new QGridLayout(control);
    int row = 0;
    auto check = [&](int id, const char *text, int r, int c) {
        QCheckBox *box = MakeCheck(id, tr(text));
        grid->addWidget(box, r, c);
        return box;
    };
    check(IDC_TERM_INTERVAL, QT_TR_NOOP("间隔发送→"), row, 0);
    grid->addWidget(MakeEdit(IDC_TERM_INTERVAL_MS), row++, 1);
    check(IDC_TERM_AUTOCLEAR, QT_TR_NOOP("满收清空→"), row, 0);
    grid->addWidget(MakeEdit(IDC_TERM_AUTOCLEAR_LIMIT), row++, 1);
    check(IDC_TERM_LINEBREAK, QT_TR_NOOP("发帧换行"), row, 0);
    check(IDC_TERM_ATMODE, QT_TR_NOOP("AT 模式"), row++, 1);
    check(IDC_TERM_HEXSHOW, QT_TR_NOOP("HEX显示"), row, 0);
    check(IDC_TERM_HEXSEND, QT_TR_NOOP("HEX发送"), row++, 1);
    grid->addWidget(new QLabel(tr("文本行尾："), control), row, 0);
    auto *lineEnds = new QComboBox(control);
    for (const LineEndChoice &c : kLineEnds)
        lineEnds->addItem(tr(c.text));
    lineEnds->setToolTip(tr("文本发送时，发送框中的换行以此发出"));
    RegisterControl(IDC_TERM_LINEEND, lineEnds);
    grid->addWidget(lineEnds, row++, 1);
    grid->addWidget(MakeButton(IDC_TERM_ENCODING, tr(kEncodingTexts[0])), row++, 0, 1, 2);
    grid->addWidget(MakeButton(IDC_TERM_PAUSE, tr("暂停接收")), row, 0);
    grid->addWidget(MakeButton(IDC_TERM_SAVE, tr("保存接收")), row++, 1);
    grid->addWidget(MakeButton(IDC_TERM_BKCOLOR, tr("背景色")), row, 0);
    grid->addWidget(MakeButton(IDC_TERM_TEXTCOLOR, tr("字体色")), row++, 1);
    grid->addWidget(MakeButton(IDC_TERM_FONT, tr("字样式")), row, 0);
    grid->addWidget(MakeButton(IDC_TERM_CLEAR_ALL, tr("一无所有")), row++, 1);
    left->addWidget(control);
    left->addStretch(1);
    top->addLayout(left, 0);

    // Right: the display, the send box and the counters.
    auto *exchange = new QGroupBox(tr("数据收发"), this);
    auto *right = new QVBoxLayout(exchange);
    m_pDisplay = new QPlainTextEdit(exchange);
    auto *document = new QTextDocument(m_pDisplay);
    document->setDocumentLayout(new SpacedTextLayout(document));
    m_pDisplay->setDocument(document);
    m_pDisplay->setReadOnly(true);
    m_pDisplay->setMaximumBlockCount(kDisplayLines);
    m_pDisplay->setUndoRedoEnabled(false);
    m_pDisplay->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    RegisterControl(IDC_TERM_DISPLAY, m_pDisplay);
    right->addWidget(m_pDisplay, 4);
    m_pSendBox = new QPlainTextEdit(exchange);
    m_pSendBox->setUndoRedoEnabled(false);
    RegisterControl(IDC_TERM_SENDBOX, m_pSendBox);
    right->addWidget(m_pSendBox, 1);
    auto *buttons = new QHBoxLayout;
    for (auto [id, text] : {std::pair{IDC_TERM_SEND, QT_TR_NOOP("发送")},
                            {IDC_TERM_SENDFILE, QT_TR_NOOP("发送文件")},
                            {IDC_TERM_CLEAR_RX, QT_TR_NOOP("清除接收")},
                            {IDC_TERM_CLEAR_TX, QT_TR_NOOP("清除发送")},
                            {IDC_TERM_CLEAR_COUNT, QT_TR_NOOP("清除计数")}})
        buttons->addWidget(MakeButton(id, tr(text)));
    right->addLayout(buttons);
    auto *counters = new QHBoxLayout;
    counters->addWidget(MakeLabel(IDC_TERM_RX_COUNT, tr("接收：0 Bytes 速率：0 Bps")), 1);
    counters->addWidget(MakeLabel(IDC_TERM_TX_COUNT, tr("发送：0 Bytes")), 1);
    right->addLayout(counters);
    top->addWidget(exchange, 1);

    SetDlgItemText(IDC_TERM_INTERVAL_MS, QStringLiteral("1000"));
    SetDlgItemText(IDC_TERM_AUTOCLEAR_LIMIT, QStringLiteral("5120"));
    CheckDlgButton(IDC_TERM_HEXSEND, 1);
    CheckDlgButton(IDC_TERM_HEXSHOW, 1);
    ApplyLineSpacing();

    for (int id : {IDC_TERM_INTERVAL, IDC_TERM_AUTOCLEAR, IDC_TERM_LINEBREAK, IDC_TERM_HEXSHOW, IDC_TERM_HEXSEND,
                   IDC_TERM_ATMODE})
        connect(Item<QCheckBox>(id), &QCheckBox::clicked, this, [this, id](bool on) { OnModeBox(id, on); });
    connect(Item<QLineEdit>(IDC_TERM_INTERVAL_MS), &QLineEdit::textEdited, this, [this] { EvaluateIntervalSend(); });
    connect(Item<QLineEdit>(IDC_TERM_AUTOCLEAR_LIMIT), &QLineEdit::textEdited, this, [this] { EvaluateAutoClear(); });
    connect(m_pSendBox, &QPlainTextEdit::textChanged, this, &TerminalPage::OnSendBoxChanged);
    lineEnds->setCurrentIndex(StoredLineEndIndex());
    m_lineEnd = kLineEnds[lineEnds->currentIndex()].end;
    connect(lineEnds, &QComboBox::currentIndexChanged, this, &TerminalPage::OnLineEndChosen);
    const std::pair<int, void (TerminalPage::*)()> clicks[] = {
        {IDC_TERM_SEND, &TerminalPage::Send},
        {IDC_TERM_SENDFILE, &TerminalPage::OnBtnClickSendFile},
        {IDC_TERM_CLEAR_RX, &TerminalPage::OnBtnClickClearRx},
        {IDC_TERM_CLEAR_TX, &TerminalPage::OnBtnClickClearTx},
        {IDC_TERM_CLEAR_COUNT, &TerminalPage::OnBtnClickClearCount},
        {IDC_TERM_CLEAR_ALL, &TerminalPage::OnBtnClickClearAll},
        {IDC_TERM_ENCODING, &TerminalPage::OnBtnClickEncoding},
        {IDC_TERM_PAUSE, &TerminalPage::OnBtnClickPause},
        {IDC_TERM_SAVE, &TerminalPage::OnBtnClickSave},
        {IDC_TERM_BKCOLOR, &TerminalPage::OnBtnClickBkColor},
        {IDC_TERM_TEXTCOLOR, &TerminalPage::OnBtnClickTextColor},
        {IDC_TERM_FONT, &TerminalPage::OnBtnClickFont},
    };
    for (const auto &[id, handler] : clicks)
        connect(Item<QPushButton>(id), &QPushButton::clicked, this, handler);
}

// ------------------------------------------------------------ activation

bool TerminalPage::OnSetActive()
{
    if (!PageBase::OnSetActive())
        return false;
    if (m_nActivations++ == 0)
        return true;
    if (Host())
        Host()->ClosePort();
    QThread::msleep(kPortHandOverMs);
    // Not a press of the port's button: a failure goes to the system log.
    m_pUart->Toggle(false);
    m_bHoldsLine = true;
    ShowHold();
    return true;
}

QString TerminalPage::HoldNote() const
{
    if (!m_bHoldsLine)
        return QString();
    return m_pUart->IsOpen() ? m_pUart->Link().Settings().port : tr("（终端串口未打开）");
}

void TerminalPage::ShowHold()
{
    const QString held = HoldNote();
    auto *label = Item<QLabel>(IDC_TERM_HOLD_NOTE);
    label->setText(held.isEmpty() ? QString() : tr("串口调试占用 %1；板卡串口已关闭，离开本页后恢复。").arg(held));
    label->setVisible(!held.isEmpty());
    if (Host())
        Host()->SetPortTakenBy(held);
}

void TerminalPage::OnKillActive()
{
    if (m_nDeactivations++ == 0)
        return;
    m_bHoldsLine = false;
    ShowHold();
    // Leaving closes the terminal's port; a port the user closed on the page
    // stays closed (it is never opened behind the user's back).
    if (m_pUart->IsOpen()) {
        m_pUart->ClosePort();
        QThread::msleep(kPortHandOverMs);
    }
    if (Host())
        Host()->OpenPort(false);
}

// ------------------------------------------------------------ links

void TerminalPage::OnTabChanged(int index)
{
    TerminalPanel *shown = index == 1 ? static_cast<TerminalPanel *>(m_pNet) : m_pUart;
    m_nLinkType = index == 1 ? LINK_NET : LINK_UART;
    m_pLink = shown;
    // What the newly shown link received while hidden is not shown.
    shown->Inbox().Clear();
}

bool TerminalPage::OnMessage(int msg, std::intptr_t wParam, std::intptr_t lParam)
{
    if (msg != WM_ONRECEIVE)
        return PageBase::OnMessage(msg, wParam, lParam);
    OnLinkEvent(wParam, lParam);
    return true;
}

void TerminalPage::OnLinkEvent(std::intptr_t wParam, std::intptr_t lParam)
{
    // The serial port opened or closed while the page holds the line: say what it holds now.
    if ((wParam & LINK_TYPE_MASK) == LINK_UART && (wParam & 0xFFFF) != LINK_EVT_DATA && m_bHoldsLine)
        ShowHold();
    switch (wParam & 0xFFFF) {
    case LINK_EVT_OPENED:
        if (!m_bLinkOpen) {
            m_bLinkOpen = true;
            EvaluateIntervalSend();
            SetTimer(TIMER_TERM_REFRESH, kRefreshMs);
        }
        break;
    case LINK_EVT_CLOSED:
        if (m_bLinkOpen) {
            m_bLinkOpen = false;
            KillTimer(TIMER_TERM_SEND);
            KillTimer(TIMER_TERM_REFRESH);
            RefreshDisplay();
        }
        break;
    case LINK_EVT_DATA: {
        TerminalPanel *from = (wParam & LINK_TYPE_MASK) == LINK_NET ? static_cast<TerminalPanel *>(m_pNet) : m_pUart;
        if ((wParam & LINK_TYPE_MASK) != m_nLinkType) {
            from->Inbox().Ignored();
            break;
        }
        QByteArray bytes;
        QString source;
        if (from->Read(&bytes, &source, wParam, lParam) > 0)
            m_rxBank.Append(source, bytes, QTime::currentTime());
        // Data that arrives after the link closed is shown at once.
        if (!m_bLinkOpen)
            RefreshDisplay();
        break;
    }
    default: break;
    }
}

// ------------------------------------------------------------ display

void TerminalPage::OnTimer(int id)
{
    if (id == TIMER_TERM_SEND) {
        if (m_pLink) {
            QByteArray bytes = m_bLineBreak ? m_txBank + QByteArray("\r\n", 2) : m_txBank;
            CountSent(m_pLink->Write(bytes));
        }
        return;
    }
    if (id == TIMER_TERM_REFRESH) {
        if (std::optional<std::int64_t> rate = m_rate.Tick(m_rxBank.Count()))
            SetDlgItemText(IDC_TERM_RX_COUNT,
                           tr("接收：%1 Bytes ,速率：%2 Bps").arg(m_rxBank.Total()).arg(static_cast<qint64>(*rate)));
        RefreshDisplay();
    }
}

void TerminalPage::RefreshDisplay()
{
    if (m_rxBank.Count() == 0)
        return;
    QString text = m_rxBank.Take();
    if (m_bAutoClear && m_pDisplay->document()->characterCount() - 1 > m_nClearLimit)
        m_pDisplay->clear();
    // Paused: what arrived meanwhile is dropped, only the counter keeps it.
    if (m_bShowRx)
        AppendDisplay(text);
}

void TerminalPage::AppendDisplay(const QString &text)
{
    QScrollBar *bar = m_pDisplay->verticalScrollBar();
    QTextDocument *document = m_pDisplay->document();
    QTextCursor cursor(document);
    cursor.movePosition(QTextCursor::End);
    // Of more text than the display holds only its end is shown.
    cursor.insertText(text.size() > kDisplayChars ? text.right(kDisplayChars) : text, QTextCharFormat());
    const int excess = document->characterCount() - kDisplayChars;
    if (excess > 0) {
        QTextCursor front(document);
        front.setPosition(std::min(excess + kDisplayChars / 4, document->characterCount() - 1),
                          QTextCursor::KeepAnchor);
        front.removeSelectedText();
    }
    bar->setValue(bar->maximum());
}

void TerminalPage::ApplyLineSpacing()
{
    // The layout spaces the lines (SpacedTextLayout); after a change of the
    // font or the text it lays the display out again, and the selection goes.
    if (auto *layout = qobject_cast<QPlainTextDocumentLayout *>(m_pDisplay->document()->documentLayout()))
        layout->requestUpdate();
    QTextCursor cursor = m_pDisplay->textCursor();
    cursor.clearSelection();
    m_pDisplay->setTextCursor(cursor);
}

// ------------------------------------------------------------ sending

void TerminalPage::Send()
{
    if (!m_pLink || !m_pLink->IsOpen()) {
        MessageBox(tr("请先打开串口或网络连接后再发送！"), tr("警告"), MB_ICONWARNING);
        return;
    }
    QByteArray bytes = m_bLineBreak ? m_txBank + QByteArray("\r\n", 2) : m_txBank;
    CountSent(m_pLink->Write(bytes));
}

void TerminalPage::CountSent(int written)
{
    if (written <= 0)
        return;
    m_nTxTotal += written;
    SetDlgItemText(IDC_TERM_TX_COUNT, tr("发送：%1 Bytes").arg(m_nTxTotal));
}

void TerminalPage::OnSendBoxChanged()
{
    if (m_bEditing)
        return;
    QString text = m_pSendBox->toPlainText();
    if (m_bHexSend) {
        term::HexSendText hex = term::ParseHexSend(text.toStdString());
        if (!hex.valid) {
            // Every valid character is ASCII, so the valid prefix has as
            // many characters as bytes.
            int cut = static_cast<int>(hex.validLength);
            m_bEditing = true;
            m_pSendBox->setPlainText(text.left(cut));
            QTextCursor cursor = m_pSendBox->textCursor();
            cursor.setPosition(cut);
            m_pSendBox->setTextCursor(cursor);
            m_bEditing = false;
            m_txBank.clear();
            MessageBox(tr("请输入有效的HEX格式!\n范围：('0-9','a-f','A-F')\n字节间可以用空格隔开"), tr("警告"),
                       MB_ICONWARNING);
            // The text before the cut still stands for bytes.
            term::HexSendText kept = term::ParseHexSend(text.left(cut).toStdString());
            m_txBank = QByteArray(reinterpret_cast<const char *>(kept.bytes.data()),
                                  static_cast<qsizetype>(kept.bytes.size()));
            return;
        }
        m_txBank =
            QByteArray(reinterpret_cast<const char *>(hex.bytes.data()), static_cast<qsizetype>(hex.bytes.size()));
        return;
    }
    if (m_bATMode) {
        if (std::optional<std::string> command = term::AtCommand(text.toStdString())) {
            SendAtCommand(QString::fromStdString(*command));
            return;
        }
    }
    m_txBank = ToGbk(WithLineEnds(text, m_lineEnd));
}

void TerminalPage::OnLineEndChosen(int index)
{
    if (index < 0 || index >= static_cast<int>(std::size(kLineEnds)))
        return;
    m_lineEnd = kLineEnds[index].end;
    UserProfile().setValue(kLineEndKey, QString::fromLatin1(kLineEnds[index].stored));
    if (!m_bHexSend && !m_bATMode)
        OnSendBoxChanged(); // what a send sends now
}

void TerminalPage::SendAtCommand(const QString &command)
{
    int written = m_pLink ? m_pLink->Write(ToGbk(command) + QByteArray("\r\n", 2)) : -1;
    m_bEditing = true;
    if (written <= 0) {
        // Not sent: the command stays in the box for another try.
        m_pSendBox->setPlainText(command);
        m_pSendBox->moveCursor(QTextCursor::End);
        m_bEditing = false;
        m_txBank = ToGbk(command);
        return;
    }
    m_pSendBox->clear();
    m_bEditing = false;
    m_txBank.clear();
    CountSent(written);
    QTextCharFormat format;
    format.setForeground(QColor(240, 60, 60));
    format.setFontWeight(QFont::Bold);
    format.setFontItalic(true);
    QTextCursor cursor(m_pDisplay->document());
    cursor.movePosition(QTextCursor::End);
    if (!m_pDisplay->document()->isEmpty() && !cursor.block().text().isEmpty())
        cursor.insertText(QStringLiteral("\n"), QTextCharFormat());
    cursor.insertText(command, format);
    cursor.insertText(QStringLiteral("\n"), QTextCharFormat());
    m_pDisplay->verticalScrollBar()->setValue(m_pDisplay->verticalScrollBar()->maximum());
}

void TerminalPage::OnModeBox(int id, bool checked)
{
    switch (id) {
    case IDC_TERM_INTERVAL: EvaluateIntervalSend(); break;
    case IDC_TERM_AUTOCLEAR: EvaluateAutoClear(); break;
    case IDC_TERM_LINEBREAK: m_bLineBreak = checked; break;
    case IDC_TERM_HEXSHOW: m_rxBank.SetHex(checked); break;
    case IDC_TERM_ATMODE:
        if (checked && m_bHexSend) {
            CheckDlgButton(IDC_TERM_ATMODE, 0); // AT lines are text
            return;
        }
        m_bATMode = checked;
        break;
    case IDC_TERM_HEXSEND:
        if (checked && m_bATMode) {
            CheckDlgButton(IDC_TERM_HEXSEND, 0);
            return;
        }
        m_bHexSend = checked;
        m_txBank.clear();
        if (checked)
            m_pSendBox->clear();
        else
            OnSendBoxChanged(); // the text in the box is what a send sends now
        break;
    default: break;
    }
}

void TerminalPage::EvaluateIntervalSend()
{
    if (!IsDlgButtonChecked(IDC_TERM_INTERVAL)) {
        KillTimer(TIMER_TERM_SEND);
        return;
    }
    bool ok = false;
    int period = GetDlgItemText(IDC_TERM_INTERVAL_MS).trimmed().toInt(&ok);
    if (ok && period > 0 && m_pLink && m_pLink->IsOpen()) {
        SetTimer(TIMER_TERM_SEND, period);
        return;
    }
    KillTimer(TIMER_TERM_SEND);
    CheckDlgButton(IDC_TERM_INTERVAL, 0);
}

void TerminalPage::EvaluateAutoClear()
{
    m_bAutoClear = IsDlgButtonChecked(IDC_TERM_AUTOCLEAR);
    if (m_bAutoClear)
        m_nClearLimit = GetDlgItemText(IDC_TERM_AUTOCLEAR_LIMIT).trimmed().toInt();
}

// ------------------------------------------------------------ buttons

void TerminalPage::OnBtnClickEncoding()
{
    RxEncoding next = NextRxEncoding(m_rxBank.Encoding());
    m_rxBank.SetEncoding(next);
    SetDlgItemText(IDC_TERM_ENCODING, tr(kEncodingTexts[static_cast<int>(next)]));
}

void TerminalPage::OnBtnClickPause()
{
    m_bShowRx = !m_bShowRx;
    SetDlgItemText(IDC_TERM_PAUSE, m_bShowRx ? tr("暂停接收") : tr("继续接收"));
}

void TerminalPage::OnBtnClickClearRx()
{
    m_pDisplay->clear();
    ApplyLineSpacing();
    m_rxBank.Clear();
}

void TerminalPage::OnBtnClickClearTx()
{
    m_bEditing = true;
    m_pSendBox->clear();
    m_bEditing = false;
    m_txBank.clear();
}

void TerminalPage::OnBtnClickClearCount()
{
    m_rxBank.ResetTotal();
    m_nTxTotal = 0;
    m_rate.Reset();
    SetDlgItemText(IDC_TERM_RX_COUNT, tr("接收：%1 Bytes ,速率：0 Bps").arg(0));
    SetDlgItemText(IDC_TERM_TX_COUNT, tr("发送数据：%1 Bytes").arg(0));
}

void TerminalPage::OnBtnClickClearAll()
{
    OnBtnClickClearRx();
    OnBtnClickClearTx();
    OnBtnClickClearCount();
    m_rxBank.ForgetPeer();
}

void TerminalPage::OnBtnClickSave()
{
    FileDialogEx dialog(false, QStringLiteral("CCfgPageSerialPort::OnBtnClickSave"), QStringLiteral("txt"),
                        QString::fromLatin1(kReceivedTextFileName), tr("文本文件 (*.txt)"), this);
    QString path = dialog.DoModal();
    if (path.isEmpty())
        return;
    QString error;
    if (!SaveTerminalText(path, m_pDisplay->toPlainText(), &error))
        MessageBox(tr("保存失败：%1\n%2").arg(path, error), tr("错误"), MB_ICONERROR);
}

void TerminalPage::OnBtnClickBkColor()
{
    QColorDialog dialog(m_pDisplay->palette().color(QPalette::Base), this);
    if (RunModal(&dialog) != QDialog::Accepted)
        return;
    QPalette palette = m_pDisplay->palette();
    palette.setColor(QPalette::Base, dialog.currentColor());
    m_pDisplay->setPalette(palette);
}

void TerminalPage::OnBtnClickTextColor()
{
    QColorDialog dialog(m_pDisplay->palette().color(QPalette::Text), this);
    if (RunModal(&dialog) != QDialog::Accepted)
        return;
    QPalette palette = m_pDisplay->palette();
    palette.setColor(QPalette::Text, dialog.currentColor());
    m_pDisplay->setPalette(palette);
}

void TerminalPage::OnBtnClickFont()
{
    QFontDialog dialog(m_pDisplay->font(), this);
    if (RunModal(&dialog) != QDialog::Accepted)
        return;
    m_pDisplay->setFont(dialog.currentFont());
    ApplyLineSpacing();
}

void TerminalPage::OnBtnClickSendFile()
{
    if (!m_pLink || !m_pLink->IsOpen()) {
        MessageBox(tr("请先打开串口或网络连接后再发送！"), tr("警告"), MB_ICONWARNING);
        return;
    }
    SendFileDialog dialog(m_pLink->CurrentLink(), this);
    RunModal(&dialog);
}
