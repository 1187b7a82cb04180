// With English chosen, every page of the window, every dialog and the charts
// window shows no Chinese text: a text that escaped tr() (or a translation
// that is missing) is listed with the page and widget that shows it. The
// language picker names Chinese in Chinese on purpose and is left out.
#include "app/dialogs/aboutdialog.h"
#include "app/dialogs/changepassworddialog.h"
#include "app/dialogs/firmwareupgradedialog.h"
#include "app/dialogs/packchartwindow.h"
#include "app/dialogs/resistanceentrydialog.h"
#include "app/dialogs/sendfiledialog.h"
#include "app/dialogs/verifypassworddialog.h"
#include "app/dialogs/ymodemupgradedialog.h"
#include "app/framework/pagebase.h"
#include "app/mainwindow.h"
#include "app/pages/packchartfeed.h"
#include "app/pagesheet.h"
#include "lang/language.h"
#include "link/portdiscovery.h"

#include "gui/text_walk.h"
#include "gui/widget_test_main.h"
#include <QtTest>

#include <array>
#include <memory>

namespace {

// The Chinese texts that root shows, one line each.
QStringList ChineseTexts(const QWidget *root)
{
    QStringList found;
    for (const ShownText &t : ShownTexts(root)) {
        const QString name = t.widget->objectName();
        if (name == QLatin1String("languageList") || name == QLatin1String("languageLabel"))
            continue;
        if (HasChinese(t.text))
            found << Describe(t);
    }
    return found;
}

} // namespace

class TestEnglishWalk : public QObject {
    Q_OBJECT
    QStringList m_found;

    void Collect(const QWidget *root) { m_found << ChineseTexts(root); }

private slots:
    void init()
    {
        lang::Install(lang::Language::English);
        m_found.clear();
    }
    void cleanup()
    {
        m_found.removeDuplicates();
        for (const QString &line : m_found)
            qWarning().noquote() << "Chinese text:" << line;
        lang::Install(lang::Language::Chinese);
    }

    void everyPage()
    {
        MainWindow window;
        window.show();
        Collect(&window);
        // Every page, the internal ones included (built here, shown by their gate).
        for (PageBase *page : window.findChildren<PageBase *>())
            Collect(page);
        QVERIFY2(m_found.isEmpty(),
                 qPrintable(QStringLiteral("%1 Chinese texts in the English window").arg(m_found.size())));
    }

    void everyDialog()
    {
        MainWindow window;
        AboutDialog about(&window);
        Collect(&about);
        ChangePasswordDialog change(&window);
        Collect(&change);
        VerifyPasswordDialog verify(&window);
        Collect(&verify);
        FirmwareUpgradeDialog firmware(nullptr, QString(), &window);
        Collect(&firmware);
        YModemUpgradeDialog ymodem(nullptr, YModemTransport::Raw, QString(), &window);
        Collect(&ymodem);
        const std::array<std::int32_t, 14> values{};
        ResistanceEntryDialog resistance(1065, values, &window);
        Collect(&resistance);
        SendFileDialog send(nullptr, &window);
        Collect(&send);
        PackChartFeed feed;
        PackChartWindow charts(&feed, &window);
        Collect(&charts);
        QVERIFY2(m_found.isEmpty(),
                 qPrintable(QStringLiteral("%1 Chinese texts in the English dialogs").arg(m_found.size())));
    }
};

int main(int argc, char **argv)
{
    return RunWidgetTest<TestEnglishWalk>(argc, argv, [] { SetPortListSource([] { return QStringList(); }); });
}

#include "test_english_walk.moc"
