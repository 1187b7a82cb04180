// "客户使用-2": a command panel for the board. Its seventeen rows send one
// command each (calibrations, MOS switches, storage mode, entering and
// leaving the internal debugging mode, histories, BMS state, the board
// clock, firmware upgrade, temperature calibration, the voltage difference
// for paralleling, working mode, balancing) and show the answer in the row;
// its buttons set the command interval, change the password and send the
// factory reset, reset-extremes and restart commands. The page also runs the
// unlock procedure that opens the internal pages.
#pragma once

#include "app/framework/rowpagebase.h"
#include "files/passwordstore.h"

#include <QDateTime>
#include <QPointer>

#include <array>
#include <cstdint>

class FirmwareUpgradeDialog;
class UserListCtrl;
class QDateTimeEdit;

// Rows: check-box, first box, lamp.
inline constexpr int IDC_ELE_VOLT_CAL = 1072, IDC_ELE_VOLT_CAL_EDIT = 1073;
inline constexpr int IDC_ELE_CURR_CAL = 1056, IDC_ELE_CURR_CAL_EDIT = 1054, IDC_ELE_CURR_CAL_THRESHOLD = 1441;
inline constexpr int IDC_ELE_CHARGE_MOS = 1129, IDC_ELE_CHARGE_MOS_EDIT = 1131;
inline constexpr int IDC_ELE_DISCHARGE_MOS = 1135, IDC_ELE_DISCHARGE_MOS_EDIT = 1134;
inline constexpr int IDC_ELE_PRE_MOS = 1139, IDC_ELE_PRE_MOS_EDIT = 1140;
inline constexpr int IDC_ELE_STORAGE = 1015, IDC_ELE_STORAGE_EDIT = 1014;
inline constexpr int IDC_ELE_ENTER = 1127, IDC_ELE_ENTER_EDIT = 1125, IDC_ELE_ENTER_LED = 1126;
inline constexpr int IDC_ELE_LEAVE = 1168, IDC_ELE_LEAVE_EDIT = 1166;
inline constexpr int IDC_ELE_CHARGE_HISTORY = 1016, IDC_ELE_HISTORY_LIST = 1018;
inline constexpr int IDC_ELE_DISCHARGE_HISTORY = 1116, IDC_ELE_DISCHARGE_HISTORY_EDIT = 1115;
inline constexpr int IDC_ELE_BMS_STATE = 1483, IDC_ELE_BMS_STATE_EDIT = 1485;
inline constexpr int IDC_ELE_CLOCK = 1396, IDC_ELE_CLOCK_DATE = 1397, IDC_ELE_CLOCK_TIME = 1398;
inline constexpr int IDC_ELE_UPGRADE = 1407, IDC_ELE_UPGRADE_PATH = 1408;
inline constexpr int IDC_ELE_TEMP_CAL = 1410, IDC_ELE_TEMP_CAL_INDEX = 1411, IDC_ELE_TEMP_CAL_VALUE = 1413;
inline constexpr int IDC_ELE_PARALLEL_DIFF = 1416, IDC_ELE_PARALLEL_DIFF_EDIT = 1417;
inline constexpr int IDC_ELE_WORK_MODE = 1422, IDC_ELE_WORK_MODE_EDIT = 1423;
inline constexpr int IDC_ELE_BALANCE = 1479, IDC_ELE_BALANCE_CELL = 1482, IDC_ELE_BALANCE_TIME = 1481;
// Buttons.
inline constexpr int IDC_ELE_CHARGE_ON = 1133, IDC_ELE_CHARGE_OFF = 1132;
inline constexpr int IDC_ELE_DISCHARGE_ON = 1138, IDC_ELE_DISCHARGE_OFF = 1137;
inline constexpr int IDC_ELE_PRE_ON = 1143, IDC_ELE_PRE_OFF = 1142;
inline constexpr int IDC_ELE_CMD_INTERVAL = 1317;
inline constexpr int IDC_ELE_CHANGE_PWD = 1297;
inline constexpr int IDC_ELE_FACTORY_RESET = 1496;
inline constexpr int IDC_ELE_RESET_EXTREMES = 1497;
inline constexpr int IDC_ELE_RESTART = 1498;

