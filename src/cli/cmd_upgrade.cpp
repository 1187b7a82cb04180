// upgrade FILE [--ymodem raw|wrapped]: the firmware upgrade over the board
// port, by the command protocol (the default) or by YModem, driven by the same
// protocol sessions as the two upgrade dialogs. A progress bar on a terminal,
// progress lines otherwise (both on standard error); at the end the board's
// versions are read back once it answers after its restart, and the old and
// the new software version reported.
#include "cli/board_session.h"
#include "cli/commands.h"
#include "cli/internal_mode.h"
#include "files/upgradefile.h"
#include "files/upgraderowtext.h"
#include "link/linksettings.h"
#include "protocol/debug_cmds.h"
#include "protocol/fw_upgrade.h"
#include "protocol/param_decode.h"
#include "protocol/repeater_cmds.h"
#include "protocol/status_decode.h"
#include "protocol/ymodem.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonObject>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <optional>

#include <unistd.h>

namespace {

// A run that hears nothing from the board for this long has lost it.
constexpr int kSilenceMs = 15000;
// After the last YModem acknowledgement, how long the end-of-batch block may take.
constexpr int kYmEndWaitMs = 3000;

// Progress on standard error: a bar redrawn in place on a terminal, a line
// per tenth otherwise.
class Progress {
public:
    Progress() : m_tty(isatty(STDERR_FILENO) != 0) {}
    void Set(long long pos, long long max)
    {
        if (max <= 0)
            return;
        const int percent = static_cast<int>(std::min<long long>(100, pos * 100 / max));
        if (m_tty) {
            if (percent == m_shown && pos != max)
                return;
            const int filled = percent * kWidth / 100;
            std::fprintf(stderr, "\r[%s%s] %3d%% %lld/%lld", std::string(static_cast<std::size_t>(filled), '#').c_str(),
                         std::string(static_cast<std::size_t>(kWidth - filled), ' ').c_str(), percent, pos, max);
            std::fflush(stderr);
            m_open = true;
        } else if (percent / 10 != m_shown / 10 || m_shown < 0) {
            PrintErr(CliText::tr("进度：%1/%2 字节（%3%）").arg(pos).arg(max).arg(percent));
        }
        m_shown = percent;
    }
    // Ends the bar's line before any other text.
    void Break()
    {
        if (m_open) {
            std::fputc('\n', stderr);
            m_open = false;
        }
    }

private:
    static constexpr int kWidth = 40;
    bool m_tty;
    bool m_open = false;
    int m_shown = -1;
};

bool RowIs(const UpgradeRow &row, const char *text)
{
    return std::strcmp(row.text, text) == 0;
}

// Rows that tell the window's user to click: a command line's own words.
struct CliWording {
    const char *window;
    const char *cli;
};
constexpr CliWording kCliWording[] = {
    {"错误：重传的%1命令仍然没有应答，请检查连接后点击重新升级",
     QT_TRANSLATE_NOOP("pylvexctl", "错误：重传的%1命令仍然没有应答，请检查连接后重新运行 pylvexctl upgrade")},
    {"错误：当前=%1，接收=%2，请点击重新升级",
     QT_TRANSLATE_NOOP("pylvexctl", "错误：当前=%1，接收=%2，请重新运行 pylvexctl upgrade")},
};

// The row's text for a command line.
QString CliRowText(const char *context, const UpgradeRow &row)
{
    for (const CliWording &w : kCliWording)
        if (RowIs(row, w.window)) {
            // The arguments keep their own context; the pattern is the program's.
            std::vector<std::string> args = row.args;
            for (std::size_t i = 0; i < args.size() && i < 32; ++i)
                if (row.marked & (1u << i))
                    args[i] = QCoreApplication::translate(context, args[i].c_str()).toStdString();
            return QString::fromStdString(FillRow(Tr(w.cli).toStdString(), args));
        }
    return UpgradeRowText(context, row);
}

// The rows of a run: all on standard error with --verbose, else kept to
// show the last ones when the run fails.
class RowLog {
public:
    RowLog(const char *context, bool verbose, Progress &progress)
        : m_context(context), m_verbose(verbose), m_progress(progress)
    {
    }
    void Add(const UpgradeRow &row)
    {
        const QString text = CliRowText(m_context, row);
        if (m_verbose) {
            m_progress.Break();
            PrintErr(text);
        }
        m_rows << text;
        if (m_rows.size() > 4)
            m_rows.removeFirst();
    }
    void ShowLast()
    {
        m_progress.Break();
        if (!m_verbose)
            for (const QString &row : m_rows)
                PrintErr(row);
    }

private:
    const char *m_context;
    bool m_verbose;
    Progress &m_progress;
    QStringList m_rows;
};

struct VersionReading {
    BoardSession::Outcome outcome = BoardSession::Outcome::NoAnswer;
    QString software; // empty when the answer carried none
};

VersionReading ReadVersions(BoardSession &session)
{
    VersionReading r;
    const BoardSession::Reply reply = session.Request(PlainRequest({0x03, kStatusVersions}));
    r.outcome = reply.outcome;
    if (reply.outcome != BoardSession::Outcome::Answered)
        return r;
    const std::span<const std::uint8_t> data = FrameData(reply.frame.data(), reply.frame.size());
    if (data.size() >= 1 && data[0] == 0)
        if (std::optional<Versions> v = DecodeVersions(data.subspan(1)))
            r.software = QString::fromStdString(v->software);
    return r;
}

// How long a board may take to restart after an upgrade before its new
// version is given up.
constexpr int kRestartWaitMs = 12000;

// The versions once the board answers again after its restart: tried until
// the board answers or kRestartWaitMs have passed, the wait shown on
// standard error.
VersionReading ReadVersionsAfterRestart(BoardSession &session)
{
    QElapsedTimer clock;
    clock.start();
    VersionReading r = ReadVersions(session);
    while (r.outcome == BoardSession::Outcome::NoAnswer && clock.elapsed() < kRestartWaitMs) {
        PrintErr(CliText::tr("等待板卡重启后应答……（%1 秒）").arg(clock.elapsed() / 1000));
        if (!BoardSession::Pause(500))
            return {BoardSession::Outcome::Interrupted, QString()};
        r = ReadVersions(session);
    }
    return r;
}

// Sets the command interval for the run and restores the session's on leaving.
class IntervalDuringRun {
public:
    IntervalDuringRun(int during, int after) : m_after(after) { GlobalLinkSettings().cmdSndInvl = during; }
    ~IntervalDuringRun() { GlobalLinkSettings().cmdSndInvl = m_after; }
    IntervalDuringRun(const IntervalDuringRun &) = delete;
    IntervalDuringRun &operator=(const IntervalDuringRun &) = delete;

private:
    int m_after;
};

enum class RunEnd { Done, Failed, Silent, Lost, Interrupted };

int StatusOf(RunEnd end)
{
    switch (end) {
    case RunEnd::Done: return kExitOk;
    case RunEnd::Failed: return kExitBoard;
    case RunEnd::Interrupted: return kExitInterrupted;
    case RunEnd::Silent:
    case RunEnd::Lost: break;
    }
    return kExitLink;
}

// ------------------------------------------------------------ command protocol

class FwRun final : public FwUpgradeSink {
public:
    FwRun(BoardSession &board, RowLog &log, Progress &progress)
        : m_board(board), m_log(log), m_progress(progress), m_session(*this)
    {
        m_timer.setSingleShot(true);
        m_timer.setTimerType(Qt::PreciseTimer); // the retransmission's 2 s, not 5 % less
        QObject::connect(&m_timer, &QTimer::timeout, [this] { m_session.OnTimer(); });
    }

