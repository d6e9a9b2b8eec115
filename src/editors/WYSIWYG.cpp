#include "editors/WYSIWYG.h"

#include "editors/EditorBridge.h"
#include "editors/EditorWebPage.h"
#include "editors/editImageLink.h"
#include "editors/editLink.h"
#include "io/CURLHandle.h"
#include "platform/AlertService.h"
#include "ui/ClosingKeys.h"
#include "ui/LockedWebProfile.h"
#include "ui/VLXTextViewHTML.h"
#include "ui/VLXWebView.h"
#include "ui/printInfoManager.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDebug>
#include <QEventLoop>
#include <QFile>
#include <QMainWindow>
#include <QPrintDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <QSplitter>
#include <QTimer>
#include <QUndoStack>
#include <QWebChannel>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWindow>

namespace {
// Every document the editor shows is this page with an empty body; the body itself is put in by
// the script, so that texts of any length load the same way and Reload and undo need no new page.
const QString kDocumentWrapper = QStringLiteral(
    "<!doctype html public \"-//w3c//dtd html 3.2//en\"><HTML><HEAD></HEAD><BODY></BODY></HTML>");

// The named references an HTML reader takes without their closing ";" (the Latin-1 names and
// the capitalised forms of a few), as alternatives of a pattern.
const QString kNamesReadWithoutSemicolon = QStringLiteral(
    "AElig|AMP|Aacute|Acirc|Agrave|Aring|Atilde|Auml|COPY|Ccedil|ETH|Eacute|Ecirc|Egrave|Euml|GT|"
    "Iacute|Icirc|Igrave|Iuml|LT|Ntilde|Oacute|Ocirc|Ograve|Oslash|Otilde|Ouml|QUOT|REG|THORN|"
    "Uacute|Ucirc|Ugrave|Uuml|Yacute|aacute|acirc|acute|aelig|agrave|amp|aring|atilde|auml|"
    "brvbar|ccedil|cedil|cent|copy|curren|deg|divide|eacute|ecirc|egrave|eth|euml|frac12|frac14|"
    "frac34|gt|iacute|icirc|iexcl|igrave|iquest|iuml|laquo|lt|macr|micro|middot|nbsp|not|ntilde|"
    "oacute|ocirc|ograve|ordf|ordm|oslash|otilde|ouml|para|plusmn|pound|quot|raquo|reg|sect|shy|"
    "sup1|sup2|sup3|szlig|thorn|times|uacute|ucirc|ugrave|uml|uuml|yacute|yen|yuml");

// How long the cleaned markup may take before the editor falls back on the last text the page
// reported (a page that no longer answers must not keep the user's text hostage).
constexpr int kCleanTimeoutMs = 5000;

// A window whose close box asks the editor (which may keep it open) instead of closing.
class EditorWindow : public QMainWindow
{
public:
    explicit EditorWindow(std::function<bool()> shouldClose) : m_shouldClose(std::move(shouldClose))
    {
    }

protected:
    void closeEvent(QCloseEvent *event) override
    {
        if (m_shouldClose())
            event->accept();
        else
            event->ignore();
    }

private:
    std::function<bool()> m_shouldClose;
};

void replaceRepeated(QString &text, const QString &find, const QString &with,
                     Qt::CaseSensitivity cs)
{
    for (;;) {
        const QString before = text;
        text.replace(find, with, cs);
        if (text == before)
            return;
    }
}

// Names of the undo steps, by the kind of change the page reported.
QString stepName(const QString &kind)
{
    static const QHash<QString, QString> names {
        {QStringLiteral("insertLink"), QStringLiteral("Insert/Edit Link")},
        {QStringLiteral("insertImage"), QStringLiteral("Insert/Edit Image")},
        {QStringLiteral("insertText"), QStringLiteral("Typing")},
        {QStringLiteral("insertParagraph"), QStringLiteral("Typing")},
        {QStringLiteral("insertLineBreak"), QStringLiteral("Typing")},
        {QStringLiteral("deleteContentBackward"), QStringLiteral("Delete")},
        {QStringLiteral("deleteContentForward"), QStringLiteral("Delete")},
        {QStringLiteral("deleteByCut"), QStringLiteral("Cut")},
        {QStringLiteral("insertFromPaste"), QStringLiteral("Paste")},
        {QStringLiteral("insertFromDrop"), QStringLiteral("Drag")},
        {QStringLiteral("formatBold"), QStringLiteral("Bold")},
        {QStringLiteral("formatItalic"), QStringLiteral("Italic")},
        {QStringLiteral("formatUnderline"), QStringLiteral("Underline")},
        {QStringLiteral("formatRemove"), QStringLiteral("Normal")},
        {QStringLiteral("formatJustifyLeft"), QStringLiteral("Align Left")},
        {QStringLiteral("formatJustifyCenter"), QStringLiteral("Align Center")},
        {QStringLiteral("formatJustifyRight"), QStringLiteral("Align Right")},
        {QStringLiteral("formatJustifyFull"), QStringLiteral("Align Fill")},
        {QStringLiteral("formatFontColor"), QStringLiteral("Color")},
        {QStringLiteral("formatFontName"), QStringLiteral("Font")},
    };
    return names.value(kind, QStringLiteral("Edit"));
}

// Typing runs that go on where the last one stopped become one step.
bool mergesWhileContinued(const QString &kind)
{
    return kind == QLatin1String("insertText") || kind == QLatin1String("deleteContentBackward")
        || kind == QLatin1String("deleteContentForward");
}

QString scriptSource()
{
    QString source;
    for (const char *path : {":/qtwebchannel/qwebchannel.js", ":/editors/WYSIWYGScript.js"}) {
        QFile file {QString::fromLatin1(path)};
        if (!file.open(QIODevice::ReadOnly))
            qWarning("The HTML editor's script %s is missing", path);
        source += QString::fromUtf8(file.readAll()) + QLatin1Char('\n');
    }
    return source;
}

} // namespace

