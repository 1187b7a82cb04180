// The daily status recording file: header and row layout, GBK with CR LF,
// header once per file, a new file after midnight, and a file that cannot be
// opened costing no row already written.
#include "files/logfiles.h"
#include "files/statusrecord.h"
#include "log_folder_test.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
StatusRecord SampleRecord()
{
    StatusRecord r;
    r.fields[kRecSoc] = "87";
    r.fields[kRecVoltage] = "52500";
    r.fields[kRecCurrent] = "-10";
    r.fields[kRecProtection] = "无";
    r.fields[kRecAlarm] = "单节过充报警";
    r.fields[kRecSystemState] = "放电";
    for (int f = kRecHighCell; f <= kRecTempDiff; ++f)
        if (r.fields[f].isEmpty())
            r.fields[f] = QString::number(f);
    r.temps = {"25.0", "24.5"};
    r.cells = {"3300", "3310", "3290"};
    return r;
}

QString ReadGbk(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    QStringDecoder gbk("GBK");
    return gbk.decode(f.readAll());
}

class RecordFile : public LogFolderTest {
protected:
    QString PathOf(const QDate &d) { return StatusRecordPath(d); }

    const QDate m_day{2025, 3, 14};
};
} // namespace

TEST_F(RecordFile, HeaderAndFirstRowWithTwoProbesAndThreeCells)
{
    StatusRecord r = SampleRecord();
    RecordWriteResult w = WriteStatusRecord(r, QDateTime(m_day, QTime(8, 5, 9)));
    ASSERT_EQ(w.outcome, RecordWriteResult::Written);
    EXPECT_TRUE(w.headerWritten);
    EXPECT_EQ(QFileInfo(PathOf(m_day)).fileName(), "Record_2025-03-14.csv");
    EXPECT_EQ(QFileInfo(PathOf(m_day)).dir().dirName(), "Log");

    QStringList lines = ReadGbk(PathOf(m_day)).split("\r\n");
    ASSERT_EQ(lines.size(), 3); // header, row, the empty rest after the last CR LF
    EXPECT_EQ(lines[2], "");
    EXPECT_EQ(lines[0], "时间,SOC,总电压,总电流,保护状态,温度1,温度2,节1,节2,节3,最高电压,最高电压序号,最低电压,"
                        "最低电压序号,最大压差,最高温度,最高温度序号,最低温度,最低温度序号,报警状态,系统状态,"
                        "温度探头数量,单体电池数量,温度差,");
    QStringList fields = lines[1].split(',');
    ASSERT_EQ(fields.size(), 5 + 2 + 3 + 14 + 2);
    EXPECT_EQ(fields.mid(0, 10),
              QStringList({"08:05:09", "87", "52500", "-10", "无", "25.0", "24.5", "3300", "3310", "3290"}));
    EXPECT_EQ(fields[10 + kRecAlarm - kRecHighCell], "单节过充报警");
    EXPECT_EQ(fields[10 + kRecSystemState - kRecHighCell], "放电");
    EXPECT_EQ(fields[24], "");
    EXPECT_EQ(fields[25], "");
    EXPECT_EQ(lines[0].split(',').size(), 25);

    // Raw bytes: GBK, not UTF-8 ("时" is D3 C3 in GBK).
    QFile f(PathOf(m_day));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QByteArray raw = f.readAll();
    EXPECT_TRUE(raw.startsWith(QByteArray("\xCA\xB1\xBC\xE4,SOC")));
}

TEST_F(RecordFile, HeaderOnceAndRowsAsTheyAre)
{
    StatusRecord r = SampleRecord();
    WriteStatusRecord(r, QDateTime(m_day, QTime(9, 0, 0)));
    r.cells.append("3333"); // a fourth cell later: written as it is, no new header
    RecordWriteResult w = WriteStatusRecord(r, QDateTime(m_day, QTime(9, 0, 10)));
    EXPECT_FALSE(w.headerWritten);
    QStringList lines = ReadGbk(PathOf(m_day)).split("\r\n");
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines.filter("时间,").size(), 1);
    EXPECT_EQ(lines[2].split(',').size(), 27);
    EXPECT_TRUE(lines[2].startsWith("09:00:10,"));
}

