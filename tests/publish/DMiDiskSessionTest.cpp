// The online disk over WebDAV, against a real rclone server on the loopback.
#include "publish/DMiDiskSession.h"
#include "PublishTestSupport.h"
#include "io/CURLHandle.h"
#include "platform/MemoryDefaultsStore.h"
#include "publish/DMMemberAccount.h"
#include "publish/ProgressMonitor.h"
#include "publish/UploadSource.h"
#include "settings/VLXPreferences.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using namespace PublishTestSupport;

const QString kMember = QStringLiteral("member");
const QString kPassword = QStringLiteral("pässwörd:1");
const QString kApp = QStringLiteral("XMLf");

class DMiDiskSessionTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        VLXPreferences::useStore(std::make_unique<MemoryDefaultsStore>());
        CURLHandle::curlHelloSignature(CURLHandle::defaultSignature(), true);
        ASSERT_TRUE(root.isValid());
        ASSERT_TRUE(startWebDAV(server, root.path(), kMember, kPassword))
            << server.errorString().toStdString();
        DMMemberAccount::setServerURL(server.url(QStringLiteral("http")));
    }
    void TearDown() override { CURLHandle::curlGoodbye(); }

    std::shared_ptr<DMiDiskSession> session(const QString &password = kPassword)
    {
        auto s = DMiDiskSession::iDiskSessionWithAccount(
            DMMemberAccount::accountWithName(kMember, password, kApp));
        EXPECT_TRUE(s);
        s->setDelegate(&delegate);
        return s;
    }

    QTemporaryDir root;
    LocalServer server;
    RecordingDelegate delegate;
};

TEST_F(DMiDiskSessionTest, ValidatesCredentials)
{
    EXPECT_EQ(DMMemberAccount::accountWithName(kMember, kPassword, kApp)->validateCredentials(),
              DMMemberAccount::kValid);
    EXPECT_EQ(DMMemberAccount::accountWithName(kMember, QStringLiteral("wrong"), kApp)
                  ->validateCredentials(),
              DMMemberAccount::kInvalidCredentials);
    DMMemberAccount::setServerURL(
        QStringLiteral("http://127.0.0.1:%1/").arg(LocalServer::freePort()));
    EXPECT_EQ(DMMemberAccount::accountWithName(kMember, kPassword, kApp)->validateCredentials(),
              DMMemberAccount::kNetworkError);
    DMMemberAccount::setServerURL(QString());
    EXPECT_FALSE(DMMemberAccount::accountWithName(kMember, kPassword, kApp));
    EXPECT_FALSE(DMMemberAccount::accountFromPreferencesWithApplicationID(kApp));
}

