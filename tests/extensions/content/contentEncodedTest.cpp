#include "extensions/content/contentEncodedChannel.h"
#include "extensions/content/contentEncodedChannelPrefs.h"
#include "extensions/content/contentEncodedItem.h"
#include "extensions/content/contentEncodedItemPrefs.h"
#include "io/VLXParseFeed.h"
#include "model/VLXFeed.h"
#include "model/VLXItems.h"
#include "model/extensionManagerChannel.h"
#include "model/extensionManagerItem.h"
#include "platform/MemoryDefaultsStore.h"
#include "settings/VLXPreferences.h"
#include "xml/UTF8Writer.h"
#include "xml/vlxXMLDOM.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

const QString kContentURI = u"http://purl.org/rss/1.0/modules/content/"_s;

// A feed whose channel and one item hold the content element given (under the prefix given).
std::shared_ptr<VLXFeed> readFeed(const QString &prefix, const QString &channel,
                                  const QString &item)
{
    VLXParseFeed reader;
    EXPECT_EQ(reader.parseFeed(u"<?xml version=\"1.0\"?><rss version=\"2.0\" xmlns:%1=\"%2\">"
                               u"<channel><title>T</title><link>http://example.com/</link>"
                               u"<description>D</description>%3<item><title>I</title>%4</item>"
                               u"</channel></rss>"_s.arg(prefix, kContentURI, channel, item),
                               QString(), nullptr),
              0);
    return reader.feed();
}

std::shared_ptr<contentEncodedItem> itemContent(const VLXFeed &feed)
{
    return std::dynamic_pointer_cast<contentEncodedItem>(
        feed.itemAtIndex(0)->XMLExtensions()->contentEncodedExtension());
}

} // namespace

TEST(contentEncoded, WrittenAsOneCDATALineUntouched)
{
    contentEncodedChannel channel;
    EXPECT_EQ(channel.buildXML(u"  "_s), QString());
    EXPECT_TRUE(channel.isEmpty());
    channel.setEncoded(u"<b>x</b>"_s);
    EXPECT_EQ(channel.buildXML(u"  "_s),
              u"  <content:encoded><![CDATA[<b>x</b>]]></content:encoded>\n"_s);
    contentEncodedItem item;
    item.setEncoded(u" <p>a &amp; b</p>\n"_s);
    EXPECT_EQ(item.buildXML(QString()),
              u"<content:encoded><![CDATA[ <p>a &amp; b</p>\n]]></content:encoded>\n"_s);
}

TEST(contentEncoded, AnEndOfSectionInTheTextReadsBackExactly)
{
    const QString html = u"<pre>a[1]]>b ]]> ]]]]></pre>"_s;
    contentEncodedItem item;
    item.setEncoded(html);
    EXPECT_EQ(
        item.buildXML(QString()),
        u"<content:encoded><![CDATA[<pre>a[1]]]]><![CDATA[>b ]]]]><![CDATA[> ]]]]]]><![CDATA[>"
        u"</pre>]]></content:encoded>\n"_s);
    // Whole texts, and ones whose very last characters end a section, read back the same.
    for (const QString &text : {html, u"<p>x</p>]]>"_s, u"]]>"_s, u"a]]]>"_s}) {
        SCOPED_TRACE(text.toStdString());
        contentEncodedItem written;
        written.setEncoded(text);
        const auto feed = readFeed(u"content"_s, QString(), written.buildXML(QString()));
        ASSERT_TRUE(feed && feed->countOfItems() == 1 && itemContent(*feed));
        EXPECT_EQ(itemContent(*feed)->encoded(), text);
        // And again from what the feed writes.
        VLXParseFeed again;
        ASSERT_EQ(again.parseFeed(feed->buildXML(), QString(), nullptr), 0);
        EXPECT_EQ(std::dynamic_pointer_cast<contentEncodedItem>(
                      again.feed()->itemAtIndex(0)->XMLExtensions()->contentEncodedExtension())
                      ->encoded(),
                  text);
    }
}

TEST(contentEncoded, EscapedMarkupStaysTextAndNothingIsTrimmed)
{
    const auto feed = readFeed(
        u"c"_s,
        u"<c:Encoded> <![CDATA[&#60;script&#62;alert(1)&#60;/script&#62; caf&#233; &#x263A;]]> </c:Encoded>"_s,
        u"<c:encoded>  &lt;i&gt;&amp;#38;amp;&amp;#233;&lt;/i&gt;  </c:encoded>"
        u"<c:other>ignored</c:other>"_s);
    const auto channel = std::dynamic_pointer_cast<contentEncodedChannel>(
        feed->XMLExtensions()->contentEncodedExtension());
    ASSERT_TRUE(channel);
    // References to markup characters stay as written; others below 256 become characters.
    EXPECT_EQ(channel->encoded(), u" &#60;script&#62;alert(1)&#60;/script&#62; café &#x263A; "_s);
    ASSERT_TRUE(itemContent(*feed));
    EXPECT_EQ(itemContent(*feed)->encoded(), u"  <i>&#38;amp;é</i>  "_s);
    const QString written = feed->buildXML();
    EXPECT_TRUE(written.contains(u"<content:encoded><![CDATA[ &#60;script&#62;"_s));
    EXPECT_FALSE(written.contains(u"<c:"_s));
}

