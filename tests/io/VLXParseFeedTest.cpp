// The whole read: feed check, status codes, notices, repairs logged on the feed, and what each
// format's reader puts into the model.

#include "io/VLXParseFeed.h"

#include "FeedReadTest.h"
#include "common/TestSupport.h"
#include "model/VLXFeed.h"
#include "model/VLXImage.h"
#include "model/VLXItems.h"
#include "model/extensionManagerChannel.h"
#include "model/extensionManagerImage.h"
#include "model/extensionManagerItem.h"
#include "platform/MemoryDefaultsStore.h"
#include "platform/ScriptedAlertService.h"
#include "platform/ScriptedStatusSink.h"
#include "settings/VLXPreferences.h"
#include "settings/categoryElement.h"
#include "xml/vlxXMLDOM.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

using VLXParseFeedRead = FeedReadTest;

TEST_F(VLXParseFeedRead, StatusCodesOfTheRead)
{
    VLXParseFeed p;
    EXPECT_EQ(p.parseFeed(QString(), u"x"_s, nullptr), 2);
    EXPECT_EQ(p.parseFeedChannelOnly(QString()), 2);
    // A root of no feed is not read: 3, or 2 when the prolog had to be added.
    EXPECT_EQ(p.parseFeed(u"<?xml version=\"1.0\"?><html version=\"2.0\"/>"_s, u"x"_s, nullptr), 3);
    EXPECT_EQ(p.parseFeed(u"<html version=\"2.0\"/>"_s, u"x"_s, nullptr), 2);
    EXPECT_TRUE(alerts->alerts().isEmpty());
    // A version no reader takes is read as RSS 2.0, and the log says what the root named.
    EXPECT_EQ(open("rss-version-200.xml"), 0);
    EXPECT_TRUE(hasRepair(feed(),
                          u"The root element <rss> names the version \"2.00\", which is "
                          u"none of 0.91 to 0.94 and 2.0: the feed was read as RSS 2.0."_s));
    // XML's names are case-sensitive: a root written "RSS" is no rss root.
    EXPECT_EQ(open("rss092-apos.xml"), 103);
    EXPECT_EQ(open("rss-no-channel.xml"), 4);
}

TEST(VLXParseFeedItems, TheItemsOfEachFormatAreCountedWhereItsReaderFindsThem)
{
    const auto count = [](const char *text) {
        const vlxXMLDOM dom(QString::fromUtf8(text));
        return VLXParseFeed::countItems(dom);
    };
    // Items of the channel; an element named item elsewhere (inside an item, in an image) is
    // no item of the feed.
    EXPECT_EQ(count("<rss version=\"2.0\"><channel><item/><ITEM></ITEM><image><item/></image>"
                    "<item><x:item xmlns:x=\"urn:x\"/></item></channel></rss>"),
              3);
    // RSS 1.0 items beside the channel, whose own list of them does not count.
    EXPECT_EQ(count("<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\" "
                    "xmlns=\"http://purl.org/rss/1.0/\"><channel><items><rdf:Seq><rdf:li/>"
                    "</rdf:Seq></items></channel><item/><item/></rdf:RDF>"),
              2);
    // Atom entries, with a prefix too.
    EXPECT_EQ(count("<a:feed xmlns:a=\"http://www.w3.org/2005/Atom\"><a:entry/><a:entry/>"
                    "<a:title/></a:feed>"),
              2);
    EXPECT_EQ(count("<!-- no root -->"), 0);
}

