// The one reading of a feed's tags that the repairs before parsing ask: when a value's end is in
// doubt, when a spaced end tag ends its element, and that no stretch of the text is read more
// than a few times, whatever names and depths it holds.
#include "io/TagReading.h"
#include "io/VLXParseFeed.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QString repaired(const QString &text)
{
    QStringList messages;
    return VLXParseFeed::repairText(text, &messages);
}

// A text and what the repairs make of it (null: the text as it stands).
struct Row
{
    QString text, repaired;
};

void expectRepaired(std::initializer_list<Row> rows)
{
    for (const Row &row : rows) {
        SCOPED_TRACE(row.text.toStdString());
        EXPECT_EQ(repaired(row.text).toStdString(),
                  (row.repaired.isNull() ? row.text : row.repaired).toStdString());
    }
}

} // namespace

// A value whose end the structure leaves in doubt stays as written (its "&" bare), and the
// tags in it are read as the feed's markup; any other tag in a value is the author's text,
// escaped with it.
TEST(TagReading, AValueInDoubtStaysAsWrittenAndAnyOtherIsEscaped)
{
    expectRepaired({
        // An end tag of an element around the value, written or spaced, with or without its ">".
        {u"<item><title>a & b</item><x>c</title></x>"_s, {}},
        {u"<item><title>a & b< /item></title>"_s, u"<item><title>a & b</item></title>"_s},
        {u"<item><title>a & b</item\n<link>x</link>"_s, {}},
        {u"<x><title>a <x><b>y</x> </x> & b</title></x>"_s, {}},
        // A start tag of an item, written with its ">", or spaced where a tool writes tags.
        {u"<channel><title>a & b <item></title>"_s, {}},
        {u"<channel><title>a & b\n< item></title>"_s, u"<channel><title>a & b\n<item></title>"_s},
        {u"<feed><title>a & b\n  < entry></title>"_s, u"<feed><title>a & b\n  <entry></title>"_s},
        // A start tag of its own name, written (with or without its ">"), or spaced where a
        // tool writes tags; its own end tag misspelt.
        {u"<channel><title>a & b <title>c</title>"_s, u"<channel><title>a & b <title>c</title>"_s},
        {u"<channel><title>a & b <title</title>"_s, {}},
        {u"<channel><title>a & b\n< title>c</title>"_s,
         u"<channel><title>a & b\n<title>c</title>"_s},
        {u"<channel><title>a & b</title x>"_s, {}},
        // Anything else is the author's: spaced tags among text, an item tag no ">" ends, end
        // tags of elements closed before, in a comment, or in an earlier value.
        {u"<channel><title>a & b < item> c</title>"_s,
         u"<channel><title>a &amp; b &lt; item&gt; c</title>"_s},
        {u"<channel><title>Why the < title> tag & more</title>"_s,
         u"<channel><title>Why the &lt; title&gt; tag &amp; more</title>"_s},
        {u"<channel><description>use the <item element & more</description>"_s,
         u"<channel><description>use the &lt;item element &amp; more</description>"_s},
        {u"<channel><x></x><title>a </x> & b</title>"_s,
         u"<channel><x></x><title>a &lt;/x&gt; &amp; b</title>"_s},
        {u"<channel><category><p>x</p></category><title>a </p> & b</title>"_s,
         u"<channel><category><p>x</p></category><title>a &lt;/p&gt; &amp; b</title>"_s},
        {u"<channel><!-- <p> --><description>a & b</p></description>"_s,
         u"<channel><!-- <p> --><description>a &amp; b&lt;/p&gt;</description>"_s},
        {u"<channel><description><p>x</description><description>a</p> & b</description>"_s,
         u"<channel><description>&lt;p&gt;x</description><description>a&lt;/p&gt; &amp; "
         u"b</description>"_s},
        {u"<channel><description><p>a & b</p></description>"_s,
         u"<channel><description>&lt;p&gt;a &amp; b&lt;/p&gt;</description>"_s},
        // A title inside a description is its text, escaped once with it.
        {u"<channel><description>see <title>a & b</title></description>"_s,
         u"<channel><description>see &lt;title&gt;a &amp; b&lt;/title&gt;</description>"_s},
    });
}

