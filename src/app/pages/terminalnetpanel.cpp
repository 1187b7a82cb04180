#include "app/pages/terminalnetpanel.h"

#include "app/framework/ledlamp.h"
#include "app/framework/msgbox.h"
#include "app/framework/pagehost.h"
#include "app/userprofile.h"
#include "link/termnet.h"
#include "protocol/termtext.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHostAddress>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSettings>

namespace {
struct ModeRow {
    const char *info;
    bool targetIp, targetPort, localPort, clients;
};
// Per protocol: the hint and which edits are enabled while stopped.
const ModeRow kModes[] = {
    {QT_TRANSLATE_NOOP("TerminalNetPanel", "本地端口自动分配"), true, true, false, false},
    {QT_TRANSLATE_NOOP("TerminalNetPanel", "发送数据前先选客户端 ↑"), true, false, true, true},
    {QT_TRANSLATE_NOOP("TerminalNetPanel", "监听自己设本地端口"), true, true, true, false},
};
} // namespace

TerminalNetPanel::TerminalNetPanel(PageHost *host, QWidget *parent) : QWidget(parent), m_pHost(host)
{
    Build();
    Connect(&m_client, 0);
    Connect(&m_server, NET_CLIENT_EVENT);
    Connect(&m_udp, 0);
    connect(&m_client, &TermLink::Opened, this, &TerminalNetPanel::OnClientConnected);
    connect(&m_client, &TermLink::Closed, this, &TerminalNetPanel::OnClientClosed);
    connect(&m_server, &TermTcpServerLink::ClientAdded, this, &TerminalNetPanel::OnClientAdded);
    connect(&m_server, &TermTcpServerLink::ClientRemoved, this, &TerminalNetPanel::OnClientRemoved);
    connect(&m_server, &TermTcpServerLink::SendTargetChanged, this, [this](int target) {
        m_nSendTarget = target;
        QSignalBlocker block(Item<QComboBox>(IDC_NET_CLIENTS));
        Item<QComboBox>(IDC_NET_CLIENTS)->setCurrentIndex(target);
    });
    ApplyStoredSettings();
    ShowState();
}

TerminalNetPanel::~TerminalNetPanel()
{
    for (TermLink *link :
         {static_cast<TermLink *>(&m_client), static_cast<TermLink *>(&m_server), static_cast<TermLink *>(&m_udp)}) {
        link->disconnect(this);
        link->Close();
    }
}

void TerminalNetPanel::Connect(TermLink *link, std::intptr_t flags)
{
    connect(link, &TermLink::PeerBytesReceived, this,
            [this, flags](const QString &peer, const QByteArray &bytes) { m_inbox.Push(peer, bytes, flags); });
    connect(link, &TermLink::ErrorOccurred, this, &TerminalNetPanel::OnLinkError);
    if (link != &m_client) {
        connect(link, &TermLink::Opened, this, [this, flags] { m_inbox.Post(flags + LINK_EVT_OPENED); });
        connect(link, &TermLink::Closed, this, [this] { m_inbox.Post(LINK_EVT_CLOSED); });
    }
}

