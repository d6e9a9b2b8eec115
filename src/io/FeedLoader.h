#pragma once

#include "io/VLXParseFeed.h"
#include "model/VLXFeed.h"
#include "platform/AlertService.h"
#include "settings/VLXPreferences.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>
#include <QVariantMap>

#include <memory>
#include <optional>

// Brings a feed in the way the window opens one, without the window: the bytes are decoded, the
// text is checked (parsed once, and that tree is what the reader reads), repaired, read into a
// fresh VLXFeed, given its repairs after reading and validated. Every stage reports through the
// Progress callback, which can stop the load.
//
// Threads: make the loader on the main thread (it copies the settings there), call run() once on
// any one thread, then use the result on the main thread and call commitSettings() there. While
// run() works, the settings it reads and writes are its copy's, and alerts are not shown but
// handed back in Result::alerts. The feed of the result belongs to nobody else until handed on.
class FeedLoader
{
public:
    using Stage = VLXParseFeed::Stage;
    using Progress = VLXParseFeed::Progress;

    enum class Outcome {
        Loaded,
        NotAFeed, // the text does not decode, is no feed or no well-formed XML
        Stopped, // the progress callback asked to stop
        Refused, // a feed too large to read (Result::alerts holds the one alert that says so)
    };

    struct Request
    {
        // A file's or a transfer's bytes; when null, text is read instead. The loader lets go of
        // the bytes once they are read (without keepText, UTF-8 bytes that need no repair are
        // parsed as they are, and their text goes before the parse).
        QByteArray bytes;
        QString text;
        // A file to read on run()'s thread instead, as the window reads one: only an ordinary
        // file no larger than a feed may be; one refused is Outcome::Refused with the alert.
        QString path;
        // Where the text was read from: relative addresses in an Atom feed resolve against it
        // (a file's address is no base; see VLXParseFeed::setBaseAddress).
        QUrl address;
        bool validate = true;
        // A reader that already checked this very text: its tree is read instead of the text
        // being parsed again.
        std::shared_ptr<VLXParseFeed> checkedReader;
        // Whether Result::text holds the decoded text of a loaded feed (what a Revert goes back
        // to). Without it the text is freed before the items are read, which lowers the peak
        // memory by twice the file's size. A text that is no feed is handed back to be mended,
        // except a well-formed one whose read failed while keepText was false.
        bool keepText = true;
    };

    struct Result
    {
        Outcome outcome = Outcome::Stopped;
        // The read feed, only when Loaded.
        std::shared_ptr<VLXFeed> feed;
        // The messages the feed holds, counted by its validation (nothing without one).
        std::optional<VLXFeed::MessageCounts> counts;
        QString text;
        // VLXParseFeed's status of the check or the read.
        int status = VLXParseFeed::Stopped;
        // The XML parser's report when the check failed (see VLXParseFeed::errorDictionary).
        QVariantMap error;
        // Why a text that is no feed was refused when the parser's report does not tell: bytes
        // that do not decode (then reasonLine is the line they stop being text on), or a
        // well-formed document that holds no feed.
        QString reason;
        // The kind of cause the refusal names, and the line of the text it names (0: none),
        // whether the parser's report or reason tells it.
        VLXParseFeed::Cause cause = VLXParseFeed::Cause::None;
        int reasonLine = 0;
        // Alerts raised while loading (the notice of a format to be converted), in their order,
        // for the main thread to show; each was answered with its default button. A refused
        // feed has only the alert that says why.
        QList<Alert> alerts;
    };

    explicit FeedLoader(Request request);
    ~FeedLoader();
    FeedLoader(const FeedLoader &) = delete;
    FeedLoader &operator=(const FeedLoader &) = delete;

    Result run(const Progress &progress = Progress());
    // On the main thread after run(): namespaces the load met for the first time are added to
    // the live settings.
    void commitSettings();

    // The alert of a feed refused for having more items than a feed may have.
    static Alert tooManyItemsAlert(qint64 items);

private:
    // The bytes read as they are; nothing when they did not parse (nothing was read).
    std::optional<Result> readBytes(const QByteArray &bytes, QString text,
                                    const Progress &progress);
    // The text read; `bytes`, when they are the text's, give it again should it be refused.
    Result readText(QString text, QByteArray bytes, const Progress &progress);
    // What the read's status makes of the result (the text is what a failed read hands back).
    Result finishRead(VLXParseFeed &reader, int status, QString text, const Progress &progress);

    Request m_request;
    VLXPreferences::ThreadCopy m_settings;
};
