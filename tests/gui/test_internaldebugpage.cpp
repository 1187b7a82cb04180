// "内部调试": the rows and their walks, the decoders reached through the
// receive path, the register block and the upgrade request with its answers.
#include "app/dialogs/filedialogex.h"
#include "app/dialogs/resistanceentrydialog.h"
#include "app/dialogs/ymodemupgradedialog.h"
#include "app/pages/internaldebugpage.h"
#include "app/pages/systemlogpage.h"
#include "app/widgets/userlistctrl.h"
#include "gui/page_fixture.h"
#include "link/linksettings.h"

#include "gui/widget_test_main.h"
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>

namespace {
Bytes Concat(Bytes a, const Bytes &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

} // namespace

class TestInternalDebugPage : public QObject, private PageFixture<InternalDebugPage> {
    Q_OBJECT
private:
    QTemporaryDir m_dir;

    Bytes LastPayload() const { return m_h->Payloads().empty() ? Bytes{} : m_h->Payloads().back(); }

private slots:
    void init()
    {
        QVERIFY(OpenPage());
        m_h->Gate().SetVerified(true);
        SetModalHook([](QDialog *) { return int(QDialog::Rejected); });
    }
    void cleanup()
    {
        SetModalHook({});
        ClosePage();
    }

    void internalPageWithItsRowsAndRoutes()
    {
        QVERIFY(m_page->IsInnerPage());
        QCOMPARE(m_page->Caption(), QStringLiteral("内部调试"));
        QCOMPARE(m_page->ParamCount(), 10);
        QVERIFY(m_page->IsReadOnly(1308));
        QCOMPARE(m_page->ReadOnlyCount(), 1);
        QCOMPARE(m_page->Item<QLineEdit>(1318)->maxLength(), 32);
        QCOMPARE(m_page->DatePicker()->displayFormat(), QStringLiteral("yyyy-MM-dd"));
        QCOMPARE(m_page->DatePicker()->date(), QDate::currentDate());
        // The resistance box is the row's box; the edit buttons are not shown.
        ParamEntry e;
        QVERIFY(m_page->LookupParam(1064, e));
        QCOMPARE(e.nEditID, 1065);
        QVERIFY(m_page->LookupParam(1253, e));
        QCOMPARE(e.nEditID, 1255);
        QVERIFY(m_page->GetDlgItem(1066)->isHidden());
        QVERIFY(m_page->GetDlgItem(1256)->isHidden());
        // Every route the page hands over serves a row of the page.
        std::size_t mine = 0;
        for (const RxRoute &r : m_page->Routes()) {
            ++mine;
            QVERIFY2(m_page->LookupParam(r.chk, e), qPrintable(QString::number(r.chk)));
        }
        QVERIFY(mine > 0);
        // The register list and the table list with their columns and fixed rows.
        QCOMPARE(m_page->RegisterList()->RowModel()->ColumnHeading(1), QStringLiteral("寄存器内容"));
        UserListCtrl *table = m_page->TableList();
        QCOMPARE(table->GetItemCount(), 4);
        const QString types[] = {QStringLiteral("充电内阻"), QString(), QStringLiteral("放电内阻"), QString()};
        for (int row = 0; row < 4; ++row) {
            QCOMPARE(table->GetItemText(row, 0), types[row]);
            QCOMPARE(table->GetItemText(row, 1), QString::number(row % 2));
        }
    }

    void bulkReadUnchecksUpgradeAndQueuesNineReads()
    {
        SelectAll();
        QVERIFY(m_page->IsDlgButtonChecked(1378));
        m_page->ClickDlgButton(IDC_READ);
        QVERIFY(!m_page->IsDlgButtonChecked(1378));
        const std::vector<Bytes> expected = {
            {0x53, 0x03, 0x20, 0x01, 0x00}, {0x53, 0x02, 0x03, 0x01, 0x00}, {0x53, 0x02, 0x5F, 0x01, 0x00},
            {0x53, 0x03, 0x01, 0x01, 0x00}, {0x53, 0x02, 0x6B, 0x01, 0x00}, {0x53, 0x02, 0x11, 0x01, 0x00},
            {0x53, 0x02, 0x10, 0x01, 0x00}, {0x53, 0x02, 0x09, 0x01, 0x00}, {0x53, 0x02, 0x02, 0x03, 0x00, 0x00, 0x00},
        };
        QCOMPARE(m_h->Payloads(), expected);
        QCOMPARE(m_page->ReqCount(), 9);
        // The register name box was empty: the warning, and the read all the same.
        QCOMPARE(m_boxes->Count(), 1);
        QCOMPARE(m_boxes->LastText(), QStringLiteral("寄存器名称为空！"));
    }