// One step of the history: the body before and after a change. The first redo is the change the
// user already made in the page, so it does nothing.
class WYSIWYG::SnapshotCommand : public QUndoCommand
{
public:
    SnapshotCommand(WYSIWYG *editor, Snapshot before, Snapshot after, const QString &kind)
        : QUndoCommand(stepName(kind)), m_editor(editor), m_before(std::move(before)),
          m_after(std::move(after)), m_kind(kind)
    {
    }
    void undo() override { m_editor->putBody(m_before); }
    void redo() override
    {
        if (m_done)
            m_editor->putBody(m_after);
        m_done = true;
    }
    int id() const override { return mergesWhileContinued(m_kind) ? 1 : -1; }
    bool mergeWith(const QUndoCommand *other) override
    {
        const auto *next = static_cast<const SnapshotCommand *>(other);
        if (next->m_kind != m_kind || next->m_before.selection != m_after.selection)
            return false;
        m_after = next->m_after;
        return true;
    }

private:
    WYSIWYG *m_editor;
    Snapshot m_before;
    Snapshot m_after;
    QString m_kind;
    bool m_done = false;
};

WYSIWYG::WYSIWYG(QObject *parent) : QObject(parent), m_undo(new QUndoStack(this))
{
    connect(m_undo, &QUndoStack::cleanChanged, this, [this](bool clean) {
        if (m_edited == clean)
            setDocumentEdited(!clean);
    });
}

WYSIWYG::~WYSIWYG()
{
    delete m_symbols.data();
    delete m_window.data();
}

QString WYSIWYG::prepareForEditing(const QString &html)
{
    QString text = html;
    replaceRepeated(text, QStringLiteral("&nbsp;"), QString(QChar(kNoBreakPlaceholder)),
                    Qt::CaseInsensitive);
    // The engine's own underline used to be such a span, and html() turns it back into U.
    replaceRepeated(text, QStringLiteral("<u>"),
                    QStringLiteral("<span class=\"Apple-style-span\" style=\"text-decoration: "
                                   "underline;\">"),
                    Qt::CaseInsensitive);
    replaceRepeated(text, QStringLiteral("</u>"), QStringLiteral("</span>"), Qt::CaseInsensitive);
    return text;
}

