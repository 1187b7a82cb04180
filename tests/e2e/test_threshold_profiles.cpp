// Threshold profiles in the real window against the simulated board on a
// pseudo-terminal, with pylvexctl reaching the same board while the window's
// port is closed: save, change three values from the command line, compare
// (exactly those three differ), apply two (the board holds the two, not the
// third) with the rows' lamps following; a write the board refuses; files of
// either program applied by the other; damaged and foreign files refused with
// nothing sent and the pages as they were.
#include "app/dialogs/filechooser.h"
#include "app/dialogs/profilecomparedialog.h"
#include "app/framework/msgbox.h"
#include "app/pages/alarmprotectionpage.h"
#include "app/pages/wakethresholdpage.h"
#include "app/widgets/profilebar.h"
#include "board_window.h"
#include "e2e/cli_process.h"
#include "files/logfiles.h"
#include "protocol/board_clock.h"

#include <QCheckBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include "gui/widget_test_main.h"

#include <functional>
#include <map>

namespace {

using Inspect = std::function<void(ProfileCompareDialog &)>;

// Every modal dialog is a comparison dialog handed to inspect; the count of those seen.
class DialogAnswer {
public:
    explicit DialogAnswer(Inspect inspect) : m_inspect(std::move(inspect))
    {
        SetModalHook([this](QDialog *d) {
            auto *dialog = qobject_cast<ProfileCompareDialog *>(d);
            if (!dialog)
                return static_cast<int>(QDialog::Rejected);
            ++m_shown;
            m_inspect(*dialog);
            return static_cast<int>(QDialog::Rejected);
        });
    }
    ~DialogAnswer() { SetModalHook(nullptr); }
    int Shown() const { return m_shown; }

private:
    Inspect m_inspect;
    int m_shown = 0;
};

struct FileAnswer {
    explicit FileAnswer(const QString &path)
    {
        SetFileChooserHook([path](const FileAsk &) { return path; });
    }
    ~FileAnswer() { SetFileChooserHook(nullptr); }
};

int RowOfKey(const ProfileCompareDialog &d, const char *key)
{
    for (int i = 0; i < d.RowCount(); ++i)
        if (qstrcmp(d.RowKey(i)->key, key) == 0)
            return i;
    return -1;
}

std::map<QString, std::pair<QString, QString>> Differing(const ProfileCompareDialog &d)
{
    std::map<QString, std::pair<QString, QString>> out; // key -> board, file
    for (int i = 0; i < d.RowCount(); ++i)
        if (d.RowDiffers(i))
            out[QLatin1String(d.RowKey(i)->key)] = {d.CellText(i, ProfileCompareDialog::ColBoard),
                                                    d.CellText(i, ProfileCompareDialog::ColFile)};
    return out;
}

bool LampIs(ParamRowPage *page, const char *key, int colour)
{
    ParamEntry e;
    return page->LookupParam(RowOf(*FindParamKey(QLatin1String(key))).chkId, e) && e.pLedCtrl->ColourRow() == colour &&
           e.pLedCtrl->ColumnIndex() == LedLamp::kBright;
}

// Every edit box of the page as text.
std::map<int, QString> Boxes(ParamRowPage *page)
{
    std::map<int, QString> texts;
    for (const PageParamRow &row : page->Rows().rows)
        for (int i = 0; i < row.EditCount(); ++i)
            texts[row.editIds[i]] = page->GetDlgItemText(row.editIds[i]);
    return texts;
}

} // namespace

