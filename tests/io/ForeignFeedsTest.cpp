// Feeds as other programs write them: RSS 1.0 under prefixes, extension elements pointing at
// resources with RDF attributes, namespaces declared below the root, Atom text constructs with
// markup, HTML with references that browsers read their own way. Each must read into the right
// model values, and what is written from it must be XML every namespace-aware reader accepts.

#include "FeedReadTest.h"
#include "common/StrictXML.h"
#include "extensions/FieldExtensionBase.h"
#include "extensions/dc/DublinCoreRows.h"
#include "extensions/itunes/iTunesChannel.h"
#include "model/VLXImage.h"
#include "model/extensionManagerChannel.h"
#include "model/extensionManagerItem.h"
#include "xml/vlxXMLDOM.h"

using namespace Qt::StringLiterals;

namespace {

const QString kRDF = u"http://www.w3.org/1999/02/22-rdf-syntax-ns#"_s;

class ForeignFeeds : public FeedReadTest
{
protected:
    // Reads the file, expecting success, and checks what the writer makes of it.
    void openWritable(const char *name)
    {
        ASSERT_EQ(open(name), 0);
        EXPECT_EQ(StrictXML::problem(feed().buildXML().toUtf8()).toStdString(), "");
    }
    static QString listedXML(const baseExtensionManager &manager, const QString &name)
    {
        for (const auto &listed : manager.notWellSupportedArray()) {
            if (listed->extensionName() == name)
                return listed->rawXML();
        }
        return u"(none)"_s;
    }
};

} // namespace

TEST_F(ForeignFeeds, RSS10ElementsAreReadByTheirNamespaceUnderAnyPrefix)
{
    openWritable("rss10-prefixed.xml");
    EXPECT_EQ(feed().title(), u"Prefixed channel"_s);
    EXPECT_EQ(feed().link(), u"http://example.com/prefixed/"_s);
    EXPECT_EQ(feed().descriptionElement(), u"Every RSS 1.0 element carries a prefix"_s);
    EXPECT_EQ(feed().image()->URL(), u"http://example.com/prefixed/logo.png"_s);
    EXPECT_EQ(feed().image()->title(), u"Prefixed logo"_s);
    ASSERT_EQ(feed().countOfItems(), 2);
    EXPECT_EQ(item(0).title(), u"First prefixed item"_s);
    EXPECT_EQ(item(0).link(), u"http://example.com/prefixed/1"_s);
    EXPECT_EQ(item(0).descriptionElement(), u"One"_s);
    EXPECT_EQ(item(0).pubDate(), u"Wed, 01 May 2024 10:00:00 +0000"_s); // from dc:date
    EXPECT_EQ(item(1).title(), u"Second prefixed item"_s);
    // The rss and rdf prefixes stand for the formats, not for extensions: the references left
    // under them (the channel's image reference) go as their unprefixed twins do.
    EXPECT_EQ(feed().XMLExtensions()->namespaceDelecrations(),
              u"xmlns:dc=\"http://purl.org/dc/elements/1.1/\""_s);
    EXPECT_TRUE(feed().XMLExtensions()->notWellSupportedArray().isEmpty());
    EXPECT_FALSE(feed().XMLExtensions()->unknownExtensionUsed());

    // The root under another prefix of the RDF namespace reads too.
    EXPECT_EQ(read(u"<?xml version=\"1.0\"?><RDF:RDF xmlns:RDF=\"%1\" "
                   u"xmlns=\"http://purl.org/rss/1.0/\"><channel><title>t</title></channel>"
                   u"</RDF:RDF>"_s.arg(kRDF)),
              0);
    EXPECT_EQ(feed().title(), u"t"_s);
}

TEST_F(ForeignFeeds, DocumentsWithoutAChannelAreRefusedNeverReadEmpty)
{
    const QString rdf = u"<?xml version=\"1.0\"?><rdf:RDF xmlns:rdf=\"%1\" %2>%3</rdf:RDF>"_s;
    // Items without a channel.
    EXPECT_EQ(read(rdf.arg(kRDF, u"xmlns=\"http://purl.org/rss/1.0/\""_s,
                           u"<item><title>i</title></item>"_s)),
              4);
    // A channel under a prefix that stands for another namespace is no channel.
    EXPECT_EQ(read(rdf.arg(kRDF, u"xmlns:x=\"urn:other\""_s,
                           u"<x:channel><x:title>t</x:title></x:channel>"_s)),
              4);
    // An rss root under a prefix bound to nothing is not the rss root.
    EXPECT_EQ(read(u"<?xml version=\"1.0\"?><rss:rss version=\"2.0\"><rss:channel><rss:title>t"
                   u"</rss:title></rss:channel></rss:rss>"_s),
              103);
}

