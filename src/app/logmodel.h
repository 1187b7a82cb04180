// Rows of the system log: level name (with the level's icon), time, title, text.
// A list holding more than 8192 rows drops its 2048 oldest before a new row.
#pragma once

#include "app/widgets/listctrlmodel.h"

#include <QString>

struct LogRow {
    int level = 0;
    QString time;
    QString title;
    QString text;
};

class LogModel : public ListCtrlModel {
    Q_OBJECT
public:
    static constexpr int kMaxRows = 8192;
    static constexpr int kDropRows = 2048;
    static constexpr int kLevels = 8;

    explicit LogModel(QObject *parent = nullptr);

    static QString LevelName(int level);

    void AddRow(int level, const QString &time, const QString &title, const QString &text);
    void ClearRows() { DeleteAllItems(); }
    LogRow Row(int row) const;
};
