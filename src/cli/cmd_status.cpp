// status: the live state once (watch, the live state again and again, lives
// in watch_board.cpp and watch_many.cpp).
#include "cli/commands.h"
#include "cli/status_reader.h"
#include "cli/status_view.h"

int RunStatus(const CliRequest &request)
{
    int status = kExitOk;
    std::unique_ptr<BoardSession> session = OpenBoard(request.common, &status);
    if (!session)
        return status;
    StatusReader reader(*session);
    LiveStatus live;
    const StatusReader::Result result = reader.Read(&live);
    if (result != StatusReader::Result::Ok && result != StatusReader::Result::Partial) {
        PrintErr(OutcomeText(result == StatusReader::Result::Lost          ? BoardSession::Outcome::Lost
                             : result == StatusReader::Result::Interrupted ? BoardSession::Outcome::Interrupted
                                                                           : BoardSession::Outcome::NoAnswer,
                             CliText::tr("读取状态")));
        return ExitStatusOf(result);
    }
    if (request.common.json) {
        PrintJson(QJsonDocument(
            StatusReport(live, QDateTime::currentDateTime(), request.common.secondary, reader.BatchMode())));
    } else {
        PrintOut(StatusText(live));
    }
    for (const auto &[code, text] : live.problems)
        PrintErr(CliText::tr("状态项 0x%1：%2").arg(code, 2, 16, QLatin1Char('0')).arg(QString::fromStdString(text)));
    return ExitStatusOf(result);
}
