#include "app/pages/calculatorpage.h"

#include "protocol/calculator.h"

#include <QFont>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
// The buttons in their grid places: id, caption, row, column. Every button
// but "C", "delete" and "=" appends its caption to the expression.
struct KeyButton {
    int id;
    const char *caption;
    int row;
    int column;
};

constexpr KeyButton kKeys[] = {
    {CalculatorPage::IDC_CLEAR_ALL, QT_TRANSLATE_NOOP("CalculatorPage", "C"), 0, 0},
    {CalculatorPage::IDC_DELETE, QT_TRANSLATE_NOOP("CalculatorPage", "delete"), 0, 1},
    {1469, "(", 0, 2},
    {1470, ")", 0, 3},
    {1468, "/", 0, 4},
    {1461, "7", 1, 0},
    {1462, "8", 1, 1},
    {1463, "9", 1, 2},
    {1464, "*", 1, 3},
    {1467, "^", 1, 4},
    {1457, "4", 2, 0},
    {1458, "5", 2, 1},
    {1459, "6", 2, 2},
    {1460, "-", 2, 3},
    {1446, "%", 2, 4},
    {1453, "1", 3, 0},
    {1454, "2", 3, 1},
    {1455, "3", 3, 2},
    {1456, "+", 3, 3},
    {1465, "|", 3, 4},
    {1450, "0", 4, 0},
    {1451, ".", 4, 1},
    {1466, "!", 4, 2},
    {CalculatorPage::IDC_EQUALS, "=", 4, 3},
};
} // namespace

CalculatorPage::CalculatorPage(PageHost *host, QWidget *parent) : PageBase(host, tr("计算器"), parent) {}

void CalculatorPage::OnInitDialog()
{
    auto *outer = new QVBoxLayout(this);
    QLineEdit *expr = MakeEdit(IDC_EXPR);
    expr->setAlignment(Qt::AlignRight);
    outer->addWidget(expr);
    QLabel *result = MakeLabel(IDC_RESULT, QStringLiteral("0"));
    result->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    result->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QFont large = result->font();
    if (large.pointSizeF() > 0)
        large.setPointSizeF(large.pointSizeF() * 1.5);
    result->setFont(large);
    expr->setFont(large);
    outer->addWidget(result);

    auto *grid = new QGridLayout;
    for (const KeyButton &key : kKeys) {
        // The appended captions are the expression's own characters, never translated.
        const bool command = key.id == IDC_CLEAR_ALL || key.id == IDC_DELETE;
        QPushButton *button = MakeButton(key.id, command ? tr(key.caption) : QString::fromLatin1(key.caption));
        button->setAutoDefault(false);
        // "=" takes the last two places of its row.
        grid->addWidget(button, key.row, key.column, 1, key.id == IDC_EQUALS ? 2 : 1);
        switch (key.id) {
        case IDC_CLEAR_ALL: connect(button, &QPushButton::clicked, this, [this] { OnBtnClickClearAll(); }); break;
        case IDC_DELETE: connect(button, &QPushButton::clicked, this, [this] { OnBtnClickDelete(); }); break;
        case IDC_EQUALS: connect(button, &QPushButton::clicked, this, [this] { OnBtnClickEquals(); }); break;
        default: connect(button, &QPushButton::clicked, this, [this, button] { Append(button->text()); }); break;
        }
    }
    outer->addLayout(grid);
    outer->addStretch(1);
    // Enter in the expression box evaluates it, as "=" does.
    connect(expr, &QLineEdit::returnPressed, this, [this] { OnBtnClickEquals(); });
    PageBase::OnInitDialog();
}

void CalculatorPage::Append(const QString &text)
{
    SetDlgItemText(IDC_EXPR, GetDlgItemText(IDC_EXPR) + text);
    if (auto *expr = Item<QLineEdit>(IDC_EXPR))
        expr->end(false);
}

void CalculatorPage::OnBtnClickClearAll()
{
    SetDlgItemText(IDC_EXPR, QString());
    SetDlgItemText(IDC_RESULT, QStringLiteral("0"));
}

void CalculatorPage::OnBtnClickDelete()
{
    QString text = GetDlgItemText(IDC_EXPR);
    if (text.isEmpty())
        return;
    text.chop(1);
    SetDlgItemText(IDC_EXPR, text);
    if (auto *expr = Item<QLineEdit>(IDC_EXPR))
        expr->end(false);
}

void CalculatorPage::OnBtnClickEquals()
{
    const calc::EvalResult r = calc::Evaluate(GetDlgItemText(IDC_EXPR).toStdString());
    if (r.error == calc::EvalError::DivisionByZero) {
        SetDlgItemText(IDC_RESULT, tr("除数不能为零！"));
        return;
    }
    if (r.error != calc::EvalError::None) {
        SetDlgItemText(IDC_RESULT, tr("表达式有误！"));
        return;
    }
    SetDlgItemText(IDC_RESULT, QString::fromStdString(calc::FormatResult(r.value)));
}
