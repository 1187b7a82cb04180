// The battery record page: the read request, the records as rows in the
// thirteen columns, answers that add nothing, the trim, show-latest, the
// list menu and the export read back.
#include "app/pages/batteryrecordpage.h"
#include "app/widgets/recordlistctrl.h"
#include "export_helpers.h"
#include "list_helpers.h"
#include "page_fixture.h"

#include "gui/widget_test_main.h"

#include <QScrollBar>
#include <QTemporaryDir>

namespace {
// A 22-byte record; the bytes named in set override the defaults.
Bytes Record(std::uint16_t number, std::initializer_list<std::pair<int, std::uint8_t>> set = {})
{
    Bytes r{static_cast<std::uint8_t>(number >> 8),
            static_cast<std::uint8_t>(number),
            0x0D,
            0x05, // 3333 mV
            0x0C,
            0xE4, // 3300 mV
            0x00,
            0x00,
            0xCF,
            0x08, // 53000 mV
            0x00,
            0x00,
            0x13,
            0x88, // 5000 mA
            25,
            22,
            30,
            80,
            0,
            0,
            0,
            0};
    for (auto [at, value] : set)
        r[static_cast<std::size_t>(at)] = value;
    return r;
}

Bytes Answer(const std::vector<Bytes> &records, std::uint8_t result = 0)
{
    Bytes d{result};
    for (const Bytes &r : records)
        d.insert(d.end(), r.begin(), r.end());
    return d;
}
} // namespace

class TestBatteryRecordPage : public QObject, PageFixture<BatteryRecordPage> {
    Q_OBJECT

    RecordListCtrl &List() { return *m_page->List(); }

private slots:
    void init() { QVERIFY(OpenPage()); }
    void cleanup() { ClosePage(); }

    void columns()
    {
        QCOMPARE(m_page->Caption(), QString("电池记录"));
        QCOMPARE(m_page->ColumnNames(),
                 QStringList({"编号", "最大单节电压", "最小单节电压", "总电压", "总电流", "最高电芯温度",
                              "最低电芯温度", "MOS温度", "SOC", "故障状态1", "故障状态2", "故障状态3", "MOS状态"}));
        QCOMPARE(List().RowModel()->ColumnHeadings(), m_page->ColumnNames());
    }

    void readSendsTheRequest()
    {
        m_page->ClickDlgButton(IDC_READ);
        QCOMPARE(m_h->Payloads(), std::vector<Bytes>({{0x53, 0x05, 0x01, 0x01, 0x00}}));
        m_h->SetPortOpen(false);
        m_page->ClickDlgButton(IDC_READ);
        QCOMPARE(m_boxes->LastText(), QString("请先打开串口后再进行操作！"));
        QCOMPARE(m_h->Sent().size(), std::size_t(1));
    }

    void twoRecordsGiveTwoRows()
    {
        m_h->Respond(0x85, 0x81, Answer({Record(1), Record(2, {{10, 0xFF}, {11, 0xFF}, {12, 0xFF}, {13, 0xF6}})}));
        QCOMPARE(List().GetItemCount(), 2);
        QCOMPARE(Column(List(), 0), QStringList({"1", "2"}));
        const QStringList first{"1", "3333", "3300", "53000", "5000", "25 ℃", "22 ℃", "30 ℃", "80", "", "", "", ""};
        QStringList row;
        for (int c = 0; c < 13; ++c)
            row << List().GetItemText(0, c);
        QCOMPARE(row, first);
        QCOMPARE(List().GetItemText(1, 4), QString("-10"));
    }

    void cellTexts_data()
    {
        QTest::addColumn<int>("byte");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("text");
        QTest::newRow("over charge and discharge") << 18 << 0x03 << 9 << "过充保护 过放保护";
        QTest::newRow("discharge high temperature") << 18 << 0x80 << 9 << "放电高温保护；";
        QTest::newRow("fault 2 bit 1 has no name") << 19 << 0x02 << 10 << "";
        QTest::newRow("short circuit") << 19 << 0x01 << 10 << " 短路保护";
        QTest::newRow("reset") << 20 << 0x01 << 11 << " 系统复位";
        QTest::newRow("charge MOS") << 21 << 0x03 << 12 << " 充电MOS";
        QTest::newRow("200 degrees") << 14 << 0xC8 << 5 << "200 ℃";
        QTest::newRow("SOC") << 17 << 100 << 8 << "100";
    }
    void cellTexts()
    {
        QFETCH(int, byte);
        QFETCH(int, value);
        QFETCH(int, column);
        QFETCH(QString, text);
        m_h->Respond(0x85, 0x81, Answer({Record(7, {{byte, static_cast<std::uint8_t>(value)}})}));
        QCOMPARE(List().GetItemText(0, column), text);
    }

