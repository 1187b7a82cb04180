// The language picker of the port bar: switching retranslates the open
// window at once (port bar, tab captions, row buttons, list headers), back
// and forth, and the choice is stored in the profile and taken at the next
// start. The start-up language: command line, then profile, then locale.
#include "app/mainwindow.h"
#include "app/pagesheet.h"
#include "app/retranslate.h"
#include "app/userprofile.h"
#include "lang/language.h"
#include "link/portdiscovery.h"

#include "gui/widget_test_main.h"
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QtTest>

namespace {

QStringList TabTexts(const PageSheet *sheet)
{
    QStringList texts;
    for (int i = 0; i < sheet->count(); ++i)
        texts << sheet->tabText(i);
    return texts;
}

QStringList ButtonTexts(const QWidget *window)
{
    QStringList texts;
    for (const QAbstractButton *b : window->findChildren<QAbstractButton *>())
        texts << b->text();
    return texts;
}

QStringList HeaderTexts(const QWidget *window)
{
    QStringList texts;
    for (const QTableView *view : window->findChildren<QTableView *>()) {
        const QAbstractItemModel *model = view->model();
        for (int c = 0; model && c < model->columnCount(); ++c)
            texts << model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
    }
    return texts;
}

void Choose(QWidget *window, lang::Language language)
{
    auto *picker = window->findChild<QComboBox *>(QStringLiteral("languageList"));
    QVERIFY(picker);
    const int index = picker->findData(lang::Code(language));
    QVERIFY(index >= 0);
    picker->setCurrentIndex(index);
    emit picker->activated(index);
}

} // namespace

class TestLanguage : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { lang::Install(lang::Language::Chinese); }

    void switchRetranslatesTheOpenWindow()
    {
        MainWindow window;
        window.show();
        QVERIFY(window.findChild<QLabel *>(QStringLiteral("languageLabel")));
        const QStringList tabs = TabTexts(window.Sheet());
        const QStringList buttons = ButtonTexts(&window);
        const QStringList headers = HeaderTexts(&window);
        QVERIFY(tabs.contains(QStringLiteral("客户使用-1")));
        QVERIFY(buttons.contains(QStringLiteral("打开串口")));
        QVERIFY(buttons.contains(QStringLiteral("读 取")));

        Choose(&window, lang::Language::English);
        QCOMPARE(lang::Current(), lang::Language::English);
        const QStringList englishTabs = TabTexts(window.Sheet());
        QVERIFY2(englishTabs.contains(QStringLiteral("Customer 1")), qPrintable(englishTabs.join(" | ")));
        QVERIFY(englishTabs.contains(QStringLiteral("System log")));
        const QStringList englishButtons = ButtonTexts(&window);
        QVERIFY(englishButtons.contains(QStringLiteral("Open port")));
        QVERIFY(englishButtons.contains(QStringLiteral("Read")));
        QVERIFY(!englishButtons.contains(QStringLiteral("打开串口")));
        // A text a page sets after the switch comes through tr() in English.
        QCOMPARE(MainWindow::tr("关闭串口"), QStringLiteral("Close port"));

        // Back to Chinese: every text as it was, headers included.
        Choose(&window, lang::Language::Chinese);
        QCOMPARE(TabTexts(window.Sheet()), tabs);
        QCOMPARE(ButtonTexts(&window), buttons);
        QCOMPARE(HeaderTexts(&window), headers);
        // And once more the other way: the remembered sources give the same English.
        Choose(&window, lang::Language::English);
        QCOMPARE(TabTexts(window.Sheet()), englishTabs);
        QCOMPARE(ButtonTexts(&window), englishButtons);
    }

    void choiceIsStoredAndTakenAtTheNextStart()
    {
        {
            MainWindow window;
            Choose(&window, lang::Language::English);
        }
        QCOMPARE(UserProfile().value(QStringLiteral("Window/Language")).toString(), QStringLiteral("en"));
        // The next start: the stored choice outranks the locale, --lang outranks both.
        qputenv("LANGUAGE", "zh_CN");
        qputenv("LC_ALL", "zh_CN.UTF-8");
        QCOMPARE(WindowLanguage(QString()), lang::Language::English);
        QCOMPARE(WindowLanguage(QStringLiteral("zh")), lang::Language::Chinese);
        lang::Install(WindowLanguage(QString()));
        MainWindow next;
        QVERIFY(ButtonTexts(&next).contains(QStringLiteral("Open port")));
        auto *picker = next.findChild<QComboBox *>(QStringLiteral("languageList"));
        QCOMPARE(picker->currentData().toString(), QStringLiteral("en"));

        // Without a stored choice the locale decides.
        UserProfile().remove(QStringLiteral("Window/Language"));
        QCOMPARE(WindowLanguage(QString()), lang::Language::Chinese);
        qputenv("LANGUAGE", "en");
        QCOMPARE(WindowLanguage(QString()), lang::Language::English);
        qunsetenv("LANGUAGE");
        qunsetenv("LC_ALL");
    }
};

int main(int argc, char **argv)
{
    return RunWidgetTest<TestLanguage>(argc, argv, [] { SetPortListSource([] { return QStringList(); }); });
}

#include "test_language.moc"
