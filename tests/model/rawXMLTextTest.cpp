#include "model/rawXMLText.h"

#include <gtest/gtest.h>

TEST(rawXMLText, CompactDropsOnlyLayoutBetweenTags)
{
    EXPECT_EQ(rawXMLText::compact(QStringLiteral("<a>\n    <b>x y</b>\n\n   <c/>\n</a>")),
              QStringLiteral("<a><b>x y</b><c/></a>"));
    // Blanks without a line break are content; so is everything in CDATA and comments.
    EXPECT_EQ(rawXMLText::compact(QStringLiteral("<a> </a>")), QStringLiteral("<a> </a>"));
    EXPECT_EQ(rawXMLText::compact(QStringLiteral("<a><![CDATA[\n  <b>\n]]></a>")),
              QStringLiteral("<a><![CDATA[\n  <b>\n]]></a>"));
    EXPECT_EQ(rawXMLText::compact(QStringLiteral("<a t=\"x>\n  y\">\n  <b/></a>")),
              QStringLiteral("<a t=\"x>\n  y\"><b/></a>"));
    // A break and indentation between text and the next tag are layout; the text stays, the
    // blank before the break with it. Where the layout breaks no line, white space is text.
    EXPECT_EQ(rawXMLText::compact(QStringLiteral("<a>text \n  <b/>tail \n</a>")),
              QStringLiteral("<a>text <b/>tail </a>"));
    EXPECT_EQ(rawXMLText::compact(QStringLiteral("<a>\n</a><c>tail\n</c>")),
              QStringLiteral("<a>\n</a><c>tail\n</c>"));
    // Text around a lone break inside an element is kept.
    EXPECT_EQ(rawXMLText::compact(QStringLiteral("<a>one\ntwo</a>")),
              QStringLiteral("<a>one\ntwo</a>"));
}

TEST(rawXMLText, RenamePrefixTouchesNamesOnly)
{
    EXPECT_EQ(rawXMLText::renamePrefix(QStringLiteral("<itms:a itms:x=\"itms:v\"><itms:b/>itms:text"
                                                      "<![CDATA[<itms:c>]]></itms:a>"),
                                       QStringLiteral("itms"), QStringLiteral("itunes")),
              QStringLiteral("<itunes:a itunes:x=\"itms:v\"><itunes:b/>itms:text"
                             "<![CDATA[<itms:c>]]></itunes:a>"));
    EXPECT_EQ(rawXMLText::renamePrefix(QStringLiteral("<a xmlns:itms=\"u\"><itmsx:b/></a>"),
                                       QStringLiteral("itms"), QStringLiteral("itunes")),
              QStringLiteral("<a xmlns:itunes=\"u\"><itmsx:b/></a>"));
}
