#include "app/widgets/cellbarchart.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QLegendMarker>
#include <QLineSeries>
#include <QStackedBarSeries>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

CellBarChart::CellBarChart(QWidget *parent) : QChartView(parent)
{
    auto *c = new QChart;
    c->setMargins(QMargins(4, 4, 4, 4));
    c->legend()->setAlignment(Qt::AlignTop);
    setChart(c);
    m_bars = new QStackedBarSeries(c);
    const QString names[4] = {tr("单体电压"), tr("最高"), tr("最低"), tr("均衡中")};
    const QColor colours[4] = {QColor(0x4c, 0x8b, 0xd0), QColor(0xd6, 0x27, 0x28), QColor(0xe0, 0xa0, 0x00),
                               QColor(0x2c, 0xa0, 0x2c)};
    for (int k = 0; k < 4; ++k) {
        m_sets[k] = new QBarSet(names[k]);
        m_sets[k]->setColor(colours[k]);
        m_sets[k]->setBorderColor(colours[k].darker(120));
        m_bars->append(m_sets[k]);
    }
    m_bars->setBarWidth(0.8);
    c->addSeries(m_bars);
    m_axisX = new QBarCategoryAxis(c);
    m_axisY = new QValueAxis(c);
    m_axisY->setTitleText(tr("mV"));
    m_axisY->setLabelFormat(QStringLiteral("%d"));
    c->addAxis(m_axisX, Qt::AlignBottom);
    c->addAxis(m_axisY, Qt::AlignLeft);
    m_bars->attachAxis(m_axisX);
    m_bars->attachAxis(m_axisY);
}

void CellBarChart::SetCells(const CellSummary &cells, std::optional<std::uint32_t> balancing)
{
    const int n = static_cast<int>(cells.cells.size());
    QStringList categories;
    QList<qreal> values[4];
    for (int k = 0; k < 4; ++k)
        values[k].fill(0, n);
    for (int i = 0; i < n; ++i) {
        categories << QString::number(i + 1);
        const double v = cells.cells[static_cast<std::size_t>(i)];
        // Highest and lowest first; a balancing cell that is neither in its own colour.
        int set = 0;
        if (i + 1 == cells.highestCell)
            set = 1;
        else if (i + 1 == cells.lowestCell)
            set = 2;
        else if (balancing && i < 32 && ((*balancing >> i) & 1u))
            set = 3;
        values[set][i] = v;
    }
    for (int k = 0; k < 4; ++k) {
        if (m_sets[k]->count() != n) {
            m_sets[k]->remove(0, m_sets[k]->count());
            m_sets[k]->append(values[k]);
        } else {
            for (int i = 0; i < n; ++i)
                if (m_sets[k]->at(i) != values[k][i])
                    m_sets[k]->replace(i, values[k][i]);
        }
    }
    if (n != m_count) {
        m_axisX->clear();
        m_axisX->append(categories);
        m_count = n;
    }
    m_lo = n ? *std::min_element(cells.cells.begin(), cells.cells.end()) : 0;
    m_hi = n ? *std::max_element(cells.cells.begin(), cells.cells.end()) : 0;
    UpdateAxes();
}

void CellBarChart::SetThresholds(const std::vector<CellThreshold> &thresholds)
{
    for (QLineSeries *line : m_thresholdLines) {
        chart()->removeSeries(line);
        delete line;
    }
    m_thresholdLines.clear();
    m_thresholds = thresholds;
    static const QColor colours[] = {QColor(0xc0, 0x00, 0x00), QColor(0xff, 0x80, 0x00), QColor(0x80, 0x00, 0xc0),
                                     QColor(0x00, 0x80, 0x80)};
    for (std::size_t k = 0; k < thresholds.size(); ++k) {
        auto *line = new QLineSeries;
        line->setName(thresholds[k].name);
        line->setPen(QPen(colours[k % 4], 1.5, Qt::DashLine));
        chart()->addSeries(line);
        line->attachAxis(m_axisX);
        line->attachAxis(m_axisY);
        m_thresholdLines.push_back(line);
    }
    UpdateAxes();
}

void CellBarChart::Clear()
{
    SetCells(CellSummary{}, std::nullopt);
}

double CellBarChart::BarValue(int set, int cell) const
{
    if (set < 0 || set > 3 || cell < 0 || cell >= m_sets[set]->count())
        return 0;
    return m_sets[set]->at(cell);
}

void CellBarChart::UpdateAxes()
{
    double lo = m_count ? m_lo : 3000;
    double hi = m_count ? m_hi : 3600;
    for (std::size_t k = 0; k < m_thresholds.size(); ++k) {
        lo = std::min(lo, m_thresholds[k].mv);
        hi = std::max(hi, m_thresholds[k].mv);
        const double right = std::max(1, m_count) - 0.5;
        m_thresholdLines[k]->replace(QList<QPointF>{{-0.5, m_thresholds[k].mv}, {right, m_thresholds[k].mv}});
    }
    // Bars start at a floor under the lowest value, so small differences show.
    const double pad = std::max(20.0, (hi - lo) * 0.1);
    m_axisY->setRange(std::floor((lo - pad) / 10) * 10, std::ceil((hi + pad) / 10) * 10);
}
