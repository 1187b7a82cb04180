// The report-style list view every list of the tool derives from: a table view
// over a ListCtrlModel (its own, or one shared with the owner), full-row
// selection, grid lines, header sorting hook, copying of the selected rows and
// a coalesced scroll to the newest row.
#pragma once

#include "app/widgets/listctrlmodel.h"

#include <QElapsedTimer>
#include <QList>
#include <QTableView>
#include <QTimer>

class ListCtrlBase : public QTableView {
    Q_OBJECT
public:
    // Interval of the coalesced scroll: at most one scroll per repaint (~25 per second).
    static constexpr int kScrollIntervalMs = 40;

    explicit ListCtrlBase(QWidget *parent = nullptr);

    // The rows; by default the list's own model. An external model must outlive the list.
    ListCtrlModel *RowModel() const { return m_pModel; }
    void SetRowModel(ListCtrlModel *model);

    // Thin helpers in the list control's terms.
    int InsertColumn(int column, const QString &heading, int width, Qt::Alignment align = Qt::AlignLeft);
    void SetColumnWidth(int column, int width) { setColumnWidth(column, width); }
    int InsertItem(int row, const QString &text, int image = -1) { return m_pModel->InsertItem(row, text, image); }
    int AppendRow(const QStringList &cells, int image = -1) { return m_pModel->AppendRow(cells, image); }
    bool SetItemText(int row, int column, const QString &text) { return m_pModel->SetItemText(row, column, text); }
    QString GetItemText(int row, int column) const { return m_pModel->GetItemText(row, column); }
    int GetItemCount() const { return m_pModel->GetItemCount(); }
    bool DeleteItem(int row) { return m_pModel->DeleteItem(row); }
    void DeleteAllItems() { m_pModel->DeleteAllItems(); }
    void SetImageList(const std::vector<QIcon> &images) { m_pModel->SetImageList(images); }

    // Selected rows in list order.
    QList<int> GetSelectedRows() const;
    int GetSelectedCount() const { return static_cast<int>(GetSelectedRows().size()); }
    void SelectRow(int row, bool add = true);
    // The selected rows as text: cells joined by four blanks, rows by CR LF.
    QString SelectedRowsText() const;
    // Puts SelectedRowsText on the clipboard when it is not empty; false when nothing was copied.
    bool CopySelectedRows() const;

    // Scrolls the row into view now.
    void EnsureVisible(int row);
    // Scrolls the newest row into view at the next repaint tick, once for any
    // number of requests in between.
    void ScrollToNewest();
    bool ScrollPending() const { return m_bScrollPending; }
    // Whether painting of rows arriving in a burst is being held for the next tick.
    bool PaintHeld() const { return m_bPaintHeld; }

    // Header sorting state: the column last sorted (-1 none) and its direction.
    int SortedColumn() const { return m_nSortColumn; }
    bool SortedAscending() const { return m_bSortAscending; }

    // Brings the row of index into view; the horizontal position stays where
    // the user left it (a click on a wide cell never scrolls the list sideways).
    void scrollTo(const QModelIndex &index, ScrollHint hint = QAbstractItemView::EnsureVisible) override;

protected:
    // A click on the header of column: sorts, ascending on the first click on a
    // column and reversing on each further click on it. Lists that keep their
    // order override it.
    virtual void OnHeaderClick(int column);
    void SortOnColumn(int column);

private:
    void OnRowsArrived();
    void OnTick();
    QList<QWidget *> HeldWidgets();

    ListCtrlModel m_ownModel;
    ListCtrlModel *m_pModel = &m_ownModel;
    QMetaObject::Connection m_rowsConnection;
    // One tick per repaint interval: the pending scroll and the held repaint.
    QTimer m_tick;
    QElapsedTimer m_sincePaint;
    bool m_bScrollPending = false;
    bool m_bPaintHeld = false;
    int m_nSortColumn = -1;
    bool m_bSortAscending = true;
};
