// A one-line input dialog: title, prompt, value and the two button texts are
// set by the caller before it runs; OK takes the value trimmed at both ends
// and refuses an empty one.
#pragma once

#include "app/framework/ctrlregistry.h"

#include <QDialog>
#include <QString>

class QLineEdit;

inline constexpr int IDC_INPUT_VALUE = 1270;  // the value
inline constexpr int IDC_INPUT_PROMPT = 1271; // the prompt

class InputBox : public QDialog, public CtrlRegistry {
    Q_OBJECT
public:
    explicit InputBox(QWidget *parent = nullptr);

    QString m_strTitle;
    QString m_strCaption;    // the prompt
    QString m_strValue;      // shown at the start; the accepted value after OK
    QString m_strOkText;     // empty: "确定"
    QString m_strCancelText; // empty: "取消"

    // Puts the strings into the controls; RunModal shows the dialog after it.
    void InitDialog();
    // OK: the value when it is not empty after trimming, else the warning and the dialog stays.
    void OnOK();
    void showEvent(QShowEvent *event) override;

private:
    QLineEdit *m_pEdit = nullptr;
    bool m_bInitialised = false;
};
