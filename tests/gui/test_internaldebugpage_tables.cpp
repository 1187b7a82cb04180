// "内部调试": the internal resistance tables (rows, list, acknowledgement
// lamps), the fill-in dialog of the fourteen-value boxes and of the register
// block, and the measured-parameter files the page exports and imports.
#include "app/dialogs/filedialogex.h"
#include "app/dialogs/resistanceentrydialog.h"
#include "app/pages/internaldebugpage.h"
#include "app/widgets/listctrldelegate.h"
#include "app/widgets/userlistctrl.h"
#include "gui/page_fixture.h"

#include "gui/widget_test_main.h"
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QStringEncoder>
#include <QTemporaryDir>

namespace {
const QString kFourteen = QStringLiteral("11 12 13 14 15 16 17 18 19 20 21 22 23 24");

// The data of a write (or answer, after the result code) of one measurement.
Bytes MeasurementBytes(std::uint16_t first, std::int32_t current, std::uint8_t index)
{
    Bytes m;
    for (int i = 0; i < 14; ++i) {
        const auto v = static_cast<std::uint16_t>(first + i);
        m.insert(m.end(), {static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)});
    }
    const auto c = static_cast<std::uint32_t>(current);
    m.insert(m.end(), {static_cast<std::uint8_t>(c >> 24), static_cast<std::uint8_t>(c >> 16),
                       static_cast<std::uint8_t>(c >> 8), static_cast<std::uint8_t>(c), index});
    return m;
}

Bytes ChargeWrite(const Bytes &measurement)
{
    Bytes w{0x53, 0x02, 0x07, 0x21};
    w.insert(w.end(), measurement.begin(), measurement.end());
    return w;
}

Bytes Answer(const Bytes &data)
{
    Bytes a{0x00};
    a.insert(a.end(), data.begin(), data.end());
    return a;
}

bool LampBright(PageBase *page, int id)
{
    auto *led = page->Item<LedLamp>(id);
    return led && led->ColourRow() == LedLamp::kGreen && led->ColumnIndex() == LedLamp::kBright;
}

bool LampIdle(PageBase *page, int id)
{
    auto *led = page->Item<LedLamp>(id);
    return led && led->ColourRow() == LedLamp::kGreen && led->ColumnIndex() == LedLamp::kDark;
}

QByteArray Gbk(const QString &text)
{
    QStringEncoder gbk("GBK");
    return gbk(text);
}

QByteArray ReadAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
} // namespace

class TestInternalDebugPageTables : public QObject, private PageFixture<InternalDebugPage> {
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    std::vector<QDialog *> m_dialogs; // dialogs the modal hook saw (alive only inside)
    QStringList m_titles;
    QString m_file;     // the answer of the file dialog; empty cancels it
    QString m_proposed; // the file the dialog proposed

