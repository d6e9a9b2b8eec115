// The folder browsers' shared rules (folder values, history, accepting, double-clicks, the
// table), seen through the local browser on a temporary home folder.
#include "BrowserTestSupport.h"
#include "PublishTestSupport.h"
#include "platform/ScriptedHelpService.h"
#include "publish/FTPListingParser.h"
#include "publish/FileSizeFormatting.h"
#include "publish/VLXLCLBrowse.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

using namespace BrowserTestSupport;
using P = FTPListingParser;

TEST(FolderBrowserRules, SizeTextsRoundDownToTheLargestUnit)
{
    const auto text = &FileSizeFormatting::formattedFileSizeWithBytes;
    EXPECT_EQ(text(0), QStringLiteral("0 B "));
    EXPECT_EQ(text(1023), QStringLiteral("1023 B "));
    EXPECT_EQ(text(1024), QStringLiteral("1 KB"));
    EXPECT_EQ(text(1536), QStringLiteral("1 KB"));
    EXPECT_EQ(text(1048576), QStringLiteral("1 MB"));
    EXPECT_EQ(text(5000000), QStringLiteral("4 MB"));
    EXPECT_EQ(text(-5), QStringLiteral("-5 B "));
    EXPECT_EQ(text(std::numeric_limits<qint64>::max()), QStringLiteral("7 EB"));
}

TEST(FolderBrowserRules, FoldersInsideHomeAreAnsweredRelativeToIt)
{
    VLXLCLBrowse browser;
    const auto answer = [&](const QString &home, const QString &chosen) {
        browser.setHomeDirectory(home);
        browser.setDirectory(chosen);
        return browser.directory();
    };
    EXPECT_EQ(answer(QStringLiteral("/home/u"), QStringLiteral("/home/u/www/feeds")),
              QStringLiteral("www/feeds"));
    EXPECT_EQ(answer(QStringLiteral("/home/u"), QStringLiteral("/home/u")), QString());
    EXPECT_EQ(answer(QStringLiteral("/home/u"), QStringLiteral("~/www/feeds")),
              QStringLiteral("www/feeds"));
    EXPECT_EQ(answer(QStringLiteral("/home/u"), QStringLiteral("~")), QString());
    EXPECT_EQ(answer(QStringLiteral("/home/u"), QStringLiteral("/home/user2")),
              QStringLiteral("/home/user2"));
    EXPECT_EQ(answer(QStringLiteral("/home/u"), QStringLiteral("/var/www")),
              QStringLiteral("/var/www"));
    EXPECT_EQ(answer(QStringLiteral("Sites"), QStringLiteral("Sites/feeds")),
              QStringLiteral("feeds"));
    EXPECT_EQ(answer(QStringLiteral("Sites"), QStringLiteral("Sites")), QString());
    // A login folder of "/" (servers that show each user only their own tree).
    EXPECT_EQ(answer(QStringLiteral("/"), QStringLiteral("/www")), QStringLiteral("www"));
    // Without a home folder the caller's folder is kept as given.
    EXPECT_EQ(answer(QString(), QStringLiteral("/home/u/www")), QStringLiteral("/home/u/www"));

    const auto titles = &VLXBrowseBase::historyTitlesForPath;
    EXPECT_EQ(titles(QStringLiteral("/home/u/www/feeds"), QStringLiteral("/home/u"), true),
              (QStringList {"~", "~/www", "~/www/feeds"}));
    EXPECT_EQ(titles(QStringLiteral("/home/u"), QStringLiteral("/home/u"), true),
              QStringList {"~"});
    EXPECT_EQ(titles(QStringLiteral("/var/www/"), QStringLiteral("/home/u"), true),
              (QStringList {"/", "/var", "/var/www"}));
    EXPECT_EQ(titles(QStringLiteral("~/www"), QStringLiteral("/home/u"), true),
              (QStringList {"~", "~/www"}));
    EXPECT_EQ(titles(QStringLiteral("/www"), QStringLiteral("/"), true),
              (QStringList {"~", "~/www"}));
    EXPECT_EQ(titles(QStringLiteral("Sites/feeds"), QStringLiteral("Sites"), false),
              (QStringList {"Sites", "Sites/feeds"}));
    EXPECT_EQ(VLXBrowseBase::deletingLastPathComponent(QStringLiteral("~/www/a.txt")),
              QStringLiteral("~/www/"));
}

class VLXLCLBrowseTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(home.isValid() && outside.isValid());
        savedHome = qgetenv("HOME");
        qputenv("HOME", QFile::encodeName(home.path()));
        help = ScriptedHelpService::install();
        const QDir h(home.path());
        ASSERT_TRUE(h.mkpath(QStringLiteral("www/feeds")) && h.mkpath(QStringLiteral(".config")));
        ASSERT_TRUE(QDir(outside.path()).mkpath(QStringLiteral("site/inner")));
        write(QStringLiteral("notes.txt"), 1536);
        write(QStringLiteral("www/index.html"), 10);
        write(QStringLiteral(".secret"), 1);
        link(QStringLiteral("www"), QStringLiteral("sitelink"));
        link(outside.filePath(QStringLiteral("site")), QStringLiteral("abslink"));
        link(QStringLiteral("notes.txt"), QStringLiteral("filelink"));
        link(QStringLiteral("nowhere"), QStringLiteral("broken"));
    }
    void TearDown() override
    {
        qputenv("HOME", savedHome);
        HelpService::setInstance(nullptr);
    }

    void write(const QString &name, int size)
    {
        ASSERT_TRUE(PublishTestSupport::writeFile(home.filePath(name), QByteArray(size, 'x')));
    }
    void link(const QString &target, const QString &name)
    {
        ASSERT_TRUE(QFile::link(target, home.filePath(name)));
    }

    // Browses from the folder; the script runs once the first listing is shown.
    int browse(VLXLCLBrowse &browser, const QString &folder,
               const std::function<void()> &script)
    {
        return whileModal([&] { return browser.browse(folder, QString(), QString()); },
                          [&] {
                              ASSERT_TRUE(PublishTestSupport::waitUntil(
                                  [&] { return !browser.historyTitles().isEmpty(); }, 5000));
                              script();
                          });
    }
    bool upButtonShown(const VLXBrowseBase &browser)
    {
        return !browser.outlet<QWidget>(QStringLiteral("browseUpHistory"))->isHidden();
    }

    QByteArray savedHome;
    QTemporaryDir home;
    QTemporaryDir outside;
    std::shared_ptr<ScriptedHelpService> help;
};

TEST_F(VLXLCLBrowseTest, ListsTheFolderInFileSystemOrderWithoutHiddenNamesAndWithLinks)
{
    VLXLCLBrowse browser;
    browse(browser, QString(), [&] {
        EXPECT_EQ(browser.browseWindow()->windowTitle(), QStringLiteral("Browse Local Disks"));
        EXPECT_EQ(browser.historyTitles(), QStringList {"~"});
        EXPECT_FALSE(upButtonShown(browser));
        // The local browser makes no folders, so it shows no field for a new one.
        EXPECT_TRUE(browser.outlet<QWidget>(QStringLiteral("browseNewFolder"))->isHidden());
        EXPECT_TRUE(browser.outlet<QWidget>(QStringLiteral("browseNewFolderName"))->isHidden());
        QStringList order;
        for (QDirIterator it(home.path(), QDir::AllEntries | QDir::System | QDir::Hidden
                                              | QDir::NoDotAndDotDot);
             it.hasNext();) {
            it.next();
            if (!it.fileName().startsWith(u'.'))
                order.append(it.fileName());
        }
        EXPECT_EQ(names(browser), order);
        EXPECT_EQ(names(browser).size(), 6);

        EXPECT_EQ(cell(browser, QStringLiteral("sitelink"), 1),
                  QStringLiteral("sitelink -> www"));
        EXPECT_EQ(cell(browser, QStringLiteral("notes.txt"), 2), QStringLiteral("1 KB"));
        EXPECT_FALSE(cell(browser, QStringLiteral("www"), 2).isValid());
        EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d\\d [A-Z][a-z][a-z] \\d{4} \\d\\d:\\d\\d$"))
                        .match(cell(browser, QStringLiteral("notes.txt"), 3).toString())
                        .hasMatch());
        const auto entry = [&](const QString &name) {
            return browser.browseFiles().at(rowOf(browser, name));
        };
        EXPECT_EQ(entry(QStringLiteral("sitelink")).value(VLXBrowseBase::kSymbolicLinkTargetTypeKey),
                  P::kTypeDirectory);
        EXPECT_EQ(entry(QStringLiteral("filelink")).value(VLXBrowseBase::kSymbolicLinkTargetTypeKey),
                  P::kTypeRegular);
        EXPECT_FALSE(entry(QStringLiteral("broken")).contains(VLXBrowseBase::kSymbolicLinkTargetTypeKey));
        EXPECT_EQ(entry(QStringLiteral("abslink")).value(P::kSymbolicLinkTargetKey).toString(),
                  QStringLiteral("-> ") + outside.filePath(QStringLiteral("site")));

        // A link to a folder shows the folder-link picture; a link to a file the file's icon
        // with the link badge over it.
        const auto image = [&](const QString &name) {
            return cell(browser, name, 0, Qt::DecorationRole).value<QIcon>().pixmap(16).toImage();
        };
        EXPECT_EQ(image(QStringLiteral("sitelink")),
                  QIcon(QStringLiteral(":/images/symlink_folder.svg")).pixmap(16).toImage());
        EXPECT_NE(image(QStringLiteral("filelink")), image(QStringLiteral("notes.txt")));
        EXPECT_FALSE(image(QStringLiteral("www")).isNull());

        click(browser, "browseHelp");
        EXPECT_EQ(help->anchors(), QStringList {"STDBrowserWindow"});
        click(browser, "browseCancel");
    });
}

