#include "io/VLXParseFeed.h"

#include "io/FeedFormat.h"
#include "io/FeedTextScan.h"
#include "xml/StopCheck.h"

#include "model/FeedElement.h"
#include "model/VLXFeed.h"
#include "platform/ShownText.h"
#include "xml/vlxXMLDOM.h"

#include <QRegularExpression>

#include <algorithm>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

const QString kProlog = u"<?xml version=\"1.0\"?>\n"_s;

// The element's name without its prefix is one of the given names (any letter case).
bool localNameIs(const vlxXMLNode *node, std::initializer_list<QStringView> names)
{
    if (vlxXMLDOM::kindOfNode(node) != vlxXMLDOM::Element)
        return false;
    const QString name = vlxXMLDOM::nameOfNode(node);
    const QStringView local = QStringView(name).sliced(name.lastIndexOf(u':') + 1);
    return std::any_of(names.begin(), names.end(), [local](QStringView wanted) {
        return local.compare(wanted, Qt::CaseInsensitive) == 0;
    });
}

qint64 countItemsUnder(const vlxXMLNode *parent)
{
    qint64 count = 0;
    const int children = vlxXMLDOM::numberOfChildren(parent);
    for (int i = 0; i < children; ++i)
        count += localNameIs(vlxXMLDOM::nodeAtIndex(i, parent), {u"item", u"entry"}) ? 1 : 0;
    return count;
}

} // namespace

VLXParseFeed::VLXParseFeed() = default;

QString VLXParseFeed::workingCopy(const QString &text)
{
    qsizetype start = 0;
    while (start < text.size() && text[start].isSpace())
        ++start;
    QString work = start == 0 ? text : text.sliced(start);
    // XML reads a lone "\r" as the end of a line, and so does the user, but libxml2 numbers
    // lines by "\n" alone. Given "\n" in its place (the same document to XML), the lines the
    // parser names, in its errors and for its elements, are the lines the user sees.
    for (qsizetype cr = work.indexOf(u'\r'); cr >= 0; cr = work.indexOf(u'\r', cr + 1)) {
        if (cr + 1 == work.size() || work.at(cr + 1) != u'\n')
            work[cr] = u'\n';
    }
    return work;
}
VLXParseFeed::~VLXParseFeed() = default;

void VLXParseFeed::setProgress(Progress progress)
{
    m_progress = std::move(progress);
    m_readingProgress = nullptr;
    if (m_progress) {
        m_readingProgress
            = [this](int done, int total) { return m_progress(Stage::Reading, done, total); };
    }
}

void VLXParseFeed::setBaseAddress(const QUrl &address)
{
    // A relative address or a file is no base: a feed read from a file keeps what it wrote.
    m_baseAddress = address.isValid() && !address.isRelative() && !address.isLocalFile()
        ? address.adjusted(QUrl::RemoveUserInfo | QUrl::RemoveFragment)
        : QUrl();
}

bool VLXParseFeed::report(Stage stage, qint64 done, qint64 total) const
{
    return !m_progress || m_progress(stage, done, total);
}

void VLXParseFeed::logRepair(FeedElement *owner, const QString &text)
{
    if (owner)
        owner->recordRepair(text);
}

QString VLXParseFeed::workingCopyWithProlog(const QString &text, bool &prologAdded)
{
    QString work = workingCopy(text);
    // The lines the white space taken off held, as a parser counts them ("\r\n" is one).
    const QStringView front = QStringView(text).first(text.size() - work.size());
    m_lineShift = int(front.count(u'\n') + front.count(u'\r') - front.count(u"\r\n"));
    prologAdded = !hasXMLTag(work);
    if (prologAdded) {
        work.prepend(kProlog);
        --m_lineShift;
    }
    return work;
}

void VLXParseFeed::noteErrors(const vlxXMLDOM &dom)
{
    m_xmlErrorDict = dom.errors();
    m_cause = Cause::NotWellFormed;
    const QString lineKey = QLatin1String(vlxXMLDOM::kErrorLineNumberKey);
    const QString descriptionKey = QLatin1String(vlxXMLDOM::kErrorDescriptionKey);
    const auto shifted = [this](int line) { return qMax(1, line + m_lineShift); };
    if (m_xmlErrorDict.contains(lineKey))
        m_xmlErrorDict[lineKey] = shifted(m_xmlErrorDict.value(lineKey).toInt());
    m_refusalLine = m_xmlErrorDict.value(lineKey).toInt();
    if (!m_xmlErrorDict.contains(descriptionKey))
        return;
    QString description = m_xmlErrorDict.value(descriptionKey).toString().trimmed();
    if (m_lineShift != 0) {
        // The parser names the lines of other tags in its message too ("title line 3").
        static const QRegularExpression lineOf(u" line (\\d+)"_s);
        QString told;
        qsizetype copied = 0;
        for (const QRegularExpressionMatch &match : lineOf.globalMatch(description)) {
            told += QStringView(description).sliced(copied, match.capturedStart(1) - copied);
            told += QString::number(shifted(match.captured(1).toInt()));
            copied = match.capturedEnd(1);
        }
        if (copied > 0)
            description = told + description.sliced(copied);
    }
    // The parser's words reach the user whole; what they quote of the file (a tag's name, an
    // entity's) is cut short and shown plain.
    m_xmlErrorDict[descriptionKey] = ShownText::sentence(description);
}

