// Figures of the threshold pages' profile buttons in the real window against
// pylvex-sim on a pseudo-terminal: the time to save (SN, versions and every
// readable parameter), to compare with a profile in which every parameter
// differs, and to apply all of it (a write and a read-back per parameter),
// each against the floor the pacing rule sets (one command interval before
// every request after the first). Prints figures; decides nothing.
// Usage: bench_profile_window [runs] [interval-ms]
#include "app/dialogs/filechooser.h"
#include "app/dialogs/profilecomparedialog.h"
#include "app/framework/msgbox.h"
#include "app/mainwindow.h"
#include "app/pages/alarmprotectionpage.h"
#include "app/pages/wakethresholdpage.h"
#include "app/pagesheet.h"
#include "app/pylvexapp.h"
#include "app/widgets/profilebar.h"
#include "bench/bench_profile.h"
#include "sim/simhost.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPushButton>
#include <QThread>

#include <cstdio>

namespace {

// Runs the events until done() holds; false after ms milliseconds.
template <class Done> bool WaitFor(Done done, int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return true;
}

// Every stored parameter one higher (cycle thresholds and probe count stay in the board's range).
bool WriteShifted(const QString &from, const QString &to)
{
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    QJsonObject root = QJsonDocument::fromJson(in.readAll()).object();
    QJsonObject params = root["params"].toObject();
    params.remove("wake_source");
    for (auto it = params.begin(); it != params.end(); ++it) {
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

void Line(const char *what, int requests, qint64 ms, int interval)
{
    const double floor = (requests - 1) * interval;
    std::printf("  %-26s %3d requests: pacing floor %6.0f ms, took %6lld ms (x%.2f)\n", what, requests, floor,
                static_cast<long long>(ms), floor > 0 ? ms / floor : 0.0);
}

} // namespace

int main(int argc, char **argv)
{
    BenchProfile profile;
    PylvexApp app(argc, argv);
    const int runs = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 3;
    const int interval = argc > 2 ? std::max(10, QString::fromLocal8Bit(argv[2]).toInt()) : 50;
    MainWindow dlg;
    SimHost board;
    QString device;
    dlg.Gate().SetVerified(true);
    theApp()->m_nCmdSndInvl = interval;
    auto *page = dlg.Page<AlarmProtectionPage>();
    if (!board.StartPty(&device, {}) || !dlg.Sheet()->SetActivePage(page) || !dlg.OpenPortByName(device, true)) {
        std::printf("the simulated board or the port did not open\n");
        return 1;
    }
    auto *bar = page->findChild<ProfileBar *>();
    const QString original = profile.Path() + "/original.json", shifted = profile.Path() + "/shifted.json";
    QString chosen;
    SetFileChooserHook([&chosen](const FileAsk &) { return chosen; });
    SetMsgBoxHook([](const MsgBoxCall &) { return IDYES; });
    std::printf("threshold profiles in the window against pylvex-sim, command interval %d ms\n", interval);
    for (int run = 0; run < runs; ++run) {
        std::printf("run %d\n", run + 1);
        chosen = run % 2 == 0 ? original : shifted;
        bar->SaveButton()->click();
        if (!WaitFor([bar] { return !bar->Busy(); }, 120000))
            std::printf("  save did not end\n");
        Line("save", bar->LastRunRequests(), bar->LastRunMs(), interval);
        if (run == 0 && !WriteShifted(original, shifted)) {
            std::printf("could not write the shifted profile\n");
            return 1;
        }
        chosen = run % 2 == 0 ? shifted : original;
        int rows = 0, written = 0;
        qint64 writeMs = 0;
        SetModalHook([&](QDialog *d) {
            auto *dialog = qobject_cast<ProfileCompareDialog *>(d);
            if (!dialog)
                return 0;
            dialog->WriteButton()->click();
            if (!WaitFor([dialog] { return !dialog->Writing(); }, 300000))
                std::printf("  apply did not end\n");
            rows = dialog->WriteRun() ? static_cast<int>(dialog->WriteRun()->Steps().size()) : 0;
            for (int i = 0; rows && i < rows; ++i)
                written += dialog->WriteRun()->Steps()[static_cast<std::size_t>(i)].outcome == ParamOutcome::Confirmed;
            writeMs = dialog->WriteMs();
            return 0;
        });
        bar->ApplyButton()->click();
        if (!WaitFor([bar] { return !bar->Busy(); }, 120000))
            std::printf("  compare did not end\n");
        SetModalHook(nullptr);
        Line("compare (SN + reads)", bar->LastRunRequests(), bar->LastRunMs(), interval);
        Line("apply (write + read-back)", 2 * rows, writeMs, interval);
        std::printf("  %d of %d rows confirmed\n", written, rows);
    }
    SetMsgBoxHook(nullptr);
    SetFileChooserHook(nullptr);
    return 0;
}
