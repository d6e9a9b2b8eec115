#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// What a browser makes of an HTML fragment, as an HTML5 parser reads it (the parsing rules
// browsers follow, comments and bogus comments included): the text it shows and the elements
// and attributes it builds. A description that holds no element its
// author wrote as text shows that text, with no element in it.
namespace HTMLReading {

struct Attribute
{
    QString element;
    QString name;
    QString value; // references resolved, as the page's script or a click would see it
};

struct Reading
{
    QString text; // every text node in document order, references resolved
    QStringList elements; // the names of the elements inside the fragment, in document order
    QList<Attribute> attributes; // those of the elements, in document order
};

Reading read(const QString &fragment);

// The attributes a page built that no value may open: any event handler ("on…"), and a link
// (href, src, action, formaction, xlink:href) that follows a script or data scheme, found as a
// browser finds it. Each as "element name=value".
QStringList liveAttributes(const Reading &reading);

// The page a JavaScript export writes: the strings of its "document.write('…');" lines with their
// escapes read as a script reads them, joined with nothing between them. A line of any other
// form fails the test.
QString pageOfScript(const QString &script);

} // namespace HTMLReading
