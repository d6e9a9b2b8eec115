#include "extensions/dc/dcChannel.h"
#include "DCTestSupport.h"
#include "common/TestSupport.h"
#include "extensions/dc/dcChannelPrefs.h"
#include "io/VLXParseFeed.h"
#include "model/VLXFeed.h"
#include "model/extensionManagerChannel.h"
#include "platform/MemoryDefaultsStore.h"
#include "platform/PlistDefaultsStore.h"
#include "settings/VLXPreferences.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QStringList entries(const FeedElement &element)
{
    return element.listOfErrors(true, true, true);
}

// A feed of the channel elements and textInput children given, read as a whole.
std::shared_ptr<VLXFeed> readFeed(const QString &prefix, const QString &channel,
                                  const QString &textInput)
{
    const QString text = u"<?xml version=\"1.0\"?><rss version=\"2.0\" xmlns:%1=\"%2\"><channel>"
                         u"<title>T</title><link>http://example.com/</link><description>D"
                         u"</description>%3<textInput><title>Search</title><description>Find"
                         u"</description><name>q</name><link>http://example.com/s</link>%4"
                         u"</textInput></channel></rss>"_s.arg(prefix, kDCURI, channel, textInput);
    VLXParseFeed reader;
    EXPECT_EQ(reader.parseFeed(text, QString(), nullptr), 0);
    return reader.feed();
}

std::shared_ptr<dcChannel> dcOf(const VLXFeed &feed)
{
    return std::dynamic_pointer_cast<dcChannel>(
        feed.XMLExtensions()->knownExtension(KnownNamespace::dublinCore));
}

const QString kDiffers = u"Validate Warning::The feed's pubDate and dc:date represent the same "
                         u"thing, but they have different values.  There is a high probability "
                         u"this will cause confusion in feed readers and feed aggregators."_s;

} // namespace

TEST(dcChannel, WritesEachSetInElementOrderAlwaysUnderDC)
{
    dcChannel channel;
    EXPECT_EQ(channel.buildXML(u"        "_s), QString());
    EXPECT_EQ(channel.buildXMLTI(u"            "_s), QString());
    channel.setCoverage(u"World"_s);
    EXPECT_EQ(channel.buildXML(u"        "_s), u"        <dc:coverage>World</dc:coverage>\n"_s);
    channel.setTitle(u"A <b> & C"_s);
    channel.setLanguageElement(u"en-us"_s);
    channel.setIdentifier(u"http://example.com/?a=1&b=2"_s);
    channel.setCreatorTI(u"A & <B>"_s);
    EXPECT_EQ(channel.buildXML(u"  "_s),
              u"  <dc:title>A &lt;b&gt; &amp; C</dc:title>\n"
              u"  <dc:language>en-us</dc:language>\n"
              u"  <dc:identifier>http://example.com/?a=1&amp;b=2</dc:identifier>\n"
              u"  <dc:coverage>World</dc:coverage>\n"_s);
    EXPECT_EQ(channel.buildXMLTI(u"            "_s),
              u"            <dc:creator>A &amp; &lt;B&gt;</dc:creator>\n"_s);
}

TEST(dcChannel, ReadsUnderAnyPrefixDecodingAllButTheDate)
{
    dcChannel channel;
    readDCElements(
        channel, u"DC"_s,
        u"<DC:Creator> Ann </DC:Creator><DC:title> Caf&amp;#233; &amp;#38; co </DC:title>"
        u"<DC:date> 2024-05-01T10:00:00&amp;#43;01:00 </DC:date>"
        u"<DC:description>&lt;b&gt;kept&lt;/b&gt;</DC:description>"
        u"<DC:unknown>x</DC:unknown><DC:title>Second</DC:title>"_s);
    EXPECT_EQ(channel.fieldNames().first(), u"dc:title"_s);
    EXPECT_EQ(channel.creator(), u"Ann"_s);
    EXPECT_EQ(channel.title(), u"Café & co"_s); // the first of a repeated element stands
    EXPECT_EQ(channel.dateElement(), u"2024-05-01T10:00:00&#43;01:00"_s);
    // Markup is not removed while reading, nor reported.
    EXPECT_EQ(channel.descriptionElement(), u"<b>kept</b>"_s);
    EXPECT_TRUE(entries(channel).isEmpty());

    dcChannel decoded;
    readDCElements(decoded, u"dc"_s, u"<dc:title> Caf&amp;#233; &amp;#38; </dc:title>"_s);
    EXPECT_EQ(decoded.title(), u"Café &"_s);
    EXPECT_EQ(decoded.titleTI(), QString());
}

