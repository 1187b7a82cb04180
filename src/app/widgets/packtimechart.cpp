#include "app/widgets/packtimechart.h"

#include "files/decimate.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QGraphicsLineItem>
#include <QLineSeries>
#include <QMouseEvent>
#include <QValueAxis>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {
bool OnRightAxis(int index)
{
    return index == kSeriesHighCell || index == kSeriesLowCell;
}

// The points of [begin, end) that fall in [t0, t1], with one neighbour on
// each side so the line runs to the edge of the plot.
std::pair<std::size_t, std::size_t> InRange(const PackSeries &s, std::size_t begin, std::size_t end, double t0,
                                            double t1)
{
    std::size_t a = std::clamp(s.LowerBound(t0), begin, end);
    std::size_t z = std::clamp(s.UpperBound(t1), begin, end);
    if (a > begin)
        --a;
    if (z < end)
        ++z;
    return {a, z};
}
} // namespace

QString PackSeriesTitle(int index)
{
    if (index >= kSeriesFirstTemp)
        return QCoreApplication::translate("PackSeries", "温度%1").arg(index - kSeriesFirstTemp + 1);
    return QCoreApplication::translate("PackSeries", PackSeriesName(index).toUtf8().constData());
}

PackTimeChart::PackTimeChart(QWidget *parent) : QChartView(parent)
{
    auto *c = new QChart;
    c->legend()->hide();
    c->setMargins(QMargins(4, 4, 4, 4));
    setChart(c);
    setRenderHint(QPainter::Antialiasing, false);
    m_axisX = new QDateTimeAxis(c);
    m_axisX->setFormat(QStringLiteral("HH:mm:ss"));
    m_axisX->setTickCount(6);
    m_axisLeft = new QValueAxis(c);
    m_axisLeft->setTitleText(tr("V / A / % / °C / 压差 mV"));
    m_axisRight = new QValueAxis(c);
    m_axisRight->setTitleText(tr("单体 mV"));
    c->addAxis(m_axisX, Qt::AlignBottom);
    c->addAxis(m_axisLeft, Qt::AlignLeft);
    c->addAxis(m_axisRight, Qt::AlignRight);
    m_cursor = new QGraphicsLineItem(c);
    m_cursor->setPen(QPen(QColor(0x60, 0x60, 0x60), 1, Qt::DashLine));
    m_cursor->setZValue(100);
    m_cursor->hide();
    setMouseTracking(true);
}

QColor PackTimeChart::SeriesColor(int index)
{
    static const QColor fixed[] = {QColor(0x1f, 0x77, 0xb4), QColor(0xd6, 0x27, 0x28), QColor(0x2c, 0xa0, 0x2c),
                                   QColor(0xff, 0x7f, 0x0e), QColor(0x94, 0x67, 0xbd), QColor(0x8c, 0x56, 0x4b)};
    if (index >= 0 && index < kSeriesFirstTemp)
        return fixed[index];
    return QColor::fromHsv(((index - kSeriesFirstTemp) * 47 + 300) % 360, 200, 190);
}

void PackTimeChart::SetRange(double t0, double t1)
{
    if (!(t1 > t0))
        return;
    m_t0 = t0;
    m_t1 = t1;
    m_following = false;
}

void PackTimeChart::SetSeriesVisible(int index, bool visible)
{
    if (index < 0)
        return;
    if (static_cast<std::size_t>(index) >= m_hidden.size())
        m_hidden.resize(static_cast<std::size_t>(index) + 1, false);
    m_hidden[static_cast<std::size_t>(index)] = !visible;
}

bool PackTimeChart::SeriesVisible(int index) const
{
    return index < 0 || static_cast<std::size_t>(index) >= m_hidden.size() ||
           !m_hidden[static_cast<std::size_t>(index)];
}

int PackTimeChart::DrawnPoints(int index) const
{
    return index >= 0 && static_cast<std::size_t>(index) < m_drawn.size() ? m_drawn[static_cast<std::size_t>(index)]
                                                                          : 0;
}

void PackTimeChart::ComputeRange()
{
    if (!m_following || !m_set)
        return;
    double last = m_set->lastT;
    double first = m_set->FirstT();
    if (last < 0) {
        const double now = static_cast<double>(QDateTime::currentMSecsSinceEpoch());
        m_t0 = now - (m_windowMs > 0 ? m_windowMs : 60000);
        m_t1 = now;
        return;
    }
    if (m_windowMs > 0) {
        m_t1 = std::max(last, first + m_windowMs);
        m_t0 = m_t1 - m_windowMs;
    } else {
        m_t0 = first;
        m_t1 = std::max(last, first + 1000);
    }
}

QLineSeries *PackTimeChart::Line(int index, std::size_t segment)
{
    auto &lines = m_lines[static_cast<std::size_t>(index)];
    while (lines.size() <= segment) {
        auto *line = new QLineSeries;
        line->setPen(QPen(SeriesColor(index), 1.5));
        line->setUseOpenGL(false);
        chart()->addSeries(line);
        line->attachAxis(m_axisX);
        line->attachAxis(OnRightAxis(index) ? m_axisRight : m_axisLeft);
        lines.push_back(line);
    }
    return lines[segment];
}

