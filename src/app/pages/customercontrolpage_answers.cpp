// The answers of the customer control page that its own decoders show: MOS
// states, histories, the board clock, the temperature calibration and the
// packets of a running upgrade.
#include "app/pages/customercontrolpage.h"

#include "app/dialogs/firmwareupgradedialog.h"
#include "app/framework/boardtext.h"
#include "app/framework/internalmodegate.h"
#include "app/framework/msgbox.h"
#include "app/framework/pagehost.h"
#include "app/framework/rxreports.h"
#include "app/widgets/userlistctrl.h"
#include "protocol/bytes.h"
#include "protocol/control_cmds.h"

#include <QTime>

namespace {
DataBytes DataOf(const std::uint8_t *frame, int len)
{
    const ResponseView view = ViewResponse(frame, len);
    return DataBytes(view.data, view.data ? static_cast<std::size_t>(view.avail) : 0);
}

MosRow MosRowOf(int chkID)
{
    switch (chkID) {
    case IDC_ELE_DISCHARGE_MOS: return MosRow::Discharge;
    case IDC_ELE_PRE_MOS: return MosRow::PreDischarge;
    default: return MosRow::Charge;
    }
}
} // namespace

void CustomerControlPage::OnRoute(const RxRoute &route, const std::uint8_t *frame, int len)
{
    if (!frame || len < 5)
        return;
    if (route.tag == TAG_UPGRADE_PACKET) {
        if (m_pFirewareDlg) // else no upgrade runs: nobody waits for the packet
            m_pFirewareDlg->OnUpgradeFrame(frame, len);
        return;
    }
    if (route.tag == TAG_EXEC_RESULT) {
        OnExecResultAnswer(frame, len);
        return;
    }
    switch (route.chk) {
    case IDC_ELE_CHARGE_MOS:
    case IDC_ELE_DISCHARGE_MOS:
    case IDC_ELE_PRE_MOS: OnMosAnswer(route.chk, frame, len); break;
    case IDC_ELE_CHARGE_HISTORY:
    case IDC_ELE_DISCHARGE_HISTORY: OnHistoryAnswer(route.chk, frame, len); break;
    case IDC_ELE_CLOCK: OnClockAnswer(frame, len); break;
    case IDC_ELE_TEMP_CAL: OnTemperatureCalibrationAnswer(frame, len); break;
    case IDC_ELE_ENTER:
    case IDC_ELE_LEAVE: OnModeAck(route.chk, frame, len); break;
    case IDC_ELE_CURR_CAL: OnCurrentCalibrationAnswer(frame, len); break;
    case IDC_ELE_BALANCE: OnBalanceAnswer(frame, len); break;
    case IDC_ELE_WORK_MODE:
    case IDC_ELE_BMS_STATE: OnStateByteAnswer(route.chk, frame, len); break;
    default: break;
    }
}

void CustomerControlPage::OnModeAck(int chkID, const std::uint8_t *frame, int len)
{
    const bool enter = chkID == IDC_ELE_ENTER;
    const QString text =
        QTime::currentTime().toString(QStringLiteral("HH:mm:ss")) + (enter ? tr("，成功进入") : tr("，成功退出"));
    const bool ok = CheckAckResponse(frame, len, chkID, enter ? IDC_ELE_ENTER_EDIT : IDC_ELE_LEAVE_EDIT, &text);
    if (ok && enter && Host())
        Host()->Gate().OnBoardConfirmed(); // the page the user asked for opens now
}

void CustomerControlPage::OnCurrentCalibrationAnswer(const std::uint8_t *frame, int len)
{
    ParamEntry entry;
    if (!CheckRowResponse(frame, len, 0, IDC_ELE_CURR_CAL, entry))
        return;
    const DataBytes bytes = DataOf(frame, len);
    if (std::optional<std::uint16_t> current = ReadBe16(bytes, 1))
        SetDlgItemInt(entry.nEditID, *current, false);
    if (std::optional<std::uint16_t> threshold = ReadBe16(bytes, 3))
        SetDlgItemInt(IDC_ELE_CURR_CAL_THRESHOLD, static_cast<unsigned>(static_cast<std::int16_t>(*threshold)), true);
}

