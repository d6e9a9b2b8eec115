#include "extensions/itunes/iTunesChannel.h"
#include "common/TestSupport.h"
#include "extensions/itunes/iTunesCategoryTree.h"
#include "extensions/itunes/iTunesChannelPrefs.h"
#include "extensions/itunes/iTunesRetiredCategories.h"
#include "iTunesTestSupport.h"
#include "io/VLXExportTemplate.h"
#include "io/VLXParseFeed.h"
#include "model/ExtensionTexts.h"
#include "model/VLXFeed.h"
#include "model/extensionManagerChannel.h"
#include "platform/MemoryDefaultsStore.h"
#include "platform/PlistDefaultsStore.h"
#include "platform/ScriptedAlertService.h"
#include "settings/VLXPreferences.h"
#include "xml/vlxXMLDOM.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using C = iTunesChannel;
const QString &kURI = kITunesURI;

// A channel read from elements under the prefix given, as the channel manager hands them on.
std::shared_ptr<iTunesChannel> readChannel(const QString &prefix, const QString &elements)
{
    auto channel = std::make_shared<iTunesChannel>();
    readElements(*channel, prefix, elements);
    return channel;
}

QStringList entries(const FeedElement &element)
{
    return element.listOfErrors(true, true, true);
}

struct CheckRow
{
    bool (*check)(const QString &, VLXError *);
    QString value;
    int code; // 0: passes
    const char *title;
    const char *text;
};

} // namespace

TEST(iTunesChannel, WritesEveryElementInItsOrder)
{
    iTunesChannel channel;
    channel.setSubtitle(QStringLiteral("Sub & title"));
    channel.setSummary(QStringLiteral("<Summary>"));
    channel.setCategory({{QStringLiteral("Arts"), QStringLiteral("Design")},
                         {QStringLiteral(""), QStringLiteral("Skipped")},
                         {QStringLiteral("Comedy"), QString()}});
    channel.setKeywords(QStringLiteral("a, b"));
    channel.setAuthor(QStringLiteral("Author"));
    channel.setOwnerName(QStringLiteral("Name"));
    channel.setOwnerEmail(QStringLiteral("o@example.com"));
    channel.setImage(QStringLiteral("http://example.com/a b.png?x=1&y=2"));
    channel.setNewFeedURL(QStringLiteral("http://example.com/new?a=1&b=2"));
    channel.setBlock(2);
    channel.setExplicit(1);
    const QString p = QStringLiteral("        ");
    EXPECT_EQ(
        channel.buildXML(p),
        p + "<itunes:subtitle>Sub &amp; title</itunes:subtitle>\n" + p
            + "<itunes:summary>&lt;Summary&gt;</itunes:summary>\n" + p
            + "<itunes:category text=\"Arts\">\n" + p + "    <itunes:category text=\"Design\"/>\n"
            + p + "</itunes:category>\n" + p + "<itunes:category text=\"Comedy\"/>\n" + p
            + "<itunes:keywords>a, b</itunes:keywords>\n" + p
            + "<itunes:author>Author</itunes:author>\n" + p + "<itunes:owner>\n" + p
            + "    <itunes:email>o@example.com</itunes:email>\n" + p
            + "    <itunes:name>Name</itunes:name>\n" + p + "</itunes:owner>\n" + p
            + "<itunes:image href=\"http://example.com/a%20b.png?x=1&amp;y=2\" />\n" + p
            + "<itunes:new-feed-url>http://example.com/new?a=1&amp;b=2</itunes:new-feed-url>\n" + p
            + "<itunes:block>yes</itunes:block>\n" + p
            + "<itunes:explicit>yes</itunes:explicit>\n");
}

