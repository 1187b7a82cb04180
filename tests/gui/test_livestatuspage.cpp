// The live status page driven by control id and fed answer frames: request
// order, the lists, the current and the picture, bit lists, capacities,
// clear, and the refusals of a closed port.
#include "app/framework/msgbox.h"
#include "app/pages/livestatuspage.h"
#include "app/pages/livestatuspage_soc.h"
#include "app/pylvexapp.h"
#include "app/widgets/userlistctrl.h"
#include "gui/page_fixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>

#include "gui/widget_test_main.h"
#include <memory>
#include <vector>

class TestLiveStatusPage : public QObject, private LivePageFixture {
    Q_OBJECT
private:
    UserListCtrl *List(int id) { return m_page->Item<UserListCtrl>(id); }
    QString Cell(int id, int row, int col) { return List(id)->GetItemText(row, col); }
    int Lamp(int ledID)
    {
        LedLamp *led = m_page->Item<LedLamp>(ledID);
        if (led->ColourRow() == LedLamp::kRed)
            return LED_ERROR;
        return led->ColumnIndex() == LedLamp::kDark ? LED_IDLE : LED_OK;
    }
    std::vector<std::uint8_t> SentCodes()
    {
        std::vector<std::uint8_t> codes;
        for (const Bytes &f : Sent())
            codes.push_back(f[3]);
        return codes;
    }

private slots:
    void init() { OpenPage(); }
    void cleanup() { ClosePage(); }

    void readsInTheFixedOrder()
    {
        m_page->CheckAllParams(1);
        m_page->ReadParams(-1);
        const std::vector<std::uint8_t> want{0x02, 0x22, 0x09, 0x18, 0x11, 0x19, 0x23, 0x24,
                                             0x06, 0x20, 0x01, 0x14, 0x05, 0x08, 0x07};
        QCOMPARE(SentCodes(), want);
        QCOMPARE(m_page->ReqCount(), 15);
        QCOMPARE(Sent()[0], (Bytes{0x4D, 0x53, 0x03, 0x02, 0x01, 0x00, 0x59, 0x00, 0x0D, 0x0A}));
        for (const StatusItem &item : kStatusItems)
            QCOMPARE(Lamp(item.ledID), LED_IDLE);

        // A double-click reads that item alone, whatever else is ticked.
        Sent().clear();
        QTest::mouseDClick(m_page->Item<QCheckBox>(1025), Qt::LeftButton);
        QTRY_COMPARE(Sent().size(), size_t(1));
        QCOMPARE(Sent()[0][3], 0x11);
        QCOMPARE(Sent()[0].size(), size_t(10));
    }

    void refusalsLoudAndQuiet()
    {
        MsgBoxRecorder boxes;
        PylvexApp *app = theApp();
        app->GetLogModel()->ClearRows();
        m_page->CheckAllParams(0);
        m_page->ReadParams(-1);
        QCOMPARE(boxes.LastText(), QStringLiteral("请先选中需要读取的参数!"));
        m_page->ReadParams(-2);
        QCOMPARE(app->GetLogModel()->rowCount(), 1);
        QCOMPARE(app->GetLogModel()->Row(0).title, QStringLiteral("读取"));
        m_host->SetPortOpen(false);
        m_page->CheckAllParams(1);
        m_page->ReadParams(-1);
        QCOMPARE(boxes.LastText(), QStringLiteral("请先打开串口后再进行操作！"));
        QCOMPARE(boxes.Shown().back().caption, QStringLiteral("警告"));
        m_page->ReadParams(-2);
        m_page->RequestBatchStatus(-2);
        QCOMPARE(app->GetLogModel()->rowCount(), 3);
        QCOMPARE(app->GetLogModel()->Row(2).title, QStringLiteral("发送请求"));
        QCOMPARE(boxes.Count(), 2);
        QVERIFY(Sent().empty());
    }