TEST_F(ForeignFeeds, KeptXMLCarriesTheNamespacesItUses)
{
    openWritable("rss10-rdf-attributes.xml");
    const QString rdf = u"xmlns:rdf=\"%1\""_s.arg(kRDF);
    EXPECT_EQ(listedXML(*feed().XMLExtensions(), u"admin"_s),
              u"<admin:generatorAgent %1 rdf:resource=\"http://example.com/generator/\"/>"
              u"<admin:errorReportsTo %1 rdf:resource=\"mailto:x@example.com\"/>"_s.arg(rdf));
    ASSERT_EQ(feed().countOfItems(), 1);
    // A Dublin Core subject given as an RDF bag keeps the texts of its entries, written as the
    // element's text without the RDF markup.
    const QString subject
        = FieldExtensionBase::from(item(0).XMLExtensions()->dublinCoreExtension().get())
              ->text(DublinCoreRows::kSubject);
    EXPECT_EQ(subject, u"feeds, namespaces"_s);
    EXPECT_TRUE(feed().buildXML().contains(u"<dc:subject>%1</dc:subject>"_s.arg(subject)));

    // Declared on the channel or the item instead of the root, or declared nowhere.
    openWritable("rss20-scoped-namespaces.xml");
    EXPECT_EQ(feed().XMLExtensions()->unknownExtension()->rawXML(),
              u"<foaf:maker xmlns:foaf=\"http://xmlns.com/foaf/0.1/\">\n"
              u"    <foaf:Person foaf:name=\"Ann\"/>\n</foaf:maker>"_s);
    ASSERT_EQ(feed().countOfItems(), 1);
    const extensionManagerItem &extensions = *item(0).XMLExtensions();
    EXPECT_EQ(extensions.unknownExtension()->rawXML(),
              u"<itm:rating xmlns:itm=\"http://example.com/ns/item\" itm:scale=\"5\">4</itm:rating>"
              u"<note>kept</note>"_s);
    EXPECT_EQ(extensions.unknownExtension()->errorList(),
              QStringList {u"Automatic Repair::Removed the attribute nowhere:kind from the kept "
                           u"XML: its namespace prefix is declared nowhere in the feed"_s});
    EXPECT_EQ(listedXML(extensions, u"geo"_s),
              u"<geo:point>\n    <geo:lat>52.5</geo:lat>\n</geo:point>"_s);
    EXPECT_EQ(extensions.parseXMLRepairCount(), 2); // <nowhere:long> is gone as well
}

TEST_F(ForeignFeeds, AtomTextWithMarkupKeepsItsTextOrItsMarkup)
{
    openWritable("atom10-xhtml-text.xml");
    // Titles: the text, markup removed, white space collapsed.
    EXPECT_EQ(feed().title(), u"Example Atom feed"_s);
    // Description-like fields: the markup inside the XHTML div.
    EXPECT_EQ(feed().descriptionElement(), u"A <em>subtitle</em> with markup"_s);
    EXPECT_EQ(feed().copyright(), u"© 2024 <a href=\"http://example.com/\">Example</a>"_s);
    // An alternate link to an XHTML page is the page link, for the feed and its entries.
    EXPECT_EQ(feed().link(), u"http://example.com/xhtml/"_s);
    ASSERT_EQ(feed().countOfItems(), 2);
    EXPECT_EQ(item(0).title(), u"Entry with XHTML title"_s);
    EXPECT_EQ(item(0).link(), u"http://example.com/xhtml/1"_s);
    EXPECT_EQ(item(0).descriptionElement(), u"<p>Summary <strong>with</strong> markup</p>"_s);
    EXPECT_EQ(item(1).title(), u"Inline markup in a title"_s);
    EXPECT_EQ(item(1).descriptionElement(), u"Inline <b>bold</b> text"_s);

    openWritable("atom03-modes.xml");
    EXPECT_EQ(feed().title(), u"Base64 feed title"_s);
    EXPECT_EQ(feed().descriptionElement(), u"An <em>escaped</em> tagline"_s);
    ASSERT_EQ(feed().countOfItems(), 3);
    EXPECT_EQ(item(0).title(), u"Échelle – base64"_s);
    EXPECT_EQ(item(0).descriptionElement(), u"<p>Base64 <b>summary</b></p>"_s);
    EXPECT_EQ(item(1).title(), u"Inline XML title"_s);
    EXPECT_EQ(item(1).descriptionElement(), u"Escaped <i>summary</i>"_s);
    EXPECT_EQ(item(2).descriptionElement(), u"<p>An <i>XML</i> summary</p>"_s);
}

