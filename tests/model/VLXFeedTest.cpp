#include "extensions/itunes/iTunesChannel.h"
#include "extensions/itunes/iTunesItem.h"
#include "model/VLXFeed.h"
#include "model/VLXImage.h"
#include "model/VLXItems.h"
#include "model/VLXLogic.h"
#include "model/extensionManagerChannel.h"
#include "model/extensionManagerImage.h"
#include "model/extensionManagerItem.h"
#include "model/extensionManagerScope.h"
#include "platform/Clock.h"
#include "platform/MemoryDefaultsStore.h"
#include "settings/VLXPreferences.h"
#include "xml/vlxXMLDOM.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>
#include <QTimeZone>

namespace {

QStringList entriesOf(const MessageGroup &group)
{
    QStringList texts;
    for (const MessageGroup::Member &m : group.entries()) {
        if (const QString *s = std::get_if<QString>(&m))
            texts.append(*s);
        else
            texts.append(QStringLiteral("[group] ") + std::get<MessageGroup>(m).title());
    }
    return texts;
}

std::shared_ptr<VLXItems> itemWith(const QString &title, const QString &guid = QString())
{
    auto item = std::make_shared<VLXItems>();
    item->setTitle(title);
    if (!guid.isNull())
        item->setGUID(guid);
    return item;
}

QStringList titles(const VLXFeed &feed)
{
    QStringList result;
    for (const auto &item : feed.arrayOfItems())
        result.append(item->title());
    return result;
}

} // namespace

TEST(VLXFeed, FreshChannelHoldsEmptyFieldsAndNeverUploaded)
{
    VLXFeed feed;
    EXPECT_EQ(feed.title(), QStringLiteral(""));
    EXPECT_FALSE(feed.title().isNull());
    EXPECT_FALSE(feed.cloudAttrProtocol().isNull());
    for (int d = 0; d < 7; ++d)
        EXPECT_EQ(feed.skipDays(d), 0);
    for (int h = 0; h < 24; ++h)
        EXPECT_EQ(feed.skipHours(h), 0);
    EXPECT_EQ(feed.countOfItems(), 0);
    ASSERT_NE(feed.image(), nullptr);
    ASSERT_NE(feed.XMLExtensions(), nullptr);
    EXPECT_EQ(feed.lastUploaded().toSecsSinceEpoch(), 0);
    feed.setLastUploaded(QDateTime());
    EXPECT_EQ(feed.lastUploaded().toSecsSinceEpoch(), 0);
}

TEST(VLXFeed, FreshFeedValidatesToThreeErrorsAndOneWarningInOneGroup)
{
    VLXFeed feed;
    feed.clearParseXMLErrorList();
    feed.validate();
    EXPECT_EQ(feed.parseXMLErrorCount(), 3);
    EXPECT_EQ(feed.parseXMLWarnCount(), 1);
    EXPECT_EQ(feed.parseXMLRepairCount(), 0);

    const QList<MessageGroup> tree = feed.parseXMLErrorList(true, true, true);
    ASSERT_EQ(tree.size(), 1);
    EXPECT_EQ(tree.first().title(), QStringLiteral("RSS Feed: \"\""));
    EXPECT_EQ(
        entriesOf(tree.first()),
        (QStringList {QStringLiteral("Validate Error::Feed title can not be blank"),
                      QStringLiteral("Validate Error::Feed description can not be blank"),
                      QStringLiteral("Validate Error::Feed link can not be blank"),
                      QStringLiteral("Validate Warning::The feed pubDate should not be blank")}));

    const QVariantList dictionaries = feed.parseXMLErrorTree(true, true, true);
    ASSERT_EQ(dictionaries.size(), 1);
    EXPECT_EQ(dictionaries.first().toMap().value(QStringLiteral("Group")).toString(),
              QStringLiteral("RSS Feed: \"\""));
    EXPECT_EQ(dictionaries.first().toMap().value(QStringLiteral("Entries")).toList().size(), 4);

    // Validation never clears: a second run without clearing doubles everything.
    feed.validate();
    EXPECT_EQ(feed.parseXMLErrorCount(), 6);
    EXPECT_EQ(feed.parseXMLWarnCount(), 2);
    EXPECT_EQ(entriesOf(feed.parseXMLErrorList(true, true, true).first()).size(), 8);

    feed.clearParseXMLErrorList();
    EXPECT_EQ(feed.parseXMLErrorCount(), 0);
    EXPECT_TRUE(feed.parseXMLErrorList(true, true, true).isEmpty());
}