    void cellListSummaryAndShorterPayload()
    {
        Feed(0x05, {0x0C, 0xE4, 0x0C, 0xEE, 0x0C, 0xEE, 0x0C, 0xDA});
        QCOMPARE(List(IDC_CELL_LIST)->GetItemCount(), 7);
        QCOMPARE(Cell(IDC_CELL_LIST, 3, 0), QStringLiteral("4"));
        QCOMPARE(Cell(IDC_CELL_LIST, 3, 1), QStringLiteral("3290"));
        QCOMPARE(Cell(IDC_CELL_LIST, 4, 0), QStringLiteral("4"));
        QCOMPARE(Cell(IDC_CELL_LIST, 4, 1), QStringLiteral("单节最小电压 3290"));
        QCOMPARE(Cell(IDC_CELL_LIST, 5, 0), QStringLiteral("3"));
        QCOMPARE(Cell(IDC_CELL_LIST, 5, 1), QStringLiteral("单节最大电压 3310"));
        QCOMPARE(Cell(IDC_CELL_LIST, 6, 0), QString());
        QCOMPARE(Cell(IDC_CELL_LIST, 6, 1), QStringLiteral("单节最大压差 20"));
        QCOMPARE(Lamp(1053), LED_OK);
        Feed(0x05, {0x0C, 0xE4, 0x0C, 0xEE});
        QCOMPARE(List(IDC_CELL_LIST)->GetItemCount(), 5);
        QCOMPARE(Cell(IDC_CELL_LIST, 4, 1), QStringLiteral("单节最大压差 10"));
    }

    void balancingOverExistingRowsOnly()
    {
        Bytes cells;
        for (int i = 0; i < 16; ++i)
            cells.insert(cells.end(), {0x0C, 0xE4});
        Feed(0x05, cells);
        QCOMPARE(List(IDC_CELL_LIST)->GetItemCount(), 19);
        Feed(0x08, {0x01, 0x00, 0x00, 0x00});
        QCOMPARE(Cell(IDC_CELL_LIST, 0, 2), QStringLiteral("开"));
        for (int r = 1; r < 19; ++r)
            QCOMPARE(Cell(IDC_CELL_LIST, r, 2), QStringLiteral("关"));
        QCOMPARE(List(IDC_CELL_LIST)->GetItemCount(), 19);
        Feed(0x08, {0x01, 0x00, 0x00}); // wrong length: red lamp, rows untouched
        QCOMPARE(Lamp(1122), LED_ERROR);
        QCOMPARE(m_page->GetDlgItemText(1124), QStringLiteral("Len:4, Need:5"));
    }

    void currentSignStateAndAnimation_data()
    {
        QTest::addColumn<int>("raw");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("state");
        QTest::addColumn<bool>("animates");
        QTest::newRow("-1") << 0xFFFF << "-10"
                            << "放电" << false;
        QTest::newRow("0") << 0 << "0"
                           << "待机" << false;
        QTest::newRow("21") << 21 << "210"
                            << "充电" << true;
        QTest::newRow("20") << 20 << "200"
                            << "充电" << false;
    }
    void currentSignStateAndAnimation()
    {
        QFETCH(int, raw);
        QFETCH(QString, shown);
        QFETCH(QString, state);
        QFETCH(bool, animates);
        m_page->CheckDlgButton(IDC_TIMED_REFRESH, 1);
        m_page->CheckDlgButton(IDC_TIMED_SAVE, 1);
        Feed(0x06, {0x14, 0x82, 0, 0, static_cast<std::uint8_t>(raw >> 8), static_cast<std::uint8_t>(raw), 0x00, 0xFA});
        QCOMPARE(m_page->GetDlgItemText(1173), QStringLiteral("52500"));
        QCOMPARE(m_page->GetDlgItemText(1175), shown);
        QCOMPARE(m_page->Record().fields[kRecSystemState], state);
        QCOMPARE(m_page->Record().fields[kRecCurrent], shown);
        QCOMPARE(m_page->Animating(), animates);
        QCOMPARE(m_page->IsTimerActive(TIMER_SOC_ANIM), animates);
    }

