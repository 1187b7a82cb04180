// "内部调试": the board's identity and factory data (production date,
// versions, cell arrangement and capacity, serial number, measured capacity,
// open-circuit voltages, the charge and discharge internal resistance
// tables), raw access to the register block, the board's YModem upgrade
// request, and the measured-parameter files. An internal page.
#pragma once

#include "app/framework/rowpagebase.h"
#include "protocol/debug_cmds.h"

#include <QPointer>

#include <QString>
#include <span>

class UserListCtrl;
class QComboBox;
class QDateEdit;
class QLabel;
struct MeasuredParams;

// Control ids of the page.
inline constexpr int IDC_FOR_UPGRADE_CHK = 1378, IDC_FOR_UPGRADE_EDIT = 1377, IDC_FOR_UPGRADE_LED = 1379;
inline constexpr int IDC_FOR_DATE_CHK = 1313, IDC_FOR_DATE = 1312, IDC_FOR_DATE_LED = 1314;
inline constexpr int IDC_FOR_VER_CHK = 1308, IDC_FOR_VER_SW = 1309, IDC_FOR_VER_HW = 1311, IDC_FOR_VER_LED = 1310;
inline constexpr int IDC_FOR_ARR_CHK = 1154, IDC_FOR_SERIES = 1152, IDC_FOR_PARALLEL = 1155, IDC_FOR_CAPACITY = 1156,
                     IDC_FOR_ARR_LED = 1153;
inline constexpr int IDC_FOR_SN_CHK = 1319, IDC_FOR_SN = 1318, IDC_FOR_SN_LED = 1320;
inline constexpr int IDC_FOR_MEASURED_CHK = 1321, IDC_FOR_MEASURED = 1322, IDC_FOR_MEASURED_LED = 1323;
inline constexpr int IDC_FOR_OCV_CHK = 1279, IDC_FOR_OCV = 1281, IDC_FOR_OCV_LED = 1280, IDC_FOR_OCV_EDIT_BTN = 1282;
inline constexpr int IDC_FOR_CHG_CHK = 1064, IDC_FOR_CHG_INDEX = 1429, IDC_FOR_CHG_CURRENT = 1430,
                     IDC_FOR_CHG_RES = 1065, IDC_FOR_CHG_LED = 1063, IDC_FOR_CHG_EDIT_BTN = 1066;
inline constexpr int IDC_FOR_DSG_CHK = 1253, IDC_FOR_DSG_INDEX = 1431, IDC_FOR_DSG_CURRENT = 1432,
                     IDC_FOR_DSG_RES = 1255, IDC_FOR_DSG_LED = 1254, IDC_FOR_DSG_EDIT_BTN = 1256;
inline constexpr int IDC_FOR_REG_CHK = 1186, IDC_FOR_REG_NAME = 1184, IDC_FOR_REG_LED = 1185,
                     IDC_FOR_REG_EDIT_BTN = 1188, IDC_FOR_REG_LIST = 1187;
inline constexpr int IDC_FOR_TABLE_LIST = 1436, IDC_FOR_CHG_TABLE_LED = 1437, IDC_FOR_DSG_TABLE_LED = 1438;
inline constexpr int IDC_FOR_IMPORT = 1440, IDC_FOR_EXPORT = 1439;

class InternalDebugPage : public RowPageBase {
    Q_OBJECT
public:
    // Columns of the table list 1436.
    enum TableColumn { COL_TYPE, COL_INDEX, COL_CURRENT, COL_RESISTANCE };

    explicit InternalDebugPage(PageHost *host, QWidget *parent = nullptr);
    ~InternalDebugPage() override;

    std::vector<RxRoute> Routes() const override;
    void OnRoute(const RxRoute &route, const std::uint8_t *frame, int len) override;

    void InitReadOnly() override;
    void ReadParams(int nChkID) override;
    void WriteParams(int nChkID) override;

    // Opens the fill-in dialog for one of the fourteen-value boxes (1065, 1255,
    // 1281); on OK rewrites the box and writes its row.
    void OpenFillIn(int kind);
    // "修改寄存器值": the register block in the fill-in dialog; OK writes it.
    void OnBtnClickEditRegister();
    void OnBtnClickImportParam();
    void OnBtnClickExportParam();
    // A click on row 0 to 3 of the table list.
    void OnClickTableRow(int row);

    // --- state for tests
    const RegisterBlock &Register() const { return m_ucRegister; }
    QString UpgradeFile() const { return m_strUpgradeFile; }
    int ChargeAcks() const { return m_nChargeAcks; }
    int DischargeAcks() const { return m_nDischargeAcks; }
    UserListCtrl *TableList() const { return m_pTable; }
    UserListCtrl *RegisterList() const { return m_pRegList; }
    QDateEdit *DatePicker() const { return m_pDate; }
    QComboBox *RegisterNameBox() const { return m_pRegName; }
    // The note beside the date picker (an impossible date from the board).
    QString DateNote() const;
    // The running number of the register rows (process-wide).
    static unsigned RegisterRowsShown();

protected:
    void OnInitDialog() override;
    void OnBtnClickClear() override;

private:
    void BuildLayout();
    QWidget *BuildTableBox();
    QWidget *BuildRegisterBox();
    bool QueueRead(int chk);
    bool LeaveUpgradeOutOfWalk(int nChkID, std::span<const int> order);
    bool QueueWrite(int chk);
    void RequestUpgrade();
    void OpenUpgrade();
    bool ReadRegister();
    bool WriteDate();
    bool WriteArrangement();
    bool WriteSn();
    bool WriteOcv();

    // Decoders of the routed answers.
    void OnUpgradeAnswer(const std::uint8_t *frame, int len);
    void OnDateAnswer(const std::uint8_t *frame, int len);
    void OnArrangementAnswer(const std::uint8_t *frame, int len);
    void OnSnAnswer(const std::uint8_t *frame, int len);
    void OnRegisterAnswer(const std::uint8_t *frame, int len);
    void OnResistanceAnswer(const std::uint8_t *frame, int len);
    void OnOcvAnswer(const std::uint8_t *frame, int len);

public:
    // The controls of one internal resistance table.
    struct TableIds;

private:
    // --- internal resistance tables (internaldebugpage_tables.cpp)
    static const TableIds &Ids(ResistanceTable table);
    bool ReadTableRow(ResistanceTable table);
    bool WriteTableRowFromBoxes(ResistanceTable table);
    // Bulk write of a table from its list rows; false stops the walk.
    bool WriteTable(ResistanceTable table);
    int &Acks(ResistanceTable table);
    void SetTableLamp(ResistanceTable table, bool bright);
    // The fourteen-value box text checked piece by piece (messages on the box);
    // WrongCount opens the fill-in dialog.
    bool TakeFourteen(int editID, FourteenValues &values, bool &openFillIn);
    void RefuseBox(int editID, const QString &text);
    MeasuredParams CollectMeasured() const;
    void ApplyMeasured(const MeasuredParams &params);

    QDateEdit *m_pDate = nullptr;
    QLabel *m_pDateNote = nullptr;
    QComboBox *m_pRegName = nullptr;
    UserListCtrl *m_pRegList = nullptr;
    UserListCtrl *m_pTable = nullptr;
    LedLamp *m_pChargeLed = nullptr;
    LedLamp *m_pDischargeLed = nullptr;
    int m_nChargeAcks = 0;
    int m_nDischargeAcks = 0;
    QString m_strUpgradeFile;
    RegisterBlock m_ucRegister{};
    QPointer<QWidget> m_pUpgrade; // the upgrade dialog while it runs
};
