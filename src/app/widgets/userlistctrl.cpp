#include "app/widgets/userlistctrl.h"

#include <QContextMenuEvent>
#include <QMenu>

#include <iterator>

namespace {

enum class Match { Contains, Equals };

// One colouring rule: in list listId, the cell in column (-1: every column) takes
// colour when the text of testColumn matches text and does not contain notText.
// Columns count from 0, as the list's model does.
struct ColourRule {
    int listId;
    int column;
    int testColumn;
    Match match;
    const char *text;
    const char *notText;
    QRgb colour;
};

constexpr QRgb kRed = 0xFFFF0000;
constexpr QRgb kBlue = 0xFF0000FF;

// First matching rule wins.
const ColourRule kColourRules[] = {
    // Cell list: 0 "节", 1 "单节电压(mV)", 2 "均衡". Summary rows ("单节最小电压 ...")
    // are red in their first two cells; a balancing cell reading "开" is red.
    {1051, 0, 1, Match::Contains, "单节最", nullptr, kRed},
    {1051, 1, 1, Match::Contains, "最", nullptr, kRed},
    {1051, 2, 2, Match::Equals, "开", nullptr, kRed},
    // SOC learning records: the whole row is blue when "测试" (column 7) is "1".
    {1302, -1, 7, Match::Equals, "1", nullptr, kBlue},
    // YModem upgrade list: 0 "时间", 1 "升级过程".
    {1390, 1, 1, Match::Contains, "成功", nullptr, kRed},
    // Command upgrade list: 0 "序号", 1 "时间", 2 "升级过程".
    {1400, 2, 2, Match::Contains, "成功", nullptr, kRed},
    {1400, 2, 2, Match::Contains, "错误", "成功", kBlue},
};

bool RuleMatches(const ColourRule &rule, const QString &text)
{
    const QString want = QString::fromUtf8(rule.text);
    bool hit = rule.match == Match::Equals ? text == want : text.contains(want);
    return hit && !(rule.notText && text.contains(QString::fromUtf8(rule.notText)));
}

} // namespace

std::optional<QColor> UserListTextColour(int listId, const std::function<QString(int column)> &cellText, int column)
{
    if (listId == 0)
        return std::nullopt;
    for (const ColourRule &rule : kColourRules) {
        if (rule.listId != listId || (rule.column != -1 && rule.column != column))
            continue;
        if (RuleMatches(rule, cellText(rule.testColumn)))
            return QColor::fromRgb(rule.colour);
    }
    return std::nullopt;
}

UserListCtrl::UserListCtrl(QWidget *parent) : ListCtrlBase(parent)
{
    RowModel()->SetTextColourFn([this](const ListCtrlModel &model, int row, int column) {
        return UserListTextColour(
            m_nListId, [&](int c) { return model.GetItemText(row, c); }, column);
    });
}

void UserListCtrl::SetListId(int id)
{
    m_nListId = id;
    viewport()->update();
}

int UserListCtrl::AddRow(const QStringList &cells, int image)
{
    int row = AppendRow(cells, image);
    if (m_bShowLatest)
        ScrollToNewest();
    return row;
}

void UserListCtrl::FillContextMenu(QMenu &menu)
{
    menu.setTitle(tr("列表控件"));
    QAction *copy = menu.addAction(tr("复制（&C）"), this, [this] { CopySelectedRows(); });
    copy->setEnabled(GetSelectedCount() > 0);
    menu.addAction(tr("删除（&D）"), this, [this] { DeleteAllItems(); });
    menu.addAction(tr("全选（&A）"), this, [this] { selectAll(); });
    QAction *latest =
        menu.addAction(tr("显示最新（&L）"), this, [this] { m_bShowLatest = !m_bShowLatest; });
    latest->setCheckable(true);
    latest->setChecked(m_bShowLatest);
}

void UserListCtrl::OnHeaderClick(int)
{
    // Every pair of rows compares equal: the rows keep their order.
}

void UserListCtrl::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu menu(this);
    FillContextMenu(menu);
    menu.exec(event->globalPos());
}
