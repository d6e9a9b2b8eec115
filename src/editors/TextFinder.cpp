#include "editors/TextFinder.h"

#include "editors/XMLSourceTextView.h"
#include "platform/DefaultsStore.h"
#include "settings/VLXPreferences.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextBlock>
#include <QVBoxLayout>
#include <QWindow>

namespace {
const QString kLastReplaceKey = QStringLiteral("FindPanelLastReplaceString");
// Where the panel stood when last put away, so it comes back there.
const QString kFrameKey = QStringLiteral("FindPanel Frame");

QString &findPasteboard()
{
    static QString string;
    return string;
}

QString selectedText(const QPlainTextEdit *view)
{
    return view->textCursor().selectedText().replace(QChar::ParagraphSeparator, u'\n');
}

// Where string lies in text[from, to), searching from the end backwards when asked.
TextRange searchIn(QStringView text, QStringView string, qsizetype from, qsizetype to,
                   Qt::CaseSensitivity sensitivity, bool backwards)
{
    if (string.isEmpty() || to - from < string.size())
        return TextRange::notFound();
    const QStringView part = text.sliced(from, to - from);
    const qsizetype at = backwards
        ? part.lastIndexOf(string, part.size() - string.size(), sensitivity)
        : part.indexOf(string, 0, sensitivity);
    if (at < 0)
        return TextRange::notFound();
    return {from + at, string.size()};
}
} // namespace

TextFinder &TextFinder::sharedInstance()
{
    // Never destroyed: the panel outlives every window that searches through it.
    static TextFinder *instance = new TextFinder;
    return *instance;
}

TextFinder::TextFinder()
{
    setFindString(QString(), false);
    loadFindStringFromPasteboard();
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState s) {
        if (s == Qt::ApplicationActive)
            loadFindStringFromPasteboard();
    });
    // The view to search is the text view the user worked in last, wherever the focus is now.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) {
        auto *view = qobject_cast<QPlainTextEdit *>(now);
        if (view && (!m_panel || view->window() != m_panel))
            m_target = view;
    });
}

QString TextFinder::findPasteboardString()
{
    return findPasteboard();
}

void TextFinder::setFindPasteboardString(const QString &string)
{
    findPasteboard() = string;
}

void TextFinder::setFindString(const QString &string, bool writeToPasteboard)
{
    if (string == m_findString && !m_findString.isNull())
        return;
    m_findString = string.isNull() ? QStringLiteral("") : string;
    if (m_findTextField) {
        m_findTextField->setText(m_findString);
        m_findTextField->selectAll();
    }
    if (writeToPasteboard)
        loadFindStringToPasteboard();
}

void TextFinder::loadFindStringFromPasteboard()
{
    const QString string = findPasteboard();
    if (!string.isEmpty())
        setFindString(string, false);
}

void TextFinder::loadFindStringToPasteboard()
{
    findPasteboard() = m_findString;
}

QWidget *TextFinder::findPanel()
{
    if (!m_panel)
        buildPanel();
    return m_panel;
}

