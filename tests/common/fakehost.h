// The page host of page and dialog tests: no window and no port. The port
// counts as open (SetPortOpen), every frame a page queues is recorded whole
// as the window would queue it and stays "in the send queue" until SendAll,
// answers go through the real receive path to the pages registered here
// (the routes they hand over plus the waiting routes of pages not built),
// and pages added here sit in a real sheet, so activation and the gate of
// the internal pages work as in the window.
#pragma once

#include "app/framework/internalmodegate.h"
#include "app/framework/pagebase.h"
#include "app/framework/pagehost.h"
#include "app/framework/pageregistry.h"
#include "app/framework/parameterstore.h"
#include "app/framework/rxdispatch.h"
#include "app/pagesheet.h"
#include "app/pylvexapp.h"
#include "common/frame_bytes.h"
#include "link/winmsg.h"

#include <QPointer>

#include <memory>
#include <utility>
#include <vector>

class FakeHost : public PageHost {
public:
    FakeHost() : m_gate(this), m_dispatch(*this, m_pages), m_sheet(std::make_unique<PageSheet>())
    {
        // A board switch replays the cached status at once.
        m_dispatch.m_replay = [this](const std::vector<const CachedFrame *> &frames) {
            for (const CachedFrame *cached : frames)
                m_dispatch.HandleFrame(cached->bytes, cached->len);
        };
    }
    ~FakeHost() override { m_sheet.reset(); }

    // --- PageHost
    bool IsPortOpen() const override { return m_bOpen; }
    bool OpenPort(bool) override
    {
        m_bOpen = true;
        return true;
    }
    void ClosePort() override { m_bOpen = false; }
    bool SendFrame(const std::uint8_t *payload, std::size_t count) override
    {
        m_sent.push_back(FrameOf(Bytes(payload, payload + count)));
        ++m_nQueued;
        return true;
    }
    bool SendRaw(const std::uint8_t *bytes, std::size_t count) override
    {
        m_sent.emplace_back(bytes, bytes + count);
        ++m_nQueued;
        return true;
    }
    void ClearQueues() override
    {
        m_nQueued = 0;
        ++m_nClears;
    }
    bool TxQueueEmpty() const override { return m_nQueued == 0; }
    PageBase *ActivePage() const override { return m_sheet->GetActivePage(); }
    bool ShowPage(PageBase *page) override { return m_sheet->SetActivePage(page); }
    const PageRegistry &Pages() const override { return m_pages; }
    ParameterStore &Parameters() override { return m_parameters; }
    void RegisterPage(PageBase *page) override { m_pages.Register(page); }
    void WriteLog(int level, const QString &title, const QString &text) override
    {
        if (PylvexApp *app = theApp())
            app->WriteLogText(level, title, text);
    }
    void NoteBoardReplaced(const QString &previousSn, const QString &sn) override
    {
        m_replaced.emplace_back(previousSn, sn);
    }
    // The board changes the pages told of, oldest first.
    const std::vector<std::pair<QString, QString>> &BoardsReplaced() const { return m_replaced; }
    bool SecondaryBoardSelected() const override { return m_dispatch.m_bMainSelected == 0; }
    int CommandInterval() const override { return GlobalLinkSettings().cmdSndInvl.load(); }
    LogModel *LogRows() override { return theApp() ? theApp()->GetLogModel() : nullptr; }
    bool LogGate(int level) const override { return LogGateOf(level); }
    void SetLogGate(int level, bool on) override { SetLogGateOf(level, on); }
    InternalModeGate &Gate() override { return m_gate; }
    void SetYModemReceiver(QObject *receiver) override { m_ymodem = receiver; }
    void HoldLine(QObject *holder) override { m_lineHolder = holder; }
    bool LineHeld() const override { return !m_ymodem.isNull() || !m_lineHolder.isNull(); }
    void SetPortTakenBy(const QString &what) override { m_portTakenBy = what; }
    QString PortTakenBy() const override { return m_portTakenBy; }

    // --- the test's side
    void SetPortOpen(bool open) { m_bOpen = open; }
    // Builds the page and adds it to the sheet (which registers its routes).
    template <class PageT> PageT *AddPage(PageT *page)
    {
        m_sheet->AddPage(page);
        return page;
    }
    // Whole frames as queued (head to tail), oldest first.
    std::vector<Bytes> &Sent() { return m_sent; }
    // The payloads of the queued frames: link byte, class, code, N, data.
    std::vector<Bytes> Payloads() const
    {
        std::vector<Bytes> out;
        for (const Bytes &f : m_sent)
            if (f.size() >= 9)
                out.emplace_back(f.begin() + 1, f.end() - 4);
        return out;
    }
    // The port has sent everything queued.
    void SendAll() { m_nQueued = 0; }
    int Clears() const { return m_nClears; }
    QObject *YModemReceiver() const { return m_ymodem; }

    // A board answer handled by the receive path as if it had just arrived.
    void Respond(std::uint8_t cls, std::uint8_t code, const Bytes &data, std::uint8_t link = 0x53)
    {
        Receive(BoardFrame(cls, code, data, link));
    }
    void Receive(const Bytes &frame) { m_dispatch.HandleFrame(frame.data(), static_cast<int>(frame.size())); }

    PageSheet *Sheet() { return m_sheet.get(); }
    RxDispatcher &Dispatcher() { return m_dispatch; }
    PageRegistry &Pages() { return m_pages; }
    // Show requests the gate posted (wParam page, lParam 0 locked / 1 confirmed), in order.
    const std::vector<std::pair<QWidget *, int>> &ShowRequests() const { return m_showRequests; }

protected:
    bool event(QEvent *event) override
    {
        if (static_cast<int>(event->type()) == WM_SHOW_PAGE) {
            auto *msg = static_cast<WinMsgEvent *>(event);
            auto *page = reinterpret_cast<QWidget *>(msg->wParam());
            m_showRequests.emplace_back(page, static_cast<int>(msg->lParam()));
            if (msg->lParam() == 1)
                if (auto *target = qobject_cast<PageBase *>(page))
                    ShowPage(target);
            return true;
        }
        return PageHost::event(event);
    }

private:
    bool m_bOpen = true;
    int m_nQueued = 0;
    int m_nClears = 0;
    std::vector<Bytes> m_sent;
    std::vector<std::pair<QWidget *, int>> m_showRequests;
    QPointer<QObject> m_ymodem;
    QPointer<QObject> m_lineHolder;
    QString m_portTakenBy;
    InternalModeGate m_gate;
    PageRegistry m_pages;
    ParameterStore m_parameters;
    std::vector<std::pair<QString, QString>> m_replaced;
    RxDispatcher m_dispatch;
    std::unique_ptr<PageSheet> m_sheet;
};
