#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>

// A feed made of parts, written as its author wrote it (its written twin) or with some of its own
// tags spaced after their "<", as some tools write them: the words of its values are the same in
// every variant, and only the tags the feed is made of are spaced. One element a line.
struct TwinFeed
{
    enum class Format { RSS20, RSS10, Atom };
    enum class Fault {
        None,
        LeftOpen, // the element's end tag is missing
        Misspelt, // its end tag names it with two letters swapped ("</titel>")
    };

    // An element holding text, or (without a value) an empty one ("<link href='x'/>").
    struct Field
    {
        QString name = {};
        QString value = {}; // null: an empty element
        QString attributes = {}; // written after the name, with a blank before each
        Fault fault = Fault::None;
        bool written = false; // its tags stay written in every variant
    };

    Format format = Format::RSS20;
    QList<Field> channel;
    QList<QList<Field>> items;

    static const char *nameOf(Format format);

    // The number of the feed's own tags (the "<" of each start, end and empty tag).
    int tagCount() const;
    // The text, each own tag spaced where spaced(its number) says so: "< title>", "< /title>".
    QByteArray text(const std::function<bool(int)> &spaced) const;
    QByteArray written() const
    {
        return text([](int) { return false; });
    }
    QByteArray allSpaced() const
    {
        return text([](int) { return true; });
    }
};
