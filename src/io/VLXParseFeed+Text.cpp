// Text side of the reader: the prolog, the text repairs and the root's namespace declarations.

#include "io/VLXParseFeed.h"

#include "io/FeedFormat.h"
#include "io/FeedTextScan.h"
#include "io/KeptMarkup.h"
#include "io/OpenElements.h"
#include "io/RepairCheck.h"
#include "io/SpacedTagRepair.h"
#include "io/TagValueRepair.h"
#include "xml/vlxXMLDOM.h"

#include <atomic>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

const char16_t *unitsOf(QStringView text)
{
    return reinterpret_cast<const char16_t *>(text.utf16());
}

// The namespace declarations of a start tag (from its "<" up to its ">", not included), as the
// readers hand them to the extension managers: every control character (line ends and tabs
// included) becomes a space, the tag is split at spaces, and each piece that begins with
// "xmlns:" is kept, trimmed, its apostrophes made double quotes.
QStringList declarationsInTag(QStringView tagText)
{
    QString tag = tagText.toString();
    for (QChar &c : tag) {
        if (c.category() == QChar::Other_Control)
            c = u' ';
    }
    QStringList result;
    const QStringList pieces = tag.split(u' ', Qt::SkipEmptyParts);
    for (const QString &piece : pieces) {
        if (piece.startsWith(u"xmlns:"))
            result.append(piece.trimmed().replace(u'\'', u'"'));
    }
    return result;
}

QStringList declarationsOf(const QString &text, QLatin1StringView rootTag)
{
    const qsizetype root = FeedTextScan::rootStart(unitsOf(text), text.size());
    const qsizetype start = text.indexOf(rootTag, root, Qt::CaseInsensitive);
    if (start < 0)
        return {};
    const qsizetype end = text.indexOf(u'>', start);
    if (end < 0)
        return {};
    return declarationsInTag(QStringView(text).sliced(start, end - start));
}

// Position of the first case-insensitive (ASCII) match of `needle` at or after `from`, where
// needle starts with '<' or ']'; -1 when none, or when `stop` stops the search.
qsizetype findTagCI(QStringView text, QStringView needle, qsizetype from, StopCheck *stop)
{
    const char16_t first = needle[0].unicode();
    const qsizetype n = text.size();
    const qsizetype m = needle.size();
    while (from <= n - m && StopCheck::goOn(stop)) {
        const qsizetype hit = FeedTextScan::indexOf(unitsOf(text), n, first, from);
        if (hit < 0 || hit > n - m)
            return -1;
        qsizetype k = 1;
        for (; k < m; ++k) {
            char16_t a = text[hit + k].unicode();
            char16_t b = needle[k].unicode();
            if (a >= 'A' && a <= 'Z')
                a += 32;
            if (b >= 'A' && b <= 'Z')
                b += 32;
            if (a != b)
                break;
        }
        if (k == m)
            return hit;
        from = hit + 1;
    }
    return -1;
}

// The position of the ASCII literal at or after `from`, or -1.
qsizetype findLiteral(QStringView text, QLatin1StringView literal, qsizetype from = 0)
{
    return FeedTextScan::indexOfAscii(unitsOf(text), text.size(), literal, from);
}

using Kept = KeptMarkup<char16_t>;

// The text with `change` applied to every stretch outside its kept markup (see KeptMarkup),
// which is copied as it is. Answers the text, shared, when nothing changed.
template<typename Change>
QString outsideKeptMarkup(const QString &text, StopCheck *stop, Change change)
{
    const QStringView in(text);
    QString out;
    out.reserve(in.size());
    Kept(unitsOf(in), in.size(), Kept::Scope::Document, stop)
        .walk([&](qsizetype from, qsizetype to) { change(in.sliced(from, to - from), out); },
              [&](const Kept::Part &part) {
                  out.append(in.sliced(part.start, part.end - part.start));
              });
    return out == text ? text : out;
}

