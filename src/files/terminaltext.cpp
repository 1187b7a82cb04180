#include "files/terminaltext.h"

#include "files/logfiles.h"

#include <QSaveFile>

namespace {

QStringDecoder MakeDecoder(RxEncoding encoding)
{
    switch (encoding) {
    case RxEncoding::Utf8: return QStringDecoder(QStringConverter::Utf8, QStringConverter::Flag::Default);
    case RxEncoding::Unicode: return QStringDecoder(QStringConverter::Utf16LE, QStringConverter::Flag::Default);
    case RxEncoding::Ascii: break;
    }
    return QStringDecoder("GBK", QStringConverter::Flag::Default);
}

} // namespace

RxEncoding NextRxEncoding(RxEncoding encoding)
{
    switch (encoding) {
    case RxEncoding::Ascii: return RxEncoding::Utf8;
    case RxEncoding::Utf8: return RxEncoding::Unicode;
    case RxEncoding::Unicode: break;
    }
    return RxEncoding::Ascii;
}

RxTextDecoder::RxTextDecoder(RxEncoding encoding) : m_encoding(encoding), m_decoder(MakeDecoder(encoding)) {}

void RxTextDecoder::SetEncoding(RxEncoding encoding)
{
    m_encoding = encoding;
    m_decoder = MakeDecoder(encoding);
}

void RxTextDecoder::Reset()
{
    m_decoder.resetState();
}

QString RxTextDecoder::Decode(const QByteArray &bytes)
{
    QString text = m_decoder.decode(bytes);
    text.remove(QChar(u'\0'));
    return text;
}

bool SaveTerminalText(const QString &path, const QString &text, QString *error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(ToGbk(text)) < 0 || !file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}
