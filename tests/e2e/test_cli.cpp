// pylvexctl as a process against pylvex-sim on a pseudo-terminal: the status
// agrees with the board, every kind of parameter round-trips, refused values
// send nothing, a profile finds and repairs exactly the changed parameters,
// the clock is synchronised, link trouble exits 3, watch survives a lost
// board and ends cleanly on SIGINT, and an upgrade by each protocol reports
// the versions or why it stopped. JSON is read with a JSON parser.
#include "common/workbook_reader.h"
#include "e2e/cli_process.h"
#include "sim/sim_board.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QSettings>
#include <QStringDecoder>
#include <QtTest>

#include <algorithm>
#include <numeric>
#include <pty.h>
#include <unistd.h>

namespace {
// The board's requests go out 10 ms apart.
QStringList On(const QString &device, const QStringList &args)
{
    return QStringList{QStringLiteral("--port"), device, QStringLiteral("--interval"), QStringLiteral("10")} + args;
}

bool IsNumber(const QJsonValue &v)
{
    return v.type() == QJsonValue::Double;
}

// A firmware image of n bytes that no two runs share.
QString WriteImage(const QString &folder, const QString &name, int n)
{
    QByteArray bytes(n, Qt::Uninitialized);
    for (int i = 0; i < n; ++i)
        bytes[i] = static_cast<char>((i * 131 + n) & 0xFF);
    const QString path = folder + u'/' + name;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != n)
        return QString();
    return path;
}
} // namespace

class TestCli : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_profile;
    SimProcess m_board; // main and secondary board, clock 180 s behind

    CliResult Run(const QStringList &args) { return RunCli(On(m_board.Device(), args), m_profile.path()); }

