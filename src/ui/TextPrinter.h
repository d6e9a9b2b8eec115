#pragma once

#include <QString>

class QFont;
class QRectF;
class QPrinter;
class QTextDocument;

// Prints text on a printer whose page layout is already set (the shared settings of
// printInfoManager, or what the print panel made of them). The text is laid out at the width of
// the printable area, the paper less its margins, and broken into pages of its height, with no
// margin of its own: a printout starts exactly at the page's margins.
class TextPrinter
{
public:
    TextPrinter() = delete;

    // Styled text read from HTML (what the HTML export of a feed gives).
    static bool printHtml(const QString &html, QPrinter &printer);
    // Plain text in the font, wrapped at word boundaries, and anywhere in a word longer than a
    // line (XML has long URLs).
    static bool printPlainText(const QString &text, const QFont &font, QPrinter &printer);
    // The document, laid out for the printer. False when the printer could not be opened.
    static bool print(QTextDocument &document, QPrinter &printer);

private:
    // Lays the document out for the printer's printable area; answers that area in printer
    // units, its origin where the painter's is.
    static QRectF layOut(QTextDocument &document, QPrinter &printer);
};
