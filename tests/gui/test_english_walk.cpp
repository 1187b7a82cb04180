// With English chosen, every page of the window, every dialog and the charts
// window shows no Chinese text: a text that escaped tr() (or a translation
// that is missing) is listed with the page and widget that shows it. The
// language picker names Chinese in Chinese on purpose and is left out.
#include "app/dialogs/aboutdialog.h"
#include "app/dialogs/changepassworddialog.h"
#include "app/dialogs/firmwareupgradedialog.h"
#include "app/dialogs/packchartwindow.h"
#include "app/dialogs/profilecomparedialog.h"
#include "app/dialogs/resistanceentrydialog.h"
#include "app/dialogs/sendfiledialog.h"
#include "app/dialogs/verifypassworddialog.h"
#include "app/dialogs/ymodemupgradedialog.h"
#include "app/framework/internalmodegate.h"
#include "app/framework/pagebase.h"
#include "app/mainwindow.h"
#include "app/pages/packchartfeed.h"
#include "app/pagesheet.h"
#include "files/paramexchange.h"
#include "files/profilefile.h"
#include "lang/language.h"
#include "link/portdiscovery.h"

#include "gui/text_walk.h"
#include "gui/widget_test_main.h"
#include <QLineEdit>
#include <QtTest>

#include <array>
#include <memory>

namespace {

const QSize kSmallestWindow(1024, 700);

// The widgets of page that draw something of their own (not containers).
QList<QWidget *> Leaves(QWidget *page)
{
    QList<QWidget *> leaves;
    for (QWidget *w : page->findChildren<QWidget *>()) {
        if (!w->isVisibleTo(page) || w->size().isEmpty())
            continue;
        if (qobject_cast<QLabel *>(w) || qobject_cast<QAbstractButton *>(w) || qobject_cast<QComboBox *>(w) ||
            qobject_cast<QLineEdit *>(w) || qobject_cast<QAbstractItemView *>(w))
            leaves.append(w);
    }
    return leaves;
}

// Texts cut off (needed width above the given one) and widgets of the page
// that overlap, one line each.
QStringList LayoutFaults(QWidget *page)
{
    QStringList faults;
    const QList<QWidget *> leaves = Leaves(page);
    for (QWidget *w : leaves) {
        int needed = 0;
        QString text;
        if (auto *l = qobject_cast<QLabel *>(w); l && !l->wordWrap() && l->pixmap().isNull()) {
            text = l->text();
            needed = l->sizeHint().width();
        } else if (auto *b = qobject_cast<QAbstractButton *>(w); b && !b->text().isEmpty()) {
            text = b->text();
            needed = b->minimumSizeHint().width();
            if (qobject_cast<QCheckBox *>(w) || qobject_cast<QRadioButton *>(w))
                needed = b->sizeHint().width();
        }
        if (!text.isEmpty() && needed > w->width())
            faults << QStringLiteral("cut: \"%1\" needs %2 px, has %3").arg(text).arg(needed).arg(w->width());
    }
    for (int i = 0; i < leaves.size(); ++i) {
        const QRect a(leaves[i]->mapTo(page, QPoint()), leaves[i]->size());
        for (int j = i + 1; j < leaves.size(); ++j) {
            if (leaves[i]->isAncestorOf(leaves[j]) || leaves[j]->isAncestorOf(leaves[i]))
                continue;
            const QRect b(leaves[j]->mapTo(page, QPoint()), leaves[j]->size());
            if (a.intersects(b))
                faults << QStringLiteral("overlap: %1 \"%2\" and %3 \"%4\"")
                              .arg(QLatin1String(leaves[i]->metaObject()->className()),
                                   leaves[i]->property("text").toString(),
                                   QLatin1String(leaves[j]->metaObject()->className()),
                                   leaves[j]->property("text").toString());
        }
    }
    return faults;
}

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

    void layoutFitsAtTheSmallestSize_data()
    {
        QTest::addColumn<bool>("english");
        QTest::newRow("zh") << false;
        QTest::newRow("en") << true;
    }
    void layoutFitsAtTheSmallestSize()
    {
        QFETCH(bool, english);
        lang::Install(english ? lang::Language::English : lang::Language::Chinese);
        MainWindow window;
        window.Gate().SetVerified(true); // the internal pages too
        window.show();
        window.resize(kSmallestWindow.expandedTo(window.minimumSizeHint()));
        QStringList faults;
        for (PageBase *page : window.findChildren<PageBase *>()) {
            if (!window.Sheet()->SetActivePage(page))
                continue;
            QCoreApplication::processEvents();
            for (const QString &f : LayoutFaults(page))
                faults << QString::fromLatin1(page->metaObject()->className()) + QLatin1String(": ") + f;
        }
        for (const QString &f : faults)
            qWarning().noquote() << f;
        QVERIFY2(faults.isEmpty(), qPrintable(QStringLiteral("%1 layout faults").arg(faults.size())));
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
        // A threshold profile compared while the board gave no answer, in
        // both forms: the rows, the verdicts and the notices in English.
        Profile profile;
        QString problem;
        QVERIFY2(ParseProfile(R"({"pylvexctl_profile": 1, "board": "secondary", "sn": "SN-OF-THE-FILE",
                                  "params": {"cell_ov_alarm_mv": 3650, "temp_probe_count": 4}})",
                              &profile, &problem),
                 qPrintable(problem));
        ParamExchange reads;
        reads.AddIdentity();
        for (const ProfileEntry &entry : profile.entries)
            reads.AddRead(*entry.key);
        while (!reads.Finished())
            reads.OnNoAnswer(QCoreApplication::translate("ProfileRunner", "板卡无应答")); // as the runner says it
        const QStringList notices = ProfileNotices(profile, false, QStringLiteral("SN-OF-THE-BOARD"));
        for (bool applying : {false, true}) {
            ProfileCompareDialog compare(*window.Host(), QStringLiteral("profile.json"), profile, reads, notices,
                                         applying, &window);
            Collect(&compare);
        }
        QVERIFY2(m_found.isEmpty(),
                 qPrintable(QStringLiteral("%1 Chinese texts in the English dialogs").arg(m_found.size())));
    }
};

int main(int argc, char **argv)
{
    return RunWidgetTest<TestEnglishWalk>(argc, argv, [] { SetPortListSource([] { return QStringList(); }); });
}

#include "test_english_walk.moc"
