#include <gtest/gtest.h>
#include <QCoreApplication>

// A Qt application object exists for every test so event loops, QProcess and locale-aware
// comparison behave as in the program.
int main(int argc, char** argv)
{
    // No test asks the maker's update server: a program window a test shows checks a loopback
    // address where nobody listens (the tests of the check start a server of their own).
    if (!qEnvironmentVariableIsSet("OMBRIX_UPDATE_URL"))
        qputenv("OMBRIX_UPDATE_URL", "https://127.0.0.1:9");
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
