// Reads a workbook back with a reader of its own (openpyxl, run by the
// system's python3) and returns the sheet names and every cell as text, so a
// test compares what a spreadsheet program will see with the list it wrote.
// The "_xHHHH_" escape of the file format is decoded as spreadsheet programs
// decode it.
#pragma once

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStringList>

#include <vector>

struct WorkbookContents {
    bool ok = false;
    QString error;
    QStringList sheets;
    std::vector<std::vector<QStringList>> rows; // per sheet, per row, the cell texts
    // Cells that the reader did not see as plain text (numbers, formulas, dates),
    // as "DataSheet1!row,column=value" (row and column from 0), followed by
    // " format" when the cell has a number format of its own.
    QStringList notText;
};

namespace workbook_reader_detail {
inline const char *const kScript = R"PY(
import json, sys
import openpyxl
from openpyxl.utils.escape import unescape
book = openpyxl.load_workbook(sys.argv[1], read_only=True, data_only=False)
out = {"sheets": [], "rows": [], "notText": []}
for ws in book.worksheets:
    out["sheets"].append(ws.title)
    rows = []
    for r, row in enumerate(ws.iter_rows()):
        cells = []
        for c, cell in enumerate(row):
            v = getattr(cell, "value", None)
            if v is None:
                cells.append("")
                continue
            if not isinstance(v, str) or getattr(cell, "data_type", "s") not in ("s", "inlineStr"):
                fmt = getattr(cell, "number_format", "General") or "General"
                out["notText"].append("%s!%d,%d=%r%s" % (ws.title, r, c, v, "" if fmt == "General" else " " + fmt))
            # Texts stored inline keep the "_xHHHH_" escape of the file format,
            # which spreadsheet programs decode and this reader leaves as it is.
            cells.append(unescape(v) if isinstance(v, str) else str(v))
        while cells and cells[-1] == "":
            cells.pop()
        rows.append(cells)
    out["rows"].append(rows)
sys.stdout.write(json.dumps(out))
)PY";

// The first python3 that has openpyxl: the system's own before any on the PATH.
inline QString Python()
{
    static const QString found = [] {
        for (const QString &candidate : {QStringLiteral("/usr/bin/python3"), QStringLiteral("python3")}) {
            QProcess p;
            p.start(candidate, {QStringLiteral("-c"), QStringLiteral("import openpyxl")});
            if (p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0)
                return candidate;
        }
        return QString();
    }();
    return found;
}
} // namespace workbook_reader_detail

inline WorkbookContents ReadWorkbook(const QString &path)
{
    WorkbookContents out;
    QString python = workbook_reader_detail::Python();
    if (python.isEmpty()) {
        out.error = QStringLiteral("no python3 with openpyxl (scripts/setup.sh installs python3-openpyxl)");
        return out;
    }
    QProcess p;
    p.start(python, {QStringLiteral("-c"), QString::fromUtf8(workbook_reader_detail::kScript), path});
    if (!p.waitForFinished(300000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        out.error = QString::fromUtf8(p.readAllStandardError());
        return out;
    }
    QJsonObject o = QJsonDocument::fromJson(p.readAllStandardOutput()).object();
    for (const QJsonValue &s : o.value(QStringLiteral("sheets")).toArray())
        out.sheets << s.toString();
    for (const QJsonValue &sheet : o.value(QStringLiteral("rows")).toArray()) {
        std::vector<QStringList> rows;
        for (const QJsonValue &row : sheet.toArray()) {
            QStringList cells;
            for (const QJsonValue &cell : row.toArray())
                cells << cell.toString();
            rows.push_back(cells);
        }
        out.rows.push_back(std::move(rows));
    }
    for (const QJsonValue &n : o.value(QStringLiteral("notText")).toArray())
        out.notText << n.toString();
    out.ok = true;
    return out;
}

// The rows a list should give, with its empty cells at the end of each row
// dropped as the reader drops them.
inline QStringList TrimmedRow(QStringList cells)
{
    while (!cells.isEmpty() && cells.back().isEmpty())
        cells.removeLast();
    return cells;
}
