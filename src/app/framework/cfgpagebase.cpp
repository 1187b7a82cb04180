#include "app/framework/cfgpagebase.h"

#include "app/framework/innergate.h"
#include "app/framework/msgbox.h"
#include "app/framework/pagehost.h"
#include "link/winmsg.h"
#include "protocol/dassert.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

CCfgPageBase::CCfgPageBase(CPageHost *host, PageKind kind, const QString &caption, QWidget *parent)
    : QWidget(parent), m_pHost(host), m_kind(kind), m_strCaption(caption),
      m_timers([this](int id) { OnTimer(id); }, this)
{
}

CCfgPageBase::~CCfgPageBase() = default;

void CCfgPageBase::InitDialog()
{
    if (m_bInitialised)
        return;
    m_bInitialised = true;
    OnInitDialog();
}

void CCfgPageBase::OnInitDialog()
{
    if (auto *clear = Item<QAbstractButton>(IDC_CLEAR))
        connect(clear, &QAbstractButton::clicked, this, [this] { OnBtnClickClear(); });
}

bool CCfgPageBase::event(QEvent *event)
{
    int type = static_cast<int>(event->type());
    if (type >= WM_USER && type < WM_USER + 256) {
        auto *msg = static_cast<WinMsgEvent *>(event);
        if (OnMessage(type, msg->wParam(), msg->lParam()))
            return true;
    }
    return QWidget::event(event);
}

bool CCfgPageBase::OnMessage(int, std::intptr_t, std::intptr_t)
{
    return false;
}

void CCfgPageBase::PostMessage(int msg, std::intptr_t wParam, std::intptr_t lParam)
{
    PostMsg(this, msg, wParam, lParam);
}

int CCfgPageBase::MessageBox(const QString &text, const QString &caption, int flags)
{
    return ::MessageBox(this, text, caption, flags);
}

bool CCfgPageBase::OnSetActive()
{
    return !m_pHost || m_pHost->Gate().AllowActivation(this);
}

void CCfgPageBase::OnRoute(const RxRoute &, const std::uint8_t *, int)
{
    d_assert(0);
}

void CCfgPageBase::OnNoAnswer(const RxRoute &, const QDateTime &) {}

void CCfgPageBase::OnBoardSwitch()
{
    ClickDlgButton(IDC_CLEAR);
}

// ---------------------------------------------------------------- controls

void CCfgPageBase::ClickDlgButton(int id)
{
    if (auto *button = Item<QAbstractButton>(id))
        button->click();
    else if (id == IDC_CLEAR)
        OnBtnClickClear();
}

QCheckBox *CCfgPageBase::MakeCheck(int id, const QString &text)
{
    auto *check = new QCheckBox(text, this);
    RegisterControl(id, check);
    return check;
}

QLineEdit *CCfgPageBase::MakeEdit(int id, bool readOnly)
{
    auto *edit = new QLineEdit(this);
    edit->setReadOnly(readOnly);
    RegisterControl(id, edit);
    return edit;
}

CLedCtrl *CCfgPageBase::MakeLed(int id)
{
    auto *led = new CLedCtrl(this);
    RegisterControl(id, led);
    return led;
}

QPushButton *CCfgPageBase::MakeButton(int id, const QString &text)
{
    auto *button = new QPushButton(text, this);
    button->setAutoDefault(false);
    RegisterControl(id, button);
    return button;
}

QLabel *CCfgPageBase::MakeLabel(int id, const QString &text)
{
    auto *label = new QLabel(text, this);
    if (id)
        RegisterControl(id, label);
    return label;
}

// ---------------------------------------------------------------- requests

bool CCfgPageBase::SendFrame(const std::uint8_t *payload, std::size_t count)
{
    return m_pHost && m_pHost->SendFrame(payload, count);
}

bool CCfgPageBase::SendReadRequest(std::uint8_t cls, std::uint8_t code)
{
    const std::uint8_t payload[5] = {0x53, cls, code, 0x01, 0x00};
    return SendFrame(payload, sizeof payload);
}

bool CCfgPageBase::CheckPortOpen(const Refusal &refuse)
{
    if (m_pHost && m_pHost->IsPortOpen())
        return true;
    Warn(refuse, QStringLiteral("发送请求"), QStringLiteral("请先打开串口后再进行操作！"));
    return false;
}

void CCfgPageBase::Warn(const Refusal &refuse, const QString &title, const QString &text)
{
    if (refuse)
        refuse(title, text);
    else
        MessageBox(text, QStringLiteral("警告"), MB_ICONWARNING);
}
