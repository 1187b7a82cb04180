// The list of the battery record page: sorted like the log lists, with a row
// appender for 13-column records.
#pragma once

#include "app/widgets/listctrlbase.h"

class RecordListCtrl : public ListCtrlBase {
    Q_OBJECT
public:
    static constexpr int kMaxRows = 8192;
    static constexpr int kDropRows = 2048;
    static constexpr int kRecordTexts = 13;

    using ListCtrlBase::ListCtrlBase;

    // Puts up to 13 texts in columns 1 to 13 of a new last row (missing ones stay
    // empty, extra ones are ignored); a list holding more than 8192 rows first
    // drops its first 2048. With scroll set the new row is brought into view.
    int AddRecordRow(const QStringList &texts, bool scroll);
};
