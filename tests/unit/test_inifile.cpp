// Profile files as exchanged between factory computers: GBK with CR LF when
// written; GBK or UTF-8 (with or without BOM) when read; untrusted input.
#include "files/inifile.h"

#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
QByteArray Gbk(const QString &text)
{
    QStringEncoder gbk("GBK");
    return gbk.encode(text);
}
} // namespace

TEST(IniFile, WritesGbkSectionsAndKeysWithCrLf)
{
    IniFile ini;
    ini.SetValue(QStringLiteral("标称容量"), QStringLiteral("串数"), QStringLiteral("16"));
    ini.SetValue(QStringLiteral("标称容量"), QStringLiteral("SOC"), QStringLiteral("50000"));
    ini.SetValue(QStringLiteral("开路电压"), QStringLiteral("电压"), QStringLiteral("1 2"));
    ini.SetValue(QStringLiteral("标称容量"), QStringLiteral("串数"), QStringLiteral("15")); // replaced in place
    const QByteArray expected = Gbk(QStringLiteral("[标称容量]\r\n串数=15\r\nSOC=50000\r\n[开路电压]\r\n电压=1 2\r\n"));
    EXPECT_EQ(ini.ToBytes(), expected);
    // the GBK bytes of 标 are B1 EA
    EXPECT_EQ(static_cast<unsigned char>(expected[1]), 0xB1);
    EXPECT_EQ(static_cast<unsigned char>(expected[2]), 0xEA);
}

TEST(IniFile, ReadsGbkWrittenByHand)
{
    QByteArray bytes =
        Gbk(QStringLiteral("; 注释\r\n[充电内阻]\r\n电流0 = 5000 \r\n内阻值0=1 2 3\r\n\r\n[放电内阻]\r\n电流1=-3\r\n"));
    IniFile ini = IniFile::FromBytes(bytes);
    EXPECT_EQ(ini.Value(QStringLiteral("充电内阻"), QStringLiteral("电流0")), QStringLiteral("5000 "));
    EXPECT_EQ(ini.Value(QStringLiteral("充电内阻"), QStringLiteral("内阻值0")), QStringLiteral("1 2 3"));
    EXPECT_EQ(ini.Value(QStringLiteral("放电内阻"), QStringLiteral("电流1")), QStringLiteral("-3"));
    EXPECT_EQ(ini.Value(QStringLiteral("放电内阻"), QStringLiteral("电流0")), QString());
    EXPECT_FALSE(ini.HasSection(QStringLiteral("开路电压")));
}

TEST(IniFile, ReadsUtf8WithAndWithoutBom)
{
    const QString text = QStringLiteral("[开路电压]\n电压=3300 3301\n");
    for (const QByteArray &bytes : {text.toUtf8(), QByteArray("\xEF\xBB\xBF") + text.toUtf8()}) {
        IniFile ini = IniFile::FromBytes(bytes);
        EXPECT_EQ(ini.Value(QStringLiteral("开路电压"), QStringLiteral("电压")), QStringLiteral("3300 3301"));
    }
}

TEST(IniFile, NamesIgnoreAsciiCaseAndTheFirstKeyCounts)
{
    IniFile ini = IniFile::FromBytes("[Cap]\r\nsoc=1\r\nSOC=2\r\n[cap]\r\nSoc=3\r\nother=4\r\n");
    EXPECT_EQ(ini.Value(QStringLiteral("CAP"), QStringLiteral("SOC")), QStringLiteral("1"));
    EXPECT_EQ(ini.Value(QStringLiteral("cap"), QStringLiteral("other")), QStringLiteral("4"));
}

TEST(IniFile, MalformedLinesAreSkipped)
{
    IniFile ini = IniFile::FromBytes("key=before any section\r\n[s\r\na=1\r\n=no key\r\nno equals\r\n[]\r\nb=2\r\n"
                                     "\x81\x30\xFF\xFE garbage\r\n");
    EXPECT_EQ(ini.Value(QStringLiteral("s"), QStringLiteral("a")), QStringLiteral("1"));
    EXPECT_EQ(ini.Value(QString(), QStringLiteral("b")), QStringLiteral("2"));
    EXPECT_EQ(ini.Value(QStringLiteral("s"), QStringLiteral("key")), QString());
    IniFile empty = IniFile::FromBytes(QByteArray());
    EXPECT_FALSE(empty.HasSection(QStringLiteral("s")));
    EXPECT_EQ(empty.ToBytes(), QByteArray());
}

TEST(IniFile, ValuesUpTo259CharactersRoundTripUnchangedAndLongerAreCut)
{
    const QString v259 = QString(258, u'7') + QStringLiteral("值");
    const QString v300 = QString(300, u'8');
    const QString blanks = QStringLiteral("1 2 3  ");
    IniFile ini;
    ini.SetValue(QStringLiteral("节"), QStringLiteral("a"), v259);
    ini.SetValue(QStringLiteral("节"), QStringLiteral("b"), v300);
    ini.SetValue(QStringLiteral("节"), QStringLiteral("c"), blanks);
    IniFile back = IniFile::FromBytes(ini.ToBytes());
    EXPECT_EQ(back.Value(QStringLiteral("节"), QStringLiteral("a")), v259);
    EXPECT_EQ(back.Value(QStringLiteral("节"), QStringLiteral("b")), v300.left(IniFile::kMaxValueLength));
    EXPECT_EQ(back.Value(QStringLiteral("节"), QStringLiteral("c")), blanks);
}

TEST(IniFile, SaveReplacesTheFileOnlyWhenComplete)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("a.ini"));
    IniFile ini;
    ini.SetValue(QStringLiteral("s"), QStringLiteral("k"), QStringLiteral("v"));
    QString error;
    ASSERT_TRUE(ini.Save(path, &error)) << error.toStdString();
    IniFile loaded;
    ASSERT_TRUE(IniFile::Load(path, &loaded, &error));
    EXPECT_EQ(loaded.Value(QStringLiteral("s"), QStringLiteral("k")), QStringLiteral("v"));

    // A folder in the way of the file: the save fails with a reason.
    const QString blocked = dir.filePath(QStringLiteral("blocked.ini"));
    ASSERT_TRUE(QDir().mkpath(blocked));
    EXPECT_FALSE(ini.Save(blocked, &error));
    EXPECT_FALSE(error.isEmpty());
    // Into a folder that does not exist.
    EXPECT_FALSE(ini.Save(dir.filePath(QStringLiteral("none/a.ini")), &error));
    EXPECT_TRUE(QFile::exists(path));
}

TEST(IniFile, LoadRefusesMissingAndOversizedFiles)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    IniFile ini;
    QString error;
    EXPECT_FALSE(IniFile::Load(dir.filePath(QStringLiteral("missing.ini")), &ini, &error));
    EXPECT_FALSE(error.isEmpty());
    QFile big(dir.filePath(QStringLiteral("big.ini")));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    big.write(QByteArray(IniFile::kMaxFileBytes + 1, 'x'));
    big.close();
    error.clear();
    EXPECT_FALSE(IniFile::Load(big.fileName(), &ini, &error));
    EXPECT_FALSE(error.isEmpty());
}
