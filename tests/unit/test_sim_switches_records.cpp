// The switches of the simulated board's logs and SOC learning on its command line.
#include "sim/sim_options_parse.h"

#include <gtest/gtest.h>

TEST(SimSwitches, LogAndLearningSwitches)
{
    SimCommandLine cmd = ParseSimCommandLine(
        {"pylvex-sim", "--no-log", "--log-result", "0x07", "--soc-fail-stage", "3", "--soc-fail-code", "0x62"});
    ASSERT_TRUE(cmd.error.isEmpty()) << cmd.error.toStdString();
    EXPECT_TRUE(cmd.options.noLog);
    EXPECT_EQ(cmd.options.logResultCode, 7);
    EXPECT_EQ(cmd.options.socFailStage, 3);
    EXPECT_EQ(cmd.options.socFailCode, 0x62);

    SimCommandLine plain = ParseSimCommandLine({"pylvex-sim"});
    EXPECT_FALSE(plain.options.noLog);
    EXPECT_EQ(plain.options.logResultCode, 0);
    EXPECT_EQ(plain.options.socFailStage, 0);
    for (const char *name : {"--no-log", "--log-result", "--soc-fail-stage", "--soc-fail-code"})
        EXPECT_TRUE(plain.helpText.contains(QLatin1String(name))) << name;

    const QStringList refused[] = {{"pylvex-sim", "--soc-fail-stage", "11"},
                                   {"pylvex-sim", "--log-result", "256"},
                                   {"pylvex-sim", "--soc-fail-code", "0"}};
    for (const QStringList &args : refused)
        EXPECT_FALSE(ParseSimCommandLine(args).error.isEmpty()) << args.join(' ').toStdString();
}
