#include "app/dialogs/verifypassworddialog.h"

#include "app/dialogs/okcancel.h"
#include "app/framework/msgbox.h"
#include "protocol/password.h"

#include <QCoreApplication>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include <utility>

QLineEdit *MakePasswordEdit(QWidget *parent)
{
    auto *edit = new QLineEdit(parent);
    edit->setEchoMode(QLineEdit::Password);
    edit->setMaxLength(kPasswordMaxLength);
    return edit;
}

void RefusePasswordBox(QWidget *dialog, QLineEdit *box, const QString &text)
{
    ::MessageBox(dialog, text, QCoreApplication::translate("VerifyPasswordDialog", "警告"), MB_ICONWARNING);
    box->setFocus();
    box->selectAll();
}

VerifyPasswordDialog::VerifyPasswordDialog(QWidget *parent, PasswordStore store)
    : QDialog(parent), m_store(std::move(store))
{
    setWindowTitle(tr("验证"));
    auto *layout = new QVBoxLayout(this);
    auto *note = new QLabel(tr("      进入保护板（公司人员内部调试）模式，需要通过验证，请输入密码。"), this);
    note->setWordWrap(true);
    layout->addWidget(note);
    auto *form = new QFormLayout;
    m_pPassword = MakePasswordEdit(this);
    RegisterControl(IDC_VERIFY_PASSWORD, m_pPassword);
    form->addRow(tr("密码："), m_pPassword);
    layout->addLayout(form);
    AddOkCancel(this, *this, layout, [this] { OnOK(); });
    m_pPassword->setFocus();
}

void VerifyPasswordDialog::OnOK()
{
    const std::string typed = m_pPassword->text().toStdString();
    const std::string_view password = TrimTrailingBlanks(typed);
    if (password.empty()) {
        RefusePasswordBox(this, m_pPassword, tr("密码为空，请输入密码！"));
        return;
    }
    const PasswordVerdict verdict = m_store.Check(password);
    if (!verdict.pass) {
        RefusePasswordBox(this, m_pPassword, tr(PasswordMismatchText(verdict)));
        return;
    }
    accept();
}