TEST_F(ForeignFeeds, NumericReferencesReadAsBrowsersReadThem)
{
    openWritable("html-references.xml");
    // 128 to 159 are the windows-1252 characters, in the XML and when escaped once more.
    EXPECT_EQ(feed().title(), u"It’s €5 – references"_s);
    ASSERT_EQ(feed().countOfItems(), 2);
    EXPECT_EQ(item(0).title(), u"Don’t panic"_s);
    EXPECT_EQ(item(1).title(), u"Escaped twice: ’"_s);
    // In HTML a reference to a markup character is that character as text: it stays.
    EXPECT_EQ(feed().descriptionElement(), u"Prices in € &#38;lt; 10"_s);
    EXPECT_EQ(item(0).descriptionElement(),
              u"<p>It’s €5, and 4 &#38;lt; 5 &#38;amp; &#60;b&#62;</p>"_s);
    EXPECT_EQ(item(1).descriptionElement(), u"<p>Café – &#38;lt;tag&#38;gt;</p>"_s);
}

TEST_F(ForeignFeeds, MarkupAroundWordsReadsAsTheSameMarkupEscaped)
{
    // Markup in a text field reads as it does escaped (as titles come): kept as text, or
    // stripped where the field strips HTML. What is written of it reads the same again.
    const QString rss = uR"(<?xml version="1.0"?>
<rss version="2.0" xmlns:itunes="http://www.itunes.com/dtds/podcast-1.0.dtd"
 xmlns:dc="http://purl.org/dc/elements/1.1/"><channel><title>T</title><category>%1</category>
<itunes:subtitle>%3</itunes:subtitle><dc:creator>%2</dc:creator><item><title>i</title>
<author>host@example.org (%2)</author><dc:subject>%1</dc:subject></item></channel></rss>)"_s;
    const auto values = [this] {
        const auto text = [](const auto &extension, int field) {
            return FieldExtensionBase::from(extension.get())->text(field);
        };
        const extensionManagerChannel &channel = *feed().XMLExtensions();
        return QStringList {
            feed().category().value(0).categoryString(),
            text(channel.iTunesExtension(), iTunesChannel::kSubtitle),
            text(channel.dublinCoreExtension(), DublinCoreRows::kCreator), item(0).author(),
            text(item(0).XMLExtensions()->dublinCoreExtension(), DublinCoreRows::kSubject)};
    };
    const QString food = u"Food <b>and</b> drink"_s, dana = u"Dana <b>Baker</b>"_s;
    const QStringList expected
        = {food, u"Recipes and stories"_s, dana, u"host@example.org (%1)"_s.arg(dana), food};
    for (const bool escaped : {false, true}) {
        QStringList form = {food, dana, u"Recipes <i>and</i> stories"_s};
        for (QString &text : form)
            if (escaped)
                text.replace(u'<', u"&lt;"_s).replace(u'>', u"&gt;"_s);
        ASSERT_EQ(read(rss.arg(form[0], form[1], form[2])), 0);
        EXPECT_EQ(values(), expected) << escaped;
        EXPECT_TRUE(hasRepair(*feed().XMLExtensions()->iTunesExtension(),
                              u"Removed illegal HTML from the iTunes tag itunes:subtitle"_s));
        ASSERT_EQ(read(feed().buildXML()), 0);
        EXPECT_EQ(values(), expected) << escaped;
    }
}

