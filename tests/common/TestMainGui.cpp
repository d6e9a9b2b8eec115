#include <QApplication>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "TestSupport.h"

int main(int argc, char **argv)
{
    QStandardPaths::setTestModeEnabled(true);
    // Removed after the tests, with what the children of death tests left in it.
    const std::unique_ptr<QTemporaryDir> runFolder = TestSupport::useRunTemporaryFolder();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The web engine runs as root here, without a GPU. Set before the application exists: the
    // engine reads them once. (CTest's discovered tests get only the first variable of their
    // ENVIRONMENT list, so the mains set what every run needs.)
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vellumcast"));
    QApplication::setOrganizationName(QStringLiteral("Vellumcast"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
