// The About box: the version, where the settings, the logs, the recordings and
// the crash files are kept, and a button that opens that folder.
#pragma once

#include <QDialog>

class QPushButton;

class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget *parent = nullptr);

    // Creates the Log folder when missing and opens it in the file manager;
    // false when it cannot be created or opened.
    static bool OpenLogFolder();

    QPushButton *OpenFolderButton() const { return m_pOpenFolder; }

private:
    QPushButton *m_pOpenFolder = nullptr;
};

// The folder and the settings file as shown to the user (About box, --help).
QString SettingsFilePath();
