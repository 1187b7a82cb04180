// Received bytes decoded for the terminal display in each receive encoding,
// with characters split between reads, and the display saved as GBK.
#include "files/terminaltext.h"

#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QByteArray Encoded(RxEncoding encoding, const QString &text)
{
    switch (encoding) {
    case RxEncoding::Utf8: return text.toUtf8();
    case RxEncoding::Unicode: return QStringEncoder(QStringConverter::Utf16LE).encode(text);
    case RxEncoding::Ascii: break;
    }
    return QStringEncoder("GBK").encode(text);
}

const RxEncoding kEncodings[] = {RxEncoding::Ascii, RxEncoding::Utf8, RxEncoding::Unicode};

// Every split point of every encoding gives the text back whole.
TEST(TerminalText, CharactersSplitBetweenReads)
{
    const QString text = QStringLiteral("电压V=3.7伏,温度25℃");
    for (RxEncoding encoding : kEncodings) {
        QByteArray bytes = Encoded(encoding, text);
        for (int cut = 0; cut <= bytes.size(); ++cut) {
            RxTextDecoder decoder(encoding);
            QString shown = decoder.Decode(bytes.left(cut));
            shown += decoder.Decode(bytes.mid(cut));
            EXPECT_EQ(shown, text) << static_cast<int>(encoding) << " cut " << cut;
        }
        RxTextDecoder byteByByte(encoding);
        QString shown;
        for (char c : bytes)
            shown += byteByByte.Decode(QByteArray(1, c));
        EXPECT_EQ(shown, text) << static_cast<int>(encoding);
    }
}

struct DecodeCase {
    RxEncoding encoding;
    QByteArray bytes;
    QString shown;
};

TEST(TerminalText, DecodeTable)
{
    const DecodeCase cases[] = {
        {RxEncoding::Ascii,
         QByteArray("AB\x00"
                    "C",
                    4),
         QStringLiteral("ABC")},
        {RxEncoding::Ascii, QByteArray("\xB5\xE7\xD1\xB9"), QStringLiteral("电压")},
        {RxEncoding::Utf8, QByteArray("\xE7\x94\xB5", 3), QStringLiteral("电")},
        {RxEncoding::Utf8, QByteArray("a\x00z", 3), QStringLiteral("az")},
        {RxEncoding::Utf8, QByteArray("\xFF"), QString(QChar(0xFFFD))},
        {RxEncoding::Unicode,
         QByteArray("A\x00"
                    "B\x00",
                    4),
         QStringLiteral("AB")},
        {RxEncoding::Unicode, QByteArray("\x35\x75", 2), QStringLiteral("电")},
        {RxEncoding::Unicode,
         QByteArray("A\x00\x00\x00"
                    "B\x00",
                    6),
         QStringLiteral("AB")},
    };
    for (const DecodeCase &c : cases) {
        RxTextDecoder decoder(c.encoding);
        EXPECT_EQ(decoder.Decode(c.bytes), c.shown) << c.bytes.toHex().constData();
    }
}

TEST(TerminalText, ChangingTheEncodingForgetsAPartialCharacter)
{
    RxTextDecoder decoder(RxEncoding::Utf8);
    EXPECT_EQ(decoder.Decode(QByteArray("\xE7\x94", 2)), QString());
    decoder.SetEncoding(RxEncoding::Ascii);
    EXPECT_EQ(decoder.Encoding(), RxEncoding::Ascii);
    EXPECT_EQ(decoder.Decode("ok"), QStringLiteral("ok"));
    decoder.SetEncoding(RxEncoding::Utf8);
    EXPECT_EQ(decoder.Decode(QByteArray("\xE7\x94", 2)), QString());
    decoder.Reset();
    EXPECT_EQ(decoder.Decode("x"), QStringLiteral("x"));
}

TEST(TerminalText, EncodingCycle)
{
    EXPECT_EQ(NextRxEncoding(RxEncoding::Ascii), RxEncoding::Utf8);
    EXPECT_EQ(NextRxEncoding(RxEncoding::Utf8), RxEncoding::Unicode);
    EXPECT_EQ(NextRxEncoding(RxEncoding::Unicode), RxEncoding::Ascii);
}

TEST(TerminalText, SavedAsGbkReplacingTheFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QString path = dir.filePath(QString::fromLatin1(kReceivedTextFileName));
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(5000, 'x'));
    }
    const QString text = QStringLiteral("[12:00:00:000]  41 0D\n电压 3.7V\n");
    QString error;
    ASSERT_TRUE(SaveTerminalText(path, text, &error)) << error.toStdString();
    QFile saved(path);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    QByteArray bytes = saved.readAll();
    EXPECT_EQ(bytes, QStringEncoder("GBK").encode(text));
    EXPECT_TRUE(bytes.contains(QByteArray("\xB5\xE7\xD1\xB9")));
}

TEST(TerminalText, UnwritableFileIsReported)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QString error;
    EXPECT_FALSE(SaveTerminalText(dir.filePath(QStringLiteral("missing/folder/x.txt")), QStringLiteral("a"), &error));
    EXPECT_FALSE(error.isEmpty());
}

} // namespace