TEST(iTunesChannel, ExplicitAloneAndTheOwnerHalfWritten)
{
    iTunesChannel channel;
    EXPECT_EQ(channel.buildXML(QStringLiteral("        ")), QString());
    channel.setExplicit(-1);
    EXPECT_EQ(channel.buildXML(QStringLiteral("        ")),
              QStringLiteral("        <itunes:explicit>clean</itunes:explicit>\n"));
    channel.setExplicit(0);
    channel.setOwnerName(QStringLiteral("Only the name"));
    EXPECT_EQ(channel.buildXML(QString()),
              QStringLiteral("<itunes:owner>\n    <itunes:name>Only the name</itunes:name>\n"
                             "</itunes:owner>\n<itunes:explicit>no</itunes:explicit>\n"));
}

TEST(iTunesChannel, LongValuesAreCutWhenWrittenAndReportedWithTheirLength)
{
    iTunesChannel channel;
    channel.setSubtitle(QString(300, u's'));
    EXPECT_TRUE(channel.buildXML(QString()).startsWith(
        QStringLiteral("<itunes:subtitle>") + QString(255, u's') + QStringLiteral("</")));
    // A link cut to 255 characters never ends inside "&amp;" or a percent escape.
    const QString head = QStringLiteral("http://example.com/") + QString(233, u'a');
    channel.setImage(head + QStringLiteral("?x&y.png"));
    EXPECT_TRUE(channel.buildXML(QString()).contains(QStringLiteral("href=\"") + head
                                                     + QStringLiteral("?x\" />")));
    channel.setImage(head + QStringLiteral("b c.png"));
    EXPECT_TRUE(channel.buildXML(QString()).contains(QStringLiteral("href=\"") + head
                                                     + QStringLiteral("b\" />")));
    VLXError error;
    EXPECT_FALSE(C::validateSubtitle(channel.subtitle(), &error));
    EXPECT_EQ(error.code(), 2);
    EXPECT_EQ(error.localizedDescription(),
              QStringLiteral("The iTunes \"Subtitle\" is limited to 255 characters, it has 300."));
}

TEST(iTunesChannel, FieldChecksStopAtTheFirstFailure)
{
    const CheckRow rows[] = {
        {&C::validateSubtitle, " ", 1, "Subtitle is blank",
         "You must enter an iTunes subtitle for the feed."},
        {&C::validateSummary, QString(4001, u'x'), 2, "Summary is to long",
         "The iTunes \"Summary\" is limited to 4000 characters, it has 4001."},
        {&C::validateKeywords, "", 0, nullptr, nullptr},
        {&C::validateKeywords, "a, b c", 0, nullptr, nullptr},
        {&C::validateKeywords, "a b", 1, "Keywords need commas",
         "The iTunes Keywords should use commas to separate the words or phrases"},
        {&C::validateKeywords, "1,2,3,4,5,6,7,8,9,10,11,12,13", 1, "Too many Keywords",
         "iTunes doesn't allow more then 12 Keywords"},
        {&C::validateAuthor, "", 0, nullptr, nullptr},
        {&C::validateOwnerName, "", 1, "Owner Name is blank",
         "The iTunes \"Owner Name\" needs to contain the name of the owner to allow Apple to "
         "contact you if there are problems with the feed"},
        {&C::validateOwnerEmail, "nobody", 1, "Owner Email is invalid",
         "The iTunes \"Owner Email\" needs to contain the email address of the owner to allow "
         "Apple to contact you if there are problems with the feed"},
        {&C::validateImage, "", 1, "Image is blank", "Image link should not be blank"},
        {&C::validateImage, "no scheme.png", 1, "Image is invalid",
         "Image link is not a valid URL"},
        {&C::validateImage, "http://example.com/a.JPG", 1, "Image is invalid type",
         "The iTunes Image specifies an image type that is not supported by iTunes"},
        {&C::validateImage, "http://example.com/a.png", 0, nullptr, nullptr},
        {&C::validateImage, " http://example.com/a.jpg?size=2 ", 0, nullptr, nullptr},
    };
    for (const CheckRow &row : rows) {
        SCOPED_TRACE(row.value.left(40).toStdString());
        VLXError error;
        EXPECT_EQ(row.check(row.value, &error), row.code == 0);
        if (row.code == 0)
            continue;
        EXPECT_EQ(error.domain(), VLXError::kErrorDomain);
        EXPECT_EQ(error.code(), row.code);
        EXPECT_EQ(error.localizedFailureReason(), QString::fromUtf8(row.title));
        EXPECT_EQ(error.localizedDescription(), QString::fromUtf8(row.text));
    }
}