QString WYSIWYG::finishEditedHTML(const QString &body)
{
    QString text = body;
    replaceRepeated(text, QString(QChar(kNoBreakPlaceholder)), QStringLiteral("&nbsp;"),
                    Qt::CaseSensitive);
    // The engine writes lower-case tags: an empty block it leaves behind is one line break.
    replaceRepeated(text, QStringLiteral("<div><br></div>"), QStringLiteral("<br>"),
                    Qt::CaseSensitive);
    // The engine writes every ampersand as "&amp;", the description holds it as typed: a bare
    // "&" (the feed's own XML escapes it once more). The reference stays wherever a bare "&"
    // would be read as the start of another reference: before a name and ";" ("&amp;lt;" is the
    // text "&lt;", not "<"), before a number, and before one of the old names that are read
    // without their ";" ("&amp;copy notes" is the text "&copy notes", "&copy notes" reads
    // "\u00A9 notes").
    static const QRegularExpression ampersand(
        QStringLiteral("&amp;(?!#?[A-Za-z0-9]+;|#[0-9]|#[xX][0-9A-Fa-f]|%1)")
            .arg(kNamesReadWithoutSemicolon));
    text.replace(ampersand, QStringLiteral("&"));
    return text;
}

QString WYSIWYG::scriptString(const QString &text)
{
    QString quoted;
    quoted.reserve(text.size() + 2);
    quoted += QLatin1Char('"');
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '"':
            quoted += QLatin1String("\\\"");
            break;
        case '\\':
            quoted += QLatin1String("\\\\");
            break;
        case '\n':
            quoted += QLatin1String("\\n");
            break;
        case '\r':
            quoted += QLatin1String("\\r");
            break;
        case 0x2028:
            quoted += QLatin1String("\\u2028");
            break;
        case 0x2029:
            quoted += QLatin1String("\\u2029");
            break;
        default:
            if (c.unicode() < 0x20)
                quoted += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
            else
                quoted += c;
        }
    }
    quoted += QLatin1Char('"');
    return quoted;
}
// --- Opening ------------------------------------------------------------------------------------

bool WYSIWYG::showEditWindow(DidEnd didEnd, const QVariantMap &context, QWidget *sheetOf)
{
    if (!m_window)
        buildWindow();
    if (!m_window)
        return false;
    if (sheetOf && !m_window->isVisible()) {
        QWidget *owner = sheetOf->window();
        // A dialog of its window for the desktop, so that it is kept above that window (a
        // click on the window must not bury the editor under it), yet as big and resizable as
        // an editor window. It is the window's dialog only for the desktop (its transient
        // parent), never its child widget: a web view that once joined the window's widgets
        // switches the whole window to painting through the graphics card for good, and on a
        // display without one the window then stops repainting.
        m_window->setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                                 | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
        m_window->winId();
        if (QWindow *handle = m_window->windowHandle())
            handle->setTransientParent(owner->windowHandle());
        m_window->setWindowModality(Qt::WindowModal);
        // Over the middle of its window, as a sheet opens, and on the same screen.
        QRect place(QPoint(), m_window->size());
        place.moveCenter(owner->frameGeometry().center());
        place.moveTop(qMax(owner->geometry().top(), place.top()));
        m_window->move(place.topLeft());
    }
    m_didEnd = std::move(didEnd);
    m_editObject = context.value(QStringLiteral("object"));
    m_index = context.value(QStringLiteral("index"), -1).toInt();
    m_closing = false;
    m_html.clear();
    m_window->setWindowTitle(context.value(QStringLiteral("fieldName")).toString()
                             + QStringLiteral("[*]"));
    m_initial = context.value(QStringLiteral("initialValue")).toString();
    reload();
    fillMatrix();
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
    return true;
}

int WYSIWYG::runModal(const QVariantMap &context)
{
    if (!showEditWindow({}, context))
        return 0;
    m_window->setWindowModality(Qt::ApplicationModal);
    QEventLoop loop;
    m_modalLoop = &loop;
    const int result = loop.exec();
    m_modalLoop = nullptr;
    return result;
}

