// Decoding bytes, reading the prolog, recognising the format and repairing the text.

#include "io/RepairCheck.h"
#include "io/VLXParseFeed.h"

#include "common/TestSupport.h"
#include "xml/vlxXMLDOM.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QString decodeFile(const char *name)
{
    return VLXParseFeed::stringFromXMLData(
        TestSupport::readData(u"feeds/"_s + QLatin1String(name)));
}

QString titleOf(const QString &text)
{
    const qsizetype a = text.indexOf(u"<title>") + 7;
    return text.mid(a, text.indexOf(u"</title>") - a);
}

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out.append(char(v));
    return out;
}

} // namespace

TEST(VLXParseFeedDecoding, UnicodeFormsWithAndWithoutSignature)
{
    const QString expected = u"\u00c5ngstr\u00f6m \U0001F600 \u6f22"_s;
    for (const char *name : {"utf16le-bom.xml", "utf16be-bom.xml", "utf16le.xml", "utf16be.xml",
                             "utf32le-bom.xml", "utf32be-bom.xml", "utf32le.xml", "utf32be.xml"}) {
        const QString text = decodeFile(name);
        ASSERT_FALSE(text.isNull()) << name;
        EXPECT_TRUE(text.startsWith(u"<?xml")) << name; // the mark is not part of the text
        EXPECT_EQ(titleOf(text), expected) << name;
    }
}

TEST(VLXParseFeedDecoding, SignatureTableEdges)
{
    // FF FE 00 00 is UTF-32LE, not UTF-16LE followed by a NUL.
    EXPECT_EQ(VLXParseFeed::stringFromXMLData(bytes({0xFF, 0xFE, 0, 0, 'a', 0, 0, 0})), u"a"_s);
    // FE FF 00 00 follows the default rule (valid UTF-8 holding U+FEFF? no: FE is never UTF-8).
    EXPECT_TRUE(VLXParseFeed::stringFromXMLData(bytes({0xFE, 0xFF, 0, 0})).isNull());
    // A UTF-8 mark is skipped; an odd UTF-16 tail or a lone surrogate fails the decode.
    EXPECT_EQ(VLXParseFeed::stringFromXMLData(bytes({0xEF, 0xBB, 0xBF, 'x'})), u"x"_s);
    EXPECT_TRUE(VLXParseFeed::stringFromXMLData(bytes({0xFF, 0xFE, '<', 0, '?'})).isNull());
    EXPECT_TRUE(VLXParseFeed::stringFromXMLData(bytes({0xFF, 0xFE, 0x00, 0xD8, 'a', 0})).isNull());
    // Short input never reads past its end, and empty input is an empty (not a nil) text.
    for (const QByteArray &shortData : {QByteArray(), bytes({0xFF}), bytes({0xFF, 0xFE}),
                                        bytes({0xEF, 0xBB}), bytes({0, 0, 0}), bytes({'<', 0})}) {
        const QString text = VLXParseFeed::stringFromXMLData(shortData);
        (void)text;
    }
    EXPECT_FALSE(VLXParseFeed::stringFromXMLData(QByteArray()).isNull());
    EXPECT_TRUE(VLXParseFeed::stringFromXMLData(QByteArray()).isEmpty());
    EXPECT_EQ(VLXParseFeed::stringFromXMLData(bytes({0xFF, 0xFE})), u""_s);
}

