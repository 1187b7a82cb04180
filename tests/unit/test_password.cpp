// The password digest, the check against the stored copies and the rules of
// the change dialog.
#include "protocol/password.h"

#include <gtest/gtest.h>

#include <cctype>
#include <set>
#include <string>

TEST(PasswordDigest, VectorsWorkedOutByHand)
{
    struct Case {
        const char *password;
        std::uint8_t seed;
        const char *digest;
    };
    const Case cases[] = {
        // "A", seed 0: block 41 01 02 .. 0F; its sum 0x41 + 0x78 = 0xB9; every
        // byte XOR B9: 41^B9 = F8, 01^B9 = B8, 02^B9 = BB ...
        {"A", 0x00, "F8B8BBBABDBCBFBEB1B0B3B2B5B4B7B6"},
        // "ab", seed 0x3C: q = 8, r = 0, so 'a' goes to 0 and 'b' to 8; the
        // sum 16 * 0x3C + 120 + (0x61 - 0x3C) + (0x62 - 0x44) = 1147 = 0x7B
        // (mod 256); 61^7B = 1A, 3D^7B = 46, 3E^7B = 45 ...
        {"ab", 0x3C, "1A4645443B3A3938193E3D3C33323130"},
        // "a", seed 0xA5: q = 16, r = 0; block 61 A6 A7 .. B4; the sum
        // 16 * 0xA5 + 120 - 0xA5 + 0x61 = 2692 = 0x84; 61^84 = E5, A6^84 = 22
        {"a", 0xA5, "E522232C2D2E2F28292A2B3435363730"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(PasswordDigest(c.password, c.seed), c.digest) << c.password;
}

TEST(PasswordDigest, PlacesOfThePasswordBytes)
{
    // The stored digests of the default password with both seeds.
    EXPECT_EQ(PasswordDigest("kvmrt", kPasswordSeedProfile), "217623226B5C5F7059586F5A55695756");
    EXPECT_EQ(PasswordDigest("kvmrt", kPasswordSeedFile), "05CB0708D60A0BCD0D0ED21011D41314");
    // n = 8: the bytes sit at 0, 2, 4 ... 14, the seed bytes between them.
    EXPECT_EQ(PasswordDigest("12345678", kPasswordSeedProfile), "F5F9F6FBF785F087F181F283F38DFC8F");
}

TEST(PasswordDigest, EveryLengthGivesThirtyTwoUpperHexDigits)
{
    const std::string letters = "Zq9_-x7M";
    std::set<std::string> seen;
    for (std::size_t n = 1; n <= 8; ++n) {
        for (std::uint8_t seed : {kPasswordSeedProfile, kPasswordSeedFile}) {
            std::string d = PasswordDigest(letters.substr(0, n), seed);
            ASSERT_EQ(d.size(), 32u) << n;
            for (char c : d)
                EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(c)) || (c >= 'A' && c <= 'F')) << d;
            seen.insert(d);
        }
    }
    EXPECT_EQ(seen.size(), 16u); // no two lengths or seeds collide here
    EXPECT_NE(kPasswordSeedProfile, kPasswordSeedFile);
    EXPECT_EQ(PasswordDigest("", kPasswordSeedProfile), "");
    EXPECT_EQ(PasswordDigest(std::string(17, 'a'), kPasswordSeedProfile), "");
    EXPECT_EQ(PasswordDigest(std::string(16, 'a'), kPasswordSeedProfile).size(), 32u);
}

