#include "editors/XMLColorRanges.h"

#include <algorithm>
#include <array>
#include <limits>
#include <vector>

namespace {
using Color = XMLColorRanges::Color;
using Run = XMLColorRanges::Run;

// RSS tags coloured wherever they occur, exactly as written.
const char16_t *const kFixedTags[] = {
    u"<title>",          u"</title>",
    u"</link>",          u"<description>",
    u"</description>",   u"<language>",
    u"</language>",      u"</copyright>",
    u"<managingEditor>", u"</managingEditor>",
    u"<webMaster>",      u"</webMaster>",
    u"<pubDate>",        u"</pubDate>",
    u"<lastBuildDate>",  u"</lastBuildDate>",
    u"</category>",      u"</generator>",
    u"<docs>",           u"</docs>",
    u"</cloud>",         u"<ttl>",
    u"</ttl>",           u"<rating>",
    u"</rating>",        u"<textInput>",
    u"</textInput>",     u"<skipHours>",
    u"</skipHours>",     u"<hour>",
    u"</hour>",          u"<skipDays>",
    u"</skipDays>",      u"<day>",
    u"</day>",           u"<url>",
    u"</url>",           u"<width>",
    u"</width>",         u"<height>",
    u"</height>",        u"</author>",
    u"<comments>",       u"</comments>",
    u"</enclosure>",     u"</guid>",
    u"</source>",        u"</rss>",
    u"<name>",           u"</name>",
    u"<![CDATA[",        u"]]>",
};

// Opening tags that may carry attributes: coloured from their "<" through the next ">".
const char16_t *const kOpeningPrefixes[] = {
    u"<?xml",  u"<rss",    u"<link",      u"<copyright", u"<category", u"<generator",
    u"<cloud", u"<author", u"<enclosure", u"<guid",      u"<source",
};

const QString kChannelOpen = QStringLiteral("<channel>");
const QString kChannelClose = QStringLiteral("</channel>");
const QString kCommentOpen = QStringLiteral("<!--");
const QString kCommentClose = QStringLiteral("-->");
const QString kCDATAClose = QStringLiteral("]]>");

enum class Kind : quint8 { FirstChannelOpen, FirstChannelClose, Exact, ThroughClose };

struct Candidate
{
    QString text;
    Kind kind;
    Color color;
};

// The strings that can start at a "<", bucketed by the character that tells them apart: the one
// after "<", or for closing tags the one after "</". Non-ASCII keys share the last bucket.
class CandidateTable
{
public:
    explicit CandidateTable(const QStringList &usedPrefixes)
    {
        add(kChannelOpen, Kind::FirstChannelOpen, Color::Channel);
        add(kChannelClose, Kind::FirstChannelClose, Color::Channel);
        for (const char16_t *tag : {u"<item>", u"</item>"})
            add(QString::fromUtf16(tag), Kind::Exact, Color::Item);
        for (const char16_t *tag : {u"<image>", u"</image>"})
            add(QString::fromUtf16(tag), Kind::Exact, Color::Image);
        for (const char16_t *tag : kFixedTags) {
            if (tag[0] == u'<') // "]]>" is looked for on its own
                add(QString::fromUtf16(tag), Kind::Exact, Color::Tag);
        }
        for (const char16_t *prefix : kOpeningPrefixes)
            add(QString::fromUtf16(prefix), Kind::ThroughClose, Color::Tag);
        for (const QString &prefix : usedPrefixes) {
            add(QStringLiteral("<%1:").arg(prefix), Kind::ThroughClose, Color::Tag);
            add(QStringLiteral("</%1:").arg(prefix), Kind::ThroughClose, Color::Tag);
        }
    }

    const std::vector<Candidate> &at(QStringView text, qsizetype i) const
    {
        const qsizetype n = text.size();
        if (i + 1 >= n)
            return m_empty;
        if (text[i + 1] != u'/')
            return m_opening[bucket(text[i + 1])];
        return i + 2 < n ? m_closing[bucket(text[i + 2])] : m_empty;
    }

private:
    static std::size_t bucket(QChar c) { return std::min<std::size_t>(c.unicode(), 128); }

    void add(const QString &text, Kind kind, Color color)
    {
        if (text.size() < 2)
            return;
        if (text[1] != u'/')
            m_opening[bucket(text[1])].push_back({text, kind, color});
        else if (text.size() > 2)
            m_closing[bucket(text[2])].push_back({text, kind, color});
    }

    std::array<std::vector<Candidate>, 129> m_opening;
    std::array<std::vector<Candidate>, 129> m_closing;
    std::vector<Candidate> m_empty;
};

bool matchesAt(QStringView text, qsizetype i, QStringView what)
{
    return i + what.size() <= text.size() && text.sliced(i, what.size()) == what;
}

// Runs of one colour pass, in text order; the tag pass merges spans that touch or overlap.
class RunList
{
public:
    void add(qsizetype start, qsizetype end, Color color, bool merge = false)
    {
        if (merge && !m_runs.empty() && start <= m_runs.back().end()) {
            Run &last = m_runs.back();
            last.length = std::max<int>(last.length, int(end - last.start));
            return;
        }
        m_runs.push_back({int(start), int(end - start), color});
    }
    std::vector<Run> &runs() { return m_runs; }

private:
    std::vector<Run> m_runs;
};

// Lays the runs of a later pass over those of the earlier ones: both sorted and disjoint; where
// they overlap the later pass wins.
std::vector<Run> overlay(const std::vector<Run> &base, const std::vector<Run> &top)
{
    std::vector<Run> out;
    out.reserve(base.size() + top.size());
    std::size_t b = 0;
    auto baseBetween = [&](int from, int to) {
        while (b < base.size() && base[b].end() <= from)
            ++b;
        while (b < base.size() && base[b].start < to) {
            const int s = std::max(base[b].start, from);
            const int e = std::min(base[b].end(), to);
            if (s < e)
                out.push_back({s, e - s, base[b].color});
            if (base[b].end() > to)
                break;
            ++b;
        }
    };
    int cursor = 0;
    for (const Run &run : top) {
        baseBetween(cursor, run.start);
        out.push_back(run);
        cursor = run.end();
    }
    baseBetween(cursor, std::numeric_limits<int>::max());
    return out;
}
} // namespace

