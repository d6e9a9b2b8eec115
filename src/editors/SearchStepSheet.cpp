#include "editors/SearchStepSheet.h"

#include "editors/SearchStepHost.h"
#include "ui/TextHighlighting.h"
#include "ui/VLXButton.h"
#include "ui/VLXComboBox.h"
#include "ui/VLXTextField.h"
#include "ui/VLXTextView.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QList>
#include <functional>

namespace {
// A sheet's window: Escape and the close box go through the sheet's Cancel, so a sheet that puts
// something back on Cancel always does.
class SheetWindow : public QDialog
{
public:
    SheetWindow(QWidget *parent, std::function<void()> onCancel)
        : QDialog(parent), m_onCancel(std::move(onCancel))
    {
    }
    void reject() override { m_onCancel(); }

private:
    std::function<void()> m_onCancel;
};

QList<SearchStepSheet *> &runningSheets()
{
    static QList<SearchStepSheet *> sheets;
    return sheets;
}

QString controlText(QWidget *control)
{
    if (auto *view = qobject_cast<VLXTextView *>(control))
        return view->stringValue();
    if (auto *combo = qobject_cast<VLXComboBox *>(control))
        return combo->currentText();
    if (auto *field = qobject_cast<VLXTextField *>(control))
        return field->text();
    return QString();
}

// Runs a window action once the sheet's modal loop has returned to the walk that opened it.
void afterModalRun(void (SearchStepHost::*action)())
{
    QMetaObject::invokeMethod(
        qApp, [action] { (SearchStepHost::instance().*action)(); }, Qt::QueuedConnection);
}
} // namespace

using TextHighlighting::onTextControl;

SearchStepSheet::SearchStepSheet(QObject *parent) : QObject(parent) { }

SearchStepSheet::~SearchStepSheet()
{
    runningSheets().removeAll(this);
    delete m_window.data();
}

SearchStepSheet *SearchStepSheet::runningSheet()
{
    return runningSheets().isEmpty() ? nullptr : runningSheets().last();
}

QDialog *SearchStepSheet::makeWindow(const QString &objectName)
{
    QWidget *parent = m_parentWindow ? m_parentWindow.data() : nullptr;
    auto *window = new SheetWindow(parent, [this] { cancel(); });
    window->setObjectName(objectName);
    // Modal to the feed window only, so the find panel beside it keeps working during a step.
    window->setWindowModality(parent ? Qt::WindowModal : Qt::ApplicationModal);
    m_window = window;
    return window;
}

SearchStepSheet::ButtonRow SearchStepSheet::makeButtonRow(const QString &cancelName,
                                                          const QString &acceptName,
                                                          QWidget *leading)
{
    ButtonRow row {new QHBoxLayout, new VLXButton(m_window), new VLXButton(m_window)};
    row.cancel->setObjectName(cancelName);
    row.cancel->setText(tr("Cancel"));
    row.accept->setObjectName(acceptName);
    row.accept->setText(tr("Accept"));
    row.accept->setDefault(true);
    connect(row.cancel, &QPushButton::clicked, this, &SearchStepSheet::cancel);
    connect(row.accept, &QPushButton::clicked, this, &SearchStepSheet::accept);
    if (leading)
        row.layout->addWidget(leading);
    row.layout->addStretch();
    row.layout->addWidget(row.cancel);
    row.layout->addWidget(row.accept);
    return row;
}

QDialog *SearchStepSheet::ensureWindow()
{
    if (!m_window) {
        loadInterface();
        if (m_window) {
            addFindCommands();
            m_window->installEventFilter(this);
        }
    }
    return m_window;
}

void SearchStepSheet::addFindCommands()
{
    m_findPanelCommand = new QAction(tr("Find..."), m_window);
    m_findPanelCommand->setObjectName(QStringLiteral("orderFrontFindPanel"));
    m_findPanelCommand->setShortcut(QKeySequence::Find);
    connect(m_findPanelCommand, &QAction::triggered, this, [this] {
        if (validateCommand(QStringLiteral("orderFrontFindPanel")))
            orderFrontFindPanel();
    });
    m_findNextCommand = new QAction(tr("Find Next"), m_window);
    m_findNextCommand->setObjectName(QStringLiteral("findNext"));
    m_findNextCommand->setShortcut(QKeySequence::FindNext);
    connect(m_findNextCommand, &QAction::triggered, this, [this] {
        if (validateCommand(QStringLiteral("findNext")))
            findNext();
    });
    m_window->addAction(m_findPanelCommand);
    m_window->addAction(m_findNextCommand);
}

void SearchStepSheet::updateFindCommands()
{
    if (m_findPanelCommand)
        m_findPanelCommand->setEnabled(validateCommand(QStringLiteral("orderFrontFindPanel")));
    if (m_findNextCommand)
        m_findNextCommand->setEnabled(validateCommand(QStringLiteral("findNext")));
}

bool SearchStepSheet::eventFilter(QObject *watched, QEvent *event)
{
    // The find text may have changed in the panel while the sheet was in the background.
    if (watched == m_window && event->type() == QEvent::WindowActivate)
        updateFindCommands();
    return QObject::eventFilter(watched, event);
}

