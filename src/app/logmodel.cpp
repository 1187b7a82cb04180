#include "app/logmodel.h"

LogModel::LogModel(QObject *parent) : ListCtrlModel(parent)
{
    static const char *const headers[] = {"类型", "时间", "动作", "内容"};
    for (const char *h : headers)
        InsertColumn(GetColumnCount(), QString::fromUtf8(h));
}

QString LogModel::LevelName(int level)
{
    static const char *const names[kLevels] = {"紧急", "故障", "关键", "错误", "警告", "通告", "信息", "调试"};
    if (level < 0 || level >= kLevels)
        return QString();
    return QString::fromUtf8(names[level]);
}

void LogModel::AddRow(int level, const QString &time, const QString &title, const QString &text)
{
    TrimFront(kMaxRows, kDropRows);
    AppendRow(QStringList{LevelName(level), time, title, text}, level);
}

LogRow LogModel::Row(int row) const
{
    return LogRow{GetItemImage(row), GetItemText(row, 1), GetItemText(row, 2), GetItemText(row, 3)};
}
