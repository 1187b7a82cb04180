// The main window and the keyboard: Esc and Enter never close it (whatever has
// the focus), the close box still does, and keyboard navigation through the
// tabs goes past the internal pages that refuse to open while locked.
#include "app/framework/msgbox.h"
#include "app/framework/pagebase.h"
#include "app/mainwindow.h"
#include "app/pagesheet.h"
#include "app/pylvexapp.h"
#include "link/portdiscovery.h"

#include "gui/widget_test_main.h"
#include <QLineEdit>
#include <QTabBar>
#include <QtTest>

#include <memory>

namespace {

struct NavKey {
    const char *name;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    bool onTabBar; // the key is meant for the focused tab bar
    int step;      // +1 forward, -1 backward
};

constexpr NavKey kNavKeys[] = {
    {"Ctrl+Tab", Qt::Key_Tab, Qt::ControlModifier, false, +1},
    {"Ctrl+Shift+Tab", Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier, false, -1},
    {"Ctrl+PgDown", Qt::Key_PageDown, Qt::ControlModifier, false, +1},
    {"Ctrl+PgUp", Qt::Key_PageUp, Qt::ControlModifier, false, -1},
    {"Right", Qt::Key_Right, Qt::NoModifier, true, +1},
    {"Left", Qt::Key_Left, Qt::NoModifier, true, -1},
};

} // namespace

class TestMainWindowKeys : public QObject {
    Q_OBJECT
    std::unique_ptr<MainWindow> m_dlg;

    PageSheet *Sheet() { return m_dlg->Sheet(); }
    // The first line edit of the active page that takes the keyboard.
    QLineEdit *PageEdit()
    {
        for (QLineEdit *edit : Sheet()->currentWidget()->findChildren<QLineEdit *>())
            if (edit->isVisible() && edit->isEnabled() && edit->focusPolicy() != Qt::NoFocus)
                return edit;
        return nullptr;
    }
    // Pages in tab order that open now (ordinary pages while the internal mode is locked).
    QList<QWidget *> OpenablePages()
    {
        QList<QWidget *> pages;
        for (int i = 0; i < Sheet()->count(); ++i)
            if (!Sheet()->PageAt(i)->IsInnerPage())
                pages << Sheet()->widget(i);
        return pages;
    }
    void Press(const NavKey &k)
    {
        QWidget *target = QApplication::focusWidget();
        QVERIFY(target);
        QTest::keyClick(target, k.key, k.modifiers);
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(m_dlg.get());
    }

private slots:
    void init()
    {
        m_dlg = std::make_unique<MainWindow>();
        m_dlg->show();
        QVERIFY(QTest::qWaitForWindowActive(m_dlg.get()));
        QCOMPARE(m_dlg->Gate().IsVerified(), false);
        Sheet()->setCurrentIndex(0);
    }
    void cleanup() { m_dlg.reset(); }

    void escapeAndEnterKeepTheWindow_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("inEdit");
        QTest::newRow("Esc in an edit box") << int(Qt::Key_Escape) << int(Qt::NoModifier) << true;
        QTest::newRow("Enter in an edit box") << int(Qt::Key_Return) << int(Qt::NoModifier) << true;
        QTest::newRow("keypad Enter in an edit box") << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << true;
        QTest::newRow("Esc on the tabs") << int(Qt::Key_Escape) << int(Qt::NoModifier) << false;
        QTest::newRow("Enter on the tabs") << int(Qt::Key_Return) << int(Qt::NoModifier) << false;
    }
    void escapeAndEnterKeepTheWindow()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(bool, inEdit);
        MsgBoxRecorder boxes;
        QWidget *target = Sheet()->tabBar();
        if (inEdit) {
            QLineEdit *edit = PageEdit();
            QVERIFY(edit);
            edit->setFocus();
            target = edit;
        } else {
            target->setFocus();
        }
        QTRY_COMPARE(QApplication::focusWidget(), target);
        QTest::keyClick(target, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCoreApplication::processEvents();
        QVERIFY(m_dlg->isVisible());
        QCOMPARE(m_dlg->result(), int(QDialog::Rejected)); // never finished
        QCOMPARE(boxes.Count(), 0);                        // and no button pressed for it
        QCOMPARE(QApplication::focusWidget(), target);
    }

    void closeBoxStillCloses()
    {
        QVERIFY(m_dlg->close());
        QVERIFY(!m_dlg->isVisible());
    }

    // From the first page, each key walks every page that opens, in order, and
    // none that refuses; no password request is left behind by the walk.
    void keyboardGoesPastLockedTabs_data()
    {
        QTest::addColumn<int>("index");
        for (int i = 0; i < int(std::size(kNavKeys)); ++i)
            QTest::newRow(kNavKeys[i].name) << i;
    }
    void keyboardGoesPastLockedTabs()
    {
        QFETCH(int, index);
        const NavKey &k = kNavKeys[index];
        const QList<QWidget *> expected = OpenablePages();
        bool anyLocked = expected.size() < Sheet()->count();
        QVERIFY2(anyLocked, "the sheet has no internal page to go past");
        QVERIFY(expected.size() >= 2);

        int start = k.step > 0 ? 0 : Sheet()->indexOf(expected.last());
        Sheet()->setCurrentIndex(start);
        QCOMPARE(Sheet()->currentIndex(), start);
        QList<QWidget *> visited{Sheet()->currentWidget()};
        for (int n = 1; n < expected.size(); ++n) {
            if (k.onTabBar)
                Sheet()->tabBar()->setFocus();
            else if (QLineEdit *edit = PageEdit())
                edit->setFocus();
            else
                Sheet()->setFocus();
            QTRY_VERIFY(QApplication::focusWidget() != nullptr);
            Press(k);
            visited << Sheet()->currentWidget();
        }
        QList<QWidget *> want = expected;
        if (k.step < 0)
            std::reverse(want.begin(), want.end());
        QCOMPARE(visited, want);
        QCOMPARE(m_dlg->Gate().PendingPage(), nullptr);
        QCoreApplication::processEvents();
        QCOMPARE(Sheet()->currentWidget(), want.last());
    }

    // A click on a locked tab is still refused and not passed on to another page.
    void clickOnLockedTabIsRefused()
    {
        int locked = -1;
        for (int i = 0; i < Sheet()->count() && locked < 0; ++i)
            if (Sheet()->PageAt(i)->IsInnerPage())
                locked = i;
        QVERIFY(locked > 0);
        QWidget *before = Sheet()->currentWidget();
        QTest::mouseClick(Sheet()->tabBar(), Qt::LeftButton, Qt::NoModifier,
                          Sheet()->tabBar()->tabRect(locked).center());
        QCOMPARE(Sheet()->currentWidget(), before);
        QCOMPARE(m_dlg->Gate().PendingPage(), Sheet()->widget(locked));
        m_dlg->Gate().ClearPending();
    }
};

int main(int argc, char **argv)
{
    // The machine's own ports stay untouched.
    return RunWidgetTest<TestMainWindowKeys>(argc, argv, [] { SetPortListSource([] { return QStringList(); }); });
}

#include "test_mainwindow_keys.moc"
