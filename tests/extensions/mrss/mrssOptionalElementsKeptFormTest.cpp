// The optional elements keep each element as one text of fields rather than a dictionary; the
// dictionaries handed out and written must be exactly the ones put in.

#include "extensions/mrss/mrssOptionalElements.h"
#include "mrssTestSupport.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"

#include <gtest/gtest.h>

namespace {

using K = mrssOptionalElements;

mrssOptionalElements roundTrip(const mrssOptionalElements &set)
{
    const QByteArray bytes = KeyedArchiver::archivedDataWithRootObject(set.toArchivable());
    return K::fromArchivable(KeyedUnarchiver::unarchiveObjectWithData(bytes));
}

} // namespace

TEST(mrssOptionalElementsKeptForm, DictionariesComeBackWithTheirKeysMissingEmptyAndForeign)
{
    K set;
    // Missing keys stay missing, empty texts stay present and empty, field order is irrelevant.
    const QVariantMap onlyURL = element(K::kThumbnail, {{"attributeURL", "http://a/b.jpg"}});
    const QVariantMap emptyTexts = element(
        K::kText, {{"attributeEnd", ""}, {"elementDescription", ""}, {"attributeLang", "de"}});
    const QVariantMap noType = element(-1, {{"attributeScheme", "s"}});
    QVariantMap untyped = noType;
    untyped.remove(K::kTypeKey);
    // Keys no field stands for, values that are no text, a kind number of another kind.
    QVariantMap foreign = element(K::kCategory, {{"elementDescription", "c"}});
    foreign.insert(QStringLiteral("note"), QStringLiteral("kept"));
    QVariantMap numeric = element(K::kThumbnail, {{"attributeURL", "u"}});
    numeric.insert(QStringLiteral("attributeHeight"), 120);
    const QVariantMap otherKind = element(K::kThumbnail, {{"attributeURL", "x"}});
    QVariantMap textType = element(K::kTitle, {{"elementDescription", "t"}});
    textType.insert(K::kTypeKey, QStringLiteral("1"));

    set.addValue(K::kThumbnail, onlyURL);
    set.addValue(K::kThumbnail, numeric);
    set.addValue(K::kText, emptyTexts);
    set.addValue(K::kRating, untyped);
    set.addValue(K::kCategory, foreign);
    set.addValue(K::kKeywords, otherKind);
    set.setValue(K::kTitle, textType);
    set.setValue(K::kCopyright, {});

    EXPECT_EQ(set.values(K::kThumbnail), (QList<QVariantMap> {onlyURL, numeric}));
    EXPECT_EQ(set.values(K::kText).first(), emptyTexts);
    EXPECT_EQ(set.values(K::kRating).first(), untyped);
    EXPECT_EQ(set.values(K::kCategory).first(), foreign);
    EXPECT_EQ(K::kindOf(set.values(K::kKeywords).first()), int(K::kThumbnail));
    EXPECT_EQ(set.value(K::kTitle), textType);
    EXPECT_TRUE(set.value(K::kCopyright).isEmpty());
    // Single and list accessors do not answer for the other sort of kind.
    EXPECT_TRUE(set.values(K::kTitle).isEmpty());
    EXPECT_TRUE(set.value(K::kThumbnail).isEmpty());

    // Replacing moves an element between the kept forms both ways.
    set.replaceValueAtIndex(K::kThumbnail, foreign, 0);
    set.replaceValueAtIndex(K::kThumbnail, onlyURL, 1);
    EXPECT_EQ(set.values(K::kThumbnail), (QList<QVariantMap> {foreign, onlyURL}));

    const K back = roundTrip(set);
    EXPECT_EQ(back, set);
    EXPECT_EQ(back.values(K::kText).first(), emptyTexts);
    EXPECT_EQ(back.values(K::kCategory).first(), foreign);
    EXPECT_EQ(back.value(K::kTitle), textType);
}

TEST(mrssOptionalElementsKeptForm, WritesEveryFieldFromEitherForm)
{
    // A dictionary with a number and a foreign key writes as its texts; the foreign key is not
    // written, as it never was.
    QVariantMap thumbnail = element(K::kThumbnail, {{"attributeURL", "http://a/?x=1&y=2"}});
    thumbnail.insert(QStringLiteral("attributeWidth"), 64);
    thumbnail.insert(QStringLiteral("other"), QStringLiteral("no"));
    K set;
    set.addDictionary(thumbnail);
    set.addDictionary(element(K::kRestriction, {{"elementDescription", "a<b & \"c\""}}));
    set.addDictionary(element(K::kCredit,
                              {{"attributeRole", "host & <guest>"},
                               {"attributeScheme", "urn:x"},
                               {"elementDescription", "Zoë"}}));
    set.addDictionary(element(K::kTitle, {}));
    EXPECT_EQ(
        set.buildXML(QStringLiteral("  ")),
        QStringLiteral("  <media:title></media:title>\n"
                       "  <media:thumbnail url=\"http://a/?x=1&amp;y=2\" width=\"64\" />\n"
                       "  <media:credit role=\"host &amp; &lt;guest&gt;\" scheme=\"urn:x\">Zoë"
                       "</media:credit>\n"
                       "  <media:restriction relationship=\"\">a&lt;b &amp; &quot;c&quot;"
                       "</media:restriction>\n"));
    // The same elements read from that text write the same text again.
    const QString written = set.buildXML(QString());
    EXPECT_EQ(readSet(written).buildXML(QString()), written);
}

TEST(mrssOptionalElementsKeptForm, EmptinessFollowsTheFlagsAlone)
{
    K set;
    EXPECT_TRUE(set.isEmpty());
    set.setValue(K::kDescription, element(K::kDescription, {{"elementDescription", "d"}}));
    // A value without its flag does not count, nor is it written.
    EXPECT_TRUE(set.isEmpty());
    EXPECT_EQ(set.buildXML(QString()), QString());
    set.setUsed(K::kDescription, true);
    EXPECT_FALSE(set.isEmpty());
    set.deleteObjectAtIndex(0);
    EXPECT_TRUE(set.isEmpty());
    // The description is kept for when the flag comes back.
    EXPECT_EQ(set.value(K::kDescription).value(K::kTextKey), QStringLiteral("d"));
    set.setUsed(-1, true);
    set.setUsed(K::kKindCount, true);
    EXPECT_TRUE(set.isEmpty());
    EXPECT_FALSE(set.used(K::kKindCount));
}