    // Row 1 alone with "读取" or "写入": the message says how an upgrade starts,
    // nothing is sent, the tick is taken away.
    void upgradeRowAloneSaysHowTheUpgradeStarts_data()
    {
        QTest::addColumn<int>("button");
        QTest::newRow("读取") << int(IDC_READ);
        QTest::newRow("写入") << int(IDC_WRITE);
    }
    void upgradeRowAloneSaysHowTheUpgradeStarts()
    {
        QFETCH(int, button);
        m_page->CheckDlgButton(1378, 1);
        m_page->ClickDlgButton(button);
        QVERIFY(!m_page->IsDlgButtonChecked(1378));
        QVERIFY(m_h->Payloads().empty());
        QCOMPARE(m_boxes->Count(), 1);
        QVERIFY2(m_boxes->LastText().contains(QStringLiteral("双击")), qPrintable(m_boxes->LastText()));
        // Every row says its gestures.
        QVERIFY(m_page->GetDlgItem(1378)->toolTip().contains(QStringLiteral("双击")));
    }

    void tableReadSendsTheTypedIndex()
    {
        m_page->SetDlgItemText(1429, QStringLiteral("1"));
        m_page->SetDlgItemText(1431, QStringLiteral("2"));
        UncheckAll(m_page);
        m_page->CheckDlgButton(1064, 1);
        m_page->CheckDlgButton(1253, 1);
        m_page->ClickDlgButton(IDC_READ);
        // The discharge index 2 is refused and stops the walk.
        QCOMPARE(m_h->Payloads(), (std::vector<Bytes>{{0x53, 0x02, 0x10, 0x01, 0x01}}));
        QCOMPARE(m_boxes->LastText(), QStringLiteral("参数的有效范围是 0 至 1 之间的整数！"));
    }

    void registerNamesKeepTheirHistory()
    {
        QComboBox *name = m_page->RegisterNameBox();
        for (const char *n : {"ADC", "CFG", "ADC"}) {
            name->setEditText(QString::fromUtf8(n));
            m_page->CheckDlgButton(1186, 1);
            m_page->ReadParams(1186);
        }
        QCOMPARE(name->count(), 2);
        QCOMPARE(name->itemText(0), QStringLiteral("CFG"));
        QCOMPARE(name->currentText(), QStringLiteral("ADC"));
        QCOMPARE(m_boxes->Count(), 0);
        QCOMPARE(m_h->Payloads().size(), std::size_t(3));
    }

    void writesOfTheSingleRows_data()
    {
        QTest::addColumn<int>("chk");
        QTest::addColumn<QStringList>("texts"); // id=text
        QTest::addColumn<Bytes>("payload");
        QTest::newRow("arrangement") << 1154 << QStringList{"1152=16", "1155=2", "1156=50000"}
                                     << Bytes{0x53, 0x02, 0x5E, 0x04, 0x10, 0x02, 0xC3, 0x50};
        QTest::newRow("sn ABC") << 1319 << QStringList{"1318= ABC "}
                                << Concat(Bytes{0x53, 0x02, 0x5B, 0x20, 0x41, 0x42, 0x43}, Bytes(29, 0x00));
        QTest::newRow("measured capacity")
            << 1321 << QStringList{"1322=-2"} << Bytes{0x53, 0x02, 0x6C, 0x02, 0xFF, 0xFE};
        QTest::newRow("open-circuit voltages")
            << 1279 << QStringList{"1281=1 2 3 4 5 6 7 8 9 10 11 12 13 65535"}
            << Bytes{0x53, 0x02, 0x08, 0x1C, 0, 1, 0, 2,  0, 3,  0, 4,  0, 5,  0,    6,
                     0,    7,    0,    8,    0, 9, 0, 10, 0, 11, 0, 12, 0, 13, 0xFF, 0xFF};
        Bytes charge{0x53, 0x02, 0x07, 0x21};
        for (int i = 0; i < 13; ++i)
            charge.insert(charge.end(), {0x00, 0x01});
        charge.insert(charge.end(), {0x00, 0x02, 0xFF, 0xFF, 0xFF, 0xFB, 0x01});
        QTest::newRow("charge row from its boxes")
            << 1064 << QStringList{"1065=1 1 1 1 1 1 1 1 1 1 1 1 1 2", "1430=-5", "1429=1"} << charge;
    }
    void writesOfTheSingleRows()
    {
        QFETCH(int, chk);
        QFETCH(QStringList, texts);
        QFETCH(Bytes, payload);
        for (const QString &t : texts)
            m_page->SetDlgItemText(t.section('=', 0, 0).toInt(), t.section('=', 1));
        m_page->WriteParams(chk);
        QCOMPARE(m_boxes->Count(), 0);
        QCOMPARE(LastPayload(), payload);
        QCOMPARE(LampState(m_page, chk), LED_IDLE);
    }

