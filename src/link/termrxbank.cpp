#include "link/termrxbank.h"

#include "protocol/termtext.h"

void TermRxBank::Append(const QString &peer, const QByteArray &bytes, const QTime &now)
{
    if (bytes.isEmpty())
        return;
    if (!peer.isEmpty() && peer != m_lastPeer) {
        m_text += QString::fromStdString(term::FromHeader(peer.toStdString()));
        m_lastPeer = peer;
    }
    m_total += bytes.size();
    m_count += bytes.size();
    m_text += QString::fromStdString(term::TimeStamp(now.hour(), now.minute(), now.second(), now.msec()));
    if (m_hex) {
        m_text += QString::fromStdString(
            term::HexDisplay(reinterpret_cast<const std::uint8_t *>(bytes.constData()), bytes.size()));
    } else {
        m_text += m_decoder.Decode(bytes);
    }
    m_text += u'\n';
}

QString TermRxBank::Take()
{
    QString text;
    text.swap(m_text);
    m_count = 0;
    return text;
}

void TermRxBank::Clear()
{
    m_text.clear();
    m_count = 0;
    m_decoder.Reset();
}
