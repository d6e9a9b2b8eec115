#include "editors/XMLColorRanges.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>
#include <vector>

using Color = XMLColorRanges::Color;

namespace {
// The colour of every character of the occurrence-th (0-based) occurrence of what, or None when
// the characters do not all share one colour.
Color colorOf(const XMLColorRanges &ranges, const QString &text, const QString &what,
              int occurrence = 0)
{
    qsizetype at = -1;
    for (int i = 0; i <= occurrence; ++i)
        at = text.indexOf(what, at + 1);
    EXPECT_GE(at, 0) << what.toStdString();
    const Color first = ranges.colorAt(int(at));
    for (qsizetype i = at; i < at + what.size(); ++i) {
        if (ranges.colorAt(int(i)) != first)
            return Color::None;
    }
    return first;
}

// The rules done the slow way, one literal search per rule, each pass painting over the ones
// before it: what the one-pass colouring must agree with.
std::vector<Color> paintedByPasses(const QString &text, const QStringList &prefixes)
{
    std::vector<Color> colors(text.size(), Color::None);
    auto paint = [&](qsizetype from, qsizetype to, Color color) {
        for (qsizetype i = from; i < to; ++i)
            colors[i] = color;
    };
    for (const QString &tag : {QStringLiteral("<channel>"), QStringLiteral("</channel>")}) {
        if (text.indexOf(tag) >= 0)
            paint(text.indexOf(tag), text.indexOf(tag) + tag.size(), Color::Channel);
    }
    auto every = [&](const QString &what, Color color) {
        for (qsizetype at = text.indexOf(what); at >= 0; at = text.indexOf(what, at + 1))
            paint(at, at + what.size(), color);
    };
    every(QStringLiteral("<item>"), Color::Item);
    every(QStringLiteral("</item>"), Color::Item);
    every(QStringLiteral("<image>"), Color::Image);
    every(QStringLiteral("</image>"), Color::Image);
    for (const char *tag : {"<title>", "</title>", "</link>", "<description>", "</description>",
                            "</category>", "</author>", "<![CDATA[", "]]>", "</rss>", "<pubDate>"})
        every(QString::fromLatin1(tag), Color::Tag);
    QStringList openings = {"<?xml", "<rss", "<link", "<category", "<author", "<enclosure"};
    for (const QString &prefix : prefixes)
        openings << QStringLiteral("<%1:").arg(prefix) << QStringLiteral("</%1:").arg(prefix);
    for (const QString &prefix : openings) {
        for (qsizetype at = text.indexOf(prefix); at >= 0;) {
            const qsizetype close = text.indexOf(u'>', at);
            if (close < 0) {
                at = text.indexOf(prefix, at + prefix.size());
                continue;
            }
            paint(at, close + 1, Color::Tag);
            at = text.indexOf(prefix, close + 1);
        }
    }
    for (qsizetype at = text.indexOf(QStringLiteral("<!--")); at >= 0;) {
        const qsizetype close = text.indexOf(QStringLiteral("-->"), at + 4);
        if (close < 0) {
            at = text.indexOf(QStringLiteral("<!--"), at + 4);
            continue;
        }
        paint(at, close + 3, Color::Comment);
        at = text.indexOf(QStringLiteral("<!--"), close + 3);
    }
    return colors;
}
} // namespace

TEST(XMLColorRanges, EachRuleColoursItsTagsAndLaterPassesWin)
{
    const QString text = QStringLiteral(
        "<?xml version=\"1.0\"?>\n<rss version=\"2.0\" xmlns:itunes=\"x\">\n<channel>\n"
        "<title>T</title><link href=\"a\">http://a</link>\n"
        "<category domain=\"d\">c</category>\n"
        "<image><url>u</url></image>\n"
        "<item><title>i</title><itunes:author>A</itunes:author><dc:x>q</dc:x></item>\n"
        "<description><![CDATA[<b>x</b>]]></description>\n"
        "<!-- <item> gone </channel> -->\n"
        "<channel></channel>\n"
        "<link <item>\n"
        "</rss>\n<link no close");
    const XMLColorRanges ranges(text, {QStringLiteral("itunes")});

    EXPECT_EQ(colorOf(ranges, text, "<?xml version=\"1.0\"?>"), Color::Tag);
    EXPECT_EQ(colorOf(ranges, text, "<rss version=\"2.0\" xmlns:itunes=\"x\">"), Color::Tag);
    EXPECT_EQ(colorOf(ranges, text, "<channel>"), Color::Channel);
    EXPECT_EQ(colorOf(ranges, text, "<link href=\"a\">"), Color::Tag);
    EXPECT_EQ(colorOf(ranges, text, "http://a"), Color::None);
    EXPECT_EQ(colorOf(ranges, text, "</link>"), Color::Tag);
    EXPECT_EQ(colorOf(ranges, text, "<category domain=\"d\">"), Color::Tag);
    EXPECT_EQ(colorOf(ranges, text, "<image>"), Color::Image);
    EXPECT_EQ(colorOf(ranges, text, "</image>"), Color::Image);
    EXPECT_EQ(colorOf(ranges, text, "<item>"), Color::Item);
    EXPECT_EQ(colorOf(ranges, text, "</item>"), Color::Item);
    EXPECT_EQ(colorOf(ranges, text, "<itunes:author>"), Color::Tag);
    EXPECT_EQ(colorOf(ranges, text, "</itunes:author>"), Color::Tag);
    EXPECT_EQ(colorOf(ranges, text, "<dc:x>"), Color::None) << "dc is not a used prefix";
    EXPECT_EQ(colorOf(ranges, text, "<![CDATA["), Color::Tag);
    EXPECT_EQ(colorOf(ranges, text, "]]>"), Color::Tag);
    EXPECT_EQ(colorOf(ranges, text, "<b>x</b>"), Color::None);
    // A comment is gray whatever it holds, and the first "</channel>" in it still counts.
    EXPECT_EQ(colorOf(ranges, text, "<!-- <item> gone </channel> -->"), Color::Comment);
    EXPECT_EQ(colorOf(ranges, text, "<channel>", 1), Color::None);
    EXPECT_EQ(colorOf(ranges, text, "</channel>", 1), Color::None);
    // The tag pass comes after the item pass.
    EXPECT_EQ(colorOf(ranges, text, "<link <item>"), Color::Tag);
    EXPECT_EQ(colorOf(ranges, text, "</rss>"), Color::Tag);
    EXPECT_EQ(colorOf(ranges, text, "<link no close"), Color::None);

    const QList<XMLColorRanges::Run> &runs = ranges.runs();
    for (qsizetype i = 0; i < runs.size(); ++i) {
        EXPECT_GT(runs[i].length, 0);
        EXPECT_NE(runs[i].color, Color::None);
        if (i > 0) {
            EXPECT_LE(runs[i - 1].end(), runs[i].start);
        }
    }
}

