#include "platform/PasswordStore.h"

#include <QUuid>
#include <gtest/gtest.h>

namespace {

// These run against the real secret service that scripts/test starts in a private D-Bus session.
class PasswordStoreTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!PasswordStore::sessionBusAvailable())
            GTEST_SKIP() << "no D-Bus session: run through scripts/test, which starts a private "
                            "secret service";
        account = QUuid::createUuid().toString(QUuid::WithoutBraces);
    }
    void TearDown() override
    {
        if (!account.isEmpty())
            PasswordStore::instance().deletePassword(service, account);
    }

    const QString service = QStringLiteral("ftp://vellumcast-test.invalid:22");
    QString account;
};

TEST_F(PasswordStoreTest, WritesReadsReplacesAndDeletes)
{
    PasswordStore &store = PasswordStore::instance();
    QString error;
    QString password;
    EXPECT_FALSE(store.readPassword(service, account, &password, &error));

    ASSERT_TRUE(store.writePassword(service, account, QStringLiteral("s3cret ü"), &error))
        << error.toStdString();
    ASSERT_TRUE(store.readPassword(service, account, &password, &error)) << error.toStdString();
    EXPECT_EQ(password, QStringLiteral("s3cret ü"));

    ASSERT_TRUE(store.writePassword(service, account, QString(QLatin1String("")), &error));
    ASSERT_TRUE(store.readPassword(service, account, &password, &error));
    EXPECT_TRUE(password.isEmpty());

    ASSERT_TRUE(store.deletePassword(service, account, &error)) << error.toStdString();
    EXPECT_FALSE(store.readPassword(service, account, &password));
}

TEST(PasswordStoreWithoutService, StoringFailsWithAMessage)
{
    const QByteArray saved = qgetenv("DBUS_SESSION_BUS_ADDRESS");
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    QString error;
    const bool stored = PasswordStore::instance().writePassword(
        QStringLiteral("ftp://nowhere.invalid:22"), QStringLiteral("user"), QStringLiteral("pw"),
        &error);
    if (!saved.isEmpty())
        qputenv("DBUS_SESSION_BUS_ADDRESS", saved);
    EXPECT_FALSE(stored);
    EXPECT_TRUE(error.contains(QStringLiteral("not stored")));
}

} // namespace