TEST(iTunesChannel, ValidationRunsInItsOrderAndJudgesTheNewFeedURL)
{
    iTunesChannel channel;
    channel.validate(nullptr);
    EXPECT_TRUE(entries(channel).isEmpty());

    channel.setNewFeedURL(QStringLiteral("http://example.com/") + QString(237, u'a'));
    channel.validate(nullptr);
    EXPECT_EQ(
        entries(channel),
        (QStringList {
            "Validate Error::You must enter an iTunes subtitle for the feed.",
            "Validate Error::You must enter an iTunes summary for the feed.",
            "Validate Error::At least one iTunes category must be selected.",
            "Validate Error::The iTunes \"Owner Name\" needs to contain the name of the owner to "
            "allow Apple to contact you if there are problems with the feed",
            "Validate Error::The iTunes \"Owner Email\" needs to contain the email address of the "
            "owner to allow Apple to contact you if there are problems with the feed",
            "Validate Error::Image link should not be blank",
            "Validate Warning::" + iTunesChannel::kNewFeedURLNote,
            "Validate Error::The iTunes is \"New Feed URL\" limited to 255 characters, it has "
            "256"}));
    EXPECT_EQ(channel.warnCount(), 1);
    EXPECT_EQ(channel.errorCount(), 7);

    // The length counts UTF-8 bytes: 128 two-byte characters are too long.
    iTunesChannel wide;
    wide.setNewFeedURL(QString(128, QChar(0x00E9)));
    wide.validate(nullptr);
    EXPECT_TRUE(
        wide.errorList().contains("Validate Error::The \"New Feed URL\" is invalid or incomplete"));
    EXPECT_TRUE(wide.errorList().last().endsWith(QStringLiteral("it has 256")));
}

TEST(iTunesChannel, CategoriesAreCheckedAgainstTheTree)
{
    QList<iTunesCategory> list {{QStringLiteral("Arts"), QStringLiteral("Design")},
                                {QStringLiteral("Technology"), QStringLiteral("Robots")},
                                {QStringLiteral("Comedy"), QString()}};
    EXPECT_TRUE(C::validateCategory(list, nullptr));
    VLXError error;
    EXPECT_FALSE(C::validateCategoryAtIndex(list, 1, &error));
    EXPECT_EQ(error.localizedFailureReason(), QStringLiteral("Old Category"));
    EXPECT_EQ(error.localizedDescription(),
              QStringLiteral("The Category \"Technology/Robots\" is not one of the categories "
                             "currently supported by iTunes"));
    list.append({QStringLiteral("Music"), QString()});
    EXPECT_FALSE(C::validateCategory(list, &error));
    EXPECT_EQ(error.localizedDescription(),
              QStringLiteral("iTunes doesn't allow more then 3 categories."));

    iTunesChannel channel;
    channel.validateAndLogCategory(
        {{QString(), QString()}, {QStringLiteral("Audio Blogs"), QString()}});
    EXPECT_EQ(entries(channel),
              (QStringList {"Validate Error::Category can not be empty",
                            "Validate Error::The Category \"Audio Blogs\" is not one of the "
                            "categories currently supported by iTunes"}));

    const auto alerts = ScriptedAlertService::install();
    EXPECT_FALSE(C::validateAndInformCategory({}, nullptr));
    ASSERT_EQ(alerts->alerts().size(), 1);
    EXPECT_EQ(alerts->alerts().at(0).title, QStringLiteral("No Categories"));

    EXPECT_EQ(iTunesCategory(QStringLiteral("Arts"), QStringLiteral("Design")).displayValue(),
              QStringLiteral("Arts ") + QChar(0x23AE) + QStringLiteral(" Design"));
    EXPECT_EQ(iTunesCategory(QStringLiteral("Arts"), QString()).displayValue(), "Arts");
    EXPECT_FALSE(iTunesCategory(QStringLiteral("Arts"), QStringLiteral("Design"))
                     .isEqualToCategory(iTunesCategory(QStringLiteral("Arts"), QString())));
}