TEST(VLXParseFeedDecoding, DeclaredEightBitCharsets)
{
    // Accented bytes are not UTF-8; the declared Latin-1 still reads them.
    EXPECT_EQ(titleOf(decodeFile("latin1.xml")), u"Caf\u00e9 cr\u00e8me \u00bd"_s);
    // The same text as UTF-8 with a mark stays UTF-8 whatever the prolog says; without the mark
    // the declaration wins.
    EXPECT_EQ(titleOf(decodeFile("latin1-bom-utf8.xml")), u"Caf\u00e9 cr\u00e8me \u00bd"_s);
    EXPECT_EQ(titleOf(decodeFile("latin1-as-utf8.xml")),
              u"Caf\u00c3\u00a9 cr\u00c3\u00a8me \u00c2\u00bd"_s);
    EXPECT_EQ(titleOf(decodeFile("windows1252.xml")), u"\u201cQuoted\u201d \u2013 \u20ac5"_s);
    // Curly quotes in a file labelled Latin-1 come out as the quotes the author typed.
    EXPECT_EQ(titleOf(decodeFile("latin1-label-cp1252-bytes.xml")),
              u"\u201cQuoted\u201d \u2013 \u20ac5"_s);
    EXPECT_EQ(titleOf(decodeFile("koi8r.xml")), u"\u041d\u043e\u0432\u043e\u0441\u0442\u0438"_s);
    EXPECT_EQ(titleOf(decodeFile("iso885915.xml")), u"Prix \u20ac"_s);
}

TEST(VLXParseFeedDecoding, CharsetsThatGiveSeveralCharactersForOneByte)
{
    // One TSCII byte stands for a whole Tamil syllable of four characters, so the decoded text
    // has more UTF-16 units than there were bytes, twice over.
    const QString syllable = u"\u0bb8\u0bcd\u0bb0\u0bc0"_s;
    for (int count : {1, 3000, 3001, 3002, 3003}) {
        const QByteArray feed = "<?xml version=\"1.0\" encoding=\"TSCII\"?>\n<rss version=\"2.0\">"
                                "<channel><title>"
            + QByteArray(count, '\x82') + "</title></channel></rss>";
        const QString text = VLXParseFeed::stringFromXMLData(feed);
        ASSERT_FALSE(text.isNull());
        EXPECT_EQ(titleOf(text), syllable.repeated(count)) << count;
        EXPECT_TRUE(text.endsWith(u"</title></channel></rss>"));
    }
}

TEST(VLXParseFeedDecoding, UnknownAndBrokenCharsets)
{
    // An unknown name keeps the UTF-8 reading; when UTF-8 fails too, nothing decodes.
    EXPECT_EQ(titleOf(decodeFile("unknown-charset-utf8.xml")), u"Caf\u00e9 cr\u00e8me \u00bd"_s);
    EXPECT_TRUE(decodeFile("unknown-charset-latin1.xml").isNull());
    EXPECT_TRUE(decodeFile("bad-utf8.xml").isNull());
    // Bytes that are invalid in the declared multi-byte charset fall back to ASCII, and fail.
    EXPECT_TRUE(VLXParseFeed::stringFromXMLData(
                    "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?><a>\x81\x20</a>")
                    .isNull());
    // Names that are not charsets are not handed to the C library.
    EXPECT_EQ(VLXParseFeed::stringFromXMLData("<?xml version=\"1.0\" encoding=\"char\"?><a/>"),
              u"<?xml version=\"1.0\" encoding=\"char\"?><a/>"_s);
}

TEST(VLXParseFeedProlog, DeclaredEncodingAndPrologTest)
{
    EXPECT_EQ(VLXParseFeed::getXMLEncodingString(
                  u"<?xml version = '1.0' encoding = 'ISO-8859-1' ?><a/>"_s),
              u"ISO-8859-1"_s);
    EXPECT_EQ(VLXParseFeed::getXMLEncodingString(u"<?xml version=\"1.0\"?><a/>"_s), u"UTF-8"_s);
    EXPECT_EQ(VLXParseFeed::getXMLEncodingString(u"      <?xml encoding=\"latin1\"?>"_s),
              u"UTF-8"_s);
    EXPECT_EQ(VLXParseFeed::getXMLEncodingString(u"<?xml encoding=\"latin1\""_s), u"UTF-8"_s);
    EXPECT_EQ(VLXParseFeed::getXMLEncodingString(u"<?x"_s), u"UTF-8"_s);

    EXPECT_TRUE(VLXParseFeed::hasXMLTag(u"<?xml version=\"1.0\"?>"_s));
    EXPECT_TRUE(VLXParseFeed::hasXMLTag(u"<? XML"_s));
    EXPECT_FALSE(VLXParseFeed::hasXMLTag(u" <?xml"_s));
    EXPECT_FALSE(VLXParseFeed::hasXMLTag(u"<rss version=\"2.0\">"_s));
    EXPECT_FALSE(VLXParseFeed::hasXMLTag(u"<"_s));
    EXPECT_FALSE(VLXParseFeed::hasXMLTag(QString()));
}

