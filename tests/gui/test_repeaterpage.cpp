// "中继器信息": the row requests by their gestures, the firmware file choice,
// the answers through the receive path (links, versions, the upgrade answer
// in front and behind another page), the pass-through hex box and command,
// and "清空".
#include "app/dialogs/ymodemupgradedialog.h"
#include "app/framework/rxroutes.h"
#include "app/pages/repeaterpage.h"
#include "gui/page_fixture.h"
#include "link/winmsg.h"

#include "gui/widget_test_main.h"
#include <QDialog>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSettings>
#include <QTemporaryDir>

#include <optional>

namespace {
const QString kHexMessage = QStringLiteral("请输入有效的HEX格式!\n范围：('0-9','a-f','A-F')\n字节间可以用空格隔开");

// Answers the modal dialogs the page opens: the file dialog with a path (or
// a cancel when there is none), the upgrade dialog by closing it at once.
struct UpgradeRun {
    YModemTransport transport;
    QString file;
    bool receivesYModem; // the port hands the dialog the loader's bytes
};

class ModalAnswers {
public:
    explicit ModalAnswers(FakeHost *host)
    {
        SetModalHook([this, host](QDialog *dialog) {
            if (auto *upgrade = qobject_cast<YModemUpgradeDialog *>(dialog)) {
                m_upgrades.push_back({upgrade->Transport(), QString::fromStdString(upgrade->Sender().Path()),
                                      host->YModemReceiver() == upgrade});
                if (whileUpgrading)
                    whileUpgrading();
                return int(QDialog::Rejected);
            }
            auto *files = qobject_cast<QFileDialog *>(dialog);
            if (!files)
                return int(QDialog::Rejected);
            ++m_fileDialogs;
            m_openedIn = files->directory().absolutePath();
            if (!m_file)
                return int(QDialog::Rejected);
            files->selectFile(*m_file);
            return int(QDialog::Accepted);
        });
    }
    ~ModalAnswers() { SetModalHook({}); }
    ModalAnswers(const ModalAnswers &) = delete;
    ModalAnswers &operator=(const ModalAnswers &) = delete;

    // Runs while an upgrade dialog is open.
    std::function<void()> whileUpgrading;
    // The file the next file dialogs choose; none cancels them.
    void ChooseFile(std::optional<QString> path) { m_file = std::move(path); }
    int FileDialogs() const { return m_fileDialogs; }
    QString OpenedIn() const { return m_openedIn; }
    // The upgrade dialogs opened so far.
    const std::vector<UpgradeRun> &Upgrades() const { return m_upgrades; }

private:
    std::optional<QString> m_file;
    int m_fileDialogs = 0;
    QString m_openedIn;
    std::vector<UpgradeRun> m_upgrades;
};

} // namespace

class TestRepeaterPage : public QObject, private PageFixture<RepeaterPage> {
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString m_firmware;
    std::unique_ptr<ModalAnswers> m_modal;

    // A row's check-box double-clicked: its read request.
    void DoubleClickCheck(int chkID)
    {
        m_page->PostMessage(WM_READ_PARAM, chkID);
        RunPosted();
    }
    // A row's lamp double-clicked: its write.
    void DoubleClickLamp(int chkID)
    {
        m_page->PostMessage(WM_WRITE_PARAM, chkID);
        RunPosted();
    }
    void TypePassText(const QString &text)
    {
        QPlainTextEdit *edit = m_page->PassEdit();
        edit->setFocus();
        edit->moveCursor(QTextCursor::End);
        for (QChar c : text) {
            if (c == QLatin1Char('\n'))
                QTest::keyClick(edit, Qt::Key_Return);
            else if (c.unicode() < 0x80)
                QTest::keyClicks(edit, QString(c));
            else
                edit->insertPlainText(QString(c)); // a character of an input method
        }
    }
    // The upgrade requested with the firmware file chosen.
    void RequestUpgrade()
    {
        const int before = m_modal->FileDialogs();
        m_modal->ChooseFile(m_firmware);
        DoubleClickCheck(RepeaterPage::IDC_UPGRADE_CHK);
        QCOMPARE(m_modal->FileDialogs(), before + 1);
    }
    std::size_t UpgradeDialogs() const { return m_modal->Upgrades().size(); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_firmware = m_dir.filePath(QStringLiteral("repeater.bin"));
        QFile file(m_firmware);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("\x01\x02\x03", 3);
    }
    void init()
    {
        QVERIFY(OpenPage());
        m_h->SetPortOpen(true);
        m_modal = std::make_unique<ModalAnswers>(m_h.get());
    }
    void cleanup()
    {
        m_modal.reset();
        ClosePage();
    }

