#pragma once

#include "publish/FolderBrowser.h"
#include "ui/VLXTableDataSource.h"

#include <QDialog>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <memory>
#include <optional>

class QLabel;
class QProgressBar;
class VLXButton;
class VLXPopUpButton;
class VLXTableView;
class VLXTextField;

// A folder browser: the modal dialog in which the user picks a destination folder for
// publishing, on an FTP or FTPS server (VLXFTPBrowse), on the online disk (VLXDMBrowse) or on
// the local disks (VLXLCLBrowse). The three share this dialog and its rules for the listing
// table, the path history, double-clicks and accepting. A browser always answers with a
// folder, never with a file: choosing a file chooses the folder that holds it.
//
// Callers make a fresh browser for every use, configure it, call browse() with the folder
// typed in their field and, when it answers 1, put directory() back into that field.
//
// The dialog's controls carry their outlet names ("browseWindow", "browseTable",
// "browseHistory", "browseUpHistory", "browseNewFolderName", "browseNewFolder", "progress",
// "statusText", "browseAccept", "browseCancel", "browseHelp", and for a browser that can go to
// any folder "browseTop" and "browseGoTo").
class VLXBrowseBase : public QObject, public FolderBrowser, public VLXTableDataSource
{
    Q_OBJECT
public:
    // Keys of a listing entry beyond those of FTPListingParser, and of browseFTPProperties.
    static const QString kSymbolicLinkTargetTypeKey; // "cxSymbolicLinkTargetType"
    static const QString kIconKey; // "Icon"
    static const QString kResponsePWDKey; // "dictKeyFTPResponsePWD"
    static const QString kResponseCWDStepsKey; // "dictKeyFTPResponseCWDSteps"

    VLXBrowseBase();
    ~VLXBrowseBase() override;

    // The browser for a kind of site, configured from the request: what the program installs
    // as the publish window's, the site editor's and the additional-file dialog's browsers.
    // Null for a kind of site it does not know.
    static std::unique_ptr<FolderBrowser> browserForRequest(const FolderBrowserRequest &request);

    // Runs the dialog from the folder (relative to the home folder, or a full path) with the
    // account; 1 when the user accepted a folder, 0 when cancelled. Whatever transfer is
    // running when the dialog closes is stopped.
    int browse(const QString &folder, const QString &username, const QString &password) override;

    const QString &username() const { return m_username; }
    void setUsername(const QString &username) { m_username = username; }
    const QString &password() const { return m_password; }
    void setPassword(const QString &password) { m_password = password; }
    const QString &homeDirectory() const { return m_homeDir; }
    void setHomeDirectory(const QString &home) { m_homeDir = home; }

    // The chosen folder as callers see it: inside the home folder relative to it (the home
    // folder itself is ""), anywhere else its full path.
    QString directory() const override;
    // Stores the folder relative to the home folder when it lies inside it.
    void setDirectory(const QString &path);

    // --- The dialog's actions (its controls call them; tests may too) ---------------------------
    // Lists the folder whose path is the selected history item's title.
    virtual void browseHistorySelected();
    // Lists the folder above; beeps at the top.
    virtual void browseUpHistorySelected();
    virtual void browseCreateNewFolder();
    // Lists a folder the user typed or the top folder ("/"); false when the browser cannot go
    // there (it beeps and keeps the listing shown).
    virtual bool browseGoTo(const QString &path);
    // Accept: the folder shown, the folder of a selected file, or a selected folder inside the
    // shown one. From the table (a double-click) folder and link rows accept nothing.
    void browseAccept(bool fromTable = false);
    void browseCancel();
    void helpButton();
    // The table's double action: opens a folder or link, accepts a file's folder.
    void browseDoubleClick();

    // Lists a folder; each browser fetches in its own way.
    virtual void getFileListing(const QString &path) = 0;
    // Rebuilds the history pop-up for the folder just listed (see historyTitles).
    void updateBrowseHistory(const QString &path);

    // --- Table data source: columns "icon", "name", "size", "modified" ---------------------------
    int numberOfRowsInTableView(VLXTableView *table) override;
    QVariant tableViewObjectValue(VLXTableView *table, const QString &column, int row,
                                  int role) override;

