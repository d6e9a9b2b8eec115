// Text a feed's author wrote as text stays text when it becomes an RSS 2.0 description, which
// readers render as HTML; markup the author wrote as HTML or XHTML stays markup, and text inside
// that markup stays text. Each source is read, saved, and read again, and each description is
// read as a browser reads HTML.

#include "FeedReadTest.h"
#include "common/HTMLReading.h"
#include "common/StrictXML.h"
#include "io/VLXExportTemplate.h"
#include "model/ExtensionTexts.h"
#include "model/VLXImage.h"
#include "model/extensionManagerChannel.h"
#include "model/extensionManagerItem.h"
#include "resources/TemplateResources.h"

#include <QFile>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace {

const QString kAtom10 = u"<?xml version=\"1.0\"?><feed xmlns=\"http://www.w3.org/2005/Atom\">"
                        u"<title>T</title>%1</feed>"_s;
const QString kAtom03 = u"<?xml version=\"1.0\"?><feed version=\"0.3\" "
                        u"xmlns=\"http://purl.org/atom/ns#\"><title>T</title>%1</feed>"_s;
const QString kRSS = u"<?xml version=\"1.0\"?><rss version=\"2.0\" "
                     u"xmlns:itunes=\"http://www.itunes.com/dtds/podcast-1.0.dtd\" "
                     u"xmlns:dc=\"http://purl.org/dc/elements/1.1/\" "
                     u"xmlns:content=\"http://purl.org/rss/1.0/modules/content/\"><channel>"
                     u"<title>T</title><link>https://e.org/</link>%1</channel></rss>"_s;

// Written as text by each source: what the description must show.
const QString kScript = u"a <script>alert(1)</script> & b"_s;
const QString kEscapedScript = u"a &lt;script&gt;alert(1)&lt;/script&gt; &amp; b"_s;
// Written as HTML by each source: markup with text that stays text inside it.
const QString kHTMLShown = u"Real markup & <tag>"_s;
const QString kEscapedHTML = u"&lt;em&gt;Real markup&lt;/em&gt; &amp;amp; &amp;lt;tag&amp;gt;"_s;

class TextKinds : public FeedReadTest
{
protected:
    // The description of the channel, or of the first item.
    QString description(bool channel)
    {
        if (channel)
            return feed().descriptionElement();
        EXPECT_GE(feed().countOfItems(), 1);
        return feed().countOfItems() > 0 ? item(0).descriptionElement() : QString();
    }
};

} // namespace

