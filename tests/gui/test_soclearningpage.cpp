// The SOC learning page: its place behind the gate, the configuration read,
// checked and written, the answers with and without their optional tail,
// start and stop, the learning records with their error codes and colours,
// "清空" and the export of the records read back.
#include "app/pages/soclearningpage.h"
#include "app/widgets/userlistctrl.h"
#include "export_helpers.h"
#include "list_helpers.h"
#include "page_fixture.h"

#include "gui/widget_test_main.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QUrl>

namespace {
// The edits of a configuration with valid values, in the order of a write.
const std::pair<int, const char *> kValidConfig[] = {
    {1322, "3400"}, {1327, "2900"}, {1331, "5"},     {1325, "500"},    {1324, "5000"}, {1420, "50"},
    {1419, "5"},    {1435, "2"},    {1433, "20000"}, {1434, "-20000"}, {1330, "5"},
};

// Data of a learning record answer: error code, stage, mV, mA, V-SOC, SOC, SOC-A, capacity, then extra bytes.
Bytes LearningRecord(std::uint8_t error, std::uint8_t stage, Bytes extra = {})
{
    Bytes d{error, stage, 0x0D, 0x48, 0xFF, 0xFF, 0xEC, 0x78, 41, 40, 39, 0x27, 0x10};
    for (std::uint8_t b : extra)
        d.push_back(b);
    return d;
}

// A configuration answer holding `payload` bytes of the 25.
Bytes ConfigAnswer(int payload)
{
    const Bytes full{0x0D, 0x48, 0x0B, 0x54, 0x02, 0x07, 0x00, 0x0A, 0x05, 0x01, 0xF4, 0x13, 0x88,
                     0x00, 0x32, 0x06, 0x03, 0x00, 0x00, 0x4E, 0x20, 0xFF, 0xFF, 0xB1, 0xE0};
    Bytes d{0};
    d.insert(d.end(), full.begin(), full.begin() + payload);
    return d;
}
} // namespace

class TestSocLearningPage : public QObject, PageFixture<SocLearningPage> {
    Q_OBJECT

    UserListCtrl &List() { return *m_page->List(); }
    QString Text(int id) { return m_page->GetDlgItemText(id); }
    void FillValidConfig()
    {
        for (auto [id, text] : kValidConfig)
            m_page->SetDlgItemText(id, text);
    }
    QStringList Row(int row)
    {
        QStringList cells;
        for (int c = 0; c < 10; ++c)
            cells << List().GetItemText(row, c);
        return cells;
    }

private slots:
    void init()
    {
        QVERIFY(OpenPage());
        theApp()->GetLogModel()->ClearRows();
        theApp()->m_bLogInfo = true;
        theApp()->m_bLogError = true;
    }
    void cleanup()
    {
        SocLearningPage::SetFileOpener(nullptr);
        ClosePage();
    }

    void opensOnlyThroughTheGate()
    {
        QVERIFY(m_page->IsInnerPage());
        QVERIFY(!m_page->OnSetActive());
        m_h->Gate().SetVerified();
        QVERIFY(m_page->OnSetActive());
    }

    void layout()
    {
        QCOMPARE(m_page->Caption(), QString("调试SOC学习"));
        QCOMPARE(m_page->ParamCount(), 2);
        QComboBox *start = m_page->StageBox(IDC_SOC_START_STAGE), *end = m_page->StageBox(IDC_SOC_END_STAGE);
        QCOMPARE(start->count(), 10);
        QCOMPARE(start->itemText(0), QString("电池补电阶段"));
        QCOMPARE(end->itemText(8), QString("SOC学习完毕"));
        QCOMPARE(start->currentIndex(), 0);
        QCOMPARE(end->currentIndex(), 9);
        QCOMPARE(List().m_nListId, IDC_SOC_LIST);
        QCOMPARE(List().RowModel()->ColumnHeadings(), QStringList({"状态", "电压(mV)", "电流(mA)", "V-SOC", "SOC",
                                                                   "SOC-A", "容量(maH)", "测试", "主副电", "序号"}));
        QCOMPARE(m_page->ExportColumnNames(),
                 QStringList({"状态", "电压", "电流", "V_SOC", "SOC", "SOC_A", "电池容量", "测试", "主副电", "序号"}));
    }

