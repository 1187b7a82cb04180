// The command interval the board port paces by: the user's interval, and the
// scoped intervals an upgrade takes for its run, which end on every path out
// and leave the interval the user set meanwhile in force.
#include "link/linksettings.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

namespace {
int InForce()
{
    return GlobalLinkSettings().cmdSndInvl.load();
}
} // namespace

TEST(CommandInterval, ScopedIntervalEndsWithItsOwner)
{
    SetCommandInterval(400);
    {
        ScopedCommandInterval upgrade(10);
        EXPECT_EQ(InForce(), 10);
        EXPECT_EQ(CommandIntervalBase(), 400);
    }
    EXPECT_EQ(InForce(), 400);
}

TEST(CommandInterval, EndsOnAnExceptionToo)
{
    SetCommandInterval(250);
    try {
        ScopedCommandInterval upgrade(75);
        EXPECT_EQ(InForce(), 75);
        throw std::runtime_error("the run failed");
    } catch (const std::runtime_error &) {
    }
    EXPECT_EQ(InForce(), 250);
}

TEST(CommandInterval, NestedIntervalsEndInAnyOrder)
{
    SetCommandInterval(400);
    auto outer = std::make_unique<ScopedCommandInterval>(75);
    auto inner = std::make_unique<ScopedCommandInterval>(10);
    EXPECT_EQ(InForce(), 10);
    outer.reset(); // the older one ends first: the newer stays in force
    EXPECT_EQ(InForce(), 10);
    inner.reset();
    EXPECT_EQ(InForce(), 400);
}

TEST(CommandInterval, UsersIntervalSetDuringARunTakesEffectAfterIt)
{
    SetCommandInterval(400);
    {
        ScopedCommandInterval upgrade(10);
        SetCommandInterval(1000);
        EXPECT_EQ(InForce(), 10);
        EXPECT_EQ(CommandIntervalBase(), 1000);
    }
    EXPECT_EQ(InForce(), 1000);
}

TEST(CommandInterval, AnIntervalWrittenDirectlyIsTheBaseOfTheNextRun)
{
    GlobalLinkSettings().cmdSndInvl = 20; // as tests and older callers set it
    EXPECT_EQ(CommandIntervalBase(), 20);
    {
        ScopedCommandInterval upgrade(10);
        EXPECT_EQ(InForce(), 10);
    }
    EXPECT_EQ(InForce(), 20);
}
