#include "protocol/calculator.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace calc {
namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsOpening(char c)
{
    return c == '(' || c == '[' || c == '{';
}

char OpeningOf(char closing)
{
    switch (closing) {
    case ')': return '(';
    case ']': return '[';
    case '}': return '{';
    default: return 0;
    }
}

int Precedence(char op)
{
    switch (op) {
    case '+':
    case '-': return 1;
    case '*':
    case '/': return 2;
    case '%':
    case '^': return 3;
    default: return 0; // bars, "!" and brackets
    }
}

bool IsBinary(char op)
{
    return op == '+' || op == '-' || op == '*' || op == '/' || op == '%' || op == '^';
}

// One number token: digits and points as they stand; a trailing point reads as ".0".
std::size_t TakeNumber(std::string_view text, std::size_t at, std::vector<std::string> &out)
{
    std::size_t end = at;
    while (end < text.size() && (IsDigit(text[end]) || text[end] == '.'))
        ++end;
    std::string token(text.substr(at, end - at));
    if (token.back() == '.')
        token.push_back('0');
    out.push_back(std::move(token));
    return end;
}

class PostfixBuilder {
public:
    explicit PostfixBuilder(std::vector<std::string> &out) : m_out(out) {}

    void Closing(char closing)
    {
        char opening = OpeningOf(closing);
        while (!m_stack.empty()) {
            char top = PopTop();
            if (top == opening)
                return;
            Output(top);
        }
    }

    void Bar()
    {
        m_barOpen = !m_barOpen;
        if (m_barOpen) {
            m_stack.push_back('|');
            return;
        }
        while (!m_stack.empty()) {
            char top = PopTop();
            Output(top);
            if (top == '|')
                return;
        }
    }

    void Operator(char op)
    {
        if (!m_stack.empty() && !IsOpening(m_stack.back()) && m_stack.back() != '|') {
            while (!m_stack.empty()) {
                if (op != '!' && Precedence(m_stack.back()) < Precedence(op))
                    break;
                Output(PopTop());
            }
        }
        m_stack.push_back(op);
    }

    void Push(char c) { m_stack.push_back(c); }

    void Finish()
    {
        while (!m_stack.empty())
            Output(PopTop());
    }

private:
    char PopTop()
    {
        char top = m_stack.back();
        m_stack.pop_back();
        return top;
    }
    void Output(char c) { m_out.emplace_back(1, c); }

    std::vector<std::string> &m_out;
    std::vector<char> m_stack;
    bool m_barOpen = false;
};

double ParseNumber(const std::string &token)
{
    double value = 0.0;
    const char *begin = token.data();
    const char *end = begin + token.size();
    auto [ptr, ec] = std::from_chars(begin, end, value, std::chars_format::fixed);
    if (ec == std::errc::result_out_of_range) {
        // Too many digits for a double: the conversion saturates like strtod.
        bool tiny = true;
        for (const char *p = begin; p < end && *p != '.'; ++p)
            tiny = tiny && *p == '0';
        return tiny ? 0.0 : std::numeric_limits<double>::infinity();
    }
    (void)ptr;
    return value;
}

double Apply(char op, double left, double right)
{
    switch (op) {
    case '+': return left + right;
    case '-': return left - right;
    case '*': return left * right;
    case '/': return left / right;
    case '%': return std::fmod(left, right);
    default: return std::pow(left, right);
    }
}

} // namespace

std::string PrepareExpr(std::string_view expr)
{
    std::string out;
    out.reserve(expr.size() + 8);
    bool barOpen = false;
    bool afterOpening = true; // the start counts as an opening
    for (char c : expr) {
        if ((c == '+' || c == '-') && afterOpening)
            out.push_back('0');
        out.push_back(c);
        if (c == '|')
            barOpen = !barOpen;
        afterOpening = IsOpening(c) || (c == '|' && barOpen);
    }
    return out;
}

