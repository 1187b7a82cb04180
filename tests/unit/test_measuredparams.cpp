// The measured-parameter file: sections, keys, round trips and hand-made files.
#include "files/measuredparams.h"

#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
MeasuredParams Sample()
{
    MeasuredParams p;
    p.series = QStringLiteral("16");
    p.parallel = QStringLiteral("2");
    p.nominalCapacity = QStringLiteral("50000");
    p.measuredCapacity = QStringLiteral("49210");
    p.openCircuit = QStringLiteral("3300 3301 3302 3303 3304 3305 3306 3307 3308 3309 3310 3311 3312 3313 ");
    p.rows[0] = {QStringLiteral("5000"), QStringLiteral("1 2 3 4 5 6 7 8 9 10 11 12 13 14 ")};
    p.rows[1] = {QStringLiteral("10000"), QStringLiteral("2 2 2 2 2 2 2 2 2 2 2 2 2 2 ")};
    p.rows[2] = {QStringLiteral("-5000"), QStringLiteral("9 9 9 9 9 9 9 9 9 9 9 9 9 9 ")};
    p.rows[3] = {QString(), QString()};
    return p;
}

QByteArray Gbk(const QString &text)
{
    QStringEncoder gbk("GBK");
    return gbk.encode(text);
}
} // namespace

TEST(MeasuredParams, FileNameOfTheDay)
{
    EXPECT_EQ(MeasuredParamsFileName(QDate(2024, 3, 5)), QStringLiteral("实测参数_2024-03-05.ini"));
}

TEST(MeasuredParams, SectionsAndKeysInOrder)
{
    const QString expected = QStringLiteral("[标称容量]\r\n串数=16\r\n并数=2\r\nSOC=50000\r\n"
                                            "[实测容量]\r\nSOC=49210\r\n"
                                            "[开路电压]\r\n电压=3300 3301 3302 3303 3304 3305 3306 3307 3308 3309 "
                                            "3310 3311 3312 3313\r\n"
                                            "[充电内阻]\r\n电流0=5000\r\n内阻值0=1 2 3 4 5 6 7 8 9 10 11 12 13 14 \r\n"
                                            "电流1=10000\r\n内阻值1=2 2 2 2 2 2 2 2 2 2 2 2 2 2 \r\n"
                                            "[放电内阻]\r\n电流0=-5000\r\n内阻值0=9 9 9 9 9 9 9 9 9 9 9 9 9 9 \r\n"
                                            "电流1=\r\n内阻值1=\r\n");
    // Values are written as they are; a trailing blank survives writing.
    QByteArray bytes = MeasuredParamsToIni(Sample()).ToBytes();
    QByteArray want = Gbk(expected);
    want.replace(Gbk(QStringLiteral("3313\r\n")), Gbk(QStringLiteral("3313 \r\n")));
    EXPECT_EQ(bytes, want);
}

TEST(MeasuredParams, ExportImportExportGivesIdenticalBytes)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString first = dir.filePath(MeasuredParamsFileName(QDate(2024, 3, 5)));
    const QString second = dir.filePath(QStringLiteral("again.ini"));
    QString error;
    ASSERT_TRUE(WriteMeasuredParams(first, Sample(), &error));
    MeasuredParams read;
    ASSERT_TRUE(ReadMeasuredParams(first, &read, &error));
    ASSERT_TRUE(WriteMeasuredParams(second, read, &error));
    QFile a(first), b(second);
    ASSERT_TRUE(a.open(QIODevice::ReadOnly));
    ASSERT_TRUE(b.open(QIODevice::ReadOnly));
    EXPECT_EQ(a.readAll(), b.readAll());
    EXPECT_EQ(read.rows[0].current, QStringLiteral("5000"));
    EXPECT_EQ(read.openCircuit, Sample().openCircuit);
    EXPECT_EQ(read.rows[1].resistances, Sample().rows[1].resistances);
    EXPECT_EQ(read.rows[3].resistances, QString());
}

TEST(MeasuredParams, HandWrittenGbkFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("hand.ini"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(Gbk(QStringLiteral("[放电内阻]\r\n内阻值1=5 5 5\r\n电流1=777\r\n[标称容量]\r\n并数=3\r\n")));
    f.close();
    MeasuredParams p;
    QString error;
    ASSERT_TRUE(ReadMeasuredParams(path, &p, &error));
    EXPECT_EQ(p.parallel, QStringLiteral("3"));
    EXPECT_EQ(p.rows[3].current, QStringLiteral("777"));
    EXPECT_EQ(p.rows[3].resistances, QStringLiteral("5 5 5"));
    // Keys and sections that are absent give empty texts: no 开路电压 section.
    EXPECT_EQ(p.openCircuit, QString());
    EXPECT_EQ(p.series, QString());
    EXPECT_EQ(p.rows[0].current, QString());
}

TEST(MeasuredParams, FailedExportKeepsThePreviousFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // A name of the longest length a folder entry may have: the file itself
    // can be written, but no temporary file with a longer name beside it, so
    // the second export fails whoever runs the test.
    const QString path = dir.filePath(QString(251, u'p') + QStringLiteral(".ini"));
    QString error;
    QFile first(path);
    ASSERT_TRUE(first.open(QIODevice::WriteOnly));
    first.write(MeasuredParamsToIni(Sample()).ToBytes());
    first.close();
    MeasuredParams other;
    other.series = QStringLiteral("99");
    EXPECT_FALSE(WriteMeasuredParams(path, other, &error));
    EXPECT_FALSE(error.isEmpty());
    MeasuredParams back;
    ASSERT_TRUE(ReadMeasuredParams(path, &back, &error));
    EXPECT_EQ(back.series, QStringLiteral("16"));
    EXPECT_EQ(back.rows[2].current, QStringLiteral("-5000"));
}
