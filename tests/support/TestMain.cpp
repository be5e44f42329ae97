#include <QApplication>
#include <gtest/gtest.h>

// Every test binary runs headless and owns one QApplication, so widget tests and
// event-loop waits work the same in all of them.
int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
