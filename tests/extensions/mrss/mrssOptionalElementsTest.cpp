#include "extensions/mrss/mrssOptionalElements.h"
#include "model/FeedElement.h"
#include "mrssTestSupport.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"

#include <gtest/gtest.h>

namespace {

using K = mrssOptionalElements;

// The owner's messages one a line, readable when a comparison fails.
std::string entries(const FeedElement &owner)
{
    return owner.listOfErrors(true, true, true).join(u'\n').toStdString();
}

std::string lines(const QStringList &list)
{
    return list.join(u'\n').toStdString();
}

mrssOptionalElements roundTrip(const mrssOptionalElements &set)
{
    const QByteArray bytes = KeyedArchiver::archivedDataWithRootObject(set.toArchivable());
    return K::fromArchivable(KeyedUnarchiver::unarchiveObjectWithData(bytes));
}

} // namespace

TEST(mrssOptionalElements, EachKindReadsAndWritesItsOwnForm)
{
    struct Row
    {
        const char *read;
        const char *written;
    } rows[] = {
        {"<media:rating scheme=\"urn:mpaa\">pg &amp; r</media:rating>",
         "<media:rating scheme=\"urn:mpaa\">pg &amp; r</media:rating>"},
        {"<media:rating>adult</media:rating>", "<media:rating>adult</media:rating>"},
        {"<media:title type=\"a&quot;b\"> The &#65; </media:title>",
         "<media:title type=\"a&quot;b\">The A</media:title>"},
        {"<media:description type=\"plain\">d</media:description>",
         "<media:description type=\"plain\">d</media:description>"},
        // Markup around words is text, as it would read escaped; what it escapes stays escaped.
        {"<media:title>Extra <b>bold</b></media:title>",
         "<media:title>Extra &lt;b&gt;bold&lt;/b&gt;</media:title>"},
        {"<media:description>a <p>b <i>c</i>&amp;</p> d</media:description>",
         "<media:description>a &lt;p&gt;b &lt;i&gt;c&lt;/i&gt;&amp;amp;&lt;/p&gt; "
         "d</media:description>"},
        {"<media:keywords></media:keywords>", "<media:keywords></media:keywords>"},
        {"<media:thumbnail height=\"5\" time=\"1&lt;2\" />",
         "<media:thumbnail url=\"\" height=\"5\" time=\"1&lt;2\" />"},
        {"<media:thumbnail url=\" http://x/a b.jpg \" width=\"7\"/>",
         "<media:thumbnail url=\"http://x/a%20b.jpg\" width=\"7\" />"},
        {"<media:category scheme=\"http://s/?a=1&amp;b=2\" label=\"L&amp;\">c</media:category>",
         "<media:category scheme=\"http://s/?a=1&amp;b=2\" label=\"L&amp;\">c</media:category>"},
        {"<media:hash algo=\"md5\">abc</media:hash>", "<media:hash algo=\"md5\">abc</media:hash>"},
        {"<media:player url=\"http://p/\" height=\"1\">ignored text</media:player>",
         "<media:player url=\"http://p/\" height=\"1\" />"},
        {"<media:player/>", "<media:player url=\"\" />"},
        {"<media:credit role=\"producer\" scheme=\"urn:ebu\">Ann</media:credit>",
         "<media:credit role=\"producer\" scheme=\"urn:ebu\">Ann</media:credit>"},
        {"<media:copyright url=\"http://c/\">2024</media:copyright>",
         "<media:copyright url=\"http://c/\">2024</media:copyright>"},
        {"<media:text type=\"plain\" lang=\"en\" start=\"00:01\" end=\"00:02\">t</media:text>",
         "<media:text type=\"plain\" lang=\"en\" start=\"00:01\" end=\"00:02\">t</media:text>"},
        {"<media:restriction>us</media:restriction>",
         "<media:restriction relationship=\"\">us</media:restriction>"},
        {"<media:restriction relationship=\"allow\" type=\"country\">us ca</media:restriction>",
         "<media:restriction relationship=\"allow\" type=\"country\">us ca</media:restriction>"},
        {"<media:adult>TRUE</media:adult>", "<media:adult>true</media:adult>"},
        {"<media:adult>yes</media:adult>", "<media:adult>false</media:adult>"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.read);
        const K set = readSet(QString::fromUtf8(row.read));
        EXPECT_EQ(set.buildXML(QStringLiteral("  ")),
                  QStringLiteral("  ") + QString::fromUtf8(row.written) + u'\n');
    }
}

