#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// Text comes in two kinds: plain text (titles, Atom text constructs, the iTunes fields), which a
// reader shows as it stands, and HTML (descriptions, encoded content), which a reader renders.
// Plain text that becomes HTML goes through here, so that what a reader shows of it is exactly
// the text: a "<" its author wrote as text never turns into markup on the way.
class StopCheck;

class HTMLText
{
public:
    HTMLText() = delete;

    // Whether quotes are written as references too. A description keeps them as they are (its
    // saved form does not change); a page escapes them, so that a value placed inside a quoted
    // attribute ends where the template's quote ends it, and reads the same in element content.
    enum class Quotes { Kept, Escaped };

    // The HTML that shows exactly text: "&", "<" and ">" written as references, and with
    // Quotes::Escaped '"' and "'" as well. Line ends stay as they are. Of no use once `stop`
    // has stopped.
    static QString fromPlainText(QStringView text, Quotes quotes = Quotes::Kept,
                                 StopCheck *stop = nullptr);
    // The same over UTF-8 (quotes kept), appended to out.
    static void appendFromPlainText(QByteArray &out, QByteArrayView utf8);

    // A comment of an XML document (its text between "<!--" and "-->"), appended as the HTML
    // comment that an HTML parser reads as the same comment. HTML closes a comment whose text
    // begins with ">" or "->" at once ("<!-->" is a whole comment), so that what the author hid
    // behind it would be read as markup: such a text is written after a space.
    static void appendComment(QByteArray &out, QByteArrayView text);

    // Whether a page may link to the address: one with the scheme http, https, ftp, ftps or
    // mailto (in any letter case), or a relative one. The scheme is found as a browser finds it:
    // after the blanks and control characters around the address, with tabs and line breaks
    // inside it taken out, so that "  Java\tScript:" is the script scheme it reads as.
    static bool isSafeLink(QStringView address);
};
