#include "extensionTestSupport.h"
#include "model/VLXLogic.h"
#include "model/extensionNSChannel.h"
#include "model/extensionNSPrefs.h"
#include "model/rawXMLText.h"
#include "xml/UTF8Writer.h"

using namespace Qt::StringLiterals;

using extensionNSRawTest = ExtensionTest;

namespace {

// What the feed writer makes of a channel extension: its elements inside the channel at eight
// blanks.
QString channelDocument(const QString &extensionXML)
{
    return QStringLiteral("<?xml version=\"1.0\"?>\n<rss xmlns:geo=\"urn:geo\">\n    <channel>\n"
                          "        <title>t</title>\n%1    </channel>\n</rss>\n")
        .arg(extensionXML);
}

} // namespace

TEST_F(extensionNSRawTest, FlatElementsAreKeptTogetherAndWrittenOneALine)
{
    extensionNSRaw raw;
    raw.setExtensionName(QStringLiteral("geo"));
    for (const vlxXMLNode *node : children(
             QStringLiteral("<rss xmlns:geo=\"urn:geo\"><geo:lat>1</geo:lat>\n  <!-- note -->\n"
                            "<geo:long>2</geo:long></rss>")))
        EXPECT_EQ(raw.parseXMLNodeIfMine(node), 0);
    EXPECT_EQ(raw.rawXML(), QStringLiteral("<geo:lat>1</geo:lat><geo:long>2</geo:long>"));
    EXPECT_EQ(raw.buildXML(QStringLiteral("        ")),
              QStringLiteral("        <geo:lat>1</geo:lat>\n        <geo:long>2</geo:long>\n"));
    // Six blanks give level 1, no blanks level 0.
    EXPECT_EQ(raw.buildXML(QStringLiteral("      ")),
              QStringLiteral("    <geo:lat>1</geo:lat>\n    <geo:long>2</geo:long>\n"));
    EXPECT_EQ(raw.buildXML(QString()),
              QStringLiteral("<geo:lat>1</geo:lat>\n<geo:long>2</geo:long>\n"));
    EXPECT_EQ(extensionNSRaw().buildXML(QStringLiteral("        ")), QString());
}

TEST_F(extensionNSRawTest, NestedElementsSurviveRepeatedSaveAndReopen)
{
    const QString first = QStringLiteral(
        "<rss xmlns:geo=\"urn:geo\"><geo:place><geo:name>Home &amp; away</geo:name>"
        "<geo:point><geo:lat>1</geo:lat><geo:long>2</geo:long></geo:point>"
        "<geo:note><![CDATA[a\n   <b>]]></geo:note><geo:empty/></geo:place></rss>");
    extensionNSChannel raw;
    raw.setExtensionName(QStringLiteral("geo"));
    for (const vlxXMLNode *node : elements(first))
        raw.parseXMLNodeIfMine(node);
    const QString kept = raw.rawXML();
    const QString written = raw.buildXML(QStringLiteral("        "));
    EXPECT_EQ(written,
              QStringLiteral("        <geo:place>\n"
                             "            <geo:name>Home &amp; away</geo:name>\n"
                             "            <geo:point>\n"
                             "                <geo:lat>1</geo:lat>\n"
                             "                <geo:long>2</geo:long>\n"
                             "            </geo:point>\n"
                             "            <geo:note><![CDATA[a\n   <b>]]></geo:note>\n"
                             "            <geo:empty/>\n"
                             "        </geo:place>\n"));

    QString document = channelDocument(written);
    for (int cycle = 0; cycle < 3; ++cycle) {
        extensionNSChannel again;
        again.setExtensionName(QStringLiteral("geo"));
        vlxXMLDOM dom(document);
        const vlxXMLNode *rss = dom.nodeNamed(QStringLiteral("rss"), vlxXMLDOM::Element, nullptr);
        const vlxXMLNode *channel
            = dom.nodeNamed(QStringLiteral("channel"), vlxXMLDOM::Element, rss);
        for (int i = 0; i < vlxXMLDOM::numberOfChildren(channel); ++i) {
            const vlxXMLNode *node = vlxXMLDOM::nodeAtIndex(i, channel);
            if (vlxXMLDOM::nameOfNode(node).startsWith(QStringLiteral("geo:")))
                again.parseXMLNodeIfMine(node);
        }
        EXPECT_EQ(again.rawXML(), kept) << "cycle " << cycle;
        const QString rewritten = again.buildXML(QStringLiteral("        "));
        EXPECT_EQ(rewritten, written) << "cycle " << cycle;
        document = channelDocument(rewritten);
    }
}