// The text with every `literal` outside its kept markup replaced, or the text itself when there
// is none there.
QString replacedOutsideKeptMarkup(const QString &text, QLatin1StringView literal, QStringView by,
                                  StopCheck *stop)
{
    if (findLiteral(text, literal) < 0)
        return text;
    return outsideKeptMarkup(text, stop, [&](QStringView stretch, QString &out) {
        for (qsizetype from = 0; StopCheck::goOn(stop);) {
            const qsizetype at = findLiteral(stretch, literal, from);
            out.append(stretch.sliced(from, (at < 0 ? stretch.size() : at) - from));
            if (at < 0)
                return;
            out.append(by);
            from = at + literal.size();
        }
    });
}

// The text without the blanks right before each ">" that ends a tag: one opened by a "<"
// followed by a name or "/" (a "<" followed by anything else is text), the ">" outside the
// tag's quoted values (FeedTextScan::tagAt). Between tags only the next "<" is looked for.
QString withoutBlanksBeforeTagEnds(const QString &text, StopCheck *stop)
{
    if (findLiteral(text, " >"_L1) < 0)
        return text;
    return outsideKeptMarkup(text, stop, [stop](QStringView in, QString &out) {
        const auto *units = unitsOf(in);
        const qsizetype n = in.size();
        qsizetype copied = 0;
        for (qsizetype lt = FeedTextScan::indexOf(units, n, u'<', 0);
             lt >= 0 && StopCheck::goOn(stop); lt = FeedTextScan::indexOf(units, n, u'<', lt)) {
            const FeedTextScan::Tag tag = FeedTextScan::tagAt(units, n, lt);
            if (tag.end < 0) {
                ++lt;
                continue;
            }
            qsizetype blanks = tag.end;
            while (blanks > tag.nameEnd && units[blanks - 1] == u' ')
                --blanks;
            if (blanks < tag.end) {
                out.append(in.sliced(copied, blanks - copied));
                copied = tag.end;
            }
            lt = tag.end + 1;
        }
        out.append(in.sliced(copied));
    });
}

// The first place at or after `from` where `tag` (starting with "<", any letter case) stands
// outside the kept markup; -1 when none. `from` never goes back from one call to the next.
qsizetype findOutside(QStringView text, Kept &kept, QStringView tag, qsizetype from,
                      StopCheck *stop)
{
    for (qsizetype at = findTagCI(text, tag, from, stop); at >= 0;
         at = findTagCI(text, tag, from, stop)) {
        const Kept::Part &part = kept.after(at);
        if (part.start > at)
            return at;
        from = part.end;
    }
    return -1;
}

} // namespace

bool VLXParseFeed::hasXMLTag(const QString &text)
{
    const QStringView window = QStringView(text).left(10);
    const qsizetype lt = window.indexOf(u'<');
    const qsizetype question = window.indexOf(u'?');
    const qsizetype xml = window.indexOf(u"xml", 0, Qt::CaseInsensitive);
    if (lt < 0 || question < 0 || xml < 0)
        return false;
    return lt == 0 && question != 0 && xml > question;
}

QStringList VLXParseFeed::getFeedTypeAndVersion(const QString &text)
{
    vlxXMLDOM dom;
    if (text.isNull() || !dom.initWithString(workingCopy(text)) || !dom.xmlTree())
        return {QString(u""_s), u"-1"_s};
    return FeedFormat::of(dom).pair();
}

QString VLXParseFeed::rootHead(const QString &text)
{
    const qsizetype root = FeedTextScan::rootStart(unitsOf(text), text.size());
    const qsizetype end = FeedTextScan::startTagEnd(unitsOf(text), text.size(), root);
    return end < 0 ? QString() : text.left(end);
}

bool VLXParseFeed::namesFeedRoot(const QString &text)
{
    const qsizetype root = FeedTextScan::rootStart(unitsOf(text), text.size());
    const qsizetype end = FeedTextScan::nameEnd(unitsOf(text), text.size(), root + 1);
    if (root >= text.size() || end <= root + 1)
        return false;
    const QStringView name = QStringView(text).sliced(root + 1, end - root - 1);
    const QStringView local = name.sliced(name.lastIndexOf(u':') + 1);
    return local == u"rss" || local == u"RDF" || local == u"feed";
}

