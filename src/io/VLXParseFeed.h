#pragma once

#include "io/ItemCheck.h"

#include <QString>
#include <QStringList>
#include <QUrl>
#include <QVariantMap>

#include <functional>
#include <memory>
#include <optional>

class FeedElement;
class FeedFormat;
class StatusSink;
class StopCheck;
class VLXFeed;
class vlxXMLDOM;
class vlxXMLNode;

// The reading frame for every feed that enters the program: bytes become text, the text is
// recognised as one of the feed formats, common faults are repaired in the text, and the reader
// for the format fills a fresh VLXFeed. One instance serves one read.
class VLXParseFeed
{
public:
    // Status codes handed back to callers.
    enum Status {
        Success = 0,
        NotAFeedNoProlog = 2, // nil text, or a failure as for 3 when the prolog had to be added
        NotAFeed = 3, // unknown format or version, or not well-formed XML
        ReadFailed = 4, // the reader found no tree, no root or no channel
        Stopped = 5, // the progress callback asked to stop; no feed is handed out
        TooManyItems = 6, // more items than kMaximumItems: none was read (see itemCount)
    };

    // The most items a feed may have to be read. Each item read costs far more than its text
    // (its fields, its extensions, its messages): a file of a few megabytes of empty items
    // would otherwise take gigabytes. Feeds are refused before any item is made.
    static constexpr int kMaximumItems = 250000;
    // The items of the feed the last read refused with TooManyItems; 0 otherwise.
    qint64 itemCount() const { return m_itemCount; }
    // Counts the items a reader would make of a parsed feed: "item" and "entry" elements (of
    // any prefix) directly under the root or under one of its "channel" elements.
    static qint64 countItems(const vlxXMLDOM &dom);

    // The stages of bringing a feed in, as a long load reports them.
    enum class Stage {
        Decoding, // bytes to text (done and total in bytes)
        Checking, // the parse of the text (in UTF-16 units of the text, or in bytes)
        Reading, // the tree to the model (in children of the channel or feed element)
        Finishing, // the repairs after reading (in items)
        Validating, // the whole-feed validation (in items)
    };
    // Told often while a stage runs how much of it is done and of how much; answers false to
    // stop the work, which then ends as soon as it can with Stopped. Called on the thread doing
    // the work, at least once per 32 KB of text or per element read: keep it cheap.
    using Progress = std::function<bool(Stage stage, qint64 done, qint64 total)>;
    // Installs the progress callback for the next isItAFeed and parseFeed.
    void setProgress(Progress progress);
    // The address the next text is read from. Relative addresses of an Atom feed resolve against
    // the xml:base in scope and then against it; a file's address, or none, is no base (the
    // addresses stay as written). A user name and password in it never reach the feed.
    void setBaseAddress(const QUrl &address);

    VLXParseFeed();
    ~VLXParseFeed();
    VLXParseFeed(const VLXParseFeed &) = delete;
    VLXParseFeed &operator=(const VLXParseFeed &) = delete;

    // Bytes to text. A null QString stands for "nothing decodes"; a successful decode is never
    // null (empty input gives an empty, non-null text).
    static QString stringFromXMLData(const QByteArray &data);
    // The encoding named in the text's XML prolog, or "UTF-8".
    static QString getXMLEncodingString(const QString &text);