TEST_F(TextKinds, ADescriptionShowsTheTextOfATextSourceAndKeepsTheMarkupOfAnHTMLSource)
{
    const QString entry = u"<entry><title>e</title>%1</entry>"_s;
    const QString item = u"<item><title>i</title>%1</item>"_s;
    const QString summary = u"<summary>%1</summary>"_s.arg(kEscapedScript);
    const QString blankXHTML = u"<content type=\"xhtml\"><div xmlns=\"http://www.w3.org/1999/"
                               u"xhtml\"> <!-- draft --> </div></content>"_s;
    const struct
    {
        const char *source;
        QString feed;
        bool channel;
        QString shows;
        const char *elements; // what a browser builds of the description, in document order
    } cases[] = {
        // Atom 1.0 text constructs: typed text, untyped (Atom's default), a text media type.
        {"summary type text",
         kAtom10.arg(entry.arg(u"<summary type=\"text\">%1</summary>"_s.arg(kEscapedScript))),
         false, kScript, ""},
        {"summary without type",
         kAtom10.arg(entry.arg(u"<summary>%1</summary>"_s.arg(kEscapedScript))), false, kScript,
         ""},
        {"summary type html",
         kAtom10.arg(entry.arg(u"<summary type=\"html\">%1</summary>"_s.arg(kEscapedHTML))), false,
         kHTMLShown, "em"},
        {"content type text",
         kAtom10.arg(entry.arg(u"<content type=\"text\">%1</content>"_s.arg(kEscapedScript))),
         false, kScript, ""},
        {"content without type",
         kAtom10.arg(entry.arg(u"<content>%1</content>"_s.arg(kEscapedScript))), false, kScript,
         ""},
        {"content type text/plain",
         kAtom10.arg(entry.arg(u"<content type=\"text/plain\">%1</content>"_s.arg(kEscapedScript))),
         false, kScript, ""},
        {"content type html",
         kAtom10.arg(entry.arg(u"<content type=\"html\">%1</content>"_s.arg(kEscapedHTML))), false,
         kHTMLShown, "em"},
        // A media type is read in any letter case and without its parameters.
        {"content type Text/HTML",
         kAtom10.arg(entry.arg(u"<content type=\"Text/HTML\">%1</content>"_s.arg(kEscapedHTML))),
         false, kHTMLShown, "em"},
        {"content type text/html with charset",
         kAtom10.arg(entry.arg(
             u"<content type=\"text/html; charset=utf-8\">%1</content>"_s.arg(kEscapedHTML))),
         false, kHTMLShown, "em"},
        // Content that gives no text (by address, whatever it holds, or nothing but blanks and
        // comments) leaves the summary the entry's text, before or after it.
        {"summary after content by address",
         kAtom10.arg(entry.arg(u"<content type=\"text/html\" src=\"https://e.org/1\">see the "
                               u"page</content><summary>%1</summary>"_s.arg(kEscapedScript))),
         false, kScript, ""},
        {"summary before content by address",
         kAtom10.arg(entry.arg(summary + u"<content src=\"https://e.org/1\">see it</content>"_s)),
         false, kScript, ""},
        {"summary before empty content",
         kAtom10.arg(entry.arg(
             u"<summary>%1</summary><content type=\"html\"> </content>"_s.arg(kEscapedScript))),
         false, kScript, ""},
        {"summary after blank content",
         kAtom10.arg(entry.arg(u"<content type=\"html\">  \n </content>"_s + summary)), false,
         kScript, ""},
        {"summary after xhtml content of blanks and a comment",
         kAtom10.arg(entry.arg(blankXHTML + summary)), false, kScript, ""},
        {"summary before xhtml content of blanks and a comment",
         kAtom10.arg(entry.arg(summary + blankXHTML)), false, kScript, ""},
        {"xhtml content holding only an element, after a summary",
         kAtom10.arg(entry.arg(summary
                               + u"<content type=\"xhtml\"><div xmlns=\"http://www.w3.org/"
                                 u"1999/xhtml\"><hr/></div></content>"_s)),
         false, u""_s, "div hr"},
        // Without a summary, what content by address holds is the only text the entry has.
        {"content by address without summary",
         kAtom10.arg(
             entry.arg(u"<content src=\"https://e.org/1\">%1</content>"_s.arg(kEscapedScript))),
         false, kScript, ""},
        // Comments and instructions are no text, and a comment's content never becomes HTML.
        {"summary type text with comment and instruction",
         kAtom10.arg(entry.arg(u"<summary type=\"text\">visible<!-- hidden &lt;b&gt;note --> and "
                               u"<?pi hidden?>shown</summary>"_s)),
         false, u"visible and shown"_s, ""},
        {"summary type html with comment",
         kAtom10.arg(entry.arg(u"<summary type=\"html\">%1<!--<script>alert(1)</script>-->"
                               u"</summary>"_s.arg(kEscapedHTML))),
         false, kHTMLShown, "em"},
        {"summary type html wholly a comment",
         kAtom10.arg(entry.arg(u"<summary type=\"html\"><!--<img src=x onerror=alert(1)>-->"
                               u"</summary>"_s)),
         false, u""_s, ""},
        {"subtitle type text",
         kAtom10.arg(u"<subtitle type=\"text\">%1</subtitle>"_s.arg(kEscapedScript)), true, kScript,
         ""},
        {"subtitle without type", kAtom10.arg(u"<subtitle>%1</subtitle>"_s.arg(kEscapedScript)),
         true, kScript, ""},
        {"subtitle type html",
         kAtom10.arg(u"<subtitle type=\"html\">%1</subtitle>"_s.arg(kEscapedHTML)), true,
         kHTMLShown, "em"},
        // Text in a CDATA section is text as much as escaped text is.
        {"text in CDATA",
         kAtom10.arg(entry.arg(u"<summary type=\"text\"><![CDATA[%1]]></summary>"_s.arg(kScript))),
         false, kScript, ""},
        {"html in CDATA",
         kAtom10.arg(
             entry.arg(u"<content type=\"html\"><![CDATA[<em>Real markup</em> &amp; &lt;tag&gt;]]>"
                       u"</content>"_s)),
         false, kHTMLShown, "em"},
        // XHTML: its markup stays markup, its text (a CDATA section, what the document escaped)
        // stays text.
        {"content type xhtml",
         kAtom10.arg(entry.arg(
             u"<content type=\"xhtml\"><div xmlns=\"http://www.w3.org/1999/xhtml\"><p><![CDATA["
             u"<img src=x onerror=alert(1)><script>alert(2)</script>]]> and <b>bold</b> "
             u"&amp;lt;kept&amp;gt;</p></div></content>"_s)),
         false, u"<img src=x onerror=alert(1)><script>alert(2)</script> and bold &lt;kept&gt;"_s,
         "div p b"},
        // HTML closes a comment that begins with ">" or "->" at once, and reads an instruction
        // as a comment that ends at its first ">": what an author hid in them stays hidden.
        {"xhtml comments that HTML would close early",
         kAtom10.arg(
             entry.arg(u"<content type=\"xhtml\"><div xmlns=\"http://www.w3.org/1999/xhtml\"><p>a"
                       u"<!--><img src=x onerror=alert(1)>--> b<!---><script>alert(2)</script>--> c"
                       u"<?x a><img src=x onerror=alert(3)>?></p></div></content>"_s)),
         false, u"a b c"_s, "div p"},
        {"summary type xhtml",
         kAtom10.arg(
             entry.arg(u"<summary type=\"xhtml\"><div xmlns=\"http://www.w3.org/1999/xhtml\">x "
                       u"<![CDATA[<script>y</script>]]> <i>z</i></div></summary>"_s)),
         false, u"x <script>y</script> z"_s, "i"},
        // Atom 0.3: text/plain is the default type, xml the default mode.
        {"0.3 tagline text/plain",
         kAtom03.arg(u"<tagline type=\"text/plain\">%1</tagline>"_s.arg(kEscapedScript)), true,
         kScript, ""},
        {"0.3 tagline without type", kAtom03.arg(u"<tagline>%1</tagline>"_s.arg(kEscapedScript)),
         true, kScript, ""},
        {"0.3 tagline escaped html",
         kAtom03.arg(
             u"<tagline type=\"text/html\" mode=\"escaped\">%1</tagline>"_s.arg(kEscapedHTML)),
         true, kHTMLShown, "em"},
        {"0.3 summary mode xml",
         kAtom03.arg(entry.arg(
             u"<summary type=\"text/plain\" mode=\"xml\">%1</summary>"_s.arg(kEscapedScript))),
         false, kScript, ""},
        {"0.3 summary without type",
         kAtom03.arg(entry.arg(u"<summary>%1</summary>"_s.arg(kEscapedScript))), false, kScript,
         ""},
        {"0.3 summary escaped text/plain",
         kAtom03.arg(entry.arg(
             u"<summary type=\"text/plain\" mode=\"escaped\">%1</summary>"_s.arg(kEscapedScript))),
         false, kScript, ""},
        {"0.3 summary escaped html",
         kAtom03.arg(entry.arg(
             u"<summary type=\"text/html\" mode=\"escaped\">%1</summary>"_s.arg(kEscapedHTML))),
         false, kHTMLShown, "em"},
        // Without a mode, an HTML type holding no element is its markup escaped; an XML type,
        // or HTML in mode xml, holding none is text.
        {"0.3 summary text/html without mode",
         kAtom03.arg(entry.arg(u"<summary type=\"text/html\">%1</summary>"_s.arg(kEscapedHTML))),
         false, kHTMLShown, "em"},
        {"0.3 summary xhtml without mode or element",
         kAtom03.arg(entry.arg(u"<summary type=\"application/xhtml+xml\">&lt;img src=x "
                               u"onerror=alert(1)&gt; is how an img tag looks</summary>"_s)),
         false, u"<img src=x onerror=alert(1)> is how an img tag looks"_s, ""},
        {"0.3 summary svg without mode or element",
         kAtom03.arg(
             entry.arg(u"<summary type=\"image/svg+xml\">&lt;svg onload=alert(1)&gt;</summary>"_s)),
         false, u"<svg onload=alert(1)>"_s, ""},
        {"0.3 summary text/xml without mode or element",
         kAtom03.arg(entry.arg(u"<summary type=\"text/xml\">%1</summary>"_s.arg(kEscapedScript))),
         false, kScript, ""},
        {"0.3 summary text/html in mode xml without element",
         kAtom03.arg(entry.arg(
             u"<summary type=\"text/html\" mode=\"xml\">%1</summary>"_s.arg(kEscapedScript))),
         false, kScript, ""},
        {"0.3 summary text/html without mode, with elements",
         kAtom03.arg(
             entry.arg(u"<summary type=\"text/html\"><div xmlns=\"http://www.w3.org/1999/xhtml\">"
                       u"<em>Real markup</em> &amp; &lt;tag&gt;</div></summary>"_s)),
         false, kHTMLShown, "em"},
        {"0.3 summary base64 text/plain",
         kAtom03.arg(entry.arg(u"<summary type=\"text/plain\" mode=\"base64\">%1</summary>"_s.arg(
             QString::fromLatin1(QByteArray("a <b>x</b> & y").toBase64())))),
         false, u"a <b>x</b> & y"_s, ""},
        {"0.3 summary xhtml",
         kAtom03.arg(entry.arg(
             u"<summary type=\"application/xhtml+xml\" mode=\"xml\"><div "
             u"xmlns=\"http://www.w3.org/1999/xhtml\"><p><![CDATA[<script>y</script>]]></p>"
             u"</div></summary>"_s)),
         false, u"<script>y</script>"_s, "p"},
        // A blank description filled after reading: from the iTunes summary (text, its markup
        // stripped), or from the encoded content (HTML).
        {"item itunes:summary",
         kRSS.arg(
             item.arg(u"<itunes:summary><![CDATA[<p>We talk about the &lt;video&gt; element and "
                      u"&lt;script&gt;alert(1)&lt;/script&gt;</p>]]></itunes:summary>"_s)),
         false, u"We talk about the <video> element and <script>alert(1)</script>"_s, ""},
        {"item itunes:summary with child markup",
         kRSS.arg(item.arg(
             u"<itunes:summary><b>&lt;script&gt;alert(1)&lt;/script&gt;</b> said</itunes:summary>"_s)),
         false, u"<script>alert(1)</script> said"_s, ""},
        {"item content:encoded",
         kRSS.arg(item.arg(u"<content:encoded><![CDATA[<em>Real markup</em> &amp; &lt;tag&gt;]]>"
                           u"</content:encoded>"_s)),
         false, kHTMLShown, "em"},
        {"channel itunes:summary",
         kRSS.arg(u"<itunes:summary>A &amp;lt;video&amp;gt; &amp;amp; more</itunes:summary>"_s),
         true, u"A <video> & more"_s, ""},
        {"channel content:encoded",
         kRSS.arg(u"<content:encoded>%1</content:encoded>"_s.arg(kEscapedHTML)), true, kHTMLShown,
         "em"},
        // An RSS description: a comment beside its escaped HTML is no part of it; one inside
        // child markup stays a comment.
        {"item description with comment",
         kRSS.arg(item.arg(u"<description>%1<!-- <script>alert(1)</script> --></description>"_s.arg(
             kEscapedHTML))),
         false, kHTMLShown, "em"},
        {"item description child markup with comment",
         kRSS.arg(item.arg(u"<description><p>a</p><!---><img src=x onerror=alert(1)>-->"
                           u"</description>"_s)),
         false, u"a"_s, "p"},
        // An instruction is no text of a well-formed feed, whatever blanks it holds.
        {"item description with instruction",
         kRSS.arg(item.arg(u"<description>d <?x >?></description>"_s)), false, u"d "_s, ""},
        {"item dc:description with instruction",
         kRSS.arg(item.arg(u"<dc:description>d <?x >?></dc:description>"_s)), false, u"d"_s, ""},
        {"summary type html with instruction",
         kAtom10.arg(entry.arg(u"<summary type=\"html\">d <?x >?></summary>"_s)), false, u"d "_s,
         ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.source);
        ASSERT_EQ(read(c.feed), 0);
        const QString read = description(c.channel);
        const QByteArray saved = feed().buildXMLData();
        EXPECT_EQ(StrictXML::problem(saved).toStdString(), "");
        ASSERT_EQ(FeedReadTest::read(QString::fromUtf8(saved)), 0);
        EXPECT_EQ(description(c.channel).toStdString(), read.toStdString()) << saved.toStdString();
        const HTMLReading::Reading shown = HTMLReading::read(read);
        EXPECT_EQ(shown.text.toStdString(), c.shows.toStdString()) << read.toStdString();
        EXPECT_EQ(shown.elements.join(u' ').toStdString(), c.elements) << read.toStdString();
    }
}

