// "曲线": the charts of the pack in a window of their own beside the main
// window (one at a time, not modal). Cells as bars and the time series of the
// live values, or of recorded days opened from their CSV files; export of the
// chart as a picture and of the shown series as CSV.
#pragma once

#include "app/widgets/cellbarchart.h"
#include "files/packseries.h"

#include <QWidget>

#include <cstdint>
#include <functional>
#include <vector>

class PackChartFeed;
class PackTimeChart;
class QCheckBox;
class QComboBox;
class QGridLayout;
class QLabel;
class QPushButton;
class QTimer;

class PackChartWindow : public QWidget {
    Q_OBJECT
public:
    explicit PackChartWindow(PackChartFeed *feed, QWidget *parent = nullptr);

    // Window choices: 5 min, 30 min, 2 h, everything.
    void SetWindowChoice(int index);
    void SetPaused(bool paused);
    bool Paused() const;
    // Reads a recorded day and shows it; false (with the message box shown) when refused.
    bool OpenRecord(const QString &path);
    // Back to the live values.
    void ShowLive();
    bool ShowingLive() const { return m_showLive; }
    // The set on show (live or recorded), nullptr when none.
    const PackSeriesSet *ShownSet() const;
    // Writes the chart as a picture, the shown series as CSV (UTF-8 with BOM).
    bool ExportPicture(const QString &path);
    bool ExportCsv(const QString &path);
    QString CsvText() const;

    PackTimeChart *TimeChart() const { return m_time; }
    CellBarChart *CellChart() const { return m_cells; }
    void SetCellThresholds(const std::vector<CellThreshold> &thresholds);
    // Asked for the known thresholds when the window shows and at each new set of cells.
    void SetThresholdSource(std::function<std::vector<CellThreshold>()> source);
    // Redraws now (normally at most a few times a second).
    void RedrawNow();
    // What span of data is held (live: in memory, and how much at full resolution).
    QString SpanText() const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void OnFeedUpdated(std::uint8_t code);
    void ScheduleRedraw();
    void RebuildLegend();
    void RefillSetChoice();
    void OnOpenRecord();
    void OnExportPicture();
    void OnExportCsv();
    // Asks for a file to save into (the chooser remembers its folder per action)
    // and writes it; a failed write is told.
    void ExportAs(const QString &action, const QString &filter, const QString &suffix, const QString &title,
                  bool (PackChartWindow::*write)(const QString &));
    void RefreshThresholds();

    PackChartFeed *m_feed;
    PackSeriesStore m_recorded; // opened files, one set each
    bool m_showLive = true;
    int m_liveSet = -1;     // id of the live set chosen, -1: the newest
    int m_recordedSet = -1; // index in m_recorded
    CellBarChart *m_cells = nullptr;
    PackTimeChart *m_time = nullptr;
    QComboBox *m_window = nullptr;
    QComboBox *m_setChoice = nullptr;
    QCheckBox *m_pause = nullptr;
    QWidget *m_legend = nullptr;
    QGridLayout *m_legendLayout = nullptr;
    std::vector<QCheckBox *> m_legendBoxes;
    QLabel *m_cursorText = nullptr;
    QLabel *m_spanText = nullptr;
    QTimer *m_redraw = nullptr;
    std::size_t m_legendFor = 0;
    std::function<std::vector<CellThreshold>()> m_thresholdSource;
    std::vector<double> m_thresholdsShown;
};