TEST(iTunesChannel, ReadsUnderAnyPrefixWithItsRepairs)
{
    const auto channel = readChannel(
        QStringLiteral("IT"),
        QStringLiteral(
            "<IT:Subtitle> Sub &lt;b&gt;bold&lt;/b&gt; </IT:Subtitle>"
            "<it:summary>&#65; summary</it:summary><it:block>Yes</it:block>"
            "<it:explicit> clean </it:explicit><it:keywords> a, b </it:keywords>"
            "<it:owner><it:name> N </it:name><itunes:email>e@x.org</itunes:email></it:owner>"
            "<it:image href=\" http://x.org/i.png \"/><it:author>A</it:author>"
            "<it:new-feed-url> http://x.org/&lt;b&gt; </it:new-feed-url>"
            "<it:category text=\"Arts\"><it:category text=\"Design\"/>"
            "<it:category text=\" Food \"/></it:category>"
            "<it:category text=\"Comedy\"/><it:unknown>u</it:unknown>"));
    EXPECT_EQ(channel->fieldNames().first(), QStringLiteral("it:block"));
    EXPECT_EQ(channel->subtitle(), QStringLiteral("Sub bold"));
    EXPECT_EQ(channel->summary(), QStringLiteral("A summary"));
    EXPECT_EQ(channel->block(), 1);
    EXPECT_EQ(channel->explicitValue(), -1);
    EXPECT_EQ(channel->keywords(), QStringLiteral("a, b"));
    EXPECT_EQ(channel->ownerName(), QStringLiteral("N"));
    EXPECT_EQ(channel->ownerEmail(), QStringLiteral("e@x.org"));
    EXPECT_EQ(channel->image(), QStringLiteral("http://x.org/i.png"));
    EXPECT_EQ(channel->newFeedURL(), QStringLiteral("http://x.org/<b>"));
    EXPECT_EQ(channel->category(),
              (QList<iTunesCategory> {{QStringLiteral("Arts"), QStringLiteral("Food")},
                                      {QStringLiteral("Comedy"), QString()}}));
    EXPECT_EQ(
        entries(*channel),
        QStringList {"Automatic Repair::Removed illegal HTML from the iTunes tag itunes:subtitle"});

    iTunesChannel declared;
    declared.setDTDURL(kURI);
    EXPECT_TRUE(entries(declared).isEmpty());
    declared.setDTDURL(QStringLiteral("http://www.itunes.com/DTDs/Podcast-1.0.dtd"));
    EXPECT_EQ(entries(declared),
              QStringList {"Automatic Repair::Old iTunes DTDURL used "
                           "http://www.itunes.com/DTDs/Podcast-1.0.dtd"});
    EXPECT_EQ(declared.DTDURL(), kURI);
}

