// A parameter page whose rows are a table: builds the rows from it, walks it
// for the read and write requests in the page's orders, and shows every
// response of its rows. The wake-up and thresholds page and the alarm and
// protection page are such pages.
#pragma once

#include "app/framework/rowpagebase.h"
#include "protocol/param_decode.h"

#include <vector>

class QGridLayout;

class ParamRowPage : public RowPageBase {
    Q_OBJECT
public:
    // columns: how many columns of rows the page lays out, filled top to bottom.
    ParamRowPage(PageHost *host, const QString &caption, const ParamPageRows &rows, int columns,
                 QWidget *parent = nullptr, PageAccess access = PageAccess::Open);

    const ParamPageRows &Rows() const { return m_rows; }

    void InitReadOnly() override;
    void ReadParams(int nChkID) override;
    void WriteParams(int nChkID) override;
    // The routes of the rows: each row's read and write answer, generated from the table.
    static std::vector<RxRoute> RowRoutes(const ParamPageRows &rows);
    std::vector<RxRoute> Routes() const override { return RowRoutes(m_rows); }
    void OnRoute(const RxRoute &route, const std::uint8_t *frame, int len) override;
    // The decoder of one row, whatever its format; the frame answers a request of that row.
    void OnRowResponse(int nChkID, const std::uint8_t *frame, int len);
    // Finds the row that a response answers by its class and code and shows it;
    // false when no row of the page answers to them.
    bool OnParamResponse(const std::uint8_t *frame, int len);
    // A good answer puts the row's value into the host's parameter store; any other takes it out.
    void OnRowAnswered(int nChkID) override;

protected:
    void OnInitDialog() override;
    // "清空": every edit box of every row.
    void OnBtnClickClear() override;

private:
    void AddRow(QGridLayout *grid, int gridRow, int gridColumn, const PageParamRow &row);
    bool QueueRead(int chkID);
    bool QueueWrite(int chkID);
    // The question before the record clearing command goes out; true for Yes.
    bool ConfirmRecordClearing();
    void ShowRowTexts(const PageParamRow &row, const std::uint8_t *frame, int len);
    std::vector<int> ChkOrder(std::span<const int> numbers) const;

    const ParamPageRows &m_rows;
    int m_nColumns;
};