TEST(VLXFeed, MessageTreeNestsItemGroupsAndFiltersKinds)
{
    VLXFeed feed;
    feed.setTitle(QStringLiteral("T"));
    feed.setDescriptionElement(QStringLiteral("D"));
    feed.setLink(QStringLiteral("http://example.com/"));
    feed.setPubDate(QStringLiteral("Mon, 02 Jan 2006 10:11:12 +0100"));
    auto item = itemWith(QStringLiteral("one"), QStringLiteral("g1"));
    item->setLink(QStringLiteral("http://example.com/1"));
    item->setPubDate(QStringLiteral("Mon, 02 Jan 2006 10:11:12 +0100"));
    item->setAuthor(QStringLiteral("nobody"));
    feed.addItem(item);
    feed.validate();

    const QList<MessageGroup> tree = feed.parseXMLErrorList(true, true, true);
    ASSERT_EQ(tree.size(), 1);
    EXPECT_EQ(entriesOf(tree.first()), QStringList {QStringLiteral("[group] Item - \"one\"")});
    EXPECT_TRUE(feed.parseXMLErrorList(false, true, true).isEmpty());
}

TEST(VLXFeed, CloudAndTextInputMustBeAllOrNone)
{
    VLXFeed feed;
    feed.setTextInputAttrTitle(QStringLiteral("Search"));
    feed.setCloudAttrDomain(QStringLiteral("rpc.example.com"));
    feed.addCategory(categoryElement(QStringLiteral(""), QStringLiteral("http://a")));
    feed.addCategory(categoryElement(QStringLiteral(""), QStringLiteral("http://b")));
    feed.validate();
    const QStringList own = feed.listOfErrors(true, false, false);
    EXPECT_EQ(own.count(QStringLiteral("Validate Error::All four of the TextInput fields are "
                                       "required to be filled in if any are.")),
              1);
    EXPECT_EQ(own.count(QStringLiteral("Validate Error::The all five of the Cloud fields are "
                                       "required to be filled in if any are.")),
              1);
    EXPECT_EQ(own.count(QStringLiteral("Validate Error::Feed Category must not be blank if "
                                       "Category Domain is used")),
              1);

    // Any one of the four missing is reported; all four or none is not.
    using Setter = void (VLXFeed::*)(const QString &);
    const Setter setters[]
        = {&VLXFeed::setTextInputAttrTitle, &VLXFeed::setTextInputAttrDescription,
           &VLXFeed::setTextInputAttrName, &VLXFeed::setTextInputAttrLink};
    for (int missing = -1; missing <= 4; ++missing) {
        VLXFeed input;
        for (int i = 0; i < 4 && missing < 4; ++i) {
            if (i != missing)
                (input.*setters[i])(QStringLiteral("http://example.com/s"));
        }
        input.validate();
        EXPECT_EQ(input.listOfErrors(true, false, false)
                      .count(QStringLiteral("Validate Error::All four of the TextInput fields are "
                                            "required to be filled in if any are.")),
                  missing >= 0 && missing < 4 ? 1 : 0)
            << missing;
    }
}

