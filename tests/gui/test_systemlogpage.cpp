// The system log page: gate boxes, raw echo line, clear, context menu, copy,
// sorting, export, show-latest, and its place in the main window.
#include "app/framework/msgbox.h"
#include "app/mainwindow.h"
#include "app/pages/systemlogpage.h"
#include "app/pylvexapp.h"
#include "app/widgets/loglistctrl.h"
#include "common/fakehost.h"
#include "export_helpers.h"
#include "link/winmsg.h"
#include "list_helpers.h"

#include "gui/widget_test_main.h"
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

class TestSystemLogPage : public QObject {
    Q_OBJECT
    PylvexApp *app = nullptr;
    LogModel *model = nullptr;
    std::unique_ptr<FakeHost> m_host; // the page host the pages here talk to

    void AllGates(bool on)
    {
        app->m_bLogError = app->m_bLogWarning = app->m_bLogInfo = on;
        app->m_bLogDebug = on;
        app->m_bRxEcho = on;
    }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        app = theApp();
        model = app->GetLogModel();
    }
    void init()
    {
        m_host = std::make_unique<FakeHost>();
        model->ClearRows();
        AllGates(false);
        SystemLogPage::SetListExporter({});
    }

    void boxesStartFromTheirGates()
    {
        app->m_bLogError = true;
        app->m_bLogInfo = true; // warning, debug and echo off
        SystemLogPage page(m_host.get());
        page.InitDialog();
        const struct {
            int id;
            const char *text;
            bool checked;
        } boxes[] = {{IDC_LOG_ERROR, "错误", true},
                     {IDC_LOG_WARNING, "警告", false},
                     {IDC_LOG_INFO, "通知", true},
                     {IDC_LOG_DEBUG, "调试", false},
                     {IDC_LOG_RXECHO, "调试串口接收的数据：", false}};
        for (const auto &b : boxes) {
            QCOMPARE(page.GetDlgItemText(b.id), QString::fromUtf8(b.text));
            QCOMPARE(page.IsDlgButtonChecked(b.id) != 0, b.checked);
        }
        QCOMPARE(page.Caption(), QString("系统日志"));
        QCOMPARE(page.ColumnNames(), QStringList({"类型", "时间", "动作", "内容"}));
        QCOMPARE(page.List()->columnWidth(1), 190);
    }

    void boxesSetTheirGatesAtOnce_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("level"); // 0: the raw echo gate
        QTest::newRow("错误") << IDC_LOG_ERROR << 3;
        QTest::newRow("警告") << IDC_LOG_WARNING << 4;
        QTest::newRow("通知") << IDC_LOG_INFO << 6;
        QTest::newRow("调试") << IDC_LOG_DEBUG << 7;
        QTest::newRow("echo") << IDC_LOG_RXECHO << 0;
    }
    void boxesSetTheirGatesAtOnce()
    {
        QFETCH(int, id);
        QFETCH(int, level);
        auto gate = [&] { return level == 0 ? app->m_bRxEcho.load() : app->LogGateOpen(level); };
        SystemLogPage page(m_host.get());
        page.InitDialog();
        QVERIFY(!gate());
        page.ClickDlgButton(id);
        QVERIFY(gate());
        page.ClickDlgButton(id);
        QVERIFY(!gate());
        // The other gates did not move.
        QVERIFY(!app->m_bLogError && !app->m_bLogWarning && !app->m_bLogInfo && !app->m_bLogDebug && !app->m_bRxEcho);
    }

    void uncheckingErrorHidesLaterRowsOnly()
    {
        AllGates(true);
        SystemLogPage page(m_host.get());
        page.InitDialog();
        app->WriteLog(3, "接收 04 01", "上位机未处理命令 %02X %02X ，", 0x84, 0x01);
        app->WriteLog(7, "发送", "%s", "4d 53 02 3f 01 00 93 00 0d 0a");
        page.ClickDlgButton(IDC_LOG_ERROR);
        app->WriteLog(3, "接收", "%s", "later error");
        app->WriteLog(4, "接收", "%s", "warning");
        QCOMPARE(Column(*page.List(), 0), QStringList({"错误", "调试", "警告"}));
        QCOMPARE(page.List()->GetItemText(0, 3), QString("上位机未处理命令 84 01 ，"));
        // Icons by level.
        QCOMPARE(page.List()->RowModel()->GetItemImage(2), 4);
        QVERIFY(!page.List()->RowModel()->data(page.List()->RowModel()->index(2, 0), Qt::DecorationRole).isNull());
    }

    void echoLineAndClear()
    {
        SystemLogPage page(m_host.get());
        page.InitDialog();
        app->m_bLogInfo = true;
        app->WriteLog(6, "t", "row");
        for (std::uint8_t b : {0x01, 0xAB})
            page.AppendEcho(b);
        QCOMPARE(page.GetDlgItemText(IDC_LOG_ECHO), QString("01 AB "));
        page.AppendEcho(0x4D); // a frame head starts a new line
        page.AppendEcho(0x53);
        QCOMPARE(page.GetDlgItemText(IDC_LOG_ECHO), QString("4D 53 "));
        for (int i = 2; i < SystemLogPage::kEchoBytes; ++i)
            page.AppendEcho(0x00);
        QCOMPARE(page.EchoLine().size(), 3 * SystemLogPage::kEchoBytes);
        page.AppendEcho(0x7E); // a full line starts again
        QCOMPARE(page.EchoLine(), QString("7E "));

        page.ClickDlgButton(IDC_CLEAR);
        QCOMPARE(model->rowCount(), 0);
        QCOMPARE(page.GetDlgItemText(IDC_LOG_ECHO), QString());
        page.AppendEcho(0x10); // nothing of the old line comes back
        QCOMPARE(page.GetDlgItemText(IDC_LOG_ECHO), QString("10 "));
        QVERIFY(page.Item<QLineEdit>(IDC_LOG_ECHO)->isReadOnly());
    }

    void menuEntriesAndCopyOfTwoRows()
    {
        SystemLogPage page(m_host.get());
        page.InitDialog();
        model->AddRow(3, "2024-05-01 10:00:00", "接收 04 01", "上位机未处理命令");
        model->AddRow(6, "2024-05-01 10:00:01", "Excel", "日志导出成功");
        model->AddRow(7, "2024-05-01 10:00:02", "发送", "4d 53");

        QMenu menu;
        page.FillLogMenu(menu);
        QStringList texts;
        for (QAction *a : menu.actions())
            texts << a->text();
        QCOMPARE(texts, QStringList({"复制（&C）", "导出日志（&E）", "清空日志（&D）", "显示最新（&L）"}));
        QVERIFY(!FindAction(menu, "复制（&C）")->isEnabled());
        QVERIFY(FindAction(menu, "显示最新（&L）")->isChecked());

        QGuiApplication::clipboard()->setText("before");
        page.List()->SelectRow(2);
        page.List()->SelectRow(0);
        QMenu withSelection;
        page.FillLogMenu(withSelection);
        QVERIFY(FindAction(withSelection, "复制（&C）")->isEnabled());
        FindAction(withSelection, "复制（&C）")->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(),
                 QString("错误    2024-05-01 10:00:00    接收 04 01    上位机未处理命令\r\n"
                         "调试    2024-05-01 10:00:02    发送    4d 53"));

        FindAction(withSelection, "显示最新（&L）")->trigger();
        QVERIFY(!page.ShowLatest());
        QMenu after;
        page.FillLogMenu(after);
        QVERIFY(!FindAction(after, "显示最新（&L）")->isChecked());

        FindAction(after, "清空日志（&D）")->trigger();
        QCOMPARE(page.List()->GetItemCount(), 0);
    }

    void sortByTimeThenReverse()
    {
        SystemLogPage page(m_host.get());
        page.InitDialog();
        page.resize(800, 400);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        model->AddRow(3, "2024-05-01 10:00:02", "b", "");
        model->AddRow(4, "2024-05-01 09:59:59", "a", "");
        model->AddRow(6, "2024-05-01 10:00:05", "c", "");
        ClickHeader(*page.List(), 1);
        QCOMPARE(Column(*page.List(), 2), QStringList({"a", "b", "c"}));
        ClickHeader(*page.List(), 1);
        QCOMPARE(Column(*page.List(), 2), QStringList({"c", "b", "a"}));
        // New rows still go to the end.
        model->AddRow(7, "2024-05-01 10:00:00", "d", "");
        QCOMPARE(Column(*page.List(), 2).last(), QString("d"));
    }

    void showLatestFollowsTheSwitch()
    {
        SystemLogPage page(m_host.get());
        page.InitDialog();
        page.resize(600, 250);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        app->m_bLogDebug = true;
        QScrollBar *bar = page.List()->verticalScrollBar();
        for (int i = 0; i < 200; ++i)
            app->WriteLog(7, "接收", "row %d", i);
        QTRY_VERIFY(bar->maximum() > 0 && bar->value() == bar->maximum());

        page.OnClickMenu_LATEST();
        bar->setValue(0);
        for (int i = 0; i < 50; ++i)
            app->WriteLog(7, "接收", "more %d", i);
        QTest::qWait(3 * ListCtrlBase::kScrollIntervalMs);
        QCOMPARE(bar->value(), 0);
    }

    void rowLimitWithThePageShown()
    {
        SystemLogPage page(m_host.get());
        page.InitDialog();
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        app->m_bLogInfo = true;
        for (int i = 0; i < LogModel::kMaxRows + 1; ++i)
            app->WriteLog(6, "t", "%d", i);
        page.List()->SelectRow(0); // the selected row goes with the dropped ones
        app->WriteLog(6, "t", "%d", LogModel::kMaxRows + 1);
        QCOMPARE(page.List()->GetItemCount(), LogModel::kMaxRows + 1 - LogModel::kDropRows + 1);
        QCOMPARE(page.List()->GetItemText(0, 3), QString::number(LogModel::kDropRows));
        QCOMPARE(page.List()->GetSelectedCount(), 0);
        QCOMPARE(page.List()->model()->rowCount(), page.List()->GetItemCount());
    }

    void exportOfAnEmptyListWarns()
    {
        SystemLogPage page(m_host.get());
        page.InitDialog();
        bool called = false;
        SystemLogPage::SetListExporter([&](QWidget *, const LogListCtrl &, const QStringList &, const QString &,
                                           const QString &) -> std::optional<bool> {
            called = true;
            return true;
        });
        MsgBoxRecorder boxes;
        page.OnClickMenu_EXPORT();
        QCOMPARE(boxes.Count(), 1);
        QCOMPARE(boxes.LastText(), QString("日志记录为空，没有可导出的内容！"));
        QCOMPARE(boxes.Shown().back().caption, QString("警告"));
        QCOMPARE(boxes.Shown().back().Icon(), MB_ICONWARNING);
        QVERIFY(!called);
    }

    void exportHandsTheListToTheWorkbookWriter_data()
    {
        QTest::addColumn<int>("outcome"); // -1 cancelled, 0 failed, 1 written
        QTest::addColumn<QString>("logged");
        QTest::newRow("written") << 1 << "日志导出成功";
        QTest::newRow("failed") << 0 << "日志导出失败";
        QTest::newRow("cancelled") << -1 << "";
    }
    void exportHandsTheListToTheWorkbookWriter()
    {
        QFETCH(int, outcome);
        QFETCH(QString, logged);
        SystemLogPage page(m_host.get());
        page.InitDialog();
        app->m_bLogInfo = true;
        model->AddRow(3, "2024-05-01 10:00:00", "x", "y");
        QStringList columns;
        QString key, name;
        int rows = -1;
        SystemLogPage::SetListExporter([&](QWidget *, const LogListCtrl &list, const QStringList &c, const QString &k,
                                           const QString &n) -> std::optional<bool> {
            columns = c;
            key = k;
            name = n;
            rows = list.GetItemCount();
            if (outcome < 0)
                return std::nullopt;
            return outcome == 1;
        });
        MsgBoxRecorder boxes;
        page.OnClickMenu_EXPORT();
        QCOMPARE(boxes.Count(), 0);
        QCOMPARE(columns, QStringList({"类型", "时间", "动作", "内容"}));
        QCOMPARE(key, QString("CCfgPageLog::OnClickMenu_EXPORT"));
        QVERIFY(QRegularExpression("^Log_\\d{4}-\\d\\d-\\d\\d\\.xlsx$").match(name).hasMatch());
        QCOMPARE(rows, 1);
        if (logged.isEmpty()) {
            QCOMPARE(model->rowCount(), 1);
        } else {
            QCOMPARE(model->rowCount(), 2);
            QCOMPARE(model->Row(1).level, 6);
            QCOMPARE(model->Row(1).title, QString("Excel"));
            QCOMPARE(model->Row(1).text, logged);
        }
    }

    void exportWithoutWorkbookWriterShowsNothing()
    {
        SystemLogPage page(m_host.get());
        page.InitDialog();
        app->m_bLogInfo = true;
        model->AddRow(3, "2024-05-01 10:00:00", "x", "y");
        MsgBoxRecorder boxes;
        page.OnClickMenu_EXPORT();
        QCOMPARE(boxes.Count(), 0);
        QCOMPARE(model->rowCount(), 1);
    }

    void exportWritesTheWorkbookByDefault()
    {
        SystemLogPage::SetListExporter(SystemLogPage::DefaultListExporter());
        SystemLogPage page(m_host.get());
        page.InitDialog();
        app->m_bLogInfo = true;
        app->m_bLogError = true;
        model->AddRow(3, "2024-05-01 10:00:00", "接收 03 50", "'quoted', =1+1\r\n第二行");
        model->AddRow(6, "2024-05-01 10:00:01", "x", "y");
        QTemporaryDir dir;
        const QString path = dir.filePath("system.xlsx");
        {
            SaveDialogAnswer dialog(path);
            page.OnClickMenu_EXPORT();
            QCOMPARE(dialog.Shown(), 1);
        }
        WorkbookContents book = ReadWorkbook(path);
        QVERIFY2(book.ok, qPrintable(book.error));
        QCOMPARE(book.sheets, QStringList({"DataSheet1"}));
        std::vector<QStringList> want{page.ColumnNames()};
        for (int r = 0; r < 2; ++r)
            want.push_back({model->GetItemText(r, 0), model->GetItemText(r, 1), model->GetItemText(r, 2),
                            model->GetItemText(r, 3)});
        QCOMPARE(book.rows[0], want);
        QVERIFY(book.notText.isEmpty());
        QCOMPARE(model->Row(model->rowCount() - 1).text, QString("日志导出成功"));

        // A folder under the chosen name: the writer's failure rows, the box, the page's row.
        QVERIFY(QDir(dir.path()).mkdir("taken.xlsx"));
        MsgBoxRecorder boxes;
        SaveDialogAnswer dialog(dir.filePath("taken.xlsx"));
        page.OnClickMenu_EXPORT();
        QCOMPARE(boxes.LastText(), QString("文件正在被另一个程序打开或使用，请另存文件名！"));
        QCOMPARE(model->Row(model->rowCount() - 2).text, QString("创建 Excel 文件数据库失败"));
        QCOMPARE(model->Row(model->rowCount() - 2).level, 3);
        QCOMPARE(model->Row(model->rowCount() - 1).text, QString("日志导出失败"));
    }

    void mainWindowCarriesThePage()
    {
        MainWindow dlg;
        auto *page = qobject_cast<SystemLogPage *>(dlg.Page<SystemLogPage>());
        QVERIFY(page);
        QVERIFY(page->IsInitialised());
        QCOMPARE(page->List()->RowModel(), static_cast<ListCtrlModel *>(model));
        // A received byte reaches the echo line through the window's message.
        PostMsg(&dlg, WM_PORT_RXBYTE, 0x4D, 0);
        PostMsg(&dlg, WM_PORT_RXBYTE, 0x53, 0);
        QTRY_COMPARE(page->GetDlgItemText(IDC_LOG_ECHO), QString("4D 53 "));
    }
};

int main(int argc, char **argv)
{
    return RunWidgetTest<TestSystemLogPage>(argc, argv);
}

#include "test_systemlogpage.moc"
