// Test entry for the unit programs: a QCoreApplication runs so that code with
// Qt timers, threads and posted events can be exercised from GoogleTest.
#include <QCoreApplication>
#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
