// pylvex-sim: the simulated board as a program. Without a device it opens a
// pseudo-terminal pair and prints the device the tool should open, alone on
// the first line of standard output.
#include "lang/language.h"
#include "sim/sim_options_parse.h"
#include "sim/sim_replay.h"
#include "sim/simhost.h"

#include <QCoreApplication>

#include <csignal>
#include <cstdio>
#include <ctime>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    lang::Install(lang::FromArguments(QCoreApplication::arguments()).value.value_or(lang::FromEnvironment()));
    SimCommandLine cmd = ParseSimCommandLine(QCoreApplication::arguments());
    if (cmd.help || cmd.version) {
        std::fputs((cmd.help ? cmd.helpText : cmd.versionText).toUtf8().constData(), stdout);
        return 0;
    }
    if (!cmd.error.isEmpty()) {
        std::fprintf(stderr, "pylvex-sim: %s\n", cmd.error.toUtf8().constData());
        return 2;
    }

    // The serving thread inherits this mask, so only the wait below sees the signals.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    for (int sig : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&stopSignals, sig);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    SimHost host;
    QString path = cmd.device;
    bool started = !path.isEmpty()       ? host.OpenDevice(path, cmd.options)
                   : !cmd.link.isEmpty() ? host.StartPtyAt(cmd.link, &path, cmd.options)
                                         : host.StartPty(&path, cmd.options);
    if (started && !cmd.link.isEmpty())
        path = cmd.link;
    if (!started) {
        std::fprintf(
            stderr, "pylvex-sim: %s\n",
            QCoreApplication::translate("SimOptions", "无法打开设备：%1").arg(host.ErrorString()).toUtf8().constData());
        return 1;
    }
    std::printf("%s\n", path.toLocal8Bit().constData());
    std::fflush(stdout);
    QString ready = QCoreApplication::translate("SimOptions", "模拟板已就绪，请在上位机中打开 %1").arg(path);
    if (cmd.options.secondary)
        ready += QCoreApplication::translate("SimOptions", "（含副电板）");
    if (cmd.options.repeater)
        ready += QCoreApplication::translate("SimOptions", "（经中继器）");
    std::fprintf(stderr, "pylvex-sim: %s\n", ready.toUtf8().constData());

    if (cmd.options.replay) {
        std::fprintf(stderr, "pylvex-sim：回放 %s：%zu 种请求，共 %zu 次%s%s\n", cmd.replayPath.toUtf8().constData(),
                     cmd.options.replay->Requests(), cmd.options.replay->Turns(),
                     cmd.replayProblem.isEmpty() ? "" : "；文件读到此处为止：", cmd.replayProblem.toUtf8().constData());
    }

    const timespec tick{0, 200 * 1000 * 1000};
    while (host.IsRunning()) {
        int sig = sigtimedwait(&stopSignals, nullptr, &tick);
        if (sig > 0)
            break;
    }
    bool failed = !host.IsRunning();
    QString error = host.ErrorString();
    host.Stop();
    if (failed) {
        std::fprintf(stderr, "pylvex-sim: %s\n",
                     QCoreApplication::translate("SimOptions", "链路中断：%1").arg(error).toUtf8().constData());
        return 1;
    }
    std::fprintf(stderr, "pylvex-sim: %s\n",
                 QCoreApplication::translate("SimOptions", "已停止，共处理 %1 个请求")
                     .arg(static_cast<unsigned long long>(host.Requests()))
                     .toUtf8()
                     .constData());
    return 0;
}