void TextFinder::buildPanel()
{
    m_panel = new QWidget(nullptr, Qt::Tool);
    m_panel->setObjectName(QStringLiteral("FindPanel"));
    m_panel->setWindowTitle(tr("Find"));
    auto *layout = new QVBoxLayout(m_panel);
    auto *fields = new QGridLayout;
    m_findTextField = new QLineEdit(m_panel);
    m_findTextField->setObjectName(QStringLiteral("findTextField"));
    m_replaceTextField = new QLineEdit(m_panel);
    m_replaceTextField->setObjectName(QStringLiteral("replaceTextField"));
    fields->addWidget(new QLabel(tr("Find:"), m_panel), 0, 0, Qt::AlignRight);
    fields->addWidget(m_findTextField, 0, 1);
    fields->addWidget(new QLabel(tr("Replace with:"), m_panel), 1, 0, Qt::AlignRight);
    fields->addWidget(m_replaceTextField, 1, 1);
    layout->addLayout(fields);

    auto *options = new QHBoxLayout;
    m_ignoreCaseButton = new QCheckBox(tr("Ignore Case"), m_panel);
    m_ignoreCaseButton->setObjectName(QStringLiteral("ignoreCaseButton"));
    options->addWidget(m_ignoreCaseButton);
    options->addStretch(1);
    options->addWidget(new QLabel(tr("Replace All Scope:"), m_panel));
    m_replaceAllScopeMatrix = new QButtonGroup(m_panel);
    m_replaceAllScopeMatrix->setObjectName(QStringLiteral("replaceAllScopeMatrix"));
    auto *whole = new QRadioButton(tr("Entire Text"), m_panel);
    whole->setObjectName(QStringLiteral("wholeTextScope"));
    auto *selection = new QRadioButton(tr("Selection"), m_panel);
    selection->setObjectName(QStringLiteral("selectionScope"));
    m_replaceAllScopeMatrix->addButton(whole, kWholeTextScope);
    m_replaceAllScopeMatrix->addButton(selection, 0);
    whole->setChecked(true);
    options->addWidget(whole);
    options->addWidget(selection);
    layout->addLayout(options);

    auto *buttons = new QHBoxLayout;
    struct Button
    {
        const char *name;
        QString title;
        void (TextFinder::*action)();
    };
    const Button table[] = {
        {"replaceAllButton", tr("Replace All"), &TextFinder::replaceAll},
        {"replaceButton", tr("Replace"), &TextFinder::replace},
        {"replaceAndFindButton", tr("Replace && Find"), &TextFinder::replaceAndFind},
        {"findPreviousButton", tr("Previous"), &TextFinder::findPrevious},
        {"findNextButton", tr("Next"), &TextFinder::findNext},
    };
    for (const Button &entry : table) {
        auto *button = new QPushButton(entry.title, m_panel);
        button->setObjectName(QLatin1String(entry.name));
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, entry.action);
        if (entry.action == &TextFinder::findNext)
            m_findNextButton = button;
        else if (entry.action == &TextFinder::findPrevious)
            buttons->addStretch(1);
        buttons->addWidget(button);
    }
    layout->addLayout(buttons);
    m_statusField = new QLabel(m_panel);
    m_statusField->setObjectName(QStringLiteral("statusField"));
    layout->addWidget(m_statusField);
    connect(m_findTextField, &QLineEdit::returnPressed, this,
            &TextFinder::findNextAndOrderFindPanelOut);

    m_findTextField->setText(m_findString);
    DefaultsStore &store = VLXPreferences::sharedInstance().store();
    m_replaceTextField->setText(store.string(kLastReplaceKey).value_or(QString()));
    if (const std::optional<QByteArray> frame = store.data(kFrameKey))
        m_panel->restoreGeometry(*frame);
    m_panel->installEventFilter(this);
}

bool TextFinder::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_panel && event->type() == QEvent::Hide)
        VLXPreferences::sharedInstance().store().setObject(m_panel->saveGeometry(), kFrameKey);
    return QObject::eventFilter(watched, event);
}

QPlainTextEdit *TextFinder::textObjectToSearchIn() const
{
    return m_target && m_target->isVisible() ? m_target.data() : nullptr;
}

QString TextFinder::textOf(QPlainTextEdit *view)
{
    if (auto *source = qobject_cast<XMLSourceTextView *>(view))
        return source->text();
    return view->document()->toRawText().replace(QChar::ParagraphSeparator, u'\n');
}

bool TextFinder::ignoresCase() const
{
    return m_ignoreCaseButton && m_ignoreCaseButton->isChecked();
}

QString TextFinder::replaceString() const
{
    if (m_replaceTextField)
        return m_replaceTextField->text();
    return VLXPreferences::sharedInstance().store().string(kLastReplaceKey).value_or(QString());
}

