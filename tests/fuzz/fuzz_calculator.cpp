// Arbitrary bytes as a calculator expression: every input ends with a value
// or an error; the sanitizers see every read of the text and the stacks.
#include "protocol/calculator.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    std::string_view expr(reinterpret_cast<const char *>(data), size);
    calc::EvalResult r = calc::Evaluate(expr);
    if (calc::FormatResult(r.value).empty())
        std::abort();
    return 0;
}
