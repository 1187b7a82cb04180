// The customer control page: its rows and buttons, the requests they send and
// the unlock procedure. The answers are shown by customercontrolpage_answers.cpp.
#include "app/pages/customercontrolpage.h"

#include "app/dialogs/changepassworddialog.h"
#include "app/dialogs/filechooser.h"
#include "app/dialogs/firmwareupgradedialog.h"
#include "app/dialogs/inputbox.h"
#include "app/dialogs/verifypassworddialog.h"
#include "app/framework/internalmodegate.h"
#include "app/framework/msgbox.h"
#include "app/framework/pagehost.h"
#include "app/widgets/userlistctrl.h"
#include "link/linksettings.h"
#include "link/winmsg.h"
#include "protocol/control_cmds.h"
#include "protocol/dassert.h"
#include "protocol/int_input.h"
#include "protocol/text_numbers.h"

#include <QCheckBox>
#include <QDateTimeEdit>
#include <QEvent>
#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <climits>

namespace {

// The hour and minute of now as the status boxes of rows 7 and 8 show them.
QString HourMinute()
{
    const QTime now = QTime::currentTime();
    return QString::asprintf("%d:%d", now.hour(), now.minute());
}

// The list's columns take 2/11, 4/11 and 4/11 of its client width.
class HistoryColumns : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Resize)
            if (auto *list = qobject_cast<UserListCtrl *>(watched->parent())) {
                const int width = list->viewport()->width();
                list->SetColumnWidth(0, width * 2 / 11);
                list->SetColumnWidth(1, width * 4 / 11);
                list->SetColumnWidth(2, width * 4 / 11);
            }
        return false;
    }
};
} // namespace

CustomerControlPage::CustomerControlPage(PageHost *host, QWidget *parent) : RowPageBase(host, tr("客户使用-2"), parent)
{
    // The internal pages send the user here for the password.
    if (host)
        host->Gate().SetPasswordPage(this);
}

CustomerControlPage::~CustomerControlPage() = default;

const std::array<int, 17> &CustomerControlPage::RowOrder()
{
    static const std::array<int, 17> order = {
        IDC_ELE_VOLT_CAL,  IDC_ELE_CURR_CAL, IDC_ELE_CHARGE_MOS, IDC_ELE_DISCHARGE_MOS,  IDC_ELE_PRE_MOS,
        IDC_ELE_STORAGE,   IDC_ELE_ENTER,    IDC_ELE_LEAVE,      IDC_ELE_CHARGE_HISTORY, IDC_ELE_DISCHARGE_HISTORY,
        IDC_ELE_BMS_STATE, IDC_ELE_CLOCK,    IDC_ELE_UPGRADE,    IDC_ELE_TEMP_CAL,       IDC_ELE_PARALLEL_DIFF,
        IDC_ELE_WORK_MODE, IDC_ELE_BALANCE};
    return order;
}

