// Threshold profiles: a file in the format pylvexctl has always written reads
// back; every kind of damaged or foreign file is refused with its problem (a
// JSON syntax error with its line and column); the notices of a profile that
// does not fit the board; the request run judges real answers of the
// simulated board (read, confirmed, refused, read back different, silent).
#include "common/frame_bytes.h"
#include "files/profilefile.h"
#include "sim/sim_board.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTimeZone>

#include <gtest/gtest.h>

namespace {

// A file as pylvexctl profile save has written it since the first version.
const char *const kTodaysFile = R"({
    "board": "main",
    "hardware_version": "V1.0.0",
    "params": {
        "balance_diff_mv": [20, 8],
        "cell_uv_recover_mv": 2900,
        "charge_ut_protect_c": 0,
        "current_thresholds_ma": [300, 200, 300, 200],
        "discharge_ut_protect_c": -20,
        "pack_ov_alarm_mv": 57600,
        "temp_probe_count": 4,
        "wake_source": 1
    },
    "pylvexctl_profile": 1,
    "saved_at": "2024-05-01T10:00:00+08:00",
    "sn": "PYLSIM16S50A0001",
    "software_version": "V2.1.3"
}
)";

QByteArray WithParams(const char *params)
{
    return QByteArray(R"({"pylvexctl_profile": 1, "board": "main", "params": )") + params + "}";
}

std::vector<std::int64_t> ValuesOf(const Profile &p, const char *key)
{
    const ProfileEntry *e = p.Find(FindParamKey(QLatin1String(key)));
    return e ? e->values : std::vector<std::int64_t>{};
}

std::int64_t FixedClock()
{
    return 1700000000000LL;
}

// Runs the exchange against the board: every request framed, its answers
// handed over; without a board every request goes unanswered.
void Drive(SimBoard *board, ParamExchange &run)
{
    while (!run.Finished()) {
        const std::vector<SimBytes> answers = board ? board->Handle(FrameOf(run.Request())) : std::vector<SimBytes>{};
        if (answers.empty())
            run.OnNoAnswer(QStringLiteral("无应答"));
        else if (run.IsAnswer(answers.front().data(), answers.front().size()))
            run.OnAnswer(answers.front().data(), answers.front().size());
        else
            ADD_FAILURE() << "an answer of another request";
    }
}

} // namespace

TEST(ProfileFile, ReadsTodaysFormat)
{
    Profile p;
    QString problem;
    ASSERT_TRUE(ParseProfile(kTodaysFile, &p, &problem)) << problem.toStdString();
    EXPECT_EQ(p.sn, QStringLiteral("PYLSIM16S50A0001"));
    EXPECT_EQ(p.board, QStringLiteral("main"));
    EXPECT_EQ(p.softwareVersion, QStringLiteral("V2.1.3"));
    // The read-only wake-up source is kept in the file but never compared.
    EXPECT_EQ(p.entries.size(), 7u);
    EXPECT_EQ(p.Find(FindParamKey(QStringLiteral("wake_source"))), nullptr);
    EXPECT_EQ(ValuesOf(p, "balance_diff_mv"), (std::vector<std::int64_t>{20, 8}));
    EXPECT_EQ(ValuesOf(p, "discharge_ut_protect_c"), (std::vector<std::int64_t>{-20}));
    EXPECT_EQ(ValuesOf(p, "pack_ov_alarm_mv"), (std::vector<std::int64_t>{57600}));
    // Entries follow the key table: the wake-up page first.
    EXPECT_STREQ(p.entries.front().key->key, "temp_probe_count");
}

TEST(ProfileFile, RefusesDamagedAndForeignFiles)
{
    struct Case {
        QByteArray bytes;
        const char *problem;
    };
    const Case cases[] = {
        {"[1, 2]", "内容不是 JSON 对象"},
        {R"({"name": "a settings file of another program"})", "缺少格式版本 pylvexctl_profile"},
        {R"({"pylvexctl_profile": 2, "params": {}})", "不支持的参数文件格式版本 2"},
        {R"({"pylvexctl_profile": "1", "params": {}})", "不支持的参数文件格式版本 \"1\""},
        {R"({"pylvexctl_profile": 1})", "缺少 params"},
        {R"({"pylvexctl_profile": 1, "params": []})", "缺少 params"},
        {R"({"pylvexctl_profile": 1, "board": "third", "params": {}})", "board 应为 main 或 secondary"},
        {R"({"pylvexctl_profile": 1, "sn": 7, "params": {}})", "sn 应为文本"},
        {WithParams(R"({"idle_wait_s": [60]})"), "idle_wait_s：应为一个数值，不是列表"},
        {WithParams(R"({"balance_diff_mv": 20})"), "balance_diff_mv：应为 2 个数值的列表"},
        {WithParams(R"({"balance_diff_mv": [20, 8, 1]})"), "balance_diff_mv：列表应有 2 个数值，文件中有 3 个"},
        {WithParams(R"({"idle_wait_s": 1.5})"), "idle_wait_s 的值不是整数"},
        {WithParams(R"({"idle_wait_s": "60"})"), "idle_wait_s 的值不是整数"},
        {WithParams(R"({"no_such_key": 1})"), "未知参数：no_such_key"},
        {WithParams(R"({"clear_records": 1})"), "未知参数：clear_records"},
        {WithParams(R"({"charge_ot_alarm_c": 400})"), "参数的有效范围是 -327 至 327 之间的整数！（充电高温报警）"},
        {WithParams(R"({"cycle_thresholds_pct": [101, 20]})"), "参数的有效范围是 0 至 100 之间的整数！"},
    };
    for (const Case &c : cases) {
        Profile p;
        QString problem;
        EXPECT_FALSE(ParseProfile(c.bytes, &p, &problem)) << c.bytes.toStdString();
        EXPECT_TRUE(problem.contains(QString::fromUtf8(c.problem)))
            << c.bytes.toStdString() << " -> " << problem.toStdString();
    }
}