TEST_F(extensionNSRawTest, MixedContentIsStableToo)
{
    // Text beside child elements, comments, instructions, attributes holding markup characters
    // and line breaks, and deep nesting: one save and reopen settles the text for good.
    const QStringList fragments = {
        QStringLiteral("<x:a>lead<x:b>1</x:b>tail</x:a>"),
        QStringLiteral("<x:a>\n  lead\n  <x:b>1</x:b>\n  tail\n</x:a>"),
        QStringLiteral("<x:a><!-- c --><x:b/><?pi data?>t &amp; u</x:a>"),
        QStringLiteral("<x:a k=\"v>\n w\"><x:b k='&lt;'>one two</x:b> <x:c/></x:a>"),
        QStringLiteral("<x:a><x:b><x:c><x:d><x:e>deep</x:e></x:d></x:c></x:b></x:a>"),
    };
    for (const QString &fragment : fragments) {
        QString document = QStringLiteral("<rss xmlns:x=\"urn:x\">%1</rss>").arg(fragment);
        QStringList kept;
        QStringList written;
        for (int cycle = 0; cycle < 4; ++cycle) {
            extensionNSRaw raw;
            for (const vlxXMLNode *node : elements(document))
                raw.parseXMLNodeIfMine(node);
            kept.append(raw.rawXML());
            written.append(raw.buildXML(QStringLiteral("        ")));
            document = QStringLiteral("<rss xmlns:x=\"urn:x\">\n%1</rss>").arg(written.last());
        }
        // The first read may drop the document's own layout; from then on nothing changes.
        EXPECT_EQ(kept.at(1), kept.at(2)) << qPrintable(fragment);
        EXPECT_EQ(kept.at(2), kept.at(3)) << qPrintable(fragment);
        EXPECT_EQ(written.at(0), written.at(1)) << qPrintable(fragment);
        EXPECT_EQ(written.at(1), written.at(3)) << qPrintable(fragment);
    }
}

TEST_F(extensionNSRawTest, WrittenIntoADocumentExactlyAsLaidOutAgain)
{
    // Kept text read from a document is copied into the written document with its lines
    // indented; whatever it holds, that must be the very text laying it out again gives.
    QString deep;
    for (int i = 0; i < 30; ++i)
        deep += QStringLiteral("<x:d%1>").arg(i);
    deep += QStringLiteral("bottom");
    for (int i = 29; i >= 0; --i)
        deep += QStringLiteral("</x:d%1>").arg(i);
    const QStringList documents = {
        QStringLiteral("<x:a>1</x:a>"),
        QStringLiteral("<x:a/><x:b k=\"v\"/><x:c>t</x:c>"),
        QStringLiteral("<x:a><x:b>1</x:b><x:c><x:d/></x:c></x:a><x:e>2</x:e>"),
        QStringLiteral("<x:a>lead<x:b>1</x:b>tail</x:a>"),
        QStringLiteral("<x:a>two\nlines</x:a><x:b/>"),
        QStringLiteral("<x:a><![CDATA[a\n   <b>]]></x:a><x:b/>"),
        QStringLiteral("<x:a><!-- a <x:b> in a comment --></x:a><x:c/>"),
        QStringLiteral("<x:a k=\"one&#10;two\">v</x:a>"),
        QStringLiteral("<x:a><?pi data?><x:b/></x:a>"),
        QStringLiteral("<x:a><item>i</item></x:a><x:b/>"),
        QStringLiteral("<x:a>caf\u00e9 &amp; \u4e2d</x:a>"),
        deep,
        deep + QStringLiteral("<x:after/>"),
    };
    const QStringList prefixes = {QString(),
                                  QStringLiteral("    "),
                                  QStringLiteral("        "),
                                  QStringLiteral("            "),
                                  QStringLiteral("      "),
                                  QString(80, u' ')};
    for (const QString &inner : documents) {
        extensionNSRaw raw;
        for (const vlxXMLNode *node :
             elements(QStringLiteral("<rss xmlns:x=\"urn:x\">%1</rss>").arg(inner)))
            raw.parseXMLNodeIfMine(node);
        for (const QString &prefix : prefixes) {
            UTF8Writer out;
            out.append("before\n"_L1);
            raw.appendXML(out, prefix);
            EXPECT_EQ(QString::fromUtf8(out.take()),
                      QStringLiteral("before\n") + raw.buildXML(prefix))
                << qPrintable(inner) << " at " << prefix.size();
        }
        // Changed text is laid out again.
        raw.setRawXML(raw.rawXML() + QStringLiteral("<x:z>\n</x:z>"));
        UTF8Writer out;
        raw.appendXML(out, QStringLiteral("        "));
        EXPECT_EQ(QString::fromUtf8(out.take()), raw.buildXML(QStringLiteral("        ")));
    }
}

