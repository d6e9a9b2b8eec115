#include "extensions/mrss/mrssItem.h"
#include "extensions/mrss/mrssChannel.h"
#include "extensions/mrss/mrssChannelPrefs.h"
#include "extensions/mrss/mrssItemPrefs.h"
#include "model/VLXItems.h"
#include "model/VLXLogic.h"
#include "model/extensionManagerItem.h"
#include "mrssTestSupport.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"
#include "platform/MemoryDefaultsStore.h"
#include "platform/PlistDefaultsStore.h"
#include "settings/VLXPreferences.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using K = mrssOptionalElements;

std::shared_ptr<mrssItem> readItem(const QString &elements,
                                   const QString &prefix = QStringLiteral("media"))
{
    auto item = std::make_shared<mrssItem>();
    readElements(*item, prefix, elements);
    item->finalProcessing(nullptr);
    return item;
}

mrssRequiredElement content(const QString &url)
{
    mrssRequiredElement element;
    element.setAttribute("attributeURL", url);
    return element;
}

class mrssSettings : public ::testing::Test
{
protected:
    void SetUp() override { VLXPreferences::useStore(std::make_unique<MemoryDefaultsStore>()); }
    void TearDown() override { VLXPreferences::useStore(std::make_unique<MemoryDefaultsStore>()); }
};

} // namespace

TEST(mrssRequiredElement, WritesReadsAndDescribesItself)
{
    mrssRequiredElement fresh;
    EXPECT_EQ(fresh.mediaContentElement().size(), 14);
    EXPECT_FALSE(fresh.isEmpty());
    EXPECT_EQ(fresh.buildXML(QStringLiteral("  ")), QStringLiteral("  <media:content />\n"));
    EXPECT_EQ(fresh.lastUploaded(), QDateTime::fromSecsSinceEpoch(0, Qt::UTC));

    const auto item = readItem(QStringLiteral(
        "<MEDIA:Content url=\" http://x/a b.mp4 \n\" FileSize=\"9\" type=\"video/&lt;mp4\" "
        "medium=\"video\" isDefault=\"true\" lang=\"en\">"
        "<media:thumbnail url=\"http://x/t.jpg\"/><media:adult>true</media:adult>"
        "</MEDIA:Content>"));
    ASSERT_EQ(item->mediaContentsValue().size(), 1);
    const mrssRequiredElement &read = item->mediaContentsValueAtIndex(0);
    EXPECT_EQ(read.attribute("attributeURL"), QStringLiteral("http://x/a b.mp4"));
    // Attribute names are matched exactly: another spelling is kept as it stands.
    EXPECT_EQ(read.attribute("attributeFileSize"), QString());
    EXPECT_EQ(read.buildXML(QStringLiteral("    ")),
              QStringLiteral("    <media:content url=\"http://x/a%20b.mp4\" type=\"video/&lt;mp4\" "
                             "medium=\"video\" isDefault=\"true\" lang=\"en\" FileSize=\"9\">\n"
                             "        <media:rating scheme=\"urn:simple\">adult</media:rating>\n"
                             "        <media:thumbnail url=\"http://x/t.jpg\" />\n"
                             "    </media:content>\n"));

    mrssRequiredElement rates = content(QStringLiteral("U"));
    rates.setAttribute("attributeFileSize", QStringLiteral("1200"));
    rates.setAttribute("attributeBitRate", QStringLiteral("128"));
    rates.setAttribute("attributeFrameRate", QStringLiteral("25"));
    rates.setAttribute("attributeWidth", QStringLiteral("640"));
    rates.setAttribute("attributeHeight", QStringLiteral("480"));
    EXPECT_EQ(rates.objectShortDescription(), QStringLiteral("U (1200 bytes)\n128kb/s, 640x480"));
    rates.setAttribute("attributeType", QStringLiteral("video/mp4"));
    rates.setAttribute("attributeDuration", QStringLiteral("30"));
    rates.setAttribute("attributeIsDefault", QStringLiteral("true"));
    EXPECT_EQ(rates.objectLongDescription(),
              QStringLiteral("U (1200 bytes)video/mp4, 128kb/s, 30"));
    EXPECT_EQ(rates.objectShortDescription(),
              QStringLiteral("U (1200 bytes)\nDefault, video/mp4, 128kb/s, 640x480, 30 sec"));

    mrssRequiredElement noURL;
    noURL.setAttribute("attributeType", QStringLiteral("audio/mpeg"));
    noURL.setAttribute("attributeSamplingRate", QStringLiteral("44.1"));
    noURL.setAttribute("attributeWidth", QStringLiteral("9"));
    noURL.setAttribute("attributeFileSize", QStringLiteral("5"));
    K nested;
    nested.addDictionary(element(K::kTitle, {{"elementDescription", "t"}}));
    noURL.setMediaOptionalElements(nested);
    EXPECT_EQ(noURL.objectShortDescription(), QStringLiteral("audio/mpeg, 44.1kHz\n[Title]"));
    EXPECT_EQ(noURL.objectLongDescription(), QStringLiteral("audio/mpeg, 44.1kHz, [Title]"));
}

