#include "app/framework/cfgpagebase.h"

#include "app/framework/msgbox.h"
#include "app/pylvexapp.h"
#include "app/pylvexdlg.h"
#include "link/winmsg.h"
#include "protocol/dassert.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>

// A failed condition recorded under its own text.
#define ASSERT_TEXT(cond, text)                                                                                        \
    do {                                                                                                               \
        if (!(cond))                                                                                                   \
            d_assert_fail(__FILE__, __LINE__, text);                                                                   \
    } while (0)

CCfgPageBase::CCfgPageBase(CPylvexDlg *mainDlg, PageKind kind, const QString &caption, QWidget *parent)
    : QWidget(parent), m_pMainDlg(mainDlg), m_kind(kind), m_strCaption(caption),
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
    InitReadOnly();
    for (const ParamEntry &entry : std::as_const(m_chkMap))
        AttachRow(entry);
    if (auto *all = Item<QAbstractButton>(IDC_SELECT_ALL))
        connect(all, &QAbstractButton::clicked, this, [this] { OnBtnClickSelectAll(); });
    if (auto *read = Item<QAbstractButton>(IDC_READ))
        connect(read, &QAbstractButton::clicked, this, [this] { ReadParams(-1); });
    if (auto *write = Item<QAbstractButton>(IDC_WRITE))
        connect(write, &QAbstractButton::clicked, this, [this] { WriteParams(-1); });
    if (auto *clear = Item<QAbstractButton>(IDC_CLEAR))
        connect(clear, &QAbstractButton::clicked, this, [this] { OnBtnClickClear(); });
}

void CCfgPageBase::AttachRow(const ParamEntry &entry)
{
    d_assert(entry.pLedCtrl != nullptr);
    if (auto *check = Item<QAbstractButton>(entry.nChkID)) {
        int id = entry.nChkID;
        connect(check, &QAbstractButton::clicked, this, [this, id] { OnParamCheckClicked(id); });
        check->installEventFilter(this);
    }
    if (entry.pLedCtrl) {
        int led = entry.ledID;
        connect(entry.pLedCtrl, &CLedCtrl::clicked, this, [this, led] { OnLedClicked(led); });
        connect(entry.pLedCtrl, &CLedCtrl::doubleClicked, this, [this, led] { OnLedDoubleClicked(led); });
    }
}