std::vector<RxRoute> CustomerControlPage::Routes() const
{
    return {
        RowRoute(0x82, 0xDC, IDC_ELE_LEAVE),
        RowRoute(0x83, 0x83, IDC_ELE_CHARGE_HISTORY, true),
        RowRoute(0x83, 0x84, IDC_ELE_DISCHARGE_HISTORY, true),
        SkipWhenMissing({0x83, 0x90, OP_ACK, 0, 0, IDC_ELE_STORAGE, IDC_ELE_STORAGE_EDIT}),
        SkipWhenMissing(ValueRoute(0x83, 0x92, VT_UINT, 5, IDC_ELE_VOLT_CAL)),
        RowRoute(0x83, 0x93, IDC_ELE_CURR_CAL, true),
        RowRoute(0x83, 0x94, IDC_ELE_CHARGE_MOS, true),
        RowRoute(0x83, 0x94, IDC_ELE_DISCHARGE_MOS, true),
        RowRoute(0x83, 0x94, IDC_ELE_PRE_MOS, true),
        RowRoute(0x83, 0x95, IDC_ELE_CHARGE_MOS, true),
        RowRoute(0x83, 0x96, IDC_ELE_DISCHARGE_MOS, true),
        RowRoute(0x83, 0x97, IDC_ELE_PRE_MOS, true),
        RowRoute(0x83, 0xA1, IDC_ELE_ENTER, true),
        RowRoute(0x83, 0xA5, IDC_ELE_CLOCK, true),
        PageRoute(0x83, 0xA6, TAG_UPGRADE_PACKET, true),
        RowRoute(0x83, 0xA7, IDC_ELE_TEMP_CAL, true),
        SkipWhenMissing(ValueRoute(0x83, 0xA8, VT_UI2, 3, IDC_ELE_PARALLEL_DIFF)),
        SkipWhenMissing(ValueRoute(0x83, 0xA9, VT_UI2, 3, IDC_ELE_PARALLEL_DIFF)),
        RowRoute(0x83, 0xB0, IDC_ELE_WORK_MODE, true),
        PageRoute(0x83, 0xE5, TAG_EXEC_RESULT, true),
        RowRoute(0x85, 0x83, IDC_ELE_BALANCE),
        RowRoute(0x85, 0x84, IDC_ELE_BMS_STATE),
    };
}

// ---------------------------------------------------------------- layout

void CustomerControlPage::OnInitDialog()
{
    auto *outer = new QHBoxLayout(this);
    BuildRows();
    outer->addWidget(BuildButtons());
    RowPageBase::OnInitDialog();
}

