// The workbook export read back by openpyxl: sheet names and the 60000-row
// split, the header row on every sheet, every cell as the exact text of the
// list (quotes, commas, line breaks, Chinese, a leading "=" that must not turn
// into a formula), the earlier file replaced, and targets that cannot be
// written reported without touching them.
#include "../common/workbook_reader.h"
#include "files/excelexport.h"
#include "protocol/dassert.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>
#include <set>

#include <sys/wait.h>
#include <unistd.h>

namespace {
class VectorRows : public ExportRows {
public:
    std::vector<QStringList> rows;
    int RowCount() const override { return static_cast<int>(rows.size()); }
    QString CellText(int row, int column) const override { return rows[row].value(column); }
};

class RecordedReports : public ExportReports {
public:
    QStringList errors;
    int inUse = 0;
    void ErrorRow(const QString &text) override { errors << text; }
    void FileInUse() override { ++inUse; }
};

VectorRows Numbered(int count, int columns)
{
    VectorRows r;
    r.rows.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        QStringList cells;
        for (int c = 0; c < columns; ++c)
            cells << QStringLiteral("r%1c%2").arg(i).arg(c);
        r.rows.push_back(cells);
    }
    return r;
}

// A number cell as the reader gives it back ("3.20" is the number 3.2).
QString NumberAsRead(const QString &text)
{
    return QString::number(text.toDouble(), 'g', 15);
}

QStringList AsRead(QStringList cells, const std::set<int> &numeric)
{
    for (int c : numeric)
        if (c < cells.size() && !cells[c].isEmpty())
            cells[c] = NumberAsRead(cells[c]);
    return cells;
}

// The reader's list of number cells for a single-sheet workbook of rows.
QStringList NumberCells(const VectorRows &rows, const std::set<int> &numeric)
{
    QStringList out;
    for (int r = 0; r < rows.RowCount(); ++r)
        for (int c : numeric)
            if (!rows.CellText(r, c).isEmpty())
                out << QStringLiteral("DataSheet1!%1,%2=%3").arg(r + 1).arg(c).arg(NumberAsRead(rows.CellText(r, c)));
    return out;
}

class ExcelExport : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        SetErrorFilePath(QFile::encodeName(m_dir.filePath("d_error.txt")).toStdString());
    }
    void TearDown() override { SetErrorFilePath("d_error.txt"); }

    QString Path(const QString &name) const { return m_dir.filePath(name); }
    QString ErrorFile() const
    {
        QFile f(m_dir.filePath("d_error.txt"));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }
    // Files the writer left beside the target besides the ones named.
    QStringList Leftovers() const
    {
        return QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral(".part"));
    }

    // Exports and reads back; checks every sheet against the list.
    // numeric: the columns that hold numbers only, written as numbers.
    void ExportAndCompare(const QStringList &columns, const VectorRows &rows, const QStringList &sheets,
                          const std::set<int> &numeric = {})
    {
        QString path = Path(QStringLiteral("list.xlsx"));
        RecordedReports reports;
        ASSERT_TRUE(ExportListToExcel(columns, rows, path, &reports));
        EXPECT_TRUE(reports.errors.isEmpty()) << reports.errors.join(',').toStdString();
        EXPECT_TRUE(Leftovers().isEmpty());
        WorkbookContents book = ReadWorkbook(path);
        ASSERT_TRUE(book.ok) << book.error.toStdString();
        EXPECT_EQ(book.sheets, sheets);
        EXPECT_EQ(book.notText, NumberCells(rows, numeric)) << book.notText.join('\n').toStdString();
        int next = 0;
        for (std::size_t s = 0; s < book.rows.size(); ++s) {
            const std::vector<QStringList> &sheet = book.rows[s];
            ASSERT_FALSE(sheet.empty());
            EXPECT_EQ(sheet[0], columns);
            for (std::size_t r = 1; r < sheet.size(); ++r, ++next) {
                ASSERT_LT(next, rows.RowCount());
                ASSERT_EQ(sheet[r], TrimmedRow(AsRead(rows.rows[static_cast<std::size_t>(next)], numeric)))
                    << "sheet " << s + 1 << " row " << r;
            }
        }
        EXPECT_EQ(next, rows.RowCount());
    }

    QTemporaryDir m_dir;
};

const QStringList kColumns = {QStringLiteral("序号"), QStringLiteral("类型"), QStringLiteral("时间"),
                              QStringLiteral("内容")};
} // namespace

TEST(ExcelExportSheets, CountFollowsTheRows)
{
    struct Case {
        int rows, sheets;
    };
    const Case cases[] = {{0, 1}, {1, 1}, {59999, 1}, {60000, 2}, {60001, 2}, {119999, 2}, {120000, 3}};
    for (const Case &c : cases)
        EXPECT_EQ(ExportSheetCount(c.rows), c.sheets) << c.rows;
}

