#include "io/VLXParseFeed.h"

#include "model/FeedElement.h"
#include "xml/vlxXMLDOM.h"

#include <algorithm>

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
    prologAdded = !hasXMLTag(work);
    if (prologAdded)
        work.prepend(kProlog);
    return work;
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

int VLXParseFeed::readDocument(const QString &text,
                               int (VLXParseFeed::*read)(vlxXMLDOM &dom, const QString &text))
{
    std::unique_ptr<vlxXMLDOM> dom = documentFor(text);
    if (!dom->xmlTree())
        return dom->wasStopped() ? Stopped : ReadFailed;
    const qint64 items = countItems(*dom);
    if (items > kMaximumItems) {
        m_itemCount = items;
        return TooManyItems;
    }
    return (this->*read)(*dom, text);
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
    m_checkedDocument.reset();
    m_checkedText.clear();
    if (text.isNull())
        return NotAFeedNoProlog;
    bool prologAdded = false;
    QString work = workingCopyWithProlog(text, prologAdded);
    int result = Success;
    if (!knownVersions().contains(getFeedTypeAndVersion(work).value(1))) {
        result = NotAFeed;
    } else {
        auto dom = std::make_unique<vlxXMLDOM>();
        const auto progress
            = [this](qint64 done, qint64 total) { return report(Stage::Checking, done, total); };
        if (!dom->initWithString(work, progress) || !dom->xmlTree()) {
            if (dom->wasStopped())
                return Stopped;
            m_xmlErrorDict = dom->errors();
            result = NotAFeed;
        } else {
            m_checkedText = work;
            m_checkedDocument = std::move(dom);
        }
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
