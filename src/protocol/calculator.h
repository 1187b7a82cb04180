// The expression calculator: an expression text becomes postfix tokens by an
// operator stack and the tokens are evaluated on a value stack.
//
// The rules are the calculator's own and kept as users know them: "+" "-"
// (precedence 1), "*" "/" (2), "%" "^" (3) all group from the left; bars "|"
// alternate between opening and closing an absolute value; "!" takes the
// whole expression before it; a missing operand reuses the value that
// position had in the previous operation. No input reads outside the text or
// the stacks, and every loop is bounded by the input length.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace calc {

// Puts a "0" in front of every "+" or "-" at the start or directly after "(".
std::string PrepareExpr(std::string_view expr);

// Postfix tokens of a prepared expression: numbers, operators, and brackets
// that reached the output.
std::vector<std::string> ToPostfix(std::string_view prepared);

enum class EvalError {
    None,
    // "|" or "!" found no value to work on (for example "!" or "|+|").
    MissingValue,
};

struct EvalResult {
    double value = 0.0;
    EvalError error = EvalError::None;
};

EvalResult EvalPostfix(const std::vector<std::string> &tokens);

// PrepareExpr, ToPostfix and EvalPostfix in a row.
EvalResult Evaluate(std::string_view expr);

// The factorial as the calculator takes it: 1 * 2 * ... * floor(x) for x >= 1,
// 1 for 0 < x < 1, x itself otherwise; infinity once the product overflows.
double Factorial(double x);

// "%f" of the value ("inf", "-inf", "nan" as the C library prints them).
std::string FormatResult(double value);

} // namespace calc
