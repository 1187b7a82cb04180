// The terminal page as a TCP server under a flood: rounds of 200 clients
// that connect at once, each send their share of 3.9 MB and leave, ten rounds
// (ten times the flood a soak found), hex display. Prints the resident
// memory beside its floor (the same page listening, before any client), after
// every round, when the flood has ended and a while later; the display's
// characters and lines; the bytes counted against the bytes sent.
// Run: bench_terminal_flood [rounds, default 10] [clients, default 200]
#include "app/pages/terminalnetpanel.h"
#include "app/pages/terminalpage.h"
#include "app/pylvexapp.h"
#include "bench/bench_process.h"
#include "common/fakehost.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTcpServer>
#include <QTimer>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {
constexpr qint64 kFloodBytes = 3900000;

// One round on a thread of its own: `clients` sockets connect, each sends
// `share` bytes of text and closes. Returns the bytes sent.
qint64 FloodRound(quint16 port, int clients, qint64 share)
{
    std::vector<int> fds;
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    for (int i = 0; i < clients; ++i) {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        if (fd < 0)
            break;
        if (::connect(fd, reinterpret_cast<const sockaddr *>(&to), sizeof to) != 0) {
            ::close(fd);
            break;
        }
        fds.push_back(fd);
    }
    std::string chunk(4096, 'x');
    for (std::size_t i = 0; i < chunk.size(); i += 64)
        chunk[i] = '\n';
    qint64 sent = 0;
    for (int fd : fds) {
        for (qint64 left = share; left > 0;) {
            const ssize_t n = ::write(fd, chunk.data(), static_cast<std::size_t>(std::min<qint64>(left, 4096)));
            if (n <= 0)
                break;
            left -= n;
            sent += n;
        }
    }
    for (int fd : fds)
        ::close(fd);
    return sent;
}
} // namespace

int main(int argc, char **argv)
{
    PylvexApp app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    const int clients = argc > 2 ? std::max(1, std::atoi(argv[2])) : 200;
    FakeHost host;
    auto *page = host.AddPage(new TerminalPage(&host));
    page->resize(1000, 700);
    page->show();
    page->Item<QTabWidget>(IDC_TERM_TAB)->setCurrentIndex(1);
    TerminalNetPanel *net = page->Net();
    net->Item<QComboBox>(IDC_NET_PROTOCOL)->setCurrentIndex(TerminalNetPanel::TCP_SERVER);
    quint16 freePort = 0;
    {
        QTcpServer probe;
        if (probe.listen(QHostAddress::AnyIPv4, 0))
            freePort = probe.serverPort();
    }
    net->SetDlgItemText(IDC_NET_LOCAL_PORT, QString::number(freePort));
    net->OnBtnClickStart();
    WaitFor(200);
    const quint16 port = net->Server().LocalPort();
    if (!net->Server().IsListening() || port == 0) {
        std::printf("the server did not start listening\n");
        return 1;
    }
    WaitFor(500);
    const long floor = ResidentKiB();
    std::printf("terminal page as a TCP server on port %u: %d rounds of %d clients, %.1f MB a round, hex display\n",
                port, rounds, clients, kFloodBytes / 1e6);
    std::printf("floor (listening, no client yet): %ld KiB\n", floor);
    qint64 sent = 0;
    QElapsedTimer wall;
    wall.start();
    auto received = [&] { return page->RxTotal(); };
    for (int r = 0; r < rounds; ++r) {
        std::atomic<bool> done{false};
        qint64 roundSent = 0;
        std::thread flood([&] {
            roundSent = FloodRound(port, clients, kFloodBytes / clients);
            done = true;
        });
        WaitFor(120000, [&] { return done.load(); });
        flood.join();
        sent += roundSent;
        WaitFor(30000, [&] { return received() >= sent && net->Server().Clients().isEmpty(); });
        WaitFor(300); // a refresh of the display
        std::printf("after round %2d: resident %ld KiB (+%ld over the floor), display %d characters in %d lines\n",
                    r + 1, ResidentKiB(), ResidentKiB() - floor, page->Display()->document()->characterCount(),
                    page->Display()->blockCount());
    }
    std::printf("flood over in %.1f s: %lld bytes sent, %lld counted\n", wall.elapsed() / 1000.0,
                static_cast<long long>(sent), static_cast<long long>(received()));
    WaitFor(5000);
    std::printf("5 s later: resident %ld KiB (+%ld over the floor)\n", ResidentKiB(), ResidentKiB() - floor);
    page->ClickDlgButton(IDC_TERM_CLEAR_RX);
    WaitFor(1000);
    std::printf("display cleared: resident %ld KiB (+%ld over the floor)\n", ResidentKiB(), ResidentKiB() - floor);
    return 0;
}
