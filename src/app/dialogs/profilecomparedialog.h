// The comparison of a threshold profile with the board: one row per parameter
// of the file with its page, the row's label and unit, the board's value and
// the file's value, marked where they differ (the differing rows checked) or
// where the board gave no value. In the apply form the checked rows are
// written, after the user confirms, in the order of the pages; each is read
// back and its row says whether it was confirmed, refused or read back
// different.
#pragma once

#include "app/framework/profilerunner.h"
#include "files/profilefile.h"

#include <QDialog>

#include <memory>

class PageHost;
class QCheckBox;
class QLabel;
class QPushButton;
class QTableWidget;

class ProfileCompareDialog : public QDialog {
    Q_OBJECT
public:
    enum Column { ColPage, ColLabel, ColUnit, ColBoard, ColFile, ColVerdict, ColResult, ColCount };

    // reads: the finished run that read the SN and every parameter of the
    // profile, one step per entry in the profile's order.
    ProfileCompareDialog(PageHost &host, const QString &path, const Profile &profile, const ParamExchange &reads,
                         const QStringList &notices, bool applying, QWidget *parent = nullptr);
    ~ProfileCompareDialog() override;

    int RowCount() const;
    const ParamKey *RowKey(int row) const;
    bool RowChecked(int row) const;
    void SetRowChecked(int row, bool checked);
    bool RowDiffers(int row) const { return m_rows[static_cast<std::size_t>(row)].differs; }
    bool RowUnanswered(int row) const { return !m_rows[static_cast<std::size_t>(row)].answered; }
    bool RowHidden(int row) const;
    QString CellText(int row, int column) const;
    QCheckBox *OnlyDifferences() const { return m_pOnlyDiff; }
    QPushButton *WriteButton() const { return m_pWrite; }
    QLabel *NoticeLabel() const { return m_pNotice; }
    QLabel *StatusLabel() const { return m_pStatus; }
    bool Writing() const { return m_runner.Running(); }
    // The write run of the last "写入", or null before one.
    const ParamExchange *WriteRun() const { return m_write.get(); }
    // How long the last write took, in ms.
    qint64 WriteMs() const { return m_writeMs; }

public slots:
    void reject() override;

private:
    struct Row {
        const ProfileEntry *entry;
        bool answered;
        bool differs;
    };
    void Fill(const ParamExchange &reads);
    void ApplyFilter();
    void OnWrite();
    void OnStepFinished(int step);
    void OnWriteFinished();
    void SetCell(int row, int column, const QString &text);

    PageHost &m_host;
    QString m_path;
    const Profile &m_profile;
    QStringList m_notices;
    std::vector<Row> m_rows;
    QTableWidget *m_pTable = nullptr;
    QCheckBox *m_pOnlyDiff = nullptr;
    QPushButton *m_pWrite = nullptr;
    QLabel *m_pNotice = nullptr;
    QLabel *m_pStatus = nullptr;
    ProfileRunner m_runner;
    std::unique_ptr<ParamExchange> m_write;
    std::vector<int> m_writeRows; // table row of each write step
    qint64 m_writeStart = 0;
    qint64 m_writeMs = 0;
};
