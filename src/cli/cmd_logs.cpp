// log alarm|protection and records: the board's event log and its stored
// records, decoded as the battery log and battery record pages decode them,
// as a table, JSON, and with --xlsx a workbook with the pages' columns.
#include "cli/board_session.h"
#include "cli/commands.h"
#include "files/excelexport.h"
#include "protocol/battery_log.h"
#include "protocol/battery_record.h"
#include "protocol/param_decode.h"

#include <QJsonArray>
#include <QJsonObject>

namespace {

using Frames = std::vector<std::vector<std::uint8_t>>;

// Column names of the battery log list and its export.
const char *const kLogColumns[] = {"序号", "类型", "时间", "内容"};
// After the board took a log request, its data must follow within this time.
constexpr int kLogDataWaitMs = 2000;

class TableRows : public ExportRows {
public:
    explicit TableRows(const std::vector<QStringList> &rows) : m_rows(rows) {}
    int RowCount() const override { return static_cast<int>(m_rows.size()); }
    QString CellText(int row, int column) const override { return m_rows[static_cast<std::size_t>(row)].value(column); }

private:
    const std::vector<QStringList> &m_rows;
};

class StderrReports : public ExportReports {
public:
    void ErrorRow(const QString &text) override { PrintErr(QStringLiteral("Excel：%1").arg(text)); }
    void FileInUse() override { PrintErr(CliText::tr("文件正在被另一个程序打开或使用，请另存文件名！")); }
};

// The workbook, when asked for; false when it could not be written.
bool WriteWorkbook(const QString &path, const QStringList &columns, const std::vector<QStringList> &rows)
{
    if (path.isEmpty())
        return true;
    StderrReports reports;
    if (ExportListToExcel(columns, TableRows(rows), path, &reports))
        return true;
    PrintErr(CliText::tr("日志导出失败：%1").arg(path));
    return false;
}

QString Table(const QStringList &columns, const std::vector<QStringList> &rows)
{
    QString text = columns.join(QStringLiteral("  ")) + QLatin1Char('\n');
    for (const QStringList &row : rows)
        text += row.join(QStringLiteral("  ")) + QLatin1Char('\n');
    return text;
}

int LinkExit(BoardSession::Outcome outcome)
{
    return outcome == BoardSession::Outcome::Interrupted ? kExitInterrupted : kExitLink;
}

std::span<const std::uint8_t> Data(const std::vector<std::uint8_t> &frame)
{
    return FrameData(frame.data(), frame.size());
}

// The log answers: the acknowledgement (0xD0), then the data frames (0xD1)
// until the packet count the first one gives.
BoardSession::Gathering LogGathering()
{
    BoardSession::Gathering g;
    g.accept = [](std::uint8_t cls, std::uint8_t code) {
        return cls == 0x83 && (code == kLogAckCode || code == kLogDataCode);
    };
    g.done = [](const Frames &frames) {
        int data = 0, packets = -1;
        for (const auto &f : frames) {
            const auto d = Data(f);
            if (d.empty() || d[0] != 0)
                return true; // the board refused
            if (f[3] == kLogDataCode && ++data == 1 && d.size() > 1)
                packets = d[1];
        }
        return packets >= 0 && data >= packets;
    };
    g.quietMs = kLogDataWaitMs;
    return g;
}

int RunLog(const CliRequest &request)
{
    const int kind = request.verb == QLatin1String("alarm") ? kLogAlarm : kLogProtection;
    const QString kindName = QString::fromUtf8(LogKindName(kind));
    int status = kExitOk;
    std::unique_ptr<BoardSession> session = OpenBoard(request.common, &status);
    if (!session)
        return status;
    const BoardSession::Gathered got =
        session->Gather(LogRequestPayload(static_cast<std::uint8_t>(kind)), LogGathering());
    if (got.outcome != BoardSession::Outcome::Answered) {
        PrintErr(OutcomeText(got.outcome, kindName));
        return LinkExit(got.outcome);
    }
    std::vector<QStringList> rows;
    QJsonArray json;
    bool anyData = false;
    for (const auto &f : got.frames) {
        const auto d = Data(f);
        if (d.empty() || d[0] != 0) {
            PrintErr(CliText::tr("%1：获取日志失败（ErrorCode: 0x%2）")
                         .arg(kindName, QString::number(d.empty() ? 0 : d[0], 16).toUpper().rightJustified(2, u'0')));
            return kExitBoard;
        }
        if (f[3] != kLogDataCode)
            continue;
        const std::optional<BatteryLogData> data = DecodeBatteryLogData(d.subspan(1));
        if (!data)
            continue; // a length that is not whole records: ignored, as the page does
        anyData = true;
        for (const BatteryLogRow &row : BatteryLogRows(kind, *data)) {
            const std::optional<std::string> when = LogTimeText(row.time);
            const QString number = QString::number(rows.size() + 1);
            const QString content = QString::fromStdString(BatteryLogRowContent(row, kind));
            const QString time = when ? QString::fromStdString(*when) : QString::number(row.time);
            rows.push_back({number, kindName, time, content});
            QJsonArray events;
            for (const char *name : row.names)
                events.append(QString::fromUtf8(name));
            json.append(QJsonObject{{"number", static_cast<qint64>(rows.size())},
                                    {"type", kindName},
                                    {"time", when ? QJsonValue(time) : QJsonValue()},
                                    {"time_s", static_cast<qint64>(row.time)},
                                    {"content", content},
                                    {"events", events},
                                    {"flags", static_cast<qint64>(row.flags)}});
        }
    }
    if (!anyData)
        PrintErr(CliText::tr("暂无%1").arg(kindName));
    QStringList columns;
    for (const char *c : kLogColumns)
        columns << QString::fromUtf8(c);
    if (request.common.json)
        PrintJson(QJsonDocument(QJsonObject{{"kind", request.verb}, {"rows", json}}));
    else
        PrintOut(Table(columns, rows));
    return WriteWorkbook(request.xlsxPath, columns, rows) ? kExitOk : kExitUsage;
}

// Time the records' frames may leave between them: a pause and a whole frame on the wire.
int RecordsQuietMs(const SessionSettings &s)
{
    const int frameMs = static_cast<int>(kFrameMaxLen * 10 * 1000 / static_cast<std::size_t>(std::max(s.line.baud, 1)));
    return 300 + frameMs + s.intervalMs;
}

QJsonObject RecordJson(const BatteryRecord &r, const std::array<std::string, kRecordColumns> &texts)
{
    QJsonArray faults;
    for (int i = 0; i < 3; ++i)
        faults.append(QString::fromStdString(texts[static_cast<std::size_t>(9 + i)]));
    return QJsonObject{{"number", r.number},
                       {"max_cell_mv", r.maxCellMv},
                       {"min_cell_mv", r.minCellMv},
                       {"total_voltage_mv", static_cast<qint64>(r.totalMv)},
                       {"current_ma", static_cast<qint64>(r.currentMa)},
                       {"max_cell_temperature_c", r.maxCellTemp},
                       {"min_cell_temperature_c", r.minCellTemp},
                       {"mos_temperature_c", r.mosTemp},
                       {"soc", r.soc},
                       {"fault_bits", static_cast<qint64>(r.faults[0] | (r.faults[1] << 8) | (r.faults[2] << 16))},
                       {"faults", faults},
                       {"mos_bits", r.mos},
                       {"mos", QString::fromStdString(texts[12])}};
}

} // namespace

