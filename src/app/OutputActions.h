#pragma once

#include <QObject>
#include <functional>

class ExportSheet;
class FeedDocument;
class FeedSaving;
class PreviewWindow;
class QPrinter;
class WindowServices;

// What the loaded feed is made into besides its file: the export sheet, the preview and the
// printouts (on the shared page settings), and the sort of its items.
class OutputActions : public QObject
{
    Q_OBJECT
public:
    OutputActions(WindowServices &window, FeedSaving &saving, QObject *parent);

    // Offers the export, preview, printing and sort commands.
    void setUpOutputCommands();
    // The export sheet for the loaded feed, once it passed the required-field check.
    void exportFeed();
    // Opens the preview of the loaded feed; while it is open, prints it.
    void printDocument();
    // The printouts; with the panel the user picks the printer first. False when nothing was
    // printed.
    bool printDocumentUsingPrintPanel(bool showPanels); // the feed rendered as in the preview
    bool printDocumentXML(bool showPanels = true); // the feed's XML
    void runPageLayout();
    // Opens the sort sheet (nothing for a feed without items).
    void sortOpen();
    // Sorts the items as one undo step "Sort on <field>"; items already in that order change
    // nothing and leave no undo step (false). More than 2,000 items sort on the loader's worker
    // behind its progress dialog, whose Cancel leaves them as they were (false).
    bool sortItems(const QString &field, bool byNumber, bool ascending);
    // The sheets, made on first use and kept with the window.
    ExportSheet *exportSheet();
    PreviewWindow *previewWindow();

private:
    bool printWithPanel(bool showPanels, const std::function<bool(QPrinter &)> &print);

    WindowServices &m_window;
    FeedSaving &m_saving;
    FeedDocument *m_document;
};