QString VLXParseFeed::encodeIllegalXMLCharacters(const QString &text, StopCheck *stop)
{
    // One pass, copying the runs between the characters it escapes: replacing each kind over
    // the whole text moved the rest of it again for every thousand matches, which took minutes
    // for a long description of markup.
    const char16_t *units = unitsOf(text);
    const qsizetype n = text.size();
    QString out;
    qsizetype copied = 0; // units[0, copied) are in out
    for (qsizetype i = FeedTextScan::nextMarkupCharacter(units, 0, n); i < n;
         i = FeedTextScan::nextMarkupCharacter(units, i + 1, n)) {
        if (!StopCheck::goOn(stop))
            return {};
        const char16_t c = units[i];
        QStringView escaped;
        if (c == u'<')
            escaped = u"&lt;";
        else if (c == u'>')
            escaped = u"&gt;";
        else if (c == u'&' && !FeedTextScan::keepsAmpersand(units, n, i))
            escaped = u"&amp;";
        else
            continue;
        if (copied == 0)
            out.reserve(n + n / 8 + 8);
        out.append(QStringView(units + copied, i - copied));
        out.append(escaped);
        copied = i + 1;
    }
    if (copied == 0)
        return text;
    out.append(QStringView(units + copied, n - copied));
    return out;
}

namespace {

std::atomic<quint64> escapedValues {0};

// Elements open at once in a value beyond which the value is in doubt: a value of nothing but
// start tags would otherwise take gigabytes before it was judged.
constexpr std::size_t kDeepestValue = 65536;

// Whether the element whose start tag ends at `valueStart` is a value the repair may escape, as
// far as its end: the walk goes over the value's tags up to the closing tag of `tagName` (its
// position in *close, the end of that tag in *closeEnd). The value's end is in doubt only where
// the structure shows it was left open or closed by a misspelt tag, before that closing tag:
// - an end tag of an element open around the value ("</item>", "</channel>", "</title" without
//   its ">"), asked of `around`, made when first needed;
// - a start tag of the value's own name;
// - a start tag of an item or entry, with its ">".
// Any other end tag the value did not open ("</i>" in "<b>bold</i>") is the author's text, and
// is escaped with the value. In doubt, *resume is where the search for the next value goes on
// (that tag); -1 with *close -1 when no closing tag follows.
bool valueEndsAsItsOwn(QStringView text, Kept &kept, std::optional<OpenElements> &around,
                       qsizetype valueStart, const QString &tagName, qsizetype *close,
                       qsizetype *closeEnd, qsizetype *resume, StopCheck *stop)
{
    const auto *units = unitsOf(text);
    const qsizetype n = text.size();
    *close = *closeEnd = *resume = -1;
    std::vector<QStringView> opened;
    const auto sameName
        = [](QStringView a, QStringView b) { return a.compare(b, Qt::CaseInsensitive) == 0; };
    for (qsizetype lt = findOutside(text, kept, u"<", valueStart, stop); lt >= 0;
         lt = findOutside(text, kept, u"<", lt + 1, stop)) {
        if (const qsizetype end = FeedTextScan::closingTagEnd(units, n, lt, tagName); end >= 0) {
            *close = lt;
            *closeEnd = end;
            return true;
        }
        const FeedTextScan::Tag tag = FeedTextScan::tagAt(units, n, lt);
        if (!tag.isTag())
            continue; // "1 < 2": the author's text
        const QStringView name = text.sliced(tag.nameAt, tag.nameEnd - tag.nameAt);
        if (tag.closing) {
            const auto open = std::find_if(opened.rbegin(), opened.rend(),
                                           [&](QStringView o) { return sameName(o, name); });
            if (open != opened.rend()) {
                opened.erase(std::prev(open.base()), opened.end());
                continue;
            }
            if (!around)
                around.emplace(text, stop);
            if (around->isOpenAt(valueStart, name)) {
                *resume = lt;
                return false;
            }
            continue;
        }
        const QStringView local = name.sliced(name.lastIndexOf(u':') + 1);
        if (sameName(name, tagName)
            || (tag.end >= 0 && (sameName(local, u"item") || sameName(local, u"entry")))) {
            *resume = lt;
            return false;
        }
        // A start tag ends at its ">" before any other "<"; one ending in "/>" opens nothing.
        if (tag.end >= 0 && !tag.empty) {
            if (opened.size() >= kDeepestValue) {
                *resume = lt;
                return false;
            }
            opened.push_back(name);
        }
    }
    return false;
}

// The next start tag of `tagName` at or after `from`, written without attributes ("<title>",
// or "<title >" with the blanks the last repair takes out); *valueStart is where its value
// starts. -1 when there is none.
qsizetype findOpenTag(QStringView text, Kept &kept, const QString &openTag, qsizetype from,
                      qsizetype *valueStart, StopCheck *stop)
{
    for (qsizetype at = findOutside(text, kept, openTag, from, stop); at >= 0;
         at = findOutside(text, kept, openTag, at + 1, stop)) {
        qsizetype end = at + openTag.size();
        while (end < text.size() && text[end] == u' ')
            ++end;
        if (end < text.size() && text[end] == u'>') {
            *valueStart = end + 1;
            return at;
        }
    }
    return -1;
}

} // namespace