TEST_F(VLXParseFeedRead, AFeedOfMoreItemsThanTheLimitIsNotRead)
{
    QString text = u"<?xml version=\"1.0\"?><rss version=\"2.0\"><channel><title>t</title>"_s;
    text += u"<item/>"_s.repeated(VLXParseFeed::kMaximumItems + 1);
    text += u"</channel></rss>"_s;
    VLXParseFeed reader;
    ASSERT_EQ(reader.isItAFeed(text), 0);
    EXPECT_EQ(reader.parseFeed(text, u"base"_s, nullptr), VLXParseFeed::TooManyItems);
    EXPECT_EQ(reader.itemCount(), VLXParseFeed::kMaximumItems + 1);
    EXPECT_FALSE(reader.feed());
    // The same reader reads a feed within the limit afterwards.
    const QString small = u"<rss version=\"2.0\"><channel><item/></channel></rss>"_s;
    EXPECT_EQ(reader.parseFeed(small, u"base"_s, nullptr), 0);
    EXPECT_EQ(reader.itemCount(), 0);
    EXPECT_EQ(reader.feed()->countOfItems(), 1);
}

TEST_F(VLXParseFeedRead, DocumentsWithoutTheirRootFailInsteadOfReadingEmpty)
{
    // A root whose name differs from a feed's in letter case only holds no feed: XML's names
    // are case-sensitive, and a success here would let a later save replace the user's file
    // with an empty feed.
    EXPECT_EQ(open("rdf-wrong-case.xml"), 103);
    EXPECT_EQ(open("atom-wrong-case.xml"), 103);
    EXPECT_EQ(parser->refusal(),
              u"The document's root element is <Feed>, where a feed's root "
              u"element is <rss>, <rdf:RDF> or <feed>."_s);
    // An rss root naming RSS 0.9 (an RDF version) holds an RSS channel, and is read as 2.0.
    EXPECT_EQ(open("rss-version-09.xml"), 0);
    EXPECT_EQ(feed().title(), u"t"_s);
}

TEST_F(VLXParseFeedRead, NoticesStatusTextsAndPrologRepair)
{
    auto sink = std::make_shared<ScriptedStatusSink>();
    VLXParseFeed p;
    const QString noProlog = VLXParseFeed::stringFromXMLData(TestSupport::readData(u"feeds/rss092.xml"_s));
    EXPECT_EQ(p.isItAFeed(noProlog), 0);
    EXPECT_EQ(p.parseFeed(noProlog, u"feed.xml"_s, sink.get()), 0);
    EXPECT_EQ(sink->texts(), (QStringList { u"Loading... feed.xml"_s,
                                            u"Verifying/Repairing...   feed.xml"_s,
                                            u"Parsing...   feed.xml"_s }));
    EXPECT_TRUE(hasRepair(*p.feed(), u"Added the missing required XML header, <?xml version=\"1.0\"?>"_s));
    ASSERT_EQ(alerts->alerts().size(), 1);
    EXPECT_EQ(alerts->alerts()[0].title, u"Converting Feed"_s);
    EXPECT_EQ(alerts->alerts()[0].message,
              u"The feed is currently in RSS 0.92 format.  It will automatically be upgraded to RSS "
              u"version 2.0 format when it is saved or uploaded."_s);
    EXPECT_EQ(p.feed()->title(), u"No prolog here"_s);
    EXPECT_EQ(p.feed()->itemAtIndex(0)->enclosureAttrType(), u"audio/ogg"_s);

    alerts->clear();
    EXPECT_EQ(open("rss20.xml"), 0);
    EXPECT_TRUE(alerts->alerts().isEmpty());
}

TEST_F(VLXParseFeedRead, RepairsAreLoggedOnTheNewFeed)
{
    // The text as it stands is no well-formed XML; the repairs make it a feed, which is read.
    ASSERT_EQ(open("needs-repair.xml"), 0);
    EXPECT_EQ(feed().title(), u"Fish & Chips"_s);
    EXPECT_TRUE(hasRepair(feed(), u"Fix double encoding of the apostrophe"_s));
    EXPECT_TRUE(hasRepair(feed(), u"Removed </xml> tag that shouldn't exist"_s));
    EXPECT_TRUE(hasRepair(feed(), u"Fixed the encoding in the value of the title tag"_s));
    EXPECT_EQ(feed().errorList().count(FeedElement::makeEntry(FeedElement::kAutomaticRepair,
                                                              u"Fix double encoding of the apostrophe"_s)),
              1);
    // Long numeric references survive as characters.
    EXPECT_TRUE(feed().descriptionElement().contains(u"\U0001F600 \U0001F600"_s));
    EXPECT_TRUE(feed().descriptionElement().startsWith(u"It's 'fine' 'really'"_s));
    ASSERT_EQ(feed().countOfItems(), 1);
    EXPECT_EQ(item(0).title(), u"Kept & raw"_s);
}

