#include "app/dialogs/packchartwindow.h"

#include "app/dialogs/filechooser.h"
#include "app/framework/msgbox.h"
#include "app/pages/packchartfeed.h"
#include "app/widgets/packtimechart.h"
#include "files/statusrecordreader.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSplitter>
#include <QTimer>
#include <QVBoxLayout>

#include <map>

namespace {
constexpr int kLegendColumns = 9;
constexpr double kWindowsMs[] = {5 * 60 * 1000.0, 30 * 60 * 1000.0, 2 * 3600 * 1000.0, 0};
// Choice codes of the recorded sets start here; below are the ids of live sets.
constexpr int kRecordedCode = 1 << 30;

QString ShortTime(double t)
{
    return QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(t)).toString(QStringLiteral("MM-dd HH:mm"));
}
} // namespace

PackChartWindow::PackChartWindow(PackChartFeed *feed, QWidget *parent) : QWidget(parent, Qt::Window), m_feed(feed)
{
    setWindowTitle(tr("曲线"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    auto *top = new QVBoxLayout(this);
    top->setContentsMargins(6, 6, 6, 6);

    auto *bar = new QHBoxLayout;
    bar->addWidget(new QLabel(tr("时间范围"), this));
    m_window = new QComboBox(this);
    m_window->addItems({tr("5 分钟"), tr("30 分钟"), tr("2 小时"), tr("全部")});
    bar->addWidget(m_window);
    bar->addWidget(new QLabel(tr("数据"), this));
    m_setChoice = new QComboBox(this);
    m_setChoice->setMinimumContentsLength(16);
    bar->addWidget(m_setChoice);
    m_pause = new QCheckBox(tr("暂停"), this);
    bar->addWidget(m_pause);
    bar->addStretch(1);
    auto button = [this, bar](const QString &text, auto slot) {
        auto *b = new QPushButton(text, this);
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, slot);
        bar->addWidget(b);
        return b;
    };
    button(tr("打开记录..."), [this] { OnOpenRecord(); });
    button(tr("导出图片..."), [this] { OnExportPicture(); });
    button(tr("导出数据..."), [this] { OnExportCsv(); });
    top->addLayout(bar);

    auto *split = new QSplitter(Qt::Vertical, this);
    m_cells = new CellBarChart(split);
    m_time = new PackTimeChart(split);
    split->addWidget(m_cells);
    split->addWidget(m_time);
    split->setStretchFactor(0, 2);
    split->setStretchFactor(1, 3);
    top->addWidget(split, 1);

    m_legend = new QWidget(this);
    m_legendLayout = new QGridLayout(m_legend);
    m_legendLayout->setContentsMargins(0, 0, 0, 0);
    top->addWidget(m_legend);
    m_spanText = new QLabel(this);
    top->addWidget(m_spanText);
    m_cursorText = new QLabel(tr("移动鼠标查看某一时刻的数值；滚轮缩放，拖动平移，双击回到最新"), this);
    m_cursorText->setTextInteractionFlags(Qt::TextSelectableByMouse);
    top->addWidget(m_cursorText);

    m_redraw = new QTimer(this);
    m_redraw->setSingleShot(true);
    m_redraw->setInterval(200);
    connect(m_redraw, &QTimer::timeout, this, [this] { RedrawNow(); });
    connect(m_window, &QComboBox::currentIndexChanged, this, [this](int i) { SetWindowChoice(i); });
    connect(m_pause, &QCheckBox::toggled, this, [this](bool on) {
        if (!on)
            ScheduleRedraw();
    });
    connect(m_setChoice, &QComboBox::activated, this, [this](int i) {
        const QVariant v = m_setChoice->itemData(i);
        const int code = v.toInt();
        if (code < 0) {
            m_showLive = true;
            m_liveSet = -1;
        } else if (code < kRecordedCode) {
            m_showLive = true;
            m_liveSet = code;
        } else {
            m_showLive = false;
            m_recordedSet = code - kRecordedCode;
        }
        m_time->Follow();
        RedrawNow();
    });
    connect(m_time, &PackTimeChart::CursorMoved, m_cursorText, &QLabel::setText);
    if (m_feed) {
        connect(m_feed, &PackChartFeed::Updated, this, &PackChartWindow::OnFeedUpdated);
        connect(m_feed, &PackChartFeed::SetsChanged, this, [this] {
            // The cells of the board before are not shown over the next one.
            if (!m_feed->Shown().cells)
                m_cells->Clear();
            RefillSetChoice();
            // The chart lets go of a set that may be gone at once, not at the next redraw.
            m_time->SetSet(ShownSet());
            ScheduleRedraw();
        });
    }
    resize(1000, 660);
    RefillSetChoice();
    if (m_feed && m_feed->Shown().cells)
        m_cells->SetCells(*m_feed->Shown().cells, m_feed->Shown().balancing);
    RedrawNow();
}

void PackChartWindow::SetWindowChoice(int index)
{
    if (index < 0 || index > 3)
        return;
    if (m_window->currentIndex() != index)
        m_window->setCurrentIndex(index);
    m_time->SetWindowMs(kWindowsMs[index]);
    m_time->Follow();
    RedrawNow();
}

void PackChartWindow::SetPaused(bool paused)
{
    m_pause->setChecked(paused);
}

bool PackChartWindow::Paused() const
{
    return m_pause->isChecked();
}

const PackSeriesSet *PackChartWindow::ShownSet() const
{
    if (!m_showLive) {
        const auto &sets = m_recorded.Sets();
        return m_recordedSet >= 0 && static_cast<std::size_t>(m_recordedSet) < sets.size() ? &sets[m_recordedSet]
                                                                                           : nullptr;
    }
    if (!m_feed || m_feed->Store().Sets().empty())
        return nullptr;
    const auto &sets = m_feed->Store().Sets();
    if (m_liveSet >= 0)
        if (const PackSeriesSet *chosen = m_feed->Store().FindSet(static_cast<std::uint64_t>(m_liveSet)))
            return chosen;
    return &sets.back();
}

void PackChartWindow::OnFeedUpdated(std::uint8_t code)
{
    if (Paused())
        return;
    if ((code == kStatusCells || code == kStatusBalancing) && m_feed->Shown().cells) {
        RefreshThresholds();
        m_cells->SetCells(*m_feed->Shown().cells, m_feed->Shown().balancing);
    }
    if (m_showLive && isVisible())
        ScheduleRedraw();
}

void PackChartWindow::showEvent(QShowEvent *event)
{
    RefreshThresholds();
    if (m_feed && m_feed->Shown().cells && !Paused())
        m_cells->SetCells(*m_feed->Shown().cells, m_feed->Shown().balancing);
    ScheduleRedraw();
    QWidget::showEvent(event);
}

void PackChartWindow::ScheduleRedraw()
{
    if (!m_redraw->isActive())
        m_redraw->start();
}

void PackChartWindow::RedrawNow()
{
    m_redraw->stop();
    const PackSeriesSet *set = ShownSet();
    m_time->SetSet(set);
    if (set && set->series.size() != m_legendFor)
        RebuildLegend();
    m_time->Redraw();
    m_spanText->setText(SpanText());
}

QString PackChartWindow::SpanText() const
{
    if (!m_showLive) {
        const PackSeriesSet *set = ShownSet();
        if (!set || set->lastT < 0)
            return tr("记录中没有数据");
        return tr("记录：%1 至 %2").arg(ShortTime(set->FirstT()), ShortTime(set->lastT));
    }
    if (!m_feed)
        return QString();
    const PackSeriesStore &store = m_feed->Store();
    const double since = store.HeldSince();
    if (since < 0)
        return tr("尚无实时数据");
    const double hours = store.FullSpanMs() / 3600000.0;
    QString text = store.FullSince() > since
                       ? tr("内存中保存 %1 起的数据：%2 起为完整数据，更早的已抽稀为每像素最高与最低值")
                             .arg(ShortTime(since), ShortTime(store.FullSince()))
                       : tr("内存中保存 %1 起的完整数据（最近 %2 小时保留完整数据，更早的抽稀）")
                             .arg(ShortTime(since))
                             .arg(hours, 0, 'g', 3);
    if (store.DroppedSets() > 0)
        text += tr("；为限制内存已舍弃最早的 %n 组数据", nullptr, static_cast<int>(store.DroppedSets()));
    return text;
}

void PackChartWindow::RebuildLegend()
{
    const PackSeriesSet *set = ShownSet();
    const std::size_t count = set ? set->series.size() : 0;
    for (QCheckBox *box : m_legendBoxes)
        delete box;
    m_legendBoxes.clear();
    for (std::size_t k = 0; k < count; ++k) {
        const int index = static_cast<int>(k);
        auto *box = new QCheckBox(PackSeriesTitle(index), m_legend);
        box->setChecked(m_time->SeriesVisible(index));
        const QColor c = PackTimeChart::SeriesColor(index);
        box->setStyleSheet(QStringLiteral("QCheckBox { color: %1; }").arg(c.name()));
        connect(box, &QCheckBox::toggled, this, [this, index](bool on) {
            m_time->SetSeriesVisible(index, on);
            RedrawNow();
        });
        // Rows of nine, so that many probes still fit the width of the window.
        m_legendLayout->addWidget(box, index / kLegendColumns, index % kLegendColumns);
        m_legendBoxes.push_back(box);
    }
    m_legendFor = count;
}

void PackChartWindow::RefillSetChoice()
{
    m_setChoice->clear();
    m_setChoice->addItem(tr("实时（最新）"), -1);
    if (m_feed)
        for (const PackSeriesSet &set : m_feed->Store().Sets())
            m_setChoice->addItem(tr("实时：%1").arg(set.label), static_cast<int>(set.id));
    for (std::size_t i = 0; i < m_recorded.Sets().size(); ++i)
        m_setChoice->addItem(tr("记录：%1").arg(m_recorded.Sets()[i].label), static_cast<int>(kRecordedCode + i));
    // A chosen live set that was dropped to stay within the memory budget: back to the newest.
    if (m_liveSet >= 0 && m_feed && !m_feed->Store().FindSet(static_cast<std::uint64_t>(m_liveSet)))
        m_liveSet = -1;
    int at = 0;
    if (!m_showLive)
        at = m_setChoice->findData(kRecordedCode + m_recordedSet);
    else if (m_liveSet >= 0)
        at = m_setChoice->findData(m_liveSet);
    m_setChoice->setCurrentIndex(std::max(0, at));
}

bool PackChartWindow::OpenRecord(const QString &path)
{
    StatusRecordRead read = LoadStatusRecordFile(path, m_recorded, QFileInfo(path).fileName());
    if (!read.ok) {
        MessageBox(this, tr("无法显示 %1：\n%2").arg(QFileInfo(path).fileName(), read.error), tr("曲线"),
                   MB_OK | MB_ICONWARNING);
        return false;
    }
    m_showLive = false;
    m_recordedSet = static_cast<int>(m_recorded.Sets().size()) - 1;
    RefillSetChoice();
    SetWindowChoice(3);
    m_time->Follow();
    RedrawNow();
    return true;
}

void PackChartWindow::ShowLive()
{
    m_showLive = true;
    m_liveSet = -1;
    RefillSetChoice();
    m_time->Follow();
    RedrawNow();
}

void PackChartWindow::OnOpenRecord()
{
    FileAsk ask;
    ask.key = QStringLiteral("CPackChartWindow::OnOpenRecord");
    ask.filter = tr("记录文件 (*.csv)");
    ask.title = tr("打开记录");
    const QString path = ChooseFile(this, ask);
    if (!path.isEmpty())
        OpenRecord(path);
}

void PackChartWindow::OnExportPicture()
{
    ExportAs(QStringLiteral("OnExportPicture"), tr("PNG 图片 (*.png)"), QStringLiteral("png"), tr("导出图片"),
             &PackChartWindow::ExportPicture);
}

void PackChartWindow::OnExportCsv()
{
    ExportAs(QStringLiteral("OnExportCsv"), tr("CSV 文件 (*.csv)"), QStringLiteral("csv"), tr("导出数据"),
             &PackChartWindow::ExportCsv);
}

void PackChartWindow::ExportAs(const QString &action, const QString &filter, const QString &suffix,
                               const QString &title, bool (PackChartWindow::*write)(const QString &))
{
    FileAsk ask;
    ask.save = true;
    ask.key = QStringLiteral("CPackChartWindow::") + action;
    ask.filter = filter;
    ask.defaultSuffix = suffix;
    ask.initialName = QStringLiteral("chart.") + suffix;
    ask.title = title;
    const QString path = ChooseFile(this, ask);
    if (!path.isEmpty() && !(this->*write)(path))
        MessageBox(this, tr("无法写入文件 %1").arg(QFileInfo(path).absoluteFilePath()), tr("曲线"),
                   MB_OK | MB_ICONERROR);
}

bool PackChartWindow::ExportPicture(const QString &path)
{
    RedrawNow();
    QPixmap picture = grab();
    return picture.save(path, "PNG");
}

QString PackChartWindow::CsvText() const
{
    const PackSeriesSet *set = ShownSet();
    if (!set)
        return QString();
    const double t0 = m_time->RangeStart();
    const double t1 = m_time->RangeEnd();
    std::vector<int> shown;
    for (std::size_t k = 0; k < set->series.size(); ++k)
        if (m_time->SeriesVisible(static_cast<int>(k)))
            shown.push_back(static_cast<int>(k));
    // One row per time any shown series has a point; empty where it has none.
    std::map<double, std::vector<QString>> rows;
    for (std::size_t c = 0; c < shown.size(); ++c) {
        const PackSeries &series = set->series[static_cast<std::size_t>(shown[c])];
        for (std::size_t i = 0; i < series.Size(); ++i) {
            const SeriesPoint p = series.At(i);
            if (p.t < t0 || p.t > t1)
                continue;
            auto &row = rows[p.t];
            row.resize(shown.size());
            row[c] = QString::number(p.v, 'g', 10);
        }
    }
    QString text = QStringLiteral("时间");
    for (int k : shown)
        text += QStringLiteral(",%1(%2)").arg(PackSeriesName(k), PackSeriesUnit(k));
    text += QStringLiteral("\r\n");
    for (auto &[t, row] : rows) {
        text +=
            QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(t)).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
        row.resize(shown.size());
        for (const QString &v : row)
            text += QLatin1Char(',') + v;
        text += QStringLiteral("\r\n");
    }
    return text;
}

bool PackChartWindow::ExportCsv(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QByteArray bytes("\xEF\xBB\xBF");
    bytes += CsvText().toUtf8();
    const bool ok = file.write(bytes) == bytes.size() && file.flush();
    file.close();
    return ok;
}

void PackChartWindow::SetCellThresholds(const std::vector<CellThreshold> &thresholds)
{
    m_cells->SetThresholds(thresholds);
}

void PackChartWindow::SetThresholdSource(std::function<std::vector<CellThreshold>()> source)
{
    m_thresholdSource = std::move(source);
    RefreshThresholds();
}

void PackChartWindow::RefreshThresholds()
{
    if (!m_thresholdSource)
        return;
    std::vector<CellThreshold> known = m_thresholdSource();
    std::vector<double> values;
    for (const CellThreshold &t : known)
        values.push_back(t.mv);
    if (values == m_thresholdsShown && static_cast<int>(known.size()) == m_cells->ThresholdCount())
        return;
    m_thresholdsShown = values;
    m_cells->SetThresholds(known);
}
