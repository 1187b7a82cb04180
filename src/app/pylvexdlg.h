// The main window: port bar, page sheet, the board port and the send path.
#pragma once

#include <QDialog>

#include <cstddef>
#include <cstdint>

class CPylvexDlg : public QDialog {
    Q_OBJECT
public:
    explicit CPylvexDlg(QWidget *parent = nullptr);
    ~CPylvexDlg() override;

    bool m_bOpenCOM = false;
};
