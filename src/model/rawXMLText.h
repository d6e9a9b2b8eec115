#pragma once

#include <QHash>
#include <QString>

// Text-level helpers for the XML that raw extensions keep. They understand just enough XML to
// step over comments, CDATA sections, processing instructions and quoted attribute values, so
// that nothing inside those is ever touched.
class rawXMLText
{
public:
    // Removes the layout that pretty-printing (VLXLogic::formatXML) puts between tags: white
    // space from a line break on that stands where the layout breaks lines, before a tag. Text
    // content (a blank before a child element included), white space where the layout never
    // breaks (`<a>\n</a>`, a line break ending the text of an element) and everything inside
    // CDATA and comments stay. Pretty-printing the result again therefore gives the same text
    // however often it is done.
    static QString compact(const QString &xml);

    // Renames the prefix of element and attribute names (and of `xmlns:` declarations) from one
    // prefix to another, in start, end and empty-element tags only.
    static QString renamePrefix(const QString &xml, const QString &from, const QString &to);
    // The same for several prefixes at once, each renamed as the table says, in one pass.
    static QString renamePrefixes(const QString &xml, const QHash<QString, QString> &renames);
};