// The format is read from the root as XML reads it: its name (letter case counts), its
// namespace and its own version attribute, written with any quotes and blanks XML allows.
TEST(VLXParseFeedDetection, TypesAndVersions)
{
    const QStringList rss20 = {u"RSS"_s, u"2.0"_s};
    const QStringList none = {u""_s, u"-1"_s};
    const struct
    {
        QString text;
        QStringList pair;
    } rows[] = {
        {u"<rss version=\"2.0\"><channel/></rss>"_s, rss20},
        {u"<rss version = ' 0.92 '/>"_s, {u"RSS"_s, u"0.92"_s}},
        {u"<rss version=\" 2 .0\"/>"_s, rss20},
        {u"<RSS version=\"0.92\"/>"_s, none},
        // Another element's version is not the root's: a root naming none is read as 2.0.
        {u"<rss><channel><x version=\"0.91\"/></channel></rss>"_s, rss20},
        {u"<html><body/></html>"_s, none},
        {QString(), none},
        {u"<rss version=\"2.0\">"_s, none},
        {u"<feed xmlns=\"http://www.w3.org/2005/Atom\"><rss version=\"2.0\"/></feed>"_s,
         {u"Atom"_s, u"1.0"_s}},
        {u"<feed version='0.3' xmlns = 'http://purl.org/atom/ns#'/>"_s, {u"Atom"_s, u"0.3"_s}},
        {u"<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\" "
         u"xmlns=\"http://purl.org/rss/1.0/\"><feed/></rdf:RDF>"_s,
         {u"RSS"_s, u"1.0"_s}},
        {u"<rdf:RDF><rss version=\"2.0\"/></rdf:RDF>"_s, {u"RSS"_s, u"1.0"_s}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.text.toStdString());
        EXPECT_EQ(VLXParseFeed::getFeedTypeAndVersion(row.text), row.pair);
    }
}

TEST(VLXParseFeedRepair, TextRepairsAndTheirMessages)
{
    QStringList messages;
    const QString five
        = u"<description>&amp;apos;&amp;apos;&amp;apos;&amp;apos;&amp;apos;</description>"_s;
    EXPECT_EQ(VLXParseFeed::repairText(five, &messages),
              u"<description>&apos;&apos;&apos;&apos;&apos;</description>"_s);
    EXPECT_EQ(messages, QStringList {u"Fix double encoding of the apostrophe"_s});

    messages.clear();
    // Only spaces right after a "<" go, where written tags make the tag certain; a "</ item>"
    // is no tag, and keeps its blanks.
    EXPECT_EQ(VLXParseFeed::repairText(u"<   item   >x</item  ><item>y<  /item ></ item ></xml>"_s,
                                       &messages),
              u"<item>x</item><item>y</item></ item >"_s);
    EXPECT_EQ(messages,
              (QStringList {u"Removed illegal whitespace at start of XML tags"_s,
                            u"Removed </xml> tag that shouldn't exist"_s}));

    // A clean text comes back as the very same string and logs nothing.
    messages.clear();
    const QString clean
        = u"<rss version=\"2.0\"><channel><title>A &amp; B</title></channel></rss>"_s;
    const QString repaired = VLXParseFeed::repairText(clean, &messages);
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(repaired.constData(), clean.constData());
}

