// "客户使用-2": the rows and their requests, the checks of the boxes, the
// decoders reached through the window's receive path (0x94 after the live
// page), the buttons, the command interval, and the unlock procedure with
// the gate of the internal pages.
#include "app/dialogs/filechooser.h"
#include "app/dialogs/firmwareupgradedialog.h"
#include "app/dialogs/inputbox.h"
#include "app/dialogs/verifypassworddialog.h"
#include "app/pages/alarmprotectionpage.h"
#include "app/pages/customercontrolpage.h"
#include "app/widgets/userlistctrl.h"
#include "gui/page_fixture.h"
#include "link/linksettings.h"
#include "protocol/fw_upgrade.h"

#include "gui/widget_test_main.h"
#include <QDateTimeEdit>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTemporaryDir>

#include <cstring>

namespace {
struct RowFacts {
    int chk, edit, led;
    const char *label;
};
const RowFacts kRows[] = {
    {1072, 1073, 1071, "电压校准："},         {1056, 1054, 1055, "电流校准 (mA)："},
    {1129, 1131, 1130, "开关充电MOS管："},    {1135, 1134, 1136, "开关放电MOS管："},
    {1139, 1140, 1141, "开关预放电MOS管："},  {1015, 1014, 1013, "进入仓储模式："},
    {1127, 1125, 1126, "进入内部调试模式："}, {1168, 1166, 1167, "退出内部调试模式："},
    {1016, 1018, 1017, "充电履历："},         {1116, 1115, 1114, "放电履历："},
    {1483, 1485, 1484, "BMS状态："},          {1396, 1397, 1399, "当前时间："},
    {1407, 1408, 1409, "保护板在线升级："},   {1410, 1411, 1412, "温度校准："},
    {1416, 1417, 1418, "双电并入压差："},     {1422, 1423, 1424, "电池工作模式："},
    {1479, 1482, 1480, "均衡开启："},
};

} // namespace

class TestCustomerControlPage : public QObject, private PageFixture<CustomerControlPage> {
    Q_OBJECT
private:
    QTemporaryDir m_pwdDir;

    void DoubleClickCheck(int chk)
    {
        m_page->PostMessage(WM_READ_PARAM, chk);
        RunPosted();
    }
    void DoubleClickLamp(int chk)
    {
        m_page->CheckDlgButton(chk, 0);
        m_page->PostMessage(WM_WRITE_PARAM, chk);
        RunPosted();
    }
    Bytes LastPayload() { return m_h->Payloads().empty() ? Bytes{} : m_h->Payloads().back(); }
    // The password dialog answered with the text typed into it.
    void TypePassword(const QString &password, int *shown = nullptr)
    {
        SetModalHook([password, shown](QDialog *d) {
            if (shown)
                ++*shown;
            auto *dlg = qobject_cast<VerifyPasswordDialog *>(d);
            if (!dlg)
                return 0;
            dlg->SetDlgItemText(IDC_VERIFY_PASSWORD, password);
            dlg->OnOK();
            return dlg->result();
        });
    }

private slots:
    void init()
    {
        QVERIFY(OpenPage());
        m_page->SetPasswordStore(PasswordStore(m_pwdDir.path()));
    }
    void cleanup()
    {
        SetModalHook(nullptr);
        ClosePage();
    }

    void rowsInOrderWithTheirControls()
    {
        QCOMPARE(m_page->Caption(), QStringLiteral("客户使用-2"));
        QVERIFY(!m_page->IsInnerPage());
        // The rows are sent by double-click gestures: the page says so, and so does every row.
        auto *hint = m_page->findChild<QLabel *>(QStringLiteral("gestureHint"));
        QVERIFY(hint && hint->text().contains(QStringLiteral("双击")));
        QVERIFY(m_page->GetDlgItem(IDC_ELE_STORAGE)->toolTip().contains(QStringLiteral("双击")));
        QCOMPARE(m_page->ParamCount(), 17);
        QCOMPARE(m_page->ReadOnlyCount(), 0);
        int i = 0;
        for (const RowFacts &row : kRows) {
            QCOMPARE(CustomerControlPage::RowOrder()[static_cast<std::size_t>(i++)], row.chk);
            QCOMPARE(m_page->GetDlgItemText(row.chk), QString::fromUtf8(row.label));
            ParamEntry e;
            QVERIFY(m_page->LookupParam(row.chk, e));
            QCOMPARE(e.nEditID, row.edit);
            QCOMPARE(e.ledID, row.led);
            QVERIFY(m_page->GetDlgItem(row.edit));
        }
        QVERIFY(m_page->Item<QLineEdit>(1125)->isReadOnly());
        QVERIFY(m_page->Item<QLineEdit>(1166)->isReadOnly());
        QVERIFY(m_page->Item<QLineEdit>(1115)->isHidden());
        UserListCtrl *list = m_page->HistoryList();
        QCOMPARE(m_page->GetDlgItem(1018), list);
        QCOMPARE(list->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("序号"));
        QCOMPARE(list->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("充电(小时)"));
        QCOMPARE(list->model()->headerData(2, Qt::Horizontal).toString(), QStringLiteral("放电(小时)"));
        QCOMPARE(m_page->Item<QDateTimeEdit>(1397)->displayFormat(), QStringLiteral("yyyy-MM-dd"));
        QCOMPARE(m_page->Item<QDateTimeEdit>(1398)->displayFormat(), QStringLiteral("HH:mm:ss"));
        const std::pair<int, const char *> buttons[] = {{1133, "开"},
                                                        {1132, "关"},
                                                        {1138, "开"},
                                                        {1137, "关"},
                                                        {1143, "开"},
                                                        {1142, "关"},
                                                        {1317, "设置命令发送间隔"},
                                                        {1297, "修改密码"},
                                                        {1144, "清空"},
                                                        {1496, "恢复出厂"},
                                                        {1497, "复位最值"},
                                                        {1498, "重启系统"}};
        for (auto [id, text] : buttons)
            QCOMPARE(m_page->GetDlgItemText(id), QString::fromUtf8(text));
        // No bulk buttons: rows are sent by their gestures.
        QVERIFY(!m_page->GetDlgItem(IDC_READ) && !m_page->GetDlgItem(IDC_WRITE) && !m_page->GetDlgItem(IDC_SELECT_ALL));
    }

