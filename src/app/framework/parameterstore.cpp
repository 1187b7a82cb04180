#include "app/framework/parameterstore.h"

namespace {
std::size_t Slot(ParamId id)
{
    return static_cast<std::size_t>(id);
}
} // namespace

void ParameterStore::Set(ParamId id, double value)
{
    if (Slot(id) < kParamCount)
        m_values[Slot(id)] = value;
}

void ParameterStore::Forget(ParamId id)
{
    if (Slot(id) < kParamCount)
        m_values[Slot(id)].reset();
}

std::optional<double> ParameterStore::Value(ParamId id) const
{
    return Slot(id) < kParamCount ? m_values[Slot(id)] : std::nullopt;
}
