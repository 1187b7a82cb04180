// The name YModem's block 0 carries: the path in GBK, refused when GBK
// cannot carry one of its characters.
#include "files/upgradefile.h"

#include <gtest/gtest.h>

TEST(UpgradeFile, YModemNameIsGbk)
{
    struct Case {
        const char *path; // UTF-8
        const char *gbk;  // nullptr: refused
    };
    const Case cases[] = {
        {"/tmp/fw.bin", "/tmp/fw.bin"},
        {"/home/用户/固件.bin", "/home/\xD3\xC3\xBB\xA7/\xB9\xCC\xBC\xFE.bin"},
        {"/tmp/fw-\xF0\x9F\x98\x80.bin", nullptr}, // an emoji
        {"/tmp/\xE2\x82\xAC\xF0\x9F\x98\x80", nullptr},
    };
    for (const Case &c : cases) {
        const std::optional<std::string> name = YModemAnnouncedName(QString::fromUtf8(c.path));
        if (c.gbk) {
            ASSERT_TRUE(name) << c.path;
            EXPECT_EQ(*name, c.gbk) << c.path;
        } else {
            EXPECT_FALSE(name) << c.path;
            const QString why = YModemNameRefusal(QString::fromUtf8(c.path));
            EXPECT_TRUE(why.contains(QStringLiteral("GBK"))) << why.toStdString();
            EXPECT_TRUE(why.contains(QString::fromUtf8("\xF0\x9F\x98\x80"))) << why.toStdString();
            EXPECT_FALSE(why.contains(QStringLiteral("/tmp"))) << why.toStdString(); // the lacking characters only
        }
    }
}