void TerminalNetPanel::Build()
{
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(4, 4, 4, 4);
    auto label = [this](const char *text) { return new QLabel(tr(text), this); };

    auto *protocol = new LinkCombo(this);
    protocol->addItems({QStringLiteral("TCP Client"), QStringLiteral("TCP Server"), QStringLiteral("UDP")});
    RegisterControl(IDC_NET_PROTOCOL, protocol);
    connect(protocol, &QComboBox::currentIndexChanged, this, &TerminalNetPanel::ApplyMode);
    grid->addWidget(label(QT_TR_NOOP("协议")), 0, 0);
    grid->addWidget(protocol, 0, 1);

    auto *ip = new QLineEdit(this);
    RegisterControl(IDC_NET_TARGET_IP, ip);
    grid->addWidget(label(QT_TR_NOOP("目的IP")), 1, 0);
    grid->addWidget(ip, 1, 1);

    const struct {
        int id;
        const char *text;
    } ports[] = {{IDC_NET_TARGET_PORT, QT_TR_NOOP("目的端口")}, {IDC_NET_LOCAL_PORT, QT_TR_NOOP("本地端口")}};
    int row = 2;
    for (const auto &p : ports) {
        auto *edit = new QLineEdit(this);
        edit->setMaxLength(5);
        edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d{0,5}")), edit));
        edit->installEventFilter(this);
        RegisterControl(p.id, edit);
        grid->addWidget(label(p.text), row, 0);
        grid->addWidget(edit, row, 1);
        ++row;
    }

    auto *clients = new LinkCombo(this);
    clients->addItem(tr("所有连接"));
    RegisterControl(IDC_NET_CLIENTS, clients);
    connect(clients, &QComboBox::activated, this, &TerminalNetPanel::OnClientChosen);
    grid->addWidget(clients, row++, 0, 1, 2);

    auto *info = new QLabel(QStringLiteral("Info"), this);
    info->setWordWrap(true);
    RegisterControl(IDC_NET_INFO, info);
    grid->addWidget(info, row++, 0, 1, 2);

    m_pLamp = new LedLamp(this);
    RegisterControl(IDC_NET_LAMP, m_pLamp);
    connect(m_pLamp, &LedLamp::clicked, this, &TerminalNetPanel::OnBtnClickStart);
    auto *start = new QPushButton(tr("连接"), this);
    start->setAutoDefault(false);
    RegisterControl(IDC_NET_START, start);
    connect(start, &QPushButton::clicked, this, &TerminalNetPanel::OnBtnClickStart);
    grid->addWidget(m_pLamp, row, 0);
    grid->addWidget(start, row, 1);
}

void TerminalNetPanel::ApplyStoredSettings()
{
    QSettings profile = UserProfile();
    QString stored = profile.value(QStringLiteral("Config/netConfig"), QStringLiteral("NULL")).toString();
    term::NetConfig config = term::ParseNetConfig(stored.toStdString()).value_or(term::NetConfig{});
    SetDlgItemText(IDC_NET_TARGET_IP, QString::fromStdString(term::AddressText(config.address)));
    SetDlgItemText(IDC_NET_TARGET_PORT, QString::number(term::ClampPort(config.targetPort)));
    SetDlgItemText(IDC_NET_LOCAL_PORT, QString::number(term::ClampPort(config.localPort)));
    auto *protocol = Item<QComboBox>(IDC_NET_PROTOCOL);
    int index = config.protocol >= 0 && config.protocol < 3 ? config.protocol : 0;
    QSignalBlocker block(protocol);
    protocol->setCurrentIndex(index);
    ApplyMode(index);
}

void TerminalNetPanel::ApplyMode(int protocol)
{
    if (protocol < 0 || protocol > 2)
        return;
    m_nProtocol = protocol;
    if (protocol == TCP_CLIENT)
        m_nSendTarget = -1;
    else if (protocol == TCP_SERVER)
        m_nSendTarget = 0;
    SetDlgItemText(IDC_NET_INFO, tr(kModes[protocol].info));
    ShowState();
}

void TerminalNetPanel::ShowState()
{
    const ModeRow &mode = kModes[m_nProtocol];
    Item<QPushButton>(IDC_NET_START)->setText(m_bActive ? tr("断开") : tr("连接"));
    m_pLamp->SetLed(LedLamp::kGreen, m_bActive ? LedLamp::kBright : LedLamp::kGrey, LedLamp::kRound);
    GetDlgItem(IDC_NET_PROTOCOL)->setEnabled(!m_bActive);
    // While running, the settings the link was started with stay as they are.
    GetDlgItem(IDC_NET_TARGET_IP)->setEnabled(mode.targetIp && !(m_bActive && m_nProtocol != UDP));
    GetDlgItem(IDC_NET_TARGET_PORT)->setEnabled(mode.targetPort && !(m_bActive && m_nProtocol == TCP_CLIENT));
    GetDlgItem(IDC_NET_LOCAL_PORT)->setEnabled(mode.localPort && !m_bActive);
    GetDlgItem(IDC_NET_CLIENTS)->setEnabled(mode.clients);
}

