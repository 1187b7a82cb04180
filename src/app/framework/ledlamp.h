// The 16 x 16 status lamp, drawn from the lamp sprite sheet (48 x 128:
// columns bright, dark, grey; colour bands red 0, green 16, yellow 32, blue 48;
// round lamps in rows 0..63, square lamps in rows 64..127; magenta is
// transparent). Reports clicks and double-clicks.
#pragma once

#include <QWidget>

class LedLamp : public QWidget {
    Q_OBJECT
public:
    enum Colour { kRed = 0, kGreen = 16, kYellow = 32, kBlue = 48 };
    enum Column { kBright = 0, kDark = 1, kGrey = 2 };
    enum Shape { kRound = 0, kSquare = 64 };

    explicit LedLamp(QWidget *parent = nullptr);

    // Selects the sprite cell and repaints at once.
    void SetLed(int colourRow, int column, int shapeOffset);
    int ColourRow() const { return m_nColour; }
    int ColumnIndex() const { return m_nColumn; }
    int ShapeOffset() const { return m_nShape; }

    // Top-left corner of the drawn cell inside a client rectangle of w x h.
    static QPoint CellOrigin(int w, int h);
    // The sheet with magenta made transparent (shared by every lamp).
    static const QPixmap &Sprite();

    // A little taller than the cell, so the 2-pixel lift never clips it.
    QSize sizeHint() const override { return QSize(18, 20); }

signals:
    void clicked();
    void doubleClicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    int m_nColour = kGreen;
    int m_nColumn = kDark;
    int m_nShape = kSquare;
};
