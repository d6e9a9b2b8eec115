#include "io/TagReading.h"

#include "io/TagIndex.h"
#include "io/TagNames.h"
#include "io/TagTokens.h"

#include <algorithm>
#include <atomic>
#include <optional>

namespace {

// Elements open at once (and spaced empty tags waiting, and elements open in one value) beyond
// which the walk gives up: no feed nests so deep, and a text of nothing but start tags would
// otherwise take gigabytes.
constexpr std::size_t kDeepest = 65536;
// How many of the elements around one a spaced end tag's question looks at: the parent ends
// before the others in any feed that closes its elements.
constexpr qsizetype kAncestorsAsked = 8;

std::atomic<quint64> tagsReadInAll {0};

// What the tags after a spaced end tag say of it.
enum class Verdict { End, Text };

struct Open
{
    int name = 0;
    int below = -1; // the next element down of the same name, or -1
    qsizetype lt = 0; // its start tag's "<"
    qsizetype contentStart = 0; // after its start tag
    // The nearest element at or below this one that a written start tag opened, and that is no
    // value found left open; -1 when there is none. An element closes in order when none lies
    // above it: only then are the spaced empty tags in it certain.
    int written = -1;
    int value = -1; // the index of a value's name, or -1
    // For a value found left open: how many elements lie below the run of such values that
    // ends with it, the depth the tags read again in it belong to.
    int belowDoubted = 0;
    bool spaced = false;
    bool doubted = false; // a value found left open, read again as markup
    bool escapable = false;
};

struct Local
{
    int name;
    int below; // the next element of the value's own markup down of the same name, or -1
};

} // namespace

class TagWalk
{
public:
    TagWalk(QStringView text, const QStringList &valueTags, bool spaced, StopCheck *stop,
            TagReading &out)
        : m_text(text), m_names(valueTags), m_stop(stop), m_tokens(text, spaced, stop),
          m_lines(reinterpret_cast<const char16_t *>(text.utf16()), text.size()), m_out(out)
    {
    }

    void run()
    {
        TagTokens::Token token;
        quint64 read = 0;
        while (m_tokens.next(&token)) {
            ++read;
            const int name = m_names.idOf(token.name);
            noteItem(token, name);
            if (inValue())
                valueTag(token, name);
            else
                markupTag(token, name);
        }
        tagsReadInAll += read + (m_index ? m_index->tagsRead() : 0);
        std::vector<qsizetype> &certain = m_out.m_certain;
        if (m_gaveUp || !StopCheck::goOn(m_stop)) {
            certain.clear();
            return;
        }
        std::sort(certain.begin(), certain.end());
        certain.erase(std::unique(certain.begin(), certain.end()), certain.end());
    }

private:
    bool inValue() const
    {
        return !m_open.empty() && m_open.back().value >= 0 && !m_open.back().doubted;
    }

    int &topOf(int name) { return slot(m_topOf, name); }
    int &localTopOf(int name) { return slot(m_localTopOf, name); }
    int &slot(std::vector<int> &table, int name)
    {
        if (std::size_t(name) >= table.size())
            table.resize(std::size_t(m_names.count()), -1);
        return table[std::size_t(name)];
    }

    void noteItem(const TagTokens::Token &token, int name)
    {
        // A stretch read again is counted once.
        if (token.lt < m_itemsCounted)
            return;
        m_itemsCounted = token.lt + 1;
        if (!token.tag.closing && token.tag.end >= 0 && token.atMarkupPosition
            && m_names.isItemElement(name)) {
            const int start = m_lines.lineOf(token.lt);
            m_out.m_itemTags.add({start, m_lines.lineOf(token.tag.end)});
        }
    }

    // A tag among the feed's markup.
    void markupTag(const TagTokens::Token &token, int name)
    {
        const FeedTextScan::Tag &tag = token.tag;
        if (tag.end < 0)
            return; // without its ">", the author's text
        if (!tag.closing) {
            if (!token.atMarkupPosition)
                return; // spaced among text ("http://x/< b >1")
            if (tag.empty) {
                // A spaced empty tag waits to be certain until the element around it closes in
                // order.
                if (tag.spaced && !m_gaveUp) {
                    // Inside a value left open, it belongs to the element around the value,
                    // as in the written text.
                    const std::size_t depth = !m_open.empty() && m_open.back().doubted
                        ? std::size_t(m_open.back().belowDoubted)
                        : m_open.size();
                    if (m_empties.size() >= kDeepest)
                        m_gaveUp = true;
                    else
                        m_empties.push_back({token.lt, depth});
                }
                return;
            }
            // Values count too: each one found left open stays open.
            if (m_open.size() >= kDeepest) {
                m_gaveUp = true;
                return;
            }
            open(token, name);
            return;
        }
        const int k = topOf(name);
        if (k < 0)
            return; // it ends nothing open
        if (tag.spaced && verdict(k, token.after()) == Verdict::Text)
            return;
        close(k, tag.spaced ? token.lt : -1);
    }