    void gesturesSendTheRowsRequests_data()
    {
        QTest::addColumn<int>("chk");
        QTest::addColumn<bool>("readGesture");
        QTest::addColumn<Bytes>("payload");
        QTest::newRow("storage by the read gesture") << 1015 << true << Bytes{0x53, 0x03, 0x10, 0x01, 0x00};
        QTest::newRow("clock read") << 1396 << true << Bytes{0x53, 0x03, 0x25, 0x01, 0x00};
        QTest::newRow("parallel difference read") << 1416 << true << Bytes{0x53, 0x03, 0x28, 0x01, 0x00};
        QTest::newRow("charge MOS state") << 1129 << false << Bytes{0x53, 0x03, 0x14, 0x01, 0x00};
        QTest::newRow("pre-discharge MOS state") << 1139 << true << Bytes{0x53, 0x03, 0x14, 0x01, 0x00};
        QTest::newRow("charge history") << 1016 << false << Bytes{0x53, 0x03, 0x03, 0x01, 0x00};
        QTest::newRow("discharge history") << 1116 << false << Bytes{0x53, 0x03, 0x04, 0x01, 0x00};
        QTest::newRow("BMS state") << 1483 << false << Bytes{0x53, 0x05, 0x04, 0x01, 0x00};
        QTest::newRow("working mode") << 1422 << false << Bytes{0x53, 0x03, 0x30, 0x01, 0x00};
        QTest::newRow("leave internal mode") << 1168 << false << Bytes{0x53, 0x02, 0x5C, 0x01, 0x00};
    }
    void gesturesSendTheRowsRequests()
    {
        QFETCH(int, chk);
        QFETCH(bool, readGesture);
        QFETCH(Bytes, payload);
        readGesture ? DoubleClickCheck(chk) : DoubleClickLamp(chk);
        QCOMPARE(m_h->Payloads().size(), std::size_t(1));
        QCOMPARE(LastPayload(), payload);
        QCOMPARE(LampState(m_page, chk), LED_IDLE);
        QCOMPARE(m_page->ReqCount(), 1);
        QCOMPARE(m_boxes->Count(), 0);
    }

    void singleValueRowsWriteAndShowTheirAnswers()
    {
        m_page->SetDlgItemText(1073, QStringLiteral("3300000000"));
        DoubleClickLamp(1072);
        QCOMPARE(LastPayload(), (Bytes{0x53, 0x03, 0x12, 0x04, 0xC4, 0xB2, 0x01, 0x00}));
        m_page->SetDlgItemText(1073, QString());
        m_h->Respond(0x83, 0x92, {0x00, 0xC4, 0xB2, 0x01, 0x00});
        QCOMPARE(m_page->GetDlgItemText(1073), QStringLiteral("3300000000"));
        QCOMPARE(LampState(m_page, 1072), LED_OK);

        m_page->SetDlgItemText(1417, QStringLiteral("65535"));
        DoubleClickLamp(1416);
        QCOMPARE(LastPayload(), (Bytes{0x53, 0x03, 0x29, 0x02, 0xFF, 0xFF}));
        m_page->SetDlgItemText(1417, QStringLiteral("65536"));
        DoubleClickLamp(1416);
        QCOMPARE(m_boxes->LastText(), QStringLiteral("参数的有效范围是 0 至 65535 之间的整数！"));
        m_h->Respond(0x83, 0xA8, {0x00, 0x01, 0x2C});
        QCOMPARE(m_page->GetDlgItemText(1417), QStringLiteral("300"));
        m_h->Respond(0x83, 0xA9, {0x00, 0x01});
        QCOMPARE(m_page->GetDlgItemText(1417), QStringLiteral("Len:2, Need:3"));
        QCOMPARE(LampState(m_page, 1416), LED_ERROR);
    }