// Children the set does not take are kept: a content holding only those is written open, the
// kept ones at the set's indent, and they count for equality and survive an archive.
TEST(mrssRequiredElement, KeepsTheChildrenItDoesNotRead)
{
    const auto item = readItem(QStringLiteral(
        "<media:content url=\"http://x/a.mp3\"><media:subTitle lang=\"en\"/>"
        "<media:title>First</media:title><media:title>Second</media:title></media:content>"
        "<media:content url=\"http://x/b.mp3\"><media:price price=\"0\"/></media:content>"));
    ASSERT_EQ(item->mediaContentsValue().size(), 2);
    const mrssRequiredElement &titled = item->mediaContentsValueAtIndex(0);
    EXPECT_EQ(titled.mediaOptionalElements().value(K::kTitle).value("elementDescription"),
              QStringLiteral("First"));
    const mrssRequiredElement &priced = item->mediaContentsValueAtIndex(1);
    EXPECT_EQ(priced.buildXML(QStringLiteral("    ")).toStdString(),
              "    <media:content url=\"http://x/b.mp3\">\n"
              "        <media:price price=\"0\"/>\n"
              "    </media:content>\n");
    mrssRequiredElement bare = priced;
    bare.setKeptXML(QString());
    EXPECT_FALSE(bare == priced);
    EXPECT_EQ(bare.buildXML(QString()),
              QStringLiteral("<media:content url=\"http://x/b.mp3\" />\n"));
    for (const mrssRequiredElement &kept : {titled, priced}) {
        const auto back = KeyedArchivable::objectAs<mrssRequiredElement>(
            KeyedUnarchiver::unarchiveObjectWithData(KeyedArchiver::archivedDataWithRootObject(
                KeyedArchivable::toVariant(std::make_shared<mrssRequiredElement>(kept)))));
        ASSERT_TRUE(back);
        EXPECT_TRUE(*back == kept);
        EXPECT_EQ(back->buildXML(QString()), kept.buildXML(QString()));
    }
}

// Attributes outside the fourteen are kept as read and written after them: through the item's
// copies, its archive (dragging, undo) and an edit of the fourteen as the dialog makes it.
TEST(mrssRequiredElement, KeepsTheAttributesItDoesNotRead)
{
    VLXItems item;
    item.XMLExtensions()->createExtensionWithNamespace(QStringLiteral("media"), kMediaURI);
    auto media = std::dynamic_pointer_cast<mrssItem>(item.XMLExtensions()->mediaRSSExtension());
    ASSERT_TRUE(media);
    readElements(*media, QStringLiteral("media"),
                 QStringLiteral("<media:content url=\"http://x/a.mp3\" filesize=\"9\" "
                                "xml:lang=\"en\" type=\"audio/mpeg\"/>"));
    ASSERT_EQ(media->mediaContentsValue().size(), 1);
    const QString written = QStringLiteral("<media:content url=\"http://x/a.mp3\" type=\"%1\" "
                                           "filesize=\"9\" xml:lang=\"en\" />\n");
    EXPECT_EQ(media->mediaContentsValueAtIndex(0).buildXML(QString()),
              written.arg(QStringLiteral("audio/mpeg")));

    const std::unique_ptr<FeedElement> clone = item.clone();
    const std::shared_ptr<VLXItems> dragged = VLXItems::fromArchivedData(item.archivedData());
    for (const VLXItems *copy : {dynamic_cast<const VLXItems *>(clone.get()),
                                 static_cast<const VLXItems *>(dragged.get())}) {
        ASSERT_TRUE(copy);
        const auto copied
            = std::dynamic_pointer_cast<mrssItem>(copy->XMLExtensions()->mediaRSSExtension());
        ASSERT_TRUE(copied);
        EXPECT_EQ(copied->mediaContentsValue(), media->mediaContentsValue());
        EXPECT_EQ(copied->buildXML(QString()), media->buildXML(QString()));
    }

    mrssRequiredElement edited = media->mediaContentsValueAtIndex(0);
    QVariantMap attributes = edited.mediaContentElement();
    attributes.insert(QStringLiteral("attributeType"), QStringLiteral("audio/ogg"));
    edited.setMediaContentElement(attributes);
    EXPECT_EQ(edited.buildXML(QString()), written.arg(QStringLiteral("audio/ogg")));
}

