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
#include <optional>

namespace {
QString Tr(const char *text)
{
    return QCoreApplication::translate("StatusRecordReader", text);
}

// The fields of a line split at commas, without copies.
void SplitFields(QStringView line, std::vector<QStringView> &fields)
{
    fields.clear();
    qsizetype from = 0;
    for (;;) {
        qsizetype comma = line.indexOf(QLatin1Char(','), from);
        if (comma < 0) {
            fields.push_back(line.mid(from));
            return;
        }
        fields.push_back(line.mid(from, comma - from));
        from = comma + 1;
    }
}

std::optional<double> Number(QStringView field)
{
    if (field.isEmpty())
        return std::nullopt;
    bool ok = false;
    double v = field.toDouble(&ok);
    return ok ? std::optional<double>(v) : std::nullopt;
}

// "HH:mm:ss" as seconds of the day, -1 when it is not one.
int Seconds(QStringView field)
{
    if (field.size() != 8 || field[2] != QLatin1Char(':') || field[5] != QLatin1Char(':'))
        return -1;
    int parts[3] = {0, 0, 0};
    for (int k = 0; k < 3; ++k) {
        for (int d = 0; d < 2; ++d) {
            QChar c = field[k * 3 + d];
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return -1;
            parts[k] = parts[k] * 10 + (c.unicode() - '0');
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
} // namespace

StatusRecordRead ReadStatusRecord(const QByteArray &bytes, const QDate &day)
{
    StatusRecordRead result;
    if (bytes.isEmpty()) {
        result.error = Tr("文件是空的。");
        return result;
    }
    QStringDecoder gbk("GBK");
    const QString text = gbk.decode(bytes);
    if (gbk.hasError()) {
        result.error = Tr("文件不是定时保存写的记录：文字不是 GBK 编码。");
        return result;
    }
    QStringView rest(text);
    auto nextLine = [&rest](QStringView &line) {
        if (rest.isEmpty())
            return false;
        qsizetype nl = rest.indexOf(QLatin1Char('\n'));
        if (nl < 0) {
            line = rest;
            rest = QStringView();
            return true;
        }
        line = rest.left(nl);
        rest = rest.mid(nl + 1);
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        return true;
    };
    QStringView line;
    std::vector<QStringView> fields;
    nextLine(line);
    SplitFields(line, fields);
    if (!ReadHeader(fields, result.probes, result.cells)) {
        result.error = Tr("文件不是定时保存写的记录：表头不符。");
        return result;
    }
    const std::size_t headerFields = fields.size();
    const std::size_t tailAt = static_cast<std::size_t>(5 + result.probes + result.cells);
    const bool endsInRow = !text.endsWith(QLatin1Char('\n'));
    const QDateTime midnight(day, QTime(0, 0));
    const double dayStart = static_cast<double>(midnight.toMSecsSinceEpoch());
    int dayOffset = 0;
    int lastSeconds = -1;
    result.samples.reserve(static_cast<std::size_t>(bytes.size() / 80));
    while (nextLine(line)) {
        if (rest.isEmpty() && endsInRow) {
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
        if (lastSeconds >= 0 && seconds + 12 * 3600 < lastSeconds)
            ++dayOffset;
        lastSeconds = seconds;
        PackSample s;
        // Days are counted on the calendar, so a change of daylight saving time keeps the wall time.
        s.t = dayOffset == 0 ? dayStart + seconds * 1000.0
                             : static_cast<double>(QDateTime(day.addDays(dayOffset), QTime(0, 0)).toMSecsSinceEpoch()) +
                                   seconds * 1000.0;
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
        result.samples.push_back(std::move(s));
    }
    result.day = day;
    result.ok = true;
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

StatusRecordRead ReadStatusRecordFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        StatusRecordRead result;
        result.error = Tr("无法打开文件 %1：%2").arg(QFileInfo(path).absoluteFilePath(), file.errorString());
        return result;
    }
    return ReadStatusRecord(file.readAll(), StatusRecordDay(path));
}

void AddRecordedRows(PackSeriesStore &store, const StatusRecordRead &read, const QString &label)
{
    std::vector<double> steps;
    for (std::size_t i = 1; i < read.samples.size(); ++i)
        if (read.samples[i].t > read.samples[i - 1].t)
            steps.push_back(read.samples[i].t - read.samples[i - 1].t);
    double usual = 0;
    if (!steps.empty()) {
        std::nth_element(steps.begin(), steps.begin() + static_cast<std::ptrdiff_t>(steps.size() / 2), steps.end());
        usual = steps[steps.size() / 2];
    }
    const double keep = store.GapMs();
    store.SetGapMs(std::max(5000.0, 3 * usual));
    PackSeriesSet &set = store.StartSet(label);
    for (std::size_t k = 0; k < set.series.size(); ++k)
        set.series[k].Reserve(read.samples.size());
    for (const PackSample &s : read.samples)
        store.Add(s);
    store.SetGapMs(keep);
}
