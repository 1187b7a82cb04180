// Answering the save dialog of a list export and reading the workbook back.
#pragma once

#include "app/dialogs/filedialogex.h"
#include "app/framework/msgbox.h"
#include "common/workbook_reader.h"

#include <QFileDialog>

// Every modal dialog until it goes out of scope: a save dialog is answered
// with path (or cancelled when path is empty); the dialogs seen are kept.
class SaveDialogAnswer {
public:
    explicit SaveDialogAnswer(QString path) : m_path(std::move(path))
    {
        SetModalHook([this](QDialog *dialog) {
            auto *files = qobject_cast<FileDialogEx *>(dialog);
            if (!files)
                return static_cast<int>(QDialog::Rejected);
            ++m_nShown;
            m_directory = files->directory().absolutePath();
            m_proposed = files->selectedFiles().value(0);
            if (m_path.isEmpty())
                return static_cast<int>(QDialog::Rejected);
            files->selectFile(m_path);
            return static_cast<int>(QDialog::Accepted);
        });
    }
    ~SaveDialogAnswer() { SetModalHook(nullptr); }
    SaveDialogAnswer(const SaveDialogAnswer &) = delete;
    SaveDialogAnswer &operator=(const SaveDialogAnswer &) = delete;

    int Shown() const { return m_nShown; }
    // The folder the dialog opened in and the file it proposed.
    QString Directory() const { return m_directory; }
    QString Proposed() const { return m_proposed; }

private:
    QString m_path;
    int m_nShown = 0;
    QString m_directory;
    QString m_proposed;
};

// The texts of the list as a workbook holds them: the column names, then every row.
template <class List> std::vector<QStringList> ExpectedSheet(const List &list, const QStringList &columns)
{
    std::vector<QStringList> rows{columns};
    for (int r = 0; r < list.GetItemCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < columns.size(); ++c)
            cells << list.GetItemText(r, c);
        rows.push_back(TrimmedRow(cells));
    }
    return rows;
}