    void answersThatAddNothing_data()
    {
        QTest::addColumn<Bytes>("data");
        QTest::newRow("data length 24") << Bytes(24, 0);
        QTest::newRow("result only") << Bytes{0};
        QTest::newRow("refused") << Answer({Record(1)}, 0x02);
    }
    void answersThatAddNothing()
    {
        QFETCH(Bytes, data);
        m_h->Respond(0x85, 0x81, data);
        QCOMPARE(List().GetItemCount(), 0);
    }

    void rowsAccumulateAndClear()
    {
        m_h->Respond(0x85, 0x81, Answer({Record(1)}));
        m_h->Respond(0x85, 0x81, Answer({Record(2)}));
        QCOMPARE(Column(List(), 0), QStringList({"1", "2"}));
        m_page->ClickDlgButton(IDC_CLEAR);
        QCOMPARE(List().GetItemCount(), 0);
    }

    void trimDropsTheOldest()
    {
        std::vector<Bytes> eleven;
        for (int n = 0; n < 8193; n += 11) {
            eleven.clear();
            for (int i = n; i < std::min(n + 11, 8193); ++i)
                eleven.push_back(Record(static_cast<std::uint16_t>(i)));
            m_h->Respond(0x85, 0x81, Answer(eleven));
        }
        QCOMPARE(List().GetItemCount(), 8193);
        m_h->Respond(0x85, 0x81, Answer({Record(8193)}));
        QCOMPARE(List().GetItemCount(), 8193 - 2048 + 1);
        QCOMPARE(List().GetItemText(0, 0), QString("2048"));
        QCOMPARE(List().GetItemText(List().GetItemCount() - 1, 0), QString("8193"));
    }

    void showLatestOffDoesNotScroll()
    {
        m_h->Sheet()->resize(600, 300);
        QVERIFY(ShowInFront());
        m_page->OnClickMenu_LATEST();
        for (int i = 0; i < 20; ++i)
            m_h->Respond(0x85, 0x81, Answer({Record(static_cast<std::uint16_t>(i))}));
        QTest::qWait(120);
        QScrollBar *bar = List().verticalScrollBar();
        QVERIFY(bar->maximum() > 0);
        QCOMPARE(bar->value(), 0);
        m_page->OnClickMenu_LATEST();
        m_h->Respond(0x85, 0x81, Answer({Record(99)}));
        QTRY_COMPARE(bar->value(), bar->maximum());
    }

    void menuAndExport()
    {
        QMenu menu;
        m_page->FillLogMenu(menu);
        QCOMPARE(menu.title(), QString("日志控件"));
        QVERIFY(!FindAction(menu, "复制（&C）")->isEnabled());
        {
            SaveDialogAnswer dialog(QStringLiteral("/nonexistent/x.xlsx"));
            FindAction(menu, "导出日志（&E）")->trigger();
            QCOMPARE(m_boxes->LastText(), QString("日志记录为空，没有可导出的内容！"));
            QCOMPARE(dialog.Shown(), 0);
        }
        m_h->Respond(0x85, 0x81, Answer({Record(1, {{18, 0x83}}), Record(2, {{21, 1}})}));
        QTemporaryDir dir;
        const QString path = dir.filePath("records.xlsx");
        theApp()->m_bLogInfo = true;
        SaveDialogAnswer dialog(path);
        m_page->OnClickMenu_EXPORT();
        WorkbookContents book = ReadWorkbook(path);
        QVERIFY2(book.ok, qPrintable(book.error));
        QCOMPARE(book.sheets, QStringList({"DataSheet1"}));
        QCOMPARE(book.rows[0], ExpectedSheet(List(), m_page->ColumnNames()));
        QVERIFY(!book.notText.isEmpty()); // the numeric columns are written as numbers
        LogModel *log = theApp()->GetLogModel();
        QCOMPARE(log->Row(log->rowCount() - 1).text, QString("日志导出成功"));

        // The next export opens in that folder; cancelling it writes nothing.
        const int rows = log->rowCount();
        SaveDialogAnswer cancel{QString()};
        m_page->OnClickMenu_EXPORT();
        QCOMPARE(cancel.Shown(), 1);
        QCOMPARE(cancel.Directory(), dir.path());
        QCOMPARE(log->rowCount(), rows);
    }
};

int main(int argc, char **argv)
{
    return RunWidgetTest<TestBatteryRecordPage>(argc, argv);
}
#include "test_batteryrecordpage.moc"