    RunEnd Run(std::vector<std::uint8_t> image, const QString &fileName)
    {
        m_session.SetImage(std::move(image));
        BoardSession::Listener listener;
        listener.onFrame = [this](const std::vector<std::uint8_t> &frame) {
            if (frame.size() < 9 || frame[2] != (0x80 | kCmdFwUpgrade.cls) || frame[3] != (0x80 | kCmdFwUpgrade.code))
                return;
            m_heard.restart();
            const std::size_t count = std::min<std::size_t>(frame[4], frame.size() - 9);
            m_session.OnRouted({frame.data() + 5, count}, true);
            // The session logs its error row before it marks the run failed.
            if (!m_end && m_session.Failed())
                m_end = RunEnd::Failed;
        };
        m_board.SetListener(listener);
        m_heard.start();
        if (!m_session.Start(fileName.toStdString()))
            m_end = RunEnd::Failed;
        const BoardSession::Outcome outcome = m_board.RunUntil([this] {
            if (!m_end && m_heard.elapsed() > kSilenceMs)
                m_end = RunEnd::Silent;
            return m_end.has_value();
        });
        m_timer.stop();
        m_board.SetListener({});
        if (outcome == BoardSession::Outcome::Lost)
            return RunEnd::Lost;
        if (outcome == BoardSession::Outcome::Interrupted)
            return RunEnd::Interrupted;
        return *m_end;
    }
    int BlockSize() const { return m_session.BlockSize(); }