TEST(VLXFeed, FieldRulesGiveTheirTexts)
{
    VLXError error;
    EXPECT_FALSE(VLXFeed::validateTitle(QStringLiteral(" \n\t"), &error));
    EXPECT_EQ(error.localizedFailureReason(), QStringLiteral("Title is blank"));
    EXPECT_FALSE(error.isWarning());
    EXPECT_FALSE(VLXFeed::validateTitle(QStringLiteral(""), nullptr));

    EXPECT_FALSE(VLXFeed::validateCloudAttrPort(QStringLiteral("0"), &error));
    EXPECT_EQ(error.localizedDescription(),
              QStringLiteral("Cloud Port must be a number between 1 and 65535, inclusive."));
    EXPECT_TRUE(VLXFeed::validateCloudAttrPort(QStringLiteral("1"), nullptr));
    EXPECT_TRUE(VLXFeed::validateCloudAttrPort(QStringLiteral("65535"), nullptr));
    EXPECT_TRUE(VLXFeed::validateCloudAttrPort(QStringLiteral("080"), nullptr));
    EXPECT_FALSE(VLXFeed::validateCloudAttrPort(QStringLiteral("65536"), nullptr));
    EXPECT_FALSE(VLXFeed::validateCloudAttrPort(QStringLiteral("99999999999999999999"), nullptr));
    EXPECT_FALSE(VLXFeed::validateCloudAttrPort(QStringLiteral(" 80"), &error));
    EXPECT_EQ(error.localizedDescription(),
              QStringLiteral("The Cloud Port has an invalid character, only digits 0 through 9 "
                             "are allowed"));
    EXPECT_TRUE(VLXFeed::validateCloudAttrPort(QStringLiteral("   "), nullptr));

    EXPECT_TRUE(VLXFeed::validateCloudAttrProtocol(QStringLiteral("soap"), nullptr));
    EXPECT_FALSE(VLXFeed::validateCloudAttrProtocol(QStringLiteral("SOAP"), nullptr));

    EXPECT_TRUE(VLXFeed::validateCloudAttrDomain(QStringLiteral("rpc.example.com"), nullptr));
    EXPECT_FALSE(
        VLXFeed::validateCloudAttrDomain(QStringLiteral("http://rpc.example.com/x"), &error));
    EXPECT_EQ(error.localizedDescription(),
              QStringLiteral("Cloud Domain must be only the domain name and not a URL"));
    EXPECT_FALSE(VLXFeed::validateCloudAttrDomain(QStringLiteral("rpc example.com"), &error));
    EXPECT_EQ(error.localizedDescription(),
              QStringLiteral("Cloud Domain is not a valid domain name"));

    EXPECT_TRUE(VLXFeed::validateLanguage(QStringLiteral(""), nullptr, false));
    EXPECT_FALSE(VLXFeed::validateLanguage(QStringLiteral(""), &error, true));
    EXPECT_EQ(error.localizedDescription(),
              QStringLiteral("Feed language can not be blank when creating an iTunes")
                  + QChar(0x00AE) + QStringLiteral(" podcast"));
    EXPECT_TRUE(VLXFeed::validateAndInformLanguage(QStringLiteral(""), nullptr));

    EXPECT_FALSE(VLXFeed::validateLink(QStringLiteral(""), &error));
    EXPECT_EQ(error.localizedFailureReason(), QStringLiteral("Link is blank"));
    EXPECT_FALSE(VLXFeed::validateLink(QStringLiteral("no scheme here"), &error));
    EXPECT_EQ(error.localizedFailureReason(), QStringLiteral("Link is invalid"));
    EXPECT_TRUE(VLXFeed::validateDocs(QStringLiteral(""), nullptr));
    EXPECT_FALSE(VLXFeed::validateTTL(QStringLiteral("6O"), nullptr));
    EXPECT_TRUE(VLXFeed::validateCloudAttrPath(QStringLiteral("any thing"), nullptr));
}

TEST(VLXFeed, CopyIsDeepAndKeepsMessages)
{
    VLXFeed feed;
    feed.setTitle(QStringLiteral("T"));
    feed.setSkipDays(3, 1);
    feed.setSkipHours(23, 1);
    feed.addItem(itemWith(QStringLiteral("a")));
    feed.image()->setTitle(QStringLiteral("img"));
    feed.validate();

    const std::unique_ptr<VLXFeed> copy = feed.copy();
    EXPECT_EQ(copy->skipDays(3), 1);
    EXPECT_EQ(copy->skipHours(23), 1);
    EXPECT_EQ(copy->listOfErrors(true, true, true), feed.listOfErrors(true, true, true));
    ASSERT_EQ(copy->countOfItems(), 1);
    EXPECT_NE(copy->itemAtIndex(0).get(), feed.itemAtIndex(0).get());
    EXPECT_NE(copy->image(), feed.image());
    EXPECT_NE(copy->XMLExtensions(), feed.XMLExtensions());
    copy->itemAtIndex(0)->setTitle(QStringLiteral("changed"));
    copy->image()->setTitle(QStringLiteral("changed"));
    EXPECT_EQ(feed.itemAtIndex(0)->title(), QStringLiteral("a"));
    EXPECT_EQ(feed.image()->title(), QStringLiteral("img"));

    // Items given to setArrayOfItems are copied; items given to addItem are kept themselves.
    VLXFeed other;
    other.setArrayOfItems(feed.arrayOfItems());
    EXPECT_NE(other.itemAtIndex(0).get(), feed.itemAtIndex(0).get());
    other.setArrayOfItems({});
    EXPECT_EQ(other.countOfItems(), 0);
}

