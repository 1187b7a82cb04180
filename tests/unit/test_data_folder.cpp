// Where the files of the tool go (the Log folder of the user's data folder),
// the reasons shown for a file that cannot be written, and the recording's
// backlog: rows that could not be written are kept and written later, in order.
#include "files/fileerror.h"
#include "files/logfiles.h"
#include "files/statusrecord.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>

namespace {

StatusRecord SampleRecord()
{
    StatusRecord r;
    r.fields[kRecSoc] = "77";
    r.fields[kRecVoltage] = "52500";
    r.fields[kRecCurrent] = "0";
    r.fields[kRecProtection] = "无";
    r.temps = {"25.0", "24.5"};
    r.cells = {"3300", "3310", "3290"};
    return r;
}

QStringList Lines(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString(QStringDecoder("GBK").decode(f.readAll())).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
}

// The program's names and a temporary XDG_DATA_HOME for the length of a test.
class DataFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_home.isValid());
        m_oldData = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", m_home.path().toLocal8Bit());
        QCoreApplication::setOrganizationName(QStringLiteral("Oramek"));
        QCoreApplication::setApplicationName(QStringLiteral("Pylvex"));
        SetLogBaseFolder(QString()); // the data folder, looked up afresh
    }
    void TearDown() override
    {
        QCoreApplication::setOrganizationName(QString());
        QCoreApplication::setApplicationName(QString());
        qputenv("XDG_DATA_HOME", m_oldData);
        SetLogBaseFolder(QString());
    }
    QString Expected() const { return m_home.path() + QStringLiteral("/Oramek/Pylvex/Log"); }

    QTemporaryDir m_home;
    QByteArray m_oldData;
};

} // namespace

TEST_F(DataFolder, LogFolderIsInTheUsersDataFolderAndMadeWhenMissing)
{
    EXPECT_EQ(LogFolder(), Expected());
    EXPECT_FALSE(QFileInfo::exists(Expected()));
    const QString path = LogFilePath(QStringLiteral("Log_info"), QStringLiteral("txt"));
    EXPECT_TRUE(QFileInfo(Expected()).isDir());
    EXPECT_EQ(QFileInfo(path).absolutePath(), Expected());
    EXPECT_TRUE(path.startsWith(Expected() + QStringLiteral("/Log_info_")));
    LogInfoText(QStringLiteral("一行"));
    EXPECT_EQ(Lines(path).join(QString()), QStringLiteral("一行\n"));
    EXPECT_EQ(QFileInfo(StatusRecordPath(QDate(2024, 5, 1))).absoluteFilePath(),
              Expected() + QStringLiteral("/Record_2024-05-01.csv"));
}

TEST_F(DataFolder, MakeLogFolderCreatesTheWholePath)
{
    ASSERT_FALSE(QFileInfo::exists(m_home.path() + QStringLiteral("/Oramek")));
    EXPECT_TRUE(MakeLogFolder());
    EXPECT_TRUE(QFileInfo(Expected()).isDir());
}

