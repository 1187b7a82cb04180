#include "app/framework/rxreports.h"

#include "app/framework/systemlog.h"
#include "protocol/frame.h"

#include <algorithm>
#include <cstdio>
#include <string>

ResponseView ViewResponse(const std::uint8_t *frame, int len)
{
    ResponseView view;
    if (!frame || len < 5)
        return view;
    view.dataLen = frame[4];
    view.data = frame + 5;
    view.avail = std::clamp(len - 9, 0, view.dataLen);
    return view;
}

void ReportUnhandled(const std::uint8_t *frame, int len)
{
    int cls = len > 2 ? frame[2] : 0;
    int code = len > 3 ? frame[3] : 0;
    char message[80];
    std::snprintf(message, sizeof message, "上位机未处理命令 %02X %02X ，", cls, code);
    ReportFrameBytes(3, frame, len, message);
}

void ReportErrorCode(const std::uint8_t *frame, int len)
{
    char message[80];
    std::snprintf(message, sizeof message, "命令执行失败，响应错误码(0x%02X)，", ViewResponse(frame, len).ResultCode());
    ReportFrameBytes(3, frame, len, message);
}

void ReportLengthMismatch(const std::uint8_t *frame, int len, int need)
{
    char message[80];
    std::snprintf(message, sizeof message, "长度字段(%hhu)与协议(%d)不匹配，",
                  static_cast<unsigned char>(ViewResponse(frame, len).dataLen), need);
    ReportFrameBytes(3, frame, len, message);
}

void ReportFrameRow(int level, const std::uint8_t *frame, int len, const char *text)
{
    if (!SystemLogGateOpen(level))
        return;
    std::string title = FrameLogTitle("接收", frame, len > 0 ? static_cast<std::size_t>(len) : 0);
    SystemLog(level, QString::fromStdString(title), QString::fromUtf8(text));
}

void ReportFrameBytes(int level, const std::uint8_t *frame, int len, const char *message)
{
    if (!SystemLogGateOpen(level))
        return;
    std::size_t n = len > 0 ? static_cast<std::size_t>(len) : 0;
    std::string text = message;
    AppendHexText(text, frame, n);
    SystemLog(level, QString::fromStdString(FrameLogTitle("接收", frame, n)), QString::fromStdString(text));
}