// Blanks beside "<" and ">" inside a CDATA section, a comment or an instruction are the text's
// own ("50 > 40" in a show note), and so are blanks before a ">" that ends no tag; the tags
// around them are tightened as before, and so is a comment or instruction never closed. A text
// whose only such blanks lie in sections needs no repair and comes back as the very same string.
TEST(VLXParseFeedRepair, CDATACommentsAndInstructionsKeepTheirBlanks)
{
    const struct
    {
        QString in, out;
        bool spaceMessage;
    } cases[] = {
        {u"<item ><description><![CDATA[50 > 40, a < b]]></description></item  >"_s,
         u"<item><description><![CDATA[50 > 40, a < b]]></description></item>"_s, false},
        {u"<![CDATA[x >]]>< item> <![CDATA[ < y]]> ></item>"_s,
         u"<![CDATA[x >]]><item> <![CDATA[ < y]]> ></item>"_s, true},
        {u"<a ><![cdata[ tail > and < "_s, u"<a><![cdata[ tail > and < "_s, false},
        // A ">" that ends no tag is text, in an element or a quoted value.
        {u"<p><![CDATA[]]> ></p><p>5 > 3</p ><a t=\"x >\" u='>' >"_s,
         u"<p><![CDATA[]]> ></p><p>5 > 3</p><a t=\"x >\" u='>'>"_s, false},
        {u"<a ><!-- x > < y --><?p z ?>< b ></b>"_s, u"<a><!-- x > < y --><?p z ?><b></b>"_s, true},
        // A quote after a "<" that starts no tag opens no value: the tag after it is one.
        {u"<\"<r >"_s, u"<\"<r>"_s, false},
        // The blanks after a "<" go only where the tags around make the tag certain: a spaced
        // start tag and the end tag that closes it in order, written or spaced, a spaced end tag
        // that ends a written start tag's element. Inside a value a spaced tag other than its
        // own end is the author's text, and so is its own end where a written one follows.
        {u"<item>< title>x</title></item>"_s, u"<item><title>x</title></item>"_s, true},
        {u"<item><title>x< /title></item>"_s, u"<item><title>x</title></item>"_s, true},
        {u"< item>< title>x< /title>\n< /item>"_s, u"<item><title>x</title>\n</item>"_s, true},
        {u"<item><title>a < /title> b</title></item>"_s,
         u"<item><title>a &lt; /title&gt; b</title></item>"_s, false},
        {u"<item><title>a < b > c </b></title></item>"_s,
         u"<item><title>a &lt; b &gt; c &lt;/b&gt;</title></item>"_s, false},
        // A spaced empty tag is one among the elements of one that closes in order.
        {u"< entry>\n< link href=\"x\"/>\n< /entry>"_s, u"<entry>\n<link href=\"x\"/>\n</entry>"_s,
         true},
        {u"< br/><item>x</item>"_s, u"< br/><item>x</item>"_s, false},
        {u"<item><title>a < br/> b</title></item>"_s,
         u"<item><title>a &lt; br/&gt; b</title></item>"_s, false},
        {u"<   item>< /x><title>x</title></item>"_s, u"<item>< /x><title>x</title></item>"_s, true},
        {u"<item><link>/< b >1< /b ></link></item>"_s, u"<item><link>/< b >1< /b ></link></item>"_s,
         false},
        {u"<title>a < 1> b</title>"_s, u"<title>a &lt; 1&gt; b</title>"_s, false},
        {u"<title>a < b> c</title><b>d</b>"_s, u"<title>a &lt; b&gt; c</title><b>d</b>"_s, false},
        {u"<title><<< NEW >>></title>"_s, u"<title>&lt;&lt;&lt; NEW &gt;&gt;&gt;</title>"_s, false},
        // Openings never closed are no tags: the blanks before their ">" are the author's.
        {u"<a ><!-- x > <?p z >"_s, u"<a><!-- x > <?p z >"_s, false},
    };
    for (const auto &c : cases) {
        QStringList messages;
        EXPECT_EQ(VLXParseFeed::repairText(c.in, &messages), c.out) << c.in.toStdString();
        EXPECT_EQ(messages.contains(u"Removed illegal whitespace at start of XML tags"_s),
                  c.spaceMessage)
            << c.in.toStdString();
    }
    QStringList messages;
    const QString clean = u"<content:encoded><![CDATA[<p>50 > 40 < 60</p> ]]></content:encoded>"_s;
    EXPECT_EQ(VLXParseFeed::repairText(clean, &messages).constData(), clean.constData());
    EXPECT_TRUE(messages.isEmpty());
}

