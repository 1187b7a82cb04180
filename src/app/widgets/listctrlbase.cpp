#include "app/widgets/listctrlbase.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QItemSelectionModel>

#include <algorithm>

ListCtrlBase::ListCtrlBase(QWidget *parent) : QTableView(parent)
{
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(true);
    setWordWrap(false);
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

    m_scrollTimer.setSingleShot(true);
    m_scrollTimer.setInterval(kScrollIntervalMs);
    connect(&m_scrollTimer, &QTimer::timeout, this, [this] {
        if (GetItemCount() > 0)
            scrollToBottom();
    });

    setModel(m_pModel);
}

void ListCtrlBase::SetRowModel(ListCtrlModel *model)
{
    m_pModel = model ? model : &m_ownModel;
    setModel(m_pModel);
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

void ListCtrlBase::ScrollToNewest()
{
    if (!m_scrollTimer.isActive())
        m_scrollTimer.start();
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