TEST(mrssOptionalElements, ReadsAnyPrefixAndCaseAndWritesMedia)
{
    const K set = readSet(QStringLiteral("<M:Title>one</M:Title><m:title>two</m:title>"
                                         "<m:unknown>x</m:unknown><other>y</other>"),
                          QStringLiteral("M"));
    EXPECT_EQ(set.buildXML(QString()), QStringLiteral("<media:title>two</media:title>\n"));
    EXPECT_EQ(set.objectCount(), 1);
    // Kinds are written in kind order, whatever the document's order.
    const K mixed = readSet(QStringLiteral("<media:restriction relationship=\"deny\">x"
                                           "</media:restriction><media:adult>true</media:adult>"
                                           "<media:rating>adult</media:rating>"));
    EXPECT_EQ(mixed.buildXML(QString()),
              QStringLiteral("<media:adult>true</media:adult>\n"
                             "<media:rating>adult</media:rating>\n"
                             "<media:restriction relationship=\"deny\">x</media:restriction>\n"));
}

TEST(mrssOptionalElements, AdultBecomesARatingAfterReading)
{
    K alone = readSet(QStringLiteral("<media:adult>TRUE</media:adult>"));
    EXPECT_TRUE(alone.isEmpty());
    EXPECT_EQ(alone.elementsUsed(), QString());
    EXPECT_FALSE(alone.buildXML(QString()).isEmpty());
    alone.finalProcessing();
    EXPECT_FALSE(alone.mediaAdultUsed());
    EXPECT_TRUE(alone.used(K::kRating));
    ASSERT_EQ(alone.values(K::kRating).size(), 1);
    EXPECT_EQ(
        alone.values(K::kRating).first(),
        element(K::kRating, {{"elementDescription", "adult"}, {"attributeScheme", "urn:simple"}}));

    K beside = readSet(QStringLiteral("<media:rating scheme=\"urn:simple\">nonadult</media:rating>"
                                      "<media:adult>false</media:adult>"));
    beside.finalProcessing();
    EXPECT_EQ(beside.values(K::kRating).size(), 1);
    EXPECT_FALSE(beside.mediaAdultUsed());

    K other = readSet(QStringLiteral("<media:rating scheme=\"urn:mpaa\">pg</media:rating>"
                                     "<media:adult>no</media:adult>"));
    other.finalProcessing();
    ASSERT_EQ(other.values(K::kRating).size(), 2);
    EXPECT_EQ(other.objectShortDescriptionAtIndex(1), QStringLiteral("nonadult"));
}

