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
    };

    Format format = Format::RSS20;
    QList<Field> channel;
    QList<QList<Field>> items;

    static const char *nameOf(Format format);

    // The text, each own tag spaced where spaced(its number, from 0 in the text's order) says
    // so: "< title>", "< /title>"; with faultsWritten, the tags of a field with a fault stay
    // written.
    QByteArray text(const std::function<bool(int)> &spaced, bool faultsWritten = false) const;
    QByteArray written() const
    {
        return text([](int) { return false; });
    }
};