TEST_F(ExcelExport, EmptyListGivesOneSheetWithTheHeader)
{
    ExportAndCompare(kColumns, VectorRows{}, {QStringLiteral("DataSheet1")});
}

TEST_F(ExcelExport, RowsAroundTheSheetSize)
{
    struct Case {
        int rows;
        QStringList sheets;
    };
    const Case cases[] = {
        {59999, {QStringLiteral("DataSheet1")}},
        {60000, {QStringLiteral("DataSheet1"), QStringLiteral("DataSheet2")}},
        {60001, {QStringLiteral("DataSheet1"), QStringLiteral("DataSheet2")}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.rows);
        ExportAndCompare({QStringLiteral("a"), QStringLiteral("b")}, Numbered(c.rows, 2), c.sheets);
    }
}

TEST_F(ExcelExport, TextsStayExactlyAsTheListShowsThem)
{
    VectorRows rows;
    rows.rows = {
        {"1", "it's", "say \"hi\"", "a,b,c"},
        {"2", "line\nbreak", "cr\r\nlf", "tab\there"},
        {"3", "=1+2", "=SUM(A1:A2)", "+3"},
        {"4", "-5", "007", "1e5"},
        {"5", "单节过充报警|温差过大", "2021-01-14 16:25:36", "200 ℃"},
        {"6", "  leading", "trailing  ", "'quoted'"},
        {"7", "", "middle empty", ""},
        {"8", "TRUE", "#N/A", "😀 wide"},
        {"9", "<tag>&amp;", "]]>", "\\n"},
        {"10", "bell\x07", "_x000D_ typed", "__x0041__x12_"},
    };
    ExportAndCompare(kColumns, rows, {QStringLiteral("DataSheet1")}, {0});
}

// A column of plain numbers is written as numbers (sortable, summable), its
// common decimals kept on show; any column with one text in it stays texts.
TEST_F(ExcelExport, NumericColumnsAreWrittenAsNumbers)
{
    struct Column {
        QString name;
        QStringList cells;
        bool numeric;
        QString format; // the number format of its cells; empty for the general one
    };
    const Column columns[] = {
        {"序号", {"9", "10", "11", "12"}, true, ""},
        {"电压", {"3.20", "3.25", "3.30", "0.05"}, true, "0.00"},
        {"电流", {"-1.5", "0", "2.25", "-0.125"}, true, ""},
        {"温度", {"-5", "", "25", "0"}, true, ""},
        {"大数", {"123456789012345", "1", "2", "3"}, true, ""},
        {"编码", {"007", "8", "9", "10"}, false, ""},
        {"混合", {"1", "2", "x", "4"}, false, ""},
        {"十六进制", {"0x1F", "2", "3", "4"}, false, ""},
        {"指数", {"1e5", "2", "3", "4"}, false, ""},
        {"符号", {"+3", "2", "3", "4"}, false, ""},
        {"过长", {"1234567890123456", "1", "2", "3"}, false, ""},
        {"小数点", {"3.", ".5", "3", "4"}, false, ""},
        {"空列", {"", "", "", ""}, false, ""},
    };
    QStringList names;
    VectorRows rows;
    rows.rows.resize(4);
    QStringList expectedNumbers;
    for (int c = 0; c < static_cast<int>(std::size(columns)); ++c) {
        names << columns[c].name;
        for (int r = 0; r < 4; ++r)
            rows.rows[static_cast<std::size_t>(r)] << columns[c].cells[r];
    }
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < static_cast<int>(std::size(columns)); ++c)
            if (columns[c].numeric && !columns[c].cells[r].isEmpty())
                expectedNumbers << QStringLiteral("DataSheet1!%1,%2=%3%4")
                                       .arg(r + 1)
                                       .arg(c)
                                       .arg(NumberAsRead(columns[c].cells[r]),
                                            columns[c].format.isEmpty() ? QString() : " " + columns[c].format);
    QString path = Path(QStringLiteral("numbers.xlsx"));
    ASSERT_TRUE(ExportListToExcel(names, rows, path, nullptr));
    WorkbookContents book = ReadWorkbook(path);
    ASSERT_TRUE(book.ok) << book.error.toStdString();
    expectedNumbers.sort();
    QStringList seen = book.notText;
    seen.sort();
    EXPECT_EQ(seen, expectedNumbers) << seen.join('\n').toStdString();
    ASSERT_EQ(book.rows[0].size(), 5u);
    EXPECT_EQ(book.rows[0][0], names);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < static_cast<int>(std::size(columns)); ++c) {
            const QString &cell = columns[c].cells[r];
            const QStringList &got = book.rows[0][static_cast<std::size_t>(r + 1)];
            EXPECT_EQ(got.value(c), columns[c].numeric && !cell.isEmpty() ? NumberAsRead(cell) : cell)
                << columns[c].name.toStdString() << " row " << r;
        }
}