TEST(mrssOptionalElements, ValidationRepairsAndWarnsWordForWord)
{
    K set = readSet(QStringLiteral(
        "<media:title>a &lt;b&gt;bold&lt;/b&gt; one</media:title>"
        "<media:description type=\"html\">ok &lt;i&gt;x&lt;/i&gt;</media:description>"
        "<media:keywords>one, two</media:keywords><media:keywords>one two</media:keywords>"
        "<media:keywords>   </media:keywords>"
        "<media:thumbnail url=\"  \"/>"
        "<media:hash algo=\"sha1\">1</media:hash><media:hash algo=\"sha1\">2</media:hash>"
        "<media:hash>3</media:hash><media:hash algo=\"md5\">4</media:hash>"
        "<media:hash algo=\"SHA1\">5</media:hash>"
        "<media:player url=\"\"/>"
        "<media:text>plain &lt;p&gt;para&lt;/p&gt;</media:text>"
        "<media:restriction type=\"country\">a</media:restriction>"
        "<media:restriction type=\"country\" relationship=\"deny\">b</media:restriction>"
        "<media:restriction type=\"uri\" relationship=\"deny\">c</media:restriction>"));
    // Reading trims; a text typed with a leading blank splits at that blank.
    set.addDictionary(element(K::kKeywords, {{"elementDescription", " single"}}));
    FeedElement owner;
    set.validate(&owner);
    const QString html = QStringLiteral(
        "Automatic Repair::The Media RSS \"%1\" appears to  contain HTML, but was not labled as "
        "such.");
    EXPECT_EQ(entries(owner),
              lines({
                  html.arg(QLatin1String("Title")),
                  QStringLiteral("Validate Warning::The Media RSS \"Keywords\" should use commas "
                                 "to separate the words or phrases"),
                  QStringLiteral("Validate Warning::The Media RSS \"Keywords\" should use commas "
                                 "to separate the words or phrases"),
                  QStringLiteral("Validate Warning::The Media RSS \"Thumbnail\" requires a value "
                                 "in the \"url\" attribute"),
                  QStringLiteral("Validate Warning::The Media RSS \"Hash\" can only have one "
                                 "entry for the \"SHA1\" algorithm"),
                  QStringLiteral("Validate Warning::The Media RSS \"Hash\" can only have one "
                                 "entry for the \"MD5\" algorithm"),
                  QStringLiteral("Validate Warning::The Media RSS \"Hash\" can only have one "
                                 "entry for the \"MD5\" algorithm"),
                  QStringLiteral("Validate Warning::The Media RSS \"Player\" requires a value in "
                                 "the \"url\" attribute"),
                  html.arg(QLatin1String("Text")),
                  QStringLiteral("Validate Warning::The Media RSS \"Restriction\" requires a "
                                 "value in the \"relationship\" attribute"),
                  QStringLiteral("Validate Warning::The Media RSS \"Restriction\" can only have "
                                 "one entry for the \"Country\" type"),
              }));
    EXPECT_EQ(owner.repairCount(), 2);
    EXPECT_EQ(owner.warnCount(), 9);
    EXPECT_EQ(owner.errorCount(), 0);
    EXPECT_EQ(set.value(K::kTitle).value(QStringLiteral("attributeType")), QStringLiteral("html"));
    EXPECT_EQ(set.values(K::kText).first().value(QStringLiteral("attributeType")),
              QStringLiteral("html"));

    // The hash rule of the brief: three hashes, one message; md5 and blank, one MD5 message.
    FeedElement three;
    readSet(QStringLiteral("<media:hash algo=\"sha1\">1</media:hash><media:hash algo=\"sha1\">2"
                           "</media:hash><media:hash>3</media:hash>"))
        .validate(&three);
    EXPECT_EQ(entries(three),
              lines({QStringLiteral("Validate Warning::The Media RSS \"Hash\" can only "
                                    "have one entry for the \"SHA1\" algorithm")}));
    FeedElement two;
    readSet(QStringLiteral("<media:hash algo=\"md5\">1</media:hash><media:hash>3</media:hash>"))
        .validate(&two);
    EXPECT_EQ(entries(two),
              lines({QStringLiteral("Validate Warning::The Media RSS \"Hash\" "
                                    "can only have one entry for the \"MD5\" "
                                    "algorithm")}));

    // Without an owner the repairs still happen; an empty set checks nothing.
    K repaired = readSet(QStringLiteral("<media:title>a &lt;b&gt;b&lt;/b&gt;</media:title>"));
    repaired.validate(nullptr);
    EXPECT_EQ(repaired.value(K::kTitle).value(QStringLiteral("attributeType")),
              QStringLiteral("html"));
    FeedElement none;
    K().validate(&none);
    EXPECT_EQ(entries(none), "");
}

