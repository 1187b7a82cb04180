// The threshold parameters the board has answered, by parameter id, as the
// pages show them. A page puts a value here when its row's answer was good
// and takes it out when the row is cleared or answered with an error; other
// parts of the window (the charts' threshold lines) read it without knowing
// which page shows the parameter.
#pragma once

#include "protocol/param_table.h"

#include <array>
#include <optional>

class ParameterStore {
public:
    void Set(ParamId id, double value);
    void Forget(ParamId id);
    void ForgetAll() { m_values.fill(std::nullopt); }
    // The value the board answered last; nothing when unknown.
    std::optional<double> Value(ParamId id) const;

private:
    std::array<std::optional<double>, kParamCount> m_values{};
};
