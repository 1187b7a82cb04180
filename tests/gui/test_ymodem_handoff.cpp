// The YModem hand-off of the main window: the port thread posts its signals
// only to the window, which forwards them to the registered receiver through
// a guarded pointer. A receiver closed while signals keep arriving from
// another thread is forgotten at once, and the port cuts frames again.
#include "app/framework/pagehost.h"
#include "app/mainwindow.h"
#include "app/pylvexapp.h"
#include "link/linksettings.h"
#include "link/portdiscovery.h"
#include "link/winmsg.h"

#include "gui/widget_test_main.h"

#include <atomic>
#include <thread>
#include <vector>

namespace {
// Stands for the upgrade dialog: records the signals it is handed.
class SignalCounter : public QObject {
public:
    std::vector<std::intptr_t> received;

protected:
    bool event(QEvent *event) override
    {
        if (static_cast<int>(event->type()) == WM_YMODEM_SIGNAL) {
            received.push_back(static_cast<WinMsgEvent *>(event)->wParam());
            return true;
        }
        return QObject::event(event);
    }
};
} // namespace

class TestYModemHandoff : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        SetPortListSource([] { return QStringList(); });
    }

    void signalsReachTheRegisteredReceiver()
    {
        MainWindow dlg;
        SignalCounter receiver;
        dlg.Host()->SetYModemReceiver(&receiver);
        QCOMPARE(dlg.YModemReceiver(), &receiver);
        QVERIFY(GlobalLinkSettings().ymodemActive.load()); // the port cuts no frames
        for (int signal : {1, 2, 3, 4})
            PostMsg(&dlg, WM_YMODEM_SIGNAL, signal);
        QCoreApplication::sendPostedEvents(&dlg);
        QCoreApplication::sendPostedEvents(&receiver);
        QCOMPARE(receiver.received, (std::vector<std::intptr_t>{1, 2, 3, 4}));
        dlg.Host()->SetYModemReceiver(nullptr);
        QVERIFY(!GlobalLinkSettings().ymodemActive.load());
        PostMsg(&dlg, WM_YMODEM_SIGNAL, 1);
        QCoreApplication::sendPostedEvents();
        QCOMPARE(receiver.received.size(), std::size_t(4));
    }

    void receiverClosedWhileSignalsArrive()
    {
        MainWindow dlg;
        auto *receiver = new SignalCounter;
        dlg.Host()->SetYModemReceiver(receiver);
        // The port thread's part: a stream of signals posted to the window.
        std::atomic<bool> stop{false};
        std::atomic<int> posted{0};
        std::thread port([&] {
            while (!stop.load() && posted.load() < 200000) {
                PostMsg(&dlg, WM_YMODEM_SIGNAL, 1);
                ++posted;
                if (posted.load() % 64 == 0)
                    std::this_thread::yield();
            }
        });
        QTRY_VERIFY_WITH_TIMEOUT(receiver->received.size() > 100, 5000);
        // Closed with signals for it in the window's queue and in its own.
        delete receiver;
        receiver = nullptr;
        QCOMPARE(dlg.YModemReceiver(), nullptr);
        QVERIFY(!GlobalLinkSettings().ymodemActive.load());
        for (int i = 0; i < 50; ++i)
            QCoreApplication::processEvents();
        stop = true;
        port.join();
        QCoreApplication::sendPostedEvents();
        QCOMPARE(dlg.YModemReceiver(), nullptr);
        QVERIFY(!GlobalLinkSettings().ymodemActive.load());
        // A new receiver takes only what comes after its registration.
        SignalCounter next;
        dlg.Host()->SetYModemReceiver(&next);
        PostMsg(&dlg, WM_YMODEM_SIGNAL, 3);
        QCoreApplication::sendPostedEvents(&dlg);
        QCoreApplication::sendPostedEvents(&next);
        QCOMPARE(next.received, std::vector<std::intptr_t>{3});
        dlg.Host()->SetYModemReceiver(nullptr);
    }
};

int main(int argc, char **argv)
{
    return RunWidgetTest<TestYModemHandoff>(argc, argv);
}

#include "test_ymodem_handoff.moc"