    void rowsAndControls()
    {
        QVERIFY(!m_page->IsInnerPage());
        QCOMPARE(m_page->Caption(), QStringLiteral("中继器信息"));
        QCOMPARE(m_page->ParamCount(), 3);
        QCOMPARE(m_page->ReadOnlyCount(), 0);
        for (int id : {1383, 1376, 1371, 1373})
            QVERIFY(!m_page->Item<QLineEdit>(id)->isEnabled());
        QCOMPARE(m_page->GetDlgItemText(1476), QStringLiteral("命令透穿："));
        QCOMPARE(m_page->GetDlgItemText(1444), QStringLiteral("透穿命令"));
        QCOMPARE(m_page->GetDlgItemText(IDC_CLEAR), QStringLiteral("清空"));
        QVERIFY(!(m_page->GetDlgItem(1382)->focusPolicy() & Qt::TabFocus));
        // The page has no read and write buttons: rows are read by their gestures.
        QVERIFY(!m_page->GetDlgItem(IDC_READ));
        QVERIFY(!m_page->GetDlgItem(IDC_WRITE));
    }

    void rowReadsQueueTheirRequests()
    {
        DoubleClickCheck(1375);
        DoubleClickCheck(1372);
        QCOMPARE(m_h->Payloads(), (std::vector<Bytes>{{0x53, 0x01, 0x02, 0x01, 0x00}, {0x53, 0x01, 0x03, 0x01, 0x00}}));
        QVERIFY(m_page->IsDlgButtonChecked(1372));
        QCOMPARE(LampState(m_page, 1372), LED_IDLE);
        // The lamp gesture of a row other than the upgrade reads it too.
        DoubleClickLamp(1375);
        QCOMPARE(m_h->Payloads().back(), (Bytes{0x53, 0x01, 0x02, 0x01, 0x00}));
        QCOMPARE(m_boxes->Count(), 0);

        m_h->SetPortOpen(false);
        DoubleClickCheck(1375);
        QCOMPARE(m_boxes->LastText(), QStringLiteral("请先打开串口后再进行操作！"));
        QCOMPARE(m_h->Payloads().size(), 3u);
    }

