// The terminal page with its serial panel: the send box rules (hex, text, AT
// lines), counters and rate, display of received bytes (hex, encodings,
// pause, auto-clear, line spacing), saving, the panel's port list and
// stored settings, and the page's activation; bytes both ways over a
// pseudo-terminal whose other end the test plays.
#include "app/dialogs/filedialogex.h"
#include "app/framework/msgbox.h"
#include "app/logmodel.h"
#include "app/pages/systemlogpage.h"
#include "gui/page_fixture.h"
#include "gui/terminal_helpers.h"
#include "link/portdiscovery.h"

#include "gui/widget_test_main.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QStringDecoder>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextBlock>

class TestTerminalPage : public QObject, public PageFixture<TerminalPage> {
    Q_OBJECT

    std::unique_ptr<PtyPair> m_pty;

    // The page's serial port opened on a fresh pseudo-terminal.
    bool OpenPty()
    {
        m_pty = std::make_unique<PtyPair>();
        if (!m_pty->Ok())
            return false;
        ChoosePort(m_page->Uart(), m_pty->SlavePath());
        if (!m_page->Uart()->OpenPort())
            return false;
        QCoreApplication::sendPostedEvents();
        return m_page->LinkOpen();
    }
    static QString ComboText(TerminalSerialPanel *uart, int id) { return uart->Item<QComboBox>(id)->currentText(); }
    void Type(const QString &text) { m_page->SendBox()->insertPlainText(text); }
    void SetBox(const QString &text) { m_page->SendBox()->setPlainText(text); }
    QByteArray PeerRead(std::size_t want) { return ToArray(m_pty->Read(2000, want)); }
    QString RxLine() const { return m_page->GetDlgItemText(IDC_TERM_RX_COUNT); }

private slots:
    void init()
    {
        SetPortListSource({});
        QSettings profile(QSettings::IniFormat, QSettings::UserScope, "Oramek", "Pylvex");
        profile.remove("Config");
        profile.remove("Terminal");
        QVERIFY(OpenPage());
    }
    void cleanup()
    {
        ClosePage();
        m_pty.reset();
        SetPortListSource({});
        SetModalHook(nullptr);
    }

    void startsAsTheFormSays()
    {
        QCOMPARE(m_page->GetDlgItemText(IDC_TERM_INTERVAL_MS), QStringLiteral("1000"));
        QCOMPARE(m_page->GetDlgItemText(IDC_TERM_AUTOCLEAR_LIMIT), QStringLiteral("5120"));
        QVERIFY(m_page->IsDlgButtonChecked(IDC_TERM_HEXSEND));
        QVERIFY(m_page->IsDlgButtonChecked(IDC_TERM_HEXSHOW));
        QVERIFY(!m_page->IsDlgButtonChecked(IDC_TERM_LINEBREAK));
        QCOMPARE(m_page->GetDlgItemText(IDC_TERM_ENCODING), QStringLiteral("  接收编码：ASCII"));
        QCOMPARE(RxLine(), QStringLiteral("接收：0 Bytes 速率：0 Bps"));
        QCOMPARE(m_page->GetDlgItemText(IDC_TERM_TX_COUNT), QStringLiteral("发送：0 Bytes"));
        auto *tab = m_page->Item<QTabWidget>(IDC_TERM_TAB);
        QCOMPARE(tab->count(), 2);
        QCOMPARE(tab->tabText(0), QStringLiteral("串口"));
        QCOMPARE(tab->tabText(1), QStringLiteral("网络"));
        QCOMPARE(m_page->CurrentLink(), static_cast<TerminalPanel *>(m_page->Uart()));
        QCOMPARE(m_page->Caption(), QStringLiteral("串口调试"));
        // The serial panel's lists and their first choices.
        TerminalSerialPanel *uart = m_page->Uart();
        QCOMPARE(uart->Item<QComboBox>(IDC_UART_BAUD)->count(), 13);
        QCOMPARE(ComboText(uart, IDC_UART_BAUD), QStringLiteral("115200"));
        QCOMPARE(ComboText(uart, IDC_UART_DATABITS), QStringLiteral("8"));
        QCOMPARE(ComboText(uart, IDC_UART_STOPBITS), QStringLiteral("1"));
        QCOMPARE(ComboText(uart, IDC_UART_PARITY), QStringLiteral("none"));
        QCOMPARE(uart->Item<QComboBox>(IDC_UART_PARITY)->itemText(1), QStringLiteral("odd "));
    }