TEST(mrssRequiredElement, AttributesAsADictionaryHoldTheFourteenKeys)
{
    mrssRequiredElement element;
    QVariantMap given;
    given.insert(QStringLiteral("attributeURL"), QStringLiteral("http://x/a.mp3"));
    given.insert(QStringLiteral("attributeLang"), QStringLiteral("de"));
    given.insert(QStringLiteral("attributeOther"), QStringLiteral("dropped"));
    element.setMediaContentElement(given);
    const QVariantMap taken = element.mediaContentElement();
    EXPECT_EQ(taken.size(), 14);
    EXPECT_EQ(taken.value(QStringLiteral("attributeLang")), QStringLiteral("de"));
    EXPECT_EQ(taken.value(QStringLiteral("attributeWidth")), QStringLiteral(""));
    EXPECT_FALSE(taken.contains(QStringLiteral("attributeOther")));
    EXPECT_EQ(element.attribute("attributeOther"), QString());
    element.setAttribute("attributeOther", QStringLiteral("x"));
    EXPECT_EQ(element.mediaContentElement(), taken);
    EXPECT_EQ(element.buildXML(QString()),
              QStringLiteral("<media:content url=\"http://x/a.mp3\" lang=\"de\" />\n"));

    // The archive keeps the texts; one lacking keys reads them as "".
    const QByteArray bytes = KeyedArchiver::archivedDataWithRootObject(
        KeyedArchivable::toVariant(std::make_shared<mrssRequiredElement>(element)));
    const auto back = KeyedArchivable::objectAs<mrssRequiredElement>(
        KeyedUnarchiver::unarchiveObjectWithData(bytes));
    ASSERT_TRUE(back);
    EXPECT_TRUE(*back == element);

    // No attributes at all: nothing to check, nothing but the bare element written.
    mrssRequiredElement bare;
    bare.setMediaContentElement({});
    EXPECT_TRUE(bare.isEmpty());
    EXPECT_TRUE(bare.mediaContentElement().isEmpty());
    EXPECT_FALSE(bare == mrssRequiredElement());
    EXPECT_EQ(bare.buildXML(QString()), QStringLiteral("<media:content />\n"));
    bare.setAttribute("attributeType", QStringLiteral("audio/ogg"));
    EXPECT_FALSE(bare.isEmpty());
    EXPECT_EQ(bare.mediaContentElement().size(), 14);
}