TEST(iTunesChannel, ReadingMigratesRetiredCategories)
{
    const auto check = [](const QList<iTunesCategory> &before, const QList<iTunesCategory> &after,
                          const QStringList &messages) {
        iTunesChannel channel;
        channel.setCategory(before);
        channel.finalProcessing(nullptr);
        EXPECT_EQ(channel.category(), after);
        EXPECT_EQ(channel.listOfErrors(false, false, true), messages);
        EXPECT_EQ(channel.repairCount(), messages.size());
    };
    const QString AE = QStringLiteral("Arts & Entertainment");
    check({{AE, "Books"}, {AE, "Poetry"}}, {{"Arts", "Books"}},
          {"Automatic Repair::Update old iTunes category from \"Arts & Entertainment/Books\" to "
           "the new category \"Arts/Books\"",
           "Automatic Repair::Old iTunes category \"Arts & Entertainment/Poetry\" updates to "
           "\"Arts/Books\", but removed because it would be a duplicate"});
    check({{AE, ""}, {"Arts", ""}}, {{"Arts", ""}, {"Arts", ""}},
          {"Automatic Repair::Update old iTunes category from \"Arts & Entertainment\" to the new "
           "category \"Arts\""});
    // The rows whose texts have their own wording, when they lead to today's names at once.
    check({{"Arts", "Design"}, {AE, "Architecture"}}, {{"Arts", "Design"}},
          {"Automatic Repair::Old iTunes category \"Arts & Entertainment/Architecture\" updates "
           "to \"Arts/Design\", but was removed because it would be a duplicate"});
    check({{"Arts", "Visual Arts"}, {AE, "Photography"}, {AE, "Photography"}},
          {{"Arts", "Visual Arts"}},
          {"Automatic Repair::Old iTunes category \"Arts & Entertainment/Photography Arts\" "
           "updates to \"Arts/Visual Arts\", but removed because it would be a duplicate",
           "Automatic Repair::Old iTunes category \"Arts & Entertainment/Photography Arts\" "
           "updates to \"Arts/Visual Arts\", but removed because it would be a duplicate"});
    check({{"Movies & Television", "Drama"}, {"International", "French"}, {"Travel", "Guides"}},
          {{"TV & Film", ""}, {"Society & Culture", ""}, {"Society & Culture", "Places & Travel"}},
          {"Automatic Repair::Update old iTunes category from \"Movies & Television\" to the new "
           "category \"Arts/TV & Film\"",
           "Automatic Repair::Update old iTunes category from \"International/French\" to the new "
           "category \"Society & Culture\"",
           "Automatic Repair::Update old iTunes category from \"Travel\" to the new category "
           "\"Society & Culture/Places & Travel\""});
    // A row leading to a name the directory retired in its turn goes on to today's name, and
    // the message names where the way began and ended.
    check({{"Technology", "IT News"}, {"Health", "Fitness"}, {"Health", "Fitness & Nutrition"}},
          {{"News", "Tech News"}, {"Health & Fitness", "Fitness"}},
          {"Automatic Repair::Update old iTunes category from \"Technology/IT News\" to the new "
           "category \"News/Tech News\"",
           "Automatic Repair::Update old iTunes category from \"Health/Fitness\" to the new "
           "category \"Health & Fitness/Fitness\"",
           "Automatic Repair::Old iTunes category \"Health/Fitness & Nutrition\" updates to "
           "\"Health & Fitness/Fitness\", but removed because it would be a duplicate"});
    // Names the directory offers again are the podcaster's choice and stay; a retired
    // sub-category under such a name still moves.
    check({{"Science", "Astronomy"}, {"News", ""}, {"Sports", "Running"},
           {"Business", "Marketing"}, {"Science", "Medicine"}},
          {{"Science", "Astronomy"}, {"News", ""}, {"Sports", "Running"},
           {"Business", "Marketing"}, {"Science", ""}},
          {"Automatic Repair::Update old iTunes category from \"Science/Medicine\" to the new "
           "category \"Science\""});
    // A sub-category the table does not name is left for validation to report.
    check({{"Technology", "Robots"}, {AE, "Unknown"}}, {{"Technology", "Robots"}, {AE, "Unknown"}},
          {});
}