    // Whether the text is a feed (Success), with the parser's report or the reason when it is
    // not. A text XML does not read as it stands is a feed when the repairs make one of it (a
    // bare "&" in a title, say), and the read takes the repaired text; otherwise the refusal
    // tells of the text as it stood.
    int isItAFeed(const QString &text);
    // statusField may be null; it receives the progress texts. A text handed over (moved in)
    // is freed once the reader has what it needs of it, before the long walk over the items.
    int parseFeed(QString text, const QString &baseStatus, StatusSink *statusField);
    // isItAFeed and, when it passes, parseFeed, on a text handed over: the text goes as soon as
    // it is repaired, so that it never lives beside its repaired copy and that copy's tree. A
    // refused text is not handed back (*checkRefused says whether the check refused it): the
    // caller that offers it for mending decodes it again.
    int checkAndParse(QString text, const QString &baseStatus, StatusSink *statusField,
                      bool *checkRefused);
    int parseFeedChannelOnly(const QString &text);
    // Whether the bytes of a file read as they are give the very feed their text (decoded by
    // stringFromXMLData) gives: UTF-8 led by its XML declaration, of a known format, and with
    // nothing to repair.
    static bool readsAsBytes(const QByteArray &bytes, const QString &text,
                             StopCheck *stop = nullptr);
    // Reads such bytes without a text of their own: the text handed over is freed before the
    // bytes are parsed, and only the start of the document (the root's declarations) is kept.
    // Answers as parseFeed, and NotParsedAsBytes (nothing read, nothing logged) when the bytes
    // are no well-formed XML: their text then tells why.
    static constexpr int NotParsedAsBytes = -1;
    // Judged on the bytes alone, without decoding them: when readsAsBytes holds for them and
    // their text, the start of their text up to the end of the root's start tag (what
    // parseFeedData needs of the text). Nothing when the bytes cannot tell, which they can
    // for nearly every UTF-8 file that readsAsBytes takes (see FeedTextScan for the rare
    // exceptions): those are judged on their text. *needsRepair tells bytes that were judged
    // and need a repair: their text hardly ever reads as they are, and is not asked again.
    static std::optional<QString> headOfBytesReadAsTheyAre(const QByteArray &bytes,
                                                           StopCheck *stop = nullptr,
                                                           bool *needsRepair = nullptr);
    int parseFeedData(const QByteArray &bytes, QString text);

    std::shared_ptr<VLXFeed> feed() const { return m_newFeed; }
    // The XML parser's report of the last failed check or read: "Description" and "LineNumber"
    // (a line of the text handed in); empty when the text parsed.
    QVariantMap errorDictionary() const { return m_xmlErrorDict; }
    // Why the last check or read refused a text that is well-formed XML but no feed: what the
    // document lacks (a feed's root element, a channel) or the version it names, as a sentence
    // for the user. Empty when the text was read, or when errorDictionary() tells why.
    QString refusal() const { return m_refusal; }
    // The kinds of cause a refusal names, told apart for the user: a text XML does not read, bytes
    // that give no text (see decodingProblem), or a document that is no feed.
    enum class Cause { None, NotWellFormed, Undecodable, NotAFeed };
    // What the last refused check or read found: the kind of its cause, and the line of the
    // text its reason names (0: none), whether the reason is errorDictionary()'s or refusal().
    Cause refusalCause() const { return m_cause; }
    int refusalLine() const { return m_refusalLine; }
    // Why stringFromXMLData gives no text for the bytes: the encoding they were read in, and the
    // byte and the line (also in *line) where they stop being text in it. Empty when they
    // decode.
    static QString decodingProblem(const QByteArray &data, int *line = nullptr);
    // The text of bytes offered to be mended: stringFromXMLData's, or, for bytes that give none,
    // the bytes read in the encoding they failed in, every character that decodes as it is, so
    // that the place decodingProblem names can be seen and mended. In UTF-8 or ASCII a byte that
    // is no text is the windows-1252 letter it most likely is (U+FFFD for the five bytes that
    // encoding leaves undefined); in any other encoding each sequence that is no text is one
    // U+FFFD.
    static QString textForMending(const QByteArray &data);

    // ("RSS"|"Atom"|"", version or "-1"): the format the text's root element names as XML reads
    // it (see FeedFormat); ("", "-1") for a text that is no well-formed XML.
    static QStringList getFeedTypeAndVersion(const QString &text);
    static bool hasXMLTag(const QString &text);

    QString repairRSS20(const QString &text, FeedElement *owner);
    QString repairRSS10(const QString &text, FeedElement *owner);
    QString repairRSS09(const QString &text, FeedElement *owner);
    QString repairAtom03(const QString &text, FeedElement *owner);
    QString repairAtom10(const QString &text, FeedElement *owner);
    QString fixEntityEncoding(const QString &text, const QString &tagName, FeedElement *owner);
    static QString encodeIllegalXMLCharacters(const QString &text, StopCheck *stop = nullptr);

    static QStringList nameSpaces(const QString &text);
    static QStringList RDFNameSpaces(const QString &text);
    static QStringList AtomNameSpaces(const QString &text);
    // The same for the root element's start tag, whatever its name and prefix: what the readers
    // take.
    static QStringList rootNameSpaces(const QString &text);

