// The open and save dialog of the pages: it opens in the folder last chosen
// by the same caller (profile group "PrevPath", the caller's key as entry) and
// stores the folder of the chosen file there. A test answers it through a hook.
#pragma once

#include "files/upgradefile.h"

#include <QString>

#include <functional>

class QWidget;

struct FileAsk {
    bool save = false;
    QString key;           // the caller, e.g. "CCfgPageFor::OnBtnClickExportParam"
    QString filter;        // Qt filter text, e.g. "*.ini (*.ini)"
    QString initialName;   // proposed file name (or the text of the name box)
    QString defaultSuffix; // appended on save when the name has none
    QString title;
};

// The chosen path, or empty when the user cancelled.
QString ChooseFile(QWidget *parent, const FileAsk &ask);

// With a hook installed no dialog is shown; the hook's answer is the choice.
using FileChooserHook = std::function<QString(const FileAsk &)>;
void SetFileChooserHook(FileChooserHook hook);