    void productionDateWriteAndAnswers()
    {
        m_page->DatePicker()->setDate(QDate(2021, 7, 15));
        m_page->WriteParams(1313);
        QCOMPARE(LastPayload(), (Bytes{0x53, 0x02, 0x6A, 0x03, 0x15, 0x07, 0x0F}));

        // Only dates the board's year byte can hold are offered.
        m_page->DatePicker()->setDate(QDate(1999, 12, 31));
        QCOMPARE(m_page->DatePicker()->date(), QDate(2000, 1, 1));
        m_page->WriteParams(1313);
        QCOMPARE(LastPayload(), (Bytes{0x53, 0x02, 0x6A, 0x03, 0x00, 0x01, 0x01}));
        m_page->DatePicker()->setDate(QDate(2300, 1, 1));
        QCOMPARE(m_page->DatePicker()->maximumDate(), QDate(2255, 12, 31));
        m_h->Respond(0x82, 0xEA, {0x00, 0xFF, 0x0C, 0x1F});
        QCOMPARE(m_page->DatePicker()->date(), QDate(2255, 12, 31));

        m_h->Respond(0x82, 0xEA, {0x00, 0x18, 0x02, 0x1D}); // 2024-02-29
        QCOMPARE(m_page->DatePicker()->date(), QDate(2024, 2, 29));
        QCOMPARE(LampState(m_page, 1313), LED_OK);
        QVERIFY(m_page->DateNote().isEmpty());
        // An impossible date leaves the picker; the lamp is green and the note says why.
        for (const Bytes &bad : {Bytes{0x00, 0x15, 0x00, 0x0F}, Bytes{0x00, 0x17, 0x02, 0x1D}}) {
            m_h->Respond(0x83, 0xA0, bad);
            QCOMPARE(m_page->DatePicker()->date(), QDate(2024, 2, 29));
            QCOMPARE(LampState(m_page, 1313), LED_OK);
            QVERIFY(m_page->DateNote().contains(QString::asprintf("%d-%02d-%02d", 2000 + bad[1], bad[2], bad[3])));
        }
        m_h->Respond(0x82, 0xEA, {0x00, 0x18, 0x02});
        QCOMPARE(LampState(m_page, 1313), LED_ERROR);
    }

    void serialNumberAnswers_data()
    {
        QTest::addColumn<Bytes>("data");
        QTest::addColumn<QString>("shown");
        QTest::newRow("zero inside the first 16") << Bytes{0x00, 0x41, 0x42, 0x00, 0x43} << "AB0C";
        Bytes twenty{0x00};
        for (int i = 0; i < 20; ++i)
            twenty.push_back(static_cast<std::uint8_t>('A' + i));
        twenty.push_back(0x00);
        QTest::newRow("20 printable then 0") << twenty << "ABCDEFGHIJKLMNOPQRST";
        QTest::newRow("blank becomes 0") << Bytes{0x00, 0x41, 0x20, 0x42} << "A0B";
    }
    void serialNumberAnswers()
    {
        QFETCH(Bytes, data);
        QFETCH(QString, shown);
        m_h->Respond(0x82, 0xDB, data);
        QCOMPARE(m_page->GetDlgItemText(1318), shown);
        QCOMPARE(LampState(m_page, 1319), LED_OK);
        m_page->SetDlgItemText(1318, QString());
        m_h->Respond(0x83, 0x81, data); // the live status item reaches this page as well
        QCOMPARE(m_page->GetDlgItemText(1318), shown);
    }