TEST(dcChannel, TextInputChildrenOfTheNamespaceUnderAnyPrefix)
{
    auto feed = readFeed(u"dc"_s, u"<dc:title>Channel</dc:title>"_s,
                         u"<dc:title>Box</dc:title><DC:creator>No</DC:creator>"
                         u"<dc:language>fr</dc:language>"_s);
    auto dc = dcOf(*feed);
    ASSERT_TRUE(dc);
    EXPECT_EQ(dc->title(), u"Channel"_s);
    EXPECT_EQ(dc->titleTI(), u"Box"_s);
    EXPECT_EQ(dc->creatorTI(), QString());
    EXPECT_EQ(dc->languageElementTI(), u"fr"_s);
    const QString written = feed->buildXML();
    EXPECT_TRUE(written.contains(u"<name>q</name>\n            <link>http://example.com/s</link>\n"
                                 u"            <dc:title>Box</dc:title>\n"
                                 u"            <dc:language>fr</dc:language>\n"
                                 u"        </textInput>"_s))
        << qPrintable(written);
    EXPECT_TRUE(written.contains(u"        <dc:title>Channel</dc:title>\n"_s));

    // Bound to another prefix (or as the default namespace), the channel's elements and the
    // textInput's children read alike and are written under "dc".
    feed = readFeed(u"meta"_s, u"<meta:title>Other</meta:title>"_s,
                    u"<meta:title>Box</meta:title>"
                    u"<language xmlns=\"http://purl.org/dc/elements/1.1/\">fr</language>"_s);
    dc = dcOf(*feed);
    ASSERT_TRUE(dc);
    EXPECT_EQ(dc->title(), u"Other"_s);
    EXPECT_EQ(dc->titleTI(), u"Box"_s);
    EXPECT_EQ(dc->languageElementTI(), u"fr"_s);
    EXPECT_TRUE(feed->buildXML().contains(u"<dc:title>Other</dc:title>"_s));
    EXPECT_TRUE(feed->buildXML().contains(u"            <dc:title>Box</dc:title>\n"
                                          u"            <dc:language>fr</dc:language>\n"
                                          u"        </textInput>"_s));
}

TEST(dcChannel, LanguagesDoNotCountForEmptinessYetAreWritten)
{
    dcChannel channel;
    channel.setLanguageElement(u"de"_s);
    channel.setLanguageElementTI(u"fr"_s);
    channel.setDateElement(u"not a date"_s);
    EXPECT_FALSE(channel.isEmpty());
    channel.setDateElement(QString());
    EXPECT_TRUE(channel.isEmpty());
    VLXFeed feed;
    feed.setPubDate(u"Wed, 01 May 2024 10:00:00 +0000"_s);
    channel.validate(&feed);
    EXPECT_TRUE(entries(channel).isEmpty());
    EXPECT_EQ(channel.buildXML(QString()), u"<dc:language>de</dc:language>\n"_s);
    EXPECT_EQ(channel.buildXMLTI(QString()), u"<dc:language>fr</dc:language>\n"_s);
}

TEST(dcChannel, DatesAreRepairedAndComparedWithTheFeedsPubDate)
{
    VLXFeed feed;
    feed.setPubDate(u"Wed, 01 May 2024 10:00:00 +0000"_s);
    struct Row
    {
        const char16_t *date;
        bool differs;
    } rows[] = {
        {u"2024-05-01T11:00:00+01:00", false}, // the same instant in another zone
        {u"2024-05-01T10:00:01Z", true}, // one second later
        {u"2024-05-01T10:00:00Z", false},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(QString::fromUtf16(row.date).toStdString());
        dcChannel channel;
        channel.setDateElement(QString::fromUtf16(row.date));
        // The textInput date is repaired but never compared.
        channel.setDateElementTI(u"2020-01-01T00:00:00Z"_s);
        channel.validate(&feed);
        EXPECT_EQ(entries(channel), row.differs ? QStringList {kDiffers} : QStringList());
        EXPECT_EQ(channel.warnCount(), row.differs ? 1 : 0);
        EXPECT_EQ(channel.dateElementTI(), u"2020-01-01T00:00:00+00:00"_s);
    }
    // A reduced form is a date of its own: brought to the full form, never replaced by now.
    dcChannel reduced;
    reduced.setDateElement(u"2006-05"_s);
    VLXFeed undated;
    reduced.validate(&undated);
    EXPECT_EQ(reduced.dateElement(), u"2006-05-01T00:00:00+00:00"_s);
    EXPECT_TRUE(entries(reduced).isEmpty());
}

