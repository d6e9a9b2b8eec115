#include "model/VLXLogic.h"

#include <gtest/gtest.h>

TEST(TextHelpers, StripHtmlKeepsTextAndDropsMarkup)
{
    EXPECT_EQ(VLXLogic::stripHTML(QStringLiteral("plain text")), QStringLiteral("plain text"));
    EXPECT_EQ(VLXLogic::stripHTML(QStringLiteral("<p>Hello <b>world</b></p><p>again</p>")),
              QStringLiteral("Hello world\nagain"));
    EXPECT_EQ(VLXLogic::stripHTML(QStringLiteral("caf&eacute; &amp; tea")),
              QString::fromUtf8("caf\xC3\xA9 & tea"));
    EXPECT_EQ(VLXLogic::stripHTML(QStringLiteral("one<br>two<script>alert(1)</script>")),
              QStringLiteral("one\ntwo"));
    // Inline markup around part of a line keeps the line whole.
    EXPECT_EQ(VLXLogic::stripHTML(QStringLiteral("<b>Tales</b> of the harbour")),
              QStringLiteral("Tales of the harbour"));
    EXPECT_EQ(VLXLogic::stripHTML(QStringLiteral("Tales of <i>the</i> harbour &amp; sea")),
              QStringLiteral("Tales of the harbour & sea"));
    // Nothing readable: the input comes back.
    EXPECT_EQ(VLXLogic::stripHTML(QStringLiteral("<img src=\"x.png\">")),
              QStringLiteral("<img src=\"x.png\">"));
}

TEST(TextHelpers, ContainsHtmlOnlyWhenMarkupChangesTheText)
{
    EXPECT_TRUE(VLXLogic::containsHTML(QStringLiteral("Hello <b>world</b>")));
    EXPECT_TRUE(VLXLogic::containsHTML(QStringLiteral("Fish &amp; chips")));
    EXPECT_FALSE(VLXLogic::containsHTML(QStringLiteral("Fish and chips")));
    EXPECT_TRUE(VLXLogic::containsHTML(QStringLiteral("line<br>")));
    // Only the reader's white-space handling differs: plain.
    EXPECT_FALSE(VLXLogic::containsHTML(QStringLiteral("a  \n b & c")));
    EXPECT_FALSE(VLXLogic::containsHTML(QStringLiteral("5 < 6")));
}

TEST(TextHelpers, DurationsCarryAndPad)
{
    EXPECT_EQ(VLXLogic::convertStringToHHMMSS(QStringLiteral("90")), QStringLiteral("1:30"));
    EXPECT_EQ(VLXLogic::convertStringToHHMMSS(QStringLiteral("3700")), QStringLiteral("1:01:40"));
    EXPECT_EQ(VLXLogic::convertStringToHHMMSS(QStringLiteral("1:0:100")),
              QStringLiteral("1:01:40"));
    EXPECT_EQ(VLXLogic::convertStringToHHMMSS(QStringLiteral("5")), QStringLiteral("0:05"));
    EXPECT_EQ(VLXLogic::convertStringToHHMMSS(QStringLiteral(" 2: 5x")), QStringLiteral("2:05"));
    EXPECT_EQ(VLXLogic::convertStringToHHMMSS(QStringLiteral("1:2:3:4")), QStringLiteral(""));
    EXPECT_EQ(VLXLogic::convertStringToHHMMSS(QStringLiteral("   ")), QStringLiteral(""));
    EXPECT_EQ(VLXLogic::convertStringToHHMMSS(QStringLiteral("abc")), QStringLiteral("0:00"));
}

TEST(TextHelpers, OneLineDisplayAndBlanks)
{
    EXPECT_EQ(VLXLogic::convertCRLFtoSymbols(QStringLiteral("a\r\nb\tc")),
              QStringLiteral("a\u21A9\u21A9b c"));
    EXPECT_EQ(VLXLogic::stringOfSpace(0), QStringLiteral(""));
    EXPECT_EQ(VLXLogic::stringOfSpace(-3), QStringLiteral(""));
    EXPECT_EQ(VLXLogic::stringOfSpace(4), QStringLiteral("    "));
    EXPECT_EQ(VLXLogic::stringOfSpace(500).size(), 96);
}

TEST(PrettyPrinter, NestsTagsFourBlanksALevel)
{
    EXPECT_EQ(VLXLogic::formatXML(QStringLiteral("<a><b>x</b><c/></a>")),
              QStringLiteral("<a>\n    <b>x</b>\n    <c/>\n</a>"));
    EXPECT_EQ(VLXLogic::formatXML(QStringLiteral("<?xml version=\"1.0\"?><rss><channel/></rss>")),
              QStringLiteral("<?xml version=\"1.0\"?>\n<rss>\n    <channel/>\n</rss>"));
    EXPECT_EQ(VLXLogic::formatXML(QStringLiteral("<b>x</b>"), 2),
              QStringLiteral("        <b>x</b>"));
}

TEST(PrettyPrinter, CdataCopiedAsIsAndItemsSeparated)
{
    EXPECT_EQ(VLXLogic::formatXML(QStringLiteral("<d><![CDATA[<p>keep</p>]]></d>")),
              QStringLiteral("<d><![CDATA[<p>keep</p>]]></d>"));
    EXPECT_EQ(VLXLogic::formatXML(QStringLiteral("<d><![CDATA[<p>open")),
              QStringLiteral("<d><![CDATA[<p>open"));
    EXPECT_EQ(
        VLXLogic::formatXML(QStringLiteral("<i><item><t>a</t></item><item/></i>")),
        QStringLiteral("<i>\n    <item>\n        <t>a</t>\n    </item>\n\n    <item/>\n</i>"));
    // A comment does not raise the level; a lone "<" at the end is copied.
    EXPECT_EQ(VLXLogic::formatXML(QStringLiteral("<!--c--><a/><")),
              QStringLiteral("<!--c-->\n<a/>\n<"));
}

TEST(PrettyPrinter, DeepNestingIndentationIsCapped)
{
    QString xml;
    for (int i = 0; i < 40; ++i)
        xml += QStringLiteral("<e>");
    const QString out = VLXLogic::formatXML(xml);
    EXPECT_TRUE(out.endsWith(QString(96, u' ') + QStringLiteral("<e>")));
    EXPECT_FALSE(out.contains(QString(97, u' ')));
}