    void emptySerialNumberIsRefused()
    {
        m_page->SetDlgItemText(1318, QStringLiteral("   "));
        m_page->WriteParams(1319);
        QCOMPARE(m_boxes->LastText(), QStringLiteral("参数不能为空！"));
        QVERIFY(m_h->Payloads().empty());
    }

    void answersOfTheOtherRows()
    {
        m_h->Respond(0x82, 0xDF, {0x00, 0x10, 0x03, 0xC3, 0x50});
        QCOMPARE(m_page->GetDlgItemText(1152), QStringLiteral("16"));
        QCOMPARE(m_page->GetDlgItemText(1155), QStringLiteral("3"));
        QCOMPARE(m_page->GetDlgItemText(1156), QStringLiteral("50000"));
        QCOMPARE(LampState(m_page, 1154), LED_OK);
        m_h->Respond(0x82, 0xDE, {0x00, 0x10, 0x03, 0xC3});
        QCOMPARE(m_page->GetDlgItemText(1152), QStringLiteral("Len:4, Need:5"));
        QCOMPARE(LampState(m_page, 1154), LED_ERROR);

        m_h->Respond(0x82, 0x83, {0x00, 1, 2, 3, 10, 0, 1});
        QCOMPARE(m_page->GetDlgItemText(1309), QStringLiteral("V1.2.3"));
        QCOMPARE(m_page->GetDlgItemText(1311), QStringLiteral("V10.0.1"));
        m_h->Respond(0x82, 0xEB, {0x00, 0xC0, 0x3A});
        QCOMPARE(m_page->GetDlgItemText(1322), QStringLiteral("-16326"));
        Bytes ocv{0x00};
        for (int i = 0; i < 14; ++i)
            ocv.insert(ocv.end(), {0x0C, static_cast<std::uint8_t>(i)});
        m_h->Respond(0x82, 0x91, ocv);
        QVERIFY(m_page->GetDlgItemText(1281).startsWith(QStringLiteral("3072 3073 ")));
        QVERIFY(m_page->GetDlgItemText(1281).endsWith(QStringLiteral("3085 ")));
        m_h->Respond(0x82, 0x88, {0x05});
        QCOMPARE(m_page->GetDlgItemText(1281), QStringLiteral("ErrorCode: 0x05"));
        QCOMPARE(LampState(m_page, 1279), LED_ERROR);
    }

    void registerAnswersAndTheEditor()
    {
        m_page->RegisterNameBox()->setEditText(QStringLiteral("TEMP"));
        const unsigned before = InternalDebugPage::RegisterRowsShown();
        m_h->Respond(0x82, 0x82, {0x00, 0x0A, 0x1B, 0xFF, 0x00});
        UserListCtrl *list = m_page->RegisterList();
        QCOMPARE(list->GetItemCount(), 2);
        QCOMPARE(list->GetItemText(0, 0), QStringLiteral("名称"));
        QCOMPARE(list->GetItemText(0, 1), QStringLiteral("TEMP"));
        QCOMPARE(list->GetItemText(1, 0), QString::number(before + 1));
        QCOMPARE(list->GetItemText(1, 1), QStringLiteral("0A 1B FF 00 "));
        RegisterBlock expected{};
        expected[0] = 0x0A;
        expected[1] = 0x1B;
        expected[2] = 0xFF;
        QCOMPARE(m_page->Register(), expected);

        // A longer answer to the write fills all 20 bytes; the name box is empty now.
        m_page->RegisterNameBox()->setEditText(QString());
        Bytes full{0x00};
        for (int i = 0; i < 22; ++i)
            full.push_back(static_cast<std::uint8_t>(0x80 + i));
        m_h->Respond(0x82, 0xDD, full);
        QCOMPARE(list->GetItemText(2, 1), QStringLiteral("名称空"));
        QCOMPARE(list->GetItemText(3, 0), QString::number(before + 2));
        QCOMPARE(m_page->Register()[19], std::uint8_t(0x93));

        // The editor shows the block in hex; OK writes the edited block.
        SetModalHook([](QDialog *d) {
            auto *dlg = qobject_cast<ResistanceEntryDialog *>(d);
            if (!dlg || dlg->GetDlgItemText(ResistanceEntryDialog::Boxes()[0].edit) != QStringLiteral("80"))
                return int(QDialog::Rejected);
            dlg->SetDlgItemText(ResistanceEntryDialog::Boxes()[0].edit, QStringLiteral("5a"));
            dlg->accept();
            return dlg->result();
        });
        m_page->ClickDlgButton(1188);
        Bytes write{0x53, 0x02, 0x5D, 0x14, 0x5A};
        for (int i = 1; i < 20; ++i)
            write.push_back(static_cast<std::uint8_t>(0x80 + i));
        QCOMPARE(LastPayload(), write);
        QCOMPARE(m_page->Register()[0], std::uint8_t(0x5A));
    }

