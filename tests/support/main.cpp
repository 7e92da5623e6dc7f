#include <gtest/gtest.h>

#include <QCoreApplication>

// A Qt application object exists for every test so event loops, QProcess and locale-aware
// comparison behave as in the program.
int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