class TestThresholdProfiles : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString m_device;

    CliResult Cli(const QStringList &args)
    {
        return RunCli(
            QStringList{QStringLiteral("--port"), m_device, QStringLiteral("--interval"), QStringLiteral("10")} + args,
            m_dir.path());
    }

    // The board for pylvexctl: the window lets go of the port meanwhile.
    CliResult CliAside(MainWindow &dlg, const QStringList &args)
    {
        dlg.ClosePort();
        CliResult r = Cli(args);
        dlg.OpenPortByName(m_device, true);
        return r;
    }

    bool Open(MainWindow &dlg, SimHost &board, PageBase *page, const SimOptions &options = {})
    {
        dlg.Gate().SetVerified(true);
        theApp()->m_nCmdSndInvl = 50;
        if (!board.StartPty(&m_device, options) || !dlg.Sheet()->SetActivePage(page))
            return false;
        return dlg.OpenPortByName(m_device, true) && dlg.m_bOpenCOM;
    }

    // Waits until the opening's own requests are over: the protocol probe at once
    // and the board clock check a period later. Counted requests are then the
    // test's alone.
    static bool WaitOpeningTraffic(const SimHost &board)
    {
        QElapsedTimer since;
        since.start();
        QElapsedTimer quiet;
        quiet.start();
        std::uint64_t seen = board.Requests();
        return QTest::qWaitFor(
            [&] {
                if (board.Requests() != seen) {
                    seen = board.Requests();
                    quiet.restart();
                }
                return since.elapsed() > kClockPeriodMs + 1000 && quiet.elapsed() > 1000;
            },
            30000);
    }

    static bool Save(ProfileBar *bar, const QString &path)
    {
        FileAnswer file(path);
        bar->SaveButton()->click();
        return QTest::qWaitFor([bar] { return !bar->Busy(); }, 30000) && QFile::exists(path);
    }

    // Opens the comparison (or apply) dialog on path and hands it to inspect.
    static int Compare(ProfileBar *bar, const QString &path, bool apply, const Inspect &inspect)
    {
        FileAnswer file(path);
        DialogAnswer dialogs(inspect);
        (apply ? bar->ApplyButton() : bar->CompareButton())->click();
        if (!QTest::qWaitFor([bar] { return !bar->Busy(); }, 30000))
            return -1;
        return dialogs.Shown();
    }

    // Writes the checked rows after a Yes; true when the run went to its end.
    static bool WriteChecked(ProfileCompareDialog &d, MsgBoxRecorder &boxes)
    {
        boxes.Answer(IDYES);
        d.WriteButton()->click();
        return QTest::qWaitFor([&d] { return !d.Writing(); }, 30000) && d.WriteRun();
    }

    static QString ResultOf(const ProfileCompareDialog &d, const char *key)
    {
        return d.CellText(RowOfKey(d, key), ProfileCompareDialog::ColResult);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(QFileInfo(BuiltProgram("pylvexctl")).isExecutable());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.path());
        SetLogBaseFolder(m_dir.path());
    }

    void saveCompareApplyTwoOfThree()
    {
        MsgBoxRecorder boxes;
        MainWindow dlg;
        SimHost board;
        auto *alarm = dlg.Page<AlarmProtectionPage>();
        auto *wake = dlg.Page<WakeThresholdPage>();
        QVERIFY(Open(dlg, board, alarm));
        auto *bar = alarm->findChild<ProfileBar *>();
        QVERIFY(bar && wake->findChild<ProfileBar *>());

        const QString file = m_dir.filePath(QStringLiteral("window.json"));
        QVERIFY(Save(bar, file));
        QVERIFY2(bar->StatusLabel()->text().contains(QStringLiteral("已把 48 个参数保存到")),
                 qPrintable(bar->StatusLabel()->text()));
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QJsonObject saved = QJsonDocument::fromJson(f.readAll()).object();
        QCOMPARE(saved["sn"].toString(), QStringLiteral("PYLSIM16S50A0001"));
        QCOMPARE(saved["board"].toString(), QStringLiteral("main"));
        QCOMPARE(saved["params"].toObject().size(), 48);
        QVERIFY(QDateTime::fromString(saved["saved_at"].toString(), Qt::ISODate).isValid());
        qInfo("save: %d requests in %lld ms", bar->LastRunRequests(), bar->LastRunMs());

        QCOMPARE(CliAside(dlg, {"params", "set", "cell_ov_alarm_mv=3555", "pack_uv_alarm_mv=45000", "idle_wait_s=77"})
                     .exitCode,
                 0);

        const int shown = Compare(bar, file, false, [](ProfileCompareDialog &d) {
            QCOMPARE(d.RowCount(), 47);
            const auto diffs = Differing(d);
            QCOMPARE(diffs.size(), std::size_t(3));
            QCOMPARE(diffs.at("cell_ov_alarm_mv"), std::make_pair(QStringLiteral("3555"), QStringLiteral("3600")));
            QCOMPARE(diffs.at("pack_uv_alarm_mv"), std::make_pair(QStringLiteral("45000"), QStringLiteral("44800")));
            QCOMPARE(diffs.at("idle_wait_s"), std::make_pair(QStringLiteral("77"), QStringLiteral("60")));
            const int row = RowOfKey(d, "cell_ov_alarm_mv");
            QCOMPARE(d.CellText(row, ProfileCompareDialog::ColLabel), QStringLiteral("单节过充报警"));
            QCOMPARE(d.CellText(row, ProfileCompareDialog::ColUnit), QStringLiteral("mV"));
            QCOMPARE(d.CellText(row, ProfileCompareDialog::ColPage), QStringLiteral("报警与保护"));
            for (int i = 0; i < d.RowCount(); ++i)
                QCOMPARE(d.RowChecked(i), d.RowDiffers(i));
            QVERIFY(!d.WriteButton()->isVisible() && d.WriteButton()->isHidden());
            d.OnlyDifferences()->setChecked(true);
            int visible = 0;
            for (int i = 0; i < d.RowCount(); ++i)
                visible += d.RowHidden(i) ? 0 : 1;
            QCOMPARE(visible, 3);
            QVERIFY(d.NoticeLabel()->text().isEmpty());
        });
        QCOMPARE(shown, 1);
        qInfo("compare: %d requests in %lld ms", bar->LastRunRequests(), bar->LastRunMs());
        const std::uint64_t beforeApply = board.Requests();

        Compare(bar, file, true, [&](ProfileCompareDialog &d) {
            d.SetRowChecked(RowOfKey(d, "idle_wait_s"), false);
            // Nothing is written before the user says yes.
            boxes.Clear();
            boxes.Answer(IDNO);
            d.WriteButton()->click();
            QCOMPARE(boxes.Count(), 1);
            QVERIFY(boxes.LastText().contains(QStringLiteral("2 个参数")));
            QVERIFY(!d.Writing() && !d.WriteRun());
            QVERIFY(WriteChecked(d, boxes));
            QCOMPARE(ResultOf(d, "cell_ov_alarm_mv"), QStringLiteral("已写入并确认"));
            QCOMPARE(ResultOf(d, "pack_uv_alarm_mv"), QStringLiteral("已写入并确认"));
            QCOMPARE(ResultOf(d, "idle_wait_s"), QString());
            QCOMPARE(d.WriteRun()->Steps().size(), std::size_t(2));
            // In the order of the page.
            QCOMPARE(d.WriteRun()->Steps()[0].key->key, "cell_ov_alarm_mv");
            qInfo("apply: 2 rows written and read back in %lld ms", d.WriteMs());
        });
        // SN and 47 reads for the comparison, then a write and a read-back per
        // row (the window's own requests after the reopening may fall between).
        QCOMPARE(bar->LastRunRequests(), 48);
        QVERIFY(board.Requests() - beforeApply >= std::uint64_t(48 + 4));
        QVERIFY(LampIs(alarm, "cell_ov_alarm_mv", LedLamp::kGreen));
        QVERIFY(LampIs(alarm, "pack_uv_alarm_mv", LedLamp::kGreen));
        QCOMPARE(alarm->GetDlgItemText(RowOf(*FindParamKey("cell_ov_alarm_mv")).editIds[0]), QStringLiteral("3600"));

        CliResult now =
            CliAside(dlg, {"params", "get", "cell_ov_alarm_mv", "pack_uv_alarm_mv", "idle_wait_s", "--json"});
        QCOMPARE(now.exitCode, 0);
        const QJsonObject values = now.Json().object();
        QCOMPARE(values["cell_ov_alarm_mv"].toInt(), 3600);
        QCOMPARE(values["pack_uv_alarm_mv"].toInt(), 44800);
        QCOMPARE(values["idle_wait_s"].toInt(), 77);
    }

    void aRefusedWriteIsShownOnItsRow()
    {
        MsgBoxRecorder boxes;
        MainWindow dlg;
        SimHost board;
        auto *wake = dlg.Page<WakeThresholdPage>();
        QVERIFY(Open(dlg, board, wake));
        auto *bar = wake->findChild<ProfileBar *>();
        const QString file = m_dir.filePath(QStringLiteral("refused.json"));
        QVERIFY(Save(bar, file));
        // The page takes probe counts up to 255, the board only 2 to 8.
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QJsonObject root = QJsonDocument::fromJson(f.readAll()).object();
        f.close();
        QJsonObject params = root["params"].toObject();
        params["temp_probe_count"] = 9;
        params["key_wake_s"] = 7;
        params["balance_diff_mv"] = QJsonArray{25, 9};
        root["params"] = params;
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(QJsonDocument(root).toJson());
        f.close();

        Compare(bar, file, true, [&](ProfileCompareDialog &d) {
            QCOMPARE(Differing(d).size(), std::size_t(3));
            QVERIFY(WriteChecked(d, boxes));
            QCOMPARE(ResultOf(d, "temp_probe_count"), QStringLiteral("板卡拒绝（ErrorCode: 0x03）"));
            QCOMPARE(ResultOf(d, "key_wake_s"), QStringLiteral("已写入并确认"));
            QCOMPARE(ResultOf(d, "balance_diff_mv"), QStringLiteral("已写入并确认"));
            QVERIFY(d.StatusLabel()->text().contains(QStringLiteral("2 个已确认，1 个被板卡拒绝")));
        });
        QVERIFY(LampIs(wake, "temp_probe_count", LedLamp::kRed));
        QVERIFY(LampIs(wake, "key_wake_s", LedLamp::kGreen));
        QVERIFY(LampIs(wake, "balance_diff_mv", LedLamp::kGreen));
    }

    void eitherProgramAppliesTheOthersFile()
    {
        MsgBoxRecorder boxes;
        MainWindow dlg;
        SimHost board;
        auto *alarm = dlg.Page<AlarmProtectionPage>();
        QVERIFY(Open(dlg, board, alarm));
        auto *bar = alarm->findChild<ProfileBar *>();
        const QStringList changes = {"params", "set", "charge_ot_alarm_c=52", "current_thresholds_ma=1,2,3,4"};

        // Saved by the window, applied by pylvexctl.
        const QString byWindow = m_dir.filePath(QStringLiteral("by-window.json"));
        QVERIFY(Save(bar, byWindow));
        dlg.ClosePort();
        QCOMPARE(Cli(changes).exitCode, 0);
        CliResult applied = Cli({"profile", "apply", byWindow, "--json"});
        QCOMPARE(applied.exitCode, 0);
        QCOMPARE(applied.Json().object()["written"].toObject().keys(),
                 QStringList({"charge_ot_alarm_c", "current_thresholds_ma"}));
        QCOMPARE(Cli({"profile", "diff", byWindow}).exitCode, 0);

        // Saved by pylvexctl, applied by the window.
        const QString byCli = m_dir.filePath(QStringLiteral("by-cli.json"));
        QCOMPARE(Cli({"profile", "save", byCli}).exitCode, 0);
        QCOMPARE(Cli(changes).exitCode, 0);
        QVERIFY(dlg.OpenPortByName(m_device, true));
        Compare(bar, byCli, true, [&](ProfileCompareDialog &d) {
            const auto diffs = Differing(d);
            QCOMPARE(diffs.size(), std::size_t(2));
            QCOMPARE(diffs.at("charge_ot_alarm_c").first, QStringLiteral("52"));
            QCOMPARE(diffs.at("current_thresholds_ma").first, QStringLiteral("1，2，3，4"));
            QVERIFY(WriteChecked(d, boxes));
            QCOMPARE(ResultOf(d, "charge_ot_alarm_c"), QStringLiteral("已写入并确认"));
            QCOMPARE(ResultOf(d, "current_thresholds_ma"), QStringLiteral("已写入并确认"));
        });
        dlg.ClosePort();
        QCOMPARE(Cli({"profile", "diff", byCli}).exitCode, 0);
    }

    void aProfileOfAnotherBoardIsANotice()
    {
        MsgBoxRecorder boxes;
        MainWindow dlg;
        SimHost board;
        auto *alarm = dlg.Page<AlarmProtectionPage>();
        QVERIFY(Open(dlg, board, alarm));
        auto *bar = alarm->findChild<ProfileBar *>();
        const QString file = m_dir.filePath(QStringLiteral("other-board.json"));
        QVERIFY(Save(bar, file));
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QJsonObject root = QJsonDocument::fromJson(f.readAll()).object();
        f.close();
        root["sn"] = QStringLiteral("PYLOTHER0000009");
        QJsonObject params = root["params"].toObject();
        params["cell_uv_alarm_mv"] = 2850;
        root["params"] = params;
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(QJsonDocument(root).toJson());
        f.close();
        Compare(bar, file, true, [&](ProfileCompareDialog &d) {
            QVERIFY(d.NoticeLabel()->text().contains(QStringLiteral("PYLOTHER0000009")));
            boxes.Clear();
            QVERIFY(WriteChecked(d, boxes));
            QVERIFY(boxes.Shown()[0].text.contains(QStringLiteral("PYLOTHER0000009")));
            QCOMPARE(ResultOf(d, "cell_uv_alarm_mv"), QStringLiteral("已写入并确认"));
        });
    }

    void damagedAndForeignFilesAreRefused()
    {
        MsgBoxRecorder boxes;
        MainWindow dlg;
        SimHost board;
        auto *alarm = dlg.Page<AlarmProtectionPage>();
        auto *wake = dlg.Page<WakeThresholdPage>();
        QVERIFY(Open(dlg, board, alarm));
        QVERIFY(WaitOpeningTraffic(board));
        auto *bar = alarm->findChild<ProfileBar *>();
        alarm->SetDlgItemText(RowOf(*FindParamKey("cell_ov_alarm_mv")).editIds[0], QStringLiteral("3333"));
        const auto alarmBoxes = Boxes(alarm);
        const auto wakeBoxes = Boxes(wake);
        struct Case {
            const char *name;
            QByteArray bytes;
            const char *problem;
        };
        const Case cases[] = {
            {"cut.json", "{\n  \"pylvexctl_profile\": 1,\n  \"params\": {\"idle_wait_s\": 60",
             "JSON 语法错误，第 3 行"},
            {"foreign.json", "{\"editor.fontSize\": 14}", "缺少格式版本"},
            {"future.json", "{\"pylvexctl_profile\": 3, \"params\": {}}", "不支持的参数文件格式版本 3"},
            {"list.json", "{\"pylvexctl_profile\": 1, \"params\": {\"idle_wait_s\": [60]}}", "应为一个数值，不是列表"},
            {"range.json", "{\"pylvexctl_profile\": 1, \"params\": {\"cell_ov_alarm_mv\": 40000}}",
             "参数的有效范围是 -32768 至 32767 之间的整数！"},
        };
        for (const Case &c : cases) {
            const QString path = m_dir.filePath(QLatin1String(c.name));
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(c.bytes);
            f.close();
            const std::uint64_t requests = board.Requests();
            boxes.Clear();
            for (bool apply : {false, true}) {
                QCOMPARE(Compare(bar, path, apply, [](ProfileCompareDialog &) {}), 0);
                QCOMPARE(boxes.Count(), apply ? 2 : 1);
                QVERIFY2(boxes.LastText().contains(path) && boxes.LastText().contains(QString::fromUtf8(c.problem)),
                         qPrintable(boxes.LastText()));
            }
            QTest::qWait(200);
            QCOMPARE(board.Requests(), requests);
        }
        QVERIFY(Boxes(alarm) == alarmBoxes);
        QVERIFY(Boxes(wake) == wakeBoxes);
    }
};

int main(int argc, char **argv)
{
    return RunWidgetTest<TestThresholdProfiles>(argc, argv);
}

#include "test_threshold_profiles.moc"
