#include "app/widgets/listctrlmodel.h"

#include <QStringEncoder>

#include <algorithm>
#include <numeric>

int ListCtrlModel::InsertColumn(int column, const QString &heading, Qt::Alignment align)
{
    column = std::clamp(column, 0, GetColumnCount());
    beginInsertColumns(QModelIndex(), column, column);
    m_headings.insert(m_headings.begin() + column, Column{heading, align});
    endInsertColumns();
    return column;
}

QString ListCtrlModel::ColumnHeading(int column) const
{
    if (column < 0 || column >= GetColumnCount())
        return QString();
    return m_headings[static_cast<std::size_t>(column)].heading;
}

QStringList ListCtrlModel::ColumnHeadings() const
{
    QStringList names;
    for (const Column &c : m_headings)
        names << c.heading;
    return names;
}

int ListCtrlModel::InsertItem(int row, const QString &text, int image)
{
    row = std::clamp(row, 0, GetItemCount());
    beginInsertRows(QModelIndex(), row, row);
    m_rows.insert(m_rows.begin() + row, Row{QStringList{text}, image});
    endInsertRows();
    return row;
}

int ListCtrlModel::InsertRow(int row, const QStringList &cells, int image)
{
    row = std::clamp(row, 0, GetItemCount());
    beginInsertRows(QModelIndex(), row, row);
    m_rows.insert(m_rows.begin() + row, Row{cells, image});
    endInsertRows();
    return row;
}

int ListCtrlModel::AppendRow(const QStringList &cells, int image)
{
    int at = GetItemCount();
    beginInsertRows(QModelIndex(), at, at);
    m_rows.push_back(Row{cells, image});
    endInsertRows();
    return at;
}

bool ListCtrlModel::SetItemText(int row, int column, const QString &text)
{
    if (!ValidRow(row) || column < 0)
        return false;
    QStringList &cells = m_rows[static_cast<std::size_t>(row)].cells;
    while (cells.size() <= column)
        cells.append(QString());
    cells[column] = text;
    // A cell's text may change the colour of other cells of its row.
    emit dataChanged(index(row, 0), index(row, std::max(0, GetColumnCount() - 1)));
    return true;
}

QString ListCtrlModel::GetItemText(int row, int column) const
{
    if (!ValidRow(row) || column < 0)
        return QString();
    const QStringList &cells = m_rows[static_cast<std::size_t>(row)].cells;
    return column < cells.size() ? cells[column] : QString();
}

int ListCtrlModel::GetItemImage(int row) const
{
    return ValidRow(row) ? m_rows[static_cast<std::size_t>(row)].image : -1;
}

bool ListCtrlModel::DeleteItem(int row)
{
    if (!ValidRow(row))
        return false;
    beginRemoveRows(QModelIndex(), row, row);
    m_rows.erase(m_rows.begin() + row);
    endRemoveRows();
    return true;
}

void ListCtrlModel::DeleteFirstRows(int count)
{
    count = std::min(count, GetItemCount());
    if (count <= 0)
        return;
    beginRemoveRows(QModelIndex(), 0, count - 1);
    m_rows.erase(m_rows.begin(), m_rows.begin() + count);
    endRemoveRows();
}

void ListCtrlModel::DeleteLastRows(int count)
{
    count = std::min(count, GetItemCount());
    if (count <= 0)
        return;
    const int first = GetItemCount() - count;
    beginRemoveRows(QModelIndex(), first, GetItemCount() - 1);
    m_rows.erase(m_rows.begin() + first, m_rows.end());
    endRemoveRows();
}

