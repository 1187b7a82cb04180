// Every other list of the tool: rows keep their order on a header click, a
// context menu of its own, text colours of certain cells chosen by the list's
// control id, and the show-latest switch its owner consults when appending.
#pragma once

#include "app/widgets/listctrlbase.h"

#include <QColor>

#include <functional>
#include <optional>

class QMenu;

// Text colour of a cell of the list with the given control id; no value for
// the default colour. cellText gives the texts of the cell's row by column.
std::optional<QColor> UserListTextColour(int listId, const std::function<QString(int column)> &cellText, int column);

class UserListCtrl : public ListCtrlBase {
    Q_OBJECT
public:
    explicit UserListCtrl(QWidget *parent = nullptr);

    // Control id selecting the colour rules (0 = none); set by the owner.
    int m_nListId = 0;
    // Owners scroll new rows into view while this is on.
    bool m_bShowLatest = true;

    void SetListId(int id);
    // Appends a row and, while show-latest is on, brings it into view.
    int AddRow(const QStringList &cells, int image = -1);

    // The entries of the list's context menu: copy (only with a selection),
    // delete every row, select every row, show latest (checked while on).
    void FillContextMenu(QMenu &menu);

protected:
    void OnHeaderClick(int column) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
};
