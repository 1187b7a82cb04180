#include "link/linksettings.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace {
struct IntervalState {
    std::mutex lock;
    int base = 400;
    std::vector<const ScopedCommandInterval *> overrides; // oldest first
    std::vector<int> values;
};

IntervalState &State()
{
    static IntervalState state;
    return state;
}

// The interval in force; called with the lock held.
void Publish(IntervalState &state)
{
    GlobalLinkSettings().cmdSndInvl = state.values.empty() ? state.base : state.values.back();
}
} // namespace

LinkSettings &GlobalLinkSettings()
{
    static LinkSettings settings;
    return settings;
}

void SetCommandInterval(int ms)
{
    IntervalState &state = State();
    std::lock_guard<std::mutex> hold(state.lock);
    state.base = ms;
    Publish(state);
}

int CommandIntervalBase()
{
    IntervalState &state = State();
    std::lock_guard<std::mutex> hold(state.lock);
    return state.overrides.empty() ? GlobalLinkSettings().cmdSndInvl.load() : state.base;
}

ScopedCommandInterval::ScopedCommandInterval(int ms) : m_nMs(ms)
{
    IntervalState &state = State();
    std::lock_guard<std::mutex> hold(state.lock);
    if (state.overrides.empty())
        state.base = GlobalLinkSettings().cmdSndInvl.load(); // the interval in force until now
    state.overrides.push_back(this);
    state.values.push_back(ms);
    Publish(state);
}

ScopedCommandInterval::~ScopedCommandInterval()
{
    IntervalState &state = State();
    std::lock_guard<std::mutex> hold(state.lock);
    // Overrides may end in any order; the newest one left stays in force.
    auto it = std::find(state.overrides.begin(), state.overrides.end(), this);
    if (it != state.overrides.end()) {
        state.values.erase(state.values.begin() + (it - state.overrides.begin()));
        state.overrides.erase(it);
    }
    Publish(state);
}