TEST(mrssItem, WritesEveryTextAndAttributeEscaped)
{
    const QString apos = VLXLogic::encodeApos() ? QStringLiteral("&apos;") : QStringLiteral("'");
    mrssItem item;
    // An ampersand in a link is written as an entity once, even when already one; a link outside
    // Latin-1 is not percent-escaped, so its quote and angle bracket must become entities.
    mrssRequiredElement first = content(QStringLiteral("http://x/a.mp3?b=1&c=2&amp;d=3"));
    first.setAttribute("attributeType", QStringLiteral("a\"b&c<d>e'f]]>"));
    mrssRequiredElement second = content(QStringLiteral("http://x/\u20AC\"<b.mp3"));
    second.setAttribute("attributeLang", QStringLiteral("de & \"en\""));
    item.addMediaContentsValue(first);
    item.addMediaContentsValue(second);
    mrssOptionalElements set;
    set.setValue(K::kTitle,
                 element(K::kTitle,
                         {{"elementDescription", "Tom & \"Jerry\" <3 ]]> it's"},
                          {"attributeType", "pl&in"}}));
    set.setUsed(K::kTitle, true);
    set.addValue(K::kThumbnail,
                 element(K::kThumbnail,
                         {{"attributeURL", "http://x/\u20AC\">.png"}, {"attributeWidth", "1\"0"}}));
    set.addValue(K::kText, element(K::kText, {{"elementDescription", "<b>]]></b> & 'q'"}}));
    set.addValue(
        K::kRating,
        element(K::kRating, {{"elementDescription", "adult"}, {"attributeScheme", "urn:a b&c"}}));
    for (const int kind : {int(K::kThumbnail), int(K::kText), int(K::kRating)})
        set.setUsed(kind, true);
    item.setMediaGroupOptionalElements(set);
    const QString expected
        = QStringLiteral(
              "<media:group>\n"
              "    <media:rating scheme=\"urn:a%20b&amp;c\">adult</media:rating>\n"
              "    <media:title type=\"pl&amp;in\">Tom &amp; &quot;Jerry&quot; &lt;3 ]]&gt; it%1s"
              "</media:title>\n"
              "    <media:thumbnail url=\"http://x/\u20AC&quot;&gt;.png\" width=\"1&quot;0\" />\n"
              "    <media:text>&lt;b&gt;]]&gt;&lt;/b&gt; &amp; %1q%1</media:text>\n"
              "    <media:content url=\"http://x/a.mp3?b=1&amp;c=2&amp;d=3\" "
              "type=\"a&quot;b&amp;c&lt;d&gt;e%1f]]&gt;\" />\n"
              "    <media:content url=\"http://x/\u20AC&quot;&lt;b.mp3\" "
              "lang=\"de &amp; &quot;en&quot;\" />\n"
              "</media:group>\n")
              .arg(apos);
    EXPECT_EQ(item.buildXML(QString()).toStdString(), expected.toStdString());
    // What was written reads back to the same texts.
    const auto back = readItem(item.buildXML(QString()));
    EXPECT_EQ(back->buildXML(QString()).toStdString(), expected.toStdString());
}

TEST(mrssItem, GroupsTwoContentsOrAGroupSet)
{
    mrssItem item;
    EXPECT_TRUE(item.isEmpty());
    EXPECT_EQ(item.buildXML(QStringLiteral("            ")), QString());
    item.addMediaContentsValue(content(QStringLiteral("http://x/1.mp3")));
    const QString indent(12, u' ');
    EXPECT_EQ(item.buildXML(indent), indent + "<media:content url=\"http://x/1.mp3\" />\n");
    item.addMediaContentsValue(content(QStringLiteral("http://x/2.mp3")));
    EXPECT_EQ(item.buildXML(indent),
              indent + "<media:group>\n" + indent + "    <media:content url=\"http://x/1.mp3\" />\n"
                  + indent + "    <media:content url=\"http://x/2.mp3\" />\n" + indent
                  + "</media:group>\n");
    item.deleteMediaContentsValueAtIndex(1);
    item.deleteMediaContentsValueAtIndex(5);
    K group;
    group.addDictionary(element(K::kTitle, {{"elementDescription", "T"}}));
    item.setMediaGroupOptionalElements(group);
    EXPECT_EQ(item.buildXML(QString()),
              QStringLiteral("<media:group>\n    <media:title>T</media:title>\n"
                             "    <media:content url=\"http://x/1.mp3\" />\n</media:group>\n"));
    item.deleteMediaContentsValueAtIndex(0);
    EXPECT_EQ(item.buildXML(QString()),
              QStringLiteral("<media:group>\n    <media:title>T</media:title>\n</media:group>\n"));
}

