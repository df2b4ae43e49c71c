#include <QCoreApplication>

#include <gtest/gtest.h>

// Core tests run under a Qt event loop so the serial port's hand-offs and timers work.
int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