    void Log(const UpgradeRow &row) override
    {
        m_log.Add(row);
        if (m_end)
            return;
        if (RowIs(row, "错误：重传的%1命令仍然没有应答，请检查连接后点击重新升级") ||
            RowIs(row, "错误：添加至发送队列时，返回失败"))
            m_end = RunEnd::Silent;
        else if (m_session.Failed() || RowIs(row, "错误：当前=%1，接收=%2，请点击重新升级") ||
                 RowIs(row, "错误：当前=%1，接收=%2，升级终止") ||
                 RowIs(row, "错误：块长度 %1 字节装不进一帧（最多 %2 字节），升级终止"))
            m_end = RunEnd::Failed;
    }
    bool Queue(const std::uint8_t *payload, std::size_t count) override { return m_board.SendFrame({payload, count}); }
    void ArmTimer(int ms) override { m_timer.start(ms); }
    void KillTimer() override { m_timer.stop(); }
    void PostTimer() override
    {
        QTimer::singleShot(0, &m_timer, [this] { m_session.OnTimer(); });
    }
    void SetProgress(std::size_t pos, std::size_t max) override
    {
        m_progress.Set(static_cast<long long>(pos), static_cast<long long>(max));
    }
    void Succeeded() override
    {
        if (!m_end)
            m_end = RunEnd::Done;
    }

private:
    BoardSession &m_board;
    RowLog &m_log;
    Progress &m_progress;
    FwUpgradeSession m_session;
    QTimer m_timer;
    QElapsedTimer m_heard;
    std::optional<RunEnd> m_end;
};

// ------------------------------------------------------------ YModem

class YmRun final : public YModemSink {
public:
    YmRun(BoardSession &board, RowLog &log, Progress &progress, const QString &path, bool wrapped)
        : m_board(board), m_log(log), m_progress(progress), m_wrapped(wrapped),
          m_sender(*this, QFile::encodeName(path).toStdString(), wrapped)
    {
        // The file was checked: its name fits GBK.
        m_sender.SetAnnouncedName(YModemAnnouncedName(path).value_or(std::string()));
        m_timer.setSingleShot(true);
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { Event(YM_EVT_TIMEOUT); });
        m_clock.start();
    }

    RunEnd Run()
    {
        BoardSession::Listener listener;
        listener.onYModem = [this](int signal) {
            m_heard.restart();
            Event(signal);
        };
        m_board.SetListener(listener);
        m_board.SetYModemReceiver(true);
        m_heard.start();
        const BoardSession::Outcome outcome = m_board.RunUntil([this] {
            if (!m_end && m_sender.Finished() && m_finishedAt.isValid() && m_finishedAt.elapsed() > kYmEndWaitMs)
                m_end = RunEnd::Done; // the end-of-batch block went unanswered: the file itself is through
            if (!m_end && m_heard.elapsed() > kSilenceMs)
                m_end = RunEnd::Silent;
            return m_end.has_value();
        });
        m_timer.stop();
        RunEnd end = outcome == BoardSession::Outcome::Lost          ? RunEnd::Lost
                     : outcome == BoardSession::Outcome::Interrupted ? RunEnd::Interrupted
                                                                     : *m_end;
        Leave(end);
        return end;
    }

