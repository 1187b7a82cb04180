#include "app/logmodel.h"

#include <QApplication>
#include <QIcon>
#include <QStyle>

QString LogModel::LevelName(int level)
{
    static const char *const names[] = {"紧急", "故障", "关键", "错误", "警告", "通告", "信息", "调试"};
    if (level < 0 || level > 7)
        return QString();
    return QString::fromUtf8(names[level]);
}

void LogModel::AddRow(int level, const QString &time, const QString &title, const QString &text)
{
    if (static_cast<int>(m_rows.size()) > kMaxRows) {
        beginRemoveRows(QModelIndex(), 0, kDropRows - 1);
        m_rows.erase(m_rows.begin(), m_rows.begin() + kDropRows);
        endRemoveRows();
    }
    int at = static_cast<int>(m_rows.size());
    beginInsertRows(QModelIndex(), at, at);
    m_rows.push_back(LogRow{level, time, title, text});
    endInsertRows();
}

void LogModel::ClearRows()
{
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

int LogModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int LogModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 4;
}

QVariant LogModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= static_cast<int>(m_rows.size()))
        return QVariant();
    const LogRow &row = m_rows[static_cast<std::size_t>(index.row())];
    if (role == Qt::DisplayRole) {
        switch (index.column()) {
        case 0: return LevelName(row.level);
        case 1: return row.time;
        case 2: return row.title;
        case 3: return row.text;
        default: return QVariant();
        }
    }
    if (role == Qt::UserRole)
        return row.level;
    return QVariant();
}

QVariant LogModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    static const char *const headers[] = {"类型", "时间", "动作", "内容"};
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < 4)
        return QString::fromUtf8(headers[section]);
    return QAbstractTableModel::headerData(section, orientation, role);
}