TEST(FileErrorReason, NamesTheCommonCausesInChinese)
{
    struct Case {
        int error;
        const char *text;
    };
    const Case cases[] = {
        {EACCES, "没有写入权限"},  {EROFS, "所在的文件系统是只读的"},   {ENOSPC, "磁盘已满"},
        {ENOENT, "文件夹不存在"},  {ENOTDIR, "路径中有一段不是文件夹"}, {EISDIR, "同名的文件夹占用了这个文件名"},
        {0, "无法打开或写入文件"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(FileErrorReason(c.error), QString::fromUtf8(c.text)) << c.error;
    // Numbers without a reason of their own keep the system's text with the number.
    EXPECT_TRUE(FileErrorReason(EPROTO).startsWith(QStringLiteral("系统错误 %1：").arg(EPROTO)));
}

// The Log folder is made unusable by putting a file in its place; the rows of
// the periods meanwhile are kept and come out, in order, once it is back.
TEST(StatusRecorder, RowsThatCannotBeWrittenAreKeptAndWrittenLater)
{
    QTemporaryDir base;
    ASSERT_TRUE(base.isValid());
    SetLogBaseFolder(base.path());
    const QDate day(2024, 5, 1);
    const QString folder = base.path() + QStringLiteral("/Log");
    const QString csv = StatusRecordPath(day);
    StatusRecorder recorder;
    StatusRecord r = SampleRecord();

    RecordWriteResult w = recorder.Write(r, QDateTime(day, QTime(10, 0, 0)));
    ASSERT_EQ(w.outcome, RecordWriteResult::Written);
    ASSERT_EQ(Lines(csv).size(), 2);

    ASSERT_TRUE(QDir(folder).removeRecursively());
    {
        QFile blocker(folder);
        ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    }
    for (int i = 1; i <= 3; ++i) {
        w = recorder.Write(r, QDateTime(day, QTime(10, 0, 10 * i)));
        EXPECT_EQ(w.outcome, RecordWriteResult::Failed);
        EXPECT_EQ(w.pending, i);
        EXPECT_EQ(w.path, QFileInfo(csv).absoluteFilePath());
        EXPECT_EQ(w.reason, FileErrorReason(ENOTDIR));
    }
    EXPECT_EQ(recorder.Pending(), 3);

    ASSERT_TRUE(QFile::remove(folder));
    ASSERT_TRUE(QDir().mkpath(folder));
    w = recorder.Write(r, QDateTime(day, QTime(10, 0, 40)));
    EXPECT_EQ(w.outcome, RecordWriteResult::Written);
    EXPECT_EQ(w.flushed, 3);
    EXPECT_EQ(w.pending, 0);
    EXPECT_TRUE(w.headerWritten); // the folder came back empty: a new file with its header
    const QStringList lines = Lines(csv);
    ASSERT_EQ(lines.size(), 5);
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("时间,")));
    const char *times[] = {"10:00:10,", "10:00:20,", "10:00:30,", "10:00:40,"};
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(lines[i + 1].startsWith(QString::fromLatin1(times[i]))) << lines[i + 1].toStdString();
    EXPECT_EQ(recorder.Pending(), 0);
    SetLogBaseFolder(QString());
}

TEST(StatusRecorder, BacklogIsBoundedAndCountsWhatItGivesUp)
{
    QTemporaryDir base;
    ASSERT_TRUE(base.isValid());
    SetLogBaseFolder(base.path());
    const QDate day(2024, 5, 2);
    const QString csv = StatusRecordPath(day);
    ASSERT_TRUE(QDir().mkpath(csv)); // a folder where the file should be
    StatusRecorder recorder;
    StatusRecord r = SampleRecord();
    QDateTime t(day, QTime(0, 0, 0));
    RecordWriteResult w;
    int dropped = 0;
    for (int i = 0; i < StatusRecorder::kMaxPending + 5; ++i) {
        w = recorder.Write(r, t.addSecs(i));
        dropped += w.dropped;
    }
    EXPECT_EQ(recorder.Pending(), StatusRecorder::kMaxPending);
    EXPECT_EQ(dropped, 5);
    ASSERT_TRUE(QDir(csv).removeRecursively());
    // The new row makes room for itself too: one more is given up.
    w = recorder.Write(r, t.addSecs(StatusRecorder::kMaxPending + 5));
    EXPECT_EQ(w.outcome, RecordWriteResult::Written);
    EXPECT_EQ(w.dropped, 1);
    const QStringList lines = Lines(csv);
    ASSERT_EQ(lines.size(), 1 + StatusRecorder::kMaxPending);
    // The oldest six were given up: the first row is the seventh period's, the last the newest.
    EXPECT_TRUE(lines[1].startsWith(t.addSecs(6).time().toString(QStringLiteral("HH:mm:ss"))));
    EXPECT_TRUE(lines.last().startsWith(
        t.addSecs(StatusRecorder::kMaxPending + 5).time().toString(QStringLiteral("HH:mm:ss"))));
    SetLogBaseFolder(QString());
}