TEST(mrssItem, ReadingFoldsTheItemLevelSetIntoTheGroup)
{
    const auto item = readItem(
        QStringLiteral("<m:title>item</m:title><m:thumbnail url=\"http://t/\"/>"
                       "<m:content url=\"http://x/1\"/>"
                       "<m:group><m:title>group</m:title><m:content url=\"http://x/2\"/>"
                       "<m:group><m:content url=\"http://x/nested\"/></m:group></m:group>"
                       "<m:content url=\"http://x/3\"/>"),
        QStringLiteral("m"));
    ASSERT_EQ(item->mediaContentsValue().size(), 3);
    EXPECT_EQ(item->mediaContentsValueAtIndex(1).attribute("attributeURL"),
              QStringLiteral("http://x/2"));
    EXPECT_EQ(item->mediaContentsValueAtIndex(2).attribute("attributeURL"),
              QStringLiteral("http://x/3"));
    const K &group = item->mediaGroupOptionalElements();
    EXPECT_EQ(group.elementsUsed(), QStringLiteral("Title,Thumbnail"));
    EXPECT_EQ(group.value(K::kTitle).value(K::kTextKey), QStringLiteral("group"));
    EXPECT_TRUE(item->mediaItemOptionalElements().isEmpty());

    // media:adult under the item and in the group becomes a rating, and is written.
    const auto adult = readItem(QStringLiteral("<media:adult>true</media:adult>"
                                               "<media:content url=\"http://x/1\"/>"));
    EXPECT_EQ(adult->buildXML(QString()),
              QStringLiteral("<media:group>\n"
                             "    <media:rating scheme=\"urn:simple\">adult</media:rating>\n"
                             "    <media:content url=\"http://x/1\" />\n</media:group>\n"));
    const auto grouped = readItem(QStringLiteral("<media:group><media:adult>false</media:adult>"
                                                 "</media:group>"));
    EXPECT_EQ(grouped->mediaGroupOptionalElements().objectShortDescriptionAtIndex(0),
              QStringLiteral("nonadult"));
}

TEST(mrssItem, ManyGroupsGrowTheContentListGeometrically)
{
    // The contents of every media:group of an item join one list. Handed the groups one by one,
    // as its manager does, the item must not make the list anew for each group: 40,000 groups
    // would copy it 40,000 times.
    constexpr int kGroups = 40000;
    QString groups;
    for (int i = 0; i < kGroups; ++i)
        groups += QStringLiteral("<media:group><media:content url=\"http://x/%1\"/></media:group>")
                      .arg(i);
    const vlxXMLDOM dom(mediaDocument(QStringLiteral("media"), groups));
    const vlxXMLNode *root = dom.nodeNamed(QStringLiteral("r"), vlxXMLDOM::Element, nullptr);
    ASSERT_TRUE(root);
    mrssItem item;
    item.setExtensionProcessingName(QStringLiteral("media"));
    int reallocations = 0;
    qsizetype capacity = item.mediaContentsValue().capacity();
    for (int i = 0; i < vlxXMLDOM::numberOfChildren(root); ++i) {
        item.parseXMLNodeIfMine(vlxXMLDOM::nodeAtIndex(i, root));
        if (item.mediaContentsValue().capacity() != capacity) {
            capacity = item.mediaContentsValue().capacity();
            ++reallocations;
        }
    }
    EXPECT_EQ(item.mediaContentsValue().size(), kGroups);
    EXPECT_LT(reallocations, 40);
}

TEST(mrssItem, WarnsForEachContentWithoutURLOrPlayer)
{
    const auto item = readItem(QStringLiteral(
        "<media:content type=\"a\"/><media:content type=\"b\"><media:player url=\"http://p/\"/>"
        "</media:content><media:content type=\"c\"/>"));
    item->validate(nullptr);
    EXPECT_EQ(item->listOfErrors(true, true, true),
              QStringList(2, QStringLiteral("Validate Warning::") + mrssItem::kURLWarning));
    EXPECT_EQ(item->warnCount(), 2);
    K group;
    group.addDictionary(element(K::kPlayer, {{"attributeURL", "http://p/"}}));
    item->setMediaGroupOptionalElements(group);
    item->clearParseXMLErrorList();
    item->setWarnCount(0);
    item->validate(nullptr);
    EXPECT_TRUE(item->listOfErrors(true, true, true).isEmpty());
}

