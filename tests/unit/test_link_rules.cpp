#include "link/boardport.h"

#include <gtest/gtest.h>

TEST(LinkRules, LampFlashTimeFollowsTheInterval)
{
    const struct {
        int interval;
        int flash;
    } cases[] = {{10, 50},  {90, 50},   {99, 50},   {100, 50},   {101, 50},  {120, 60},
                 {149, 74}, {150, 100}, {400, 100}, {1000, 100}, {2000, 100}};
    for (const auto &c : cases)
        EXPECT_EQ(FlashTime(c.interval), c.flash) << c.interval;
}

TEST(LinkRules, QuietTimeIsAFewCharactersAndAMargin)
{
    const struct {
        LineSettings line;
        int quiet;
    } cases[] = {
        {{9600, 'N', 8, 0}, 105},   // 4 x 10 bits at 9600: 4.2 ms, rounded up, + 100
        {{9600, 'E', 8, 2}, 105},   // 12 bits a character: 5 ms
        {{115200, 'N', 8, 0}, 101}, // fast line: the margin counts
        {{1200, 'N', 8, 0}, 134},   // slow line: the characters count
        {{600, 'E', 8, 2}, 180},
    };
    for (const auto &c : cases)
        EXPECT_EQ(QuietTimeMs(c.line), c.quiet) << c.line.baud;
}

TEST(LinkRules, SettingsTextAndDevicePath)
{
    EXPECT_EQ(SettingsText({9600, 'N', 8, 0}), QStringLiteral("baud=9600 parity=N data=8 stop=1"));
    EXPECT_EQ(SettingsText({128000, 'M', 5, 1}), QStringLiteral("baud=128000 parity=M data=5 stop=1.5"));
    EXPECT_EQ(SettingsText({14400, 'E', 7, 2}), QStringLiteral("baud=14400 parity=E data=7 stop=2"));
    EXPECT_EQ(DevicePath(QStringLiteral("ttyUSB0")), QStringLiteral("/dev/ttyUSB0"));
    EXPECT_EQ(DevicePath(QStringLiteral("/dev/pts/7")), QStringLiteral("/dev/pts/7"));
}

TEST(LinkRules, YModemBytesAndLostLinkErrors)
{
    const std::pair<std::uint8_t, int> bytes[] = {{'C', 1}, {0x06, 2}, {0x15, 3}, {0x18, 4},
                                                  {'c', 0}, {0x00, 0}, {0x4D, 0}, {0x04, 0}};
    for (const auto &[byte, signal] : bytes)
        EXPECT_EQ(YModemSignal(byte), signal) << int(byte);
    for (auto e : {QSerialPort::ReadError, QSerialPort::WriteError, QSerialPort::ResourceError})
        EXPECT_TRUE(IsLostLinkError(e)) << e;
    for (auto e : {QSerialPort::NoError, QSerialPort::UnsupportedOperationError, QSerialPort::TimeoutError,
                   QSerialPort::PermissionError, QSerialPort::NotOpenError, QSerialPort::UnknownError})
        EXPECT_FALSE(IsLostLinkError(e)) << e;
}