TEST_F(VLXLCLBrowseTest, AcceptAnswersTheShownFolderAFilesFolderOrAFolderInside)
{
    struct Case
    {
        const char *start;
        const char *row; // nullptr: no row selected
        const char *answer;
    };
    const Case cases[] = {
        {"www", nullptr, "www"},
        {"www", "index.html", "www"},
        {"www", "feeds", "www/feeds"},
        {"", nullptr, ""},
        {"", "sitelink", "www"},
        {"", "filelink", ""},
        {"", "broken", ""},
    };
    for (const Case &c : cases) {
        VLXLCLBrowse browser;
        const int result = browse(browser, QLatin1String(c.start), [&] {
            if (c.row)
                selectRow(browser, QLatin1String(c.row));
            click(browser, "browseAccept");
        });
        EXPECT_EQ(result, 1);
        EXPECT_EQ(browser.directory(), QLatin1String(c.answer)) << c.start << " " << c.row;
    }

    // A folder outside the home folder is answered in full and listed again by a new browser.
    VLXLCLBrowse first;
    browse(first, QString(), [&] {
        selectRow(first, QStringLiteral("abslink"));
        click(first, "browseAccept");
    });
    const QString site = outside.filePath(QStringLiteral("site"));
    EXPECT_EQ(first.directory(), site);
    VLXLCLBrowse again;
    browse(again, first.directory(), [&] {
        EXPECT_EQ(names(again), QStringList {"inner"});
        EXPECT_EQ(again.historyTitles().last(), site);
        EXPECT_EQ(again.historyTitles().first(), QStringLiteral("/"));
        click(again, "browseCancel");
    });
}

