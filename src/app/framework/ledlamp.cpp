#include "app/framework/ledlamp.h"

#include <QBitmap>
#include <QMouseEvent>
#include <QPainter>

LedLamp::LedLamp(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_NoSystemBackground, false);
    setFixedSize(sizeHint());
}

const QPixmap &LedLamp::Sprite()
{
    static const QPixmap sprite = [] {
        QPixmap pixmap(QStringLiteral(":/led_sprite.png"));
        pixmap.setMask(pixmap.createMaskFromColor(QColor(255, 0, 255), Qt::MaskInColor));
        return pixmap;
    }();
    return sprite;
}

QPoint LedLamp::CellOrigin(int w, int h)
{
    int left = 0;
    int top = 0;
    if (w >= 16 && h >= 16) {
        left = (w - 16) / 2;
        top = (h - 16) / 2;
    }
    return QPoint(left, top - 2);
}

void LedLamp::SetLed(int colourRow, int column, int shapeOffset)
{
    if (colourRow == m_nColour && column == m_nColumn && shapeOffset == m_nShape)
        return;
    m_nColour = colourRow;
    m_nColumn = column;
    m_nShape = shapeOffset;
    // Painting goes through the double-buffered backing store, so an update
    // never flickers; repaint at once when the lamp is on screen.
    if (isVisible())
        repaint();
}

void LedLamp::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    QRect cell(m_nColumn * 16, m_nColour + m_nShape, 16, 16);
    painter.drawPixmap(CellOrigin(width(), height()), Sprite(), cell);
}

void LedLamp::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

void LedLamp::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        emit doubleClicked();
}
