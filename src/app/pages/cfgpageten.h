// "客户使用-1": the pack's live state read from the board, item by item or in
// one batch request, refreshed while the line is idle and recorded into the
// daily CSV file while "定时保存" is ticked.
#pragma once

#include "app/framework/cfgpagebase.h"
#include "files/statusrecord.h"
#include "protocol/status_decode.h"

#include <QPixmap>
#include <QSet>

#include <array>
#include <cstdint>
#include <functional>

class CUserListCtrl;
class QComboBox;
class QDateEdit;
class QPushButton;
class CSocPicture;

// Control ids of the page.
inline constexpr int IDC_TIMED_REFRESH = 1336; // "定时刷新"
inline constexpr int IDC_TIMED_SAVE = 1392;    // "定时保存"
inline constexpr int IDC_SAVE_PERIOD = 1494;   // seconds
inline constexpr int IDC_SAVE_PERIOD_LABEL = 1495;
inline constexpr int IDC_SOC_PICTURE = 1391;
inline constexpr int IDC_CELL_LIST = 1051;
inline constexpr int IDC_TEMP_LIST = 1176;
inline constexpr int IDC_EXTREME_LIST = 1180;
inline constexpr int IDC_PROTECTION_LIST = 1007;
inline constexpr int IDC_ALARM_LIST = 1011;
inline constexpr int IDC_MOS_CHARGE = 1019;
inline constexpr int IDC_MOS_DISCHARGE = 1022;
inline constexpr int IDC_MOS_PRE = 1023;

// Timers of the page.
inline constexpr int TIMER_IDLE_TICK = 4003; // forwarded by the main window
inline constexpr int TIMER_SOC_ANIM = 4005;
inline constexpr int TIMER_SOC_SHOW = 4006;
inline constexpr int TIMER_RECORD = 4007;
inline constexpr int TIMER_BATCH = 4008;

// One status item: its row controls and its command code.
struct StatusItem {
    int nChkID;
    int nDisplayID;
    int ledID;
    std::uint8_t code;
    const char *label;
};
// The fifteen items in their registration order.
extern const std::array<StatusItem, 15> kStatusItems;
const StatusItem *FindStatusItemByCode(std::uint8_t code);

class CCfgPageTen : public CCfgPageBase {
    Q_OBJECT
public:
    explicit CCfgPageTen(CPylvexDlg *mainDlg, QWidget *parent = nullptr);
    ~CCfgPageTen() override;

    void ReadParams(int nChkID) override;
    void WriteParams(int nChkID) override { ReadParams(nChkID); }
    void OnStatusResponse(const std::uint8_t *frame, int len) override;
    void OnBatchStatus(const std::uint8_t *frame, int len) override;
    void RequestBatchStatus(int nMode);
    void DrawSocPicture(bool animate);
    bool OnSetActive() override;
    void OnKillActive() override;
    // The port was opened: back to single-item mode and a quiet batch probe.
    void OnPortOpened() override;
    void OnTimer(int id) override;
    // "清空" (also sent by the main window on a board switch).
    void OnBtnClickClear() override;
    // Writes the record's row when it is complete (timer 4007).
    void WriteStatusRecord();

    bool m_bBatchMode = false;
    bool m_bAutoRefresh = false;
    std::uint8_t m_ucSoc = 0;
    int m_nAnimTimer = 0;
    std::uint32_t m_dwLastChargeMs = 0;
    int m_nAnimFrame = 0;
    int m_nSaveInterval = 10000;
    std::uint32_t m_dwNextBatchMs = 0;
    StatusRecord m_record;

    // The ms-of-day clock and the wall clock; tests replace them.
    std::function<std::uint32_t()> m_clock;
    std::function<QDateTime()> m_wallClock;

    // What the picture shows: the image index drawn last (-1 none yet).
    int ShownImage() const;
    bool ImageLoaded(int k) const { return k >= 0 && k <= 10 && !m_socImages[k].isNull(); }

protected:
    void OnInitDialog() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Warnings of a request that cannot go out: the message box, or an error
    // row of the system log for the quiet requests of mode -2.
    static Refusal RefusalFor(int nMode);
    // Layout (cfgpageten.cpp)
    QWidget *BuildItemsBox();
    QWidget *BuildListsBox();
    void CreateListColumns();
    // Column widths of the list from its client width, unless the user has sized them.
    void FitListColumns(int listId, int clientWidth);
    void FitExtremeListHeight();
    // Each list at least as wide as its widest texts need.
    void SetListMinimumWidths();
    void SetEditMinimumWidths();
    void LoadSocImages();
    void ResetMosLamps();
    void OnTimedRefreshClicked();
    void OnItemCheckClicked(int chkID);
    void OnSelectAllClicked();
    void OnReadButton();
    void OnIdleTick();
    void OnAnimationTick();
    void StopAnimation();
    void EmptyQueues();

    // Decoding into the controls (cfgpageten_items.cpp). batch: a block of
    // the batch answer (no length or result check, its own differences).
    void ShowItem(std::uint8_t code, StatusBytes payload, int dataLength, bool batch);
    void ShowCells(StatusBytes payload);
    void ShowPower(StatusBytes payload, bool batch);
    void ShowExtremes(StatusBytes payload, bool batch);
    void ShowBalancing(StatusBytes payload);
    void ShowBitList(int comboID, const std::vector<std::string> &names, int recordField);
    void ShowMos(StatusBytes payload);
    void ShowSoc(StatusBytes payload);
    void ShowDate(StatusBytes payload, int chkID);
    void ShowCapacity(int editID, StatusBytes payload, int lengthShown);
    void DriveSocPicture(std::int32_t currentMa);

    // Recording (cfgpageten_record.cpp)
    void OnSavePeriodChanged();

    CUserListCtrl *m_pCellList = nullptr;
    CUserListCtrl *m_pTempList = nullptr;
    CUserListCtrl *m_pExtremeList = nullptr;
    QComboBox *m_pProtection = nullptr;
    QComboBox *m_pAlarm = nullptr;
    QDateEdit *m_pDate = nullptr;
    QPushButton *m_pReadButton = nullptr;
    CSocPicture *m_pPicture = nullptr;
    std::array<QPixmap, 11> m_socImages;
    bool m_bRecordNow = false; // the record is filled by the response being decoded
    bool m_bFittingColumns = false;
    QSet<int> m_userSizedLists;
};
