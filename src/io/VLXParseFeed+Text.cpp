// Text side of the reader: the prolog, the text repairs and the root's namespace declarations.

#include "io/VLXParseFeed.h"

#include "io/FeedFormat.h"
#include "io/FeedTextScan.h"
#include "io/KeptMarkup.h"
#include "io/RepairCheck.h"
#include "io/TagReading.h"
#include "io/TagValueRepair.h"
#include "xml/vlxXMLDOM.h"

#include <QMutex>

#include <atomic>

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
    // A root some tool spaced ("< rss") names its feed as its written twin does.
    qsizetype at = root + 1;
    while (at < text.size() && text[at] == u' ')
        ++at;
    const qsizetype end = FeedTextScan::nameEnd(unitsOf(text), text.size(), at);
    if (root >= text.size() || end <= at)
        return false;
    const QStringView name = QStringView(text).sliced(at, end - at);
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

// The text as the reading of its tags leaves it: the blanks after each "<" it made certain taken
// out, and each value it found to escape escaped (only those of the tag at `only`, when that is
// not -1); fixed[i] tells whether a value of valueTags[i] changed. The repaired text may
// not grow past what the parser reads: its size is followed as the values are escaped, and a
// value that would take it past is counted, never built; the answer is then null. The text
// itself, shared, when nothing changed.
QString rewritten(const QString &text, const TagReading &reading, const QStringList &valueTags,
                  int only, std::vector<bool> *fixed, StopCheck *stop)
{
    const QStringView view(text);
    const char16_t *units = unitsOf(view);
    const qsizetype n = view.size();
    const std::vector<qsizetype> &certain = reading.certain();
    const auto blanksAfter = [&](qsizetype lt) {
        qsizetype end = lt + 1;
        while (end < n && units[end] == u' ')
            ++end;
        return end;
    };
    qint64 size = n;
    for (const qsizetype lt : certain)
        size -= blanksAfter(lt) - lt - 1;
    const qint64 limit = vlxXMLDOM::maximumInputSize();

    QString out;
    qsizetype copied = 0; // text[0, copied) is in `out` (once it is in use)
    const auto begin = [&] {
        if (out.isNull())
            out.reserve(n + n / 16);
    };
    auto next = certain.begin();
    // The text up to `to`, the blanks after the certain "<" before it taken out.
    const auto copyUpTo = [&](qsizetype to) {
        for (; next != certain.end() && *next < to; ++next) {
            begin();
            out.append(view.sliced(copied, *next + 1 - copied));
            copied = blanksAfter(*next);
        }
    };
    for (const TagReading::Value &value : reading.values()) {
        if (!StopCheck::goOn(stop))
            return {};
        if (only >= 0 && value.tag != only)
            continue;
        const QStringView content = view.sliced(value.start, value.end - value.start);
        if (size + FeedTextScan::escapingGrowth(unitsOf(content), content.size()) > limit)
            return QString();
        ++escapedValues;
        // Titles hold plain text; the descriptions and encoded content HTML.
        const QString &tag = valueTags[value.tag];
        const bool holdsHTML = tag.compare(u"title", Qt::CaseInsensitive) != 0
            && tag.compare(u"dc:title", Qt::CaseInsensitive) != 0;
        const QString encoded = TagValueRepair::repaired(content, holdsHTML, stop);
        if (encoded == content)
            continue;
        size += encoded.size() - content.size();
        if (size > limit)
            return QString();
        copyUpTo(value.start);
        begin();
        out.append(view.sliced(copied, value.start - copied));
        out.append(encoded);
        copied = value.end;
        (*fixed)[std::size_t(value.tag)] = true;
    }
    copyUpTo(n);
    if (out.isNull())
        return text;
    out.append(view.sliced(copied));
    return out;
}

} // namespace