private slots:
    void initTestCase()
    {
        QVERIFY(QFileInfo(BuiltProgram("pylvexctl")).isExecutable());
        // This program and the ones it starts use a profile of their own.
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_profile.path());
        QVERIFY(m_board.Start({QStringLiteral("--secondary")}));
    }

    void statusAgreesWithTheBoard()
    {
        // The board's state is changed through the program itself: three
        // probes, and a cell over-voltage protection every cell exceeds.
        CliResult set = Run({"params", "set", "temp_probe_count=3", "cell_ov_protect_mv=3000"});
        QCOMPARE(set.exitCode, 0);

        SimBoard reference({});
        const BoardIdentity &id = reference.Main().identity;
        // The stored port of the window is the default.
        QSettings(QSettings::IniFormat, QSettings::UserScope, "Oramek", "Pylvex")
            .setValue("IniProfile/PortNum", m_board.Device());
        CliResult r = RunCli({"--interval", "10", "status", "--json"}, m_profile.path());
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.err.isEmpty());
        QJsonParseError error;
        const QJsonObject s = QJsonDocument::fromJson(r.out, &error).object();
        QCOMPARE(error.error, QJsonParseError::NoError);
        QCOMPARE(s["read"].toString(), QStringLiteral("batch"));
        QCOMPARE(s["sn"].toString(), QString::fromStdString(id.sn));
        QCOMPARE(s["software_version"].toString(),
                 QStringLiteral("V%1.%2.%3").arg(id.versions[0]).arg(id.versions[1]).arg(id.versions[2]));
        QCOMPARE(s["production_date"].toString(), QDate(2000 + id.year, id.month, id.day).toString(Qt::ISODate));
        for (const char *key : {"soc", "soh", "cycles", "probe_count", "total_voltage_mv", "current_ma",
                                "remaining_capacity_mah", "full_capacity_mah", "cell_highest_mv", "protection_bits"})
            QVERIFY2(IsNumber(s[key]), key);
        QVERIFY(s["soc"].toInt() >= 0 && s["soc"].toInt() <= 100);
        QCOMPARE(s["probe_count"].toInt(), 3);
        QCOMPARE(s["temperatures_c"].toArray().size(), 3);
        QVERIFY(s["protections"].toArray().contains(QStringLiteral("过充保护")));
        const QJsonArray cells = s["cells_mv"].toArray();
        QCOMPARE(cells.size(), static_cast<qsizetype>(reference.Main().pack.Cells().size()));
        int sum = 0, highest = 0;
        for (const QJsonValue &c : cells) {
            QVERIFY(IsNumber(c));
            sum += c.toInt();
            highest = std::max(highest, c.toInt());
        }
        QCOMPARE(s["cell_highest_mv"].toInt(), highest);
        QVERIFY(std::abs(s["total_voltage_mv"].toInt() - sum) <= 10);
        QCOMPARE(s["balancing"].toArray().size(), cells.size());
        QVERIFY(s["mos"].toObject()["charge"].isBool());

        // The secondary board answers with its own pack.
        CliResult second = Run({"status", "--json", "--secondary"});
        QCOMPARE(second.exitCode, 0);
        QCOMPARE(second.Json().object()["sn"].toString(), QStringLiteral("PYLSIM16S50A0002"));

        // A board without the batch read is read item by item, to the same result.
        SimProcess itemByItem;
        QVERIFY(itemByItem.Start({QStringLiteral("--no-batch")}));
        CliResult items = RunCli(On(itemByItem.Device(), {"status", "--json"}), m_profile.path());
        QCOMPARE(items.exitCode, 0);
        const QJsonObject i = items.Json().object();
        QCOMPARE(i["read"].toString(), QStringLiteral("items"));
        for (const char *key : {"sn", "software_version", "hardware_version", "production_date"})
            QCOMPARE(i[key], s[key]);
        QCOMPARE(i["cells_mv"].toArray().size(), 16);
        QCOMPARE(i["probe_count"].toInt(), 4);

        QCOMPARE(Run({"params", "set", "temp_probe_count=4", "cell_ov_protect_mv=3650"}).exitCode, 0);
    }

    void paramsRoundTripEveryKind()
    {
        struct Case {
            const char *key;
            const char *text;
            QJsonValue value;
        };
        const Case cases[] = {
            {"idle_wait_s", "123", 123},                           // unsigned 16-bit
            {"temp_probe_count", "5", 5},                          // unsigned byte
            {"cell_ov_alarm_mv", "3610", 3610},                    // signed 16-bit
            {"charge_oc_alarm_ma", "-5000", -5000},                // signed 32-bit
            {"pack_ov_alarm_mv", "4000000000", 4000000000.0},      // unsigned 32-bit
            {"charge_ut_protect_c", "-20", -20},                   // signed temperature
            {"discharge_mos_ot_recover_c", "70", 70},              // temperature
            {"balance_diff_mv", "25,9", QJsonArray{25, 9}},        // two values
            {"cycle_thresholds_pct", "85,15", QJsonArray{85, 15}}, // two bytes
            {"current_thresholds_ma", "310,-20,300,-200", QJsonArray{310, -20, 300, -200}},
            {"short_circuit", "450,250", QJsonArray{450, 250}},
        };
        QStringList set{"params", "set", "--json"}, get{"params", "get", "--json"};
        for (const Case &c : cases) {
            set << QStringLiteral("%1=%2").arg(c.key, c.text);
            get << c.key;
        }
        CliResult written = Run(set);
        QCOMPARE(written.exitCode, 0);
        CliResult read = Run(get);
        QCOMPARE(read.exitCode, 0);
        for (const CliResult *r : {&written, &read}) {
            const QJsonObject o = r->Json().object();
            QCOMPARE(o.size(), static_cast<qsizetype>(std::size(cases)));
            for (const Case &c : cases)
                QCOMPARE(o[c.key], c.value);
        }

        // A board that refuses the internal debugging mode: exit 1, nothing written.
        SimProcess refusing;
        QVERIFY(refusing.Start({QStringLiteral("--refuse-internal")}));
        CliResult locked = RunCli(On(refusing.Device(), {"params", "set", "idle_wait_s=99"}), m_profile.path());
        QCOMPARE(locked.exitCode, 1);
        QVERIFY(locked.err.contains(QStringLiteral("进入内部调试模式")));
        QVERIFY(locked.out.isEmpty());

        // The board refuses a value inside the page's range: exit 1 with its error code.
        CliResult refused = Run({"params", "set", "temp_probe_count=9"});
        QCOMPARE(refused.exitCode, 1);
        QVERIFY(refused.err.contains(QStringLiteral("ErrorCode: 0x03")));
    }

    void refusedValuesExitTwoAndSendNothing_data()
    {
        QTest::addColumn<QString>("assignment");
        QTest::addColumn<QString>("message");
        QTest::newRow("signed 16") << "cell_ov_protect_mv=40000"
                                   << "参数的有效范围是 -32768 至 32767 之间的整数！";
        QTest::newRow("below one") << "idle_wait_s=0"
                                   << "参数的有效范围是 1 至 65535 之间的整数！";
        QTest::newRow("percent") << "cycle_thresholds_pct=101,20"
                                 << "参数的有效范围是 0 至 100 之间的整数！";
        QTest::newRow("letters") << "idle_wait_s=12a"
                                 << "参数存在非数字字符！";
        QTest::newRow("empty") << "key_wake_s="
                               << "参数不能为空！";
        QTest::newRow("read-only") << "wake_source=1"
                                   << "参数为只读！";
        QTest::newRow("unknown key") << "no_such_key=1"
                                     << "no_such_key";
        QTest::newRow("value count") << "balance_diff_mv=30"
                                     << "balance_diff_mv";
    }
    void refusedValuesExitTwoAndSendNothing()
    {
        QFETCH(QString, assignment);
        QFETCH(QString, message);
        const QString password =
            QTest::currentDataTag() == QByteArray("wrong password") ? "kvmrx" : kDefaultTestPassword;
        // Refused before the port is opened: a port that does not exist is never reached.
        CliResult r = RunCli({"--port", "/dev/pylvex-no-such-port", "params", "set", "idle_wait_s=100", assignment},
                             m_profile.path(), 30000, password);
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QVERIFY(r.out.isEmpty());
        // Against the board: the valid value before it is not written either.
        CliResult before = Run({"params", "get", "idle_wait_s", "--json"});
        QCOMPARE(RunCli(On(m_board.Device(), {"params", "set", "idle_wait_s=100", assignment}), m_profile.path(), 30000,
                        password)
                     .exitCode,
                 2);
        QCOMPARE(Run({"params", "get", "idle_wait_s", "--json"}).Json(), before.Json());
    }

    void profileFindsAndRepairsExactlyTheChanges()
    {
        const QString file = m_profile.filePath(QStringLiteral("board.json"));
        CliResult saved = Run({"profile", "save", file});
        QCOMPARE(saved.exitCode, 0);
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QJsonObject profile = QJsonDocument::fromJson(f.readAll()).object();
        f.close();
        QCOMPARE(profile["sn"].toString(), QStringLiteral("PYLSIM16S50A0001"));
        QVERIFY(!profile["software_version"].toString().isEmpty());
        QVERIFY(QDateTime::fromString(profile["saved_at"].toString(), Qt::ISODate).isValid());
        const QJsonObject params = profile["params"].toObject();
        QVERIFY(params.contains("wake_source") && !params.contains("clear_records"));
        QCOMPARE(params.size(), 48);

        QCOMPARE(Run({"params", "set", "cell_uv_recover_mv=2950", "current_thresholds_ma=1,2,3,4"}).exitCode, 0);
        CliResult diff = Run({"profile", "diff", file, "--json"});
        QCOMPARE(diff.exitCode, 1);
        const QJsonObject d = diff.Json().object();
        QCOMPARE(d.keys(), QStringList({"cell_uv_recover_mv", "current_thresholds_ma"}));
        QCOMPARE(d["cell_uv_recover_mv"].toObject()["board"], QJsonValue(2950));
        QCOMPARE(d["cell_uv_recover_mv"].toObject()["file"], params["cell_uv_recover_mv"]);
        QCOMPARE(d["current_thresholds_ma"].toObject()["file"], params["current_thresholds_ma"]);

        CliResult dry = Run({"profile", "apply", file, "--dry-run", "--json"});
        QCOMPARE(dry.exitCode, 0);
        QCOMPARE(dry.Json(), diff.Json());
        CliResult applied = Run({"profile", "apply", file, "--json"});
        QCOMPARE(applied.exitCode, 0);
        QCOMPARE(applied.Json().object()["written"].toObject().keys(),
                 QStringList({"cell_uv_recover_mv", "current_thresholds_ma"}));
        CliResult after = Run({"profile", "diff", file, "--json"});
        QCOMPARE(after.exitCode, 0);
        QVERIFY(after.Json().object().isEmpty());

        // A file value out of range is refused with the window's message.
        QJsonObject broken = profile;
        QJsonObject p = params;
        p["charge_ot_alarm_c"] = 400;
        broken["params"] = p;
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(QJsonDocument(broken).toJson());
        f.close();
        CliResult bad = Run({"profile", "apply", file});
        QCOMPARE(bad.exitCode, 2);
        QVERIFY(bad.err.contains(QStringLiteral("参数的有效范围是 -327 至 327 之间的整数！")));
    }

    void profileFilesAreReadStrictly()
    {
        // Format version, list or number, syntax errors with their position:
        // each file is refused as a whole, exit 2, before the port is opened.
        struct Case {
            const char *name;
            QByteArray bytes;
            const char *message;
        };
        const Case cases[] = {
            {"future.json", R"({"pylvexctl_profile": 2, "params": {"idle_wait_s": 60}})", "不支持的参数文件格式版本 2"},
            {"list.json", R"({"pylvexctl_profile": 1, "params": {"idle_wait_s": [60]}})",
             "idle_wait_s：应为一个数值，不是列表"},
            {"number.json", R"({"pylvexctl_profile": 1, "params": {"balance_diff_mv": 20}})",
             "balance_diff_mv：应为 2 个数值的列表"},
            {"syntax.json", "{\n  \"pylvexctl_profile\": 1,\n  \"params\": {\"idle_wait_s\" 60}\n}",
             "JSON 语法错误，第 3 行"},
        };
        for (const Case &c : cases) {
            const QString file = m_profile.filePath(QLatin1String(c.name));
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(c.bytes);
            f.close();
            for (const char *verb : {"diff", "apply"}) {
                CliResult r = Run({"profile", verb, file});
                QCOMPARE(r.exitCode, 2);
                QVERIFY2(r.err.startsWith(file) && r.err.contains(QString::fromUtf8(c.message)), qPrintable(r.err));
            }
        }
        // A profile of the other board of the pair, or of another SN, is applied after a notice.
        const QString file = m_profile.filePath(QStringLiteral("secondary.json"));
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(R"({"pylvexctl_profile": 1, "board": "secondary", "sn": "PYLOTHER0000009",
                    "params": {"idle_wait_s": 61}})");
        f.close();
        CliResult r = Run({"profile", "apply", file, "--json"});
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.err.contains(QStringLiteral("注意：参数文件保存自从板，现在选择的是主板")), qPrintable(r.err));
        QVERIFY2(r.err.contains(QStringLiteral("PYLOTHER0000009")), qPrintable(r.err));
        QCOMPARE(Run({"params", "get", "idle_wait_s", "--json"}).Json().object()["idle_wait_s"].toInt(), 61);
    }

    void clockSyncSetsOnlyABoardFarOff()
    {
        // 180 s off: left alone.
        CliResult near = Run({"clock", "--sync", "--json"});
        QCOMPARE(near.exitCode, 0);
        QCOMPARE(near.Json().object()["set"].toBool(), false);
        QVERIFY(std::abs(near.Json().object()["difference_s"].toInt() + 180) <= 2);

        SimProcess late;
        QVERIFY(late.Start({QStringLiteral("--clock-offset"), QStringLiteral("-660")}));
        CliResult synced = RunCli(On(late.Device(), {"clock", "--sync", "--json"}), m_profile.path());
        QCOMPARE(synced.exitCode, 0);
        const QJsonObject o = synced.Json().object();
        QVERIFY(std::abs(o["difference_s"].toInt() + 660) <= 2);
        QCOMPARE(o["set"].toBool(), true);
        QVERIFY(std::abs(o["difference_after_s"].toInt()) <= 2);
        CliResult again = RunCli(On(late.Device(), {"clock", "--json"}), m_profile.path());
        QVERIFY(std::abs(again.Json().object()["difference_s"].toInt()) <= 2);
    }

    void linkTroubleExitsThree()
    {
        CliResult missing = RunCli({"--port", "/dev/pylvex-no-such-port", "status"}, m_profile.path());
        QCOMPARE(missing.exitCode, 3);
        QVERIFY(missing.out.isEmpty());
        QVERIFY(!missing.err.isEmpty());

        // A port with nothing answering on it.
        int master = -1, slave = -1;
        char name[128] = {};
        QCOMPARE(openpty(&master, &slave, name, nullptr, nullptr), 0);
        CliResult silent =
            RunCli({"--port", name, "--interval", "10", "--timeout", "50", "status", "--json"}, m_profile.path());
        ::close(master);
        ::close(slave);
        QCOMPARE(silent.exitCode, 3);
        QVERIFY(silent.out.isEmpty());
        QVERIFY(silent.err.contains(QStringLiteral("无应答")));

        // A board that answers only a repeated request is reached by the retry.
        SimProcess secondTry;
        QVERIFY(secondTry.Start({QStringLiteral("--second-try")}));
        CliResult retried = RunCli(
            On(secondTry.Device(), {"--timeout", "100", "params", "get", "idle_wait_s", "--json"}), m_profile.path());
        QCOMPARE(retried.exitCode, 0);
        QCOMPARE(retried.Json().object()["idle_wait_s"], QJsonValue(60));
    }

    void watchSurvivesALostBoardAndEndsOnSigint()
    {
        SimProcess board;
        QVERIFY(board.Start());
        const QString csv = m_profile.filePath(QStringLiteral("watch.csv"));
        QProcess watch;
        watch.setProcessEnvironment(CliEnvironment(m_profile.path()));
        watch.start(BuiltProgram("pylvexctl"),
                    On(board.Device(), {"watch", "--json", "--every", "0.05", "--csv", csv}));
        QVERIFY(watch.waitForStarted(5000));
        QByteArray out;
        QTRY_VERIFY_WITH_TIMEOUT((out += watch.readAllStandardOutput(), out.count('\n') >= 2), 10000);
        QList<QByteArray> lines = out.left(out.lastIndexOf('\n')).split('\n');
        for (const QByteArray &line : lines) {
            QJsonParseError error;
            const QJsonObject o = QJsonDocument::fromJson(line, &error).object();
            QCOMPARE(error.error, QJsonParseError::NoError);
            QVERIFY(IsNumber(o["soc"]));
            QVERIFY(QDateTime::fromString(o["time"].toString(), Qt::ISODate).isValid());
        }

        board.Kill();
        QString err;
        QTRY_VERIFY_WITH_TIMEOUT(
            (err += QString::fromUtf8(watch.readAllStandardError()), err.contains(QStringLiteral("串口连接已断开"))),
            10000);
        QCOMPARE(watch.state(), QProcess::Running); // it keeps trying
        ::kill(static_cast<pid_t>(watch.processId()), SIGINT);
        QVERIFY(watch.waitForFinished(5000));
        QCOMPARE(watch.exitStatus(), QProcess::NormalExit);
        QCOMPARE(watch.exitCode(), 0);

        QFile f(csv);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QStringList rows = QString(QStringDecoder("GBK").decode(f.readAll())).split("\r\n", Qt::SkipEmptyParts);
        QVERIFY(rows.size() >= 3);
        QVERIFY(rows[0].startsWith(QStringLiteral("时间,SOC,总电压,总电流,保护状态,温度1")));
        for (int i = 1; i < rows.size(); ++i)
            QCOMPARE(rows[i].split(',').size(), rows[0].split(',').size() + 1);
    }

    // A folder given to --csv (as the recorder service gives its state
    // folder) takes the day's Record_<date>.csv, header first.
    void watchWritesTheDailyFileIntoAFolder()
    {
        SimProcess board;
        QVERIFY(board.Start());
        const QString folder = m_profile.filePath(QStringLiteral("daily"));
        QVERIFY(QDir().mkpath(folder));
        const QDate first = QDate::currentDate();
        QProcess watch;
        watch.setProcessEnvironment(CliEnvironment(m_profile.path()));
        watch.start(BuiltProgram("pylvexctl"), On(board.Device(), {"watch", "--every", "0.05", "--csv", folder}));
        QVERIFY(watch.waitForStarted(5000));
        QByteArray out;
        QTRY_VERIFY_WITH_TIMEOUT((out += watch.readAllStandardOutput(), out.count('\n') >= 3), 10000);
        ::kill(static_cast<pid_t>(watch.processId()), SIGTERM);
        QVERIFY(watch.waitForFinished(5000));
        QCOMPARE(watch.exitCode(), 0);
        const QDate last = QDate::currentDate();

        QStringList expected;
        for (QDate d = first; d <= last; d = d.addDays(1))
            expected << QStringLiteral("Record_%1.csv").arg(d.toString(QStringLiteral("yyyy-MM-dd")));
        const QStringList files = QDir(folder).entryList(QDir::Files, QDir::Name);
        QVERIFY2(!files.isEmpty() && files.size() <= expected.size(), qPrintable(files.join(' ')));
        for (const QString &name : files)
            QVERIFY2(expected.contains(name), qPrintable(name));
        QFile f(QDir(folder).filePath(files.first()));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QStringList rows = QString(QStringDecoder("GBK").decode(f.readAll())).split("\r\n", Qt::SkipEmptyParts);
        QVERIFY(rows.size() >= 2);
        QVERIFY(rows[0].startsWith(QStringLiteral("时间,SOC,总电压")));
    }

    void logAndRecordsAsThePagesShowThem()
    {
        const QString book = m_profile.filePath(QStringLiteral("alarms.xlsx"));
        CliResult log = Run({"log", "alarm", "--json", "--xlsx", book});
        QCOMPARE(log.exitCode, 0);
        const QJsonArray rows = log.Json().object()["rows"].toArray();
        QVERIFY(!rows.isEmpty());
        WorkbookContents written = ReadWorkbook(book);
        QVERIFY2(written.ok, qPrintable(written.error));
        QCOMPARE(written.sheets, QStringList({"DataSheet1"}));
        QCOMPARE(written.rows[0].size(), static_cast<std::size_t>(rows.size() + 1));
        QCOMPARE(written.rows[0][0], QStringList({"序号", "类型", "时间", "内容"}));
        for (qsizetype i = 0; i < rows.size(); ++i) {
            const QJsonObject r = rows[i].toObject();
            QCOMPARE(r["type"].toString(), QStringLiteral("告警日志"));
            QCOMPARE(r["content"].toString(), r["events"].toVariant().toStringList().join(u'|'));
            QVERIFY(QDateTime::fromString(r["time"].toString(), "yyyy-MM-dd HH:mm:ss").isValid());
            QCOMPARE(written.rows[0][static_cast<std::size_t>(i + 1)],
                     QStringList({QString::number(i + 1), r["type"].toString(), r["time"].toString(),
                                  r["content"].toString()}));
        }

        CliResult records = Run({"records", "--json"});
        QCOMPARE(records.exitCode, 0);
        const QJsonArray stored = records.Json().object()["rows"].toArray();
        QVERIFY(!stored.isEmpty());
        for (const QJsonValue &v : stored) {
            const QJsonObject r = v.toObject();
            QVERIFY(IsNumber(r["total_voltage_mv"]) && IsNumber(r["soc"]));
            QVERIFY(r["max_cell_mv"].toInt() >= r["min_cell_mv"].toInt());
        }
    }

    void upgradeByTheCommandProtocolReportsTheNewVersion()
    {
        SimProcess board;
        QVERIFY(board.Start());
        const QString image = WriteImage(m_profile.path(), QStringLiteral("fw-cmd.bin"), 3000);
        CliResult r = RunCli(On(board.Device(), {"upgrade", image, "--json"}), m_profile.path(), 60000);
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        const QJsonObject o = r.Json().object();
        QCOMPARE(o["protocol"].toString(), QStringLiteral("command"));
        QCOMPARE(o["size"], QJsonValue(3000));
        QCOMPARE(o["version_changed"].toBool(), true);
        // The board reports itself one patch higher after the upgrade.
        const QStringList oldParts = o["old_version"].toString().split(u'.');
        const QStringList newParts = o["new_version"].toString().split(u'.');
        QCOMPARE(oldParts.size(), 3);
        QCOMPARE(newParts.size(), 3);
        QCOMPARE(newParts[2].toInt(), oldParts[2].toInt() + 1);
        // Not a terminal: plain progress lines end at the whole size.
        QVERIFY(r.err.contains(QStringLiteral("3000/3000 字节")));
        QVERIFY(!r.err.contains(u'\r'));

        // Without --json the versions are shown as text.
        CliResult again = RunCli(On(board.Device(), {"upgrade", image}), m_profile.path(), 60000);
        QCOMPARE(again.exitCode, 0);
        QVERIFY(QString::fromUtf8(again.out).contains(
            QStringLiteral("升级后 %1.%2.%3").arg(newParts[0], newParts[1]).arg(newParts[2].toInt() + 1)));
    }

    void upgradeByYModemRawAndWrapped_data()
    {
        QTest::addColumn<QString>("transport");
        QTest::newRow("raw, to the repeater's loader") << QStringLiteral("raw");
        QTest::newRow("wrapped, to the board's loader") << QStringLiteral("wrapped");
    }

    void upgradeByYModemRawAndWrapped()
    {
        QFETCH(QString, transport);
        SimProcess board;
        QVERIFY(board.Start({QStringLiteral("--repeater")}));
        // A last block of 1-128 bytes: one 1024-byte block and one 128-byte block.
        const QString image = WriteImage(m_profile.path(), QStringLiteral("fw-ym.bin"), 1024 + 100);
        CliResult r =
            RunCli(On(board.Device(), {"upgrade", image, "--ymodem", transport, "--json"}), m_profile.path(), 60000);
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        const QJsonObject o = r.Json().object();
        QCOMPARE(o["protocol"].toString(), QStringLiteral("ymodem-") + transport);
        QCOMPARE(o["size"], QJsonValue(1124));
        QVERIFY(!o["new_version"].toString().isEmpty());
        // The loader keeps the running version: a warning, not an error.
        QCOMPARE(o["version_changed"].toBool(), false);
        QVERIFY(r.err.contains(QStringLiteral("警告：软件版本没有变化")));
        QVERIFY(r.err.contains(QStringLiteral("1124/1124 字节")));
    }

    void upgradeStopsOnTheBoardsError_data()
    {
        QTest::addColumn<QStringList>("switches");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("shown");
        QTest::newRow("request refused: low battery")
            << QStringList{"--fw-refuse-request", "1"} << QStringList{} << QStringLiteral("错误");
        QTest::newRow("block fails its check twice")
            << QStringList{"--fw-check-error-twice", "2"} << QStringList{} << QStringLiteral("错误");
        QTest::newRow("YModem loader cancels") << QStringList{"--repeater", "--ym-can", "1"}
                                               << QStringList{"--ymodem", "raw"} << QStringLiteral("升级失败");
    }

    void upgradeStopsOnTheBoardsError()
    {
        QFETCH(QStringList, switches);
        QFETCH(QStringList, options);
        QFETCH(QString, shown);
        SimProcess board;
        QVERIFY(board.Start(switches));
        const QString image = WriteImage(m_profile.path(), QStringLiteral("fw-bad.bin"), 2000);
        CliResult r =
            RunCli(On(board.Device(), QStringList{"upgrade", image, "--json"} + options), m_profile.path(), 60000);
        QCOMPARE(r.exitCode, 1);
        QVERIFY(r.out.isEmpty());
        QVERIFY2(r.err.contains(shown), qPrintable(r.err));
        QVERIFY(!r.err.contains(QStringLiteral("升级成功")));
    }

    void upgradeOfAnUnusableFileExitsTwo_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("size");
        QTest::addColumn<QString>("shown");
        QTest::newRow("missing") << QStringLiteral("no-such.bin") << -1 << QString();
        QTest::newRow("empty") << QStringLiteral("empty.bin") << 0 << QStringLiteral("文件内容为空!");
        QTest::newRow("a folder") << QString() << -1 << QStringLiteral("升级文件不能为空！");
    }

    void upgradeOfAnUnusableFileExitsTwo()
    {
        QFETCH(QString, name);
        QFETCH(int, size);
        QFETCH(QString, shown);
        const QString path = size >= 0 ? WriteImage(m_profile.path(), name, size) : m_profile.path() + u'/' + name;
        // Nothing is sent: the port need not exist.
        CliResult r = RunCli({"--port", "/dev/pylvex-no-such-port", "upgrade", path}, m_profile.path());
        QCOMPARE(r.exitCode, 2);
        QVERIFY(r.out.isEmpty());
        QVERIFY2(r.err.contains(shown), qPrintable(r.err));
    }

    void helpOfEverySubcommand()
    {
        for (const char *command :
             {"ports", "status", "watch", "params", "profile", "clock", "log", "records", "upgrade"}) {
            CliResult r = RunCli({command, "--help"}, m_profile.path());
            QCOMPARE(r.exitCode, 0);
            QVERIFY2(r.out.contains("--port") && r.out.contains("--json"), command);
        }
        CliResult params = RunCli({"params", "--help"}, m_profile.path());
        for (const char *key : {"cell_ov_protect_mv", "balance_diff_mv", "charge_ut_protect_c", "clear_records"})
            QVERIFY2(params.out.contains(key), key);
        QCOMPARE(RunCli({"frobnicate"}, m_profile.path()).exitCode, 2);
        QCOMPARE(RunCli({"status", "--interval", "5"}, m_profile.path()).exitCode, 2);
    }
};

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    TestCli test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_cli.moc"
