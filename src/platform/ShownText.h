#pragma once

#include <QString>
#include <QStringView>

// Texts the user handed us (a file name, an address: one of a megabyte can come from another
// start of the program) as a status line, a progress dialog, an alert or a window title shows
// them. Laying out a text that long held the window up for seconds.
class ShownText
{
public:
    // The text, or one longer than longest cut in the middle to that length: its start and its
    // end stay, with an ellipsis between.
    static QString fitted(const QString &text, qsizetype longest = kLongest);
    static constexpr qsizetype kLongest = 1000;
    // Whether a line of the text (between line feeds) is longer than longest: a line that long
    // takes seconds to lay out unwrapped.
    static bool holdsLineLongerThan(QStringView text, qsizetype longest);

    // A piece of a file quoted in a sentence of ours (a name, an encoding label, a version, the
    // parser's words): at most kLongestQuote characters, cut in the middle with an ellipsis,
    // on one line and plain. Control characters, line breaks among them, and the marks that
    // turn the direction of the text around are shown as visible escapes ("\x1B", "\u202E"),
    // so that what the file holds can neither run the sentence on for pages, break it up, nor
    // reorder the words around it.
    static QString quoted(QStringView text);
    static constexpr qsizetype kLongestQuote = 60;
    // Another's sentence that quotes a file (the XML parser's message naming a tag, an entity or
    // an encoding): its words whole, and only what it took from the file cut: each stretch
    // without a blank longer than kLongestQuote places is cut within itself as quoted cuts it.
    // Control and direction characters are escaped throughout, as quoted escapes them.
    static QString sentence(QStringView text);
};
