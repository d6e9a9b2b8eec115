#pragma once

#include "model/VLXFeed.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <functional>
#include <memory>

class VLXItems;

// The wizard without its window: which page is on show, which page follows which (read from a
// navigation table), which handler a button reaches, when Cancel may end the run without a
// question, the items made so far with the position of the one on show, and the feed being
// made. The window registers one handler per page and tells the engine which button was
// pressed; the engine never touches a widget, so tests drive it alone.
class WizardEngine
{
public:
    // The buttons' tags.
    enum Tag { kCancel = 1, kBack = 2, kFinish = 3, kNext = 4, kCopy = 50, kHelp = 99 };
    // The kinds of feed of the feed-type page, by row.
    enum FeedKind { kBasic = 0, kEnclosures = 1, kPodcast = 2 };
    // How a button press found its handler.
    enum class Dispatch { ByFunctionName, ByPage, NotSupported, NoEntry };
    using Handler = std::function<void(int tag)>;

    WizardEngine();
    ~WizardEngine();

    // --- Navigation tables -------------------------------------------------------------------
    // A table of the application's resources by name; empty when there is none.
    static QVariantMap readTable(const QString &name);
    // Replaces the table in use by the named one (an unknown name leaves an empty table).
    void useTable(const QString &name);
    void setTable(const QVariantMap &table, const QString &name = QString());
    const QVariantMap &table() const { return m_table; }
    QString tableName() const { return m_tableName; }
    // The page's entry in the table in use; empty when it has none.
    QVariantMap entry(const QString &page) const;
    // A key ("prevPage", "nextPage", "nextPageIfNotMax", "finalizePage") of the entry of the
    // page on show, or of the named page.
    QString target(const QString &key) const { return target(m_page, key); }
    QString target(const QString &page, const QString &key) const;

    // --- Pages -------------------------------------------------------------------------------
    QString currentPage() const { return m_page; }
    // Shows the page (the window hears of it through the page selector).
    void selectPage(const QString &page);
    // Shows the page the key of the current entry names; nothing when it names none.
    void go(const QString &key);
    void setPageSelector(std::function<void(const QString &page)> selector)
    {
        m_selector = std::move(selector);
    }

    // --- Dispatch ----------------------------------------------------------------------------
    void setHandler(const QString &name, Handler handler);
    bool hasHandler(const QString &name) const { return m_handlers.contains(name); }
    // The page on show's handler with the tag: the entry's "functionName" when there is such a
    // handler, else the one named after the page. A page the table does not know ends the run
    // as cancelled and reaches no handler.
    Dispatch buttonPress(int tag);

    // --- The run -----------------------------------------------------------------------------
    // Starts a run: not ended, no items, position 0.
    void begin();
    // Ends the run with the code (1 finished, 0 cancelled); the window hears of it once.
    void end(int code);
    bool hasEnded() const { return m_ended; }
    int endCode() const { return m_endCode; }
    void setEndHandler(std::function<void(int code)> handler) { m_endHandler = std::move(handler); }

    // --- Cancel ------------------------------------------------------------------------------
    // The question Cancel asks.
    void setCancelQuestion(const QString &question) { m_cancelQuestion = question; }
    QString cancelQuestion() const { return m_cancelQuestion; }
    // Whether Cancel on the page on show ends the run without asking: on the first three feed
    // pages while the feed's title field is empty, on the item wizard's first page while the
    // first item is the one on show.
    bool cancelEndsAtOnce(bool feedTitleEmpty) const;
    // Cancel: ends at once, or asks "Warning" with the question ("No" default) and ends on
    // "Yes". Answers whether the run ended.
    bool cancel(bool feedTitleEmpty);

    // --- Items -------------------------------------------------------------------------------
    VLXFeed::ItemList &items() { return m_items; }
    const VLXFeed::ItemList &items() const { return m_items; }
    int itemCounter() const { return m_itemCounter; }
    void setItemCounter(int counter) { m_itemCounter = counter; }
    // The item on show, null when the position is past the last one.
    VLXItems *currentItem() const;
    // "%d of %d": the position of the item on show (one-based) and the number of items.
    QString countLabel() const;

    // --- The feed and the new items ----------------------------------------------------------
    // A new feed from the all-feeds defaults, for the identifier its settings are kept under.
    void startFeed(const QString &uniqueKey);
    // The item wizard's start: no feed, the namespace descriptions new items carry.
    void startItems(const QStringList &itemExtensions, FeedKind kind);
    const std::shared_ptr<VLXFeed> &feed() const { return m_feed; }
    QString uniqueKey() const { return m_uniqueKey; }
    QStringList itemExtensions() const { return m_itemExtensions; }
    FeedKind feedKind() const { return m_kind; }
    // The feed-type page's choice: the table of that kind; the podcast kind gives the feed and
    // every item the iTunes extension (once, filled from the all-feeds defaults), the others
    // take it away.
    void chooseFeedKind(FeedKind kind);
    // Whether the feed being made is a podcast (the item wizard makes none: false).
    bool feedUsesITunes() const;
    // Appends a new item: the defaults of the feed being made (and the item wizard's
    // namespaces), a guid of its own that is no permalink, the enclosure on for the kinds with
    // enclosures, and, when asked, the iTunes extension filled from the all-feeds defaults.
    std::shared_ptr<VLXItems> appendNewItem(bool withITunes);

private:
    QVariantMap m_table;
    QString m_tableName;
    QString m_page;
    QHash<QString, Handler> m_handlers;
    std::function<void(const QString &)> m_selector;
    std::function<void(int)> m_endHandler;
    bool m_ended = false;
    int m_endCode = 0;
    QString m_cancelQuestion;
    VLXFeed::ItemList m_items;
    int m_itemCounter = 0;
    std::shared_ptr<VLXFeed> m_feed;
    QString m_uniqueKey;
    QStringList m_itemExtensions;
    bool m_itemWizard = false;
    FeedKind m_kind = kBasic;
};