TEST(ProfileFile, SyntaxErrorsGiveLineAndColumnInWords)
{
    struct Case {
        QByteArray bytes;
        const char *where;
    };
    const Case cases[] = {
        {"{\n  \"pylvexctl_profile\": 1\n  \"params\": {}\n}", "第 3 行"},
        {"{\"a\": [1, 2}", "第 1 行"},
        {"{\n\"参数\": tru}", "第 2 行"},
        {"", "第 1 行第 1 列"},
        {"{\"a\": 1} x", "结尾之后还有多余的内容"},
        {"{\"a\": \"open", "字符串没有结束"},
    };
    for (const Case &c : cases) {
        Profile p;
        QString problem;
        EXPECT_FALSE(ParseProfile(c.bytes, &p, &problem));
        EXPECT_TRUE(problem.startsWith(QStringLiteral("JSON 语法错误，第 "))) << problem.toStdString();
        EXPECT_TRUE(problem.contains(QString::fromUtf8(c.where))) << problem.toStdString();
        // The parser's own English words never reach the user.
        EXPECT_FALSE(problem.contains(QStringLiteral("missing"), Qt::CaseInsensitive)) << problem.toStdString();
    }
    // The column counts characters, not bytes: "参数" takes six bytes and two columns.
    QJsonParseError e;
    e.error = QJsonParseError::MissingNameSeparator;
    e.offset = 9; // after {"参数"
    EXPECT_EQ(JsonSyntaxError("{\"参数\" 1}", e), QStringLiteral("第 1 行第 6 列：名称后缺少冒号"));
    e.offset = 10;
    EXPECT_EQ(JsonSyntaxError("{\n\"参数\" 1}", e), QStringLiteral("第 2 行第 5 列：名称后缺少冒号"));
}

TEST(ProfileFile, ReadErrorsNameTheFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    Profile p;
    QString error;
    const QString missing = dir.filePath(QStringLiteral("missing.json"));
    EXPECT_FALSE(ReadProfile(missing, &p, &error));
    EXPECT_TRUE(error.contains(missing));

    const QString big = dir.filePath(QStringLiteral("big.json"));
    QFile f(big);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(kProfileMaxBytes + 10, ' '));
    f.close();
    EXPECT_FALSE(ReadProfile(big, &p, &error));
    EXPECT_TRUE(error.startsWith(big) && error.contains(QStringLiteral("文件过大"))) << error.toStdString();

    const QString broken = dir.filePath(QStringLiteral("broken.json"));
    QFile g(broken);
    ASSERT_TRUE(g.open(QIODevice::WriteOnly));
    g.write("{\"pylvexctl_profile\": 1,\n \"params\": {,}}");
    g.close();
    EXPECT_FALSE(ReadProfile(broken, &p, &error));
    EXPECT_TRUE(error.startsWith(broken + QStringLiteral("：JSON 语法错误，第 2 行"))) << error.toStdString();
}

TEST(ProfileFile, NoticesOfAProfileThatDoesNotFit)
{
    Profile p;
    QString problem;
    ASSERT_TRUE(ParseProfile(kTodaysFile, &p, &problem));
    EXPECT_TRUE(ProfileNotices(p, false, QStringLiteral("PYLSIM16S50A0001")).isEmpty());
    EXPECT_TRUE(ProfileNotices(p, false, std::nullopt).isEmpty());
    const QStringList other = ProfileNotices(p, true, QStringLiteral("PYLSIM16S50A0002"));
    ASSERT_EQ(other.size(), 2);
    EXPECT_EQ(other[0], QStringLiteral("参数文件保存自主板，现在选择的是从板"));
    EXPECT_TRUE(other[1].contains(QStringLiteral("PYLSIM16S50A0001")) &&
                other[1].contains(QStringLiteral("PYLSIM16S50A0002")));
}