QString VLXParseFeed::fixEntityEncodingText(const QString &text, const QString &tagName,
                                            bool *changed, StopCheck *stop)
{
    *changed = false;
    // Titles hold plain text; the descriptions and encoded content HTML.
    const bool holdsHTML = tagName != u"title" && tagName != u"dc:title";
    const QString openTag = u'<' + tagName;
    const QStringView view(text);
    // Tags are found only where XML reads them: a "<title>" in a comment, an instruction or a
    // CDATA section is their text, and a title ends at its first closing tag outside them.
    Kept kept(unitsOf(view), view.size(), Kept::Scope::Document, stop);
    std::optional<OpenElements> around;
    // The repaired text may not grow past what the parser reads: its size is followed as the
    // values are escaped, and a value that would take it past is counted, never built.
    const qint64 limit = vlxXMLDOM::maximumInputSize();
    qint64 size = text.size();

    QString out;
    qsizetype copied = 0; // text[0, copied) is already in `out` (when out is in use)
    qsizetype valueStart = -1;
    for (qsizetype open = findOpenTag(view, kept, openTag, 0, &valueStart, stop);
         open >= 0 && StopCheck::goOn(stop);) {
        const qsizetype partsBefore = kept.passed();
        const qsizetype sectionsBefore = kept.passed(Kept::Kind::CData);
        qsizetype close = -1, closeEnd = -1, resume = -1;
        if (!valueEndsAsItsOwn(view, kept, around, valueStart, tagName, &close, &closeEnd, &resume,
                               stop)) {
            if (resume < 0)
                break;
            open = findOpenTag(view, kept, openTag, resume, &valueStart, stop);
            continue;
        }
        const QStringView value = view.sliced(valueStart, close - valueStart);
        // A value holding a CDATA section is left alone.
        const bool holdsSection = kept.passed(Kept::Kind::CData) != sectionsBefore;
        const bool holdsParts = kept.passed() != partsBefore;
        if (!holdsSection
            && (holdsParts || FeedTextScan::valueNeedsEscaping(unitsOf(value), value.size()))) {
            if (size + FeedTextScan::escapingGrowth(unitsOf(value), value.size()) > limit)
                return QString();
            ++escapedValues;
            const QString encoded = TagValueRepair::repaired(value, holdsHTML, stop);
            if (encoded != value) {
                size += encoded.size() - value.size();
                if (size > limit)
                    return QString();
                if (!*changed)
                    out.reserve(text.size() + text.size() / 16);
                out.append(view.sliced(copied, valueStart - copied));
                out.append(encoded);
                copied = close;
                *changed = true;
            }
        }
        open = findOpenTag(view, kept, openTag, closeEnd, &valueStart, stop);
    }
    if (!*changed)
        return text;
    out.append(view.sliced(copied));
    return out;
}

