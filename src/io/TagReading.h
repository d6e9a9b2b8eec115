#pragma once

#include "io/ItemTagLines.h"

#include <QStringList>
#include <QStringView>

#include <vector>

class StopCheck;

// The one reading of a feed's tags that every repair made before parsing takes: a walk of the
// text's tags in order (TagTokens) that tells which spaced tags are certain, where each value the
// repairs escape starts and ends, and where the items start. The repairs ask it rather than read
// the tags again, so that a tag is the same tag to every rule.
//
// The walk keeps the elements open on a stack, as written tags and spaced tags made certain
// open and close them:
// - a spaced start tag is one only where a tool would write it (TagTokens::Token::
//   atMarkupPosition); among text ("http://x/< b >1") it is the author's text;
// - an end tag, written or spaced, closes the topmost open element of its name, and it and that
//   element's start tag make each other certain ("< item>" … "</item>" or "< /item>"); start
//   tags still open above it close with it, a spaced one mended too: the text is no XML either
//   way then, and the parser names the fault where it names it in the text written unspaced;
// - a spaced end tag closes an element only where no written end tag of its name follows before
//   a start tag of its name, an item, or the end of one of the elements around it
//   ("< /category> <category>" is an end); a value's, where no end tag of its name follows
//   before any start tag ("< /title> please</title>" is text, "< /title>\n< link>x</title>" an
//   end);
// - a spaced empty tag ("< link href='x'/>") is certain when the element around it closes in
//   order.
//
// A value (a start tag of one of `valueTags`, its content up to its own end tag) holds the
// author's text: its tags are its own markup, and close with it. Its end is in doubt where the
// structure shows it was left open or closed by a misspelt tag, before its own end tag:
// - an end tag, written or spaced, of an element open around it ("</item>", "< /channel>");
// - a start tag of its own name, written, or spaced where a tool would write one;
// - a start tag of an item or entry with its ">", written, or spaced where a tool would write
//   one;
// - a written end tag of its own name that is not one ("</title" with no ">").
// Such a value is no value: it stays as written, its start tag is markup (certain when spaced),
// and its content is read again as the feed's markup. A start tag of a value's own name ends
// its first reading, so a stretch is read again for one value of each name at most: a bounded
// number of times, whatever its names and depths.
//
// Past 65,536 elements open at once, values found left open among them (or as many spaced
// empty tags waiting), the walk makes no spaced tag certain and opens no element, a value
// neither: its content is then the feed's markup, as a value left open's is. From there on, a
// written end tag in a value that its markup did not open leaves the value in doubt.
class TagReading
{
public:
    // A value the repair escapes: closed by its own end tag, its start tag without attributes
    // ("<title>", "< title >"), holding no CDATA section, and holding what escaping changes (a
    // bare "&", a "<" or ">") or comments or instructions.
    struct Value
    {
        qsizetype start = 0; // after its start tag's ">"
        qsizetype end = 0; // its end tag's "<"
        int tag = 0; // the index of its name in `valueTags`
        bool holdsParts = false; // comments or instructions
    };

    // With `spaced`, tags spaced after their "<" are read too; without, they are text.
    TagReading(QStringView text, const QStringList &valueTags, bool spaced,
               StopCheck *stop = nullptr);

    // The "<" of the spaced tags that are certain, in order.
    const std::vector<qsizetype> &certain() const { return m_certain; }
    // The values the repair escapes, in order.
    const std::vector<Value> &values() const { return m_values; }
    // How many tags the readings have read since the program started, a tag read again counted
    // again: a test counts with it that no stretch is read more than a few times.
    static quint64 tagsRead();

    // The lines of every start tag with its ">" that the parser reads as an item or entry
    // (TagNames::isItemElement), written, or spaced where a tool would write one, whatever the
    // walk made of it; taken out once.
    ItemTagLines takeItemTags() { return std::move(m_itemTags); }

private:
    friend class TagWalk;
    std::vector<qsizetype> m_certain;
    std::vector<Value> m_values;
    ItemTagLines m_itemTags;
};
