#include "files/excelexport.h"

#include "protocol/dassert.h"
#include "protocol/tr_marker.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryFile>

#include <xlsxwriter.h>

#include <cstdio>
#include <vector>

const char *const kExportCreateFailed = PYLVEX_TR_NOOP("Excel", "创建 Excel 文件数据库失败");
const char *const kExportWriteFailed = PYLVEX_TR_NOOP("Excel", "操作 Excel 数据库发生异常");

namespace {
QByteArray Utf8(const QString &text)
{
    return text.toUtf8();
}

// Why the target cannot be replaced; empty when it can.
QString Unreplaceable(const QFileInfo &target)
{
    QFileInfo folder(target.absolutePath());
    if (target.exists() && target.isDir())
        return QStringLiteral("the target is a folder");
    if (target.exists() && !target.isWritable())
        return QStringLiteral("the target is not writable");
    if (folder.isDir() && !folder.isWritable())
        return QStringLiteral("the folder is not writable");
    return QString();
}

// The text as a cell can hold it; a longer text is cut, never split inside a character.
// The writer stores control characters as "_xHHHH_", which spreadsheet programs
// decode; a text that itself holds such a sequence gets its "_" stored as
// "_x005F_" so that it reads back unchanged.
QByteArray CellBytes(QString text, bool *cut)
{
    *cut = text.size() > kExportCellChars;
    if (*cut) {
        text.truncate(kExportCellChars);
        if (text.back().isHighSurrogate())
            text.chop(1);
    }
    static const QRegularExpression escapeLike(QStringLiteral("_(?=x[0-9A-Fa-f]{4}_)"));
    if (text.contains(QLatin1String("_x")))
        text.replace(escapeLike, QStringLiteral("_x005F_"));
    return Utf8(text);
}

// A cell text that a spreadsheet shows as the same number: an optional minus,
// an integer part without leading zeros, optional decimals; at most 15
// significant digits, so the stored double gives the text back. Codes such as
// "007", "0x1F", "1e5" or "+3" are not numbers here.
bool IsPlainNumber(const QString &text)
{
    static const QRegularExpression number(QStringLiteral("^-?(0|[1-9][0-9]*)(\\.([0-9]+))?$"));
    if (text.size() > 40 || !number.match(text).hasMatch())
        return false;
    int digits = 0;
    for (QChar ch : text)
        digits += ch.isDigit() ? 1 : 0;
    return digits <= 15;
}

// Number of decimals written in a plain number.
int Decimals(const QString &text)
{
    int dot = text.indexOf(QLatin1Char('.'));
    return dot < 0 ? 0 : static_cast<int>(text.size()) - dot - 1;
}

// How one column is written: as numbers when every cell of it that is not
// empty is a plain number (and one is not empty), else as texts. A numeric
// column whose cells all show the same decimals keeps them shown ("3.20").
struct ColumnKind {
    bool numeric = false;
    int decimals = -1; // the common number of decimals; -1 when they differ
    lxw_format *format = nullptr;
};

std::vector<ColumnKind> ColumnKinds(int columns, const ExportRows &rows)
{
    std::vector<ColumnKind> kinds(static_cast<std::size_t>(columns));
    std::vector<bool> text(static_cast<std::size_t>(columns), false);
    std::vector<bool> seen(static_cast<std::size_t>(columns), false);
    const int total = rows.RowCount();
    for (int c = 0; c < columns; ++c) {
        auto i = static_cast<std::size_t>(c);
        for (int r = 0; r < total && !text[i]; ++r) {
            const QString cell = rows.CellText(r, c);
            if (cell.isEmpty())
                continue;
            if (!IsPlainNumber(cell)) {
                text[i] = true;
                break;
            }
            int d = Decimals(cell);
            kinds[i].decimals = !seen[i] ? d : (kinds[i].decimals == d ? d : -1);
            seen[i] = true;
        }
        kinds[i].numeric = seen[i] && !text[i];
    }
    return kinds;
}

class Writer {
public:
    Writer(const QStringList &columns, const ExportRows &rows, ExportReports *reports)
        : m_columns(columns), m_rows(rows), m_reports(reports)
    {
    }

    bool Write(const QString &path);

private:
    bool WriteSheets(lxw_workbook *book);
    bool WriteSheet(lxw_worksheet *sheet, const QString &name, int first, int end);
    bool WriteCell(lxw_worksheet *sheet, const QString &name, int row, int column, const QString &text);
    bool WriteNumber(lxw_worksheet *sheet, const QString &name, int row, int column, const QString &text);
    void AddFormats(lxw_workbook *book);
    void Fail(const char *rowText, const QString &detail);

