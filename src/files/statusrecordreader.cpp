#include "files/statusrecordreader.h"

#include "files/statusrecord.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTimeZone>

#include <algorithm>
#include <charconv>
#include <functional>
#include <optional>

namespace {
struct ReaderText {
    Q_DECLARE_TR_FUNCTIONS(StatusRecordReader)
};

// The fields of a line split at commas, without copies. GBK never uses a comma
// or a line feed as the second byte of a character, so rows split as bytes.
template <class View> void SplitFields(View line, std::vector<View> &fields)
{
    fields.clear();
    qsizetype from = 0;
    for (;;) {
        qsizetype comma = line.indexOf(',', from);
        if (comma < 0) {
            fields.push_back(line.sliced(from));
            return;
        }
        fields.push_back(line.sliced(from, comma - from));
        from = comma + 1;
    }
}

// A number as the recording writes it (an integer, or with one decimal place).
std::optional<double> Number(QByteArrayView field)
{
    if (field.isEmpty())
        return std::nullopt;
    double v = 0;
    auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), v);
    if (error != std::errc() || end != field.data() + field.size())
        return std::nullopt;
    return v;
}

// "HH:mm:ss" as seconds of the day, -1 when it is not one.
int Seconds(QByteArrayView field)
{
    if (field.size() != 8 || field[2] != ':' || field[5] != ':')
        return -1;
    int parts[3] = {0, 0, 0};
    for (int k = 0; k < 3; ++k) {
        for (int d = 0; d < 2; ++d) {
            const char c = field[k * 3 + d];
            if (c < '0' || c > '9')
                return -1;
            parts[k] = parts[k] * 10 + (c - '0');
        }
    }
    if (parts[0] > 23 || parts[1] > 59 || parts[2] > 59)
        return -1;
    return parts[0] * 3600 + parts[1] * 60 + parts[2];
}

// Checks the header columns; the probe and cell counts follow from it.
bool ReadHeader(const std::vector<QStringView> &columns, int &probes, int &cells)
{
    const QStringList lead = StatusRecordLeadColumns();
    const QStringList tail = StatusRecordTailColumns();
    const qsizetype n = static_cast<qsizetype>(columns.size());
    // Lead, tail and the empty field after the last comma at the least.
    if (n < lead.size() + tail.size() + 1 || !columns.back().isEmpty())
        return false;
    qsizetype at = 0;
    for (const QString &c : lead)
        if (columns[static_cast<std::size_t>(at++)] != c)
            return false;
    probes = 0;
    while (at < n && columns[static_cast<std::size_t>(at)] == StatusRecordTempColumn(probes + 1)) {
        ++probes;
        ++at;
    }
    cells = 0;
    while (at < n && columns[static_cast<std::size_t>(at)] == StatusRecordCellColumn(cells + 1)) {
        ++cells;
        ++at;
    }
    if (n - at != tail.size() + 1)
        return false;
    for (const QString &c : tail)
        if (columns[static_cast<std::size_t>(at++)] != c)
            return false;
    return true;
}

// The next line of rest (without its CR LF); false at the end.
bool NextLine(QByteArrayView &rest, QByteArrayView &line, bool &complete)
{
    if (rest.isEmpty())
        return false;
    qsizetype nl = rest.indexOf('\n');
    complete = nl >= 0;
    if (nl < 0) {
        line = rest;
        rest = QByteArrayView();
        return true;
    }
    line = rest.first(nl);
    rest = rest.sliced(nl + 1);
    if (line.endsWith('\r'))
        line.chop(1);
    return true;
}

// Reads the rows of a recording, handing each as a sample to `row`; the
// result holds everything but the samples.
StatusRecordRead ReadRows(const QByteArray &bytes, const QDate &day, const std::function<void(PackSample &)> &row)
{
    StatusRecordRead result;
    if (bytes.isEmpty()) {
        result.error = ReaderText::tr("文件是空的。");
        return result;
    }
    QByteArrayView rest(bytes);
    QByteArrayView line;
    bool complete = false;
    NextLine(rest, line, complete);
    QStringDecoder gbk("GBK");
    const QString header = gbk.decode(line);
    if (gbk.hasError() || !complete) {
        result.error = ReaderText::tr("文件不是定时保存写的记录：表头不符。");
        return result;
    }
    std::vector<QStringView> columns;
    SplitFields(QStringView(header), columns);
    if (!ReadHeader(columns, result.probes, result.cells)) {
        result.error = ReaderText::tr("文件不是定时保存写的记录：表头不符。");
        return result;
    }
    const std::size_t headerFields = columns.size();
    const std::size_t tailAt = static_cast<std::size_t>(5 + result.probes + result.cells);
    const double dayStart = static_cast<double>(QDateTime(day, QTime(0, 0)).toMSecsSinceEpoch());
    int dayOffset = 0;
    double offsetStart = dayStart;
    int lastSeconds = -1;
    std::vector<QByteArrayView> fields;
    while (NextLine(rest, line, complete)) {
        if (!complete) {
            result.truncatedLastLine = true;
            break;
        }
        if (line.isEmpty())
            continue;
        SplitFields(line, fields);
        const int seconds = fields.size() == headerFields + 1 ? Seconds(fields[kRecTime]) : -1;
        if (seconds < 0) {
            ++result.skippedRows;
            continue;
        }
        if (lastSeconds >= 0 && seconds + 12 * 3600 < lastSeconds) {
            // Days are counted on the calendar, so a change of daylight saving time keeps the wall time.
            ++dayOffset;
            offsetStart = static_cast<double>(QDateTime(day.addDays(dayOffset), QTime(0, 0)).toMSecsSinceEpoch());
        }
        lastSeconds = seconds;
        PackSample s;
        s.t = offsetStart + seconds * 1000.0;
        if (auto v = Number(fields[2]))
            s.voltage = *v / 1000.0;
        if (auto v = Number(fields[3]))
            s.current = *v / 1000.0;
        s.soc = Number(fields[1]);
        s.temps.reserve(static_cast<std::size_t>(result.probes));
        for (int p = 0; p < result.probes; ++p) {
            auto v = Number(fields[static_cast<std::size_t>(5 + p)]);
            if (!v) {
                s.temps.clear(); // positions must stay with their probes
                break;
            }
            s.temps.push_back(*v);
        }
        s.highCell = Number(fields[tailAt + kRecHighCell - kRecHighCell]);
        s.lowCell = Number(fields[tailAt + kRecLowCell - kRecHighCell]);
        s.cellDiff = Number(fields[tailAt + kRecCellDiff - kRecHighCell]);
        row(s);
    }
    result.day = day;
    result.ok = true;
    return result;
}
} // namespace