TEST_F(extensionNSRawTest, UserDefinedTextWarnsOncePerValidation)
{
    extensionNSRaw userDefined;
    userDefined.validate(nullptr);
    EXPECT_EQ(userDefined.warnCount(), 0);
    userDefined.setRawXML(QStringLiteral("<odd>1</odd>"));
    userDefined.validate(nullptr);
    EXPECT_EQ(userDefined.warnCount(), 1);
    EXPECT_EQ(userDefined.errorList(),
              QStringList {QStringLiteral("Validate Warning::Non-standard \"User Defined\" tags "
                                          "were found - they won't be recognized by standard "
                                          "readers/aggregators")});

    extensionNSRaw named;
    named.setExtensionName(QStringLiteral("geo"));
    named.setRawXML(QStringLiteral("<geo:lat>1</geo:lat>"));
    named.validate(nullptr);
    EXPECT_EQ(named.warnCount(), 0);
}

TEST_F(extensionNSRawTest, CopiesAreIndependentAndDoNotListen)
{
    extensionNSChannel source;
    source.setExtensionName(QStringLiteral("geo"));
    source.setRawXML(QStringLiteral("<geo:lat>1</geo:lat>"));
    int heard = 0;
    const int id = source.addChangeListener([&heard] { ++heard; });

    const auto copy = source.copyExtension();
    EXPECT_NE(dynamic_cast<extensionNSChannel *>(copy.get()), nullptr);
    EXPECT_EQ(copy->rawXML(), source.rawXML());
    copy->setRawXML(QStringLiteral("<geo:long>2</geo:long>"));
    EXPECT_EQ(source.rawXML(), QStringLiteral("<geo:lat>1</geo:lat>"));
    EXPECT_EQ(heard, 0);

    source.addRawXMLString(QStringLiteral("<geo:alt>3</geo:alt>"));
    source.setRawXML(source.rawXML()); // unchanged: nothing to tell
    EXPECT_EQ(heard, 1);
    source.removeChangeListener(id);
    source.setRawXML(QString());
    EXPECT_EQ(heard, 1);
}

TEST_F(extensionNSRawTest, RawTextIsNeverSearched)
{
    extensionNSRaw raw;
    raw.setRawXML(QStringLiteral("<a>needle</a>"));
    EXPECT_FALSE(
        raw.replace(QStringLiteral("needle"), QStringLiteral("pin"), true, 0, nullptr, nullptr, 0));
    EXPECT_FALSE(raw.replaceDone());
    EXPECT_EQ(raw.replaceAll(QStringLiteral("needle"), QStringLiteral("pin"), 0), 0);
    EXPECT_EQ(raw.rawXML(), QStringLiteral("<a>needle</a>"));

    // The shared find helper walks a field from match to match.
    EXPECT_EQ(raw.searchField(QStringLiteral("a b A"), QStringLiteral("a"),
                              extensionNSRaw::CaseInsensitive),
              (extensionNSRaw::Range {0, 1}));
    EXPECT_EQ(raw.searchField(QStringLiteral("a b A"), QStringLiteral("a"),
                              extensionNSRaw::CaseInsensitive),
              (extensionNSRaw::Range {4, 1}));
    EXPECT_EQ(raw.searchField(QStringLiteral("a b A"), QStringLiteral("a"),
                              extensionNSRaw::CaseInsensitive),
              (extensionNSRaw::Range {extensionNSRaw::kNotFound, 0}));
}

TEST_F(extensionNSRawTest, DisplayFormIsPrettyPrintedWhenItParses)
{
    EXPECT_EQ(extensionNSRaw::reformat(QStringLiteral("<a><b>x</b></a>")),
              QStringLiteral("<a>\n    <b>x</b>\n</a>"));
    EXPECT_EQ(extensionNSRaw::reformat(QStringLiteral("<a><b>x</a>")),
              QStringLiteral("<a><b>x</a>"));
}

TEST_F(extensionNSRawTest, PreferencesTwinRegistersNoUndo)
{
    EXPECT_TRUE(extensionNSChannel().allowsUndo());
    EXPECT_FALSE(extensionNSPrefs().allowsUndo());
    EXPECT_EQ(extensionNSPrefs().copyExtension()->allowsUndo(), false);
}

TEST_F(extensionNSRawTest, AppendedTextIsWholeAndGivesBackItsSpareRoom)
{
    // Short elements first, then enough of them to pass the size kept exact, then a copy that
    // shares the text: shrinking must neither change nor unshare it.
    extensionNSChannel raw;
    QString expected;
    int notified = 0;
    raw.addChangeListener([&] { ++notified; });
    for (int i = 0; i < 200; ++i) {
        const QString element = QStringLiteral("<geo:n>%1</geo:n>").arg(i);
        raw.addRawXMLString(element);
        expected += element;
    }
    EXPECT_EQ(raw.rawXML(), expected);
    EXPECT_EQ(notified, 200);
    raw.releaseSpareCapacity();
    EXPECT_EQ(raw.rawXML(), expected);
    EXPECT_EQ(raw.rawXML().capacity(), raw.rawXML().size());

    const QString shared = raw.rawXML();
    raw.addRawXMLString(QStringLiteral("<geo:n>last</geo:n>"));
    raw.releaseSpareCapacity();
    EXPECT_EQ(shared, expected);
    EXPECT_EQ(raw.rawXML(), expected + QStringLiteral("<geo:n>last</geo:n>"));
}

