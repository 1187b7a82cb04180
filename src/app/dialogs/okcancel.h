// The "确定" and "取消" buttons at the foot of a small dialog, registered
// under IDOK (1) and IDCANCEL (2): OK runs the dialog's own check, Cancel
// rejects it.
#pragma once

#include <functional>

class CtrlRegistry;
class QBoxLayout;
class QDialog;

inline constexpr int IDCANCEL = 2;

void AddOkCancel(QDialog *dialog, CtrlRegistry &controls, QBoxLayout *layout, const std::function<void()> &onOk);
