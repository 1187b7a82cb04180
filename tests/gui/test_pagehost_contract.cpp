// What a page may rely on from its host, checked on both hosts: the main
// window's and the one the page tests use, so the tests' host cannot drift
// from the real one. Pages registered in order and found by type, their routes
// in force, the parameter store, the command interval, the system log and its
// gates, the internal pages' gate, and holding the line.
#include "app/framework/pagehost.h"
#include "app/framework/parameterstore.h"
#include "app/logmodel.h"
#include "app/mainwindow.h"
#include "app/pagesheet.h"
#include "app/pylvexapp.h"
#include "common/fakehost.h"
#include "gui/test_pages.h"
#include "link/linksettings.h"
#include "link/portdiscovery.h"

#include "gui/widget_test_main.h"
#include <QtTest>

#include <functional>
#include <memory>

namespace {
// A page of its own kind, so that it joins the pages instead of standing in for one.
class ContractPage : public TestPage {
    Q_OBJECT
public:
    explicit ContractPage(PageHost *host) : TestPage(host, "ContractPage", QStringLiteral("约定页")) {}
};

struct HostUnderTest {
    PageHost *host;
    std::function<void(PageBase *)> add; // adds a page to the host's sheet
};

void CheckPages(const HostUnderTest &h)
{
    const std::size_t before = h.host->Pages().PageCount();
    auto *page = new ContractPage(h.host);
    page->routes = {ValueRoute(0x82, 0xFA, VT_UI2, 3, 2001)};
    h.add(page);
    QCOMPARE(h.host->Pages().PageCount(), before + 1);
    QCOMPARE(h.host->Pages().Page(before), page);
    QCOMPARE(h.host->FindPage<ContractPage>(), page);
    const std::span<const RxRoute> routes = h.host->Pages().RoutesFor(0x82, 0xFA);
    QCOMPARE(routes.size(), std::size_t(1));
    QCOMPARE(h.host->Pages().Page(routes[0].page), page);
    QVERIFY(h.host->ShowPage(page));
    QCOMPARE(h.host->ActivePage(), page);
}

void CheckParameters(const HostUnderTest &h)
{
    ParameterStore &store = h.host->Parameters();
    store.Set(ParamId::CellOvAlarm, 3650);
    QCOMPARE(h.host->Parameters().Value(ParamId::CellOvAlarm).value_or(0), 3650.0);
    store.Forget(ParamId::CellOvAlarm);
    QVERIFY(!h.host->Parameters().Value(ParamId::CellOvAlarm));
}

void CheckInterval(const HostUnderTest &h)
{
    SetCommandInterval(300);
    QCOMPARE(h.host->CommandInterval(), 300);
    {
        ScopedCommandInterval run(10);
        QCOMPARE(h.host->CommandInterval(), 10);
    }
    QCOMPARE(h.host->CommandInterval(), 300);
    SetCommandInterval(400);
}

void CheckLog(const HostUnderTest &h)
{
    LogModel *rows = h.host->LogRows();
    QVERIFY(rows);
    rows->ClearRows();
    h.host->SetLogGate(6, true);
    QVERIFY(h.host->LogGate(6));
    h.host->WriteLog(6, QStringLiteral("约定"), QStringLiteral("写入"));
    QCOMPARE(rows->rowCount(), 1);
    QCOMPARE(rows->Row(0).title, QStringLiteral("约定"));
    QCOMPARE(rows->Row(0).text, QStringLiteral("写入"));
    h.host->SetLogGate(6, false);
    QVERIFY(!h.host->LogGate(6));
    h.host->WriteLog(6, QStringLiteral("约定"), QStringLiteral("不写"));
    QCOMPARE(rows->rowCount(), 1);
    h.host->SetLogGate(6, true);
}

void CheckGateAndLine(const HostUnderTest &h)
{
    auto *asker = new ContractPage(h.host);
    h.add(asker);
    h.host->Gate().SetPasswordPage(asker);
    QCOMPARE(h.host->Gate().PasswordPage(), asker);
    QVERIFY(!h.host->LineHeld());
    {
        QObject holder;
        h.host->HoldLine(&holder);
        QVERIFY(h.host->LineHeld());
    }
    QVERIFY(!h.host->LineHeld()); // a holder that is gone lets go
    auto receiver = std::make_unique<QObject>();
    h.host->SetYModemReceiver(receiver.get());
    QVERIFY(h.host->LineHeld());
    h.host->SetYModemReceiver(nullptr);
    QVERIFY(!h.host->LineHeld());
}

void CheckAll(const HostUnderTest &h)
{
    CheckPages(h);
    CheckParameters(h);
    CheckInterval(h);
    CheckLog(h);
    CheckGateAndLine(h);
}
} // namespace

class TestPageHostContract : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        SetPortListSource([] { return QStringList(); });
    }

    void theWindowsHost()
    {
        MainWindow dlg;
        dlg.Gate().SetVerified(true);
        CheckAll({dlg.Host(), [&dlg](PageBase *page) { dlg.Sheet()->AddPage(page); }});
    }

    void theTestsHost()
    {
        FakeHost host;
        host.Gate().SetVerified(true);
        CheckAll({&host, [&host](PageBase *page) { host.AddPage(page); }});
    }
};

int main(int argc, char **argv)
{
    return RunWidgetTest<TestPageHostContract>(argc, argv);
}

#include "test_pagehost_contract.moc"
