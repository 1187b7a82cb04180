// "客户使用-1": the pack's live state read from the board, item by item or in
// one batch request, refreshed while the line is idle and recorded into the
// daily CSV file while "定时保存" is ticked.
#pragma once

#include "app/framework/rowpagebase.h"
#include "app/pages/livestatusfreshness.h"
#include "files/statusrecord.h"
#include "protocol/status_decode.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QPixmap>
#include <QPointer>
#include <QSet>

#include <array>
#include <cstdint>
#include <functional>

class UserListCtrl;
class QComboBox;
class QDateEdit;
class QLabel;
class QPushButton;
class SocPicture;
class PackChartFeed;
class PackChartWindow;
struct CellThreshold;

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
inline constexpr int IDC_STALE_NOTE = 1497;   // "数据已过期（自 hh:mm:ss）"
inline constexpr int IDC_CHART_BUTTON = 1498; // "曲线": the chart window

// Timers of the page.
inline constexpr int TIMER_IDLE_TICK = 4003; // the host's PortIdle while refreshing in front
inline constexpr int TIMER_SOC_ANIM = 4005;
inline constexpr int TIMER_SOC_SHOW = 4006;
inline constexpr int TIMER_RECORD = 4007;
inline constexpr int TIMER_BATCH = 4008;
inline constexpr int TIMER_STALE = 4010; // ages the shown values while the port is open

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

class LiveStatusPage : public RowPageBase {
    Q_OBJECT
public:
    // Tags of the page's routes.
    enum RouteTag : int { TAG_STATUS = 1, TAG_BATCH_STATUS };

    explicit LiveStatusPage(PageHost *host, QWidget *parent = nullptr);
    ~LiveStatusPage() override;

    // Every single-item answer and the batch answer.
    static std::vector<RxRoute> StatusRoutes();
    std::vector<RxRoute> Routes() const override { return StatusRoutes(); }
    void OnRoute(const RxRoute &route, const std::uint8_t *frame, int len) override;
    void ReadParams(int nChkID) override;
    void WriteParams(int nChkID) override { ReadParams(nChkID); }
    // A single-item answer and the batch answer (frame from the head on).
    void OnStatusResponse(const std::uint8_t *frame, int len);
    void OnBatchStatus(const std::uint8_t *frame, int len);
    void RequestBatchStatus(int nMode);
    void DrawSocPicture(bool animate);
    bool OnSetActive() override;
    void OnKillActive() override;
    void OnTimer(int id) override;
    // "清空" (also on a board switch).
    void OnBtnClickClear() override;
    // An unanswered item (or batch) request: the lamps of its rows.
    void OnNoAnswer(const RxRoute &route, const QDateTime &since) override;
    // Writes the record's row when it is complete (timer 4007).
    void WriteStatusRecord();

    // What the picture shows: the image index drawn last (-1 none yet).
    int ShownImage() const;
    bool ImageLoaded(int k) const { return k >= 0 && k <= 10 && !m_socImages[k].isNull(); }

    // Stale values: an item not refreshed for three refresh periods while the
    // page refreshes, or shown before the port closed or the link was lost.
    bool IsStale(std::uint8_t code) const;
    int StaleCount() const;
    // The recording writes no row: the port is closed or shown values are stale.
    bool RecordIsStale() const;
    // The time a refresh round takes: the batch period, or one interval per
    // ticked item (at least a second).
    int RefreshPeriodMs() const;
    // Looks at the age of every shown value now (the timer does it each second).
    void CheckStale();

    // The values shown, as time series for the charts, and the chart window
    // ("曲线", one at a time, opened beside the main window).
    PackChartFeed *ChartFeed() const { return m_pChartFeed; }
    PackChartWindow *OpenChartWindow();
    PackChartWindow *ChartWindow() const;
    // The cell voltage thresholds (alarm and protection, high and low) the
    // alarm page has read from the board in this run.
    std::vector<CellThreshold> KnownCellThresholds() const;

