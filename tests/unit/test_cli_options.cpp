// The command line of pylvexctl and its parameter keys: every row of the two
// threshold pages under exactly one key, values checked as the pages check
// them, and the options of each subcommand.
#include "cli/cli_common.h"
#include "cli/cli_options.h"
#include "cli/param_keys.h"
#include "version.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

#include <set>

TEST(CliKeys, EveryRowOfBothPagesOnce)
{
    std::set<std::pair<bool, int>> rows;
    std::set<std::string> names;
    const QRegularExpression plain(QStringLiteral("^[a-z][a-z0-9_]*$"));
    for (const ParamKey &k : ParamKeys()) {
        SCOPED_TRACE(k.key);
        EXPECT_TRUE(plain.match(QLatin1String(k.key)).hasMatch());
        EXPECT_TRUE(names.insert(k.key).second);
        EXPECT_TRUE(rows.insert({k.alarmPage, k.row}).second);
        EXPECT_EQ(RowOf(k).number, k.row);
        EXPECT_EQ(FindParamKey(QLatin1String(k.key)), &k);
        if (KeyStored(k)) {
            EXPECT_EQ(QString::fromUtf8(k.units).split(u',').size(), KeyValueCount(k));
        }
    }
    EXPECT_EQ(rows.size(), WakeupPageRows().rows.size() + AlarmPageRows().rows.size());
    EXPECT_FALSE(KeyWritable(*FindParamKey("wake_source")));
    EXPECT_FALSE(KeyReadable(*FindParamKey("clear_records")));
}

