// The cell voltages as bars: the highest and the lowest cell and the balancing
// cells in their own colours, and the cell voltage thresholds as lines.
#pragma once

#include "protocol/status_decode.h"

#include <QChartView>

#include <cstdint>
#include <optional>
#include <vector>

class QBarCategoryAxis;
class QBarSet;
class QStackedBarSeries;
class QLineSeries;
class QValueAxis;

struct CellThreshold {
    QString name; // as shown in the legend
    double mv = 0;
};

class CellBarChart : public QChartView {
    Q_OBJECT
public:
    explicit CellBarChart(QWidget *parent = nullptr);

    void SetCells(const CellSummary &cells, std::optional<std::uint32_t> balancing);
    void SetThresholds(const std::vector<CellThreshold> &thresholds);
    void Clear();

    // For tests: the bar value of a cell in each of the four sets (normal,
    // highest, lowest, balancing); 0 where the cell is not in the set.
    double BarValue(int set, int cell) const;
    int CellCount() const { return m_count; }
    int ThresholdCount() const { return static_cast<int>(m_thresholdLines.size()); }

private:
    void UpdateAxes();

    QStackedBarSeries *m_bars = nullptr;
    QBarSet *m_sets[4] = {};
    QBarCategoryAxis *m_axisX = nullptr;
    QValueAxis *m_axisY = nullptr;
    std::vector<QLineSeries *> m_thresholdLines;
    std::vector<CellThreshold> m_thresholds;
    int m_count = 0;
    double m_lo = 0;
    double m_hi = 0;
};