TEST(VLXFeed, GuidsSharedByThreeItemsAreReportedOnTheEarlierOnes)
{
    VLXFeed feed;
    feed.addItem(itemWith(QStringLiteral("A"), QStringLiteral("x")));
    feed.addItem(itemWith(QStringLiteral("B"), QStringLiteral("x")));
    feed.addItem(itemWith(QStringLiteral("C"), QStringLiteral("x")));
    feed.addItem(itemWith(QStringLiteral("D"), QStringLiteral("")));
    feed.addItem(itemWith(QStringLiteral("E"), QStringLiteral("")));
    const QString text = QStringLiteral("Validate Error::The GUID has to be unique and it is not, "
                                        "the item with the title \"%1\" has the same GUID");
    auto guidEntries = [&](int index) {
        QStringList found;
        for (const QString &e : feed.itemAtIndex(index)->listOfErrors(true, false, false)) {
            if (e.contains(QLatin1String("has to be unique")))
                found.append(e);
        }
        return found;
    };
    feed.validate();
    EXPECT_EQ(guidEntries(0), QStringList {text.arg(QLatin1String("B"))});
    EXPECT_EQ(guidEntries(1), QStringList {text.arg(QLatin1String("C"))});
    EXPECT_TRUE(guidEntries(2).isEmpty());
    EXPECT_TRUE(guidEntries(3).isEmpty());

    // The same answer item by item, outside a whole-feed validation.
    feed.clearParseXMLErrorList();
    feed.itemAtIndex(1)->validateGUID(&feed);
    EXPECT_EQ(guidEntries(1), QStringList {text.arg(QLatin1String("C"))});

    EXPECT_EQ(feed.itemAtIndex(2)->isGUIDUnique(&feed),
              QStringLiteral("This GUID is not unique, it is the same as in the item with the "
                             "title \"A\"."));
    EXPECT_TRUE(feed.itemAtIndex(3)->isGUIDUnique(&feed).isNull());
}

TEST(VLXFeed, SortIsTheExchangeSortAndReportsNoChangeWhenSorted)
{
    VLXFeed feed;
    for (const char *t : {"B1", "B2", "A"})
        feed.addItem(itemWith(QLatin1String(t)));
    EXPECT_TRUE(feed.sortItemsByStringField(QStringLiteral("title"), true));
    EXPECT_EQ(titles(feed), (QStringList {"A", "B1", "B2"}));
    EXPECT_FALSE(feed.sortItemsByStringField(QStringLiteral("title"), true));
    EXPECT_TRUE(feed.itemsStringSortedAscByField(QStringLiteral("title")));

    // Equal keys change places: the exchange sort is not stable.
    VLXFeed same;
    for (const char *t : {"B", "B", "A"})
        same.addItem(itemWith(QLatin1String(t)));
    const VLXItems *first = same.itemAtIndex(0).get();
    const VLXItems *second = same.itemAtIndex(1).get();
    EXPECT_TRUE(same.sortItemsByStringField(QStringLiteral("title"), true));
    EXPECT_EQ(same.itemAtIndex(1).get(), second);
    EXPECT_EQ(same.itemAtIndex(2).get(), first);

    // Descending, and a literal comparison: upper case sorts before lower case.
    VLXFeed cased;
    for (const char *t : {"b", "B", "a"})
        cased.addItem(itemWith(QLatin1String(t)));
    EXPECT_TRUE(cased.sortItemsByStringField(QStringLiteral("title"), true));
    EXPECT_EQ(titles(cased), (QStringList {"B", "a", "b"}));
    EXPECT_FALSE(cased.sortItemsByStringField(QStringLiteral("title"), true));
    EXPECT_TRUE(cased.sortItemsByStringField(QStringLiteral("title"), false));
    EXPECT_EQ(titles(cased), (QStringList {"b", "a", "B"}));

    VLXFeed empty;
    EXPECT_TRUE(empty.itemsNumberSortedAscByField(QStringLiteral("pubDate")));
    EXPECT_FALSE(empty.sortItemsByNumberField(QStringLiteral("pubDate"), true));
}

