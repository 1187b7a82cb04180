// Draws the eleven SOC pictures of the live status page: a battery filled in
// steps of ten percent, pic/0S.jpg ... pic/100S.jpg (60 x 120 pixels).
//
//   g++ -std=c++20 -fPIC scripts/make_soc_pictures.cpp -o /tmp/make_soc_pictures \
//       $(pkg-config --cflags --libs Qt6Gui) && QT_QPA_PLATFORM=offscreen /tmp/make_soc_pictures pic
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstdio>

namespace {
QColor FillColour(int step)
{
    if (step <= 2)
        return QColor(220, 50, 40);
    if (step <= 5)
        return QColor(235, 170, 30);
    return QColor(40, 180, 70);
}

QImage Battery(int step)
{
    const int w = 60, h = 120;
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF nub(w * 0.35, 4, w * 0.3, 8);
    const QRectF body(6, 12, w - 12, h - 18);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(90, 90, 90));
    p.drawRoundedRect(nub, 2, 2);
    p.setPen(QPen(QColor(90, 90, 90), 3));
    p.setBrush(QColor(235, 235, 235));
    p.drawRoundedRect(body, 5, 5);
    // Ten bars from the bottom, one per ten percent.
    const QRectF inner = body.adjusted(5, 5, -5, -5);
    const double gap = 2;
    const double bar = (inner.height() - 9 * gap) / 10;
    p.setPen(Qt::NoPen);
    p.setBrush(FillColour(step));
    for (int i = 0; i < step; ++i) {
        double top = inner.bottom() - (i + 1) * bar - i * gap;
        p.drawRect(QRectF(inner.left(), top, inner.width(), bar));
    }
    return img;
}
} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("pic");
    QDir().mkpath(folder);
    for (int step = 0; step <= 10; ++step) {
        QString path = QDir(folder).filePath(QStringLiteral("%1S.jpg").arg(step * 10));
        if (!Battery(step).save(path, "JPG", 92)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
