// pylvexctl watch publishing eight simulated boards to a Mosquitto broker at
// a one-second period: the CPU time of pylvexctl, the state messages a
// subscriber received per second against the eight expected, and the largest
// deviation of a board's message interval from its period. Then the broker is
// killed for a while: pylvexctl's CPU while it is away, and the time from its
// restart to the first state and the first discovery config. Prints figures;
// decides nothing.
//
//   bench_watch_mqtt [seconds, default 120] [boards, default 8] [seconds away, default 20]
#include "bench/bench_process.h"
#include "e2e/cli_process.h"
#include "e2e/mqtt_broker.h"

#include <QFile>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <unistd.h>

namespace {
// User and system CPU seconds of a process, from /proc.
double ProcessCpuSeconds(qint64 pid)
{
    QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray stat = f.readAll();
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return -1;
    return (fields[11].toDouble() + fields[12].toDouble()) / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

void Collect(MqttSubscriber &sub, std::vector<MqttReceived> &into, int ms)
{
    Wait(ms);
    std::ranges::move(sub.Take(), std::back_inserter(into));
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(10, atoi(argv[1])) : 120;
    const int count = argc > 2 ? std::clamp(atoi(argv[2]), 1, 64) : 8;
    const int away = argc > 3 ? std::max(2, atoi(argv[3])) : 20;
    if (!MqttBroker::Installed()) {
        std::printf("mosquitto is not installed\n");
        return 1;
    }
    MqttBroker broker;
    if (!broker.Start()) {
        std::printf("the broker did not start\n");
        return 1;
    }
    std::vector<std::unique_ptr<SimProcess>> boards;
    QStringList args;
    for (int i = 0; i < count; ++i) {
        boards.push_back(std::make_unique<SimProcess>());
        if (!boards.back()->Start({"--sn", QStringLiteral("BENCH-%1").arg(i + 1, 2, 10, QLatin1Char('0'))})) {
            std::printf("board %d did not start\n", i + 1);
            return 1;
        }
        args << "--port" << boards.back()->Device();
    }
    QTemporaryDir profile;
    args << "--interval"
         << "10"
         << "watch"
         << "--every"
         << "1"
         << "--mqtt" << broker.Url();
    MqttSubscriber sub;
    if (!sub.Start(broker.Port(), {"pylvex/+/state"})) {
        std::printf("the subscriber did not start\n");
        return 1;
    }
    QProcess watch;
    watch.setProcessEnvironment(CliEnvironment(profile.path()));
    watch.setStandardOutputFile(QProcess::nullDevice());
    watch.start(BuiltProgram("pylvexctl"), args);
    if (!watch.waitForStarted(5000)) {
        std::printf("pylvexctl did not start\n");
        return 1;
    }
    std::vector<MqttReceived> got;
    Collect(sub, got, 5000); // settled: every board read and connected
    got.clear();
    const double cpuStart = ProcessCpuSeconds(watch.processId());
    QElapsedTimer wall;
    wall.start();
    Collect(sub, got, seconds * 1000);
    const double cpu = ProcessCpuSeconds(watch.processId()) - cpuStart;
    const double wallSec = static_cast<double>(wall.elapsed()) / 1000.0;

    std::map<QString, std::vector<double>> times;
    for (const MqttReceived &m : got)
        times[m.topic].push_back(m.atSec);
    double worst = 0;
    std::vector<double> deviations;
    for (const auto &[topic, t] : times)
        for (std::size_t i = 1; i < t.size(); ++i) {
            deviations.push_back(std::fabs(t[i] - t[i - 1] - 1.0));
            worst = std::max(worst, deviations.back());
        }
    std::sort(deviations.begin(), deviations.end());
    const double p99 = deviations.empty() ? 0 : deviations[deviations.size() * 99 / 100];
    std::printf("%d boards, period 1 s, %.0f s\n", count, wallSec);
    std::printf("  pylvexctl CPU        %.2f s = %.2f %% of one core\n", cpu, 100.0 * cpu / wallSec);
    std::printf("  state messages       %zu = %.2f/s (expected %d/s, %.1f %%), boards heard %zu\n", got.size(),
                static_cast<double>(got.size()) / wallSec, count,
                100.0 * static_cast<double>(got.size()) / (wallSec * count), times.size());
    std::printf("  period jitter        largest %.0f ms, 99th percentile %.0f ms\n", worst * 1000, p99 * 1000);

    // The broker away, then back.
    broker.Kill();
    Wait(1000);
    const double awayStart = ProcessCpuSeconds(watch.processId());
    Wait(away * 1000);
    const double awayCpu = ProcessCpuSeconds(watch.processId()) - awayStart;
    QElapsedTimer back;
    back.start();
    if (!broker.Restart()) {
        std::printf("the broker did not start again\n");
        return 1;
    }
    MqttSubscriber again;
    again.Start(broker.Port(), {"pylvex/+/state", "homeassistant/#"});
    qint64 firstState = -1, firstConfig = -1;
    while (back.elapsed() < 60000 && (firstState < 0 || firstConfig < 0)) {
        Wait(20);
        for (const MqttReceived &m : again.Take()) {
            if (firstState < 0 && m.topic.endsWith(QLatin1String("/state")))
                firstState = back.elapsed();
            if (firstConfig < 0 && m.topic.startsWith(QLatin1String("homeassistant/")))
                firstConfig = back.elapsed();
        }
    }
    std::printf("broker away %d s\n", away);
    std::printf("  pylvexctl CPU        %.2f s = %.2f %% of one core\n", awayCpu, 100.0 * awayCpu / away);
    std::printf("  after its restart    first state %lld ms, first discovery config %lld ms\n",
                static_cast<long long>(firstState), static_cast<long long>(firstConfig));
    ::kill(static_cast<pid_t>(watch.processId()), SIGINT);
    watch.waitForFinished(10000);
    std::printf("  watch ended with     %d\n", watch.exitCode());
    return 0;
}