// An end tag finds the spaced start tag it closes however many spaced start tags lie above it
// (each mended with it, so that the parser names the fault the written text has), up to 65,536
// elements open at once: past that, no spaced tag is mended.
TEST(VLXParseFeedRepair, AnEndTagFindsItsSpacedStartUpTo65536OpenElements)
{
    for (const int between : {0, 65, 65534, 65535}) {
        SCOPED_TRACE(between);
        QString text = u"<rss>\n< item>"_s;
        for (int k = 0; k < between; ++k)
            text += u"\n< x>"_s;
        text += u"\n</item></rss>"_s;
        QStringList messages;
        const QString repaired = VLXParseFeed::repairText(text, &messages);
        EXPECT_EQ(repaired.startsWith(u"<rss>\n<item>"), between <= 65534);
        EXPECT_EQ(repaired.count(u"< x>"), between <= 65534 ? 0 : between);
    }
}

// The sweep that lets a text skip the repairs never misses one they make, on the text and on
// its bytes: a value holding a CDATA section is left alone, but not a later value a tag beside
// the section starts.
TEST(VLXParseFeedRepair, TheSweepBeforeTheRepairsFindsWhatTheyChange)
{
    const struct
    {
        QString text;
        bool repaired;
    } rows[] = {
        {u"<item><title><![CDATA[x]]><title>a & b</title></title></item>"_s, true},
        {u"<item><title><![CDATA[x]]><title>></title></title></item>"_s, true},
        {u"<item><title><![CDATA[x & y]]></title></item>"_s, false},
        {u"<item><title><![CDATA[x]]> & y</title></item>"_s, false},
    };
    const QStringList tags {u"title"_s};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.text.toStdString());
        QStringList messages;
        EXPECT_EQ(VLXParseFeed::repairText(row.text, &messages) != row.text, row.repaired);
        const QByteArray bytes = row.text.toUtf8();
        EXPECT_EQ(RepairCheck::textNeedsRepair(reinterpret_cast<const char16_t *>(row.text.utf16()),
                                               row.text.size(), tags),
                  row.repaired);
        EXPECT_EQ(RepairCheck::textNeedsRepair(bytes.constData(), bytes.size(), tags),
                  row.repaired);
    }
}