    const QStringList &m_columns;
    const ExportRows &m_rows;
    ExportReports *m_reports;
    std::vector<ColumnKind> m_kinds;
};

void Writer::AddFormats(lxw_workbook *book)
{
    for (ColumnKind &kind : m_kinds) {
        if (!kind.numeric || kind.decimals <= 0)
            continue;
        kind.format = workbook_add_format(book);
        if (kind.format) {
            QByteArray pattern = "0." + QByteArray(kind.decimals, '0');
            format_set_num_format(kind.format, pattern.constData());
        }
    }
}

bool Writer::WriteNumber(lxw_worksheet *sheet, const QString &name, int row, int column, const QString &text)
{
    const ColumnKind &kind = m_kinds[static_cast<std::size_t>(column)];
    lxw_error e = worksheet_write_number(sheet, static_cast<lxw_row_t>(row), static_cast<lxw_col_t>(column),
                                         text.toDouble(), kind.format);
    if (e == LXW_NO_ERROR)
        return true;
    Fail(kExportWriteFailed, QStringLiteral("Workbook cell write failed, sheet=%1, row=%2, column=%3, error=%4")
                                 .arg(name)
                                 .arg(row)
                                 .arg(column)
                                 .arg(QString::fromUtf8(lxw_strerror(e))));
    return false;
}

void Writer::Fail(const char *rowText, const QString &detail)
{
    if (m_reports)
        m_reports->ErrorRow(QString::fromUtf8(rowText));
    WriteErrorFile("%s", Utf8(detail).constData());
}

bool Writer::WriteCell(lxw_worksheet *sheet, const QString &name, int row, int column, const QString &text)
{
    bool cut = false;
    QByteArray bytes = CellBytes(text, &cut);
    if (cut)
        WriteErrorFile("Cell text cut to %d characters, sheet=%s, row=%d, column=%d", kExportCellChars,
                       Utf8(name).constData(), row, column);
    lxw_error e = worksheet_write_string(sheet, static_cast<lxw_row_t>(row), static_cast<lxw_col_t>(column),
                                         bytes.constData(), nullptr);
    if (e == LXW_NO_ERROR)
        return true;
    Fail(kExportWriteFailed, QStringLiteral("Workbook cell write failed, sheet=%1, row=%2, column=%3, error=%4")
                                 .arg(name)
                                 .arg(row)
                                 .arg(column)
                                 .arg(QString::fromUtf8(lxw_strerror(e))));
    return false;
}

bool Writer::WriteSheet(lxw_worksheet *sheet, const QString &name, int first, int end)
{
    for (int c = 0; c < m_columns.size(); ++c)
        if (!WriteCell(sheet, name, 0, c, m_columns[c]))
            return false;
    for (int r = first; r < end; ++r)
        for (int c = 0; c < m_columns.size(); ++c) {
            const QString text = m_rows.CellText(r, c);
            const bool number = m_kinds[static_cast<std::size_t>(c)].numeric && !text.isEmpty();
            if (!(number ? WriteNumber(sheet, name, r - first + 1, c, text)
                         : WriteCell(sheet, name, r - first + 1, c, text)))
                return false;
        }
    return true;
}

bool Writer::WriteSheets(lxw_workbook *book)
{
    const int total = m_rows.RowCount();
    const int sheets = ExportSheetCount(total);
    for (int i = 1; i <= sheets; ++i) {
        QString name = QStringLiteral("DataSheet%1").arg(i);
        lxw_worksheet *sheet = workbook_add_worksheet(book, Utf8(name).constData());
        if (!sheet) {
            Fail(kExportWriteFailed, QStringLiteral("Workbook sheet not added, sheet=%1").arg(name));
            return false;
        }
        int first = (i - 1) * kExportSheetRows;
        if (!WriteSheet(sheet, name, std::min(first, total), std::min(total, first + kExportSheetRows)))
            return false;
    }
    return true;
}

bool Writer::Write(const QString &path)
{
    QFileInfo target(path);
    QString why = path.isEmpty() ? QStringLiteral("no file name") : Unreplaceable(target);
    if (!why.isEmpty()) {
        Fail(kExportCreateFailed, QStringLiteral("Workbook not created, path=%1, reason=%2").arg(path, why));
        if (m_reports && !path.isEmpty())
            m_reports->FileInUse();
        return false;
    }
    // A unique name in the target's folder, so the final rename never crosses file systems.
    QTemporaryFile temp(target.absolutePath() + QStringLiteral("/.") + target.fileName() +
                        QStringLiteral(".XXXXXX.part"));
    if (!temp.open()) {
        Fail(kExportCreateFailed,
             QStringLiteral("Workbook not created, path=%1, reason=%2").arg(path, temp.errorString()));
        return false;
    }
    const QString tempPath = temp.fileName();
    temp.close();

    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    options.use_zip64 = LXW_TRUE;
    QByteArray tempName = QFile::encodeName(tempPath);
    lxw_workbook *book = workbook_new_opt(tempName.constData(), &options);
    if (!book) {
        Fail(kExportCreateFailed, QStringLiteral("Workbook not created, path=%1").arg(tempPath));
        return false;
    }
    m_kinds = ColumnKinds(static_cast<int>(m_columns.size()), m_rows);
    AddFormats(book);
    bool written = WriteSheets(book);
    lxw_error closed = workbook_close(book);
    if (written && closed != LXW_NO_ERROR) {
        Fail(kExportWriteFailed, QStringLiteral("Workbook not completed, path=%1, error=%2")
                                     .arg(tempPath, QString::fromUtf8(lxw_strerror(closed))));
        written = false;
    }
    if (!written)
        return false;

    QFile::Permissions keep = target.exists() ? target.permissions()
                                              : QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser |
                                                    QFile::WriteUser | QFile::ReadGroup | QFile::ReadOther;
    QFile::setPermissions(tempPath, keep);
    if (std::rename(tempName.constData(), QFile::encodeName(path).constData()) != 0) {
        Fail(kExportWriteFailed, QStringLiteral("Workbook not moved into place, path=%1").arg(path));
        if (m_reports)
            m_reports->FileInUse();
        return false;
    }
    temp.setAutoRemove(false);
    return true;
}
} // namespace

int ExportSheetCount(int rows)
{
    return (rows < 0 ? 0 : rows) / kExportSheetRows + 1;
}

bool ExportListToExcel(const QStringList &columns, const ExportRows &rows, const QString &path, ExportReports *reports)
{
    return Writer(columns, rows, reports).Write(path);
}