    void answersShowLinksAndVersions_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<Bytes>("data");
        QTest::addColumn<int>("chk");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<int>("lamp");
        QTest::newRow("links 13") << 0x82 << Bytes{0x00, 0x13} << 1375 << QStringLiteral("串口，CAN，485") << QString()
                                  << LED_OK;
        QTest::newRow("links all, high bits ignored")
            << 0x82 << Bytes{0x00, 0xFF} << 1375 << QStringLiteral("串口，CAN，IIC，一线通，485") << QString()
            << LED_OK;
        QTest::newRow("links none") << 0x82 << Bytes{0x00, 0xE0} << 1375 << QString() << QString() << LED_OK;
        QTest::newRow("links short") << 0x82 << Bytes{0x00} << 1375 << QStringLiteral("Len:1, Need:2") << QString()
                                     << LED_ERROR;
        QTest::newRow("links refused") << 0x82 << Bytes{0x05, 0x13} << 1375 << QStringLiteral("ErrorCode: 0x05")
                                       << QString() << LED_ERROR;
        QTest::newRow("versions") << 0x83 << Bytes{0x00, 0x01, 0x02, 0x03, 0x0A, 0x00, 0x01} << 1372
                                  << QStringLiteral("V1.2.3") << QStringLiteral("V10.0.1") << LED_OK;
        QTest::newRow("versions short") << 0x83 << Bytes{0x00, 0x01, 0x02, 0x03} << 1372
                                        << QStringLiteral("Len:4, Need:7") << QString() << LED_ERROR;
    }
    void answersShowLinksAndVersions()
    {
        QFETCH(int, code);
        QFETCH(Bytes, data);
        QFETCH(int, chk);
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(int, lamp);
        ParamEntry entry;
        QVERIFY(m_page->LookupParam(chk, entry));
        m_h->Respond(0x81, static_cast<std::uint8_t>(code), data);
        QCOMPARE(m_page->GetDlgItemText(entry.nEditID), first);
        if (chk == 1372)
            QCOMPARE(m_page->GetDlgItemText(1373), second);
        QCOMPARE(LampState(m_page, chk), lamp);
        // The repeater's answers carry the main board's link byte; they are
        // shown whichever board is selected, the secondary's as well.
        m_h->Respond(0x81, static_cast<std::uint8_t>(code), data, 0xD3);
        QCOMPARE(m_page->GetDlgItemText(entry.nEditID), first);
    }

    void upgradeRequestChoosesAFile()
    {
        QSettings profile(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Oramek"),
                          QStringLiteral("Pylvex"));
        profile.remove(QStringLiteral("PrevPath"));
        RequestUpgrade();
        QCOMPARE(m_page->UpgradeFile(), m_firmware);
        QCOMPARE(m_page->GetDlgItemText(1383), QStringLiteral("升级请求已发出,等待响应！"));
        QCOMPARE(m_h->Payloads(), (std::vector<Bytes>{{0x53, 0x01, 0x01, 0x01, 0x00}}));
        QCOMPARE(LampState(m_page, 1382), LED_IDLE);
        QCOMPARE(m_boxes->Count(), 0);
        // The folder of the file is remembered for the next choice.
        m_modal->ChooseFile(std::nullopt);
        DoubleClickCheck(1382);
        QCOMPARE(m_modal->OpenedIn(), m_dir.path());
    }

    void upgradeRequestRefusals_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("message");
        QTest::newRow("blank") << QStringLiteral("   ") << QStringLiteral("升级文件不能为空！");
        QTest::newRow("missing") << QStringLiteral("/nonexistent/repeater.bin") << QString();
    }
    void upgradeRequestRefusals()
    {
        QFETCH(QString, path);
        QFETCH(QString, message);
        m_modal->ChooseFile(path);
        DoubleClickCheck(1382);
        QCOMPARE(m_modal->FileDialogs(), 1);
        QCOMPARE(m_boxes->Count(), 1);
        QCOMPARE(m_boxes->Shown()[0].caption, QStringLiteral("警告"));
        QCOMPARE(m_boxes->Shown()[0].Icon(), MB_ICONWARNING);
        if (!message.isEmpty())
            QCOMPARE(m_boxes->LastText(), message);
        else
            QVERIFY(!m_boxes->LastText().isEmpty()); // the system's reason
        QVERIFY(m_page->UpgradeFile().isEmpty());
        QVERIFY(m_h->Payloads().empty());
    }

    void upgradeCancelledSendsNothing()
    {
        m_modal->ChooseFile(std::nullopt);
        DoubleClickCheck(1382);
        QCOMPARE(m_modal->FileDialogs(), 1);
        QVERIFY(m_h->Payloads().empty());
        QCOMPARE(m_boxes->Count(), 0); // no "select a parameter" warning either
    }

    void upgradeAnswerInFront()
    {
        // Without a file the answer asks for one.
        m_h->Respond(0x81, 0x81, {0x00});
        QCOMPARE(m_page->GetDlgItemText(1383), QStringLiteral("请双击选择升级文件！"));
        QCOMPARE(LampState(m_page, 1382), LED_OK);
        QCOMPARE(UpgradeDialogs(), 0u);

        RequestUpgrade();
        // A second answer arriving while the dialog runs opens no second dialog.
        m_modal->whileUpgrading = [this] { m_h->Respond(0x81, 0x81, {0x00}); };
        m_h->Respond(0x81, 0x81, {0x00});
        m_modal->whileUpgrading = nullptr;
        QCOMPARE(LampState(m_page, 1382), LED_OK);
        QCOMPARE(m_page->GetDlgItemText(1383), QStringLiteral("请求在线升级，收到响应！"));
        QCOMPARE(UpgradeDialogs(), 1u);

        // A refusal shows the code and starts nothing.
        m_h->Respond(0x81, 0x81, {0x03});
        QCOMPARE(LampState(m_page, 1382), LED_ERROR);
        QCOMPARE(m_page->GetDlgItemText(1383), QStringLiteral("ErrorCode: 0x03"));
        QCOMPARE(UpgradeDialogs(), 1u);
    }

    void upgradeAnswerBehindAnotherPage()
    {
        auto *live = m_h->AddPage(new LiveStatusPage(m_h.get()));
        RequestUpgrade();
        QVERIFY(m_h->ShowPage(live));
        m_h->Respond(0x81, 0x81, {0x00});
        QCOMPARE(m_page->GetDlgItemText(1383), QStringLiteral("响应时，页面处于非活动状态！"));
        QCOMPARE(UpgradeDialogs(), 0u);
        QCOMPARE(LampState(m_page, 1382), LED_IDLE);
        // Back in front, the next answer goes on.
        QVERIFY(m_h->ShowPage(m_page));
        m_h->Respond(0x81, 0x81, {0x00});
        QCOMPARE(UpgradeDialogs(), 1u);
    }

    void upgradeWriteOpensTheDialogOnlyWithAFile()
    {
        DoubleClickLamp(1382);
        QCOMPARE(UpgradeDialogs(), 0u);
        RequestUpgrade();
        m_h->SetPortOpen(false); // the write does not need the port
        DoubleClickLamp(1382);
        QCOMPARE(UpgradeDialogs(), 1u);
        // The repeater's loader takes raw YModem bytes; the dialog has the file
        // and the port's loader bytes while it runs, and gives them back after.
        const UpgradeRun &run = m_modal->Upgrades()[0];
        QVERIFY(run.transport == YModemTransport::Raw);
        QCOMPARE(run.file, m_firmware);
        QVERIFY(run.receivesYModem);
        QVERIFY(!m_h->YModemReceiver());
        QCOMPARE(m_h->Payloads().size(), 1u);
    }

    void hexTextFillsTheBank_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept");
        QTest::addColumn<QByteArray>("bank");
        QTest::addColumn<QByteArray>("bankAfterOne"); // once "1" is typed after it
        QTest::newRow("pairs") << "0A 0B C"
                               << "0A 0B C" << QByteArray("\x0A\x0B", 2) << QByteArray("\x0A\x0B\xC1", 3);
        QTest::newRow("lower case, no blanks") << "a1ff"
                                               << "a1ff" << QByteArray("\xA1\xFF", 2) << QByteArray("\xA1\xFF", 2);
        QTest::newRow("lone digits skipped") << "1 2 34"
                                             << "1 2 34" << QByteArray("\x34", 1) << QByteArray("\x34", 1);
        // A refused character: the valid start stays and the bank is empty
        // until the next valid change.
        QTest::newRow("cut at G") << "01 2G"
                                  << "01 2" << QByteArray() << QByteArray("\x01\x21", 2);
        // Typing goes on after the message.
        QTest::newRow("wide character, then more")
            << QStringLiteral("0A，0B") << "0A0B" << QByteArray("\x0A\x0B", 2) << QByteArray("\x0A\x0B", 2);
        QTest::newRow("Enter is not a hex character") << "0A\n"
                                                      << "0A" << QByteArray() << QByteArray("\x0A", 1);
    }
    void hexTextFillsTheBank()
    {
        QFETCH(QString, typed);
        QFETCH(QString, kept);
        QFETCH(QByteArray, bank);
        QFETCH(QByteArray, bankAfterOne);
        TypePassText(typed);
        const bool refused = kept != typed;
        QCOMPARE(m_page->PassEdit()->toPlainText(), kept);
        QCOMPARE(m_page->CmdBank(), bank);
        QCOMPARE(m_boxes->Count(), refused ? 1 : 0);
        if (refused) {
            QCOMPARE(m_boxes->LastText(), kHexMessage);
            QCOMPARE(m_boxes->Shown()[0].caption, QStringLiteral("警告"));
            QCOMPARE(m_page->PassEdit()->textCursor().position(), kept.size());
        }
        TypePassText(QStringLiteral("1"));
        QCOMPARE(m_page->PassEdit()->toPlainText(), kept + "1");
        QCOMPARE(m_page->CmdBank(), bankAfterOne);
        QCOMPARE(m_boxes->Count(), refused ? 1 : 0);
    }

    void passThroughSendsTheBank()
    {
        TypePassText(QStringLiteral("0A 0B C"));
        m_page->ClickDlgButton(1444);
        QCOMPARE(m_h->Payloads(), (std::vector<Bytes>{{0x53, 0x03, 0x04, 0x02, 0x0A, 0x0B}}));
        // An empty box sends the command without data.
        m_page->PassEdit()->clear();
        m_page->ClickDlgButton(1444);
        QCOMPARE(m_h->Payloads().back(), (Bytes{0x53, 0x03, 0x04, 0x00}));
        QCOMPARE(m_boxes->Count(), 0);
    }

    void passThroughOfMoreThan255BytesIsRefused()
    {
        QString text;
        for (int i = 0; i < 256; ++i)
            text += QStringLiteral("%1 ").arg(i & 0xFF, 2, 16, QLatin1Char('0'));
        m_page->PassEdit()->setPlainText(text);
        QCOMPARE(m_page->CmdBank().size(), 256);
        m_page->ClickDlgButton(1444);
        QVERIFY(m_h->Payloads().empty());
        QCOMPARE(m_boxes->Count(), 1);
        QVERIFY(m_boxes->LastText().contains(QStringLiteral("255")));
        // 255 bytes still go, whole.
        m_page->PassEdit()->setPlainText(text.left(text.size() - 3));
        m_page->ClickDlgButton(1444);
        QCOMPARE(m_h->Payloads().size(), 1u);
        const Bytes sent = m_h->Payloads()[0];
        QCOMPARE(sent.size(), 4u + 255u);
        QCOMPARE(sent[3], 0xFF);
        QCOMPARE(sent.back(), 0xFE);
    }

    void passThroughNeedsTheOpenPort()
    {
        TypePassText(QStringLiteral("00"));
        m_h->SetPortOpen(false);
        m_page->ClickDlgButton(1444);
        QVERIFY(m_h->Payloads().empty());
        QCOMPARE(m_boxes->LastText(), QStringLiteral("请先打开串口后再进行操作！"));
    }

    void clearEmptiesTheAnswerBoxesOnly()
    {
        for (int id : {1383, 1376, 1371, 1373})
            m_page->SetDlgItemText(id, QStringLiteral("x"));
        TypePassText(QStringLiteral("0A"));
        m_page->ClickDlgButton(IDC_CLEAR);
        for (int id : {1383, 1376, 1371, 1373})
            QVERIFY(m_page->GetDlgItemText(id).isEmpty());
        QCOMPARE(m_page->PassEdit()->toPlainText(), QStringLiteral("0A"));
        QCOMPARE(m_page->CmdBank(), QByteArray("\x0A", 1));
    }
};

int main(int argc, char **argv)
{
    return RunWidgetTest<TestRepeaterPage>(argc, argv);
}

#include "test_repeaterpage.moc"
