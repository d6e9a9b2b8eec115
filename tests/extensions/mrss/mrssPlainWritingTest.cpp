// Elements whose texts need no entity and no encoding are written as one measured line, copied
// byte for byte; the others go through the escaping writer. Either way the document must be the
// same, and a single character that needs escaping must send the element the escaping way.

#include "extensions/mrss/mrssItem.h"
#include "model/VLXLogic.h"
#include "mrssTestSupport.h"
#include "platform/MemoryDefaultsStore.h"
#include "settings/VLXPreferences.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

using K = mrssOptionalElements;

// Runs the test with "'" escaped and then not.
class mrssPlainWriting : public ::testing::TestWithParam<bool>
{
protected:
    void SetUp() override
    {
        const bool apos = GetParam();
        VLXLogic::setSettingReader([apos](const QString &key) {
            return key == QStringLiteral("EncodeApos") ? QVariant(apos ? 1 : 0) : QVariant();
        });
    }
    // Puts the settings' own reader back.
    void TearDown() override { VLXPreferences::useStore(std::make_unique<MemoryDefaultsStore>()); }

    QString escaped(const QString &text) const
    {
        QString out;
        for (const QChar c : text) {
            switch (c.unicode()) {
            case u'&': out += QStringLiteral("&amp;"); break;
            case u'<': out += QStringLiteral("&lt;"); break;
            case u'>': out += QStringLiteral("&gt;"); break;
            case u'"': out += QStringLiteral("&quot;"); break;
            case u'\'': out += GetParam() ? QStringLiteral("&apos;") : QStringLiteral("'"); break;
            default: out += c;
            }
        }
        return out;
    }
};

// The element of a kind with each of its fields set to the text given ("" leaves it out).
QVariantMap filled(int kind, const QString &text)
{
    QVariantMap map;
    map.insert(K::kTypeKey, kind);
    for (int index = 0; index < K::fieldCount(kind); ++index) {
        if (!text.isEmpty())
            map.insert(K::fieldKey(kind, index), text + QString::number(index));
    }
    return map;
}

} // namespace

TEST_P(mrssPlainWriting, EachKindWritesAlikeFromItsFieldsAndFromADictionary)
{
    // A key no field stands for keeps the element as a dictionary, which is written the
    // escaping way; the same element kept as fields is plain.
    for (const QString &text : {QStringLiteral("http://x/v"), QString()}) {
        for (int kind = 0; kind < K::kKindCount; ++kind) {
            K fields;
            K dictionary;
            const QVariantMap map = filled(kind, text);
            QVariantMap foreign = map;
            foreign.insert(QStringLiteral("note"), QStringLiteral("not written"));
            fields.addDictionary(map);
            dictionary.addDictionary(foreign);
            for (const QString &indent : {QString(), QStringLiteral("            ")}) {
                const QString written = fields.buildXML(indent);
                EXPECT_EQ(written, dictionary.buildXML(indent)) << kind << qPrintable(text);
                EXPECT_TRUE(written.startsWith(indent + "<media:"_L1)) << qPrintable(written);
                EXPECT_TRUE(written.endsWith(u'\n'));
            }
        }
    }
    // Links that must be written even when empty are, on the plain way too.
    K empty;
    empty.addDictionary(filled(K::kThumbnail, QString()));
    empty.addDictionary(filled(K::kRestriction, QString()));
    EXPECT_EQ(empty.buildXML(QString()),
              QStringLiteral("<media:thumbnail url=\"\" />\n"
                             "<media:restriction relationship=\"\"></media:restriction>\n"));
}

