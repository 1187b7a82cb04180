// "报警与保护": two columns of 14 rows, the read and write walks in table
// order, the value kinds and temperature boxes on the wire, and the
// responses reached through the receive path.
#include "app/framework/rxroutes.h"
#include "app/pages/alarmprotectionpage.h"
#include "gui/page_fixture.h"

#include "gui/widget_test_main.h"
#include <QGridLayout>

class TestAlarmProtectionPage : public QObject, private PageFixture<AlarmProtectionPage> {
    Q_OBJECT
private:
    const PageParamRow &Row(int n) { return *AlarmPageRows().Row(n); }

private slots:
    void init() { QVERIFY(OpenPage()); }
    void cleanup() { ClosePage(); }

    void twoColumnsOfFourteen()
    {
        QVERIFY(m_page->IsInnerPage());
        QCOMPARE(m_page->Caption(), QStringLiteral("报警与保护"));
        QCOMPARE(m_page->ParamCount(), 28);
        QCOMPARE(m_page->ReadOnlyCount(), 0);
        auto *grid = m_page->findChild<QGridLayout *>();
        QVERIFY(grid);
        auto place = [grid, this](int id) {
            int r, c, rs, cs;
            grid->getItemPosition(grid->indexOf(m_page->GetDlgItem(id)), &r, &c, &rs, &cs);
            return std::pair{r, c};
        };
        for (int n = 1; n <= 14; ++n) {
            auto [leftRow, leftCol] = place(Row(n).chkId);
            auto [rightRow, rightCol] = place(Row(n + 14).chkId);
            QCOMPARE(leftRow, n - 1);
            QCOMPARE(rightRow, n - 1);
            QVERIFY(leftCol < rightCol);
            // Lamp after the check-box in the same column group.
            auto [ledRow, ledCol] = place(Row(n).ledId);
            QCOMPARE(ledRow, leftRow);
            QVERIFY(ledCol > leftCol && ledCol < rightCol);
            QCOMPARE(m_page->GetDlgItemText(Row(n).chkId), QString::fromUtf8(Row(n).label));
        }
        for (int id : {IDC_SELECT_ALL, IDC_READ, IDC_WRITE, IDC_CLEAR})
            QVERIFY(m_page->GetDlgItem(id));
    }

    void bulkReadInTableOrder()
    {
        SelectAll();
        m_page->ClickDlgButton(IDC_READ);
        const std::vector<std::uint8_t> codes = {0x41, 0x57, 0x59, 0x63, 0x79, 0x67, 0x71, 0x75, 0x35, 0x51,
                                                 0x0D, 0x37, 0x53, 0x1B, 0x39, 0x55, 0x61, 0x65, 0x0B, 0x69,
                                                 0x73, 0x77, 0x31, 0x47, 0x0F, 0x33, 0x49, 0x1D};
        QCOMPARE(m_h->Payloads().size(), codes.size());
        for (std::size_t i = 0; i < codes.size(); ++i)
            QCOMPARE(m_h->Payloads()[i], (Bytes{0x53, 0x02, codes[i], 0x01, 0x00}));
        QCOMPARE(m_page->ReqCount(), 28);
    }

    void bulkWriteInTableOrderStopsAtARefusal()
    {
        for (const PageParamRow &row : AlarmPageRows().rows)
            m_page->SetDlgItemText(row.editIds[0], QStringLiteral("1"));
        m_page->SetDlgItemText(Row(17).editIds[0], QStringLiteral("40000"));
        SelectAll();
        m_page->ClickDlgButton(IDC_WRITE);
        QCOMPARE(m_boxes->LastText(), QStringLiteral("参数的有效范围是 -32768 至 32767 之间的整数！"));
        QCOMPARE(m_h->Payloads().size(), 16u);
        for (int n = 1; n <= 16; ++n)
            QCOMPARE(int(m_h->Payloads()[n - 1][2]), Row(n).writeCode);
        QCOMPARE(m_h->Payloads()[8], (Bytes{0x53, 0x02, 0x34, 0x02, 0x00, 0x64})); // 1 degree = 100
    }

