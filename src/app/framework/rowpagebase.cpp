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

RowPageBase::~RowPageBase() = default;

void RowPageBase::OnInitDialog()
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
    PageBase::OnInitDialog();
}

bool RowPageBase::event(QEvent *event)
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
    return PageBase::event(event);
}

void RowPageBase::OnBoardSwitch()
{
    PageBase::OnBoardSwitch();
    ResetLeds(false);
}

void RowPageBase::AttachRow(const ParamEntry &entry)
{
    d_assert(entry.pLedCtrl != nullptr);
    if (auto *check = Item<QAbstractButton>(entry.nChkID)) {
        if (check->toolTip().isEmpty())
            check->setToolTip(tr("双击勾选框：发送这一行的读取"));
        int id = entry.nChkID;
        connect(check, &QAbstractButton::clicked, this, [this, id] { OnParamCheckClicked(id); });
        check->installEventFilter(this);
    }
    if (entry.pLedCtrl) {
        // The lamp's tooltip says the gesture again after a no-answer look has gone.
        entry.pLedCtrl->setProperty("gestureTip", tr("双击指示灯：发送这一行的写入（执行）"));
        entry.pLedCtrl->setToolTip(entry.pLedCtrl->property("gestureTip").toString());
        int led = entry.ledID;
        connect(entry.pLedCtrl, &LedLamp::clicked, this, [this, led] { OnLedClicked(led); });
        connect(entry.pLedCtrl, &LedLamp::doubleClicked, this, [this, led] { OnLedDoubleClicked(led); });
    }
}

bool RowPageBase::eventFilter(QObject *watched, QEvent *event)
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
    return PageBase::eventFilter(watched, event);
}

void RowPageBase::OnParamCheckClicked(int chkID)
{
    if (IsDlgButtonChecked(chkID))
        SetLedState(chkID, LED_IDLE);
}

void RowPageBase::OnLedClicked(int ledID)
{
    auto it = m_ledMap.constFind(ledID);
    if (it != m_ledMap.constEnd())
        SetLedState(*it, LED_IDLE);
}

void RowPageBase::OnLedDoubleClicked(int ledID)
{
    auto it = m_ledMap.constFind(ledID);
    if (it != m_ledMap.constEnd())
        PostMessage(WM_WRITE_PARAM, *it);
}

void RowPageBase::OnBtnClickSelectAll()
{
    int s = IsDlgButtonChecked(IDC_SELECT_ALL);
    CheckAllParams(s);
    if (s == 1)
        SetLedState(INT_MAX, LED_IDLE);
}

void RowPageBase::OnBtnClickClear()
{
    for (const ParamEntry &entry : std::as_const(m_chkMap))
        if (auto *edit = Item<QLineEdit>(entry.nEditID))
            edit->clear();
}

// ---------------------------------------------------------------- controls

void RowPageBase::AddParamRow(QGridLayout *grid, int row, int chkID, const QString &label,
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
    LedLamp *led = MakeLed(ledID);
    grid->addWidget(led, row, 2);
    AddParam(ParamEntry{chkID, firstEdit, ledID, led});
}

QWidget *RowPageBase::MakeParamButtons()
{
    auto *bar = new QWidget(this);
    auto *row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(MakeCheck(IDC_SELECT_ALL, tr("全选")));
    row->addStretch(1);
    row->addWidget(MakeButton(IDC_READ, tr("读 取")));
    row->addWidget(MakeButton(IDC_WRITE, tr("写 入")));
    row->addWidget(MakeButton(IDC_CLEAR, tr("清空")));
    return bar;
}

// ---------------------------------------------------------------- registry

void RowPageBase::AddParam(const ParamEntry &entry)
{
    ASSERT_TEXT(!m_chkMap.contains(entry.nChkID), "m_chkMap.PLookup(vt.nChkID) == NULL");
    ASSERT_TEXT(!m_ledMap.contains(entry.ledID), "m_ledMap.PLookup(ledID) == NULL");
    ParamEntry stored = entry;
    if (!stored.pLedCtrl)
        stored.pLedCtrl = Item<LedLamp>(entry.ledID);
    m_chkMap.insert(entry.nChkID, stored);
    m_ledMap.insert(entry.ledID, entry.nChkID);
}

void RowPageBase::AddReadOnly(int chkID)
{
    ASSERT_TEXT(!m_readOnly.contains(chkID), "m_readOnly.PLookup(chkID) == NULL");
    m_readOnly.insert(chkID, 0);
}

bool RowPageBase::LookupParam(int nChkID, ParamEntry &entry) const
{
    auto it = m_chkMap.constFind(nChkID);
    if (it == m_chkMap.constEnd())
        return false;
    entry = *it;
    return true;
}

namespace {
constexpr int kNoAnswerColour = LedLamp::kYellow;

void ShowLedState(LedLamp *led, int state)
{
    led->setToolTip(led->property("gestureTip").toString());
    led->SetLed(state == LED_ERROR ? LedLamp::kRed : LedLamp::kGreen,
                state == LED_IDLE ? LedLamp::kDark : LedLamp::kBright, LedLamp::kSquare);
}
} // namespace

void RowPageBase::SetLedState(int nChkID, int state)
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

void RowPageBase::SetNoAnswerLook(int nChkID, const QDateTime &since)
{
    auto it = m_chkMap.constFind(nChkID);
    if (it == m_chkMap.constEnd() || !it->pLedCtrl)
        return;
    it->pLedCtrl->SetLed(kNoAnswerColour, LedLamp::kBright, LedLamp::kSquare);
    it->pLedCtrl->setToolTip(tr("无应答（自 %1）").arg(since.toString(QStringLiteral("HH:mm:ss"))));
}

bool RowPageBase::HasNoAnswerLook(int nChkID) const
{
    auto it = m_chkMap.constFind(nChkID);
    return it != m_chkMap.constEnd() && it->pLedCtrl && it->pLedCtrl->ColourRow() == kNoAnswerColour &&
           it->pLedCtrl->ColumnIndex() == LedLamp::kBright;
}

void RowPageBase::OnNoAnswer(const RxRoute &route, const QDateTime &since)
{
    if (route.chk != 0 && m_chkMap.contains(route.chk))
        SetNoAnswerLook(route.chk, since);
}

void RowPageBase::CheckAllParams(int check)
{
    for (const ParamEntry &entry : std::as_const(m_chkMap))
        CheckDlgButton(entry.nChkID, check);
}

bool RowPageBase::AnyParamChecked(bool checked) const
{
    for (const ParamEntry &entry : m_chkMap)
        if ((IsDlgButtonChecked(entry.nChkID) != 0) == checked)
            return true;
    return false;
}

void RowPageBase::ResetLeds(bool onlyUnchecked)
{
    for (const ParamEntry &entry : std::as_const(m_chkMap)) {
        if (onlyUnchecked && IsDlgButtonChecked(entry.nChkID))
            continue;
        if (entry.pLedCtrl)
            ShowLedState(entry.pLedCtrl, LED_IDLE);
    }
}
