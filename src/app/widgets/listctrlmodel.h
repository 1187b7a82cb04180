// The row store behind every list of the tool: rows of cell texts with an
// optional image index, named columns, per-cell text colours supplied by the
// owning list, and a stable sort by the code-page order of one column's texts.
#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QIcon>
#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <optional>
#include <vector>

class QStringEncoder;

class ListCtrlModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // Text colour of one cell; no value means the list's default colour.
    using TextColourFn = std::function<std::optional<QColor>(const ListCtrlModel &, int row, int column)>;

    using QAbstractTableModel::QAbstractTableModel;

    // Columns
    int InsertColumn(int column, const QString &heading, Qt::Alignment align = Qt::AlignLeft);
    int GetColumnCount() const { return static_cast<int>(m_headings.size()); }
    QString ColumnHeading(int column) const;
    QStringList ColumnHeadings() const;

    // Rows. InsertItem puts a row with the text of column 0 at row (clamped to the end).
    int InsertItem(int row, const QString &text, int image = -1);
    int AppendRow(const QStringList &cells, int image = -1);
    // A whole row put at row (clamped to the end).
    int InsertRow(int row, const QStringList &cells, int image = -1);
    bool SetItemText(int row, int column, const QString &text);
    QString GetItemText(int row, int column) const;
    int GetItemImage(int row) const;
    int GetItemCount() const { return static_cast<int>(m_rows.size()); }
    bool DeleteItem(int row);
    void DeleteFirstRows(int count);
    void DeleteLastRows(int count);
    void DeleteAllItems();
    // When the list holds more than limit rows, drop its first drop rows.
    void TrimFront(int limit, int drop);

    // Image k of the list is shown in column 0 of a row whose image index is k.
    void SetImageList(const std::vector<QIcon> &images);
    void SetTextColourFn(TextColourFn fn);

    // Stable sort of the rows by the texts of column, compared in the 8-bit code
    // page (a double-byte character counts as one 16-bit code), case-sensitive.
    void SortByColumn(int column, bool ascending);
    // Byte key under which a text sorts.
    static QByteArray SortKey(const QString &text);
    static QByteArray SortKey(const QString &text, QStringEncoder &encoder);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    // The display text of a column heading or a cell (the language switch sets them).
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant &value, int role) override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    void sort(int column, Qt::SortOrder order) override;

private:
    struct Row {
        QStringList cells;
        int image = -1;
    };
    struct Column {
        QString heading;
        Qt::Alignment align;
    };
    bool ValidRow(int row) const { return row >= 0 && row < GetItemCount(); }

    // Rows come and go at both ends (newest-first lists, trims of the oldest).
    std::deque<Row> m_rows;
    std::vector<Column> m_headings;
    std::vector<QIcon> m_images;
    TextColourFn m_colourFn;
};
