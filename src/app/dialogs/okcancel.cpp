#include "app/dialogs/okcancel.h"

#include "app/framework/ctrlregistry.h"
#include "app/framework/msgbox.h"

#include <QBoxLayout>
#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>

void AddOkCancel(QDialog *dialog, CtrlRegistry &controls, QBoxLayout *layout, const std::function<void()> &onOk)
{
    auto *buttons = new QDialogButtonBox(dialog);
    QPushButton *ok = buttons->addButton(QCoreApplication::translate("Dialog", "确定"), QDialogButtonBox::AcceptRole);
    QPushButton *cancel =
        buttons->addButton(QCoreApplication::translate("Dialog", "取消"), QDialogButtonBox::RejectRole);
    ok->setDefault(true);
    controls.RegisterControl(IDOK, ok);
    controls.RegisterControl(IDCANCEL, cancel);
    layout->addWidget(buttons);
    QObject::connect(ok, &QPushButton::clicked, dialog, onOk);
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
}
