#pragma once

#include <QObject>
#include <optional>

class FeedDocument;
class FeedSaving;
class FeedSearchWalk;
class WindowServices;

// Find and replace: the find panel's commands over the loaded feed (the panel's buttons reach
// them, or the edit sheet that a search opened while it runs). Find Next and the two
// replacements go through the search walk, which keeps the position between them, and the
// window's controls; Replace All changes a copy of the feed, which then takes the loaded feed's
// place as one undo step.
class FindReplace : public QObject
{
    Q_OBJECT
public:
    FindReplace(WindowServices &window, FeedSaving &saving, QObject *parent);

    void setUpFindCommands();
    void orderFrontFindPanel();
    void findNext();
    // Find Next from the panel: nothing while the Find text is empty.
    void findPanelNextAction();
    void findPanelReplaceAction();
    void findPanelReplaceFindAction();
    void findPanelReplaceAllAction();
    FeedSearchWalk *searchWalk() const { return m_searchWalk; }

private:
    void replaceInScopes(bool thenSearch);
    // A changed Find text starts the search over.
    void restartSearchIfChanged(const QString &search);
    void searchNotFound();
    // A walk that found nothing further: not found, or stopped by the user.
    void searchEnded();
    // The first item from `from` on holding the text (see FeedSearchWalk::ItemSearch).
    std::optional<int> searchItems(int from, const QString &search, int options);

    WindowServices &m_window;
    FeedSaving &m_saving;
    FeedDocument *m_document;
    FeedSearchWalk *m_searchWalk = nullptr;
};
