// The full read and the channel-only read: prolog, notice, repair and dispatch to the reader of
// the detected format.

#include "io/VLXParseFeed.h"

#include "io/FeedTextScan.h"
#include "io/RepairCheck.h"

#include "model/VLXFeed.h"
#include "platform/AlertService.h"
#include "platform/StatusSink.h"
#include "xml/vlxXMLDOM.h"

using namespace Qt::StringLiterals;

namespace {

enum class Reader { None, RSS09, RSS20, RSS10, Atom10, Atom03 };

Reader readerFor(const QStringList &pair)
{
    switch (VLXParseFeed::knownVersions().indexOf(pair.value(1))) {
    case 0:
        return Reader::RSS09;
    case 1:
    case 2:
    case 3:
    case 4:
    case 6:
        return Reader::RSS20;
    case 5:
        return pair.value(0) == u"RSS" ? Reader::RSS10 : Reader::Atom10;
    case 7:
        return Reader::Atom03;
    default:
        return Reader::None;
    }
}

void showStatus(StatusSink *sink, const QString &text)
{
    if (sink)
        sink->setStatus(text);
}

} // namespace

int VLXParseFeed::parseFeed(QString text, const QString &baseStatus, StatusSink *statusField)
{
    m_newFeed = std::make_shared<VLXFeed>();
    m_xmlErrorDict.clear();
    m_refusal.clear();
    m_cause = Cause::None;
    m_refusalLine = 0;
    m_itemCount = 0;
    if (text.isNull()) {
        m_checkedDocument.reset();
        return NotAFeedNoProlog;
    }
    showStatus(statusField, u"Loading... %1"_s.arg(baseStatus));
    bool prologAdded = false;
    m_work = workingCopyWithProlog(text, prologAdded);
    // From here on the working copy is the only text this reader holds: a caller that handed
    // its text over gets it freed as soon as the reader no longer needs it (see m_work).
    text = QString();
    QString &work = m_work;
    if (prologAdded) {
        logRepair(m_newFeed.get(),
                  u"Added the missing required XML header, <?xml version=\"1.0\"?>"_s);
    }

    const QStringList pair = getFeedTypeAndVersion(work);
    const Reader reader = readerFor(pair);
    // The notice promises an upgrade, so it is only given for a format that will be read.
    if (reader != Reader::None && !(pair.value(0) == u"RSS" && pair.value(1) == u"2.0")) {
        Alert notice;
        notice.style = Alert::Style::Informational;
        notice.title = u"Converting Feed"_s;
        notice.message = u"The feed is currently in %1 %2 format.  It will automatically be "
                         u"upgraded to RSS version 2.0 format when it is saved or uploaded."_s.arg(
                             pair.value(0), pair.value(1));
        notice.defaultButton = u"OK"_s;
        AlertService::show(notice);
    }

    int result = NotAFeed;
    if (reader != Reader::None) {
        showStatus(statusField, u"Verifying/Repairing...   %1"_s.arg(baseStatus));
        // Every format takes the same repairs (repairRSS20 and its twins); their messages are
        // logged once the repaired text is the one read.
        repair(work);
        showStatus(statusField, u"Parsing...   %1"_s.arg(baseStatus));
        switch (reader) {
        case Reader::RSS09:
            result = parseRSS09(work);
            break;
        case Reader::RSS20:
            result = parseRSS20(work);
            break;
        case Reader::RSS10:
            result = parseRSS10(work);
            break;
        case Reader::Atom10:
            result = parseAtom10(work);
            break;
        case Reader::Atom03:
            result = parseAtom03(work);
            break;
        case Reader::None:
            break;
        }
    }
    m_checkedDocument.reset();
    m_checkedText.clear();
    releaseText();
    if (result == NotAFeed && prologAdded)
        result = NotAFeedNoProlog;
    if (result == Success && !m_newFeed->finalProcessing([this](int done, int total) {
            return report(Stage::Finishing, done, total);
        }))
        result = Stopped;
    // A stopped or refused read hands out nothing half-built.
    if (result == Stopped || result == TooManyItems)
        m_newFeed.reset();
    return result;
}

int VLXParseFeed::parseFeedChannelOnly(const QString &text)
{
    m_newFeed = std::make_shared<VLXFeed>();
    m_xmlErrorDict.clear();
    m_refusal.clear();
    m_cause = Cause::None;
    m_refusalLine = 0;
    if (text.isNull())
        return NotAFeedNoProlog;
    bool prologAdded = false;
    QString work = workingCopyWithProlog(text, prologAdded);
    if (readerFor(getFeedTypeAndVersion(work)) != Reader::RSS20)
        return prologAdded ? NotAFeedNoProlog : NotAFeed;
    repair(work);
    const int result = parseRSS20ChannelOnly(work);
    releaseText();
    return result;
}

