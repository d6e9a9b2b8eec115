// The online-disk folder browser against a WebDAV server on the loopback.
#include "publish/VLXDMBrowse.h"
#include "BrowserTestSupport.h"
#include "PublishTestSupport.h"
#include "io/CURLHandle.h"
#include "platform/MemoryDefaultsStore.h"
#include "publish/DMMemberAccount.h"
#include "settings/VLXPreferences.h"

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QTemporaryDir>

namespace {

using namespace BrowserTestSupport;
using PublishTestSupport::waitUntil;

const QString kMember = QStringLiteral("member");
const QString kPassword = QStringLiteral("disk pass");

class VLXDMBrowseTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        VLXPreferences::useStore(std::make_unique<MemoryDefaultsStore>());
        CURLHandle::curlHelloSignature(CURLHandle::defaultSignature(), true);
        ASSERT_TRUE(root.isValid());
        const QDir served(root.path());
        for (const char *folder : {"Sites/feeds", "Sites/Zed", "Sites/.private"})
            ASSERT_TRUE(served.mkpath(QLatin1String(folder)));
        ASSERT_TRUE(PublishTestSupport::writeFile(root.filePath(QStringLiteral("Sites/alpha.txt")),
                                                  QByteArray(2048, 'a')));
        ASSERT_TRUE(PublishTestSupport::startWebDAV(server, root.path(), kMember, kPassword))
            << server.errorString().toStdString();
        DMMemberAccount::setServerURL(server.url(QStringLiteral("http")));
    }
    void TearDown() override { CURLHandle::curlGoodbye(); }

    // Browses as the site's own member; the script runs once the first listing has ended.
    int browse(VLXDMBrowse &browser, const QString &folder, const QString &password,
               const std::function<void()> &script)
    {
        browser.setUseAlternateAccount(1);
        return whileModal([&] { return browser.browse(folder, kMember, password); },
                          [&] {
                              ASSERT_TRUE(waitUntil([&] { return listed(browser); }));
                              script();
                          });
    }
    static bool listed(const VLXDMBrowse &browser)
    {
        return browser.outlet<QWidget>(QStringLiteral("progress"))->isHidden()
            && browser.statusText() != u"Fetch Directory Listing"
            && (!browser.historyTitles().isEmpty() || !browser.statusText().isEmpty());
    }

    QTemporaryDir root;
    LocalServer server;
};

TEST_F(VLXDMBrowseTest, ListsSitesSortedAndAnswersFoldersRelativeToIt)
{
    VLXDMBrowse browser;
    const int result = browse(browser, QString(), kPassword, [&] {
        EXPECT_EQ(browser.browseWindow()->windowTitle(), QStringLiteral("Browse member's iDisk"));
        EXPECT_EQ(browser.historyTitles(), QStringList {"Sites"});
        EXPECT_TRUE(browser.outlet<QWidget>(QStringLiteral("browseUpHistory"))->isHidden());
        EXPECT_EQ(names(browser), (QStringList {"alpha.txt", "feeds", "Zed"}));
        EXPECT_EQ(cell(browser, QStringLiteral("alpha.txt"), 2), QStringLiteral("2 KB"));
        EXPECT_FALSE(cell(browser, QStringLiteral("feeds"), 2).isValid());
        EXPECT_TRUE(browser.statusText().isEmpty());

        selectRow(browser, QStringLiteral("feeds"));
        browser.browseDoubleClick();
        ASSERT_TRUE(
            waitUntil([&] { return browser.historyTitles().size() == 2 && listed(browser); }));
        EXPECT_EQ(browser.historyTitles(), (QStringList {"Sites", "Sites/feeds"}));
        EXPECT_TRUE(browser.browseFiles().isEmpty());
        click(browser, "browseAccept");
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(browser.directory(), QStringLiteral("feeds"));

    // The answer given back starts a new browser in that folder; "Sites" answers "".
    VLXDMBrowse again;
    browse(again, browser.directory(), kPassword, [&] {
        EXPECT_EQ(again.historyTitles(), (QStringList {"Sites", "Sites/feeds"}));
        click(again, "browseUpHistory");
        ASSERT_TRUE(waitUntil([&] { return again.historyTitles().size() == 1 && listed(again); }));
        click(again, "browseAccept");
    });
    EXPECT_EQ(again.directory(), QString());
}

TEST_F(VLXDMBrowseTest, MakesAFolderInTheShownOneAndReportsRefusedCredentials)
{
    VLXDMBrowse browser;
    browse(browser, QStringLiteral("feeds"), kPassword, [&] {
        browser.outlet<QLineEdit>(QStringLiteral("browseNewFolderName"))
            ->setText(QStringLiteral("new one"));
        click(browser, "browseNewFolder");
        ASSERT_TRUE(waitUntil([&] { return names(browser) == QStringList {"new one"}; }));
        EXPECT_EQ(browser.historyTitles(), (QStringList {"Sites", "Sites/feeds"}));
        click(browser, "browseCancel");
    });
    EXPECT_TRUE(QFileInfo(root.filePath(QStringLiteral("Sites/feeds/new one"))).isDir());

    VLXDMBrowse refused;
    const int result = browse(refused, QString(), QStringLiteral("wrong"), [&] {
        EXPECT_EQ(refused.statusText(), QStringLiteral("Invalid username/password"));
        EXPECT_TRUE(refused.browseFiles().isEmpty());
        EXPECT_TRUE(refused.historyTitles().isEmpty());
        click(refused, "browseCancel");
    });
    EXPECT_EQ(result, 0);

    // Without an account of the system there is nothing to list, and the dialog says so.
    VLXDMBrowse system;
    whileModal([&] { return system.browse(QString(), QString(), QString()); },
               [&] {
                   ASSERT_TRUE(waitUntil([&] { return !system.statusText().isEmpty(); }, 3000));
                   EXPECT_EQ(system.statusText(),
                             QStringLiteral("No account of the online disk is set up"));
                   click(system, "browseCancel");
               });
}

TEST_F(VLXDMBrowseTest, AFolderNotOnTheServerIsToldAndTheFolderAboveItShown)
{
    // A fresh disk of its own, served apart: nothing but a folder beside where "Sites" would be.
    QTemporaryDir freshRoot;
    LocalServer fresh;
    ASSERT_TRUE(QDir(freshRoot.path()).mkpath(QStringLiteral("elsewhere")));
    ASSERT_TRUE(PublishTestSupport::startWebDAV(fresh, freshRoot.path(), kMember, kPassword));
    const struct
    {
        const char *start;
        LocalServer *disk;
        const char *status;
        QStringList names;
        QStringList history;
    } cases[] = {
        {"gone/deeper",
         &server,
         "The folder \"Sites/gone/deeper\" was not found on the server",
         {"alpha.txt", "feeds", "Zed"},
         {"Sites"}},
        {"", &fresh, "The folder \"Sites\" was not found on the server", {"elsewhere"}, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.start);
        DMMemberAccount::setServerURL(c.disk->url(QStringLiteral("http")));
        VLXDMBrowse browser;
        browse(browser, QLatin1String(c.start), kPassword, [&] {
            ASSERT_TRUE(waitUntil([&] { return !browser.browseFiles().isEmpty(); }));
            EXPECT_EQ(browser.statusText(), QLatin1String(c.status));
            EXPECT_EQ(names(browser), c.names);
            EXPECT_EQ(browser.historyTitles(), c.history);
            click(browser, "browseCancel");
        });
    }
}

} // namespace
