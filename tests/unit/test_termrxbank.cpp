// The terminal's receive bank: lines with time stamps, hex or decoded text,
// peer headers only when the peer changes, and the counters.
#include "link/termrxbank.h"

#include <gtest/gtest.h>

namespace {

const QTime kAt(9, 5, 3, 7);

TEST(TermRxBank, HexLinePerChunk)
{
    TermRxBank bank;
    bank.Append(QString(), QByteArray("\x41\x0D", 2), kAt);
    EXPECT_EQ(bank.Count(), 2);
    EXPECT_EQ(bank.Total(), 2);
    EXPECT_EQ(bank.Take(), QStringLiteral("[09:05:03:007]  41 0D\n"));
    EXPECT_EQ(bank.Count(), 0);
    EXPECT_EQ(bank.Total(), 2);
    EXPECT_EQ(bank.Take(), QString());
    bank.Append(QString(), QByteArray(), kAt);
    EXPECT_EQ(bank.Take(), QString());
}

TEST(TermRxBank, TextInTheChosenEncodingAcrossChunks)
{
    TermRxBank bank;
    bank.SetHex(false);
    bank.SetEncoding(RxEncoding::Utf8);
    QByteArray word = QStringLiteral("电压").toUtf8();
    bank.Append(QString(), word.left(4), kAt);
    bank.Append(QString(), word.mid(4), kAt);
    EXPECT_EQ(bank.Take(), QStringLiteral("[09:05:03:007] 电\n[09:05:03:007] 压\n"));
    EXPECT_EQ(bank.Total(), word.size());
    bank.SetEncoding(RxEncoding::Ascii);
    bank.Append(QString(), QByteArray("\xB5\xE7 ok"), kAt);
    EXPECT_EQ(bank.Take(), QStringLiteral("[09:05:03:007] 电 ok\n"));
}

struct PeerStep {
    const char *peer;
    const char *bytes;
    bool header;
};

TEST(TermRxBank, PeerHeaderOnlyWhenThePeerChanges)
{
    const PeerStep steps[] = {
        {"127.0.0.1:5000", "a", true},
        {"127.0.0.1:5000", "b", false},
        {"127.0.0.1:5001", "c", true},
        {"127.0.0.1:5000", "d", true},
        {"", "e", false},
        {"127.0.0.1:5000", "f", false},
    };
    TermRxBank bank;
    bank.SetHex(false);
    for (const PeerStep &s : steps) {
        bank.Append(QString::fromLatin1(s.peer), QByteArray(s.bytes), kAt);
        QString text = bank.Take();
        QString line = QStringLiteral("[09:05:03:007] %1\n").arg(QString::fromLatin1(s.bytes));
        QString header = QStringLiteral("\n【From: %1】\n").arg(QString::fromLatin1(s.peer));
        EXPECT_EQ(text, s.header ? header + line : line) << s.peer << " " << s.bytes;
    }
    bank.ForgetPeer();
    bank.Append(QStringLiteral("127.0.0.1:5000"), "g", kAt);
    EXPECT_TRUE(bank.Take().startsWith(QStringLiteral("\n【From: 127.0.0.1:5000】\n")));
}

TEST(TermRxBank, ClearAndResetTotal)
{
    TermRxBank bank;
    bank.Append(QString(), "abc", kAt);
    bank.Clear();
    EXPECT_EQ(bank.Count(), 0);
    EXPECT_EQ(bank.Take(), QString());
    EXPECT_EQ(bank.Total(), 3);
    bank.ResetTotal();
    EXPECT_EQ(bank.Total(), 0);
}

} // namespace
