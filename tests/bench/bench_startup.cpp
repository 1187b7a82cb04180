// Start-up figures of the program, offscreen: time from process start to the
// window's first paint, and resident memory then, beside the same figures of
// a floor run alternately with it: a bare twelve-tab window of the toolkit
// (bench_floor_window, built beside this benchmark). Runs each several times
// (each in its own current and profile folder) and prints min, median and
// max. Usage: bench_startup [runs] [extra program arguments...]
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

struct Sample {
    double wallMs = 0;  // from the start request to the line read here
    double shownMs = 0; // from the process start, as the program sees it
    double rssMb = 0;
    double hwmMb = 0;
};

QString ProgramPath()
{
    QString path = qEnvironmentVariable("PYLVEX_BIN");
    return path.isEmpty() ? QCoreApplication::applicationDirPath() + QStringLiteral("/../src/pylvex") : path;
}

QString FloorPath()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/bench_floor_window");
}

bool RunOnce(const QString &program, const QStringList &args, int index, Sample &sample)
{
    QTemporaryDir dir;
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.path());
    env.insert(QStringLiteral("PYLVEX_INSTANCE_NAME"),
               QStringLiteral("pylvex_bench_%1_%2").arg(QCoreApplication::applicationPid()).arg(index));
    env.insert(QStringLiteral("PYLVEX_STARTUP_PROBE"), QStringLiteral("quit"));
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(dir.path());
    process.setProcessChannelMode(QProcess::SeparateChannels);
    QElapsedTimer clock;
    clock.start();
    process.start(program, args);
    static const QRegularExpression line(
        QStringLiteral("pylvex-startup shown_ms=(-?\\d+) rss_kb=(-?\\d+) hwm_kb=(-?\\d+)"));
    QByteArray out;
    while (process.waitForReadyRead(15000)) {
        out += process.readAllStandardOutput();
        const auto m = line.match(QString::fromUtf8(out));
        if (m.hasMatch()) {
            sample.wallMs = double(clock.nsecsElapsed()) / 1e6;
            sample.shownMs = m.captured(1).toDouble();
            sample.rssMb = m.captured(2).toDouble() / 1024.0;
            sample.hwmMb = m.captured(3).toDouble() / 1024.0;
            process.waitForFinished(10000);
            return true;
        }
    }
    std::fprintf(stderr, "run %d: no start-up line; stderr:\n%s\n", index, process.readAllStandardError().constData());
    process.kill();
    process.waitForFinished();
    return false;
}

void Print(const char *what, std::vector<double> values, const char *unit)
{
    std::sort(values.begin(), values.end());
    std::printf("%-34s min %8.1f  median %8.1f  max %8.1f %s\n", what, values.front(), values[values.size() / 2],
                values.back(), unit);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    int runs = 10;
    if (!args.isEmpty() && args.first().toInt() > 0)
        runs = args.takeFirst().toInt();

    // The program and the floor take turns, so a busy moment of the machine
    // falls on both alike.
    std::vector<Sample> samples, floor;
    for (int i = 0; i < runs; ++i) {
        Sample s, f;
        if (!RunOnce(ProgramPath(), args, i, s) || !RunOnce(FloorPath(), {}, runs + i, f))
            return 1;
        samples.push_back(s);
        floor.push_back(f);
    }
    auto column = [](const std::vector<Sample> &from, double Sample::*field) {
        std::vector<double> v;
        for (const Sample &s : from)
            v.push_back(s.*field);
        return v;
    };
    auto median = [&](const std::vector<Sample> &from, double Sample::*field) {
        std::vector<double> v = column(from, field);
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    std::printf("pylvex %s, offscreen, %d runs, each beside a run of the floor (bare twelve-tab window)\n",
                qPrintable(args.join(QLatin1Char(' '))), runs);
    Print("start request to window shown", column(samples, &Sample::wallMs), "ms");
    Print("  floor", column(floor, &Sample::wallMs), "ms");
    Print("process start to window shown", column(samples, &Sample::shownMs), "ms");
    Print("  floor", column(floor, &Sample::shownMs), "ms");
    Print("resident memory at window shown", column(samples, &Sample::rssMb), "MB");
    Print("  floor", column(floor, &Sample::rssMb), "MB");
    Print("peak resident memory", column(samples, &Sample::hwmMb), "MB");
    Print("  floor", column(floor, &Sample::hwmMb), "MB");
    std::printf("medians against the floor: time %.2fx, memory %.2fx\n",
                median(samples, &Sample::wallMs) / median(floor, &Sample::wallMs),
                median(samples, &Sample::rssMb) / median(floor, &Sample::rssMb));
    return 0;
}