namespace {
// The start of a text up to the end of the first start tag of its root's name: all a reader
// takes from the text itself (the declarations of the root). Null when the tag does not end.
QLatin1StringView rootMarker(const QStringList &pair)
{
    return pair.value(0) == u"Atom"                          ? QLatin1StringView("<feed")
        : pair.value(1) == u"1.0" || pair.value(1) == u"0.9" ? QLatin1StringView("<rdf:RDF")
                                                             : QLatin1StringView("<rss");
}

QString rootHead(const QString &text, const QStringList &pair)
{
    const QLatin1StringView marker = rootMarker(pair);
    const qsizetype root
        = FeedTextScan::rootStart(reinterpret_cast<const char16_t *>(text.utf16()), text.size());
    const qsizetype start = text.indexOf(marker, root, Qt::CaseInsensitive);
    const qsizetype end = start < 0 ? -1 : text.indexOf(u'>', start);
    return end < 0 ? QString() : text.left(end + 1);
}
} // namespace

bool VLXParseFeed::readsAsBytes(const QByteArray &bytes, const QString &text)
{
    // The text is the bytes' own UTF-8, and the prolog says so (or names no encoding): the
    // parser then reads the bytes as it would read the text's UTF-8.
    if (!bytes.startsWith("<?xml") || !text.startsWith(u"<?xml")
        || getXMLEncodingString(text.left(text.indexOf(u"?>") + 2))
                .compare(u"utf-8", Qt::CaseInsensitive)
            != 0
        || !QByteArrayView(bytes).isValidUtf8())
        return false;
    const QStringList pair = getFeedTypeAndVersion(text);
    if (readerFor(pair) == Reader::None)
        return false;
    const QString head = rootHead(text, pair);
    if (head.isNull() || getFeedTypeAndVersion(head) != pair)
        return false;
    QStringList messages;
    return repairText(text, &messages).isSharedWith(text);
}

std::optional<QString> VLXParseFeed::headOfBytesReadAsTheyAre(const QByteArray &bytes)
{
    const QByteArrayView view(bytes);
    // Characters beyond ASCII that the text's detection and search take for ASCII letters
    // (U+0130, U+017F, U+212A): such bytes are judged on their text.
    if (!view.startsWith("<?xml") || !FeedTextScan::isUtf8WithoutFolding(view.data(), view.size()))
        return std::nullopt;
    // The prolog as readsAsBytes reads it from the text.
    const qsizetype prologEnd = view.indexOf("?>");
    const QString prolog = QString::fromUtf8(view.first(prologEnd < 0 ? 1 : prologEnd + 2));
    if (getXMLEncodingString(prolog).compare(u"utf-8", Qt::CaseInsensitive) != 0)
        return std::nullopt;
    const QStringList pair = FeedTextScan::typeAndVersion(view.data(), view.size());
    if (readerFor(pair) == Reader::None)
        return std::nullopt;
    // rootHead on the bytes: the marker in any ASCII case, then the end of its tag.
    const QString marker = rootMarker(pair);
    qsizetype start = -1;
    for (qsizetype at = FeedTextScan::rootStart(view.data(), view.size());
         (at = FeedTextScan::indexOf(view.data(), view.size(), u'<', at)) >= 0; ++at) {
        if (FeedTextScan::matchesAsciiCI(view.data(), view.size(), at, marker)) {
            start = at;
            break;
        }
    }
    const qsizetype end
        = start < 0 ? -1 : FeedTextScan::indexOf(view.data(), view.size(), u'>', start);
    if (end < 0)
        return std::nullopt;
    QString head = QString::fromUtf8(view.first(end + 1));
    if (getFeedTypeAndVersion(head) != pair
        || RepairCheck::textNeedsRepair(view.data(), view.size(), repairedTags()))
        return std::nullopt;
    return head;
}

int VLXParseFeed::parseFeedData(const QByteArray &bytes, QString text)
{
    m_xmlErrorDict.clear();
    m_itemCount = 0;
    const QString head = rootHead(text, getFeedTypeAndVersion(text));
    text = QString();
    auto dom = std::make_unique<vlxXMLDOM>();
    if (!dom->initWithData(
            bytes,
            [this](qint64 done, qint64 total) { return report(Stage::Checking, done, total); })
        || !dom->xmlTree()) {
        m_checkedDocument.reset();
        m_checkedText.clear();
        return dom->wasStopped() ? Stopped : NotParsedAsBytes;
    }
    // The read goes on as for the text, with the tree of the bytes as the tree of the check,
    // and the head of the text as all the text there is.
    m_checkedText = head;
    m_checkedDocument = std::move(dom);
    return parseFeed(head, QString(), nullptr);
}