TEST_F(DMiDiskSessionTest, PutsIntoANewCollectionAndListsIt)
{
    auto disk = session();
    const QByteArray bytes(300 * 1024, 'x');
    auto put = disk->putData(bytes, QStringLiteral("Sites/new show/ep #1/a?b.mp3"));
    ASSERT_TRUE(put);
    ProgressMonitor::sharedInstance().monitorTransaction(put);
    EXPECT_EQ(ProgressMonitor::sharedInstance().totalBytesToMove(), double(bytes.size()));
    ASSERT_TRUE(waitUntil([&] { return !delegate.events.isEmpty(); }));
    EXPECT_EQ(delegate.events, QStringList {QStringLiteral("ok")});
    EXPECT_EQ(put->bytesTransferred(), bytes.size());
    ProgressMonitor::sharedInstance().transactionSuccessful(put.get());
    EXPECT_EQ(ProgressMonitor::sharedInstance().transactionsInProgress(), 0);
    EXPECT_EQ(readFile(root.filePath(QStringLiteral("Sites/new show/ep #1/a?b.mp3"))), bytes);

    delegate.events.clear();
    auto list = disk->listCollectionAtPath(QStringLiteral("Sites/new show"));
    ASSERT_TRUE(list);
    EXPECT_EQ(list->uri(), QStringLiteral("/Sites/new show"));
    ASSERT_TRUE(waitUntil([&] { return !delegate.events.isEmpty(); }));
    ASSERT_EQ(delegate.events, QStringList {QStringLiteral("ok")});
    const QVariantList entries = delegate.lastResult.toList();
    ASSERT_EQ(entries.size(), 1);
    const QVariantMap folder = entries.first().toMap();
    EXPECT_EQ(folder.value(DMTransaction::kDMURI), QStringLiteral("Sites/new show/ep #1"));
    EXPECT_TRUE(folder.value(DMTransaction::kDMIsCollection).toBool());
    EXPECT_TRUE(folder.value(DMTransaction::kDMLastModified).toDateTime().isValid());

    delegate.events.clear();
    disk->listCollectionAtPath(QStringLiteral("Sites/new show/ep #1"));
    ASSERT_TRUE(waitUntil([&] { return !delegate.events.isEmpty(); }));
    const QVariantMap file = delegate.lastResult.toList().value(0).toMap();
    EXPECT_EQ(file.value(DMTransaction::kDMURI), QStringLiteral("Sites/new show/ep #1/a?b.mp3"));
    EXPECT_FALSE(file.value(DMTransaction::kDMIsCollection).toBool());
    EXPECT_EQ(file.value(DMTransaction::kDMContentLength).toLongLong(), bytes.size());
}

TEST_F(DMiDiskSessionTest, MakesCollectionsSynchronouslyAndAcceptsExistingOnes)
{
    auto disk = session();
    disk->setIsSynchronous(true);
    auto made = disk->createDirectoryAtPath(QStringLiteral("Sites/a/b"));
    ASSERT_TRUE(made);
    EXPECT_EQ(made->state(), DMTransaction::State::Succeeded);
    EXPECT_TRUE(QFileInfo(root.filePath(QStringLiteral("Sites/a/b"))).isDir());
    // A second session (a fresh account) meets collections that already exist.
    auto again = session();
    again->setIsSynchronous(true);
    EXPECT_EQ(again->createDirectoryAtPath(QStringLiteral("Sites/a/b"))->state(),
              DMTransaction::State::Succeeded);
    EXPECT_EQ(delegate.events, (QStringList {QStringLiteral("ok"), QStringLiteral("ok")}));
}

TEST_F(DMiDiskSessionTest, RefusedCredentialsAndAbortEndTheTransaction)
{
    auto refused = session(QStringLiteral("wrong"));
    auto put = refused->putData("bytes", QStringLiteral("Sites/x.txt"));
    ASSERT_TRUE(waitUntil([&] { return !delegate.events.isEmpty(); }));
    EXPECT_EQ(delegate.events, QStringList {QStringLiteral("error")});
    EXPECT_EQ(put->errorType(), DMMemberAccount::kInvalidCredentials);
    EXPECT_FALSE(QFileInfo::exists(root.filePath(QStringLiteral("Sites/x.txt"))));

    delegate.events.clear();
    auto disk = session();
    auto big = disk->putSource(UploadSource::fromData(QByteArray(64 * 1024 * 1024, 'b')),
                               QStringLiteral("Sites/big.bin"));
    ASSERT_TRUE(big);
    big->abort();
    big->abort();
    ASSERT_TRUE(waitUntil([&] { return !delegate.events.isEmpty(); }, 5000));
    EXPECT_EQ(delegate.events, QStringList {QStringLiteral("aborted")});
    // Exactly one outcome, and no complete file.
    waitUntil([] { return false; }, 300);
    EXPECT_EQ(delegate.events.size(), 1);
    EXPECT_LT(QFileInfo(root.filePath(QStringLiteral("Sites/big.bin"))).size(), 64 * 1024 * 1024);

    // No account, no transaction: the caller reports it.
    EXPECT_FALSE(DMiDiskSession::iDiskSessionWithAccount(nullptr));
}

} // namespace
