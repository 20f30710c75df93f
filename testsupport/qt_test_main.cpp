#include <gtest/gtest.h>
#include <QApplication>

// main() for test suites that need widgets or fonts: an application object on the offscreen
// platform, so test discovery and runs never need a display.
int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
