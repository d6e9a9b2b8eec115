// Find Next over every item, Replace and Replace & Find through the controls, Replace All over
// the model, Freeze Dates, and what the panel does with empty and changed texts.
#include "FindFixture.h"

#include "app/FeedSearchWalk.h"

#include "app/FindReplace.h"
#include "app/ItemActions.h"
#include "app/ItemsPane.h"
#include "document/FeedDocument.h"
#include "document/VLXUndoManager.h"
#include "extensions/FieldExtensionBase.h"
#include "model/SmartDate.h"
#include "model/VLXFeed.h"
#include "model/VLXItems.h"
#include "model/extensionManagerItem.h"
#include "ui/VLXTableView.h"

#include <QAction>
#include <QItemSelectionModel>
#include <QTabWidget>

class FindReplaceTest : public FindFixture
{
protected:
    FeedDocument &doc() const { return *window().document(); }
    QString title() const { return doc().feed()->title(); }
    void setTitle(const QString &title)
    {
        setModelValue("Feeds_Required_Title", -1, title);
        showModel();
    }
};

TEST_F(FindReplaceTest, EveryItemIsSearchedButOnlyTheItemWithAMatchIsShown)
{
    openForFind({"A", "B", "C", "D"});
    setModelValue("Items_Required_Title", 2, "C zq");
    showModel();
    int selections = 0;
    QObject::connect(window().itemsPane()->itemTable()->selectionModel(),
                     &QItemSelectionModel::currentRowChanged, [&selections] { ++selections; });
    setScope({"items", "all"});
    find().setFindField("zq");

    press("Next");
    EXPECT_EQ(window().selectedItemRow(), 2);
    EXPECT_EQ(window().itemsPane()->shownItem(), 2);
    EXPECT_EQ(window().tabsFeedsIndex(), Vellumcast::ItemsTab);
    EXPECT_EQ(focusName(), "Items_Required_Title");
    EXPECT_EQ(highlighted(), "zq");
    EXPECT_EQ(selections, 1); // items without a match were never selected

    // Nothing further: the selection ends on the last item, and the next search starts over.
    press("Next");
    EXPECT_EQ(find().statusField(), "Not Found");
    EXPECT_EQ(beeps, 1);
    EXPECT_EQ(window().selectedItemRow(), 3);
    EXPECT_EQ(selections, 2);
    press("Next");
    EXPECT_EQ(window().selectedItemRow(), 2);
    EXPECT_EQ(find().statusField(), "");

    // The selected item alone; without a selected item the items are passed over.
    setScope({"items"});
    find().setFindField("nowhere");
    window().itemsPane()->itemTable()->selectRow(1);
    press("Next");
    EXPECT_EQ(find().statusField(), "Not Found");
    window().itemsPane()->itemTable()->selectRow(-1);
    press("Next");
    EXPECT_EQ(find().statusField(), "Not Found");
    EXPECT_EQ(beeps, 3);
}

// The items are searched through the window's item search (off the window's thread for a long
// feed): the walk goes on at the item it names, and a search the user stopped says nothing
// and starts over.
TEST_F(FindReplaceTest, TheItemSearchNamesWhereTheWalkGoesOnOrStopsIt)
{
    openForFind({"A", "B", "C", "D"});
    setModelValue("Items_Optional_Author", 0, "zq@example.org");
    setModelValue("Items_Optional_Author", 2, "zq@example.org");
    showModel();
    setScope({"items", "all"});
    find().setFindField("zq");
    FeedSearchWalk &walk = *window().findReplace().searchWalk();
    QList<int> asked;
    bool stop = false;
    walk.setItemSearch([&](int from, const QString &search, int options) -> std::optional<int> {
        asked << from;
        if (stop)
            return std::nullopt;
        return FeedSearchWalk::firstItemHolding(*window().document(), from, search, options);
    });
    press("Next");
    EXPECT_EQ(window().selectedItemRow(), 0);
    press("Next");
    EXPECT_EQ(window().selectedItemRow(), 2);
    EXPECT_EQ(asked, (QList<int> {0, 1}));
    stop = true;
    press("Next");
    EXPECT_EQ(find().statusField(), "");
    EXPECT_EQ(beeps, 0);
    EXPECT_EQ(window().selectedItemRow(), 2);
    stop = false;
    press("Next"); // started over
    EXPECT_EQ(window().selectedItemRow(), 0);
    walk.setItemSearch({});
}

