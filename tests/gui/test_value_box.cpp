// A value box narrower than the text it is given shows the text's beginning:
// an error answer on the thresholds page reads "ErrorCode: 0x05", not its tail.
#include "app/pages/wakethresholdpage.h"
#include "gui/page_fixture.h"
#include "link/portdiscovery.h"

#include "gui/widget_test_main.h"
#include <QLineEdit>
#include <QtTest>

class TestValueBox : public QObject, private PageFixture<WakeThresholdPage> {
    Q_OBJECT
private slots:
    void init() { QVERIFY(OpenPage()); }
    void cleanup() { ClosePage(); }

    void longTextShowsItsBeginning()
    {
        QVERIFY(ShowInFront());
        auto *edit = m_page->Item<QLineEdit>(1213); // short-circuit row's first box
        QVERIFY(edit);
        edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("Error")) + 8);
        QCoreApplication::processEvents();
        m_h->Respond(0x82, 0xBA, {0x05});
        QCOMPARE(edit->text(), QStringLiteral("ErrorCode: 0x05"));
        QVERIFY(edit->fontMetrics().horizontalAdvance(edit->text()) > edit->width()); // it does not fit
        edit->grab();                                                                 // lays out the text as painted
        QCOMPARE(edit->cursorPosition(), 0);
        const int x = edit->inputMethodQuery(Qt::ImCursorRectangle).toRect().left();
        QVERIFY2(x < edit->width() / 2, qPrintable(QStringLiteral("cursor at x=%1 of %2").arg(x).arg(edit->width())));
    }
};

int main(int argc, char **argv)
{
    return RunWidgetTest<TestValueBox>(argc, argv, [] { SetPortListSource([] { return QStringList(); }); });
}

#include "test_value_box.moc"
