// The commands of the XML source window: saving, closing, reverting, reformatting, colours,
// jumping, finding and printing.
#include "editors/MNLineNumberingRulerView.h"
#include "editors/TextFinder.h"
#include "editors/XMLSourceController.h"
#include "editors/XMLSourceTextView.h"
#include "io/VLXParseFeed.h"
#include "model/VLXLogic.h"
#include "platform/AlertService.h"
#include "ui/TextPrinter.h"
#include "ui/printInfoManager.h"
#include "xml/vlxXMLDOM.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QTabWidget>
#include <QTextBlock>

namespace {
// The colour mode as a step of the undo history: the text is not touched.
class ColorModeCommand : public QUndoCommand
{
public:
    ColorModeCommand(XMLSourceController *controller, bool useColor)
        : QUndoCommand(useColor ? QObject::tr("Colorize XML") : QObject::tr("Uncolorize XML")),
          m_controller(controller), m_useColor(useColor)
    {
    }
    void undo() override { m_controller->applyColorMode(!m_useColor); }
    void redo() override { m_controller->applyColorMode(m_useColor); }

private:
    XMLSourceController *m_controller;
    bool m_useColor;
};
// The serialised tree keeps the line breaks and indentation the text had between its tags;
// the indenting puts its own there, so a run of white space between two pieces of markup goes.
// Comments and CDATA sections are copied whole, whatever they hold.
QString withoutWhitespaceBetweenTags(QStringView xml)
{
    struct Markup
    {
        QStringView open;
        QStringView close;
    };
    static const Markup kinds[] = {{u"<!--", u"-->"}, {u"<![CDATA[", u"]]>"}, {u"<", u">"}};
    QString out;
    out.reserve(xml.size());
    qsizetype i = 0;
    while (i < xml.size()) {
        if (xml[i] == u'<') {
            for (const Markup &kind : kinds) {
                if (!xml.sliced(i).startsWith(kind.open))
                    continue;
                const qsizetype close = xml.indexOf(kind.close, i + kind.open.size());
                const qsizetype end = close < 0 ? xml.size() : close + kind.close.size();
                out += xml.sliced(i, end - i);
                i = end;
                break;
            }
            continue;
        }
        qsizetype next = xml.indexOf(u'<', i);
        if (next < 0)
            next = xml.size();
        const QStringView text = xml.sliced(i, next - i);
        if (!(text.trimmed().isEmpty() && out.endsWith(u'>') && next < xml.size()))
            out += text;
        i = next;
    }
    return out;
}

// The alerts that keep a refused text in the window: the user goes on mending it or gives up
// the changes (the buttons are the caller's). `why` ends in a full stop or a blank line.
Alert refusedText(const QString &title, const QString &why)
{
    Alert alert;
    alert.style = Alert::Style::Critical;
    alert.title = title;
    alert.message = why + (why.endsWith(u'\n') ? QString() : QStringLiteral("  "))
        + QStringLiteral("You may either abandon your changes and revert back to before you "
                         "started editing or continue editing and fix the error.");
    return alert;
}

// The XML parser's message and the line it names.
Alert errorInXML(int line, const QString &description)
{
    return refusedText(QStringLiteral("Error in XML"),
                       QStringLiteral("The following error was detected on line %1:\n\n%2\n\n")
                           .arg(line)
                           .arg(description));
}

int ask(Alert alert, const QString &defaultButton, const QString &alternateButton)
{
    alert.defaultButton = defaultButton;
    alert.alternateButton = alternateButton;
    return AlertService::show(alert);
}
} // namespace

QString XMLSourceController::checkedText(const QString &text) const
{
    return m_fragment ? kFragmentWrapper.arg(text) : text;
}

int XMLSourceController::parseErrorAlert(const vlxXMLDOM &dom, const QString &defaultButton,
                                         const QString &alternateButton) const
{
    return ask(dom.errors().isEmpty()
                   ? refusedText(QStringLiteral("Invalid XML"),
                                 QStringLiteral("This is no longer valid a XML file."))
                   : errorInXML(dom.errorLineNumber(), dom.errorDescription()),
               defaultButton, alternateButton);
}

int XMLSourceController::feedRefusalAlert(const VLXParseFeed &reader, const QString &defaultButton,
                                          const QString &alternateButton) const
{
    const QVariantMap error = reader.errorDictionary();
    if (!error.isEmpty()) {
        return ask(
            errorInXML(error.value(QLatin1String(vlxXMLDOM::kErrorLineNumberKey)).toInt(),
                       error.value(QLatin1String(vlxXMLDOM::kErrorDescriptionKey)).toString()),
            defaultButton, alternateButton);
    }
    // Well-formed, but no feed: the reader says what it lacks.
    QString why = QStringLiteral("This does not appear to be an XML/RSS feed.");
    if (!reader.refusal().isEmpty())
        why += QStringLiteral("\n\n%1\n\n").arg(reader.refusal());
    return ask(refusedText(QStringLiteral("Not XML/RSS"), why), defaultButton, alternateButton);
}

void XMLSourceController::saveDocument()
{
    const QString text = m_editXML->text();
    int answer = 0;
    if (m_fragment) {
        // A namespace's raw elements go into the feed as they are: they must be XML.
        vlxXMLDOM dom;
        if (dom.initWithString(checkedText(text))) {
            endModal(1);
            return;
        }
        answer = parseErrorAlert(dom, QStringLiteral("Continue Editing"),
                                 QStringLiteral("Revert and Exit"));
    } else {
        // The whole feed is read by the caller as File > Open reads a file: what the reader
        // takes, once repaired (a bare "&" in a title, say), is handed back as it was typed;
        // only what it refuses stays here to be mended, with the reason it gives.
        VLXParseFeed reader;
        if (reader.isItAFeed(text) == VLXParseFeed::Success) {
            endModal(1);
            return;
        }
        answer = feedRefusalAlert(reader, QStringLiteral("Continue Editing"),
                                  QStringLiteral("Revert and Exit"));
    }
    if (answer == AlertService::kAlternate)
        endModal(0);
}

