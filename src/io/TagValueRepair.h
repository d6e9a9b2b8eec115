#pragma once

#include <QString>
#include <QStringView>

class StopCheck;

// The repair of a value the reader finds between an element's tags before the document is
// parsed (a title, a description): a bare "&", a stray "<" or ">" and the "<" and ">" of markup
// the document wrote as child elements are escaped; a reference that is already one ("&lt;",
// "&amp;", "&#233;") stays as written, so the value reads as XML reads the references beside
// the markup. Markup XML reads as it stands (child elements closed in order, references only)
// is the field as written, and is escaped whole, its references too (HTMLText::fromPlainText),
// so that it reads as the same markup written escaped would. Comments and processing instructions
// in the value are the document's own and never become text:
// - beside text they stay as written, and the reader leaves them out of the value like any
//   other comment;
// - among child markup of a field that holds HTML, a comment goes in as the HTML comment that
//   reads as the same comment (HTMLText::appendComment) and an instruction, which HTML does not
//   know, is left out; a plain field keeps them as written here too.
// A comment or instruction that XML would not read as one (see KeptMarkup) is stray characters
// like any others. A value holding a CDATA section is left as it is by the caller, and never
// handed here.
class TagValueRepair
{
public:
    TagValueRepair() = delete;

    // The value repaired, for a field that holds HTML or plain text (of no use once `stop` is
    // stopped).
    static QString repaired(QStringView value, bool holdsHTML, StopCheck *stop = nullptr);

    // Whether a value holds a tag ("<b>", "</p>", "<br/>"): the document wrote its markup as
    // child elements, not as stray characters.
    static bool holdsTag(QStringView value, StopCheck *stop = nullptr);

    // Whether a value (without its comments and instructions) is content XML reads as it
    // stands: every tag closed in order, every "&" a reference, no stray "<".
    static bool isWellFormedContent(QStringView value);
};