// A plain field is the text and CDATA of its element: comments and processing instructions are
// no part of it, whether the reader takes the element as it stands or repairs it first. A
// description keeps a comment among its markup as the HTML comment it was.
TEST_F(TextKinds, APlainFieldIsItsTextWithoutCommentsOrInstructions)
{
    const struct
    {
        const char *source;
        QString feed;
        // "title" (the first item's, else the channel's), "copyright", "author", "description"
        // or a namespace field, as "dc:title"
        QLatin1StringView field;
        QString expected;
    } cases[] = {
        // The repair before parsing leaves the comment a comment.
        {"RSS channel title",
         u"<?xml version=\"1.0\"?><rss version=\"2.0\"><channel><title>Show<!-- draft v2 --> "
         u"Name</title><link>https://e.org/</link></channel></rss>"_s,
         "title"_L1, u"Show Name"_s},
        {"RSS item title",
         kRSS.arg(
             u"<item><title>Show<?pi hidden?> &amp; <![CDATA[<Name>]]><!--x--></title></item>"_s),
         "title"_L1, u"Show & <Name>"_s},
        {"Atom rights", kAtom10.arg(u"<rights>Fish &amp; chips<?pi x?><!-- y --></rights>"_s),
         "copyright"_L1, u"Fish & chips"_s},
        // Atom 0.3 text without a type is plain text, its references resolved once.
        {"Atom 0.3 copyright", kAtom03.arg(u"<copyright>Fish &amp; chips &lt;3</copyright>"_s),
         "copyright"_L1, u"Fish & chips <3"_s},
        // An instruction holding blanks before its ">" stays the instruction it is.
        {"item title with instruction", kRSS.arg(u"<item><title>d <?x >?></title></item>"_s),
         "title"_L1, u"d "_s},
        {"dc:title with instruction",
         kRSS.arg(u"<item><title>i</title><dc:title>d <?x >?></dc:title></item>"_s), "dc:title"_L1,
         u"d"_s},
        {"author with instruction",
         kRSS.arg(u"<item><title>i</title><author>d <?x >?></author></item>"_s), "author"_L1,
         u"d"_s},
        {"itunes:author with instruction", kRSS.arg(u"<itunes:author>d <?x >?></itunes:author>"_s),
         "itunes:author"_L1, u"d"_s},
        // Child markup of a plain field is its text; beside it a comment is still none.
        {"item title markup with comment",
         kRSS.arg(u"<item><title><b>x</b> y<!-- c --></title></item>"_s), "title"_L1,
         u"<b>x</b> y"_s},
        {"dc:title markup with comment",
         kRSS.arg(u"<item><title>i</title><dc:title><i>z</i><!-- d --></dc:title></item>"_s),
         "dc:title"_L1, u"<i>z</i>"_s},
        {"description markup with comment",
         kRSS.arg(u"<item><title>i</title><description><p>a</p> b<!-- note --></description>"
                  u"</item>"_s),
         "description"_L1, u"<p>a</p> b<!-- note -->"_s},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.source);
        ASSERT_EQ(read(c.feed), 0);
        const auto value = [&]() -> QString {
            const bool inItem = feed().countOfItems() > 0;
            if (c.field == "copyright"_L1)
                return feed().copyright();
            if (c.field == "title"_L1)
                return inItem ? item(0).title() : feed().title();
            if (c.field == "author"_L1)
                return item(0).author();
            if (c.field == "description"_L1)
                return item(0).descriptionElement();
            const qsizetype colon = c.field.indexOf(u':');
            const KnownNamespace ns = c.field.startsWith("dc:"_L1) ? KnownNamespace::dublinCore
                                                                   : KnownNamespace::iTunes;
            const baseExtensionManager &extensions = inItem
                ? static_cast<const baseExtensionManager &>(*item(0).XMLExtensions())
                : *feed().XMLExtensions();
            return ExtensionTexts(extensions).text(ns, c.field.sliced(colon + 1));
        };
        EXPECT_EQ(value().toStdString(), c.expected.toStdString());
        ASSERT_EQ(read(QString::fromUtf8(feed().buildXMLData())), 0);
        EXPECT_EQ(value().toStdString(), c.expected.toStdString());
    }
}

