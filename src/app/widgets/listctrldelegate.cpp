#include "app/widgets/listctrldelegate.h"

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QIcon>
#include <QPainter>
#include <QToolTip>

namespace {
constexpr int kMargin = 3;
constexpr int kIconSize = 16;
// Where the cell's text goes: the cell less its margins and its image.
QRect TextRect(const QStyleOptionViewItem &option, const QModelIndex &index)
{
    QRect textRect = option.rect.adjusted(kMargin, 0, -kMargin, 0);
    if (index.data(Qt::DecorationRole).isValid())
        textRect.setLeft(textRect.left() + kIconSize + kMargin);
    return textRect;
}
} // namespace

void ListCtrlDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const bool selected = option.state & QStyle::State_Selected;
    const QPalette::ColorGroup group = option.state & QStyle::State_Enabled ? QPalette::Normal : QPalette::Disabled;
    if (selected)
        painter->fillRect(option.rect, option.palette.brush(group, QPalette::Highlight));

    QRect textRect = TextRect(option, index);
    const QVariant decoration = index.data(Qt::DecorationRole);
    if (decoration.isValid()) {
        QRect iconRect(option.rect.left() + kMargin, textRect.top() + (textRect.height() - kIconSize) / 2, kIconSize,
                       kIconSize);
        decoration.value<QIcon>().paint(painter, iconRect);
    }

    QString text = index.data(Qt::DisplayRole).toString();
    if (text.isEmpty() || textRect.width() <= 0)
        return;
    const QFontMetrics &fm = option.fontMetrics;
    // Measure only a text that might not fit.
    if (static_cast<qint64>(text.size()) * fm.maxWidth() > textRect.width() &&
        fm.horizontalAdvance(text) > textRect.width())
        text = fm.elidedText(text, Qt::ElideRight, textRect.width());

    QColor colour =
        selected ? option.palette.color(group, QPalette::HighlightedText) : option.palette.color(group, QPalette::Text);
    if (!selected) {
        const QVariant fg = index.data(Qt::ForegroundRole);
        if (fg.isValid())
            colour = fg.value<QColor>();
    }
    const QVariant a = index.data(Qt::TextAlignmentRole);
    const Qt::Alignment align = a.isValid() ? Qt::Alignment(a.toInt()) : Qt::AlignLeft;
    int x = textRect.left();
    if (align & (Qt::AlignRight | Qt::AlignHCenter)) {
        int spare = textRect.width() - fm.horizontalAdvance(text);
        x += align & Qt::AlignRight ? spare : spare / 2;
    }
    // Drawing at a baseline point avoids the paragraph layout of the rectangle form.
    const int baseline = textRect.top() + (textRect.height() - fm.height()) / 2 + fm.ascent();
    painter->save();
    painter->setPen(colour);
    painter->setClipRect(option.rect);
    painter->drawText(QPoint(x, baseline), text);
    painter->restore();
}

QString ListCtrlDelegate::CutText(const QStyleOptionViewItem &option, const QModelIndex &index)
{
    const QString text = index.data(Qt::DisplayRole).toString();
    if (text.isEmpty())
        return QString();
    return option.fontMetrics.horizontalAdvance(text) > TextRect(option, index).width() ? text : QString();
}

bool ListCtrlDelegate::helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                                 const QModelIndex &index)
{
    if (!event || !view || event->type() != QEvent::ToolTip)
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    const QString whole = CutText(option, index);
    if (whole.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(event->globalPos(), whole, view->viewport(), option.rect);
    return true;
}