TEST_F(VLXLCLBrowseTest, DoubleClicksOpenFoldersAndLinksAndChooseAFilesFolder)
{
    VLXLCLBrowse browser;
    const int result = browse(browser, QString(), [&] {
        selectRow(browser, QStringLiteral("www"));
        browser.browseDoubleClick();
        EXPECT_EQ(browser.historyTitles(), (QStringList {"~", "~/www"}));
        EXPECT_TRUE(upButtonShown(browser));
        // The table's own accept leaves folder rows to the double-click.
        selectRow(browser, QStringLiteral("feeds"));
        browser.browseAccept(true);
        ASSERT_TRUE(browser.browseWindow()->isVisible());

        click(browser, "browseUpHistory");
        EXPECT_EQ(browser.historyTitles(), QStringList {"~"});
        EXPECT_FALSE(upButtonShown(browser));
        // Up at the top only beeps.
        browser.browseUpHistorySelected();
        EXPECT_EQ(browser.historyTitles(), QStringList {"~"});

        selectRow(browser, QStringLiteral("sitelink"));
        browser.browseDoubleClick();
        QStringList listed = names(browser);
        listed.sort();
        EXPECT_EQ(listed, (QStringList {"feeds", "index.html"}));
        EXPECT_EQ(browser.historyTitles(), (QStringList {"~", "~/www"}));
        chooseHistory(browser, QStringLiteral("~"));
        selectRow(browser, QStringLiteral("abslink"));
        browser.browseDoubleClick();
        EXPECT_EQ(names(browser), QStringList {"inner"});
        EXPECT_EQ(browser.historyTitles().first(), QStringLiteral("/"));
        browser.getFileListing(QStringLiteral("~"));
        selectRow(browser, QStringLiteral("notes.txt"));
        browser.browseDoubleClick();
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(browser.directory(), QString());

    // A link to a file is chosen as the file is: its folder, never the file itself.
    VLXLCLBrowse linked;
    browse(linked, QString(), [&] {
        selectRow(linked, QStringLiteral("filelink"));
        linked.browseDoubleClick();
    });
    EXPECT_EQ(linked.directory(), QString());
}

TEST_F(VLXLCLBrowseTest, GoesAboveTheHomeFolderToAnyFolderTheUserCanRead)
{
    const QDir homeDir(home.path());
    QDir parent = homeDir;
    ASSERT_TRUE(parent.cdUp());
    VLXLCLBrowse browser;
    const int result = browse(browser, QString(), [&] {
        // The history starts at the home folder; the top folder and the go-to field lead on.
        EXPECT_FALSE(upButtonShown(browser));
        auto *top = browser.outlet<QWidget>(QStringLiteral("browseTop"));
        auto *goTo = browser.outlet<QLineEdit>(QStringLiteral("browseGoTo"));
        ASSERT_TRUE(top && goTo);
        EXPECT_FALSE(top->isHidden());
        EXPECT_FALSE(goTo->isHidden());

        click(browser, "browseTop");
        EXPECT_EQ(browser.historyTitles(), QStringList {"/"});
        EXPECT_FALSE(upButtonShown(browser));
        EXPECT_GE(rowOf(browser, VLXBrowseBase::pathComponents(home.path()).value(1)), 0);

        // Typed: the folder above the home folder, listed with the home folder in it.
        QTest::keyClicks(goTo, parent.path());
        QTest::keyClick(goTo, Qt::Key_Return);
        EXPECT_TRUE(browser.browseWindow()->isVisible()) << "Return only goes to the folder";
        EXPECT_EQ(browser.historyTitles().last(), parent.path());
        EXPECT_TRUE(goTo->text().isEmpty());
        EXPECT_TRUE(upButtonShown(browser));
        selectRow(browser, homeDir.dirName());
        browser.browseDoubleClick();
        EXPECT_EQ(browser.historyTitles(), QStringList {"~"});

        // A path inside the folder shown, and one from "~".
        QTest::keyClicks(goTo, QStringLiteral("www/feeds"));
        QTest::keyClick(goTo, Qt::Key_Return);
        EXPECT_EQ(browser.historyTitles(), (QStringList {"~", "~/www", "~/www/feeds"}));
        QTest::keyClicks(goTo, QStringLiteral("~/www/.."));
        QTest::keyClick(goTo, Qt::Key_Return);
        EXPECT_EQ(browser.historyTitles(), QStringList {"~"});

        // What is no folder is not gone to: the listing and the typed text stay.
        QTest::keyClicks(goTo, QStringLiteral("notes.txt"));
        QTest::keyClick(goTo, Qt::Key_Return);
        EXPECT_EQ(browser.historyTitles(), QStringList {"~"});
        EXPECT_EQ(goTo->text(), QStringLiteral("notes.txt"));
        EXPECT_FALSE(browser.statusText().isEmpty());
        goTo->clear();

        QTest::keyClicks(goTo, outside.path());
        QTest::keyClick(goTo, Qt::Key_Return);
        EXPECT_TRUE(browser.statusText().isEmpty());
        click(browser, "browseAccept");
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(browser.directory(), outside.path());
}

TEST_F(VLXLCLBrowseTest, MakesNoFolderEvenWhenAskedWithANameAndKeepsTheFolderShown)
{
    VLXLCLBrowse browser;
    const int result = browse(browser, QStringLiteral("www"), [&] {
        auto *name = browser.outlet<QLineEdit>(QStringLiteral("browseNewFolderName"));
        ASSERT_TRUE(name);
        name->setText(QStringLiteral("new shows"));
        browser.browseCreateNewFolder();
        EXPECT_FALSE(QFileInfo::exists(home.filePath(QStringLiteral("www/new shows"))));
        EXPECT_EQ(browser.historyTitles(), (QStringList {"~", "~/www"}));
        click(browser, "browseAccept");
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(browser.directory(), QStringLiteral("www"));
}

TEST_F(VLXLCLBrowseTest, CancelKeepsNothingAndAnUnreadableFolderListsEmpty)
{
    VLXLCLBrowse browser;
    const QString missing = outside.filePath(QStringLiteral("gone"));
    const int result = browse(browser, missing, [&] {
        EXPECT_TRUE(browser.browseFiles().isEmpty());
        EXPECT_EQ(browser.historyTitles().last(), missing);
        EXPECT_TRUE(browser.statusText().isEmpty());
        click(browser, "browseCancel");
    });
    EXPECT_EQ(result, 0);
}

} // namespace
