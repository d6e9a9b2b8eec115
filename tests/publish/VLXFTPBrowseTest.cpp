// The FTP folder browser: reply parsing and addresses, and browsing a real FTP/FTPS server
// (pyftpdlib) whose users start in a login folder of their own.
#include "BrowserTestSupport.h"
#include "PublishTestSupport.h"
#include "io/CURLHandle.h"
#include "platform/MemoryDefaultsStore.h"
#include "publish/FTPConnection.h"
#include "publish/FTPListingParser.h"
#include "publish/VLXFTPBrowse.h"
#include "settings/VLXPreferences.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QLineEdit>
#include <QTemporaryDir>

namespace {

using namespace BrowserTestSupport;
using PublishTestSupport::waitUntil;
using P = FTPListingParser;

const QString kUser = QStringLiteral("browser");
const QString kPassword = QStringLiteral("p:ss word");

TEST(VLXFTPBrowseReplies, PWDRepliesNameTheFoldersAnd250RepliesTheSteps)
{
    const QString transcript = QStringLiteral(
        "* Connected\n< 220 ready.\n> USER u\n< 331 ok\n> PASS ********\n< 230 ok\n> PWD\n"
        "< 257 \"/home/u\" is the current directory.\r\n> CWD www\n* a note\n< 250 \"/home/u/www\".\r"
        "> MKD my \"q\" dir\n< 257 \"/home/u/www/my \"\"q\"\" dir\" created.\n"
        "< 257 no quoted path\n> CWD /\n< 250 ok\n");
    const QVariantMap replies = VLXFTPBrowse::parseFTPResponses(transcript);
    EXPECT_EQ(replies.value(VLXBrowseBase::kResponsePWDKey).toStringList(),
              (QStringList {"/home/u", "/home/u/www/my \"q\" dir"}));
    EXPECT_EQ(replies.value(VLXBrowseBase::kResponseCWDStepsKey).toStringList(),
              (QStringList {"PWD /home/u", "CWD www", "PWD /home/u/www/my \"q\" dir", "CWD /"}));
    EXPECT_TRUE(VLXFTPBrowse::parseFTPResponses(QStringLiteral("< 250 first line")).isEmpty());

    EXPECT_EQ(VLXFTPBrowse::scanBetweenQuotes(QStringLiteral("257 \"\"")), QString());
    EXPECT_FALSE(VLXFTPBrowse::scanBetweenQuotes(QStringLiteral("257 \"/x")));
    EXPECT_FALSE(VLXFTPBrowse::scanBetweenQuotes(QStringLiteral("257 none")));

    const auto deepest = [](const QStringList &steps) { return VLXFTPBrowse::deepestFolder(steps); };
    EXPECT_EQ(deepest({"PWD /home/u", "CWD www", "CWD feeds"}), QStringLiteral("/home/u/www/feeds"));
    EXPECT_EQ(deepest({"PWD /home/u", "CWD /", "CWD var"}), QStringLiteral("/var"));
    EXPECT_EQ(deepest({}), QString());
}

TEST(VLXFTPBrowseReplies, AddressesStartAtTheLoginFolderUnlessThePathIsFull)
{
    const auto address = [](const char *path) {
        return VLXFTPBrowse::listingAddress(QStringLiteral("host:21"), QString::fromUtf8(path));
    };
    EXPECT_EQ(address(""), QStringLiteral("ftp://host:21/"));
    // "~" is the login folder, not the server's root.
    EXPECT_EQ(address("~"), QStringLiteral("ftp://host:21/"));
    EXPECT_EQ(address("~/www/feeds"), QStringLiteral("ftp://host:21/www/feeds/"));
    EXPECT_EQ(address("www/"), QStringLiteral("ftp://host:21/www/"));
    EXPECT_EQ(address("/var/www"), QStringLiteral("ftp://host:21//var/www/"));
    EXPECT_EQ(address("/"), QStringLiteral("ftp://host:21//"));
    EXPECT_EQ(address("~/My Site/caf\xc3\xa9#1"),
              QStringLiteral("ftp://host:21/My%20Site/caf%C3%A9%231/"));
}

class VLXFTPBrowseTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        VLXPreferences::useStore(std::make_unique<MemoryDefaultsStore>());
        CURLHandle::curlHelloSignature(CURLHandle::defaultSignature(), true);
        ASSERT_TRUE(root.isValid());
        const QDir served(root.path());
        for (const char *folder : {"home/u/www/feeds", "home/u/Zeta", "var/www"})
            ASSERT_TRUE(served.mkpath(QLatin1String(folder)));
        for (const char *file : {"home/u/notes.txt", "home/u/alpha.txt", "home/u/.hidden",
                                 "home/u/www/index.html", "var/www/data.txt"})
            ASSERT_TRUE(PublishTestSupport::writeFile(served.filePath(QLatin1String(file)), "x"));
        ASSERT_TRUE(QFile::link(QStringLiteral("www"), served.filePath(QStringLiteral("home/u/site"))));
        ASSERT_TRUE(QFile::link(QStringLiteral("notes.txt"),
                                served.filePath(QStringLiteral("home/u/readme"))));
    }
    void TearDown() override { CURLHandle::curlGoodbye(); }

    void startServer(const QStringList &extra = {})
    {
        ASSERT_TRUE(PublishTestSupport::startFTP(
            server, root.path(), kUser, kPassword,
            QStringList {QStringLiteral("--login-folder"), QStringLiteral("/home/u")} + extra))
            << server.errorString().toStdString();
    }
    void configure(VLXFTPBrowse &browser, int protocol = 0)
    {
        browser.setFTPserver(QStringLiteral("127.0.0.1:%1").arg(server.port()));
        browser.setUsePASV(1);
        browser.setUseEPSV(1);
        browser.setProtocol(protocol);
        browser.setTransferLog([this](const QString &text) { log += text; });
    }
    // Nothing runs: no transfer, no link check waiting.
    static bool settled(const VLXFTPBrowse &browser)
    {
        return !browser.isTransferRunning() && !browser.historyTitles().isEmpty()
            && std::none_of(browser.browseFiles().cbegin(), browser.browseFiles().cend(),
                            [](const QVariantMap &entry) {
                                return entry.value(P::kFileType) == P::kTypeSymbolicLink
                                    && !entry.contains(VLXBrowseBase::kSymbolicLinkTargetTypeKey);
                            });
    }
    static void waitSettled(const VLXFTPBrowse &browser)
    {
        ASSERT_TRUE(waitUntil([&] { return settled(browser); }, 15000))
            << browser.statusText().toStdString();
    }
    int browse(VLXFTPBrowse &browser, const QString &folder, const std::function<void()> &script)
    {
        return whileModal([&] { return browser.browse(folder, kUser, kPassword); },
                          [&] {
                              waitSettled(browser);
                              script();
                          });
    }

    QTemporaryDir root;
    LocalServer server;
    QString log;
};

