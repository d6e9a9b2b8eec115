#include "xml/vlxXMLDOM.h"

#include "common/TestSupport.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QStringDecoder>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <libxml/parserInternals.h>
#include <sys/resource.h>

namespace {

using K = vlxXMLDOM::NodeKind;

QString u(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

const vlxXMLNode *root(const vlxXMLDOM &dom, const char *name)
{
    return dom.nodeNamed(QString::fromUtf8(name), K::Element, nullptr);
}

// Peak resident memory of this process in kilobytes.
long peakKilobytes()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

// ---- Text values ----------------------------------------------------------------------------

TEST(vlxXMLDOMText, ReferencesResolveFromTheTableOrStayAsWritten)
{
    vlxXMLDOM dom(u("<a>&lt;b&gt;&#233;&#xE9;&eacute;&nbsp;&alpha;</a>"));
    ASSERT_TRUE(dom.xmlTree());
    EXPECT_EQ(vlxXMLDOM::descriptionOfNode(root(dom, "a")), u("<b>ééé&nbsp;&alpha;"));
}

TEST(vlxXMLDOMText, UndeclaredReferencesAreReferenceNodesAndAddNoTopLevelNode)
{
    vlxXMLDOM dom(u("<r>x&nbsp;y&hellip;</r>"));
    ASSERT_TRUE(dom.xmlTree());
    EXPECT_EQ(vlxXMLDOM::numberOfChildren(dom.xmlTree()), 1);
    const vlxXMLNode *r = vlxXMLDOM::nodeAtIndex(0, dom.xmlTree());
    EXPECT_EQ(vlxXMLDOM::kindOfNode(r), K::Element);
    ASSERT_EQ(vlxXMLDOM::numberOfChildren(r), 4);
    EXPECT_EQ(vlxXMLDOM::kindOfNode(vlxXMLDOM::nodeAtIndex(1, r)), K::EntityReference);
    EXPECT_EQ(vlxXMLDOM::nameOfChildAtIndex(1, r), u("nbsp"));
    EXPECT_EQ(vlxXMLDOM::numberOfChildrenAtIndex(1, r), 0);
    EXPECT_EQ(vlxXMLDOM::descriptionOfNode(r), u("x&nbsp;y…"));
    // A document's own DOCTYPE stays visible, ahead of the root.
    vlxXMLDOM typed(u("<!DOCTYPE r [<!ENTITY me \"x\">]><r>&eacute;</r>"));
    ASSERT_TRUE(typed.xmlTree());
    EXPECT_EQ(vlxXMLDOM::numberOfChildren(typed.xmlTree()), 2);
    EXPECT_EQ(vlxXMLDOM::kindOfNode(vlxXMLDOM::nodeAtIndex(0, typed.xmlTree())), K::DocumentType);
    EXPECT_EQ(vlxXMLDOM::descriptionOfNode(root(typed, "r")), u("é"));
}

TEST(vlxXMLDOMText, ALeadingZeroWidthNoBreakSpaceIsKept)
{
    // U+FEFF is a byte order mark only in front of a file; inside a document it is a character
    // that names and values may start with.
    const QString mark(QChar(0xFEFF));
    vlxXMLDOM dom(u("<r a=\"") + mark + u("v\"><t>") + mark + u("x</t><!--") + mark
                  + u("c--></r>"));
    ASSERT_TRUE(dom.xmlTree());
    const vlxXMLNode *r = root(dom, "r");
    EXPECT_EQ(vlxXMLDOM::descriptionOfChildAtIndex(0, r), mark + u("x"));
    EXPECT_EQ(vlxXMLDOM::attributeOfNode(r, u("a")), mark + u("v"));
    EXPECT_EQ(dom.arrayOfComments(r), QStringList {mark + u("c")});

    // An element named U+FEFF, in a UTF-16 document with its own byte order mark.
    vlxXMLDOM named(QByteArray("\xff\xfe<\x00\xff\xfe/\x00>\x00", 10));
    ASSERT_TRUE(named.xmlTree()) << named.errorDescription().toStdString();
    const vlxXMLNode *element = vlxXMLDOM::nodeAtIndex(0, named.xmlTree());
    EXPECT_EQ(vlxXMLDOM::nameOfNode(element), mark);
    EXPECT_EQ(named.nodeNamed(mark, K::Element, nullptr), element);
}

TEST(vlxXMLDOMText, ChildStringsJoinWithoutSeparatorsAndNothingIsTrimmed)
{
    vlxXMLDOM dom(u("<a>  text <!-- note --><b>inner</b> tail\n</a>"));
    ASSERT_TRUE(dom.xmlTree());
    EXPECT_EQ(vlxXMLDOM::descriptionOfNode(root(dom, "a")),
              u("  text <!-- note --><b>inner</b> tail\n"));
    // Child elements give the content as written: what the document escaped, in the markup and
    // between it, stays escaped (a reference the document names without declaring it resolved).
    const char *const cases[][2] = {
        {"<i>only</i>", "<i>only</i>"},
        {"a<br/><p>x <b>&amp;&eacute;&nbsp;</b></p>", "a<br/><p>x <b>&amp;é&nbsp;</b></p>"},
        {"<a href=\"?a&amp;b\" t='\"'><![CDATA[c<d]]><!--n--></a>",
         "<a href=\"?a&amp;b\" t=\"&quot;\">c&lt;d<!--n--></a>"},
        {"<p>&lt;script&gt;&#60;/p&gt;</p> &lt;3", "<p>&lt;script&gt;&lt;/p&gt;</p> &lt;3"},
    };
    for (const auto &c : cases) {
        vlxXMLDOM inside(u("<d>") + u(c[0]) + u("</d>"));
        EXPECT_EQ(vlxXMLDOM::descriptionOfNode(root(inside, "d")), u(c[1])) << c[0];
        EXPECT_EQ(vlxXMLDOM::elementValueUTF8(root(inside, "d")), QByteArray(c[1])) << c[0];
    }
}

TEST(vlxXMLDOMText, CDATASectionsAreUnwrapped)
{
    vlxXMLDOM real(u("<d><![CDATA[<p>x & y</p>]]></d>"));
    ASSERT_TRUE(real.xmlTree());
    const vlxXMLNode *d = root(real, "d");
    EXPECT_EQ(vlxXMLDOM::kindOfNode(vlxXMLDOM::nodeAtIndex(0, d)), K::CDATASection);
    EXPECT_EQ(vlxXMLDOM::descriptionOfNode(d), u("<p>x & y</p>"));

    // A text that is wholly an escaped wrapper loses it; any other text is read whole, every
    // section and text run in order.
    const char *script = "<p>Hello</p><script>//<![CDATA[ var a = 1; //]]></script><p>Bye</p>";
    const struct
    {
        const char *content;
        const char *text;
    } cases[] = {
        {"&lt;p&gt;Hello&lt;/p&gt;&lt;script&gt;//&lt;![CDATA[ var a = 1; //]]&gt;&lt;/script&gt;"
         "&lt;p&gt;Bye&lt;/p&gt;",
         script},
        {"<![CDATA[<p>Hello</p><script>//<![CDATA[ var a = 1; //]]]]><![CDATA[></script>"
         "<p>Bye</p>]]>",
         script},
        {"<![CDATA[<p>Hello</p>]]>&lt;script&gt;//<![CDATA[<![CDATA[ var a = 1; //]]>]]&gt;"
         "<![CDATA[</script><p>Bye</p>]]>",
         script},
        {"before &lt;![CDATA[&lt;b&gt;bold&lt;/b&gt;]]&gt; after ]]&gt;",
         "before <![CDATA[<b>bold</b>]]> after ]]>"},
        {"\n  &lt;![CDATA[&lt;b&gt;bold&lt;/b&gt;]]&gt;\n", "<b>bold</b>"},
        {"&lt;![cdata[inside]]&gt;", "inside"},
        // A wrapper split where its text holds "]]>", and one round an unsplit inner section.
        {"&lt;![CDATA[a]]]]&gt;&lt;![CDATA[&gt;b]]&gt;", "a]]>b"},
        {"&lt;![CDATA[&lt;script&gt;//&lt;![CDATA[ x //]]&gt;&lt;/script&gt;]]&gt;",
         "<script>//<![CDATA[ x //]]></script>"},
        {"&lt;![CDATA[a]]&gt; b", "<![CDATA[a]]> b"},
        {"&lt;![CDATA[first]]&gt; and &lt;![CDATA[second]]&gt;",
         "<![CDATA[first]]> and <![CDATA[second]]>"},
        {"&lt;![CDATA[no end", "<![CDATA[no end"},
        {"[1] &lt;p&gt;a[2]&lt;![b]] &lt;![CDATA [c]]&gt;", "[1] <p>a[2]<![b]] <![CDATA [c]]>"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.content);
        vlxXMLDOM dom(u("<d>") + u(c.content) + u("</d>"));
        ASSERT_TRUE(dom.xmlTree());
        EXPECT_EQ(vlxXMLDOM::descriptionOfNode(root(dom, "d")), u(c.text));
    }
}

TEST(vlxXMLDOMText, ElementNamesReadAgainAreTheirOwn)
{
    // More names than are kept at once, some differing only in case or length, read in turns
    // from two documents (the second parsed after the first is gone).
    QString body;
    for (int i = 0; i < 150; ++i)
        body += QStringLiteral("<n%1/><N%1/><n%1x/>").arg(i);
    for (int round = 0; round < 2; ++round) {
        vlxXMLDOM dom(QStringLiteral("<r>%1<\u00e9l\u00e9ment/></r>").arg(body));
        const vlxXMLNode *r = root(dom, "r");
        ASSERT_EQ(vlxXMLDOM::numberOfChildren(r), 451);
        for (int pass = 0; pass < 2; ++pass) {
            for (int i = 0; i < 150; ++i) {
                EXPECT_EQ(vlxXMLDOM::nameOfChildAtIndex(3 * i, r), QStringLiteral("n%1").arg(i));
                EXPECT_EQ(vlxXMLDOM::nameOfChildAtIndex(3 * i + 1, r),
                          QStringLiteral("N%1").arg(i));
                EXPECT_EQ(vlxXMLDOM::nameOfChildAtIndex(3 * i + 2, r),
                          QStringLiteral("n%1x").arg(i));
            }
            EXPECT_EQ(vlxXMLDOM::nameOfChildAtIndex(450, r), QStringLiteral("\u00e9l\u00e9ment"));
        }
    }
}

TEST(vlxXMLDOMText, DocumentDeclaredEntitiesAreNeverExpanded)
{
    vlxXMLDOM dom(u("<!DOCTYPE r [<!ENTITY corp \"Caf&eacute; &amp; Co\"><!ENTITY tag "
                    "\"<b>bold &corp;</b>\">]><r>&corp; &amp;corp; &tag;&tag;</r>"));
    ASSERT_TRUE(dom.xmlTree()) << dom.errorDescription().toStdString();
    const vlxXMLNode *r = root(dom, "r");
    EXPECT_EQ(vlxXMLDOM::descriptionOfNode(r), u("&corp; &corp; &tag;&tag;"));
    ASSERT_EQ(vlxXMLDOM::numberOfChildren(r), 4);
    EXPECT_EQ(vlxXMLDOM::kindOfNode(vlxXMLDOM::nodeAtIndex(2, r)), K::EntityReference);
    EXPECT_EQ(vlxXMLDOM::numberOfChildrenAtIndex(2, r), 0);

    // Declared content that is not well-formed fails the document.
    vlxXMLDOM broken(u("<!DOCTYPE r [<!ENTITY open \"<b>\">]><r>&open;</r>"));
    EXPECT_EQ(broken.xmlTree(), nullptr);
    EXPECT_FALSE(broken.errorDescription().isEmpty());
}

// ---- Reference rule and attribute decoding ----------------------------------------------------

TEST(vlxXMLDOMReferences, NumericReferencesGiveWholeCodePointsOrStayAsWritten)
{
    EXPECT_EQ(vlxXMLDOM::resolveReference(u("#x1F600")), u("😀"));
    EXPECT_EQ(vlxXMLDOM::resolveReference(u("#128512")), u("😀"));
    EXPECT_EQ(vlxXMLDOM::resolveReference(u("#x10FFFF")).size(), 2);
    EXPECT_EQ(vlxXMLDOM::resolveReference(u("#65")), u("A"));
    EXPECT_EQ(vlxXMLDOM::resolveReference(u("#x41")), u("A"));
    EXPECT_EQ(vlxXMLDOM::resolveReference(u("#x41zz")), u("A")); // leading digits count
    for (const char *kept : {"#0", "#x0", "#xD800", "#57343", "#x110000", "#99999999999999999999",
                             "#", "#x", "#abc", "#X41", "nbsp", "alpha"})
        EXPECT_EQ(vlxXMLDOM::resolveReference(u(kept)), u("&") + u(kept) + u(";")) << kept;
    EXPECT_EQ(vlxXMLDOM::resolveReference(u("eacute")), u("é"));
    EXPECT_EQ(vlxXMLDOM::resolveReference(u("quot")), u("\""));
}

TEST(vlxXMLDOMReferences, DecodeAmpEntitiesFollowsTheSplitRule)
{
    EXPECT_EQ(vlxXMLDOM::decodeAmpEntities(u("a&amp;b")), u("a&b"));
    EXPECT_EQ(vlxXMLDOM::decodeAmpEntities(u("AT&T")), u("AT&T"));
    EXPECT_EQ(vlxXMLDOM::decodeAmpEntities(u("x&foo;y")), u("x&foo;y"));
    EXPECT_EQ(vlxXMLDOM::decodeAmpEntities(u("&lt;a;b;&#x1F600;")), u("<a;b;😀"));
    EXPECT_EQ(vlxXMLDOM::decodeAmpEntities(u("&&amp;")), u("&&"));
    EXPECT_EQ(vlxXMLDOM::decodeAmpEntities(u("plain")), u("plain"));
    EXPECT_EQ(vlxXMLDOM::decodeAmpEntities(QString()), QString());
}

TEST(vlxXMLDOMReferences, AttributesAreDecodedExactlyOnce)
{
    vlxXMLDOM dom(
        u("<e a=\"a&amp;b\" b=\"x&amp;lt;y\" c=\"&eacute;t&#xE9;\" d=\"&nbsp;&amp;eacute;\" "
          "itunes:href=\"h\" xmlns:media=\"http://m\" e=\"&#x1F600;\"/>"));
    ASSERT_TRUE(dom.xmlTree());
    const vlxXMLNode *e = root(dom, "e");
    EXPECT_EQ(vlxXMLDOM::attributeOfNode(e, u("a")), u("a&b"));
    EXPECT_EQ(vlxXMLDOM::attributeOfNode(e, u("b")), u("x&lt;y"));
    EXPECT_EQ(vlxXMLDOM::attributeOfNode(e, u("c")), u("été"));
    EXPECT_EQ(vlxXMLDOM::attributeOfNode(e, u("d")), u("&nbsp;&eacute;"));
    EXPECT_EQ(vlxXMLDOM::attributeOfNode(e, u("e")), u("😀"));
    EXPECT_EQ(vlxXMLDOM::attributeOfNode(e, u("itunes:href")), u("h"));
    EXPECT_EQ(vlxXMLDOM::attributeOfNode(e, u("xmlns:media")), u("http://m"));
    EXPECT_EQ(vlxXMLDOM::attributeOfNode(e, u("A")), QString());
    EXPECT_EQ(vlxXMLDOM::attributeOfNode(nullptr, u("a")), QString());
    EXPECT_EQ(vlxXMLDOM::attributeNamesOfNode(e),
              QStringList({u("a"), u("b"), u("c"), u("d"), u("itunes:href"), u("e")}));
    EXPECT_EQ(vlxXMLDOM::attributeOfChildAtIndex(0, u("b"), dom.xmlTree()), u("x&lt;y"));

    // The bytes as held: a value without an ampersand is final, one with it still holds the
    // references to decode; an absent attribute is told from an empty one.
    EXPECT_EQ(vlxXMLDOM::attributeBytesOfNode(e, "itunes:href"), QByteArrayView("h"));
    EXPECT_EQ(vlxXMLDOM::attributeBytesOfNode(e, "a"), QByteArrayView("a&#38;b"));
    EXPECT_EQ(vlxXMLDOM::attributeBytesOfNode(e, "c"), QByteArrayView("&eacute;t\xC3\xA9"));
    EXPECT_TRUE(vlxXMLDOM::attributeBytesOfNode(e, "A").isNull());
    EXPECT_TRUE(vlxXMLDOM::attributeBytesOfNode(nullptr, "a").isNull());
    vlxXMLDOM other(u("<e empty=\"\" n\u00e4me=\"v\"/>"));
    const vlxXMLNode *f = root(other, "e");
    EXPECT_TRUE(vlxXMLDOM::attributeBytesOfNode(f, "empty").isEmpty());
    EXPECT_FALSE(vlxXMLDOM::attributeOfNode(f, u("empty")).isNull());
    EXPECT_TRUE(vlxXMLDOM::attributeOfNode(f, u("absent")).isNull());
    // A name outside ASCII is looked up by its UTF-8.
    EXPECT_EQ(vlxXMLDOM::attributeOfNode(f, u("n\u00e4me")), u("v"));
}

// ---- Names, kinds and navigation ------------------------------------------------------------

TEST(vlxXMLDOMNavigation, NamesKeepTheirPrefixDeclaredOrNot)
{
    vlxXMLDOM dom(u("<rss xmlns:itunes=\"http://i\"><itunes:author>A</itunes:author>"
                    "<media:title>T</media:title><dc:x xmlns:dc=\"http://d\"/></rss>"));
    ASSERT_TRUE(dom.xmlTree()) << dom.errorDescription().toStdString();
    const vlxXMLNode *rss = root(dom, "rss");
    EXPECT_EQ(vlxXMLDOM::nameOfChildAtIndex(0, rss), u("itunes:author"));
    EXPECT_EQ(vlxXMLDOM::nameOfChildAtIndex(1, rss), u("media:title"));
    EXPECT_EQ(vlxXMLDOM::nameOfChildAtIndex(2, rss), u("dc:x"));
    EXPECT_EQ(vlxXMLDOM::descriptionOfChildAtIndex(1, rss), u("T"));
    EXPECT_TRUE(dom.nodeNamed(u("media:title"), K::Element, rss));
    EXPECT_FALSE(dom.nodeNamed(u("title"), K::Element, rss));
    EXPECT_FALSE(dom.nodeNamed(u("MEDIA:TITLE"), K::Element, rss));
    EXPECT_FALSE(dom.nodeNamed(u("rss"), K::Comment, nullptr));
}

TEST(vlxXMLDOMNavigation, NamespacesAreFoundWhereTheyAreDeclared)
{
    vlxXMLDOM dom(
        u("<r xmlns='urn:d' xmlns:a='urn:a&amp;1'><s xmlns:b='urn:b' b:x='1' y='&eacute;'>"
          "<a:t/><zz:u/></s></r>"));
    ASSERT_TRUE(dom.xmlTree());
    const vlxXMLNode *s = vlxXMLDOM::nodeAtIndex(0, root(dom, "r"));
    const vlxXMLNode *t = vlxXMLDOM::nodeAtIndex(0, s);
    EXPECT_EQ(vlxXMLDOM::namespaceURIOfNode(t), u("urn:a&1"));
    EXPECT_EQ(vlxXMLDOM::namespaceURIOfPrefix(t, u("b")), u("urn:b"));
    EXPECT_EQ(vlxXMLDOM::namespaceURIOfPrefix(t, QString()), u("urn:d"));
    EXPECT_EQ(vlxXMLDOM::namespaceURIOfPrefix(t, u("xml")),
              u("http://www.w3.org/XML/1998/namespace"));
    EXPECT_TRUE(vlxXMLDOM::namespaceURIOfNode(vlxXMLDOM::nodeAtIndex(1, s)).isNull());
    EXPECT_TRUE(vlxXMLDOM::namespaceURIOfPrefix(root(dom, "r"), u("b")).isNull());
    using Pairs = QList<std::pair<QString, QString>>;
    EXPECT_EQ(vlxXMLDOM::namespaceDeclarationsOfNode(s), (Pairs {{u("b"), u("urn:b")}}));
    EXPECT_EQ(vlxXMLDOM::namespaceDeclarationsOfNode(root(dom, "r")),
              (Pairs {{QString(), u("urn:d")}, {u("a"), u("urn:a&1")}}));
    EXPECT_EQ(vlxXMLDOM::attributesOfNode(s), (Pairs {{u("b:x"), u("1")}, {u("y"), u("é")}}));
}

TEST(vlxXMLDOMText, CharacterReferencesFrom128To159ReadAsWindows1252)
{
    // As every browser shows them; a C1 character written as such stays what it is.
    vlxXMLDOM dom(u("<r><a>It&#146;s &#128;5&#x99;</a><b>\u0092</b><c>&#160;&#x2019;</c></r>"));
    ASSERT_TRUE(dom.xmlTree());
    const vlxXMLNode *r = root(dom, "r");
    EXPECT_EQ(vlxXMLDOM::descriptionOfChildAtIndex(0, r), u("It\u2019s \u20AC5\u2122"));
    EXPECT_EQ(vlxXMLDOM::descriptionOfChildAtIndex(1, r), QString(QChar(0x92)));
    EXPECT_EQ(vlxXMLDOM::descriptionOfChildAtIndex(2, r), u("\u00A0\u2019"));
    EXPECT_EQ(vlxXMLDOM::resolveReference(u("#146")), u("\u2019"));
}

TEST(vlxXMLDOMNavigation, KindsCountsAndMissingNodes)
{
    vlxXMLDOM dom(u("<?xml version=\"1.0\"?>\n<!--top-->\n<r>\n  <a x=\"1\">t<b/><c/></a>\n"
                    "  <![CDATA[c]]><?pi data?>\n</r>"));
    ASSERT_TRUE(dom.xmlTree());
    EXPECT_EQ(vlxXMLDOM::kindOfNode(dom.xmlTree()), K::Document);
    ASSERT_EQ(vlxXMLDOM::numberOfChildren(dom.xmlTree()), 2);
    EXPECT_EQ(vlxXMLDOM::kindOfNode(vlxXMLDOM::nodeAtIndex(0, dom.xmlTree())), K::Comment);
    const vlxXMLNode *r = vlxXMLDOM::nodeAtIndex(1, dom.xmlTree());
    ASSERT_EQ(vlxXMLDOM::numberOfChildren(r), 6);
    const int kinds[]
        = {K::Whitespace, K::Element, K::Whitespace, K::CDATASection, K::ProcessingInstruction,
           K::Whitespace};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(vlxXMLDOM::kindOfNode(vlxXMLDOM::nodeAtIndex(i, r)), kinds[i]) << i;
    EXPECT_EQ(vlxXMLDOM::kindOfNode(vlxXMLDOM::nodeAtIndex(0, vlxXMLDOM::nodeAtIndex(1, r))),
              K::Text);
    EXPECT_EQ(vlxXMLDOM::numberOfChildrenAtIndex(1, r), 3);
    EXPECT_EQ(vlxXMLDOM::numberOfChildNodesAtIndex(1, r), 2);
    EXPECT_EQ(vlxXMLDOM::nameOfChildAtIndex(4, r), u("pi"));
    EXPECT_EQ(vlxXMLDOM::dataOfNode(vlxXMLDOM::nodeAtIndex(4, r)), u("data"));
    EXPECT_EQ(vlxXMLDOM::parentOfNode(vlxXMLDOM::nodeAtIndex(4, r)), r);

    EXPECT_EQ(vlxXMLDOM::nodeAtIndex(6, r), nullptr);
    EXPECT_EQ(vlxXMLDOM::nodeAtIndex(-1, r), nullptr);
    EXPECT_EQ(vlxXMLDOM::nodeAtIndex(0, nullptr), nullptr);
    EXPECT_EQ(vlxXMLDOM::numberOfChildren(nullptr), 0);
    EXPECT_EQ(vlxXMLDOM::numberOfChildrenAtIndex(9, r), 0);
    EXPECT_EQ(vlxXMLDOM::numberOfChildNodesAtIndex(0, nullptr), 0);
    EXPECT_EQ(vlxXMLDOM::nameOfNode(nullptr), QString());
    EXPECT_EQ(vlxXMLDOM::descriptionOfNode(nullptr), QString());
    EXPECT_EQ(vlxXMLDOM::nameOfChildAtIndex(0, nullptr), QString());
    EXPECT_EQ(vlxXMLDOM::kindOfNode(nullptr), K::NoNode);
}

TEST(vlxXMLDOMNavigation, LongChildListsAreReachableByIndex)
{
    QString text = u("<channel>");
    for (int i = 0; i < 3000; ++i)
        text += QStringLiteral("<item>%1</item>\n").arg(i);
    text += u("</channel>");
    vlxXMLDOM dom(text);
    const vlxXMLNode *channel = root(dom, "channel");
    ASSERT_EQ(vlxXMLDOM::numberOfChildren(channel), 6000);
    for (int i = 0; i < 6000; i += 2)
        ASSERT_EQ(vlxXMLDOM::descriptionOfChildAtIndex(i, channel), QString::number(i / 2));
    EXPECT_EQ(vlxXMLDOM::kindOfNode(vlxXMLDOM::nodeAtIndex(5999, channel)), K::Whitespace);
    EXPECT_EQ(vlxXMLDOM::nodeAtIndex(6000, channel), nullptr);
}

TEST(vlxXMLDOMNavigation, CommentsAndStyleSheets)
{
    vlxXMLDOM dom(u("<?xml version=\"1.0\"?>\n"
                    "<?xml-stylesheet type='text/css' href='style.css'?>\n"
                    "<?XML-STYLESHEET href=\"feed.xsl\" type=\"TEXT/XSL\"?>\n"
                    "<!--  first \n--><rss><!--\tinner\t--></rss><!--last-->"));
    ASSERT_TRUE(dom.xmlTree());
    EXPECT_EQ(dom.stringXMLStyleSheet(), u("feed.xsl"));
    EXPECT_EQ(dom.stringXMLStyleSheetCSS(), u("style.css"));
    EXPECT_EQ(dom.arrayOfComments(nullptr), QStringList({u("first"), u("last")}));
    EXPECT_EQ(dom.arrayOfComments(root(dom, "rss")), QStringList({u("inner")}));

    // The first matching instruction without an href ends the search.
    vlxXMLDOM noHref(u("<?xml-stylesheet type=\"text/xsl\"?><?xml-stylesheet type=\"text/xsl\" "
                       "href=\"b.xsl\"?><r/>"));
    EXPECT_EQ(noHref.stringXMLStyleSheet(), QString());
    vlxXMLDOM none;
    EXPECT_EQ(none.stringXMLStyleSheet(), QString());
}

// ---- Parsing entry points and errors ----------------------------------------------------------

TEST(vlxXMLDOMParsing, MalformedTextReportsTheFirstErrorAndItsLine)
{
    vlxXMLDOM dom(u("<?xml version=\"1.0\"?>\n<rss>\n<a></b>\n<c></d>\n</rss>"));
    EXPECT_EQ(dom.xmlTree(), nullptr);
    EXPECT_EQ(dom.errorLineNumber(), 3);
    EXPECT_TRUE(dom.errorDescription().contains(u("mismatch")))
        << dom.errorDescription().toStdString();
    EXPECT_EQ(dom.errors().value(QString::fromLatin1(vlxXMLDOM::kErrorLineNumberKey)).toInt(), 3);

    // A conversion failure is reported like any other error.
    vlxXMLDOM undecodable(
        QByteArray("<?xml version=\"1.0\" encoding=\"EUC-JP\"?>\n<r>\xff\xff\xff</r>"));
    EXPECT_EQ(undecodable.xmlTree(), nullptr);
    EXPECT_TRUE(undecodable.errorDescription().contains(u("conversion")))
        << undecodable.errorDescription().toStdString();
    EXPECT_GE(undecodable.errorLineNumber(), 1);
    // The same while the parser refills its buffer deep in the text.
    vlxXMLDOM refill(TestSupport::readData(u("xml/utf7-conversion-failure.xml")));
    EXPECT_EQ(refill.xmlTree(), nullptr);
    EXPECT_TRUE(refill.errorDescription().contains(u("conversion")))
        << refill.errorDescription().toStdString();

    vlxXMLDOM empty(QString {});
    EXPECT_EQ(empty.xmlTree(), nullptr);
    EXPECT_FALSE(empty.errorDescription().isEmpty());

    // A good parse clears an earlier failure; a bad one drops the earlier tree.
    ASSERT_TRUE(dom.initWithString(u("<ok/>")));
    EXPECT_TRUE(dom.errors().isEmpty());
    EXPECT_FALSE(dom.initWithString(u("<ok>")));
    EXPECT_EQ(dom.xmlTree(), nullptr);

    vlxXMLDOM fresh;
    EXPECT_EQ(fresh.xmlTree(), nullptr);
    EXPECT_TRUE(fresh.errors().isEmpty());
}

TEST(vlxXMLDOMParsing, StringsAreParsedAsUtf8WhateverTheyDeclare)
{
    vlxXMLDOM dom(u("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><t>Käse € 😀</t>"));
    ASSERT_TRUE(dom.xmlTree()) << dom.errorDescription().toStdString();
    EXPECT_EQ(vlxXMLDOM::descriptionOfNode(root(dom, "t")), u("Käse € 😀"));
}

TEST(vlxXMLDOMParsing, BytesAreDecodedAsTheyDeclare)
{
    QByteArray latin1("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><t>K\xe4se</t>");
    vlxXMLDOM dom(latin1);
    ASSERT_TRUE(dom.xmlTree()) << dom.errorDescription().toStdString();
    EXPECT_EQ(vlxXMLDOM::descriptionOfNode(root(dom, "t")), u("Käse"));

    const QString text = u("<?xml version=\"1.0\"?><t>é</t>");
    QByteArray utf16(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    vlxXMLDOM wide(utf16);
    ASSERT_TRUE(wide.xmlTree()) << wide.errorDescription().toStdString();
    EXPECT_EQ(vlxXMLDOM::descriptionOfNode(root(wide, "t")), u("é"));
}

TEST(vlxXMLDOMParsing, MovingHandsTheTreeOver)
{
    vlxXMLDOM first(u("<a>1</a>"));
    const vlxXMLNode *tree = first.xmlTree();
    vlxXMLDOM second(std::move(first));
    EXPECT_EQ(second.xmlTree(), tree);
    EXPECT_EQ(vlxXMLDOM::descriptionOfNode(root(second, "a")), u("1"));
    first = vlxXMLDOM(u("<b/>"));
    EXPECT_TRUE(root(first, "b"));
}

TEST(vlxXMLDOMParsing, EncodingDeclarationIsRewrittenToUtf8)
{
    EXPECT_EQ(vlxXMLDOM::convertEncodingIdToUTF8(u("<?xml version=\"1.0\"?><r/>")),
              u("<?xml version=\"1.0\" encoding=\"utf-8\" ?><r/>"));
    EXPECT_EQ(vlxXMLDOM::convertEncodingIdToUTF8(u("<?xml version='1.0' encoding='ISO-8859-1'?>")),
              u("<?xml version='1.0' encoding='utf-8'?>"));
    EXPECT_EQ(vlxXMLDOM::convertEncodingIdToUTF8(u("<?XML ENCODING = \"latin1' ?><r/>")),
              u("<?XML ENCODING = \"utf-8' ?><r/>"));
    EXPECT_EQ(vlxXMLDOM::convertEncodingIdToUTF8(u("     <?xml version=\"1.0\"?>")),
              u("     <?xml version=\"1.0\" encoding=\"utf-8\" ?>"));
    // "<?xml" starting at the seventh character or later is left alone.
    const QString late = u("      <?xml version=\"1.0\"?>");
    EXPECT_EQ(vlxXMLDOM::convertEncodingIdToUTF8(late), late);
    // An encoding after "?>" is not the prolog's; an unclosed value changes nothing.
    EXPECT_EQ(vlxXMLDOM::convertEncodingIdToUTF8(u("<?xml?><r encoding=\"x\"/>")),
              u("<?xml encoding=\"utf-8\" ?><r encoding=\"x\"/>"));
    const QString unclosed = u("<?xml encoding=\"latin1?><r/>");
    EXPECT_EQ(vlxXMLDOM::convertEncodingIdToUTF8(unclosed), unclosed);
    for (const char *kept : {"", "<", "<?xm", "<?xml", "<?xml ", "<r/>", "no prolog at all"})
        EXPECT_EQ(vlxXMLDOM::convertEncodingIdToUTF8(u(kept)), u(kept)) << kept;
}

// ---- Writing ------------------------------------------------------------------------------------

TEST(vlxXMLDOMWriting, SubtreesKeepReferencesAsReferences)
{
    const QString item = u("<item><title a=\"1 &amp; 2\">A &amp; B&nbsp;&lt;C&gt; é</title>"
                           "<x:y/><!--c--><![CDATA[<raw>]]></item>");
    vlxXMLDOM dom(u("<rss>") + item + u("</rss>"));
    ASSERT_TRUE(dom.xmlTree());
    const QByteArray written
        = vlxXMLDOM::xmlDataOfNode(vlxXMLDOM::nodeAtIndex(0, root(dom, "rss")));
    EXPECT_EQ(QString::fromUtf8(written), item);
    EXPECT_EQ(vlxXMLDOM::xmlDataOfNode(nullptr), QByteArray());

    // Attribute values, namespace declarations, instructions and carriage returns survive.
    vlxXMLDOM odd(u("<e xmlns:m=\"http://m?a&amp;b\" m:a='say \"hi\" &lt;&amp;&gt;' "
                    "b=\"x&#10;y&#9;&#13;&eacute;\">a&#13;b<?pi  data ?><m:f/></e>"));
    ASSERT_TRUE(odd.xmlTree()) << odd.errorDescription().toStdString();
    EXPECT_EQ(vlxXMLDOM::xmlDataOfNode(root(odd, "e")),
              QByteArray("<e xmlns:m=\"http://m?a&amp;b\" m:a=\"say &quot;hi&quot; &lt;&amp;&gt;\" "
                         "b=\"x&#10;y&#9;&#13;&eacute;\">a&#13;b<?pi data ?><m:f/></e>"));

    vlxXMLDOM declared(u("<!DOCTYPE r [<!ENTITY big \"expanded\">]><r>&big;</r>"));
    ASSERT_TRUE(declared.xmlTree());
    EXPECT_EQ(vlxXMLDOM::xmlDataOfNode(root(declared, "r")), QByteArray("<r>&big;</r>"));
}

TEST(vlxXMLDOMWriting, DocumentsStartWithOurFixedProlog)
{
    vlxXMLDOM wrapped(u("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><rss><a>é</a></rss>"));
    ASSERT_TRUE(wrapped.xmlTree());
    const QString text = QString::fromUtf8(wrapped.xmlData());
    EXPECT_EQ(text, u("<?xml version=\"1.0\"?><rss><a>é</a></rss>"));
    // The XML source editor cuts a fixed wrapper from both ends.
    EXPECT_EQ(text.mid(26, text.size() - 32), u("<a>é</a>"));

    vlxXMLDOM several(u("<!--a--><r/><!--b-->"));
    EXPECT_EQ(several.xmlData(), QByteArray("<?xml version=\"1.0\"?><!--a-->\n<r/>\n<!--b-->"));
    EXPECT_EQ(vlxXMLDOM().xmlData(), QByteArray());
}

// ---- Hostile input -----------------------------------------------------------------------------

TEST(vlxXMLDOMSafety, BillionLaughsIsNotExpanded)
{
    QString text = u("<?xml version=\"1.0\"?>\n<!DOCTYPE lolz [\n<!ENTITY lol \"lol\">\n");
    for (int level = 1; level <= 9; ++level) {
        text += QStringLiteral("<!ENTITY lol%1 \"").arg(level);
        for (int i = 0; i < 10; ++i)
            text += level == 1 ? u("&lol;") : QStringLiteral("&lol%1;").arg(level - 1);
        text += u("\">\n");
    }
    text += u("]>\n<lolz>&lol9;</lolz>");
    const long before = peakKilobytes();
    vlxXMLDOM dom(text);
    if (dom.xmlTree()) {
        EXPECT_EQ(vlxXMLDOM::descriptionOfNode(root(dom, "lolz")), u("&lol9;"));
        EXPECT_LT(dom.xmlData().size(), 4096);
    } else {
        EXPECT_FALSE(dom.errorDescription().isEmpty());
    }
    EXPECT_LT(peakKilobytes() - before, 64 * 1024);
}

TEST(vlxXMLDOMSafety, QuadraticBlowupIsNotExpanded)
{
    QByteArray text("<?xml version=\"1.0\"?>\n<!DOCTYPE kaboom [\n<!ENTITY a \"");
    text += QByteArray(50 * 1024, 'a');
    text += "\">\n]>\n<kaboom>";
    for (int i = 0; i < 20000; ++i)
        text += "&a;";
    text += "</kaboom>";
    const long before = peakKilobytes();
    vlxXMLDOM dom(text);
    if (dom.xmlTree()) {
        const vlxXMLNode *kaboom = root(dom, "kaboom");
        EXPECT_EQ(vlxXMLDOM::numberOfChildren(kaboom), 20000);
        EXPECT_EQ(vlxXMLDOM::descriptionOfNode(kaboom).size(), 20000 * 3);
        EXPECT_LT(vlxXMLDOM::xmlDataOfNode(kaboom).size(), 70000);
    } else {
        EXPECT_FALSE(dom.errorDescription().isEmpty());
    }
    // Expanded, this would be a gigabyte.
    EXPECT_LT(peakKilobytes() - before, 64 * 1024);
}

TEST(vlxXMLDOMSafety, ExternalResourcesAreNeverRead)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString secretPath = dir.filePath(u("secret.txt"));
    {
        QFile secret(secretPath);
        ASSERT_TRUE(secret.open(QIODevice::WriteOnly));
        secret.write("TOP-SECRET-PAYLOAD");
    }
    QFile dtd(dir.filePath(u("evil.dtd")));
    ASSERT_TRUE(dtd.open(QIODevice::WriteOnly));
    dtd.write("<!ENTITY leak \"TOP-SECRET-PAYLOAD\">");
    dtd.close();
    const QString fileUrl = u("file://") + secretPath;
    const QString dtdUrl = u("file://") + dtd.fileName();

    const QString documents[] = {
        u("<!DOCTYPE r [<!ENTITY x SYSTEM \"%1\">]><r>&x;</r>").arg(fileUrl),
        u("<!DOCTYPE r [<!ENTITY x SYSTEM \"%1\">]><r>&x;</r>").arg(secretPath),
        u("<!DOCTYPE r SYSTEM \"%1\"><r>&leak;</r>").arg(dtdUrl),
        u("<!DOCTYPE r [<!ENTITY % p SYSTEM \"%1\"> %p;]><r>&leak;</r>").arg(dtdUrl),
        u("<!DOCTYPE r [<!ENTITY x SYSTEM \"%1\">]><r a=\"&x;\"/>").arg(fileUrl),
        u("<r xmlns:xi=\"http://www.w3.org/2001/XInclude\"><xi:include href=\"%1\" "
          "parse=\"text\"/></r>")
            .arg(fileUrl),
    };
    for (const QString &text : documents) {
        vlxXMLDOM dom(text);
        const QByteArray all = dom.xmlData() + dom.errorDescription().toUtf8();
        EXPECT_FALSE(all.contains("TOP-SECRET")) << text.toStdString();
        if (dom.xmlTree())
            EXPECT_FALSE(vlxXMLDOM::descriptionOfNode(root(dom, "r")).contains(u("SECRET")));
        else
            EXPECT_FALSE(dom.errorDescription().isEmpty());
    }

    // Whatever asks libxml2 for an external resource meets the deny-all loader, even for a file
    // that exists.
    const quint64 refusedBefore = vlxXMLDOM::refusedExternalLoads();
    xmlParserInputPtr input = xmlLoadExternalEntity(fileUrl.toUtf8().constData(), nullptr, nullptr);
    EXPECT_EQ(input, nullptr);
    if (input)
        xmlFreeInputStream(input);
    EXPECT_EQ(vlxXMLDOM::refusedExternalLoads(), refusedBefore + 1);
}

TEST(vlxXMLDOMSafety, OversizedInputIsRefusedWithAClearError)
{
    EXPECT_EQ(vlxXMLDOM::maximumInputSize(), vlxXMLDOM::kDefaultMaximumInputSize);
    vlxXMLDOM::setMaximumInputSize(1024);
    const QString big = u("<r>") + QString(2000, QLatin1Char('x')) + u("</r>");
    vlxXMLDOM fromText(big);
    vlxXMLDOM fromBytes(big.toUtf8());
    vlxXMLDOM small(u("<r>fits</r>"));
    vlxXMLDOM::setMaximumInputSize(vlxXMLDOM::kDefaultMaximumInputSize);

    for (const vlxXMLDOM *refused : {&fromText, &fromBytes}) {
        EXPECT_EQ(refused->xmlTree(), nullptr);
        EXPECT_TRUE(refused->errorDescription().contains(u("larger than the limit of 1024 bytes")))
            << refused->errorDescription().toStdString();
    }
    EXPECT_TRUE(small.xmlTree());
}

TEST(vlxXMLDOMSafety, NamespacesPastLibxml2sDictionaryLimitAreAllRead)
{
    // libxml2 makes each pool of its dictionary four times the last and takes no new one once
    // those it has exceed 10,000,000 bytes: past 1,000 * (1 + 4 + ... + 4^7) = 21,845,000 bytes
    // of names. Addresses of 1,000 bytes with their ends take just more; none may be lost.
    const int count = 22000;
    const QByteArray padding(990, 'n');
    const auto address
        = [&](int i) { return "urn:" + padding + QByteArray::number(i).rightJustified(5, '0'); };
    QByteArray text = "<r>";
    for (int i = 0; i < count; ++i)
        text += "<p:e xmlns:p=\"" + address(i) + "\"/>\n";
    vlxXMLDOM dom(QString::fromUtf8(text + "</r>"));
    ASSERT_TRUE(dom.xmlTree()) << dom.errorDescription().toStdString();
    const vlxXMLNode *r = root(dom, "r");
    ASSERT_EQ(vlxXMLDOM::numberOfChildren(r), 2 * count);
    int lost = 0;
    for (int i = 0; i < count; ++i)
        lost += vlxXMLDOM::namespaceURIOfNode(vlxXMLDOM::nodeAtIndex(2 * i, r)).toUtf8()
            != address(i);
    EXPECT_EQ(lost, 0);
}

TEST(vlxXMLDOMSafety, DeepNestingFailsInsteadOfExhaustingTheStack)
{
    QByteArray text;
    for (int i = 0; i < 100000; ++i)
        text += "<a>";
    vlxXMLDOM dom(text);
    EXPECT_EQ(dom.xmlTree(), nullptr);
    EXPECT_FALSE(dom.errorDescription().isEmpty());
}

// ---- Large texts: streamed parsing and giving back what was read ------------------------------

namespace {

// A feed-like document of count items whose texts hold multi-byte characters, surrogate pairs,
// references, comments and CDATA sections, so that item boundaries, slice boundaries of the
// streamed text and block boundaries of the tree fall everywhere.
QString manyItems(int count)
{
    QString text = u("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<rss version=\"2.0\" "
                     "xmlns:itunes=\"http://www.itunes.com/dtds/podcast-1.0.dtd\">\n<channel>\n"
                     "<title>Many</title>\n");
    for (int n = 0; n < count; ++n) {
        const QString num = QString::number(n);
        text += u("<item><title>Ä😀 ") + num + u(" &amp; &eacute;</title><!-- c") + num
            + u(" --><itunes:subtitle>€") + QString(n % 7, QChar(0x20AC))
            + u("</itunes:subtitle><description><![CDATA[<p>😀") + num
            + u("</p>]]></description><enclosure url=\"http://e.example/") + num
            + u(".mp3\" length=\"") + num + u("\"/></item>\n");
    }
    return text + u("</channel>\n</rss>\n");
}

QString titleOf(const vlxXMLNode *item)
{
    return vlxXMLDOM::descriptionOfNode(vlxXMLDOM::nodeAtIndex(0, item));
}

} // namespace

TEST(vlxXMLDOMLargeText, TextIsParsedAsItsUtf8BytesAcrossEverySliceBoundary)
{
    const QString text = manyItems(1500);
    ASSERT_GT(text.size(), 100000);
    vlxXMLDOM fromText(text);
    // The bytes form sees the encoding declaration as the text form rewrites it.
    vlxXMLDOM fromBytes(vlxXMLDOM::convertEncodingIdToUTF8(text).toUtf8());
    ASSERT_TRUE(fromText.xmlTree()) << fromText.errorDescription().toStdString();
    ASSERT_TRUE(fromBytes.xmlTree());
    EXPECT_EQ(fromText.xmlData(), fromBytes.xmlData());

    // A surrogate pair at every position around the first slice boundaries.
    for (int at = 32760; at < 32775; ++at) {
        QString padded = u("<r>") + QString(at - 3, QLatin1Char('a')) + u("😀") + u("</r>");
        vlxXMLDOM dom(padded);
        ASSERT_TRUE(dom.xmlTree()) << at;
        const QString value = vlxXMLDOM::descriptionOfNode(root(dom, "r"));
        EXPECT_TRUE(value.endsWith(u("a😀"))) << at;
        EXPECT_EQ(value.size(), at - 3 + 2) << at;
    }
}

TEST(vlxXMLDOMLargeText, CDATASectionsReadInPiecesGiveTheTreeAndErrorsOfTheWholeText)
{
    // UTF-8 bytes read a piece at a time (as a file is opened) beside the same bytes parsed
    // whole: the same tree, or the same error on the same line, wherever a section stands
    // against the pieces' bounds and whatever it holds.
    const char *const contents[] = {
        "<p>show &amp; notes</p> <a href=\"x\">link</a>",
        "",
        "x]",
        "]]]",
        "]]]]",
        "line\r\nbreak\rlone\n\n",
        "tab\t\xC3\xA9 \xE2\x80\x94 \xF0\x9F\x98\x80",
        "one\ntwo\x01",
        "a\n\xEF\xBF\xBE",
        "b\n\n\xC3\x28",
        "c\r\n\x0B",
        "]]]\n]>",
    };
    const char *const places[] = {
        "<c>%1</c>",
        "<!-- <![CDATA[ %1 --><c>%1</c>",
        "<?pi <![CDATA[ ?><c>x</c>%1",
        "<c a=\"]]>\">%1</c>",
        "</r>%1<r>",
    };
    int read = 0;
    for (const qsizetype before :
         {qsizetype(0), qsizetype(65400), qsizetype(65480), qsizetype(65490), qsizetype(65530)}) {
        for (const char *place : places) {
            for (const char *content : contents) {
                const QByteArray section = "<![CDATA[" + QByteArray(content) + "]]>";
                const QByteArray document = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<r><a>"
                    + QByteArray(before, 'x') + "</a>\n" + QByteArray(place).replace("%1", section)
                    + "\n<d>after</d></r>\n";
                SCOPED_TRACE(QByteArray(place + (" " + QByteArray(content).toHex())).constData());
                vlxXMLDOM whole(document);
                vlxXMLDOM pieces;
                pieces.initWithData(document, [](qint64, qint64) { return true; });
                ASSERT_EQ(pieces.xmlTree() != nullptr, whole.xmlTree() != nullptr) << before;
                EXPECT_EQ(pieces.xmlData(), whole.xmlData()) << before;
                EXPECT_EQ(pieces.errorDescription(), whole.errorDescription()) << before;
                EXPECT_EQ(pieces.errorLineNumber(), whole.errorLineNumber()) << before;
                read += whole.xmlTree() ? 1 : 0;
            }
        }
    }
    EXPECT_GT(read, 100);

    // Thousands of sections of every length, many of them across the pieces' bounds.
    QByteArray many = "<?xml version=\"1.0\"?>\n<rss><channel>";
    for (int i = 0; i < 3000; ++i)
        many += "<item><n>" + QByteArray::number(i) + "</n><![CDATA[" + QByteArray(i % 97, 'a')
            + "\r\n" + QByteArray(i % 89, ']') + "\xC3\xA9]]></item>\n";
    many += "</channel></rss>\n";
    ASSERT_GT(many.size(), 4 * 65536);
    vlxXMLDOM whole(many);
    vlxXMLDOM pieces;
    ASSERT_TRUE(pieces.initWithData(many, [](qint64, qint64) { return true; }));
    EXPECT_EQ(pieces.xmlData(), whole.xmlData());

    // One section beyond the parser's limit for a text (10 MB), across many pieces, as older
    // files hold long show notes: read whole, and so is what follows it. Its 800,000 lines are
    // read in one pass (well under a second); looking for each kind of line break again after
    // every line would take some 45 seconds.
    const QByteArray notes = QByteArray("<p>x & y</p>\n").repeated(800000);
    const QByteArray longOne = "<?xml version=\"1.0\"?>\n<r><a>" + QByteArray(65000, 'x')
        + "</a><c><![CDATA[" + notes + "]]></c><d>after</d></r>\n";
    vlxXMLDOM longRead;
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(longRead.initWithData(longOne, [](qint64, qint64) { return true; }))
        << longRead.errorDescription().toStdString();
    EXPECT_LT(clock.elapsed(), 5000);
    const vlxXMLNode *r = root(longRead, "r");
    EXPECT_EQ(vlxXMLDOM::descriptionOfNode(vlxXMLDOM::nodeAtIndex(1, r)).toUtf8(), notes);
    EXPECT_EQ(vlxXMLDOM::descriptionOfNode(vlxXMLDOM::nodeAtIndex(2, r)), u("after"));
}

TEST(vlxXMLDOMLargeText, ErrorsDeepInALongTextKeepTheirLineAndTheSizeLimitCountsBytes)
{
    QString text = manyItems(3000);
    const qsizetype at = text.lastIndexOf(u("</channel>"));
    text.insert(at, u("<broken></item>\n"));
    vlxXMLDOM dom(text);
    EXPECT_EQ(dom.xmlTree(), nullptr);
    EXPECT_EQ(dom.errorLineNumber(), text.left(at).count(QLatin1Char('\n')) + 1);
    EXPECT_EQ(dom.errorLineNumber(), vlxXMLDOM(text.toUtf8()).errorLineNumber());
    EXPECT_TRUE(dom.errorDescription().contains(u("mismatch")))
        << dom.errorDescription().toStdString();

    // 600 characters fit a limit of 1024 as characters, but not as UTF-8 bytes.
    vlxXMLDOM::setMaximumInputSize(1024);
    vlxXMLDOM wide(u("<r>") + QString(600, QChar(0x20AC)) + u("</r>"));
    vlxXMLDOM::setMaximumInputSize(vlxXMLDOM::kDefaultMaximumInputSize);
    EXPECT_EQ(wide.xmlTree(), nullptr);
    EXPECT_TRUE(wide.errorDescription().contains(u("larger than the limit of 1024 bytes")))
        << wide.errorDescription().toStdString();
}

TEST(vlxXMLDOMLargeText, ReleasingWhatWasReadKeepsTheRestAndTheAncestors)
{
    const QString text = manyItems(20000);
    vlxXMLDOM reference(text);
    vlxXMLDOM dom(text);
    ASSERT_TRUE(dom.xmlTree());
    const vlxXMLNode *rss = root(dom, "rss");
    const vlxXMLNode *channel = dom.nodeNamed(u("channel"), K::Element, rss);
    const vlxXMLNode *referenceChannel
        = reference.nodeNamed(u("channel"), K::Element, root(reference, "rss"));
    const qint64 heldAtStart = dom.heldBlockBytes();
    ASSERT_GT(heldAtStart, 0);

    // Calls that name no child of this tree change nothing.
    dom.releaseBeforeChild(0, channel);
    dom.releaseBeforeChild(vlxXMLDOM::numberOfChildren(channel), channel);
    dom.releaseBeforeChild(5, nullptr);
    dom.releaseBeforeChild(5, referenceChannel);
    EXPECT_EQ(dom.heldBlockBytes(), heldAtStart);
    EXPECT_EQ(reference.heldBlockBytes(), heldAtStart);

    int items = 0;
    qint64 heldAtLastItem = 0;
    const int count = vlxXMLDOM::numberOfChildren(channel);
    for (int i = 0; i < count; ++i) {
        const vlxXMLNode *child = vlxXMLDOM::nodeAtIndex(i, channel);
        if (vlxXMLDOM::nameOfNode(child) == u("item")) {
            if (items == 19999)
                heldAtLastItem = dom.heldBlockBytes();
            const vlxXMLNode *expected = vlxXMLDOM::nodeAtIndex(i, referenceChannel);
            ASSERT_EQ(vlxXMLDOM::xmlDataOfNode(child), vlxXMLDOM::xmlDataOfNode(expected)) << i;
            ASSERT_EQ(titleOf(child), u("Ä😀 %1 & é").arg(items)) << i;
            ++items;
        }
        dom.releaseBeforeChild(i + 1, channel);
    }
    EXPECT_EQ(items, 20000);
    // Most is given back (what stays does not grow with the items); the document, rss and
    // channel read as before.
    EXPECT_LT(dom.heldBlockBytes(), heldAtStart / 3);
    // The blocks are given back as the items are read, not only at the end: while the last
    // item is read, little more than the blocks of the root, the channel and that item is held
    // (the model read from the items grows meanwhile, and must find room in what was given back).
    EXPECT_LT(heldAtLastItem, 512 * 1024);
    EXPECT_EQ(vlxXMLDOM::attributeOfNode(rss, u("xmlns:itunes")),
              u("http://www.itunes.com/dtds/podcast-1.0.dtd"));
    EXPECT_EQ(vlxXMLDOM::attributeOfNode(rss, u("version")), u("2.0"));
    EXPECT_EQ(vlxXMLDOM::nameOfNode(channel), u("channel"));
    EXPECT_EQ(vlxXMLDOM::parentOfNode(channel), rss);
    EXPECT_EQ(vlxXMLDOM::kindOfNode(vlxXMLDOM::parentOfNode(rss)), K::Document);
    EXPECT_EQ(reference.heldBlockBytes(), heldAtStart);
}