void CustomerControlPage::BuildRows()
{
    auto *grid = new QGridLayout;
    grid->setVerticalSpacing(3);
    static_cast<QHBoxLayout *>(layout())->addLayout(grid, 1);
    int r = 0;
    AddParamRow(grid, r++, IDC_ELE_VOLT_CAL, tr("电压校准："), {RowEdit(IDC_ELE_VOLT_CAL_EDIT, QStringLiteral("mV"))},
                1071);
    AddParamRow(grid, r++, IDC_ELE_CURR_CAL, tr("电流校准 (mA)："),
                {RowEdit(IDC_ELE_CURR_CAL_EDIT), RowEdit(IDC_ELE_CURR_CAL_THRESHOLD, {}, tr("阈值"))}, 1055);
    struct MosRowIds {
        int chk, edit, led, on, off;
        const char *label;
    };
    static const MosRowIds kMosRows[] = {
        {IDC_ELE_CHARGE_MOS, IDC_ELE_CHARGE_MOS_EDIT, 1130, IDC_ELE_CHARGE_ON, IDC_ELE_CHARGE_OFF,
         QT_TR_NOOP("开关充电MOS管：")},
        {IDC_ELE_DISCHARGE_MOS, IDC_ELE_DISCHARGE_MOS_EDIT, 1136, IDC_ELE_DISCHARGE_ON, IDC_ELE_DISCHARGE_OFF,
         QT_TR_NOOP("开关放电MOS管：")},
        {IDC_ELE_PRE_MOS, IDC_ELE_PRE_MOS_EDIT, 1141, IDC_ELE_PRE_ON, IDC_ELE_PRE_OFF, QT_TR_NOOP("开关预放电MOS管：")},
    };
    for (const MosRowIds &m : kMosRows) {
        AddParamRow(grid, r, m.chk, tr(m.label), {RowEdit(m.edit)}, m.led);
        auto *buttons = new QHBoxLayout;
        for (auto [id, text] : {std::pair{m.on, QT_TR_NOOP("开")}, std::pair{m.off, QT_TR_NOOP("关")}}) {
            QPushButton *button = MakeButton(id, tr(text));
            connect(button, &QPushButton::clicked, this, [this, id] { OnBtnClickMos(id); });
            buttons->addWidget(button);
        }
        grid->addLayout(buttons, r++, 3);
    }
    AddParamRow(grid, r++, IDC_ELE_STORAGE, tr("进入仓储模式："), {RowEdit(IDC_ELE_STORAGE_EDIT)}, 1013);
    AddParamRow(grid, r++, IDC_ELE_ENTER, tr("进入内部调试模式："), {RowEdit(IDC_ELE_ENTER_EDIT, {}, {}, true)},
                IDC_ELE_ENTER_LED);
    AddParamRow(grid, r++, IDC_ELE_LEAVE, tr("退出内部调试模式："), {RowEdit(IDC_ELE_LEAVE_EDIT, {}, {}, true)}, 1167);

    // Row 9: the history list stands in the row's box.
    grid->addWidget(MakeCheck(IDC_ELE_CHARGE_HISTORY, tr("充电履历：")), r, 0, Qt::AlignTop);
    m_pHistory = new UserListCtrl(this);
    m_pHistory->SetListId(IDC_ELE_HISTORY_LIST);
    RegisterControl(IDC_ELE_HISTORY_LIST, m_pHistory);
    m_pHistory->InsertColumn(0, tr("序号"), 40);
    m_pHistory->InsertColumn(1, tr("充电(小时)"), 80);
    m_pHistory->InsertColumn(2, tr("放电(小时)"), 80);
    m_pHistory->setMinimumHeight(90);
    m_pHistory->setMaximumHeight(140);
    m_pHistory->viewport()->installEventFilter(new HistoryColumns(m_pHistory));
    grid->addWidget(m_pHistory, r, 1);
    LedLamp *historyLed = MakeLed(1017);
    grid->addWidget(historyLed, r++, 2, Qt::AlignTop);
    AddParam(ParamEntry{IDC_ELE_CHARGE_HISTORY, IDC_ELE_HISTORY_LIST, 1017, historyLed});

    AddParamRow(grid, r++, IDC_ELE_DISCHARGE_HISTORY, tr("放电履历："), {RowEdit(IDC_ELE_DISCHARGE_HISTORY_EDIT)},
                1114);
    GetDlgItem(IDC_ELE_DISCHARGE_HISTORY_EDIT)->hide();
    AddParamRow(grid, r++, IDC_ELE_BMS_STATE, tr("BMS状态："), {RowEdit(IDC_ELE_BMS_STATE_EDIT)}, 1484);

    // Row 12: the date and the time of day.
    grid->addWidget(MakeCheck(IDC_ELE_CLOCK, tr("当前时间：")), r, 0);
    auto *pickers = new QHBoxLayout;
    m_pDate = new QDateTimeEdit(QDate::currentDate(), this);
    m_pDate->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    m_pDate->setCalendarPopup(true);
    m_pTime = new QDateTimeEdit(QTime::currentTime(), this);
    m_pTime->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    RegisterControl(IDC_ELE_CLOCK_DATE, m_pDate);
    RegisterControl(IDC_ELE_CLOCK_TIME, m_pTime);
    pickers->addWidget(m_pDate, 1);
    pickers->addWidget(m_pTime, 1);
    grid->addLayout(pickers, r, 1);
    LedLamp *clockLed = MakeLed(1399);
    grid->addWidget(clockLed, r++, 2);
    AddParam(ParamEntry{IDC_ELE_CLOCK, IDC_ELE_CLOCK_DATE, 1399, clockLed});

    AddParamRow(grid, r++, IDC_ELE_UPGRADE, tr("保护板在线升级："),
                {RowEdit(IDC_ELE_UPGRADE_PATH, tr("（自定义升级协议）"))}, 1409);
    AddParamRow(grid, r++, IDC_ELE_TEMP_CAL, tr("温度校准："),
                {RowEdit(IDC_ELE_TEMP_CAL_INDEX, {}, tr("序号")), RowEdit(IDC_ELE_TEMP_CAL_VALUE, {}, tr("值"))}, 1412);
    AddParamRow(grid, r++, IDC_ELE_PARALLEL_DIFF, tr("双电并入压差："),
                {RowEdit(IDC_ELE_PARALLEL_DIFF_EDIT, QStringLiteral("mV"))}, 1418);
    AddParamRow(grid, r++, IDC_ELE_WORK_MODE, tr("电池工作模式："), {RowEdit(IDC_ELE_WORK_MODE_EDIT)}, 1424);
    AddParamRow(grid, r++, IDC_ELE_BALANCE, tr("均衡开启："),
                {RowEdit(IDC_ELE_BALANCE_CELL, {}, tr("节数")), RowEdit(IDC_ELE_BALANCE_TIME, {}, tr("时间"))}, 1480);
    grid->setRowStretch(r, 1);
    grid->setColumnStretch(1, 1);
}