    void hexSendBoxRules_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("digits and blanks") << "01 02 0A" << QByteArray("\x01\x02\x0A", 3);
        QTest::newRow("lone digit ignored") << "ABC" << QByteArray("\xAB", 1);
        QTest::newRow("single digits") << "1 2" << QByteArray();
        QTest::newRow("lower case") << "ff0d" << QByteArray("\xFF\x0D", 2);
    }
    void hexSendBoxRules()
    {
        QFETCH(QString, typed);
        QFETCH(QByteArray, bytes);
        for (QChar c : typed)
            Type(QString(c)); // typed one character at a time
        QCOMPARE(m_page->TxBank(), bytes);
        QCOMPARE(m_boxes->Count(), 0);
    }

    void invalidHexIsCutWithTheMessage()
    {
        Type("01 0");
        Type("G");
        QCOMPARE(m_page->SendBox()->toPlainText(), QStringLiteral("01 0"));
        QCOMPARE(m_boxes->Count(), 1);
        QCOMPARE(m_boxes->LastText(),
                 QStringLiteral("请输入有效的HEX格式!\n范围：('0-9','a-f','A-F')\n字节间可以用空格隔开"));
        QCOMPARE(m_page->SendBox()->textCursor().position(), 4);
        // Pasted text is cut at its first invalid character.
        m_boxes->Clear();
        SetBox("AA BB x CC");
        QCOMPARE(m_page->SendBox()->toPlainText(), QStringLiteral("AA BB "));
        QCOMPARE(m_page->TxBank(), QByteArray("\xAA\xBB", 2));
        QCOMPARE(m_boxes->Count(), 1);
    }

    void modeBoxesExcludeEachOther()
    {
        // AT mode needs text mode.
        m_page->ClickDlgButton(IDC_TERM_ATMODE);
        QVERIFY(!m_page->IsDlgButtonChecked(IDC_TERM_ATMODE));
        m_page->ClickDlgButton(IDC_TERM_HEXSEND); // off: text mode
        SetBox("hello");
        QCOMPARE(m_page->TxBank(), QByteArray("hello"));
        m_page->ClickDlgButton(IDC_TERM_ATMODE);
        QVERIFY(m_page->IsDlgButtonChecked(IDC_TERM_ATMODE));
        m_page->ClickDlgButton(IDC_TERM_HEXSEND); // refused while AT mode is on
        QVERIFY(!m_page->IsDlgButtonChecked(IDC_TERM_HEXSEND));
        m_page->ClickDlgButton(IDC_TERM_ATMODE);
        m_page->ClickDlgButton(IDC_TERM_HEXSEND); // back to hex: the box is emptied
        QVERIFY(m_page->IsDlgButtonChecked(IDC_TERM_HEXSEND));
        QVERIFY(m_page->SendBox()->toPlainText().isEmpty());
        QVERIFY(m_page->TxBank().isEmpty());
    }

    void textModeSendsGbk()
    {
        m_page->ClickDlgButton(IDC_TERM_HEXSEND);
        SetBox(QStringLiteral("电池 ok"));
        QCOMPARE(m_page->TxBank(), QByteArray("\xB5\xE7\xB3\xD8 ok"));
    }

    // Typed line breaks go out as the chosen line end (CR LF unless the user
    // chose otherwise); the choice is kept in the profile for the next start.
    void textLineEndsFollowTheChoice_data()
    {
        QTest::addColumn<int>("choice");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QByteArray>("sent");
        QTest::newRow("CR LF") << 0 << "CRLF" << QByteArray("a\r\nb\r\n\r\nc\r\n");
        QTest::newRow("LF") << 1 << "LF" << QByteArray("a\nb\n\nc\n");
        QTest::newRow("CR") << 2 << "CR" << QByteArray("a\rb\r\rc\r");
        QTest::newRow("none") << 3 << "None" << QByteArray("abc");
    }
    void textLineEndsFollowTheChoice()
    {
        QFETCH(int, choice);
        QFETCH(QString, stored);
        QFETCH(QByteArray, sent);
        auto *ends = m_page->Item<QComboBox>(IDC_TERM_LINEEND);
        QCOMPARE(ends->count(), 4);
        QCOMPARE(ends->currentText(), QStringLiteral("CR LF")); // a fresh profile
        QVERIFY(OpenPty());
        m_page->ClickDlgButton(IDC_TERM_HEXSEND); // text
        // Typed with Enter, pasted with CR LF, a lone CR: each is one line break.
        Type("a\nb\r\n\rc\n");
        ends->setCurrentIndex(choice);
        m_page->ClickDlgButton(IDC_TERM_SEND);
        QCOMPARE(PeerRead(static_cast<std::size_t>(sent.size())), sent);
        QCOMPARE(m_page->TxTotal(), sent.size());
        // Hex sending is not touched by the choice.
        m_page->ClickDlgButton(IDC_TERM_HEXSEND);
        SetBox("0A 0D");
        m_page->ClickDlgButton(IDC_TERM_SEND);
        QCOMPARE(PeerRead(2), QByteArray("\n\r"));
        QCOMPARE(QSettings(QSettings::IniFormat, QSettings::UserScope, "Oramek", "Pylvex")
                     .value("Terminal/TextLineEnd")
                     .toString(),
                 choice == 0 ? QString() : stored);
        // The next start shows the stored choice and sends with it.
        ClosePage();
        m_pty.reset();
        QVERIFY(OpenPage());
        QCOMPARE(m_page->Item<QComboBox>(IDC_TERM_LINEEND)->currentIndex(), choice);
        m_page->ClickDlgButton(IDC_TERM_HEXSEND);
        SetBox("a\nb\n\nc\n");
        QCOMPARE(m_page->TxBank(), sent);
    }

    void sendOverPtyWithLineBreak()
    {
        QVERIFY(OpenPty());
        SetBox("01 02");
        m_page->ClickDlgButton(IDC_TERM_LINEBREAK);
        m_page->ClickDlgButton(IDC_TERM_SEND);
        QCOMPARE(PeerRead(4), QByteArray("\x01\x02\r\n", 4));
        QCOMPARE(m_page->TxTotal(), 4);
        QCOMPARE(m_page->GetDlgItemText(IDC_TERM_TX_COUNT), QStringLiteral("发送：4 Bytes"));
        // The box keeps its text: a second send repeats it.
        m_page->ClickDlgButton(IDC_TERM_LINEBREAK);
        m_page->ClickDlgButton(IDC_TERM_SEND);
        QCOMPARE(PeerRead(2), QByteArray("\x01\x02", 2));
        QCOMPARE(m_page->TxTotal(), 6);
        // Text mode.
        m_page->ClickDlgButton(IDC_TERM_HEXSEND);
        SetBox("AT?");
        m_page->ClickDlgButton(IDC_TERM_SEND);
        QCOMPARE(PeerRead(3), QByteArray("AT?"));
        QCOMPARE(m_page->TxTotal(), 9);
    }

    void sendOnClosedLinkSendsNothing()
    {
        SetBox("01 02");
        m_page->ClickDlgButton(IDC_TERM_SEND);
        QCOMPARE(m_page->TxTotal(), 0);
        QCOMPARE(m_boxes->Count(), 1); // says why nothing went out
        QCOMPARE(m_page->GetDlgItemText(IDC_TERM_TX_COUNT), QStringLiteral("发送：0 Bytes"));
    }

    void receivedHexLine()
    {
        QVERIFY(OpenPty());
        m_pty->Write(BytesOf(QByteArray("\x41\x0D", 2)));
        QTRY_COMPARE(DisplayLines(m_page), QStringList{" 41 0D"});
        QCOMPARE(m_page->RxTotal(), 2);
        // The counter line comes every tenth refresh with the rate.
        QTRY_VERIFY(RxLine().startsWith(QStringLiteral("接收：2 Bytes ,速率：")));
        // Ten quiet refreshes later the rate is 0.
        QTRY_COMPARE_WITH_TIMEOUT(RxLine(), QStringLiteral("接收：2 Bytes ,速率：0 Bps"), 3000);
    }

    void receivedTextInEachEncoding_data()
    {
        QTest::addColumn<int>("clicks");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("button");
        QTest::newRow("ASCII is GBK") << 0 << QByteArray("\xB5\xE7\xB3\xD8OK") << QStringLiteral("电池OK")
                                      << QStringLiteral("  接收编码：ASCII");
        QTest::newRow("UTF-8") << 1 << QByteArray("\xE7\x94\xB5\xE6\xB1\xA0") << QStringLiteral("电池")
                               << QStringLiteral("  接收编码：UTF-8");
        QTest::newRow("Unicode") << 2 << QByteArray("\x35\x75\x60\x6C", 4) << QStringLiteral("电池")
                                 << QStringLiteral("  接收编码：Unicode");
        QTest::newRow("round to ASCII") << 3 << QByteArray("ab") << QStringLiteral("ab")
                                        << QStringLiteral("  接收编码：ASCII");
    }
    void receivedTextInEachEncoding()
    {
        QFETCH(int, clicks);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, shown);
        QFETCH(QString, button);
        QVERIFY(OpenPty());
        m_page->ClickDlgButton(IDC_TERM_HEXSHOW); // off
        for (int i = 0; i < clicks; ++i)
            m_page->ClickDlgButton(IDC_TERM_ENCODING);
        QCOMPARE(m_page->GetDlgItemText(IDC_TERM_ENCODING), button);
        m_pty->Write(BytesOf(bytes));
        QTRY_COMPARE(DisplayLines(m_page), QStringList{shown});
    }

    void pauseDropsWhatArrivesMeanwhile()
    {
        QVERIFY(OpenPty());
        m_page->ClickDlgButton(IDC_TERM_PAUSE);
        QCOMPARE(m_page->GetDlgItemText(IDC_TERM_PAUSE), QStringLiteral("继续接收"));
        m_pty->Write(BytesOf(QByteArray("\x11")));
        QTRY_COMPARE(m_page->RxTotal(), 1);
        QTest::qWait(3 * TerminalPage::kRefreshMs);
        m_page->ClickDlgButton(IDC_TERM_PAUSE);
        QCOMPARE(m_page->GetDlgItemText(IDC_TERM_PAUSE), QStringLiteral("暂停接收"));
        m_pty->Write(BytesOf(QByteArray("\x22")));
        QTRY_COMPARE(DisplayLines(m_page), QStringList{" 22"});
        QCOMPARE(m_page->RxTotal(), 2);
    }

    void autoClearEmptiesALongDisplay()
    {
        QVERIFY(OpenPty());
        m_page->SetDlgItemText(IDC_TERM_AUTOCLEAR_LIMIT, "40");
        m_page->ClickDlgButton(IDC_TERM_AUTOCLEAR);
        for (int i = 0; i < 3; ++i) {
            m_pty->Write(BytesOf(QByteArray(8, char('a' + i))));
            QTRY_COMPARE(m_page->RxTotal(), 8 * (i + 1));
            QTRY_VERIFY(m_page->Display()->toPlainText().contains(QString(" %1 %1").arg(0x61 + i, 0, 16)));
        }
        // A line is 15 + 24 characters and its line end: the display holds 40
        // after the first line, 80 after the second, and is emptied before
        // the third.
        QCOMPARE(DisplayLines(m_page), QStringList{" 63 63 63 63 63 63 63 63"});
    }

    void intervalSendingChecksItself()
    {
        SetBox("55");
        // Closed link: unchecks itself.
        m_page->ClickDlgButton(IDC_TERM_INTERVAL);
        QVERIFY(!m_page->IsDlgButtonChecked(IDC_TERM_INTERVAL));
        QVERIFY(OpenPty());
        // Period 0 or no number: unchecks itself.
        for (const char *period : {"0", "x", "-5"}) {
            m_page->SetDlgItemText(IDC_TERM_INTERVAL_MS, period);
            m_page->ClickDlgButton(IDC_TERM_INTERVAL);
            QVERIFY2(!m_page->IsDlgButtonChecked(IDC_TERM_INTERVAL), period);
            QVERIFY(!m_page->IsTimerActive(TIMER_TERM_SEND));
        }
        m_page->SetDlgItemText(IDC_TERM_INTERVAL_MS, "30");
        m_page->ClickDlgButton(IDC_TERM_INTERVAL);
        QVERIFY(m_page->IsDlgButtonChecked(IDC_TERM_INTERVAL));
        QTRY_VERIFY(m_page->TxTotal() >= 3);
        QCOMPARE(PeerRead(3), QByteArray("\x55\x55\x55"));
        // Closing the link stops the timer; the box stays checked and
        // sending resumes when the link opens again.
        m_page->Uart()->ClosePort();
        QCoreApplication::sendPostedEvents();
        QVERIFY(!m_page->IsTimerActive(TIMER_TERM_SEND));
        QVERIFY(!m_page->IsTimerActive(TIMER_TERM_REFRESH));
        QVERIFY(m_page->Uart()->OpenPort());
        QCoreApplication::sendPostedEvents();
        QVERIFY(m_page->IsTimerActive(TIMER_TERM_SEND));
    }

    void atModeSendsEachLineOnce()
    {
        QVERIFY(OpenPty());
        m_page->ClickDlgButton(IDC_TERM_HEXSEND);
        m_page->ClickDlgButton(IDC_TERM_ATMODE);
        Type("AT+GMR");
        QVERIFY(m_pty->Read(100).empty()); // nothing before Enter
        Type("\n");
        QCOMPARE(PeerRead(8), QByteArray("AT+GMR\r\n"));
        QVERIFY(m_page->SendBox()->toPlainText().isEmpty());
        QCOMPARE(m_page->TxTotal(), 8);
        // The command is shown in bold italic red on a line of its own.
        QTextBlock block = m_page->Display()->document()->firstBlock();
        QCOMPARE(block.text(), QStringLiteral("AT+GMR"));
        QTextCharFormat format = block.begin().fragment().charFormat();
        QCOMPARE(format.foreground().color(), QColor(240, 60, 60));
        QVERIFY(format.fontItalic());
        QCOMPARE(format.fontWeight(), int(QFont::Bold));
        // The answer that follows is in the default format.
        m_pty->Write(BytesOf(QByteArray("OK")));
        m_page->ClickDlgButton(IDC_TERM_HEXSHOW);
        m_pty->Write(BytesOf(QByteArray("!")));
        QTRY_VERIFY(DisplayLines(m_page).size() >= 2);
        QTextBlock answer = m_page->Display()->document()->lastBlock().previous();
        QVERIFY(!answer.begin().fragment().charFormat().fontItalic());
    }

    void atCommandOnClosedLinkStaysInTheBox()
    {
        m_page->ClickDlgButton(IDC_TERM_HEXSEND);
        m_page->ClickDlgButton(IDC_TERM_ATMODE);
        Type("ATI\n");
        QCOMPARE(m_page->SendBox()->toPlainText(), QStringLiteral("ATI"));
        QCOMPARE(m_page->TxTotal(), 0);
        QVERIFY(m_page->Display()->toPlainText().isEmpty());
    }

    void clearButtons()
    {
        QVERIFY(OpenPty());
        SetBox("01");
        m_page->ClickDlgButton(IDC_TERM_SEND);
        m_pty->Write(BytesOf(QByteArray("\x01")));
        QTRY_VERIFY(!m_page->Display()->toPlainText().isEmpty());
        m_page->ClickDlgButton(IDC_TERM_CLEAR_COUNT);
        QCOMPARE(RxLine(), QStringLiteral("接收：0 Bytes ,速率：0 Bps"));
        QCOMPARE(m_page->GetDlgItemText(IDC_TERM_TX_COUNT), QStringLiteral("发送数据：0 Bytes"));
        QCOMPARE(m_page->RxTotal(), 0);
        QVERIFY(!m_page->Display()->toPlainText().isEmpty());
        m_page->ClickDlgButton(IDC_TERM_CLEAR_RX);
        QVERIFY(m_page->Display()->toPlainText().isEmpty());
        QCOMPARE(m_page->SendBox()->toPlainText(), QStringLiteral("01"));
        m_page->ClickDlgButton(IDC_TERM_CLEAR_TX);
        QVERIFY(m_page->SendBox()->toPlainText().isEmpty());
        QVERIFY(m_page->TxBank().isEmpty());
        SetBox("02");
        m_pty->Write(BytesOf(QByteArray("\x02")));
        QTRY_VERIFY(!m_page->Display()->toPlainText().isEmpty());
        m_page->ClickDlgButton(IDC_TERM_CLEAR_ALL);
        QVERIFY(m_page->Display()->toPlainText().isEmpty());
        QVERIFY(m_page->SendBox()->toPlainText().isEmpty());
        QCOMPARE(m_page->RxTotal(), 0);
    }

    void lineSpacingAndColours()
    {
        m_page->Display()->appendPlainText("one");
        m_page->Display()->appendPlainText("two");
        QTextBlock first = m_page->Display()->document()->firstBlock();
        const qreal natural = first.layout()->lineAt(0).height();
        const qreal spaced = m_page->Display()->document()->documentLayout()->blockBoundingRect(first).height();
        QVERIFY2(qAbs(spaced - 1.4 * natural) < 1.0, qPrintable(QString("%1 vs %2").arg(spaced).arg(natural)));
        // Colours through the colour dialog.
        SetModalHook([](QDialog *d) {
            if (auto *colour = qobject_cast<QColorDialog *>(d))
                colour->setCurrentColor(QColor(10, 20, 30));
            return int(QDialog::Accepted);
        });
        m_page->ClickDlgButton(IDC_TERM_BKCOLOR);
        QCOMPARE(m_page->Display()->palette().color(QPalette::Base), QColor(10, 20, 30));
        m_page->ClickDlgButton(IDC_TERM_TEXTCOLOR);
        QCOMPARE(m_page->Display()->palette().color(QPalette::Text), QColor(10, 20, 30));
    }

    void saveWritesTheDisplayAsGbk()
    {
        QTemporaryDir dir;
        m_page->Display()->appendPlainText(QStringLiteral("[12:00:00:000] 电池"));
        QString path = dir.filePath("out.txt");
        QString proposed;
        SetModalHook([&](QDialog *d) {
            auto *files = qobject_cast<QFileDialog *>(d);
            if (!files)
                return int(QDialog::Rejected);
            proposed = files->selectedFiles().value(0);
            files->selectFile(path);
            return int(QDialog::Accepted);
        });
        m_page->ClickDlgButton(IDC_TERM_SAVE);
        QVERIFY(proposed.endsWith("ReceivedData.txt"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("[12:00:00:000] \xB5\xE7\xB3\xD8"));
        QCOMPARE(FileDialogEx::StoredFolder("CCfgPageSerialPort::OnBtnClickSave"),
                 QDir::toNativeSeparators(dir.path()));
        // A folder that cannot be written is reported with the path.
        SetModalHook([&](QDialog *d) {
            qobject_cast<QFileDialog *>(d)->selectFile(dir.filePath("missing/x.txt"));
            return int(QDialog::Accepted);
        });
        m_page->ClickDlgButton(IDC_TERM_SAVE);
        QCOMPARE(m_boxes->Count(), 1);
        QVERIFY(m_boxes->LastText().contains("missing/x.txt"));
    }

    void portListAndItsRefreshEntry()
    {
        SetPortListSource([] { return QStringList{}; });
        TerminalSerialPanel *uart = m_page->Uart();
        uart->FillPortList();
        auto *ports = uart->Item<QComboBox>(IDC_UART_PORT);
        QCOMPARE(ports->count(), 1);
        QCOMPARE(ports->currentText(), QStringLiteral("刷新串口"));
        QVERIFY(!uart->OpenPort());
        QCOMPARE(m_boxes->LastText(), QStringLiteral("串口无效,请刷新\n没有选择串口"));
        // A name that leads nowhere is no port either.
        ports->setEditText("ttyNowhere9");
        QVERIFY(!uart->OpenPort());
        QCOMPARE(m_boxes->Count(), 2);
        // Choosing "刷新串口" fills the list again and selects its first entry.
        SetPortListSource([] { return QStringList{"ttyS0", "ttyUSB0"}; });
        ports->setCurrentIndex(ports->count() - 1);
        emit ports->activated(ports->count() - 1);
        QCOMPARE(ports->count(), 3);
        QCOMPARE(ports->currentIndex(), 0);
        QCOMPARE(ports->itemText(2), QStringLiteral("刷新串口"));
        // The open button and the lamp toggle alike.
        m_pty = std::make_unique<PtyPair>();
        ChoosePort(uart, m_pty->SlavePath());
        uart->Item<QPushButton>(IDC_UART_OPEN)->click();
        QVERIFY(uart->IsOpen());
        QCOMPARE(uart->Item<QPushButton>(IDC_UART_OPEN)->text(), QStringLiteral("关闭串口"));
        QVERIFY(!ports->isEnabled());
        emit uart->Item<LedLamp>(IDC_UART_LAMP)->clicked();
        QVERIFY(!uart->IsOpen());
        QCOMPARE(uart->Item<QPushButton>(IDC_UART_OPEN)->text(), QStringLiteral("打开串口"));
        QVERIFY(ports->isEnabled());
    }

    void storedSettings_data()
    {
        QTest::addColumn<QString>("comName");
        QTest::addColumn<QString>("bdse");
        QTest::addColumn<QString>("port");
        QTest::addColumn<QStringList>("lines");
        const QStringList start{"115200", "8", "1", "none"};
        QTest::newRow("nothing stored") << ""
                                        << ""
                                        << "ttyS0" << start;
        QTest::newRow("name and settings") << "ttyUSB0"
                                           << "10-2-2-1"
                                           << "ttyUSB0" << QStringList{"194000", "7", "2", "odd "};
        // Only the entry of exactly the stored name is chosen, never one it begins.
        QTest::newRow("start of a name") << "ttyUSB"
                                         << "10-2-2-1"
                                         << "ttyS0" << QStringList{"194000", "7", "2", "odd "};
        QTest::newRow("longer name") << "ttyUSB01"
                                     << ""
                                     << "ttyS0" << QStringList{"1200", "5", "1", "none"};
        QTest::newRow("name without settings") << "ttyUSB0"
                                               << ""
                                               << "ttyUSB0" << QStringList{"1200", "5", "1", "none"};
        QTest::newRow("unlisted name") << "COM3"
                                       << "3-3-0-0"
                                       << "ttyS0" << QStringList{"9600", "8", "1", "none"};
        QTest::newRow("settings without name") << ""
                                               << "3-3-0-0"
                                               << "ttyS0" << start;
    }
    void storedSettings()
    {
        QFETCH(QString, comName);
        QFETCH(QString, bdse);
        QFETCH(QString, port);
        QFETCH(QStringList, lines);
        ClosePage();
        SetPortListSource([] { return QStringList{"ttyS0", "ttyUSB0"}; });
        {
            QSettings profile(QSettings::IniFormat, QSettings::UserScope, "Oramek", "Pylvex");
            if (!comName.isEmpty())
                profile.setValue("Config/ComName", comName);
            if (!bdse.isEmpty())
                profile.setValue("Config/BDSE", bdse);
        }
        QVERIFY(OpenPage());
        TerminalSerialPanel *uart = m_page->Uart();
        QCOMPARE(ComboText(uart, IDC_UART_PORT), port);
        QStringList shown;
        for (int id : {IDC_UART_BAUD, IDC_UART_DATABITS, IDC_UART_STOPBITS, IDC_UART_PARITY})
            shown << ComboText(uart, id);
        QCOMPARE(shown, lines);
    }

    void modemLinesOnAPtyAreRefused()
    {
        QVERIFY(OpenPty());
        TerminalSerialPanel *uart = m_page->Uart();
        uart->Item<QCheckBox>(IDC_UART_DTR)->click();
        QVERIFY(!uart->IsDlgButtonChecked(IDC_UART_DTR));
        QCOMPARE(m_boxes->Count(), 1);
        QVERIFY(uart->IsOpen()); // not a lost link
        QVERIFY(!uart->GetDlgItem(IDC_UART_DSR)->isEnabled());
    }

    void peerVanishingClosesOnce()
    {
        QVERIFY(OpenPty());
        int closed = 0;
        connect(&m_page->Uart()->Link(), &TermLink::Closed, this, [&] { ++closed; });
        m_pty->CloseMaster();
        QTRY_VERIFY(!m_page->Uart()->IsOpen());
        QTRY_VERIFY(!m_page->LinkOpen());
        QTest::qWait(200);
        QCOMPARE(closed, 1);
        QCOMPARE(m_page->Uart()->Item<QPushButton>(IDC_UART_OPEN)->text(), QStringLiteral("打开串口"));
        QVERIFY(!m_page->IsTimerActive(TIMER_TERM_REFRESH));
    }

    void activationSwapsThePorts()
    {
        ClosePage();
        m_h = std::make_unique<FakeHost>();
        auto *log = m_h->AddPage(new SystemLogPage(m_h.get()));
        m_page = m_h->AddPage(new TerminalPage(m_h.get()));
        m_boxes = std::make_unique<MsgBoxRecorder>();
        m_pty = std::make_unique<PtyPair>();
        ChoosePort(m_page->Uart(), m_pty->SlavePath());
        // The window shows every page once while it builds them: nothing happens.
        QVERIFY(m_h->ShowPage(m_page));
        QVERIFY(m_h->ShowPage(log));
        QVERIFY(m_h->IsPortOpen());
        QVERIFY(!m_page->Uart()->IsOpen());
        QVERIFY(m_h->PortTakenBy().isEmpty());
        auto *note = m_page->Item<QLabel>(IDC_TERM_HOLD_NOTE);
        QVERIFY(!note->isVisibleTo(m_page));
        // From then on: the board port closes and the terminal's opens; the
        // page and the status line say what holds the line ...
        QVERIFY(m_h->ShowPage(m_page));
        QVERIFY(!m_h->IsPortOpen());
        QVERIFY(m_page->Uart()->IsOpen());
        QCOMPARE(m_h->PortTakenBy(), m_pty->SlavePath());
        QVERIFY(note->isVisibleTo(m_page));
        QCOMPARE(note->text(),
                 QStringLiteral("串口调试占用 %1；板卡串口已关闭，离开本页后恢复。").arg(m_pty->SlavePath()));
        // ... also when the user closes the terminal's port on the page ...
        m_page->Uart()->Item<QPushButton>(IDC_UART_OPEN)->click();
        QCoreApplication::sendPostedEvents();
        QCOMPARE(m_h->PortTakenBy(), QStringLiteral("（终端串口未打开）"));
        QVERIFY(note->text().startsWith(QStringLiteral("串口调试占用 （终端串口未打开）；")));
        m_page->Uart()->Item<QPushButton>(IDC_UART_OPEN)->click();
        QCoreApplication::sendPostedEvents();
        QCOMPARE(m_h->PortTakenBy(), m_pty->SlavePath());
        // ... and leaving reverses both and ends the notes.
        QVERIFY(m_h->ShowPage(log));
        QVERIFY(!m_page->Uart()->IsOpen());
        QVERIFY(m_h->IsPortOpen());
        QVERIFY(m_h->PortTakenBy().isEmpty());
        QVERIFY(!note->isVisibleTo(m_page));
        // A terminal port the user closed is not opened by leaving.
        QVERIFY(m_h->ShowPage(m_page));
        m_page->Uart()->ClosePort();
        QVERIFY(m_h->ShowPage(log));
        QVERIFY(!m_page->Uart()->IsOpen());
        // Showing the page is no press of the port button: a port that cannot
        // be opened is written to the system log, no box stops the user.
        theApp()->m_bLogError = true;
        ChoosePort(m_page->Uart(), "ttyNowhere9");
        QVERIFY(m_h->ShowPage(m_page));
        QVERIFY(!m_page->Uart()->IsOpen());
        QVERIFY(m_h->ShowPage(log));
        QCOMPARE(m_boxes->Count(), 0);
        LogModel *rows = theApp()->GetLogModel();
        QVERIFY(rows->rowCount() > 0);
        QCOMPARE(rows->Row(rows->rowCount() - 1).text, QStringLiteral("串口无效,请刷新：串口 ttyNowhere9 不存在"));
    }

    // Entering the page with a port that does not open: the panel says why,
    // in the texts of the port button, with the system's reason; the system
    // log has it too, and no box stops the user. Unasked, only a device the
    // system lists or the user chose is opened.
    void enteringWithAPortThatDoesNotOpen_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("notice"); // its start; empty when the port opens
        QTest::newRow("missing") << "missing"
                                 << "串口无效,请刷新\n串口 ttyNowhere9 不存在";
        QTest::newRow("no serial device") << "devnull"
                                          << "打开串口失败\n/dev/null：";
        QTest::newRow("held by another program") << "busy"
                                                 << "打开串口失败\n";
        QTest::newRow("stored, not listed") << "stored"
                                            << "不是系统列出的串口设备";
        QTest::newRow("stored and listed") << "listed"
                                           << "";
        QTest::newRow("chosen by the user") << "chosen"
                                            << "";
    }
    void enteringWithAPortThatDoesNotOpen()
    {
        QFETCH(QString, kind);
        QFETCH(QString, notice);
        ClosePage();
        PtyPair pty;
        QVERIFY(pty.Ok());
        const QString listedName = pty.SlavePath().mid(5); // "pts/N"
        SetPortListSource([kind, listedName] {
            return kind == "listed" ? QStringList{"ttyS0", listedName} : QStringList{"ttyS0"};
        });
        if (kind == "stored" || kind == "listed") {
            QSettings profile(QSettings::IniFormat, QSettings::UserScope, "Oramek", "Pylvex");
            profile.setValue("Config/ComName", kind == "listed" ? listedName : pty.SlavePath());
        }
        m_h = std::make_unique<FakeHost>();
        auto *log = m_h->AddPage(new SystemLogPage(m_h.get()));
        m_page = m_h->AddPage(new TerminalPage(m_h.get()));
        m_boxes = std::make_unique<MsgBoxRecorder>();
        TerminalSerialPanel *uart = m_page->Uart();
        TermSerialLink holder;
        if (kind == "missing")
            ChoosePort(uart, "ttyNowhere9");
        else if (kind == "devnull")
            ChoosePort(uart, "/dev/null");
        else if (kind == "busy" || kind == "chosen")
            ChoosePort(uart, pty.SlavePath());
        if (kind == "busy") {
            TermLineSettings settings;
            settings.port = pty.SlavePath();
            holder.SetSettings(settings);
            QVERIFY(holder.Open());
        }
        const QString shownPort = uart->Item<QComboBox>(IDC_UART_PORT)->currentText();
        theApp()->m_bLogError = true;
        theApp()->GetLogModel()->ClearRows();
        QVERIFY(m_h->ShowPage(m_page)); // the window builds its pages: nothing happens
        QVERIFY(m_h->ShowPage(log));
        QVERIFY(m_h->ShowPage(m_page));
        QCOMPARE(m_boxes->Count(), 0);
        QCOMPARE(uart->IsOpen(), notice.isEmpty());
        QCOMPARE(uart->Notice().isEmpty(), notice.isEmpty());
        if (notice.isEmpty()) {
            QVERIFY(!uart->Item<QLabel>(IDC_UART_NOTICE)->isVisibleTo(uart));
        } else {
            QVERIFY2(notice.startsWith("不是") ? uart->Notice().contains(notice) : uart->Notice().startsWith(notice),
                     qPrintable(uart->Notice()));
            QVERIFY(uart->Item<QLabel>(IDC_UART_NOTICE)->isVisibleTo(uart));
            // The system's reason follows the texts of the port button.
            if (kind == "devnull" || kind == "busy")
                QVERIFY2(uart->Notice().section(u'：', 1).trimmed().size() > 0, qPrintable(uart->Notice()));
            if (kind == "stored")
                QVERIFY(uart->Notice().contains(pty.SlavePath()));
            LogModel *rows = theApp()->GetLogModel();
            QVERIFY(rows->rowCount() > 0);
            QCOMPARE(rows->Row(rows->rowCount() - 1).text, QString(uart->Notice()).replace(u'\n', u'：'));
            // The user's own press still opens what the page would not open unasked.
            if (kind == "stored") {
                uart->Item<QPushButton>(IDC_UART_OPEN)->click();
                QVERIFY(uart->IsOpen());
                QVERIFY(uart->Notice().isEmpty());
            }
        }
        QCOMPARE(uart->Item<QComboBox>(IDC_UART_PORT)->currentText(), kind == "listed"   ? listedName
                                                                      : kind == "stored" ? pty.SlavePath()
                                                                                         : shownPort);
        QVERIFY(m_h->ShowPage(log));
        QVERIFY(!uart->IsOpen());
        SetPortListSource({});
    }

    void hiddenLinksDataIsNotShown()
    {
        QVERIFY(OpenPty());
        m_page->Item<QTabWidget>(IDC_TERM_TAB)->setCurrentIndex(1);
        QCOMPARE(m_page->LinkType(), LINK_NET);
        m_pty->Write(BytesOf(QByteArray("\x33")));
        QTRY_VERIFY(m_page->Uart()->Inbox().Waiting() == 1);
        QTest::qWait(100);
        QCOMPARE(m_page->RxTotal(), 0);
        // Back on the serial tab: what came meanwhile is dropped, new bytes show.
        m_page->Item<QTabWidget>(IDC_TERM_TAB)->setCurrentIndex(0);
        m_pty->Write(BytesOf(QByteArray("\x44")));
        QTRY_COMPARE(DisplayLines(m_page), QStringList{" 44"});
    }
};

int main(int argc, char **argv)
{
    return RunWidgetTest<TestTerminalPage>(argc, argv);
}

#include "test_terminalpage.moc"
