// Controls registered under their numeric ids, and the small text and
// check helpers that work on them. Pages and the main window both carry one.
#pragma once

#include <QHash>
#include <QString>
#include <QWidget>

class CtrlRegistry {
public:
    QWidget *RegisterControl(int id, QWidget *control);
    QWidget *GetDlgItem(int id) const { return m_controls.value(id); }
    template <class T> T *Item(int id) const { return qobject_cast<T *>(GetDlgItem(id)); }
    // The id a control was registered under, 0 when it is not registered.
    int IdOf(const QWidget *control) const { return m_controls.key(const_cast<QWidget *>(control), 0); }

    QString GetDlgItemText(int id) const;
    void SetDlgItemText(int id, const QString &text);
    void SetDlgItemInt(int id, unsigned value, bool isSigned);
    int IsDlgButtonChecked(int id) const;
    void CheckDlgButton(int id, int check);

private:
    QHash<int, QWidget *> m_controls;
};
