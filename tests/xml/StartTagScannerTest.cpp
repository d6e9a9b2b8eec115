// Start tags with more attributes than any feed has are refused before libxml2 reads them.
#include "xml/StartTagScanner.h"
#include "xml/vlxXMLDOM.h"

#include <QElapsedTimer>
#include <QStringEncoder>
#include <gtest/gtest.h>

namespace {

QByteArray tagWith(int attributes, const QByteArray &name = "item")
{
    QByteArray tag = '<' + name;
    tag.reserve(attributes * 12);
    for (int i = 0; i < attributes; ++i)
        tag += " a" + QByteArray::number(i) + "=\"" + (i % 2 ? "x>y" : "") + '"';
    return tag + "/>";
}

QString refusalOf(const vlxXMLDOM &dom)
{
    EXPECT_FALSE(dom.xmlTree());
    return dom.errorDescription();
}

const QString kRefusal = QStringLiteral("A start tag has more than 1024 attributes.");

TEST(StartTagScanner, EndsThatAlmostCloseAreStillReadAcrossPieces)
{
    // "]]", "--" and "?" that do not close their section, comment or instruction, followed by
    // quotes that must not count; then a crowded tag, split into pieces at every place.
    const QByteArray text
        = "<rss><![CDATA[a]] ]>]]]\"\"]]><!-- - -- ' ---><?pi ? ?'?>" + tagWith(1025) + "</rss>";
    for (qsizetype cut = 1; cut < 80; ++cut) {
        StartTagScanner scanner;
        EXPECT_TRUE(scanner.scan(QByteArrayView(text).first(cut))) << cut;
        EXPECT_FALSE(scanner.scan(QByteArrayView(text).sliced(cut))) << cut;
        EXPECT_EQ(scanner.tagStart(), text.indexOf("<item")) << cut;
    }
}

TEST(StartTagScanner, OnlyStartTagsAreCountedWhateverSurroundsThem)
{
    // Quoted text in comments, sections, instructions and declarations is not an attribute,
    // and neither is a ">" inside a value the end of a tag.
    const QByteArray quotes = QByteArray("\"'").repeated(2000);
    const QByteArray surroundings = "<?xml version=\"1.0\"?><?pi " + quotes + "?>"
        + "<!DOCTYPE rss [<!-- " + quotes + " ]> --><!ENTITY e \"" + QByteArray("'").repeated(9)
        + "\"><?pi " + quotes + " ?>]>" + "<rss><!-- " + quotes + " --><![CDATA[<a " + quotes
        + "]]>" + tagWith(1024) + "<b>" + quotes + "</b></rss>";
    StartTagScanner scanner;
    EXPECT_TRUE(scanner.scan(surroundings));
    // Pieces may end anywhere, inside a tag or a value included.
    StartTagScanner pieces;
    const QByteArray crowded = surroundings + "\n\n" + tagWith(1025);
    for (qsizetype at = 0; at < crowded.size(); at += 7)
        pieces.scan(
            QByteArrayView(crowded).sliced(at, std::min<qsizetype>(7, crowded.size() - at)));
    EXPECT_TRUE(pieces.exceeded());
    EXPECT_EQ(pieces.tagStart(), surroundings.size() + 2);
}

TEST(StartTagScanner, AMillionAttributesAreRefusedAtOnceFromTextOrBytes)
{
    const QByteArray document = "<?xml version=\"1.0\"?>\n<rss>\n" + tagWith(1000000) + "</rss>";
    QElapsedTimer timer;
    timer.start();
    const vlxXMLDOM fromText(QString::fromUtf8(document));
    EXPECT_EQ(refusalOf(fromText), kRefusal);
    EXPECT_EQ(fromText.errorLineNumber(), 3);
    const vlxXMLDOM fromBytes(document);
    EXPECT_EQ(refusalOf(fromBytes), kRefusal);
    EXPECT_EQ(fromBytes.errorLineNumber(), 3);
    for (auto encoding : {QStringConverter::Utf16BE, QStringConverter::Utf32LE}) {
        QStringEncoder encoder(encoding, QStringConverter::Flag::WriteBom);
        const vlxXMLDOM wide(QByteArray(encoder.encode(QString::fromUtf8(document))));
        EXPECT_EQ(refusalOf(wide), kRefusal);
        EXPECT_EQ(wide.errorLineNumber(), 3);
    }
    EXPECT_LT(timer.elapsed(), 10000);
    // Up to the limit everything is read as before.
    const vlxXMLDOM full(QString::fromUtf8("<rss>" + tagWith(1024) + "</rss>"));
    ASSERT_TRUE(full.xmlTree());
    const vlxXMLNode *item = vlxXMLDOM::nodeAtIndex(0, full.nodeNamed("rss", 2, nullptr));
    EXPECT_EQ(vlxXMLDOM::attributeNamesOfNode(item).size(), 1024);
    EXPECT_EQ(vlxXMLDOM::attributeOfNode(item, "a1023"), "x>y");
}

TEST(StartTagScanner, EntityContentIsCountedAndDeclaredDefaultsAreNotMultiplied)
{
    // A crowded tag hidden in an entity, its quotes written as character references.
    const QByteArray hidden = "<!DOCTYPE rss [<!ENTITY e \"" + tagWith(2000).replace("\"", "&#34;")
        + "\">]><rss>&e;</rss>";
    EXPECT_EQ(refusalOf(vlxXMLDOM(QString::fromUtf8(hidden))), kRefusal);
    // Five thousand declared defaults and twenty thousand tags: nothing is added to the tags.
    QByteArray declarations = "<!DOCTYPE rss [<!ATTLIST item";
    for (int i = 0; i < 5000; ++i)
        declarations += " d" + QByteArray::number(i) + " CDATA \"v\"";
    const QByteArray document
        = declarations + ">]><rss>" + QByteArray("<item a=\"1\"/>").repeated(20000) + "</rss>";
    QElapsedTimer timer;
    timer.start();
    const vlxXMLDOM dom(QString::fromUtf8(document));
    EXPECT_LT(timer.elapsed(), 10000);
    ASSERT_TRUE(dom.xmlTree()) << dom.errorDescription().toStdString();
    const vlxXMLNode *last = vlxXMLDOM::nodeAtIndex(19999, dom.nodeNamed("rss", 2, nullptr));
    EXPECT_EQ(vlxXMLDOM::attributeNamesOfNode(last), QStringList {"a"});
}

} // namespace
