// The time chart of the pack: every series of one set drawn over a time range,
// thinned to the plot's width (min and max per pixel), one line per segment so
// that stale periods stay gaps. The left axis holds volts, amps, percent,
// degrees and the cell difference, the right axis the cell voltages in mV.
// Wheel zooms the time around the mouse, dragging pans, a double click goes
// back to following the newest values; a cursor line shows the values at the
// mouse's time.
#pragma once

#include "files/packseries.h"

#include <QChartView>
#include <QColor>

#include <vector>

class QDateTimeAxis;
class QGraphicsLineItem;
class QLineSeries;
class QValueAxis;

// The name of a series as shown (translated), with its unit.
QString PackSeriesTitle(int index);

class PackTimeChart : public QChartView {
    Q_OBJECT
public:
    explicit PackTimeChart(QWidget *parent = nullptr);

    // The set shown (not owned; may change between redraws), nullptr for none.
    void SetSet(const PackSeriesSet *set) { m_set = set; }
    // Window (ms) of the followed range; 0 shows everything.
    void SetWindowMs(double ms) { m_windowMs = ms; }
    // Shown range: following the newest values, or the range the user zoomed and panned to.
    bool Following() const { return m_following; }
    void Follow() { m_following = true; }
    void SetRange(double t0, double t1);
    double RangeStart() const { return m_t0; }
    double RangeEnd() const { return m_t1; }
    void SetSeriesVisible(int index, bool visible);
    bool SeriesVisible(int index) const;
    static QColor SeriesColor(int index);

    // Rebuilds the lines from the set for the current range and width.
    void Redraw();
    // Points drawn for a series in the last redraw (all its segments).
    int DrawnPoints(int index) const;
    // "HH:mm:ss  总电压 52.50 V ..." at a time; empty outside the data.
    QString CursorText(double t) const;

signals:
    void CursorMoved(const QString &text);
    // The user zoomed or panned (following stopped).
    void RangeChangedByUser();

protected:
    void wheelEvent(QWheelEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void ComputeRange();
    QLineSeries *Line(int index, std::size_t segment);
    double TimeAt(double x) const;

    const PackSeriesSet *m_set = nullptr;
    double m_windowMs = 5 * 60 * 1000.0;
    bool m_following = true;
    double m_t0 = 0;
    double m_t1 = 1;
    std::vector<bool> m_hidden;
    std::vector<std::vector<QLineSeries *>> m_lines; // per series, per segment drawn
    std::vector<int> m_drawn;
    QDateTimeAxis *m_axisX = nullptr;
    QValueAxis *m_axisLeft = nullptr;
    QValueAxis *m_axisRight = nullptr;
    QGraphicsLineItem *m_cursor = nullptr;
    bool m_dragging = false;
    double m_dragX = 0;
};
