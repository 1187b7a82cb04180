// The page framework through a small page on the fake host: input checks,
// requests, walks, response checks, lamps, row gestures.
#include "app/framework/msgbox.h"
#include "app/pylvexapp.h"
#include "common/fakehost.h"
#include "gui/test_pages.h"
#include "link/portdiscovery.h"
#include "link/winmsg.h"

#include "gui/widget_test_main.h"
#include <QCheckBox>
#include <QLineEdit>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

using Bytes = std::vector<std::uint8_t>;
Q_DECLARE_METATYPE(Bytes)

class TestPageBase : public QObject {
    Q_OBJECT
    FakeHost *host = nullptr;
    TestPage *page = nullptr;
    std::vector<Bytes> &sent() { return host->Sent(); }

    QLineEdit *Edit(int id) { return page->Item<QLineEdit>(id); }
    LedLamp *Led(int chk)
    {
        ParamEntry e;
        page->LookupParam(chk, e);
        return e.pLedCtrl;
    }
    void Feed(const Bytes &frame) { host->Receive(frame); }

private slots:
    void initTestCase()
    {
        host = new FakeHost;
        page = host->AddPage(new TestPage(host));
        host->Gate().SetVerified(true);
        host->ShowPage(page);
        host->Sheet()->show();
        QVERIFY(QTest::qWaitForWindowExposed(host->Sheet()));
        host->Sheet()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(host->Sheet()));
    }
    void init()
    {
        sent().clear();
        host->SetPortOpen(true);
        page->CheckAllParams(0);
        for (const TestRow &r : kTestRows)
            Edit(r.edit)->clear();
    }
    void cleanupTestCase() { delete host; }

    void getEditInt_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("min");
        QTest::addColumn<int>("max");
        QTest::addColumn<bool>("isSigned");
        QTest::addColumn<QString>("message"); // empty: accepted
        QTest::addColumn<int>("value");
        QTest::newRow("blank padded") << " 12  " << 0 << 100 << true << "" << 12;
        QTest::newRow("letters after") << "12a" << 0 << 100 << true << "参数存在非数字字符！" << 0;
        QTest::newRow("sign only") << "-" << 0 << 100 << true << "参数存在非数字字符！" << 0;
        QTest::newRow("empty") << "   " << 0 << 100 << true << "参数不能为空！" << 0;
        QTest::newRow("signed range") << "0" << 1 << 65535 << true << "参数的有效范围是 1 至 65535 之间的整数！" << 0;
        QTest::newRow("signed low end") << "-32768" << -32768 << 32767 << true << "" << -32768;
        QTest::newRow("saturates") << "99999999999" << INT_MIN << INT_MAX << true << "" << INT_MAX;
        QTest::newRow("unsigned -1") << "-1" << 0 << -1 << false << "" << -1;
        QTest::newRow("unsigned range") << "300" << 0 << 255 << false << "参数的有效范围是 0 至 255 之间的整数！" << 0;
        QTest::newRow("unsigned range shows unsigned")
            << "5" << 10 << -2 << false << "参数的有效范围是 10 至 4294967294 之间的整数！" << 0;
    }
    void getEditInt()
    {
        QFETCH(QString, text);
        QFETCH(int, min);
        QFETCH(int, max);
        QFETCH(bool, isSigned);
        QFETCH(QString, message);
        QFETCH(int, value);
        MsgBoxRecorder boxes;
        Edit(2002)->setText(text);
        Edit(2012)->setFocus();
        int out = 7;
        bool ok = page->GetEditInt(2002, out, min, max, isSigned);
        QCOMPARE(ok, message.isEmpty());
        if (ok) {
            QCOMPARE(out, value);
            QCOMPARE(boxes.Count(), 0);
            return;
        }
        QCOMPARE(boxes.Count(), 1);
        QCOMPARE(boxes.Shown()[0].text, message);
        QCOMPARE(boxes.Shown()[0].caption, QStringLiteral("警告"));
        QCOMPARE(boxes.Shown()[0].Icon(), MB_ICONWARNING);
        QCOMPARE(QApplication::focusWidget(), Edit(2002));
        QCOMPARE(Edit(2002)->selectedText(), Edit(2002)->text());
    }

    void writeEncodesEachKind_data()
    {
        QTest::addColumn<int>("chk");
        QTest::addColumn<QString>("text");
        QTest::addColumn<Bytes>("payload"); // from the link byte on
        QTest::newRow("VT_UI2") << 2001 << "4660" << Bytes{0x53, 0x02, 0x12, 0x02, 0x12, 0x34};
        QTest::newRow("temperature x100") << 1061 << "-20" << Bytes{0x53, 0x02, 0x26, 0x02, 0xF8, 0x30};
        QTest::newRow("VT_UINT -1") << 2011 << "-1" << Bytes{0x53, 0x02, 0x66, 0x04, 0xFF, 0xFF, 0xFF, 0xFF};
        QTest::newRow("VT_I1") << 2031 << "-2" << Bytes{0x53, 0x02, 0x30, 0x01, 0xFE};
        QTest::newRow("VT_UI1") << 2041 << "200" << Bytes{0x53, 0x02, 0x40, 0x01, 0xC8};
        QTest::newRow("VT_INT") << 2051 << "-100000" << Bytes{0x53, 0x02, 0x50, 0x04, 0xFF, 0xFE, 0x79, 0x60};
    }
    void writeEncodesEachKind()
    {
        QFETCH(int, chk);
        QFETCH(QString, text);
        QFETCH(Bytes, payload);
        MsgBoxRecorder boxes;
        Edit(TestPage::Row(chk).edit)->setText(text);
        page->WriteParams(chk);
        QCOMPARE(boxes.Count(), 0);
        QCOMPARE(sent().size(), std::size_t(1));
        const Bytes &f = sent()[0];
        QCOMPARE(Bytes(f.begin() + 1, f.end() - 4), payload);
        QCOMPARE(f.front(), std::uint8_t(0x4D));
        QCOMPARE(page->ReqCount(), 1);
        QCOMPARE(LedState(Led(chk)), LED_IDLE);
    }

    void readRequests()
    {
        MsgBoxRecorder boxes;
        page->CheckDlgButton(2001, 1);
        page->CheckDlgButton(2021, 1); // read-only rows are read like the others
        page->ClickDlgButton(IDC_READ);
        QCOMPARE(boxes.Count(), 0);
        QCOMPARE(sent().size(), std::size_t(2));
        QCOMPARE(sent()[0], (Bytes{0x4D, 0x53, 0x02, 0x13, 0x01, 0x00, 0x69, 0x00, 0x0D, 0x0A}));
        QCOMPARE(sent()[1][3], std::uint8_t(0x5A));
        QCOMPARE(page->ReqCount(), 2);
    }

    void walkMessages_data()
    {
        QTest::addColumn<bool>("open");
        QTest::addColumn<bool>("write");
        QTest::addColumn<QString>("message");
        QTest::newRow("read, port closed") << false << false << "请先打开串口后再进行操作！";
        QTest::newRow("write, port closed") << false << true << "请先打开串口后再进行操作！";
        QTest::newRow("read, nothing ticked") << true << false << "请先选中需要读取的参数!";
        QTest::newRow("write, nothing ticked") << true << true << "请选中需要修改的参数，或所选都是只读参数!";
    }
    void walkMessages()
    {
        QFETCH(bool, open);
        QFETCH(bool, write);
        QFETCH(QString, message);
        MsgBoxRecorder boxes;
        host->SetPortOpen(open);
        page->ClickDlgButton(write ? IDC_WRITE : IDC_READ);
        QCOMPARE(boxes.Count(), 1);
        QCOMPARE(boxes.LastText(), message);
        QCOMPARE(boxes.Shown()[0].caption, QStringLiteral("警告"));
        QVERIFY(sent().empty());
    }

    void readOnlyRows()
    {
        MsgBoxRecorder boxes;
        // Single write of a read-only row: refused, nothing queued.
        page->WriteParams(2021);
        QCOMPARE(boxes.LastText(), QStringLiteral("参数为只读！"));
        QCOMPARE(boxes.Count(), 1);
        QVERIFY(sent().empty());
        // Bulk write: the read-only box is unticked, the others are written.
        boxes.Clear();
        page->CheckDlgButton(2021, 1);
        page->CheckDlgButton(2001, 1);
        Edit(2002)->setText("5");
        page->ClickDlgButton(IDC_WRITE);
        QCOMPARE(boxes.Count(), 0);
        QCOMPARE(page->IsDlgButtonChecked(2021), 0);
        QCOMPARE(sent().size(), std::size_t(1));
        QCOMPARE(sent()[0][3], std::uint8_t(0x12));
        // Only read-only rows ticked: the empty-selection warning.
        page->CheckAllParams(0);
        page->CheckDlgButton(2021, 1);
        page->ClickDlgButton(IDC_WRITE);
        QCOMPARE(boxes.LastText(), QStringLiteral("请选中需要修改的参数，或所选都是只读参数!"));
    }

    void bulkWriteStopsAtFirstRefusal()
    {
        MsgBoxRecorder boxes;
        for (int chk : {2001, 1061, 2011})
            page->CheckDlgButton(chk, 1);
        Edit(2002)->setText("7");
        Edit(1062)->setText("x");
        Edit(2012)->setText("9");
        page->ClickDlgButton(IDC_WRITE);
        QCOMPARE(boxes.Count(), 1);
        QCOMPARE(boxes.LastText(), QStringLiteral("参数存在非数字字符！"));
        QCOMPARE(sent().size(), std::size_t(1)); // the row before the refusal stays queued
        QCOMPARE(page->ReqCount(), 2);
        QCOMPARE(LedState(Led(1061)), LED_IDLE);
    }

    void responses_data()
    {
        QTest::addColumn<int>("chk");
        QTest::addColumn<int>("op"); // 0 value, 1 temperature, 2 ack
        QTest::addColumn<Bytes>("data");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("led");
        QTest::addColumn<bool>("result");
        QTest::newRow("value") << 2001 << 0 << Bytes{0x00, 0xFF, 0xFE} << "65534" << LED_OK << true;
        QTest::newRow("error code") << 2001 << 0 << Bytes{0x05, 0x00, 0x01} << "ErrorCode: 0x05" << LED_ERROR << false;
        QTest::newRow("short") << 2051 << 0 << Bytes{0x00, 0x00, 0x01} << "Len:3, Need:5" << LED_ERROR << false;
        QTest::newRow("write answer without value")
            << 2001 << 0 << Bytes{0x00} << "Len:1, Need:3" << LED_ERROR << false;
        QTest::newRow("signed 32") << 2051 << 0 << Bytes{0x00, 0xFF, 0xFE, 0x79, 0x60} << "-100000" << LED_OK << true;
        QTest::newRow("unsigned 32") << 2011 << 0 << Bytes{0x00, 0xFF, 0xFF, 0xFF, 0xFF} << "4294967295" << LED_OK
                                     << true;
        QTest::newRow("signed 8") << 2031 << 0 << Bytes{0x00, 0x80} << "-128" << LED_OK << true;
        QTest::newRow("temp -20") << 1061 << 1 << Bytes{0x00, 0xF8, 0x30} << "-20" << LED_OK << true;
        QTest::newRow("temp -1.5 truncates") << 1061 << 1 << Bytes{0x00, 0xFF, 0x6A} << "-1" << LED_OK << true;
        QTest::newRow("ack") << 2001 << 2 << Bytes{0x00} << "成功" << LED_OK << true;
        QTest::newRow("ack long") << 2001 << 2 << Bytes{0x00, 0x01} << "响应错误码=00, Len=2" << LED_OK << false;
        QTest::newRow("ack error") << 2001 << 2 << Bytes{0x07} << "ErrorCode: 0x07" << LED_ERROR << false;
    }
    void responses()
    {
        QFETCH(int, chk);
        QFETCH(int, op);
        QFETCH(Bytes, data);
        QFETCH(QString, shown);
        QFETCH(int, led);
        QFETCH(bool, result);
        const TestRow &row = TestPage::Row(chk);
        Bytes f = Response(0x82, 0x80 | row.readCode, data);
        int len = static_cast<int>(f.size());
        int need = 1 + ValueSize(row.vt);
        bool got = op == 0   ? page->ParseValueResponse(f.data(), len, need, chk, row.vt)
                   : op == 1 ? page->ParseTempResponse(f.data(), len, chk)
                             : page->CheckAckResponse(f.data(), len, chk, row.edit);
        QCOMPARE(got, result);
        QCOMPARE(Edit(row.edit)->text(), shown);
        QCOMPARE(LedState(Led(chk)), led);
    }

    void responseReportsGoToTheLog()
    {
        LogModel *log = theApp()->GetLogModel();
        log->ClearRows();
        Bytes f = Response(0x82, 0x93, {0x05, 0x00, 0x01});
        page->CheckResponseQuiet(f.data(), int(f.size()), 3);
        Bytes g = Response(0x82, 0xB9, {0x00, 0x00, 0x01});
        page->CheckResponseQuiet(g.data(), int(g.size()), 5);
        QCOMPARE(log->rowCount(), 2);
        QCOMPARE(log->Row(0).title, QStringLiteral("接收 02 13"));
        QVERIFY(log->Row(0).text.startsWith(QStringLiteral("命令执行失败，响应错误码(0x05)，4d 53 82 93 03 05 ")));
        QVERIFY(log->Row(1).text.startsWith(QStringLiteral("长度字段(3)与协议(5)不匹配，4d 53 82 b9 ")));
    }

    void selectAll()
    {
        auto *all = page->Item<QCheckBox>(IDC_SELECT_ALL);
        Bytes err = Response(0x82, 0x93, {0x05, 0, 0});
        page->ParseValueResponse(err.data(), int(err.size()), 3, 2001, VT_UI2);
        QCOMPARE(LedState(Led(2001)), LED_ERROR);
        all->setChecked(false);
        all->click(); // ticked: every row ticked, every lamp idle
        QVERIFY(!page->AnyParamChecked(false));
        QCOMPARE(LedState(Led(2001)), LED_IDLE);
        page->ParseValueResponse(err.data(), int(err.size()), 3, 2001, VT_UI2);
        all->click(); // unticked: every row unticked, lamps as they are
        QVERIFY(!page->AnyParamChecked(true));
        QCOMPARE(LedState(Led(2001)), LED_ERROR);
    }

    void rowGestures()
    {
        MsgBoxRecorder boxes;
        QWidget *check = page->GetDlgItem(2001);
        Edit(2002)->setText("3");
        // Double-click on a check box: ticked and that row read.
        QTest::mouseDClick(check, Qt::LeftButton, {}, QPoint(5, check->height() / 2));
        QTRY_COMPARE(page->lastRead, 2001);
        QCOMPARE(page->IsDlgButtonChecked(2001), 1);
        QCOMPARE(sent().back()[3], std::uint8_t(0x13));
        // Click on the lamp: idle.
        Bytes err = Response(0x82, 0x93, {0x05, 0, 0});
        page->ParseValueResponse(err.data(), int(err.size()), 3, 2001, VT_UI2);
        QTest::mouseClick(Led(2001), Qt::LeftButton);
        QCOMPARE(LedState(Led(2001)), LED_IDLE);
        // Double-click on the lamp: the tick inverted and that row written.
        sent().clear();
        Edit(2002)->setText("3");
        int writes = page->writes;
        QTest::mouseDClick(Led(2001), Qt::LeftButton);
        QTRY_COMPARE(page->writes, writes + 1);
        QCOMPARE(page->lastWrite, 2001);
        QCOMPARE(page->IsDlgButtonChecked(2001), 0);
        QCOMPARE(boxes.Count(), 0);
        QCOMPARE(sent().size(), std::size_t(1));
        QCOMPARE(sent()[0][3], std::uint8_t(0x12));
        // A click that ticks a box turns its lamp idle.
        page->ParseValueResponse(err.data(), int(err.size()), 3, 1061, VT_I2);
        page->Item<QCheckBox>(1061)->click();
        QCOMPARE(LedState(Led(1061)), LED_IDLE);
    }

    void clearButtonEmptiesEditBoxes()
    {
        Edit(2002)->setText("1");
        page->CheckDlgButton(2001, 1);
        page->ClickDlgButton(IDC_CLEAR);
        QCOMPARE(Edit(2002)->text(), QString());
        QCOMPARE(page->IsDlgButtonChecked(2001), 1);
    }

private:
    static int ValueSize(VARTYPE vt) { return vt == VT_I1 || vt == VT_UI1 ? 1 : vt == VT_INT || vt == VT_UINT ? 4 : 2; }
};

int main(int argc, char **argv)
{
    // The machine's own ports stay untouched.
    return RunWidgetTest<TestPageBase>(argc, argv, [] { SetPortListSource([] { return QStringList(); }); });
}

#include "test_pagebase.moc"
