// The expression calculator: an expression text becomes postfix tokens by an
// operator stack and the tokens are evaluated on a value stack.
//
// The rules are the calculator's own and kept as users know them: "+" "-"
// (precedence 1), "*" "/" (2), "%" "^" (3) all group from the left; bars "|"
// alternate between opening and closing an absolute value; "!" takes the
// whole expression before it. An expression that is not well formed is
// refused as a whole rather than given a number, and so is a division by zero. No input reads outside the text or
// the stacks, and every loop is bounded by the input length.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace calc {

// Puts a "0" in front of every "+" or "-" that stands as a sign: at the
// start, or directly after an opening bracket or an opening bar.
std::string PrepareExpr(std::string_view expr);

// Whether a prepared expression is one the calculator can read: numbers with
// at most one point (not starting with one), operators between operands, "!"
// after an operand, brackets that pair up with their own kind, bars that
// pair up, blanks anywhere and no other characters. An empty expression is
// well formed (it gives 0).
bool WellFormed(std::string_view prepared);

// Postfix tokens of a prepared expression: numbers, operators, and brackets
// that reached the output.
std::vector<std::string> ToPostfix(std::string_view prepared);

enum class EvalError {
    None,
    // "|" or "!" found no value to work on (for example "!" or "|+|").
    MissingValue,
    // The text is no expression (see WellFormed); nothing was evaluated.
    Malformed,
    // "/" or "%" with a right operand of zero.
    DivisionByZero,
};

struct EvalResult {
    double value = 0.0;
    EvalError error = EvalError::None;
};

EvalResult EvalPostfix(const std::vector<std::string> &tokens);

// PrepareExpr, WellFormed, ToPostfix and EvalPostfix in a row.
EvalResult Evaluate(std::string_view expr);

// The factorial as the calculator takes it: 1 * 2 * ... * floor(x) for x >= 1,
// 1 for 0 < x < 1, x itself otherwise; infinity once the product overflows.
double Factorial(double x);

// "%f" of the value ("inf", "-inf", "nan" as the C library prints them).
std::string FormatResult(double value);

} // namespace calc
