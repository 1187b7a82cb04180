#include "app/widgets/listctrlbase.h"

#include "app/widgets/listctrldelegate.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QScrollBar>

#include <algorithm>

ListCtrlBase::ListCtrlBase(QWidget *parent) : QTableView(parent)
{
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(true);
    setWordWrap(false);
    setItemDelegate(new ListCtrlDelegate(this));
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);

    // Rows of one fixed height: appending a row never measures the others.
    QHeaderView *rows = verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(fontMetrics().height() + 4);

    QHeaderView *columns = horizontalHeader();
    columns->setSectionsClickable(true);
    columns->setHighlightSections(false);
    columns->setStretchLastSection(false);
    columns->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    connect(columns, &QHeaderView::sectionClicked, this, [this](int column) { OnHeaderClick(column); });

    m_tick.setSingleShot(true);
    m_tick.setInterval(kScrollIntervalMs);
    connect(&m_tick, &QTimer::timeout, this, &ListCtrlBase::OnTick);

    SetRowModel(nullptr);
}

void ListCtrlBase::SetRowModel(ListCtrlModel *model)
{
    disconnect(m_rowsConnection);
    m_pModel = model ? model : &m_ownModel;
    setModel(m_pModel);
    m_rowsConnection = connect(m_pModel, &QAbstractItemModel::rowsInserted, this, &ListCtrlBase::OnRowsArrived);
}

// Every appended row would repaint the whole view at the next turn of the event
// loop; during a burst that costs more than the rows themselves. Rows arriving
// within one repaint interval of the last repaint hold the viewport's painting
// until the next tick, which paints them all at once.
void ListCtrlBase::OnRowsArrived()
{
    if (!m_sincePaint.isValid() || m_sincePaint.elapsed() >= kScrollIntervalMs) {
        m_sincePaint.start();
        return;
    }
    if (!m_bPaintHeld && isVisible()) {
        m_bPaintHeld = true;
        for (QWidget *w : HeldWidgets())
            w->setUpdatesEnabled(false);
    }
    if (m_bPaintHeld && !m_tick.isActive())
        m_tick.start();
}

// The rows and the scroll bars (with their containers, whose every range
// change would otherwise repaint the list's frame and the page behind it).
QList<QWidget *> ListCtrlBase::HeldWidgets()
{
    return {viewport(), verticalScrollBar()->parentWidget(), horizontalScrollBar()->parentWidget()};
}

void ListCtrlBase::OnTick()
{
    if (m_bScrollPending) {
        m_bScrollPending = false;
        if (GetItemCount() > 0) {
            updateGeometries(); // the scroll range may still lag behind the rows
            scrollToBottom();
        }
    }
    if (m_bPaintHeld) {
        m_bPaintHeld = false;
        for (QWidget *w : HeldWidgets())
            w->setUpdatesEnabled(true);
    }
    m_sincePaint.start();
}

int ListCtrlBase::InsertColumn(int column, const QString &heading, int width, Qt::Alignment align)
{
    int at = m_pModel->InsertColumn(column, heading, align);
    setColumnWidth(at, width);
    return at;
}

QList<int> ListCtrlBase::GetSelectedRows() const
{
    QList<int> rows;
    if (!selectionModel())
        return rows;
    for (const QModelIndex &idx : selectionModel()->selectedRows())
        rows << idx.row();
    std::sort(rows.begin(), rows.end());
    return rows;
}

void ListCtrlBase::SelectRow(int row, bool add)
{
    if (!selectionModel() || row < 0 || row >= GetItemCount())
        return;
    QItemSelectionModel::SelectionFlags flags = QItemSelectionModel::Select | QItemSelectionModel::Rows;
    if (!add)
        flags |= QItemSelectionModel::Clear;
    selectionModel()->select(m_pModel->index(row, 0), flags);
}

QString ListCtrlBase::SelectedRowsText() const
{
    const int columns = m_pModel->GetColumnCount();
    QStringList lines;
    for (int row : GetSelectedRows()) {
        QStringList cells;
        for (int c = 0; c < columns; ++c)
            cells << m_pModel->GetItemText(row, c);
        lines << cells.join(QStringLiteral("    "));
    }
    return lines.join(QStringLiteral("\r\n"));
}

bool ListCtrlBase::CopySelectedRows() const
{
    QString text = SelectedRowsText();
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (text.isEmpty() || !clipboard)
        return false;
    clipboard->clear();
    clipboard->setText(text);
    return true;
}

void ListCtrlBase::EnsureVisible(int row)
{
    if (row >= 0 && row < GetItemCount())
        scrollTo(m_pModel->index(row, 0), QAbstractItemView::EnsureVisible);
}

void ListCtrlBase::scrollTo(const QModelIndex &index, ScrollHint hint)
{
    QScrollBar *bar = horizontalScrollBar();
    const int x = bar->value();
    QTableView::scrollTo(index, hint);
    bar->setValue(x);
}

void ListCtrlBase::ScrollToNewest()
{
    m_bScrollPending = true;
    if (!m_tick.isActive())
        m_tick.start();
}

void ListCtrlBase::OnHeaderClick(int column)
{
    SortOnColumn(column);
}

void ListCtrlBase::SortOnColumn(int column)
{
    m_bSortAscending = column == m_nSortColumn ? !m_bSortAscending : true;
    m_nSortColumn = column;
    horizontalHeader()->setSortIndicatorShown(true);
    horizontalHeader()->setSortIndicator(column, m_bSortAscending ? Qt::AscendingOrder : Qt::DescendingOrder);
    m_pModel->SortByColumn(column, m_bSortAscending);
}