QString VLXParseFeed::fixEntityEncodingText(const QString &text, const QString &tagName,
                                            bool *changed, StopCheck *stop)
{
    *changed = false;
    // The other values are read as values too: a title inside a description is the
    // description's text, not a title of its own.
    QStringList tags = repairedTags();
    qsizetype only = 0;
    while (only < tags.size() && tags[only].compare(tagName, Qt::CaseInsensitive) != 0)
        ++only;
    if (only == tags.size())
        tags.append(tagName);
    const TagReading reading(text, tags, false, stop);
    std::vector<bool> fixed(std::size_t(tags.size()), false);
    QString out = rewritten(text, reading, tags, int(only), &fixed, stop);
    *changed = fixed[std::size_t(only)];
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
// The rule a test planted (see plantRule): set by the test's thread, read by the workers that
// open feeds.
QMutex plantedGuard;
std::shared_ptr<const VLXParseFeed::PlantedRule> planted;
} // namespace

quint64 VLXParseFeed::textsRepaired()
{
    return repairedTexts.load();
}

quint64 VLXParseFeed::valuesEscaped()
{
    return escapedValues.load();
}

QString VLXParseFeed::repairText(const QString &text, QStringList *messages, StopCheck *stop,
                                 ItemTagLines *itemTags)
{
    const QStringList &tags = repairedTags();
    if (!RepairCheck::textNeedsRepair(unitsOf(text), text.size(), tags, stop))
        return text;
    ++repairedTexts;
    QStringList told;
    QString work;
    try {
        work = repairSteps(text, &told, stop, itemTags);
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

QString VLXParseFeed::repairSteps(const QString &text, QStringList *messages, StopCheck *stop,
                                  ItemTagLines *itemTags)
{
    // Every step finds what it repairs outside the CDATA sections, comments and instructions (see
    // KeptMarkup): "a < b" in a show note, or "<?x >?>", is their text, and a well-formed feed
    // stays one. None adds or takes out a line break, so every line of the repaired text stands
    // where it stood.
    // 1. Double-encoded apostrophes. One pass leaves none: the replacement cannot form a new
    // occurrence with its neighbours.
    QString work = replacedOutsideKeptMarkup(text, "&amp;apos;"_L1, u"&apos;", stop);
    const bool apostrophes = work.constData() != text.constData();
    // 2. A closing tag of the prolog that some tools write at the end.
    const QString before = work;
    work = replacedOutsideKeptMarkup(work, "</xml>"_L1, u"", stop);
    const bool xmlEnds = work.constData() != before.constData();
    // 3. One reading of the tags tells the spaced tags that are certain and the values, and
    // the text is written again with the blanks after those "<" taken out and the values
    // escaped.
    TagReading reading(work, repairedTags(), true, stop);
    if (itemTags)
        *itemTags = reading.takeItemTags();
    std::vector<bool> fixed(std::size_t(repairedTags().size()), false);
    work = rewritten(work, reading, repairedTags(), -1, &fixed, stop);
    if (work.isNull())
        return work;
    if (apostrophes)
        messages->append(u"Fix double encoding of the apostrophe"_s);
    if (!reading.certain().empty())
        messages->append(u"Removed illegal whitespace at start of XML tags"_s);
    if (xmlEnds)
        messages->append(u"Removed </xml> tag that shouldn't exist"_s);
    for (std::size_t i = 0; i < fixed.size(); ++i) {
        if (fixed[i])
            messages->append(u"Fixed the encoding in the value of the %1 tag"_s.arg(repairedTags()[qsizetype(i)]));
    }
    // 4. The blanks before a ">" that ends a tag, with no message. It comes last, so that only
    // the tags the repairs keep lose them: in a value escaped above ("Use the <br > tag"), in
    // text and in quoted values a ">" is the author's, and so are the blanks before it.
    work = withoutBlanksBeforeTagEnds(work, stop);
    std::shared_ptr<const PlantedRule> rule;
    {
        const QMutexLocker lock(&plantedGuard);
        rule = planted;
    }
    if (rule && !work.isNull())
        work = (*rule)(work);
    return work;
}

void VLXParseFeed::plantRule(PlantedRule rule)
{
    const QMutexLocker lock(&plantedGuard);
    planted = rule ? std::make_shared<const PlantedRule>(std::move(rule)) : nullptr;
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