TEST(iTunesChannel, EveryRetiredCategoryMovesOnToTodaysNames)
{
    EXPECT_EQ(iTunesCategoryTree::categories().size(), 19);
    EXPECT_EQ(iTunesCategoryTree::subCategories(QStringLiteral("Arts")).first(),
              QStringLiteral("All"));
    EXPECT_TRUE(iTunesCategoryTree::subCategories(QStringLiteral("Technology")).isEmpty());
    EXPECT_TRUE(iTunesCategoryTree::treeFromPropertyList("not a plist").isEmpty());
    // Every name a row moves (one no row names under a category any of whose sub-categories
    // moves), and every name of the directory before.
    QList<iTunesCategory> retired;
    for (const iTunesRetiredCategories::Row &row : iTunesRetiredCategories::rows())
        retired.append({QString::fromUtf8(row.oldCategory),
                        QString::fromUtf8(row.oldSubCategory ? row.oldSubCategory : "Anything")});
    for (const QVariant &entry :
         iTunesCategoryTree::tree().value(QStringLiteral("Earlier")).toList()) {
        const QVariantMap group = entry.toMap();
        const QString category
            = group.isEmpty() ? entry.toString() : group.value(QStringLiteral("Group")).toString();
        retired.append({category, QString()});
        for (const QVariant &sub : group.value(QStringLiteral("Entries")).toList()) {
            if (sub.toString() != iTunesCategoryTree::kAll)
                retired.append({category, sub.toString()});
        }
    }
    for (const iTunesCategory &entry : retired) {
        // Names the directory offers again stay.
        if (iTunesCategoryTree::offers(entry.category(), entry.subCategory()))
            continue;
        SCOPED_TRACE(entry.displayValue().toStdString());
        QList<iTunesCategory> list {entry};
        FeedElement log;
        iTunesRetiredCategories::migrate(list, log);
        ASSERT_EQ(list.size(), 1);
        EXPECT_TRUE(iTunesCategoryTree::offers(list.first().category(), list.first().subCategory()))
            << list.first().displayValue().toStdString();
        EXPECT_EQ(log.repairCount(), 1);
    }
}

TEST(iTunesChannel, TheSheetOffersTheDirectoryAsItIsAndTheCheckKeepsTheOneBefore)
{
    // Category, sub-category, offered by the sheet, valid.
    const std::tuple<const char *, const char *, bool, bool> cases[] = {
        {"Leisure", "", true, true},
        {"Leisure", "Animation & Manga", true, true},
        {"History", "", true, true},
        {"True Crime", "", true, true},
        {"Government", "", true, true},
        {"Fiction", "Science Fiction", true, true},
        {"Health & Fitness", "Mental Health", true, true},
        {"Sports", "Wilderness", true, true},
        {"TV & Film", "After Shows", true, true},
        // The directory before: feeds carry it, and it stays valid.
        {"Arts", "Literature", false, true},
        {"Games & Hobbies", "Video Games", false, true},
        {"Technology", "Podcasting", false, true},
        {"Leisure", "Literature", false, false},
        {"True crime", "", false, false},
    };
    for (const auto &[category, subCategory, offered, valid] : cases) {
        SCOPED_TRACE(std::string(category) + '/' + subCategory);
        EXPECT_EQ(iTunesCategoryTree::categories().contains(QString::fromUtf8(category))
                      && (!*subCategory
                          || iTunesCategoryTree::subCategories(QString::fromUtf8(category))
                                 .contains(QString::fromUtf8(subCategory))),
                  offered);
        VLXError error;
        EXPECT_EQ(C::validateCategoryAtIndex(
                      {{QString::fromUtf8(category), QString::fromUtf8(subCategory)}}, 0, &error),
                  valid);
    }
}

