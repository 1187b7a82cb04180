// The open and save dialog of the program: opens in the folder last used by
// the same caller (profile section "PrevPath", entry = the caller's key) and
// stores the chosen folder there after OK. Runs through RunModal, so a test
// answers it by selecting a file and accepting.
#pragma once

#include <QFileDialog>

class CFileDialogEx : public QFileDialog {
    Q_OBJECT
public:
    // open: an open dialog (the file must exist), else a save dialog that
    // asks before overwriting. filter in Qt form: "文本文件 (*.txt)".
    CFileDialogEx(bool open, const QString &key, const QString &fileName, const QString &filter,
                  QWidget *parent = nullptr);

    // The chosen path, empty when the user cancelled.
    QString Run();

    // The folder stored for a key (empty when none).
    static QString StoredFolder(const QString &key);

private:
    QString m_strKey;
};
