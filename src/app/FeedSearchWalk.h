#pragma once

#include "document/FeedField.h"
#include "ui/TextRange.h"

#include <QList>
#include <QObject>
#include <QString>
#include <functional>
#include <optional>

class FeedDocument;
class FeedFindPanel;
class QTabWidget;
class QWidget;
class WindowServices;
class baseExtensionManager;

// The search of the feed window: the fields of the channel, an item and the image in a fixed
// order, the position reached (kept between actions, so each Find Next goes on after the last
// match), and the replacements.
//
// The steps of a scope are its rows of the field table in table order, with the lists and the
// extensions at their places; a text step searches the model's value and only a match is shown
// in the window (the item selected and filled in, the tab, the disclosure box, the scroll, the
// highlight). Replacing goes through the highlighted control, so it is checked, committed and
// undoable like typing. Lists (categories, XML comments) are searched through their edit sheets,
// the extensions through their manager's search.
//
// Replace All works on the model alone, without a control, check or undo step of its own.
class FeedSearchWalk : public QObject
{
    Q_OBJECT
public:
    enum class StepKind { Text, Categories, Comments, Extensions };
    struct Step
    {
        StepKind kind;
        const FeedField *field = nullptr; // text steps
    };
    // The steps of a scope in the order they are searched.
    static const QList<Step> &steps(FieldScope scope);

    // Where the search stands: the scope (0 channel, 1 items, 2 image, 3 past the last), the item
    // when every item is searched, the step inside the scope, the last match inside the step's
    // text, and the entry of a list step where a sheet stopped.
    struct Position
    {
        int tab = 0;
        int item = 0;
        int field = 0;
        TextRange lastFound;
        int entry = 0;
        // The extension manager the walk goes on inside (it keeps its own place). A manager is
        // set back to its start when the walk enters its step afresh, so a reset touches no item.
        const baseExtensionManager *startedExtensions = nullptr;
    };

    FeedSearchWalk(WindowServices &window, FeedFindPanel &panel, QObject *parent);

    const Position &position() const { return m_position; }
    // The start of the search, for the window and every extension (each extension manager is
    // set back as the walk reaches it).
    void reset();

    // Runs the scopes the panel's boxes choose from the position on: F the Find text, R the
    // replacement or none, S whether to search on after a replacement. True when a match is
    // shown or a replacement made without searching on.
    bool walkScopes(const QString &search, std::optional<QString> replacement, bool thenSearch);
    // Whether the last walk ended because the user stopped the search of the items.
    bool wasStopped() const { return m_stopped; }

    // The first item from `from` on that holds the text: its index, the item count when none
    // does, nothing when the user stopped the search. The window sets one that searches a long
    // feed off its thread; without it the items are looked at here.
    using ItemSearch
        = std::function<std::optional<int>(int from, const QString &search, int options)>;
    void setItemSearch(ItemSearch search) { m_itemSearch = std::move(search); }
    // The same over the document given, read alone: `goOn` is told how many items are done
    // now and then, and stops the search by answering false.
    static std::optional<int> firstItemHolding(const FeedDocument &document, int from,
                                               const QString &search, int options,
                                               const std::function<bool(int done)> &goOn = {});

    // The walks of one scope (true: finished, a match shown or a replacement made without
    // searching on; false: no further match in the scope).
    bool replaceInFeed(const QString &search, const std::optional<QString> &replacement,
                       bool thenSearch);
    bool replaceInItem(const QString &search, const std::optional<QString> &replacement,
                       bool thenSearch, int index);
    bool replaceInImage(const QString &search, const std::optional<QString> &replacement,
                        bool thenSearch);
    // Set by a scope walk that ended with the replacement used up (or none given).
    bool replaceResult() const { return m_replaceResult; }

    // What Replace All goes through: the scopes the panel's boxes chose, the selected item, the
    // item the walk over every item starts at, and the search options.
    struct ReplaceAllScopes
    {
        bool feed = false;
        bool currentItem = false;
        bool allItems = false;
        bool image = false;
        int selectedItem = -1;
        int firstItem = 0;
        int options = 0;
    };
    // The scopes as the panel and the position stand now.
    ReplaceAllScopes replaceAllScopes() const;
    // Replace All in the scopes of the document given (never a control; no checks, no undo):
    // every occurrence, in one pass per text. Answers the number replaced. Works on the
    // document alone, so a copy of the feed may be worked on off the window's thread.
    static int replaceAll(FeedDocument &document, const QString &search, const QString &replacement,
                          const ReplaceAllScopes &scopes);
    // The walk over every item has gone through to the last of that many items.
    void passedItems(int count);

    // Searches the text from the end of the last match (from the start when there is none) and
    // keeps the result, found or not, as the last match.
    TextRange searchField(const QString &text, const QString &search, int options);
    // The panel's Ignore Case as search options.
    int options() const;

    // The extension tab view and the sub-tab view of a scope, and the index of its extensions
    // page.
    QTabWidget *extensionTabs(FieldScope scope) const;
    QTabWidget *subTabs(FieldScope scope) const;

private:
    // One walk over the steps of a scope from the position; `item` is the item's index (-1
    // outside the items).
    struct Walk
    {
        FieldScope scope;
        int item;
        QString search;
        std::optional<QString> replacement;
        bool thenSearch;
        int options;
        bool shown; // the item's fields are in the window
    };
    bool walk(Walk &walk);
    // The steps by kind; each answers true to end the walk, or moves the position on.
    bool textStep(Walk &walk, const FeedField &field);
    bool listStep(Walk &walk, bool categories);
    template<typename List> bool listEntries(Walk &walk);
    bool extensionStep(Walk &walk);
    // The item of the walk in the window: selected and filled in.
    void showItem(Walk &walk);
    // The manager of the scope's extensions in the loaded feed.
    baseExtensionManager *extensionManager(FieldScope scope, int item) const;
    void selectMainTab(int tab);
    void nextStep(Walk &walk);
    static int replaceAllInScope(FeedDocument &document, FieldScope scope, int item,
                                 const QString &search, const QString &replacement, int options);
    // Whether a walk over the item from its start would stop at a match: read from the document
    // alone, without the window.
    static bool itemHolds(const FeedDocument &document, int item, const QString &search,
                          int options);

    WindowServices &m_window;
    FeedFindPanel &m_panel;
    Position m_position;
    bool m_replaceResult = false;
    bool m_stopped = false;
    ItemSearch m_itemSearch;
};
