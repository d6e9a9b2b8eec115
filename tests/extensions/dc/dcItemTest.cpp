#include "extensions/dc/dcItem.h"
#include "DCTestSupport.h"
#include "common/TestSupport.h"
#include "extensions/dc/dcImage.h"
#include "extensions/dc/dcImagePrefs.h"
#include "extensions/dc/dcItemPrefs.h"
#include "io/VLXParseFeed.h"
#include "model/VLXFeed.h"
#include "model/VLXImage.h"
#include "model/VLXItems.h"
#include "model/extensionManagerImage.h"
#include "model/extensionManagerItem.h"
#include "platform/MemoryDefaultsStore.h"
#include "settings/VLXPreferences.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QStringList entries(const FeedElement &element)
{
    return element.listOfErrors(true, true, true);
}

const QString kDiffers = u"Validate Warning::This items's pubDate and dc:date represent the same "
                         u"thing, but they have different values.  There is a high probability "
                         u"this will cause confusion in feed readers and feed aggregators."_s;

class dcItemSettings : public ::testing::Test
{
protected:
    void SetUp() override { VLXPreferences::useStore(std::make_unique<MemoryDefaultsStore>()); }
    void TearDown() override { VLXPreferences::useStore(std::make_unique<MemoryDefaultsStore>()); }
};

} // namespace

TEST(dcItem, DateIsComparedWithTheItemsOwnPubDate)
{
    struct Row
    {
        const char16_t *pubDate;
        const char16_t *date;
        bool differs;
    } rows[] = {
        {u"Wed, 01 May 2024 10:00:00 +0000", u"2024-05-01T11:00:00+01:00", false},
        {u"Wed, 01 May 2024 10:00:01 +0000", u"2024-05-01T11:00:00+01:00", true},
        {u"", u"2024-05-01T11:00:00+01:00", false}, // normalised, not compared
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(QString::fromUtf16(row.pubDate).toStdString());
        VLXItems parent;
        parent.setPubDate(QString::fromUtf16(row.pubDate));
        dcItem item;
        item.setDateElement(QString::fromUtf16(row.date));
        item.validate(nullptr, &parent);
        EXPECT_EQ(entries(item), row.differs ? QStringList {kDiffers} : QStringList());
        item.validate(nullptr, &parent);
        EXPECT_EQ(item.warnCount(), row.differs ? 2 : 0); // once per validation
    }
    // A language alone: empty, nothing validated, yet written.
    dcItem language;
    language.setLanguageElement(u"en"_s);
    EXPECT_TRUE(language.isEmpty());
    EXPECT_EQ(language.buildXML(u"            "_s),
              u"            <dc:language>en</dc:language>\n"_s);
}

TEST(dcItem, SortTagsOfEveryElementButTheSubject)
{
    auto item = std::make_shared<VLXItems>();
    EXPECT_FALSE(item->findSortableTags().contains(u"dc"_s));
    item->XMLExtensions()->createExtensionWithNamespace(u"dc"_s, kDCURI);
    const QVariantMap dc = item->findSortableTags().value(u"dc"_s).toMap();
    EXPECT_EQ(dc.value(u"displayName"_s), u"Dublin Core"_s);
    EXPECT_EQ(dc.value(u"DTDURL"_s), kDCURI);
    const QVariantMap tags = dc.value(u"sortTags"_s).toMap();
    EXPECT_EQ(tags.size(), 14);
    EXPECT_FALSE(tags.contains(u"subject"_s));
    EXPECT_EQ(tags.value(u"date"_s).toMap().value(u"type"_s), u"date"_s);
    EXPECT_EQ(tags.value(u"coverage"_s).toMap().value(u"type"_s), u"text"_s);
    EXPECT_EQ(tags.value(u"language"_s).toMap().value(u"children"_s), false);
}

TEST(dcItem, TokensOfTheItem)
{
    dcItem item;
    item.setCreator(u"Ann"_s);
    EXPECT_EQ(TestSupport::exportedBy(u"~~~ItemDCCreator~~~|~~~ItemDCTitle~~~|x"_s, item),
              u"Ann||x"_s);
}