TEST(mrssChannel, ReadsWritesAndChecksItsSet)
{
    mrssChannel channel;
    EXPECT_EQ(channel.displayName(), QStringLiteral("Media RSS"));
    EXPECT_EQ(mrssItem().displayName(), QStringLiteral("Media"));
    EXPECT_EQ(channel.DTDURL(), kMediaURI);
    readElements(channel, QStringLiteral("y"),
                 QStringLiteral("<y:adult>true</y:adult><y:keywords>a b</y:keywords>"));
    channel.finalProcessing(nullptr);
    EXPECT_EQ(channel.buildXML(QStringLiteral("    ")),
              QStringLiteral("    <media:rating scheme=\"urn:simple\">adult</media:rating>\n"
                             "    <media:keywords>a b</media:keywords>\n"));
    channel.validate(nullptr);
    EXPECT_EQ(channel.warnCount(), 1);
    EXPECT_EQ(channel.listDisplayValues(mrssChannel::kOptionalElements),
              (QStringList {QStringLiteral("adult"), QStringLiteral("a b")}));
    // Copies share nothing.
    const auto copy = std::dynamic_pointer_cast<mrssChannel>(channel.copyExtension());
    ASSERT_TRUE(copy);
    K changed = copy->mediaOptionalElements();
    changed.deleteObjectAtIndex(0);
    copy->setMediaOptionalElements(changed);
    EXPECT_EQ(channel.mediaOptionalElements().objectCount(), 2);
}

TEST_F(mrssSettings, DefaultsFoldTheFeedsGroupOverTheAllFeedsGroup)
{
    auto feedDefaults = std::make_shared<mrssItemPrefs>();
    K feedGroup;
    feedGroup.addDictionary(element(K::kTitle, {{"elementDescription", "feed title"}}));
    feedDefaults->setMediaGroupOptionalElements(feedGroup);
    auto allDefaults = std::make_shared<mrssItemPrefs>();
    K allGroup;
    allGroup.addDictionary(element(K::kTitle, {{"elementDescription", "all title"}}));
    allGroup.addDictionary(element(K::kRating, {{"elementDescription", "adult"}}));
    allDefaults->setMediaGroupOptionalElements(allGroup);
    allDefaults->addMediaContentsValue(content(QStringLiteral("http://all/")));
    const QString feed = QStringLiteral("feed-1");
    VLXPreferences::setObjectForKey(
        KeyedArchiver::archivedDataWithRootObject(KeyedArchivable::toVariant(feedDefaults)),
        QStringLiteral("FD_CF_IF_EX_mrssItem"), feed);
    VLXPreferences::setObjectForKey(KeyedArchivable::toVariant(allDefaults),
                                    QStringLiteral("FD_AF_IF_EX_mrssItem"));

    mrssItem item;
    item.populateWithDefaults(feed);
    EXPECT_EQ(item.mediaGroupOptionalElements().elementsUsed(), QStringLiteral("Rating,Title"));
    EXPECT_EQ(item.mediaGroupOptionalElements().value(K::kTitle).value(K::kTextKey),
              QStringLiteral("feed title"));
    ASSERT_EQ(item.mediaContentsValue().size(), 1);
    EXPECT_EQ(item.mediaContentsValueAtIndex(0).attribute("attributeURL"),
              QStringLiteral("http://all/"));

    // The feed's own content list, when it has one, comes whole.
    feedDefaults->addMediaContentsValue(content(QStringLiteral("http://feed/a")));
    feedDefaults->addMediaContentsValue(content(QStringLiteral("http://feed/b")));
    VLXPreferences::setObjectForKey(
        KeyedArchiver::archivedDataWithRootObject(KeyedArchivable::toVariant(feedDefaults)),
        QStringLiteral("FD_CF_IF_EX_mrssItem"), feed);
    mrssItem second;
    second.populateWithDefaults(feed);
    ASSERT_EQ(second.mediaContentsValue().size(), 2);
    EXPECT_EQ(second.mediaContentsValueAtIndex(1).attribute("attributeURL"),
              QStringLiteral("http://feed/b"));

    // Data that does not decode is an empty feed default, not a crash.
    VLXPreferences::setObjectForKey(QByteArray("garbage"), QStringLiteral("FD_CF_IF_EX_mrssItem"),
                                    feed);
    mrssItem third;
    third.populateWithDefaults(feed);
    EXPECT_EQ(third.mediaGroupOptionalElements().value(K::kTitle).value(K::kTextKey),
              QStringLiteral("all title"));
    EXPECT_FALSE(VLXPreferences::isExtensionEmpty(QStringLiteral("media")));
}

