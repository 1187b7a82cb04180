#include "protocol/password.h"

#include <array>

std::string PasswordDigest(std::string_view password, std::uint8_t seed)
{
    const std::size_t n = password.size();
    if (n < 1 || n > 16)
        return {};
    std::array<std::uint8_t, 16> block{};
    for (std::size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<std::uint8_t>(seed + i);
    const std::size_t q = 16 / n, r = 16 % n;
    for (std::size_t k = 0; k < n; ++k)
        block[r + k * q] = static_cast<std::uint8_t>(password[k]);
    std::uint8_t t = 0;
    for (std::uint8_t b : block)
        t = static_cast<std::uint8_t>(t + b);
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string digest;
    for (std::uint8_t b : block) {
        std::uint8_t x = b ^ t;
        digest += kHex[x >> 4];
        digest += kHex[x & 0x0F];
    }
    return digest;
}

PasswordVerdict CheckPassword(std::string_view password, const StoredPassword &stored)
{
    std::string p = stored.profileCopy, f = stored.fileCopy;
    if (p.empty() && f.empty()) {
        p = PasswordDigest(kDefaultPassword, kPasswordSeedProfile);
        f = PasswordDigest(kDefaultPassword, kPasswordSeedFile);
    }
    const std::string dA = PasswordDigest(password, kPasswordSeedProfile);
    const std::string dB = PasswordDigest(password, kPasswordSeedFile);
    PasswordVerdict v;
    v.bothPresent = !p.empty() && !f.empty();
    if (p.empty())
        v.pass = !dB.empty() && dB == f;
    else if (f.empty())
        v.pass = !dA.empty() && dA == p;
    else
        v.pass = !dA.empty() && dA == p && dB == f;
    return v;
}

const char *PasswordMismatchText(const PasswordVerdict &verdict)
{
    return verdict.bothPresent ? "密码错误！" : "密码错误";
}

std::string_view TrimTrailingBlanks(std::string_view text)
{
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r' || text.back() == '\n' ||
                             text.back() == '\v' || text.back() == '\f'))
        text.remove_suffix(1);
    return text;
}

std::size_t CharacterCount(std::string_view text)
{
    std::size_t count = 0;
    for (char c : text)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
            ++count;
    return count;
}

bool IsPasswordText(std::string_view text)
{
    for (char c : text) {
        bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
        if (!ok)
            return false;
    }
    return true;
}

std::optional<PasswordRefusal> CheckPasswordChange(std::string_view oldPassword, std::string_view newPassword,
                                                   std::string_view confirmation, const StoredPassword &stored)
{
    if (oldPassword.empty())
        return PasswordRefusal{"密码不能为空！", PasswordBox::Old};
    if (newPassword.empty())
        return PasswordRefusal{"密码不能为空！", PasswordBox::New};
    if (confirmation.empty())
        return PasswordRefusal{"密码不能为空！", PasswordBox::Confirm};
    if (newPassword != confirmation)
        return PasswordRefusal{"新密码和确认密码不一致！", PasswordBox::New};
    if (CharacterCount(newPassword) > static_cast<std::size_t>(kPasswordMaxLength))
        return PasswordRefusal{"新密码不能大于 %d 个字符！", PasswordBox::New, true};
    if (!IsPasswordText(newPassword))
        return PasswordRefusal{"密码只能由字母数字和下划线组成！", PasswordBox::New};
    if (!CheckPassword(oldPassword, stored).pass)
        return PasswordRefusal{"原密码错误！", PasswordBox::Old};
    return std::nullopt;
}
