#include "io/VLXParseFeed.h"

#include "model/FeedElement.h"
#include "model/VLXFeed.h"
#include "xml/vlxXMLDOM.h"

#include <QRegularExpression>

#include <algorithm>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

const vlxXMLNode *rootElement(const vlxXMLDOM &dom)
{
    const vlxXMLNode *document = dom.xmlTree();
    const int count = vlxXMLDOM::numberOfChildren(document);
    for (int i = 0; i < count; ++i) {
        const vlxXMLNode *child = vlxXMLDOM::nodeAtIndex(i, document);
        if (vlxXMLDOM::kindOfNode(child) == vlxXMLDOM::Element)
            return child;
    }
    return nullptr;
}

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
    return start == 0 ? text : text.sliced(start);
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
    m_refusalLine = m_xmlErrorDict.value(lineKey).toInt();
    if (m_lineShift == 0)
        return;
    const auto shifted = [this](int line) { return qMax(1, line + m_lineShift); };
    const QString line = QLatin1String(vlxXMLDOM::kErrorLineNumberKey);
    if (m_xmlErrorDict.contains(line)) {
        m_xmlErrorDict[line] = shifted(m_xmlErrorDict.value(line).toInt());
        m_refusalLine = m_xmlErrorDict[line].toInt();
    }
    // The parser names the lines of other tags in its message too ("title line 3").
    static const QRegularExpression lineOf(u" line (\\d+)"_s);
    const QString key = QLatin1String(vlxXMLDOM::kErrorDescriptionKey);
    QString description = m_xmlErrorDict.value(key).toString();
    QString told;
    qsizetype copied = 0;
    for (const QRegularExpressionMatch &match : lineOf.globalMatch(description)) {
        told += QStringView(description).sliced(copied, match.capturedStart(1) - copied);
        told += QString::number(shifted(match.captured(1).toInt()));
        copied = match.capturedEnd(1);
    }
    if (copied > 0)
        m_xmlErrorDict[key] = told + description.sliced(copied);
}

int VLXParseFeed::refuse(const QString &reason)
{
    m_refusal = reason;
    m_cause = Cause::NotAFeed;
    m_refusalLine = 0;
    return ReadFailed;
}

QString VLXParseFeed::noFeedRoot(const vlxXMLDOM &dom)
{
    return u"The document's root element is <%1>, where a feed's root element is <rss>, "
           u"<rdf:RDF> or <feed>."_s.arg(vlxXMLDOM::nameOfNode(rootElement(dom)));
}

QString VLXParseFeed::noChannel(const QString &rootName)
{
    return u"The feed's root element <%1> holds no <channel> element."_s.arg(rootName);
}

QString VLXParseFeed::unknownFormat(const vlxXMLDOM &dom, const QStringList &pair)
{
    const vlxXMLNode *root = rootElement(dom);
    if (vlxXMLDOM::nameOfNode(root) != u"rss")
        return noFeedRoot(dom);
    const QString version = pair.value(1) == u"-1" ? QString() : pair.value(1);
    return (version.isEmpty()
                ? u"The feed's root element <rss> names no version."_s
                : u"The feed's root element <rss> names the version \"%1\"."_s.arg(version))
        + u" Vellumcast reads RSS 0.91 to 0.94 and 2.0, RSS 0.9 and 1.0 (<rdf:RDF>) and "
          u"Atom 0.3 and 1.0 (<feed>)."_s;
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

void VLXParseFeed::repair(QString &work)
{
    m_repairs.clear();
    m_unrepaired = QString();
    QString repaired = repairText(work, &m_repairs);
    if (repaired.constData() != work.constData())
        m_unrepaired = std::exchange(work, std::move(repaired));
}

std::unique_ptr<vlxXMLDOM> VLXParseFeed::treeToRead(const QString &text, const QString **read)
{
    *read = &text;
    std::unique_ptr<vlxXMLDOM> dom = documentFor(text);
    if (!dom->xmlTree() && !dom->wasStopped() && !m_unrepaired.isNull()) {
        std::unique_ptr<vlxXMLDOM> asItStood = documentFor(m_unrepaired);
        if (asItStood->xmlTree() || asItStood->wasStopped()) {
            dom = std::move(asItStood);
            *read = &m_unrepaired;
            m_repairs.clear();
        } else {
            // The text as it stood tells why, in its own lines.
            noteErrors(*asItStood);
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

int VLXParseFeed::readDocument(const QString &text,
                               int (VLXParseFeed::*read)(vlxXMLDOM &dom, const QString &text))
{
    const QString *source = nullptr;
    std::unique_ptr<vlxXMLDOM> dom = treeToRead(text, &source);
    if (!dom->xmlTree())
        return dom->wasStopped() ? Stopped : ReadFailed;
    const qint64 items = countItems(*dom);
    if (items > kMaximumItems) {
        m_itemCount = items;
        return TooManyItems;
    }
    return (this->*read)(*dom, *source);
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
    m_xmlErrorDict.clear();
    m_refusal.clear();
    m_cause = Cause::None;
    m_refusalLine = 0;
    m_checkedDocument.reset();
    m_checkedText.clear();
    if (text.isNull())
        return NotAFeedNoProlog;
    bool prologAdded = false;
    QString work = workingCopyWithProlog(text, prologAdded);
    const QStringList pair = getFeedTypeAndVersion(work);
    // A text of no format the reader knows is parsed all the same, to tell why it is none.
    auto dom = std::make_unique<vlxXMLDOM>();
    const auto progress
        = [this](qint64 done, qint64 total) { return report(Stage::Checking, done, total); };
    const bool known = knownVersions().contains(pair.value(1));
    int result = Success;
    if (!dom->initWithString(work, progress) || !dom->xmlTree()) {
        if (dom->wasStopped())
            return Stopped;
        noteErrors(*dom);
        result = NotAFeed;
        // A text of no known format is told as no feed, with what the parser found.
        if (!known) {
            m_refusal
                = u"It is not well-formed XML. The following error was detected on line "
                  u"%1: %2"_s
                      .arg(m_xmlErrorDict.value(QLatin1String(vlxXMLDOM::kErrorLineNumberKey))
                               .toInt())
                      .arg(m_xmlErrorDict.value(QLatin1String(vlxXMLDOM::kErrorDescriptionKey))
                               .toString());
            m_xmlErrorDict.clear();
        }
    } else if (!known) {
        refuse(unknownFormat(*dom, pair));
        result = NotAFeed;
    } else {
        m_checkedText = work;
        m_checkedDocument = std::move(dom);
    }
    if (result == NotAFeed && prologAdded)
        result = NotAFeedNoProlog;
    return result;
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
    if (changed)
        logRepair(owner, u"Fixed the encoding in the value of the %1 tag"_s.arg(tagName));
    return fixed;
}