void TextFinder::storeReplaceString()
{
    if (m_replaceTextField)
        VLXPreferences::sharedInstance().store().setObject(m_replaceTextField->text(),
                                                           kLastReplaceKey);
}

void TextFinder::setStatus(const QString &text)
{
    m_status = text;
    if (m_statusField)
        m_statusField->setText(text);
}

void TextFinder::takeFindFieldText()
{
    if (m_findTextField)
        setFindString(m_findTextField->text(), true);
}

TextRange TextFinder::findString(QStringView text, QStringView string, TextRange selected,
                                 int options, bool wrap)
{
    const qsizetype length = text.size();
    const qsizetype start
        = qBound<qsizetype>(0, selected.isNotFound() ? 0 : selected.location, length);
    const qsizetype end = qBound<qsizetype>(start, start + selected.length, length);
    const auto sensitivity = options & CaseInsensitive ? Qt::CaseInsensitive : Qt::CaseSensitive;
    if (options & Backwards) {
        const TextRange found = searchIn(text, string, 0, start, sensitivity, true);
        if (!found.isNotFound() || !wrap)
            return found;
        return searchIn(text, string, start, length, sensitivity, true);
    }
    const TextRange found = searchIn(text, string, end, length, sensitivity, false);
    if (!found.isNotFound() || !wrap)
        return found;
    return searchIn(text, string, 0, end, sensitivity, false);
}

bool TextFinder::find(bool forward)
{
    m_lastFindWasSuccessful = false;
    QPlainTextEdit *view = textObjectToSearchIn();
    if (view) {
        const QString text = textOf(view);
        if (!text.isEmpty()) {
            const QTextCursor cursor = view->textCursor();
            const TextRange selected {cursor.selectionStart(),
                                      cursor.selectionEnd() - cursor.selectionStart()};
            const int options = (ignoresCase() ? CaseInsensitive : 0) | (forward ? 0 : Backwards);
            const TextRange found = findString(text, m_findString, selected, options, true);
            if (!found.isNotFound() && found.length > 0) {
                QTextCursor selection(view->document());
                selection.setPosition(int(found.location));
                selection.setPosition(int(found.location + found.length), QTextCursor::KeepAnchor);
                view->setTextCursor(selection);
                view->ensureCursorVisible();
                m_lastFindWasSuccessful = true;
            }
        }
    }
    if (m_lastFindWasSuccessful) {
        setStatus(QString());
    } else {
        QApplication::beep();
        setStatus(tr("Not found"));
    }
    return m_lastFindWasSuccessful;
}

void TextFinder::findNext()
{
    takeFindFieldText();
    find(true);
}

void TextFinder::findPrevious()
{
    takeFindFieldText();
    find(false);
}

void TextFinder::findNextAndOrderFindPanelOut()
{
    findPanel();
    m_findNextButton->click();
    if (m_lastFindWasSuccessful)
        m_panel->hide();
    else
        m_findTextField->selectAll();
}

void TextFinder::attachToModalWindow()
{
    // A window that is not a child of the running modal window takes no input while it runs.
    QWidget *modal = QApplication::activeModalWidget();
    if (!modal || modal == m_panel)
        return;
    m_panel->winId();
    modal->winId();
    if (m_panel->windowHandle() && modal->windowHandle())
        m_panel->windowHandle()->setTransientParent(modal->windowHandle());
}

void TextFinder::orderFrontFindPanel()
{
    findPanel();
    attachToModalWindow();
    m_findTextField->selectAll();
    m_panel->show();
    m_panel->raise();
    m_panel->activateWindow();
    m_findTextField->setFocus(Qt::OtherFocusReason);
}

