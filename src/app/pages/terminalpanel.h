// The link interface of the terminal page and its two panels (serial and
// network), and the inbox a panel keeps for what its link received until
// the page fetches it.
//
// A panel tells the page about its link with the posted message
// WM_ONRECEIVE: wParam = link type (LINK_UART, LINK_NET, plus
// NET_CLIENT_EVENT for a client of the TCP server) + event (LINK_EVT_*),
// lParam = 0. On LINK_EVT_DATA the page calls Read.
#pragma once

#include "link/winmsg.h"

#include <QByteArray>
#include <QComboBox>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <deque>

class TermLink;

inline constexpr int WM_ONRECEIVE = WM_USER + 40;

inline constexpr std::intptr_t LINK_UART = 0x10000;
inline constexpr std::intptr_t LINK_NET = 0x20000;
inline constexpr std::intptr_t NET_CLIENT_EVENT = 0x100000;
inline constexpr std::intptr_t LINK_TYPE_MASK = 0xF0000;
inline constexpr std::intptr_t LINK_EVT_OPENED = 1;
inline constexpr std::intptr_t LINK_EVT_CLOSED = 2;
inline constexpr std::intptr_t LINK_EVT_DATA = 3;

class PanelInbox;

class TerminalPanel {
public:
    virtual ~TerminalPanel() = default;
    // The number of bytes the link took, 0 on failure, -1 when it is not open.
    virtual int Write(const QByteArray &bytes) = 0;
    // The received bytes waiting (from one source) and the text naming that
    // source (empty for the serial link); the byte count, -1 when nothing
    // waits and the link is closed.
    virtual int Read(QByteArray *data, QString *source, std::intptr_t wParam, std::intptr_t lParam) = 0;
    virtual bool IsOpen() const = 0;
    // The link that carries the bytes now (file sending writes to it directly).
    virtual TermLink *CurrentLink() = 0;
    // What the link received and the page has not read.
    virtual PanelInbox &Inbox() = 0;
};

// Received chunks waiting for the page. One LINK_EVT_DATA message is posted
// for any number of chunks that arrive before the page reads, so a fast
// stream never floods the event queue; what the page does not read (the
// hidden panel's link) is kept up to kCapacity bytes, the oldest dropped.
class PanelInbox {
public:
    static constexpr qint64 kCapacity = 4 * 1024 * 1024;

    void SetTarget(QObject *page, std::intptr_t linkType)
    {
        m_pTarget = page;
        m_nLinkType = linkType;
    }
    void Post(std::intptr_t event) const { PostMsg(m_pTarget, WM_ONRECEIVE, m_nLinkType + event, 0); }

    void Push(const QString &peer, const QByteArray &bytes, std::intptr_t flags = 0);
    // Takes the waiting bytes of the oldest source (consecutive chunks of
    // that source joined); false when nothing waits.
    bool Take(QByteArray *data, QString *source);
    void Clear();
    // The page passed over a data message (it shows the other link): the
    // next chunk posts again.
    void Ignored() { m_bPosted = false; }
    qint64 Waiting() const { return m_nBytes; }
    qint64 Dropped() const { return m_nDropped; }

private:
    struct Chunk {
        QString peer;
        QByteArray bytes;
    };
    std::deque<Chunk> m_chunks;
    qint64 m_nBytes = 0;
    qint64 m_nDropped = 0;
    bool m_bPosted = false;
    QPointer<QObject> m_pTarget;
    std::intptr_t m_nLinkType = LINK_UART;
};

// A drop-down list of the link panels: Ctrl+PgUp and Ctrl+PgDn step through
// the window's pages, as everywhere else, instead of through the entries.
class LinkCombo : public QComboBox {
    Q_OBJECT
public:
    using QComboBox::QComboBox;

protected:
    void keyPressEvent(QKeyEvent *event) override;
};
