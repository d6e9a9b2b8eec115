#include "io/TagTokens.h"

TagTokens::TagTokens(QStringView text, bool spaced, StopCheck *stop)
    : m_units(reinterpret_cast<const char16_t *>(text.utf16())), m_n(text.size()), m_spaced(spaced),
      m_stop(stop), m_kept(m_units, m_n, KeptMarkup<char16_t>::Scope::Document, stop)
{
}

bool TagTokens::next(Token *token)
{
    for (qsizetype lt = FeedTextScan::indexOf(m_units, m_n, u'<', m_at); lt >= 0;
         lt = FeedTextScan::indexOf(m_units, m_n, u'<', m_at)) {
        if (!StopCheck::goOn(m_stop))
            break;
        if (const auto &part = m_kept.after(lt); part.start <= lt) {
            m_at = m_markupEnd = part.end;
            continue;
        }
        const FeedTextScan::Tag tag = FeedTextScan::tagAt(m_units, m_n, lt, m_spaced);
        if (!tag.isTag()) {
            m_at = lt + 1; // "1 < 2": the author's text
            continue;
        }
        token->lt = lt;
        token->tag = tag;
        token->name = QStringView(m_units + tag.nameAt, tag.nameEnd - tag.nameAt);
        token->atMarkupPosition
            = !tag.spaced || FeedTextScan::atMarkupPosition(m_units, lt, m_markupEnd);
        m_at = token->after();
        if (tag.end >= 0)
            m_markupEnd = m_at;
        return true;
    }
    m_at = m_n;
    return false;
}