TEST_F(VLXParseFeedRead, EncodingsReachTheModel)
{
    ASSERT_EQ(open("latin1.xml"), 0);
    EXPECT_EQ(feed().title(), u"Caf\u00e9 cr\u00e8me \u00bd"_s);
    ASSERT_EQ(open("windows1252.xml"), 0);
    EXPECT_EQ(feed().title(), u"\u201cQuoted\u201d \u2013 \u20ac5"_s);
    for (const char *name : { "utf16le.xml", "utf16be-bom.xml", "utf32le-bom.xml", "utf32be.xml" }) {
        ASSERT_EQ(open(name), 0) << name;
        EXPECT_EQ(feed().title(), u"\u00c5ngstr\u00f6m \U0001F600 \u6f22"_s) << name;
    }
}

TEST_F(VLXParseFeedRead, RSS20ChannelImageAndItems)
{
    ASSERT_EQ(open("rss20.xml"), 0);
    VLXFeed &f = feed();
    EXPECT_EQ(f.title(), u"Harbour Sounds & Stories"_s);
    EXPECT_EQ(f.link(), u"http://harbour.example.org/"_s);
    EXPECT_EQ(f.lastBuildDate(), u"Sat, 05 Dec 2026 11:00:00 +0000"_s);
    EXPECT_EQ(f.editor(), u"editor@harbour.example.org (Mara Quill)"_s);
    EXPECT_EQ(f.styleSheet(), u"feed.xsl"_s);
    EXPECT_EQ(f.styleSheetCSS(), u"style.css"_s);
    EXPECT_EQ(f.XMLComments(),
              (QStringList { u"top comment"_s, u"rss comment"_s, u"channel comment"_s }));
    ASSERT_EQ(f.category().size(), 2);
    EXPECT_EQ(f.category()[0].categoryDomainString(), u"http://harbour.example.org/cats"_s);
    EXPECT_EQ(f.cloudAttrRegProc(), u"pingMe"_s);
    EXPECT_EQ(f.TTL(), u"60"_s);
    // Text input: the attributes, then the children overwrite.
    EXPECT_EQ(f.textInputAttrTitle(), u"Search"_s);
    EXPECT_EQ(f.textInputAttrName(), u"query"_s);
    // skipHours 24 and -1 are ignored; " 23 " is read; skipDays are matched untrimmed.
    for (int h = 0; h < 24; ++h)
        EXPECT_EQ(f.skipHours(h), (h == 0 || h == 5 || h == 23) ? 1 : 0) << h;
    EXPECT_EQ(f.skipDays(1), 1);
    EXPECT_EQ(f.skipDays(6), 1);
    EXPECT_EQ(f.skipDays(0), 0);

    VLXImage &image = *f.image();
    EXPECT_EQ(image.URL(), u"http://harbour.example.org/art/cover.png"_s);
    EXPECT_EQ(image.oldURL(), u"http://harbour.example.org/first.png"_s);
    EXPECT_EQ(image.imageFilename(), u"cover.png"_s);
    EXPECT_EQ(image.width(), u"144"_s);
    EXPECT_EQ(image.descriptionElement(), u"Cover art"_s);
    EXPECT_EQ(image.XMLComments(), QStringList { u"image comment"_s });

    ASSERT_EQ(f.countOfItems(), 3);
    EXPECT_EQ(item(0).XMLComments(), QStringList { u"item comment"_s });
    EXPECT_EQ(item(0).descriptionElement(), u"<p>Gulls &amp; gales</p>"_s);
    EXPECT_EQ(item(0).enclosureAttrURL(), u"http://harbour.example.org/ep1.mp3"_s);
    EXPECT_EQ(item(0).enclosureAttrLength(), u"1234567"_s);
    EXPECT_EQ(item(0).GUID(), u"harbour-ep-1"_s);
    EXPECT_EQ(item(0).GUIDAttr(), 0);
    EXPECT_EQ(item(0).sourceAttr(), u"http://other.example.org/feed.xml"_s); // domain stands in
    ASSERT_EQ(item(0).category().size(), 1);
    EXPECT_EQ(item(1).title(), u"Rope & tide"_s);
    EXPECT_EQ(item(1).GUIDAttr(), 1); // no attribute: a permalink
    EXPECT_EQ(item(1).sourceAttr(), u"http://other.example.org/rss"_s);
    EXPECT_EQ(item(2).GUIDAttr(), 0); // "TRUE" is not "true"
}