    void upgradeRequestAndAnswers()
    {
        QVERIFY(m_dir.isValid());
        const QString image = m_dir.filePath(QStringLiteral("bms.bin"));
        QFile f(image);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("\x01\x02\x03");
        f.close();
        // The file dialog is answered with `answer`; upgrade dialogs are counted and closed.
        QString answer = m_dir.filePath(QStringLiteral("missing.bin"));
        QString proposed;
        int upgrades = 0;
        std::function<void()> whileUpgrading;
        SetModalHook([&](QDialog *d) {
            if (auto *files = qobject_cast<FileDialogEx *>(d)) {
                proposed = files->selectedFiles().value(0);
                files->selectFile(answer);
                return int(QDialog::Accepted);
            }
            if (auto *upgrade = qobject_cast<YModemUpgradeDialog *>(d)) {
                ++upgrades;
                if (upgrade->Transport() != YModemTransport::Wrapped)
                    upgrades = -100;
                if (whileUpgrading)
                    whileUpgrading();
            }
            return int(QDialog::Rejected);
        });
        // A file that cannot be opened: the platform's reason, nothing queued.
        m_page->ReadParams(1378);
        QVERIFY(proposed.endsWith(QStringLiteral("请选择升级文件")));
        QCOMPARE(FileDialogEx::StoredFolder(QStringLiteral("CCfgPageFor::ZXSJ_req")),
                 QDir::toNativeSeparators(m_dir.path()));
        QCOMPARE(m_boxes->Count(), 1);
        QCOMPARE(m_boxes->Shown().back().caption, QStringLiteral("警告"));
        QVERIFY(m_page->UpgradeFile().isEmpty());
        QVERIFY(m_h->Payloads().empty());

        answer = image;
        m_page->ReadParams(1378);
        QCOMPARE(m_page->UpgradeFile(), image);
        QCOMPARE(m_page->GetDlgItemText(1377), QStringLiteral("升级请求已发出,等待响应！"));
        QCOMPARE(LastPayload(), (Bytes{0x53, 0x02, 0x01, 0x01, 0x00}));

        // The repeater left its upgrade mode: only the text.
        m_h->Respond(0x82, 0x81, {0xFF});
        QCOMPARE(m_page->GetDlgItemText(1377), QStringLiteral("中继器已经退出 BMS 在线升级模式！"));
        QCOMPARE(upgrades, 0);

        // While another page is in front the answer starts nothing.
        auto *log = m_h->AddPage(new SystemLogPage(m_h.get()));
        QVERIFY(m_h->ShowPage(log));
        m_h->Respond(0x82, 0x81, {0x00});
        QCOMPARE(m_page->GetDlgItemText(1377), QStringLiteral("响应时，页面处于非活动状态！"));
        QCOMPARE(upgrades, 0);

        // In front: the acknowledgement opens the upgrade dialog, wrapped, with the
        // file; an answer arriving while it runs opens no second one.
        QVERIFY(m_h->ShowPage(m_page));
        whileUpgrading = [&] { m_h->Respond(0x82, 0x81, {0x00}); };
        m_h->Respond(0x82, 0x81, {0x00});
        QCOMPARE(m_page->GetDlgItemText(1377), QStringLiteral("请求在线升级，收到响应！"));
        QCOMPARE(upgrades, 1);
        QCOMPARE(LampState(m_page, 1378), LED_OK);
        whileUpgrading = nullptr;
        m_h->Respond(0x83, 0xA6, {0x00});
        QCOMPARE(upgrades, 2);
        m_h->Respond(0x82, 0x81, {0x03});
        QCOMPARE(m_page->GetDlgItemText(1377), QStringLiteral("ErrorCode: 0x03"));
        QCOMPARE(upgrades, 2);
        // The write gesture of row 1 opens it with the file chosen before.
        m_page->WriteParams(1378);
        QCOMPARE(upgrades, 3);
    }

