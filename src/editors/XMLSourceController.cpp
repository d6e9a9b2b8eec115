#include "editors/XMLSourceController.h"

#include "editors/MNLineNumberingRulerView.h"
#include "editors/TextFinder.h"
#include "editors/XMLSourceTextView.h"
#include "editors/errorListing.h"
#include "model/FeedElement.h"
#include "ui/VLXTextField.h"

#include <QCloseEvent>
#include <QDialog>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMoveEvent>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTabWidget>
#include <QTextBlock>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>
#include <functional>
#include <utility>

const QString XMLSourceController::kFragmentWrapper
    = QStringLiteral("<?xml version=\"1.0\"?><rss>%1</rss>");
const QString XMLSourceController::kHelpAnchor = QStringLiteral("RSSXMLSource");

namespace {
// The window hands its close box and the Escape key to the controller, which decides whether
// and how the run ends, and tells it when the run ends, before the window goes.
class XMLSourceWindow : public QDialog
{
public:
    using QDialog::QDialog;
    std::function<void()> closeBoxClicked;
    std::function<void()> escapePressed;
    std::function<void()> ending;
    std::function<void()> moved;

    void done(int code) override
    {
        ending();
        QDialog::done(code);
    }

protected:
    void closeEvent(QCloseEvent *event) override
    {
        event->ignore();
        closeBoxClicked();
    }
    void reject() override { escapePressed(); }
    void moveEvent(QMoveEvent *event) override
    {
        QDialog::moveEvent(event);
        if (moved)
            moved();
    }
};
} // namespace

XMLSourceController::XMLSourceController(QWidget *parent) : QObject(parent), m_parent(parent) { }

XMLSourceController::~XMLSourceController()
{
    // The find panel outlives this window; it must not go on searching a view that is gone.
    TextFinder &finder = TextFinder::sharedInstance();
    if (m_editXML && finder.textObjectToSearchIn() == m_editXML)
        finder.setTextObjectToSearchIn(nullptr);
    delete m_window;
}

std::optional<QString> XMLSourceController::edit(const XMLSourceRequest &request, QWidget *parent)
{
    XMLSourceController controller(parent);
    controller.setXMLFragment(request.fragment);
    controller.setUsedExtensions(request.usedExtensions);
    controller.setRefusal(request.refusal, request.line, request.refusalKind);
    if (controller.editXML(request.original, request.current) != 1)
        return std::nullopt;
    return controller.sourceData();
}

