// "计算器": expressions clicked together from the buttons or typed, "C",
// "delete", "=" and Enter, and the result texts of the calculator's rules.
#include "app/pages/calculatorpage.h"
#include "gui/page_fixture.h"

#include "gui/widget_test_main.h"
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <map>

namespace {
// The id of the button with each caption.
const std::map<QChar, int> kKeyIds = {
    {'0', 1450}, {'1', 1453}, {'2', 1454}, {'3', 1455}, {'4', 1457}, {'5', 1458}, {'6', 1459},
    {'7', 1461}, {'8', 1462}, {'9', 1463}, {'.', 1451}, {'+', 1456}, {'-', 1460}, {'*', 1464},
    {'/', 1468}, {'%', 1446}, {'^', 1467}, {'|', 1465}, {'!', 1466}, {'(', 1469}, {')', 1470},
};
} // namespace

class TestCalculatorPage : public QObject, private PageFixture<CalculatorPage> {
    Q_OBJECT
private:
    QString Expr() const { return m_page->GetDlgItemText(CalculatorPage::IDC_EXPR); }
    QString Result() const { return m_page->GetDlgItemText(CalculatorPage::IDC_RESULT); }
    // Clicks the buttons of the expression's characters, then "=".
    void ClickExpression(const QString &expr)
    {
        for (QChar c : expr) {
            auto it = kKeyIds.find(c);
            QVERIFY2(it != kKeyIds.end(), qPrintable(QString(c)));
            QTest::mouseClick(m_page->Item<QPushButton>(it->second), Qt::LeftButton);
        }
        QTest::mouseClick(m_page->Item<QPushButton>(CalculatorPage::IDC_EQUALS), Qt::LeftButton);
    }

private slots:
    void init() { QVERIFY(OpenPage()); }
    void cleanup() { ClosePage(); }

    void buttonsCarryTheirCaptions()
    {
        QCOMPARE(m_page->Caption(), QStringLiteral("计算器"));
        QVERIFY(!m_page->IsInnerPage());
        for (const auto &[caption, id] : kKeyIds)
            QCOMPARE(m_page->GetDlgItemText(id), QString(caption));
        QCOMPARE(m_page->GetDlgItemText(1471), QStringLiteral("C"));
        QCOMPARE(m_page->GetDlgItemText(1472), QStringLiteral("delete"));
        QCOMPARE(m_page->GetDlgItemText(1452), QStringLiteral("="));
        QCOMPARE(Result(), QStringLiteral("0"));
        QCOMPARE(m_page->Item<QLineEdit>(1448)->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    }

    void clickedExpressions_data()
    {
        QTest::addColumn<QString>("expr");
        QTest::addColumn<QString>("shown");
        QTest::newRow("product first") << "1+2*3"
                                       << "7.000000";
        QTest::newRow("brackets") << "(1+2)*3"
                                  << "9.000000";
        QTest::newRow("leading sign") << "-2^2"
                                      << "-4.000000";
        QTest::newRow("remainder binds tighter") << "7%3*2"
                                                 << "2.000000";
        QTest::newRow("powers group from the left") << "2^3^2"
                                                    << "64.000000";
        QTest::newRow("division from the left") << "8/4/2"
                                                << "1.000000";
        QTest::newRow("bars") << "|0-5|+1"
                              << "6.000000";
        QTest::newRow("factorial") << "3!"
                                   << "6.000000";
        QTest::newRow("factorial takes all before it") << "3!+2"
                                                       << "120.000000";
        QTest::newRow("trailing point") << "5."
                                        << "5.000000";
        QTest::newRow("leading point") << ".5"
                                       << "表达式有误！";
        QTest::newRow("empty") << ""
                               << "0.000000";
        QTest::newRow("division by zero") << "1/0"
                                          << "除数不能为零！";
        QTest::newRow("remainder by zero") << "5%(2-2)"
                                           << "除数不能为零！";
        QTest::newRow("huge factorial") << "999999999!"
                                        << "inf";
        // "|" or "!" with nothing to work on gives an error text, not a number.
        QTest::newRow("lone factorial") << "!"
                                        << "表达式有误！";
        QTest::newRow("empty bars") << "||"
                                    << "表达式有误！";
        // Malformed expressions are refused instead of given a number.
        QTest::newRow("two operators") << "2+*3"
                                       << "表达式有误！";
        QTest::newRow("unclosed bracket") << "(1+2"
                                          << "表达式有误！";
        QTest::newRow("reversed brackets") << ")("
                                           << "表达式有误！";
        QTest::newRow("trailing operator") << "1+"
                                           << "表达式有误！";
    }
    void clickedExpressions()
    {
        QFETCH(QString, expr);
        QFETCH(QString, shown);
        ClickExpression(expr);
        QCOMPARE(Expr(), expr); // the expression stays
        QCOMPARE(Result(), shown);
    }

    void typedExpressionAndEnter()
    {
        QLineEdit *edit = m_page->Item<QLineEdit>(1448);
        QTest::keyClicks(edit, QStringLiteral("2 * (-3)"));
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(Result(), QStringLiteral("-6.000000"));
        // A button appends at the end of the typed text.
        QTest::mouseClick(m_page->Item<QPushButton>(1456), Qt::LeftButton);
        QCOMPARE(Expr(), QStringLiteral("2 * (-3)+"));
    }

    void deleteAndClear()
    {
        ClickExpression(QStringLiteral("12+3"));
        QCOMPARE(Result(), QStringLiteral("15.000000"));
        QTest::mouseClick(m_page->Item<QPushButton>(1472), Qt::LeftButton);
        QCOMPARE(Expr(), QStringLiteral("12+"));
        QTest::mouseClick(m_page->Item<QPushButton>(1452), Qt::LeftButton);
        QCOMPARE(Result(), QStringLiteral("表达式有误！")); // an operand is missing
        QTest::mouseClick(m_page->Item<QPushButton>(1471), Qt::LeftButton);
        QVERIFY(Expr().isEmpty());
        QCOMPARE(Result(), QStringLiteral("0"));
        // "delete" on an empty expression does nothing.
        QTest::mouseClick(m_page->Item<QPushButton>(1472), Qt::LeftButton);
        QVERIFY(Expr().isEmpty());
    }
};

int main(int argc, char **argv)
{
    return RunWidgetTest<TestCalculatorPage>(argc, argv);
}

#include "test_calculatorpage.moc"
