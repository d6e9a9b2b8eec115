#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <memory>

class AboutWindow;
class QtHelpService;
class QMainWindow;
class QTimer;
class Vellumcast;

// The application delegate: prepares the user folder and the first path settings, starts the
// transfer layer, creates the one feed window, hands it the documents to open, answers the Help
// and About commands, and runs the quit order (window, settings, transfer layer).
class Controller : public QObject
{
    Q_OBJECT
public:
    explicit Controller(QObject *parent = nullptr);
    ~Controller() override;

    // Alerts, file choosers and the status line through the desktop (tests script their own).
    static void installDesktopServices();

    // The whole start-up, as the platform would drive it: will-finish, the documents, did-finish.
    void start(const QStringList &files);

    void awakeFromNib();
    void applicationWillFinishLaunching();
    bool applicationOpenFile(const QString &path);
    // Documents a later start of the program handed over: the window comes forward and opens
    // them once it is free (no question or dialog up, no feed being read). Those beyond the
    // bounds of the queue are dropped, with a line in the log.
    void documentsHandedOver(const QStringList &documents);
    void applicationDidFinishLaunching();
    void openVellumcastWindow();
    bool applicationShouldTerminate();
    void applicationWillTerminate();

    bool helpForField(const QString &anchor);
    void aboutActionShow();
    void aboutActionOK();

    Vellumcast *feedController() const;
    QMainWindow *mainWindow() const;
    // Documents handed over before the window exists, in the order they came.
    QStringList filesToOpenLater() const { return m_filesToOpenLater; }
    // Handed-over documents waiting to open, oldest first.
    QStringList handedOverWaiting() const { return m_handedOver; }
    // The most handed-over documents that wait, and the most characters they hold together: a
    // later start that keeps handing over while a question is up grows the queue no further.
    static constexpr int kMostWaiting = 256;
    static constexpr qsizetype kMostWaitingCharacters = 4 * 1024 * 1024;
    // What went wrong while preparing the user folder; empty when nothing did.
    QString userFolderProblem() const { return m_userFolderProblem; }
    bool transferLayerStarted() const { return m_transferLayerStarted; }

    // "Documents/Vellumcast" in the home folder, and its six subfolders.
    static QString userFolder();
    static QStringList userSubfolders();
    // The text the transfer layer names itself with, also the user agent of every fetch.
    static QString signature();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool prepareUserFolder();
    void giveFirstPathSettings();
    void giveFallbackPathSettings();
    void installCommands();
    void openHandedOverWhenFree();

    QPointer<Vellumcast> m_feedController;
    QStringList m_filesToOpenLater;
    QStringList m_handedOver;
    // Opens the next handed-over document from the window's own event loop, one at a time.
    QTimer *m_openHandedOver = nullptr;
    bool m_openingHandedOver = false;
    // The log has said that documents are dropped, and no waiting one has opened since.
    bool m_droppingHandedOver = false;
    QString m_userFolderProblem;
    bool m_transferLayerStarted = false;
    bool m_terminated = false;
    std::shared_ptr<QtHelpService> m_help;
    std::unique_ptr<AboutWindow> m_about;
};
