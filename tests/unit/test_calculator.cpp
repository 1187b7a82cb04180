// The expression calculator: preparation, postfix order and results for the
// calculator's own rules, and robustness on arbitrary input.
#include "protocol/calculator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

struct ResultCase {
    const char *expr;
    const char *shown;
};

// The text shown under the expression after "=".
const ResultCase kResults[] = {
    {"1+2*3", "7.000000"},       {"(1+2)*3", "9.000000"},   {"-2^2", "-4.000000"},
    {"7%3*2", "2.000000"},       {"2^3^2", "64.000000"},    {"8/4/2", "1.000000"},
    {"|0-5|+1", "6.000000"},     {"3!", "6.000000"},        {"3!+2", "120.000000"},
    {"3.5!", "6.000000"},        {"0.5!", "1.000000"},      {"0!", "0.000000"},
    {"5.", "5.000000"},          {"|-5|+1", "6.000000"},    {"", "0.000000"},
    {"2+|-5|", "7.000000"},      {"[-2]*{-3}", "6.000000"}, {"2*(-3)", "-6.000000"},
    {"+4", "4.000000"},          {"-7%3", "-1.000000"},     {" 1 + 2 ", "3.000000"},
    {"[1+2]*{3-1}", "6.000000"}, {"3!!", "720.000000"},     {"10-2-3", "5.000000"},
    {"2*3%4", "6.000000"}, // remainder first: 3%4 = 3, then 2*3
    {"1+2^2*3", "13.000000"},    {"171!", "inf"},
};

TEST(Calculator, ResultsShownAfterEquals)
{
    for (const ResultCase &c : kResults) {
        calc::EvalResult r = calc::Evaluate(c.expr);
        EXPECT_EQ(calc::FormatResult(r.value), c.shown) << c.expr;
        EXPECT_EQ(r.error, calc::EvalError::None) << c.expr;
    }
}

struct PrepareCase {
    const char *expr;
    const char *prepared;
};

const PrepareCase kPrepared[] = {
    {"-5", "0-5"},
    {"2*(-3)", "2*(0-3)"},
    {"+1", "0+1"},
    {"[-1]", "[0-1]"},
    {"{-1}", "{0-1}"},
    {"|-1|", "|0-1|"},
    {"(+(-2))", "(0+(0-2))"},
    {"1-2", "1-2"},
    {"", ""},
    {"|2|-1", "|2|-1"}, // a closing bar is no opening: the sign is a subtraction
    {"2+|-5|", "2+|0-5|"},
};

TEST(Calculator, PrepareInsertsZeroBeforeLeadingSigns)
{
    for (const PrepareCase &c : kPrepared)
        EXPECT_EQ(calc::PrepareExpr(c.expr), c.prepared) << c.expr;
}

struct PostfixCase {
    const char *prepared;
    std::vector<std::string> tokens;
};

const PostfixCase kPostfix[] = {
    {"1+2*3", {"1", "2", "3", "*", "+"}},
    {"2^3^2", {"2", "3", "^", "2", "^"}},
    {"3!+2", {"3", "2", "+", "!"}},
    {"|0-5|+1", {"0", "5", "-", "|", "1", "+"}},
    {"5.", {"5.0"}},
    {".5", {"5"}},
    {"1.2.3", {"1.2.3"}},
    // a closing bracket outputs whatever else it meets, other brackets included
    {"(1+[2)", {"1", "2", "[", "+"}},
    // "!" takes everything on the stack, brackets too
    {"(1+2)*3!", {"1", "2", "+", "3", "*", "!"}},
    {"1)", {"1"}},
};

TEST(Calculator, PostfixOrder)
{
    for (const PostfixCase &c : kPostfix)
        EXPECT_EQ(calc::ToPostfix(c.prepared), c.tokens) << c.prepared;
}

struct ReuseCase {
    std::vector<std::string> tokens;
    double value;
};

// A missing operand takes the value its position had in the previous
// operation of the same evaluation, 0 at its start.
const ReuseCase kReuse[] = {
    {{"5", "*"}, 0.0},                // 0 * 5
    {{"2", "3", "+", "*"}, 10.0},     // 2 + 3, then 2 * 5
    {{"+"}, 0.0},                     // 0 + 0
    {{"4", "2", "-", "-"}, 2.0},      // 4 - 2, then 4 - 2
    {{"9", "3", "/", "1", "^"}, 3.0}, // 9 / 3, then 3 ^ 1
    {{"("}, 0.0},                     // brackets in the output are skipped
    {{}, 0.0},
};

TEST(Calculator, MissingOperandsReuseThePreviousOperation)
{
    for (const ReuseCase &c : kReuse) {
        calc::EvalResult r = calc::EvalPostfix(c.tokens);
        EXPECT_DOUBLE_EQ(r.value, c.value);
        EXPECT_EQ(r.error, calc::EvalError::None);
    }
    EXPECT_EQ(calc::Evaluate("1+").error, calc::EvalError::Malformed);
}