bool SearchStepSheet::validateCommand(const QString &command) const
{
    if (command == QLatin1String("orderFrontFindPanel"))
        return !m_inPreferences;
    if (command == QLatin1String("findNext"))
        return !SearchStepHost::instance().findField().isEmpty();
    return true;
}

int SearchStepSheet::runModal()
{
    if (m_pendingCode) {
        const int code = *m_pendingCode;
        m_pendingCode.reset();
        m_window->hide();
        return code;
    }
    updateFindCommands();
    m_ended = false;
    m_running = true;
    runningSheets().append(this);
    const int code = m_window->exec();
    runningSheets().removeAll(this);
    m_running = false;
    m_window->hide();
    return code;
}

void SearchStepSheet::endModal(int code)
{
    m_ended = true;
    if (m_running)
        m_window->done(code);
    else
        m_pendingCode = code;
}

void SearchStepSheet::cancel()
{
    endModal(0);
}

QString SearchStepSheet::fieldSearchText(int field) const
{
    return controlText(searchControl(field));
}

TextRange SearchStepSheet::searchField(const QString &text, const QString &search, int options)
{
    const qsizetype from
        = m_lastFoundRange.isNotFound() ? 0 : m_lastFoundRange.location + m_lastFoundRange.length;
    const Qt::CaseSensitivity sensitivity
        = (options & CaseInsensitive) ? Qt::CaseInsensitive : Qt::CaseSensitive;
    const qsizetype at
        = (search.isEmpty() || from > text.size()) ? -1 : text.indexOf(search, from, sensitivity);
    m_lastFoundRange = at < 0 ? TextRange::notFound() : TextRange {at, search.size()};
    return m_lastFoundRange;
}

int SearchStepSheet::replace(const QString &search, const std::optional<QString> &replacement,
                             bool thenSearch, int mask)
{
    if (!ensureWindow())
        return 0;
    m_ended = false;
    showValueForStep();
    m_previousSearchValue = search;
    m_searchMask = mask;
    rememberInitialValues();
    replaceStep(search, replacement, thenSearch);
    return runModal();
}

void SearchStepSheet::replaceStep(const QString &search, const std::optional<QString> &replacement,
                                  bool thenSearch)
{
    m_replaceResult = false;
    if (m_searchFieldIndex >= searchFieldCount()) {
        finishStep();
        return;
    }
    if (replacement) {
        QWidget *control = searchControl(m_searchFieldIndex);
        const QString highlighted
            = onTextControl(control, [](auto *c) { return c->highlightedString(); });
        // A replacement that cannot be applied is not reported: the step searches instead.
        if (!highlighted.isNull() && highlighted == search) {
            onTextControl(control, [&](auto *c) {
                c->replaceHighlightedWithString(*replacement);
                return 0;
            });
            m_lastFoundRange = onTextControl(control, [](auto *c) { return c->hightlightRange(); });
            storeField(m_searchFieldIndex);
            m_replaceResult = true;
            if (!thenSearch) {
                // The sheet stays open on the replaced text.
                m_searchResult = true;
                return;
            }
        } else {
            m_replaceResult = true;
        }
    } else if (!thenSearch) {
        finishStep();
        return;
    }
    while (m_searchFieldIndex < searchFieldCount()) {
        const TextRange found
            = searchField(fieldSearchText(m_searchFieldIndex), m_previousSearchValue, m_searchMask);
        if (!found.isNotFound() && found.length > 0) {
            QWidget *control = searchControl(m_searchFieldIndex);
            onTextControl(control, [&](auto *c) {
                c->setHighlightRange(found);
                return 0;
            });
            m_searchResult = true;
            return;
        }
        // The next field is searched from its start (a failed search left no last match).
        ++m_searchFieldIndex;
    }
    finishStep();
}

void SearchStepSheet::finishStep()
{
    m_searchResult = false;
    if (valuesUnchanged())
        cancel();
    else
        accept();
}

void SearchStepSheet::findNext()
{
    if (m_previousSearchValue.isEmpty())
        return;
    SearchStepHost &host = SearchStepHost::instance();
    const QString findText = host.findField();
    if (findText != host.previousSearchString()) {
        // A new search: keep this edit and let the window start over with the new text.
        accept();
        if (m_ended)
            afterModalRun(&SearchStepHost::findNext);
        return;
    }
    replaceStep(findText, std::nullopt, true);
}

void SearchStepSheet::findPanelReplaceAction()
{
    SearchStepHost &host = SearchStepHost::instance();
    replaceStep(host.findField(), host.replaceField(), false);
}

void SearchStepSheet::findPanelReplaceFindAction()
{
    SearchStepHost &host = SearchStepHost::instance();
    replaceStep(host.findField(), host.replaceField(), true);
}

void SearchStepSheet::findPanelReplaceAllAction()
{
    accept();
    if (m_ended)
        afterModalRun(&SearchStepHost::findPanelReplaceAllAction);
}

void SearchStepSheet::orderFrontFindPanel()
{
    SearchStepHost::instance().orderFrontFindPanel();
}
