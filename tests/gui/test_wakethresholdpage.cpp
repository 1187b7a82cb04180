// "唤醒与门限": the read and write walks, the multi-value rows, the record
// clearing row, the temperature boxes, the decoders reached through the main
// window's receive path, and "清空".
#include "app/framework/rxroutes.h"
#include "app/pages/wakethresholdpage.h"
#include "gui/page_fixture.h"

#include "gui/widget_test_main.h"
#include <QGridLayout>
#include <QLineEdit>

namespace {
// A valid text for every box the write walk reads.
const std::pair<int, const char *> kValidInput[] = {
    {1339, "60"},   {1266, "30"},  {1199, "600"},  {1001, "3"},   {1346, "500"}, {1344, "4"},   {1189, "2900"},
    {1274, "3330"}, {1276, "20"},  {1278, "8"},    {1118, "80"},  {1121, "20"},  {1218, "300"}, {1220, "-200"},
    {1221, "300"},  {1222, "200"}, {1348, "5000"}, {1351, "100"}, {1213, "400"}, {1216, "300"}, {1062, "150"},
    {1059, "100"},  {1258, "75"},  {1250, "85"},   {1249, "100"}, {1262, "-20"},
};
} // namespace

class TestWakeThresholdPage : public QObject, private PageFixture<WakeThresholdPage> {
    Q_OBJECT
private:
    void FillValid()
    {
        for (auto [id, text] : kValidInput)
            m_page->SetDlgItemText(id, QString::fromUtf8(text));
    }

private slots:
    void init() { QVERIFY(OpenPage()); }
    void cleanup() { ClosePage(); }

    void internalPageWithRowsInOrder()
    {
        QVERIFY(m_page->IsInnerPage());
        QCOMPARE(m_page->Caption(), QStringLiteral("唤醒与门限"));
        QCOMPARE(m_page->ParamCount(), 21);
        QVERIFY(m_page->IsReadOnly(1268));
        QCOMPARE(m_page->ReadOnlyCount(), 1);
        QVERIFY(m_page->Item<QLineEdit>(1481)->isReadOnly());
        // Rows top to bottom in table order, each with its label.
        auto *grid = m_page->findChild<QGridLayout *>();
        QVERIFY(grid);
        int previousRow = -1;
        for (const PageParamRow &row : WakeupPageRows().rows) {
            QWidget *check = m_page->GetDlgItem(row.chkId);
            QCOMPARE(m_page->GetDlgItemText(row.chkId), QString::fromUtf8(row.label));
            int r, c, rs, cs;
            grid->getItemPosition(grid->indexOf(check), &r, &c, &rs, &cs);
            QCOMPARE(r, previousRow + 1);
            previousRow = r;
            for (int i = 0; i < row.EditCount(); ++i)
                QVERIFY2(m_page->Item<QLineEdit>(row.editIds[i]), row.label);
        }
        // Without the password the tab stays where it is.
        m_h->Gate().SetVerified(false);
        QVERIFY(!m_page->OnSetActive());
        QCOMPARE(m_h->Gate().PendingPage(), m_page);
        m_h->Gate().ClearPending();
    }

    void bulkReadSkipsRecordClearing()
    {
        SelectAll();
        m_page->ClickDlgButton(IDC_READ);
        const std::vector<std::uint8_t> codes = {0x5A, 0x13, 0x15, 0x17, 0x19, 0x21, 0x3F, 0x23, 0x4D, 0x4F,
                                                 0x4B, 0x25, 0x3D, 0x3B, 0x27, 0x43, 0x2B, 0x29, 0x45, 0x1F};
        QCOMPARE(m_h->Payloads().size(), codes.size());
        for (std::size_t i = 0; i < codes.size(); ++i)
            QCOMPARE(m_h->Payloads()[i], (Bytes{0x53, 0x02, codes[i], 0x01, 0x00}));
        QCOMPARE(m_page->ReqCount(), 20);
        for (const PageParamRow &row : WakeupPageRows().rows)
            QCOMPARE(LampState(m_page, row.chkId), LED_IDLE);
        QCOMPARE(m_boxes->Count(), 0);
    }