TEST(ProfileRun, SavesWhatTheBoardHoldsAndReadsItBack)
{
    SimBoard board({}, FixedClock);
    ParamExchange run;
    run.AddIdentity();
    for (const ParamKey &key : ParamKeys())
        if (KeyReadable(key))
            run.AddRead(key);
    EXPECT_EQ(run.PlannedRequests(), 50);
    Drive(&board, run);
    for (const ParamStep &s : run.Steps())
        EXPECT_EQ(s.outcome, ParamOutcome::Read) << s.key->key;
    ASSERT_TRUE(run.Identity().sn.has_value());
    EXPECT_EQ(*run.Identity().sn, QStringLiteral("PYLSIM16S50A0001"));
    EXPECT_TRUE(run.Identity().software.has_value());
    EXPECT_TRUE(MissingIdentityText(run.Identity()).isEmpty());

    const QDateTime at(QDate(2024, 5, 1), QTime(10, 0), QTimeZone(8 * 3600));
    Profile p;
    QString problem;
    ASSERT_TRUE(ParseProfile(ProfileDocument(run.Steps(), run.Identity(), true, at), &p, &problem))
        << problem.toStdString();
    EXPECT_EQ(p.board, QStringLiteral("secondary"));
    EXPECT_EQ(p.savedAt, QStringLiteral("2024-05-01T10:00:00+08:00"));
    EXPECT_EQ(p.entries.size(), 47u); // 48 read, the wake-up source not compared
    EXPECT_EQ(ValuesOf(p, "discharge_ut_protect_c"), (std::vector<std::int64_t>{-20}));
    EXPECT_EQ(ValuesOf(p, "current_thresholds_ma"), (std::vector<std::int64_t>{300, 200, 300, 200}));
}

TEST(ProfileRun, WritesAreReadBackAndJudged)
{
    SimBoard board({}, FixedClock);
    // A board that answers the pack over-voltage alarm's write well but keeps its old value.
    const PageParamRow &alarm = RowOf(*FindParamKey(QStringLiteral("pack_ov_alarm_mv")));
    board.AddCommand(
        {0x02, static_cast<std::uint8_t>(alarm.writeCode), false, [](SimContext &, std::span<const std::uint8_t>) {
             return SimBytes{0x00, 0, 0, 0xE1, 0x00};
         }});
    ParamExchange run;
    run.AddWrite(*FindParamKey(QStringLiteral("cell_ov_alarm_mv")), {3555});
    run.AddWrite(*FindParamKey(QStringLiteral("temp_probe_count")), {9}); // the board takes 2 to 8
    run.AddWrite(*FindParamKey(QStringLiteral("pack_ov_alarm_mv")), {57000});
    run.AddWrite(*FindParamKey(QStringLiteral("balance_diff_mv")), {25, 9});
    EXPECT_EQ(run.PlannedRequests(), 8);
    Drive(&board, run);
    const std::vector<ParamStep> &s = run.Steps();
    EXPECT_EQ(s[0].outcome, ParamOutcome::Confirmed);
    EXPECT_EQ(s[0].values, (std::vector<std::int64_t>{3555}));
    EXPECT_EQ(s[1].outcome, ParamOutcome::Refused);
    EXPECT_EQ(s[1].resultCode, 0x03);
    EXPECT_EQ(s[1].error, QStringLiteral("ErrorCode: 0x03"));
    EXPECT_EQ(s[2].outcome, ParamOutcome::Different);
    EXPECT_EQ(s[2].values, (std::vector<std::int64_t>{57600}));
    EXPECT_TRUE(StepOutcomeText(s[2]).contains(QStringLiteral("57600")));
    EXPECT_EQ(s[3].outcome, ParamOutcome::Confirmed);
}

TEST(ProfileRun, ASilentBoardLeavesNothingShownAsAnswered)
{
    ParamExchange run;
    run.AddIdentity();
    run.AddRead(*FindParamKey(QStringLiteral("idle_wait_s")));
    Drive(nullptr, run);
    EXPECT_EQ(run.Steps()[0].outcome, ParamOutcome::NoAnswer);
    EXPECT_FALSE(run.Steps()[0].Ok());
    EXPECT_EQ(MissingIdentityText(run.Identity()),
              QStringLiteral("板卡没有给出SN 码（无应答）、版本（无应答），参数文件中不记录"));
}

TEST(ProfileRun, SaysWhichPartOfTheIdentityIsMissingAndWhy)
{
    SimBoard board({}, FixedClock);
    // A board that refuses the SN request and answers the versions.
    board.AddCommand({0x03, 0x01, false, [](SimContext &, std::span<const std::uint8_t>) { return SimBytes{0x05}; }});
    ParamExchange run;
    run.AddIdentity();
    Drive(&board, run);
    EXPECT_FALSE(run.Identity().sn.has_value());
    EXPECT_TRUE(run.Identity().software.has_value());
    const QString text = MissingIdentityText(run.Identity());
    EXPECT_TRUE(text.startsWith(QStringLiteral("板卡没有给出SN 码（"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("0x05"))) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("版本"))) << text.toStdString();
    // The file then records the versions and no SN.
    Profile p;
    QString problem;
    ASSERT_TRUE(
        ParseProfile(ProfileDocument(run.Steps(), run.Identity(), false, QDateTime::currentDateTime()), &p, &problem));
    EXPECT_TRUE(p.sn.isEmpty());
    EXPECT_FALSE(p.softwareVersion.isEmpty());
}
