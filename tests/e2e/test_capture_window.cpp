// A capture of the real window's link to the simulated board on a
// pseudo-terminal (opening, the batch status read, a threshold read and
// write, corrupted and lost answers), started and stopped with the system log
// page's buttons, read by tshark with the generated dissector: every record's
// class, code, name and checksum status match the frames in the file, the
// corrupted answers carry the bad-checksum expert info and the cells of the
// status answer are the board's. The same capture cut inside its last block
// stays readable up to it. A capture made by pylvexctl and replayed by
// pylvex-sim gives the same status.
#include "app/pages/alarmprotectionpage.h"
#include "app/pages/systemlogpage.h"
#include "app/widgets/capturebar.h"
#include "board_window.h"
#include "e2e/cli_process.h"
#include "files/logfiles.h"
#include "gui/export_helpers.h"
#include "protocol/batch_status.h"
#include "protocol/command_table.h"
#include "protocol/frame.h"
#include "protocol/pcapng.h"

#include <QJsonObject>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include "gui/widget_test_main.h"

namespace {

QString Tshark()
{
    return QStandardPaths::findExecutable(QStringLiteral("tshark"));
}

QString Dissector()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/../wireshark/pylvex.lua");
}

// tshark's field lines for the capture (tab-separated), with the dissector loaded.
QStringList TsharkLines(const QString &file, const QStringList &args)
{
    QProcess p;
    // Two passes: fields that point forward (a frame continued in a later record) are known in the second.
    p.start(Tshark(),
            QStringList{QStringLiteral("-2"), QStringLiteral("-o"), QStringLiteral("gui.console_open:never"),
                        QStringLiteral("-X"), QStringLiteral("lua_script:") + Dissector(), QStringLiteral("-r"), file} +
                args);
    if (!p.waitForFinished(60000))
        return {QStringLiteral("tshark did not finish")};
    return QString::fromUtf8(p.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
}

QStringList Fields(const QStringList &fields)
{
    QStringList args{QStringLiteral("-T"), QStringLiteral("fields")};
    for (const QString &f : fields)
        args << QStringLiteral("-e") << f;
    return args;
}

std::vector<std::uint8_t> ReadBytes(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray b = f.readAll();
    return {b.begin(), b.end()};
}

bool WholeFrame(const std::vector<std::uint8_t> &b)
{
    return b.size() >= kFrameMinLen && b[0] == kFrameHead && (b[1] & 0x7F) == kLinkMain &&
           b.size() == static_cast<std::size_t>(b[4]) + 9 && b[b.size() - 2] == 0x0D && b.back() == 0x0A;
}

QJsonObject WithoutTime(QJsonObject o)
{
    o.remove(QStringLiteral("time"));
    return o;
}

} // namespace

