// What the terminal received and has not shown yet: every chunk becomes one
// line "[hh:mm:ss:mmm] " + the bytes (as " XX" hex or decoded text) + a line
// end, preceded by a "【From: ...】" line when the sending peer changes. The
// display takes the text at every refresh.
#pragma once

#include "files/terminaltext.h"

#include <QString>
#include <QTime>

class TermRxBank {
public:
    // Adds a received chunk; the receive total grows by its size.
    void Append(const QString &peer, const QByteArray &bytes, const QTime &now);
    // The text waiting for the display; the bank is empty afterwards.
    QString Take();
    // Received bytes in the bank (not the length of its text).
    qint64 Count() const { return m_count; }
    qint64 Total() const { return m_total; }

    void SetHex(bool hex) { m_hex = hex; }
    bool Hex() const { return m_hex; }
    void SetEncoding(RxEncoding encoding) { m_decoder.SetEncoding(encoding); }
    RxEncoding Encoding() const { return m_decoder.Encoding(); }

    void Clear();
    void ResetTotal() { m_total = 0; }
    // Forgets the last peer, so the next peer's data gets its header again.
    void ForgetPeer() { m_lastPeer.clear(); }

private:
    QString m_text;
    qint64 m_count = 0;
    qint64 m_total = 0;
    bool m_hex = true;
    QString m_lastPeer;
    RxTextDecoder m_decoder;
};
