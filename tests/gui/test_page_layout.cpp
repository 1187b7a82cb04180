// The main window at the smallest screen it is made for (1024 x 700): every
// label readable, the widest values of the live status page unclipped, its
// lists' columns fitted to the lists and following the window, the parameter
// boxes of a row page lined up.
#include "app/framework/pagebase.h"
#include "app/mainwindow.h"
#include "app/pages/alarmprotectionpage.h"
#include "app/pages/livestatuspage.h"
#include "app/pages/systemlogpage.h"
#include "app/pages/wakethresholdpage.h"
#include "app/pagesheet.h"
#include "app/pylvexapp.h"
#include "app/widgets/userlistctrl.h"
#include "link/portdiscovery.h"
#include "protocol/param_decode.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include "gui/widget_test_main.h"
#include <memory>

namespace {
const QSize kSmallScreen(1024, 700);

int ColumnSum(const UserListCtrl *list)
{
    int sum = 0;
    for (int c = 0; c < list->model()->columnCount(); ++c)
        sum += list->columnWidth(c);
    return sum;
}
} // namespace

class TestPageLayout : public QObject {
    Q_OBJECT
    QTemporaryDir config;
    std::unique_ptr<MainWindow> dlg;

    LiveStatusPage *Live() const { return dlg->Page<LiveStatusPage>(); }
    UserListCtrl *List(int id) const { return Live()->Item<UserListCtrl>(id); }
    void Show(PageBase *page)
    {
        QVERIFY(dlg->Sheet()->SetActivePage(page));
        QCoreApplication::processEvents();
    }

private slots:
    void initTestCase()
    {
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config.path());
        SetPortListSource([] { return QStringList(); });
        dlg = std::make_unique<MainWindow>();
        dlg->show();
        QVERIFY(QTest::qWaitForWindowExposed(dlg.get()));
    }
    void cleanupTestCase() { dlg.reset(); }
    void init()
    {
        dlg->Gate().SetVerified(true); // every page may be shown here
        dlg->resize(kSmallScreen);
        Show(Live());
    }

    void windowSize()
    {
        const QSize min = dlg->minimumSizeHint();
        QVERIFY2(min.width() <= kSmallScreen.width() && min.height() <= kSmallScreen.height() - 40,
                 qPrintable(QStringLiteral("minimum %1x%2").arg(min.width()).arg(min.height())));
        // A new window is no larger than the screen leaves room for, unless that is below its minimum.
        MainWindow fresh;
        const QSize room = fresh.screen()->availableGeometry().size();
        QVERIFY(fresh.width() <= std::max(room.width(), fresh.minimumSizeHint().width()));
        QVERIFY(fresh.height() <= std::max(room.height(), fresh.minimumSizeHint().height()));
        QVERIFY(fresh.width() >= fresh.minimumSizeHint().width());
        QVERIFY(fresh.height() >= fresh.minimumSizeHint().height());
    }

    void portNameReadable()
    {
        // A USB adapter's device name fits the port list beside the other four lists.
        auto *ports = dlg->Item<QComboBox>(IDC_PORT_LIST);
        QVERIFY(ports);
        const int need = ports->fontMetrics().horizontalAdvance(QStringLiteral("/dev/ttyUSB0")) + 30;
        QVERIFY2(ports->width() >= need, qPrintable(QStringLiteral("%1 < %2").arg(ports->width()).arg(need)));
        for (int id : {IDC_BAUD_LIST, IDC_DATABITS_LIST, IDC_PARITY_LIST, IDC_STOPBITS_LIST})
            QVERIFY(dlg->Item<QComboBox>(id)->width() >= dlg->Item<QComboBox>(id)->minimumSizeHint().width());
    }

    void labelsReadable_data()
    {
        QTest::addColumn<PageBase *>("page");
        for (PageBase *page : std::initializer_list<PageBase *>{
                 Live(), dlg->Page<WakeThresholdPage>(), dlg->Page<AlarmProtectionPage>(), dlg->Page<SystemLogPage>()})
            QTest::newRow(qPrintable(page->Caption())) << page;
    }
    void labelsReadable()
    {
        QFETCH(PageBase *, page);
        Show(page);
        QCOMPARE(dlg->ActivePage(), page);
        QList<QWidget *> texts;
        for (QLabel *label : page->findChildren<QLabel *>())
            texts << label;
        for (QAbstractButton *button : page->findChildren<QAbstractButton *>())
            texts << button;
        QVERIFY(texts.size() > 5);
        for (QWidget *w : texts) {
            if (!w->isVisible())
                continue;
            QVERIFY2(w->width() >= w->sizeHint().width(), qPrintable(QStringLiteral("\"%1\" %2 < %3")
                                                                         .arg(w->property("text").toString())
                                                                         .arg(w->width())
                                                                         .arg(w->sizeHint().width())));
        }
    }

    void widestValuesFit_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("text");
        QTest::newRow("software version") << 1150 << "V255.255.255";
        QTest::newRow("hardware version") << 1151 << "V255.255.255";
        QTest::newRow("total voltage") << 1173 << "655350";
        QTest::newRow("total current") << 1175 << "-327670";
    }
    void widestValuesFit()
    {
        QFETCH(int, id);
        QFETCH(QString, text);
        auto *edit = Live()->Item<QLineEdit>(id);
        QVERIFY(edit && edit->isVisible());
        QVERIFY2(edit->fontMetrics().horizontalAdvance(text) + 8 <= edit->width(),
                 qPrintable(QStringLiteral("%1 px for \"%2\"").arg(edit->width()).arg(text)));
    }

    void listColumnsFitTheirLists_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::newRow("1024 x 700") << kSmallScreen;
        QTest::newRow("minimum") << QSize(0, 0);
    }
    void listColumnsFitTheirLists()
    {
        QFETCH(QSize, size);
        dlg->resize(size.expandedTo(dlg->minimumSizeHint()));
        QCoreApplication::processEvents();
        for (int id : {IDC_CELL_LIST, IDC_TEMP_LIST, IDC_EXTREME_LIST}) {
            UserListCtrl *list = List(id);
            const int client = list->viewport()->width();
            QVERIFY2(
                ColumnSum(list) <= client && ColumnSum(list) >= client * 6 / 7 - 10,
                qPrintable(QStringLiteral("list %1: columns %2, client %3").arg(id).arg(ColumnSum(list)).arg(client)));
            QVERIFY(!list->horizontalScrollBar()->isVisible());
        }
        // The summary rows of the cell list and every fixed row of the extreme values are readable.
        UserListCtrl *cells = List(IDC_CELL_LIST);
        QVERIFY(cells->columnWidth(1) >=
                cells->fontMetrics().horizontalAdvance(QStringLiteral("单节最大电压 3650")) + 6);
        UserListCtrl *extremes = List(IDC_EXTREME_LIST);
        QCOMPARE(extremes->GetItemCount(), 11);
        for (int r = 0; r < extremes->GetItemCount(); ++r)
            QVERIFY(extremes->columnWidth(0) >=
                    extremes->fontMetrics().horizontalAdvance(extremes->GetItemText(r, 0)) + 6);
        QVERIFY(extremes->columnWidth(1) >= extremes->fontMetrics().horizontalAdvance(QStringLiteral("104190")) + 6);
        const int last = extremes->GetItemCount() - 1;
        QVERIFY(extremes->rowViewportPosition(last) + extremes->rowHeight(last) <= extremes->viewport()->height());
        QVERIFY(!extremes->verticalScrollBar()->isVisible());
    }

    void columnsFollowTheWindowUntilDragged()
    {
        UserListCtrl *temps = List(IDC_TEMP_LIST);
        const int small = temps->columnWidth(0);
        dlg->resize(1300, 820);
        QCoreApplication::processEvents();
        const int wide = temps->columnWidth(0);
        QVERIFY2(wide > small, qPrintable(QStringLiteral("%1 -> %2").arg(small).arg(wide)));
        QCOMPARE(temps->columnWidth(0), temps->viewport()->width() * 3 / 7);

        temps->horizontalHeader()->resizeSection(0, 40); // as a drag of the header does
        dlg->resize(kSmallScreen);
        QCoreApplication::processEvents();
        QCOMPARE(temps->columnWidth(0), 40);
        // The other lists still follow.
        UserListCtrl *cells = List(IDC_CELL_LIST);
        QCOMPARE(cells->columnWidth(1), cells->viewport()->width() * 12 / 22 + 10);
    }

    void rowPageBoxesLineUp()
    {
        PageBase *page = dlg->Page<WakeThresholdPage>();
        Show(page);
        // Rows with a single box: every box ends at the same place, unit or not.
        QSet<int> rights;
        int boxes = 0;
        for (const PageParamRow &row : WakeupPageRows().rows)
            if (row.EditCount() == 1) {
                auto *edit = page->Item<QLineEdit>(row.editIds[0]);
                QVERIFY(edit && edit->isVisible());
                rights.insert(edit->mapTo(page, QPoint(edit->width(), 0)).x());
                ++boxes;
            }
        QVERIFY(boxes > 10);
        QCOMPARE(rights.size(), 1);
    }
};

int main(int argc, char **argv)
{
    return RunWidgetTest<TestPageLayout>(argc, argv);
}

#include "test_page_layout.moc"
