// The narrow host every page and dialog talks to instead of the main window:
// the board port (open?, send, queues), the pages of the sheet, the system
// log, the gate of the internal pages and the YModem receiver, and the
// signals pages connect to. The main window implements it; tests use a fake.
#pragma once

#include "app/framework/pagekind.h"

#include <QObject>
#include <QString>

#include <cstddef>
#include <cstdint>

class CCfgPageBase;
class CInnerGate;

class CPageHost : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~CPageHost() override;

    // --- the board port
    virtual bool IsPortOpen() const = 0;
    // Opens the port from the port bar's settings (interactive: failures in
    // message boxes, else in the system log); closes it (the terminal page).
    virtual bool OpenPort(bool interactive) = 0;
    virtual void ClosePort() = 0;
    // A payload (link byte, class, code, N, data) framed and queued; false only when memory runs out.
    // from: the dialog that holds the line (HoldLine) passes itself; pages leave it out.
    virtual bool SendFrame(const std::uint8_t *payload, std::size_t count, const QObject *from = nullptr) = 0;
    // Bytes queued as they are (a complete frame built by the caller, YModem blocks).
    virtual bool SendRaw(const std::uint8_t *bytes, std::size_t count, const QObject *from = nullptr) = 0;
    // Empties the send and the receive queue.
    virtual void ClearQueues() = 0;
    virtual bool TxQueueEmpty() const = 0;

    // --- pages
    virtual CCfgPageBase *ActivePage() const = 0;
    // Makes the page the active page unless it refuses; true when it is active after.
    virtual bool ShowPage(CCfgPageBase *page) = 0;
    virtual CCfgPageBase *FindPage(PageKind kind) const = 0;
    // The sheet adds a page: it serves its kind from now on and hands the
    // receive path its routes (CCfgPageBase::Routes).
    virtual void RegisterPage(CCfgPageBase *page) = 0;

    // --- system log: level 3 error, 4 warning, 6 information, 7 debug
    virtual void WriteLog(int level, const QString &title, const QString &text) = 0;

    // --- the gate of the internal pages
    virtual CInnerGate &Gate() = 0;

    // --- YModem: while a receiver is set, the port cuts no frames and the
    // bytes 'C', ACK, NAK and CAN reach it as WM_YMODEM_SIGNAL (wParam 1..4).
    // The host keeps a guarded pointer: a receiver destroyed while set is
    // simply forgotten. Pass nullptr to end.
    virtual void SetYModemReceiver(QObject *receiver) = 0;
    // --- an upgrade holds the line: requests of the pages' own timers would
    // fall between (or into) its packets, or push out the answer it waits for.
    // The holder holds it until it passes nullptr or is destroyed. Meanwhile
    // the port writes only the frames the holder sends with from = itself;
    // everything else waits, in order, and follows when the hold ends.
    // LineHeld is true also while a YModem receiver is set.
    virtual void HoldLine(QObject *holder) = 0;
    virtual bool LineHeld() const = 0;

signals:
    // The board port was opened (clock synchronisation, protocol probe ...).
    void PortOpened();
    // The board port was closed: by the user (lost false) or because the link was lost.
    void PortClosed(bool lost);
    // The line has been quiet for one command interval and nothing waits to be sent.
    void PortIdle();
    // A frame left the port.
    void FrameSent();
    // A received byte while the raw echo is on.
    void RxEchoByte(std::uint8_t byte);
    // The pages now show the other board (the port is open; the queues were
    // emptied and the new board's recent status queued again).
    void BoardSwitched();
    // A checked response of the selected board is about to be routed (frame
    // from its head on, valid during the call): lets a dialog watch answers
    // that belong to a page, such as the versions after an upgrade.
    void ResponseDispatched(const std::uint8_t *frame, int len);
};
