// The import window in the running application: marking, sorting and importing into the loaded
// feed as one undoable step, and what the window shows.
#include "ImportFixture.h"
#include "common/StrictXML.h"

#include "app/ToolHandOffs.h"
#include "app/Vellumcast.h"
#include "document/FeedDocument.h"
#include "document/VLXUndoManager.h"
#include "import/ImportDescriptionView.h"
#include "import/VLXImport.h"
#include "io/VLXParseFeed.h"
#include "model/VLXFeed.h"
#include "model/VLXItems.h"
#include "model/extensionManagerChannel.h"
#include "model/extensionManagerItem.h"
#include "xml/vlxXMLDOM.h"

#include <QAction>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QMainWindow>
#include <QTableView>
#include <QTest>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>
#include <QUrl>

namespace {

const QList<QPair<QString, QString>> kEpisodes {
    {"Episode 1", "Tue, 01 Dec 2026 08:00:00 +0000"},
    {"Episode 4", "Fri, 04 Dec 2026 08:00:00 +0000"},
    {"Episode 2", "Wed, 02 Dec 2026 08:00:00 +0000"},
    {"Undated", ""},
    {"Episode 3", "Thu, 03 Dec 2026 08:00:00 +0000"},
};

class ImportWindowTest : public ImportFixture
{
};

TEST_F(ImportWindowTest, ThreeMarkedRowsSortedByDateLandOnTopAsOneUndoStep)
{
    Vellumcast &w = openFeed();
    w.populateItem(2);
    const QString pubDateBefore = w.currentFeed()->pubDate();
    const int selectedBefore = w.selectedItemRow();
    VLXImport *import = openImport();
    ASSERT_NE(import, nullptr);
    EXPECT_EQ(import->importWindow()->windowTitle(), "Import Items into feed.xml");
    EXPECT_EQ(import->importWindow()->findChild<QLabel *>("feedName")->text(), "No feed selected");
    // Without a list the tools that work on one are off.
    EXPECT_FALSE(import->importWindow()
                     ->findChild<QAction *>("Mark All ImportItems Identifier")
                     ->isEnabled());

    ASSERT_TRUE(open(import, serve("other.xml", sourceFeed("Other Show", kEpisodes))));
    EXPECT_EQ(rowTitles(import),
              (QStringList {"Episode 1", "Episode 4", "Episode 2", "Undated", "Episode 3"}));
    EXPECT_TRUE(import->importWindow()
                    ->findChild<QAction *>("Mark All ImportItems Identifier")
                    ->isEnabled());
    auto *sort = import->importWindow()->findChild<QComboBox *>("sortSelector");
    ASSERT_NE(sort, nullptr);
    EXPECT_EQ(sort->currentIndex(), 0);
    sort->setCurrentIndex(1);
    emit sort->activated(1);
    EXPECT_EQ(rowTitles(import),
              (QStringList {"Episode 4", "Episode 3", "Episode 2", "Episode 1", "Undated"}));
    for (int row : {0, 1, 2})
        import->importCheckBox(row);
    EXPECT_EQ(import->doImport(), 3);
    EXPECT_EQ(import->statusText(), "3 items imported");
    endAction();
    EXPECT_EQ(itemTitles(), (QStringList {"Episode 4", "Episode 3", "Episode 2", "A", "B", "C"}));
    // Read from the web: the items say where they came from.
    EXPECT_EQ(w.currentFeed()->itemAtIndex(0)->source(), "Other Show");
    EXPECT_EQ(w.currentFeed()->itemAtIndex(0)->sourceAttr(), "https://other.example/");
    EXPECT_EQ(undo().undoActionName(), "Import Items");
    // The marks stay, the window stays.
    EXPECT_EQ(markedTitles(import), (QStringList {"Episode 4", "Episode 3", "Episode 2"}));
    EXPECT_TRUE(import->importWindow()->isVisible());

    undo().undo();
    EXPECT_EQ(itemTitles(), (QStringList {"A", "B", "C"}));
    EXPECT_EQ(w.selectedItemRow(), selectedBefore);
    EXPECT_EQ(w.currentFeed()->pubDate(), pubDateBefore);

    // Nothing marked: nothing happens.
    import->clearAllItems();
    EXPECT_EQ(import->doImport(), 0);
    EXPECT_EQ(itemTitles(), (QStringList {"A", "B", "C"}));

    // Closing tells the feed window, which shows item 0 and allows a new import.
    import->cancel();
    EXPECT_FALSE(w.tools().isImporting());
    EXPECT_EQ(w.document()->shownItem(), 0);
}

TEST_F(ImportWindowTest, ReSortingKeepsTheMarksOnTheItemsTheUserTicked)
{
    openFeed();
    VLXImport *import = openImport();
    ASSERT_TRUE(open(import, serve("other.xml", sourceFeed("Other Show", kEpisodes))));
    import->importCheckBox(1); // Episode 4
    import->importCheckBox(3); // Undated
    import->resortItems(ImportItemModel::Order::Title);
    EXPECT_EQ(markedTitles(import), (QStringList {"Episode 4", "Undated"}));
    import->resortItems(ImportItemModel::Order::PubDate);
    EXPECT_EQ(markedTitles(import), (QStringList {"Episode 4", "Undated"}));
    // Re-sorting leaves the first row selected, its description shown.
    EXPECT_EQ(import->importWindow()->findChild<QTableView *>("itemTable")->currentIndex().row(),
              0);
    EXPECT_EQ(import->doImport(), 2);
    EXPECT_EQ(itemTitles(), (QStringList {"Episode 4", "Undated", "A", "B", "C"}));

    // Marking by date clears first, then sets the items after the moment, never undated ones.
    import->markAllItems();
    import->clearAllItems();
    import->markItemsByDate(QDateTime(QDate(2026, 12, 2), QTime(12, 0), Qt::UTC));
    EXPECT_EQ(markedTitles(import), (QStringList {"Episode 4", "Episode 3"}));
}

TEST_F(ImportWindowTest, AnImportThatWouldMakeTheFeedTooLargeToOpenIsRefused)
{
    Vellumcast &w = openFeed(); // three items
    VLXImport *import = openImport();
    const int fitting = VLXParseFeed::kMaximumItems - 3;
    QByteArray many = "<?xml version=\"1.0\"?><rss version=\"2.0\"><channel><title>Many</title>";
    many += QByteArray("<item><title>x</title></item>").repeated(fitting + 1);
    many += "</channel></rss>";
    ASSERT_TRUE(open(import, serve("many.xml", many)));
    import->markAllItems();
    alerts->clear();
    EXPECT_EQ(import->doImport(), 0);
    ASSERT_EQ(alertTitles(), QStringList {"Feed Too Large"});
    EXPECT_EQ(alerts->alerts().first().message,
              "With the 249,998 items marked this feed would have 250,001 items. Vellumcast "
              "opens feeds of up to 250,000 items, so they were not imported.");
    EXPECT_EQ(itemTitles(), (QStringList {"A", "B", "C"}));
    // One item fewer fits.
    import->importCheckBox(0);
    EXPECT_EQ(import->doImport(), fitting);
    EXPECT_EQ(w.currentFeed()->countOfItems(), VLXParseFeed::kMaximumItems);
}

// The elements of the saved feed's first item as {namespace URI}name=text, and their prefixes.
QStringList firstItemElements(const QString &xml, QStringList *prefixes)
{
    vlxXMLDOM dom(xml);
    const vlxXMLNode *rss = dom.nodeNamed("rss", vlxXMLDOM::Element, nullptr);
    const vlxXMLNode *channel = rss ? dom.nodeNamed("channel", vlxXMLDOM::Element, rss) : nullptr;
    const vlxXMLNode *item = channel ? dom.nodeNamed("item", vlxXMLDOM::Element, channel) : nullptr;
    QStringList elements;
    for (int i = 0; item && i < vlxXMLDOM::numberOfChildren(item); ++i) {
        const vlxXMLNode *child = vlxXMLDOM::nodeAtIndex(i, item);
        if (vlxXMLDOM::kindOfNode(child) != vlxXMLDOM::Element)
            continue;
        const QString name = vlxXMLDOM::nameOfNode(child);
        prefixes->append(name.section(u':', 0, -2));
        elements << QStringLiteral("{%1}%2=%3")
                        .arg(vlxXMLDOM::namespaceURIOfNode(child), name.section(u':', -1),
                             vlxXMLDOM::textContentOfNode(child));
    }
    return elements;
}

TEST_F(ImportWindowTest, ImportedItemsCarryTheNamespacesOfTheFeedTheyJoin)
{
    Vellumcast &w = openFeed();
    // The loaded feed uses Dublin Core and binds geo to the geo address; the source uses
    // iTunes, the geo address under another prefix and namespaces the loaded feed has none of.
    w.document()->addNamespace("dc", "http://purl.org/dc/elements/1.1/");
    const QString geo = "http://www.w3.org/2003/01/geo/wgs84_pos#";
    w.document()->addNamespace("geo", geo);
    const QStringList ours = w.currentFeed()->XMLExtensions()->arrayOfExtensionNames();
    ASSERT_TRUE(ours.contains("dc"));
    const QString podcast = "https://podcastindex.org/namespace/1.0";
    const QString source = serve(
        "tagged.xml",
        sourceFeed("Tagged", {{"Tagged 1", "Tue, 01 Dec 2026 08:00:00 +0000"}},
                   "<itunes:author>Someone</itunes:author><x:odd>1</x:odd>"
                   "<podcast:transcript url=\"https://example.org/t.vtt\" type=\"text/vtt\"/>"
                   "<podcast:chapters url=\"https://example.org/c.json\" "
                   "type=\"application/json+chapters\"/><pos:lat>51.5</pos:lat>",
                   " xmlns:itunes=\"http://www.itunes.com/dtds/podcast-1.0.dtd\""
                   " xmlns:x=\"http://example.org/x\" xmlns:podcast=\""
                       + podcast + "\" xmlns:pos=\"" + geo + "\""));
    VLXImport *import = openImport();
    ASSERT_TRUE(open(import, source));
    ASSERT_EQ(rowTitles(import), QStringList {"Tagged 1"});
    import->markAllItems();
    ASSERT_EQ(import->doImport(), 1);
    const VLXItems &item = *w.currentFeed()->itemAtIndex(0);
    const QStringList names = item.XMLExtensions()->arrayOfExtensionNames();
    // The namespaces with a class are the loaded feed's: iTunes goes.
    EXPECT_TRUE(names.contains("dc"));
    EXPECT_FALSE(names.contains("itunes"));
    EXPECT_FALSE(w.currentFeed()->buildXML().contains("Someone"));
    // Elements no class reads come along in their namespaces, under the loaded feed's prefix
    // where it binds the address.
    QStringList prefixes;
    const QString saved = w.currentFeed()->buildXML();
    EXPECT_EQ(StrictXML::problem(saved.toUtf8()).toStdString(), "");
    const QStringList elements = firstItemElements(saved, &prefixes);
    for (const QString &kept : {QString("{http://example.org/x}odd=1"), "{" + podcast + "}transcript=",
                                "{" + podcast + "}chapters=", "{" + geo + "}lat=51.5"})
        EXPECT_TRUE(elements.contains(kept)) << kept.toStdString();
    EXPECT_TRUE(prefixes.contains("geo"));
    EXPECT_FALSE(prefixes.contains("pos"));
}

TEST_F(ImportWindowTest, KeptElementsComeAlongAndAClashingPrefixGetsAFreshOne)
{
    Vellumcast &w = openFeed();
    // The loaded feed binds geo and loc to namespaces of its own.
    w.document()->addNamespace("geo", "urn:other:geo");
    w.document()->addNamespace("loc", "urn:other:loc");
    // It uses iTunes too, so an iTunes element under a prefix of the source's own joins it.
    const QString itunes = "http://www.itunes.com/dtds/podcast-1.0.dtd";
    w.document()->addNamespace("itunes", itunes);
    const QString source = serve(
        "kept.xml",
        sourceFeed("Kept", {{"Kept 1", ""}},
                   "<geo:lat>51.5</geo:lat><it:author xmlns:it=\"" + itunes
                       + "\">Someone</it:author><loc:note xmlns:loc=\"urn:example:loc\">kept"
                         "</loc:note><plain a=\"1\">bare</plain>"
                         // geo's fresh prefix must not be one the kept text uses already.
                         "<geo:wrap xmlns:geo1=\"urn:example:third\" geo1:a=\"1\"/>",
                   " xmlns:geo=\"urn:example:geo\""));
    VLXImport *import = openImport();
    ASSERT_TRUE(open(import, source));
    import->markAllItems();
    ASSERT_EQ(import->doImport(), 1);

    // Saved, every element reads in the namespace it had, none under the loaded feed's own.
    QStringList prefixes;
    const QString saved = w.currentFeed()->buildXML();
    EXPECT_EQ(StrictXML::problem(saved.toUtf8()).toStdString(), "");
    const QStringList elements = firstItemElements(saved, &prefixes);
    for (const QString &kept :
         {QString("{urn:example:geo}lat=51.5"), "{" + itunes + "}author=Someone",
          QString("{urn:example:loc}note=kept"), QString("{}plain=bare"),
          QString("{urn:example:geo}wrap=")})
        EXPECT_TRUE(elements.contains(kept)) << kept.toStdString();
    EXPECT_FALSE(prefixes.contains("geo"));
    EXPECT_FALSE(prefixes.contains("loc"));
}

TEST_F(ImportWindowTest, TheToolbarHasItsDefaultSetAndTexts)
{
    openFeed();
    VLXImport *import = openImport();
    auto *toolbar = import->importWindow()->findChild<QToolBar *>("ImportItemsToolbar Identifier");
    ASSERT_NE(toolbar, nullptr);
    QStringList shown;
    for (QAction *action : toolbar->actions()) {
        if (!action->objectName().isEmpty())
            shown << action->objectName();
    }
    EXPECT_EQ(shown,
              (QStringList {"Open File ImportItems Identifier", "Download ImportItems Identifier",
                            "Open Recent ImportItems Identifier", "Mark All ImportItems Identifier",
                            "Clear All ImportItems Identifier",
                            "Mark By Date ImportItems Identifier", "Sort ImportItems Identifier"}));
    auto *markByDate
        = import->importWindow()->findChild<QAction *>("Mark By Date ImportItems Identifier");
    ASSERT_NE(markByDate, nullptr);
    EXPECT_EQ(markByDate->text(), "Mark By Date");
    EXPECT_EQ(markByDate->toolTip(), "Mark Items By Date");
    auto *sort = import->importWindow()->findChild<QComboBox *>("sortSelector");
    EXPECT_EQ(sort->itemText(0), "Original Order");
    EXPECT_EQ(sort->itemText(1), "Sorted by pubDate");
    EXPECT_EQ(sort->itemText(2), "Sorted by title");
    EXPECT_FALSE(sort->isEnabled());
    // A second import window is refused while this one is open.
    window().command("importFeedItems")->trigger();
    EXPECT_EQ(window().window()->findChildren<VLXImport *>().size(), 1);
}

TEST_F(ImportWindowTest, DescriptionsAreShownWithoutReadingWhatTheyPointAt)
{
    openFeed();
    const QString secret = path("secret.txt");
    writeFile(secret, "not for feeds");
    const QString address
        = serve("pictures.xml",
                sourceFeed("Pictures", {{"Pictured", ""}})
                    .replace("About Pictured",
                             QStringLiteral("&lt;b&gt;Look&lt;/b&gt; &lt;img src=\"%1\"/&gt;")
                                 .arg(QUrl::fromLocalFile(secret).toString())
                                 .toUtf8()));
    VLXImport *import = openImport();
    ASSERT_TRUE(open(import, address));
    auto *description = import->importWindow()->findChild<QTextEdit *>("itemDescription");
    ASSERT_NE(description, nullptr);
    EXPECT_EQ(description->toPlainText().left(4), "Look");
    EXPECT_TRUE(description->document()
                    ->resource(QTextDocument::ImageResource, QUrl::fromLocalFile(secret))
                    .toByteArray()
                    .isEmpty());
    EXPECT_TRUE(description->isReadOnly());
}

TEST_F(ImportWindowTest, LongDescriptionsOpenAndShowInPartWithoutStallingTheWindow)
{
    Vellumcast &w = openFeed();
    VLXImport *import = openImport();
    auto *description
        = import->importWindow()->findChild<ImportDescriptionView *>("itemDescription");
    ASSERT_NE(description, nullptr);
    // One unbroken word, and ordinary words in one CDATA section longer than the parser reads
    // as one text (10 MB).
    const std::pair<QString, bool> cases[] = {
        {QString(256 * 1024, u'w'), false},
        {QStringLiteral("word ").repeated(4 * 1024 * 1024), true},
    };
    for (const auto &[text, cdata] : cases) {
        const QString file = path("long.xml");
        const QByteArray bytes = text.toUtf8();
        writeFile(file,
                  sourceFeed("Long", {{"Long", ""}})
                      .replace("About Long", cdata ? "<![CDATA[" + bytes + "]]>" : bytes));
        // The longest the window's thread kept a 1 ms timer waiting. The bound is that of the
        // other window-stall tests: a description laid out whole holds the window for seconds,
        // while taking the text over from the reader's thread alone comes near 50 ms on a
        // loaded machine.
        QElapsedTimer clock;
        qint64 last = 0;
        qint64 longest = 0;
        QTimer tick;
        tick.setTimerType(Qt::PreciseTimer);
        QObject::connect(&tick, &QTimer::timeout, [&] {
            longest = std::max(longest, clock.elapsed() - last);
            last = clock.elapsed();
        });
        clock.start();
        tick.start(1);
        ASSERT_TRUE(open(import, file)) << cdata;
        QTest::qWait(200);
        tick.stop();
        EXPECT_LT(longest, 250) << cdata;
        ASSERT_EQ(rowTitles(import), QStringList {"Long"}) << cdata;
        EXPECT_TRUE(description->showsInPart());
        EXPECT_TRUE(description->toPlainText().startsWith("[This description is longer than "));
        // The whole description goes into the feed.
        import->markAllItems();
        ASSERT_EQ(import->doImport(), 1);
        EXPECT_EQ(w.currentFeed()->itemAtIndex(0)->descriptionElement(), text) << cdata;
    }
}

TEST(ImportDescriptionViewTest, FormatsUpToItsBoundsAndShowsLongerDescriptionsInPart)
{
    // A word as long as may be formatted and one character more; a description as long as may be
    // formatted and one character more. Each starts with a tag, which only formatting takes away,
    // and is shown as a string and as UTF-8.
    const auto word = [](qsizetype size) { return "<b>" + QString(size - 3, u'w'); };
    const auto description = [](qsizetype size) {
        QString html = QStringLiteral("<b>bold</b>");
        while (html.size() < size)
            html += QStringLiteral(" word");
        return html.first(size);
    };
    const std::pair<QString, bool> cases[] = {
        {word(ImportDescriptionView::kLongestWord), false},
        {word(ImportDescriptionView::kLongestWord + 1), true},
        {description(ImportDescriptionView::kLongestFormatted), false},
        {description(ImportDescriptionView::kLongestFormatted + 1), true},
    };
    ImportDescriptionView view;
    for (const auto &[html, inPart] : cases) {
        for (const bool utf8 : {false, true}) {
            if (utf8)
                view.showDescription(QByteArrayView(html.toUtf8()));
            else
                view.showDescription(html);
            EXPECT_EQ(view.showsInPart(), inPart) << html.size() << utf8;
            EXPECT_EQ(view.toPlainText().contains("<b>"), inPart) << html.size() << utf8;
        }
    }
}

} // namespace

