// A row of an upgrade log: a text marked for translation, with the places
// %1 ... %9 for its arguments. The windows translate the text in its context
// and fill in the arguments; tools fill them in untranslated.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct UpgradeRow {
    const char *text = "";
    std::vector<std::string> args = {};
    // Bit i set: args[i] is itself a marked text of the same context.
    unsigned marked = 0;
};

// The text with %1 ... %9 replaced by the arguments (once, left to right, so
// an argument that holds "%2" stays as it is); a place without an argument
// is kept.
std::string FillRow(std::string_view text, const std::vector<std::string> &args);
inline std::string FillRow(const UpgradeRow &row)
{
    return FillRow(row.text, row.args);
}