QWidget *CustomerControlPage::BuildButtons()
{
    auto *bar = new QWidget(this);
    auto *column = new QVBoxLayout(bar);
    column->setContentsMargins(0, 0, 0, 0);
    struct Button {
        int id;
        const char *text;
    };
    static const Button kButtons[] = {
        {IDC_ELE_CMD_INTERVAL, QT_TR_NOOP("设置命令发送间隔")},
        {IDC_ELE_CHANGE_PWD, QT_TR_NOOP("修改密码")},
        {IDC_CLEAR, QT_TR_NOOP("清空")},
        {IDC_ELE_FACTORY_RESET, QT_TR_NOOP("恢复出厂")},
        {IDC_ELE_RESET_EXTREMES, QT_TR_NOOP("复位最值")},
        {IDC_ELE_RESTART, QT_TR_NOOP("重启系统")},
    };
    for (const Button &b : kButtons)
        column->addWidget(MakeButton(b.id, tr(b.text)));
    column->addStretch(1);
    // The rows have no read or write buttons: say how they are sent.
    auto *hint = new QLabel(tr("双击一行的勾选框读取这一行，双击它的指示灯发送这一行的命令。"), bar);
    hint->setObjectName(QStringLiteral("gestureHint"));
    hint->setWordWrap(true);
    column->addWidget(hint);
    connect(Item<QPushButton>(IDC_ELE_CMD_INTERVAL), &QPushButton::clicked, this, [this] { OnBtnClickCmdInterval(); });
    connect(Item<QPushButton>(IDC_ELE_CHANGE_PWD), &QPushButton::clicked, this, [this] { OnBtnClickChangePwd(); });
    for (int id : {IDC_ELE_FACTORY_RESET, IDC_ELE_RESET_EXTREMES, IDC_ELE_RESTART})
        connect(Item<QPushButton>(id), &QPushButton::clicked, this, [this, id] { OnBtnClickReset(id); });
    return bar;
}

QDateTime CustomerControlPage::PickerTime() const
{
    return QDateTime(m_pDate->date(), m_pTime->time());
}

void CustomerControlPage::SetPickerTime(const QDateTime &time)
{
    m_pDate->setDate(time.date());
    m_pTime->setTime(time.time());
}

// ---------------------------------------------------------------- walks

void CustomerControlPage::ReadParams(int nChkID)
{
    if (nChkID != IDC_ELE_CLOCK && nChkID != IDC_ELE_PARALLEL_DIFF) {
        WriteParams(nChkID);
        return;
    }
    static const int kReadable[] = {IDC_ELE_CLOCK, IDC_ELE_PARALLEL_DIFF};
    RunReadWalk(nChkID, kReadable, [this](int chkID) { return QueueRead(chkID); });
}

bool CustomerControlPage::QueueRead(int chkID)
{
    const CommandId command = chkID == IDC_ELE_CLOCK ? kCmdBoardClock : kCmdParallelDiffRead;
    return SendReadRequest(command.cls, command.code);
}

void CustomerControlPage::WriteParams(int nChkID)
{
    RunWriteWalk(nChkID, RowOrder(), [this](int chkID) { return QueueWrite(chkID); });
}