TEST(PasswordCheck, CopiesDecideInTurn)
{
    const std::string pA = PasswordDigest("secret", kPasswordSeedProfile);
    const std::string pB = PasswordDigest("secret", kPasswordSeedFile);
    const std::string otherA = PasswordDigest("other", kPasswordSeedProfile);
    const std::string otherB = PasswordDigest("other", kPasswordSeedFile);
    struct Case {
        const char *what;
        StoredPassword stored;
        const char *entered;
        bool pass;
        const char *mismatch;
    };
    const Case cases[] = {
        {"no copies: the default", {"", ""}, "kvmrt", true, nullptr},
        {"no copies: anything else", {"", ""}, "secret", false, "密码错误！"},
        {"profile only", {pA, ""}, "secret", true, nullptr},
        {"profile only, wrong", {pA, ""}, "kvmrt", false, "密码错误"},
        {"profile only, the file copy is not looked at", {pA, ""}, "other", false, "密码错误"},
        {"file only", {"", pB}, "secret", true, nullptr},
        {"file only, wrong", {"", pB}, "other", false, "密码错误"},
        {"both", {pA, pB}, "secret", true, nullptr},
        {"both, wrong", {pA, pB}, "other", false, "密码错误！"},
        {"both disagree", {pA, otherB}, "secret", false, "密码错误！"},
        {"both disagree the other way", {otherA, pB}, "secret", false, "密码错误！"},
        {"the seeds are not interchangeable", {pB, pA}, "secret", false, "密码错误！"},
        {"empty entry", {pA, pB}, "", false, "密码错误！"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        PasswordVerdict v = CheckPassword(c.entered, c.stored);
        EXPECT_EQ(v.pass, c.pass);
        if (!c.pass) {
            EXPECT_STREQ(PasswordMismatchText(v), c.mismatch);
        }
    }
}

TEST(PasswordCheck, VerificationDropsTrailingBlanksOnly)
{
    EXPECT_EQ(TrimTrailingBlanks("kvmrt  \t"), "kvmrt");
    EXPECT_EQ(TrimTrailingBlanks(" kvmrt"), " kvmrt");
    EXPECT_EQ(TrimTrailingBlanks("   "), "");
    EXPECT_TRUE(CheckPassword(TrimTrailingBlanks("kvmrt  "), {}).pass);
}

TEST(PasswordChange, RulesInOrder)
{
    const StoredPassword none;
    struct Case {
        const char *what;
        const char *oldPw, *newPw, *confirm;
        const char *text; // nullptr: accepted
        PasswordBox box;
    };
    const Case cases[] = {
        {"old empty comes first", "", "", "", "密码不能为空！", PasswordBox::Old},
        {"new empty", "kvmrt", "", "", "密码不能为空！", PasswordBox::New},
        {"confirmation empty", "kvmrt", "abc", "", "密码不能为空！", PasswordBox::Confirm},
        {"they differ", "kvmrt", "abc", "abd", "新密码和确认密码不一致！", PasswordBox::New},
        {"nine characters", "kvmrt", "abcdefghi", "abcdefghi", "新密码不能大于 %d 个字符！", PasswordBox::New},
        {"length before characters", "wrong", "a b c d e", "a b c d e", "新密码不能大于 %d 个字符！", PasswordBox::New},
        {"a blank", "kvmrt", "ab c", "ab c", "密码只能由字母数字和下划线组成！", PasswordBox::New},
        {"non-ASCII", "kvmrt", "密码", "密码", "密码只能由字母数字和下划线组成！", PasswordBox::New},
        {"characters before the old password", "wrong", "a.b", "a.b", "密码只能由字母数字和下划线组成！",
         PasswordBox::New},
        {"wrong old password", "wrong", "abc", "abc", "原密码错误！", PasswordBox::Old},
        {"old password with a trailing blank", "kvmrt ", "abc", "abc", "原密码错误！", PasswordBox::Old},
        {"a dash and an underscore", "kvmrt", "a-b_C9", "a-b_C9", nullptr, PasswordBox::Old},
        {"eight characters", "kvmrt", "abcdefgh", "abcdefgh", nullptr, PasswordBox::Old},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        auto refusal = CheckPasswordChange(c.oldPw, c.newPw, c.confirm, none);
        if (!c.text) {
            EXPECT_FALSE(refusal);
            continue;
        }
        ASSERT_TRUE(refusal);
        EXPECT_STREQ(refusal->text, c.text);
        EXPECT_EQ(refusal->box, c.box);
        EXPECT_EQ(refusal->takesMaxLength, std::string(c.text).find("%d") != std::string::npos);
    }
}

TEST(PasswordChange, ChecksTheOldPasswordAgainstTheStoredCopies)
{
    StoredPassword stored{PasswordDigest("abc", kPasswordSeedProfile), PasswordDigest("abc", kPasswordSeedFile)};
    EXPECT_FALSE(CheckPasswordChange("abc", "new1", "new1", stored));
    ASSERT_TRUE(CheckPasswordChange("kvmrt", "new1", "new1", stored));
    EXPECT_STREQ(CheckPasswordChange("kvmrt", "new1", "new1", stored)->text, "原密码错误！");
}
