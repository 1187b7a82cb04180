#include "app/logmodel.h"

#include <QCoreApplication>

LogModel::LogModel(QObject *parent) : ListCtrlModel(parent)
{
    static const char *const headers[] = {QT_TRANSLATE_NOOP("LogModel", "类型"), QT_TRANSLATE_NOOP("LogModel", "时间"),
                                          QT_TRANSLATE_NOOP("LogModel", "动作"), QT_TRANSLATE_NOOP("LogModel", "内容")};
    for (const char *h : headers)
        InsertColumn(GetColumnCount(), QCoreApplication::translate("LogModel", h));
}

QString LogModel::LevelName(int level)
{
    static const char *const names[kLevels] = {
        QT_TRANSLATE_NOOP("LogModel", "紧急"), QT_TRANSLATE_NOOP("LogModel", "故障"),
        QT_TRANSLATE_NOOP("LogModel", "关键"), QT_TRANSLATE_NOOP("LogModel", "错误"),
        QT_TRANSLATE_NOOP("LogModel", "警告"), QT_TRANSLATE_NOOP("LogModel", "通告"),
        QT_TRANSLATE_NOOP("LogModel", "信息"), QT_TRANSLATE_NOOP("LogModel", "调试")};
    if (level < 0 || level >= kLevels)
        return QString();
    return QCoreApplication::translate("LogModel", names[level]);
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
