// The page "调试SOC学习" (internal): reads and writes the board's learning
// configuration, starts and stops the learning run, and lists the progress
// records the board sends while it learns, with the learning error of each.
#pragma once

#include "app/framework/rowpagebase.h"

#include <QStringList>

#include <functional>

class UserListCtrl;
class QComboBox;
class QUrl;

// Control ids of the page.
inline constexpr int IDC_SOC_CONFIG_CHK = 1323; // "写入SOC配置：" (hidden)
inline constexpr int IDC_SOC_CONFIG_LED = 1321;
inline constexpr int IDC_SOC_LEARN_CHK = 1300; // "启动S0C学习：" (hidden)
inline constexpr int IDC_SOC_LEARN_LED = 1301;
inline constexpr int IDC_SOC_LIST = 1302;
inline constexpr int IDC_SOC_READ_CONFIG = 1326;  // "读取SOC配置"
inline constexpr int IDC_SOC_WRITE_CONFIG = 1332; // "写入SOC配置"
inline constexpr int IDC_SOC_START = 1304;        // "启动SOC学习"
inline constexpr int IDC_SOC_STOP = 1305;         // "停止SOC学习"
inline constexpr int IDC_SOC_EXPORT = 1303;       // "导出SOC学习记录"
inline constexpr int IDC_SOC_ERROR = 1421;        // "错误状态"
inline constexpr int IDC_SOC_START_STAGE = 1329;  // "开始阶段"
inline constexpr int IDC_SOC_END_STAGE = 1328;    // "结束阶段"
inline constexpr int IDC_SOC_START_MV = 1322;     // "起始电压", also the configuration's display
inline constexpr int IDC_SOC_UPLOAD = 1330;       // "上传间隔"

class SocLearningPage : public RowPageBase {
    Q_OBJECT
public:
    enum Tag { TAG_SOC_CONFIG = 1, TAG_SOC_LEARNING = 2 };

    explicit SocLearningPage(PageHost *host, QWidget *parent = nullptr);

    std::vector<RxRoute> Routes() const override;
    void OnRoute(const RxRoute &route, const std::uint8_t *frame, int len) override;

    void ReadParams(int nChkID) override;
    void WriteParams(int nChkID) override;

    UserListCtrl *List() const { return m_pList; }
    QStringList ExportColumnNames() const { return m_exportColumns; }
    QComboBox *StageBox(int id) const;

    // "导出SOC学习记录".
    void OnBtnClickExport();
    // Opens a file with the desktop's default program; tests put their own in its place.
    using FileOpener = std::function<bool(const QUrl &)>;
    static void SetFileOpener(FileOpener opener);

protected:
    void OnInitDialog() override;
    // "清空": the configuration edits, the error state and every record.
    void OnBtnClickClear() override;

private:
    void BuildLayout();
    bool SendConfigWrite();
    void OnSocConfig(const std::uint8_t *frame, int len);
    void OnSocLearning(const std::uint8_t *frame, int len);
    void ShowError(const QString &text);
    void ColourError(const QString &text);

    UserListCtrl *m_pList = nullptr;
    QStringList m_exportColumns;
    // A second board has answered on this link: records name their board.
    bool m_bSecondarySeen = false;
};