// A converted feed carries no element its author wrote as text into the pages exported from it,
// whether from its titles or its descriptions.
TEST_F(TextKinds, AConvertedFeedExportsNoElementWrittenAsText)
{
    text = VLXParseFeed::stringFromXMLData(
        TestSupport::readData(u"roundtrip/atom-text-constructs.xml"_s));
    ASSERT_EQ(read(text), 0);
    ASSERT_EQ(feed().countOfItems(), 8);
    TemplateResources::init();
    for (const char *page : {"BasicWebpage.html", "ContentEncodedWebpage.html"}) {
        SCOPED_TRACE(page);
        const QString html
            = feed().buildExport(0, u":/templates/"_s + QLatin1String(page), false, false, 0);
        const HTMLReading::Reading shown = HTMLReading::read(html);
        EXPECT_EQ(HTMLReading::liveAttributes(shown), QStringList());
        for (const char *element : {"script", "img", "video", "types"})
            EXPECT_FALSE(shown.elements.contains(QLatin1String(element))) << element;
        EXPECT_TRUE(shown.elements.contains(u"em"_s)); // the HTML summary's own markup
        EXPECT_TRUE(shown.text.contains(u"Kinds & <types> of text"_s)); // the title, as text
        EXPECT_TRUE(shown.text.contains(u"Notes on the <video> element & <script>alert(1)"_s));
        EXPECT_TRUE(shown.text.contains(u"<script>alert(4)</script> and bold &lt;kept&gt;"_s));
        EXPECT_TRUE(shown.text.contains(u"A short summary of the episode."_s));
        EXPECT_TRUE(shown.text.contains(u"Show notes"_s));
        EXPECT_FALSE(shown.text.contains(u"hidden"_s));
        EXPECT_FALSE(shown.text.contains(u"draft"_s));
    }
}

