// The page "电池记录": fetches the snapshots the board has stored and appends
// one row per record (oldest first) to a list that can be copied, cleared and
// exported.
#pragma once

#include "app/framework/rowpagebase.h"

#include <QStringList>

class RecordListCtrl;
class QMenu;

inline constexpr int IDC_RECORD_LIST = 1289;

class BatteryRecordPage : public RowPageBase {
    Q_OBJECT
public:
    enum Tag { TAG_BATTERY_RECORDS = 3 };

    explicit BatteryRecordPage(PageHost *host, QWidget *parent = nullptr);

    std::vector<RxRoute> Routes() const override;
    void OnRoute(const RxRoute &route, const std::uint8_t *frame, int len) override;

    RecordListCtrl *List() const { return m_pList; }
    QStringList ColumnNames() const { return m_columnNames; }
    bool ShowLatest() const { return m_bShowLatest; }

    // "读取" (1257).
    void ReadParams(int nChkID) override;
    void WriteParams(int) override {}

    void FillLogMenu(QMenu &menu);
    void OnClickMenu_EXPORT();
    void OnClickMenu_LATEST() { m_bShowLatest = !m_bShowLatest; }

protected:
    void OnInitDialog() override;
    // "清空": every row.
    void OnBtnClickClear() override;

private:
    void BuildLayout();
    void OnBatteryRecords(const std::uint8_t *frame, int len);
    void ShowListMenu(const QPoint &pos);

    RecordListCtrl *m_pList = nullptr;
    QStringList m_columnNames;
    bool m_bShowLatest = true;
};
