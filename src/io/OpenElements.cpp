#include "io/OpenElements.h"

#include "io/FeedTextScan.h"

#include <algorithm>

namespace {

// Elements open at once beyond which the walk gives up: no feed nests so deep.
constexpr std::size_t kDeepest = 65536;
// How far down the open elements an end tag looks for its start, so that a text of end tags
// that match nothing costs no more than this each.
constexpr qsizetype kSearched = 64;

bool sameName(QStringView a, QStringView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

OpenElements::OpenElements(QStringView text, StopCheck *stop)
    : m_text(text), m_stop(stop),
      m_kept(reinterpret_cast<const char16_t *>(text.utf16()), text.size(),
             KeptMarkup<char16_t>::Scope::Document, stop)
{
}

bool OpenElements::isOpenAt(qsizetype at, QStringView name)
{
    // A value's stray end tags are mostly of one name ("</p>" after "</p>"): asked again at the
    // same place, the answer stands.
    if (at == m_asked.at && sameName(name, m_asked.name))
        return m_asked.open;
    walkTo(at);
    m_asked = {at, name, m_gaveUp || m_counts.value(keyOf(name)) > 0};
    return m_asked.open;
}

void OpenElements::walkTo(qsizetype at)
{
    const auto *units = reinterpret_cast<const char16_t *>(m_text.utf16());
    const qsizetype n = m_text.size();
    for (qsizetype lt = FeedTextScan::indexOf(units, n, u'<', m_walked); lt >= 0 && lt < at;
         lt = FeedTextScan::indexOf(units, n, u'<', m_walked)) {
        if (m_gaveUp || !StopCheck::goOn(m_stop)) {
            m_gaveUp = true;
            return;
        }
        if (const auto &part = m_kept.after(lt); part.start <= lt) {
            m_walked = part.end;
            continue;
        }
        const FeedTextScan::Tag tag = FeedTextScan::tagAt(units, n, lt);
        if (tag.end >= at) {
            m_walked = lt; // a tag not over by `at`: taken when a later place is asked about
            return;
        }
        if (tag.end < 0) {
            m_walked = lt + 1; // without its ">", a "<" is text
            continue;
        }
        m_walked = tag.end + 1;
        const QStringView name = m_text.sliced(tag.nameAt, tag.nameEnd - tag.nameAt);
        if (tag.closing)
            close(name);
        else if (!tag.empty)
            open(name);
    }
    m_walked = std::max(m_walked, std::min(at, n));
}

void OpenElements::open(QStringView name)
{
    if (m_open.size() >= kDeepest) {
        m_gaveUp = true;
        return;
    }
    m_open.push_back(name);
    ++m_counts[keyOf(name)];
}

void OpenElements::close(QStringView name)
{
    const qsizetype top = qsizetype(m_open.size()) - 1;
    for (qsizetype i = top; i >= 0 && i >= top - kSearched; --i) {
        if (!sameName(m_open[std::size_t(i)], name))
            continue;
        for (qsizetype j = top; j >= i; --j) {
            const auto count = m_counts.find(keyOf(m_open[std::size_t(j)]));
            if (--*count == 0)
                m_counts.erase(count);
        }
        m_open.resize(std::size_t(i));
        return;
    }
}
