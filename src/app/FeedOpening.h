#pragma once

#include "document/FeedDocument.h"
#include "document/FeedListEntry.h"

#include <QObject>
#include <QUrl>
#include <memory>
#include <optional>

class FeedListModel;
class FeedSaving;
class LoadRunner;
class VLXParseFeed;
class WindowServices;
class WindowStatusSink;

// Bringing a feed into the editor: from a file, a web address or text in hand. Every read runs on
// the window's worker while the window paints and offers Cancel; the feed and its list entry come
// in together or not at all.
class FeedOpening : public QObject
{
    Q_OBJECT
public:
    FeedOpening(WindowServices &window, FeedSaving &saving, QObject *parent);

    // Opens the file or address after the unsaved changes were asked about.
    void openFeedAtPath(const QString &path);
    // openFeedAtPath once the unsaved changes were asked about.
    void openAskedFeed(const QString &path);
    // 0 when the user abandoned the text, -1 when the file could not be read, 1 otherwise. A
    // null text is read from the URL's file or downloaded from its address.
    int actuallyOpenFile(const QString &path, const QUrl &url, const QString &text, int transient);
    // Reads a text into the loaded entry's place (a new or generated feed).
    int populateFeedFromString(const QString &text, bool reloadImage, bool validate = true,
                               bool hideErrors = false);
    // Loads the feed at the URL into the editor (as the entry of that address, when listed).
    void populateFeedFromURL(const QString &url);
    // Reads the loaded feed again from a text (a raw edit, Revert): what the text
    // does not hold (local enclosure files, upload times) is carried over. 1 when the text was
    // read, 0 when the user gave it up. The read runs on the loader's worker behind its
    // progress dialog (Cancel gives it up too).
    int reparseLoadedFeed(const QString &text);
    // The same from the bytes of the feed's file as they were read (Revert); the result tells
    // whether the read changed what the file holds (repaired it, say).
    FeedDocument::LoadResult rereadLoadedFeed(const QByteArray &bytes, const QString &text);

    // Reads the listed entry's file or address into the document; false leaves it as it was (an
    // entry whose text is abandoned is removed from the list shortly after).
    bool loadEntry(const FeedListEntry &entry);
    // The file's text with the reader that found it to be a feed, kept for the load that
    // follows; false when it is none, nothing when the user cancelled.
    std::optional<bool> checkFeedFile(const QString &path);
    void forgetCheckedFeed() { m_checked.reset(); }
    // The remembered feed is still to be chosen after the window's first paint; any open
    // meanwhile takes its place.
    void setStartupPending(bool pending) { m_startupPending = pending; }
    bool takeStartupPending() { return std::exchange(m_startupPending, false); }
    // Before the stored list is read: addresses stored with credentials lose them to the
    // secret store; the credentials of fetched feeds, which are not listed again, are dropped.
    static void moveStoredCredentials();

private:
    // A text, or when the text is null the file or web address (downloaded there), with the
    // entry it belongs to, read into the document on the loader's worker. The text and the entry
    // are taken by value: callers hand in the checked feed's text or the document's own entry,
    // which the load lets go of or replaces while it still needs them.
    FeedDocument::LoadResult loadFeed(const QUrl &address, QString text, FeedListEntry entry,
                                      bool reloadImage, bool validate = true,
                                      bool hideErrors = false);
    // Keeps a user name and password of the loaded feed's address in the secret store, under
    // its identifier; says so in the status line when that is not possible.
    void rememberCredentials(const QUrl &url);

    WindowServices &m_window;
    FeedSaving &m_saving;
    FeedDocument *m_document;
    FeedListModel *m_feedList;
    LoadRunner *m_loader;
    std::shared_ptr<WindowStatusSink> m_statusSink;
    struct CheckedFeed
    {
        QString path;
        QString text;
        std::shared_ptr<VLXParseFeed> reader;
    };
    std::optional<CheckedFeed> m_checked;
    bool m_startupPending = false;
};