bool CustomerControlPage::QueueWrite(int chkID)
{
    switch (chkID) {
    case IDC_ELE_VOLT_CAL:
        return WriteParam(kCmdVoltageCalibration.cls, kCmdVoltageCalibration.code, IDC_ELE_VOLT_CAL_EDIT, VT_UINT, 0,
                          static_cast<int>(0xFFFFFFFFu));
    case IDC_ELE_CURR_CAL: return SendCurrentCalibration();
    case IDC_ELE_CHARGE_MOS:
    case IDC_ELE_DISCHARGE_MOS:
    case IDC_ELE_PRE_MOS: return SendPayload(PlainRequest(kCmdMosState));
    case IDC_ELE_STORAGE: return SendPayload(PlainRequest(kCmdStorageMode));
    case IDC_ELE_ENTER: Unlock(nullptr); return true;
    case IDC_ELE_LEAVE: return SendLeaveRequest();
    case IDC_ELE_CHARGE_HISTORY: return SendPayload(PlainRequest(kCmdChargeHistory));
    case IDC_ELE_DISCHARGE_HISTORY: return SendPayload(PlainRequest(kCmdDischargeHistory));
    case IDC_ELE_BMS_STATE: return SendPayload(PlainRequest(kCmdBmsState));
    case IDC_ELE_CLOCK: return SendClock();
    case IDC_ELE_UPGRADE: SendUpgrade(); return true;
    case IDC_ELE_TEMP_CAL: return SendTemperatureCalibration();
    case IDC_ELE_PARALLEL_DIFF:
        return WriteParam(kCmdParallelDiffWrite.cls, kCmdParallelDiffWrite.code, IDC_ELE_PARALLEL_DIFF_EDIT, VT_UI2, 0,
                          65535);
    case IDC_ELE_WORK_MODE: return SendPayload(PlainRequest(kCmdWorkingMode));
    case IDC_ELE_BALANCE: return SendBalancing();
    default: return false;
    }
}

bool CustomerControlPage::SendPayload(const std::vector<std::uint8_t> &payload)
{
    return SendFrame(payload.data(), payload.size());
}

void CustomerControlPage::RefuseEdit(int editID, const QString &text)
{
    MessageBox(text, tr("警告"), MB_ICONWARNING);
    if (auto *edit = Item<QLineEdit>(editID)) {
        edit->setFocus();
        edit->selectAll();
    }
}

bool CustomerControlPage::GetEditIntStrict(int editID, int &out, int min, int max)
{
    const StrictInt input = ParseStrictInt(GetDlgItemText(editID).toStdString(), min, max);
    switch (input.check) {
    case StrictIntCheck::Ok: out = static_cast<int>(input.value); return true;
    case StrictIntCheck::Empty: RefuseEdit(editID, tr("参数不能为空！")); return false;
    case StrictIntCheck::Invalid: RefuseEdit(editID, tr("输入的整数无效！")); return false;
    case StrictIntCheck::OutOfRange:
        RefuseEdit(editID, QString::asprintf(tr("请输入 %d 至 %d 之间的整数！").toUtf8().constData(), min, max));
        return false;
    }
    return false;
}

bool CustomerControlPage::SendCurrentCalibration()
{
    int value = 0;
    int threshold = 0;
    if (!GetEditIntStrict(IDC_ELE_CURR_CAL_EDIT, value, 0, 65535) ||
        !GetEditIntStrict(IDC_ELE_CURR_CAL_THRESHOLD, threshold, -32768, 32767))
        return false;
    return SendPayload(
        CurrentCalibrationPayload(static_cast<std::uint16_t>(value), static_cast<std::int16_t>(threshold)));
}

bool CustomerControlPage::SendLeaveRequest()
{
    if (!SendPayload(PlainRequest(kCmdLeaveInternal)))
        return false;
    SetDlgItemText(IDC_ELE_LEAVE_EDIT, HourMinute() + tr("请求退出，等待响应"));
    return true;
}

bool CustomerControlPage::SendClock()
{
    const int answer = MessageBox(tr("是否获取系统时间作为当前设置时间？"), tr("确认"), MB_YESNO | MB_ICONQUESTION);
    QDateTime time = answer == IDYES ? QDateTime::currentDateTime() : PickerTime();
    time = time.addMSecs(-time.time().msec());
    const BoardClock clock{time.date().year(), time.date().month(),  time.date().day(),
                           time.time().hour(), time.time().minute(), time.time().second()};
    const bool sent = SendPayload(ClockSetPayload(clock));
    SetPickerTime(time);
    return sent;
}