    void bulkWriteUnchecksWakeUpAndEndsWithRecordClearing()
    {
        FillValid();
        SelectAll();
        m_boxes->Answer(IDYES);
        m_page->ClickDlgButton(IDC_WRITE);
        QCOMPARE(m_boxes->Count(), 1); // the question before the records go
        QVERIFY(!m_page->IsDlgButtonChecked(1268));
        const std::vector<Bytes> expected = {
            {0x53, 0x02, 0x12, 0x02, 0x00, 0x3C},
            {0x53, 0x02, 0x14, 0x02, 0x00, 0x1E},
            {0x53, 0x02, 0x16, 0x02, 0x02, 0x58},
            {0x53, 0x02, 0x18, 0x02, 0x00, 0x03},
            {0x53, 0x02, 0x20, 0x02, 0x01, 0xF4},
            {0x53, 0x02, 0x3E, 0x01, 0x04},
            {0x53, 0x02, 0x22, 0x02, 0x0B, 0x54},
            {0x53, 0x02, 0x4C, 0x02, 0x0D, 0x02},
            {0x53, 0x02, 0x4E, 0x04, 0x00, 0x14, 0x00, 0x08},
            {0x53, 0x02, 0x4A, 0x02, 0x50, 0x14},
            {0x53, 0x02, 0x24, 0x08, 0x01, 0x2C, 0xFF, 0x38, 0x01, 0x2C, 0x00, 0xC8},
            {0x53, 0x02, 0x3C, 0x04, 0x13, 0x88, 0x00, 0x64},
            {0x53, 0x02, 0x3A, 0x04, 0x01, 0x90, 0x01, 0x2C},
            {0x53, 0x02, 0x26, 0x02, 0x3A, 0x98}, // 150 degrees travel as 15000
            {0x53, 0x02, 0x42, 0x02, 0x27, 0x10},
            {0x53, 0x02, 0x2A, 0x02, 0x1D, 0x4C},
            {0x53, 0x02, 0x28, 0x02, 0x21, 0x34},
            {0x53, 0x02, 0x44, 0x02, 0x27, 0x10},
            {0x53, 0x02, 0x1E, 0x02, 0xF8, 0x30}, // -20 degrees
            {0x53, 0x05, 0x02, 0x01, 0x00},
        };
        QCOMPARE(m_h->Payloads(), expected);
        QCOMPARE(m_page->ReqCount(), 20);
    }

    // Reading everything, changing one value and writing it all back must not
    // wipe the board's records unasked: the walk asks before the clearing
    // command, with No as the default, and No leaves out that row only.
    void bulkWriteAsksBeforeClearingRecords()
    {
        FillValid();
        SelectAll();
        m_page->ClickDlgButton(IDC_WRITE);
        QCOMPARE(m_boxes->Count(), 1);
        const MsgBoxCall &asked = m_boxes->Shown()[0];
        QCOMPARE(asked.caption, QStringLiteral("确认"));
        QVERIFY(asked.IsYesNo());
        QCOMPARE(asked.Icon(), MB_ICONQUESTION);
        QCOMPARE(asked.DefaultAnswer(), IDNO);
        QVERIFY(asked.text.contains(QStringLiteral("记录")));
        // Every other row went out; the clearing command did not.
        QCOMPARE(m_h->Payloads().size(), 19u);
        for (const Bytes &payload : m_h->Payloads())
            QCOMPARE(payload[1], std::uint8_t{0x02});
        QCOMPARE(m_h->Payloads().back(), (Bytes{0x53, 0x02, 0x1E, 0x02, 0xF8, 0x30}));
        // Asked before the command, not after: a single write of the row asks
        // too, and No sends nothing.
        m_h->Sent().clear();
        m_page->PostMessage(WM_WRITE_PARAM, 1479);
        RunPosted();
        QCOMPARE(m_boxes->Count(), 2);
        QVERIFY(m_h->Payloads().empty());
    }

    void refusedInputStopsTheWalk_data()
    {
        QTest::addColumn<int>("chk");
        QTest::addColumn<int>("edit");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("focus");
        QTest::addColumn<QString>("message");
        QTest::newRow("row 13 with 1220 empty") << 1217 << 1220 << "" << 1220 << "参数不能为空！";
        QTest::newRow("row 11 with 101") << 1119 << 1118 << "101" << 1118 << "参数的有效范围是 0 至 100 之间的整数！";
        QTest::newRow("row 10 second box") << 1275 << 1278 << "7x" << 1278 << "参数存在非数字字符！";
        QTest::newRow("idle wait 0") << 1341 << 1339 << "0" << 1339 << "参数的有效范围是 1 至 65535 之间的整数！";
        // Whole degrees beyond what 16-bit hundredths carry are refused, not wrapped.
        QTest::newRow("400 degrees") << 1061 << 1062 << "400" << 1062 << "参数的有效范围是 -327 至 327 之间的整数！";
    }
    void refusedInputStopsTheWalk()
    {
        QFETCH(int, chk);
        QFETCH(int, edit);
        QFETCH(QString, text);
        QFETCH(int, focus);
        QFETCH(QString, message);
        FillValid();
        m_page->SetDlgItemText(edit, text);
        QVERIFY(ShowInFront());
        m_page->PostMessage(WM_WRITE_PARAM, chk); // the lamp's double-click
        RunPosted();
        QCOMPARE(m_boxes->Count(), 1);
        QCOMPARE(m_boxes->LastText(), message);
        QCOMPARE(m_boxes->Shown()[0].caption, QStringLiteral("警告"));
        QVERIFY(m_h->Payloads().empty());
        auto *box = m_page->Item<QLineEdit>(focus);
        QCOMPARE(QApplication::focusWidget(), box);
        QCOMPARE(box->selectedText(), box->text());
    }