TEST(VLXParseFeedRepair, TagValuesAreReEscaped)
{
    QStringList messages;
    const QString text = QString::fromUtf8(TestSupport::readData(u"feeds/needs-repair.xml"_s));
    const QString out = VLXParseFeed::repairText(text, &messages);
    EXPECT_TRUE(out.contains(u"<title>Fish &amp; Chips</title>"));
    // Long numeric references that are real characters stay references; one beyond Unicode
    // does not.
    EXPECT_TRUE(out.contains(u"&#x1F600; &#128512; &hellip; &amp;#x1F600A;"));
    // CDATA values and a title tag inside a CDATA section are left alone.
    EXPECT_TRUE(out.contains(u"<title><![CDATA[Kept & raw]]></title>"));
    EXPECT_TRUE(out.contains(u"<![CDATA[ <title>inside</title> & ]]>"));
    EXPECT_TRUE(out.contains(u"<item>"));
    EXPECT_FALSE(out.contains(u"</xml>"));
    EXPECT_EQ(messages.count(u"Fix double encoding of the apostrophe"_s), 1);
    EXPECT_TRUE(messages.contains(u"Fixed the encoding in the value of the title tag"_s));
    EXPECT_TRUE(messages.contains(u"Fixed the encoding in the value of the description tag"_s));

    bool changed = false;
    // Tag names match in any letter case; attributes keep a tag from matching.
    EXPECT_EQ(VLXParseFeed::fixEntityEncodingText(u"<TITLE>a<b</Title><title x=\"1\">c&d</title>"_s,
                                                  u"title"_s, &changed),
              u"<TITLE>a&lt;b</Title><title x=\"1\">c&d</title>"_s);
    EXPECT_TRUE(changed);
    // A title after a closed CDATA section is repaired again; one inside an open section is not.
    EXPECT_EQ(
        VLXParseFeed::fixEntityEncodingText(
            u"<![CDATA[ <title>a&b</title>]]></title> <title>a&b</title><![CDATA[<title>&</title>"_s,
            u"title"_s, &changed),
        u"<![CDATA[ <title>a&b</title>]]></title> <title>a&amp;b</title><![CDATA[<title>&</title>"_s);
    EXPECT_TRUE(changed);
    EXPECT_EQ(VLXParseFeed::fixEntityEncodingText(u"<title>a&b"_s, u"title"_s, &changed),
              u"<title>a&b"_s);
    EXPECT_FALSE(changed);
    // An end tag of an element around a value shows it left open, wherever its own end tag
    // follows; one that ends nothing around it is the author's text.
    const QString leftOpen = u"<item><title>a & b</item><x>c</title></x>"_s;
    EXPECT_EQ(VLXParseFeed::fixEntityEncodingText(leftOpen, u"title"_s, &changed), leftOpen);
    EXPECT_FALSE(changed);
    EXPECT_EQ(VLXParseFeed::fixEntityEncodingText(u"<item><title>a </x> b</title></item>"_s,
                                                  u"title"_s, &changed),
              u"<item><title>a &lt;/x&gt; b</title></item>"_s);
    EXPECT_TRUE(changed);
    // A comment or an instruction stays one only as XML reads it: a comment holds no "--" and
    // does not end in "-"; an instruction's target is a name other than "xml", followed by a
    // blank or "?>". Anything else is stray characters.
    EXPECT_EQ(
        VLXParseFeed::fixEntityEncodingText(
            u"<title>a<?XmL x?>b<?x?y?>c<?1 ?>d<?\u00d7 ?>e<?x?>f<?xml-s\tt?>g<!---- x -->h"
            u"<!-- y --->i<!---->j</title>"_s,
            u"title"_s, &changed)
            .toStdString(),
        "<title>a&lt;?XmL x?&gt;b&lt;?x?y?&gt;c&lt;?1 ?&gt;d&lt;?\u00d7 ?&gt;e<?x?>f<?xml-s\tt?>g"
        "&lt;!---- x --&gt;h&lt;!-- y ---&gt;i<!---->j</title>");
}

TEST(VLXParseFeedRepair, EncodingIllegalCharacters)
{
    auto enc = [](const QString &s) { return VLXParseFeed::encodeIllegalXMLCharacters(s); };
    EXPECT_EQ(enc(u"a < b > c"_s), u"a &lt; b &gt; c"_s);
    EXPECT_EQ(enc(u"AT&T"_s), u"AT&amp;T"_s);
    EXPECT_EQ(enc(u"&amp; &eacute; &#233;"_s), u"&amp; &eacute; &#233;"_s);
    // The semicolon may lie at most seven characters after the ampersand.
    EXPECT_EQ(enc(u"&abcdef;"_s), u"&abcdef;"_s);
    EXPECT_EQ(enc(u"&abcdefg;"_s), u"&amp;abcdefg;"_s);
    EXPECT_EQ(enc(u"&#x1F600; &#128512;"_s), u"&#x1F600; &#128512;"_s);
    EXPECT_EQ(enc(u"&#xD800x; &#1114112;"_s), u"&amp;#xD800x; &amp;#1114112;"_s);
    EXPECT_EQ(enc(u"&#X1F600;"_s), u"&amp;#X1F600;"_s);
    // The semicolon of the "&lt;" or "&gt;" a "<" or ">" becomes ends no reference: the value
    // escaped reads as XML.
    EXPECT_EQ(enc(u"x&<y"_s), u"x&amp;&lt;y"_s);
    EXPECT_EQ(enc(u"&abc<"_s), u"&amp;abc&lt;"_s);
    EXPECT_EQ(enc(u"&abcd>"_s), u"&amp;abcd&gt;"_s);
    EXPECT_EQ(enc(u"& 1 < 2; &lt;"_s), u"&amp; 1 &lt; 2; &lt;"_s);
}

