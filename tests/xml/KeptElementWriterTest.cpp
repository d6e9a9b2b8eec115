#include "xml/KeptElementWriter.h"

#include "common/StrictXML.h"
#include "xml/UTF8Writer.h"
#include "xml/vlxXMLDOM.h"

#include <gtest/gtest.h>

#include <memory>

using namespace Qt::StringLiterals;

// An element kept apart from its document must read the same, and be XML every namespace-aware
// reader accepts, wherever the feed writer puts it: under a root that declares only the own
// prefix.

namespace {

using Omission = KeptElementWriter::Omission;

class KeptElementWriterTest : public ::testing::Test
{
protected:
    // The first element child of the element named "target" anywhere below the root's
    // children (one level down at most, as the readers hand them on).
    const vlxXMLNode *kept(const QString &document)
    {
        m_dom = std::make_unique<vlxXMLDOM>(document);
        const vlxXMLNode *node = m_dom->xmlTree();
        while (node && vlxXMLDOM::nameOfNode(node) != u"target") {
            const vlxXMLNode *next = nullptr;
            for (int i = 0; !next && i < vlxXMLDOM::numberOfChildren(node); ++i) {
                const vlxXMLNode *child = vlxXMLDOM::nodeAtIndex(i, node);
                if (vlxXMLDOM::kindOfNode(child) == vlxXMLDOM::Element)
                    next = child;
            }
            node = next;
        }
        for (int i = 0; node && i < vlxXMLDOM::numberOfChildren(node); ++i) {
            const vlxXMLNode *child = vlxXMLDOM::nodeAtIndex(i, node);
            if (vlxXMLDOM::kindOfNode(child) != vlxXMLDOM::Whitespace)
                return child;
        }
        return nullptr;
    }

    QString write(const QString &document, const QString &own = QString(),
                  const QString &ownURI = QString(), const QString &alias = QString())
    {
        omitted.clear();
        const QString text
            = KeptElementWriter::write(kept(document), own, ownURI, knownURI, &omitted, alias);
        // Under a root that declares the own prefix, as the feed writer's rss element does.
        const QString declaration = own.isEmpty()
            ? QString()
            : QStringLiteral(" xmlns:%1=\"%2\"").arg(own, ownURI.isEmpty() ? u"urn:own"_s : ownURI);
        const QString problem
            = StrictXML::problem(QStringLiteral("<rss%1>%2</rss>").arg(declaration, text).toUtf8());
        EXPECT_EQ(problem.toStdString(), "") << text.toStdString();
        return text;
    }

    KeptElementWriter::KnownURI knownURI = [](const QString &prefix) {
        return prefix == u"known" ? QStringLiteral("urn:known") : QString();
    };
    QList<Omission> omitted;

private:
    std::unique_ptr<vlxXMLDOM> m_dom;
};

} // namespace

TEST_F(KeptElementWriterTest, ElementsNeedingNothingComeOutAsTheTreeWritesThem)
{
    const QString document = QStringLiteral(
        "<rss xmlns:geo=\"urn:geo\"><target><geo:place a=\"1&amp;2 &quot;q&quot;\">Home &amp; "
        "&lt;away&gt;<geo:empty/><![CDATA[x<y]]><!-- c --></geo:place></target></rss>");
    const QString text = write(document, u"geo"_s, u"urn:geo"_s);
    EXPECT_EQ(text, QString::fromUtf8(vlxXMLDOM::xmlDataOfNode(kept(document))));
    EXPECT_EQ(text,
              QStringLiteral("<geo:place a=\"1&amp;2 &quot;q&quot;\">Home &amp; &lt;away&gt;"
                             "<geo:empty/><![CDATA[x<y]]><!-- c --></geo:place>"));
    EXPECT_TRUE(omitted.isEmpty());
}

