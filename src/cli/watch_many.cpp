// watch: the live state again and again until interrupted, as JSON lines,
// short text lines or CSV rows, and published to an MQTT broker when asked.
// Every port has a thread of its own, so a silent or lost board never delays
// the others; this thread waits for the signal or an error that ends watch.
#include "cli/commands.h"
#include "cli/interrupts.h"
#include "cli/watch_board.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QThread>

#include <future>
#include <memory>
#include <vector>

namespace {

// The session settings of every port; false with the message on standard error.
bool ResolvePorts(const CliRequest &request, std::vector<SessionSettings> *out)
{
    const QStringList ports = request.ports.isEmpty() ? QStringList{request.common.port} : request.ports;
    for (const QString &port : ports) {
        CommonOptions options = request.common;
        options.port = port;
        SessionSettings settings;
        QString error;
        if (!ResolveSession(options, &settings, &error)) {
            PrintErr(error);
            return false;
        }
        out->push_back(settings);
    }
    return true;
}

// With several ports, --csv names a folder; it is made when missing.
bool PrepareCsvFolder(const CliRequest &request)
{
    if (request.ports.size() < 2 || request.csvPath.isEmpty())
        return true;
    const QFileInfo folder(request.csvPath);
    if ((folder.exists() && !folder.isDir()) || !QDir().mkpath(request.csvPath)) {
        PrintErr(CliText::tr("--csv 需要一个文件夹（多个串口时每块板卡写一个文件）：无法使用 %1").arg(request.csvPath));
        return false;
    }
    return true;
}

} // namespace

int RunWatch(const CliRequest &request)
{
    InterruptWatch::Install();
    std::vector<SessionSettings> sessions;
    if (!ResolvePorts(request, &sessions) || !PrepareCsvFolder(request))
        return kExitUsage;

    WatchShared shared(request);
    std::vector<std::unique_ptr<QThread>> threads;
    std::vector<std::future<bool>> opened;
    for (const SessionSettings &settings : sessions) {
        auto first = std::make_shared<std::promise<bool>>();
        opened.push_back(first->get_future());
        threads.emplace_back(QThread::create([&shared, settings, first] {
            BoardWatch board(shared, settings);
            QString error;
            const bool open = board.Open(&error);
            if (!open)
                PrintErr(shared.Several() ? CliText::tr("%1：%2").arg(settings.device, error) : error);
            first->set_value(open);
            board.Run();
        }));
        threads.back()->start();
    }
    int open = 0;
    for (std::future<bool> &f : opened)
        open += f.get() ? 1 : 0;
    if (open == 0) {
        // No port could be opened: nothing to watch.
        InterruptWatch::Raise();
        for (auto &t : threads)
            t->wait();
        return kExitLink;
    }

    QEventLoop loop;
    QObject::connect(&InterruptWatch::Install(), &InterruptWatch::Raised, &loop, &QEventLoop::quit);
    if (!InterruptWatch::Interrupted())
        loop.exec();
    for (auto &t : threads)
        t->wait();
    if (shared.Failed()) {
        PrintErr(shared.FailText());
        return kExitLink;
    }
    return kExitOk;
}