void WYSIWYG::buildWindow()
{
    auto *window = new EditorWindow([this] { return windowShouldClose(); });
    window->setObjectName(QStringLiteral("documentWindow"));
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    m_window = window;

    m_web = new VLXWebView;
    m_web->setObjectName(QStringLiteral("web"));
    m_web->setHelpAnchor(QStringLiteral("WYSIWYGEditor"));
    // The program's name goes into the engine's user agent, as into every request of the program.
    m_profile = new LockedWebProfile(CURLHandle::signature(), this);
    m_page = new EditorWebPage(m_profile, m_web);
    m_web->setPage(m_page);
    m_web->setContextMenuFilter([this](QMenu *menu) { buildContextMenu(menu); });

    m_text = new VLXTextViewHTML;
    m_text->setObjectName(QStringLiteral("text"));
    m_text->setReadOnly(true);
    m_text->setHelpAnchor(QStringLiteral("WYSIWYGEditor"));

    auto *splitter = new QSplitter(Qt::Vertical);
    splitter->addWidget(m_web);
    splitter->addWidget(m_text);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 1);
    window->setCentralWidget(splitter);
    window->resize(760, 560);

    setupToolbar();
    // Saving and closing are on the keyboard whatever the toolbar shows: Escape and the Close
    // keys close the window as its Close does, asking first about changes.
    ClosingKeys::install(window, [this] { close(); });
    const struct
    {
        const char *name;
        QKeySequence::StandardKey key;
        void (WYSIWYG::*action)();
    } keys[] = {{"saveAndClose", QKeySequence::Save, &WYSIWYG::save},
                {"printDocument", QKeySequence::Print, &WYSIWYG::printDocument}};
    for (const auto &key : keys) {
        auto *action = new QAction(window);
        action->setObjectName(QLatin1String(key.name));
        action->setShortcut(key.key);
        connect(action, &QAction::triggered, this, key.action);
        window->addAction(action);
    }
    buildSymbolsPanel();
    connectPage();
}

void WYSIWYG::connectPage()
{
    QWebEngineScript script;
    script.setName(QStringLiteral("vellumcast-editor"));
    script.setSourceCode(scriptSource());
    script.setWorldId(QWebEngineScript::ApplicationWorld);
    script.setInjectionPoint(QWebEngineScript::DocumentReady);
    script.setRunsOnSubFrames(false);
    m_page->scripts().insert(script);

    m_bridge = new EditorBridge(this);
    auto *channel = new QWebChannel(this);
    channel->registerObject(QStringLiteral("bridge"), m_bridge);
    m_page->setWebChannel(channel, QWebEngineScript::ApplicationWorld);

    connect(m_bridge, &EditorBridge::scriptReady, this, [this] {
        m_scriptUp = true;
        scriptReady();
    });
    connect(m_page, &QWebEnginePage::loadFinished, this, [this](bool) {
        if (m_loaded)
            return;
        m_loaded = true;
        scriptReady();
    });
    connect(m_bridge, &EditorBridge::documentChanged, this, &WYSIWYG::documentChangedInPage);
    connect(m_bridge, &EditorBridge::history, this, &WYSIWYG::historyRequested);
    connect(m_bridge, &EditorBridge::menuTarget, this,
            [this](const QString &kind) { m_menuTarget = kind; });
    connect(m_page, &EditorWebPage::historyAction, this,
            [this](bool redo) { redo ? WYSIWYG::redo() : undo(); });
    connect(m_page, &EditorWebPage::navigationRefused, this,
            [this](const QUrl &url, QWebEnginePage::NavigationType type) {
                navigationRefused(url, int(type));
            });
    connect(m_page, &QWebEnginePage::renderProcessTerminated, this, [this] {
        m_rendererGone = true;
        m_ready = false;
    });
    connect(m_page, &QWebEnginePage::pdfPrintingFinished, this, &WYSIWYG::pdfPrinted);
    // Served by the profile, as the preview's pages are: its filter lets no other page load.
    m_page->allowNextLoad();
    m_page->load(m_profile->servePage(kDocumentWrapper));
}

void WYSIWYG::scriptReady()
{
    if (!m_loaded || !m_scriptUp || m_ready)
        return;
    m_ready = true;
    reload();
}

// --- Loading and the history --------------------------------------------------------------------