void PackTimeChart::Redraw()
{
    ComputeRange();
    const std::size_t count = m_set ? m_set->series.size() : 0;
    if (m_lines.size() < count)
        m_lines.resize(count);
    m_drawn.assign(m_lines.size(), 0);
    const int width = std::max(50, static_cast<int>(chart()->plotArea().width()));
    double lo[2] = {INFINITY, INFINITY};
    double hi[2] = {-INFINITY, -INFINITY};
    // First the thinned points of every segment in view, so that the axes are
    // set once before the lines take their points (each change of an axis
    // lays out every line again).
    struct Piece {
        int index;
        QList<QPointF> points;
    };
    std::vector<Piece> pieces;
    std::vector<SeriesPoint> thin;
    for (std::size_t k = 0; k < count; ++k) {
        const int index = static_cast<int>(k);
        if (!SeriesVisible(index))
            continue;
        const PackSeries &s = m_set->series[k];
        const int side = OnRightAxis(index) ? 1 : 0;
        for (std::size_t g = 0; g < s.SegmentCount(); ++g) {
            const std::size_t b = s.SegmentBegin(g);
            const std::size_t e = s.SegmentEnd(g);
            if (b == e || s.T(e - 1) < m_t0 || s.T(b) > m_t1)
                continue;
            auto [a, z] = InRange(s, b, e, m_t0, m_t1);
            // Buckets in proportion to the part of the width the segment covers.
            const double span = std::max(1.0, s.T(z - 1) - s.T(a));
            const int buckets = std::max(1, static_cast<int>(width * std::min(1.0, span / (m_t1 - m_t0))));
            thin.clear();
            DecimateMinMax(s, a, z, buckets, thin);
            Piece piece{index, QList<QPointF>(static_cast<qsizetype>(thin.size()))};
            for (std::size_t i = 0; i < thin.size(); ++i) {
                piece.points[static_cast<qsizetype>(i)] = QPointF(thin[i].t, thin[i].v);
                if (thin[i].t >= m_t0 && thin[i].t <= m_t1) {
                    lo[side] = std::min(lo[side], thin[i].v);
                    hi[side] = std::max(hi[side], thin[i].v);
                }
            }
            m_drawn[k] += static_cast<int>(thin.size());
            pieces.push_back(std::move(piece));
        }
    }
    m_axisX->setRange(QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(m_t0)),
                      QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(m_t1)));
    QValueAxis *axes[2] = {m_axisLeft, m_axisRight};
    for (int side = 0; side < 2; ++side) {
        if (!(hi[side] >= lo[side])) {
            axes[side]->setRange(0, 1);
            continue;
        }
        const double pad = std::max((hi[side] - lo[side]) * 0.05, 0.5);
        axes[side]->setRange(std::floor(lo[side] - pad), std::ceil(hi[side] + pad));
    }
    std::vector<std::size_t> used(m_lines.size(), 0);
    for (Piece &piece : pieces) {
        QLineSeries *line = Line(piece.index, used[static_cast<std::size_t>(piece.index)]++);
        line->replace(piece.points);
        line->setVisible(true);
    }
    for (std::size_t k = 0; k < m_lines.size(); ++k) {
        for (std::size_t g = used[k]; g < m_lines[k].size(); ++g) {
            if (m_lines[k][g]->count() > 0)
                m_lines[k][g]->clear();
            m_lines[k][g]->setVisible(false);
        }
    }
}

double PackTimeChart::TimeAt(double x) const
{
    const QRectF plot = chart()->plotArea();
    if (plot.width() <= 0)
        return m_t0;
    return m_t0 + (x - plot.left()) / plot.width() * (m_t1 - m_t0);
}

QString PackTimeChart::CursorText(double t) const
{
    if (!m_set)
        return QString();
    QStringList parts;
    parts << QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(t)).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    bool any = false;
    for (std::size_t k = 0; k < m_set->series.size(); ++k) {
        const int index = static_cast<int>(k);
        if (!SeriesVisible(index))
            continue;
        if (std::optional<double> v = m_set->series[k].ValueAt(t)) {
            any = true;
            parts << QStringLiteral("%1 %2 %3")
                         .arg(PackSeriesTitle(index))
                         .arg(*v, 0, 'f', index == kSeriesVoltage || index == kSeriesCurrent ? 3 : 1)
                         .arg(PackSeriesUnit(index));
        }
    }
    return any ? parts.join(QStringLiteral("  ")) : parts.front() + QStringLiteral("  ") + tr("无数据");
}

void PackTimeChart::wheelEvent(QWheelEvent *event)
{
    const double at = TimeAt(event->position().x());
    const double factor = event->angleDelta().y() > 0 ? 0.8 : 1.25;
    const double t0 = at - (at - m_t0) * factor;
    const double t1 = at + (m_t1 - at) * factor;
    if (t1 - t0 >= 2000) {
        SetRange(t0, t1);
        Redraw();
        emit RangeChangedByUser();
    }
    event->accept();
}

void PackTimeChart::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        m_dragging = true;
        m_dragX = event->position().x();
        event->accept();
        return;
    }
    QChartView::mousePressEvent(event);
}

void PackTimeChart::mouseMoveEvent(QMouseEvent *event)
{
    const QRectF plot = chart()->plotArea();
    const double x = event->position().x();
    if (m_dragging && plot.width() > 0) {
        const double shift = (m_dragX - x) / plot.width() * (m_t1 - m_t0);
        m_dragX = x;
        SetRange(m_t0 + shift, m_t1 + shift);
        Redraw();
        emit RangeChangedByUser();
    }
    if (plot.contains(event->position())) {
        m_cursor->setLine(x, plot.top(), x, plot.bottom());
        m_cursor->show();
        emit CursorMoved(CursorText(TimeAt(x)));
    } else {
        m_cursor->hide();
    }
    QChartView::mouseMoveEvent(event);
}

void PackTimeChart::mouseReleaseEvent(QMouseEvent *event)
{
    m_dragging = false;
    QChartView::mouseReleaseEvent(event);
}

void PackTimeChart::mouseDoubleClickEvent(QMouseEvent *event)
{
    Follow();
    Redraw();
    emit RangeChangedByUser();
    event->accept();
}

void PackTimeChart::resizeEvent(QResizeEvent *event)
{
    QChartView::resizeEvent(event);
    Redraw();
}