    // A tag inside a value: the value's own markup or text, unless it ends the value or shows
    // its end in doubt.
    void valueTag(const TagTokens::Token &token, int name)
    {
        const FeedTextScan::Tag &tag = token.tag;
        const Open &value = m_open.back();
        if (tag.closing) {
            if (name == value.name) {
                if (!tag.spaced) {
                    if (endsWhole(tag))
                        endValue(token, -1);
                    else
                        doubt(); // "</title" with no ">": a misspelt end
                } else if (tag.end >= 0
                           && verdict(qsizetype(m_open.size()) - 1, token.after())
                               == Verdict::End) {
                    endValue(token, token.lt);
                }
                return;
            }
            if (tag.spaced && tag.end < 0)
                return;
            if (!tag.spaced && localTopOf(name) >= 0) {
                closeLocal(name);
                return;
            }
            if (topOf(name) >= 0 || (m_gaveUp && !tag.spaced))
                doubt();
            return;
        }
        const bool markup = tag.end >= 0 && token.atMarkupPosition;
        if ((name == value.name && (markup || !tag.spaced)) || (m_names.isItem(name) && markup)) {
            doubt();
            return;
        }
        if (!tag.spaced && tag.end >= 0 && !tag.empty) {
            if (m_local.size() >= kDeepest) {
                doubt();
                return;
            }
            m_local.push_back({name, localTopOf(name)});
            localTopOf(name) = int(m_local.size()) - 1;
        }
    }

    // Whether a written end tag is whole: only blanks between its name and its ">".
    bool endsWhole(const FeedTextScan::Tag &tag) const
    {
        if (tag.end < 0)
            return false;
        for (qsizetype i = tag.nameEnd; i < tag.end; ++i) {
            if (!FeedTextScan::isBlank(m_text[i].unicode()))
                return false;
        }
        return true;
    }

    void open(const TagTokens::Token &token, int name)
    {
        const FeedTextScan::Tag &tag = token.tag;
        Open element;
        element.name = name;
        element.below = topOf(name);
        element.lt = token.lt;
        element.contentStart = token.after();
        element.spaced = tag.spaced;
        const int index = int(m_open.size());
        element.written = !tag.spaced ? index : (index > 0 ? m_open.back().written : -1);
        element.value = m_names.valueOf(name);
        if (element.value >= 0) {
            // Only a start tag without attributes is escaped ("<title>", "< title >").
            element.escapable = true;
            for (qsizetype i = tag.nameEnd; i < tag.end && element.escapable; ++i)
                element.escapable = m_text[i] == u' ';
            m_valueTokens = m_tokens; // where the value is read again from, if in doubt
            m_partsBefore = m_tokens.kept().passed();
            m_sectionsBefore = m_tokens.kept().passed(KeptMarkup<char16_t>::Kind::CData);
        }
        m_open.push_back(element);
        topOf(name) = index;
    }

    // Closes the element at `k` and those above it, at an end tag (spacedEnd: its "<" when
    // spaced, else -1). The two tags pair, whatever lies between: where a written start tag is
    // left open above, the text is no XML either way, and the parser names the fault where it
    // names it in the written text.
    void close(qsizetype k, qsizetype spacedEnd)
    {
        const bool inOrder = m_open.back().written <= k;
        if (m_open[std::size_t(k)].spaced)
            m_out.m_certain.push_back(m_open[std::size_t(k)].lt);
        if (spacedEnd >= 0)
            m_out.m_certain.push_back(spacedEnd);
        // The spaced empty tags inside: certain in the element itself when it closed in order;
        // the author's text in the elements above it, whose start tags were text or broken.
        while (!m_empties.empty() && m_empties.back().depth > std::size_t(k)) {
            if (inOrder && m_empties.back().depth == std::size_t(k) + 1)
                m_out.m_certain.push_back(m_empties.back().lt);
            m_empties.pop_back();
        }
        // A start tag above it is left open: spaced, it is mended too, so that the parser
        // finds the fault where it finds it in the written text.
        while (qsizetype(m_open.size()) > k) {
            const Open &element = m_open.back();
            if (element.spaced && !element.doubted && qsizetype(m_open.size()) > k + 1)
                m_out.m_certain.push_back(element.lt);
            topOf(element.name) = element.below;
            m_open.pop_back();
        }
    }