TEST(mrssSettingsFile, ArchivesRoundTripThroughARealSettingsFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("Vellumcast.plist"));
    VLXPreferences &first = VLXPreferences::useStore(std::make_unique<PlistDefaultsStore>(path));
    // The built-in defaults are real, empty objects.
    EXPECT_TRUE(VLXPreferences::isExtensionEmpty(QStringLiteral("media")));
    EXPECT_TRUE(KeyedArchivable::objectAs<mrssChannel>(
        VLXPreferences::objectForKey(QStringLiteral("FD_AF_FF_EX_mrssChannel"))));

    auto channelDefaults = std::make_shared<mrssChannelPrefs>();
    K set
        = readSet(QStringLiteral("<media:restriction relationship=\"deny\" type=\"uri\">x"
                                 "</media:restriction><media:credit role=\"r\">c</media:credit>"));
    channelDefaults->setMediaOptionalElements(set);
    auto itemDefaults = std::make_shared<mrssItemPrefs>();
    mrssRequiredElement withFile = content(QStringLiteral("http://x/a.mp3"));
    withFile.setLocalEnclosureFilePath(QStringLiteral("/tmp/a.mp3"));
    withFile.setLastUploaded(QDateTime::fromSecsSinceEpoch(1700000000, Qt::UTC));
    withFile.setMediaOptionalElements(set);
    itemDefaults->addMediaContentsValue(withFile);
    QVariantMap values = first.preferences();
    values.insert(QStringLiteral("FD_AF_FF_EX_mrssChannel"),
                  KeyedArchivable::toVariant(channelDefaults));
    values.insert(QStringLiteral("FD_AF_IF_EX_mrssItem"), KeyedArchivable::toVariant(itemDefaults));
    first.savePreferencesToDefaults(values);

    VLXPreferences::useStore(std::make_unique<PlistDefaultsStore>(path));
    EXPECT_FALSE(VLXPreferences::isExtensionEmpty(QStringLiteral("media")));
    mrssChannel channel;
    channel.populateWithDefaults(QString());
    EXPECT_EQ(channel.mediaOptionalElements(), set);
    mrssItem item;
    item.populateWithDefaults(QString());
    ASSERT_EQ(item.mediaContentsValue().size(), 1);
    EXPECT_EQ(item.mediaContentsValueAtIndex(0), withFile);
    const auto back = KeyedArchivable::objectAs<mrssItemPrefs>(
        VLXPreferences::objectForKey(QStringLiteral("FD_AF_IF_EX_mrssItem")));
    ASSERT_TRUE(back);
    EXPECT_FALSE(back->allowsUndo());
    VLXPreferences::useStore(std::make_unique<MemoryDefaultsStore>());
}

