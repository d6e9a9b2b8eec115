#pragma once

#include "publish/PublishView.h"

#include <QDialog>
#include <QImage>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>

#include "publish/PublishFileTableModel.h"

class PublishFileTableModel;
class QLabel;
class QProgressBar;
class QPushButton;
class VLXCheckBox;
class VLXFeed;
class VLXPopUpButton;
class VLXSite;
class VLXTableView;
class VLXTextField;
class VLXTextView;
class additionalFiles;
class vlxDisclosureButton;
class vlxFTP;

// What the feed window hands the publish sheet for one run.
struct PublishParameters
{
    VLXFeed *feed = nullptr; // borrowed; the caller keeps it alive for the run
    QString uniqueKey; // the feed's identifier, the key of its settings
    bool expandImage = false; // started from Publish Image: the image is converted and shown
    // Run just before the feed's text is made for a run: brings what the feed states of its
    // local files up to date (see vlxFTP::setBeforeFeedWritten).
    std::function<void()> beforeFeedWritten = {};
};

// The publish sheet: the window of the publisher (vlxFTP) in which the user picks the site a
// feed goes to, ticks what to publish (the feed, its image, enclosures, additional files) and
// presses Publish; with its own transfer-log window. One per program, reused by every run; it
// runs window-modal on the feed window from uploadFile() until Close.
//
// A run: clearFilenames(), the setters, uploadFile(); then the feed window reads the publish
// data back from the model and from additionalFileRecords(). Controls are found by their
// outlet names (objectName).
class PublishWindow : public QObject, public PublishView
{
    Q_OBJECT
public:
    static PublishWindow &sharedInstance();
    explicit PublishWindow(vlxFTP &publisher, QObject *parent = nullptr);
    ~PublishWindow() override;

    // --- A run ---------------------------------------------------------------------------------
    // Forgets the names, the image and its conversions, and the additional files of a run.
    void clearFilenames();
    void setInitialFilename(const QString &name) { m_initialFilename = name; }
    const QString &initialFilename() const { return m_initialFilename; }
    void setInitialImageFilename(const QString &name) { m_initialImageFilename = name; }
    const QString &initialImageFilename() const { return m_initialImageFilename; }
    void setFeedImage(const QImage &image) { m_feedImage = image; }
    void setAdditionalFiles(const QList<std::shared_ptr<additionalFiles>> &records);
    QList<std::shared_ptr<additionalFiles>> additionalFileRecords() const;
    // Fills the sheet from the feed, its settings and the sites, and runs it on the window
    // until Close; answers the code it was closed with (1).
    int uploadFile(QWidget *window, const PublishParameters &parameters);

    // The program's sheet's transfer-log window: it exists once the sheet has been made;
    // viewLog() shows it, or closes it when it is shown.
    static bool logExists();
    static void viewLog();
    // The log button: shows the log window, or closes it when it is shown.
    void toggleLogWindow();

    vlxFTP &publisher() { return m_publisher; }
    QDialog *uploadWindow() const { return m_uploadWindow; }
    QWidget *logWindow() const { return m_logWindow; }
    template<typename T = QWidget> T *outlet(const QString &name) const;
    const QList<std::shared_ptr<VLXSite>> &allPublishSites() const { return m_allPublishSites; }
    const std::shared_ptr<VLXSite> &pubSite() const { return m_pubSite; }
    bool isShowingContents() const;

    // --- Actions of the sheet (PublishWindow+Sites.cpp) ----------------------------------------
    void siteChanged();
    void modifyThisSite();
    void createNewSite();
    void browseDirectories(Field target);
    void uploadImageCheckBoxAction();
    // Add (1), Delete (2) and Modify (3) of the additional files.
    void otherFilesAction(int tag);
    void otherFilesDoubleAction(int row);
    void hideContents(bool hide);
    void limitedChanged();
    // The Cancel button: Abort while a run goes on, else Close.
    void cancelAction();

    // --- PublishView ---------------------------------------------------------------------------
    bool isOn(Toggle toggle) const override;
    void setOn(Toggle toggle, bool on) override;
    QString text(Field field) const override;
    void setText(Field field, const QString &text) override;
    bool isSectionOpen(Table table) const override;
    void setSectionOpen(Table table, bool open) override;
    void reloadTable(Table table) override;
    void setStatus(const QString &text) override;
    void setProgress(const Progress &progress) override;
    void setLastPublished(Stamp stamp, const QString &text) override;
    void setRunning(bool running) override;
    void transferLogCleared() override;
    void transferLogAppended(const QString &text) override;
    void showAlertSheet(const Alert &alert) override;
    void imageConversionEnded(bool anyImage) override;
    void closeWindow() override;

private:
    // The interface (PublishWindow.cpp).
    void loadInterface();
    QWidget *buildSiteRow();
    QWidget *buildFeedSection();
    QWidget *buildImageSection();
    QWidget *buildEnclosureSection();
    QWidget *buildOtherFilesSection();
    QWidget *buildStatusBox();
    QWidget *buildLogWindow();
    QWidget *sectionHead(vlxDisclosureButton *disclosure, VLXCheckBox *check, QWidget *status);
    VLXTableView *fileTable(const QString &name, PublishFileTableModel *model);
    VLXCheckBox *toggleBox(Toggle toggle) const;
    VLXTextField *fieldBox(Field field) const;
    vlxDisclosureButton *sectionDisclosure(Table table) const;

    // Filling the sheet for a run (PublishWindow+Run.cpp).
    void fillForRun(const PublishParameters &parameters);
    void startImageConversion();
    std::shared_ptr<VLXSite> currentSiteOfFeed();
    std::shared_ptr<VLXSite> migrateFeedSettings();
    std::shared_ptr<VLXSite> createSiteFromFeedSettings();
    void fillSitePopUp(const std::shared_ptr<VLXSite> &current);
    void showRemoteNames();
    void tableCheckBoxClicked(Table table, int row);
    void updateOtherFilesButtons();

    vlxFTP &m_publisher;
    QPointer<QDialog> m_uploadWindow;
    QPointer<QWidget> m_logWindow;
    QPointer<VLXTextView> m_transferLog;
    QPointer<VLXPopUpButton> m_publishSites;
    QPointer<QWidget> m_contentsBox;
    QPointer<QProgressBar> m_progress;
    QPointer<QProgressBar> m_imageGeneratingProgress;
    QPointer<QLabel> m_statusText;
    QPointer<QPushButton> m_uploadButton;
    QPointer<QPushButton> m_cancelButton;
    QPointer<QPushButton> m_viewLogButton;
    QPointer<VLXTableView> m_enclosureTable;
    QPointer<VLXTableView> m_otherFilesTable;
    QPointer<PublishFileTableModel> m_enclosureModel;
    QPointer<PublishFileTableModel> m_otherFilesModel;

    QString m_initialFilename;
    QString m_initialImageFilename;
    QImage m_feedImage;
    VLXFeed *m_feed = nullptr;
    QString m_uniqueKey;
    std::shared_ptr<VLXSite> m_pubSite;
    QList<std::shared_ptr<VLXSite>> m_allPublishSites;
    int m_fullHeight = 700; // the window's height with its contents, while they are hidden
    bool m_running = false;
};

template<typename T> T *PublishWindow::outlet(const QString &name) const
{
    if (!m_uploadWindow)
        return nullptr;
    // The log window is a window of its own inside the sheet.
    return m_uploadWindow->findChild<T *>(name);
}