// A spaced end tag ends its element, unless a written end tag of its name follows before a start
// tag of its name (written, or spaced where a tool writes tags), an item's start or the end of
// the element around; for a value's end, any end tag of its name before any start tag. The tags
// a value holds, and those in comments and CDATA sections, are passed over.
TEST(TagReading, ASpacedEndTagEndsItsElementUnlessAWrittenOneFollows)
{
    expectRepaired({
        {u"<item><title>a < /title> b</title></item>"_s,
         u"<item><title>a &lt; /title&gt; b</title></item>"_s},
        {u"<x>a< /x> b</x>"_s, {}},
        {u"<item><title>a < /title> b< /title></item>"_s,
         u"<item><title>a &lt; /title&gt; b</title></item>"_s},
        {u"<item><title>a < /title>\n< link>x</title></link></item>"_s,
         u"<item><title>a </title>\n<link>x</title></link></item>"_s},
        {u"<item><title>Ep< /title></item>"_s, u"<item><title>Ep</title></item>"_s},
        {u"<item><category>News< /category><category>Tech</category></item>"_s,
         u"<item><category>News</category><category>Tech</category></item>"_s},
        {u"<channel><title>Show< /title>\n<image>\n< title>Logo</title></image>"_s,
         u"<channel><title>Show</title>\n<image>\n<title>Logo</title></image>"_s},
        {u"<channel>< title>Show< /title><item><title>Ep</title></item>"_s,
         u"<channel><title>Show</title><item><title>Ep</title></item>"_s},
        {u"<a><b>x< /b></a><c>y</b></c>"_s, u"<a><b>x</b></a><c>y</b></c>"_s},
        {u"<channel><title>Show< /title><item><link>x</title></link></item>"_s,
         u"<channel><title>Show</title><item><link>x</title></link></item>"_s},
        {u"<item><title>T< /title><description>a </title> b</description></item>"_s,
         u"<item><title>T</title><description>a &lt;/title&gt; b</description></item>"_s},
        {u"<item><x>T< /x><description>a </x> b</description></item>"_s,
         u"<item><x>T</x><description>a &lt;/x&gt; b</description></item>"_s},
        {u"<channel><x>a< /x><item><link>b</x></link></item>"_s,
         u"<channel><x>a</x><item><link>b</x></link></item>"_s},
        {u"<item>< title>Ep< /title><description><![CDATA[</title>]]></description></item>"_s,
         u"<item><title>Ep</title><description><![CDATA[</title>]]></description></item>"_s},
        {u"<item><title>Ep< /title><!-- </title> --></item>"_s,
         u"<item><title>Ep</title><!-- </title> --></item>"_s},
    });
}

// Texts that take the reading's turns (names and depths that alternate, a new name at every tag,
// values left open inside values, end tags no value opened) are read a bounded number of times
// a tag, at every size.
TEST(TagReading, EveryStretchIsReadABoundedNumberOfTimes)
{
    // A head, a piece repeated (a "#" in it numbered), and a tail.
    const struct
    {
        const char *head, *piece, *tail;
    } shapes[] = {
        {"<item>", "<a>1< /a><b>2< /b>", "</item>"},
        {"<item>", "<n#>1< /n#>", "</item>"},
        {"<item>", "<a><b>1< /b>< /a><c><b>2< /b>< /c>", "</item>"},
        {"< item>", "< title>a< /title>< description>b< /description>", "< /item>"},
        {"<item><description>& ", "<a#></b>", "</description></item>"},
        {"< item>", "\n< title>x", "\n< /item>"},
        {"<item>", "<title>< e/>", "</item>"},
        {"< item>", "\n< title>x &\n< enclosure url=\"x\"/>", "\n< /item>"},
        {"<item><title>\n<description>\n<dc:title>\n<dc:description>\n<content:encoded>",
         "<b>x</b> & ", "</content:encoded></item>"},
    };
    for (const auto &shape : shapes) {
        for (const int n : {1000, 8000}) {
            SCOPED_TRACE(u"%1 × %2"_s.arg(QLatin1String(shape.piece)).arg(n).toStdString());
            QString text = QLatin1String(shape.head);
            for (int k = 0; k < n; ++k)
                text += QString::fromLatin1(shape.piece).replace(u'#', QString::number(k));
            text += QLatin1String(shape.tail);
            const quint64 before = TagReading::tagsRead();
            repaired(text);
            EXPECT_LE(TagReading::tagsRead() - before, quint64(12 * text.count(u'<')));
        }
    }
}

// The walk keeps at most 65,536 elements open at once, values left open among them: with that
// many the spaced tags it is sure of are mended; with one more, none is.
TEST(TagReading, PastTheElementsItKeepsOpenItMendsNoSpacedTag)
{
    for (const char *piece : {"<b>", "<title>", "\n< title>x &"}) {
        for (const int open : {65536, 65537}) {
            SCOPED_TRACE(u"%1 × %2"_s.arg(QLatin1String(piece)).arg(open).toStdString());
            // The item and the elements in it.
            const QString text
                = u"< item>"_s + QString::fromLatin1(piece).repeated(open - 1) + u"\n< /item>"_s;
            EXPECT_EQ(repaired(text) == QString(text).replace(u"< "_s, u"<"_s), open <= 65536);
        }
    }
}
