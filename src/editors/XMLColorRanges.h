#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

// The colour runs of an XML text as the source editor shows it: tags blue, the first channel
// tags purple, item tags red, image tags green, comments gray. The rules run as passes in a fixed
// order, later passes winning where they overlap: the first "<channel>" and "</channel>"; every
// item tag; every image tag; a fixed list of RSS tags and the opening tags of elements that
// carry attributes (from the tag's start through its ">"), those of the used extension prefixes
// included; and comments through "-->". All matching is literal and case-sensitive.
//
// The runs are worked out in one pass over the text, so a document of many megabytes is
// coloured without a pass per rule; the editor applies them to the lines as it lays them out.
class XMLColorRanges
{
public:
    enum class Color : quint8 { None, Channel, Item, Image, Tag, Comment };

    struct Run
    {
        int start = 0;
        int length = 0;
        Color color = Color::None;
        int end() const { return start + length; }
        friend bool operator==(const Run &, const Run &) = default;
    };

    XMLColorRanges() = default;
    XMLColorRanges(QStringView text, const QStringList &usedPrefixes);

    // Sorted by start, never overlapping, never empty, never Color::None.
    const QList<Run> &runs() const { return m_runs; }
    bool isEmpty() const { return m_runs.isEmpty(); }
    void clear() { m_runs.clear(); }

    // Index of the first run that ends after position (runs().size() when none does).
    qsizetype firstRunEndingAfter(int position) const;
    // The colour at one position (Color::None outside every run).
    Color colorAt(int position) const;

    // Keeps the runs in step with an edit of the text until they are worked out again: runs
    // after the edit move, text typed inside a run takes its colour (as typing takes the
    // attributes of the text before it), removed text leaves the runs it was part of.
    void adjustForEdit(int position, int removed, int added);

private:
    QList<Run> m_runs;
};