void TextFinder::replace()
{
    // What the user sees in the find field is what a selection must match.
    takeFindFieldText();
    QPlainTextEdit *view = textObjectToSearchIn();
    if (!view) {
        QApplication::beep();
    } else {
        const Qt::CaseSensitivity sensitivity
            = ignoresCase() ? Qt::CaseInsensitive : Qt::CaseSensitive;
        if (selectedText(view).compare(m_findString, sensitivity) != 0)
            findNext();
        QTextCursor cursor = view->textCursor();
        if (cursor.hasSelection() && !view->isReadOnly()) {
            if (auto *source = qobject_cast<XMLSourceTextView *>(view))
                source->setNextUndoName(tr("Replace"));
            cursor.insertText(replaceString());
            view->setTextCursor(cursor);
        } else {
            QApplication::beep();
        }
    }
    setStatus(QString());
    storeReplaceString();
}

void TextFinder::replaceAndFind()
{
    replace();
    findNext();
}

void TextFinder::replaceAndFindPrevious()
{
    replace();
    findPrevious();
}

void TextFinder::replaceAll()
{
    takeFindFieldText();
    QPlainTextEdit *view = textObjectToSearchIn();
    if (!view) {
        QApplication::beep();
        storeReplaceString();
        return;
    }
    const QString text = textOf(view);
    const QTextCursor selection = view->textCursor();
    const bool wholeText
        = !m_replaceAllScopeMatrix || m_replaceAllScopeMatrix->checkedId() == kWholeTextScope;
    const qsizetype from = wholeText ? 0 : selection.selectionStart();
    const qsizetype to = wholeText ? text.size() : selection.selectionEnd();
    const Qt::CaseSensitivity sensitivity = ignoresCase() ? Qt::CaseInsensitive : Qt::CaseSensitive;

    QList<qsizetype> matches;
    const qsizetype length = m_findString.size();
    for (qsizetype at = from; length > 0;) {
        at = text.indexOf(m_findString, at, sensitivity);
        if (at < 0 || at + length > to)
            break;
        matches.append(at);
        at += length;
    }
    int count = 0;
    if (!matches.isEmpty() && !view->isReadOnly()) {
        // Only the matches change, last first so the earlier positions hold; the edit block
        // makes them one step of the undo history.
        if (auto *source = qobject_cast<XMLSourceTextView *>(view))
            source->setNextUndoName(tr("Replace All"));
        const QString replacement = replaceString();
        QTextCursor cursor(view->document());
        cursor.beginEditBlock();
        for (auto it = matches.crbegin(); it != matches.crend(); ++it) {
            cursor.setPosition(int(*it));
            cursor.setPosition(int(*it + length), QTextCursor::KeepAnchor);
            cursor.insertText(replacement);
        }
        cursor.endEditBlock();
        count = int(matches.size());
    }
    if (count > 0) {
        setStatus(tr("%1 replaced").arg(count));
    } else {
        QApplication::beep();
        setStatus(tr("Not found"));
    }
    storeReplaceString();
}

void TextFinder::takeFindStringFromSelection()
{
    if (QPlainTextEdit *view = textObjectToSearchIn())
        setFindString(selectedText(view), true);
}

void TextFinder::jumpToSelection()
{
    if (QPlainTextEdit *view = textObjectToSearchIn())
        view->ensureCursorVisible();
}

bool TextFinder::validateCommand(Command command) const
{
    QPlainTextEdit *view = textObjectToSearchIn();
    switch (command) {
    case Command::TakeFindStringFromSelection:
    case Command::JumpToSelection:
        return view && view->textCursor().hasSelection();
    case Command::FindNext:
    case Command::FindPrevious:
    case Command::FindNextAndOrderFindPanelOut:
        return view && !m_findString.isEmpty();
    case Command::Replace:
    case Command::ReplaceAll:
    case Command::ReplaceAndFind:
    case Command::ReplaceAndFindPrevious:
        return view && !view->isReadOnly() && !m_findString.isEmpty();
    case Command::Other:
        break;
    }
    return true;
}
