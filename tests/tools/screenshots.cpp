// Pictures of the window for the documentation: the live status page, the
// customer control page and the alarm page, at the smallest window size the
// tool is made for, on the built-in simulated board, in the language given.
//   pylvex_screenshots OUTPUT_FOLDER [en|zh]
// Runs with a throw-away profile; scripts/screenshots.sh builds and runs it.
#include "app/framework/internalmodegate.h"
#include "app/framework/pagebase.h"
#include "app/mainwindow.h"
#include "app/pages/alarmprotectionpage.h"
#include "app/pages/customercontrolpage.h"
#include "app/pages/livestatuspage.h"
#include "app/pagesheet.h"
#include "app/pylvexapp.h"
#include "app/startup/commandline.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QDir>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

namespace {

const QSize kSmallestWindow(1024, 700);

void ClickButton(QWidget *page, int id)
{
    if (auto *registry = dynamic_cast<CtrlRegistry *>(page))
        if (auto *button = qobject_cast<QAbstractButton *>(registry->GetDlgItem(id)))
            button->click();
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER [en|zh]\n", argv[0]);
        return 2;
    }
    QTemporaryDir profile;
    qputenv("XDG_CONFIG_HOME", profile.path().toLocal8Bit());
    qputenv("XDG_DATA_HOME", profile.path().toLocal8Bit());
    qputenv("PYLVEX_INSTANCE_NAME",
            QByteArray("pylvex-screenshots-") + QByteArray::number(QCoreApplication::applicationPid()));
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, profile.path());
    PylvexApp app(argc, argv);
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const QString language = argc > 2 ? QString::fromLatin1(argv[2]) : QStringLiteral("en");
    QDir().mkpath(folder);

    StartupOptions options;
    options.demo = true;
    options.language = language;
    if (!app.StartUp(options))
        return 1;
    MainWindow *window = app.GetMainDlg();
    window->Gate().SetVerified(true); // the alarm page is an internal page
    window->resize(kSmallestWindow);
    const struct {
        PageBase *page;
        const char *name;
    } shots[] = {{window->Page<LiveStatusPage>(), "live-status"},
                 {window->Page<CustomerControlPage>(), "customer-control"},
                 {window->Page<AlarmProtectionPage>(), "alarm-protection"}};
    int failures = 0;
    for (const auto &shot : shots) {
        PageBase *page = shot.page;
        if (!page || !window->Sheet()->SetActivePage(page)) {
            std::fprintf(stderr, "page %s could not be shown\n", shot.name);
            ++failures;
            continue;
        }
        ClickButton(page, IDC_SELECT_ALL);
        ClickButton(page, IDC_READ);
        QTest::qWait(4000); // the simulated board answers the reads
        const QString path = QDir(folder).filePath(QStringLiteral("%1-%2.png").arg(QLatin1String(shot.name), language));
        if (!window->grab().save(path)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            ++failures;
        } else {
            std::printf("%s\n", qPrintable(path));
        }
    }
    app.ShutDown();
    return failures ? 1 : 0;
}