// The exchange rule as written: the items themselves change places, one comparison at a time.
QStringList plainExchangeSort(QList<std::pair<QString, QString>> items, bool ascending)
{
    for (qsizetype i = 0; i + 1 < items.size(); ++i) {
        for (qsizetype j = i + 1; j < items.size(); ++j) {
            const int c = QString::compare(items.at(i).first, items.at(j).first);
            if (ascending ? c > 0 : c < 0)
                items.swapItemsAt(i, j);
        }
    }
    QStringList names;
    for (const auto &item : std::as_const(items))
        names << item.second;
    return names;
}

TEST(VLXFeed, SortOfManyEqualKeysFollowsThePlainExchangeRule)
{
    // Few distinct titles, so most keys are equal: where each equal item ends up is the rule's.
    QRandomGenerator random(20261207);
    for (int list = 0; list < 300; ++list) {
        const bool ascending = list % 2 == 0;
        const int n = 1 + int(random.bounded(60));
        const int distinct = 1 + int(random.bounded(6));
        VLXFeed feed;
        QList<std::pair<QString, QString>> plain;
        for (int i = 0; i < n; ++i) {
            const QString title = QStringLiteral("t%1").arg(random.bounded(distinct));
            auto item = itemWith(title);
            item->setAuthor(QStringLiteral("n%1@example.com").arg(i));
            feed.addItem(item);
            plain.append({title, item->author()});
        }
        const QStringList expected = plainExchangeSort(plain, ascending);
        QStringList before;
        for (const auto &item : std::as_const(plain))
            before << item.second;
        const bool changed = feed.sortItemsByStringField(QStringLiteral("title"), ascending);
        QStringList after;
        for (int i = 0; i < feed.countOfItems(); ++i)
            after << feed.itemAtIndex(i)->author();
        ASSERT_EQ(after, expected) << "list " << list;
        // A list already in order reports no change (the rule exchanges nothing in it), any
        // other one a change.
        EXPECT_EQ(changed, expected != before) << "list " << list;
    }
}

TEST(VLXFeed, SortOrderIsTakenWithoutMovingTheItemsAndStopsWhenAsked)
{
    VLXFeed feed;
    for (const char *t : {"c", "a", "b", "a"})
        feed.addItem(itemWith(QLatin1String(t)));
    const VLXFeed::ItemList before = feed.arrayOfItems();
    const std::optional<std::vector<int>> order
        = feed.sortOrder(QStringLiteral("title"), true, true);
    ASSERT_TRUE(order);
    EXPECT_EQ(*order, (std::vector<int> {1, 3, 2, 0}));
    EXPECT_EQ(feed.arrayOfItems(), before);
    feed.reorderItems(*order);
    EXPECT_EQ(titles(feed), (QStringList {"a", "a", "b", "c"}));
    EXPECT_EQ(feed.sortOrder(QStringLiteral("title"), true, true), std::vector<int>());
    // Stopped while the keys are taken, or during the exchanges: no order, nothing moved.
    for (const qint64 stopAt : {qint64(0), qint64(5)}) {
        qint64 lastTotal = 0;
        const auto stop = [&](qint64 done, qint64 total) {
            lastTotal = total;
            return done < stopAt;
        };
        EXPECT_FALSE(feed.sortOrder(QStringLiteral("title"), true, false, stop));
        EXPECT_EQ(lastTotal, 4 + 6);
        EXPECT_EQ(titles(feed), (QStringList {"a", "a", "b", "c"}));
    }
}

TEST(VLXFeed, NumberSortComparesInstantsAcrossZones)
{
    VLXFeed feed;
    auto dated = [](const char *title, const char *date) {
        auto item = itemWith(QLatin1String(title));
        item->setPubDate(QLatin1String(date));
        return item;
    };
    feed.addItem(dated("late", "Mon, 02 Jan 2006 10:00:00 -0500")); // 15:00 UTC
    feed.addItem(dated("early", "Mon, 02 Jan 2006 12:00:00 +0100")); // 11:00 UTC
    feed.addItem(dated("none", "")); // no pubDate element: key 0
    EXPECT_TRUE(feed.sortItemsByNumberField(QStringLiteral("pubDate"), true));
    EXPECT_EQ(titles(feed), (QStringList {"none", "early", "late"}));
    EXPECT_TRUE(feed.sortItemsByNumberField(QStringLiteral("pubDate"), false));
    EXPECT_EQ(titles(feed), (QStringList {"late", "early", "none"}));
}

