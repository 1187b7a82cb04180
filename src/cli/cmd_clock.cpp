// clock [--set | --sync]: the board's clock against the computer's; --set
// sets it from the computer's local time, --sync only when it is more than
// 600 s off. The time the board answers after setting must be within 2 s.
#include "cli/board_session.h"
#include "cli/commands.h"
#include "protocol/board_clock.h"
#include "protocol/param_decode.h"

#include <QJsonObject>

#include <cstdlib>

namespace {

// Seconds a set clock may differ from the computer's in the board's answer.
constexpr long long kSetToleranceSec = 2;

struct ClockReading {
    int exitStatus = kExitOk;
    BoardTime board;
    long long differenceSec = 0; // board - computer
};

ClockReading Ask(BoardSession &session, std::span<const std::uint8_t> payload)
{
    ClockReading r;
    const BoardSession::Reply reply = session.Request(payload);
    if (reply.outcome != BoardSession::Outcome::Answered) {
        PrintErr(OutcomeText(reply.outcome, CliText::tr("板卡时钟")));
        r.exitStatus = reply.outcome == BoardSession::Outcome::Interrupted ? kExitInterrupted : kExitLink;
        return r;
    }
    const std::time_t now = std::time(nullptr);
    const std::span<const std::uint8_t> data = FrameData(reply.frame.data(), reply.frame.size());
    std::optional<BoardTime> t;
    if (static_cast<int>(data.size()) == kClockNeed && data[0] == 0)
        t = DecodeBoardTime(data.subspan(1));
    if (!t) {
        PrintErr(data.empty() || data[0] == 0
                     ? CliText::tr("板卡时钟：Len:%1, Need:%2").arg(data.size()).arg(kClockNeed)
                     : CliText::tr("板卡时钟：ErrorCode: 0x%1")
                           .arg(QString::number(data[0], 16).toUpper().rightJustified(2, u'0')));
        r.exitStatus = kExitBoard;
        return r;
    }
    r.board = *t;
    r.differenceSec = static_cast<long long>(BoardTimeSeconds(*t)) - static_cast<long long>(now);
    return r;
}

// "yyyy-MM-dd HH:mm:ss", with 'T' between date and time for JSON.
QString TimeText(const BoardTime &t, bool iso = false)
{
    return QString::fromStdString(BoardTimeText(t, iso ? 'T' : ' '));
}

} // namespace

int RunClock(const CliRequest &request)
{
    int status = kExitOk;
    std::unique_ptr<BoardSession> session = OpenBoard(request.common, &status);
    if (!session)
        return status;
    const ClockReading before = Ask(*session, ClockReadPayload());
    if (before.exitStatus != kExitOk)
        return before.exitStatus;
    bool set = request.clockSet || (request.clockSync && std::llabs(before.differenceSec) > kClockToleranceSec);
    ClockReading after = before;
    if (set) {
        after = Ask(*session, ClockSetPayload(std::time(nullptr)));
        if (after.exitStatus != kExitOk)
            return after.exitStatus;
        if (std::llabs(after.differenceSec) > kSetToleranceSec) {
            PrintErr(CliText::tr("板卡时钟设置后仍相差 %1 秒").arg(after.differenceSec));
            status = kExitBoard;
        }
    }
    const QString computer = IsoTime(QDateTime::currentDateTime());
    if (request.common.json) {
        QJsonObject o{{"board_time", TimeText(before.board, true)},
                      {"computer_time", computer},
                      {"difference_s", before.differenceSec},
                      {"set", set}};
        if (set) {
            o["board_time_after"] = TimeText(after.board, true);
            o["difference_after_s"] = after.differenceSec;
        }
        PrintJson(QJsonDocument(o));
    } else {
        QString text =
            CliText::tr("板卡时间：%1\n与电脑相差：%2 秒\n").arg(TimeText(before.board)).arg(before.differenceSec);
        if (set)
            text += CliText::tr("已设置为：%1（相差 %2 秒）\n").arg(TimeText(after.board)).arg(after.differenceSec);
        else if (request.clockSync)
            text += CliText::tr("相差不超过 %1 秒，未设置\n").arg(kClockToleranceSec);
        PrintOut(text);
    }
    return status;
}
