#include <gtest/gtest.h>
#include <QApplication>
#include <QDir>
#include <QFile>

// main() for test suites that need widgets or fonts: an application object on the offscreen
// platform, so test discovery and runs never need a display.
int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        // Qt wants a private runtime folder; CI runs as root without a login session.
        const QString runtime = QDir::tempPath() + "/kalmira-test-runtime";
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", runtime.toLocal8Bit());
    }
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
