// The full read and the channel-only read: prolog, notice, repair and dispatch to the reader of
// the detected format.

#include "io/VLXParseFeed.h"

#include "io/FeedFormat.h"
#include "io/FeedTextScan.h"
#include "io/RepairCheck.h"

#include "model/VLXFeed.h"
#include "platform/AlertService.h"
#include "platform/StatusSink.h"
#include "xml/vlxXMLDOM.h"

using namespace Qt::StringLiterals;

namespace {

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
    return readWork(prologAdded, baseStatus, statusField);
}

int VLXParseFeed::checkAndParse(QString text, const QString &baseStatus, StatusSink *statusField,
                                bool *checkRefused)
{
    const int status = checkText(std::move(text), true);
    *checkRefused = status != Success;
    if (status != Success)
        return status;
    m_newFeed = std::make_shared<VLXFeed>();
    m_itemCount = 0;
    showStatus(statusField, u"Loading... %1"_s.arg(baseStatus));
    // The check's working copy (or, when it was repaired, the start of the repaired text) with
    // the lines the check counted.
    m_work = m_checkedText;
    return readWork(m_checkedPrologAdded, baseStatus, statusField);
}

int VLXParseFeed::readWork(bool prologAdded, const QString &baseStatus, StatusSink *statusField)
{
    QString &work = m_work;
    if (prologAdded) {
        logRepair(m_newFeed.get(),
                  u"Added the missing required XML header, <?xml version=\"1.0\"?>"_s);
    }

    showStatus(statusField, u"Verifying/Repairing...   %1"_s.arg(baseStatus));
    // Every format takes the same repairs (repairRSS20 and its twins); their messages are logged
    // once the repaired text is the one read.
    if (!repair(work)) {
        m_newFeed.reset();
        m_checkedDocument.reset();
        m_checkedText.clear();
        releaseText();
        return Stopped;
    }
    showStatus(statusField, u"Parsing...   %1"_s.arg(baseStatus));
    m_readFormat.clear();
    int result = readDocument(work, &readerOf);
    // The notice promises an upgrade, so it is given only for a feed that was read.
    if (result == Success && m_readFormat != QStringList {u"RSS"_s, u"2.0"_s}) {
        Alert notice;
        notice.style = Alert::Style::Informational;
        notice.title = u"Converting Feed"_s;
        notice.message = u"The feed is currently in %1 %2 format.  It will automatically be "
                         u"upgraded to RSS version 2.0 format when it is saved or uploaded."_s.arg(
                             m_readFormat.value(0), m_readFormat.value(1));
        notice.defaultButton = u"OK"_s;
        AlertService::show(notice);
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
    if (!repair(work))
        return Stopped;
    int result = readDocument(work, [](const FeedFormat &format) -> DocumentReader {
        return format.reader == FeedFormat::Reader::RSS20
            ? &VLXParseFeed::parseRSS20ChannelOnlyDocument
            : nullptr;
    });
    releaseText();
    if (result == NotAFeed && prologAdded)
        result = NotAFeedNoProlog;
    return result;
}

bool VLXParseFeed::readsAsBytes(const QByteArray &bytes, const QString &text, StopCheck *stop)
{
    // The text is the bytes' own UTF-8, and the prolog says so (or names no encoding): the
    // parser then reads the bytes as it would read the text's UTF-8.
    if (!bytes.startsWith("<?xml") || !text.startsWith(u"<?xml")
        || getXMLEncodingString(text.left(text.indexOf(u"?>") + 2))
                .compare(u"utf-8", Qt::CaseInsensitive)
            != 0
        || !QByteArrayView(bytes).isValidUtf8())
        return false;
    if (rootHead(text).isNull())
        return false;
    // Whether any repair applies is all that is asked: the read repairs the text once, later.
    return !RepairCheck::textNeedsRepair(reinterpret_cast<const char16_t *>(text.utf16()),
                                         text.size(), repairedTags(), stop)
        && !(stop && stop->stopped());
}

std::optional<QString> VLXParseFeed::headOfBytesReadAsTheyAre(const QByteArray &bytes,
                                                              StopCheck *stop, bool *needsRepair)
{
    if (needsRepair)
        *needsRepair = false;
    const QByteArrayView view(bytes);
    // Characters beyond ASCII that the repairs' case-insensitive search takes for ASCII letters
    // (U+0130, U+017F, U+212A): such bytes are judged on their text.
    if (!view.startsWith("<?xml") || !FeedTextScan::isUtf8WithoutFolding(view.data(), view.size()))
        return std::nullopt;
    // The prolog as readsAsBytes reads it from the text.
    const qsizetype prologEnd = view.indexOf("?>");
    const QString prolog = QString::fromUtf8(view.first(prologEnd < 0 ? 1 : prologEnd + 2));
    if (getXMLEncodingString(prolog).compare(u"utf-8", Qt::CaseInsensitive) != 0)
        return std::nullopt;
    const qsizetype root = FeedTextScan::rootStart(view.data(), view.size());
    const qsizetype end = FeedTextScan::startTagEnd(view.data(), view.size(), root);
    if (end < 0)
        return std::nullopt;
    if (RepairCheck::textNeedsRepair(view.data(), view.size(), repairedTags(), stop)) {
        if (needsRepair)
            *needsRepair = true;
        return std::nullopt;
    }
    return QString::fromUtf8(view.first(end));
}

int VLXParseFeed::parseFeedData(const QByteArray &bytes, QString text)
{
    m_xmlErrorDict.clear();
    m_itemCount = 0;
    // As the read's working copy will be, so that it finds the tree of the bytes its own.
    const QString head = workingCopy(rootHead(text));
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
