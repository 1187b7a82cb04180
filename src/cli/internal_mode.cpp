#include "cli/internal_mode.h"

#include "cli/commands.h"
#include "files/passwordstore.h"
#include "protocol/control_cmds.h"
#include "protocol/param_decode.h"

#include <cstdio>
#include <string>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr const char *kPasswordVariable = "PYLVEX_PASSWORD";

// One line from the terminal with echo off; false without a terminal.
bool ReadFromTerminal(std::string *line)
{
    const int fd = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const QByteArray prompt = CliText::tr("进入保护板（公司人员内部调试）模式，需要通过验证，请输入密码：").toUtf8();
    [[maybe_unused]] ssize_t w = ::write(fd, prompt.constData(), static_cast<std::size_t>(prompt.size()));
    termios saved{};
    const bool isTerminal = ::tcgetattr(fd, &saved) == 0;
    if (isTerminal) {
        termios quiet = saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        ::tcsetattr(fd, TCSAFLUSH, &quiet);
    }
    char c = 0;
    while (::read(fd, &c, 1) == 1 && c != '\n')
        line->push_back(c);
    if (isTerminal)
        ::tcsetattr(fd, TCSAFLUSH, &saved);
    [[maybe_unused]] ssize_t n = ::write(fd, "\n", 1);
    ::close(fd);
    return true;
}

QString HexByte(std::uint8_t b)
{
    return QString::number(b, 16).toUpper().rightJustified(2, u'0');
}

} // namespace

int VerifyPassword()
{
    std::string entered;
    if (qEnvironmentVariableIsSet(kPasswordVariable)) {
        entered = qgetenv(kPasswordVariable).toStdString();
    } else if (!ReadFromTerminal(&entered)) {
        PrintErr(CliText::tr("需要内部调试模式的密码：请在终端中运行，或设置环境变量 %1")
                     .arg(QLatin1String(kPasswordVariable)));
        return kExitUsage;
    }
    const std::string_view password = TrimTrailingBlanks(entered);
    if (password.empty()) {
        PrintErr(CliText::tr("密码为空，请输入密码！"));
        return kExitUsage;
    }
    const PasswordVerdict verdict = PasswordStore().Check(password);
    if (!verdict.pass) {
        PrintErr(QString::fromUtf8(PasswordMismatchText(verdict)));
        return kExitUsage;
    }
    return kExitOk;
}

int EnterInternalMode(BoardSession &session)
{
    const BoardSession::Reply reply = session.Request(PlainRequest(kCmdEnterInternal));
    const QString what = CliText::tr("进入内部调试模式");
    if (reply.outcome != BoardSession::Outcome::Answered) {
        PrintErr(OutcomeText(reply.outcome, what));
        return reply.outcome == BoardSession::Outcome::Interrupted ? kExitInterrupted : kExitLink;
    }
    const std::span<const std::uint8_t> data = FrameData(reply.frame.data(), reply.frame.size());
    if (!data.empty() && data[0] != 0) {
        PrintErr(QStringLiteral("%1：ErrorCode: 0x%2").arg(what, HexByte(data[0])));
        return kExitBoard;
    }
    if (data.size() != 1) {
        PrintErr(QStringLiteral("%1：响应错误码=%2, Len=%3").arg(what, HexByte(0)).arg(data.size()));
        return kExitBoard;
    }
    return kExitOk;
}

int OpenInternal(const CliRequest &request, std::unique_ptr<BoardSession> *session)
{
    if (int status = VerifyPassword())
        return status;
    int status = kExitOk;
    *session = OpenBoard(request.common, &status);
    if (!*session)
        return status;
    return EnterInternalMode(**session);
}