bool WellFormed(std::string_view prepared)
{
    std::vector<char> open; // brackets and bars not closed yet
    bool barOpen = false;
    bool wantOperand = true;
    bool any = false;
    std::size_t i = 0;
    while (i < prepared.size()) {
        const char c = prepared[i];
        if (c == ' ' || c == '\t') {
            ++i;
            continue;
        }
        any = true;
        if (IsDigit(c)) {
            int points = 0;
            while (i < prepared.size() && (IsDigit(prepared[i]) || prepared[i] == '.'))
                points += prepared[i++] == '.';
            if (!wantOperand || points > 1)
                return false;
            wantOperand = false;
            continue;
        }
        if (IsOpening(c) || (c == '|' && !barOpen)) {
            if (!wantOperand)
                return false;
            open.push_back(c);
            barOpen = barOpen || c == '|';
        } else if (OpeningOf(c) || c == '|') {
            const char opening = c == '|' ? '|' : OpeningOf(c);
            if (wantOperand || open.empty() || open.back() != opening)
                return false;
            open.pop_back();
            if (c == '|')
                barOpen = false;
        } else if (IsBinary(c)) {
            if (wantOperand)
                return false;
            wantOperand = true;
        } else if (c != '!' || wantOperand) {
            return false; // a stray point, a letter, "!" without an operand
        }
        ++i;
    }
    return !any || (!wantOperand && open.empty());
}

std::vector<std::string> ToPostfix(std::string_view prepared)
{
    std::vector<std::string> out;
    PostfixBuilder builder(out);
    std::size_t i = 0;
    while (i < prepared.size()) {
        char c = prepared[i];
        if (IsDigit(c)) {
            i = TakeNumber(prepared, i, out);
            continue;
        }
        if (IsOpening(c))
            builder.Push(c);
        else if (OpeningOf(c))
            builder.Closing(c);
        else if (c == '|')
            builder.Bar();
        else if (IsBinary(c) || c == '!')
            builder.Operator(c);
        ++i;
    }
    builder.Finish();
    return out;
}

double Factorial(double x)
{
    if (x >= 1.0) {
        // 171! is beyond a double; stopping there also bounds the loop.
        if (x >= 171.0)
            return std::numeric_limits<double>::infinity();
        double product = 1.0;
        int n = static_cast<int>(std::floor(x));
        for (int k = 2; k <= n; ++k)
            product *= k;
        return product;
    }
    if (x > 0.0)
        return 1.0;
    return x;
}

EvalResult EvalPostfix(const std::vector<std::string> &tokens)
{
    std::vector<double> stack;
    double lastLeft = 0.0;
    double lastRight = 0.0;
    EvalResult result;
    auto pop = [&stack](double &slot) {
        if (!stack.empty()) {
            slot = stack.back();
            stack.pop_back();
        }
    };
    for (const std::string &token : tokens) {
        char c = token.empty() ? 0 : token[0];
        if (IsDigit(c)) {
            stack.push_back(ParseNumber(token));
        } else if (IsBinary(c)) {
            pop(lastRight);
            pop(lastLeft);
            if ((c == '/' || c == '%') && lastRight == 0.0)
                result.error = EvalError::DivisionByZero;
            stack.push_back(Apply(c, lastLeft, lastRight));
        } else if (c == '|' || c == '!') {
            if (stack.empty()) {
                result.error = EvalError::MissingValue;
                continue;
            }
            double &top = stack.back();
            top = c == '|' ? std::fabs(top) : Factorial(top);
        }
    }
    result.value = stack.empty() ? 0.0 : stack.back();
    return result;
}

EvalResult Evaluate(std::string_view expr)
{
    const std::string prepared = PrepareExpr(expr);
    if (!WellFormed(prepared))
        return {0.0, EvalError::Malformed};
    return EvalPostfix(ToPostfix(prepared));
}

std::string FormatResult(double value)
{
    int needed = std::snprintf(nullptr, 0, "%f", value);
    if (needed <= 0)
        return {};
    std::string text(static_cast<std::size_t>(needed) + 1, '\0');
    std::snprintf(text.data(), text.size(), "%f", value);
    text.resize(static_cast<std::size_t>(needed));
    return text;
}

} // namespace calc