void XMLSourceController::askToSaveChanges()
{
    Alert alert;
    alert.style = Alert::Style::Informational;
    alert.title = QStringLiteral("Warning");
    alert.message = QStringLiteral("Changes have been made to this XML, do you wish to save them?");
    alert.defaultButton = QStringLiteral("Save...");
    alert.alternateButton = QStringLiteral("Don't Save");
    alert.otherButton = QStringLiteral("Cancel");
    switch (AlertService::show(alert)) {
    case AlertService::kDefault:
        // Saving from here checks the text as the Save button does: ill-formed XML handed back
        // would be stored and written out by every later save of the feed.
        saveDocument();
        break;
    case AlertService::kAlternate:
        endModal(0);
        break;
    default:
        break;
    }
}

void XMLSourceController::close()
{
    if (isDocumentEdited())
        askToSaveChanges();
    else
        endModal(0);
}

void XMLSourceController::cancel()
{
    endModal(0);
}

bool XMLSourceController::windowShouldClose()
{
    if (isDocumentEdited())
        askToSaveChanges();
    else
        endModal(1);
    return false;
}

void XMLSourceController::revertDocumentToSaved()
{
    m_editXML->loadText(m_onEntryData);
    m_undoManager.clear();
    m_window->setWindowModified(false);
}

void XMLSourceController::reformat()
{
    const QString text = m_editXML->text();
    vlxXMLDOM dom;
    if (!dom.initWithString(checkedText(text))) {
        if (parseErrorAlert(dom, QStringLiteral("Continue"), QStringLiteral("Revert"))
            == AlertService::kAlternate)
            revertDocumentToSaved();
        return;
    }
    QByteArray serialised;
    if (m_fragment) {
        // The children of the wrapper, whatever the writer puts around them.
        const vlxXMLNode *root = dom.nodeNamed(QStringLiteral("rss"), vlxXMLDOM::Element, nullptr);
        for (int i = 0; i < vlxXMLDOM::numberOfChildren(root); ++i)
            serialised += vlxXMLDOM::xmlDataOfNode(vlxXMLDOM::nodeAtIndex(i, root));
    } else {
        serialised = dom.xmlData();
    }
    const QString formatted
        = VLXLogic::formatXML(withoutWhitespaceBetweenTags(QString::fromUtf8(serialised)));
    if (formatted == text)
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_editXML->setNextUndoName(tr("Reformat XML"));
    m_editXML->replaceAllText(formatted);
    m_editXML->setNextUndoName(QString());
    m_editXML->recolor();
    QApplication::restoreOverrideCursor();
}

void XMLSourceController::colorized()
{
    setColorMode(true);
}

void XMLSourceController::plain()
{
    setColorMode(false);
}

void XMLSourceController::setColorMode(bool useColor)
{
    if (useColor != m_useColor)
        m_undoManager.push(new ColorModeCommand(this, useColor));
}

void XMLSourceController::applyColorMode(bool useColor)
{
    m_useColor = useColor;
    m_colorizedMenuItem->setChecked(useColor);
    m_plainMenuItem->setChecked(!useColor);
    m_editXML->setColored(useColor);
    m_editXML->breakTypingMerge();
}

void XMLSourceController::jumpToLine()
{
    // Only the editable text has a ruler.
    if (m_tabView->currentWidget() != m_editXML)
        return;
    m_editXML->finishLoading();
    // The lines of the text, as the ruler numbers them and the parser counts them, whether or not
    // long ones wrap on screen.
    if (!m_editXML->verticalRuler()->showParagraph(m_lineNumber->text().toInt())) {
        QApplication::beep();
        return;
    }
    // The line's text without its break, so that what is typed over it replaces the line and
    // leaves the next one a line of its own. The caret stands at the line's start, which stays
    // in view when a long line wraps over many rows.
    QTextCursor cursor = m_editXML->textCursor();
    const QTextBlock block = m_editXML->document()->findBlock(cursor.selectionStart());
    cursor.setPosition(block.position() + block.length() - 1);
    cursor.setPosition(block.position(), QTextCursor::KeepAnchor);
    m_editXML->setTextCursor(cursor);
    m_editXML->setFocus(Qt::OtherFocusReason);
}

void XMLSourceController::orderFrontFindPanel()
{
    TextFinder &finder = TextFinder::sharedInstance();
    finder.setTextObjectToSearchIn(shownTextView());
    finder.orderFrontFindPanel();
}

void XMLSourceController::printText(QPrinter &printer)
{
    // Laid out inside the shared page margins and nothing more: QTextDocument::print would add a
    // margin and page numbers of its own on top of them.
    XMLSourceTextView *view = shownTextView();
    TextPrinter::printPlainText(view->text(), view->font(), printer);
}

bool XMLSourceController::printDocumentUsingPrintPanel(bool showPanels)
{
    QPrinter printer(QPrinter::HighResolution);
    printInfoManager::applyTo(printer);
    if (showPanels) {
        QPrintDialog dialog(&printer, m_window);
        if (dialog.exec() != QDialog::Accepted)
            return false;
    }
    printText(printer);
    return true;
}

void XMLSourceController::runPageLayout()
{
    printInfoManager::runPageLayout(m_window);
}