TEST_F(ForeignFeeds, WhatTheDocumentEscapedInsideMarkupStaysEscaped)
{
    // A field read from child markup holds the content as written: text the document escaped in
    // it stays escaped, so no reader that shows the field as HTML meets markup the document
    // showed as text. The same markup written escaped reads the same; a field that strips HTML
    // keeps the words and the text of the markup.
    const QString rss = uR"(<?xml version="1.0"?>
<rss version="2.0" xmlns:itunes="http://www.itunes.com/dtds/podcast-1.0.dtd"
 xmlns:media="http://search.yahoo.com/mrss/"><channel><title>%1</title><link>https://example.org/</link>
<description>d</description><itunes:subtitle>%3</itunes:subtitle><itunes:summary>%4</itunes:summary>
<item><title>i</title><description>%2</description><media:description>%5</media:description>
</item></channel></rss>)"_s;
    const struct
    {
        const char *element; // where the saved feed holds the field
        QString markup; // as child elements in the document
        QString read; // the field's text
        // Whether it reads the same once saved and opened again. A field that strips HTML reads
        // the references in its text as HTML on every read ("a &lt; b" becomes "a < b").
        bool readAgain = true;
    } fields[] = {
        {"title", u"Tom <b>&amp;</b> Jerry &lt;3"_s, u"Tom <b>&amp;</b> Jerry &lt;3"_s},
        {"item/description", u"<p>&lt;script&gt;alert(1)&lt;/script&gt;</p>"_s,
         u"<p>&lt;script&gt;alert(1)&lt;/script&gt;</p>"_s},
        {"itunes:subtitle", u"<i>&lt;img src=x onerror=alert(1)&gt;</i>"_s,
         u"<img src=x onerror=alert(1)>"_s},
        {"itunes:summary", u"Use <code>a &amp;lt; b</code> and <b>bold words</b>"_s,
         u"Use a &lt; b and bold words"_s, false},
        {"media:description", u"<p>&lt;b&gt;x&lt;/b&gt; <a href=\"?a=1&amp;b=2\">y</a></p>"_s,
         u"<p>&lt;b&gt;x&lt;/b&gt; <a href=\"?a=1&amp;b=2\">y</a></p>"_s},
    };
    // The field's text in a saved feed: the first element of that name in document order
    // ("item/…": inside the item).
    const auto savedText = [](const QString &xml, QString path) {
        vlxXMLDOM dom(xml);
        const auto find = [](const vlxXMLNode *node, const QString &name, auto &&self)
            -> const vlxXMLNode * {
            for (int i = 0; i < vlxXMLDOM::numberOfChildren(node); ++i) {
                const vlxXMLNode *child = vlxXMLDOM::nodeAtIndex(i, node);
                if (vlxXMLDOM::nameOfNode(child) == name)
                    return child;
                if (const vlxXMLNode *inside = self(child, name, self))
                    return inside;
            }
            return nullptr;
        };
        const vlxXMLNode *from = dom.xmlTree();
        if (path.startsWith(u"item/")) {
            from = find(from, u"item"_s, find);
            path = path.sliced(5);
        }
        const vlxXMLNode *element = find(from, path, find);
        return element ? vlxXMLDOM::getElementValue(element) : u"(missing)"_s;
    };
    for (const bool escaped : {false, true}) {
        SCOPED_TRACE(escaped ? "escaped markup" : "child markup");
        QStringList values;
        for (const auto &field : fields) {
            QString value = field.markup;
            if (escaped)
                value.replace(u'&', u"&amp;"_s).replace(u'<', u"&lt;"_s).replace(u'>', u"&gt;"_s);
            values.append(value);
        }
        ASSERT_EQ(read(rss.arg(values[0], values[1], values[2], values[3], values[4])), 0);
        const QString saved = feed().buildXML();
        ASSERT_EQ(read(saved), 0);
        const QString again = feed().buildXML();
        for (const auto &field : fields) {
            SCOPED_TRACE(field.element);
            EXPECT_EQ(savedText(saved, QLatin1String(field.element)), field.read);
            if (field.readAgain) {
                EXPECT_EQ(savedText(again, QLatin1String(field.element)), field.read);
            }
        }
    }
}