    void bulkWriteStopsAtTheFirstRefusal()
    {
        FillValid();
        m_page->SetDlgItemText(1220, QString());
        SelectAll();
        m_page->ClickDlgButton(IDC_WRITE);
        QCOMPARE(m_boxes->LastText(), QStringLiteral("参数不能为空！"));
        // Rows 2 to 11 went out; nothing of row 13 or after.
        QCOMPARE(m_h->Payloads().size(), 10u);
        QCOMPARE(m_h->Payloads().back(), (Bytes{0x53, 0x02, 0x4A, 0x02, 0x50, 0x14}));
    }

    void singleRowGestures()
    {
        // Row 12 is never read: a double-click on it alone reads nothing.
        m_page->PostMessage(WM_READ_PARAM, 1479);
        RunPosted();
        QCOMPARE(m_boxes->LastText(), QStringLiteral("请先选中需要读取的参数!"));
        QVERIFY(m_h->Payloads().empty());
        // Row 1 is read-only: its lamp's double-click writes nothing.
        m_page->PostMessage(WM_WRITE_PARAM, 1268);
        RunPosted();
        QCOMPARE(m_boxes->LastText(), QStringLiteral("参数为只读！"));
        QVERIFY(m_h->Payloads().empty());
        // Row 12 alone, the question answered Yes: the record clearing command.
        m_boxes->Clear();
        m_boxes->Answer(IDYES);
        m_page->PostMessage(WM_WRITE_PARAM, 1479);
        RunPosted();
        QCOMPARE(m_boxes->Count(), 1);
        QCOMPARE(m_boxes->Shown()[0].caption, QStringLiteral("确认"));
        QCOMPARE(m_h->Payloads(), (std::vector<Bytes>{{0x53, 0x05, 0x02, 0x01, 0x00}}));
        QCOMPARE(m_page->ReqCount(), 1);
    }

