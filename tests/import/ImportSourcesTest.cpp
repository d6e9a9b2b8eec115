// Where the import window reads from: addresses (also "feed://"), file paths, drops, the recent
// list that outlives the application, and sources that are no feed or cannot be fetched.
#include "ImportFixture.h"

#include "app/Controller.h"
#include "app/Vellumcast.h"
#include "common/TestSupport.h"
#include "document/FeedDocument.h"
#include "import/VLXImport.h"
#include "model/VLXFeed.h"
#include "model/VLXItems.h"
#include "platform/Clock.h"

#include <QDialog>
#include <QDir>
#include <QDropEvent>
#include <QLabel>
#include <QMainWindow>
#include <QMimeData>
#include <QTableView>
#include <QTest>
#include <QUrl>
#include <cstdio>
#include <sys/stat.h>

namespace {

const QList<QPair<QString, QString>> kItems {
    {"Old", "Tue, 01 Dec 2026 08:00:00 +0000"},
    {"New", "Thu, 10 Dec 2026 08:00:00 +0000"},
    {"Undated", ""},
};

class ImportSourcesTest : public ImportFixture
{
protected:
    void TearDown() override
    {
        FeedDocument::setSourceEditor(nullptr);
        ImportFixture::TearDown();
    }
    QLabel *feedName(VLXImport *import) const
    {
        return import->importWindow()->findChild<QLabel *>("feedName");
    }
};

TEST_F(ImportSourcesTest, AddressesPathsAndTheSourcesTheyGive)
{
    openFeed();
    // One item names its own source: it keeps it.
    const QByteArray text
        = sourceFeed("Other", kItems)
              .replace("<title>Old</title>",
                       "<title>Old</title><source url=\"http://own/\">Own</source>");
    const QString address = serve("f.xml", text);
    VLXImport *import = openImport();

    // "feed://" is fetched over HTTP at the same address, and shown as that address.
    const QString feedAddress = QStringLiteral("feed://") + address.mid(7);
    ASSERT_TRUE(open(import, feedAddress));
    EXPECT_EQ(import->currentImportFeed(), address);
    EXPECT_EQ(feedName(import)->text(), address);
    ASSERT_EQ(rowTitles(import), (QStringList {"Old", "New", "Undated"}));
    EXPECT_EQ(import->itemModel()->itemAtRow(0)->source(), "Own");
    EXPECT_EQ(import->itemModel()->itemAtRow(0)->sourceAttr(), "http://own/");
    EXPECT_EQ(import->itemModel()->itemAtRow(1)->source(), "Other");
    EXPECT_EQ(import->itemModel()->itemAtRow(1)->sourceAttr(), "https://other.example/");

    // A text without a scheme is a path; a file's items keep their source fields as read.
    const QString path = QDir(home()).filePath("with <b>odd</b> name.xml");
    writeFile(path, text);
    ASSERT_TRUE(open(import, path));
    EXPECT_EQ(import->currentImportFeed(), path);
    EXPECT_EQ(feedName(import)->text(), path);
    EXPECT_EQ(feedName(import)->textFormat(), Qt::PlainText);
    EXPECT_EQ(import->itemModel()->itemAtRow(1)->source(), "");
    // So is a file address.
    ASSERT_TRUE(open(import, QUrl::fromLocalFile(path).toString()));
    EXPECT_EQ(import->currentImportFeed(), path);

    // An empty text opens nothing.
    EXPECT_FALSE(import->openFeedAtPath(QString()));
    EXPECT_EQ(import->currentImportFeed(), path);
}

TEST_F(ImportSourcesTest, ABrokenSourceGivesTheAlertAndChangesNothing)
{
    openFeed();
    VLXImport *import = openImport();
    const QString good = serve("good.xml", sourceFeed("Good", kItems));
    ASSERT_TRUE(open(import, good));
    import->importCheckBox(1);
    alerts->clear();

    // Not XML at all: the question, abandoned.
    alerts->queueAnswer(AlertService::kAlternate);
    ASSERT_TRUE(open(import, serve("junk.xml", "this is no feed")));
    ASSERT_EQ(alerts->alerts().size(), 1);
    EXPECT_EQ(alerts->alerts().at(0).title, "Not XML/RSS");
    EXPECT_EQ(alerts->alerts().at(0).message,
              "This file does not appear to be an XML/RSS file.  Would you like to try and fix "
              "it manually?\n\nIt is not well-formed XML. The following error was detected on "
              "line 1: Start tag expected, '<' not found");
    EXPECT_EQ(alerts->alerts().at(0).defaultButton, "Manually fix it");
    EXPECT_EQ(alerts->alerts().at(0).alternateButton, "Abandon it");
    EXPECT_EQ(import->currentImportFeed(), good);
    EXPECT_EQ(feedName(import)->text(), good);
    EXPECT_EQ(markedTitles(import), QStringList {"New"});

    // Not well-formed: the parser's report; closed unsaved in the editor.
    alerts->clear();
    QStringList edited;
    FeedDocument::setSourceEditor(
        [&edited](const QString &text, const FeedDocument::Refusal &) -> std::optional<QString> {
            edited << text;
            return std::nullopt;
        });
    ASSERT_TRUE(open(import, serve("broken.xml", "<rss version=\"2.0\"><channel>\n<title>")));
    ASSERT_EQ(alerts->alerts().size(), 1);
    EXPECT_EQ(alerts->alerts().at(0).title, "Error in XML");
    EXPECT_TRUE(
        alerts->alerts().at(0).message.startsWith("The following error was detected on line "));
    EXPECT_EQ(edited.size(), 1);
    EXPECT_EQ(import->currentImportFeed(), good);
    EXPECT_EQ(rowTitles(import), (QStringList {"Old", "New", "Undated"}));

    // Nothing at the address: the connection alert, word for word.
    alerts->clear();
    const QString missing = server.url("http", "/d/missing.xml");
    ASSERT_TRUE(open(import, missing));
    ASSERT_EQ(alerts->alerts().size(), 1);
    EXPECT_EQ(alerts->alerts().at(0).title, "Connection Failure");
    EXPECT_TRUE(alerts->alerts().at(0).message.startsWith(
        QStringLiteral("When trying to fetch the feed %1 the following error \"").arg(missing)))
        << alerts->alerts().at(0).message.toStdString();
    EXPECT_TRUE(alerts->alerts().at(0).message.endsWith("\" was encountered"));
    EXPECT_EQ(import->currentImportFeed(), good);
    EXPECT_EQ(markedTitles(import), QStringList {"New"});

    // Mended in the editor: the mended text is read.
    alerts->clear();
    alerts->queueAnswer(AlertService::kDefault);
    FeedDocument::setSourceEditor(
        [](const QString &, const FeedDocument::Refusal &) -> std::optional<QString> {
            return QString::fromUtf8(sourceFeed("Mended", {{"Fixed", ""}}));
        });
    const QString mendable = serve("mend.xml", "<rss><channel><title>half");
    ASSERT_TRUE(open(import, mendable));
    EXPECT_EQ(rowTitles(import), QStringList {"Fixed"});
    EXPECT_EQ(import->currentImportFeed(), mendable);
}

// Bytes that give no text in the encoding they declare are offered to be mended with every
// character that decodes, whether they come from a file or from the web.
TEST_F(ImportSourcesTest, BytesThatGiveNoTextAreOfferedWithTheirCharacters)
{
    openFeed();
    VLXImport *import = openImport();
    const QByteArray eucJp
        = "<?xml version=\"1.0\" encoding=\"EUC-JP\"?>\n<rss version=\"2.0\"><channel>"
          "<title>T</title><link>https://example.org/</link><description>d</description><item>"
          "<title>\xC6\xFC\xCB\xDC\xB8\xEC\xFF\xA5\xC6\xA5\xB9\xA5\xC8</title></item>"
          "</channel></rss>\n";
    const QString path = QDir(home()).filePath("euc.xml");
    writeFile(path, eucJp);
    for (const QString &source : {path, serve("euc.xml", eucJp)}) {
        SCOPED_TRACE(source.toStdString());
        QStringList offered;
        // Mended once: a text that is still no feed is closed unsaved.
        FeedDocument::setSourceEditor(
            [&offered](const QString &text,
                       const FeedDocument::Refusal &) -> std::optional<QString> {
                offered << text;
                if (offered.size() > 1)
                    return std::nullopt;
                return QString(text).replace(QChar(0xFFFD), u' ');
            });
        alerts->clear();
        alerts->queueAnswer(AlertService::kDefault); // "Manually fix it"
        ASSERT_TRUE(open(import, source));
        ASSERT_EQ(alerts->alerts().size(), 1);
        EXPECT_TRUE(alerts->alerts().at(0).message.endsWith(
            "Its bytes are not valid EUC-JP, the encoding it declares: they stop being text at "
            "byte 165 (0xFF), on line 2."))
            << alerts->alerts().at(0).message.toStdString();
        ASSERT_EQ(offered.size(), 1);
        EXPECT_TRUE(offered.first().contains(QStringLiteral("<title>日本語\uFFFDテスト</title>")))
            << offered.first().toStdString();
        EXPECT_EQ(rowTitles(import), QStringList {QStringLiteral("日本語 テスト")});
    }
}

// Memory is bounded in a child process; a named pipe would block the window for ever.
TEST_F(ImportSourcesTest, PipesDevicesFoldersAndHugeFilesAreRefusedWithTheReason)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            openFeed();
            VLXImport *import = openImport();
            const QString good = path("good.xml");
            writeFile(good, sourceFeed("Good", kItems));
            const QString pipe = path("pipe.xml");
            QFile huge(path("huge.xml"));
            if (!open(import, good) || ::mkfifo(QFile::encodeName(pipe).constData(), 0600) != 0
                || !huge.open(QIODevice::WriteOnly) || !huge.resize(qint64(300) << 20))
                std::_Exit(3);
            huge.close();
            // A source read after all (a pipe gives nothing) is offered for mending in the
            // source editor: closed at once, so that the test fails instead of waiting.
            FeedDocument::setSourceEditor(
                [](const QString &, const FeedDocument::Refusal &) -> std::optional<QString> {
                    return std::nullopt;
                });
            if (!TestSupport::boundAddressSpaceGrowth(qint64(256) << 20)) {
                std::fprintf(stderr, "the address space cannot be bounded here\n");
                std::_Exit(2);
            }
            QStringList told;
            for (const QString &source :
                 {QStringLiteral("/dev/zero"), huge.fileName(), pipe, home()}) {
                alerts->clear();
                open(import, source);
                const bool refused = alerts->alerts().size() == 1
                    && alerts->alerts().first().title == QLatin1String("Open Feed")
                    && alerts->alerts().first().message.contains(source);
                const bool kept = import->currentImportFeed() == good
                    && rowTitles(import) == QStringList({"Old", "New", "Undated"});
                told << QLatin1String(refused && kept ? "refused" : "read");
            }
            std::fprintf(stderr, "%s\n", qPrintable(told.join(u' ')));
            server.stop();
            std::_Exit(0);
        },
        ::testing::ExitedWithCode(0), "refused refused refused refused");
}

