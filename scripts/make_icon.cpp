// Draws the program's icon, resources/pylvex.png (128 x 128): a battery with a
// green charge level and a lightning mark, on a transparent ground. Given a
// size, the same drawing at that size (the desktop's icon theme sizes in
// resources/icons/pylvex-<size>.png).
//
//   g++ -std=c++20 -fPIC scripts/make_icon.cpp -o /tmp/make_icon \
//       $(pkg-config --cflags --libs Qt6Gui) && QT_QPA_PLATFORM=offscreen /tmp/make_icon resources/pylvex.png
//   for s in 16 22 24 32 48 64 256; do
//       QT_QPA_PLATFORM=offscreen /tmp/make_icon resources/icons/pylvex-$s.png $s; done
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUT.png [SIZE]\n", argv[0]);
        return 2;
    }
    const int s = 128; // the drawing's own size
    const int size = argc > 2 ? std::atoi(argv[2]) : s;
    if (size < 8 || size > 1024) {
        std::fprintf(stderr, "size must be 8 to 1024\n");
        return 2;
    }
    QImage img(size, size, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / double(s), size / double(s));
    // Body and terminal.
    const QRectF body(18, 30, 84, 76);
    p.setPen(QPen(QColor(40, 48, 60), 6));
    p.setBrush(QColor(245, 247, 250));
    p.drawRoundedRect(body, 10, 10);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 48, 60));
    p.drawRoundedRect(QRectF(102, 54, 10, 28), 3, 3);
    // Charge level.
    p.setBrush(QColor(40, 180, 70));
    p.drawRoundedRect(QRectF(26, 38, 54, 60), 5, 5);
    // Lightning mark.
    QPainterPath bolt;
    bolt.moveTo(66, 36);
    bolt.lineTo(44, 72);
    bolt.lineTo(60, 72);
    bolt.lineTo(52, 100);
    bolt.lineTo(80, 60);
    bolt.lineTo(64, 60);
    bolt.closeSubpath();
    p.setBrush(QColor(255, 200, 30));
    p.setPen(QPen(QColor(40, 48, 60), 2));
    p.drawPath(bolt);
    p.end();
    return img.save(QString::fromLocal8Bit(argv[1]), "PNG") ? 0 : 1;
}
