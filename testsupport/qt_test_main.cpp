#include <gtest/gtest.h>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <cstdio>

#include "testsupport/testsupport.h"

// main() for test suites that need widgets or fonts: an application object on the offscreen
// platform, so test discovery and runs never need a display, and the test font loaded by file,
// so pictures do not depend on the machine's fonts.
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
    if (!testsupport::LoadTestFont()) {
        std::fprintf(stderr, "cannot load the test font %s\n", testsupport::TestFontPath().c_str());
        return 1;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