class TestCaptureWindow : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString m_capture; // the window's capture, made by the first test

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.path());
        SetLogBaseFolder(m_dir.path());
        if (Tshark().isEmpty())
            QSKIP("tshark is not installed (scripts/setup.sh test installs it)");
        QVERIFY2(QFileInfo::exists(Dissector()), qPrintable(Dissector()));
    }

    void windowRunReadByTshark()
    {
        m_capture = m_dir.filePath(QStringLiteral("window.pcapng"));
        MsgBoxRecorder boxes;
        MainWindow dlg;
        auto *log = dlg.Page<SystemLogPage>();
        auto *page = dlg.Page<AlarmProtectionPage>();
        QVERIFY(log && page);
        auto *bar = log->findChild<CaptureBar *>();
        QVERIFY(bar);
        {
            SaveDialogAnswer answer(m_capture);
            bar->StartButton()->click();
            QCOMPARE(answer.Shown(), 1);
        }
        QVERIFY(bar->Capturing());
        QVERIFY(!bar->StartButton()->isEnabled());

        SimOptions options;
        options.corruptEvery = 4; // some answers carry a wrong checksum
        options.dropEvery = 5;    // and some are lost
        SimHost board;
        dlg.Gate().SetVerified(true);
        QVERIFY2(OpenAgainstBoard(dlg, board, page, options), qPrintable(board.ErrorString()));
        const PageParamRow &row = page->Rows().rows.front();
        page->SetDlgItemText(row.editIds[0], QStringLiteral("50001"));
        page->CheckDlgButton(row.chkId, 1);
        page->ClickDlgButton(IDC_WRITE);
        QTest::qWait(1500);
        page->CheckDlgButton(IDC_SELECT_ALL, 0);
        page->ClickDlgButton(IDC_SELECT_ALL); // every row is read
        page->ClickDlgButton(IDC_READ);
        QTest::qWait(4000);
        QTRY_VERIFY_WITH_TIMEOUT(bar->StatusText().contains(QStringLiteral("抓包中")), 2000);
        bar->StopButton()->click();
        QVERIFY(!bar->Capturing());
        QVERIFY(bar->StatusText().contains(QStringLiteral("已保存")));

        const PcapngContents contents = ReadPcapng(ReadBytes(m_capture));
        QCOMPARE(QString::fromStdString(contents.problem), QString());
        QVERIFY(contents.records.size() >= 6);
        QCOMPARE(QString::fromStdString(contents.interfaces.back().name), dlg.Port().PortName());

        // Every record against tshark's reading of it.
        const QStringList lines =
            TsharkLines(m_capture, Fields({"frame.number", "frame.p2p_dir", "pylvex.class", "pylvex.code",
                                           "pylvex.name", "pylvex.checksum.status", "pylvex.stray"}));
        QCOMPARE(lines.size(), static_cast<qsizetype>(contents.records.size()));
        int bad = 0, sent = 0, lost = 0, batch = 0;
        bool waiting = false; // a request whose answer has not come yet
        for (std::size_t i = 0; i < contents.records.size(); ++i) {
            const PcapngRecord &rec = contents.records[i];
            const QStringList f = lines[static_cast<qsizetype>(i)].split(u'\t');
            QCOMPARE(f.size(), 7);
            const bool out = rec.direction == PcapngDirection::Outbound;
            QCOMPARE(f[1], out ? QStringLiteral("0") : QStringLiteral("1"));
            if (out) {
                lost += waiting ? 1 : 0;
                waiting = true;
                ++sent;
            } else {
                waiting = false;
            }
            if (!WholeFrame(rec.bytes)) {
                QVERIFY2(!f[6].isEmpty(), qPrintable(lines[static_cast<qsizetype>(i)]));
                continue;
            }
            const std::uint8_t *b = rec.bytes.data();
            QCOMPARE(f[2].toUInt(nullptr, 0), uint(b[2]));
            QCOMPARE(f[3].toUInt(nullptr, 0), uint(b[3]));
            QCOMPARE(f[4], QString::fromStdString(CommandNameOf(b[2], b[3])));
            QVERIFY(!f[4].isEmpty());
            const bool sound = VerifyFrame(b, rec.bytes.size());
            QCOMPARE(f[5], sound ? QStringLiteral("1") : QStringLiteral("0"));
            bad += sound ? 0 : 1;
            batch += (b[2] == 0x83 && b[3] == 0xE6 && sound) ? 1 : 0;
        }
        QVERIFY(sent >= 3);
        QVERIFY2(bad >= 1, "no corrupted answer was captured");
        QVERIFY2(lost >= 1, "no lost answer was captured");
        QVERIFY(batch >= 1);

        // The bad-checksum expert info, on exactly the corrupted frames.
        QCOMPARE(TsharkLines(m_capture, {QStringLiteral("-Y"), QStringLiteral("pylvex.checksum.bad")}).size(),
                 qsizetype(bad));
        // Display filters by class and code.
        QCOMPARE(TsharkLines(m_capture, {QStringLiteral("-Y"), QStringLiteral("pylvex.class == 0x83 && "
                                                                              "pylvex.code == 0xE6 && "
                                                                              "pylvex.checksum.status == 1")})
                     .size(),
                 qsizetype(batch));

        // The cells of each sound batch answer are the cells the board sent.
        const QStringList cells =
            TsharkLines(m_capture, QStringList{QStringLiteral("-Y"), QStringLiteral("pylvex.code == 0xE6 && "
                                                                                    "pylvex.checksum.status == 1")} +
                                       Fields({"pylvex.cell"}));
        QCOMPARE(cells.size(), qsizetype(batch));
        int answer = 0;
        for (const PcapngRecord &rec : contents.records) {
            if (!WholeFrame(rec.bytes) || rec.bytes[2] != 0x83 || rec.bytes[3] != 0xE6 ||
                !VerifyFrame(rec.bytes.data(), rec.bytes.size()))
                continue;
            const BatchStatus status = ParseBatchStatus(rec.bytes.data(), rec.bytes.size());
            QVERIFY(status.accepted);
            QStringList want;
            for (const BatchBlock &block : status.blocks)
                if (block.code == 0x05)
                    for (std::uint16_t mv : DecodeCells(block.bytes).cells)
                        want << QString::number(mv);
            QVERIFY(want.size() >= 4);
            QCOMPARE(cells[answer++], want.join(u','));
        }
    }

    // The capture ended inside its last block (a crash, a pulled cable): tshark
    // reads every record before that block.
    void cutCaptureReadableUpToLastWholeBlock()
    {
        QVERIFY(!m_capture.isEmpty());
        const std::vector<std::uint8_t> whole = ReadBytes(m_capture);
        const PcapngContents contents = ReadPcapng(whole);
        const std::size_t records = contents.records.size();
        // The start of the last block: the whole file less its last block's length.
        const std::uint32_t lastLength = whole[whole.size() - 4] | (whole[whole.size() - 3] << 8) |
                                         (whole[whole.size() - 2] << 16) | (uint32_t(whole[whole.size() - 1]) << 24);
        const std::size_t lastStart = whole.size() - lastLength;
        struct Cut {
            const char *where;
            std::size_t keep; // bytes of the last block kept
            std::size_t records;
        };
        const Cut cuts[] = {
            {"block type", 2, records - 1},
            {"block length", 6, records - 1},
            {"interface", 10, records - 1},
            {"timestamp", 16, records - 1},
            {"captured length", 22, records - 1},
            {"frame head", 28, records - 1},
            {"frame middle", 33, records - 1},
            {"before the trailing length", lastLength - 4, records - 1},
            {"one byte short", lastLength - 1, records - 1},
            {"whole", lastLength, records},
        };
        for (const Cut &c : cuts) {
            const QString path = m_dir.filePath(QStringLiteral("cut.pcapng"));
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(reinterpret_cast<const char *>(whole.data()), static_cast<qint64>(lastStart + c.keep));
            f.close();
            QVERIFY2(TsharkLines(path, Fields({"frame.number"})).size() == qsizetype(c.records), c.where);
        }
    }

    // Records the tool does not write itself but files from elsewhere may hold:
    // a frame split over two records, a wrong tail, a length past the record.
    void dissectorMarksWhatDoesNotFit()
    {
        const std::vector<std::uint8_t> answer = [] {
            const std::uint8_t payload[] = {0x53, 0x83, 0x85, 0x05, 0x00, 0x0C, 0xE4, 0x0C, 0xE1};
            BuildResult built = BuildFrame(payload, sizeof payload);
            std::vector<std::uint8_t> b(built.entry->data(), built.entry->data() + built.entry->size());
            FrameEntryFree(built.entry);
            return b;
        }();
        std::vector<std::uint8_t> wrongTail = answer;
        wrongTail.back() = 0x0B;
        const std::vector<std::uint8_t> tooLong(answer.begin(), answer.end() - 3);
        std::vector<std::uint8_t> file = PcapngSectionHeader("");
        auto add = [&file](const PcapngBytes &block) { file.insert(file.end(), block.begin(), block.end()); };
        add(PcapngInterface(kLinkTypeUser0, "p", "", ""));
        add(PcapngPacket(0, 1, PcapngDirection::Inbound, std::span(answer).first(6)));
        add(PcapngPacket(0, 2, PcapngDirection::Inbound, std::span(answer).subspan(6)));
        add(PcapngPacket(0, 3, PcapngDirection::Inbound, wrongTail));
        add(PcapngPacket(0, 4, PcapngDirection::Outbound, std::vector<std::uint8_t>{0x11, 0x22, 0x33}));
        const QString path = m_dir.filePath(QStringLiteral("odd.pcapng"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(reinterpret_cast<const char *>(file.data()), static_cast<qint64>(file.size()));
        f.close();
        // A record whose length byte promises more than it holds, on its own.
        std::vector<std::uint8_t> cut = PcapngSectionHeader("");
        const PcapngBytes idb = PcapngInterface(kLinkTypeUser0, "p", "", "");
        const PcapngBytes pkt = PcapngPacket(0, 1, PcapngDirection::Outbound, tooLong);
        cut.insert(cut.end(), idb.begin(), idb.end());
        cut.insert(cut.end(), pkt.begin(), pkt.end());
        const QString cutPath = m_dir.filePath(QStringLiteral("short.pcapng"));
        QFile g(cutPath);
        QVERIFY(g.open(QIODevice::WriteOnly));
        g.write(reinterpret_cast<const char *>(cut.data()), static_cast<qint64>(cut.size()));
        g.close();

        struct Case {
            const char *file;
            const char *filter;
            const char *frames; // the frame numbers it selects
        };
        const Case cases[] = {
            {"odd", "pylvex.incomplete", "1"},
            {"odd", "pylvex.reassembled && pylvex.cell == 3300", "2"},
            {"odd", "pylvex.reassembled_from == 1", "2"},
            {"odd", "pylvex.fragment == 2", "1"},
            {"odd", "pylvex.tail.wrong", "3"},
            {"odd", "pylvex.stray.bytes", "4"},
            {"odd", "pylvex.checksum.bad", ""},
            {"short", "pylvex.len.bad && pylvex.incomplete", "1"},
        };
        for (const Case &c : cases) {
            const QString which = QLatin1String(c.file) == QLatin1String("odd") ? path : cutPath;
            const QStringList got = TsharkLines(
                which, QStringList{QStringLiteral("-Y"), QString::fromLatin1(c.filter)} + Fields({"frame.number"}));
            QVERIFY2(got.join(u',') == QLatin1String(c.frames), c.filter);
        }
    }

    void replayGivesTheSameStatus()
    {
        QTemporaryDir profile;
        const QString capture = m_dir.filePath(QStringLiteral("cli.pcapng"));
        auto status = [&profile](const QString &device, const QStringList &extra = {}) {
            return RunCli(
                QStringList{QStringLiteral("--port"), device, QStringLiteral("--interval"), QStringLiteral("10")} +
                    extra + QStringList{QStringLiteral("status"), QStringLiteral("--json")},
                profile.path());
        };
        QJsonObject live;
        {
            SimProcess board;
            QVERIFY(board.Start({QStringLiteral("--secondary")}));
            const CliResult r = status(board.Device(), {QStringLiteral("--capture"), capture});
            QCOMPARE(r.exitCode, 0);
            live = r.Json().object();
        }
        QVERIFY(!live.isEmpty());
        SimProcess replay;
        QVERIFY(replay.Start({QStringLiteral("--replay"), capture}));
        const CliResult again = status(replay.Device());
        QCOMPARE(again.exitCode, 0);
        QCOMPARE(WithoutTime(again.Json().object()), WithoutTime(live));

        // A request the capture lacks: the board's own answer, none when strict.
        const QStringList get{QStringLiteral("--port"),     replay.Device(),          QStringLiteral("--timeout"),
                              QStringLiteral("300"),        QStringLiteral("params"), QStringLiteral("get"),
                              QStringLiteral("idle_wait_s")};
        QCOMPARE(RunCli(get, profile.path()).exitCode, 0);
        SimProcess strict;
        QVERIFY(strict.Start({QStringLiteral("--replay"), capture, QStringLiteral("--replay-strict")}));
        QStringList strictGet = get;
        strictGet[1] = strict.Device();
        QCOMPARE(RunCli(strictGet, profile.path()).exitCode, 3);
        QCOMPARE(RunCli(QStringList{QStringLiteral("--port"), strict.Device(), QStringLiteral("status"),
                                    QStringLiteral("--json")},
                        profile.path())
                     .exitCode,
                 0);
    }
};

int main(int argc, char **argv)
{
    return RunWidgetTest<TestCaptureWindow>(argc, argv);
}

#include "test_capture_window.moc"
