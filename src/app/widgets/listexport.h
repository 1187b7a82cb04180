// Saving a list as a spreadsheet workbook the way every page does it: the
// save dialog (remembering its folder per caller), the wait cursor, the
// workbook writer, and its failures reported to the user (system-log rows of
// level 3 and the "file in use" box).
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class ListCtrlBase;
class QWidget;

// The save dialog's file filter for workbooks.
QString WorkbookFilter();
// "<prefix>_yyyy-MM-dd.xlsx" of today.
QString DatedWorkbookName(const QString &prefix);
// The name a workbook is written under: the chosen one when it ends in ".xlsx"
// (any case), else the chosen one with ".xlsx" appended, so the name never
// promises another format than the file holds.
QString WorkbookPath(const QString &chosen);

// Writes every row of list under the given column names to path; the failure
// reports reach the user (boxes owned by parent). True when the workbook is complete.
bool ExportListToFile(QWidget *parent, const ListCtrlBase &list, const QStringList &columns, const QString &path);

// Asks for the file (dialog key, proposed name), then ExportListToFile with the
// wait cursor. A name with another suffix gets ".xlsx" appended and the user is
// told so (and asked first when a file of that name exists). No value when the
// user cancelled.
// chosenPath, when given, receives the file chosen.
std::optional<bool> ExportListWithDialog(QWidget *parent, const ListCtrlBase &list, const QStringList &columns,
                                         const QString &dialogKey, const QString &defaultName,
                                         QString *chosenPath = nullptr);

// The export behind a page's menu item or button: a warning box with
// emptyText when the list has no rows; otherwise the dialog and the writer,
// and a system-log row of level 6 titled "Excel" with okText or failText.
// No value when the list was empty or the user cancelled.
struct ListExportTexts {
    QString emptyText;
    const char *okText; // written to the system log as it stands
    const char *failText;
};
std::optional<bool> ExportPageList(QWidget *parent, const ListCtrlBase &list, const QStringList &columns,
                                   const QString &dialogKey, const QString &namePrefix, const ListExportTexts &texts,
                                   QString *chosenPath = nullptr);