// Texts that are no expression give an error instead of a number.
const char *const kMalformed[] = {
    "2+*3", "(1+2", "abc", ")(", "1+", "*2", "2(3)", "(1+2]", "1)",   "()", ".5", "1.2.3+1", "2 + 3 x",
    "2 3",  "3!4",  "|",   "||", "!",  "!!", "(!)",  "|)|",   "2*-3", "|1", "1|", "\xff",    "1\n",
};

TEST(Calculator, MalformedExpressionsAreRefused)
{
    for (const char *expr : kMalformed) {
        const calc::EvalResult r = calc::Evaluate(expr);
        EXPECT_EQ(r.error, calc::EvalError::Malformed) << expr;
        EXPECT_FALSE(calc::WellFormed(calc::PrepareExpr(expr))) << expr;
    }
    for (const ResultCase &c : kResults)
        EXPECT_TRUE(calc::WellFormed(calc::PrepareExpr(c.expr))) << c.expr;
}

TEST(Calculator, DivisionByZeroIsSaid)
{
    for (const char *expr : {"1/0", "0-1/0", "5%0", "1/(2-2)", "0/0"})
        EXPECT_EQ(calc::Evaluate(expr).error, calc::EvalError::DivisionByZero) << expr;
    EXPECT_EQ(calc::Evaluate("0/1").error, calc::EvalError::None);
}

struct FactorialCase {
    double x;
    double value;
};

const FactorialCase kFactorials[] = {
    {1.0, 1.0},  {2.0, 2.0}, {3.5, 6.0},   {5.0, 120.0},
    {0.25, 1.0}, {0.0, 0.0}, {-3.0, -3.0}, {20.0, 2432902008176640000.0},
};

TEST(Calculator, Factorial)
{
    for (const FactorialCase &c : kFactorials)
        EXPECT_DOUBLE_EQ(calc::Factorial(c.x), c.value) << c.x;
    EXPECT_TRUE(std::isfinite(calc::Factorial(170.0)));
    EXPECT_DOUBLE_EQ(calc::Factorial(170.0), calc::Factorial(169.0) * 170.0);
    EXPECT_TRUE(std::isinf(calc::Factorial(171.0)));
    EXPECT_TRUE(std::isinf(calc::Factorial(1e300)));
    EXPECT_TRUE(std::isinf(calc::Factorial(std::numeric_limits<double>::infinity())));
    EXPECT_TRUE(std::isnan(calc::Factorial(std::nan(""))));
}

// Bars and "!" with nothing to work on: the evaluator itself gives an error
// instead of reading past the stack (Evaluate refuses them before).
const char *const kMissingValue[] = {"!", "|", "||", "(!)", "|)|", "!!"};

TEST(Calculator, BarOrFactorialWithoutValueIsAnError)
{
    for (const char *expr : kMissingValue)
        EXPECT_EQ(calc::EvalPostfix(calc::ToPostfix(calc::PrepareExpr(expr))).error, calc::EvalError::MissingValue)
            << expr;
}

TEST(Calculator, HugeNumbersSaturate)
{
    std::string big(400, '9');
    EXPECT_TRUE(std::isinf(calc::Evaluate(big).value));
    std::string tiny = "0." + std::string(400, '0') + "1";
    EXPECT_EQ(calc::Evaluate(tiny).value, 0.0);
}

TEST(Calculator, DeepNestingNeedsNoRecursion)
{
    const int depth = 200000;
    std::string expr = std::string(depth, '(') + "1+2" + std::string(depth, ')');
    EXPECT_EQ(calc::FormatResult(calc::Evaluate(expr).value), "3.000000");
    std::string bars;
    for (int i = 0; i < depth; ++i)
        bars += "|0-";
    bars += "1";
    calc::EvalResult r = calc::Evaluate(bars + std::string(depth, '|'));
    EXPECT_TRUE(std::isfinite(r.value));
}

// Random expressions from the calculator's own characters and some others:
// every one ends with a value or an error, never a crash or a hang.
TEST(Calculator, RandomInputEndsWithAValue)
{
    const std::string alphabet = "0123456789.+-*/%^|!()[]{} x\n\xff";
    std::mt19937 rng(12345);
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    std::uniform_int_distribution<int> length(0, 64);
    for (int n = 0; n < 20000; ++n) {
        std::string expr;
        int len = length(rng);
        for (int i = 0; i < len; ++i)
            expr.push_back(alphabet[pick(rng)]);
        calc::EvalResult r = calc::Evaluate(expr);
        std::string shown = calc::FormatResult(r.value);
        ASSERT_FALSE(shown.empty()) << expr;
    }
}

} // namespace