// Text an Atom source wrote as text shows as that text in the window, and stays text in the item
// imported from it.
TEST_F(ImportWindowTest, TextOfAnAtomSourceStaysTextShownAndImported)
{
    Vellumcast &w = openFeed();
    VLXImport *import = openImport();
    ASSERT_TRUE(open(import,
                     serve("atom.xml",
                           "<?xml version=\"1.0\"?><feed "
                           "xmlns=\"http://www.w3.org/2005/Atom\"><title>Atom Show</title>"
                           "<entry><title>Plain</title><summary>a &lt;b&gt;bold&lt;/b&gt; "
                           "&amp; &lt;script&gt;x&lt;/script&gt;</summary></entry></feed>")));
    auto *description = import->importWindow()->findChild<QTextEdit *>("itemDescription");
    ASSERT_NE(description, nullptr);
    const QString text = "a <b>bold</b> & <script>x</script>";
    EXPECT_EQ(description->toPlainText(), text);
    import->importCheckBox(0);
    EXPECT_EQ(import->doImport(), 1);
    endAction();
    EXPECT_EQ(itemTitles().first(), "Plain");
    EXPECT_EQ(w.currentFeed()->itemAtIndex(0)->descriptionElement(),
              "a &lt;b&gt;bold&lt;/b&gt; &amp; &lt;script&gt;x&lt;/script&gt;");
}