void CustomerControlPage::OnBalanceAnswer(const std::uint8_t *frame, int len)
{
    ParamEntry entry;
    if (!CheckRowResponse(frame, len, 4, IDC_ELE_BALANCE, entry))
        return;
    const DataBytes bytes = DataOf(frame, len);
    const std::optional<std::uint16_t> time = ReadBe16(bytes, 2);
    if (bytes.size() < 4 || !time)
        return;
    SetDlgItemInt(entry.nEditID, static_cast<unsigned>(static_cast<std::int8_t>(bytes[1])), true);
    SetDlgItemText(IDC_ELE_BALANCE_TIME, QString::number(static_cast<std::int16_t>(*time)));
}

void CustomerControlPage::OnStateByteAnswer(int chkID, const std::uint8_t *frame, int len)
{
    std::uint8_t b = 0;
    if (!ParseValueResponse(frame, len, 2, chkID, VT_UI1, &b))
        return;
    ParamEntry entry;
    if (!LookupParam(chkID, entry))
        return;
    SetDlgItemText(entry.nEditID, chkID == IDC_ELE_WORK_MODE ? BoardNames(WorkingModeNames(b), QStringLiteral(", "))
                                                             : BoardText(BmsStateText(b)));
}

void CustomerControlPage::OnExecResultAnswer(const std::uint8_t *frame, int len)
{
    const bool failed = CheckResponseQuiet(frame, len, 0);
    MessageBox(failed ? tr("执行失败！") : tr("执行成功！"), tr("警告"), MB_ICONWARNING);
}

void CustomerControlPage::OnMosAnswer(int chkID, const std::uint8_t *frame, int len)
{
    const MosRow row = MosRowOf(chkID);
    const std::uint8_t code = frame[3];
    if (!MosRowOn(row, code, 0))
        return; // another switch's answer
    std::uint8_t b = 0;
    if (!ParseValueResponse(frame, len, kNeedMos, chkID, VT_UI1, &b))
        return;
    ParamEntry entry;
    if (LookupParam(chkID, entry))
        SetDlgItemText(entry.nEditID, QString::fromUtf8(OnOffText(MosRowOn(row, code, b).value_or(false))));
}

void CustomerControlPage::OnHistoryAnswer(int chkID, const std::uint8_t *frame, int len)
{
    ParamEntry entry;
    if (!CheckRowResponse(frame, len, 0, chkID, entry))
        return;
    const int column = chkID == IDC_ELE_CHARGE_HISTORY ? 1 : 2;
    const std::vector<std::string> values = DecodeHistory(DataOf(frame, len));
    const int count = static_cast<int>(values.size());
    for (int j = 0; j < count; ++j) {
        if (j >= m_pHistory->GetItemCount())
            m_pHistory->InsertItem(j, QString::fromStdString(HistoryIndexText(j)));
        m_pHistory->SetItemText(j, column, QString::fromStdString(values[static_cast<std::size_t>(j)]));
    }
    while (m_pHistory->GetItemCount() > count)
        m_pHistory->DeleteItem(m_pHistory->GetItemCount() - 1);
}

void CustomerControlPage::OnClockAnswer(const std::uint8_t *frame, int len)
{
    ParamEntry entry;
    if (!CheckRowResponse(frame, len, kNeedClock, IDC_ELE_CLOCK, entry))
        return;
    const std::optional<BoardClock> clock = DecodeBoardClock(DataOf(frame, len));
    if (!clock)
        return;
    SetPickerTime(
        QDateTime(QDate(clock->year, clock->month, clock->day), QTime(clock->hour, clock->minute, clock->second)));
}

void CustomerControlPage::OnTemperatureCalibrationAnswer(const std::uint8_t *frame, int len)
{
    ParamEntry entry;
    if (!CheckRowResponse(frame, len, kNeedTemperatureCalibration, IDC_ELE_TEMP_CAL, entry))
        return;
    const std::optional<TemperatureCalibration> cal = DecodeTemperatureCalibration(DataOf(frame, len));
    if (!cal)
        return;
    SetDlgItemInt(IDC_ELE_TEMP_CAL_INDEX, cal->index, false);
    SetDlgItemText(IDC_ELE_TEMP_CAL_VALUE, QString::fromStdString(cal->value));
}