TEST_F(VLXParseFeedRead, RSS20UnknownElementsKeepTheirRawExtensionEverywhere)
{
    const QString feedText = u"<?xml version=\"1.0\"?><rss version=\"2.0\"><channel><title>t</title>"
                             u"<item><title>a</title><stray>kept</stray></item><item><title>b</title></item>"
                             u"</channel></rss>"_s;
    ASSERT_EQ(read(feedText), 0);
    EXPECT_TRUE(feed().XMLExtensions()->unknownExtensionUsed());
    EXPECT_TRUE(feed().image()->XMLExtensions()->unknownExtensionUsed());
    EXPECT_TRUE(item(1).XMLExtensions()->unknownExtensionUsed());
}

// A prefix known from a feed read before, used without its declaration, is declared once for
// the whole feed: the items read after the first that uses it find it among the feed's
// namespaces, however many items stood between, and those read before it list it too.
TEST_F(VLXParseFeedRead, AKnownPrefixUsedWithoutItsDeclarationIsRepairedOnce)
{
    ASSERT_EQ(read(u"<?xml version=\"1.0\"?><rss version=\"2.0\" xmlns:foo=\"urn:example:foo\">"
                   u"<channel><title>t</title></channel></rss>"_s),
              0);
    ASSERT_EQ(read(u"<?xml version=\"1.0\"?><rss version=\"2.0\"><channel><title>t</title>"
                   u"<item><title>a</title></item><item><foo:x>1</foo:x></item><item/><item/>"
                   u"<item><foo:y>2</foo:y></item></channel></rss>"_s),
              0);
    ASSERT_EQ(feed().countOfItems(), 5);
    EXPECT_TRUE(hasRepair(item(1), u"Add missing namespace declaration (foo)"_s));
    for (const int i : {0, 4})
        EXPECT_EQ(item(i).errorList().join(u'\n').toStdString(), "");
    EXPECT_TRUE(item(0).XMLExtensions()->arrayOfExtensionNames().contains(u"foo"_s));
    EXPECT_TRUE(feed().XMLExtensions()->arrayOfExtensionNames().contains(u"foo"_s));
}

TEST_F(VLXParseFeedRead, ChannelOnlyRead)
{
    VLXParseFeed p;
    const QString rss = VLXParseFeed::stringFromXMLData(TestSupport::readData(u"feeds/rss20.xml"_s));
    EXPECT_EQ(p.parseFeedChannelOnly(rss), 0);
    EXPECT_EQ(p.feed()->title(), u"Harbour Sounds & Stories"_s);
    EXPECT_EQ(p.feed()->language(), u"en-gb"_s);
    EXPECT_EQ(p.feed()->countOfItems(), 0);
    EXPECT_TRUE(p.feed()->image()->URL().isEmpty());
    EXPECT_EQ(p.feed()->XMLComments(), QStringList { u"channel comment"_s });
    EXPECT_TRUE(alerts->alerts().isEmpty());

    const QString atom = VLXParseFeed::stringFromXMLData(TestSupport::readData(u"feeds/atom10.xml"_s));
    EXPECT_EQ(p.parseFeedChannelOnly(atom), 3);
    EXPECT_EQ(p.parseFeedChannelOnly(u"<feed xmlns=\"http://www.w3.org/2005/Atom\"/>"_s), 2);
}

