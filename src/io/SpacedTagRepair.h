#pragma once

#include <QString>

class StopCheck;

// The blanks some tools write after the "<" of a tag ("< item>", "< /item>"), taken out only
// where the tag they make is certain: a spaced start tag whose element a written end tag
// closes ("< item>" … "</item>"), or a spaced end tag that ends an element a written start tag
// opened ("<item>" … "< /item>"). Anywhere else ("Team A < Team B > draw", "<<< NEW >>>", a
// link's "/< b >1< /b >" where both are spaced) the "<" and its blanks are the author's text and
// stay as written, for the value repair to escape or for the parser to refuse. Tags are read
// only outside the parts XML keeps whole (see KeptMarkup).
class SpacedTagRepair
{
public:
    SpacedTagRepair() = delete;

    // The text with those blanks taken out, and whether any were; the text itself, shared,
    // when none were. Of no use once `stop` is stopped.
    static QString repaired(const QString &text, bool *changed, StopCheck *stop = nullptr);
};
