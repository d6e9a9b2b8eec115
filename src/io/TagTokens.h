#pragma once

#include "io/FeedTextScan.h"
#include "io/KeptMarkup.h"

#include <QStringView>

// The tags of a feed's text in order, as every repair made before parsing reads them, and as the
// check behind the repairs counts them: each "<" outside the parts XML keeps whole (see
// KeptMarkup) that a name follows, or "/" and a name; with `spaced`, spaces may stand between
// the "<" and the rest ("< item>", "< /item>"). A tag ends at its ">" before any other "<"
// (FeedTextScan::tagAt); a tag that none ends is handed out too, with no end.
//
// A walk that must read a stretch again keeps a copy of its tokens where the stretch starts and
// goes back to it: a copy goes on from where it was taken.
class TagTokens
{
public:
    struct Token
    {
        qsizetype lt = 0; // its "<"
        FeedTextScan::Tag tag;
        QStringView name;
        // Whether only blanks stand between the tag and the start of its line or the end of
        // the tag or kept part before it: where a tool that spaces its tags writes them. Always
        // so for a written tag, which is markup wherever it stands.
        bool atMarkupPosition = true;
        // After the tag: its ">" passed, or its "<" alone when none ends it.
        qsizetype after() const { return tag.end >= 0 ? tag.end + 1 : lt + 1; }
    };

    TagTokens(QStringView text, bool spaced, StopCheck *stop);

    // The next tag; false at the text's end or once `stop` is stopped.
    bool next(Token *token);
    // The parts XML keeps whole, as far as the tags handed out: passed() counts those before the
    // last tag.
    const KeptMarkup<char16_t> &kept() const { return m_kept; }

private:
    const char16_t *m_units;
    qsizetype m_n;
    bool m_spaced;
    StopCheck *m_stop;
    KeptMarkup<char16_t> m_kept;
    qsizetype m_at = 0; // where the search for the next tag goes on
    qsizetype m_markupEnd = 0; // after the last tag with its ">", or the last kept part
};
