#pragma once

#include <QString>
#include <QStringList>

class StopCheck;

// The blanks some tools write after the "<" of a tag ("< item>", "< /item>"), taken out only
// where the tag they make is certain, as a walk of the text's tags in order finds it:
// - a spaced start tag and the end tag of the same name that closes it in order, written or
//   spaced ("< item>" … "</item>", "< item>" … "< /item>"), make each other certain, and so does a
//   written start tag with the spaced end tag that closes it ("<item>" … "< /item>");
// - a spaced empty tag among the elements of one that closes in order ("< link href='x'/>" in
//   an entry) is certain with it;
// - a spaced start tag among text ("http://x/< b >1") is the author's text, and so is a spaced
//   end tag that closes nothing open;
// - inside a value the repairs escape (`valueTags`: a title, a description, encoded content),
//   every spaced tag is the author's text
//   ("Why the < title> tag matters", "Team A < b > wins < /b >"), but for the value's own end
//   tag ("< /title>"), and that one too where a written end tag of the same name follows within
//   the same parent ("Close it with < /title> please</title>").
// Anywhere else ("Team A < Team B > draw", "<<< NEW >>>") the "<" and its blanks stay as written,
// for the value repair to escape or for the parser to refuse. Tags are read only outside the
// parts XML keeps whole (see KeptMarkup).
class SpacedTagRepair
{
public:
    SpacedTagRepair() = delete;

    // The text with those blanks taken out, and whether any were; the text itself, shared,
    // when none were. Of no use once `stop` is stopped.
    static QString repaired(const QString &text, const QStringList &valueTags, bool *changed,
                            StopCheck *stop = nullptr);
};