TEST(contentEncoded, DefaultsSortTagsAndTwins)
{
    VLXPreferences::useStore(std::make_unique<MemoryDefaultsStore>());
    VLXPreferences::setObjectForKey(u"<p>all</p>"_s, u"FD_AF_IF_EX_ContentEncoded"_s);
    VLXPreferences::setObjectForKey(u"<p>own</p>"_s, u"FD_CF_IF_EX_ContentEncoded"_s, u"f1"_s);
    VLXPreferences::setObjectForKey(QString(), u"FD_CF_IF_EX_ContentEncoded"_s, u"f2"_s);
    contentEncodedItem own, fallback, none;
    own.populateWithDefaults(u"f1"_s);
    fallback.populateWithDefaults(u"f2"_s);
    none.populateWithDefaults(QString());
    EXPECT_EQ(own.encoded(), u"<p>own</p>"_s);
    EXPECT_EQ(fallback.encoded(), u"<p>all</p>"_s);
    EXPECT_EQ(none.encoded(), u"<p>all</p>"_s);
    contentEncodedChannel channel;
    channel.setEncoded(u"kept"_s);
    channel.populateWithDefaults(QString());
    EXPECT_EQ(channel.encoded(), u"kept"_s);
    VLXPreferences::useStore(std::make_unique<MemoryDefaultsStore>());

    const QVariantMap tags = own.findSortableTags();
    EXPECT_EQ(tags.value(u"content"_s).toMap().value(u"displayName"_s), u"content"_s);
    EXPECT_EQ(tags.value(u"content"_s).toMap().value(u"sortTags"_s).toMap().keys(),
              QStringList {u"encoded"_s});
    EXPECT_EQ(channel.displayName(), u"Content"_s);
    EXPECT_EQ(own.displayName(), u"content"_s);

    auto twin = std::make_shared<contentEncodedChannelPrefs>();
    twin->setEncoded(u"<b>t</b>"_s);
    QVariantMap coder;
    twin->encodeWithCoder(coder);
    EXPECT_EQ(coder.value(u"ChannelContentEncoded"_s), u"<b>t</b>"_s);
    const auto back = KeyedArchivable::objectAs<contentEncodedChannelPrefs>(
        KeyedUnarchiver::unarchiveObjectWithData(
            KeyedArchiver::archivedDataWithRootObject(KeyedArchivable::toVariant(twin))));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->encoded(), u"<b>t</b>"_s);
    EXPECT_FALSE(back->allowsUndo());
    EXPECT_TRUE(KeyedUnarchiver::isClassRegistered(u"contentEncodedItemPrefs"_s));
    QVariantMap itemCoder;
    own.encodeWithCoder(itemCoder);
    EXPECT_EQ(itemCoder.value(u"ItemContentEncoded"_s), u"<p>own</p>"_s);
}

// Show notes read from a document are kept as its UTF-8 until a view asks; however held, the
// item gives the same text, writes the same bytes and finds the same occurrences.
TEST(contentEncoded, TextKeptAsReadActsAsTheTextEdited)
{
    const QString cut = QString(UTF8Writer::kMaximumCDATAUnits - 1, u'x') + u"\U0001F600 end"_s;
    const struct
    {
        QString element; // inside the item's content:encoded
        QString text;
    } cases[] = {
        {u"<![CDATA[<p>caf\u00e9 ]]]]><![CDATA[> \U0001F600 \t a\nb ]]>"_s,
         u"<p>caf\u00e9 ]]> \U0001F600 \t a\nb "_s},
        {u"<![CDATA[  spaced  ]]>"_s, u"  spaced  "_s},
        {u"&lt;b&gt;\u00dcber&lt;/b&gt; &amp; \u212A"_s, u"<b>\u00dcber</b> & \u212A"_s},
        {u"<![CDATA[\uFEFFmarked]]>"_s, u"\uFEFFmarked"_s},
        {u"<![CDATA[&#233; &#60;stays&#62;]]>"_s, u"\u00e9 &#60;stays&#62;"_s},
        {u"<![CDATA["_s + cut + u"]]]]><![CDATA[>]]>"_s, cut + u"]]>"_s},
    };
    const std::pair<QString, int> searches[] = {{u"b"_s, 0},
                                                {u"B"_s, extensionNSRaw::CaseInsensitive},
                                                {u"k"_s, extensionNSRaw::CaseInsensitive},
                                                {u"\u00fcBER"_s, extensionNSRaw::CaseInsensitive},
                                                {u"]]>"_s, 0},
                                                {u"\U0001F600"_s, 0},
                                                {u"absent"_s, extensionNSRaw::CaseInsensitive}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.element.left(60).toStdString());
        const auto feed = readFeed(u"content"_s, QString(),
                                   u"<content:encoded>"_s + c.element + u"</content:encoded>"_s);
        ASSERT_TRUE(feed && itemContent(*feed));
        const auto read = itemContent(*feed);
        EXPECT_EQ(read->encoded(), c.text);
        // The item's line (the rest of the document holds the time of writing).
        const auto line = [&feed] {
            const QByteArray written = feed->buildXMLData();
            const qsizetype start = written.indexOf("<content:encoded>");
            return written.sliced(start, written.indexOf("</content:encoded>") - start);
        };
        const QByteArray writtenAsRead = line();
        for (const auto &[search, options] : searches) {
            const auto copy = std::static_pointer_cast<contentEncodedItem>(read->copyExtension());
            const Qt::CaseSensitivity cs = options ? Qt::CaseInsensitive : Qt::CaseSensitive;
            EXPECT_EQ(copy->replaceAll(search, u"_"_s, options), c.text.count(search, cs))
                << search.toStdString();
        }
        read->setEncoded(QString());
        read->setEncoded(c.text);
        EXPECT_EQ(line(), writtenAsRead);
    }
}
