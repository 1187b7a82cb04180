// Changing the password of the internal debugging mode: the old password, the
// new one twice. The new password is stored so that a failed write leaves the
// old one working.
#pragma once

#include "app/framework/ctrlregistry.h"
#include "files/passwordstore.h"

#include <QDialog>

class QLineEdit;

inline constexpr int IDC_OLD_PASSWORD = 1299;
inline constexpr int IDC_NEW_PASSWORD = 1298;
inline constexpr int IDC_CONFIRM_PASSWORD = 1295;

class ChangePasswordDialog : public QDialog, public CtrlRegistry {
    Q_OBJECT
public:
    explicit ChangePasswordDialog(QWidget *parent = nullptr, PasswordStore store = PasswordStore());

    void OnOK();

private:
    QLineEdit *m_pOld = nullptr;
    QLineEdit *m_pNew = nullptr;
    QLineEdit *m_pConfirm = nullptr;
    PasswordStore m_store;
};
