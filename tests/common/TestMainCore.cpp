#include <QCoreApplication>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "TestSupport.h"

int main(int argc, char **argv)
{
    // Keep every test away from the real user's settings and folders.
    QStandardPaths::setTestModeEnabled(true);
    // Removed after the tests, with what the children of death tests left in it.
    const std::unique_ptr<QTemporaryDir> runFolder = TestSupport::useRunTemporaryFolder();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Vellumcast"));
    QCoreApplication::setOrganizationName(QStringLiteral("Vellumcast"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