bool CCfgPageBase::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonDblClick) {
        auto *widget = qobject_cast<QWidget *>(watched);
        int id = widget ? IdOf(widget) : 0;
        if (id && m_chkMap.contains(id)) {
            ASSERT_TEXT(!m_ledMap.contains(id), "!(m_chkMap.PLookup(nID) && m_ledMap.PLookup(nID))");
            PostMessage(WM_READ_PARAM, id);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void CCfgPageBase::OnParamCheckClicked(int chkID)
{
    if (IsDlgButtonChecked(chkID))
        SetLedState(chkID, LED_IDLE);
}

void CCfgPageBase::OnLedClicked(int ledID)
{
    auto it = m_ledMap.constFind(ledID);
    if (it != m_ledMap.constEnd())
        SetLedState(*it, LED_IDLE);
}

void CCfgPageBase::OnLedDoubleClicked(int ledID)
{
    auto it = m_ledMap.constFind(ledID);
    if (it != m_ledMap.constEnd())
        PostMessage(WM_WRITE_PARAM, *it);
}

void CCfgPageBase::OnBtnClickSelectAll()
{
    int s = IsDlgButtonChecked(IDC_SELECT_ALL);
    CheckAllParams(s);
    if (s == 1)
        SetLedState(INT_MAX, LED_IDLE);
}

void CCfgPageBase::OnBtnClickClear()
{
    for (const ParamEntry &entry : std::as_const(m_chkMap))
        if (auto *edit = Item<QLineEdit>(entry.nEditID))
            edit->clear();
}

bool CCfgPageBase::event(QEvent *event)
{
    int type = static_cast<int>(event->type());
    if (type >= WM_USER && type < WM_USER + 256) {
        auto *msg = static_cast<WinMsgEvent *>(event);
        int chkID = static_cast<int>(msg->wParam());
        if (type == WM_READ_PARAM) {
            CheckDlgButton(chkID, 1);
            ReadParams(chkID);
            return true;
        }
        if (type == WM_WRITE_PARAM) {
            CheckDlgButton(chkID, IsDlgButtonChecked(chkID) ? 0 : 1);
            WriteParams(chkID);
            return true;
        }
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
    CPylvexApp *app = theApp();
    if (!app)
        return true;
    if (IsInnerPage()) {
        if (app->m_bInnerVerified)
            return true;
        if (!app->m_pPendingPage)
            app->m_pPendingPage = this;
        return false;
    }
    if (app->m_pPendingPage) {
        if (m_pMainDlg)
            PostMsg(m_pMainDlg, WM_SHOW_PAGE, reinterpret_cast<std::intptr_t>(app->m_pPendingPage), 0);
        app->m_pPendingPage = nullptr;
    }
    return true;
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

void CCfgPageBase::AddParamRow(QGridLayout *grid, int row, int chkID, const QString &label,
                               std::initializer_list<RowEdit> edits, int ledID)
{
    grid->addWidget(MakeCheck(chkID, label), row, 0);
    auto *boxes = new QHBoxLayout;
    int firstEdit = 0;
    for (const RowEdit &e : edits) {
        if (!e.caption.isEmpty())
            boxes->addWidget(new QLabel(e.caption, this));
        boxes->addWidget(MakeEdit(e.id, e.readOnly), 1);
        if (!e.unit.isEmpty())
            boxes->addWidget(new QLabel(e.unit, this));
        if (!firstEdit)
            firstEdit = e.id;
    }
    grid->addLayout(boxes, row, 1);
    CLedCtrl *led = MakeLed(ledID);
    grid->addWidget(led, row, 2);
    AddParam(ParamEntry{chkID, firstEdit, ledID, led});
}

QWidget *CCfgPageBase::MakeParamButtons()
{
    auto *bar = new QWidget(this);
    auto *row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(MakeCheck(IDC_SELECT_ALL, QStringLiteral("全选")));
    row->addStretch(1);
    row->addWidget(MakeButton(IDC_READ, QStringLiteral("读 取")));
    row->addWidget(MakeButton(IDC_WRITE, QStringLiteral("写 入")));
    row->addWidget(MakeButton(IDC_CLEAR, QStringLiteral("清空")));
    return bar;
}

// ---------------------------------------------------------------- registry

void CCfgPageBase::AddParam(const ParamEntry &entry)
{
    ASSERT_TEXT(!m_chkMap.contains(entry.nChkID), "m_chkMap.PLookup(vt.nChkID) == NULL");
    ASSERT_TEXT(!m_ledMap.contains(entry.ledID), "m_ledMap.PLookup(ledID) == NULL");
    ParamEntry stored = entry;
    if (!stored.pLedCtrl)
        stored.pLedCtrl = Item<CLedCtrl>(entry.ledID);
    m_chkMap.insert(entry.nChkID, stored);
    m_ledMap.insert(entry.ledID, entry.nChkID);
}

void CCfgPageBase::AddReadOnly(int chkID)
{
    ASSERT_TEXT(!m_readOnly.contains(chkID), "m_readOnly.PLookup(chkID) == NULL");
    m_readOnly.insert(chkID, 0);
}

bool CCfgPageBase::LookupParam(int nChkID, ParamEntry &entry) const
{
    auto it = m_chkMap.constFind(nChkID);
    if (it == m_chkMap.constEnd())
        return false;
    entry = *it;
    return true;
}

namespace {
void ShowLedState(CLedCtrl *led, int state)
{
    led->SetLed(state == LED_ERROR ? CLedCtrl::kRed : CLedCtrl::kGreen,
                state == LED_IDLE ? CLedCtrl::kDark : CLedCtrl::kBright, CLedCtrl::kSquare);
}
} // namespace

void CCfgPageBase::SetLedState(int nChkID, int state)
{
    if (nChkID == INT_MAX) {
        for (const ParamEntry &entry : std::as_const(m_chkMap)) {
            d_assert(entry.pLedCtrl != nullptr);
            if (entry.pLedCtrl)
                ShowLedState(entry.pLedCtrl, state);
        }
        return;
    }
    auto it = m_chkMap.constFind(nChkID);
    const ParamEntry *p = it == m_chkMap.constEnd() ? nullptr : &*it;
    d_assert(p != NULL);
    if (p && p->pLedCtrl)
        ShowLedState(p->pLedCtrl, state);
}

void CCfgPageBase::CheckAllParams(int check)
{
    for (const ParamEntry &entry : std::as_const(m_chkMap))
        CheckDlgButton(entry.nChkID, check);
}

bool CCfgPageBase::AnyParamChecked(bool checked) const
{
    for (const ParamEntry &entry : m_chkMap)
        if ((IsDlgButtonChecked(entry.nChkID) != 0) == checked)
            return true;
    return false;
}

void CCfgPageBase::ResetLeds(bool onlyUnchecked)
{
    for (const ParamEntry &entry : std::as_const(m_chkMap)) {
        if (onlyUnchecked && IsDlgButtonChecked(entry.nChkID))
            continue;
        if (entry.pLedCtrl)
            ShowLedState(entry.pLedCtrl, LED_IDLE);
    }
}

// ------------------------------------------------------- routing defaults

void CCfgPageBase::OnRowResponse(int, const std::uint8_t *, int)
{
    d_assert(0);
}
void CCfgPageBase::OnStatusResponse(const std::uint8_t *, int)
{
    d_assert(0);
}
void CCfgPageBase::OnBatchStatus(const std::uint8_t *, int)
{
    d_assert(0);
}
void CCfgPageBase::OnSocConfig(const std::uint8_t *, int)
{
    d_assert(0);
}
void CCfgPageBase::OnSocLearning(const std::uint8_t *, int)
{
    d_assert(0);
}
void CCfgPageBase::OnBatteryRecords(const std::uint8_t *, int)
{
    d_assert(0);
}
void CCfgPageBase::OnBatteryLogResponse(const std::uint8_t *, int)
{
    d_assert(0);
}
void CCfgPageBase::OnBoardTime(const std::uint8_t *, int)
{
    d_assert(0);
}
bool CCfgPageBase::OnUpgradePacket(const std::uint8_t *, int)
{
    return false;
}
