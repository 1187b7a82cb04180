// The narrow host every page and dialog talks to instead of the main window:
// the board port (open?, send, queues), the pages of the sheet, the system
// log, the gate of the internal pages and the YModem receiver, and the
// signals pages connect to. The main window implements it; tests use a fake.
#pragma once

#include "app/framework/pageregistry.h"

#include <QObject>
#include <QString>

#include <cstddef>
#include <cstdint>

class PageBase;
class InternalModeGate;
class ParameterStore;
class LogModel;

class PageHost : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~PageHost() override;

    // --- the board port
    virtual bool IsPortOpen() const = 0;
    // Opens the port from the port bar's settings (interactive: failures in
    // message boxes, else in the system log); closes it (the terminal page).
    virtual bool OpenPort(bool interactive) = 0;
    virtual void ClosePort() = 0;
    // A payload (link byte, class, code, N, data) framed and queued; false only when memory runs out.
    virtual bool SendFrame(const std::uint8_t *payload, std::size_t count) = 0;
    // Bytes queued as they are (a complete frame built by the caller, YModem blocks).
    virtual bool SendRaw(const std::uint8_t *bytes, std::size_t count) = 0;
    // Empties the send and the receive queue.
    virtual void ClearQueues() = 0;
    virtual bool TxQueueEmpty() const = 0;

    // --- pages
    virtual PageBase *ActivePage() const = 0;
    // Makes the page the active page unless it refuses; true when it is active after.
    virtual bool ShowPage(PageBase *page) = 0;
    // The pages in the order they were created.
    virtual const PageRegistry &Pages() const = 0;
    template <class T> T *FindPage() const { return Pages().template Find<T>(); }
    // The sheet adds a page: it hands the receive path its routes (PageBase::Routes).
    virtual void RegisterPage(PageBase *page) = 0;

    // The pages show the secondary board of the pair (副电).
    virtual bool SecondaryBoardSelected() const = 0;
    // The command interval of the board port, in ms.
    virtual int CommandInterval() const = 0;

    // Another board answers on the port than before (told by the page that
    // reads the board's SN after every opening): the status line says so.
    virtual void NoteBoardReplaced(const QString &previousSn, const QString &sn) = 0;

    // --- system log: level 3 error, 4 warning, 6 information, 7 debug
    virtual void WriteLog(int level, const QString &title, const QString &text) = 0;
    // The rows of the system log, and the gates of its levels (0 is the echo of received bytes).
    virtual LogModel *LogRows() = 0;
    virtual bool LogGate(int level) const = 0;
    virtual void SetLogGate(int level, bool on) = 0;

    // --- the parameter values the board answered, by parameter id
    virtual ParameterStore &Parameters() = 0;

    // --- the gate of the internal pages
    virtual InternalModeGate &Gate() = 0;

    // --- YModem: while a receiver is set, the port cuts no frames and the
    // bytes 'C', ACK, NAK and CAN reach it as WM_YMODEM_SIGNAL (wParam 1..4).
    // The host keeps a guarded pointer: a receiver destroyed while set is
    // simply forgotten. Pass nullptr to end.
    virtual void SetYModemReceiver(QObject *receiver) = 0;
    // --- an upgrade holds the line: requests of the pages' own timers would
    // fall between (or into) its packets, or push out the answer it waits for.
    // A YModem receiver holds it while set; another holder (the firmware
    // upgrade dialog) holds it until it passes nullptr or is destroyed.
    virtual void HoldLine(QObject *holder) = 0;
    virtual bool LineHeld() const = 0;
    // --- the terminal page closes the board port and uses a port of its own;
    // while it does, the status line names what it uses (its port), and that
    // the board port comes back when the page is left. Empty ends it.
    virtual void SetPortTakenBy(const QString &what) = 0;
    virtual QString PortTakenBy() const = 0;

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
