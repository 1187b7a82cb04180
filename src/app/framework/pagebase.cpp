#include "app/framework/pagebase.h"

#include "app/framework/internalmodegate.h"
#include "app/framework/msgbox.h"
#include "app/framework/pagehost.h"
#include "link/winmsg.h"
#include "protocol/dassert.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

PageBase::PageBase(PageHost *host, const QString &caption, QWidget *parent, PageAccess access)
    : QWidget(parent), m_pHost(host), m_access(access), m_strCaption(caption),
      m_timers([this](int id) { OnTimer(id); }, this)
{
}

PageBase::~PageBase() = default;

void PageBase::InitDialog()
{
    if (m_bInitialised)
        return;
    m_bInitialised = true;
    OnInitDialog();
}

void PageBase::OnInitDialog()
{
    if (auto *clear = Item<QAbstractButton>(IDC_CLEAR))
        connect(clear, &QAbstractButton::clicked, this, [this] { OnBtnClickClear(); });
}

bool PageBase::event(QEvent *event)
{
    int type = static_cast<int>(event->type());
    if (type >= WM_USER && type < WM_USER + 256) {
        auto *msg = static_cast<WinMsgEvent *>(event);
        if (OnMessage(type, msg->wParam(), msg->lParam()))
            return true;
    }
    return QWidget::event(event);
}

bool PageBase::OnMessage(int, std::intptr_t, std::intptr_t)
{
    return false;
}

void PageBase::PostMessage(int msg, std::intptr_t wParam, std::intptr_t lParam)
{
    PostMsg(this, msg, wParam, lParam);
}

int PageBase::MessageBox(const QString &text, const QString &caption, int flags)
{
    return ::MessageBox(this, text, caption, flags);
}

bool PageBase::OnSetActive()
{
    return !m_pHost || m_pHost->Gate().AllowActivation(this);
}

void PageBase::OnRoute(const RxRoute &, const std::uint8_t *, int)
{
    d_assert(0);
}

void PageBase::OnNoAnswer(const RxRoute &, const QDateTime &) {}

void PageBase::OnBoardSwitch()
{
    ClickDlgButton(IDC_CLEAR);
}

// ---------------------------------------------------------------- controls

void PageBase::ClickDlgButton(int id)
{
    if (auto *button = Item<QAbstractButton>(id))
        button->click();
    else if (id == IDC_CLEAR)
        OnBtnClickClear();
}

QCheckBox *PageBase::MakeCheck(int id, const QString &text)
{
    auto *check = new QCheckBox(text, this);
    RegisterControl(id, check);
    return check;
}

QLineEdit *PageBase::MakeEdit(int id, bool readOnly)
{
    auto *edit = new QLineEdit(this);
    edit->setReadOnly(readOnly);
    RegisterControl(id, edit);
    return edit;
}

LedLamp *PageBase::MakeLed(int id)
{
    auto *led = new LedLamp(this);
    RegisterControl(id, led);
    return led;
}

QPushButton *PageBase::MakeButton(int id, const QString &text)
{
    auto *button = new QPushButton(text, this);
    button->setAutoDefault(false);
    RegisterControl(id, button);
    return button;
}

QLabel *PageBase::MakeLabel(int id, const QString &text)
{
    auto *label = new QLabel(text, this);
    if (id)
        RegisterControl(id, label);
    return label;
}

// ---------------------------------------------------------------- requests

bool PageBase::SendFrame(const std::uint8_t *payload, std::size_t count)
{
    return m_pHost && m_pHost->SendFrame(payload, count);
}

bool PageBase::SendReadRequest(std::uint8_t cls, std::uint8_t code)
{
    const std::uint8_t payload[5] = {0x53, cls, code, 0x01, 0x00};
    return SendFrame(payload, sizeof payload);
}

bool PageBase::CheckPortOpen(const Refusal &refuse)
{
    if (m_pHost && m_pHost->IsPortOpen())
        return true;
    Warn(refuse, tr("发送请求"), tr("请先打开串口后再进行操作！"));
    return false;
}

void PageBase::Warn(const Refusal &refuse, const QString &title, const QString &text)
{
    if (refuse)
        refuse(title, text);
    else
        MessageBox(text, tr("警告"), MB_ICONWARNING);
}