// Past 2,000 items the items are looked at on the loader's worker: from a match, the search
// goes on at the very next item.
TEST_F(FindReplaceTest, InALongFeedTheNextItemIsLookedAtFirst)
{
    QStringList titles;
    for (int i = 0; i < 2500; ++i)
        titles << QStringLiteral("T%1").arg(i);
    openForFind(titles);
    setModelValue("Items_Optional_Author", 5, "zq@example.org");
    setModelValue("Items_Optional_Author", 6, "zq@example.org");
    showModel();
    setScope({"items", "all"});
    find().setFindField("zq");
    press("Next");
    EXPECT_EQ(window().selectedItemRow(), 5);
    press("Next");
    EXPECT_EQ(window().selectedItemRow(), 6);
    EXPECT_EQ(highlighted(), "zq");
}

TEST_F(FindReplaceTest, ReplaceChangesOnlyTheHighlightedFindTextAsAnEditOfItsField)
{
    openForFind();
    setModelValue("Feeds_Required_Description", -1, "all about a feed");
    setTitle("Feed of feeds");
    find().setFindField("feed");
    find().setReplaceField("blog");
    find().setIgnoreCase(1);

    press("Next");
    EXPECT_EQ(highlighted(), "Feed");
    // "Feed" is not the Find text: nothing is replaced, the next match in the scope is shown.
    press("Replace");
    EXPECT_EQ(title(), "Feed of feeds");
    EXPECT_EQ(highlighted(), "feed");
    EXPECT_EQ(undo().count(), 0);
    press("Replace");
    EXPECT_EQ(title(), "Feed of blogs");
    EXPECT_EQ(highlighted(), "blog");
    EXPECT_EQ(undo().undoActionName(), "Feed Title");

    // Replace & Find offers the replacement only where it resumed, then shows the next match.
    press("ReplaceFind");
    EXPECT_EQ(title(), "Feed of blogs");
    EXPECT_EQ(focusName(), "Feeds_Required_Description");
    press("ReplaceFind");
    EXPECT_EQ(doc().feed()->descriptionElement(), "all about a blog");
    EXPECT_EQ(undo().undoActionName(), "Feed Description");
    EXPECT_EQ(find().statusField(), "Not Found");
    undo().undo();
    undo().undo();
    EXPECT_EQ(title(), "Feed of feeds");
    EXPECT_EQ(doc().feed()->descriptionElement(), "all about a feed");

    // An empty Replace text deletes the match.
    find().setIgnoreCase(0);
    find().setFindField(" of");
    find().setReplaceField("");
    press("Next");
    press("Replace");
    EXPECT_EQ(title(), "Feed feeds");
}

TEST_F(FindReplaceTest, AReplacementInASheetIsStoredAsOneEditOfTheEntry)
{
    openForFind();
    doc().feed()->setXMLComments({"a zq b zq"});
    showModel();
    find().setFindField("zq");
    find().setReplaceField("QQ");
    // Replace & Find twice inside the sheet: the second runs past the comment's end, and the
    // sheet closes accepting the changed comment.
    answerSheets([this](QWidget *) {
        press("ReplaceFind");
        press("ReplaceFind");
    });
    press("Next");
    EXPECT_EQ(doc().feed()->XMLComments(), QStringList {"a QQ b QQ"});
    EXPECT_EQ(undo().undoActionName(), "Edit XML Comment");
    EXPECT_EQ(find().statusField(), "Not Found");
    undo().undo();
    EXPECT_EQ(doc().feed()->XMLComments(), QStringList {"a zq b zq"});
}

TEST_F(FindReplaceTest, ReplaceAllIsOneStepThatKeepsLocalEnclosureFiles)
{
    openForFind({"A", "B"});
    const QString file = path("A.mp3");
    writeFile(file, "mp3");
    const QDateTime uploaded(QDate(2026, 12, 1), QTime(8, 0), Qt::UTC);
    setModelValue("Items_Optional_Enclosure_URL", 0, "https://example.org/A.mp3");
    doc().item(0)->setLocalEnclosureFilePath(file);
    doc().item(0)->setLastUploaded(uploaded);
    showModel();
    setScope({"channel", "items", "all"});
    find().setFindField("example.org");
    find().setReplaceField("example.net");

    press("ReplaceAll");
    // The channel's link, each item's link and guid, and the enclosure address.
    EXPECT_EQ(find().statusField(), "6 Replacements");
    const auto enclosure = [this] {
        return std::pair(doc().item(0)->enclosureAttrURL(),
                         doc().item(0)->localEnclosureFilePath());
    };
    EXPECT_EQ(enclosure(), std::pair(QString("https://example.net/A.mp3"), file));
    EXPECT_EQ(doc().item(0)->lastUploaded(), uploaded);
    EXPECT_EQ(undo().undoActionName(), "Replace All");
    EXPECT_EQ(undo().count(), 1);
    undo().undo();
    EXPECT_EQ(enclosure(), std::pair(QString("https://example.org/A.mp3"), file));
    EXPECT_EQ(doc().feed()->link(), "https://example.org/");
    undo().redo();
    EXPECT_EQ(enclosure(), std::pair(QString("https://example.net/A.mp3"), file));
    EXPECT_EQ(doc().item(0)->lastUploaded(), uploaded);
}

