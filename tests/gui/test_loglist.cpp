// The list controls: header sorting, copying, colour rules, context menu,
// record trimming and the show-latest scroll.
#include "app/pylvexapp.h"
#include "app/widgets/loglistctrl.h"
#include "app/widgets/recordlistctrl.h"
#include "app/widgets/userlistctrl.h"
#include "list_helpers.h"

#include "gui/widget_test_main.h"
#include <QClipboard>
#include <QHeaderView>
#include <QMenu>
#include <QScrollBar>
#include <QSignalSpy>
#include <QtTest>

namespace {

void FillLogRows(LogListCtrl &list)
{
    LogModel *model = new LogModel(&list);
    list.SetRowModel(model);
    list.SetImageList(LogListCtrl::LevelImageList());
    model->AddRow(3, "2024-05-01 10:00:02", "a", "first");
    model->AddRow(7, "2024-05-01 10:00:01", "b", "second");
    model->AddRow(4, "2024-05-01 10:00:03", "c", "third");
    model->AddRow(6, "2024-05-01 10:00:01", "d", "fourth");
}

} // namespace

class TestLogList : public QObject {
    Q_OBJECT
private slots:
    void sortByTimeThenReverse()
    {
        LogListCtrl list;
        FillLogRows(list);
        list.resize(600, 300);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));

        ClickHeader(list, 1);
        // Equal times keep their earlier order (stable).
        QCOMPARE(Column(list, 3), QStringList({"second", "fourth", "first", "third"}));
        QCOMPARE(list.horizontalHeader()->sortIndicatorOrder(), Qt::AscendingOrder);
        ClickHeader(list, 1);
        QCOMPARE(Column(list, 1), QStringList({"2024-05-01 10:00:03", "2024-05-01 10:00:02", "2024-05-01 10:00:01",
                                               "2024-05-01 10:00:01"}));
        ClickHeader(list, 1);
        QCOMPARE(Column(list, 3), QStringList({"second", "fourth", "first", "third"}));
        // Another column starts ascending again; the icons travel with their rows.
        ClickHeader(list, 2);
        QCOMPARE(Column(list, 2), QStringList({"a", "b", "c", "d"}));
        QCOMPARE(list.RowModel()->GetItemImage(1), 7);
        QVERIFY(!list.RowModel()->data(list.RowModel()->index(1, 0), Qt::DecorationRole).value<QIcon>().isNull());
    }

    void sortComparesInCodePageOrder()
    {
        // 错 B4ED < 调 B5F7 < 警 BEAF < 信 D0C5 in the code page; code-point order would be reversed.
        LogListCtrl list;
        FillLogRows(list);
        list.RowModel()->SortByColumn(0, true);
        QCOMPARE(Column(list, 0), QStringList({"错误", "调试", "警告", "信息"}));
        // Case-sensitive, byte order: upper case before lower case, digits before both.
        QVERIFY(ListCtrlModel::SortKey("B") < ListCtrlModel::SortKey("a"));
        QVERIFY(ListCtrlModel::SortKey("9") < ListCtrlModel::SortKey("A"));
        QVERIFY(ListCtrlModel::SortKey("z") < ListCtrlModel::SortKey("信"));
    }

    void sortKeepsSelectionOnItsRows()
    {
        RecordListCtrl list;
        list.InsertColumn(0, "", 20);
        list.InsertColumn(1, "n", 50);
        for (const char *t : {"3", "1", "2"})
            list.AddRecordRow({t}, false);
        list.SelectRow(0); // "3"
        list.RowModel()->SortByColumn(1, true);
        QCOMPARE(Column(list, 1), QStringList({"1", "2", "3"}));
        QCOMPARE(list.GetSelectedRows(), QList<int>({2}));
    }

    void userListKeepsOrderOnHeaderClick()
    {
        UserListCtrl list;
        list.InsertColumn(0, "k", 80);
        for (const char *t : {"b", "c", "a"})
            list.AddRow({t});
        list.resize(300, 200);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        ClickHeader(list, 0);
        ClickHeader(list, 0);
        QCOMPARE(Column(list, 0), QStringList({"b", "c", "a"}));
    }

    void copySelectedRows()
    {
        LogListCtrl list;
        FillLogRows(list);
        QClipboard *clipboard = QGuiApplication::clipboard();
        clipboard->setText("untouched");
        QVERIFY(!list.CopySelectedRows());
        QCOMPARE(clipboard->text(), QString("untouched"));

        list.SelectRow(3);
        list.SelectRow(0); // selected out of order: copied in list order
        QVERIFY(list.CopySelectedRows());
        QCOMPARE(clipboard->text(), QString("错误    2024-05-01 10:00:02    a    first\r\n"
                                            "信息    2024-05-01 10:00:01    d    fourth"));
    }

    void copyTakesEveryHeaderColumn()
    {
        // Cells missing from a row count as empty texts; cells beyond the header are not copied.
        UserListCtrl list;
        list.InsertColumn(0, "a", 50);
        list.InsertColumn(1, "b", 50);
        list.InsertColumn(2, "c", 50);
        list.AddRow({"x"});
        list.AddRow({"1", "2", "3", "4"});
        list.selectAll();
        QCOMPARE(list.SelectedRowsText(), QString("x        \r\n1    2    3"));
    }

    // Every rule of the colour table on the list it belongs to, with that list's
    // real columns (counted from 0) and the texts its owner writes.
    void colourRules_data()
    {
        QTest::addColumn<int>("listId");
        QTest::addColumn<QStringList>("cells");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("colour"); // empty: the default colour

        const QString red = "#ff0000", blue = "#0000ff", none;
        // Cell list 1051: "节", "单节电压(mV)", "均衡".
        const QStringList lowest{"4", "单节最小电压 3290", ""};
        QTest::newRow("1051 summary row, number") << 1051 << lowest << 0 << red;
        QTest::newRow("1051 summary row, text") << 1051 << lowest << 1 << red;
        QTest::newRow("1051 summary row, balancing") << 1051 << lowest << 2 << none;
        const QStringList spread{"", "单节最大压差 20", ""};
        QTest::newRow("1051 spread row, text") << 1051 << spread << 1 << red;
        QTest::newRow("1051 other 最 row, number") << 1051 << QStringList{"1", "最大压差", ""} << 0 << none;
        QTest::newRow("1051 other 最 row, text") << 1051 << QStringList{"1", "最大压差", ""} << 1 << red;
        QTest::newRow("1051 cell row, number") << 1051 << QStringList{"1", "3300", "开"} << 0 << none;
        QTest::newRow("1051 cell row, voltage") << 1051 << QStringList{"1", "3300", "开"} << 1 << none;
        QTest::newRow("1051 balancing on") << 1051 << QStringList{"1", "3300", "开"} << 2 << red;
        QTest::newRow("1051 balancing off") << 1051 << QStringList{"1", "3300", "关"} << 2 << none;
        QTest::newRow("1051 balancing only equal") << 1051 << QStringList{"1", "3300", "开启"} << 2 << none;
        // SOC learning records 1302: "状态", "电压(mV)", "电流(mA)", "V-SOC", "SOC",
        // "SOC-A", "容量(maH)", "测试", "主副电", "序号".
        const QStringList test{"放电", "3300", "-500", "50", "50", "50", "24000", "1", "0", "3"};
        const QStringList plain{"放电", "3300", "-500", "50", "50", "50", "24000", "0", "1", "4"};
        QTest::newRow("1302 test row, first column") << 1302 << test << 0 << blue;
        QTest::newRow("1302 test row, test column") << 1302 << test << 7 << blue;
        QTest::newRow("1302 test row, last column") << 1302 << test << 9 << blue;
        QTest::newRow("1302 plain row, secondary board") << 1302 << plain << 0 << none;
        // YModem upgrade list 1390: "时间", "升级过程".
        QTest::newRow("1390 success") << 1390 << QStringList{"10:00:01", "发送成功"} << 1 << red;
        QTest::newRow("1390 success, time column") << 1390 << QStringList{"10:00:01", "发送成功"} << 0 << none;
        QTest::newRow("1390 other text") << 1390 << QStringList{"10:00:01", "等待"} << 1 << none;
        // Command upgrade list 1400: "序号", "时间", "升级过程".
        QTest::newRow("1400 success") << 1400 << QStringList{"3", "10:00:01", "升级成功"} << 2 << red;
        QTest::newRow("1400 success, time column") << 1400 << QStringList{"3", "10:00:01", "升级成功"} << 1 << none;
        QTest::newRow("1400 error") << 1400 << QStringList{"3", "10:00:01", "校验错误"} << 2 << blue;
        QTest::newRow("1400 error and success") << 1400 << QStringList{"3", "10:00:01", "错误已清除，成功"} << 2 << red;
        QTest::newRow("1400 neither") << 1400 << QStringList{"3", "10:00:01", "等待"} << 2 << none;
        QTest::newRow("no id") << 0 << QStringList{"1", "3300", "开"} << 2 << none;
        QTest::newRow("other id") << 1234 << QStringList{"1", "单节最", "开"} << 2 << none;
    }
    void colourRules()
    {
        QFETCH(int, listId);
        QFETCH(QStringList, cells);
        QFETCH(int, column);
        QFETCH(QString, colour);
        UserListCtrl list;
        for (int c = 0; c < cells.size(); ++c)
            list.InsertColumn(c, QString::number(c), 40);
        list.m_nListId = listId; // pages only set the id
        list.AddRow(cells);
        QVariant fg = list.RowModel()->data(list.RowModel()->index(0, column), Qt::ForegroundRole);
        QCOMPARE(fg.isValid() ? fg.value<QColor>().name() : QString(), colour);
    }

    void colourFollowsCellEdits()
    {
        UserListCtrl list;
        for (int c = 0; c < 3; ++c)
            list.InsertColumn(c, QString::number(c), 40);
        list.SetListId(1051);
        list.InsertItem(0, "1");
        QSignalSpy changed(list.RowModel(), &QAbstractItemModel::dataChanged);
        list.SetItemText(0, 2, "开");
        QCOMPARE(changed.count(), 1);
        QCOMPARE(list.RowModel()->data(list.RowModel()->index(0, 2), Qt::ForegroundRole).value<QColor>(),
                 QColor(255, 0, 0));
    }

    void userListMenu()
    {
        UserListCtrl list;
        list.InsertColumn(0, "a", 50);
        list.InsertColumn(1, "b", 50);
        for (int i = 0; i < 5; ++i)
            list.AddRow({QString::number(i), "x"});

        QMenu menu;
        list.FillContextMenu(menu);
        QStringList texts;
        for (QAction *a : menu.actions())
            texts << a->text();
        QCOMPARE(texts, QStringList({"复制（&C）", "删除（&D）", "全选（&A）", "显示最新（&L）"}));
        QVERIFY(!FindAction(menu, "复制（&C）")->isEnabled());
        QVERIFY(FindAction(menu, "显示最新（&L）")->isChecked());

        FindAction(menu, "全选（&A）")->trigger();
        QCOMPARE(list.GetSelectedCount(), 5);
        QMenu second;
        list.FillContextMenu(second);
        QVERIFY(FindAction(second, "复制（&C）")->isEnabled());

        FindAction(second, "显示最新（&L）")->trigger();
        QVERIFY(!list.m_bShowLatest);
        QMenu third;
        list.FillContextMenu(third);
        QVERIFY(!FindAction(third, "显示最新（&L）")->isChecked());

        // Delete empties the whole list, whatever is selected.
        list.SelectRow(1, false);
        FindAction(third, "删除（&D）")->trigger();
        QCOMPARE(list.GetItemCount(), 0);
    }

    void recordRowsAndTrim()
    {
        RecordListCtrl list;
        for (int c = 0; c <= 13; ++c)
            list.InsertColumn(c, QString::number(c), 40);
        QStringList texts;
        for (int i = 1; i <= 14; ++i)
            texts << QString("t%1").arg(i);
        list.AddRecordRow(texts, false);
        QCOMPARE(list.GetItemText(0, 0), QString());
        QCOMPARE(list.GetItemText(0, 1), QString("t1"));
        QCOMPARE(list.GetItemText(0, 13), QString("t13"));
        QCOMPARE(list.GetItemText(0, 14), QString()); // the 14th text is ignored

        list.DeleteAllItems();
        for (int i = 0; i < 8193; ++i)
            list.AddRecordRow({QString::number(i)}, false);
        QCOMPARE(list.GetItemCount(), 8193);
        list.AddRecordRow({"8193"}, false);
        QCOMPARE(list.GetItemCount(), 8193 - 2048 + 1);
        QCOMPARE(list.GetItemText(0, 1), QString("2048"));
        QCOMPARE(list.GetItemText(list.GetItemCount() - 1, 1), QString("8193"));
    }

    void showLatestScrollsOncePerBurst()
    {
        UserListCtrl list;
        list.InsertColumn(0, "n", 80);
        list.resize(200, 150);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        QSignalSpy moved(list.verticalScrollBar(), &QScrollBar::valueChanged);
        for (int i = 0; i < 1000; ++i)
            list.AddRow({QString::number(i)});
        QVERIFY(list.ScrollPending());
        // The burst holds the viewport's painting until the tick, then paints once.
        QVERIFY(list.PaintHeld());
        QVERIFY(!list.viewport()->updatesEnabled());
        QVERIFY(!list.verticalScrollBar()->updatesEnabled());
        QTRY_VERIFY(!list.ScrollPending());
        QVERIFY(!list.PaintHeld());
        QVERIFY(list.viewport()->updatesEnabled());
        QVERIFY(list.verticalScrollBar()->updatesEnabled());
        QCoreApplication::processEvents();
        QVERIFY(list.verticalScrollBar()->maximum() > 0);
        QCOMPARE(list.verticalScrollBar()->value(), list.verticalScrollBar()->maximum());
        QCOMPARE(moved.count(), 1);

        // Switched off: new rows do not move the view.
        list.m_bShowLatest = false;
        list.scrollToTop();
        for (int i = 0; i < 10; ++i)
            list.AddRow({"more"});
        QVERIFY(!list.ScrollPending());
        QTest::qWait(2 * ListCtrlBase::kScrollIntervalMs);
        QCOMPARE(list.verticalScrollBar()->value(), 0);
    }
};

int main(int argc, char **argv)
{
    return RunWidgetTest<TestLogList>(argc, argv);
}

#include "test_loglist.moc"