TEST_F(ExcelExport, OverlongCellIsCutAndRecorded)
{
    VectorRows rows;
    rows.rows = {{"1", QString(kExportCellChars + 10, QLatin1Char('x')), "after", "end"}};
    QString path = Path(QStringLiteral("long.xlsx"));
    ASSERT_TRUE(ExportListToExcel(kColumns, rows, path, nullptr));
    WorkbookContents book = ReadWorkbook(path);
    ASSERT_TRUE(book.ok) << book.error.toStdString();
    ASSERT_EQ(book.rows[0].size(), 2u);
    EXPECT_EQ(book.rows[0][1][1].size(), kExportCellChars);
    EXPECT_EQ(book.rows[0][1][2], "after");
    EXPECT_TRUE(ErrorFile().contains("Cell text cut to 32767 characters"));
}

TEST_F(ExcelExport, EarlierFileIsReplaced)
{
    QString path = Path(QStringLiteral("old.xlsx"));
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(100000, 'z'));
    }
    ASSERT_TRUE(ExportListToExcel(kColumns, Numbered(3, 4), path, nullptr));
    WorkbookContents book = ReadWorkbook(path);
    ASSERT_TRUE(book.ok) << book.error.toStdString();
    EXPECT_EQ(book.rows[0].size(), 4u);
    EXPECT_TRUE(Leftovers().isEmpty());
}

TEST_F(ExcelExport, FolderAsTargetIsReportedAndLeftAlone)
{
    QString path = Path(QStringLiteral("taken.xlsx"));
    ASSERT_TRUE(QDir().mkpath(path + "/inner"));
    RecordedReports reports;
    EXPECT_FALSE(ExportListToExcel(kColumns, Numbered(2, 4), path, &reports));
    EXPECT_EQ(reports.errors, QStringList{QStringLiteral("创建 Excel 文件数据库失败")});
    EXPECT_EQ(reports.inUse, 1);
    EXPECT_TRUE(QFileInfo(path + "/inner").isDir());
    EXPECT_TRUE(ErrorFile().contains("the target is a folder")) << ErrorFile().toStdString();
    EXPECT_TRUE(Leftovers().isEmpty());
}

TEST_F(ExcelExport, MissingFolderIsReportedWithoutTheInUseBox)
{
    RecordedReports reports;
    EXPECT_FALSE(ExportListToExcel(kColumns, Numbered(2, 4), Path("no/such/folder/x.xlsx"), &reports));
    EXPECT_EQ(reports.errors, QStringList{QStringLiteral("创建 Excel 文件数据库失败")});
    EXPECT_EQ(reports.inUse, 0);
    EXPECT_TRUE(ErrorFile().contains("Workbook not created")) << ErrorFile().toStdString();
    EXPECT_FALSE(ExportListToExcel(kColumns, Numbered(2, 4), QString(), &reports));
}

// Runs the checks as an ordinary user: permissions do not bind the superuser,
// so under it they run in a child that gives up its rights first. Returns the
// checks' result (0 = all held).
int AsOrdinaryUser(const std::function<int()> &checks)
{
    if (geteuid() != 0)
        return checks();
    pid_t child = fork();
    if (child == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0)
            _exit(100);
        _exit(checks());
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 101;
}

TEST_F(ExcelExport, WithoutWritePermission)
{
    QFile::setPermissions(m_dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther |
                                            QFile::WriteOther | QFile::ExeOther);
    // A read-only file in a writable folder, and a new file in a read-only folder.
    QString file = Path(QStringLiteral("readonly.xlsx"));
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("keep");
    }
    QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadOther);
    QString folder = Path(QStringLiteral("locked"));
    ASSERT_TRUE(QDir().mkpath(folder));
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);

    int failed = AsOrdinaryUser([&] {
        int bits = 0;
        RecordedReports first;
        bits |= ExportListToExcel(kColumns, Numbered(2, 4), file, &first) ? 1 : 0;
        bits |= first.inUse == 1 ? 0 : 2;
        bits |= first.errors == QStringList{QStringLiteral("创建 Excel 文件数据库失败")} ? 0 : 4;
        RecordedReports second;
        bits |= ExportListToExcel(kColumns, Numbered(2, 4), folder + "/new.xlsx", &second) ? 8 : 0;
        bits |= second.inUse == 1 ? 0 : 16;
        bits |= second.errors == QStringList{QStringLiteral("创建 Excel 文件数据库失败")} ? 0 : 32;
        return bits;
    });
    EXPECT_EQ(failed, 0);
    QFile kept(file);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "keep");
    EXPECT_FALSE(QFileInfo::exists(folder + "/new.xlsx"));
    EXPECT_TRUE(Leftovers().isEmpty());
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}