// Choose the firmware file, then run the upgrade dialog on it; while it runs
// the upgrade packets are handed to it.
void CustomerControlPage::SendUpgrade()
{
    FileAsk ask;
    ask.key = QStringLiteral("CCfgPageEle::CZXSJ_req");
    ask.filter = tr("Binary Files (*.bin *.hex);;All Files (*)");
    ask.initialName = tr("请选择升级文件");
    ask.title = tr("请选择升级文件");
    const QString chosen = ChooseFile(this, ask);
    if (chosen.isNull())
        return; // cancelled
    const QString path = chosen.trimmed();
    const QString error = UpgradeFileError(path);
    if (!error.isEmpty()) {
        MessageBox(error, tr("警告"), MB_ICONWARNING);
        if (auto *edit = Item<QLineEdit>(IDC_ELE_UPGRADE_PATH)) {
            edit->setFocus();
            edit->selectAll();
        }
        return;
    }
    SetDlgItemText(IDC_ELE_UPGRADE_PATH, path);
    auto *dlg = new FirmwareUpgradeDialog(Host(), path, this);
    m_pFirewareDlg = dlg;
    RunModal(dlg);
    m_pFirewareDlg = nullptr;
    delete dlg;
}

bool CustomerControlPage::SendTemperatureCalibration()
{
    int index = 0;
    if (!GetEditInt(IDC_ELE_TEMP_CAL_INDEX, index, INT_MIN, INT_MAX, true))
        return false;
    const CalibrationTemp temp = ParseCalibrationTemp(GetDlgItemText(IDC_ELE_TEMP_CAL_VALUE).toStdString());
    if (temp.check == CalibrationTempCheck::Empty) {
        RefuseEdit(IDC_ELE_TEMP_CAL_VALUE, tr("参数不能为空！"));
        return false;
    }
    if (temp.check == CalibrationTempCheck::OutOfRange) {
        RefuseEdit(IDC_ELE_TEMP_CAL_VALUE, tr("无效温度范围"));
        return false;
    }
    return SendPayload(TemperatureCalibrationPayload(index, temp.tenths));
}

bool CustomerControlPage::SendBalancing()
{
    int cell = 0;
    if (!GetEditInt(IDC_ELE_BALANCE_CELL, cell, INT_MIN, INT_MAX, true))
        return false;
    const std::optional<std::uint16_t> time = ParseBalancingTime(GetDlgItemText(IDC_ELE_BALANCE_TIME).toStdString());
    if (!time) {
        RefuseEdit(IDC_ELE_BALANCE_TIME, tr("参数不能为空！"));
        return false;
    }
    return SendPayload(BalancingPayload(cell, *time));
}

// ---------------------------------------------------------------- unlock

bool CustomerControlPage::OnMessage(int msg, std::intptr_t wParam, std::intptr_t lParam)
{
    if (msg == WM_UNLOCK_REQUEST) {
        Unlock(reinterpret_cast<QWidget *>(wParam));
        return true;
    }
    return RowPageBase::OnMessage(msg, wParam, lParam);
}

void CustomerControlPage::Unlock(QWidget *target)
{
    InternalModeGate &gate = Host()->Gate();
    gate.SetUnlockTarget(nullptr);
    if (!CheckPortOpen())
        return;
    if (!gate.IsVerified()) {
        VerifyPasswordDialog dlg(this, m_store);
        if (RunModal(&dlg) == QDialog::Accepted) {
            gate.SetVerified();
            gate.SetUnlockTarget(target);
        }
        if (!gate.IsVerified())
            return;
    }
    SendEnterRequest();
}

void CustomerControlPage::SendEnterRequest()
{
    const QString time = HourMinute();
    if (SendPayload(PlainRequest(kCmdEnterInternal)))
        SetDlgItemText(IDC_ELE_ENTER_EDIT, time + tr("请求进入，等待响应"));
    else
        SetDlgItemText(IDC_ELE_ENTER_EDIT, time + tr("，发送失败"));
}

