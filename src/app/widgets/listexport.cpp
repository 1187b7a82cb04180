#include "app/widgets/listexport.h"

#include "app/dialogs/filedialogex.h"
#include "app/framework/msgbox.h"
#include "app/framework/systemlog.h"
#include "app/widgets/listctrlbase.h"
#include "files/excelexport.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFileInfo>

namespace {
class ListRows : public ExportRows {
public:
    explicit ListRows(const ListCtrlModel &model) : m_model(model) {}
    int RowCount() const override { return m_model.GetItemCount(); }
    QString CellText(int row, int column) const override { return m_model.GetItemText(row, column); }

private:
    const ListCtrlModel &m_model;
};

class UserReports : public ExportReports {
public:
    explicit UserReports(QWidget *parent) : m_parent(parent) {}
    void ErrorRow(const QString &text) override { SystemLog(3, QStringLiteral("Excel"), text); }
    void FileInUse() override
    {
        MessageBox(m_parent,
                   QCoreApplication::translate("ListExport", "文件正在被另一个程序打开或使用，请另存文件名！"),
                   QCoreApplication::translate("ListExport", "警告"), MB_ICONWARNING);
    }

private:
    QWidget *m_parent;
};

// The wait cursor for as long as it lives.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;
};
} // namespace

QString WorkbookFilter()
{
    return QCoreApplication::translate("ListExport", "Excel 工作簿 (*.xlsx);;所有文件 (*)");
}

QString DatedWorkbookName(const QString &prefix)
{
    return QStringLiteral("%1_%2.xlsx").arg(prefix, QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")));
}

QString WorkbookPath(const QString &chosen)
{
    if (chosen.isEmpty() || chosen.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive))
        return chosen;
    return chosen + QStringLiteral(".xlsx");
}

namespace {
// Tells the user that the workbook goes under another name than typed; false
// when that name is taken and the user does not want it replaced.
bool ConfirmWorkbookPath(QWidget *parent, const QString &typed, const QString &path)
{
    const QString text = QCoreApplication::translate("ListExport", "工作簿按 .xlsx 格式保存，文件名为：\n%1")
                             .arg(QDir::toNativeSeparators(path));
    const QString caption = QCoreApplication::translate("ListExport", "提示");
    if (!QFileInfo::exists(path)) {
        MessageBox(parent, text, caption, MB_ICONINFORMATION);
        return true;
    }
    const QString replace =
        QCoreApplication::translate("ListExport", "%1\n该文件已存在，要替换它吗？（输入的文件名：%2）")
            .arg(text, QFileInfo(typed).fileName());
    return MessageBox(parent, replace, caption, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}
} // namespace

bool ExportListToFile(QWidget *parent, const ListCtrlBase &list, const QStringList &columns, const QString &path)
{
    ListRows rows(*list.RowModel());
    UserReports reports(parent);
    return ExportListToExcel(columns, rows, path, &reports);
}

std::optional<bool> ExportListWithDialog(QWidget *parent, const ListCtrlBase &list, const QStringList &columns,
                                         const QString &dialogKey, const QString &defaultName, QString *chosenPath)
{
    FileDialogEx dialog(false, dialogKey, QStringLiteral("xlsx"), defaultName, WorkbookFilter(), parent);
    const QString typed = dialog.DoModal();
    if (typed.isEmpty())
        return std::nullopt;
    const QString path = WorkbookPath(typed);
    if (path != typed && !ConfirmWorkbookPath(parent, typed, path))
        return std::nullopt;
    if (chosenPath)
        *chosenPath = path;
    WaitCursor wait;
    return ExportListToFile(parent, list, columns, path);
}

std::optional<bool> ExportPageList(QWidget *parent, const ListCtrlBase &list, const QStringList &columns,
                                   const QString &dialogKey, const QString &namePrefix, const ListExportTexts &texts,
                                   QString *chosenPath)
{
    if (list.GetItemCount() == 0) {
        MessageBox(parent, texts.emptyText, QCoreApplication::translate("ListExport", "警告"), MB_ICONWARNING);
        return std::nullopt;
    }
    std::optional<bool> written =
        ExportListWithDialog(parent, list, columns, dialogKey, DatedWorkbookName(namePrefix), chosenPath);
    if (written)
        SystemLog(6, QStringLiteral("Excel"), QString::fromUtf8(*written ? texts.okText : texts.failText));
    return written;
}
