#include "files/logfiles.h"
#include "log_folder_test.h"
#include "protocol/dassert.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {
QByteArray ReadAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

std::uint32_t g_now = 0;
std::uint32_t FakeClock()
{
    return g_now;
}

class LogFilesTest : public LogFolderTest {
protected:
    QString Today(const char *kind) const
    {
        return m_dir.filePath(
            QStringLiteral("Log/%1_%2.txt")
                .arg(QLatin1String(kind), QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"))));
    }
};
} // namespace

TEST_F(LogFilesTest, RxBurstIsOneLine)
{
    LogRxBuffer rx;
    rx.SetClock(FakeClock);
    g_now = 1000;
    EXPECT_EQ(rx.MsUntilDue(), -1);
    for (std::uint8_t b = 0; b < 10; ++b)
        rx.LogRxByte(b);
    EXPECT_FALSE(QFile::exists(Today("Log_RX"))); // the burst may go on
    g_now = 1150;
    EXPECT_EQ(rx.MsUntilDue(), 50);
    rx.FlushIfDue();
    EXPECT_FALSE(QFile::exists(Today("Log_RX")));
    // Its 200 ms over, the line is written without waiting for another byte.
    g_now = 1200;
    EXPECT_EQ(rx.MsUntilDue(), 0);
    rx.FlushIfDue();
    EXPECT_EQ(ReadAll(Today("Log_RX")), QByteArray("\n00 01 02 03 04 05 06 07 08 09 "));
    EXPECT_EQ(rx.MsUntilDue(), -1);
    // A byte after the deadline of a line still pending opens the next line;
    // it never ends the line before.
    g_now = 5000;
    rx.LogRxByte(0xAA);
    g_now = 5300;
    rx.LogRxByte(0xBB);
    EXPECT_EQ(ReadAll(Today("Log_RX")), QByteArray("\n00 01 02 03 04 05 06 07 08 09 \naa "));
    // 32 bytes inside the deadline are written at once.
    for (int i = 0; i < 31; ++i)
        rx.LogRxByte(0x11);
    QList<QByteArray> lines = ReadAll(Today("Log_RX")).split('\n');
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[3], "bb " + QByteArray("11 ").repeated(31));
    // The tail of the last burst is written when asked (the port closes).
    rx.LogRxByte(0x22);
    rx.Flush();
    EXPECT_TRUE(ReadAll(Today("Log_RX")).endsWith("\n22 "));
    rx.Flush(); // nothing pending: nothing written
    EXPECT_TRUE(ReadAll(Today("Log_RX")).endsWith("\n22 "));
}

TEST_F(LogFilesTest, MissTailAndInfoLinesAreGbk)
{
    const std::uint8_t frame[] = {0x4D, 0x53, 0x83, 0x81, 0x01, 0x00, 0x00, 0x00, 0x0D, 0x0B};
    LogMissTail(frame, sizeof frame);
    EXPECT_EQ(ReadAll(Today("Log")), QByteArray("PDU Miss Tail Flag: 4d 53 83 81 01 00 00 00 0d 0b \n"));
    LogInfo("捕获未被处理的异常：%s", "x");
    // 捕 in GBK is B2 B6.
    QByteArray info = ReadAll(Today("Log_info"));
    ASSERT_GE(info.size(), 2);
    EXPECT_EQ(static_cast<unsigned char>(info[0]), 0xB2);
    EXPECT_EQ(static_cast<unsigned char>(info[1]), 0xB6);
    EXPECT_TRUE(info.endsWith("x\n"));
}

TEST_F(LogFilesTest, FolderFallsBackToCurrentFolder)
{
    // A plain file where the Log folder should be: the folder cannot be created.
    QFile blocker(m_dir.filePath(QStringLiteral("Log")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    SetLogBaseFolder(m_dir.path());
    QString path = LogFilePath(QStringLiteral("Log_info"), QStringLiteral("txt"));
    EXPECT_EQ(path, QStringLiteral("Log_info_%1.txt").arg(QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"))));
    // Once the folder can be made it is used.
    ASSERT_TRUE(QFile::remove(m_dir.filePath(QStringLiteral("Log"))));
    EXPECT_EQ(LogFilePath(QStringLiteral("Log_info"), QStringLiteral("txt")), Today("Log_info"));
}

TEST(DAssert, LineFormat)
{
    EXPECT_EQ(AssertLine("C:\\src\\Pylvex\\SerialCom.cpp", 612, "tmpRet == 1"),
              "Assert: [SerialCom.cpp, 612], d_assert(tmpRet == 1)");
    EXPECT_EQ(AssertLine("/x/y/framer.cpp", 7, "bAdd"), "Assert: [framer.cpp, 7], d_assert(bAdd)");

    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("d_error.txt"));
    SetErrorFilePath(path.toStdString());
    const int line = __LINE__ + 1;
    d_assert(1 == 2);
    WriteErrorFile("export failed %d", 3);
    SetErrorFilePath("d_error.txt");
    QList<QByteArray> lines = ReadAll(path).split('\n');
    ASSERT_EQ(lines.size(), 3);
    QRegularExpression stamp(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d  "));
    EXPECT_TRUE(stamp.match(QString::fromLatin1(lines[0])).hasMatch());
    EXPECT_TRUE(lines[0].endsWith("Assert: [test_logfiles.cpp, " + QByteArray::number(line) + "], d_assert(1 == 2)"));
    EXPECT_TRUE(lines[1].endsWith("  export failed 3"));
}