    void animationStopsAfterTwentyIntervals()
    {
        std::uint32_t now = 1000000;
        m_page->SetClock([&now] { return now; });
        theApp()->m_nCmdSndInvl = 400;
        m_page->CheckDlgButton(IDC_TIMED_REFRESH, 1);
        Feed(0x06, {0x14, 0x82, 0, 0, 0x00, 0x64});
        QVERIFY(m_page->Animating());
        std::vector<int> frames;
        for (int tick = 0; tick < 13; ++tick) {
            now += 400;
            m_page->OnTimer(TIMER_SOC_ANIM);
            frames.push_back(m_page->ShownImage());
        }
        QCOMPARE(frames, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 0, 1}));
        now += 8000 - 13 * 400;
        m_page->OnTimer(TIMER_SOC_ANIM);
        QVERIFY(m_page->Animating()); // exactly 20 intervals: still charging
        now += 1;
        m_page->OnTimer(TIMER_SOC_ANIM);
        QVERIFY(!m_page->Animating());
        QVERIFY(!m_page->IsTimerActive(TIMER_SOC_ANIM));
        // A discharging current stops a running animation at once.
        Feed(0x06, {0x14, 0x82, 0, 0, 0x00, 0x64});
        Feed(0x06, {0x14, 0x82, 0, 0, 0xFF, 0xFF});
        QVERIFY(!m_page->Animating());
    }

    void temperaturesAndRecord()
    {
        m_page->CheckDlgButton(IDC_TIMED_SAVE, 1);
        Feed(0x06, {0x14, 0x82, 0, 0, 0, 0, 0x00, 0xFA, 0x00, 0xF5, 0x00, 0xF5, 0x01, 0x90});
        QCOMPARE(List(IDC_TEMP_LIST)->GetItemCount(), 4);
        QCOMPARE(Cell(IDC_TEMP_LIST, 3, 0), QStringLiteral("温度4"));
        QCOMPARE(Cell(IDC_TEMP_LIST, 3, 1), QStringLiteral("40.0"));
        const StatusRecord &r = m_page->Record();
        QCOMPARE(r.fields[kRecHighTemp], QStringLiteral("25.0"));
        QCOMPARE(r.fields[kRecHighTempProbe], QStringLiteral("温度1"));
        QCOMPARE(r.fields[kRecLowTemp], QStringLiteral("24.5"));
        QCOMPARE(r.fields[kRecLowTempProbe], QStringLiteral("温度2"));
        QCOMPARE(r.fields[kRecTempDiff], QStringLiteral("0.5"));
        QCOMPARE(r.temps, QStringList({"25.0", "24.5", "24.5", "40.0"}));
        m_page->CheckDlgButton(IDC_TIMED_SAVE, 0);
        Feed(0x06, {0x14, 0x82, 0, 0, 0, 0, 0x00, 0xFA});
        QCOMPARE(List(IDC_TEMP_LIST)->GetItemCount(), 1);
        QCOMPARE(m_page->Record().temps.size(), 4); // not filled while unticked
    }

    void bitListsAndErrors()
    {
        Feed(0x09, {0x00, 0x00, 0x20});
        auto *prot = m_page->Item<QComboBox>(IDC_PROTECTION_LIST);
        QCOMPARE(prot->count(), 1);
        QCOMPARE(prot->currentText(), QStringLiteral("N/A_n2a"));
        Feed(0x09, {0x00, 0x00, 0x00});
        QCOMPARE(prot->currentText(), QStringLiteral("无"));
        Feed(0x22, {0x00, 0x09});
        auto *alarm = m_page->Item<QComboBox>(IDC_ALARM_LIST);
        QCOMPARE(alarm->count(), 2);
        QCOMPARE(alarm->currentText(), QStringLiteral("充电MOS高温报警"));
        Feed(0x22, {}, 0x05); // an error answer leaves the drop-down empty
        QCOMPARE(alarm->count(), 0);
        QCOMPARE(Lamp(1012), LED_ERROR);
    }

    void capacitiesSnExtremesDateMos()
    {
        Feed(0x23, {0x00, 0x64, 0x00, 0x0A});
        QCOMPARE(m_page->GetDlgItemText(1163), QStringLiteral("1000"));
        Feed(0x24, {0x00, 0x64});
        QCOMPARE(m_page->GetDlgItemText(1147), QStringLiteral("100"));
        Feed(0x23, {0x00, 0x64, 0x00});
        QCOMPARE(m_page->GetDlgItemText(1163), QStringLiteral("Len:4, Need:4"));
        Feed(0x01, {0x41, 0x42, 0x00, 0x43});
        QCOMPARE(m_page->GetDlgItemText(1162), QStringLiteral("AB0C"));
        Bytes ext(20, 0);
        ext[12] = 0xFF;
        ext[13] = 0x9C;
        Feed(0x07, ext);
        QCOMPARE(Cell(IDC_EXTREME_LIST, 7, 0), QStringLiteral("历史最高温度 (℃)"));
        QCOMPARE(Cell(IDC_EXTREME_LIST, 7, 1), QStringLiteral("-10.0"));
        QCOMPARE(List(IDC_EXTREME_LIST)->GetItemCount(), 11);
        Feed(0x20, {24, 2, 29});
        QCOMPARE(m_page->Item<QDateEdit>(1159)->date(), QDate(2024, 2, 29));
        Feed(0x20, {24, 13, 1});
        QCOMPARE(m_page->Item<QDateEdit>(1159)->date(), QDate(2024, 2, 29));
        QCOMPARE(Lamp(1158), LED_ERROR);
        Feed(0x14, {0x05});
        QCOMPARE(m_page->Item<LedLamp>(IDC_MOS_CHARGE)->ColumnIndex(), int(LedLamp::kBright));
        QCOMPARE(m_page->Item<LedLamp>(IDC_MOS_DISCHARGE)->ColumnIndex(), int(LedLamp::kGrey));
        QCOMPARE(m_page->Item<LedLamp>(IDC_MOS_PRE)->ShapeOffset(), int(LedLamp::kRound));
        Feed(0x02, {1, 2, 3, 4, 5, 6});
        QCOMPARE(m_page->GetDlgItemText(1151), QStringLiteral("V4.5.6"));

        m_page->ClickDlgButton(IDC_CLEAR);
        QCOMPARE(m_page->GetDlgItemText(1163), QString());
        QCOMPARE(m_page->GetDlgItemText(1151), QString());
        QCOMPARE(Cell(IDC_EXTREME_LIST, 7, 1), QString());
        QCOMPARE(List(IDC_EXTREME_LIST)->GetItemCount(), 11);
        QCOMPARE(m_page->Item<LedLamp>(IDC_MOS_CHARGE)->ColumnIndex(), int(LedLamp::kDark));
        QCOMPARE(m_page->Item<QDateEdit>(1159)->date(), QDate(2024, 2, 29));
        QCOMPARE(Lamp(1158), LED_ERROR); // lamps are left alone
    }

    // The cell list as the user sees it: summary rows red in their number and
    // text, balancing cells reading "开" red, everything else in the default colour.
    void cellListColours()
    {
        Feed(0x05, {0x0C, 0xE4, 0x0C, 0xEE, 0x0C, 0xEE, 0x0C, 0xDA});
        Feed(0x08, {0x02, 0x00, 0x00, 0x00}); // cell 2 balancing
        UserListCtrl *list = List(IDC_CELL_LIST);
        auto colour = [list](int row, int col) {
            QVariant fg = list->RowModel()->data(list->RowModel()->index(row, col), Qt::ForegroundRole);
            return fg.isValid() ? fg.value<QColor>().name() : QString();
        };
        const QString red = "#ff0000";
        QCOMPARE(Cell(IDC_CELL_LIST, 1, 2), QStringLiteral("开"));
        QCOMPARE(colour(1, 2), red);
        QCOMPARE(colour(0, 2), QString());
        QCOMPARE(colour(1, 0), QString());
        QCOMPARE(colour(1, 1), QString());
        for (int row = 4; row <= 5; ++row) { // lowest and highest cell
            QCOMPARE(colour(row, 0), red);
            QCOMPARE(colour(row, 1), red);
        }
        QCOMPARE(colour(6, 1), red); // the spread row has text only
    }

    // Before any SOC has arrived the picture shows the empty battery, no percentage.
    void socPictureBeforeTheFirstSoc()
    {
        QTemporaryDir dir;
        QDir(dir.path()).mkpath(QStringLiteral("pic"));
        QImage empty(60, 120, QImage::Format_RGB32);
        empty.fill(QColor(0, 200, 0));
        QVERIFY(empty.save(dir.filePath(QStringLiteral("pic/0S.jpg")), "JPG"));
        QString before = QDir::currentPath();
        QDir::setCurrent(dir.path());
        LiveStatusPage page(m_host.get());
        page.InitDialog();
        QDir::setCurrent(before);
        QCOMPARE(page.ShownImage(), 0);
        auto *picture = qobject_cast<SocPicture *>(page.GetDlgItem(IDC_SOC_PICTURE));
        QVERIFY(picture);
        QCOMPARE(picture->Text(), QString()); // no "0%" before a reading
        const QImage shown = picture->grab().toImage();
        const QColor centre = shown.pixelColor(shown.width() / 2, shown.height() / 2);
        QVERIFY2(centre.green() > 150 && centre.red() < 60 && centre.blue() < 60, qPrintable(centre.name()));
    }

    void socPictureIndexes()
    {
        struct Case {
            std::uint8_t soc;
            int image;
        };
        for (Case c : {Case{100, 10}, Case{255, 10}, Case{9, 0}, Case{10, 1}}) {
            Feed(0x19, {c.soc, 99});
            QCOMPARE(m_page->ShownImage(), c.image);
            QCOMPARE(m_page->GetDlgItemText(1068), QString::number(c.soc));
        }
    }

    void missingPicturesLeaveSlotsEmpty()
    {
        QTemporaryDir dir;
        QDir(dir.path()).mkpath(QStringLiteral("pic"));
        QImage img(40, 80, QImage::Format_RGB32);
        img.fill(Qt::green);
        QVERIFY(img.save(dir.filePath(QStringLiteral("pic/50S.jpg")), "JPG"));
        QString before = QDir::currentPath();
        QDir::setCurrent(dir.path());
        LiveStatusPage page(m_host.get());
        page.InitDialog();
        QDir::setCurrent(before);
        QVERIFY(page.ImageLoaded(5));
        QVERIFY(!page.ImageLoaded(4));
        QCOMPARE(page.GetDlgItem(IDC_SOC_PICTURE)->size(), QSize(40, 80));
    }

    void savePeriodClamped_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("interval");
        QTest::newRow("0") << "0"
                           << "1" << 1000;
        QTest::newRow("75") << "75"
                            << "60" << 60000;
        QTest::newRow("empty") << ""
                               << "1" << 1000;
        QTest::newRow("30") << "30"
                            << "30" << 30000;
    }
    void savePeriodClamped()
    {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(int, interval);
        QCOMPARE(m_page->GetDlgItemText(IDC_SAVE_PERIOD), QStringLiteral("10"));
        m_page->Item<QLineEdit>(IDC_SAVE_PERIOD)->setText(typed);
        QCOMPARE(m_page->GetDlgItemText(IDC_SAVE_PERIOD), shown);
        QCOMPARE(m_page->SaveInterval(), interval);
    }

    // Typed by hand: backspacing "10" and typing "30" is 30 s. The box may be
    // empty or half-typed meanwhile; the period changes when the editing is
    // finished, and the range rule applies then.
    void savePeriodTypedByHand_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("interval");
        QTest::newRow("30") << "30"
                            << "30" << 30000;
        QTest::newRow("75") << "75"
                            << "60" << 60000;
        QTest::newRow("nothing") << ""
                                 << "1" << 1000;
    }
    void savePeriodTypedByHand()
    {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(int, interval);
        m_host->Sheet()->show();
        QVERIFY(m_host->ShowPage(m_page));
        QApplication::setActiveWindow(m_host->Sheet());
        QVERIFY(QTest::qWaitForWindowActive(m_host->Sheet()));
        auto *box = m_page->Item<QLineEdit>(IDC_SAVE_PERIOD);
        box->setFocus();
        QTRY_VERIFY(box->hasFocus());
        QTest::keyClick(box, Qt::Key_End);
        QTest::keyClick(box, Qt::Key_Backspace);
        QTest::keyClick(box, Qt::Key_Backspace);
        QCOMPARE(box->text(), QString());
        QTest::keyClicks(box, typed);
        QCOMPARE(box->text(), typed);
        QCOMPARE(m_page->SaveInterval(), 10000);
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(box->text(), shown);
        QCOMPARE(m_page->SaveInterval(), interval);
        // Typing again and leaving the box applies it as well.
        box->selectAll();
        QTest::keyClicks(box, QStringLiteral("5"));
        QCOMPARE(m_page->SaveInterval(), interval);
        box->clearFocus();
        QCOMPARE(m_page->SaveInterval(), 5000);
    }
};

int main(int argc, char **argv)
{
    QStandardPaths::setTestModeEnabled(true);
    return RunWidgetTest<TestLiveStatusPage>(argc, argv);
}

#include "test_livestatuspage.moc"