TEST_F(VLXParseFeedRead, RDFReaders)
{
    ASSERT_EQ(open("rss10.xml"), 0);
    EXPECT_EQ(alerts->alerts().value(0).message.left(39), u"The feed is currently in RSS 1.0 format"_s);
    EXPECT_EQ(feed().title(), u"Meadow Notes"_s);
    EXPECT_EQ(feed().link(), u"http://meadow.example.com/"_s);
    EXPECT_EQ(feed().image()->URL(), u"http://meadow.example.com/logo.png"_s);
    EXPECT_EQ(feed().image()->title(), u"Meadow"_s);
    EXPECT_TRUE(feed().XMLComments().contains(u"rdf top comment"_s));
    ASSERT_EQ(feed().countOfItems(), 2);
    EXPECT_EQ(item(0).descriptionElement(), u"Clover in bloom"_s); // trimmed here
    EXPECT_EQ(item(0).XMLComments(), QStringList { u"rdf item comment"_s });
    EXPECT_EQ(item(1).link(), u"http://meadow.example.com/b"_s);
    // Raw XML of the walk (the channel's resource references) is dropped.
    EXPECT_FALSE(feed().XMLExtensions()->unknownExtensionUsed());

    ASSERT_EQ(open("rss090.xml"), 0);
    EXPECT_EQ(feed().title(), u"Ninety"_s);
    ASSERT_EQ(feed().countOfItems(), 1);
    EXPECT_EQ(item(0).title(), u"Ninety one"_s);
}

TEST_F(VLXParseFeedRead, Atom10)
{
    ASSERT_EQ(open("atom10.xml"), 0);
    VLXFeed &f = feed();
    EXPECT_EQ(f.title(), u"Lantern Log"_s);
    EXPECT_EQ(f.descriptionElement(), u"Notes by lamplight"_s);
    EXPECT_EQ(f.link(), u"http://lantern.example.com/"_s); // the Atom-typed self link is skipped
    // The first author lacks an e-mail; the second fills the managing editor.
    EXPECT_EQ(f.editor(), u"iris@lantern.example.com (Iris Wick)"_s);
    EXPECT_EQ(f.webMaster(), u"cal@lantern.example.com (Cal Ember)"_s);
    EXPECT_EQ(f.copyright(), u"CC BY 4.0"_s);
    EXPECT_FALSE(f.pubDate().isEmpty());
    ASSERT_EQ(f.category().size(), 1);
    EXPECT_EQ(f.category()[0].categoryString(), u"notes"_s);
    EXPECT_EQ(f.category()[0].categoryDomainString(), u"http://lantern.example.com/tags"_s);
    // The icon wins over a logo that came first; the image takes the channel title and link.
    EXPECT_EQ(f.image()->URL(), u"http://lantern.example.com/icon.png"_s);
    EXPECT_EQ(f.image()->title(), u"Lantern Log"_s);
    EXPECT_EQ(f.image()->link(), u"http://lantern.example.com/"_s);

    ASSERT_EQ(f.countOfItems(), 2);
    VLXItems &first = item(0);
    EXPECT_EQ(first.link(), u"http://lantern.example.com/1"_s);
    EXPECT_EQ(first.enclosureAttrURL(), u"http://lantern.example.com/1.mp3"_s);
    EXPECT_EQ(first.enclosureAttrLength(), u"4321"_s);
    EXPECT_EQ(first.enclosureAttrType(), u"audio/mpeg"_s);
    EXPECT_EQ(first.GUID(), u"urn:uuid:entry-1"_s);
    EXPECT_EQ(first.GUIDAttr(), 0);
    EXPECT_TRUE(first.pubDate().contains(u"02 Dec 2026"_s)) << first.pubDate().toStdString();
    EXPECT_TRUE(first.descriptionElement().startsWith(u"<div"_s));
    EXPECT_TRUE(first.descriptionElement().contains(u"<p>Full <b>text</b></p>"_s));
    EXPECT_EQ(first.author(), u"cal@lantern.example.com (Cal Ember)"_s); // contributor stands in
    EXPECT_EQ(first.source(), u"Elsewhere"_s);
    EXPECT_EQ(first.sourceAttr(), u"http://elsewhere.example.com/"_s);

    VLXItems &second = item(1);
    // An enclosure link without a type is the item's link; only "published" dates it; the
    // content came before the summary and stays.
    EXPECT_EQ(second.link(), u"http://lantern.example.com/glass"_s);
    EXPECT_TRUE(second.enclosureAttrURL().isEmpty());
    EXPECT_TRUE(second.pubDate().contains(u"20 Nov 2026"_s));
    EXPECT_EQ(second.descriptionElement(), u"<p>Glass</p>"_s);
}

