#include "app/widgets/listctrldelegate.h"

#include <QIcon>
#include <QPainter>

namespace {
constexpr int kMargin = 3;
constexpr int kIconSize = 16;
} // namespace

void ListCtrlDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const bool selected = option.state & QStyle::State_Selected;
    const QPalette::ColorGroup group = option.state & QStyle::State_Enabled ? QPalette::Normal : QPalette::Disabled;
    if (selected)
        painter->fillRect(option.rect, option.palette.brush(group, QPalette::Highlight));

    QRect textRect = option.rect.adjusted(kMargin, 0, -kMargin, 0);
    const QVariant decoration = index.data(Qt::DecorationRole);
    if (decoration.isValid()) {
        const QIcon icon = decoration.value<QIcon>();
        QRect iconRect(textRect.left(), textRect.top() + (textRect.height() - kIconSize) / 2, kIconSize, kIconSize);
        icon.paint(painter, iconRect);
        textRect.setLeft(iconRect.right() + 1 + kMargin);
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