    UserListCtrl *List() { return m_page->TableList(); }
    void SetListRow(int row, const QString &current, const QString &values)
    {
        List()->SetItemText(row, InternalDebugPage::COL_CURRENT, current);
        List()->SetItemText(row, InternalDebugPage::COL_RESISTANCE, values);
    }
    // The fill-in dialog is answered by fill: it edits the boxes and presses OK,
    // or returns false to cancel.
    void AnswerFillIn(std::function<bool(ResistanceEntryDialog *)> fill)
    {
        SetModalHook([this, fill](QDialog *d) {
            if (auto *files = qobject_cast<FileDialogEx *>(d)) {
                m_proposed = files->selectedFiles().value(0);
                if (m_file.isEmpty())
                    return int(QDialog::Rejected);
                files->selectFile(m_file);
                return int(QDialog::Accepted);
            }
            m_titles << d->windowTitle();
            auto *dlg = qobject_cast<ResistanceEntryDialog *>(d);
            if (!dlg || !fill(dlg))
                return int(QDialog::Rejected);
            dlg->accept();
            return dlg->result();
        });
    }
    void BulkWriteOnly(std::initializer_list<int> rows)
    {
        UncheckAll(m_page);
        for (int chk : rows)
            m_page->CheckDlgButton(chk, 1);
        m_page->ClickDlgButton(IDC_WRITE);
    }

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(OpenPage());
        m_h->Gate().SetVerified(true);
        m_titles.clear();
        m_file.clear();
        // No dialog is ever shown: unless a test answers otherwise it is cancelled.
        AnswerFillIn([](ResistanceEntryDialog *) { return false; });
    }
    void cleanup()
    {
        SetModalHook({});
        ClosePage();
    }

    void bulkWriteOfBothListRowsTurnsTheLampGreen()
    {
        SetListRow(0, QStringLiteral("1000"), kFourteen);
        SetListRow(1, QStringLiteral("-2000"), QStringLiteral(" 31\t32 33 34 35 36 37 38 39 40 41 42 43 44 "));
        m_page->SetDlgItemText(1065, QStringLiteral("not used"));
        BulkWriteOnly({1064});
        const std::vector<Bytes> expected = {
            ChargeWrite(MeasurementBytes(11, 1000, 0)),
            ChargeWrite(MeasurementBytes(31, -2000, 1)),
        };
        QCOMPARE(m_h->Payloads(), expected);
        QCOMPARE(m_page->ChargeAcks(), 2);
        QCOMPARE(m_boxes->Count(), 0);
        QVERIFY(LampIdle(m_page, 1437));

        m_h->Respond(0x82, 0x87, Answer(MeasurementBytes(11, 1000, 0)));
        QCOMPARE(m_page->ChargeAcks(), 3);
        QVERIFY(LampIdle(m_page, 1437));
        m_h->Respond(0x82, 0x87, Answer(MeasurementBytes(31, -2000, 1)));
        QCOMPARE(m_page->ChargeAcks(), 5);
        QVERIFY(LampBright(m_page, 1437));
        QVERIFY(LampIdle(m_page, 1438));
        QCOMPARE(m_page->GetDlgItemText(1430), QStringLiteral("-2000"));
        QCOMPARE(m_page->GetDlgItemText(1429), QStringLiteral("1"));
        // A click on the lamp puts it out again.
        emit m_page->Item<LedLamp>(1437)->clicked();
        QVERIFY(LampIdle(m_page, 1437));
    }

    void onlyTheSecondAcknowledgementLeavesTheLampDark()
    {
        SetListRow(2, QStringLiteral("5"), kFourteen);
        SetListRow(3, QStringLiteral("6"), kFourteen);
        BulkWriteOnly({1253});
        QCOMPARE(m_h->Payloads().size(), std::size_t(2));
        QCOMPARE(m_h->Payloads()[0][2], std::uint8_t(0x06));
        m_h->Respond(0x82, 0x86, Answer(MeasurementBytes(11, 6, 1)));
        QCOMPARE(m_page->DischargeAcks(), 4);
        QVERIFY(LampIdle(m_page, 1438));
        // Read answers show the values but acknowledge no write.
        m_h->Respond(0x82, 0x89, Answer(MeasurementBytes(11, 5, 0)));
        QCOMPARE(m_page->DischargeAcks(), 4);
        QVERIFY(LampIdle(m_page, 1438));
        QCOMPARE(List()->GetItemText(2, InternalDebugPage::COL_CURRENT), QStringLiteral("5"));
    }

    void invalidListRowsArePassedOver_data()
    {
        QTest::addColumn<QString>("current");
        QTest::addColumn<QString>("values");
        QTest::newRow("13 numbers") << "100"
                                    << "1 2 3 4 5 6 7 8 9 10 11 12 13";
        QTest::newRow("current not a number") << "1e3" << kFourteen;
        QTest::newRow("current beyond 32 bits") << "2147483648" << kFourteen;
        QTest::newRow("value beyond 16 bits") << "100"
                                              << "1 2 3 4 5 6 7 8 9 10 11 12 13 65536";
        QTest::newRow("empty current") << "" << kFourteen;
    }
    void invalidListRowsArePassedOver()
    {
        QFETCH(QString, current);
        QFETCH(QString, values);
        SetListRow(0, current, values);
        SetListRow(1, QStringLiteral("+7"), kFourteen);
        BulkWriteOnly({1064});
        QCOMPARE(m_h->Payloads(), (std::vector<Bytes>{ChargeWrite(MeasurementBytes(11, 7, 1))}));
        QCOMPARE(m_page->ChargeAcks(), 1);
        QCOMPARE(m_boxes->Count(), 0);
        QCOMPARE(m_titles.size(), 0); // the boxes were not used
    }

    void withoutValidListRowsTheBoxesAreWritten()
    {
        m_page->SetDlgItemText(1065, kFourteen);
        m_page->SetDlgItemText(1430, QStringLiteral("300"));
        m_page->SetDlgItemText(1429, QStringLiteral("0"));
        BulkWriteOnly({1064, 1253});
        // Charge from its boxes; discharge has neither list rows nor values: the fill-in dialog, and the walk stops.
        QCOMPARE(m_h->Payloads(), (std::vector<Bytes>{ChargeWrite(MeasurementBytes(11, 300, 0))}));
        QCOMPARE(m_titles, QStringList{QStringLiteral("设置放电内阻")});
    }

    void shortAnswerFillsTheValuesOnly()
    {
        m_page->SetDlgItemText(1430, QStringLiteral("77"));
        List()->SetItemText(0, InternalDebugPage::COL_CURRENT, QStringLiteral("9"));
        Bytes values = MeasurementBytes(100, 0, 0);
        values.resize(28);
        m_h->Respond(0x82, 0x87, Answer(values)); // data length 29
        const QString text = QStringLiteral("100 101 102 103 104 105 106 107 108 109 110 111 112 113 ");
        QCOMPARE(m_page->GetDlgItemText(1065), text);
        QCOMPARE(m_page->GetDlgItemText(1430), QStringLiteral("77"));
        QCOMPARE(List()->GetItemText(0, InternalDebugPage::COL_RESISTANCE), text);
        QVERIFY(List()->GetItemText(0, InternalDebugPage::COL_CURRENT).isEmpty());
        QCOMPARE(m_page->ChargeAcks(), 1);
        QCOMPARE(LampState(m_page, 1064), LED_OK);
        // Fewer than 28 value bytes: nothing changes.
        values.resize(27);
        m_h->Respond(0x82, 0x90, Answer(values));
        QCOMPARE(m_page->GetDlgItemText(1065), text);
        // A measurement index the table does not have fills the boxes, not the list.
        m_h->Respond(0x82, 0x90, Answer(MeasurementBytes(1, 2, 7)));
        QCOMPARE(m_page->GetDlgItemText(1429), QStringLiteral("7"));
        QCOMPARE(List()->GetItemText(0, InternalDebugPage::COL_RESISTANCE), text);
    }

    // Each column of the table list shows its widest possible value uncut (a
    // current of -2147483648, fourteen values of 65535) at every window width.
    void everyColumnFitsItsWidestValue()
    {
        for (std::uint8_t index : {0, 1}) {
            Bytes widest = MeasurementBytes(0, std::numeric_limits<std::int32_t>::min(), index);
            std::fill(widest.begin(), widest.begin() + 28, 0xFF);
            m_h->Respond(0x82, 0x87, Answer(widest));
        }
        QCOMPARE(List()->GetItemText(1, InternalDebugPage::COL_CURRENT), QStringLiteral("-2147483648"));
        const QString values = List()->GetItemText(1, InternalDebugPage::COL_RESISTANCE);
        QCOMPARE(values.count(QStringLiteral("65535")), 14);
        SetListRow(2, QStringLiteral("-2147483648"), values);
        SetListRow(3, QStringLiteral("2147483647"), values);

        QWidget *top = m_page->window();
        top->show();
        m_h->ShowPage(m_page);
        QVERIFY(QTest::qWaitForWindowExposed(top));
        UserListCtrl *list = List();
        for (int width : {480, 800, 1280}) {
            top->resize(width, 600); // a window narrower than the page's minimum stays at that
            QCoreApplication::processEvents();
            for (int column = 0; column <= InternalDebugPage::COL_RESISTANCE; ++column) {
                const QString title = list->model()->headerData(column, Qt::Horizontal).toString();
                QVERIFY2(list->horizontalHeader()->fontMetrics().horizontalAdvance(title) < list->columnWidth(column),
                         qPrintable(title));
                for (int row = 0; row < 4; ++row) {
                    const QModelIndex cell = list->model()->index(row, column);
                    QStyleOptionViewItem option;
                    option.initFrom(list);
                    option.rect = QRect(0, 0, list->columnWidth(column), list->rowHeight(row));
                    QVERIFY2(ListCtrlDelegate::CutText(option, cell).isEmpty(),
                             qPrintable(QStringLiteral("width %1 row %2 column %3: %4")
                                            .arg(width)
                                            .arg(row)
                                            .arg(column)
                                            .arg(list->GetItemText(row, column))));
                }
            }
        }
        top->hide();
    }

    void clickOnAListRowFillsItsTableBoxes()
    {
        SetListRow(3, QStringLiteral("-40"), kFourteen);
        List()->clicked(List()->model()->index(3, 2));
        QCOMPARE(m_page->GetDlgItemText(1431), QStringLiteral("1"));
        QCOMPARE(m_page->GetDlgItemText(1432), QStringLiteral("-40"));
        QCOMPARE(m_page->GetDlgItemText(1255), kFourteen);
        QVERIFY(m_page->GetDlgItemText(1065).isEmpty());
    }

    void openCircuitTextsThatOpenTheFillInDialog()
    {
        // 13 numbers: the dialog, prefilled, and its OK writes the row.
        m_page->SetDlgItemText(1281, QStringLiteral("1 2 3 4 5 6 7 8 9 10 11 12 x13"));
        AnswerFillIn([](ResistanceEntryDialog *dlg) {
            const auto &boxes = ResistanceEntryDialog::Boxes();
            if (dlg->GetDlgItemText(boxes[0].edit) != QStringLiteral("1") ||
                dlg->GetDlgItemText(boxes[12].edit) != QStringLiteral("0") ||
                dlg->GetDlgItemText(boxes[13].edit) != QStringLiteral("0"))
                return false;
            dlg->SetDlgItemText(boxes[13].edit, QStringLiteral("3300"));
            return true;
        });
        m_page->WriteParams(1279);
        QCOMPARE(m_titles.size(), 1);
        QCOMPARE(m_page->GetDlgItemText(1281), QStringLiteral("1 2 3 4 5 6 7 8 9 10 11 12 0 3300 "));
        QCOMPARE(m_h->Payloads().size(), std::size_t(1));
        QCOMPARE(m_h->Payloads()[0].size(), std::size_t(32));
        QCOMPARE(m_h->Payloads()[0][30], std::uint8_t(0x0C));
        QCOMPARE(m_h->Payloads()[0][31], std::uint8_t(0xE4));

        // 14 numbers with one out of range: the range message, then the dialog (cancelled).
        m_h->Sent().clear();
        m_page->SetDlgItemText(1281, QStringLiteral("1 2 3 4 5 6 7 70000 9 10 11 12 13 14"));
        AnswerFillIn([](ResistanceEntryDialog *) { return false; });
        m_page->WriteParams(1279);
        QCOMPARE(m_boxes->LastText(), QStringLiteral("参数的有效范围是 0 至 65535 之间的整数！"));
        QCOMPARE(m_titles.size(), 2);
        QVERIFY(m_h->Payloads().empty());
        QCOMPARE(LampState(m_page, 1279), LED_IDLE);
    }

    void fillInDialogLayoutAndChecks()
    {
        const std::int32_t values[14] = {1, 2, 3};
        ResistanceEntryDialog ocv(1281, values);
        QCOMPARE(ocv.windowTitle(), QStringLiteral("设置开路电压"));
        QCOMPARE(ocv.GetDlgItemText(ResistanceEntryDialog::Boxes()[0].label), QStringLiteral("开路电压 1"));
        QCOMPARE(ocv.GetDlgItemText(ResistanceEntryDialog::Boxes()[13].label), QStringLiteral("开路电压 14"));
        for (int i = 0; i < ResistanceEntryDialog::kBoxes; ++i) {
            QCOMPARE(ocv.GetDlgItem(ResistanceEntryDialog::Boxes()[i].edit)->isHidden(), i >= 14);
            QCOMPARE(ocv.GetDlgItem(ResistanceEntryDialog::Boxes()[i].label)->isHidden(), i >= 14);
        }
        QCOMPARE(ocv.GetDlgItemText(ResistanceEntryDialog::Boxes()[2].edit), QStringLiteral("3"));

        const std::int32_t bytes[20] = {0x0A, 0xFF};
        ResistanceEntryDialog reg(1184, bytes);
        QCOMPARE(reg.windowTitle(), QStringLiteral("设置寄存器"));
        QCOMPARE(reg.Count(), 20);
        QCOMPARE(reg.GetDlgItemText(ResistanceEntryDialog::Boxes()[0].edit), QStringLiteral("0A"));
        QCOMPARE(reg.GetDlgItemText(ResistanceEntryDialog::Boxes()[19].edit), QStringLiteral("00"));
        QCOMPARE(reg.Item<QLineEdit>(ResistanceEntryDialog::Boxes()[19].edit)->maxLength(), 2);
        QVERIFY(!reg.GetDlgItem(ResistanceEntryDialog::Boxes()[19].edit)->isHidden());

        struct Case {
            ResistanceEntryDialog *dlg;
            int box;
            const char *text;
            const char *message;
        };
        const Case cases[] = {
            {&reg, 4, "G1", "请输入有效的十六进制字符串！"},
            {&reg, 4, " ", "参数不能为空！"},
            {&ocv, 9, "12a", "请输入有效的十六进制字符串！"},
            {&ocv, 9, "65536", "参数的有效范围是 0 至 65535 之间的整数！"},
            {&ocv, 9, "-1", "参数的有效范围是 0 至 65535 之间的整数！"},
        };
        for (const Case &c : cases) {
            m_boxes->Clear();
            const int edit = ResistanceEntryDialog::Boxes()[c.box].edit;
            const std::int32_t before = c.dlg->Values()[c.box];
            c.dlg->SetDlgItemText(edit, QString::fromUtf8(c.text));
            c.dlg->accept();
            QVERIFY2(c.dlg->result() == int(QDialog::Rejected), c.text);
            QCOMPARE(m_boxes->Count(), 1);
            QCOMPARE(m_boxes->LastText(), QString::fromUtf8(c.message));
            QCOMPARE(m_boxes->Shown().back().caption, QStringLiteral("警告"));
            QCOMPARE(c.dlg->Values()[c.box], before); // nothing stored before every box passed
            c.dlg->SetDlgItemText(edit, QStringLiteral("1"));
        }
        // Three digits cannot be typed into a register box: "100" stays "10".
        auto *third = reg.Item<QLineEdit>(ResistanceEntryDialog::Boxes()[2].edit);
        third->clear();
        QTest::keyClicks(third, QStringLiteral("100"));
        QCOMPARE(third->text(), QStringLiteral("10"));
        reg.SetDlgItemText(ResistanceEntryDialog::Boxes()[1].edit, QStringLiteral("fe"));
        reg.accept();
        QCOMPARE(reg.result(), int(QDialog::Accepted));
        QCOMPARE(reg.Values()[1], 0xFE);
        QCOMPARE(reg.Values()[2], 0x10);
    }

    void exportedFileNameAndRoundTrip()
    {
        m_page->SetDlgItemText(1152, QStringLiteral("16"));
        m_page->SetDlgItemText(1155, QStringLiteral("2"));
        m_page->SetDlgItemText(1156, QStringLiteral("100000"));
        m_page->SetDlgItemText(1322, QStringLiteral("98000"));
        m_page->SetDlgItemText(1281, kFourteen + QLatin1Char(' '));
        SetListRow(0, QStringLiteral("1000"), kFourteen);
        SetListRow(3, QStringLiteral("-3000"), QString(300, QLatin1Char('9'))); // cut to 259 by a read
        const QString first = m_dir.filePath(QStringLiteral("a"));
        m_file = first; // the dialog adds the extension
        m_page->ClickDlgButton(1439);
        QVERIFY(m_proposed.endsWith(
            QStringLiteral("/实测参数_%1.ini").arg(QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")))));
        QCOMPARE(FileDialogEx::StoredFolder(QStringLiteral("CCfgPageFor::OnBtnClickExportParam")),
                 QDir::toNativeSeparators(m_dir.path()));
        QVERIFY(!QFile::exists(first));
        const QString firstIni = first + QStringLiteral(".ini");
        const QByteArray bytes = ReadAll(firstIni);
        QVERIFY(bytes.startsWith(Gbk(QStringLiteral("[标称容量]\r\n串数=16\r\n"))));

        // Into a fresh page, and out again: the same bytes.
        ClosePage();
        QVERIFY(OpenPage());
        m_file = firstIni;
        m_page->ClickDlgButton(1440);
        QVERIFY(m_proposed.endsWith(QStringLiteral("请选择实测参数文件")));
        QCOMPARE(FileDialogEx::StoredFolder(QStringLiteral("CCfgPageFor::OnBtnClickImportParam")),
                 QDir::toNativeSeparators(m_dir.path()));
        QCOMPARE(m_page->GetDlgItemText(1156), QStringLiteral("100000"));
        QCOMPARE(List()->GetItemText(3, InternalDebugPage::COL_CURRENT), QStringLiteral("-3000"));
        QVERIFY(m_h->Payloads().empty()); // nothing goes to the board
        const QString second = m_dir.filePath(QStringLiteral("b.ini"));
        m_file = second;
        m_page->ClickDlgButton(1439);
        const QByteArray again = ReadAll(second);
        QVERIFY(!again.isEmpty());
        QCOMPARE(again.size(), bytes.size() - 41); // the value of 300 came back as 259
        QCOMPARE(ReadAll(second), again);
        m_page->ClickDlgButton(1440);
        m_file = firstIni;
        m_page->ClickDlgButton(1439);
        QCOMPARE(ReadAll(firstIni), again);
    }

    void importOfAHandWrittenGbkFile()
    {
        m_page->SetDlgItemText(1281, QStringLiteral("old"));
        m_page->SetDlgItemText(1322, QStringLiteral("old"));
        const QString text = QStringLiteral("[实测容量]\r\nSOC = 4321\r\n[放电内阻]\r\n电流1=-250\r\n内阻值1=") +
                             kFourteen + QStringLiteral("\r\n[标称容量]\r\n串数=15\r\n");
        const QString path = m_dir.filePath(QStringLiteral("hand.ini"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(Gbk(text));
        f.close();
        m_file = path;
        m_page->ClickDlgButton(1440);
        QCOMPARE(m_page->GetDlgItemText(1322), QStringLiteral("4321"));
        QCOMPARE(m_page->GetDlgItemText(1152), QStringLiteral("15"));
        QCOMPARE(List()->GetItemText(3, InternalDebugPage::COL_CURRENT), QStringLiteral("-250"));
        QCOMPARE(List()->GetItemText(3, InternalDebugPage::COL_RESISTANCE), kFourteen);
        // No section "开路电压": the box is emptied.
        QVERIFY(m_page->GetDlgItemText(1281).isEmpty());
        QCOMPARE(m_boxes->Count(), 0);

        // A file that cannot be read changes nothing and says why.
        m_file = m_dir.filePath(QStringLiteral("none.ini"));
        m_page->ClickDlgButton(1440);
        QCOMPARE(m_boxes->Count(), 1);
        QCOMPARE(m_page->GetDlgItemText(1322), QStringLiteral("4321"));
    }

    void failedExportIsReported()
    {
        const QString path = m_dir.filePath(QStringLiteral("no/such/folder/x.ini"));
        m_file = path;
        m_page->ClickDlgButton(1439);
        QCOMPARE(m_boxes->Count(), 1);
        QCOMPARE(m_boxes->Shown().back().caption, QStringLiteral("警告"));
        QVERIFY(!QFile::exists(path));
        // Cancelled: nothing.
        m_file.clear();
        m_page->ClickDlgButton(1439);
        m_page->ClickDlgButton(1440);
        QCOMPARE(m_boxes->Count(), 1);
    }
};

int main(int argc, char **argv)
{
    return RunWidgetTest<TestInternalDebugPageTables>(argc, argv);
}

#include "test_internaldebugpage_tables.moc"
