#pragma once

#include <QObject>

class FeedDocument;
class FeedListModel;
class FeedOpening;
class FeedSaving;
class WindowServices;

// The document commands of the feed window: New, Open, Open URL, Save, Save As, Revert, Undo and
// Redo, and the feed list's moves and removal. Each first commits the edit in progress; the
// window is never left without a feed (a new one is made).
class DocumentActions : public QObject
{
    Q_OBJECT
public:
    DocumentActions(WindowServices &window, FeedOpening &opening, FeedSaving &saving,
                    QObject *parent);

    // Offers the document and feed list commands.
    void setUpDocumentCommands();
    void newDocument();
    void moveDownFeed();
    void moveUpFeed();
    void deleteFeed();
    // The empty-list rule: a window is never left without a feed (a new one is made).
    void ensureAFeed();

private:
    void openDocument();
    void openURL();

    WindowServices &m_window;
    FeedOpening &m_opening;
    FeedSaving &m_saving;
    FeedDocument *m_document;
    FeedListModel *m_feedList;
};