TEST_F(dcItemSettings, TheFeedsOwnDefaultsThenAllFeedsElementByElement)
{
    VLXPreferences::setObjectForKey(u"News"_s, u"FD_AF_IF_EX_DCTitle"_s);
    VLXPreferences::setObjectForKey(u"All publisher"_s, u"FD_AF_IF_EX_DCPublisher"_s);
    VLXPreferences::setObjectForKey(u"All creator"_s, u"FD_AF_IF_EX_DCCreator"_s);
    const QString key = u"feed-1"_s;
    VLXPreferences::setObjectForKey(u"Own creator"_s, u"FD_CF_IF_EX_DCCreator"_s, key);
    VLXPreferences::setObjectForKey(QString(), u"FD_CF_IF_EX_DCTitle"_s, key);

    dcItem item;
    item.populateWithDefaults(key);
    EXPECT_EQ(item.title(), u"News"_s); // an empty own value lets the all-feeds one through
    EXPECT_EQ(item.creator(), u"Own creator"_s);
    EXPECT_EQ(item.publisher(), u"All publisher"_s);

    dcItem withoutKey;
    withoutKey.populateWithDefaults(QString());
    EXPECT_EQ(withoutKey.creator(), u"All creator"_s);

    auto twin = std::make_shared<dcItemPrefs>();
    twin->setSubject(u"s"_s);
    const auto back
        = KeyedArchivable::objectAs<dcItemPrefs>(KeyedUnarchiver::unarchiveObjectWithData(
            KeyedArchiver::archivedDataWithRootObject(KeyedArchivable::toVariant(twin))));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->subject(), u"s"_s);
    EXPECT_FALSE(back->allowsUndo());
}

TEST_F(dcItemSettings, TheImageHasItsOwnDefaultsNoTokensAndOnlyRepairsItsDate)
{
    VLXPreferences::setObjectForKey(u"Image rights"_s, u"FD_AF_IM_EX_DCRights"_s);
    dcImage image;
    image.populateWithDefaults(QString());
    EXPECT_EQ(image.rights(), u"Image rights"_s);
    image.setTitle(u"Logo"_s);
    EXPECT_EQ(TestSupport::exportedBy(u"~~~FeedDCTitle~~~"_s, image), u"~~~FeedDCTitle~~~"_s);
    image.setDateElement(u"not a date at all"_s);
    image.validate(nullptr);
    EXPECT_NE(image.dateElement(), u"not a date at all"_s);
    ASSERT_EQ(entries(image).size(), 1);
    EXPECT_TRUE(entries(image).first().startsWith(u"Automatic Repair::Fixed bad date format"_s));
    EXPECT_TRUE(KeyedUnarchiver::isClassRegistered(u"dcImagePrefs"_s));
}

TEST(dcItem, AFeedWithDublinCoreEverywhereReadsAndWritesBack)
{
    const QString text
        = u"<?xml version=\"1.0\"?><rss version=\"2.0\" xmlns:DC=\"%1\"><channel><title>T</title>"
          u"<link>http://example.com/</link><description>D</description>"
          u"<image><url>http://example.com/l.png</url><title>L</title>"
          u"<link>http://example.com/</link><DC:rights>Logo rights</DC:rights></image>"
          u"<item><title>One</title><DC:Creator>Ann</DC:Creator><DC:subject>s &amp;#38; t"
          u"</DC:subject></item></channel></rss>"_s.arg(kDCURI);
    VLXParseFeed reader;
    ASSERT_EQ(reader.parseFeed(text, QString(), nullptr), 0);
    const auto feed = reader.feed();
    const auto item = std::dynamic_pointer_cast<dcItem>(
        feed->itemAtIndex(0)->XMLExtensions()->dublinCoreExtension());
    ASSERT_TRUE(item);
    EXPECT_EQ(item->creator(), u"Ann"_s);
    EXPECT_EQ(item->subject(), u"s & t"_s);
    const auto image = std::dynamic_pointer_cast<dcImage>(
        feed->image()->XMLExtensions()->knownExtension(KnownNamespace::dublinCore));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->rights(), u"Logo rights"_s);
    const QString written = feed->buildXML();
    EXPECT_TRUE(written.contains(u"            <dc:subject>s &amp; t</dc:subject>\n"
                                 u"            <dc:creator>Ann</dc:creator>\n"_s))
        << qPrintable(written);
    EXPECT_TRUE(written.contains(u"            <dc:rights>Logo rights</dc:rights>\n"_s))
        << qPrintable(written);
    EXPECT_FALSE(written.contains(u"DC:"_s));
}