TEST(iTunesChannel, CopiesExportAndReplaceAll)
{
    iTunesChannel channel;
    channel.setSubtitle(QStringLiteral("A cat show"));
    channel.setOwnerEmail(QStringLiteral("cat@example.com"));
    channel.setCategory({{QStringLiteral("Arts"), QStringLiteral("Design")},
                         {QStringLiteral("Comedy"), QString()}});
    channel.setBlock(1);
    channel.setExplicit(-1);

    const auto copy = std::dynamic_pointer_cast<iTunesChannel>(channel.copyExtension());
    ASSERT_TRUE(copy);
    copy->replaceCategoryAtIndex({QStringLiteral("Music"), QString()}, 0);
    copy->setSubtitle(QStringLiteral("Other"));
    EXPECT_EQ(channel.category().first().category(), QStringLiteral("Arts"));
    EXPECT_EQ(channel.subtitle(), QStringLiteral("A cat show"));

    EXPECT_EQ(TestSupport::exportedBy(
                  QStringLiteral("~~~FeediTunesSubtitle~~~|~~~FeediTunesCategory~~~|"
                                 "~~~FeediTunesSubCategory~~~|~~~FeediTunesOwnerEmail~~~|"
                                 "~~~FeediTunesExplicit~~~|~~~FeediTunesBlocked~~~|"
                                 "~~~FeediTunesImage~~~"),
                  channel),
              QStringLiteral("A cat show|Arts|Design|cat@example.com|CLEAN|YES|"));
    EXPECT_EQ(
        TestSupport::exportedBy(QStringLiteral("~~~FeediTunesCategory~~~~~~FeediTunesExplicit~~~"),
                                iTunesChannel()),
        QStringLiteral("NO"));
    // A page shows the plain texts as text.
    iTunesChannel paged;
    paged.setSubtitle(QStringLiteral("Cats & <dogs>"));
    EXPECT_EQ(
        TestSupport::exportedBy(QStringLiteral("~~~FeediTunesSubtitle~~~"), paged,
                                VLXExportTemplate::substitutionsForExport(VLXExportTemplate::HTML)),
        QStringLiteral("Cats &amp; &lt;dogs&gt;"));

    // Every searchable text field takes part; the list does not.
    channel.setCategory({{QStringLiteral("cat"), QString()}});
    EXPECT_EQ(channel.replaceAll(QStringLiteral("cat"), QStringLiteral("dog"), 0), 2);
    EXPECT_EQ(channel.subtitle(), QStringLiteral("A dog show"));
    EXPECT_EQ(channel.ownerEmail(), QStringLiteral("dog@example.com"));
    EXPECT_EQ(channel.category().first().category(), QStringLiteral("cat"));
}

TEST(iTunesChannel, RepairsReadTheValuesNotTheirXML)
{
    extensionManagerChannel manager;
    manager.createExtensionWithNamespace(QStringLiteral("itunes"), kURI);
    const auto channel = std::dynamic_pointer_cast<iTunesChannel>(manager.iTunesExtension());
    ASSERT_TRUE(channel);
    channel->setOwnerEmail(QStringLiteral("o@example.com"));
    channel->setSubtitle(QString(300, u'x'));
    const ExtensionTexts texts(manager);
    EXPECT_EQ(texts.text(KnownNamespace::iTunes, QStringLiteral("owner/email")),
              QStringLiteral("o@example.com"));
    EXPECT_EQ(texts.text(KnownNamespace::iTunes, QStringLiteral("subtitle")).size(), 300);
    EXPECT_EQ(texts.text(KnownNamespace::iTunes, QStringLiteral("author")), QString());
}

