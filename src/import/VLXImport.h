#pragma once

#include "import/ImportItemModel.h"

#include <QByteArray>
#include <QDateTime>
#include <QDialog>
#include <QHash>
#include <QMainWindow>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <functional>
#include <memory>

class CURLHandle;
class ImportDescriptionView;
class QAction;
class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QStandardItemModel;
class QTableView;
class QToolBar;
class VLXFeed;
class VLXItems;

// The import window: the items of another feed, read from a file, fetched from an address,
// picked from the recent sources of the loaded feed or dropped on the list, each with a check
// box; the marked ones go to the top of the loaded feed in one undoable step. The window is not
// modal and stays open after an import, so more can follow; it says when it closes.
//
// Sources are read off the window's thread (a transfer in the background, the reading on a
// worker), so the window keeps painting while a large or remote feed comes in.
class VLXImport : public QObject
{
    Q_OBJECT
public:
    explicit VLXImport(QWidget *parentWindow, QObject *parent = nullptr);
    ~VLXImport() override;

    // The loaded feed's file name, for the title.
    void setDestinationFeed(const QString &name) { m_destFeedName = name; }
    // A source (path or address) to open as soon as the window shows.
    void setStartingFeed(const QString &source) { m_startingFeed = source; }
    // Shows the window; `ended` is called once when it closes.
    bool showImportWindow(std::function<void()> ended);

    // --- Sources ---------------------------------------------------------------------------------
    // Opens a file path, a "file:", http(s) or "feed://" address. False (a beep) when nothing
    // can be started: an empty text, or another source still coming in.
    bool openFeedAtPath(const QString &source);
    bool isOpening() const { return m_opening != nullptr; }
    void openFeed(); // the file chooser
    void downloadFeed(); // the URL panel
    void openRecentFeeds();
    void recentOpen(); // the selected recent source
    void recentClose();

    // --- Marks, order, import --------------------------------------------------------------------
    void markAllItems();
    void clearAllItems();
    // Asks for a moment (now preset); on OK clears every mark and marks the items after it.
    void markItemsByDate();
    void markItemsByDate(const QDateTime &after);
    void importCheckBox(int row);
    void resortItems(ImportItemModel::Order order);
    // Copies the marked items to the top of the loaded feed; a beep when none is marked.
    // Answers how many went in.
    int doImport();
    // Closes both windows and tells the feed window.
    void cancel();

    QMainWindow *importWindow() const { return m_window; }
    QDialog *lastUsedWindow() const { return m_recentWindow; }
    ImportItemModel *itemModel() const { return m_items; }
    QString currentImportFeed() const { return m_currentImportFeed; }
    QDateTime currentImportFeedOpenTime() const { return m_openTime; }
    // The recent sources, newest first: [source, date].
    QList<QPair<QString, QDateTime>> recentSources() const { return m_recent; }
    QString statusText() const;

    // The toolbar's default set and every item it may hold.
    static QStringList defaultToolbarItemIdentifiers();
    static QStringList allowedToolbarItemIdentifiers();
    static QString toolbarKey();

signals:
    // A source was opened (true) or could not be (false); the list shows the outcome.
    void openingEnded(bool opened);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Opening;

    // VLXImport+Interface.cpp
    void buildWindow(QWidget *parentWindow);
    void buildRecentWindow();
    void setupToolbar();
    QAction *toolbarAction(const QString &identifier);
    void validateToolbarItems();
    void storeToolbarConfiguration();
    void showDescription(int row);
    void setStatus(const QString &text);
    void setBusy(bool busy);
    // Feeds dropped on the item list.
    bool eventFilterDrop(QEvent *event);

    // VLXImport+Reading.cpp
    void fetch();
    // Reads the bytes, the text, or the file at the path (read on the worker), into a feed.
    void readBytes(QByteArray bytes, QString text, QString path = QString());
    void readEnded(std::shared_ptr<VLXFeed> feed);
    void endOpening(bool opened);

    void updateRecentUsedArray();
    void markItemsSinceLastImport();
    QVariantMap recentImports() const;
    void finish();

    QPointer<QMainWindow> m_window;
    QPointer<QLabel> m_feedName;
    QPointer<QTableView> m_itemTable;
    QPointer<ImportDescriptionView> m_itemDescription;
    QPointer<QPushButton> m_importButton;
    QPointer<QComboBox> m_sortSelector;
    QPointer<QProgressBar> m_progress;
    QPointer<QLabel> m_statusMessage;
    QPointer<QToolBar> m_toolbar;
    QHash<QString, QAction *> m_toolbarActions;
    QPointer<QDialog> m_recentWindow;
    QPointer<QTableView> m_recentTable;
    QStandardItemModel *m_recentModel = nullptr;
    ImportItemModel *m_items = nullptr;

    std::function<void()> m_ended;
    QString m_destFeedName;
    QString m_startingFeed;
    std::shared_ptr<VLXFeed> m_orginalFeed;
    // The item whose description is shown, and its feed.
    const VLXItems *m_shownItem = nullptr;
    std::weak_ptr<VLXFeed> m_shownFeed;
    QString m_currentImportFeed;
    QDateTime m_openTime;
    QList<QPair<QString, QDateTime>> m_recent;
    std::shared_ptr<Opening> m_opening;
    bool m_finished = false;
};
