// The language choice (locale variables, --lang), the translators, the
// catalogue that finds a text shown in either language, and the files that
// stay Chinese whatever the language.
#include "files/measuredparams.h"
#include "files/statusrecord.h"
#include "lang/catalogue.h"
#include "lang/language.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using lang::Catalogue;
using lang::Language;

namespace {

// Sets the four locale variables for one case and puts them back afterwards.
class LocaleEnv {
public:
    LocaleEnv(const char *language, const char *lcAll, const char *lcMessages, const char *lang)
    {
        const char *values[] = {language, lcAll, lcMessages, lang};
        for (int i = 0; i < 4; ++i) {
            m_saved[i] = qgetenv(kNames[i]);
            m_had[i] = qEnvironmentVariableIsSet(kNames[i]);
            if (values[i])
                qputenv(kNames[i], values[i]);
            else
                qunsetenv(kNames[i]);
        }
    }
    ~LocaleEnv()
    {
        for (int i = 0; i < 4; ++i) {
            if (m_had[i])
                qputenv(kNames[i], m_saved[i]);
            else
                qunsetenv(kNames[i]);
        }
    }

private:
    static constexpr const char *kNames[4] = {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"};
    QByteArray m_saved[4];
    bool m_had[4] = {};
};

} // namespace

TEST(Language, FollowsTheLocaleVariables)
{
    struct Case {
        const char *language, *lcAll, *lcMessages, *lang;
        Language expected;
    };
    const Case cases[] = {
        {nullptr, nullptr, nullptr, nullptr, Language::English},
        {nullptr, nullptr, nullptr, "zh_CN.UTF-8", Language::Chinese},
        {nullptr, nullptr, nullptr, "zh_TW.UTF-8", Language::Chinese},
        {nullptr, nullptr, nullptr, "en_US.UTF-8", Language::English},
        {nullptr, nullptr, nullptr, "de_DE.UTF-8", Language::English},
        {nullptr, nullptr, nullptr, "C.UTF-8", Language::English},
        {nullptr, "en_GB.UTF-8", nullptr, "zh_CN.UTF-8", Language::English}, // LC_ALL outranks LANG
        {nullptr, nullptr, "zh_CN.UTF-8", "en_US.UTF-8", Language::Chinese}, // so does LC_MESSAGES
        {"zh_CN:en", nullptr, nullptr, "en_US.UTF-8", Language::Chinese},    // LANGUAGE outranks them
        {"en:zh", nullptr, nullptr, "zh_CN.UTF-8", Language::English},
        {"zh_CN", nullptr, nullptr, "C.UTF-8", Language::Chinese},
        {"zh_CN", "C", nullptr, "zh_CN.UTF-8", Language::English}, // the plain C locale ignores LANGUAGE
        {"zh_CN", nullptr, nullptr, "POSIX", Language::English},
        {"zh_CN", nullptr, nullptr, nullptr, Language::English},
    };
    for (const Case &c : cases) {
        LocaleEnv env(c.language, c.lcAll, c.lcMessages, c.lang);
        EXPECT_EQ(lang::FromEnvironment(), c.expected)
            << (c.language ? c.language : "-") << " " << (c.lcAll ? c.lcAll : "-") << " "
            << (c.lcMessages ? c.lcMessages : "-") << " " << (c.lang ? c.lang : "-");
    }
}

TEST(Language, CommandLineOption)
{
    struct Case {
        QStringList args;
        std::optional<Language> value;
        bool error;
    };
    const Case cases[] = {
        {{"p"}, std::nullopt, false},
        {{"p", "--lang", "en"}, Language::English, false},
        {{"p", "--lang=zh"}, Language::Chinese, false},
        {{"p", "--port", "x", "--lang", "EN"}, Language::English, false},
        {{"p", "--lang", "zh", "--lang", "en"}, Language::English, false}, // the last one counts
        {{"p", "--lang", "fr"}, std::nullopt, true},
        {{"p", "--lang"}, std::nullopt, true},
        {{"p", "--lang="}, std::nullopt, true},
        {{"p", "--", "--lang", "xx"}, std::nullopt, false}, // after -- it is an argument
    };
    for (const Case &c : cases) {
        const lang::LanguageArgument a = lang::FromArguments(c.args);
        EXPECT_EQ(a.value, c.value) << c.args.join(' ').toStdString();
        EXPECT_EQ(!a.error.isEmpty(), c.error) << c.args.join(' ').toStdString();
    }
}

TEST(Language, InstallSwitchesTheTranslatedTexts)
{
    ASSERT_TRUE(lang::Install(Language::English));
    EXPECT_EQ(lang::Current(), Language::English);
    EXPECT_EQ(QCoreApplication::translate("pylvexctl", "读取板卡的报警或保护日志"),
              QStringLiteral("Read the board's alarm or protection log"));
    EXPECT_EQ(QCoreApplication::translate("BatteryLog", "单节过充保护"),
              QStringLiteral("Cell over-voltage protection"));
    lang::Install(Language::Chinese);
    EXPECT_EQ(lang::Current(), Language::Chinese);
    EXPECT_EQ(QCoreApplication::translate("BatteryLog", "单节过充保护"), QStringLiteral("单节过充保护"));
}

TEST(Catalogue, EveryEntryOfTheProgramIsTranslated)
{
    const Catalogue &c = Catalogue::Program();
    ASSERT_GT(c.Size(), 500);
    static const QRegularExpression han(QStringLiteral("[\\x{4e00}-\\x{9fff}]"));
    for (int i = 0; i < c.Size(); ++i) {
        EXPECT_FALSE(c.At(i).translation.isEmpty()) << c.At(i).source.toStdString();
        EXPECT_FALSE(c.At(i).translation.contains(han))
            << c.At(i).context.toStdString() << ": " << c.At(i).translation.toStdString();
    }
}

TEST(Catalogue, FindsATextFromEitherSideWithItsValues)
{
    const QByteArray ts = R"(<?xml version="1.0" encoding="utf-8"?>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context><name>A</name>
<message><source>保存</source><translation>Save</translation></message>
<message><source>串口 %1 不存在</source><translation>Serial port %1 does not exist</translation></message>
<message><source>%2 到 %1</source><translation>from %1 to %2</translation></message>
<message><source>未译</source><translation type="unfinished"></translation></message>
</context>
<context><name>B</name>
<message><source>保存</source><translation>Store</translation></message>
</context>
</TS>)";
    const Catalogue c = Catalogue::FromTs(ts);
    EXPECT_EQ(c.Size(), 4); // the unfinished entry is left out