TEST_F(KeptElementWriterTest, PrefixesDeclaredAboveComeAlong)
{
    // An RDF attribute on an element of another namespace: rdf is declared only on the root.
    // Its text is written anew, escaped.
    EXPECT_EQ(
        write(QStringLiteral("<rdf:RDF xmlns:rdf=\"urn:rdf\" xmlns:admin=\"urn:admin\">"
                             "<target><admin:errorReportsTo rdf:resource=\"mailto:x\">a &lt;b&gt; "
                             "&amp; c</admin:errorReportsTo></target></rdf:RDF>"),
              u"admin"_s, u"urn:admin"_s),
        QStringLiteral("<admin:errorReportsTo xmlns:rdf=\"urn:rdf\" rdf:resource=\"mailto:x\">"
                       "a &lt;b&gt; &amp; c</admin:errorReportsTo>"));
    // Declared on an ancestor below the root, used deep inside; declarations of the element
    // itself come first, then those brought along, then the attributes.
    EXPECT_EQ(write(QStringLiteral("<rss><channel xmlns:a=\"urn:a\" xmlns:b=\"urn:b\"><target>"
                                   "<x xmlns:c=\"urn:c\" k=\"v\"><a:y b:z=\"1\"><c:w/></a:y></x>"
                                   "</target></channel></rss>")),
              QStringLiteral("<x xmlns:c=\"urn:c\" xmlns:a=\"urn:a\" xmlns:b=\"urn:b\" k=\"v\">"
                             "<a:y b:z=\"1\"><c:w/></a:y></x>"));
    // The own prefix is the writer's; where the document bound it to another namespace, that
    // binding comes along. Without an own URI the prefix is claimed whatever the binding.
    EXPECT_EQ(write(QStringLiteral("<rss xmlns:ex=\"urn:item\"><target><ex:r>4</ex:r></target>"
                                   "</rss>"),
                    u"ex"_s, u"urn:ex"_s),
              QStringLiteral("<ex:r xmlns:ex=\"urn:item\">4</ex:r>"));
    EXPECT_EQ(write(QStringLiteral("<rss xmlns:itunes=\"urn:wrong\"><target><itunes:a>1</itunes:a>"
                                   "</target></rss>"),
                    u"itunes"_s),
              QStringLiteral("<itunes:a>1</itunes:a>"));
    // The document's own prefix for the writer's namespace becomes the writer's, in element and
    // attribute names at any depth.
    EXPECT_EQ(write(QStringLiteral("<rss xmlns:m=\"urn:media\"><target><m:community k=\"1\" "
                                   "m:x=\"2\"><m:starRating/></m:community></target></rss>"),
                    u"media"_s, QString(), u"m"_s),
              QStringLiteral("<media:community k=\"1\" media:x=\"2\"><media:starRating/>"
                             "</media:community>"));
    // Bound nowhere in the document, but a namespace the program knows under that prefix.
    EXPECT_EQ(write(QStringLiteral("<rss><target><x><known:y/></x></target></rss>")),
              QStringLiteral("<x xmlns:known=\"urn:known\"><known:y/></x>"));
    EXPECT_TRUE(omitted.isEmpty());
}

TEST_F(KeptElementWriterTest, WhatNoNamespaceAwareReaderAcceptsIsLeftOutAndListed)
{
    EXPECT_EQ(write(QStringLiteral("<rss><target><geo:point><geo:lat>1</geo:lat>"
                                   "<nowhere:long>2</nowhere:long></geo:point></target></rss>"),
                    u"geo"_s),
              QStringLiteral("<geo:point><geo:lat>1</geo:lat></geo:point>"));
    ASSERT_EQ(omitted.size(), 1);
    EXPECT_EQ(omitted.at(0).kind, Omission::Element);
    EXPECT_EQ(omitted.at(0).reason, Omission::UnboundPrefix);
    EXPECT_EQ(omitted.at(0).name, u"nowhere:long"_s);

    EXPECT_EQ(
        write(QStringLiteral("<rss xmlns:a=\"urn:x\" xmlns:b=\"urn:x\"><target>"
                             "<note nowhere:kind=\"k\" a:z=\"1\" b:z=\"2\" ok=\"y\">t</note>"
                             "</target></rss>")),
        QStringLiteral("<note xmlns:a=\"urn:x\" xmlns:b=\"urn:x\" a:z=\"1\" ok=\"y\">t</note>"));
    ASSERT_EQ(omitted.size(), 2);
    EXPECT_EQ(omitted.at(0).reason, Omission::UnboundPrefix);
    EXPECT_EQ(omitted.at(1).kind, Omission::Attribute);
    EXPECT_EQ(omitted.at(1).reason, Omission::RepeatedAttribute);
    EXPECT_EQ(omitted.at(1).name, u"b:z"_s);

    // Colons where a qualified name has none, and declarations no reader takes: a relative
    // default namespace; an empty URI for a prefix, which the parser drops, so that the
    // prefix's elements are bound nowhere.
    EXPECT_EQ(write(QStringLiteral("<rss><target><x><a:b:c/><y xmlns=\"relative\"/>"
                                   "<z xmlns:e=\"\"><e:f/></z><?p:i d?></x></target></rss>")),
              QStringLiteral("<x><y/><z></z></x>"));
    QList<Omission::Reason> reasons;
    for (const Omission &omission : std::as_const(omitted))
        reasons.append(omission.reason);
    EXPECT_EQ(reasons,
              (QList<Omission::Reason> {Omission::NotAQualifiedName, Omission::UnusableNamespace,
                                        Omission::UnboundPrefix, Omission::NotAQualifiedName}));

    // An element whose own prefix is bound nowhere leaves nothing.
    EXPECT_EQ(write(QStringLiteral("<rss><target><zz:odd>2</zz:odd></target></rss>")), QString());
    EXPECT_EQ(omitted.size(), 1);
}

