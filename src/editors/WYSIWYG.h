#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariant>
#include <QVariantMap>
#include <functional>
#include <memory>

class EditorBridge;
class EditorWebPage;
class LockedWebProfile;
class QAction;
class QEventLoop;
class QMainWindow;
class QMenu;
class QPrinter;
class QTableWidget;
class QToolBar;
class QUndoStack;
class QWidget;
class VLXTextViewHTML;
class VLXWebView;
class editImageLink;
class editLink;

// The HTML editor: a description (or any HTML field) edited as formatted text in an editable
// web view, with the markup mirrored read-only beside it, a toolbar, a context menu, a symbols
// panel and the link and image sheets. It edits a copy: whoever opened it reads html() after the
// editor reported that it closed keeping the changes.
//
// The window does not block its caller. Opening takes a did-end callback and a context:
//   "initialValue"  the HTML to edit
//   "fieldName"     the window title
//   "object"        anything; handed back in the result
//   "index"         a number kept for the caller (-1 for a channel field, else the item's row)
// On closing, after the window is gone, the callback gets {"result": 1 keep / 0 discard,
// "object": the context's object}; html() is ready by then and stays readable until the editor
// is destroyed. Without a callback, runModal() runs the editor in a loop of its own instead.
//
// The page runs none of its own scripts; the editor's script (in the application's world) does
// the DOM work and reports every change. The history is the editor's own stack of snapshots of
// the body (the engine's undo takes no custom steps and forgets everything on a reload): the
// edited flag follows it, so undoing back to the opened text clears the flag and redoing sets it.
//
// Inside the editor a no-break space is held as U+02FD, so that it survives the engine's
// editing as a character of its own; html() writes it as "&nbsp;" again.
class WYSIWYG : public QObject
{
    Q_OBJECT
public:
    using DidEnd = std::function<void(const QVariantMap &result)>;

    static constexpr char16_t kNoBreakPlaceholder = u'\u02FD';
    // The longest a preview may take, and the most bytes it may read (tests shorten them).
    static constexpr int kPreviewTimeoutSeconds = 15;

    explicit WYSIWYG(QObject *parent = nullptr);
    ~WYSIWYG() override;

    // Opens the window on the context; false when it cannot be shown (the caller drops the
    // editor). The callback may be empty: then only runModal() ends the editor. Given a window,
    // the editor opens over it as its sheet: that window stays in sight and takes no input until
    // the editor ends.
    bool showEditWindow(DidEnd didEnd, const QVariantMap &context, QWidget *sheetOf = nullptr);
    // Opens the window and runs it in a loop of its own: 1 when the changes are kept, 0 for
    // "Don't Save".
    int runModal(const QVariantMap &context);

    // The cleaned body markup, computed when the editor closed; the same text on every call.
    QString html() const { return m_html; }
    // Computes the cleaned body markup of the document as it is now.
    void computeHTML(std::function<void(const QString &)> done);
    bool isDocumentEdited() const { return m_edited; }
    int index() const { return m_index; }
    QString initial() const { return m_initial; }
    QVariant editObject() const { return m_editObject; }

    void setDocumentEdited(bool edited);
    // As setDocumentEdited; an unedited document with flush also forgets its history.
    void setDocumentEdited(bool edited, bool flushUndos);
    QUndoStack *undoManager() const { return m_undo; }
    void undo();
    void redo();

    // The window's actions.
    void save();
    void close();
    void reload();
    void printDocument();
    void runPageLayout();
    // The document as a PDF file on the shared page settings; pdfPrinted() tells the outcome.
    void printToPdf(const QString &path);

    // --- Commands (WYSIWYG+Commands.cpp) -------------------------------------------------------
    void buttonAlignLeft();
    void buttonAlignCenter();
    void buttonAlignRight();
    void buttonAlignFill();
    void buttonNormalText();
    void buttonBoldText();
    void buttonItalicText();
    void buttonUnderlineText();
    void buttonNBSP();
    void buttonLink();
    void buttonImage();
    void buttonColors();
    void buttonFonts();
    void showSymbols();
    // Types the character of the symbol cell n (row * 8 + column).
    void matrixAction(int n);
    void editLinkContextMenuNode();
    void editImageContextMenuNode();
    // The sheets' reports: 1 OK, 0 Cancel.
    void editLinkDone(int code);
    void editImageLinkDone(int code);