TEST_F(FindReplaceTest, ReplaceAllChangesTheReplacedTextAndNothingElseWithoutAnAlert)
{
    openForFind({"A", "B"});
    // An episode made from a local file before its address is known: a length and a type, no
    // URL yet.
    const QString file = path("B.mp3");
    writeFile(file, "mp3");
    VLXItems &episode = *doc().item(1);
    episode.setEnclosureAttrLength("12345");
    episode.setEnclosureAttrType("audio/mpeg");
    episode.setLocalEnclosureFilePath(file);
    // Something a read would report: the channel has no date.
    doc().feed()->setPubDate(QString());
    showModel();
    const auto enclosure = [this] {
        const VLXItems &item = *doc().item(1);
        return QStringList {item.enclosureAttrURL(), item.enclosureAttrLength(),
                            item.enclosureAttrType(), item.localEnclosureFilePath()};
    };
    const QStringList before = enclosure();
    setScope({"channel", "items", "all"});
    find().setFindField("B");
    find().setReplaceField("Bee");

    press("ReplaceAll");
    EXPECT_EQ(doc().item(1)->title(), "Bee");
    EXPECT_EQ(lines(enclosure()), lines(before));
    EXPECT_EQ(lines(alertTitles()), "");
    undo().undo();
    undo().redo();
    EXPECT_EQ(lines(enclosure()), lines(before));
}

TEST_F(FindReplaceTest, ReplaceAllCountsEachOccurrenceOnceAndDoesNothingWithoutAMatch)
{
    openForFind();
    const struct
    {
        const char *replacement;
        const char *result;
    } cases[] = {{"b", "bbb"}, {"qq", "qqqqqq"}, {"", ""}};
    find().setFindField("q");
    for (const auto &c : cases) {
        setTitle("qqq");
        find().setReplaceField(c.replacement);
        press("ReplaceAll");
        EXPECT_EQ(find().statusField(), "3 Replacements") << c.replacement;
        EXPECT_EQ(title(), c.result);
        undo().undo();
        EXPECT_EQ(title(), "qqq");
    }

    const int steps = undo().count();
    const std::shared_ptr<VLXFeed> loaded = doc().feed();
    find().setFindField("nowhere");
    press("ReplaceAll");
    EXPECT_EQ(find().statusField(), "Not Found");
    find().setFindField("");
    find().setStatusField("as it was");
    press("ReplaceAll");
    EXPECT_EQ(find().statusField(), "as it was");
    EXPECT_EQ(undo().count(), steps);
    EXPECT_EQ(doc().feed(), loaded); // not read again
    EXPECT_EQ(beeps, 0);
}

TEST_F(FindReplaceTest, FreezeDatesKeepsTheAutomaticPublicationDate)
{
    openForFind();
    doc().setAutoPubDate(true);
    const QString before = doc().feed()->pubDate();
    find().setFindField("zq");
    find().setReplaceField("xy");
    for (const char *action : {"Replace", "ReplaceAll"}) {
        for (int freeze : {1, 0}) {
            setTitle("zq");
            doc().setFeedPubDate(before);
            find().setFreezeDates(freeze);
            find().setPreviousSearchString(QString()); // each round is a new search
            press("Next");
            press(action);
            EXPECT_EQ(title(), "xy") << action;
            EXPECT_EQ(doc().feed()->pubDate(), freeze ? before : SmartDate::feedAutoPubDate())
                << action << freeze;
            EXPECT_FALSE(window().document()->pubDatesFrozen());
        }
    }
}