TEST_F(KeptElementWriterTest, NamedReferencesBecomeWhatTheyRead)
{
    // The written feed has no DTD: a reference from the entity table becomes its character, an
    // unknown one its own text, in content and in attribute values alike.
    EXPECT_EQ(
        write(QStringLiteral("<rss><target><p title=\"caf&eacute; &nbsp;\">caf&eacute;"
                             "&nbsp;&amp;</p></target></rss>")),
        QString::fromUtf8("<p title=\"caf\xC3\xA9 &amp;nbsp;\">caf\xC3\xA9&amp;nbsp;&amp;</p>"));
    EXPECT_TRUE(omitted.isEmpty());
}

TEST_F(KeptElementWriterTest, LongCDATASectionsAreWrittenInPiecesParsersTake)
{
    const QString content = QString(UTF8Writer::kMaximumCDATAUnits + 10, u'a');
    // Written as the tree has it (own prefix "x") and the long way (a declaration from above).
    for (const QString &own : {u"x"_s, u"y"_s}) {
        SCOPED_TRACE(own.toStdString());
        const QString xml = KeptElementWriter::write(
            kept(u"<r xmlns:x=\"urn:x\"><target><x:e><![CDATA["_s + content
                 + u"]]></x:e></target></r>"_s),
            own, u"urn:x"_s, {}, nullptr);
        EXPECT_EQ(xml.count(u"<![CDATA["_s), 2);
        vlxXMLDOM back(xml);
        ASSERT_TRUE(back.xmlTree()) << back.errorDescription().toStdString();
        EXPECT_TRUE(vlxXMLDOM::textContentOfNode(
                        back.nodeNamed(u"x:e"_s, vlxXMLDOM::Element, nullptr))
                    == content);
    }
}

TEST(KeptElementWriter, UsableNamespaceDeclarations)
{
    const auto usable = [](const char *prefix, const char *uri) {
        return KeptElementWriter::isUsableNamespaceDeclaration(QString::fromUtf8(prefix),
                                                               QString::fromUtf8(uri));
    };
    EXPECT_TRUE(usable("geo", "http://www.w3.org/2003/01/geo/wgs84_pos#"));
    EXPECT_TRUE(usable("a", "relative")); // a relative URI is allowed for a prefix
    EXPECT_TRUE(usable("a", "http://x/?a=1&amp;b=2"));
    EXPECT_TRUE(usable("xml", "http://www.w3.org/XML/1998/namespace"));
    EXPECT_TRUE(usable("", "")); // undeclaring the default namespace
    EXPECT_FALSE(usable("", "relative"));
    EXPECT_FALSE(usable("a", ""));
    EXPECT_FALSE(usable("a", "a b"));
    EXPECT_FALSE(usable("a", "http://x/%zz"));
    EXPECT_FALSE(usable("a", "http://x/&nbsp;"));
    EXPECT_FALSE(usable("a", "http://x/#f&amp;g")); // libxml2 reads the "&" as "&#38;"
    EXPECT_FALSE(usable("a", "http://x/\"y"));
    EXPECT_FALSE(usable("xml", "urn:other"));
    EXPECT_FALSE(usable("a", "http://www.w3.org/XML/1998/namespace"));
    EXPECT_FALSE(usable("a", "http://www.w3.org/2000/xmlns/"));
    EXPECT_FALSE(usable("xmlns", "urn:x"));
    EXPECT_FALSE(usable("a:b", "urn:x"));
    EXPECT_FALSE(usable("1a", "urn:x"));

    EXPECT_TRUE(KeptElementWriter::isQualifiedName(u"dc:creator"_s));
    EXPECT_TRUE(KeptElementWriter::isQualifiedName(u"plain"_s));
    for (const char *name : {":x", "x:", "a:b:c", "a:1", "a:-b", ""})
        EXPECT_FALSE(KeptElementWriter::isQualifiedName(QString::fromUtf8(name))) << name;
}
