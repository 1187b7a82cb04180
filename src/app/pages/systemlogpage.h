// The page "系统日志": the rows written by WriteLog, the gates of the four log
// levels and of the raw echo of received bytes, and the raw echo line.
#pragma once

#include "app/framework/pagebase.h"

#include <QStringList>

#include <cstdint>
#include <functional>
#include <optional>

class LogListCtrl;
class QMenu;

// Control ids of the page.
inline constexpr int IDC_LOG_DEBUG = 1283;   // "调试"
inline constexpr int IDC_LOG_ERROR = 1284;   // "错误"
inline constexpr int IDC_LOG_INFO = 1285;    // "通知"
inline constexpr int IDC_LOG_WARNING = 1286; // "警告"
inline constexpr int IDC_LOG_RXECHO = 1287;  // "调试串口接收的数据："
inline constexpr int IDC_LOG_ECHO = 1288;    // the raw echo line
inline constexpr int IDC_LOG_LIST = 1289;

class SystemLogPage : public PageBase {
    Q_OBJECT
public:
    // Received bytes the echo line holds before it starts again.
    static constexpr int kEchoBytes = 42;

    // Writes a list with its column names to a workbook chosen by the user
    // (dialog key and proposed file name given); no value when the user
    // cancelled, else whether the workbook was written.
    using ListExporter =
        std::function<std::optional<bool>(QWidget *parent, const LogListCtrl &list, const QStringList &columns,
                                          const QString &dialogKey, const QString &defaultName)>;
    static void SetListExporter(ListExporter exporter);
    // The save dialog and the workbook writer, installed at start.
    static ListExporter DefaultListExporter();

    explicit SystemLogPage(PageHost *host, QWidget *parent = nullptr);

    LogListCtrl *List() const { return m_pList; }
    // The four column names, kept for the export.
    QStringList ColumnNames() const { return m_columnNames; }

    // One received byte for the raw echo line (the host's RxEchoByte): 0x4D or a full line starts a
    // new line; the byte is added as two upper-case hex digits and a blank.
    void AppendEcho(std::uint8_t byte);
    QString EchoLine() const { return m_strEchoLine; }

    // The entries of the list's context menu: copy (only with a selection),
    // export, delete every row, show latest (checked while on).
    void FillLogMenu(QMenu &menu);

    void OnClickMenu_COPY();
    void OnClickMenu_EXPORT();
    void OnClickMenu_DELETE();
    void OnClickMenu_LATEST();

    // Every new row is brought into view while on.
    bool ShowLatest() const { return m_bShowLatest; }

    // The log belongs to the program, not to a board: it stays on a board switch.
    void OnBoardSwitch() override {}

protected:
    void OnInitDialog() override;
    // "清空": every row, the echo line and its edit box.
    void OnBtnClickClear() override;

private:
    void BuildLayout();
    void OnGateClicked(int id, bool checked);
    void ShowListMenu(const QPoint &pos);

    bool m_bShowLatest = true;
    LogListCtrl *m_pList = nullptr;
    QStringList m_columnNames;
    QString m_strEchoLine;
    int m_nEchoBytes = 0;
};