// A page places every value of a feed someone else wrote so that it opens no attribute and links
// to no script: a quote in a link or a title ends nothing, a script or data link is "#", and a
// value that names a placeholder or an item record stays that name. The shipped page templates
// and a template holding every placeholder in both kinds of quoted attribute are exported from
// hostile feeds, as HTML and as JavaScript read as the page it writes.
TEST_F(TextKinds, APageOpensNoAttributeAndFollowsNoScript)
{
    const QString rss
        = u"<?xml version=\"1.0\"?><rss version=\"2.0\" "
          u"xmlns:itunes=\"http://www.itunes.com/dtds/podcast-1.0.dtd\" "
          u"xmlns:trackback=\"http://madskills.com/public/xml/rss/module/trackback/\" "
          u"xmlns:creativeCommons=\"http://backend.userland.com/creativeCommonsRssModule\">"
          u"<channel><title>Tom's \"Show\" &amp; co</title>"
          u"<link>http://e.example/1\" onmouseover=\"pwned=1\" "
          u"x=\"</link><description>d</description>"
          u"<image><url>javascript:alert(1)</url><title>i' onerror='pwned=2</title>"
          u"<link> JaVaScRiPt:alert(2)</link></image>"
          u"<itunes:image href=\"vbscript:msgbox(1)\"/><itunes:author>A \"B\" 'C'</itunes:author>"
          u"<creativeCommons:license>data:text/html,x</creativeCommons:license>"
          u"<item><title>It's a \"test\"</title>"
          u"<link>http://e.example/2' onfocus='pwned=3' autofocus x='</link>"
          u"<guid>java&#9;script:alert(4)</guid>"
          u"<enclosure url=\"http://e.example/a.mp3&quot; onclick=&quot;pwned=4\" length=\"1\" "
          u"type=\"audio/mpeg\"/>"
          u"<author>a@e.example (\" onmouseover=\"pwned=5)</author>"
          u"<trackback:ping>javascript:alert(5)</trackback:ping>"
          u"<trackback:about>http://ok.example/about?a=1&amp;b=\"2\"</trackback:about>"
          u"<creativeCommons:license>\tDATA:x</creativeCommons:license>"
          u"</item></channel></rss>"_s;
    const QString atom = kAtom10.arg(
        u"<link href=\"mailto:a@e.example\"/><entry><title>e</title><link "
        u"href=\"http://example.com/e&quot; onfocus=&quot;pwned=6&quot; autofocus x=&quot;\"/>"
        u"<link rel=\"enclosure\" type=\"audio/mpeg\" href=\"  vbscript:x\"/></entry>"_s);
    // Values that name placeholders, each where a later one would once have filled it.
    const QString names
        = u"<?xml version=\"1.0\"?><rss version=\"2.0\" "
          u"xmlns:itunes=\"http://www.itunes.com/dtds/podcast-1.0.dtd\" "
          u"xmlns:trackback=\"http://madskills.com/public/xml/rss/module/trackback/\">"
          u"<channel><title>~~~BeginItemsRecord~~~~~~ItemTitle~~~~~~EndItemsRecord~~~</title>"
          u"<link>~~~BeginItemsRecord~~~~~~ItemDescription~~~~~~EndItemsRecord~~~</link>"
          u"<description>d</description><itunes:author>javascript:alert(1)</itunes:author>"
          u"<image><url>~~~FeediTunesAuthor~~~</url><title>javascript:alert(2)</title>"
          u"<link>~~~FeedImageTitle~~~</link></image>"
          u"<item><title>~~~ItemTitle~~~</title><link>~~~ItemGuid~~~</link>"
          u"<description>\" onmouseover=\"pwned=1\" x=\"</description>"
          u"<guid isPermaLink=\"false\">~~~ItemAuthor~~~</guid>"
          u"<author>javascript:alert(3)</author>"
          u"<enclosure url=\"~~~ItemEnclosureType~~~\" length=\"1\" type=\"javascript:alert(4)\"/>"
          u"<trackback:ping>~~~ItemTrackBackAbout~~~</trackback:ping>"
          u"<trackback:about>javascript:alert(5)</trackback:about></item>"
          u"<item><title>t</title><link>~~~ItemAuthor~~~</link>"
          u"<author>javascript:alert(6)</author></item>"
          u"<item><title>u</title><link>javascript\u2028:alert(7)</link></item>"
          u"</channel></rss>"_s;

    const QStringList addresses = {u"FeedLink"_s, u"FeedImageUrl"_s, u"FeedImageLink"_s,
                                   u"FeediTunesImage"_s, u"FeedCreativeCommons"_s};
    const QStringList itemAddresses
        = {u"ItemLink"_s,          u"ItemGuid"_s,           u"ItemEnclosureUrl"_s,
           u"ItemTrackBackPing"_s, u"ItemTrackBackAbout"_s, u"ItemCreativeCommons"_s};
    const QStringList texts = {u"FeedTitle"_s, u"FeedImageTitle"_s, u"FeediTunesAuthor"_s};
    const QStringList itemTexts = {u"ItemTitle"_s, u"ItemAuthor"_s};
    // Each placeholder in a double-quoted and a single-quoted attribute of its own element.
    const auto elements = [](const QStringList &names, const char *attribute) {
        QString html;
        for (const QString &name : names) {
            for (const char16_t quote : {u'"', u'\''})
                html += u"<a %1=%2~~~%3~~~%2>x</a>"_s.arg(QLatin1String(attribute), QChar(quote),
                                                          name);
        }
        return html;
    };
    const QString everything = elements(addresses, "href") + elements(texts, "title")
        + u"~~~BeginItemsRecord~~~"_s + elements(itemAddresses, "href")
        + elements(itemTexts, "title") + u"~~~EndItemsRecord~~~"_s;
    const qsizetype itemAttributes = 2 * (itemAddresses.size() + itemTexts.size());
    const qsizetype attributes = 2 * (addresses.size() + texts.size()) + itemAttributes;

    QTemporaryDir dir;
    QFile all(dir.filePath(u"all.html"_s));
    ASSERT_TRUE(all.open(QIODevice::WriteOnly));
    all.write(everything.toUtf8());
    all.close();
    TemplateResources::init();
    const QStringList templates
        = {all.fileName(), u":/templates/BasicWebpage.html"_s, u":/templates/BasicHtmlTable.html"_s,
           u":/templates/ContentEncodedWebpage.html"_s, u":/templates/BasicJavaScript.js"_s};
    for (const QString &source : {rss, atom, names}) {
        ASSERT_EQ(read(source), 0);
        for (const QString &path : templates) {
            SCOPED_TRACE(path.toStdString());
            const QString page = feed().buildExport(VLXExportTemplate::HTML, path, false, false, 0);
            const QString written = HTMLReading::pageOfScript(
                feed().buildExport(VLXExportTemplate::JavaScript, path, false, false, 0));
            for (const QString &html : {page, written}) {
                EXPECT_EQ(HTMLReading::liveAttributes(HTMLReading::read(html)), QStringList())
                    << html.toStdString();
            }
            if (path != all.fileName())
                continue;
            // A template of one line: the script writes that very page.
            EXPECT_EQ(written, page);
            const HTMLReading::Reading shown = HTMLReading::read(page);
            // No value opened an attribute, and each reads as the value it holds.
            QStringList values;
            for (const HTMLReading::Attribute &attribute : shown.attributes)
                values << attribute.name + u'=' + attribute.value;
            EXPECT_EQ(values.size(), attributes + (feed().countOfItems() - 1) * itemAttributes)
                << page.toStdString();
            EXPECT_EQ(values.count(u"title="_s + feed().title()), 2);
            EXPECT_EQ(values.count(u"title="_s + item(0).title()), 2);
            EXPECT_EQ(values.count(u"href="_s + item(0).link()), 2);
            if (source != names)
                continue;
            for (const QString &address : {feed().link(), feed().image()->URL(),
                                           feed().image()->link(), item(0).enclosureAttrURL()})
                EXPECT_EQ(values.count(u"href="_s + address), 2) << address.toStdString();
        }
    }
}