TEST(XMLColorRanges, AnUnterminatedCommentIsNotColouredAndNorIsAnyLaterOne)
{
    const QString text = QStringLiteral("<item><!-- open <title>t</title> <!-- more");
    const XMLColorRanges ranges(text, {});
    EXPECT_EQ(colorOf(ranges, text, "<!--"), Color::None);
    EXPECT_EQ(colorOf(ranges, text, "<title>"), Color::Tag);
    EXPECT_EQ(colorOf(ranges, text, "<item>"), Color::Item);
    EXPECT_EQ(colorOf(ranges, text, "<!-- more"), Color::None);
    EXPECT_TRUE(XMLColorRanges(QString(), {}).isEmpty());
}

TEST(XMLColorRanges, OnePassAgreesWithARuleByRulePaintOnMixedText)
{
    const QStringList pieces = {"<item>",
                                "</item>",
                                "<image>",
                                "</image>",
                                "<channel>",
                                "</channel>",
                                "<title>",
                                "</title>",
                                "</link>",
                                "<link",
                                "<link href='x'>",
                                "<category",
                                ">",
                                "<!--",
                                "-->",
                                "<!-- c -->",
                                "<![CDATA[",
                                "]]>",
                                "]]",
                                "<itunes:",
                                "</itunes:",
                                "x",
                                "<",
                                "\n",
                                "<?xml",
                                "<rss",
                                "</rss>",
                                "<author>",
                                "</author>",
                                "<enclosure url='e'/>",
                                "-",
                                "--",
                                "<pubDate>",
                                "<description>",
                                "</description>",
                                "</category>"};
    QRandomGenerator random(20260302);
    for (int round = 0; round < 300; ++round) {
        QString text;
        const int count = 1 + int(random.bounded(60));
        for (int i = 0; i < count; ++i)
            text += pieces[random.bounded(int(pieces.size()))];
        const QStringList prefixes = {QStringLiteral("itunes")};
        const std::vector<Color> expected = paintedByPasses(text, prefixes);
        const XMLColorRanges ranges(text, prefixes);
        for (qsizetype i = 0; i < text.size(); ++i) {
            ASSERT_EQ(ranges.colorAt(int(i)), expected[i])
                << "at " << i << " of \"" << text.toStdString() << "\"";
        }
    }
}

TEST(XMLColorRanges, RunsFollowEditsUntilWorkedOutAgain)
{
    const QString text = QStringLiteral("ab<title>cd</title>ef");
    XMLColorRanges ranges(text, {});
    ASSERT_EQ(ranges.runs().size(), 2);

    // Typing inside a run takes its colour; everything after it moves.
    ranges.adjustForEdit(4, 0, 3);
    EXPECT_EQ(ranges.runs()[0], (XMLColorRanges::Run {2, 10, Color::Tag}));
    EXPECT_EQ(ranges.runs()[1], (XMLColorRanges::Run {14, 8, Color::Tag}));

    // Typing before a run moves it; typing right after one takes its colour.
    ranges.adjustForEdit(0, 0, 1);
    EXPECT_EQ(ranges.runs()[0].start, 3);
    ranges.adjustForEdit(13, 0, 2);
    EXPECT_EQ(ranges.runs()[0], (XMLColorRanges::Run {3, 12, Color::Tag}));
    EXPECT_EQ(ranges.runs()[1].start, 17);

    // Removing a stretch over both runs keeps their outer parts.
    ranges.adjustForEdit(10, 10, 0);
    ASSERT_EQ(ranges.runs().size(), 2);
    EXPECT_EQ(ranges.runs()[0], (XMLColorRanges::Run {3, 7, Color::Tag}));
    EXPECT_EQ(ranges.runs()[1], (XMLColorRanges::Run {10, 5, Color::Tag}));

    // Removing a run entirely drops it.
    ranges.adjustForEdit(10, 5, 0);
    EXPECT_EQ(ranges.runs().size(), 1);
}
