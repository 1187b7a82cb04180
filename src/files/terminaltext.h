// Text of the terminal in and out: received bytes decoded for the display in
// the chosen receive encoding, and the display saved to a file as GBK.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringDecoder>

// The receive encodings in the order the terminal's button cycles them.
enum class RxEncoding {
    Ascii,   // the 8-bit code page: GBK
    Utf8,    // UTF-8
    Unicode, // UTF-16 little-endian
};

// The next encoding of the cycle: ASCII, UTF-8, Unicode, ASCII ...
RxEncoding NextRxEncoding(RxEncoding encoding);

// Decodes received bytes chunk by chunk. A character whose bytes are split
// between two chunks is held back and comes out whole with the next chunk;
// zero characters are dropped; bytes that make no character show as U+FFFD.
class RxTextDecoder {
public:
    explicit RxTextDecoder(RxEncoding encoding = RxEncoding::Ascii);
    RxEncoding Encoding() const { return m_encoding; }
    // Changing the encoding forgets a held-back partial character.
    void SetEncoding(RxEncoding encoding);
    void Reset();
    QString Decode(const QByteArray &bytes);

private:
    RxEncoding m_encoding;
    QStringDecoder m_decoder;
};

// The file name proposed when the received text is saved.
inline constexpr const char *kReceivedTextFileName = "ReceivedData.txt";

// Writes the text to the file as GBK (created or truncated). False with the
// reason in *error when the file cannot be written.
bool SaveTerminalText(const QString &path, const QString &text, QString *error);