void VLXParseFeed::refuseLostItem(int line)
{
    m_refusalLine = qMax(1, line + m_lineShift);
    m_xmlErrorDict = {{QLatin1String(vlxXMLDOM::kErrorDescriptionKey), ItemCheck::description()},
                      {QLatin1String(vlxXMLDOM::kErrorLineNumberKey), m_refusalLine}};
    m_cause = Cause::NotWellFormed;
}

int VLXParseFeed::refuse(const QString &reason)
{
    m_refusal = reason;
    m_cause = Cause::NotAFeed;
    m_refusalLine = m_rootLine;
    return ReadFailed;
}

int VLXParseFeed::lineOfRoot(const QString &text) const
{
    // As the parser counts lines ("\r\n" is one), in the text handed in.
    const auto *units = reinterpret_cast<const char16_t *>(text.utf16());
    const QStringView before
        = QStringView(text).first(qMin(text.size(), FeedTextScan::rootStart(units, text.size())));
    const qsizetype breaks = before.count(u'\n') + before.count(u'\r') - before.count(u"\r\n");
    return int(qMax<qsizetype>(1, 1 + breaks + m_lineShift));
}

QString VLXParseFeed::noFeedRoot(const vlxXMLDOM &dom, const QString &expected)
{
    // A document that is no feed says why in its own words; a feed of another format read by
    // the wrong reader is told by the root it has.
    const FeedFormat format = FeedFormat::of(dom);
    if (!format.refusal.isEmpty())
        return format.refusal;
    return u"The document's root element is %1, where this reader reads <%2>."_s.arg(
        FeedFormat::shownName(vlxXMLDOM::nameOfNode(format.root)), expected);
}

QString VLXParseFeed::noChannel(const QString &rootName)
{
    return u"The feed's root element %1 holds no <channel> element."_s.arg(
        FeedFormat::shownName(rootName));
}

qint64 VLXParseFeed::countItems(const vlxXMLDOM &dom)
{
    const vlxXMLNode *document = dom.xmlTree();
    const int count = vlxXMLDOM::numberOfChildren(document);
    for (int i = 0; i < count; ++i) {
        const vlxXMLNode *root = vlxXMLDOM::nodeAtIndex(i, document);
        if (vlxXMLDOM::kindOfNode(root) != vlxXMLDOM::Element)
            continue;
        qint64 items = countItemsUnder(root);
        const int children = vlxXMLDOM::numberOfChildren(root);
        for (int c = 0; c < children; ++c) {
            const vlxXMLNode *child = vlxXMLDOM::nodeAtIndex(c, root);
            if (localNameIs(child, {u"channel"}))
                items += countItemsUnder(child);
        }
        return items;
    }
    return 0;
}

bool VLXParseFeed::repair(QString &work)
{
    m_repairs.clear();
    m_unrepaired = QString();
    m_itemTags = {};
    // The check repaired this very text and parsed what the repairs made of it: the read takes
    // that text and its tree, and the repairs are not made a second time.
    const QString source = std::exchange(m_checkedSource, QString());
    QStringList checkedRepairs = std::exchange(m_checkedRepairs, {});
    if (m_checkedDocument
        && (std::exchange(m_checkedOwnRepair, false)
            || (!source.isNull()
                && (work.isSharedWith(source)
                    || (work.size() == source.size() && work == source))))) {
        m_repairs = std::move(checkedRepairs);
        work = m_checkedText;
        return true;
    }
    const qint64 total = work.size();
    StopCheck stop([this, total] { return report(Stage::Checking, 0, total); });
    QString repaired = repairText(work, &m_repairs, &stop, &m_itemTags);
    if (stop.stopped()) {
        m_repairs.clear();
        return false;
    }
    if (repaired.constData() != work.constData())
        m_unrepaired = std::exchange(work, std::move(repaired));
    return true;
}