void XMLSourceController::buildWindow()
{
    auto *window = new XMLSourceWindow(m_parent);
    window->closeBoxClicked = [this] { windowShouldClose(); };
    window->escapePressed = [this] { close(); };
    window->ending = [this] { closeList(); };
    // The platform may tell where the window manager put the window only after the list was
    // placed beside the named line (on a busy machine, past the wait for the window): placed by
    // a position the window no longer has, the list would cover the line. Wherever the window
    // goes, the list moves off the line again.
    window->moved = [this] {
        if (m_listShown && m_startLine > 0)
            errorListing::sharedInstance()->keepClearOf(namedLineArea());
    };
    m_window = window;
    m_window->setObjectName(QStringLiteral("XMLSourceWindow"));
    m_window->setWindowTitle(tr("XML Source[*]"));
    // Within the screen, frame and all: a line shown first, or the message list beside it,
    // must not fall off its bottom.
    QSize size(860, 640);
    if (const QScreen *screen = m_window->screen())
        size = size.boundedTo(screen->availableSize() - QSize(16, 48));
    m_window->resize(size);
    auto *layout = new QVBoxLayout(m_window);

    m_tabView = new QTabWidget(m_window);
    m_tabView->setObjectName(QStringLiteral("tabView"));
    m_editXML = new XMLSourceTextView(m_tabView);
    m_editXML->setObjectName(QStringLiteral("editXML"));
    m_editXML->addVerticalRuler();
    m_editXML->setUndoStack(&m_undoManager);
    m_originalXML = new XMLSourceTextView(m_tabView);
    m_originalXML->setObjectName(QStringLiteral("originalXML"));
    m_originalXML->setReadOnly(true);
    for (XMLSourceTextView *view : {m_editXML, m_originalXML})
        view->setHelpAnchor(kHelpAnchor);
    m_tabView->addTab(m_editXML, tr("Edit"));
    m_tabView->addTab(m_originalXML, tr("Original"));
    m_originalTab = m_originalXML;
    connect(m_tabView, &QTabWidget::currentChanged, this,
            &XMLSourceController::showOriginalWhenAsked);
    layout->addWidget(m_tabView, 1);

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(new QLabel(tr("Line:"), m_window));
    auto *lineNumber = new VLXTextField(m_window);
    lineNumber->setHelpAnchor(kHelpAnchor);
    m_lineNumber = lineNumber;
    m_lineNumber->setObjectName(QStringLiteral("lineNumber"));
    m_lineNumber->setValidator(new QIntValidator(1, std::numeric_limits<int>::max(), m_lineNumber));
    m_lineNumber->setMaximumWidth(90);
    connect(m_lineNumber, &QLineEdit::returnPressed, this, &XMLSourceController::jumpToLine);
    bottom->addWidget(m_lineNumber);
    struct Button
    {
        const char *name;
        QString title;
        void (XMLSourceController::*action)();
    };
    const Button buttons[] = {
        {"jumpButton", tr("Go"), &XMLSourceController::jumpToLine},
        {"reformatButton", tr("Reformat"), &XMLSourceController::reformat},
        {"revertButton", tr("Revert"), &XMLSourceController::revertDocumentToSaved},
        {"closeButton", tr("Close"), &XMLSourceController::close},
        {"saveButton", tr("Save"), &XMLSourceController::saveDocument},
    };
    for (const Button &entry : buttons) {
        auto *button = new QPushButton(entry.title, m_window);
        button->setObjectName(QLatin1String(entry.name));
        // Return belongs to the text and the line field, never to a button.
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, entry.action);
        bottom->addWidget(button);
        if (entry.action == &XMLSourceController::jumpToLine)
            bottom->addStretch(1);
    }
    layout->addLayout(bottom);
    buildMenus();
    connect(&m_undoManager, &QUndoStack::cleanChanged, m_window,
            [this](bool clean) { m_window->setWindowModified(!clean); });
}

QAction *XMLSourceController::addAction(QMenu *menu, const QString &title,
                                        const QKeySequence &shortcut,
                                        void (XMLSourceController::*slot)())
{
    QAction *action = menu->addAction(title);
    action->setShortcut(shortcut);
    connect(action, &QAction::triggered, this, slot);
    return action;
}