bool TerminalNetPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusOut)
        if (auto *edit = qobject_cast<QLineEdit *>(watched))
            ClampPortEdit(edit);
    return QWidget::eventFilter(watched, event);
}

void TerminalNetPanel::keyPressEvent(QKeyEvent *event)
{
    // Enter and Esc never leave the panel.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TerminalNetPanel::ClampPortEdit(QLineEdit *edit)
{
    QString text = edit->text().trimmed();
    if (text.isEmpty())
        return;
    QString clamped = QString::number(term::ClampPort(text.toLongLong()));
    if (clamped != text)
        edit->setText(clamped);
}

int TerminalNetPanel::PortOf(int id) const
{
    return term::ClampPort(GetDlgItemText(id).trimmed().toLongLong());
}

void TerminalNetPanel::UpdateUdpTarget()
{
    m_udp.SetTarget(GetDlgItemText(IDC_NET_TARGET_IP), static_cast<quint16>(PortOf(IDC_NET_TARGET_PORT)));
}

void TerminalNetPanel::OnBtnClickStart()
{
    if (m_bActive)
        Stop();
    else
        Start();
}

void TerminalNetPanel::Start()
{
    ClampPortEdit(Item<QLineEdit>(IDC_NET_TARGET_PORT));
    ClampPortEdit(Item<QLineEdit>(IDC_NET_LOCAL_PORT));
    QString address = GetDlgItemText(IDC_NET_TARGET_IP).trimmed();
    const QString failed = tr("连接失败:");
    m_inbox.Clear();
    switch (m_nProtocol) {
    case TCP_CLIENT:
        if (address.isEmpty()) {
            MessageBox(this, failed + tr("未输入地址"), tr("错误"), MB_ICONERROR);
            return;
        }
        m_bClientFailed = false;
        m_client.SetTarget(address, static_cast<quint16>(PortOf(IDC_NET_TARGET_PORT)));
        m_client.Open(); // the outcome comes as Opened() or as an error and Closed()
        break;
    case TCP_SERVER:
        m_server.SetLocalPort(static_cast<quint16>(PortOf(IDC_NET_LOCAL_PORT)));
        if (!m_server.Open()) {
            MessageBox(this, tr("监听失败") + QStringLiteral("\n") + m_server.ErrorText(), tr("错误"), MB_ICONERROR);
            return;
        }
        break;
    case UDP:
        if (QHostAddress(address).isNull()) {
            MessageBox(this, failed + tr("无效地址"), tr("错误"), MB_ICONERROR);
            return;
        }
        UpdateUdpTarget();
        m_udp.SetLocalPort(static_cast<quint16>(PortOf(IDC_NET_LOCAL_PORT)));
        if (!m_udp.Open()) {
            MessageBox(this, tr("监听失败") + QStringLiteral("\n") + m_udp.ErrorText(), tr("错误"), MB_ICONERROR);
            return;
        }
        break;
    }
    m_bActive = true;
    ShowState();
}

void TerminalNetPanel::Stop()
{
    m_bActive = false;
    auto *clients = Item<QComboBox>(IDC_NET_CLIENTS);
    {
        QSignalBlocker block(clients);
        while (clients->count() > 1)
            clients->removeItem(clients->count() - 1);
        clients->setCurrentIndex(0);
    }
    m_client.Close();
    m_server.Close();
    m_udp.Close();
    if (m_nProtocol == TCP_SERVER) {
        m_nSendTarget = 0;
        m_server.SetSendTarget(0);
    }
    SetDlgItemText(IDC_NET_INFO, tr(kModes[m_nProtocol].info));
    ShowState();
}

void TerminalNetPanel::OnClientChosen(int index)
{
    if (m_nSendTarget == -1 || index < 0)
        return;
    m_nSendTarget = index;
    m_server.SetSendTarget(index);
}

void TerminalNetPanel::OnClientAdded(const QString &peer)
{
    auto *clients = Item<QComboBox>(IDC_NET_CLIENTS);
    QSignalBlocker block(clients);
    clients->addItem(peer);
    // The send target stays what the user chose ("所有连接" until then): a
    // client that connects never takes the others' data away from them.
}

void TerminalNetPanel::OnClientRemoved(int place, const QString &peer)
{
    auto *clients = Item<QComboBox>(IDC_NET_CLIENTS);
    QSignalBlocker block(clients);
    if (place > 0 && place < clients->count() && clients->itemText(place) == peer)
        clients->removeItem(place);
    else if (int at = clients->findText(peer, Qt::MatchStartsWith); at > 0)
        clients->removeItem(at);
    clients->setCurrentIndex(m_server.SendTarget() < clients->count() ? m_server.SendTarget() : 0);
    m_nSendTarget = clients->currentIndex();
}

void TerminalNetPanel::OnClientConnected()
{
    SetDlgItemText(IDC_NET_INFO, QStringLiteral("Local:%1\n").arg(m_client.LocalText()));
    m_inbox.Post(LINK_EVT_OPENED);
}

void TerminalNetPanel::OnClientClosed()
{
    m_inbox.Post(LINK_EVT_CLOSED);
    if (!m_bActive)
        return; // stopped by the user
    // The attempt failed or the connection ended: the panel is stopped.
    m_bActive = false;
    SetDlgItemText(IDC_NET_INFO, QString());
    ShowState();
    QAbstractSocket::SocketError error = m_client.LastSocketError();
    if (error == QAbstractSocket::RemoteHostClosedError)
        return;
    QString text = m_bClientFailed ? tr("连接失败:") + NetFailureText(error) : tr("Socket读取错误!");
    // Shown once the socket's own signal has returned.
    QMetaObject::invokeMethod(
        this, [this, text] { MessageBox(this, text, tr("错误"), MB_ICONERROR); }, Qt::QueuedConnection);
}

void TerminalNetPanel::OnLinkError(const QString &text, bool lost)
{
    if (sender() == &m_client && lost)
        m_bClientFailed = !m_client.IsOpen(); // not yet connected: the attempt failed
    if (m_pHost)
        m_pHost->WriteLog(lost ? 3 : 4, tr("网络调试"), text);
}

int TerminalNetPanel::Write(const QByteArray &bytes)
{
    if (!IsOpen())
        return -1;
    qint64 n = -1;
    switch (m_nProtocol) {
    case TCP_CLIENT: n = m_client.Write(bytes); break;
    case TCP_SERVER: n = m_server.Write(bytes); break;
    case UDP:
        UpdateUdpTarget();
        n = m_udp.Write(bytes);
        break;
    }
    return static_cast<int>(n);
}

int TerminalNetPanel::Read(QByteArray *bytes, QString *source, std::intptr_t, std::intptr_t)
{
    if (m_inbox.Take(bytes, source))
        return bytes ? static_cast<int>(bytes->size()) : 0;
    if (bytes)
        bytes->clear();
    return IsOpen() ? 0 : -1;
}

bool TerminalNetPanel::IsOpen() const
{
    switch (m_nProtocol) {
    case TCP_CLIENT: return m_client.IsOpen();
    case TCP_SERVER: return m_server.IsOpen();
    default: return m_udp.IsOpen();
    }
}

TermLink *TerminalNetPanel::CurrentLink()
{
    switch (m_nProtocol) {
    case TCP_CLIENT: return &m_client;
    case TCP_SERVER: return &m_server;
    default: UpdateUdpTarget(); return &m_udp;
    }
}
