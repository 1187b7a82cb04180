// The pictures compiled into the program: every one of them loads in a test
// program as it does in the window (the LED sprite with its transparent
// colour masked out, the log-level strip, the program icon).
#include "app/framework/ledlamp.h"

#include "gui/widget_test_main.h"
#include <QPixmap>
#include <QtTest>

class TestResources : public QObject {
    Q_OBJECT
private slots:
    void picturesLoad_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("led sprite") << QStringLiteral(":/led_sprite.png");
        QTest::newRow("log levels") << QStringLiteral(":/images/loglevels.png");
        QTest::newRow("program icon") << QStringLiteral(":/pylvex.png");
    }
    void picturesLoad()
    {
        QFETCH(QString, path);
        QPixmap pixmap(path);
        QVERIFY2(!pixmap.isNull(), qPrintable(path));
        QVERIFY(pixmap.width() >= 16 && pixmap.height() >= 16);
    }
    // The LED control's sprite is the loaded picture with its mask applied.
    void ledSpriteIsMasked()
    {
        const QPixmap &sprite = LedLamp::Sprite();
        QVERIFY(!sprite.isNull());
        QCOMPARE(sprite.size(), QPixmap(QStringLiteral(":/led_sprite.png")).size());
        QVERIFY(!sprite.mask().isNull());
    }
};

int main(int argc, char **argv)
{
    return RunWidgetTest<TestResources>(argc, argv);
}

#include "test_resources.moc"