void XMLSourceController::buildMenus()
{
    // The main window's menus cannot be reached while this window runs: it carries its own.
    auto *bar = new QMenuBar(m_window);
    bar->setObjectName(QStringLiteral("menuBar"));
    m_window->layout()->setMenuBar(bar);

    QMenu *file = bar->addMenu(tr("&File"));
    addAction(file, tr("Save"), QKeySequence::Save, &XMLSourceController::saveDocument);
    addAction(file, tr("Revert"), {}, &XMLSourceController::revertDocumentToSaved);
    file->addSeparator();
    addAction(file, tr("Page Setup..."), {}, &XMLSourceController::runPageLayout);
    addAction(file, tr("Print..."), QKeySequence::Print, &XMLSourceController::printDocument);
    file->addSeparator();
    addAction(file, tr("Close"), QKeySequence::Close, &XMLSourceController::close);

    QMenu *edit = bar->addMenu(tr("&Edit"));
    QAction *undo = m_undoManager.createUndoAction(edit, tr("Undo"));
    undo->setShortcut(QKeySequence::Undo);
    QAction *redo = m_undoManager.createRedoAction(edit, tr("Redo"));
    redo->setShortcut(QKeySequence::Redo);
    edit->addActions({undo, redo});
    edit->addSeparator();
    const std::pair<QString, void (QPlainTextEdit::*)()> clipboard[] = {
        {tr("Cut"), &QPlainTextEdit::cut},
        {tr("Copy"), &QPlainTextEdit::copy},
        {tr("Paste"), &QPlainTextEdit::paste},
        {tr("Select All"), &QPlainTextEdit::selectAll},
    };
    for (const auto &[title, slot] : clipboard)
        connect(edit->addAction(title), &QAction::triggered, this, [this, slot] {
            XMLSourceTextView *view = shownTextView();
            (view->*slot)();
        });
    edit->addSeparator();

    QMenu *find = edit->addMenu(tr("Find"));
    addAction(find, tr("Find..."), QKeySequence::Find, &XMLSourceController::orderFrontFindPanel);
    struct FindItem
    {
        QString title;
        QKeySequence shortcut;
        void (TextFinder::*action)();
        TextFinder::Command command;
    };
    const FindItem findItems[] = {
        {tr("Find Next"), QKeySequence::FindNext, &TextFinder::findNext,
         TextFinder::Command::FindNext},
        {tr("Find Previous"), QKeySequence::FindPrevious, &TextFinder::findPrevious,
         TextFinder::Command::FindPrevious},
        {tr("Use Selection for Find"), QKeySequence(Qt::CTRL | Qt::Key_E),
         &TextFinder::takeFindStringFromSelection,
         TextFinder::Command::TakeFindStringFromSelection},
        {tr("Jump to Selection"), QKeySequence(Qt::CTRL | Qt::Key_J), &TextFinder::jumpToSelection,
         TextFinder::Command::JumpToSelection},
    };
    for (const FindItem &item : findItems) {
        QAction *action = find->addAction(item.title);
        action->setShortcut(item.shortcut);
        connect(action, &QAction::triggered, this, [this, item] {
            TextFinder &finder = TextFinder::sharedInstance();
            finder.setTextObjectToSearchIn(shownTextView());
            (finder.*item.action)();
        });
        connect(find, &QMenu::aboutToShow, action, [this, action, command = item.command] {
            TextFinder &finder = TextFinder::sharedInstance();
            finder.setTextObjectToSearchIn(shownTextView());
            action->setEnabled(finder.validateCommand(command));
        });
    }
    QAction *goToLine = edit->addAction(tr("Go to Line..."));
    goToLine->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    connect(goToLine, &QAction::triggered, this, [this] {
        m_lineNumber->setFocus(Qt::ShortcutFocusReason);
        m_lineNumber->selectAll();
    });
    edit->addSeparator();
    addAction(edit, tr("Reformat"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F),
              &XMLSourceController::reformat);
    QMenu *coloring = edit->addMenu(tr("Coloring"));
    m_colorizedMenuItem = addAction(coloring, tr("Colorized"), {}, &XMLSourceController::colorized);
    m_plainMenuItem = addAction(coloring, tr("Plain"), {}, &XMLSourceController::plain);
    for (QAction *item : {m_colorizedMenuItem, m_plainMenuItem})
        item->setCheckable(true);
}

XMLSourceTextView *XMLSourceController::shownTextView()
{
    return m_tabView->currentWidget() == m_originalXML ? m_originalXML : m_editXML;
}

void XMLSourceController::showOriginalWhenAsked(int tab)
{
    // A long original is taken in only when the user looks at it.
    if (m_tabView->widget(tab) == m_originalXML && !m_originalShown) {
        m_originalShown = true;
        m_originalXML->loadText(m_originalData);
    }
}

int XMLSourceController::editXML(const std::optional<QString> &original, const QString &current)
{
    if (!m_window)
        buildWindow();
    m_originalData = original.value_or(QString());
    m_originalShown = false;
    m_originalXML->loadText(QString());
    const int originalIndex = m_tabView->indexOf(m_originalTab);
    if (!original && originalIndex >= 0)
        m_tabView->removeTab(originalIndex);
    m_tabView->setCurrentIndex(0);

    m_onEntryData = current;
    m_editXML->setUsedPrefixes(m_usedExtensions);
    m_editXML->setColored(false);
    m_editXML->loadText(current);
    applyColorMode(m_useColor);
    m_undoManager.clear();
    m_window->setWindowModified(false);
    m_editXML->setFocus(Qt::OtherFocusReason);
    m_lineNumber->setText(m_startLine > 0 ? QString::number(m_startLine) : QString());
    // Once the window is up where the window manager puts it: the line a refusal names is shown
    // as Go shows it, and the message list says why beside it; Return closes the list and leaves
    // the keyboard here.
    if (!m_refusal.isEmpty() || m_startLine > 0)
        whenOnScreen([this] { showRefusal(); });

    const int code = m_window->exec();
    // Left to the window manager, the keyboard went nowhere at times, when an alert over this
    // window had ended it: the window it was opened over takes it back.
    if (QWidget *under = m_parent ? m_parent->window() : nullptr; under && under->isVisible())
        under->activateWindow();

    // The find panel serves this window: it goes with it.
    TextFinder &finder = TextFinder::sharedInstance();
    if (finder.isPanelLoaded() && finder.textObjectToSearchIn() == nullptr)
        finder.findPanel()->hide();

    // Without an original the tab was only taken out for this run.
    if (m_tabView->indexOf(m_originalTab) < 0)
        m_tabView->addTab(m_originalTab, tr("Original"));
    return code;
}