void WYSIWYG::reload()
{
    showMirror(m_initial);
    m_current = {prepareForEditing(m_initial), QStringLiteral("null")};
    setDocumentEdited(false, true);
    if (!m_ready)
        return; // put in place once the page and its script are up
    putBody(m_current);
    evaluate(QStringLiteral("true"), [this](const QVariant &) { emit documentReady(); });
}

void WYSIWYG::putBody(const Snapshot &snapshot)
{
    // Reports the page made before this body was in place describe a document that is gone.
    const int generation = ++m_generation;
    m_current = snapshot;
    // The page holds the body in its own form (entities, quotes, the case of the tags): that
    // form is the text as put in place, so that closing it unchanged asks nothing.
    QPointer<WYSIWYG> self(this);
    evaluate(QStringLiteral("vlx.setBody(%1, %2, %3)")
                 .arg(scriptString(snapshot.html))
                 .arg(generation)
                 .arg(scriptString(snapshot.selection)),
             [self, generation](const QVariant &held) {
                 if (self && generation == self->m_generation
                     && held.typeId() == QMetaType::QString)
                     self->m_current.html = held.toString();
             });
    showMirror(snapshot.html);
}

void WYSIWYG::documentChangedInPage(int generation, const QString &html, const QString &kind,
                                    const QString &before, const QString &after)
{
    if (generation != m_generation || m_closing)
        return;
    if (html == m_current.html) {
        m_current.selection = after;
        return;
    }
    Snapshot previous {m_current.html, before};
    m_current = {html, after};
    m_undo->push(new SnapshotCommand(this, previous, m_current, kind));
    showMirror(html);
}

void WYSIWYG::historyRequested(bool redo, int generation)
{
    // A request sent before the body last changed hands is for a document that is gone.
    if (generation != m_generation)
        return;
    redo ? WYSIWYG::redo() : undo();
}

void WYSIWYG::undo()
{
    if (m_undo->canUndo())
        m_undo->undo();
    else
        QApplication::beep();
}

void WYSIWYG::redo()
{
    if (m_undo->canRedo())
        m_undo->redo();
    else
        QApplication::beep();
}

void WYSIWYG::showMirror(const QString &html)
{
    if (m_text)
        m_text->setPlainText(html);
    emit documentChanged();
}

void WYSIWYG::setDocumentEdited(bool edited)
{
    if (!edited && !m_undo->isClean())
        m_undo->setClean();
    if (edited == m_edited)
        return;
    m_edited = edited;
    if (m_window)
        m_window->setWindowModified(edited);
    emit editedChanged(edited);
}

void WYSIWYG::setDocumentEdited(bool edited, bool flushUndos)
{
    setDocumentEdited(edited);
    if (!m_edited && flushUndos)
        m_undo->clear();
}

void WYSIWYG::evaluate(const QString &script, std::function<void(const QVariant &)> done)
{
    if (!m_page || m_rendererGone) {
        if (done)
            done(QVariant());
        return;
    }
    if (done)
        m_page->runJavaScript(script, QWebEngineScript::ApplicationWorld,
                              [done](const QVariant &value) { done(value); });
    else
        m_page->runJavaScript(script, QWebEngineScript::ApplicationWorld);
}

// --- Closing ------------------------------------------------------------------------------------

void WYSIWYG::computeHTML(std::function<void(const QString &)> done)
{
    if (m_rendererGone) {
        // The page is gone: the last body it reported is all there is.
        done(finishEditedHTML(m_current.html));
        return;
    }
    if (!m_ready) {
        done(m_initial); // nothing could be edited yet
        return;
    }
    // Whichever comes first: the page's answer, or the fallback on the last reported body.
    auto answered = std::make_shared<bool>(false);
    const QString fallback = finishEditedHTML(m_current.html);
    QTimer::singleShot(kCleanTimeoutMs, this, [answered, done, fallback] {
        if (std::exchange(*answered, true))
            return;
        qWarning("The HTML editor's page did not answer; its last reported text is used");
        done(fallback);
    });
    evaluate(QStringLiteral("vlx.cleanHTML()"), [answered, done, fallback](const QVariant &value) {
        if (std::exchange(*answered, true))
            return;
        done(value.typeId() == QMetaType::QString ? finishEditedHTML(value.toString()) : fallback);
    });
}