    void singleWrites_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("text");
        QTest::addColumn<Bytes>("payload");
        QTest::newRow("row 1 60000") << 1 << "60000" << Bytes{0x53, 0x02, 0x40, 0x04, 0x00, 0x00, 0xEA, 0x60};
        QTest::newRow("row 15 -5000") << 15 << "-5000" << Bytes{0x53, 0x02, 0x38, 0x04, 0xFF, 0xFF, 0xEC, 0x78};
        QTest::newRow("row 3 4200") << 3 << "4200" << Bytes{0x53, 0x02, 0x58, 0x02, 0x10, 0x68};
        QTest::newRow("row 13 -20 degrees") << 13 << "-20" << Bytes{0x53, 0x02, 0x52, 0x02, 0xF8, 0x30};
        QTest::newRow("row 5 unsigned 16") << 5 << "65535" << Bytes{0x53, 0x02, 0x78, 0x02, 0xFF, 0xFF};
        QTest::newRow("row 6 unsigned -1") << 6 << "-1" << Bytes{0x53, 0x02, 0x66, 0x04, 0xFF, 0xFF, 0xFF, 0xFF};
        QTest::newRow("row 22 padded") << 22 << "  46400 " << Bytes{0x53, 0x02, 0x76, 0x04, 0x00, 0x00, 0xB5, 0x40};
        QTest::newRow("row 28 327 degrees") << 28 << "327" << Bytes{0x53, 0x02, 0x1C, 0x02, 0x7F, 0xBC};
    }
    void singleWrites()
    {
        QFETCH(int, row);
        QFETCH(QString, text);
        QFETCH(Bytes, payload);
        m_page->SetDlgItemText(Row(row).editIds[0], text);
        m_page->PostMessage(WM_WRITE_PARAM, Row(row).chkId);
        RunPosted();
        QCOMPARE(m_boxes->Count(), 0);
        QCOMPARE(m_h->Payloads(), std::vector<Bytes>{payload});
        QCOMPARE(LampState(m_page, Row(row).chkId), LED_IDLE);
    }

    void refusals_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::newRow("row 3 40000") << 3 << "40000"
                                     << "参数的有效范围是 -32768 至 32767 之间的整数！";
        QTest::newRow("row 19 negative") << 19 << "-1"
                                         << "参数的有效范围是 0 至 65535 之间的整数！";
        QTest::newRow("row 10 400 degrees") << 10 << "400"
                                            << "参数的有效范围是 -327 至 327 之间的整数！";
        QTest::newRow("row 1 empty") << 1 << ""
                                     << "参数不能为空！";
        QTest::newRow("row 7 letters") << 7 << "12a"
                                       << "参数存在非数字字符！";
    }
    void refusals()
    {
        QFETCH(int, row);
        QFETCH(QString, text);
        QFETCH(QString, message);
        m_page->SetDlgItemText(Row(row).editIds[0], text);
        m_page->PostMessage(WM_WRITE_PARAM, Row(row).chkId);
        RunPosted();
        QCOMPARE(m_boxes->LastText(), message);
        QVERIFY(m_h->Payloads().empty());
    }

    void responses_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<Bytes>("data");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("lamp");
        QTest::newRow("row 1 60000") << 0xC1 << Bytes{0x00, 0x00, 0x00, 0xEA, 0x60} << 1 << "60000" << LED_OK;
        QTest::newRow("row 15 write answer") << 0xB8 << Bytes{0x00, 0xFF, 0xFF, 0xEC, 0x78} << 15 << "-5000" << LED_OK;
        QTest::newRow("row 13 F8 30") << 0xD3 << Bytes{0x00, 0xF8, 0x30} << 13 << "-20" << LED_OK;
        QTest::newRow("row 28 FF 6A") << 0x9D << Bytes{0x00, 0xFF, 0x6A} << 28 << "-1" << LED_OK;
        QTest::newRow("row 6 short") << 0xE7 << Bytes{0x00, 0x01, 0x02} << 6 << "Len:3, Need:5" << LED_ERROR;
        QTest::newRow("row 6 max") << 0xE7 << Bytes{0x00, 0xFF, 0xFF, 0xFF, 0xFF} << 6 << "4294967295" << LED_OK;
        QTest::newRow("row 3 negative") << 0xD9 << Bytes{0x00, 0xFF, 0xFE} << 3 << "-2" << LED_OK;
        QTest::newRow("row 19 unsigned") << 0x8B << Bytes{0x00, 0xFF, 0xFE} << 19 << "65534" << LED_OK;
        QTest::newRow("row 5 error") << 0xF8 << Bytes{0x05} << 5 << "ErrorCode: 0x05" << LED_ERROR;
    }
    void responses()
    {
        QFETCH(int, code);
        QFETCH(Bytes, data);
        QFETCH(int, row);
        QFETCH(QString, shown);
        QFETCH(int, lamp);
        m_h->Respond(0x82, static_cast<std::uint8_t>(code), data);
        QCOMPARE(m_page->GetDlgItemText(Row(row).editIds[0]), shown);
        QCOMPARE(LampState(m_page, Row(row).chkId), lamp);
    }

    void routesReachTheRows()
    {
        int routed = 0;
        for (const RxRoute &route : m_page->Routes()) {
            const PageParamRow *row = AlarmPageRows().RowByResponse(route.cls, route.code);
            QVERIFY2(row, qPrintable(QString::number(route.code, 16)));
            QCOMPARE(route.chk, row->chkId);
            if (route.op == OP_VALUE) {
                QCOMPARE(int(route.need), ResponseNeed(*row, route.code));
                QCOMPARE(route.vt, static_cast<std::uint16_t>(row->kind));
            } else {
                QCOMPARE(route.op, OP_TEMP);
                QVERIFY(row->format == RowFormat::Temperature);
            }
            ++routed;
        }
        QCOMPARE(routed, 56);
    }

    void clearEmptiesEveryBox()
    {
        for (const PageParamRow &row : AlarmPageRows().rows)
            m_page->SetDlgItemText(row.editIds[0], QStringLiteral("5"));
        m_page->CheckDlgButton(Row(4).chkId, 1);
        m_page->ClickDlgButton(IDC_CLEAR);
        for (const PageParamRow &row : AlarmPageRows().rows)
            QVERIFY(m_page->GetDlgItemText(row.editIds[0]).isEmpty());
        QVERIFY(m_page->IsDlgButtonChecked(Row(4).chkId));
    }
};

int main(int argc, char **argv)
{
    return RunWidgetTest<TestAlarmProtectionPage>(argc, argv);
}

#include "test_alarmprotectionpage.moc"
