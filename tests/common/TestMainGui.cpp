#include <QApplication>
#include <QStandardPaths>
#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    QStandardPaths::setTestModeEnabled(true);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vellumcast"));
    QApplication::setOrganizationName(QStringLiteral("Vellumcast"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