    static QStringList defaultToolbarItemIdentifiers();
    static QStringList allowedToolbarItemIdentifiers();
    static QString toolbarKey();
    // The character of symbol cell n (0 to 127).
    static QChar symbolForCell(int n);
    static constexpr int kSymbolRows = 16;
    static constexpr int kSymbolColumns = 8;

    // The HTML as the engine gets it (no-break spaces as the placeholder, U as underline spans)
    // and the cleaned body markup as the caller gets it back.
    static QString prepareForEditing(const QString &html);
    static QString finishEditedHTML(const QString &body);
    // The text as a string literal of the editor's script.
    static QString scriptString(const QString &text);

    // --- Parts of the window, for the panes around it and for tests ----------------------------
    QMainWindow *window() const { return m_window; }
    VLXWebView *web() const { return m_web; }
    EditorWebPage *page() const { return m_page; }
    VLXTextViewHTML *text() const { return m_text; }
    QWidget *specialCharactersPanel() const { return m_symbols; }
    QTableWidget *characterMatrix() const { return m_matrix; }
    QToolBar *toolbar() const { return m_toolbar; }
    QAction *toolbarAction(const QString &identifier) const
    {
        return m_toolbarItems.value(identifier);
    }
    // The open link and image sheets, null while none is open.
    editLink *link() const;
    editImageLink *image() const;
    // The body is in place and the script answers.
    bool isReady() const { return m_ready; }
    // Runs an expression of the editor's script world and hands its value back.
    void evaluate(const QString &script, std::function<void(const QVariant &)> done = {});

signals:
    // The opening HTML is in place (after opening and after Reload).
    void documentReady();
    // The document changed and the mirror shows it.
    void documentChanged();
    void editedChanged(bool edited);
    void pdfPrinted(const QString &path, bool success);
    // The window closed with this result (after the did-end callback ran).
    void closed(int result);

private:
    struct Snapshot
    {
        QString html;
        QString selection; // the script's serialised selection, "null" for none
    };
    class SnapshotCommand;
    friend class SnapshotCommand;

    void buildWindow();
    void connectPage();
    void scriptReady();
    void putBody(const Snapshot &snapshot);
    void documentChangedInPage(int generation, const QString &html, const QString &kind,
                               const QString &before, const QString &after);
    void historyRequested(bool redo, int generation);
    void showMirror(const QString &html);
    // Takes in what the page holds but has not reported yet, then runs then.
    void settle(std::function<void()> then);
    void closeSettled();
    void finish(int result);
    void closeWindowAndReport(int result);
    bool windowShouldClose();

    // WYSIWYG+Commands.cpp
    void setupToolbar();
    QAction *makeToolbarAction(const QString &identifier);
    void buildSymbolsPanel();
    void fillMatrix();
    void exec(const QString &command, const QString &value = QString());
    void buildContextMenu(QMenu *menu);
    void navigationRefused(const QUrl &url, int type);
    void openLinkSheet(const QVariantMap &info);
    void openImageSheet(const QVariantMap &info);
    void openSheetFor(const QVariantMap &info);
    // Runs the script's placement (none: the sheet was cancelled) and lets go of the nodes the
    // sheet kept.
    void placeFromSheet(const QString &placement, const QVariantMap &request,
                        const QList<int> &keptNodes);
    void unableToComplete();

    QPointer<QMainWindow> m_window;
    QPointer<QWidget> m_symbols;
    VLXWebView *m_web = nullptr;
    LockedWebProfile *m_profile = nullptr; // deleted after the window and its page
    EditorWebPage *m_page = nullptr;
    EditorBridge *m_bridge = nullptr;
    VLXTextViewHTML *m_text = nullptr;
    QTableWidget *m_matrix = nullptr;
    QToolBar *m_toolbar = nullptr;
    QHash<QString, QAction *> m_toolbarItems;
    QUndoStack *m_undo = nullptr;
    std::unique_ptr<QPrinter> m_printer;

    QString m_initial;
    QVariant m_editObject;
    DidEnd m_didEnd;
    int m_index = -1;
    bool m_edited = false;
    bool m_loaded = false; // the wrapper page finished loading
    bool m_scriptUp = false; // the script reported over the channel
    bool m_ready = false;
    bool m_closing = false;
    bool m_settling = false; // close or save waits for the page's body
    bool m_rendererGone = false;
    int m_generation = 0;
    Snapshot m_current;
    QString m_html;
    QEventLoop *m_modalLoop = nullptr;
    QString m_menuTarget; // what the page said the next context menu is over
    QPointer<editLink> m_link;
    QPointer<editImageLink> m_image;
};