TEST_F(ImportSourcesTest, DroppedFeedsOpenInTheWindow)
{
    openFeed();
    const QString path = QDir(home()).filePath("dropped.xml");
    writeFile(path, sourceFeed("Dropped", kItems));
    // Dropped on the feed window: the import window opens with it.
    VLXImport *import = openImportFromDrop(path);
    ASSERT_NE(import, nullptr);
    EXPECT_EQ(import->currentImportFeed(), path);
    EXPECT_EQ(rowTitles(import), (QStringList {"Old", "New", "Undated"}));

    // Dropped on the list of the open window: that feed is shown.
    const QString address = serve("second.xml", sourceFeed("Second", {{"Only", ""}}));
    auto *table = import->importWindow()->findChild<QTableView *>("itemTable");
    QMimeData data;
    data.setUrls({QUrl(address)});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(table->viewport(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(table->viewport(), &drop);
    EXPECT_TRUE(drop.isAccepted());
    ASSERT_TRUE(waitForOpening(import));
    EXPECT_EQ(import->currentImportFeed(), address);
    EXPECT_EQ(rowTitles(import), QStringList {"Only"});
    // Anything else is not taken.
    QMimeData text;
    text.setText("just words");
    QDragEnterEvent other(QPoint(10, 10), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    other.setAccepted(false);
    QApplication::sendEvent(table->viewport(), &other);
    EXPECT_FALSE(other.isAccepted());
    EXPECT_FALSE(import->isOpening());
    EXPECT_EQ(import->currentImportFeed(), address);
}

TEST_F(ImportSourcesTest, RecentImportsOutliveTheApplicationAndPreMarkWhatIsNewer)
{
    openFeed();
    clock->set(QDateTime(QDate(2026, 12, 5), QTime(12, 0), Qt::UTC));
    const QString address = serve("recent.xml", sourceFeed("Recent", kItems));
    VLXImport *import = openImport();
    ASSERT_TRUE(open(import, address));
    EXPECT_TRUE(markedTitles(import).isEmpty());
    clock->set(QDateTime(QDate(2026, 12, 6), QTime(12, 0), Qt::UTC));
    import->importCheckBox(0);
    ASSERT_EQ(import->doImport(), 1);
    // Remembered with the moment it was opened, not the moment of the import.
    const QVariantMap recent = window().currentFeedObjectForKey("RecentImports").toMap();
    ASSERT_EQ(recent.keys(), QStringList {address});
    EXPECT_EQ(recent.value(address).toDateTime(),
              QDateTime(QDate(2026, 12, 5), QTime(12, 0), Qt::UTC));
    ASSERT_EQ(import->recentSources().size(), 1);
    import->cancel();
    QTest::qWait(50);

    // A new start of the application: the loaded feed's recent list is still there.
    stopApplication();
    startApplication();
    QTest::qWait(300);
    alerts->clear();
    import = openImport();
    ASSERT_NE(import, nullptr);
    ASSERT_EQ(import->recentSources().size(), 1);
    EXPECT_EQ(import->recentSources().first().first, address);
    auto *recentTable = import->lastUsedWindow()->findChild<QTableView *>("lastUsedTable");
    ASSERT_NE(recentTable, nullptr);
    EXPECT_EQ(recentTable->model()->rowCount(), 1);
    // Nothing selected: nothing opens.
    import->recentOpen();
    EXPECT_FALSE(import->isOpening());
    recentTable->selectRow(0);
    import->recentOpen();
    ASSERT_TRUE(waitForOpening(import));
    EXPECT_EQ(import->currentImportFeed(), address);
    // Opened again: what is newer than the last opening is marked, undated items never.
    EXPECT_EQ(markedTitles(import), QStringList {"New"});
}

} // namespace