    void Log(const UpgradeRow &row) override
    {
        m_log.Add(row);
        if (!m_end &&
            (RowIs(row, "下位机取消传输，升级失败！") || RowIs(row, "可能数据块不匹配，主动取消数据传输 ...")))
            m_end = RunEnd::Failed;
    }
    void Transmit(const std::uint8_t *bytes, std::size_t count) override
    {
        if (count == 2 && bytes[0] == kYmCan && bytes[1] == kYmCan)
            m_canceled = true;
        if (!m_wrapped) {
            for (std::size_t at = 0; at < count; at += kYmRawChunk)
                m_board.SendRaw({bytes + at, std::min(kYmRawChunk, count - at)});
            return;
        }
        for (const Payload &frame : WrapYModemBytes(bytes, count))
            m_board.SendFrame(frame);
    }
    void ArmTimer(int ms) override { m_timer.start(ms); }
    void KillTimer() override { m_timer.stop(); }
    void ClearQueues() override { m_board.ClearQueues(); }
    void SetProgress(long long pos, long long max) override { m_progress.Set(pos, max); }
    bool PacketRows() const override { return false; }
    std::uint32_t NowMs() const override { return static_cast<std::uint32_t>(m_clock.elapsed()); }

private:
    // Every end leaves the loader told: a run given up in the middle of the
    // file cancels it, a wrapped run sends its closing frame, and whatever is
    // queued (the cancel, the end block) leaves the line before the port closes.
    void Leave(RunEnd end)
    {
        const bool givenUp = end == RunEnd::Interrupted || end == RunEnd::Silent;
        if (givenUp && m_sender.Block0Sent() && !m_sender.Finished() && !m_canceled) {
            m_board.ClearQueues();
            static constexpr std::uint8_t kCancel[] = {kYmCan, kYmCan};
            Transmit(kCancel, sizeof kCancel);
        }
        m_board.SetYModemReceiver(false);
        m_board.SetListener({});
        if (m_wrapped)
            m_board.SendRaw(kYModemClosingFrame);
        if (end != RunEnd::Lost && !m_board.Flush(m_board.FlushBoundMs()))
            PrintErr(CliText::tr("警告：串口上仍有数据没有发出（板卡的升级程序可能仍在等待）"));
    }

    void Event(int signal)
    {
        const bool finishedBefore = m_sender.Finished();
        m_sender.OnEvent(signal);
        if (m_end)
            return;
        if (!finishedBefore && m_sender.Finished())
            m_finishedAt.start();
        // The receiver asked for the next file and got the empty block 0:
        // its acknowledgement ends the batch.
        if (finishedBefore && signal == YM_EVT_C)
            m_endSent = true;
        else if (m_endSent && signal == YM_EVT_ACK)
            m_end = RunEnd::Done;
    }

    BoardSession &m_board;
    RowLog &m_log;
    Progress &m_progress;
    bool m_wrapped;
    QTimer m_timer;
    QElapsedTimer m_clock;
    QElapsedTimer m_heard;
    QElapsedTimer m_finishedAt;
    bool m_endSent = false;
    bool m_canceled = false;
    std::optional<RunEnd> m_end;
    // Last: the sender reaches the members above from its first row on.
    YModemSender m_sender;
};

// Asks the board (wrapped) or the repeater (raw) to start its YModem loader.
int RequestLoader(BoardSession &session, bool wrapped)
{
    const CommandId command = wrapped ? kCmdBoardUpgrade : kCmdRepeaterUpgrade;
    const QString what = CliText::tr("请求在线升级");
    const BoardSession::Reply reply = session.Request(PlainRequest(command));
    if (reply.outcome != BoardSession::Outcome::Answered) {
        PrintErr(OutcomeText(reply.outcome, what));
        return reply.outcome == BoardSession::Outcome::Interrupted ? kExitInterrupted : kExitLink;
    }
    const std::span<const std::uint8_t> data = FrameData(reply.frame.data(), reply.frame.size());
    if (!data.empty() && data[0] != 0) {
        PrintErr(QStringLiteral("%1：ErrorCode: 0x%2")
                     .arg(what, QString::number(data[0], 16).toUpper().rightJustified(2, u'0')));
        return kExitBoard;
    }
    return kExitOk;
}

// The window's checks of a chosen file, then its bytes; empty with the
// message on standard error when it cannot be sent.
std::optional<std::vector<std::uint8_t>> LoadFile(const QString &path, bool ymodem)
{
    QString error = UpgradeFileError(path);
    QFile file(path);
    std::vector<std::uint8_t> image;
    if (error.isEmpty() && !file.open(QIODevice::ReadOnly))
        error = file.errorString();
    if (error.isEmpty() && file.size() == 0)
        error = QCoreApplication::translate(kFwRowContext, "文件内容为空!");
    if (error.isEmpty()) {
        image.resize(static_cast<std::size_t>(file.size()));
        const qint64 got = file.read(reinterpret_cast<char *>(image.data()), file.size());
        if (got != file.size())
            error = got < 0 ? file.errorString() : QCoreApplication::translate(kFwRowContext, "读取文件返回失败!");
    }
    if (error.isEmpty() && !ymodem)
        if (const char *refusal = FwUpgradeSession::SizeRefusal(image.size()))
            error = QCoreApplication::translate(kFwRowContext, refusal).arg(image.size());
    if (error.isEmpty() && ymodem) {
        if (const std::optional<std::string> name = YModemAnnouncedName(path); !name)
            error = YModemNameRefusal(path);
        else if (const char *refusal = YModemSender::PathRefusal(*name, static_cast<long long>(image.size())))
            error = QCoreApplication::translate(kYmRowContext, refusal);
    }
    if (!error.isEmpty()) {
        PrintErr(QStringLiteral("%1：%2").arg(path, error));
        return std::nullopt;
    }
    return image;
}

} // namespace