TEST_F(VLXParseFeedRead, Atom03)
{
    ASSERT_EQ(open("atom03.xml"), 0);
    EXPECT_EQ(alerts->alerts().value(0).message.left(40), u"The feed is currently in Atom 0.3 format"_s);
    VLXFeed &f = feed();
    EXPECT_EQ(f.title(), u"Old Atom"_s);
    EXPECT_EQ(f.descriptionElement(), u"  Tagline kept  "_s);
    EXPECT_EQ(f.copyright(), u"Copyright Old Atom"_s);
    // No feed author: the contributor's e-mail is the managing editor.
    EXPECT_EQ(f.editor(), u"helper@oldatom.example.com"_s);
    ASSERT_EQ(f.countOfItems(), 2);
    EXPECT_EQ(item(0).author(), u"writer@oldatom.example.com"_s);
    EXPECT_TRUE(item(0).pubDate().contains(u"03 Sep 2026"_s)); // issued first
    EXPECT_EQ(item(0).descriptionElement(), u"Sum one"_s); // content is not the description
    EXPECT_EQ(item(0).GUID(), u"tag:oldatom.example.com,2026:1"_s);
    EXPECT_EQ(item(1).author(), u"contrib@oldatom.example.com"_s);
    EXPECT_TRUE(item(1).pubDate().contains(u"05 Sep 2026"_s)); // modified before created
    // Unmapped Atom elements are dropped, not kept as raw XML.
    EXPECT_FALSE(item(0).XMLExtensions()->unknownExtensionUsed());
}

TEST_F(VLXParseFeedRead, RSS20WhatIsNotRead)
{
    const QString feedText =
        u"<?xml version=\"1.0\"?><rss version=\"2.0\"><item><title>outside</title></item>"
        u"<channel><title>t</title><generator>gen</generator>"
        u"<textInput title=\"T\" description=\"D\" name=\"N\" link=\" http://x.example/ \"/>"
        u"<skipHours><hour>1</hour>\n<hour>2</hour></skipHours></channel></rss>"_s;
    ASSERT_EQ(read(feedText), 0);
    EXPECT_EQ(feed().countOfItems(), 0);
    EXPECT_EQ(feed().textInputAttrDescription(), u"D"_s);
    EXPECT_EQ(feed().textInputAttrLink(), u"http://x.example/"_s);
    // Hours one per line: the line break between them is white space, not an hour 0.
    EXPECT_EQ(feed().skipHours(0), 0);
    EXPECT_EQ(feed().skipHours(1), 1);
    EXPECT_EQ(feed().skipHours(2), 1);
}

TEST_F(VLXParseFeedRead, RDFTwoChannelsAndATextInputBesideThem)
{
    const QString feedText =
        u"<?xml version=\"1.0\"?><rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\" "
        u"xmlns=\"http://purl.org/rss/1.0/\"><channel><title>first</title><link>http://a/</link></channel>"
        u"<textinput><title>search</title></textinput>"
        u"<channel><title>second</title></channel></rdf:RDF>"_s;
    ASSERT_EQ(read(feedText), 0);
    EXPECT_EQ(feed().title(), u"second"_s);
    EXPECT_EQ(feed().link(), u"http://a/"_s);
    EXPECT_TRUE(feed().textInputAttrTitle().isEmpty());
}