void ListCtrlModel::DeleteAllItems()
{
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

void ListCtrlModel::TrimFront(int limit, int drop)
{
    if (GetItemCount() > limit)
        DeleteFirstRows(drop);
}

void ListCtrlModel::SetImageList(const std::vector<QIcon> &images)
{
    m_images = images;
    if (GetItemCount() > 0)
        emit dataChanged(index(0, 0), index(GetItemCount() - 1, 0), {Qt::DecorationRole});
}

void ListCtrlModel::SetTextColourFn(TextColourFn fn)
{
    m_colourFn = std::move(fn);
    if (GetItemCount() > 0 && GetColumnCount() > 0)
        emit dataChanged(index(0, 0), index(GetItemCount() - 1, GetColumnCount() - 1), {Qt::ForegroundRole});
}

QByteArray ListCtrlModel::SortKey(const QString &text)
{
    QStringEncoder encoder("GBK", QStringConverter::Flag::Stateless);
    return SortKey(text, encoder);
}

QByteArray ListCtrlModel::SortKey(const QString &text, QStringEncoder &encoder)
{
    bool ascii = std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x80; });
    if (ascii)
        return text.toLatin1();
    // Unsigned byte order of the GBK form is the order of its character codes:
    // a lead byte (0x81 and up) is above every single-byte character.
    if (!encoder.isValid())
        return text.toUtf8();
    return encoder.encode(text);
}

void ListCtrlModel::SortByColumn(int column, bool ascending)
{
    const std::size_t n = m_rows.size();
    QStringEncoder encoder("GBK", QStringConverter::Flag::Stateless);
    std::vector<QByteArray> keys(n);
    for (std::size_t i = 0; i < n; ++i)
        keys[i] = SortKey(GetItemText(static_cast<int>(i), column), encoder);
    std::vector<int> order(n);
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        int c = keys[static_cast<std::size_t>(a)].compare(keys[static_cast<std::size_t>(b)]);
        return ascending ? c < 0 : c > 0;
    });

    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<int> newPos(n);
    std::deque<Row> sorted;
    for (std::size_t i = 0; i < n; ++i) {
        newPos[static_cast<std::size_t>(order[i])] = static_cast<int>(i);
        sorted.push_back(std::move(m_rows[static_cast<std::size_t>(order[i])]));
    }
    m_rows = std::move(sorted);
    const QModelIndexList from = persistentIndexList();
    QModelIndexList to;
    to.reserve(from.size());
    for (const QModelIndex &idx : from)
        to << index(newPos[static_cast<std::size_t>(idx.row())], idx.column());
    changePersistentIndexList(from, to);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void ListCtrlModel::sort(int column, Qt::SortOrder order)
{
    SortByColumn(column, order == Qt::AscendingOrder);
}

int ListCtrlModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : GetItemCount();
}

int ListCtrlModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : GetColumnCount();
}

QVariant ListCtrlModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || !ValidRow(index.row()))
        return QVariant();
    const Row &row = m_rows[static_cast<std::size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole: return GetItemText(index.row(), index.column());
    case Qt::DecorationRole:
        if (index.column() == 0 && row.image >= 0 && row.image < static_cast<int>(m_images.size()))
            return m_images[static_cast<std::size_t>(row.image)];
        return QVariant();
    case Qt::ForegroundRole:
        if (m_colourFn) {
            if (std::optional<QColor> colour = m_colourFn(*this, index.row(), index.column()))
                return *colour;
        }
        return QVariant();
    case Qt::TextAlignmentRole:
        if (index.column() < GetColumnCount())
            return QVariant::fromValue(m_headings[static_cast<std::size_t>(index.column())].align | Qt::AlignVCenter);
        return QVariant();
    case Qt::UserRole: return row.image;
    default: return QVariant();
    }
}

bool ListCtrlModel::setHeaderData(int section, Qt::Orientation orientation, const QVariant &value, int role)
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= GetColumnCount())
        return false;
    m_headings[static_cast<std::size_t>(section)].heading = value.toString();
    emit headerDataChanged(orientation, section, section);
    return true;
}

bool ListCtrlModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    return role == Qt::DisplayRole && index.isValid() && SetItemText(index.row(), index.column(), value.toString());
}

QVariant ListCtrlModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && section >= 0 && section < GetColumnCount()) {
        if (role == Qt::DisplayRole)
            return m_headings[static_cast<std::size_t>(section)].heading;
        if (role == Qt::TextAlignmentRole)
            return QVariant::fromValue(m_headings[static_cast<std::size_t>(section)].align | Qt::AlignVCenter);
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}