TEST_F(RecordFile, IncompleteRecordWritesNothing)
{
    StatusRecord empty;
    StatusRecord noCells = SampleRecord();
    noCells.cells.clear();
    StatusRecord noTemps = SampleRecord();
    noTemps.temps.clear();
    StatusRecord noSoc = SampleRecord();
    noSoc.fields[kRecSoc].clear();
    for (StatusRecord *r : {&empty, &noCells, &noTemps, &noSoc})
        EXPECT_EQ(WriteStatusRecord(*r, QDateTime(m_day, QTime(1, 0))).outcome, RecordWriteResult::Skipped);
    EXPECT_FALSE(QFile::exists(PathOf(m_day)));
}

TEST_F(RecordFile, MidnightStartsANewFileWithItsOwnHeader)
{
    StatusRecord r = SampleRecord();
    WriteStatusRecord(r, QDateTime(m_day, QTime(23, 59, 58)));
    RecordWriteResult w = WriteStatusRecord(r, QDateTime(m_day.addDays(1), QTime(0, 0, 8)));
    EXPECT_TRUE(w.headerWritten);
    QStringList before = ReadGbk(PathOf(m_day)).split("\r\n");
    QStringList after = ReadGbk(PathOf(m_day.addDays(1))).split("\r\n");
    ASSERT_EQ(before.size(), 3);
    ASSERT_EQ(after.size(), 3);
    EXPECT_TRUE(before[1].startsWith("23:59:58,"));
    EXPECT_TRUE(after[0].startsWith("时间,"));
    EXPECT_TRUE(after[1].startsWith("00:00:08,"));
}

TEST_F(RecordFile, UnopenableFileFailsAndTheNextPeriodTriesAgain)
{
    StatusRecord r = SampleRecord();
    WriteStatusRecord(r, QDateTime(m_day, QTime(10, 0, 0)));
    QString blocked = PathOf(m_day.addDays(1));
    ASSERT_TRUE(QDir().mkpath(blocked)); // a folder where the file should be
    RecordWriteResult w = WriteStatusRecord(r, QDateTime(m_day.addDays(1), QTime(0, 0, 1)));
    EXPECT_EQ(w.outcome, RecordWriteResult::Failed);
    EXPECT_FALSE(w.error.isEmpty());
    EXPECT_LE(w.error.size(), 255);
    ASSERT_TRUE(QDir(blocked).removeRecursively());
    w = WriteStatusRecord(r, QDateTime(m_day.addDays(1), QTime(0, 0, 11)));
    EXPECT_EQ(w.outcome, RecordWriteResult::Written);
    EXPECT_TRUE(w.headerWritten);
    // The earlier day's rows are all still there.
    EXPECT_EQ(ReadGbk(PathOf(m_day)).split("\r\n").size(), 3);
}

// The record filled from decoded answers, as the live status page fills it,
// written into a file of the caller's choice.
TEST(StatusRecordItems, FilledFromAnswersAndAppendedToAChosenFile)
{
    const std::pair<std::uint8_t, std::vector<std::uint8_t>> answers[] = {
        {0x19, {77, 98}},
        {0x06, {0x14, 0x82, 0, 0, 0, 0, 0x00, 0xFA, 0x00, 0xF5}},
        {0x05, {0x0C, 0xE4, 0x0C, 0xEE, 0x0C, 0xDA}},
        {0x09, {0, 0, 0}},
    };
    LiveStatus status;
    StatusRecord r;
    for (const auto &[code, payload] : answers) {
        ApplyStatusItem(status, code, payload, static_cast<int>(payload.size()) + 1, false);
        RecordStatusItem(r, code, status);
    }
    ASSERT_TRUE(r.Complete());
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("watch.csv"));
    const QDateTime now(QDate(2025, 6, 1), QTime(12, 0, 0));
    ASSERT_EQ(AppendStatusRecord(r, path, now).outcome, RecordWriteResult::Written);
    RecordWriteResult second = AppendStatusRecord(r, path, now.addSecs(1));
    ASSERT_EQ(second.outcome, RecordWriteResult::Written);
    EXPECT_FALSE(second.headerWritten);
    QStringList lines = ReadGbk(path).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(
        lines[0].startsWith(QStringLiteral("时间,SOC,总电压,总电流,保护状态,温度1,温度2,节1,节2,节3,最高电压")));
    EXPECT_EQ(lines[1].split(','),
              QStringList({"12:00:00", "77",   "52500", "0",    "无", "25.0", "24.5", "3300",  "3310",
                           "3290",     "3310", "2",     "3290", "3",  "20",   "25.0", "温度1", "24.5",
                           "温度2",    "",     "待机",  "",     "3",  "0.5",  "",     ""}));
    EXPECT_TRUE(lines[2].startsWith(QStringLiteral("12:00:01,")));
}