    // State, for tests and tools.
    bool BatchMode() const { return m_bBatchMode; }
    bool AutoRefresh() const { return m_bAutoRefresh; }
    bool Animating() const { return m_nAnimTimer != 0; }
    int SaveInterval() const { return m_nSaveInterval; }
    const StatusRecord &Record() const { return m_record; }
    // The clock of the refresh and animation deadlines (ms, monotonic, so a
    // computer clock set back holds nothing up; the next batch refresh due by
    // it) and the wall clock of the record rows.
    void SetClock(std::function<std::uint32_t()> clock, std::uint32_t nextBatchMs);
    void SetClock(std::function<std::uint32_t()> clock) { m_clock = std::move(clock); }
    void SetWallClock(std::function<QDateTime()> clock) { m_wallClock = std::move(clock); }

protected:
    void OnInitDialog() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The port was opened: back to single-item mode and a quiet batch probe.
    void OnPortOpened();
    // The port closed: every shown value is stale from now on.
    void OnPortClosed(bool lost);
    void MarkFresh(std::uint8_t code);
    void SetStale(int index, bool stale);
    void ShowStaleNote();
    // The line is idle: a refresh tick while the page is in front and "定时刷新" is ticked.
    void OnPortIdle();
    // The pages show the other board now: nothing of the board before stays
    // (texts, production date, SOC picture, the record), and in batch mode its
    // status is asked for at once, as batch answers are not kept for a replay.
    void OnBoardSwitched();
    void ForgetBoardValues();
    // Warnings of a request that cannot go out: the message box, or an error
    // row of the system log for the quiet requests of mode -2.
    Refusal RefusalFor(int nMode) const;
    // Layout (livestatuspage.cpp)
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

    // Decoding into the controls (livestatuspage_items.cpp). batch: a block of
    // the batch answer (no length or result check, its own differences).
    void ShowItem(std::uint8_t code, StatusBytes payload, int dataLength, bool batch);
    // The board's SN as it answered it; another SN than before is another board.
    void NoteBoardSn(const QString &sn);
    void ShowCells(const CellSummary &cells);
    void ShowPower(const PowerReading &power, bool batch);
    void ShowExtremes(const std::array<std::optional<std::string>, kExtremeRows> &rows);
    void ShowBalancing(std::uint32_t bits);
    void ShowBitList(int comboID, const std::vector<std::string> &names);
    void ShowMos(const MosState &mos);
    void ShowSoc(const SocSoh &soc);
    // payload: for the row that says why an invalid date is not shown.
    void ShowDate(const LiveStatus &live, StatusBytes payload, int chkID);
    void ShowCapacity(int editID, StatusBytes payload, int lengthShown);
    void DriveSocPicture(std::int32_t currentMa);

    // Recording (livestatuspage_record.cpp)
    void OnSavePeriodChanged();

    bool m_bBatchMode = false;
    bool m_bAutoRefresh = false;
    bool m_bRefreshPaused = false; // the timed refresh waits for the port to open again
    QString m_strBoardSn;          // the SN the board on the port answered last
    std::uint8_t m_ucSoc = 0;
    int m_nAnimTimer = 0;
    std::uint32_t m_dwLastChargeMs = 0;
    int m_nAnimFrame = 0;
    int m_nSaveInterval = 10000;
    std::uint32_t m_dwNextBatchMs = 0;
    StatusRecord m_record;
    // Writes the record's rows, keeping those that cannot be written yet.
    StatusRecorder m_recorder;
    std::function<std::uint32_t()> m_clock;
    std::function<QDateTime()> m_wallClock;

    UserListCtrl *m_pCellList = nullptr;
    UserListCtrl *m_pTempList = nullptr;
    UserListCtrl *m_pExtremeList = nullptr;
    QComboBox *m_pProtection = nullptr;
    QComboBox *m_pAlarm = nullptr;
    QDateEdit *m_pDate = nullptr;
    QPushButton *m_pReadButton = nullptr;
    SocPicture *m_pPicture = nullptr;
    std::array<QPixmap, 11> m_socImages;
    bool m_bRecordNow = false; // the record is filled by the response being decoded
    // Per item (kStatusItems order): steady time of its last fresh answer (-1 none), its wall time, stale or not.
    QElapsedTimer m_freshClock;
    StatusFreshness m_freshness{15};
    QLabel *m_pStaleNote = nullptr;
    bool m_bFittingColumns = false;
    QSet<int> m_userSizedLists;
    PackChartFeed *m_pChartFeed = nullptr;
    QPointer<PackChartWindow> m_pChartWindow;
};
