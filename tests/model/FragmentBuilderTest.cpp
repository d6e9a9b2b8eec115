#include "model/VLXLogic.h"

#include <gtest/gtest.h>

namespace {
class EncodeApos
{
public:
    explicit EncodeApos(int value)
    {
        VLXLogic::setSettingReader([value](const QString &key) {
            return key == QStringLiteral("EncodeApos") ? QVariant(value) : QVariant();
        });
    }
    ~EncodeApos() { VLXLogic::setSettingReader(nullptr); }
};
} // namespace

TEST(FragmentBuilders, AttributeListsEndWithAnExtraBlankPiece)
{
    EXPECT_EQ(VLXLogic::buildEnclosureString(QStringLiteral("http://a/b.mp3"), QStringLiteral("12"),
                                             QStringLiteral("audio/mpeg")),
              QStringLiteral("url=\"http://a/b.mp3\" length=\"12\" type=\"audio/mpeg\"  "));
    EXPECT_EQ(VLXLogic::buildEnclosureString({}, {}, {}), QStringLiteral(" "));
    EXPECT_EQ(VLXLogic::buildEnclosureString({}, {}, QStringLiteral("audio/mpeg")),
              QStringLiteral("type=\"audio/mpeg\"  "));
    EXPECT_EQ(VLXLogic::buildCategoryString(QStringLiteral("News"), QStringLiteral("d")),
              QStringLiteral("News domain=\"d\"  "));
    // A value of blanks counts as set.
    EXPECT_EQ(VLXLogic::buildSourceString(QStringLiteral(" "), {}), QStringLiteral("   "));
    EXPECT_EQ(
        VLXLogic::buildCloudString(QStringLiteral("h"), QStringLiteral("80"), {},
                                   QStringLiteral("p.q"), QStringLiteral("soap")),
        QStringLiteral("domain=\"h\" port=\"80\" registerProcedure=\"p.q\" protocol=\"soap\"  "));
    EXPECT_EQ(VLXLogic::buildTextInputString({}, QStringLiteral("d"), QStringLiteral("n"), {}),
              QStringLiteral("description=\"d\" name=\"n\"  "));
}

TEST(FragmentBuilders, SkipListsAndGuid)
{
    std::array<int, 7> days {};
    days[0] = days[6] = 1;
    EXPECT_EQ(VLXLogic::buildSkipDaysString(days), QStringLiteral("Sunday,Saturday"));
    EXPECT_EQ(VLXLogic::buildSkipDaysString({}), QStringLiteral(" "));
    std::array<int, 24> hours {};
    hours[0] = hours[9] = hours[23] = 2;
    EXPECT_EQ(VLXLogic::buildSkipHoursString(hours), QStringLiteral("0,9,23"));
    EXPECT_EQ(VLXLogic::buildSkipHoursString({}), QStringLiteral(" "));

    EXPECT_EQ(VLXLogic::buildGUIDString(QStringLiteral("g"), 1),
              QStringLiteral("g isPermaLink=\"true\""));
    EXPECT_EQ(VLXLogic::buildGUIDString(QStringLiteral("g"), 0),
              QStringLiteral("g isPermaLink=\"false\""));
    EXPECT_EQ(VLXLogic::buildGUIDString({}, 1), QStringLiteral(" "));

    EXPECT_EQ(VLXLogic::buildNameSpaceListString({QStringLiteral("xmlns:itunes=\"http://x/\""),
                                                  QStringLiteral("junk"),
                                                  QStringLiteral("xmlns:dc=\"http://y/\"")}),
              QStringLiteral("itunes, , dc"));
    EXPECT_EQ(VLXLogic::buildNameSpaceListString({}), QStringLiteral(""));
}

TEST(XMLEscaping, AmpersandGoesFirstAndAposFollowsTheSetting)
{
    EXPECT_EQ(VLXLogic::encodeSpecialXMLChars(QStringLiteral("a&amp;<b>\"'")),
              QStringLiteral("a&amp;amp;&lt;b&gt;&quot;'"));
    EXPECT_EQ(VLXLogic::encodeSpecialXMLChars(QString()), QStringLiteral(""));
    EXPECT_FALSE(VLXLogic::encodeSpecialXMLChars(QString()).isNull());
    {
        EncodeApos on(1);
        EXPECT_EQ(VLXLogic::encodeSpecialXMLChars(QStringLiteral("it's")),
                  QStringLiteral("it&apos;s"));
    }
    {
        EncodeApos off(0);
        EXPECT_EQ(VLXLogic::encodeSpecialXMLChars(QStringLiteral("it's")), QStringLiteral("it's"));
    }
}