int RunRecords(const CliRequest &request)
{
    int status = kExitOk;
    std::unique_ptr<BoardSession> session = OpenBoard(request.common, &status);
    if (!session)
        return status;
    BoardSession::Gathering g;
    g.accept = [](std::uint8_t cls, std::uint8_t code) {
        return cls == (kRecordClass | 0x80) && code == (kRecordCode | 0x80);
    };
    g.done = [](const Frames &frames) {
        const auto d = Data(frames.back());
        return d.empty() || d[0] != 0; // the board refused
    };
    g.quietMs = RecordsQuietMs(session->Settings());
    const BoardSession::Gathered got = session->Gather(RecordReadPayload(), g);
    if (got.outcome != BoardSession::Outcome::Answered) {
        PrintErr(OutcomeText(got.outcome, CliText::tr("电池记录")));
        return LinkExit(got.outcome);
    }
    std::vector<QStringList> rows;
    QJsonArray json;
    for (const auto &f : got.frames) {
        const auto d = Data(f);
        if (d.empty() || d[0] != 0) {
            PrintErr(CliText::tr("电池记录：ErrorCode: 0x%1")
                         .arg(QString::number(d.empty() ? 0 : d[0], 16).toUpper().rightJustified(2, u'0')));
            return kExitBoard;
        }
        const auto records = DecodeBatteryRecords(d.subspan(1));
        if (!records)
            continue; // not whole records: ignored, as the page does
        for (const BatteryRecord &r : *records) {
            const std::array<std::string, kRecordColumns> texts = BatteryRecordTexts(r);
            QStringList row;
            for (const std::string &t : texts)
                row << QString::fromStdString(t);
            rows.push_back(row);
            json.append(RecordJson(r, texts));
        }
    }
    QStringList columns;
    for (const char *c : kRecordColumnNames)
        columns << QString::fromUtf8(c);
    if (request.common.json)
        PrintJson(QJsonDocument(QJsonObject{{"rows", json}}));
    else
        PrintOut(Table(columns, rows));
    return WriteWorkbook(request.xlsxPath, columns, rows) ? kExitOk : kExitUsage;
}

int RunLogs(const CliRequest &request)
{
    return request.command == QLatin1String("records") ? RunRecords(request) : RunLog(request);
}
