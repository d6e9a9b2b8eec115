#pragma once

#include "document/FeedField.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <functional>

class EditTracker;
class FeedDocument;
class QWidget;

// Ties the rows of a field table to the controls of one pane (found by outlet name inside it):
// fills them from the model in one place (load), follows their edits through the window's edit
// tracker (check when the user leaves, then one undoable commit through the document), keeps the
// grouped summaries up to date as the user types, and refreshes a control whenever the document
// says its field changed (an undo, an automatic date, another editor).
//
// A pane of an extension binds its own table the same way: rows made with makeField() over a
// resolver that reaches the extension object, and a FieldBinding over the pane's widget.
class FieldBinding : public QObject
{
    Q_OBJECT
public:
    // The item the pane shows (panes of the items); -1 elsewhere.
    using ItemOf = std::function<int()>;
    // Commits a field the table leaves to its pane (a row without a setter).
    using OwnCommit = std::function<void(const FeedField &field, QWidget *control,
                                         const QString &startText, const QString &text)>;
    // Runs after a user's edit was committed (for what only the user's edits start).
    using AfterCommit = std::function<void(const FeedField &field, const QString &text)>;

    FieldBinding(FeedDocument *document, EditTracker *tracker, QWidget *container,
                 FieldScope scope, ItemOf itemOf = {});

    // Binds the rows of this scope whose control the container holds, and the summaries whose
    // field it holds.
    void bind(const QList<FeedField> &table, const QList<FieldSummary> &summaries = {});
    void setOwnCommit(OwnCommit commit) { m_ownCommit = std::move(commit); }
    void setAfterCommit(AfterCommit after) { m_afterCommit = std::move(after); }

    // Fills every bound control from the model, then the summaries.
    void load();
    // Shows the model's value of one field again (and the summaries it belongs to).
    void refresh(const QString &outlet);
    void updateSummaries();

    QWidget *control(const QString &outlet) const;
    const FeedField *field(const QString &outlet) const;
    int item() const { return m_itemOf ? m_itemOf() : -1; }
    QList<const FeedField *> fields() const;

    // A control's text as the summaries read it: a check box is "1" or "0".
    static QString textOf(const QWidget *control);

private:
    struct Bound
    {
        const FeedField *field;
        QPointer<QWidget> control;
    };
    struct Summary
    {
        FieldSummary summary;
        QPointer<QWidget> control;
    };
    void show(const Bound &bound);
    void follow(const Bound &bound);
    void commitChoice(const Bound &bound, int index);
    void updateSummariesOf(const QString &member);
    void updateSummary(const Summary &summary);
    void fieldChanged(FieldScope scope, int item, const QString &outlet);

    FeedDocument *m_document;
    EditTracker *m_tracker;
    QPointer<QWidget> m_container;
    FieldScope m_scope;
    ItemOf m_itemOf;
    OwnCommit m_ownCommit;
    AfterCommit m_afterCommit;
    QList<Bound> m_bound;
    QHash<QString, int> m_byOutlet;
    QList<Summary> m_summaries;
};