    // --- State, for the browsers and for tests -----------------------------------------------
    QDialog *browseWindow() const { return m_window; }
    // The browser whose dialog this is, or null.
    static VLXBrowseBase *browserOfWindow(const QWidget *window);
    template<typename T = QObject> T *outlet(const QString &name) const;
    const QList<QVariantMap> &browseFiles() const { return m_browseFiles; }
    const QVariantMap &browseFTPProperties() const { return m_browseFTPProperties; }
    QStringList historyTitles() const;
    // The folder now listed: the last path of "dictKeyFTPResponsePWD", "" before any listing.
    QString currentFolder() const;
    QString statusText() const;
    int phase() const { return m_phase; }

    // --- Path rules ----------------------------------------------------------------------------
    // The history titles of a folder, each a full path: "~" for the home folder (when the
    // browser writes it so), then the folder's components one by one ("~", "~/www",
    // "~/www/feeds"; "/", "/var", "/var/www"; "Sites", "Sites/feeds").
    static QStringList historyTitlesForPath(const QString &path, const QString &home,
                                            bool tildeForHome);
    // The path's components: a leading "/" is one, empty ones are dropped.
    static QStringList pathComponents(const QString &path);
    static QString appendingPathComponent(const QString &base, const QString &component);
    // The path cut before its last component, ending in "/" ("~/www/a.txt" gives "~/www/").
    static QString deletingLastPathComponent(const QString &path);
    // The rest of the path inside the home folder, or nothing when it lies outside.
    static std::optional<QString> insideHome(const QString &path, const QString &home);

protected:
    // The browser's part of browse(): set the home folder, the title and start the first
    // listing. Called with the window built, the account and the folder stored.
    virtual void startBrowsing() = 0;
    // The dialog has closed: stop whatever transfer runs so that nothing reaches this browser
    // afterwards.
    virtual void stopBrowsing() { }
    // Whether the history writes the home folder as "~" (not on the online disk).
    virtual bool writesHomeAsTilde() const { return true; }

    // Shows a new listing: the entries (names beginning with "." are left out), the history for
    // the folder it is of, and that folder as the one element of "dictKeyFTPResponsePWD".
    void showListing(const QList<QVariantMap> &files, const QString &listedPath);
    void reloadTable();
    void setStatus(const QString &text);
    // The progress indicator: spinning without a known amount, filling with one.
    void startProgress();
    void setProgressAmount(qint64 value, qint64 maximum);
    void stopProgress();
    QString selectedHistoryTitle() const;
    void setWindowTitle(const QString &title);
    void setNewFolderAvailable(bool available);
    QString newFolderName() const;
    void clearNewFolderName();
    // The top-folder button and the go-to field, for a browser that can reach any folder.
    void setGoToAvailable(bool available);
    // Names beginning with "." are never shown.
    static bool isHiddenEntry(const QVariantMap &entry);
    static QList<QVariantMap> withoutHiddenEntries(const QVariantList &entries);
    // The status of a listing cut at the limit of entries kept.
    static QString listingLimitText();

    QList<QVariantMap> m_browseFiles;
    QVariantMap m_browseFTPProperties;
    int m_phase = 0;

private:
    void buildWindow();
    void updateUpButton();
    void listHistoryTitle(int index);
    QVariant iconForEntry(QVariantMap &entry) const;

    QString m_username;
    QString m_password;
    QString m_homeDir;
    QString m_directory;

    QPointer<QDialog> m_window;
    VLXTableView *m_browseTable = nullptr;
    VLXPopUpButton *m_browseHistory = nullptr;
    VLXButton *m_browseUpHistory = nullptr;
    VLXTextField *m_browseNewFolderName = nullptr;
    VLXButton *m_browseNewFolder = nullptr;
    VLXButton *m_browseTop = nullptr;
    VLXTextField *m_browseGoTo = nullptr;
    QProgressBar *m_progress = nullptr;
    QLabel *m_statusText = nullptr;
};

template<typename T> T *VLXBrowseBase::outlet(const QString &name) const
{
    return m_window ? m_window->findChild<T *>(name) : nullptr;
}