class CustomerControlPage : public RowPageBase {
    Q_OBJECT
public:
    // Tag of the route that carries upgrade packets to the running upgrade dialog.
    enum RouteTag : int { TAG_UPGRADE_PACKET = 6, TAG_EXEC_RESULT = 7 };

    explicit CustomerControlPage(PageHost *host, QWidget *parent = nullptr);
    ~CustomerControlPage() override;

    std::vector<RxRoute> Routes() const override;
    void OnRoute(const RxRoute &route, const std::uint8_t *frame, int len) override;

    // Only the clock (row 12) and the voltage difference (row 15) are read;
    // any other row is written.
    void ReadParams(int nChkID) override;
    void WriteParams(int nChkID) override;
    // Leaving the page forgets the page the unlock procedure was to open.
    void OnKillActive() override;

    // The unlock procedure: password (once per run), then the request to
    // enter the internal debugging mode; target is the page to open when the
    // board confirms (null: none).
    void Unlock(QWidget *target);

    // Check-box ids of the rows in their order.
    static const std::array<int, 17> &RowOrder();
    UserListCtrl *HistoryList() const { return m_pHistory; }
    QDateTime PickerTime() const;
    void SetPickerTime(const QDateTime &time);
    // Where the password dialogs keep the password (tests use a folder of their own).
    void SetPasswordStore(const PasswordStore &store) { m_store = store; }

protected:
    void OnInitDialog() override;
    bool OnMessage(int msg, std::intptr_t wParam, std::intptr_t lParam) override;
    void OnBtnClickClear() override;

private:
    void BuildRows();
    QWidget *BuildButtons();
    bool QueueWrite(int chkID);
    bool QueueRead(int chkID);
    // Row sends that check their boxes first.
    bool SendCurrentCalibration();
    bool SendClock();
    void SendUpgrade();
    bool SendTemperatureCalibration();
    bool SendBalancing();
    bool SendLeaveRequest();
    void SendEnterRequest();
    // The strict integer check of an edit box; false after the refusal.
    bool GetEditIntStrict(int editID, int &out, int min, int max);
    void RefuseEdit(int editID, const QString &text);
    bool SendPayload(const std::vector<std::uint8_t> &payload);

    // Answers.
    void OnMosAnswer(int chkID, const std::uint8_t *frame, int len);
    void OnHistoryAnswer(int chkID, const std::uint8_t *frame, int len);
    void OnClockAnswer(const std::uint8_t *frame, int len);
    void OnTemperatureCalibrationAnswer(const std::uint8_t *frame, int len);
    // "进入内部调试模式：" and "退出内部调试模式：": the time of the acknowledgement;
    // entering opens the page the user asked for.
    void OnModeAck(int chkID, const std::uint8_t *frame, int len);
    void OnCurrentCalibrationAnswer(const std::uint8_t *frame, int len);
    void OnBalanceAnswer(const std::uint8_t *frame, int len);
    // "电池工作模式：" (the set mode bits) and "BMS状态：" (boot or application area).
    void OnStateByteAnswer(int chkID, const std::uint8_t *frame, int len);
    // The answer to a command whose result is a message box ("执行成功！"/"执行失败！").
    void OnExecResultAnswer(const std::uint8_t *frame, int len);

    // Buttons.
    void OnBtnClickMos(int id);
    void OnBtnClickReset(int id);
    void OnBtnClickCmdInterval();
    void OnBtnClickChangePwd();

    UserListCtrl *m_pHistory = nullptr;
    // The command-protocol upgrade dialog while it runs: the upgrade packets go to it.
    QPointer<FirmwareUpgradeDialog> m_pFirewareDlg;
    QDateTimeEdit *m_pDate = nullptr;
    QDateTimeEdit *m_pTime = nullptr;
    PasswordStore m_store;
};
