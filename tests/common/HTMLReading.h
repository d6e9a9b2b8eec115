#pragma once

#include <QString>
#include <QStringList>

// What a browser makes of an HTML fragment, as libxml2's HTML parser reads it (leniently, as
// browsers do): the text it shows and the elements it builds. A description that holds no
// element its author wrote as text shows that text, with no element in it.
namespace HTMLReading {

struct Reading
{
    QString text; // every text node in document order, references resolved
    QStringList elements; // the names of the elements inside the fragment, in document order
};

Reading read(const QString &fragment);

} // namespace HTMLReading