    void endValue(const TagTokens::Token &token, qsizetype spacedEnd)
    {
        const Open &value = m_open.back();
        const KeptMarkup<char16_t> &kept = m_tokens.kept();
        const bool holdsParts = kept.passed() != m_partsBefore;
        const bool holdsSection
            = kept.passed(KeptMarkup<char16_t>::Kind::CData) != m_sectionsBefore;
        const auto *content
            = reinterpret_cast<const char16_t *>(m_text.utf16()) + value.contentStart;
        // A value holding a CDATA section is left alone; most need no escaping at all.
        if (value.escapable && !holdsSection
            && (holdsParts
                || FeedTextScan::valueNeedsEscaping(content, token.lt - value.contentStart)))
            m_out.m_values.push_back({value.contentStart, token.lt, value.value, holdsParts});
        if (value.spaced)
            m_out.m_certain.push_back(value.lt);
        if (spacedEnd >= 0)
            m_out.m_certain.push_back(spacedEnd);
        clearLocal();
        topOf(value.name) = value.below;
        m_open.pop_back();
    }

    // The value on top was left open: it stays as written, and its content is read again from
    // its start as the feed's markup.
    void doubt()
    {
        Open &value = m_open.back();
        const Open *below = m_open.size() > 1 ? &m_open[m_open.size() - 2] : nullptr;
        value.doubted = true;
        value.written = below ? below->written : -1;
        value.belowDoubted
            = below && below->doubted ? below->belowDoubted : int(m_open.size()) - 1;
        if (value.spaced)
            m_out.m_certain.push_back(value.lt);
        clearLocal();
        m_tokens = m_valueTokens;
    }

    void closeLocal(int name)
    {
        while (!m_local.empty()) {
            const Local element = m_local.back();
            localTopOf(element.name) = element.below;
            m_local.pop_back();
            if (element.name == name)
                return;
        }
    }

    void clearLocal()
    {
        while (!m_local.empty()) {
            localTopOf(m_local.back().name) = m_local.back().below;
            m_local.pop_back();
        }
    }

    // Whether a spaced end tag of the element at `k`, which ends before `after`, is its end:
    // not when a written end tag of its name follows before a start tag of its name, an item's
    // start, or the end of an element around it. A value holds no element: for a value's end,
    // any end tag of its name that follows before any start tag tells it is the author's text
    // ("Close it with < /title> please< /title>"), and a start tag before it that it is the end
    // ("< /title>\n< link>x</title>").
    Verdict verdict(qsizetype k, qsizetype after)
    {
        if (!m_index)
            m_index.emplace(m_text, m_names, m_stop);
        const Open &element = m_open[std::size_t(k)];
        const int name = element.name;
        const bool value = element.value >= 0 && !element.doubted;
        const qsizetype written
            = value ? m_index->nextEnd(name, after) : m_index->nextWrittenEnd(name, after);
        if (written == TagIndex::kNone
            || (value ? m_index->nextStart(after) : m_index->nextStart(name, after)) < written
            || m_index->nextItemStart(after) < written)
            return Verdict::End;
        for (qsizetype j = k - 1; j >= 0 && j >= k - kAncestorsAsked; --j) {
            if (m_index->nextEnd(m_open[std::size_t(j)].name, after) < written)
                return Verdict::End;
        }
        return Verdict::Text;
    }

    QStringView m_text;
    TagNames m_names;
    StopCheck *m_stop;
    TagTokens m_tokens;
    FeedTextScan::LineCounter m_lines; // of the item tags, counted once
    TagReading &m_out;
    std::vector<Open> m_open;
    std::vector<int> m_topOf; // name -> the topmost open element of that name, or -1
    std::vector<Local> m_local; // the markup open in the value being read
    std::vector<int> m_localTopOf;
    struct Empty
    {
        qsizetype lt;
        std::size_t depth; // the elements open around it
    };
    std::vector<Empty> m_empties; // spaced empty tags whose element has not closed yet
    // Where the value being read starts: its tags, and the kept parts before it.
    TagTokens m_valueTokens {QStringView(), false, nullptr};
    qsizetype m_partsBefore = 0;
    qsizetype m_sectionsBefore = 0;
    qsizetype m_itemsCounted = 0; // the item tags before this are counted
    std::optional<TagIndex> m_index; // made when a spaced end tag first asks
    bool m_gaveUp = false;
};

quint64 TagReading::tagsRead()
{
    return tagsReadInAll.load();
}

TagReading::TagReading(QStringView text, const QStringList &valueTags, bool spaced, StopCheck *stop)
{
    TagWalk(text, valueTags, spaced, stop, *this).run();
}