QString XMLSourceController::sourceData()
{
    return m_editXML ? m_editXML->text() : QString();
}

void XMLSourceController::endModal(int code)
{
    m_window->done(code);
}

void XMLSourceController::showRefusal()
{
    if (m_startLine > 0)
        jumpToLine();
    if (m_refusal.isEmpty())
        return;
    const QString kind = m_refusalKind.isEmpty() ? FeedElement::kValidateError : m_refusalKind;
    // Shown from here on: a move of the window while the list comes up places it again.
    m_listShown = true;
    errorListing::showPanel(m_window, QVariantList {FeedElement::makeEntry(kind, m_refusal)}, 1, 0,
                            0, [this](errorListing &) {
                                if (m_startLine > 0)
                                    keepNamedLineClearOfList();
                            });
    // The toggles read the shown feed's messages again: a refusal is no feed's, and they would
    // put that feed's messages in its place.
    errorListing *list = errorListing::sharedInstance();
    for (VLXButton *toggle : {list->repairButton(), list->errorButton(), list->warnButton()})
        toggle->setEnabled(false);
}

void XMLSourceController::whenOnScreen(std::function<void()> then)
{
    // The window is placed by the window manager once it is mapped, and is exposed after: a
    // position read before is one it no longer has. A platform that never tells is waited for
    // a second at most.
    constexpr int kLongestWait = 1000;
    QWindow *window = m_window->windowHandle();
    auto *waiting = new QTimer(m_window);
    auto once = std::make_shared<std::function<void()>>(std::move(then));
    const auto go = [waiting, once] {
        waiting->stop();
        waiting->deleteLater();
        if (*once)
            std::exchange(*once, nullptr)();
    };
    QElapsedTimer since;
    since.start();
    connect(waiting, &QTimer::timeout, m_window, [window = QPointer<QWindow>(window), since, go] {
        if (!window || window->isExposed() || since.elapsed() >= kLongestWait)
            go();
    });
    waiting->start(10);
}

QRect XMLSourceController::namedLineArea() const
{
    const QTextBlock block = m_editXML->document()->findBlockByNumber(m_startLine - 1);
    if (!block.isValid())
        return {};
    // A line that wraps counts for its first few rows on screen: those are what the eye looks
    // for, and a line of pages would leave no room for the list anywhere.
    constexpr int kRowsKept = 3;
    QTextCursor start(block);
    QTextCursor end(block);
    end.setPosition(block.position() + block.length() - 1);
    const QRect first = m_editXML->cursorRect(start);
    const int bottom
        = qMin(m_editXML->cursorRect(end).bottom(), first.top() + kRowsKept * first.height() - 1);
    QWidget *viewport = m_editXML->viewport();
    const QRect line = QRect(0, first.top(), viewport->width(), bottom - first.top() + 1)
                           .intersected(viewport->rect());
    if (line.isEmpty())
        return {};
    // Where the window is as the widgets know it, as the list's own place is known: the
    // platform's mapping may still hold the place the window had before the window manager
    // put it where it is.
    return QRect(m_window->geometry().topLeft() + viewport->mapTo(m_window, line.topLeft()),
                 line.size());
}

void XMLSourceController::keepNamedLineClearOfList()
{
    errorListing *list = errorListing::sharedInstance();
    if (list->keepClearOf(namedLineArea()))
        return;
    // No room for the list above or below the line where it stands: the line goes up near the
    // top of the view, a few of the lines that lead to it above it, and the list below it.
    constexpr int kLinesBefore = 3;
    const QTextBlock shownFirst
        = m_editXML->document()->findBlockByNumber(qMax(0, m_startLine - 1 - kLinesBefore));
    m_editXML->verticalScrollBar()->setValue(shownFirst.firstLineNumber());
    list->keepClearOf(namedLineArea());
}

void XMLSourceController::closeList()
{
    if (std::exchange(m_listShown, false))
        errorListing::closePanel();
}