std::unique_ptr<vlxXMLDOM> VLXParseFeed::treeToRead(const QString &text, const QString **read)
{
    *read = &text;
    std::unique_ptr<vlxXMLDOM> dom = documentFor(text);
    // A repaired text that lost an item the text starts is refused as one that does not parse.
    const int lost = dom->xmlTree() && !m_unrepaired.isNull()
        ? ItemCheck::firstLost(std::exchange(m_itemTags, {}), dom->linesOfItems())
        : 0;
    if ((!dom->xmlTree() || lost > 0) && !dom->wasStopped() && !m_unrepaired.isNull()) {
        std::unique_ptr<vlxXMLDOM> asItStood = documentFor(m_unrepaired);
        if (asItStood->xmlTree() || asItStood->wasStopped()) {
            dom = std::move(asItStood);
            *read = &m_unrepaired;
            m_repairs.clear();
        } else {
            dom = std::move(asItStood);
            // The text as it stood tells why, in its own lines, but for the item it would lose.
            if (lost > 0)
                refuseLostItem(lost);
            else
                noteErrors(*dom);
        }
    } else if (!dom->xmlTree() && !dom->wasStopped()) {
        noteErrors(*dom);
    }
    if (dom->xmlTree()) {
        for (const QString &message : std::as_const(m_repairs))
            logRepair(m_newFeed.get(), message);
    }
    m_repairs.clear();
    return dom;
}

VLXParseFeed::DocumentReader VLXParseFeed::readerOf(const FeedFormat &format)
{
    switch (format.reader) {
    case FeedFormat::Reader::RSS20:
        return &VLXParseFeed::parseRSS20Document;
    case FeedFormat::Reader::RSS09:
    case FeedFormat::Reader::RSS10:
        return &VLXParseFeed::parseRDFDocument;
    case FeedFormat::Reader::Atom10:
        return &VLXParseFeed::parseAtom10Document;
    case FeedFormat::Reader::Atom03:
        return &VLXParseFeed::parseAtom03Document;
    case FeedFormat::Reader::None:
        break;
    }
    return nullptr;
}

int VLXParseFeed::readDocument(const QString &text, DocumentReader read)
{
    return readDocument(text, [read](const FeedFormat &) { return read; });
}

int VLXParseFeed::readDocument(const QString &text,
                               const std::function<DocumentReader(const FeedFormat &)> &choose)
{
    const QString *source = nullptr;
    std::unique_ptr<vlxXMLDOM> dom = treeToRead(text, &source);
    if (!dom->xmlTree())
        return dom->wasStopped() ? Stopped : ReadFailed;
    // The line a refusal names, taken while there is a text: a reader lets go of it as soon as
    // it has the root's declarations.
    m_rootLine = lineOfRoot(*source);
    const FeedFormat format = FeedFormat::of(*dom);
    const DocumentReader read = choose(format);
    if (!read) {
        refuse(format.refusal.isEmpty()
                   ? u"The feed is in %1 %2 format, which is not read here."_s.arg(format.type,
                                                                                   format.version)
                   : format.refusal);
        return NotAFeed;
    }
    const qint64 items = countItems(*dom);
    if (items > kMaximumItems) {
        m_itemCount = items;
        return TooManyItems;
    }
    m_readFormat = format.pair();
    const int result = (this->*read)(*dom, *source, format.root);
    if (result == Success) {
        for (const QString &message : format.messages())
            logRepair(m_newFeed.get(), message);
    }
    return result;
}

std::unique_ptr<vlxXMLDOM> VLXParseFeed::documentFor(const QString &text)
{
    // The text the last check parsed, unchanged by the repairs: its tree is reused.
    const bool same = text.size() == m_checkedText.size()
        && (text.constData() == m_checkedText.constData() || text == m_checkedText);
    if (m_checkedDocument && same) {
        m_checkedText.clear();
        return std::move(m_checkedDocument);
    }
    m_checkedDocument.reset();
    m_checkedText.clear();
    auto dom = std::make_unique<vlxXMLDOM>();
    dom->initWithString(
        text, [this](qint64 done, qint64 total) { return report(Stage::Checking, done, total); });
    return dom;
}

int VLXParseFeed::isItAFeed(const QString &text)
{
    return checkText(text, false);
}