TEST(dcChannel, TokensOfTheChannelSetOnly)
{
    dcChannel channel;
    channel.setTitle(u"Mine"_s);
    channel.setTitleTI(u"Box"_s);
    channel.setLanguageElement(u"en"_s);
    EXPECT_EQ(TestSupport::exportedBy(u"~~~FeedDCTitle~~~/~~~FeedDCTitle~~~/"
                                      u"~~~FeedDCLanguage~~~/~~~FeedDCCoverage~~~"_s,
                                      channel),
              u"Mine/Mine/en/"_s);
    const ExtensionDescriptor &d = dcChannel::classDescriptor();
    for (int f = dcChannel::kTextInput; f < d.fieldCount(); ++f)
        EXPECT_EQ(d.field(f).exportToken, nullptr) << d.field(f).name;
}

TEST(dcChannel, ReplaceAllSkipsBothLanguages)
{
    dcChannel channel;
    channel.setTitle(u"en route"_s);
    channel.setLanguageElement(u"en"_s);
    channel.setLanguageElementTI(u"en"_s);
    channel.setCoverageTI(u"en"_s);
    EXPECT_EQ(channel.replaceAll(u"en"_s, u"EN"_s, 0), 2);
    EXPECT_EQ(channel.title(), u"EN route"_s);
    EXPECT_EQ(channel.coverageTI(), u"EN"_s);
    EXPECT_EQ(channel.languageElement(), u"en"_s);
    EXPECT_EQ(channel.languageElementTI(), u"en"_s);
}

TEST(dcChannel, DefaultsAndArchivesSurviveARealSettingsFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(u"Vellumcast.plist"_s);
    VLXPreferences &first = VLXPreferences::useStore(std::make_unique<PlistDefaultsStore>(path));
    QVariantMap values = first.preferences();
    values.insert(u"FD_AF_FF_EX_DCPublisher"_s, u"Press"_s);
    values.insert(u"FD_AF_FF_EX_TIDCCoverage"_s, u"Box coverage"_s);
    first.savePreferencesToDefaults(values);

    VLXPreferences::useStore(std::make_unique<PlistDefaultsStore>(path));
    dcChannel channel;
    channel.setTitle(u"Kept"_s);
    channel.populateWithDefaults(QString());
    EXPECT_EQ(channel.publisher(), u"Press"_s);
    EXPECT_EQ(channel.coverageTI(), u"Box coverage"_s);
    EXPECT_EQ(channel.title(), u"Kept"_s); // an empty default leaves the value

    auto twin = std::make_shared<dcChannelPrefs>();
    twin->setTitle(u"Title"_s);
    twin->setTitleTI(u"Title TI"_s);
    twin->setLanguageElementTI(u"fr"_s);
    const QByteArray bytes
        = KeyedArchiver::archivedDataWithRootObject(KeyedArchivable::toVariant(twin));
    const auto back = KeyedArchivable::objectAs<dcChannelPrefs>(
        KeyedUnarchiver::unarchiveObjectWithData(bytes));
    ASSERT_TRUE(back);
    EXPECT_FALSE(back->allowsUndo());
    EXPECT_EQ(back->title(), u"Title"_s);
    EXPECT_EQ(back->titleTI(), u"Title TI"_s);
    EXPECT_EQ(back->languageElementTI(), u"fr"_s);
    QVariantMap coder;
    channel.encodeWithCoder(coder);
    EXPECT_EQ(coder.value(u"dcCoverageTI"_s), u"Box coverage"_s);
    EXPECT_EQ(coder.value(u"dcPublisher"_s), u"Press"_s);
    VLXPreferences::useStore(std::make_unique<MemoryDefaultsStore>());
}

TEST(dcChannel, TheChannelRepairTakesTheCreatorFromTheModel)
{
    const auto feed = readFeed(u"dc"_s,
                               u"<dc:creator>ann@example.com (Ann)</dc:creator>"
                               u"<dc:rights>CC</dc:rights>"_s,
                               QString());
    EXPECT_EQ(feed->editor(), u"ann@example.com (Ann)"_s);
    EXPECT_EQ(feed->copyright(), u"CC"_s);
}

TEST(dcChannel, NamespaceIdentityStandsWhateverIsDeclared)
{
    dcChannel channel;
    channel.setDTDURL(u"http://example.com/other"_s);
    EXPECT_EQ(channel.DTDURL(), kDCURI);
    EXPECT_TRUE(entries(channel).isEmpty());
    EXPECT_EQ(channel.displayName(), u"Dublin Core"_s);
    EXPECT_EQ(dcChannel::classDescriptionOfNamespace(), u"dc||%1||1||Dublin Core||"_s.arg(kDCURI));
    EXPECT_EQ(dcChannel::classDescriptionOfNamespaceShort(), u"dc||%1||1||"_s.arg(kDCURI));
}