TEST(iTunesChannel, DefaultsAndArchivesSurviveARealSettingsFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("Vellumcast.plist"));
    VLXPreferences &first = VLXPreferences::useStore(std::make_unique<PlistDefaultsStore>(path));
    QVariantMap values = first.preferences();
    values.insert(QStringLiteral("FD_AF_FF_EX_ITCCategory"),
                  iTunesCategory::toArchivable({{QStringLiteral("Arts"), QStringLiteral("Design")},
                                                {QStringLiteral("Music"), QString()}}));
    values.insert(QStringLiteral("FD_AF_FF_EX_ITCSubtitle"), QStringLiteral("Default subtitle"));
    values.insert(QStringLiteral("FD_AF_FF_EX_ITCExplicitStr"), QStringLiteral("-1"));
    first.savePreferencesToDefaults(values);

    VLXPreferences::useStore(std::make_unique<PlistDefaultsStore>(path));
    iTunesChannel channel;
    channel.populateWithDefaults(QString());
    EXPECT_EQ(channel.category(),
              (QList<iTunesCategory> {{QStringLiteral("Arts"), QStringLiteral("Design")},
                                      {QStringLiteral("Music"), QString()}}));
    EXPECT_EQ(channel.subtitle(), QStringLiteral("Default subtitle"));
    EXPECT_EQ(channel.explicitValue(), -1);
    EXPECT_EQ(channel.newFeedURL(), QString());

    // Whole objects, the twin among them, come back as the class they were.
    auto twin = std::make_shared<iTunesChannelPrefs>();
    twin->setCategory(channel.category());
    twin->setOwnerName(QStringLiteral("Owner"));
    const QByteArray bytes
        = KeyedArchiver::archivedDataWithRootObject(KeyedArchivable::toVariant(twin));
    EXPECT_EQ(KeyedArchiver::archivedDataWithRootObject(KeyedArchivable::toVariant(twin)), bytes);
    const auto back = KeyedArchivable::objectAs<iTunesChannelPrefs>(
        KeyedUnarchiver::unarchiveObjectWithData(bytes));
    ASSERT_TRUE(back);
    EXPECT_FALSE(back->allowsUndo());
    EXPECT_EQ(back->category(), channel.category());
    EXPECT_EQ(back->ownerName(), QStringLiteral("Owner"));
    EXPECT_TRUE(KeyedUnarchiver::isClassRegistered(QStringLiteral("iTunesChannel")));
    VLXPreferences::useStore(std::make_unique<MemoryDefaultsStore>());
}

TEST(iTunesChannel, APodcastFeedReadsIntoTheFieldsAndWritesCanonically)
{
    VLXParseFeed reader;
    const QString text = VLXParseFeed::stringFromXMLData(
        TestSupport::readData(QStringLiteral("roundtrip/podcast-other-prefix.xml")));
    ASSERT_EQ(reader.parseFeed(text, QString(), nullptr), 0);
    const auto feed = reader.feed();
    const auto channel
        = std::dynamic_pointer_cast<iTunesChannel>(feed->XMLExtensions()->iTunesExtension());
    ASSERT_TRUE(channel);
    EXPECT_EQ(channel->subtitle(), QStringLiteral("Stories after dark"));
    EXPECT_EQ(channel->ownerEmail(), QStringLiteral("ray@example.net"));
    EXPECT_EQ(channel->category(),
              (QList<iTunesCategory> {
                  {QStringLiteral("Society & Culture"), QStringLiteral("Personal Journals")}}));
    const QString written = feed->buildXML();
    EXPECT_TRUE(written.contains(QStringLiteral("xmlns:itunes=\"%1\"").arg(kURI)));
    EXPECT_FALSE(written.contains(QStringLiteral("pod:")));
    EXPECT_TRUE(written.contains(QStringLiteral("<itunes:duration>2:05</itunes:duration>")));

    VLXParseFeed other;
    ASSERT_EQ(other.parseFeed(VLXParseFeed::stringFromXMLData(TestSupport::readData(
                                  QStringLiteral("roundtrip/podcast-itunes.xml"))),
                              QString(), nullptr),
              0);
    const auto migrated = std::dynamic_pointer_cast<iTunesChannel>(
        other.feed()->XMLExtensions()->iTunesExtension());
    ASSERT_TRUE(migrated);
    EXPECT_EQ(migrated->category(),
              (QList<iTunesCategory> {
                  {QStringLiteral("Arts"), QStringLiteral("Books")},
                  {QStringLiteral("Society & Culture"), QStringLiteral("Places & Travel")},
                  {QStringLiteral("Science"), QString()}}));
    EXPECT_EQ(migrated->subtitle(), QStringLiteral("Tides, currents & charts"));
    EXPECT_EQ(migrated->parseXMLRepairCount(), 5);
}
