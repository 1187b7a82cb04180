// The network panel of the terminal page (tab "网络"): a TCP client, a TCP
// server with any number of clients, or a UDP socket, all on the window's
// thread. It stands for whichever of the three links its protocol list
// chooses and tells the page about it with WM_ONRECEIVE (LINK_NET).
#pragma once

#include "app/framework/ctrlregistry.h"
#include "app/pages/terminalpanel.h"
#include "link/termtcpclient.h"
#include "link/termtcpserver.h"
#include "link/termudp.h"

#include <QWidget>

class LedLamp;
class PageHost;
class QComboBox;
class QLineEdit;

inline constexpr int IDC_NET_PROTOCOL = 111114;    // "协议"
inline constexpr int IDC_NET_TARGET_IP = 111110;   // "目的IP"
inline constexpr int IDC_NET_TARGET_PORT = 111115; // "目的端口"
inline constexpr int IDC_NET_LOCAL_PORT = 111116;  // "本地端口"
inline constexpr int IDC_NET_CLIENTS = 111120;     // send target of the TCP server
inline constexpr int IDC_NET_INFO = 111119;        // mode hint or local address
inline constexpr int IDC_NET_START = 111118;       // "连接" / "断开"
inline constexpr int IDC_NET_LAMP = 111117;        // state picture, a click acts like the button

class TerminalNetPanel : public QWidget, public CtrlRegistry, public TerminalPanel {
    Q_OBJECT
public:
    enum Protocol { TCP_CLIENT = 0, TCP_SERVER = 1, UDP = 2 };

    explicit TerminalNetPanel(PageHost *host, QWidget *parent = nullptr);
    ~TerminalNetPanel() override;

    void SetNotify(QObject *page) { m_inbox.SetTarget(page, LINK_NET); }

    // "Config": "netConfig" when stored, else 127.0.0.1, 8000, 9000, TCP Client.
    void ApplyStoredSettings();
    // Start or stop (button 111118 and the lamp).
    void OnBtnClickStart();
    bool IsActive() const { return m_bActive; }
    int Protocol() const { return m_nProtocol; }
    // -1 own socket, 0 every client, k >= 1 the k-th client.
    int SendTarget() const { return m_nSendTarget; }

    // TerminalPanel
    int Write(const QByteArray &bytes) override;
    int Read(QByteArray *data, QString *source, std::intptr_t wParam, std::intptr_t lParam) override;
    bool IsOpen() const override;
    TermLink *CurrentLink() override;
    PanelInbox &Inbox() override { return m_inbox; }

    TermTcpServerLink &Server() { return m_server; }
    TermTcpClientLink &Client() { return m_client; }
    TermUdpLink &Udp() { return m_udp; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void Build();
    void ApplyMode(int protocol);
    void ShowState();
    void Start();
    void Stop();
    void ClampPortEdit(QLineEdit *edit);
    int PortOf(int id) const;
    void UpdateUdpTarget();
    void OnClientChosen(int index);
    void OnClientAdded(const QString &peer);
    void OnClientRemoved(int place, const QString &peer);
    void OnClientConnected();
    void OnClientClosed();
    void OnLinkError(const QString &text, bool lost);
    void Connect(TermLink *link, std::intptr_t flags);

    PageHost *m_pHost;
    TermTcpClientLink m_client;
    TermTcpServerLink m_server;
    TermUdpLink m_udp;
    PanelInbox m_inbox;
    LedLamp *m_pLamp = nullptr;
    int m_nProtocol = TCP_CLIENT;
    int m_nSendTarget = -1;
    bool m_bActive = false;
    // The TCP client's attempt failed: its Closed() is the failure, not a stop.
    bool m_bClientFailed = false;
};