const QStringList &VLXParseFeed::repairedTags()
{
    static const QStringList tags
        = {u"title"_s, u"description"_s, u"dc:title"_s, u"dc:description"_s, u"content:encoded"_s};
    return tags;
}

namespace {
std::atomic<quint64> repairedTexts {0};
} // namespace

quint64 VLXParseFeed::textsRepaired()
{
    return repairedTexts.load();
}

quint64 VLXParseFeed::valuesEscaped()
{
    return escapedValues.load();
}

QString VLXParseFeed::repairText(const QString &text, QStringList *messages, StopCheck *stop)
{
    const QStringList &tags = repairedTags();
    if (!RepairCheck::textNeedsRepair(unitsOf(text), text.size(), tags, stop))
        return text;
    ++repairedTexts;
    QStringList told;
    QString work;
    try {
        work = repairSteps(text, &told, stop);
    } catch (const std::bad_alloc &) {
        // A text too large to repair in the memory there is stays as it stood, and is refused
        // for its own fault.
        work = QString();
    }
    if (work.isNull())
        return text;
    messages->append(told);
    return work;
}

QString VLXParseFeed::repairSteps(const QString &text, QStringList *messages, StopCheck *stop)
{
    // Every step finds what it repairs outside the CDATA sections, comments and instructions (see
    // KeptMarkup): "a < b" in a show note, or "<?x >?>", is their text, and a well-formed feed
    // stays one. Each step reads the parts of the text the step before left. None adds or takes
    // out a line break, so every line of the repaired text stands where it stood.
    // 1. Double-encoded apostrophes. One pass leaves none: the replacement cannot form a new
    // occurrence with its neighbours.
    QString work = replacedOutsideKeptMarkup(text, "&amp;apos;"_L1, u"&apos;", stop);
    if (work.constData() != text.constData())
        messages->append(u"Fix double encoding of the apostrophe"_s);
    // 2. The blanks after the "<" of a tag the written tags around it make certain.
    bool spaced = false;
    work = SpacedTagRepair::repaired(work, repairedTags(), &spaced, stop);
    if (spaced)
        messages->append(u"Removed illegal whitespace at start of XML tags"_s);
    // 3. A closing tag of the prolog that some tools write at the end.
    const QString before = work;
    work = replacedOutsideKeptMarkup(work, "</xml>"_L1, u"", stop);
    if (work.constData() != before.constData())
        messages->append(u"Removed </xml> tag that shouldn't exist"_s);
    // 4. Tag values re-escaped.
    for (const QString &tag : repairedTags()) {
        bool changed = false;
        work = fixEntityEncodingText(work, tag, &changed, stop);
        if (work.isNull())
            return work;
        if (changed)
            messages->append(u"Fixed the encoding in the value of the %1 tag"_s.arg(tag));
    }
    // 5. The blanks before a ">" that ends a tag, with no message. It comes last, so that only
    // the tags the repairs keep lose them: in a value escaped above ("Use the <br > tag"), in
    // text and in quoted values a ">" is the author's, and so are the blanks before it.
    return withoutBlanksBeforeTagEnds(work, stop);
}

QStringList VLXParseFeed::nameSpaces(const QString &text)
{
    return declarationsOf(text, QLatin1StringView("<rss"));
}

QStringList VLXParseFeed::RDFNameSpaces(const QString &text)
{
    return declarationsOf(text, QLatin1StringView("<rdf:RDF"));
}

QStringList VLXParseFeed::AtomNameSpaces(const QString &text)
{
    return declarationsOf(text, QLatin1StringView("<feed"));
}

QStringList VLXParseFeed::rootNameSpaces(const QString &text)
{
    const QString head = rootHead(text);
    const qsizetype root = FeedTextScan::rootStart(unitsOf(head), head.size());
    if (head.isNull())
        return {};
    // The tag without its closing ">" (or "/>": the slash is no declaration's).
    const qsizetype close = head.endsWith(u"/>") ? 2 : 1;
    return declarationsInTag(QStringView(head).sliced(root, head.size() - close - root));
}
