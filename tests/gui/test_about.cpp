// The window icon and the About box: the version, the folder the logs, recordings and crash files
// go to (the user's data folder), the settings file, and the button that
// opens that folder.
#include "app/dialogs/aboutdialog.h"
#include "app/framework/msgbox.h"
#include "app/mainwindow.h"
#include "app/pylvexapp.h"
#include "files/logfiles.h"
#include "link/portdiscovery.h"

#include "gui/widget_test_main.h"
#include <QDesktopServices>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

// Receives the URLs the program asks the desktop to open.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void Open(const QUrl &url) { opened << url; }
};

class TestAbout : public QObject {
    Q_OBJECT
private slots:
    // The window carries the program's icon (the desktop entry names the same one).
    void windowHasTheProgramIcon()
    {
        MainWindow dlg;
        QVERIFY(!dlg.windowIcon().isNull());
        QCOMPARE(dlg.windowIcon().pixmap(32).toImage().convertToFormat(QImage::Format_ARGB32),
                 QIcon(QStringLiteral(":/pylvex.png")).pixmap(32).toImage().convertToFormat(QImage::Format_ARGB32));
        QCOMPARE(QGuiApplication::desktopFileName(), QStringLiteral("pylvex"));
    }

    void showsTheDataFolderAndOpensIt()
    {
        const QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
        QVERIFY(!dataHome.isEmpty());
        const QString folder = dataHome + QStringLiteral("/Oramek/Pylvex/Log");
        QCOMPARE(LogFolder(), folder);

        MainWindow dlg;
        QStringList texts;
        QString openText; // read inside the hook: the dialog is gone once it returns
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "Open");
        MsgBoxRecorder boxes;
        SetModalHook([&](QDialog *d) {
            for (QLabel *label : d->findChildren<QLabel *>())
                texts << label->text();
            auto *about = qobject_cast<AboutDialog *>(d);
            QPushButton *open = about ? about->OpenFolderButton() : nullptr;
            if (open) {
                openText = open->text();
                QDir(folder).removeRecursively(); // opening makes it again
                open->click();
            }
            return 1;
        });
        dlg.show();
        QVERIFY(QTest::qWaitForWindowActive(&dlg));
        QTest::keyClick(&dlg, Qt::Key_F1);
        SetModalHook(nullptr);
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));

        QCOMPARE(openText, QStringLiteral("打开文件夹"));
        QCOMPARE(texts.value(0), QStringLiteral("Pylvex Tools v1.0.1.0"));
        const QString all = texts.join(QLatin1Char('\n'));
        QVERIFY2(all.contains(folder), qPrintable(all));
        QVERIFY2(all.contains(SettingsFilePath()), qPrintable(all));
        QCOMPARE(catcher.opened, QList<QUrl>{QUrl::fromLocalFile(folder)});
        QVERIFY(QFileInfo(folder).isDir());
        QCOMPARE(boxes.Count(), 0);
    }
};

int main(int argc, char **argv)
{
    return RunWidgetTest<TestAbout>(argc, argv, [] { SetPortListSource([] { return QStringList(); }); });
}

#include "test_about.moc"