StatusRecordRead ReadStatusRecord(const QByteArray &bytes, const QDate &day)
{
    std::vector<PackSample> samples;
    samples.reserve(static_cast<std::size_t>(bytes.size() / 80));
    StatusRecordRead result = ReadRows(bytes, day, [&samples](PackSample &s) { samples.push_back(std::move(s)); });
    if (result.ok)
        result.samples = std::move(samples);
    return result;
}

QDate StatusRecordDay(const QString &path)
{
    static const QRegularExpression name(QStringLiteral("^Record_(\\d{4}-\\d{2}-\\d{2})\\.csv$"),
                                         QRegularExpression::CaseInsensitiveOption);
    const QFileInfo info(path);
    QRegularExpressionMatch m = name.match(info.fileName());
    if (m.hasMatch()) {
        QDate d = QDate::fromString(m.captured(1), QStringLiteral("yyyy-MM-dd"));
        if (d.isValid())
            return d;
    }
    return info.lastModified().date();
}

namespace {
// The whole file, or why it cannot be read.
bool ReadWholeFile(const QString &path, QByteArray &bytes, StatusRecordRead &result)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error =
            ReaderText::tr("无法打开文件 %1：%2").arg(QFileInfo(path).absoluteFilePath(), file.errorString());
        return false;
    }
    bytes = file.readAll();
    return true;
}

// The usual step between rows (their median), 0 when there is none.
double UsualStep(std::vector<double> steps)
{
    if (steps.empty())
        return 0;
    std::nth_element(steps.begin(), steps.begin() + static_cast<std::ptrdiff_t>(steps.size() / 2), steps.end());
    return steps[steps.size() / 2];
}

// Rows further apart than three times the usual step (at least 5 s) leave a gap.
double GapFor(double usualStep)
{
    return std::max(5000.0, 3 * usualStep);
}
} // namespace

StatusRecordRead ReadStatusRecordFile(const QString &path)
{
    StatusRecordRead result;
    QByteArray bytes;
    if (!ReadWholeFile(path, bytes, result))
        return result;
    return ReadStatusRecord(bytes, StatusRecordDay(path));
}

StatusRecordRead LoadStatusRecordFile(const QString &path, PackSeriesStore &store, const QString &label)
{
    StatusRecordRead result;
    QByteArray bytes;
    if (!ReadWholeFile(path, bytes, result))
        return result;
    // The rows go straight into a new set's columns; gaps are cut once the
    // usual step is known.
    std::vector<double> steps;
    double lastT = -1;
    PackSeriesStore rows;
    rows.SetBudget(0);
    rows.SetFullSpanMs(0);
    rows.StartSet(label);
    result = ReadRows(bytes, StatusRecordDay(path), [&](PackSample &s) {
        if (lastT >= 0 && s.t > lastT)
            steps.push_back(s.t - lastT);
        lastT = s.t;
        rows.Add(s);
    });
    bytes = QByteArray();
    if (!result.ok)
        return result;
    const double gap = GapFor(UsualStep(std::move(steps)));
    PackSeriesSet &set = *rows.Current();
    for (PackSeries &series : set.series)
        series.SplitGaps(gap);
    store.AdoptSet(std::move(set));
    return result;
}

void AddRecordedRows(PackSeriesStore &store, const StatusRecordRead &read, const QString &label)
{
    std::vector<double> steps;
    for (std::size_t i = 1; i < read.samples.size(); ++i)
        if (read.samples[i].t > read.samples[i - 1].t)
            steps.push_back(read.samples[i].t - read.samples[i - 1].t);
    const double keep = store.GapMs();
    store.SetGapMs(GapFor(UsualStep(std::move(steps))));
    store.StartSet(label);
    for (const PackSample &s : read.samples)
        store.Add(s);
    store.SetGapMs(keep);
}