TEST(mrssOptionalElements, RowsWalkTheUsedKindsInOrder)
{
    K set;
    set.addDictionary(element(K::kKeywords, {{"elementDescription", "k"}}));
    set.addDictionary(element(K::kTitle, {{"elementDescription", "T"}, {"attributeType", ""}}));
    set.addDictionary(element(K::kRating, {{"elementDescription", "r1"}, {"attributeScheme", ""}}));
    set.addDictionary(element(K::kRating, {{"elementDescription", "r2"}, {"attributeScheme", ""}}));
    ASSERT_EQ(set.objectCount(), 4);
    QStringList labels;
    for (int row = 0; row < 5; ++row)
        labels.append(set.objectLabelAtIndex(row));
    EXPECT_EQ(labels,
              (QStringList {QStringLiteral("Rating"), QStringLiteral("Rating"),
                            QStringLiteral("Title"), QStringLiteral("Keywords"), QString()}));
    EXPECT_EQ(set.objectShortDescriptionAtIndex(4), QString());
    EXPECT_TRUE(set.dictionaryAtIndex(4).isEmpty());
    EXPECT_TRUE(set.dictionaryAtIndex(-1).isEmpty());
    EXPECT_EQ(set.elementsUsed(), QStringLiteral("Rating,Title,Keywords"));

    // Numbers outside the kinds add nothing.
    set.addDictionary(element(12, {{"elementDescription", "x"}}));
    set.addDictionary(element(-1, {{"elementDescription", "x"}}));
    EXPECT_EQ(set.objectCount(), 4);

    // A list kind with entries but no flag has no rows.
    K hidden;
    hidden.addValue(K::kCategory, element(K::kCategory, {{"elementDescription", "c"}}));
    EXPECT_EQ(hidden.objectCount(), 0);
    EXPECT_EQ(hidden.elementsUsed(), QString());

    struct Short
    {
        int kind;
        std::initializer_list<std::pair<const char *, const char *>> keys;
        const char *text;
    } shorts[] = {
        {K::kHash, {{"elementDescription", "abc"}, {"attributeAlgo", "sha1"}}, "sha1(abc)"},
        {K::kHash, {{"elementDescription", "abc"}, {"attributeAlgo", ""}}, "md5(abc)"},
        {K::kCredit, {{"elementDescription", "Ann"}, {"attributeRole", ""}}, "Ann"},
        {K::kCredit,
         {{"elementDescription", "Ann"}, {"attributeRole", "producer"}},
         "producer: Ann"},
        {K::kRestriction,
         {{"elementDescription", "us ca"},
          {"attributeRelationship", "allow"},
          {"attributeType", ""}},
         "allow \"us ca\""},
        {K::kRestriction,
         {{"elementDescription", "us"},
          {"attributeRelationship", "deny"},
          {"attributeType", "country"}},
         "deny country \"us\""},
        {K::kThumbnail, {{"attributeURL", "http://t/"}}, "http://t/"},
        {K::kPlayer, {{"attributeURL", "http://p/"}}, "http://p/"},
        {K::kCopyright, {{"elementDescription", "2024"}, {"attributeURL", ""}}, "2024"},
    };
    for (const Short &row : shorts) {
        K one;
        one.addDictionary(element(row.kind, row.keys));
        EXPECT_EQ(one.objectShortDescriptionAtIndex(0), QString::fromUtf8(row.text));
    }
}

TEST(mrssOptionalElements, DeletingARowRemovesOnlyThatEntry)
{
    K set;
    const QVariantMap category = element(K::kCategory, {{"elementDescription", "same"}});
    set.addDictionary(category);
    set.addDictionary(category);
    set.deleteObjectAtIndex(1);
    EXPECT_EQ(set.values(K::kCategory).size(), 1);
    EXPECT_TRUE(set.used(K::kCategory));
    set.deleteObjectAtIndex(0);
    EXPECT_TRUE(set.values(K::kCategory).isEmpty());
    EXPECT_FALSE(set.used(K::kCategory));

    // A single kind only loses its flag; adding replaces the dictionary kept.
    set.addDictionary(element(K::kTitle, {{"elementDescription", "old"}}));
    set.deleteObjectAtIndex(0);
    EXPECT_FALSE(set.used(K::kTitle));
    EXPECT_EQ(set.value(K::kTitle).value(K::kTextKey), QStringLiteral("old"));
    set.addDictionary(element(K::kTitle, {{"elementDescription", "new"}}));
    EXPECT_EQ(set.objectShortDescriptionAtIndex(0), QStringLiteral("new"));

    // Replacing keeps the row's kind whatever the dictionary says.
    set.addDictionary(element(K::kKeywords, {{"elementDescription", "k"}}));
    set.replaceDictionaryAtIndex(element(K::kThumbnail, {{"attributeURL", "u"}}), 1);
    EXPECT_EQ(set.objectLabelAtIndex(1), QStringLiteral("Keywords"));
    EXPECT_EQ(K::kindOf(set.values(K::kKeywords).first()), int(K::kThumbnail));
    set.deleteObjectAtIndex(7);
    set.replaceDictionaryAtIndex(category, 7);
    EXPECT_EQ(set.objectCount(), 2);
}

