#include "app/widgets/recordlistctrl.h"

int RecordListCtrl::AddRecordRow(const QStringList &texts, bool scroll)
{
    RowModel()->TrimFront(kMaxRows, kDropRows);
    QStringList cells{QString()};
    cells << texts.mid(0, kRecordTexts);
    int row = AppendRow(cells);
    if (scroll)
        ScrollToNewest();
    return row;
}
