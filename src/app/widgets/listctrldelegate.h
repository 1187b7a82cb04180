// Paints the cells of the list views: one line of text clipped to its cell
// (elided only when it may not fit), the row's image in column 0, the cell's
// text colour and the selection. Much cheaper than the general item delegate,
// which lays out every cell's text as a paragraph. A cell whose text does not
// fit shows the whole text as its tooltip.
#pragma once

#include <QStyledItemDelegate>

class ListCtrlDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    bool helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                   const QModelIndex &index) override;

    // The text of the cell when it does not fit the cell's rectangle; empty when it does.
    static QString CutText(const QStyleOptionViewItem &option, const QModelIndex &index);
};
