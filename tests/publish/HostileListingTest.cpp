// Folder listings from servers that answer too much: a WebDAV answer whose entities would expand
// to gigabytes, and folders of more entries than a browser keeps. Real servers on the loopback;
// memory is checked by bounding the address space of a child process and expecting the listing
// to end cleanly.
#include "BrowserTestSupport.h"
#include "PublishTestSupport.h"
#include "common/LocalServer.h"
#include "common/TestSupport.h"
#include "io/CURLHandle.h"
#include "platform/MemoryDefaultsStore.h"
#include "publish/DMMemberAccount.h"
#include "publish/DMiDiskSession.h"
#include "publish/FTPListingParser.h"
#include "publish/VLXDMBrowse.h"
#include "publish/VLXFTPBrowse.h"
#include "settings/VLXPreferences.h"

#include <QDir>
#include <QTemporaryDir>
#include <fstream>
#include <malloc.h>
#include <string>
#include <sys/resource.h>

namespace {

using namespace BrowserTestSupport;
using PublishTestSupport::waitUntil;

const QString kMember = QStringLiteral("member");
const QString kPassword = QStringLiteral("secret");
const QString kLimitStatus = QStringLiteral(
    "This folder holds more than 100,000 entries: only the first 100,000 are shown");

class HostileListingTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        GTEST_FLAG_SET(death_test_style, "threadsafe");
        VLXPreferences::useStore(std::make_unique<MemoryDefaultsStore>());
        CURLHandle::curlHelloSignature(CURLHandle::defaultSignature(), true);
        ASSERT_TRUE(root.isValid());
    }
    void TearDown() override { CURLHandle::curlGoodbye(); }

    void startWebDAVAnswers(const QString &route)
    {
        ASSERT_TRUE(server.startScript(QStringLiteral("http_server.py")))
            << server.errorString().toStdString();
        DMMemberAccount::setServerURL(server.url(QStringLiteral("http"), route));
    }

    // Lists the folder through the online-disk browser; answers the browser's status once the
    // listing has ended, the rows in `names`.
    QString browseDisk(const QString &folder, QStringList &shown)
    {
        VLXDMBrowse browser;
        browser.setUseAlternateAccount(1);
        QString status;
        whileModal(
            [&] { return browser.browse(folder, kMember, kPassword); },
            [&] {
                EXPECT_TRUE(waitUntil(
                    [&] {
                        return browser.outlet<QWidget>(QStringLiteral("progress"))->isHidden()
                            && browser.statusText() != u"Fetch Directory Listing"
                            && (!browser.historyTitles().isEmpty()
                                || !browser.statusText().isEmpty());
                    },
                    60000));
                status = browser.statusText();
                shown = names(browser);
                click(browser, "browseCancel");
            });
        return status;
    }

    QTemporaryDir root;
    LocalServer server;
};

// The answer declares a 200 KB entity and references it 20,000 times: read as it stands that is
// 4 GB of text. It is refused, unread, within a few hundred megabytes.
TEST_F(HostileListingTest, WebDAVAnswerWithEntitiesIsRefusedInBoundedMemory)
{
    startWebDAVAnswers(QStringLiteral("/dav-entities/"));
    if (!TestSupport::addressSpaceCanBeBounded())
        GTEST_SKIP() << "a sanitizer reserves more address space than the bound";
    EXPECT_EXIT(
        {
            if (!TestSupport::boundAddressSpaceGrowth(qint64(600) * 1024 * 1024))
                std::_Exit(3);
            RecordingDelegate delegate;
            auto session = DMiDiskSession::iDiskSessionWithAccount(
                DMMemberAccount::accountWithName(kMember, kPassword, QStringLiteral("XMLf")));
            session->setDelegate(&delegate);
            auto listing = session->listCollectionAtPath(QStringLiteral("Sites"));
            if (!listing || !waitUntil([&] { return !delegate.events.isEmpty(); }, 60000))
                std::_Exit(4);
            const bool refused = delegate.events == QStringList {QStringLiteral("error")}
                && listing->errorType() == DMTransaction::kUnreadableAnswer
                && listing->errorText() == u"The server's answer could not be read"
                && !listing->result().isValid();
            std::_Exit(refused ? 0 : 5);
        },
        ::testing::ExitedWithCode(0), "");

    // The browser tells of it as of any error it has no words of its own for, and shows nothing.
    QStringList shown;
    EXPECT_EQ(browseDisk(QString(), shown), QStringLiteral("An unknown error occurred"));
    EXPECT_TRUE(shown.isEmpty());
}

TEST_F(HostileListingTest, CrowdedWebDAVFolderIsCutAtTheLimitAndSaysSo)
{
    startWebDAVAnswers(QStringLiteral("/dav-crowd/100001/"));
    QStringList shown;
    EXPECT_EQ(browseDisk(QString(), shown), kLimitStatus);
    ASSERT_EQ(shown.size(), FTPListingParser::kListingLimit);
    EXPECT_EQ(shown.first(), QStringLiteral("file-000001.txt"));
    EXPECT_EQ(shown.last(), QStringLiteral("file-100000.txt"));

    // A folder of exactly the limit is whole, and nothing is said.
    startWebDAVAnswers(QStringLiteral("/dav-crowd/100000/"));
    EXPECT_EQ(browseDisk(QString(), shown), QString());
    EXPECT_EQ(shown.size(), FTPListingParser::kListingLimit);
}

// A million lines: read whole, a listing of that size took over a gigabyte.
TEST_F(HostileListingTest, CrowdedFTPFolderIsCutAtTheLimitInBoundedMemory)
{
    ASSERT_TRUE(QDir(root.path()).mkpath(QStringLiteral("crowd")));
    ASSERT_TRUE(
        PublishTestSupport::startFTP(server, root.path(), kMember, kPassword,
                                     {QStringLiteral("--crowd"), QStringLiteral("crowd:1000000")}))
        << server.errorString().toStdString();
    if (!TestSupport::addressSpaceCanBeBounded())
        GTEST_SKIP() << "a sanitizer reserves more address space than the bound";
    EXPECT_EXIT(
        {
            if (!TestSupport::boundAddressSpaceGrowth(qint64(1024) * 1024 * 1024))
                std::_Exit(3);
            VLXFTPBrowse browser;
            browser.setFTPserver(QStringLiteral("127.0.0.1:%1").arg(server.port()));
            browser.setUsePASV(1);
            browser.setUseEPSV(1);
            int outcome = 4;
            whileModal([&] { return browser.browse(QStringLiteral("crowd"), kMember, kPassword); },
                       [&] {
                           const bool ended = waitUntil(
                               [&] {
                                   return !browser.isTransferRunning()
                                       && browser.currentFolder().endsWith(u"/crowd");
                               },
                               120000);
                           const QStringList shown = names(browser);
                           if (ended && shown.size() == FTPListingParser::kListingLimit
                               && shown.first() == u"file-000001.txt"
                               && shown.last() == u"file-100000.txt"
                               && browser.statusText() == kLimitStatus)
                               outcome = 0;
                           click(browser, "browseCancel");
                       });
            std::_Exit(outcome);
        },
        ::testing::ExitedWithCode(0), "");
}

} // namespace