    int parseRSS20(const QString &text);
    int parseRSS20ChannelOnly(const QString &text);
    int parseRSS10(const QString &text);
    int parseRSS09(const QString &text);
    int parseAtom10(const QString &text);
    int parseAtom03(const QString &text);

    // The repair steps on their own: the repaired text and the messages (texts only, without the
    // kind) that repairRSS20 logs on its owner. Returns the same shared string when nothing
    // changed, so an unchanged text costs no copy.
    // A stopped `stop` ends the repairs early: what they answer then is of no use. A text the
    // repairs would take past the parser's input limit (vlxXMLDOM::maximumInputSize), or that
    // there is no memory to repair, comes back as it stood, with no message.
    // With itemTags, the lines of the text's start tags of items and entries (see ItemCheck),
    // told whenever the repairs ran.
    static QString repairText(const QString &text, QStringList *messages,
                              StopCheck *stop = nullptr,
                              ItemTagLines *itemTags = nullptr);
    // How many texts repairText has repaired (passed its check that a repair applies) since the
    // program started: a test counts with it that an open repairs its text once.
    static quint64 textsRepaired();
    // How many values the repairs have built escaped since the program started: a test counts
    // with it that a value whose escaping would take the text past the limit is never built.
    static quint64 valuesEscaped();
    // A rule planted after the repairs, on the text they made: for tests, which plant one that
    // takes an item into another element to see the check behind the repairs refuse it. The
    // program plants none; a null rule takes the planted one out.
    using PlantedRule = std::function<QString(const QString &repaired)>;
    static void plantRule(PlantedRule rule);
    // The values of `tagName` escaped where they need it; a null string when that would take
    // the text past the parser's input limit.
    static QString fixEntityEncodingText(const QString &text, const QString &tagName, bool *changed,
                                         StopCheck *stop = nullptr);

    // The start of a text up to the end of its root element's start tag: all a reader takes from
    // the text itself (the root's declarations). Null when the tag does not end.
    static QString rootHead(const QString &text);