TEST_F(extensionNSRawTest, SearchPositionTravelsWithCopiesAndArchivesButStaysApart)
{
    extensionNSRaw raw;
    const QString field = QStringLiteral("a b a b a");
    raw.searchField(field, QStringLiteral("a"), 0);
    EXPECT_EQ(raw.lastFoundRange(), (extensionNSRaw::Range {0, 1}));

    const auto copy = raw.copyExtension();
    QVariantMap coder;
    raw.encodeWithCoder(coder);
    extensionNSRaw restored;
    restored.initWithCoder(coder);
    for (extensionNSRaw *other : {copy.get(), &restored}) {
        EXPECT_EQ(other->searchField(field, QStringLiteral("a"), 0),
                  (extensionNSRaw::Range {4, 1}));
    }
    EXPECT_EQ(raw.lastFoundRange(), (extensionNSRaw::Range {0, 1}));
    raw.resetSearch();
    EXPECT_EQ(raw.searchField(field, QStringLiteral("a"), 0), (extensionNSRaw::Range {0, 1}));

    // An archive without a search position starts from the beginning.
    coder.remove(QStringLiteral("searchFieldIndex"));
    restored.initWithCoder(coder);
    EXPECT_EQ(restored.lastFoundRange(), (extensionNSRaw::Range {extensionNSRaw::kNotFound, 0}));
    EXPECT_EQ(restored.searchFieldIndex(), 0);
}

TEST_F(extensionNSRawTest, AListenerMayLeaveWhileItIsTold)
{
    extensionNSRaw raw;
    int first = 0;
    int second = 0;
    int id = 0;
    id = raw.addChangeListener([&] {
        ++first;
        raw.removeChangeListener(id);
    });
    raw.addChangeListener([&] { ++second; });
    raw.setRawXML(QStringLiteral("<a/>"));
    raw.setRawXML(QStringLiteral("<b/>"));
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 2);
    raw.removeChangeListener(12345); // unknown ids are ignored
}

namespace {
struct LayoutOfKeptText : extensionNSRaw
{
    using extensionNSRaw::KeptText;
    using extensionNSRaw::laidOut;
};
} // namespace

TEST_F(extensionNSRawTest, ALoneFlatElementIsKeptAsTheGeneralLayoutWouldKeepIt)
{
    for (const QString &text :
         {u"<a:b/>"_s, u"<p:t url=\"http://x/1.vtt\" type=\"text/vtt\"/>"_s,
          u"<p:t a=\"x y\"  b='z' />"_s, u"<p:t a=\"&amp;&lt;\"/>"_s,
          u"<p:t>x y</p:t>"_s, u"<p:t a=\"1\"><![CDATA[<p>x</p> & ]]></p:t>"_s,
          u"<p:t><![CDATA[a]]>b<![CDATA[c]]></p:t>"_s, u"<p:t> x</p:t>"_s, u"<p:t></p:t>"_s,
          u"<p:t>x</p:u>"_s, u"<p:t>x</p:tt>"_s, u"<p:t><p:u/></p:t>"_s, u"<item>x</item>"_s,
          u"<p:t a=\"1\"/><p:u/>"_s, u" <p:t/>"_s, u"<p:t\n a=\"1\"/>"_s, u"<p:t>a\tb</p:t>"_s,
          u"<!-- c -->"_s, u"</p:t>"_s, u"<p:t a=\"1>2\"/>"_s, u"<p:t a=\"1>2\">x</p:t>"_s,
          u"<p:t a='<'>x</p:t>"_s}) {
        SCOPED_TRACE(text.toStdString());
        VLXLogic::FormatFacts facts;
        const QString general = VLXLogic::formatXML(rawXMLText::compact(text), 0, &facts);
        const LayoutOfKeptText::KeptText kept = LayoutOfKeptText::laidOut(text);
        EXPECT_EQ(kept.text, general.trimmed());
        const bool indentable = kept.text.size() == general.size() && kept.text.startsWith(u'<')
            && !kept.text.startsWith(u"</") && !kept.text.startsWith(u"<!")
            && !facts.copiedLineBreak && !facts.unindentedBreak && facts.lowestLevel >= 0
            && facts.endLevel == 0;
        EXPECT_EQ(kept.indentableTo,
                  indentable ? std::optional<int>(facts.highestLevel) : std::nullopt);
    }
}
