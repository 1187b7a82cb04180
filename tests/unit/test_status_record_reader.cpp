// Reading back the daily status recording: the writer's own files (header,
// GBK texts, a day across midnight, a row cut short) and refusing other files.
#include "files/logfiles.h"
#include "files/statusrecord.h"
#include "files/statusrecordreader.h"
#include "log_folder_test.h"

#include <QFile>
#include <QStringEncoder>
#include <gtest/gtest.h>

namespace {
StatusRecord Record(int i)
{
    StatusRecord r;
    r.fields[kRecSoc] = QString::number(80 + i);
    r.fields[kRecVoltage] = QString::number(52500 + i);
    r.fields[kRecCurrent] = QString::number(-10 * i);
    r.fields[kRecProtection] = "无";
    r.fields[kRecAlarm] = "单节过充报警";
    r.fields[kRecSystemState] = "放电";
    r.fields[kRecHighCell] = QString::number(3310 + i);
    r.fields[kRecHighCellNo] = "2";
    r.fields[kRecLowCell] = "3290";
    r.fields[kRecLowCellNo] = "3";
    r.fields[kRecCellDiff] = QString::number(20 + i);
    r.fields[kRecHighTemp] = "25.0";
    r.fields[kRecHighTempProbe] = "温度1";
    r.fields[kRecLowTemp] = "-4.5";
    r.fields[kRecLowTempProbe] = "温度3";
    r.fields[kRecProbeCount] = "3";
    r.fields[kRecCellCount] = "3";
    r.fields[kRecTempDiff] = "29.5";
    r.temps = {"25.0", "24.5", "-4.5"};
    r.cells = {"3300", QString::number(3310 + i), "3290"};
    return r;
}

QByteArray ReadAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

double Ms(const QDate &d, const QTime &t)
{
    return static_cast<double>(QDateTime(d, t).toMSecsSinceEpoch());
}

class RecordReader : public LogFolderTest {
protected:
    const QDate m_day{2025, 3, 14};
};
} // namespace

TEST_F(RecordReader, ReadsTheWritersRowsBack)
{
    for (int i = 0; i < 3; ++i) {
        StatusRecord r = Record(i);
        ASSERT_EQ(WriteStatusRecord(r, QDateTime(m_day, QTime(8, 0, i * 10))).outcome, RecordWriteResult::Written);
    }
    const QString path = StatusRecordPath(m_day);
    EXPECT_EQ(StatusRecordDay(path), m_day);
    StatusRecordRead read = ReadStatusRecordFile(path);
    ASSERT_TRUE(read.ok) << read.error.toStdString();
    EXPECT_EQ(read.probes, 3);
    EXPECT_EQ(read.cells, 3);
    EXPECT_EQ(read.skippedRows, 0);
    EXPECT_FALSE(read.truncatedLastLine);
    ASSERT_EQ(read.samples.size(), 3u);
    const PackSample &s = read.samples[2];
    EXPECT_EQ(s.t, Ms(m_day, QTime(8, 0, 20)));
    EXPECT_EQ(s.soc, 82.0);
    EXPECT_EQ(s.voltage, 52.502);
    EXPECT_EQ(s.current, -0.02);
    EXPECT_EQ(s.highCell, 3312.0);
    EXPECT_EQ(s.lowCell, 3290.0);
    EXPECT_EQ(s.cellDiff, 22.0);
    EXPECT_EQ(s.temps, (std::vector<double>{25.0, 24.5, -4.5}));
}

TEST_F(RecordReader, RowsAcrossMidnightFollowOnTheNextDay)
{
    // The writer starts a new file at midnight; read one after the other the
    // times run on. A file that was appended across midnight reads on too.
    const QDate next = m_day.addDays(1);
    const QString joined = m_dir.filePath("joined.csv");
    const QTime times[] = {QTime(23, 59, 58), QTime(23, 59, 59), QTime(0, 0, 0), QTime(0, 0, 1)};
    for (int i = 0; i < 4; ++i) {
        const QDateTime at(i < 2 ? m_day : next, times[i]);
        StatusRecord r = Record(i);
        ASSERT_EQ(WriteStatusRecord(r, at).outcome, RecordWriteResult::Written);
        ASSERT_EQ(AppendStatusRecord(r, joined, at).outcome, RecordWriteResult::Written);
    }
    StatusRecordRead a = ReadStatusRecordFile(StatusRecordPath(m_day));
    StatusRecordRead b = ReadStatusRecordFile(StatusRecordPath(next));
    ASSERT_TRUE(a.ok && b.ok);
    ASSERT_EQ(a.samples.size(), 2u);
    ASSERT_EQ(b.samples.size(), 2u);
    EXPECT_EQ(b.samples[0].t - a.samples[1].t, 1000.0);

    StatusRecordRead c = ReadStatusRecord(ReadAll(joined), m_day);
    ASSERT_TRUE(c.ok);
    ASSERT_EQ(c.samples.size(), 4u);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(c.samples[static_cast<std::size_t>(i)].t, Ms(i < 2 ? m_day : next, times[i])) << i;
}

