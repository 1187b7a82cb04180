// Reading and driving the list controls in widget tests: a column's texts, a
// click on a header, and a context-menu entry by its text.
#pragma once

#include "app/widgets/listctrlbase.h"

#include <QHeaderView>
#include <QMenu>
#include <QtTest>

inline QStringList Column(const ListCtrlBase &list, int column)
{
    QStringList texts;
    for (int r = 0; r < list.GetItemCount(); ++r)
        texts << list.GetItemText(r, column);
    return texts;
}

inline void ClickHeader(ListCtrlBase &list, int column)
{
    QHeaderView *header = list.horizontalHeader();
    QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, at);
}

// The menu's action with that text; null when there is none.
inline QAction *FindAction(QMenu &menu, const QString &text)
{
    for (QAction *a : menu.actions())
        if (a->text() == text)
            return a;
    return nullptr;
}
