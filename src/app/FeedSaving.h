#pragma once

#include "document/FeedDocument.h"
#include "document/FeedListEntry.h"

#include <QObject>
#include <QUrl>
#include <functional>
#include <optional>

class FeedListModel;
class ImageActions;
class LoadControl;
class LoadRunner;
class ParseLogPanel;
class WindowServices;

// Saving the loaded feed (its file, its backups and its companion) and the questions asked
// before the loaded feed is left with unsaved changes.
class FeedSaving : public QObject
{
    Q_OBJECT
public:
    FeedSaving(WindowServices &window, ImageActions &images, ParseLogPanel &parseLog,
               QObject *parent);

    // Validates the feed (on the loader's worker) and, when it does not validate, shows the
    // log and asks whether to go on. False when the user stops there or cancels.
    bool checkRequiredFields();
    // Runs work on the loader's worker behind its progress dialog, the dialog and status line
    // saying what is done with the loaded feed; on this thread when a load runs already (the
    // save a question of that load asked for). False when cancelled.
    bool runOnWorker(const std::function<void(LoadControl &)> &work, const QString &dialogTitle,
                     const QString &doing);
    // Empties the loaded feed's messages and checks it again on the worker, taking the counts
    // and the whole log in the same walk (VLXFeed::validateAfresh). Nothing when cancelled.
    std::optional<FeedDocument::ParseLog> validateOnWorker(const QString &dialogTitle,
                                                           const QString &doing);
    // Saves the loaded feed; the row must be its entry's (no feed is ever written under another
    // entry's file).
    bool actualSaveDocument(int row);
    // Writes a copy of the loaded feed (and its companion) to a file the user chooses; the
    // entry keeps its file, and the feed its title and edited state. The chosen file's URL,
    // empty when cancelled or when the write failed.
    QUrl actualSaveDocumentAs(int row);
    // The name a save proposes: the file's own, or for a feed never saved its title trimmed,
    // with blanks, slashes and colons made underscores.
    static QString proposedFileName(const FeedListEntry &entry, const QString &title);

    // Why the loaded feed is being left; the questions name it.
    enum class Leaving { OpeningAnother, CreatingNew, Quitting };
    // Asks about unsaved image and feed changes before the loaded feed is left; false keeps
    // everything as it is (Cancel, or a save that failed). "Don't Save" for another feed lets
    // the changes go only when that feed replaces this one: one that cannot be read leaves the
    // feed, its edited state and its undo as they were.
    bool askToSaveChanges(Leaving why);
    bool askToSaveImage(Leaving why);
    bool askToSaveFeed(Leaving why);

private:
    // After a save: the picture is no unsaved change when the saved feed shows it again.
    void settlePictureWithSave();
    // Asks for a file and writes the feed there; with an entry to adopt, the entry takes the
    // file (a first save) and is written as the companion, else the loaded entry is.
    // What went wrong on the side (backups that could not move on) goes to *problem.
    QUrl writeToChosenFile(int row, FeedListEntry *adopting, QString *problem = nullptr);
    int askToSave(const QString &what, Leaving why);

    WindowServices &m_window;
    ImageActions &m_images;
    ParseLogPanel &m_parseLog;
    FeedDocument *m_document;
    FeedListModel *m_feedList;
    LoadRunner *m_loader;
};
