#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>
#include <vector>

// A feed made of parts, written as its author wrote it (its written twin) or with some of its own
// tags spaced after their "<", as some tools write them: the words of its values are the same in
// every variant, and only the tags the feed is made of are spaced. One element a line, indented
// and ended as the feed's layout says.
struct TwinFeed
{
    enum class Format { RSS20, RSS10, Atom };
    enum class Fault {
        None,
        LeftOpen, // the element's end tag is missing
        Misspelt, // its end tag names it with two letters swapped ("</titel>")
        WordInEnd, // its end tag holds a word after the name ("</title x>")
        SpacedEnd, // its end tag is spaced as the author wrote it, in the twin too ("< /title>")
        EndAlone, // its end tag alone ("</title>"), as of an element closed before
    };

    // An element holding text, or (without a value or elements) an empty one
    // ("<link href='x'/>").
    struct Field
    {
        QString name = {};
        QString value = {}; // null: an empty element
        QString attributes = {}; // written after the name, with a blank before each
        Fault fault = Fault::None;
        std::vector<Field> inner = {}; // elements after its value, on its line
    };

    Format format = Format::RSS20;
    QList<Field> channel;
    QList<QList<Field>> items;
    QString indent = {}; // before a line, once for each element around it
    QString lineEnd = QStringLiteral("\n");

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