TEST_P(mrssPlainWriting, OneCharacterToEscapeAnywhereIsEscaped)
{
    const char16_t characters[] = {u'&', u'<', u'>', u'"', u'\'', 0x7F, 0xE9, 0x20AC};
    for (const qsizetype at : {0, 7, 8, 16}) {
        for (const char16_t c : characters) {
            QString value(17, u'a');
            value[at] = QChar(c);
            const QString expected = escaped(value);

            K set;
            set.addDictionary(element(K::kTitle, {{"elementDescription", "t"}}));
            set.setValue(K::kTitle, [&] {
                QVariantMap title = element(K::kTitle, {});
                title.insert(K::kTextKey, value);
                return title;
            }());
            QVariantMap credit = element(K::kCredit, {{"elementDescription", "c"}});
            credit.insert(QStringLiteral("attributeRole"), value);
            set.addDictionary(credit);
            EXPECT_EQ(set.buildXML(QStringLiteral("  ")),
                      "  <media:title>"_L1 + expected + "</media:title>\n"
                          "  <media:credit role=\""_L1 + expected + "\">c</media:credit>\n"_L1)
                << int(c) << " at " << at;

            mrssRequiredElement content;
            content.setAttribute("attributeURL", QStringLiteral("http://x/a.mp3"));
            content.setAttribute("attributeType", value);
            EXPECT_EQ(content.buildXML(QStringLiteral("  ")),
                      "  <media:content url=\"http://x/a.mp3\" type=\""_L1 + expected
                          + "\" />\n"_L1)
                << int(c) << " at " << at;
        }
    }
    // A link that needs a change is made safe, whatever its neighbours.
    mrssRequiredElement content;
    content.setAttribute("attributeURL", QStringLiteral("http://x/a b.mp3?c=1&d=2"));
    content.setAttribute("attributeType", QStringLiteral("audio/mpeg"));
    EXPECT_EQ(content.buildXML(QString()),
              QStringLiteral("<media:content url=\"http://x/a%20b.mp3?c=1&amp;d=2\" "
                             "type=\"audio/mpeg\" />\n"));
    content.setAttribute("attributeURL", QStringLiteral("http://x/a.mp3"));
    EXPECT_EQ(content.buildXML(QString()),
              QStringLiteral("<media:content url=\"http://x/a.mp3\" type=\"audio/mpeg\" />\n"));
}

INSTANTIATE_TEST_SUITE_P(Apos, mrssPlainWriting, ::testing::Bool());

TEST(mrssRequiredElement, AttributesAreTakenAsTheyStandOrDecodedAndTrimmed)
{
    auto item = std::make_shared<mrssItem>();
    readElements(*item, QStringLiteral("media"),
                 QStringLiteral("<media:content url=\"http://x/a.mp3?b=1&amp;c=2\" "
                                "type=\" audio/mpeg\" medium=\"vid&#233;o\" lang=\"zo\u00eb\" "
                                "fileSize=\"12 \" bitrate=\"\" duration=\"&#x31;0\" "
                                "channels=\" \" height=\"1\" width=\"a\tb\"/>"));
    ASSERT_EQ(item->mediaContentsValue().size(), 1);
    const mrssRequiredElement &read = item->mediaContentsValueAtIndex(0);
    EXPECT_EQ(read.attribute("attributeURL"), QStringLiteral("http://x/a.mp3?b=1&c=2"));
    EXPECT_EQ(read.attribute("attributeType"), QStringLiteral("audio/mpeg"));
    EXPECT_EQ(read.attribute("attributeMedium"), QStringLiteral("vid\u00e9o"));
    EXPECT_EQ(read.attribute("attributeLang"), QStringLiteral("zo\u00eb"));
    EXPECT_EQ(read.attribute("attributeFileSize"), QStringLiteral("12"));
    EXPECT_EQ(read.attribute("attributeBitRate"), QString());
    EXPECT_EQ(read.attribute("attributeDuration"), QStringLiteral("10"));
    EXPECT_EQ(read.attribute("attributeChannels"), QString());
    EXPECT_EQ(read.attribute("attributeHeight"), QStringLiteral("1"));
    // The parser hands a tab in a value over as a blank.
    EXPECT_EQ(read.attribute("attributeWidth"), QStringLiteral("a b"));
    EXPECT_EQ(read.buildXML(QString()),
              QStringLiteral("<media:content url=\"http://x/a.mp3?b=1&amp;c=2\" fileSize=\"12\" "
                             "type=\"audio/mpeg\" medium=\"vid\u00e9o\" duration=\"10\" "
                             "height=\"1\" width=\"a b\" lang=\"zo\u00eb\" />\n"));
}
