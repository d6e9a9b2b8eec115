#pragma once

#include "app/FeedField.h"
#include "ui/TextRange.h"

#include <QList>
#include <QObject>
#include <QString>
#include <optional>

class FeedDocument;
class FeedFindPanel;
class QTabWidget;
class QWidget;
class Vellumcast;
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
    };

    FeedSearchWalk(Vellumcast &window, FeedFindPanel &panel);

    const Position &position() const { return m_position; }
    // The start of the search, for the window and every extension.
    void reset();
    void resetExtensionsSearch();

    // Runs the scopes the panel's boxes choose from the position on: F the Find text, R the
    // replacement or none, S whether to search on after a replacement. True when a match is
    // shown or a replacement made without searching on.
    bool walkScopes(const QString &search, std::optional<QString> replacement, bool thenSearch);

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

    // Replace All in one scope of the document given (never a control; no checks, no undo):
    // every occurrence, in one pass per text. Answers the number replaced.
    int replaceAllInFeed(FeedDocument &document, const QString &search, const QString &replacement);
    int replaceAllInItem(FeedDocument &document, const QString &search, const QString &replacement,
                         int index);
    int replaceAllInImage(FeedDocument &document, const QString &search,
                          const QString &replacement);
    // The scopes the panel's boxes choose, from the position on (every item, or the selected one).
    int replaceAllInScopes(FeedDocument &document, const QString &search,
                           const QString &replacement);

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
    int replaceAllInScope(FeedDocument &document, FieldScope scope, int item, const QString &search,
                          const QString &replacement);

    Vellumcast &m_window;
    FeedFindPanel &m_panel;
    Position m_position;
    bool m_replaceResult = false;
};
