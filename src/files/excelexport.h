// Writes a list (its column names and every row's texts) into a spreadsheet
// workbook: worksheets "DataSheet1", "DataSheet2", ... of at most 60000 rows
// each (always at least one), the column names in each sheet's first row. A
// column whose cells are all plain numbers (or empty) is written as numbers,
// so it can be sorted and summed; every other cell keeps its text as it
// stands. The workbook is written in constant memory to a temporary file
// beside the target and renamed over it once complete, so the chosen name never
// holds half a workbook and an earlier file is replaced only by a whole one.
#pragma once

#include <QString>
#include <QStringList>

inline constexpr int kExportSheetRows = 60000;
// A spreadsheet cell holds at most this many characters.
inline constexpr int kExportCellChars = 32767;

// The rows to write, read one cell at a time.
class ExportRows {
public:
    virtual ~ExportRows() = default;
    virtual int RowCount() const = 0;
    virtual QString CellText(int row, int column) const = 0;
};

// How failures reach the user. The writer also records each failure's details
// in d_error.txt.
class ExportReports {
public:
    virtual ~ExportReports() = default;
    // A system-log row (level 3, title "Excel").
    virtual void ErrorRow(const QString &text) = 0;
    // The target exists but cannot be replaced (a folder, a file or folder
    // without write permission): ask for another name.
    virtual void FileInUse() = 0;
};

// Texts of the two failure rows.
extern const char *const kExportCreateFailed; // "创建 Excel 文件数据库失败"
extern const char *const kExportWriteFailed;  // "操作 Excel 数据库发生异常"

// Number of worksheets for a list of rows: rows / 60000 + 1.
int ExportSheetCount(int rows);

// True when the workbook is complete under path. reports may be null.
bool ExportListToExcel(const QStringList &columns, const ExportRows &rows, const QString &path, ExportReports *reports);