TEST_F(VLXFTPBrowseTest, FindsTheLoginFolderAndListsItSortedWithItsLinksChecked)
{
    startServer();
    VLXFTPBrowse browser;
    configure(browser);
    const int result = browse(browser, QString(), [&] {
        EXPECT_EQ(browser.homeDirectory(), QStringLiteral("/home/u"));
        EXPECT_EQ(browser.historyTitles(), QStringList {"~"});
        EXPECT_EQ(names(browser),
                  (QStringList {"alpha.txt", "notes.txt", "readme", "site", "www", "Zeta"}));
        EXPECT_EQ(cell(browser, QStringLiteral("site"), 1), QStringLiteral("site -> www"));
        EXPECT_EQ(cell(browser, QStringLiteral("notes.txt"), 2), QStringLiteral("1 B "));
        EXPECT_EQ(browser.statusText(), QStringLiteral("Succeeded"));
        const auto targetType = [&](const QString &name) {
            return browser.browseFiles().at(rowOf(browser, name))
                .value(VLXBrowseBase::kSymbolicLinkTargetTypeKey);
        };
        EXPECT_EQ(targetType(QStringLiteral("site")), P::kTypeDirectory);
        EXPECT_EQ(targetType(QStringLiteral("readme")), P::kTypeRegular);
        EXPECT_EQ(cell(browser, QStringLiteral("site"), 0, Qt::DecorationRole)
                      .value<QIcon>()
                      .pixmap(16)
                      .toImage(),
                  QIcon(QStringLiteral(":/images/symlink_folder.svg")).pixmap(16).toImage());

        // Double-clicking the folder link lists its target; "~" lists the login folder again.
        selectRow(browser, QStringLiteral("site"));
        browser.browseDoubleClick();
        waitSettled(browser);
        EXPECT_EQ(browser.historyTitles(), (QStringList {"~", "~/www"}));
        EXPECT_EQ(names(browser), (QStringList {"feeds", "index.html"}));
        chooseHistory(browser, QStringLiteral("~"));
        waitSettled(browser);
        EXPECT_EQ(browser.historyTitles(), QStringList {"~"});
        EXPECT_EQ(names(browser).size(), 6);
        // A link to a file answers the folder that holds the file.
        selectRow(browser, QStringLiteral("readme"));
        click(browser, "browseAccept");
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(browser.directory(), QString());
    EXPECT_TRUE(log.contains(u"> PASS ********")) << log.toStdString();
    EXPECT_FALSE(log.contains(kPassword));
    EXPECT_TRUE(log.contains(QStringLiteral("        www/\n")));
    EXPECT_TRUE(log.contains(QStringLiteral("        Zeta/\n")));
    EXPECT_FALSE(log.contains(u"##DIRLISTHERE##"));
}

TEST_F(VLXFTPBrowseTest, StartsAtTheCallersFolderRelativeToLoginOrFromTheRoot)
{
    startServer();
    VLXFTPBrowse relative;
    configure(relative);
    browse(relative, QStringLiteral("www"), [&] {
        EXPECT_EQ(relative.historyTitles(), (QStringList {"~", "~/www"}));
        selectRow(relative, QStringLiteral("feeds"));
        click(relative, "browseAccept");
    });
    EXPECT_EQ(relative.directory(), QStringLiteral("www/feeds"));

    VLXFTPBrowse full;
    configure(full);
    browse(full, QStringLiteral("/var/www"), [&] {
        EXPECT_EQ(full.historyTitles(), (QStringList {"/", "/var", "/var/www"}));
        EXPECT_EQ(names(full), QStringList {"data.txt"});
        EXPECT_TRUE(full.outlet<QWidget>(QStringLiteral("browseUpHistory"))->isVisibleTo(
            full.browseWindow()));
        click(full, "browseAccept");
    });
    EXPECT_EQ(full.directory(), QStringLiteral("/var/www"));
    EXPECT_TRUE(log.contains(QStringLiteral("> CWD /\r\n"))) << log.toStdString();
}

TEST_F(VLXFTPBrowseTest, MakesANewFolderInTheShownOneAndKeepsTheRowsOfARefusedFolder)
{
    startServer();
    VLXFTPBrowse browser;
    configure(browser);
    const int result = browse(browser, QStringLiteral("www"), [&] {
        auto *name = browser.outlet<QLineEdit>(QStringLiteral("browseNewFolderName"));
        name->setText(QStringLiteral("new feeds"));
        click(browser, "browseNewFolder");
        EXPECT_EQ(browser.transferAddress(),
                  QStringLiteral("ftp://127.0.0.1:%1/www/new%20feeds/").arg(server.port()));
        // Straight to the server, without turning the proxies off for the rest of the program.
        ASSERT_TRUE(browser.transfer());
        EXPECT_FALSE(static_cast<CURLHandle *>(browser.transfer())->usesProxy());
        EXPECT_TRUE(CURLHandle::allowsProxy());
        waitSettled(browser);
        EXPECT_EQ(browser.historyTitles(), (QStringList {"~", "~/www", "~/www/new feeds"}));
        EXPECT_TRUE(browser.browseFiles().isEmpty());
        EXPECT_TRUE(QFileInfo(root.filePath(QStringLiteral("home/u/www/new feeds"))).isDir());

        // A folder the server refuses: "Failed", and the table and history stay as they were.
        chooseHistory(browser, QStringLiteral("~/www"));
        waitSettled(browser);
        const QStringList before = names(browser);
        EXPECT_EQ(before, (QStringList {"feeds", "index.html", "new feeds"}));
        browser.getFileListing(QStringLiteral("~/www/missing"));
        ASSERT_TRUE(waitUntil([&] { return !browser.isTransferRunning(); }));
        EXPECT_EQ(browser.statusText(), QStringLiteral("Failed"));
        EXPECT_EQ(names(browser), before);
        EXPECT_EQ(browser.historyTitles(), (QStringList {"~", "~/www"}));
        EXPECT_TRUE(log.contains(QStringLiteral("< 550")));
        click(browser, "browseAccept");
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(browser.directory(), QStringLiteral("www"));
}

TEST_F(VLXFTPBrowseTest, BrowsesOverExplicitTLS)
{
    LocalServer certificates;
    QString error;
    const auto certificate = LocalServer::makeSelfSignedCertificate(certificates.workDir(), &error);
    ASSERT_TRUE(certificate) << error.toStdString();
    startServer({QStringLiteral("--cert"), certificate->certFile, QStringLiteral("--key"),
                 certificate->keyFile});
    FTPConnection::setCertificateAuthorityFile(certificate->certFile);
    VLXFTPBrowse browser;
    configure(browser, 1);
    browse(browser, QStringLiteral("www"), [&] {
        EXPECT_EQ(names(browser), (QStringList {"feeds", "index.html"}));
        click(browser, "browseAccept");
    });
    FTPConnection::setCertificateAuthorityFile(QString());
    EXPECT_EQ(browser.directory(), QStringLiteral("www"));
    EXPECT_TRUE(log.contains(u"> AUTH TLS"));
    EXPECT_TRUE(log.contains(u"> PASS ********"));
}

TEST_F(VLXFTPBrowseTest, ClosingMidTransferStopsIt)
{
    // A login folder of many names, whose listing the server holds after its first kilobyte
    // until the test lets it go on: the listing is surely on its way when the dialog closes.
    for (int i = 0; i < 400; ++i)
        ASSERT_TRUE(PublishTestSupport::writeFile(
            root.filePath(QStringLiteral("home/u/episode-%1.mp3").arg(i)), "x"));
    const PublishTestSupport::HeldTransfer hold(1024);
    startServer(hold.serverOptions());
    auto browser = std::make_unique<VLXFTPBrowse>();
    configure(*browser);
    const int result = whileModal([&] { return browser->browse(QString(), kUser, kPassword); },
                                  [&] {
                                      ASSERT_TRUE(waitUntil([&] {
                                          return browser->statusText() == u"In Progress";
                                      }));
                                      ASSERT_TRUE(hold.waitUntilHeld(server));
                                      ASSERT_TRUE(browser->isTransferRunning());
                                      browser->browseWindow()->close();
                                  });
    // Closed while the server still holds the listing: closing did not wait for the server.
    EXPECT_EQ(result, 0);
    EXPECT_FALSE(browser->isTransferRunning());
    EXPECT_EQ(browser->phase(), 0);
    browser.reset();
    // Nothing of the stopped transfer arrives afterwards, not even once the server has let the
    // listing go on and ended it.
    ASSERT_TRUE(hold.release());
    ASSERT_TRUE(waitUntil([&] { return server.log().contains(u"end of the held "); }))
        << server.log().toStdString();
    waitUntil([] { return false; }, 300);
    EXPECT_TRUE(log.isEmpty());
}

TEST_F(VLXFTPBrowseTest, AFailureWithoutReasonFallsBackToTheDeepestFolderOnce)
{
    for (int i = 0; i < 400; ++i)
        ASSERT_TRUE(PublishTestSupport::writeFile(
            root.filePath(QStringLiteral("home/u/www/feeds/item-%1.xml").arg(i)), "x"));
    startServer({QStringLiteral("--throttle-out"), QStringLiteral("2000")});
    VLXFTPBrowse browser;
    configure(browser);
    browse(browser, QString(), [&] {
        const QString base = QStringLiteral("ftp://127.0.0.1:%1/").arg(server.port());
        // libcurl gives some failures no reason at all; the browser then lists the deepest
        // folder the transfer reached, and does so only once.
        const auto failWithoutReason = [&] {
            ASSERT_TRUE(waitUntil([&] { return browser.statusText() == u"In Progress"; }));
            waitUntil([] { return false; }, 300);
            ASSERT_TRUE(browser.transfer());
            browser.URLHandleResourceDidFailLoadingWithReason(browser.transfer(), QString());
        };
        browser.getFileListing(QStringLiteral("www/feeds"));
        failWithoutReason();
        EXPECT_EQ(browser.statusText(), QStringLiteral("Failed"));
        ASSERT_TRUE(waitUntil([&] { return browser.isTransferRunning(); }, 2000));
        EXPECT_EQ(browser.transferAddress(), base + QStringLiteral("/home/u/www/feeds/"));
        failWithoutReason();
        waitUntil([] { return false; }, 400);
        EXPECT_FALSE(browser.isTransferRunning());
        click(browser, "browseCancel");
    });
}

} // namespace