    void responses_data()
    {
        QTest::addColumn<int>("cls");
        QTest::addColumn<int>("code");
        QTest::addColumn<Bytes>("data");
        QTest::addColumn<int>("chk");
        QTest::addColumn<QStringList>("boxes"); // "id=text" after the response
        QTest::addColumn<int>("lamp");
        QTest::newRow("charge MOS alarm 150")
            << 0x82 << 0xA6 << Bytes{0x00, 0x3A, 0x98} << 1061 << QStringList{"1062=150"} << LED_OK;
        QTest::newRow("F8 30 shows -20") << 0x82 << 0x9F << Bytes{0x00, 0xF8, 0x30} << 1261 << QStringList{"1262=-20"}
                                         << LED_OK;
        QTest::newRow("FF 6A shows -1") << 0x82 << 0xC3 << Bytes{0x00, 0xFF, 0x6A} << 1057 << QStringList{"1059=-1"}
                                        << LED_OK;
        QTest::newRow("cycle read answer") << 0x82 << 0xCB << Bytes{0x00, 0x50, 0x14, 0x01, 0xF4} << 1119
                                           << QStringList{"1118=80", "1121=20", "1120=500"} << LED_OK;
        QTest::newRow("cycle write answer") << 0x82 << 0xCA << Bytes{0x00, 0x50, 0x14} << 1119
                                            << QStringList{"1118=80", "1121=20", "1120=old"} << LED_OK;
        QTest::newRow("cycle read answer too short")
            << 0x82 << 0xCB << Bytes{0x00, 0x50, 0x14} << 1119
            << QStringList{"1118=Len:3, Need:5", "1121=old", "1120=old"} << LED_ERROR;
        QTest::newRow("currents") << 0x82 << 0xA5 << Bytes{0x00, 0x01, 0x2C, 0xFF, 0x38, 0x80, 0x00, 0x7F, 0xFF} << 1217
                                  << QStringList{"1218=300", "1220=-200", "1221=-32768", "1222=32767"} << LED_OK;
        QTest::newRow("balancing difference") << 0x82 << 0xCF << Bytes{0x00, 0x00, 0x14, 0xFF, 0xFF} << 1275
                                              << QStringList{"1276=20", "1278=65535"} << LED_OK;
        QTest::newRow("short circuit write refused")
            << 0x82 << 0xBA << Bytes{0x03} << 1215 << QStringList{"1213=ErrorCode: 0x03", "1216=old"} << LED_ERROR;
        QTest::newRow("pre-discharge short circuit, result code only")
            << 0x82 << 0xBC << Bytes{0x00} << 1350 << QStringList{"1348=Len:1, Need:5", "1351=old"} << LED_ERROR;
        QTest::newRow("wake-up 0x03") << 0x82 << 0xDA << Bytes{0x00, 0x03, 0x00} << 1268 << QStringList{"1267=N/A_n2a"}
                                      << LED_OK;
        QTest::newRow("wake-up by charger")
            << 0x82 << 0xDA << Bytes{0x00, 0x04, 0x00} << 1268 << QStringList{"1267=充电器唤醒"} << LED_OK;
        QTest::newRow("record clearing") << 0x85 << 0x82 << Bytes{0x00, 0x01} << 1479 << QStringList{"1481=1"}
                                         << LED_OK;
        QTest::newRow("probes") << 0x82 << 0xBF << Bytes{0x00, 0xFF} << 1343 << QStringList{"1344=255"} << LED_OK;
        QTest::newRow("idle wait") << 0x82 << 0x93 << Bytes{0x00, 0xFF, 0xFE} << 1341 << QStringList{"1339=65534"}
                                   << LED_OK;
    }
    void responses()
    {
        QFETCH(int, cls);
        QFETCH(int, code);
        QFETCH(Bytes, data);
        QFETCH(int, chk);
        QFETCH(QStringList, boxes);
        QFETCH(int, lamp);
        for (const PageParamRow &row : WakeupPageRows().rows)
            for (int i = 0; i < row.EditCount(); ++i)
                m_page->SetDlgItemText(row.editIds[i], QStringLiteral("old"));
        m_h->Respond(static_cast<std::uint8_t>(cls), static_cast<std::uint8_t>(code), data);
        for (const QString &box : boxes) {
            int id = box.section(u'=', 0, 0).toInt();
            QCOMPARE(m_page->GetDlgItemText(id), box.section(u'=', 1));
        }
        QCOMPARE(LampState(m_page, chk), lamp);
    }

    // Every route the page hands the receive path names the row our table
    // gives for that class and code, with the same length.
    void routesReachTheRows()
    {
        int routed = 0;
        for (const RxRoute &route : m_page->Routes()) {
            const PageParamRow *row = WakeupPageRows().RowByResponse(route.cls, route.code);
            QVERIFY2(row, qPrintable(QString::number(route.code, 16)));
            QCOMPARE(route.chk, row->chkId);
            if (route.need)
                QCOMPARE(int(route.need), ResponseNeed(*row, route.code));
            ++routed;
        }
        // Two codes per written row and the wake-up answer.
        QCOMPARE(routed, 2 * 19 + 1 + 1);
    }

    void clearEmptiesEveryBox()
    {
        for (const PageParamRow &row : WakeupPageRows().rows)
            for (int i = 0; i < row.EditCount(); ++i)
                m_page->SetDlgItemText(row.editIds[i], QStringLiteral("9"));
        m_page->CheckDlgButton(1341, 1);
        m_h->Respond(0x82, 0x93, {0x00, 0x00, 0x09});
        m_page->ClickDlgButton(IDC_CLEAR);
        for (const PageParamRow &row : WakeupPageRows().rows)
            for (int i = 0; i < row.EditCount(); ++i)
                QVERIFY2(m_page->GetDlgItemText(row.editIds[i]).isEmpty(), qPrintable(QString::number(row.editIds[i])));
        QVERIFY(m_page->IsDlgButtonChecked(1341));
        QCOMPARE(LampState(m_page, 1341), LED_OK);
    }
};

int main(int argc, char **argv)
{
    return RunWidgetTest<TestWakeThresholdPage>(argc, argv);
}

#include "test_wakethresholdpage.moc"