TEST(VLXFeed, ItemWithoutTheElementDoesNotKeepAnEarlierKey)
{
    VLXFeed feed;
    auto a = itemWith(QStringLiteral("zzz"));
    auto b = itemWith(QStringLiteral("mmm"));
    b->setAuthor(QStringLiteral("a@example.com"));
    feed.addItem(a);
    feed.addItem(b);
    // Sorting by title leaves a with the key "zzz"; sorting by author must not reuse it.
    feed.setSortStringToField(QStringLiteral("title"));
    EXPECT_EQ(a->sortingString(), QStringLiteral("zzz"));
    EXPECT_FALSE(feed.itemsStringSortedDescByField(QStringLiteral("author")));
    EXPECT_EQ(a->sortingString(), QStringLiteral(""));
    EXPECT_TRUE(feed.itemsStringSortedAscByField(QStringLiteral("author")));
    EXPECT_FALSE(feed.sortItemsByStringField(QStringLiteral("author"), true));
}

TEST(VLXFeed, CatalogueOfSortableTagsHoldsTheCoreTable)
{
    VLXFeed feed;
    feed.addItem(itemWith(QStringLiteral("a")));
    const QVariantMap catalogue = feed.findSortableTagsWithoutChildern();
    const QVariantMap core = catalogue.value(QStringLiteral("")).toMap();
    EXPECT_EQ(core.value(QStringLiteral("displayName")).toString(), QStringLiteral("RSS 2.0"));
    const QVariantMap tags = core.value(QStringLiteral("sortTags")).toMap();
    EXPECT_EQ(tags.size(), 9);
    EXPECT_EQ(tags.value(QStringLiteral("pubDate")).toMap().value(QStringLiteral("type")),
              QStringLiteral("date"));
}

TEST(VLXFeed, LocalFileInfoIsGatheredAndGivenBack)
{
    VLXFeed feed;
    auto a = itemWith(QStringLiteral("a"));
    a->setEnclosureAttrURL(QStringLiteral("http://example.com/a.mp3"));
    a->setLocalEnclosureFilePath(QStringLiteral("/tmp/a.mp3"));
    feed.addItem(a);
    auto b = itemWith(QStringLiteral("b"));
    b->setEnclosureAttrURL(QStringLiteral("http://example.com/b.mp3"));
    feed.addItem(b);

    const QVariantMap info = feed.enclosureLocalFileInfo();
    ASSERT_EQ(info.size(), 1);
    QVariantMap back = info;
    back.insert(QStringLiteral("http://example.com/b.mp3"),
                QVariantList {QStringLiteral("/tmp/b.mp3"), QDateTime::fromSecsSinceEpoch(5)});
    a->setLocalEnclosureFilePath(QStringLiteral(""));
    feed.setEnclosureLocalFileInfo(back);
    EXPECT_EQ(a->localEnclosureFilePath(), QStringLiteral("/tmp/a.mp3"));
    EXPECT_EQ(b->localEnclosureFilePath(), QStringLiteral("/tmp/b.mp3"));
    EXPECT_EQ(b->lastUploaded().toSecsSinceEpoch(), 5);
}

TEST(VLXFeed, DefaultsFillOnlyFromNonEmptySettingsButAlwaysSetSkipFlags)
{
    VLXPreferences::useStore(std::make_unique<MemoryDefaultsStore>(QVariantMap {}));
    VLXPreferences::setObjectForKey(1, QStringLiteral("FD_AF_FF_SkipDaysSat"));
    VLXPreferences::setObjectForKey(1, QStringLiteral("FD_AF_FF_SkipHoursHr07"));
    VLXPreferences::setObjectForKey(QStringLiteral("  spaced  "),
                                    QStringLiteral("FD_AF_FF_Rating"));
    VLXPreferences::setObjectForKey(QStringLiteral("88"), QStringLiteral("PrefFD_AF_IM_Width"));

    VLXFeed feed;
    feed.setTitle(QStringLiteral("given first"));
    feed.setSkipDays(0, 1);
    feed.populateWithDefaults();
    EXPECT_EQ(feed.title(), QStringLiteral("given first"));
    EXPECT_EQ(feed.rating(), QStringLiteral("  spaced  "));
    EXPECT_EQ(feed.skipDays(6), 1);
    EXPECT_EQ(feed.skipDays(0), 0);
    EXPECT_EQ(feed.skipHours(7), 1);
    EXPECT_EQ(feed.image()->width(), QStringLiteral("88"));
}

