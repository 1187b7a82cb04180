// The password that opens the board's internal debugging mode, asked once per
// run before the internal pages open. OK ends the dialog only for a password
// that matches the stored copies (or the default password when none is stored).
#pragma once

#include "app/framework/ctrlregistry.h"
#include "files/passwordstore.h"

#include <QDialog>

class QLineEdit;

inline constexpr int IDC_VERIFY_PASSWORD = 1296;

class VerifyPasswordDialog : public QDialog, public CtrlRegistry {
    Q_OBJECT
public:
    explicit VerifyPasswordDialog(QWidget *parent = nullptr, PasswordStore store = PasswordStore());

    void OnOK();

private:
    QLineEdit *m_pPassword = nullptr;
    PasswordStore m_store;
};

// A password edit box of the password dialogs: hidden characters, at most eight.
QLineEdit *MakePasswordEdit(QWidget *parent);
// The refusal of a password dialog: the warning, then the box focused with its text selected.
void RefusePasswordBox(QWidget *dialog, QLineEdit *box, const QString &text);