TEST_F(FindReplaceTest, TheSearchStartsOverAfterNotFoundANewTextOrAnotherFeed)
{
    openForFind();
    setModelValue("Feeds_Required_Description", -1, "zq");
    setTitle("zq");
    find().setFindField("zq");
    press("Next");
    press("Next");
    EXPECT_EQ(focusName(), "Feeds_Required_Description");
    press("Next");
    EXPECT_EQ(find().statusField(), "Not Found");
    EXPECT_EQ(find().previousSearchString(), "zq");
    press("Next");
    EXPECT_EQ(focusName(), "Feeds_Required_Title");
    EXPECT_EQ(find().statusField(), "");
    press("Next");
    // A changed text starts over at the channel's title.
    find().setFindField("q");
    press("Next");
    EXPECT_EQ(focusName(), "Feeds_Required_Title");
    EXPECT_EQ(highlighted(), "q");

    writeFile(path("other.xml"), feedText("Other", {"X"}));
    window().openFeedAtPath(path("other.xml"));
    EXPECT_EQ(find().previousSearchString(), "");
}

TEST_F(FindReplaceTest, AnEmptyFindTextOnlyBeepsAndTheScopeFollowsTheTabShown)
{
    openForFind();
    QAction *findNext = window().command("findNext");
    window().validateCommands();
    EXPECT_FALSE(findNext->isEnabled());
    window().findReplace().findNext();
    EXPECT_EQ(beeps, 1);
    EXPECT_TRUE(find().isVisible());
    press("Replace");
    press("ReplaceFind");
    EXPECT_EQ(beeps, 3);
    find().setFindField("x");
    EXPECT_TRUE(findNext->isEnabled());

    // A hidden panel opened over the items tab searches the selected item only.
    find().finderPanel()->hide();
    setScope({"channel", "image", "all"});
    field<QTabWidget>("tabsFeeds")->setCurrentIndex(Vellumcast::ItemsTab);
    window().command("orderFrontFindPanel")->trigger();
    EXPECT_EQ((QList<int> {find().searchFeed(), find().searchCurrentItem(), find().searchAllItems(),
                           find().searchImage()}),
              (QList<int> {0, 1, 0, 0}));
}

TEST_F(FindReplaceTest, AnITunesFieldIsFoundInItsTabAndReplacedAsAnEditOfIt)
{
    openForFind();
    QByteArray items;
    for (int n = 1; n <= 3; ++n)
        items += QStringLiteral("<item><title>E%1</title><itunes:subtitle>Sub %1</itunes:subtitle>"
                                "</item>")
                     .arg(n)
                     .toUtf8();
    writeFile(path("podcast.xml"),
              "<?xml version=\"1.0\"?>\n<rss version=\"2.0\" xmlns:itunes=\"http://www.itunes.com/"
              "dtds/podcast-1.0.dtd\"><channel><title>T</title><link>https://example.org/</link>"
              "<description>d</description>"
                  + items + "</channel></rss>\n");
    window().openFeedAtPath(path("podcast.xml"));
    endAction();
    setScope({"items", "all"});
    find().setFindField("Sub 2");
    find().setReplaceField("Part 2");

    press("Next");
    EXPECT_EQ(window().selectedItemRow(), 1);
    EXPECT_EQ(focusName(), "ITISubtitle");
    EXPECT_EQ(highlighted(), "Sub 2");
    EXPECT_EQ(field<QTabWidget>("tabsFeeds_ItemsExtensions")->currentWidget()->objectName(),
              "itunes");
    press("Replace");
    const auto subtitle = [this] {
        return FieldExtensionBase::from(doc().item(1)->XMLExtensions()->extensionAtIndex(0))
            ->text(0);
    };
    EXPECT_EQ(subtitle(), "Part 2");
    EXPECT_EQ(undo().undoActionName(), "iTunes Subtitle");
    undo().undo();
    EXPECT_EQ(subtitle(), "Sub 2");
}

TEST_F(FindReplaceTest, AStepBeforeReplaceAllStillPutsBackTheItemsAsTheyWere)
{
    openForFind({"A", "B"});
    window().itemActions().cloneItem(); // its step keeps the list of items as it was
    endAction();
    setScope({"items", "all"});
    find().setFindField("example.org");
    find().setReplaceField("example.net");
    press("ReplaceAll");
    EXPECT_EQ(doc().item(1)->link(), "https://example.net/A");
    undo().undo();
    undo().undo();
    EXPECT_EQ(itemTitles(), (QStringList {"A", "B"}));
    EXPECT_EQ(doc().item(0)->link(), "https://example.org/A");
}