namespace {

const QString kiTunes = QStringLiteral("http://www.itunes.com/dtds/podcast-1.0.dtd");
const QString kDC = QStringLiteral("http://purl.org/dc/elements/1.1/");

QStringList repairs(const FeedElement &element)
{
    return element.listOfErrors(false, false, true);
}

} // namespace

namespace {
// Reads Dublin Core elements into the extension, as the feed reader hands them on.
void readDC(extensionNSRaw &extension, const QString &elements)
{
    const vlxXMLDOM dom(QStringLiteral("<?xml version=\"1.0\"?><r xmlns:dc=\"%1\">%2</r>")
                            .arg(QStringLiteral("http://purl.org/dc/elements/1.1/"), elements));
    const vlxXMLNode *root = dom.nodeNamed(QStringLiteral("r"), vlxXMLDOM::Element, nullptr);
    ASSERT_NE(root, nullptr);
    for (int n = 0; n < vlxXMLDOM::numberOfChildren(root); ++n)
        extension.parseXMLNodeIfMine(vlxXMLDOM::nodeAtIndex(n, root));
}
} // namespace

TEST(VLXFeed, RepairAfterReadingTakesTheFirstUsedNonEmptySource)
{
    VLXFeed feed;
    extensionManagerChannel *ext = feed.XMLExtensions();
    ext->createExtensionWithNamespace(QStringLiteral("itunes"), kiTunes);
    ext->createExtensionWithNamespace(QStringLiteral("dc"), kDC);
    std::dynamic_pointer_cast<iTunesChannel>(ext->iTunesExtension())
        ->setAuthor(QStringLiteral("Jane Doe"));
    readDC(*ext->dublinCoreExtension(),
           QStringLiteral("<dc:title>From DC</dc:title>\n<dc:date>not a date</dc:date>\n"
                          "<dc:creator>jane@example.com</dc:creator>\n"
                          "<dc:rights>All mine</dc:rights>"));
    feed.setLastBuildDate(QStringLiteral("Mon, 02 Jan 2006 10:11:12 +0100"));
    feed.finalProcessing();

    EXPECT_EQ(feed.title(), QStringLiteral("From DC"));
    EXPECT_EQ(feed.pubDate(), QStringLiteral("Mon, 02 Jan 2006 10:11:12 +0100"));
    EXPECT_EQ(feed.copyright(), QStringLiteral("All mine"));
    // The iTunes author is not an e-mail text and decides alone: the editor stays empty.
    EXPECT_EQ(feed.editor(), QStringLiteral(""));
    EXPECT_EQ(repairs(feed),
              (QStringList {QStringLiteral("Automatic Repair::Feed <title> was blank, used the "
                                           "contents of <dc:title>"),
                            QStringLiteral("Automatic Repair::Feed <pubDate> was blank, used the "
                                           "contents of <lastBuildDate>"),
                            QStringLiteral("Automatic Repair::Feed <copyright> was blank, used the "
                                           "contents of <dc:rights>")}));
    EXPECT_EQ(feed.repairCount(), 3);
}

TEST(VLXFeed, RepairReadsNestedAndItemSources)
{
    VLXFeed feed;
    feed.XMLExtensions()->createExtensionWithNamespace(QStringLiteral("itunes"), kiTunes);
    const auto channel
        = std::dynamic_pointer_cast<iTunesChannel>(feed.XMLExtensions()->iTunesExtension());
    channel->setOwnerName(QStringLiteral("J"));
    channel->setOwnerEmail(QStringLiteral("j@example.com"));
    auto item = std::make_shared<VLXItems>();
    item->XMLExtensions()->createExtensionWithNamespace(QStringLiteral("itunes"), kiTunes);
    item->XMLExtensions()->createExtensionWithNamespace(QStringLiteral("dc"), kDC);
    std::dynamic_pointer_cast<iTunesItem>(item->XMLExtensions()->iTunesExtension())
        ->setSubtitle(QStringLiteral("Sub & more"));
    readDC(*item->XMLExtensions()->dublinCoreExtension(),
           QStringLiteral(
               "<dc:title>DC title</dc:title>\n<dc:date>2006-01-02T10:11:12+01:00</dc:date>"));
    feed.addItem(item);
    feed.image()->XMLExtensions()->createExtensionWithNamespace(QStringLiteral("dc"), kDC);
    readDC(*feed.image()->XMLExtensions()->dublinCoreExtension(),
           QStringLiteral("<dc:title>Logo</dc:title>"));
    feed.finalProcessing();

    EXPECT_EQ(feed.editor(), QStringLiteral("j@example.com"));
    EXPECT_EQ(item->title(), QStringLiteral("Sub & more"));
    EXPECT_EQ(VLXLogic::InternetDateTime(item->pubDate()), 1136193072.0);
    EXPECT_EQ(repairs(*item),
              (QStringList {QStringLiteral("Automatic Repair::Item <title> was blank, used the "
                                           "contents of <itunes:subtitle>"),
                            QStringLiteral("Automatic Repair::Item <pubDate> was blank, used the "
                                           "contents of <dc:date>")}));
    EXPECT_EQ(feed.image()->title(), QStringLiteral("Logo"));
    EXPECT_EQ(feed.parseXMLRepairCount(), 4);
}

