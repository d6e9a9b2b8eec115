#pragma once

#include "extensions/ExtensionField.h"

#include <QString>

class FieldExtensionBase;
class UTF8Writer;

// What the channel's and the items' content:encoded share: one HTML text, taken as the document
// holds it (never trimmed; references to markup characters stay text) and written as one CDATA
// line.
class ContentEncodedRow
{
public:
    static const char *const kElements[1]; // "encoded"

    // The field's row, with the scope's archive key, default keys and editor title.
    static ExtensionField row(const char *outlet, const char *archiveKey, const char *defaultKey,
                              const char *feedDefaultKey, const char *sortType);

    // "<indent><content:encoded><![CDATA[text]]></content:encoded>\n"; nothing for no text. A
    // "]]>" in the text ends one section and starts the next, and so does a length no parser
    // takes in one section (UTF8Writer::appendCDATA), so the text reads back exactly.
    static QString cdataLine(const QString &indent, const QString &text);
    // The same line written into the document being written, without a copy of the text.
    static void appendCDATALine(UTF8Writer &out, const QString &indent, const QString &text);
    // The field's line, from the UTF-8 the field holds when it holds the text so.
    static void appendFieldLine(UTF8Writer &out, const QString &indent,
                                const FieldExtensionBase &fields, int field);
};