TEST(mrssOptionalElements, ArchivesKeepEveryKindAndMissingKeysLeaveUsableLists)
{
    K set = readSet(QStringLiteral(
        "<media:adult>true</media:adult><media:rating>r</media:rating><media:title>t</media:title>"
        "<media:description>d</media:description><media:keywords>k</media:keywords>"
        "<media:thumbnail url=\"u\"/><media:category>c</media:category><media:hash>h</media:hash>"
        "<media:player url=\"p\"/><media:credit>cr</media:credit><media:copyright>co"
        "</media:copyright><media:text>tx</media:text><media:restriction relationship=\"deny\">"
        "us</media:restriction>"));
    const K back = roundTrip(set);
    EXPECT_EQ(back, set);
    EXPECT_EQ(back.buildXML(QString()), set.buildXML(QString()));

    // An archive without the list and value keys decodes to a set later additions reach.
    QVariantMap fields;
    fields.insert(QStringLiteral("media:rating Used"), true);
    fields.insert(QStringLiteral("media:title Value"), QStringLiteral("not a dictionary"));
    class Bare : public KeyedArchivable
    {
    public:
        explicit Bare(QVariantMap f) : m_fields(std::move(f)) { }
        QString archiveClassName() const override { return K::kClassName; }
        void encodeWithCoder(KeyedArchiver &coder) const override
        {
            for (auto it = m_fields.cbegin(); it != m_fields.cend(); ++it)
                coder.encodeObject(it.value(), it.key());
        }
        bool initWithCoder(const KeyedUnarchiver &) override { return true; }
        QVariantMap m_fields;
    };
    const QByteArray bytes = KeyedArchiver::archivedDataWithRootObject(
        KeyedArchivable::toVariant(std::make_shared<Bare>(fields)));
    K partial = K::fromArchivable(KeyedUnarchiver::unarchiveObjectWithData(bytes));
    EXPECT_TRUE(partial.used(K::kRating));
    EXPECT_TRUE(partial.values(K::kRating).isEmpty());
    EXPECT_TRUE(partial.value(K::kTitle).isEmpty());
    partial.addDictionary(element(K::kRating, {{"elementDescription", "added"}}));
    EXPECT_EQ(roundTrip(partial).objectShortDescriptionAtIndex(0), QStringLiteral("added"));
}

TEST(mrssOptionalElements, CopiesShareNothing)
{
    K source;
    source.addDictionary(element(K::kCategory, {{"elementDescription", "c"}}));
    source.addDictionary(element(K::kTitle, {{"elementDescription", "t"}}));
    K copy = source;
    copy.replaceDictionaryAtIndex(element(K::kTitle, {{"elementDescription", "changed"}}), 0);
    copy.addDictionary(element(K::kCategory, {{"elementDescription", "d"}}));
    EXPECT_EQ(source.values(K::kCategory).size(), 1);
    EXPECT_EQ(source.value(K::kTitle).value(K::kTextKey), QStringLiteral("t"));
    EXPECT_FALSE(copy == source);
}

TEST(mrssOptionalElements, RepairsOfACopyLeaveTheOriginalAndEmptiedSetsEqualFreshOnes)
{
    K source;
    source.addDictionary(element(K::kTitle, {{"elementDescription", "<b>t</b>"}}));
    source.addDictionary(element(K::kText, {{"elementDescription", "<i>x</i>"}}));
    K copy = source;
    FeedElement owner;
    copy.validate(&owner);
    EXPECT_EQ(copy.value(K::kTitle).value(QStringLiteral("attributeType")), QStringLiteral("html"));
    EXPECT_EQ(copy.values(K::kText).at(0).value(QStringLiteral("attributeType")),
              QStringLiteral("html"));
    EXPECT_FALSE(source.value(K::kTitle).contains(QStringLiteral("attributeType")));
    EXPECT_FALSE(source.values(K::kText).at(0).contains(QStringLiteral("attributeType")));

    // Clearing flags of a fresh set changes nothing; a set whose rows were all deleted is
    // empty and writes nothing.
    K fresh;
    for (int kind = 0; kind < K::kKindCount; ++kind)
        fresh.setUsed(kind, false);
    EXPECT_TRUE(fresh == K());
    K emptied;
    emptied.addDictionary(element(K::kCategory, {{"elementDescription", "c"}}));
    emptied.deleteObjectAtIndex(0);
    EXPECT_TRUE(emptied.isEmpty());
    EXPECT_EQ(emptied.buildXML(QStringLiteral("  ")), QString());
    EXPECT_TRUE(emptied == K());
    EXPECT_TRUE(roundTrip(K()) == K());
}
