// Rows of the system log: level name (with its icon), time, title, text.
// Holds at most 8192 rows: a full list drops its 2048 oldest before a new row.
#pragma once

#include <QAbstractTableModel>
#include <QString>

#include <vector>

struct LogRow {
    int level = 0;
    QString time;
    QString title;
    QString text;
};

class LogModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kMaxRows = 8192;
    static constexpr int kDropRows = 2048;

    using QAbstractTableModel::QAbstractTableModel;

    static QString LevelName(int level);

    void AddRow(int level, const QString &time, const QString &title, const QString &text);
    void ClearRows();
    const LogRow &Row(int row) const { return m_rows[static_cast<std::size_t>(row)]; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::vector<LogRow> m_rows;
};
