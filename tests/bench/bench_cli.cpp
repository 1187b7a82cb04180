// Figures of pylvexctl against pylvex-sim on a pseudo-terminal at a 10 ms
// command interval: the wall time of a whole `status --json` process (batch
// read and item by item), and of `profile apply` writing every stored
// parameter, against the floor the pacing rule sets (one interval of silence
// before every request after the first). Prints figures; decides nothing.
// Usage: bench_cli [runs]
#include "e2e/cli_process.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonObject>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kIntervalMs = 10;

struct Figures {
    double min = 0, median = 0, max = 0;
};

Figures Summarise(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return {v.front(), v[v.size() / 2], v.back()};
}

QStringList On(const QString &device, const QStringList &args)
{
    return QStringList{"--port", device, "--interval", QString::number(kIntervalMs)} + args;
}

void StatusFigures(const char *title, const QStringList &simSwitches, int runs, const QString &profile)
{
    SimProcess board;
    if (!board.Start(simSwitches)) {
        std::printf("%s: the simulated board did not start\n", title);
        return;
    }
    std::vector<double> wall;
    for (int i = 0; i < runs; ++i) {
        CliResult r = RunCli(On(board.Device(), {"status", "--json"}), profile);
        if (r.exitCode != 0) {
            std::printf("%s: exit %d: %s\n", title, r.exitCode, qPrintable(r.err));
            return;
        }
        wall.push_back(static_cast<double>(r.wallMs));
    }
    Figures f = Summarise(wall);
    std::printf("%-34s runs %3d  min %6.1f ms  median %6.1f ms  max %6.1f ms\n", title, runs, f.min, f.median, f.max);
}

// Every number of the profile's stored parameters one higher, so every one differs.
bool WriteShifted(const QString &from, const QString &to, QStringList *keys)
{
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    QJsonObject root = QJsonDocument::fromJson(in.readAll()).object();
    QJsonObject params = root["params"].toObject();
    params.remove("wake_source");
    for (auto it = params.begin(); it != params.end(); ++it) {
        keys->append(it.key());
        if (it.value().isArray()) {
            QJsonArray a = it.value().toArray();
            for (auto v = a.begin(); v != a.end(); ++v)
                *v = v->toInteger() + 1;
            it.value() = a;
        } else {
            it.value() = it.value().toInteger() + 1;
        }
    }
    root["params"] = params;
    QFile out(to);
    return out.open(QIODevice::WriteOnly) && out.write(QJsonDocument(root).toJson()) > 0;
}

void ApplyFigures(int runs, const QString &profile)
{
    SimProcess board;
    if (!board.Start())
        return;
    const QString original = profile + "/original.json", shifted = profile + "/shifted.json";
    QStringList keys;
    if (RunCli(On(board.Device(), {"profile", "save", original}), profile).exitCode != 0 ||
        !WriteShifted(original, shifted, &keys)) {
        std::printf("profile apply: could not prepare the profiles\n");
        return;
    }
    const int n = static_cast<int>(keys.size());
    struct Variant {
        const char *title;
        QStringList extra;
        int requests; // the internal mode, the SN, reads to compare, writes, read-backs
    };
    const Variant variants[] = {
        {"apply (compare first)", {}, 2 + 3 * n},
        {"apply --only every key", {"--only", keys.join(',')}, 2 + 2 * n},
    };
    for (const Variant &v : variants) {
        std::vector<double> wall;
        for (int i = 0; i < runs; ++i) {
            const QString file = i % 2 == 0 ? shifted : original;
            CliResult r = RunCli(On(board.Device(), QStringList{"profile", "apply", file} + v.extra), profile, 120000);
            if (r.exitCode != 0) {
                std::printf("%s: exit %d: %s\n", v.title, r.exitCode, qPrintable(r.err));
                return;
            }
            wall.push_back(static_cast<double>(r.wallMs));
        }
        Figures f = Summarise(wall);
        const double floor = (v.requests - 1) * kIntervalMs;
        std::printf("%-24s %2d parameters, %3d requests: pacing floor %6.0f ms; median %6.0f ms (x%.2f), "
                    "min %6.0f, max %6.0f ms\n",
                    v.title, n, v.requests, floor, f.median, f.median / floor, f.min, f.max);
    }
}

void ProcessFigures(int runs, const QString &profile)
{
    std::vector<double> wall;
    for (int i = 0; i < runs; ++i)
        wall.push_back(static_cast<double>(RunCli({"--help"}, profile).wallMs));
    Figures f = Summarise(wall);
    std::printf("%-34s runs %3d  min %6.1f ms  median %6.1f ms  max %6.1f ms\n", "process only (--help)", runs, f.min,
                f.median, f.max);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 20;
    QTemporaryDir profile;
    std::printf("pylvexctl against pylvex-sim, command interval %d ms\n", kIntervalMs);
    ProcessFigures(runs, profile.path());
    StatusFigures("status --json (batch read)", {}, runs, profile.path());
    StatusFigures("status --json (item by item)", {"--no-batch"}, runs, profile.path());
    ApplyFigures(std::max(2, runs / 4), profile.path());
    return 0;
}
