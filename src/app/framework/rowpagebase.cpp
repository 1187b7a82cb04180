#include "app/framework/rowpagebase.h"

#include "app/framework/msgbox.h"
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

CRowPageBase::~CRowPageBase() = default;

void CRowPageBase::OnInitDialog()
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
    CCfgPageBase::OnInitDialog();
}

bool CRowPageBase::event(QEvent *event)
{
    int type = static_cast<int>(event->type());
    if (type == WM_READ_PARAM || type == WM_WRITE_PARAM) {
        int chkID = static_cast<int>(static_cast<WinMsgEvent *>(event)->wParam());
        if (type == WM_READ_PARAM) {
            CheckDlgButton(chkID, 1);
            ReadParams(chkID);
        } else {
            CheckDlgButton(chkID, IsDlgButtonChecked(chkID) ? 0 : 1);
            WriteParams(chkID);
        }
        return true;
    }
    return CCfgPageBase::event(event);
}

void CRowPageBase::OnBoardSwitch()
{
    CCfgPageBase::OnBoardSwitch();
    ResetLeds(false);
}

void CRowPageBase::AttachRow(const ParamEntry &entry)
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

bool CRowPageBase::eventFilter(QObject *watched, QEvent *event)
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
    return CCfgPageBase::eventFilter(watched, event);
}

void CRowPageBase::OnParamCheckClicked(int chkID)
{
    if (IsDlgButtonChecked(chkID))
        SetLedState(chkID, LED_IDLE);
}

void CRowPageBase::OnLedClicked(int ledID)
{
    auto it = m_ledMap.constFind(ledID);
    if (it != m_ledMap.constEnd())
        SetLedState(*it, LED_IDLE);
}

void CRowPageBase::OnLedDoubleClicked(int ledID)
{
    auto it = m_ledMap.constFind(ledID);
    if (it != m_ledMap.constEnd())
        PostMessage(WM_WRITE_PARAM, *it);
}

void CRowPageBase::OnBtnClickSelectAll()
{
    int s = IsDlgButtonChecked(IDC_SELECT_ALL);
    CheckAllParams(s);
    if (s == 1)
        SetLedState(INT_MAX, LED_IDLE);
}

void CRowPageBase::OnBtnClickClear()
{
    for (const ParamEntry &entry : std::as_const(m_chkMap))
        if (auto *edit = Item<QLineEdit>(entry.nEditID))
            edit->clear();
}

// ---------------------------------------------------------------- controls

void CRowPageBase::AddParamRow(QGridLayout *grid, int row, int chkID, const QString &label,
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

QWidget *CRowPageBase::MakeParamButtons()
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

void CRowPageBase::AddParam(const ParamEntry &entry)
{
    ASSERT_TEXT(!m_chkMap.contains(entry.nChkID), "m_chkMap.PLookup(vt.nChkID) == NULL");
    ASSERT_TEXT(!m_ledMap.contains(entry.ledID), "m_ledMap.PLookup(ledID) == NULL");
    ParamEntry stored = entry;
    if (!stored.pLedCtrl)
        stored.pLedCtrl = Item<CLedCtrl>(entry.ledID);
    m_chkMap.insert(entry.nChkID, stored);
    m_ledMap.insert(entry.ledID, entry.nChkID);
}

void CRowPageBase::AddReadOnly(int chkID)
{
    ASSERT_TEXT(!m_readOnly.contains(chkID), "m_readOnly.PLookup(chkID) == NULL");
    m_readOnly.insert(chkID, 0);
}

bool CRowPageBase::LookupParam(int nChkID, ParamEntry &entry) const
{
    auto it = m_chkMap.constFind(nChkID);
    if (it == m_chkMap.constEnd())
        return false;
    entry = *it;
    return true;
}

namespace {
constexpr int kNoAnswerColour = CLedCtrl::kYellow;

void ShowLedState(CLedCtrl *led, int state)
{
    led->setToolTip(QString());
    led->SetLed(state == LED_ERROR ? CLedCtrl::kRed : CLedCtrl::kGreen,
                state == LED_IDLE ? CLedCtrl::kDark : CLedCtrl::kBright, CLedCtrl::kSquare);
}
} // namespace

void CRowPageBase::SetLedState(int nChkID, int state)
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

void CRowPageBase::SetNoAnswerLook(int nChkID, const QDateTime &since)
{
    auto it = m_chkMap.constFind(nChkID);
    if (it == m_chkMap.constEnd() || !it->pLedCtrl)
        return;
    it->pLedCtrl->SetLed(kNoAnswerColour, CLedCtrl::kBright, CLedCtrl::kSquare);
    it->pLedCtrl->setToolTip(tr("无应答（自 %1）").arg(since.toString(QStringLiteral("HH:mm:ss"))));
}

bool CRowPageBase::HasNoAnswerLook(int nChkID) const
{
    auto it = m_chkMap.constFind(nChkID);
    return it != m_chkMap.constEnd() && it->pLedCtrl && it->pLedCtrl->ColourRow() == kNoAnswerColour &&
           it->pLedCtrl->ColumnIndex() == CLedCtrl::kBright;
}

void CRowPageBase::OnNoAnswer(const RxRoute &route, const QDateTime &since)
{
    if (route.chk != 0 && m_chkMap.contains(route.chk))
        SetNoAnswerLook(route.chk, since);
}

void CRowPageBase::CheckAllParams(int check)
{
    for (const ParamEntry &entry : std::as_const(m_chkMap))
        CheckDlgButton(entry.nChkID, check);
}

bool CRowPageBase::AnyParamChecked(bool checked) const
{
    for (const ParamEntry &entry : m_chkMap)
        if ((IsDlgButtonChecked(entry.nChkID) != 0) == checked)
            return true;
    return false;
}

void CRowPageBase::ResetLeds(bool onlyUnchecked)
{
    for (const ParamEntry &entry : std::as_const(m_chkMap)) {
        if (onlyUnchecked && IsDlgButtonChecked(entry.nChkID))
            continue;
        if (entry.pLedCtrl)
            ShowLedState(entry.pLedCtrl, LED_IDLE);
    }
}