    void buttonsSendTheirRequests_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<Bytes>("payload");
        QTest::newRow("read configuration") << IDC_SOC_READ_CONFIG << Bytes{0x53, 0x02, 0x2C, 0x01, 0x00};
        QTest::newRow("start") << IDC_SOC_START << Bytes{0x53, 0x02, 0x05, 0x01, 0x00};
        QTest::newRow("stop") << IDC_SOC_STOP << Bytes{0x53, 0x02, 0x05, 0x01, 0x01};
    }
    void buttonsSendTheirRequests()
    {
        QFETCH(int, button);
        QFETCH(Bytes, payload);
        m_page->ClickDlgButton(button);
        QCOMPARE(m_h->Payloads(), std::vector<Bytes>({payload}));
        QCOMPARE(m_boxes->Count(), 0);
        const int led = button == IDC_SOC_READ_CONFIG ? IDC_SOC_CONFIG_CHK : IDC_SOC_LEARN_CHK;
        QCOMPARE(LampState(m_page, led), LED_IDLE);
    }

    void portClosedSendsNothing()
    {
        m_h->SetPortOpen(false);
        for (int button : {IDC_SOC_READ_CONFIG, IDC_SOC_WRITE_CONFIG, IDC_SOC_START, IDC_SOC_STOP})
            m_page->ClickDlgButton(button);
        QCOMPARE(m_boxes->Count(), 4);
        QCOMPARE(m_boxes->LastText(), QString("请先打开串口后再进行操作！"));
        QVERIFY(m_h->Sent().empty());
    }

    void writeSendsTheTwentyFiveBytes()
    {
        FillValidConfig();
        m_page->SetDlgItemText(1322, "70000"); // the low 16 bits: 4464
        m_page->StageBox(IDC_SOC_START_STAGE)->setCurrentIndex(1);
        m_page->StageBox(IDC_SOC_END_STAGE)->setCurrentIndex(7);
        m_page->ClickDlgButton(IDC_SOC_WRITE_CONFIG);
        QCOMPARE(m_boxes->Count(), 0);
        const Bytes want{0x53, 0x02, 0x04, 0x19, 0x11, 0x70, 0x0B, 0x54, 0x02, 0x08, 0x00, 0x05, 0x05, 0x01, 0xF4,
                         0x13, 0x88, 0x00, 0x32, 0x05, 0x02, 0x00, 0x00, 0x4E, 0x20, 0xFF, 0xFF, 0xB1, 0xE0};
        QCOMPARE(m_h->Payloads(), std::vector<Bytes>({want}));
    }

    void badEntryStopsTheWrite_data()
    {
        QTest::addColumn<int>("edit");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::newRow("upload interval 0") << 1330 << "0"
                                           << "参数的有效范围是 1 至 3600 之间的整数！";
        QTest::newRow("upload interval 3601") << 1330 << "3601"
                                              << "参数的有效范围是 1 至 3600 之间的整数！";
        QTest::newRow("precision 101") << 1331 << "101"
                                       << "参数的有效范围是 0 至 100 之间的整数！";
        QTest::newRow("standard current negative") << 1324 << "-1"
                                                   << "参数的有效范围是 0 至 65535 之间的整数！";
    }
    void badEntryStopsTheWrite()
    {
        QFETCH(int, edit);
        QFETCH(QString, text);
        QFETCH(QString, message);
        FillValidConfig();
        m_page->SetDlgItemText(edit, text);
        m_page->ClickDlgButton(IDC_SOC_WRITE_CONFIG);
        QCOMPARE(m_boxes->Count(), 1);
        QCOMPARE(m_boxes->LastText(), message);
        QVERIFY(m_h->Sent().empty());
    }

    void configurationAnswers_data()
    {
        QTest::addColumn<int>("payload");
        QTest::addColumn<QStringList>("tail"); // 1420, 1419, 1435, 1433, 1434
        QTest::newRow("13 bytes") << 13 << QStringList{"x", "x", "x", "x", "x"};
        QTest::newRow("14 bytes") << 14 << QStringList{"x", "0", "x", "x", "x"};
        QTest::newRow("16 bytes") << 16 << QStringList{"50", "6", "x", "x", "x"};
        QTest::newRow("21 bytes") << 21 << QStringList{"50", "6", "3", "20000", "x"};
        QTest::newRow("25 bytes") << 25 << QStringList{"50", "6", "3", "20000", "-20000"};
    }
    void configurationAnswers()
    {
        QFETCH(int, payload);
        QFETCH(QStringList, tail);
        for (int id : {1420, 1419, 1435, 1433, 1434})
            m_page->SetDlgItemText(id, "x");
        m_h->Respond(0x82, 0xAC, ConfigAnswer(payload));
        QCOMPARE(LampState(m_page, IDC_SOC_CONFIG_CHK), LED_OK);
        QCOMPARE(QStringList({Text(1322), Text(1327), Text(1330), Text(1331), Text(1325), Text(1324)}),
                 QStringList({"3400", "2900", "10", "5", "500", "5000"}));
        QCOMPARE(m_page->StageBox(IDC_SOC_START_STAGE)->currentIndex(), 1);
        QCOMPARE(m_page->StageBox(IDC_SOC_END_STAGE)->currentIndex(), 6);
        QCOMPARE(QStringList({Text(1420), Text(1419), Text(1435), Text(1433), Text(1434)}), tail);
    }

    void writeAcknowledgementWithoutFields()
    {
        m_page->SetDlgItemText(1322, "1234");
        m_h->Respond(0x82, 0x84, {0});
        QCOMPARE(LampState(m_page, IDC_SOC_CONFIG_CHK), LED_OK);
        QCOMPARE(Text(1322), QString("1234"));
    }

    void refusedConfigurationShowsTheCode()
    {
        m_h->Respond(0x82, 0x84, {0x03});
        QCOMPARE(LampState(m_page, IDC_SOC_CONFIG_CHK), LED_ERROR);
        QCOMPARE(Text(1322), QString("ErrorCode: 0x03"));
    }

    void startAcknowledgementIsLogged()
    {
        LogModel *log = theApp()->GetLogModel();
        m_h->Respond(0x82, 0x85, {0});
        QCOMPARE(LampState(m_page, IDC_SOC_LEARN_CHK), LED_OK);
        QCOMPARE(log->Row(log->rowCount() - 1).title, QString("S0C学习"));
        QCOMPARE(log->Row(log->rowCount() - 1).text, QString("已经成功启动S0C学习"));
        QCOMPARE(List().GetItemCount(), 0);
        int rows = log->rowCount();
        m_h->Respond(0x82, 0x85, {0x04});
        QCOMPARE(LampState(m_page, IDC_SOC_LEARN_CHK), LED_ERROR);
        QCOMPARE(Text(IDC_SOC_ERROR), QString("ErrorCode: 0x04"));
        // A refused start or stop is an error like a learning error: red.
        QCOMPARE(m_page->Item<QLineEdit>(IDC_SOC_ERROR)->palette().color(QPalette::Text), QColor(255, 0, 0));
        QCOMPARE(log->Row(log->rowCount() - 1).text == "已经成功启动S0C学习", false);
        QVERIFY(log->rowCount() > rows);
    }

    void learningRecords_data()
    {
        QTest::addColumn<Bytes>("data");
        QTest::addColumn<QStringList>("row");
        QTest::addColumn<QString>("error");
        QTest::addColumn<int>("lamp");
        QTest::newRow("length 13") << LearningRecord(0, 3) << QStringList{"电池充满阶段", "3400",  "-5000", "41", "40",
                                                                          "39",           "10000", "",      "",   "0"}
                                   << "无" << LED_OK;
        QTest::newRow("length 14") << LearningRecord(0, 9, {1})
                                   << QStringList{"SOC学习完毕", "3400",  "-5000", "41", "40",
                                                  "39",          "10000", "1",     "",   "0"}
                                   << "无" << LED_OK;
        QTest::newRow("error 0x51")
            << LearningRecord(0x51, 5, {2})
            << QStringList{"学习充电内阻阶段", "3400", "-5000", "41", "40", "39", "10000", "2", "", "0"}
            << "充满后SOC未到100" << LED_ERROR;
        QTest::newRow("unknown error, stage 11")
            << LearningRecord(0x99, 11)
            << QStringList{"N/A_n2a", "3400", "-5000", "41", "40", "39", "10000", "", "", "0"} << "0x99" << LED_ERROR;
    }
    void learningRecords()
    {
        QFETCH(Bytes, data);
        QFETCH(QStringList, row);
        QFETCH(QString, error);
        QFETCH(int, lamp);
        m_h->Respond(0x82, 0x85, data);
        QCOMPARE(List().GetItemCount(), 1);
        QCOMPARE(Row(0), row);
        QCOMPARE(Text(IDC_SOC_ERROR), error);
        QCOMPARE(LampState(m_page, IDC_SOC_LEARN_CHK), lamp);
        const QColor text = m_page->Item<QLineEdit>(IDC_SOC_ERROR)->palette().color(QPalette::Text);
        QCOMPARE(text == QColor(255, 0, 0), error != "无");
    }

    void recordRowsAreNumberedAndColoured()
    {
        m_h->Respond(0x82, 0x85, LearningRecord(0, 1, {0}));
        m_h->Respond(0x82, 0x85, LearningRecord(0, 1, {1}));
        QCOMPARE(Column(List(), 9), QStringList({"0", "1"}));
        auto colour = [&](int row, int column) {
            return List().RowModel()->data(List().RowModel()->index(row, column), Qt::ForegroundRole);
        };
        QVERIFY(!colour(0, 0).isValid());
        QCOMPARE(colour(1, 0).value<QColor>(), QColor(0, 0, 255));
        QCOMPARE(colour(1, 6).value<QColor>(), QColor(0, 0, 255));
    }

    void recordsNameTheirBoardOnceTwoBoardsAnswer()
    {
        m_h->Respond(0x82, 0x85, LearningRecord(0, 1), 0x53);
        m_h->Respond(0x82, 0x85, LearningRecord(0, 2), 0xD3);
        m_h->Respond(0x82, 0x85, LearningRecord(0, 3), 0x53);
        QCOMPARE(Column(List(), 8), QStringList({"", "副电", "主电"}));
    }

    void clearEmptiesFieldsAndRecords()
    {
        FillValidConfig();
        m_h->Respond(0x82, 0x85, LearningRecord(0x51, 1));
        m_page->StageBox(IDC_SOC_START_STAGE)->setCurrentIndex(3);
        m_page->ClickDlgButton(IDC_CLEAR);
        for (auto [id, text] : kValidConfig)
            QCOMPARE(Text(id), QString());
        QCOMPARE(Text(IDC_SOC_ERROR), QString());
        QCOMPARE(List().GetItemCount(), 0);
        QCOMPARE(m_page->StageBox(IDC_SOC_START_STAGE)->currentIndex(), 3);
        QCOMPARE(LampState(m_page, IDC_SOC_LEARN_CHK), LED_ERROR);
    }

    void exportOfNoRecordsWarns()
    {
        SaveDialogAnswer dialog(QStringLiteral("/nonexistent/x.xlsx"));
        m_page->ClickDlgButton(IDC_SOC_EXPORT);
        QCOMPARE(m_boxes->LastText(), QString("SOC 学习记录为空，没有可导出的内容！"));
        QCOMPARE(dialog.Shown(), 0);
    }

    void exportThenOpen_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("open") << IDYES;
        QTest::newRow("default: do not open") << 0;
    }
    void exportThenOpen()
    {
        QFETCH(int, answer);
        for (int i = 0; i < 5; ++i)
            m_h->Respond(0x82, 0x85,
                         LearningRecord(0, static_cast<std::uint8_t>(1 + i), {static_cast<std::uint8_t>(i % 2)}));
        QList<QUrl> opened;
        SocLearningPage::SetFileOpener([&](const QUrl &url) {
            opened << url;
            return true;
        });
        QTemporaryDir dir;
        const QString path = dir.filePath("soc.xlsx");
        SaveDialogAnswer dialog(path);
        if (answer)
            m_boxes->Answer(answer);
        m_page->ClickDlgButton(IDC_SOC_EXPORT);
        QVERIFY(QRegularExpression("^SOC_\\d{4}-\\d\\d-\\d\\d\\.xlsx$")
                    .match(QFileInfo(dialog.Proposed()).fileName())
                    .hasMatch());
        QCOMPARE(m_boxes->LastText(), QString("导出 SOC 学习记录成功，是否打开文件？"));
        QCOMPARE(m_boxes->Shown().back().caption, QString("确认"));
        QCOMPARE(m_boxes->Shown().back().DefaultAnswer(), IDNO);
        QCOMPARE(opened, answer == IDYES ? QList<QUrl>{QUrl::fromLocalFile(path)} : QList<QUrl>{});
        WorkbookContents book = ReadWorkbook(path);
        QVERIFY2(book.ok, qPrintable(book.error));
        QCOMPARE(book.rows[0], ExpectedSheet(List(), m_page->ExportColumnNames()));
        LogModel *log = theApp()->GetLogModel();
        QCOMPARE(log->Row(log->rowCount() - 1).text, QString("SOC 学习记录导出成功"));
    }
};

int main(int argc, char **argv)
{
    return RunWidgetTest<TestSocLearningPage>(argc, argv);
}
#include "test_soclearningpage.moc"