int RunUpgrade(const CliRequest &request)
{
    if (request.args.size() != 1) {
        PrintErr(CliText::tr("upgrade 需要一个升级文件"));
        return kExitUsage;
    }
    const QString path = request.args.first().trimmed();
    const bool ymodem = !request.ymodem.isEmpty();
    const bool wrapped = request.ymodem == QLatin1String("wrapped");
    std::optional<std::vector<std::uint8_t>> image = LoadFile(path, ymodem);
    if (!image)
        return kExitUsage;
    const std::size_t size = image->size();

    // Only the board's own YModem loader belongs to the internal debugging
    // mode; the command protocol and the repeater's loader are open to all.
    std::unique_ptr<BoardSession> session;
    if (wrapped) {
        if (int status = OpenInternal(request, &session))
            return status;
    } else {
        int status = kExitOk;
        session = OpenBoard(request.common, &status);
        if (!session)
            return status;
    }
    const int interval = session->Settings().intervalMs;

    const VersionReading before = ReadVersions(*session);
    if (before.outcome != BoardSession::Outcome::Answered) {
        PrintErr(OutcomeText(before.outcome, CliText::tr("读取版本")));
        return before.outcome == BoardSession::Outcome::Interrupted ? kExitInterrupted : kExitLink;
    }

    Progress progress;
    RowLog log(ymodem ? kYmRowContext : kFwRowContext, request.common.verbose, progress);
    QElapsedTimer clock;
    clock.start();
    RunEnd end = RunEnd::Failed;
    int blockSize = 0;
    if (!ymodem) {
        IntervalDuringRun during(kFwCommandInterval, interval);
        FwRun run(*session, log, progress);
        end = run.Run(std::move(*image), QFileInfo(path).fileName());
        blockSize = run.BlockSize();
    } else {
        if (int status = RequestLoader(*session, wrapped))
            return status;
        IntervalDuringRun during(wrapped ? YModemWrappedInterval(interval) : interval, interval);
        YmRun run(*session, log, progress, path, wrapped);
        end = run.Run();
    }
    const double seconds = static_cast<double>(clock.elapsed()) / 1000.0;
    progress.Break();
    if (end != RunEnd::Done) {
        log.ShowLast();
        if (end == RunEnd::Silent)
            PrintErr(CliText::tr("升级中断：板卡无应答"));
        else if (end == RunEnd::Lost)
            PrintErr(CliText::tr("升级中断：串口已断开"));
        else if (end == RunEnd::Failed)
            PrintErr(CliText::tr("升级失败"));
        return StatusOf(end);
    }

    const VersionReading after = ReadVersionsAfterRestart(*session);
    if (after.outcome != BoardSession::Outcome::Answered) {
        if (after.outcome == BoardSession::Outcome::Interrupted)
            return kExitInterrupted;
        PrintErr(CliText::tr("升级文件已被板卡接收，但升级后读不到新版本（%1），请稍后用 pylvexctl status 确认")
                     .arg(OutcomeText(after.outcome, CliText::tr("读取版本"))));
        return kExitVersionUnread;
    }
    const bool changed = after.software != before.software;
    if (!changed)
        PrintErr(CliText::tr("警告：软件版本没有变化，仍是 %1，请确认升级是否生效").arg(after.software));

    const QString protocol = !ymodem ? QStringLiteral("command")
                                     : (wrapped ? QStringLiteral("ymodem-wrapped") : QStringLiteral("ymodem-raw"));
    if (request.common.json) {
        QJsonObject o{{"file", path},
                      {"size", static_cast<qint64>(size)},
                      {"protocol", protocol},
                      {"seconds", seconds},
                      {"old_version", before.software},
                      {"new_version", after.software},
                      {"version_changed", changed}};
        if (!ymodem)
            o["block_size"] = blockSize;
        PrintJson(QJsonDocument(o));
    } else {
        PrintOut(CliText::tr("升级成功：%1（%2 字节，用时 %3 秒）\n软件版本：升级前 %4，升级后 %5\n")
                     .arg(QFileInfo(path).fileName())
                     .arg(size)
                     .arg(seconds, 0, 'f', 1)
                     .arg(before.software, after.software));
    }
    return kExitOk;
}