void CustomerControlPage::OnKillActive()
{
    if (Host())
        Host()->Gate().SetUnlockTarget(nullptr);
    RowPageBase::OnKillActive();
}

// ---------------------------------------------------------------- buttons

void CustomerControlPage::OnBtnClickMos(int id)
{
    if (!CheckPortOpen())
        return;
    ResetReqCount();
    MosRow row = MosRow::Charge;
    bool on = false;
    switch (id) {
    case IDC_ELE_CHARGE_ON: on = true; [[fallthrough]];
    case IDC_ELE_CHARGE_OFF: row = MosRow::Charge; break;
    case IDC_ELE_DISCHARGE_ON: on = true; [[fallthrough]];
    case IDC_ELE_DISCHARGE_OFF: row = MosRow::Discharge; break;
    case IDC_ELE_PRE_ON: on = true; [[fallthrough]];
    case IDC_ELE_PRE_OFF: row = MosRow::PreDischarge; break;
    default: d_assert_fail(__FILE__, __LINE__, "0"); return;
    }
    if (id == IDC_ELE_DISCHARGE_OFF &&
        MessageBox(tr("放电 MOS 关闭之后需要手动打开，\n您确信要继续执行关闭放电 MOS 开关？"), tr("确认"),
                   MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
        return;
    SendPayload(MosSwitchPayload(row, on));
}

// A factory reset or a restart queued while the port is closed would wait in
// the queue and reach the board at some later opening: the port is checked
// first, as for every other command of the page.
void CustomerControlPage::OnBtnClickReset(int id)
{
    if (!CheckPortOpen())
        return;
    if (MessageBox(tr("您确定要继续吗？"), tr("确认"), MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    const ResetKind kind = id == IDC_ELE_FACTORY_RESET    ? ResetKind::Factory
                           : id == IDC_ELE_RESET_EXTREMES ? ResetKind::Extremes
                                                          : ResetKind::Restart;
    SendPayload(ResetPayload(kind));
}

void CustomerControlPage::OnBtnClickCmdInterval()
{
    InputBox box(this);
    box.m_strTitle = tr("设置命令发送间隔");
    box.m_strCaption = tr("发送间隔（毫秒）");
    box.m_strValue = QString::number(static_cast<unsigned>(CommandIntervalBase()));
    box.InitDialog();
    if (RunModal(&box) != QDialog::Accepted)
        return;
    const IntInput input = ParseIntInput(box.m_strValue.toStdString(), kMinCommandInterval, kMaxCommandInterval, true);
    if (!input.Ok()) {
        MessageBox(QString::fromStdString(IntInputMessage(input.error, kMinCommandInterval, kMaxCommandInterval, true)),
                   tr("警告"), MB_ICONWARNING);
        return;
    }
    SetCommandInterval(static_cast<int>(input.value));
}

void CustomerControlPage::OnBtnClickChangePwd()
{
    ChangePasswordDialog dlg(this, m_store);
    RunModal(&dlg);
}

void CustomerControlPage::OnBtnClickClear()
{
    for (int chk : RowOrder()) {
        ParamEntry entry;
        if (!LookupParam(chk, entry))
            continue;
        switch (entry.nEditID) {
        case IDC_ELE_HISTORY_LIST:
        case IDC_ELE_DISCHARGE_HISTORY_EDIT:
        case IDC_ELE_ENTER_EDIT:
        case IDC_ELE_LEAVE_EDIT: continue;
        default: break;
        }
        if (auto *edit = Item<QLineEdit>(entry.nEditID))
            edit->clear();
    }
    for (int id : {IDC_ELE_TEMP_CAL_VALUE, IDC_ELE_CURR_CAL_THRESHOLD})
        if (auto *edit = Item<QLineEdit>(id))
            edit->clear();
    for (int row = 0; row < m_pHistory->GetItemCount(); ++row) {
        m_pHistory->SetItemText(row, 1, QString());
        m_pHistory->SetItemText(row, 2, QString());
    }
}