TEST_F(RecordReader, ARowCutShortAtTheEndIsLeftOut)
{
    for (int i = 0; i < 2; ++i) {
        StatusRecord r = Record(i);
        WriteStatusRecord(r, QDateTime(m_day, QTime(9, 0, i)));
    }
    QByteArray bytes = ReadAll(StatusRecordPath(m_day));
    // Cut at every byte of the last row: the first row always stays, the last never half.
    const qsizetype lastRow = bytes.lastIndexOf("\r\n", bytes.size() - 3) + 2;
    for (qsizetype cut = lastRow + 1; cut < bytes.size(); ++cut) {
        StatusRecordRead read = ReadStatusRecord(bytes.left(cut), m_day);
        ASSERT_TRUE(read.ok) << cut;
        EXPECT_EQ(read.samples.size(), 1u) << cut;
        EXPECT_EQ(read.truncatedLastLine || read.skippedRows == 1, true) << cut;
    }
    EXPECT_EQ(ReadStatusRecord(bytes, m_day).samples.size(), 2u);
}

TEST_F(RecordReader, RowsOfAnotherLengthAreSkipped)
{
    StatusRecord r = Record(0);
    WriteStatusRecord(r, QDateTime(m_day, QTime(9, 0, 0)));
    r.cells.append("3333"); // a fourth cell under a header of three
    WriteStatusRecord(r, QDateTime(m_day, QTime(9, 0, 1)));
    StatusRecordRead read = ReadStatusRecordFile(StatusRecordPath(m_day));
    ASSERT_TRUE(read.ok);
    EXPECT_EQ(read.samples.size(), 1u);
    EXPECT_EQ(read.skippedRows, 1);
}

struct ForeignCase {
    const char *name;
    QByteArray bytes;
};

class ForeignFile : public ::testing::TestWithParam<ForeignCase> {};

TEST_P(ForeignFile, IsRefusedWithAMessage)
{
    StatusRecordRead read = ReadStatusRecord(GetParam().bytes, QDate(2025, 1, 1));
    EXPECT_FALSE(read.ok);
    EXPECT_FALSE(read.error.isEmpty());
    EXPECT_TRUE(read.samples.empty());
}

QByteArray Gbk(const QString &text)
{
    QStringEncoder gbk("GBK");
    return gbk.encode(text);
}

QByteArray WriterHeader()
{
    StatusRecord r = Record(0);
    return Gbk(StatusRecordHeader(r));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ForeignFile,
    ::testing::Values(ForeignCase{"empty", QByteArray()},
                      ForeignCase{"utf8_header", StatusRecordHeader(Record(0)).toUtf8()},
                      ForeignCase{"other_csv", Gbk("时间,电压,电流\r\n08:00:00,52,1\r\n")},
                      ForeignCase{"missing_trailing_comma", WriterHeader().chopped(3) + "\r\n"},
                      ForeignCase{"tail_cut", Gbk("时间,SOC,总电压,总电流,保护状态,温度1,节1,最高电压,\r\n")},
                      ForeignCase{"binary", QByteArray("\x00\x01\x02\xff\xfe", 5)},
                      ForeignCase{"cells_out_of_order", Gbk(StatusRecordHeader(Record(0)).replace("节2", "节9"))}),
    [](const ::testing::TestParamInfo<ForeignCase> &p) { return std::string(p.param.name); });

TEST_F(RecordReader, LoadingStraightIntoTheStoreGivesTheSameSeriesAsAddingTheRows)
{
    // Rows every 10 s with a silence of two minutes: the same points, values
    // and gaps either way; a refused file adds no set.
    for (int i = 0; i < 12; ++i) {
        StatusRecord r = Record(i);
        const QTime at = QTime(8, 0, 0).addSecs(i * 10 + (i >= 6 ? 120 : 0));
        ASSERT_EQ(WriteStatusRecord(r, QDateTime(m_day, at)).outcome, RecordWriteResult::Written);
    }
    const QString path = StatusRecordPath(m_day);
    PackSeriesStore added, loaded;
    AddRecordedRows(added, ReadStatusRecordFile(path), "day");
    const StatusRecordRead read = LoadStatusRecordFile(path, loaded, "day");
    ASSERT_TRUE(read.ok) << read.error.toStdString();
    EXPECT_TRUE(read.samples.empty());
    ASSERT_EQ(loaded.Sets().size(), 1u);
    const PackSeriesSet &a = added.Sets()[0];
    const PackSeriesSet &b = loaded.Sets()[0];
    EXPECT_EQ(b.label, "day");
    EXPECT_EQ(b.lastT, a.lastT);
    ASSERT_EQ(b.series.size(), a.series.size());
    for (std::size_t k = 0; k < a.series.size(); ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(b.series[k].SegmentStarts(), a.series[k].SegmentStarts());
        EXPECT_EQ(b.series[k].SegmentCount(), 2u);
        ASSERT_EQ(b.series[k].Size(), 12u);
        for (std::size_t i = 0; i < 12; ++i) {
            EXPECT_EQ(b.series[k].T(i), a.series[k].T(i));
            EXPECT_EQ(b.series[k].V(i), a.series[k].V(i));
        }
    }
    EXPECT_EQ(b.series[kSeriesVoltage].V(11), 52.511);
    EXPECT_EQ(b.series[kSeriesFirstTemp + 2].V(0), -4.5);

    const QString other = m_dir.filePath("other.csv");
    QFile f(other);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("a,b,c\r\n1,2,3\r\n");
    f.close();
    EXPECT_FALSE(LoadStatusRecordFile(other, loaded, "other").ok);
    EXPECT_EQ(loaded.Sets().size(), 1u);
}
