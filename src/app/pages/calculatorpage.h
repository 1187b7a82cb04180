// "计算器": an expression typed or clicked together from the buttons is
// evaluated with the calculator's own rules (protocol/calculator.h) and the
// result shown with six decimals. The page has no connection to the board.
#pragma once

#include "app/framework/pagebase.h"

class CalculatorPage : public PageBase {
    Q_OBJECT
public:
    static constexpr int IDC_EXPR = 1448, IDC_RESULT = 1449;
    static constexpr int IDC_CLEAR_ALL = 1471, IDC_DELETE = 1472, IDC_EQUALS = 1452;

    explicit CalculatorPage(PageHost *host, QWidget *parent = nullptr);

protected:
    void OnInitDialog() override;

private:
    void Append(const QString &text);
    void OnBtnClickClearAll();
    void OnBtnClickDelete();
    void OnBtnClickEquals();
};