TEST(XMLEscaping, BestEncodingSwitchesToCdataAboveTwentyEscapes)
{
    EXPECT_EQ(VLXLogic::encodeDescriptionWithBestEncoding(QString(20, u'&')),
              QString(QStringLiteral("&amp;")).repeated(20));
    EXPECT_EQ(VLXLogic::encodeDescriptionWithBestEncoding(QString(21, u'&')),
              QStringLiteral("<![CDATA[") + QString(21, u'&') + QStringLiteral("]]>"));
    {
        // With the setting on, apostrophes count as escapes too.
        EncodeApos on(1);
        const QString text = QString(20, u'\'') + u'&';
        EXPECT_TRUE(VLXLogic::encodeDescriptionWithBestEncoding(text).startsWith(u"<![CDATA["));
    }
    EXPECT_EQ(VLXLogic::encodeDescriptionWithBestEncoding(QString()), QStringLiteral(""));
}

TEST(XMLEscaping, CdataTerminatorInTextSurvives)
{
    EXPECT_EQ(VLXLogic::encodeDescriptionWithBestEncoding(QStringLiteral("a]]>b")),
              QStringLiteral("a]]&gt;b"));
    const QString many = QString(21, u'<') + QStringLiteral("x]]>y");
    const QString encoded = VLXLogic::encodeDescriptionWithBestEncoding(many);
    EXPECT_EQ(encoded,
              QStringLiteral("<![CDATA[") + QString(21, u'<')
                  + QStringLiteral("x]]]]><![CDATA[>y]]>"));
    // Reading the sections back (concatenating their contents) gives the text exactly.
    QString readBack;
    qsizetype at = 0;
    while ((at = encoded.indexOf(u"<![CDATA[", at)) >= 0) {
        const qsizetype end = encoded.indexOf(u"]]>", at + 9);
        readBack += encoded.mid(at + 9, end - at - 9);
        at = end + 3;
    }
    EXPECT_EQ(readBack, many);
}

TEST(XMLEscaping, NumericReferencesDecodeOnlyLegalSmallCharacters)
{
    EXPECT_EQ(VLXLogic::decodeNumericEncodedCharacters(QStringLiteral("&#65;&#x41;&#X42;")),
              QStringLiteral("AAB"));
    // too short, too long, too large
    EXPECT_EQ(VLXLogic::decodeNumericEncodedCharacters(QStringLiteral("&#6;")),
              QStringLiteral("&#6;"));
    EXPECT_EQ(VLXLogic::decodeNumericEncodedCharacters(QStringLiteral("&#0000065;")),
              QStringLiteral("&#0000065;"));
    EXPECT_EQ(VLXLogic::decodeNumericEncodedCharacters(QStringLiteral("&#x100;")),
              QStringLiteral("&#x100;"));
    EXPECT_EQ(VLXLogic::decodeNumericEncodedCharacters(QStringLiteral("&#233;t&#xe9;")),
              QString::fromUtf8("\xC3\xA9t\xC3\xA9"));
    // Signs, zero, control characters and stray characters never decode.
    for (const char *bad :
         {"&#-65;", "&#+65;", "&#00;", "&#x0;", "&#1;", "&#x1F;", "&#6a5;", "&#x;"}) {
        const QString text = QString::fromLatin1(bad);
        EXPECT_EQ(VLXLogic::decodeNumericEncodedCharacters(text), text) << bad;
    }
    EXPECT_EQ(VLXLogic::decodeNumericEncodedCharacters(QStringLiteral("&#09;&#10;&#13;")),
              QStringLiteral("\t\n\r"));
    // A reference that starts inside a rejected one is still found.
    EXPECT_EQ(VLXLogic::decodeNumericEncodedCharacters(QStringLiteral("&#&#66;")),
              QStringLiteral("&#B"));
    // A decoded "&" does not start a new reference.
    EXPECT_EQ(VLXLogic::decodeNumericEncodedCharacters(QStringLiteral("&#38;#65;")),
              QStringLiteral("&#65;"));
}

TEST(XMLEscaping, NumericReferencesReadAsHTMLReadsThem)
{
    // 128 to 159 are the windows-1252 characters browsers show, not C1 controls; the five that
    // windows-1252 leaves undefined stand for themselves.
    EXPECT_EQ(VLXLogic::decodeNumericEncodedCharacters(QStringLiteral("&#146;&#128;&#x99;&#129;")),
              QString::fromUtf8("\u2019\u20AC\u2122") + QChar(0x81));
    // In text holding HTML, references to markup characters stay as written: decoded, "&#38;lt;"
    // would read as a "<".
    EXPECT_EQ(VLXLogic::decodeNumericEncodedCharactersInHTML(
                  QStringLiteral("&#38;lt; &#60;b&#62; &#34;&#39; &#x26; &#233; &#150;")),
              QString::fromUtf8("&#38;lt; &#60;b&#62; &#34;&#39; &#x26; \u00E9 \u2013"));
    EXPECT_EQ(VLXLogic::decodeNumericEncodedCharacters(QStringLiteral("&#38;lt; &#60;")),
              QStringLiteral("&lt; <"));
}