TEST_F(VLXParseFeedRead, AtomLinksAndPersonsInDocumentOrder)
{
    const QString feedText =
        u"<?xml version=\"1.0\"?><feed xmlns=\"http://www.w3.org/2005/Atom\">"
        u"<link rel=\"alternate\" type=\"text/html\" href=\"http://page/\"/><link rel=\"self\" href=\"http://self/\"/>"
        u"<logo>http://logo/</logo>"
        u"<entry><author><name>A</name><email>a@x</email></author>"
        u"<contributor><name>C</name><email>c@x</email></contributor>"
        u"<summary>sum</summary><content>body</content></entry></feed>"_s;
    ASSERT_EQ(read(feedText), 0);
    // A later link without a type replaces the alternate one; a logo alone is the image.
    EXPECT_EQ(feed().link(), u"http://self/"_s);
    EXPECT_EQ(feed().image()->URL(), u"http://logo/"_s);
    ASSERT_EQ(feed().countOfItems(), 1);
    EXPECT_EQ(item(0).author(), u"a@x (A)"_s);
    EXPECT_EQ(item(0).descriptionElement(), u"body"_s);
}

TEST_F(VLXParseFeedRead, AnAtomEntryIsDatedByItsUpdatedDateWhereverItStands)
{
    const QString updated = u"<updated>2026-12-02T10:00:00Z</updated>"_s;
    const QString published = u"<published>2026-11-20T10:00:00Z</published>"_s;
    for (const QString &dates : {updated + published, published + updated, published}) {
        SCOPED_TRACE(dates.toStdString());
        ASSERT_EQ(read(u"<?xml version=\"1.0\"?><feed xmlns=\"http://www.w3.org/2005/Atom\">"
                       u"<entry><title>t</title>%1</entry></feed>"_s.arg(dates)),
                  0);
        ASSERT_EQ(feed().countOfItems(), 1);
        EXPECT_TRUE(item(0).pubDate().contains(dates.contains(u"updated"_s) ? u"02 Dec 2026"_s
                                                                            : u"20 Nov 2026"_s))
            << item(0).pubDate().toStdString();
    }
}

TEST_F(VLXParseFeedRead, Atom03ContributorWithOnlyAName)
{
    // The contributor's e-mail, else its name: never the names of its child elements.
    const QString feedText =
        u"<?xml version=\"1.0\"?><feed version=\"0.3\" xmlns=\"http://purl.org/atom/ns#\">"
        u"<contributor>\n  <name>Only Name</name>\n</contributor>"
        u"<entry><contributor><name>N</name><email> n@x </email></contributor></entry></feed>"_s;
    ASSERT_EQ(read(feedText), 0);
    EXPECT_EQ(feed().editor(), u"Only Name"_s);
    ASSERT_EQ(feed().countOfItems(), 1);
    EXPECT_EQ(item(0).author(), u"n@x"_s);
    EXPECT_TRUE(item(0).pubDate().isEmpty());
}

TEST_F(VLXParseFeedRead, EveryRSSVersionGoesToItsReader)
{
    ASSERT_EQ(open("rss091.xml"), 0);
    EXPECT_EQ(feed().title(), u"Old Style News"_s);
    EXPECT_EQ(feed().countOfItems(), 1);
    for (const QString &version : { u"0.93"_s, u"0.94"_s }) {
        alerts->clear();
        ASSERT_EQ(read(u"<?xml version=\"1.0\"?><rss version=\"%1\"><channel><title>v%1</title>"
                       u"<item><title>i</title></item></channel></rss>"_s.arg(version)),
                  0);
        EXPECT_EQ(feed().title(), u"v"_s + version);
        EXPECT_TRUE(alerts->alerts().value(0).message.startsWith(
            u"The feed is currently in RSS %1 format."_s.arg(version)));
    }
}
