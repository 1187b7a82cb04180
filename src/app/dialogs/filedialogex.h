// The open and save dialog of every file the program asks for. Each caller
// names itself with a key; the dialog opens in the folder last chosen under
// that key (profile group "PrevPath") and remembers the folder of the file
// chosen now.
#pragma once

#include <QFileDialog>
#include <QString>

class FileDialogEx : public QFileDialog {
    Q_OBJECT
public:
    // open: an open dialog, else a save dialog that asks before replacing a file.
    // filter in Qt's form ("工作簿 (*.xlsx);;所有文件 (*)"); defaultSuffix without the dot.
    FileDialogEx(bool open, const QString &key, const QString &defaultSuffix, const QString &fileName,
                 const QString &filter, QWidget *parent = nullptr);

    // Runs the dialog (through the modal runner); the chosen path, empty when cancelled.
    QString DoModal();

    // The folder stored under key; empty when none.
    static QString StoredFolder(const QString &key);

private:
    QString m_strKey;
    QString m_strSuffix;
};