TEST(CliKeys, AssignmentsCheckedAsThePagesCheckThem)
{
    struct Case {
        const char *text;
        std::vector<std::int64_t> values; // empty: refused
        const char *message;              // part of the refusal
    };
    const Case cases[] = {
        {"cell_ov_protect_mv=4250", {4250}, ""},
        {"cell_ov_protect_mv= 4250 ", {4250}, ""},
        {"cell_ov_protect_mv=40000", {}, "参数的有效范围是 -32768 至 32767 之间的整数！"},
        {"pack_ov_alarm_mv=4294967295", {4294967295LL}, ""},
        {"pack_ov_alarm_mv=-1", {4294967295LL}, ""}, // the unsigned conversion of the pages
        {"charge_oc_alarm_ma=-2147483648", {-2147483648LL}, ""},
        {"charge_ut_protect_c=-20", {-20}, ""},
        {"charge_ut_protect_c=328", {}, "参数的有效范围是 -327 至 327 之间的整数！"},
        {"balance_diff_mv=30,10", {30, 10}, ""},
        {"balance_diff_mv=30", {}, "需要 2 个数值"},
        {"balance_diff_mv=30,x", {}, "参数存在非数字字符！"},
        {"cycle_thresholds_pct=80,101", {}, "参数的有效范围是 0 至 100 之间的整数！"},
        {"current_thresholds_ma=-1,-2,-3,-4", {-1, -2, -3, -4}, ""},
        {"temp_probe_count=0", {}, "参数的有效范围是 1 至 255 之间的整数！"},
        {"idle_wait_s=", {}, "参数不能为空！"},
        {"wake_source=1", {}, "参数为只读！"},
        {"clear_records=1", {1}, ""},
        {"clear_records=2", {}, "clear_records"},
        {"nothing=1", {}, "未知参数"},
        {"=1", {}, "KEY=VALUE"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        KeyValue kv;
        QString error;
        const bool ok = ParseAssignment(QString::fromUtf8(c.text), &kv, &error);
        EXPECT_EQ(ok, !c.values.empty());
        if (ok) {
            EXPECT_EQ(kv.values, c.values);
        } else {
            EXPECT_TRUE(error.contains(QString::fromUtf8(c.message))) << error.toStdString();
        }
    }
}

TEST(CliOptions, SubcommandsAndTheirOptions)
{
    auto parse = [](const QStringList &args) { return ParseCli(QStringList{"pylvexctl"} + args); };

    CliRequest status = parse({"--port", "/dev/pts/4", "status", "--json", "--interval", "10", "--secondary"});
    ASSERT_EQ(status.action, CliRequest::Action::Run);
    EXPECT_EQ(status.command, "status");
    EXPECT_EQ(status.common.port, "/dev/pts/4");
    EXPECT_EQ(status.common.intervalMs, 10);
    EXPECT_EQ(status.common.timeoutMs, kDefaultTimeoutMs);
    EXPECT_TRUE(status.common.json && status.common.secondary);

    CliRequest set = parse({"params", "set", "a=1", "b=-2", "--timeout", "200"});
    ASSERT_EQ(set.action, CliRequest::Action::Run);
    EXPECT_EQ(set.verb, "set");
    EXPECT_EQ(set.args, QStringList({"a=1", "b=-2"}));
    EXPECT_EQ(set.common.timeoutMs, 200);

    CliRequest apply = parse({"profile", "apply", "f.json", "--only", "a,b", "--only", "c", "--dry-run"});
    ASSERT_EQ(apply.action, CliRequest::Action::Run);
    EXPECT_EQ(apply.only, QStringList({"a", "b", "c"}));
    EXPECT_TRUE(apply.dryRun);

    CliRequest watch = parse({"watch", "--every", "0.5", "--csv", "-"});
    ASSERT_EQ(watch.action, CliRequest::Action::Run);
    EXPECT_DOUBLE_EQ(watch.everySec, 0.5);
    EXPECT_EQ(watch.csvPath, "-");

    EXPECT_EQ(parse({"--help"}).action, CliRequest::Action::Help);
    EXPECT_EQ(parse({"clock", "--help"}).action, CliRequest::Action::Help);

    const QStringList refused[] = {
        {},
        {"frobnicate"},
        {"status", "--interval", "5"},
        {"status", "--interval", "2001"},
        {"status", "--timeout", "x"},
        {"status", "--no-such-option"},
        {"status", "extra"},
        {"params"},
        {"params", "put"},
        {"params", "set"},
        {"profile", "save"},
        {"profile", "diff", "a", "b"},
        {"clock", "--set", "--sync"},
        {"watch", "--every", "-1"},
        {"status", "--every", "1"},
        {"upgrade", "f.bin", "--ymodem", "fast"},
    };
    for (const QStringList &args : refused) {
        CliRequest r = parse(args);
        EXPECT_EQ(r.action, CliRequest::Action::Fail) << args.join(' ').toStdString();
        EXPECT_FALSE(r.text.isEmpty());
    }
}

// --version on its own or with a subcommand; the key lists the shell
// completion reads, each kind exactly the keys the parameter code accepts.
TEST(CliOptions, VersionAndKeyLists)
{
    auto parse = [](const QStringList &args) { return ParseCli(QStringList{"pylvexctl"} + args); };
    const QString version = QStringLiteral("pylvexctl %1\n").arg(QLatin1String(kPylvexVersion));
    for (const QStringList &args : {QStringList{"--version"}, QStringList{"-v"}, QStringList{"status", "--version"}}) {
        const CliRequest r = parse(args);
        EXPECT_EQ(r.action, CliRequest::Action::Help) << args.join(' ').toStdString();
        EXPECT_EQ(r.text, version);
    }
    EXPECT_NE(parse({"--help", "--version"}).text, version); // help first

    struct Kind {
        const char *name;
        bool (*keep)(const ParamKey &);
    };
    for (const Kind &kind : {Kind{"readable", KeyReadable}, Kind{"writable", KeyWritable}, Kind{"stored", KeyStored}}) {
        SCOPED_TRACE(kind.name);
        const CliRequest r = parse({"--list-keys", kind.name});
        ASSERT_EQ(r.action, CliRequest::Action::Help);
        QStringList expected;
        for (const ParamKey &k : ParamKeys())
            if (kind.keep(k))
                expected << QLatin1String(k.key);
        EXPECT_FALSE(expected.isEmpty());
        EXPECT_EQ(r.text.split(u'\n', Qt::SkipEmptyParts), expected);
    }
    EXPECT_FALSE(parse({"--list-keys", "readable"}).text.contains(QLatin1String("clear_records")));
    EXPECT_FALSE(parse({"--list-keys", "writable"}).text.contains(QLatin1String("wake_source")));
    for (const QStringList &args :
         {QStringList{"--list-keys"}, QStringList{"--list-keys", "all"}, QStringList{"--list-keys", "stored", "x"}})
        EXPECT_EQ(parse(args).action, CliRequest::Action::Fail) << args.join(' ').toStdString();
    EXPECT_FALSE(parse({"--help"}).text.contains(QLatin1String("list-keys"))); // for the completion only
}

TEST(CliText, DisplayWidthCountsTerminalColumns)
{
    struct Case {
        const char *text;
        int columns;
    };
    const Case cases[] = {
        {"", 0},     {"idle_wait_s", 11}, {"电芯过压", 8},         {"过压(mV)", 8}, {"１２", 4},
        {"…", 1},    {"e\xCC\x81", 1},                             // e and a combining acute accent
        {"한국", 4}, {"°C", 2},           {"\xF0\xA0\x80\x80", 2}, // a CJK character beyond 16 bits
    };
    for (const Case &c : cases)
        EXPECT_EQ(DisplayWidth(QString::fromUtf8(c.text)), c.columns) << c.text;
    EXPECT_EQ(PadToWidth(QStringLiteral("电芯"), 6), QStringLiteral("电芯  "));
    EXPECT_EQ(PadToWidth(QStringLiteral("电芯过压"), 6), QStringLiteral("电芯过压"));
    EXPECT_EQ(DisplayWidth(PadToWidth(QStringLiteral("a电"), 10)), 10);
}
