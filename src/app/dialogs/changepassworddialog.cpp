#include "app/dialogs/changepassworddialog.h"

#include "app/dialogs/okcancel.h"
#include "app/dialogs/verifypassworddialog.h"
#include "app/framework/msgbox.h"
#include "protocol/password.h"

#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include <utility>

ChangePasswordDialog::ChangePasswordDialog(QWidget *parent, PasswordStore store)
    : QDialog(parent), m_store(std::move(store))
{
    setWindowTitle(tr("修改密码"));
    auto *layout = new QVBoxLayout(this);
    auto *form = new QFormLayout;
    m_pOld = MakePasswordEdit(this);
    m_pNew = MakePasswordEdit(this);
    m_pConfirm = MakePasswordEdit(this);
    RegisterControl(IDC_OLD_PASSWORD, m_pOld);
    RegisterControl(IDC_NEW_PASSWORD, m_pNew);
    RegisterControl(IDC_CONFIRM_PASSWORD, m_pConfirm);
    form->addRow(tr("原密码："), m_pOld);
    form->addRow(tr("新密码："), m_pNew);
    form->addRow(tr("确认密码："), m_pConfirm);
    layout->addLayout(form);
    AddOkCancel(this, *this, layout, [this] { OnOK(); });
    m_pOld->setFocus();
}

void ChangePasswordDialog::OnOK()
{
    const std::string oldPassword = m_pOld->text().toStdString();
    const std::string newPassword = m_pNew->text().toStdString();
    const std::string confirmation = m_pConfirm->text().toStdString();
    if (std::optional<PasswordRefusal> refusal =
            CheckPasswordChange(oldPassword, newPassword, confirmation, m_store.Read())) {
        QLineEdit *box = refusal->box == PasswordBox::Old   ? m_pOld
                         : refusal->box == PasswordBox::New ? m_pNew
                                                            : m_pConfirm;
        QString text = tr(refusal->text);
        if (refusal->takesMaxLength)
            text = QString::asprintf(text.toUtf8().constData(), kPasswordMaxLength);
        RefusePasswordBox(this, box, text);
        return;
    }
    if (!m_store.Store(newPassword))
        ::MessageBox(this, tr("修改密码失败！"), tr("警告"), MB_ICONWARNING);
    accept();
}