XMLColorRanges::XMLColorRanges(QStringView text, const QStringList &usedPrefixes)
{
    const CandidateTable table(usedPrefixes);
    const qsizetype n = text.size();
    const QChar *p = text.data();

    qsizetype channelOpen = -1;
    qsizetype channelClose = -1;
    RunList items, images, tags, comments;
    qsizetype nextClose = -1; // the first ">" at or after the position last asked about
    bool unterminatedComment = false;

    // A first channel tag inside a comment still counts as the first one.
    auto noteChannelTagsIn = [&](qsizetype from, qsizetype to) {
        const QStringView inside = text.sliced(from, to - from);
        if (channelOpen < 0 && inside.indexOf(kChannelOpen) >= 0)
            channelOpen = from + inside.indexOf(kChannelOpen);
        if (channelClose < 0 && inside.indexOf(kChannelClose) >= 0)
            channelClose = from + inside.indexOf(kChannelClose);
    };

    qsizetype i = 0;
    while (i < n) {
        while (i < n && p[i] != u'<' && p[i] != u']')
            ++i;
        if (i >= n)
            break;
        if (p[i] == u']') {
            if (matchesAt(text, i, kCDATAClose))
                tags.add(i, i + kCDATAClose.size(), Color::Tag, true);
            ++i;
            continue;
        }
        if (matchesAt(text, i, kCommentOpen)) {
            // Nothing inside a comment shows: it is gray whatever it holds.
            const qsizetype close
                = unterminatedComment ? -1 : text.indexOf(kCommentClose, i + kCommentOpen.size());
            if (close >= 0) {
                const qsizetype end = close + kCommentClose.size();
                noteChannelTagsIn(i, end);
                comments.add(i, end, Color::Comment);
                i = end;
            } else {
                unterminatedComment = true; // and so is every later one
                i += kCommentOpen.size();
            }
            continue;
        }
        for (const Candidate &candidate : table.at(text, i)) {
            if (!matchesAt(text, i, candidate.text))
                continue;
            switch (candidate.kind) {
            case Kind::FirstChannelOpen:
                if (channelOpen < 0)
                    channelOpen = i;
                break;
            case Kind::FirstChannelClose:
                if (channelClose < 0)
                    channelClose = i;
                break;
            case Kind::Exact:
                if (candidate.color == Color::Tag)
                    tags.add(i, i + candidate.text.size(), Color::Tag, true);
                else
                    (candidate.color == Color::Item ? items : images)
                        .add(i, i + candidate.text.size(), candidate.color);
                break;
            case Kind::ThroughClose:
                if (nextClose < i) {
                    nextClose = text.indexOf(u'>', i);
                    if (nextClose < 0)
                        nextClose = n;
                }
                if (nextClose < n)
                    tags.add(i, nextClose + 1, Color::Tag, true);
                break;
            }
        }
        ++i;
    }

    RunList channel;
    const qsizetype first = std::min(channelOpen, channelClose);
    const qsizetype second = std::max(channelOpen, channelClose);
    if (first >= 0)
        channel.add(first, first + (first == channelOpen ? kChannelOpen : kChannelClose).size(),
                    Color::Channel);
    if (second >= 0 && first != second)
        channel.add(second, second + (second == channelOpen ? kChannelOpen : kChannelClose).size(),
                    Color::Channel);

    std::vector<Run> all = channel.runs();
    for (RunList *pass : {&items, &images, &tags, &comments})
        all = overlay(all, pass->runs());
    m_runs = QList<Run>(all.begin(), all.end());
}

qsizetype XMLColorRanges::firstRunEndingAfter(int position) const
{
    const auto it = std::upper_bound(m_runs.begin(), m_runs.end(), position,
                                     [](int pos, const Run &run) { return pos < run.end(); });
    return it - m_runs.begin();
}

XMLColorRanges::Color XMLColorRanges::colorAt(int position) const
{
    const qsizetype index = firstRunEndingAfter(position);
    if (index < m_runs.size() && m_runs[index].start <= position)
        return m_runs[index].color;
    return Color::None;
}

void XMLColorRanges::adjustForEdit(int position, int removed, int added)
{
    const int removedEnd = position + removed;
    const int delta = added - removed;
    qsizetype kept = firstRunEndingAfter(position - 1); // runs ending before the edit stay
    for (qsizetype i = kept; i < m_runs.size(); ++i) {
        Run run = m_runs[i];
        int start = run.start;
        int end = run.end();
        if (start < position) {
            // The run holds the character before the edit: the new text takes its colour.
            end = position + added + std::max(0, end - removedEnd);
        } else if (start >= removedEnd) {
            start += delta;
            end += delta;
        } else {
            start = position + added;
            end = end > removedEnd ? end + delta : start;
        }
        if (end > start)
            m_runs[kept++] = {start, end - start, run.color};
    }
    m_runs.resize(kept);
}