    // The text as the check and the read work on it: without the white space in front of it
    // (the prolog must come first), and with "\n" for each "\r" that ends a line alone. White
    // space at the end changes nothing for the parser, the detection or the repairs, so it is
    // left, and a text without leading white space or lone "\r" is shared instead of copied.
    static QString workingCopy(const QString &text);

private:
    // Whether the root element's start tag, as the text spells it, names one of the feed roots
    // (rss, RDF or feed under any prefix): a text XML does not read is told as an XML error
    // then, else as no feed.
    static bool namesFeedRoot(const QString &text);
    // The elements whose values the repairs escape again.
    static const QStringList &repairedTags();
    // The repairs, in order, on a text that needs one; null when they would grow it too large.
    static QString repairSteps(const QString &text, QStringList *messages, StopCheck *stop,
                               ItemTagLines *itemTags);
    // The working copy, led by an XML declaration when it had none (prologAdded tells which).
    // Notes by how many lines it starts before or after the text (m_lineShift).
    QString workingCopyWithProlog(const QString &text, bool &prologAdded);
    // The parser's report of a tree that failed, its line taken back to the text handed in.
    void noteErrors(const vlxXMLDOM &dom);
    // Refuses a repaired text whose document lost an item the text starts (ItemCheck), at the
    // line of the working copy where that item starts.
    void refuseLostItem(int line);
    // Refuses a well-formed document that holds no feed, saying why and naming the line of its
    // root element (m_rootLine); answers ReadFailed.
    int refuse(const QString &reason);
    // The line of the text handed in on which the root element of the working copy starts.
    int lineOfRoot(const QString &text) const;
    // A text XML does not read as it stands may hold a fault the repairs exist for (a bare "&"
    // in a title): when the repaired text is a feed, the check passes and keeps that text, its
    // tree and its repairs for the read, which takes them without repairing again. Answers
    // Success, Stopped, or NotAFeed when the repairs make no feed of it: `failed` then holds
    // the repaired text's failed tree when they changed the text and it is still no XML, and a
    // repaired document that is no feed is refused here (refusal()); otherwise nothing is kept
    // and the text's own fault is the one to tell.
    // With letGo the working copy is let go of once repaired (the caller handed its text over).
    int checkRepaired(QString &work, std::unique_ptr<vlxXMLDOM> &failed, bool letGo);
    // isItAFeed, on a text of its own to let go of once repaired when letGo is set.
    int checkText(QString text, bool letGo);
    // The read that follows a check, parseFeed's work once the working copy is in m_work.
    int readWork(bool prologAdded, const QString &baseStatus, StatusSink *statusField);
    // Why a reader of the root `expected` finds none in the document.
    static QString noFeedRoot(const vlxXMLDOM &dom, const QString &expected);
    static QString noChannel(const QString &rootName);
    // The repairs made to the working copy before it is read: the text as it stood (null when
    // they changed nothing) and their messages, logged on the feed when the repaired text is
    // the one read. False when the progress callback stopped them (work is then as it was).
    bool repair(QString &work);
    // The tree read for the repaired text: its own, or, when it does not parse while the text
    // as it stood does, the tree of that text, which read then points to. The repairs are there
    // for broken feeds: one never makes a text that XML reads unreadable.
    std::unique_ptr<vlxXMLDOM> treeToRead(const QString &text, const QString **read);
    std::unique_ptr<vlxXMLDOM> documentFor(const QString &text);
    // A reader of a parsed document: the tree, the text it was read from and its root element.
    using DocumentReader
        = int (VLXParseFeed::*)(vlxXMLDOM &dom, const QString &text, const vlxXMLNode *root);
    // The reader of a format's reader; nullptr for none.
    static DocumentReader readerOf(const FeedFormat &format);
    // Parses text (or reuses the checked tree), finds the format its root names and hands the
    // tree to the reader `choose` picks for that format; ReadFailed when the text is no XML at
    // all, NotAFeed (with the reason) when choose picks none. A read that ends well logs the
    // version an rss root named when the reader did not take it.
    int readDocument(const QString &text,
                     const std::function<DocumentReader(const FeedFormat &)> &choose);
    // The same with one reader for every format (a caller that knows the format).
    int readDocument(const QString &text, DocumentReader read);
    int parseRSS20Document(vlxXMLDOM &dom, const QString &text, const vlxXMLNode *root);
    int parseRSS20ChannelOnlyDocument(vlxXMLDOM &dom, const QString &text, const vlxXMLNode *root);
    int parseRDFDocument(vlxXMLDOM &dom, const QString &text, const vlxXMLNode *root);
    int parseAtom10Document(vlxXMLDOM &dom, const QString &text, const vlxXMLNode *root);
    int parseAtom03Document(vlxXMLDOM &dom, const QString &text, const vlxXMLNode *root);
    void logRepair(FeedElement *owner, const QString &text);

    bool report(Stage stage, qint64 done, qint64 total) const;

    std::shared_ptr<VLXFeed> m_newFeed;
    QVariantMap m_xmlErrorDict;
    QString m_refusal;
    Cause m_cause = Cause::None;
    int m_refusalLine = 0;
    int m_rootLine = 0;
    int m_lineShift = 0;
    QString m_unrepaired;
    QStringList m_repairs;
    // The start tags of the items of the text the repairs changed (see ItemCheck).
    ItemTagLines m_itemTags;
    QUrl m_baseAddress; // empty when there is none
    qint64 m_itemCount = 0;
    // The working copy of the text parseFeed reads. The readers let go of it (releaseText)
    // once the root's namespace declarations are read from it: the tree holds the rest.
    QString m_work;
    void releaseText()
    {
        m_work = QString();
        m_unrepaired = QString();
    }
    // The format of the last document read: its notice is given once the read ends well.
    QStringList m_readFormat;
    Progress m_progress;
    // m_progress for the stage of reading, in the form the readers' walks take.
    std::function<bool(int, int)> m_readingProgress;
    // The tree built by the last successful isItAFeed, kept so that a read of the very same
    // text (the usual case: nothing needed repair) does not parse it a second time.
    QString m_checkedText;
    std::unique_ptr<vlxXMLDOM> m_checkedDocument;
    // When the check repaired the text: the working copy it repaired (none when it let go of
    // it: m_checkedOwnRepair), and the repairs' messages. Whether the check added the prolog.
    QString m_checkedSource;
    bool m_checkedOwnRepair = false;
    QStringList m_checkedRepairs;
    bool m_checkedPrologAdded = false;
};
