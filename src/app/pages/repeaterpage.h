// "中继器信息": the repeater that may sit between the tool and the board. The
// page reads the repeater's links and versions (class 0x01), asks it to start
// its YModem loader for a firmware file, and passes a command typed in hex
// through to the board (0x03/0x04).
#pragma once

#include "app/framework/rowpagebase.h"

#include <QByteArray>
#include <QPointer>
#include <QString>

class QPlainTextEdit;

class RepeaterPage : public RowPageBase {
    Q_OBJECT
public:
    // Controls.
    static constexpr int IDC_UPGRADE_CHK = 1382, IDC_UPGRADE_EDIT = 1383, IDC_UPGRADE_LED = 1381;
    static constexpr int IDC_LINKS_CHK = 1375, IDC_LINKS_EDIT = 1376, IDC_LINKS_LED = 1374;
    static constexpr int IDC_VERSION_CHK = 1372, IDC_SOFTWARE_EDIT = 1371, IDC_HARDWARE_EDIT = 1373,
                         IDC_VERSION_LED = 1370;
    static constexpr int IDC_PASS_CHK = 1476, IDC_PASS_EDIT = 1475, IDC_PASS_SEND = 1444;
    // The profile entry under "PrevPath" that remembers the folder of the last firmware file.
    static constexpr const char *kFileKey = "CCfgPageOne::ZZXSJ_req";

    explicit RepeaterPage(PageHost *host, QWidget *parent = nullptr);

    void ReadParams(int nChkID) override;
    void WriteParams(int nChkID) override;
    std::vector<RxRoute> Routes() const override;
    void OnRoute(const RxRoute &route, const std::uint8_t *frame, int len) override;
    // The repeater answers whichever board is chosen: its rows stay.
    void OnBoardSwitch() override {}

    // The firmware file of the repeater upgrade; empty until one is chosen.
    QString UpgradeFile() const { return m_strUpgradeFile; }
    // The bytes the pass-through command sends.
    QByteArray CmdBank() const { return m_cmdBank; }
    QPlainTextEdit *PassEdit() const;

protected:
    void OnInitDialog() override;
    void OnBtnClickClear() override;

private:
    bool QueueRow(int chkID);
    bool RequestUpgrade();
    void OpenUpgradeDialog();
    void OnPassTextChanged();
    void OnBtnClickPassThrough();

    QString m_strUpgradeFile;
    QPointer<QWidget> m_pUpgrade; // the upgrade dialog while it runs
    QByteArray m_cmdBank;
    bool m_bCutting = false; // the pass-through box is being cut back
};
