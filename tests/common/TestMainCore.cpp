#include <QCoreApplication>
#include <QStandardPaths>
#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    // Keep every test away from the real user's settings and folders.
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Vellumcast"));
    QCoreApplication::setOrganizationName(QStringLiteral("Vellumcast"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
