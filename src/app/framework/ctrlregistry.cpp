#include "app/framework/ctrlregistry.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>

QWidget *CtrlRegistry::RegisterControl(int id, QWidget *control)
{
    m_controls.insert(id, control);
    control->setProperty("ctrlId", id);
    return control;
}

QString CtrlRegistry::GetDlgItemText(int id) const
{
    QWidget *w = GetDlgItem(id);
    if (auto *edit = qobject_cast<QLineEdit *>(w))
        return edit->text();
    if (auto *button = qobject_cast<QAbstractButton *>(w))
        return button->text();
    if (auto *label = qobject_cast<QLabel *>(w))
        return label->text();
    return w ? w->property("text").toString() : QString();
}

void CtrlRegistry::SetDlgItemText(int id, const QString &text)
{
    QWidget *w = GetDlgItem(id);
    if (auto *edit = qobject_cast<QLineEdit *>(w)) {
        edit->setText(text);
        edit->setCursorPosition(0); // a text longer than the box shows its beginning
    } else if (auto *button = qobject_cast<QAbstractButton *>(w))
        button->setText(text);
    else if (auto *label = qobject_cast<QLabel *>(w))
        label->setText(text);
    else if (w)
        w->setProperty("text", text);
}

void CtrlRegistry::SetDlgItemInt(int id, unsigned value, bool isSigned)
{
    SetDlgItemText(id, isSigned ? QString::number(static_cast<int>(value)) : QString::number(value));
}

int CtrlRegistry::IsDlgButtonChecked(int id) const
{
    auto *button = Item<QAbstractButton>(id);
    return button && button->isChecked() ? 1 : 0;
}

void CtrlRegistry::CheckDlgButton(int id, int check)
{
    if (auto *button = Item<QAbstractButton>(id))
        button->setChecked(check != 0);
}
