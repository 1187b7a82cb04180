// The stored port settings: the profile keys, the prefix selection of the
// stored texts, the line settings they give and the open failure texts.
#include "link/portprofile.h"

#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(PortProfile, StoredTextsGiveLineSettings)
{
    struct Case {
        const char *name;
        PortProfile stored;
        int baud;
        char parity;
        int dataBits;
        int stopBits;
    };
    const Case cases[] = {
        {"nothing stored", {}, 9600, 'N', 8, 0},
        {"full texts", {"ttyUSB0", "115200", "Even", "7", "2"}, 115200, 'E', 7, 2},
        {"prefixes", {"ttyUSB0", "1152", "o", "6", "1.5"}, 115200, 'O', 6, 1},
        {"unknown texts", {"ttyUSB0", "300", "Q", "9", "3"}, 9600, 'N', 8, 0},
        {"prefix takes the first", {"", "1", "M", "5", "1"}, 14400, 'M', 5, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        LineSettings s = LineSettingsOf(c.stored);
        EXPECT_EQ(s.baud, c.baud);
        EXPECT_EQ(s.parity, c.parity);
        EXPECT_EQ(s.dataBits, c.dataBits);
        EXPECT_EQ(s.stopBits, c.stopBits);
    }
}

TEST(PortProfile, ReadsWhatTheWindowStores)
{
    QTemporaryDir dir;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
    EXPECT_EQ(ReadPortProfile().portNum, QString());
    EXPECT_EQ(ReadPortProfile().cmdSndInvl, 0);
    WritePortProfile({"/dev/pts/7", "19200", "None", "8", "1", 25});
    PortProfile p = ReadPortProfile();
    EXPECT_EQ(p.portNum, "/dev/pts/7");
    EXPECT_EQ(p.baud, "19200");
    EXPECT_EQ(p.cmdSndInvl, 25);
    for (const char *interval : {"9", "2001", "x"}) {
        QSettings raw(QSettings::IniFormat, QSettings::UserScope, "Oramek", "Pylvex");
        raw.setValue("IniProfile/CmdSndInvl", interval);
        raw.sync();
        EXPECT_EQ(ReadPortProfile().cmdSndInvl, 0) << interval;
    }
}

TEST(PortProfile, OpenFailureTexts)
{
    EXPECT_EQ(OpenFailureText("ttyUSB0", kOpenErrorBusy), QStringLiteral("打开 ttyUSB0 时，返回串口已经被占用！"));
    EXPECT_EQ(OpenFailureText("ttyUSB0", kOpenErrorNotFound), QStringLiteral("打开 ttyUSB0 时，返回失败！"));
    EXPECT_EQ(OpenFailureText("ttyS0", kOpenErrorAccess),
              QStringLiteral("打开 ttyS0 时，返回失败！（没有访问权限：请把当前用户加入 dialout 组，重新登录后再试）"));
}