TEST(mrssItem, ClonedItemsKeepTheirMediaAndShareNothing)
{
    auto item = std::make_shared<VLXItems>();
    item->XMLExtensions()->createExtensionWithNamespace(QStringLiteral("media"), kMediaURI);
    auto media = std::dynamic_pointer_cast<mrssItem>(item->XMLExtensions()->mediaRSSExtension());
    ASSERT_TRUE(media);
    mrssRequiredElement withFile = content(QStringLiteral("http://x/a.mp3"));
    withFile.setLocalEnclosureFilePath(QStringLiteral("/tmp/a.mp3"));
    media->addMediaContentsValue(withFile);
    K group;
    group.addDictionary(element(K::kKeywords, {{"elementDescription", "k"}}));
    media->setMediaGroupOptionalElements(group);

    const std::unique_ptr<FeedElement> clone = item->clone();
    auto *copy = dynamic_cast<VLXItems *>(clone.get());
    ASSERT_TRUE(copy);
    auto copied = std::dynamic_pointer_cast<mrssItem>(copy->XMLExtensions()->mediaRSSExtension());
    ASSERT_TRUE(copied);
    EXPECT_EQ(copied->buildXML(QString()), media->buildXML(QString()));
    copied->mediaContentsValueAtIndex(0).setLocalEnclosureFilePath(QStringLiteral("/other"));
    EXPECT_EQ(media->mediaContentsValueAtIndex(0).localEnclosureFilePath(),
              QStringLiteral("/tmp/a.mp3"));

    // An item dragged travels as its archive.
    const std::shared_ptr<VLXItems> dragged = VLXItems::fromArchivedData(item->archivedData());
    ASSERT_TRUE(dragged);
    const auto draggedMedia
        = std::dynamic_pointer_cast<mrssItem>(dragged->XMLExtensions()->mediaRSSExtension());
    ASSERT_TRUE(draggedMedia);
    EXPECT_EQ(draggedMedia->mediaContentsValue(), media->mediaContentsValue());
    EXPECT_EQ(draggedMedia->buildXML(QString()), media->buildXML(QString()));

    // The extension's own keyed archive.
    const QByteArray bytes
        = KeyedArchiver::archivedDataWithRootObject(KeyedArchivable::toVariant(media));
    const auto back
        = KeyedArchivable::objectAs<mrssItem>(KeyedUnarchiver::unarchiveObjectWithData(bytes));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->mediaContentsValue(), media->mediaContentsValue());
    EXPECT_EQ(back->mediaGroupOptionalElements(), group);
}

// An item's dictionary of local copies carries those of its Media RSS contents, by their URL,
// while the item uses Media RSS: gathered, and given back to the contents of that URL.
TEST(mrssItem, TheItemsLocalCopiesIncludeItsContentsWhileItUsesMediaRSS)
{
    const QDateTime uploaded = QDateTime::fromSecsSinceEpoch(7, Qt::UTC);
    struct Case
    {
        bool used;
        int gathered; // entries of the item's dictionary
        bool givenBack; // the first content's path after the dictionary comes back
    } cases[] = {{true, 2, true}, {false, 1, false}};
    for (const Case &c : cases) {
        VLXItems item;
        item.setEnclosureAttrURL(QStringLiteral("http://x/e.mp3"));
        item.setLocalEnclosureFilePath(QStringLiteral("/e.mp3"));
        auto media = std::make_shared<mrssItem>();
        mrssRequiredElement kept = content(QStringLiteral("http://x/a.mp4"));
        kept.setLocalEnclosureFilePath(QStringLiteral("/a.mp4"));
        kept.setLastUploaded(uploaded);
        mrssRequiredElement noURL = content(QString());
        noURL.setLocalEnclosureFilePath(QStringLiteral("/none.mp4"));
        media->setMediaContentsValue({kept, noURL, content(QStringLiteral("http://x/b.mp4"))});
        item.XMLExtensions()->setMediaRSSExtension(media);
        item.XMLExtensions()->setMediaRSSExtensionUsed(c.used);
        // The manager keeps its own copy.
        media = std::dynamic_pointer_cast<mrssItem>(item.XMLExtensions()->mediaRSSExtension());
        ASSERT_TRUE(media);

        QVariantMap info = item.enclosureLocalFileInfo();
        EXPECT_EQ(info.size(), c.gathered) << c.used;
        info.insert(QStringLiteral("http://x/a.mp4"),
                    QVariantList {QStringLiteral("/a.mp4"), uploaded});
        info.insert(QStringLiteral("http://x/b.mp4"), QStringLiteral("not an entry"));
        media->setMediaContentsValue({content(QStringLiteral("http://x/a.mp4")), noURL,
                                      content(QStringLiteral("http://x/b.mp4"))});
        item.setEnclosureLocalFileInfo(info);
        const QList<mrssRequiredElement> &back = media->mediaContentsValue();
        EXPECT_EQ(back.at(0).localEnclosureFilePath(),
                  c.givenBack ? QStringLiteral("/a.mp4") : QString())
            << c.used;
        EXPECT_EQ(back.at(0).lastUploaded() == uploaded, c.givenBack) << c.used;
        EXPECT_TRUE(back.at(2).localEnclosureFilePath().isEmpty()) << c.used;
    }
}
