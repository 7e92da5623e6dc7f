#include <gtest/gtest.h>
#include <QApplication>

// The GUI tests drive the real windows; without a display they run on Qt's offscreen platform.
int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // No test asks the maker's update server: a program window a test shows checks a loopback
    // address where nobody listens (the tests of the check start a server of their own).
    if (!qEnvironmentVariableIsSet("OMBRIX_UPDATE_URL"))
        qputenv("OMBRIX_UPDATE_URL", "https://127.0.0.1:9");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