    void currentCalibrationStrictCheck_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("threshold");
        QTest::addColumn<QString>("refusal"); // empty: sent
        QTest::addColumn<int>("focused");
        QTest::newRow("valid") << "1000"
                               << "-5"
                               << "" << 0;
        QTest::newRow("signs and blanks") << " +65535 "
                                          << "-32768"
                                          << "" << 0;
        QTest::newRow("above the range") << "70000"
                                         << "0"
                                         << "请输入 0 至 65535 之间的整数！" << 1054;
        QTest::newRow("not an integer") << "12x"
                                        << "0"
                                        << "输入的整数无效！" << 1054;
        QTest::newRow("decimal") << "1.5"
                                 << "0"
                                 << "输入的整数无效！" << 1054;
        QTest::newRow("empty") << "  "
                               << "0"
                               << "参数不能为空！" << 1054;
        QTest::newRow("threshold out of range") << "1"
                                                << "32768"
                                                << "请输入 -32768 至 32767 之间的整数！" << 1441;
        QTest::newRow("beyond 32 bits") << "1"
                                        << "99999999999"
                                        << "输入的整数无效！" << 1441;
    }
    void currentCalibrationStrictCheck()
    {
        QFETCH(QString, value);
        QFETCH(QString, threshold);
        QFETCH(QString, refusal);
        QFETCH(int, focused);
        QVERIFY(ShowInFront());
        m_page->SetDlgItemText(1054, value);
        m_page->SetDlgItemText(1441, threshold);
        DoubleClickLamp(1056);
        if (refusal.isEmpty()) {
            QCOMPARE(m_boxes->Count(), 0);
            Bytes expected{0x53, 0x03, 0x13, 0x04};
            const int v = value.trimmed().toInt();
            const int t = threshold.toInt();
            for (int x : {v, t}) {
                expected.push_back(static_cast<std::uint8_t>((x >> 8) & 0xFF));
                expected.push_back(static_cast<std::uint8_t>(x & 0xFF));
            }
            QCOMPARE(LastPayload(), expected);
            return;
        }
        QVERIFY(m_h->Payloads().empty());
        QCOMPARE(m_boxes->LastText(), refusal);
        QCOMPARE(m_boxes->Shown().back().caption, QStringLiteral("警告"));
        QTRY_COMPARE(QApplication::focusWidget(), m_page->GetDlgItem(focused));
        QCOMPARE(m_page->Item<QLineEdit>(focused)->selectedText(), m_page->GetDlgItemText(focused));
    }

    void currentCalibrationAnswerOfAnyLength()
    {
        m_h->Respond(0x83, 0x93, {0x00, 0x03, 0xE8, 0xFF, 0xFB});
        QCOMPARE(m_page->GetDlgItemText(1054), QStringLiteral("1000"));
        QCOMPARE(m_page->GetDlgItemText(1441), QStringLiteral("-5"));
        m_h->Respond(0x83, 0x93, {0x00, 0x00, 0x07});
        QCOMPARE(m_page->GetDlgItemText(1054), QStringLiteral("7"));
        QCOMPARE(m_page->GetDlgItemText(1441), QStringLiteral("-5"));
        QCOMPARE(LampState(m_page, 1056), LED_OK);
    }

    void temperatureCalibration_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<Bytes>("tenths"); // empty: refused
        QTest::addColumn<QString>("refusal");
        QTest::newRow("25.37") << "25.37" << Bytes{0x00, 0xFD} << "";
        QTest::newRow("-100") << "-100" << Bytes{0xFC, 0x18} << "";
        QTest::newRow("100.1") << "100.1" << Bytes{0x03, 0xE9} << "";
        QTest::newRow("not a number is 0") << "abc" << Bytes{0x00, 0x00} << "";
        QTest::newRow("100.2") << "100.2" << Bytes{} << "无效温度范围";
        QTest::newRow("-100.1") << "-100.1" << Bytes{} << "无效温度范围";
        QTest::newRow("empty") << " " << Bytes{} << "参数不能为空！";
    }
    void temperatureCalibration()
    {
        QFETCH(QString, value);
        QFETCH(Bytes, tenths);
        QFETCH(QString, refusal);
        QVERIFY(ShowInFront());
        m_page->SetDlgItemText(1411, QStringLiteral("258")); // only the low 8 bits travel
        m_page->SetDlgItemText(1413, value);
        DoubleClickLamp(1410);
        if (tenths.empty()) {
            QVERIFY(m_h->Payloads().empty());
            QCOMPARE(m_boxes->LastText(), refusal);
            QTRY_COMPARE(QApplication::focusWidget(), m_page->GetDlgItem(1413));
            return;
        }
        QCOMPARE(LastPayload(), (Bytes{0x53, 0x03, 0x27, 0x03, 0x02, tenths[0], tenths[1]}));
        QCOMPARE(m_boxes->Count(), 0);
    }

    void temperatureCalibrationAnswer()
    {
        m_h->Respond(0x83, 0xA7, {0x00, 0x02, 0xFF, 0x9C});
        QCOMPARE(m_page->GetDlgItemText(1411), QStringLiteral("2"));
        QCOMPARE(m_page->GetDlgItemText(1413), QStringLiteral("-10.0"));
        QCOMPARE(LampState(m_page, 1410), LED_OK);
        m_h->Respond(0x83, 0xA7, {0x00, 0x02});
        QCOMPARE(m_page->GetDlgItemText(1411), QStringLiteral("Len:2, Need:4"));
        QCOMPARE(LampState(m_page, 1410), LED_ERROR);
    }

    void balancingRequestAndAnswer()
    {
        m_page->SetDlgItemText(1482, QStringLiteral("3"));
        m_page->SetDlgItemText(1481, QStringLiteral("12.9"));
        DoubleClickLamp(1479);
        QCOMPARE(LastPayload(), (Bytes{0x53, 0x05, 0x03, 0x03, 0x03, 0x00, 0x0C}));
        m_page->SetDlgItemText(1481, QString());
        DoubleClickLamp(1479);
        QCOMPARE(m_boxes->LastText(), QStringLiteral("参数不能为空！"));
        QCOMPARE(m_h->Payloads().size(), std::size_t(1));
        m_h->Respond(0x85, 0x83, {0x00, 0x05, 0x00, 0x3C});
        QCOMPARE(m_page->GetDlgItemText(1482), QStringLiteral("5"));
        QCOMPARE(m_page->GetDlgItemText(1481), QStringLiteral("60"));
    }

    void clockSetFromThePickersOrTheComputer()
    {
        m_page->SetPickerTime(QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9)));
        m_boxes->Answer(IDNO);
        DoubleClickLamp(1396);
        QCOMPARE(m_boxes->LastText(), QStringLiteral("是否获取系统时间作为当前设置时间？"));
        QVERIFY(m_boxes->Shown().back().IsYesNo());
        QCOMPARE(LastPayload(), (Bytes{0x53, 0x03, 0x25, 0x07, 0x01, 0x18, 0x03, 0x05, 0x0E, 0x07, 0x09}));
        QCOMPARE(m_page->PickerTime(), QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9)));

        const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
        m_boxes->Answer(IDYES);
        DoubleClickLamp(1396);
        const Bytes p = LastPayload();
        QCOMPARE(p.size(), std::size_t(11));
        const QDateTime sent(QDate(2000 + p[5], p[6], p[7]), QTime(p[8], p[9], p[10]));
        QVERIFY(sent >= before && sent <= QDateTime::currentDateTime());
        QCOMPARE(m_page->PickerTime(), sent);
    }

    void clockAnswer_data()
    {
        QTest::addColumn<Bytes>("data");
        QTest::addColumn<QDateTime>("shown");
        QTest::newRow("valid") << Bytes{0x00, 0x18, 0x03, 0x05, 0x0E, 0x07, 0x09}
                               << QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9));
        QTest::newRow("month 13") << Bytes{0x00, 0x18, 0x0D, 0x05, 0x0E, 0x07, 0x09}
                                  << QDateTime(QDate(2001, 1, 1), QTime(14, 7, 9));
        QTest::newRow("hour 24") << Bytes{0x00, 0x18, 0x03, 0x05, 0x18, 0x07, 0x09}
                                 << QDateTime(QDate(2024, 3, 5), QTime(1, 1, 1));
    }
    void clockAnswer()
    {
        QFETCH(Bytes, data);
        QFETCH(QDateTime, shown);
        m_h->Respond(0x83, 0xA5, data);
        QCOMPARE(m_page->PickerTime(), shown);
        QCOMPARE(LampState(m_page, 1396), LED_OK);
    }

    void historiesFillAndTrimTheSharedRows()
    {
        UserListCtrl *list = m_page->HistoryList();
        m_h->Respond(0x83, 0x83, {0x00, 0x00, 0x0A, 0xFF, 0xFF, 0x00, 0x03});
        QCOMPARE(list->GetItemCount(), 3);
        const char *const charge[] = {"10", "N/A", "3"};
        for (int r = 0; r < 3; ++r) {
            QCOMPARE(list->GetItemText(r, 0), QString::number(r + 1));
            QCOMPARE(list->GetItemText(r, 1), QString::fromUtf8(charge[r]));
        }
        QCOMPARE(LampState(m_page, 1016), LED_OK);
        m_h->Respond(0x83, 0x84, {0x00, 0x00, 0x07, 0xFF, 0xFF});
        QCOMPARE(list->GetItemCount(), 2); // the later answer decides
        QCOMPARE(list->GetItemText(0, 2), QStringLiteral("7"));
        QCOMPARE(list->GetItemText(1, 2), QStringLiteral("N/A"));
        QCOMPARE(list->GetItemText(1, 1), QStringLiteral("N/A"));
        // "清空" empties the value columns and keeps the rows.
        m_page->ClickDlgButton(IDC_CLEAR);
        QCOMPARE(list->GetItemCount(), 2);
        QCOMPARE(list->GetItemText(1, 0), QStringLiteral("2"));
        QVERIFY(list->GetItemText(0, 1).isEmpty() && list->GetItemText(0, 2).isEmpty());
        m_h->Respond(0x83, 0x83, {0x03});
        QCOMPARE(LampState(m_page, 1016), LED_ERROR);
        QCOMPARE(list->GetItemCount(), 2);
    }

    void mosStateReachesTheLivePageFirst()
    {
        auto *live = m_h->AddPage(new LiveStatusPage(m_h.get()));
        m_h->Respond(0x83, 0x94, {0x00, 0x05});
        QCOMPARE(m_page->GetDlgItemText(1131), QStringLiteral("开"));
        QCOMPARE(m_page->GetDlgItemText(1134), QStringLiteral("关"));
        QCOMPARE(m_page->GetDlgItemText(1140), QStringLiteral("开"));
        for (int chk : {1129, 1135, 1139})
            QCOMPARE(LampState(m_page, chk), LED_OK);
        QCOMPARE(live->Item<LedLamp>(IDC_MOS_CHARGE)->ColumnIndex(), int(LedLamp::kBright));
        QCOMPARE(live->Item<LedLamp>(IDC_MOS_DISCHARGE)->ColumnIndex(), int(LedLamp::kGrey));
        // A switch answer moves only its own row, from bit 0.
        m_h->Respond(0x83, 0x96, {0x00, 0x01});
        QCOMPARE(m_page->GetDlgItemText(1134), QStringLiteral("开"));
        m_page->SetDlgItemText(1131, QString());
        m_h->Respond(0x83, 0x97, {0x00, 0x00});
        QCOMPARE(m_page->GetDlgItemText(1140), QStringLiteral("关"));
        QVERIFY(m_page->GetDlgItemText(1131).isEmpty());
        m_h->Respond(0x83, 0x95, {0x02, 0x01});
        QCOMPARE(m_page->GetDlgItemText(1131), QStringLiteral("ErrorCode: 0x02"));
        QCOMPARE(LampState(m_page, 1129), LED_ERROR);
    }

    void mosButtons_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<Bytes>("payload");
        QTest::newRow("charge on") << 1133 << Bytes{0x53, 0x03, 0x15, 0x01, 0x01};
        QTest::newRow("charge off") << 1132 << Bytes{0x53, 0x03, 0x15, 0x01, 0x00};
        QTest::newRow("discharge on") << 1138 << Bytes{0x53, 0x03, 0x16, 0x01, 0x01};
        QTest::newRow("pre-discharge on") << 1143 << Bytes{0x53, 0x03, 0x17, 0x01, 0x01};
        QTest::newRow("pre-discharge off") << 1142 << Bytes{0x53, 0x03, 0x17, 0x01, 0x00};
    }
    void mosButtons()
    {
        QFETCH(int, button);
        QFETCH(Bytes, payload);
        m_page->ClickDlgButton(button);
        QCOMPARE(m_h->Payloads().size(), std::size_t(1));
        QCOMPARE(LastPayload(), payload);
        QCOMPARE(m_boxes->Count(), 0);
    }

    void dischargeOffAsksFirstAndDefaultsToNo()
    {
        m_page->ClickDlgButton(1137);
        QCOMPARE(m_boxes->Count(), 1);
        const MsgBoxCall &ask = m_boxes->Shown().back();
        QCOMPARE(ask.text, QStringLiteral("放电 MOS 关闭之后需要手动打开，\n您确信要继续执行关闭放电 MOS 开关？"));
        QCOMPARE(ask.caption, QStringLiteral("确认"));
        QCOMPARE(ask.DefaultAnswer(), IDNO);
        QCOMPARE(ask.Icon(), MB_ICONQUESTION);
        QVERIFY(m_h->Payloads().empty());
        m_boxes->Answer(IDYES);
        m_page->ClickDlgButton(1137);
        QCOMPARE(LastPayload(), (Bytes{0x53, 0x03, 0x16, 0x01, 0x00}));
    }

    void modeAndStateNames()
    {
        m_h->Respond(0x83, 0xB0, {0x00, 0x06});
        QCOMPARE(m_page->GetDlgItemText(1423), QStringLiteral("主电, 副电"));
        m_h->Respond(0x83, 0xB0, {0x00, 0x00});
        QCOMPARE(m_page->GetDlgItemText(1423), QString());
        m_h->Respond(0x85, 0x84, {0x00, 0x01});
        QCOMPARE(m_page->GetDlgItemText(1485), QStringLiteral("boot区"));
        m_h->Respond(0x85, 0x84, {0x00, 0xFE});
        QCOMPARE(m_page->GetDlgItemText(1485), QStringLiteral("APP区"));
        m_h->Respond(0x83, 0x90, {0x00});
        QCOMPARE(m_page->GetDlgItemText(1014), QStringLiteral("成功"));
    }

    void leavingInternalModeShowsTheTimes()
    {
        DoubleClickLamp(1168);
        QVERIFY(m_page->GetDlgItemText(1166).endsWith(QStringLiteral("请求退出，等待响应")));
        m_h->Respond(0x82, 0xDC, {0x00});
        QVERIFY(m_page->GetDlgItemText(1166).endsWith(QStringLiteral("，成功退出")));
        QCOMPARE(m_page->GetDlgItemText(1166).size(), 8 + 5);
    }

    void resetButtonsConfirmAndReportTheResult_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<std::uint8_t>("what");
        QTest::newRow("factory reset") << 1496 << std::uint8_t(0x00);
        QTest::newRow("reset extremes") << 1497 << std::uint8_t(0x01);
        QTest::newRow("restart") << 1498 << std::uint8_t(0xFF);
    }
    void resetButtonsConfirmAndReportTheResult()
    {
        QFETCH(int, button);
        QFETCH(std::uint8_t, what);
        m_boxes->Answer(IDNO);
        m_page->ClickDlgButton(button);
        QCOMPARE(m_boxes->LastText(), QStringLiteral("您确定要继续吗？"));
        QVERIFY(m_h->Payloads().empty());
        m_boxes->Answer(IDYES);
        m_page->ClickDlgButton(button);
        QCOMPARE(LastPayload(), (Bytes{0x53, 0x03, 0x65, 0x01, what}));
        m_h->Respond(0x83, 0xE5, {0x00});
        QCOMPARE(m_boxes->LastText(), QStringLiteral("执行成功！"));
        m_h->Respond(0x83, 0xE5, {0x05});
        QCOMPARE(m_boxes->LastText(), QStringLiteral("执行失败！"));
        QCOMPARE(m_boxes->Shown().back().caption, QStringLiteral("警告"));
        // With the port closed nothing is queued to reach the board at a later opening.
        m_h->SetPortOpen(false);
        const std::size_t sent = m_h->Payloads().size();
        m_page->ClickDlgButton(button);
        QCOMPARE(m_boxes->LastText(), QStringLiteral("请先打开串口后再进行操作！"));
        QCOMPARE(m_h->Payloads().size(), sent);
    }

    void portClosedRefusesRowsButtonsAndUnlock()
    {
        m_h->SetPortOpen(false);
        int dialogs = 0;
        TypePassword(QStringLiteral("kvmrt"), &dialogs);
        DoubleClickLamp(1015);
        m_page->ClickDlgButton(1133);
        m_page->Unlock(nullptr);
        QCOMPARE(m_boxes->Count(), 3);
        for (const MsgBoxCall &c : m_boxes->Shown())
            QCOMPARE(c.text, QStringLiteral("请先打开串口后再进行操作！"));
        QCOMPARE(dialogs, 0);
        QVERIFY(m_h->Payloads().empty());
    }

    void upgradeRowRunsTheDialogOnTheChosenFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("fw.bin"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(200, '\x5A'));
        file.close();
        QString answer; // null: cancelled
        QString key;
        SetFileChooserHook([&](const FileAsk &ask) {
            key = ask.key;
            return answer;
        });
        DoubleClickLamp(1407);
        QCOMPARE(key, QStringLiteral("CCfgPageEle::CZXSJ_req"));
        QVERIFY(m_h->Payloads().empty());
        QCOMPARE(m_boxes->Count(), 0);
        // A file that cannot be opened: the platform's reason, nothing runs.
        answer = dir.filePath(QStringLiteral("missing.bin"));
        DoubleClickLamp(1407);
        QCOMPARE(m_boxes->Count(), 1);
        QCOMPARE(m_boxes->Shown().back().caption, QStringLiteral("警告"));
        QVERIFY(m_h->Payloads().empty());
        // A file: the dialog runs on it and gets the upgrade packets routed to the page.
        answer = path;
        QString shownPath;
        QStringList rows;
        SetModalHook([&](QDialog *d) {
            auto *fw = qobject_cast<FirmwareUpgradeDialog *>(d);
            if (!fw)
                return int(QDialog::Rejected);
            QCoreApplication::processEvents(); // the run starts by itself
            m_h->Respond(0x83, 0xA6, FwPacket(2, Bytes{0x00, 0x00}));
            shownPath = fw->FilePath();
            rows = fw->Rows();
            return int(QDialog::Rejected);
        });
        DoubleClickLamp(1407);
        QCOMPARE(shownPath, path);
        QCOMPARE(m_page->GetDlgItemText(1408), path);
        QVERIFY(rows.contains(QStringLiteral("->RX：固件升级(2)响应")));
        QVERIFY(rows.contains(QStringLiteral("TX->：验证固件信息(3)请求")));
        QCOMPARE(m_h->Payloads().back()[6], std::uint8_t(3)); // the information check went out
        // Once the dialog has gone a packet reaches nobody.
        const std::size_t sent = m_h->Payloads().size();
        m_h->Respond(0x83, 0xA6, FwPacket(4, Bytes{0x00}));
        QCOMPARE(m_h->Payloads().size(), sent);
        // In a walk of several rows a cancelled choice does not stop the rows after it.
        answer = QString();
        m_page->CheckDlgButton(1407, 1);
        m_page->CheckDlgButton(1422, 1);
        m_page->WriteParams(-1);
        QCOMPARE(LastPayload(), (Bytes{0x53, 0x03, 0x30, 0x01, 0x00}));
        SetFileChooserHook({});
    }

    void commandInterval_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("after");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("5") << "5" << 400 << "参数的有效范围是 10 至 2000 之间的整数！";
        QTest::newRow("2001") << "2001" << 400 << "参数的有效范围是 10 至 2000 之间的整数！";
        QTest::newRow("12a") << "12a" << 400 << "参数存在非数字字符！";
        QTest::newRow("2000") << "2000" << 2000 << "";
        QTest::newRow("10 with blanks") << " 10 " << 10 << "";
    }
    void commandInterval()
    {
        QFETCH(QString, typed);
        QFETCH(int, after);
        QFETCH(QString, refusal);
        std::atomic<int> &interval = GlobalLinkSettings().cmdSndInvl;
        interval = 400;
        QString shownValue, shownTitle, shownPrompt;
        SetModalHook([&](QDialog *d) {
            auto *box = qobject_cast<InputBox *>(d);
            if (!box)
                return 0;
            shownTitle = box->windowTitle();
            shownPrompt = box->GetDlgItemText(IDC_INPUT_PROMPT);
            shownValue = box->GetDlgItemText(IDC_INPUT_VALUE);
            box->SetDlgItemText(IDC_INPUT_VALUE, typed);
            box->OnOK();
            return box->result();
        });
        m_page->ClickDlgButton(1317);
        QCOMPARE(shownTitle, QStringLiteral("设置命令发送间隔"));
        QCOMPARE(shownPrompt, QStringLiteral("发送间隔（毫秒）"));
        QCOMPARE(shownValue, QStringLiteral("400"));
        QCOMPARE(interval.load(), after);
        QCOMPARE(m_boxes->LastText(), refusal);
        interval = 400;
    }

    void inputBoxRefusesAnEmptyValue()
    {
        InputBox box;
        box.m_strValue = QStringLiteral("x");
        box.m_strOkText = QStringLiteral("好");
        box.InitDialog();
        QCOMPARE(box.GetDlgItemText(IDOK), QStringLiteral("好"));
        QCOMPARE(box.GetDlgItemText(2), QStringLiteral("取消"));
        box.SetDlgItemText(IDC_INPUT_VALUE, QStringLiteral("   "));
        box.OnOK();
        QCOMPARE(m_boxes->LastText(), QStringLiteral("输入值不能为空！"));
        QCOMPARE(box.result(), 0);
        box.SetDlgItemText(IDC_INPUT_VALUE, QStringLiteral("  42 "));
        box.OnOK();
        QCOMPARE(box.result(), int(QDialog::Accepted));
        QCOMPARE(box.m_strValue, QStringLiteral("42"));
    }

    void clearEmptiesTheRowBoxesButNotTheStatus()
    {
        for (int id : {1073, 1054, 1441, 1131, 1014, 1125, 1166, 1485, 1408, 1411, 1413, 1417, 1423, 1482, 1481})
            m_page->SetDlgItemText(id, QStringLiteral("9"));
        m_page->ClickDlgButton(IDC_CLEAR);
        for (int id : {1073, 1054, 1441, 1131, 1014, 1485, 1408, 1411, 1413, 1417, 1423, 1482})
            QVERIFY2(m_page->GetDlgItemText(id).isEmpty(), qPrintable(QString::number(id)));
        for (int id : {1125, 1166, 1481})
            QCOMPARE(m_page->GetDlgItemText(id), QStringLiteral("9"));
    }

    // The gate: a locked page asked for, the password, the enter request, the
    // board's confirmation opens the page.
    void unlockOpensTheWantedPageWhenTheBoardConfirms()
    {
        auto *alarm = m_h->AddPage(new AlarmProtectionPage(m_h.get()));
        m_h->Gate().SetVerified(false);
        m_h->ShowPage(m_page);
        TypePassword(QStringLiteral("kvmrt  "));
        m_page->PostMessage(WM_UNLOCK_REQUEST, reinterpret_cast<std::intptr_t>(alarm));
        RunPosted();
        QVERIFY(m_h->Gate().IsVerified());
        QCOMPARE(m_h->Gate().UnlockTarget(), alarm);
        QCOMPARE(LastPayload(), (Bytes{0x53, 0x03, 0x21, 0x01, 0x00}));
        QVERIFY(m_page->GetDlgItemText(1125).endsWith(QStringLiteral("请求进入，等待响应")));
        m_h->Respond(0x83, 0xA1, {0x00});
        QVERIFY(m_page->GetDlgItemText(1125).endsWith(QStringLiteral("，成功进入")));
        RunPosted();
        QCOMPARE(m_h->ShowRequests().back(), (std::pair<QWidget *, int>(alarm, 1)));
        QCOMPARE(m_h->ActivePage(), alarm);
        QCOMPARE(m_boxes->Count(), 0);
    }

    void leavingThePageWhileTheEnterRequestIsPending()
    {
        auto *alarm = m_h->AddPage(new AlarmProtectionPage(m_h.get()));
        auto *live = m_h->AddPage(new LiveStatusPage(m_h.get()));
        m_h->Gate().SetVerified(false);
        m_h->ShowPage(m_page);
        TypePassword(QStringLiteral("kvmrt"));
        m_page->PostMessage(WM_UNLOCK_REQUEST, reinterpret_cast<std::intptr_t>(alarm));
        RunPosted();
        QCOMPARE(m_h->Gate().UnlockTarget(), alarm);
        QVERIFY(m_h->ShowPage(live));
        QCOMPARE(m_h->Gate().UnlockTarget(), nullptr);
        m_h->Respond(0x83, 0xA1, {0x00});
        RunPosted();
        QVERIFY(m_page->GetDlgItemText(1125).endsWith(QStringLiteral("，成功进入")));
        QCOMPARE(m_h->ActivePage(), live);
        for (const auto &request : m_h->ShowRequests())
            QCOMPARE(request.second, 0);
    }

    // A mouse click on a locked tab is refused, then hands the page on as
    // the next ordinary activation would: the window is asked to show this page.
    void clickOnLockedTabAsksForThisPage()
    {
        auto *alarm = m_h->AddPage(new AlarmProtectionPage(m_h.get()));
        auto *live = m_h->AddPage(new LiveStatusPage(m_h.get()));
        m_h->Sheet()->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_h->Sheet()));
        m_h->Gate().SetVerified(false);
        QVERIFY(m_h->ShowPage(live));
        QTabBar *bar = m_h->Sheet()->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->tabRect(m_h->Sheet()->indexOf(alarm)).center());
        QCOMPARE(m_h->ActivePage(), live);
        QCOMPARE(m_h->Gate().PendingPage(), alarm);
        RunPosted();
        QCOMPARE(m_h->Gate().PendingPage(), nullptr);
        QCOMPARE(m_h->ShowRequests().size(), std::size_t(1));
        QCOMPARE(m_h->ShowRequests().front(), (std::pair<QWidget *, int>(alarm, 0)));
        // Verified, the click simply opens the page.
        m_h->Gate().SetVerified(true);
        QVERIFY(m_h->ShowPage(live));
        QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->tabRect(m_h->Sheet()->indexOf(alarm)).center());
        RunPosted();
        QCOMPARE(m_h->ActivePage(), alarm);
        QCOMPARE(m_h->ShowRequests().size(), std::size_t(1));
    }

    void wrongOrCancelledPasswordSendsNothing()
    {
        auto *alarm = m_h->AddPage(new AlarmProtectionPage(m_h.get()));
        m_h->Gate().SetVerified(false);
        TypePassword(QStringLiteral("wrong"));
        m_page->Unlock(alarm);
        QCOMPARE(m_boxes->LastText(), QStringLiteral("密码错误！"));
        QVERIFY(!m_h->Gate().IsVerified());
        QCOMPARE(m_h->Gate().UnlockTarget(), nullptr);
        QVERIFY(m_h->Payloads().empty());
        // The board refuses: the row shows it, the page stays shut.
        TypePassword(QStringLiteral("kvmrt"));
        m_page->Unlock(alarm);
        m_h->Respond(0x83, 0xA1, {0x04});
        RunPosted();
        QCOMPARE(m_page->GetDlgItemText(1125), QStringLiteral("ErrorCode: 0x04"));
        QCOMPARE(LampState(m_page, 1127), LED_ERROR);
        QVERIFY(m_h->ActivePage() != alarm);
    }

    void rowSevenAsksOnceAndOpensNothing()
    {
        int dialogs = 0;
        m_h->Gate().SetVerified(false);
        TypePassword(QStringLiteral("kvmrt"), &dialogs);
        DoubleClickLamp(1127);
        DoubleClickLamp(1127);
        QCOMPARE(dialogs, 1);
        QCOMPARE(m_h->Payloads().size(), std::size_t(2));
        m_h->Respond(0x83, 0xA1, {0x00});
        RunPosted();
        QVERIFY(m_h->ShowRequests().empty());
    }
};

int main(int argc, char **argv)
{
    return RunWidgetTest<TestCustomerControlPage>(argc, argv);
}

#include "test_customercontrolpage.moc"