    struct Case {
        QString text;
        Language from;
        QStringList preferred;
        QString expected; // in the other language; empty: not found
    };
    const Case cases[] = {
        {QStringLiteral("保存"), Language::Chinese, {}, QStringLiteral("Save")},
        {QStringLiteral("保存"), Language::Chinese, {QStringLiteral("B")}, QStringLiteral("Store")},
        {QStringLiteral("Store"), Language::English, {}, QStringLiteral("保存")},
        {QStringLiteral("串口 /dev/ttyUSB0 不存在"),
         Language::Chinese,
         {},
         QStringLiteral("Serial port /dev/ttyUSB0 does not exist")},
        {QStringLiteral("Serial port COM3 does not exist"), Language::English, {}, QStringLiteral("串口 COM3 不存在")},
        {QStringLiteral("B 到 A"), Language::Chinese, {}, QStringLiteral("from A to B")}, // reordered place holders
        {QStringLiteral("from 1 to 2"), Language::English, {}, QStringLiteral("2 到 1")},
        {QStringLiteral("未译"), Language::Chinese, {}, QString()},
        {QStringLiteral("COM3"), Language::Chinese, {}, QString()}, // a value, not a text
    };
    for (const Case &k : cases) {
        const Catalogue::Match m = c.Find(k.text, k.from, k.preferred);
        const Language to = k.from == Language::Chinese ? Language::English : Language::Chinese;
        EXPECT_EQ(c.Render(m, to), k.expected) << k.text.toStdString();
        if (m.IsValid()) { // and back again
            EXPECT_EQ(c.Render(m, k.from), k.text) << k.text.toStdString();
        }
    }
}

// What is written for other programs or read back later does not follow the
// language: the daily recording (header and rows) and the measured-parameter
// file come out byte for byte the same with English installed.
TEST(Language, FilesForProgramsStayTheSame)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    auto write = [&](Language language) {
        lang::Install(language);
        StatusRecord r;
        r.fields[kRecSoc] = QStringLiteral("87");
        r.fields[kRecProtection] = QStringLiteral("无");
        r.fields[kRecAlarm] = QStringLiteral("单节过充报警");
        r.fields[kRecSystemState] = QStringLiteral("放电");
        r.temps = {QStringLiteral("25.0"), QStringLiteral("24.5")};
        r.cells = {QStringLiteral("3300"), QStringLiteral("3310")};
        const QString csv = dir.filePath(QStringLiteral("record-%1.csv").arg(lang::Code(language)));
        EXPECT_EQ(AppendStatusRecord(r, csv, QDateTime(QDate(2025, 3, 14), QTime(8, 5, 9))).outcome,
                  RecordWriteResult::Written);
        MeasuredParams params;
        params.series = QStringLiteral("16");
        params.parallel = QStringLiteral("1");
        params.openCircuit = QStringLiteral("3300");
        const QString ini = dir.filePath(QStringLiteral("params-%1.ini").arg(lang::Code(language)));
        QString error;
        EXPECT_TRUE(WriteMeasuredParams(ini, params, &error)) << error.toStdString();
        auto bytes = [](const QString &path) {
            QFile f(path);
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        };
        return std::pair{bytes(csv), bytes(ini)};
    };
    const auto chinese = write(Language::Chinese);
    const auto english = write(Language::English);
    lang::Install(Language::Chinese);
    ASSERT_FALSE(chinese.first.isEmpty());
    ASSERT_FALSE(chinese.second.isEmpty());
    EXPECT_EQ(english.first, chinese.first);
    EXPECT_EQ(english.second, chinese.second);
    // The header is the Chinese one in either language ("时间" in GBK first).
    EXPECT_TRUE(english.first.startsWith(QByteArray("\xCA\xB1\xBC\xE4,SOC")));
}
