// The password that opens the board's internal debugging mode: its digest,
// the check of an entered password against the two stored copies, and the
// rules a new password must follow. The digest only keeps the password out
// of plain sight in the stored copies; it is an obfuscation, nothing more.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The seed of the copy kept in the profile and that of the copy kept in the file.
inline constexpr std::uint8_t kPasswordSeedProfile = 0x3C;
inline constexpr std::uint8_t kPasswordSeedFile = 0xA5;
// Used when neither copy is stored.
inline constexpr const char *kDefaultPassword = "kvmrt";
// The edit boxes of both dialogs take at most this many characters.
inline constexpr int kPasswordMaxLength = 8;

// 32 upper-case hexadecimal digits from a password of 1 to 16 bytes and a
// seed; the empty text for any other length (it matches no stored copy).
std::string PasswordDigest(std::string_view password, std::uint8_t seed);

// The two stored copies as read; either may be empty.
struct StoredPassword {
    std::string profileCopy; // digest with the profile seed
    std::string fileCopy;    // digest with the file seed
};

struct PasswordVerdict {
    bool pass = false;
    // Both copies were present (or neither, so the default stood for both):
    // a mismatch then reads "密码错误！", otherwise "密码错误".
    bool bothPresent = false;
};
PasswordVerdict CheckPassword(std::string_view password, const StoredPassword &stored);
const char *PasswordMismatchText(const PasswordVerdict &verdict);

// The verification dialog takes the entered text without trailing blanks.
std::string_view TrimTrailingBlanks(std::string_view text);

// Rules of the change dialog, checked in this order; the first that fails
// names its message and the box that takes the focus.
enum class PasswordBox { Old, New, Confirm };
struct PasswordRefusal {
    const char *text; // the message; "新密码不能大于 %d 个字符！" takes kPasswordMaxLength
    PasswordBox box;
    bool takesMaxLength = false;
};
std::optional<PasswordRefusal> CheckPasswordChange(std::string_view oldPassword, std::string_view newPassword,
                                                   std::string_view confirmation, const StoredPassword &stored);
// Characters of a UTF-8 text (code points).
std::size_t CharacterCount(std::string_view text);
// Only ASCII letters and digits, "_" and "-".
bool IsPasswordText(std::string_view text);
