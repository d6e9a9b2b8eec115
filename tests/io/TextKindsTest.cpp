// Text a feed's author wrote as text stays text when it becomes an RSS 2.0 description, which
// readers render as HTML; markup the author wrote as HTML or XHTML stays markup, and text inside
// that markup stays text. Each source is read, saved, and read again, and each description is
// read as a browser reads HTML.

#include "FeedReadTest.h"
#include "common/HTMLReading.h"
#include "common/StrictXML.h"
#include "model/VLXImage.h"
#include "resources/TemplateResources.h"

using namespace Qt::StringLiterals;

namespace {

const QString kAtom10 = u"<?xml version=\"1.0\"?><feed xmlns=\"http://www.w3.org/2005/Atom\">"
                        u"<title>T</title>%1</feed>"_s;
const QString kAtom03 = u"<?xml version=\"1.0\"?><feed version=\"0.3\" "
                        u"xmlns=\"http://purl.org/atom/ns#\"><title>T</title>%1</feed>"_s;
const QString kRSS = u"<?xml version=\"1.0\"?><rss version=\"2.0\" "
                     u"xmlns:itunes=\"http://www.itunes.com/dtds/podcast-1.0.dtd\" "
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

// A converted feed carries no element its author wrote as text into the pages exported from it,
// whether from its titles or its descriptions.
TEST_F(TextKinds, AConvertedFeedExportsNoElementWrittenAsText)
{
    text = VLXParseFeed::stringFromXMLData(
        TestSupport::readData(u"roundtrip/atom-text-constructs.xml"_s));
    ASSERT_EQ(read(text), 0);
    ASSERT_EQ(feed().countOfItems(), 6);
    TemplateResources::init();
    for (const char *page : {"BasicWebpage.html", "ContentEncodedWebpage.html"}) {
        SCOPED_TRACE(page);
        const QString html
            = feed().buildExport(0, u":/templates/"_s + QLatin1String(page), false, false, 0);
        const HTMLReading::Reading shown = HTMLReading::read(html);
        for (const char *element : {"script", "img", "video", "types"})
            EXPECT_FALSE(shown.elements.contains(QLatin1String(element))) << element;
        EXPECT_TRUE(shown.elements.contains(u"em"_s)); // the HTML summary's own markup
        EXPECT_TRUE(shown.text.contains(u"Kinds & <types> of text"_s)); // the title, as text
        EXPECT_TRUE(shown.text.contains(u"Notes on the <video> element & <script>alert(1)"_s));
        EXPECT_TRUE(shown.text.contains(u"<script>alert(4)</script> and bold &lt;kept&gt;"_s));
    }
}