void WYSIWYG::settle(std::function<void()> then)
{
    if (!m_ready || m_rendererGone) {
        then();
        return;
    }
    // The page reports each change over the channel, which may still be on its way when a key
    // closes the window: keys typed just before it would count as no edit and be dropped. The
    // page's body is asked for first, and what it holds beyond the last report is an edit.
    m_settling = true;
    QPointer<WYSIWYG> self(this);
    auto answered = std::make_shared<bool>(false);
    auto settled = [self, answered, then](const QVariant &value) {
        if (!self || std::exchange(*answered, true))
            return;
        self->m_settling = false;
        if (value.typeId() == QMetaType::QString && value.toString() != self->m_current.html
            && !self->m_closing) {
            const QString selection = self->m_current.selection;
            self->documentChangedInPage(self->m_generation, value.toString(),
                                        QStringLiteral("edit"), selection, selection);
        }
        then();
    };
    QTimer::singleShot(kCleanTimeoutMs, this, [settled] { settled(QVariant()); });
    evaluate(QStringLiteral("vlx.bodyHTML()"), settled);
}

bool WYSIWYG::windowShouldClose()
{
    if (m_closing)
        return true;
    close();
    return false;
}

void WYSIWYG::close()
{
    if (m_closing || m_settling)
        return;
    settle([this] { closeSettled(); });
}

void WYSIWYG::closeSettled()
{
    if (m_closing)
        return;
    if (m_edited) {
        Alert alert;
        alert.style = Alert::Style::Informational;
        alert.title = tr("Warning");
        alert.message = tr("Changes have been made to this HTML, do you wish to save them?");
        alert.defaultButton = tr("Save...");
        alert.alternateButton = tr("Don't Save");
        alert.otherButton = tr("Cancel");
        const int answer = AlertService::show(alert);
        if (answer == AlertService::kOther)
            return;
        finish(answer == AlertService::kDefault ? 1 : 0);
        return;
    }
    finish(1);
}

void WYSIWYG::save()
{
    if (m_closing || m_settling)
        return;
    settle([this] { finish(1); });
}

void WYSIWYG::finish(int result)
{
    if (m_closing)
        return;
    m_closing = true;
    if (m_symbols && m_symbols->isVisible())
        m_symbols->hide();
    // The page answers asynchronously: the text is made before the window goes, so the caller
    // can read it as soon as it hears of the end.
    QPointer<WYSIWYG> self(this);
    computeHTML([self, result](const QString &html) {
        if (!self)
            return;
        self->m_html = html;
        self->closeWindowAndReport(result);
    });
}

void WYSIWYG::closeWindowAndReport(int result)
{
    if (m_modalLoop) {
        m_window->hide();
        m_modalLoop->exit(result);
    } else {
        // Hidden, not closed: the caller may have opened the editor with no window of its own
        // in sight, and closing the only visible window would end the application.
        m_window->hide();
        if (m_didEnd) {
            const DidEnd didEnd = m_didEnd;
            didEnd(QVariantMap {{QStringLiteral("result"), result},
                                {QStringLiteral("object"), m_editObject}});
        }
    }
    emit closed(result);
}

editLink *WYSIWYG::link() const
{
    return m_link;
}

editImageLink *WYSIWYG::image() const
{
    return m_image;
}

// --- Printing -----------------------------------------------------------------------------------

void WYSIWYG::printDocument()
{
    if (!m_web || m_printer)
        return;
    m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printInfoManager::applyTo(*m_printer);
    QPrintDialog dialog(m_printer.get(), m_window);
    if (dialog.exec() != QDialog::Accepted) {
        m_printer.reset();
        return;
    }
    // The printer must outlive the job, which the engine runs in the background.
    connect(
        m_web, &QWebEngineView::printFinished, this, [this] { m_printer.reset(); },
        Qt::SingleShotConnection);
    m_web->print(m_printer.get());
}

void WYSIWYG::runPageLayout()
{
    printInfoManager::runPageLayout(m_window);
}

void WYSIWYG::printToPdf(const QString &path)
{
    if (!m_page) {
        emit pdfPrinted(path, false);
        return;
    }
    m_page->printToPdf(path, printInfoManager::printInfo());
}