int VLXParseFeed::checkText(QString text, bool letGo)
{
    m_xmlErrorDict.clear();
    m_refusal.clear();
    m_cause = Cause::None;
    m_refusalLine = 0;
    m_checkedDocument.reset();
    m_checkedText.clear();
    m_checkedSource.clear();
    m_checkedRepairs.clear();
    m_checkedOwnRepair = false;
    if (text.isNull())
        return NotAFeedNoProlog;
    bool prologAdded = false;
    QString work = workingCopyWithProlog(text, prologAdded);
    m_checkedPrologAdded = prologAdded;
    text = QString();
    auto dom = std::make_unique<vlxXMLDOM>();
    const auto progress
        = [this](qint64 done, qint64 total) { return report(Stage::Checking, done, total); };
    int result = Success;
    if (!dom->initWithString(work, progress) || !dom->xmlTree()) {
        if (dom->wasStopped())
            return Stopped;
        // The repairs may mend the fault; when they mend some but not all, the first fault they
        // leave is the one to tell, in the repaired text's words (its lines are the text's).
        const bool feedRoot = namesFeedRoot(work);
        const int repaired = checkRepaired(work, dom, letGo);
        if (repaired != NotAFeed)
            return repaired;
        if (m_cause == Cause::None) {
            noteErrors(*dom);
            // A text whose root names no feed is told as no feed, with what the parser found.
            if (!feedRoot) {
                m_refusal
                    = u"It is not well-formed XML. The following error was detected on "
                      u"line %1: %2"_s.arg(m_refusalLine)
                          .arg(m_xmlErrorDict.value(QLatin1String(vlxXMLDOM::kErrorDescriptionKey))
                                   .toString());
                m_xmlErrorDict.clear();
            }
        }
        result = NotAFeed;
    } else if (const FeedFormat format = FeedFormat::of(*dom); !format.isFeed()) {
        m_rootLine = lineOfRoot(work);
        refuse(format.refusal);
        result = NotAFeed;
    } else {
        m_checkedText = work;
        m_checkedDocument = std::move(dom);
    }
    if (result == NotAFeed && prologAdded)
        result = NotAFeedNoProlog;
    return result;
}

int VLXParseFeed::checkRepaired(QString &work, std::unique_ptr<vlxXMLDOM> &failed, bool letGo)
{
    const qint64 total = work.size();
    StopCheck stop([this, total] { return report(Stage::Checking, 0, total); });
    QStringList messages;
    ItemTagLines itemTags;
    QString repaired = repairText(work, &messages, &stop, &itemTags);
    if (stop.stopped())
        return Stopped;
    if (repaired.isSharedWith(work))
        return NotAFeed;
    // The text as it stood is needed no more: what a refusal tells of it is known already.
    if (letGo)
        work = QString();
    // The repaired text is parsed as UTF-8 bytes, and only the start of it is kept: all the read
    // takes of the text is its root's declarations (as for bytes read as they are).
    const int rootLine = lineOfRoot(repaired);
    QString head = rootHead(repaired);
    const QByteArray bytes = vlxXMLDOM::utf8ForParsing(std::exchange(repaired, QString()));
    auto dom = std::make_unique<vlxXMLDOM>();
    dom->initWithData(
        bytes, [this](qint64 done, qint64 total) { return report(Stage::Checking, done, total); });
    if (dom->wasStopped())
        return Stopped;
    if (!dom->xmlTree()) {
        // The repaired text's fault stands in the place of the text's own; a repaired text too
        // large for the parser has none of its own, and the text's is told.
        if (!dom->wasBeyondLimits())
            failed = std::move(dom);
        return NotAFeed;
    }
    if (const int lost = ItemCheck::firstLost(itemTags, dom->linesOfItems())) {
        refuseLostItem(lost);
        return NotAFeed;
    }
    if (const FeedFormat format = FeedFormat::of(*dom); !format.isFeed()) {
        m_rootLine = rootLine;
        refuse(format.refusal);
        return NotAFeed;
    }
    // The read takes this text, its tree and its repairs' messages (see repair).
    m_checkedText = std::move(head);
    m_checkedDocument = std::move(dom);
    m_checkedSource = work;
    m_checkedOwnRepair = letGo;
    m_checkedRepairs = std::move(messages);
    return Success;
}

QString VLXParseFeed::repairRSS20(const QString &text, FeedElement *owner)
{
    QStringList messages;
    QString repaired = repairText(text, &messages);
    for (const QString &message : std::as_const(messages))
        logRepair(owner, message);
    return repaired;
}

QString VLXParseFeed::repairRSS10(const QString &text, FeedElement *owner)
{
    return repairRSS20(text, owner);
}

QString VLXParseFeed::repairRSS09(const QString &text, FeedElement *owner)
{
    return repairRSS20(text, owner);
}

QString VLXParseFeed::repairAtom03(const QString &text, FeedElement *owner)
{
    return repairRSS20(text, owner);
}

QString VLXParseFeed::repairAtom10(const QString &text, FeedElement *owner)
{
    return repairRSS20(text, owner);
}

QString VLXParseFeed::fixEntityEncoding(const QString &text, const QString &tagName,
                                        FeedElement *owner)
{
    bool changed = false;
    QString fixed = fixEntityEncodingText(text, tagName, &changed);
    if (fixed.isNull())
        return text;
    if (changed)
        logRepair(owner, u"Fixed the encoding in the value of the %1 tag"_s.arg(tagName));
    return fixed;
}
