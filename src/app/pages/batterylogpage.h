// The page "电池日志": fetches one of the board's event logs and lists its
// events (newest at the top), and keeps the board's clock in step with the
// computer's after every opening of the port.
#pragma once

#include "app/framework/rowpagebase.h"
#include "protocol/board_clock.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QStringList>

class LogListCtrl;
class QMenu;
class QMessageBox;

// Control ids of the page.
inline constexpr int IDC_CELLLOG_SLEEP = 1490;   // "休眠唤醒"
inline constexpr int IDC_CELLLOG_REGULAR = 1491; // "常规日志"
inline constexpr int IDC_CELLLOG_ALARM = 1492;   // "报警日志"
inline constexpr int IDC_CELLLOG_PROTECT = 1493; // "保护日志"
inline constexpr int IDC_CELLLOG_READ = 1144;    // "读取"
inline constexpr int IDC_CELLLOG_RXECHO = 1287;
inline constexpr int IDC_CELLLOG_ECHO = 1288;
inline constexpr int IDC_CELLLOG_LIST = 1289;

class BatteryLogPage : public RowPageBase {
    Q_OBJECT
public:
    enum Tag { TAG_BATTERY_LOG = 4, TAG_BOARD_TIME = 5 };
    // Timers: clock synchronisation, the box refusing a read made too soon,
    // no log data after the acknowledgement (one per kind).
    static constexpr int kClockTimer = 1000;
    static constexpr int kTooFastTimer = 999;
    static constexpr int kTooFastCloseMs = 500;
    static constexpr int kNoDataTimer = 6000;
    static constexpr int kNoDataMs = 2000;
    static constexpr int kReadGapMs = 3000;
    // Past this many rows the oldest kTrimRows are deleted.
    static constexpr int kMaxRows = 8192;
    static constexpr int kTrimRows = 2730;

    explicit BatteryLogPage(PageHost *host, QWidget *parent = nullptr);

    std::vector<RxRoute> Routes() const override;
    void OnRoute(const RxRoute &route, const std::uint8_t *frame, int len) override;
    void OnTimer(int id) override;
    void OnBoardSwitch() override;

    LogListCtrl *List() const { return m_pList; }
    QStringList ColumnNames() const { return m_columnNames; }
    int LogKind() const { return m_nLogKind; }
    // The kind whose box is ticked.
    int SelectedKind() const;
    const ClockSync &Clock() const { return m_clock; }
    bool ShowLatest() const { return m_bShowLatest; }

    // "读取".
    void OnBtnClickRead();
    // A new row at the top (an empty time text: now).
    void AddLogRow(int kind, const QString &time, const QString &content);
    // Starts the clock synchronisation again (the port has just opened).
    void RestartClockSync();

    void FillLogMenu(QMenu &menu);
    void OnClickMenu_EXPORT();
    void OnClickMenu_LATEST() { m_bShowLatest = !m_bShowLatest; }

    // The text a row shows for an event time the calendar cannot hold.
    static QString InvalidTimeText();

protected:
    void OnInitDialog() override;
    // Button 1144 is "读取" on this page.
    void OnBtnClickClear() override { OnBtnClickRead(); }
    void ReadParams(int) override {}
    void WriteParams(int) override {}

private:
    void BuildLayout();
    void OnKindClicked(int id);
    void RequestBatteryLog(int kind);
    void OnBatteryLogResponse(const std::uint8_t *frame, int len);
    void AddRecords(int kind, std::span<const std::uint8_t> payload);
    void OnBoardTime(const std::uint8_t *frame, int len);
    void Apply(const ClockSync::Step &step);
    void RefuseTooFast();
    void ShowListMenu(const QPoint &pos);

    LogListCtrl *m_pList = nullptr;
    QStringList m_columnNames;
    bool m_kinds[4] = {false, false, true, false};
    int m_nLogKind = 2;
    bool m_bShowLatest = true;
    QElapsedTimer m_lastRead;
    QPointer<QMessageBox> m_pTooFast;
    ClockSync m_clock;
};