TEST(VLXFeed, CatalogueLearnsRawNamespaceTagsFromEveryItem)
{
    VLXFeed feed;
    auto first = std::make_shared<VLXItems>();
    first->XMLExtensions()->createExtensionWithNamespace(QStringLiteral("geo"),
                                                         QStringLiteral("urn:geo"));
    first->XMLExtensions()->notWellSupportedArray().first()->setRawXML(
        QStringLiteral("<geo:lat>1</geo:lat>"));
    auto second = std::make_shared<VLXItems>();
    second->XMLExtensions()->createExtensionWithNamespace(QStringLiteral("geo"),
                                                          QStringLiteral("urn:geo"));
    second->XMLExtensions()->notWellSupportedArray().first()->setRawXML(
        QStringLiteral("<geo:lat>\n    <geo:deg>1</geo:deg>\n</geo:lat>\n<geo:long>2</geo:long>"));
    feed.addItem(first);
    feed.addItem(second);

    const QVariantMap all = feed.findSortableTags();
    const QVariantMap geoTags
        = all.value(QStringLiteral("geo")).toMap().value(QStringLiteral("sortTags")).toMap();
    EXPECT_TRUE(geoTags.contains(QStringLiteral("long")));
    EXPECT_TRUE(
        geoTags.value(QStringLiteral("lat")).toMap().value(QStringLiteral("children")).toBool());

    const QVariantMap plain = feed.findSortableTagsWithoutChildern();
    const QVariantMap plainGeo
        = plain.value(QStringLiteral("geo")).toMap().value(QStringLiteral("sortTags")).toMap();
    EXPECT_FALSE(plainGeo.contains(QStringLiteral("lat")));
    EXPECT_TRUE(plainGeo.contains(QStringLiteral("long")));
    EXPECT_TRUE(plain.value(QStringLiteral("")).toMap().contains(QStringLiteral("sortTags")));
}

// The list an undo step puts back: the same items in another order (a sort, a move), or a list
// with items gone or come back. Whatever it holds ends in the feed's scope, in the order given,
// and whatever it dropped leaves the scope.
TEST(VLXFeed, ItemsPutBackJoinTheScopeAndThoseDroppedLeaveIt)
{
    struct Case
    {
        const char *name;
        QList<int> before; // items 0..4, as the feed holds them first
        QList<int> putBack;
    };
    const Case cases[] = {
        {"the same items in another order", {0, 1, 2, 3}, {3, 1, 0, 2}},
        {"one item for another", {0, 1, 2, 3}, {3, 1, 0, 4}},
        {"fewer items", {0, 1, 2, 3}, {2, 0}},
        {"more items", {0, 1}, {4, 1, 0}},
        {"the same count, one of them new", {0, 1, 2}, {0, 1, 4}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        VLXFeed feed;
        QList<std::shared_ptr<VLXItems>> items;
        for (int i = 0; i < 5; ++i)
            items.append(itemWith(QString::number(i)));
        for (int i : c.before)
            feed.addItem(items.at(i));
        VLXFeed::ItemList list;
        QStringList expected;
        for (int i : c.putBack) {
            list.append(items.at(i));
            expected.append(QString::number(i));
        }
        feed.replaceItems(list);
        EXPECT_EQ(titles(feed), expected);
        for (int i = 0; i < 5; ++i) {
            const bool listed = c.putBack.contains(i);
            EXPECT_EQ(items.at(i)->XMLExtensions()->scope() == feed.extensionScope(), listed) << i;
            EXPECT_EQ(feed.extensionScope()->contains(items.at(i)->XMLExtensions()), listed) << i;
        }
    }
}