TEST(VLXParseFeedNamespaces, DeclarationsOfTheRoot)
{
    const QString rss
        = u"<?xml version=\"1.0\"?>\n<rss "
          u"version=\"2.0\"\n\txmlns:itunes='http://www.itunes.com/dtds/podcast-1.0.dtd' "
          u"xmlns=\"http://default/\" xmlns:dc = \"http://purl.org/dc/elements/1.1/\">"_s;
    EXPECT_EQ(VLXParseFeed::nameSpaces(rss),
              (QStringList {u"xmlns:itunes=\"http://www.itunes.com/dtds/podcast-1.0.dtd\""_s,
                            u"xmlns:dc"_s}));
    EXPECT_TRUE(VLXParseFeed::nameSpaces(u"<rss version=\"2.0\""_s).isEmpty());
    EXPECT_EQ(VLXParseFeed::RDFNameSpaces(u"<RDF:rdf xmlns:rdf=\"r\">"_s),
              QStringList {u"xmlns:rdf=\"r\""_s});
    EXPECT_EQ(VLXParseFeed::AtomNameSpaces(u"<feed xmlns:media=\"m\"><entry xmlns:x=\"y\">"_s),
              QStringList {u"xmlns:media=\"m\""_s});
}

TEST(VLXParseFeedCheck, StatusCodesOfTheFeedTest)
{
    VLXParseFeed p;
    EXPECT_EQ(p.isItAFeed(QString()), 2);
    EXPECT_EQ(p.isItAFeed(decodeFile("rss20.xml")), 0);
    EXPECT_EQ(p.isItAFeed(decodeFile("atom03.xml")), 0);
    // Without a prolog the text is checked with one added.
    EXPECT_EQ(p.isItAFeed(decodeFile("rss092.xml")), 0);

    // An XHTML page is well-formed but no feed: 3 with its own prolog, 2 without.
    const QString page = decodeFile("xhtml-page.html");
    EXPECT_EQ(p.isItAFeed(page), 3);
    EXPECT_EQ(p.isItAFeed(page.mid(page.indexOf(u'\n') + 1)), 2);
    EXPECT_TRUE(p.errorDictionary().isEmpty());
    EXPECT_EQ(p.isItAFeed(decodeFile("rss-version-200.xml")), 0);

    // Not well-formed: 3, and the parser's report with its line is kept until the next check.
    const QString broken = decodeFile("not-well-formed.xml");
    EXPECT_EQ(p.isItAFeed(broken), 3);
    const QVariantMap report = p.errorDictionary();
    EXPECT_FALSE(report.value(QLatin1String(vlxXMLDOM::kErrorDescriptionKey)).toString().isEmpty());
    EXPECT_EQ(report.value(QLatin1String(vlxXMLDOM::kErrorLineNumberKey)).toInt(), 3);
    EXPECT_EQ(p.isItAFeed(broken.mid(broken.indexOf(u'\n') + 1)), 2);
    EXPECT_EQ(p.isItAFeed(decodeFile("rss20.xml")), 0);
    EXPECT_TRUE(p.errorDictionary().isEmpty());
}
