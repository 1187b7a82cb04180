// Workbook export of a 13-column list (the battery record columns): time and
// the growth of resident memory for 60 000 and 200 000 rows, and the time per
// row, to show the writer stays linear and flat in memory.
// Prints figures: ./bench_export [folder]
#include "files/excelexport.h"
#include "protocol/battery_record.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>
#include <fstream>
#include <string>

namespace {
long StatusKiB(const char *field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    std::size_t n = std::char_traits<char>::length(field);
    while (std::getline(status, line))
        if (line.compare(0, n, field) == 0)
            return std::stol(line.substr(n));
    return -1;
}

// Starts a new peak: the kernel resets the high-water mark to the current size.
void ResetPeak()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

// Rows made on demand, as a list model gives them, with texts like a record list's.
class RecordRows : public ExportRows {
public:
    explicit RecordRows(int rows) : m_rows(rows) {}
    int RowCount() const override { return m_rows; }
    QString CellText(int row, int column) const override
    {
        switch (column) {
        case 0: return QString::number(row);
        case 5:
        case 6:
        case 7: return QStringLiteral("%1 ℃").arg(20 + row % 30);
        case 9: return row % 7 ? QString() : QStringLiteral("过充保护 过放保护");
        case 12: return row % 2 ? QStringLiteral(" 充电MOS") : QString();
        default: return QString::number(3000 + (row * 37 + column * 11) % 700);
        }
    }

private:
    int m_rows;
};
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir temp;
    QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : temp.path();
    QStringList columns;
    for (const char *name : kRecordColumnNames)
        columns << QString::fromUtf8(name);

    std::printf("%10s %10s %12s %14s %12s\n", "rows", "ms", "us/row", "peak+ KiB", "file KiB");
    for (int rows : {60000, 200000}) {
        QString path = QStringLiteral("%1/bench_%2.xlsx").arg(folder).arg(rows);
        RecordRows list(rows);
        ResetPeak();
        long before = StatusKiB("VmRSS:");
        QElapsedTimer timer;
        timer.start();
        bool ok = ExportListToExcel(columns, list, path, nullptr);
        double ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
        long peak = StatusKiB("VmHWM:");
        std::printf("%10d %10.1f %12.2f %14ld %12lld%s\n", rows, ms, ms * 1000.0 / rows, peak - before,
                    QFileInfo(path).size() / 1024, ok ? "" : "  (failed)");
    }
    return 0;
}
