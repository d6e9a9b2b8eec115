#pragma once

#include "editors/XMLSourceRequest.h"

#include <QDialog>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QUndoStack>
#include <functional>
#include <optional>

class QAction;
class QLineEdit;
class QPrinter;
class QTabWidget;
class QWidget;
class VLXParseFeed;
class XMLSourceTextView;
class vlxXMLDOM;

// The modal window in which the user reads and edits raw XML: a feed's whole RSS text, the text
// of a file that failed to parse, or the raw fragment kept for an unknown namespace. Tab 0 holds
// the editable text with line numbers, tab 1 the original text, read-only, when the caller has
// one. The text can be coloured or plain, reformatted, validated by parsing, searched with the
// shared find panel, printed and reverted, and every change can be undone.
//
// A caller makes a controller, runs editXML once and reads sourceData() after a result of 1.
// Save hands back a whole feed's text when the feed reader takes it, as opening a file would
// (with its repairs). In fragment mode the text is checked as XML and reformatted inside the
// wrapper kFragmentWrapper, so several sibling elements or plain text are accepted.
class XMLSourceController : public QObject
{
    Q_OBJECT
public:
    static const QString kFragmentWrapper; // "<?xml version=\"1.0\"?><rss>%1</rss>"
    static const QString kHelpAnchor; // "RSSXMLSource"

    explicit XMLSourceController(QWidget *parent = nullptr);
    ~XMLSourceController() override;

    // Runs one window on the request: the edited text when the user kept it, else nothing.
    static std::optional<QString> edit(const XMLSourceRequest &request, QWidget *parent);

    void setXMLFragment(bool fragment) { m_fragment = fragment; }
    bool isXMLFragment() const { return m_fragment; }
    // Namespace prefixes whose tags are coloured too.
    void setUsedExtensions(const QStringList &prefixes) { m_usedExtensions = prefixes; }
    QStringList usedExtensions() const { return m_usedExtensions; }
    // Why the text was refused, shown in the message list beside the window while it is open
    // under the label of its kind (none: a validation error), and the line shown first, its text
    // selected (0: the text's start). The list stays clear of that line.
    void setRefusal(const QString &reason, int line, const QString &kind = {})
    {
        m_refusal = reason;
        m_startLine = line;
        m_refusalKind = kind;
    }

    // Runs the window until it closes: 1 when the user kept the text, 0 when it was abandoned.
    // However it closes, the message list goes with it and the window it was opened over gets the
    // keyboard back.
    int editXML(const std::optional<QString> &original, const QString &current);
    // The edited text (read it after a result of 1).
    QString sourceData();
    QString originalData() const { return m_originalData; }

    // The window's commands (buttons, menus and keys send them).
    void saveDocument();
    void close();
    void cancel();
    void revertDocumentToSaved();
    void reformat();
    void colorized();
    void plain();
    void jumpToLine();
    void orderFrontFindPanel();
    void undo() { m_undoManager.undo(); }
    void redo() { m_undoManager.redo(); }
    void printDocument() { printDocumentUsingPrintPanel(true); }
    bool printDocumentUsingPrintPanel(bool showPanels);
    void runPageLayout();
    // The close box: never closes by itself; the answer given ends the run or keeps it.
    bool windowShouldClose();

    // Prints the shown tab's text, wrapped to the page, on a printer that is set up.
    void printText(QPrinter &printer);

    QUndoStack *undoManager() { return &m_undoManager; }
    QDialog *window() const { return m_window; }
    XMLSourceTextView *editXMLView() const { return m_editXML; }
    XMLSourceTextView *originalXMLView() const { return m_originalXML; }
    QTabWidget *tabView() const { return m_tabView; }
    QLineEdit *lineNumberField() const { return m_lineNumber; }
    bool isDocumentEdited() const { return !m_undoManager.isClean(); }
    bool useColor() const { return m_useColor; }
    // Sets the colour mode and recolours; what the colour commands do and undo.
    void applyColorMode(bool useColor);

private:
    void buildWindow();
    void buildMenus();
    QAction *addAction(class QMenu *menu, const QString &title, const QKeySequence &shortcut,
                       void (XMLSourceController::*slot)());
    void setColorMode(bool useColor);
    void askToSaveChanges();
    void endModal(int code);
    void showRefusal();
    // Calls `then` on this window's thread once the window is on screen where it stays.
    void whenOnScreen(std::function<void()> then);
    // The part of the screen the named line takes in the view (empty when it is out of sight).
    QRect namedLineArea() const;
    void keepNamedLineClearOfList();
    void closeList();
    QString checkedText(const QString &text) const;
    int parseErrorAlert(const vlxXMLDOM &dom, const QString &defaultButton,
                        const QString &alternateButton) const;
    // Why the reader refused the text as a feed: the parser's message and line, or its reason.
    int feedRefusalAlert(const VLXParseFeed &reader, const QString &defaultButton,
                         const QString &alternateButton) const;
    XMLSourceTextView *shownTextView();
    void showOriginalWhenAsked(int tab);

    QWidget *m_parent;
    QPointer<QDialog> m_window;
    QTabWidget *m_tabView = nullptr;
    QWidget *m_originalTab = nullptr;
    XMLSourceTextView *m_editXML = nullptr;
    XMLSourceTextView *m_originalXML = nullptr;
    QLineEdit *m_lineNumber = nullptr;
    QAction *m_colorizedMenuItem = nullptr;
    QAction *m_plainMenuItem = nullptr;
    QUndoStack m_undoManager;

    QString m_originalData;
    bool m_originalShown = false;
    QString m_onEntryData;
    QStringList m_usedExtensions;
    bool m_useColor = true;
    bool m_fragment = false;
    QString m_refusal;
    QString m_refusalKind;
    int m_startLine = 0;
    bool m_listShown = false;
};