    void upgradeRunsTheWrappedDialog()
    {
        const QString image = m_dir.filePath(QStringLiteral("board.bin"));
        QFile f(image);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("\x01\x02\x03");
        f.close();
        SetModalHook([&](QDialog *d) {
            auto *files = qobject_cast<FileDialogEx *>(d);
            if (!files)
                return int(QDialog::Rejected);
            files->selectFile(image);
            return int(QDialog::Accepted);
        });
        m_page->ReadParams(1378);
        QVERIFY(m_h->ShowPage(m_page));
        GlobalLinkSettings().cmdSndInvl = 400;
        QStringList seen;
        SetModalHook([&](QDialog *d) {
            auto *dlg = qobject_cast<YModemUpgradeDialog *>(d);
            if (!dlg)
                return int(QDialog::Rejected);
            seen << (dlg->Transport() == YModemTransport::Wrapped ? QStringLiteral("wrapped") : QStringLiteral("raw"))
                 << dlg->Rows().value(0) << QString::number(GlobalLinkSettings().cmdSndInvl.load());
            seen << (m_h->YModemReceiver() == dlg ? QStringLiteral("receiver") : QStringLiteral("not registered"));
            return int(QDialog::Rejected);
        });
        m_h->Respond(0x82, 0x81, {0x00});
        QCOMPARE(seen, (QStringList{QStringLiteral("wrapped"), QStringLiteral("选择升级文件，") + image,
                                    QStringLiteral("200"), QStringLiteral("receiver")}));
        // Closed: the interval is back, the loader is told, the port cuts frames again.
        QCOMPARE(GlobalLinkSettings().cmdSndInvl.load(), 400);
        QCOMPARE(m_h->Sent().back(), (Bytes{0x4D, 0x53, 0x01, 0x02, 0x01, 0x00, 0x57, 0x00, 0x0D, 0x0A}));
        QCOMPARE(m_h->YModemReceiver(), nullptr);
    }

    void upgradeAnswerWithoutAFile()
    {
        QVERIFY(m_h->ShowPage(m_page));
        m_h->Respond(0x82, 0x81, {0x00});
        QCOMPARE(m_page->GetDlgItemText(1377), QStringLiteral("请双击选择升级文件！"));
        m_page->WriteParams(1378);
        QCOMPARE(m_boxes->Count(), 0);
    }

    void clearEmptiesTheBoxesAndTheTableColumns()
    {
        for (int id : {1377, 1309, 1311, 1152, 1155, 1156, 1318, 1322, 1281, 1429, 1430, 1065, 1431, 1432, 1255})
            m_page->SetDlgItemText(id, QStringLiteral("7"));
        m_page->RegisterNameBox()->setEditText(QStringLiteral("R"));
        m_h->Respond(0x82, 0x82, {0x00, 0x01});
        for (int row = 0; row < 4; ++row) {
            m_page->TableList()->SetItemText(row, 2, QStringLiteral("5"));
            m_page->TableList()->SetItemText(row, 3, QStringLiteral("6"));
        }
        m_page->ClickDlgButton(IDC_CLEAR);
        for (int id : {1377, 1309, 1311, 1152, 1155, 1156, 1318, 1322, 1281, 1429, 1430, 1065, 1431, 1432, 1255})
            QVERIFY2(m_page->GetDlgItemText(id).isEmpty(), qPrintable(QString::number(id)));
        for (int row = 0; row < 4; ++row) {
            QVERIFY(m_page->TableList()->GetItemText(row, 2).isEmpty());
            QVERIFY(m_page->TableList()->GetItemText(row, 3).isEmpty());
            QCOMPARE(m_page->TableList()->GetItemText(row, 1), QString::number(row % 2));
        }
        QCOMPARE(m_page->RegisterNameBox()->currentText(), QStringLiteral("R"));
        QCOMPARE(m_page->RegisterList()->GetItemCount(), 2);
        QCOMPARE(m_page->Register()[0], std::uint8_t(0x01));
    }
};

int main(int argc, char **argv)
{
    return RunWidgetTest<TestInternalDebugPage>(argc, argv);
}

#include "test_internaldebugpage.moc"
