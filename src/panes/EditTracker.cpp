#include "panes/EditTracker.h"

#include "platform/ShownText.h"

#include "ui/VLXTextField.h"
#include "ui/VLXTextView.h"

#include <QEvent>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScopedValueRollback>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>

EditTracker::EditTracker(QObject *parent) : QObject(parent) { }

QString EditTracker::textOf(const QWidget *control)
{
    if (const auto *line = qobject_cast<const QLineEdit *>(control))
        return line->text();
    if (const auto *plain = qobject_cast<const QPlainTextEdit *>(control))
        return plain->toPlainText();
    if (const auto *rich = qobject_cast<const QTextEdit *>(control))
        return rich->toPlainText();
    return {};
}

namespace {

// A control showing a text in part carries this mark, and whether it was read-only before, until
// it shows a whole text again.
const char kInPart[] = "vlxShownInPart";
const char kWasReadOnly[] = "vlxReadOnlyBeforePart";

bool isReadOnly(const QWidget *control)
{
    if (const auto *line = qobject_cast<const QLineEdit *>(control))
        return line->isReadOnly();
    if (const auto *plain = qobject_cast<const QPlainTextEdit *>(control))
        return plain->isReadOnly();
    if (const auto *rich = qobject_cast<const QTextEdit *>(control))
        return rich->isReadOnly();
    return false;
}

void setReadOnly(QWidget *control, bool readOnly)
{
    if (auto *line = qobject_cast<QLineEdit *>(control))
        line->setReadOnly(readOnly);
    else if (auto *plain = qobject_cast<QPlainTextEdit *>(control))
        plain->setReadOnly(readOnly);
    else if (auto *rich = qobject_cast<QTextEdit *>(control))
        rich->setReadOnly(readOnly);
}

void markInPart(QWidget *control, bool inPart)
{
    if (inPart)
        control->setProperty(kWasReadOnly, isReadOnly(control));
    setReadOnly(control, inPart || control->property(kWasReadOnly).toBool());
    control->setProperty(kInPart, inPart);
}

} // namespace

bool EditTracker::showsInPart(const QWidget *control)
{
    return control && control->property(kInPart).toBool();
}

bool EditTracker::tooLongToShow(const QString &text)
{
    if (text.size() <= kLongestShownLine)
        return false;
    if (text.size() > kLongestShownText)
        return true;
    return ShownText::holdsLineLongerThan(text, kLongestShownLine);
}

QString EditTracker::partShown(const QString &text, bool oneLine)
{
    // The note comes first, where it is seen.
    const QString note = tr("[This text has %L1 characters: only the first %L2 are shown, and it "
                            "is too long to edit here.]")
                             .arg(text.size())
                             .arg(kLongestShownLine);
    return note + (oneLine ? QStringLiteral(" ") : QStringLiteral("\n\n"))
        + text.left(kLongestShownLine) + QStringLiteral(" \u2026");
}

void EditTracker::setTextOf(QWidget *control, const QString &text)
{
    if (auto *line = qobject_cast<QLineEdit *>(control)) {
        if (line->text() != text)
            line->setText(text);
    } else if (auto *plain = qobject_cast<QPlainTextEdit *>(control)) {
        if (plain->toPlainText() != text)
            plain->setPlainText(text);
    } else if (auto *rich = qobject_cast<QTextEdit *>(control)) {
        if (rich->toPlainText() != text)
            rich->setPlainText(text);
    }
}

void EditTracker::track(QWidget *control)
{
    if (!control || isTracked(control))
        return;
    control->setProperty("vlxEditTracked", true);
    control->installEventFilter(this);
    if (auto *field = qobject_cast<VLXTextField *>(control)) {
        connect(field, &VLXTextField::textDidBeginEditing, this, [this, field] {
            beginEditing(field);
            markDirty(field);
        });
        connect(field, &VLXTextField::textDidEndEditing, this,
                [this, field] { endEditing(field); });
    } else if (auto *line = qobject_cast<QLineEdit *>(control)) {
        connect(line, &QLineEdit::textEdited, this, [this, line] {
            beginEditing(line);
            markDirty(line);
        });
        connect(line, &QLineEdit::editingFinished, this, [this, line] { endEditing(line); });
    } else if (auto *view = qobject_cast<VLXTextView *>(control)) {
        connect(view, &VLXTextView::textDidBeginEditing, this, [this, view] {
            beginEditing(view);
            markDirty(view);
        });
        connect(view, &VLXTextView::textDidEndEditing, this, [this, view] { endEditing(view); });
    }
    // The program showing another value in the focused control (the model copied into the
    // window) is not the user's edit: it becomes the start text of the edit under way.
    if (auto *line = qobject_cast<QLineEdit *>(control)) {
        connect(line, &QLineEdit::textChanged, this, [this, line](const QString &text) {
            if (m_control == line && !m_dirty && !m_quiet && !line->isModified())
                m_startText = text;
        });
    } else if (auto *plain = qobject_cast<QPlainTextEdit *>(control)) {
        connect(plain, &QPlainTextEdit::textChanged, this, [this, plain] {
            if (m_control == plain && !m_dirty && !m_quiet && !plain->document()->isModified())
                m_startText = plain->toPlainText();
        });
    }
}

void EditTracker::track(QWidget *control, Check check, Commit commit)
{
    RefusingCheck refusing;
    if (check)
        refusing = [check](QWidget *control, const QString &proposed) -> std::optional<QString> {
            return check(control, proposed);
        };
    trackRefusing(control, std::move(refusing), std::move(commit));
}

void EditTracker::trackRefusing(QWidget *control, RefusingCheck check, Commit commit)
{
    if (!control)
        return;
    m_handlers.insert(control, {std::move(check), std::move(commit)});
    connect(control, &QObject::destroyed, this, [this, control] { m_handlers.remove(control); });
    track(control);
}

bool EditTracker::isTracked(const QWidget *control) const
{
    return control && control->property("vlxEditTracked").toBool();
}

bool EditTracker::eventFilter(QObject *watched, QEvent *event)
{
    auto *control = qobject_cast<QWidget *>(watched);
    if (control && isTracked(control)) {
        if (event->type() == QEvent::FocusIn) {
            beginEditing(control);
        } else if (event->type() == QEvent::FocusOut) {
            // A context menu or completer popping up does not end the edit.
            if (static_cast<QFocusEvent *>(event)->reason() != Qt::PopupFocusReason)
                endEditing(control);
        }
    }
    return QObject::eventFilter(watched, event);
}

void EditTracker::beginEditing(QWidget *control)
{
    if (!control || m_ending || m_quiet)
        return;
    if (m_control == control)
        return; // the edit is already under way; its start text stands
    if (m_control) {
        endEditing(m_control);
        // A refused text holds the user in its control, which is taking the focus back.
        if (m_refused && m_control)
            return;
    }
    m_refused = false;
    m_control = control;
    m_startText = textOf(control);
    m_dirty = false;
}

void EditTracker::markDirty(QWidget *control)
{
    if (m_dirty)
        return;
    m_dirty = true;
    emit userEdited(control);
}

void EditTracker::setStartText(QWidget *control, const QString &text)
{
    m_control = control;
    m_startText = text;
}

void EditTracker::endEditing(QWidget *control)
{
    if (!control || m_ending || control != m_control)
        return;
    QScopedValueRollback<bool> guard(m_ending, true);
    const QString start = m_startText;
    m_control.clear();
    m_startText.clear();
    m_dirty = false;
    m_refused = false;

    const auto own = m_handlers.constFind(control);
    RefusingCheck check;
    if (own != m_handlers.cend())
        check = own->check;
    else if (m_check)
        check = [this](QWidget *c, const QString &t) {
            return std::optional<QString>(m_check(c, t));
        };
    const Commit commit = own != m_handlers.cend() ? own->commit : m_commit;
    QString text = textOf(control);
    if (text != start && showsInPart(control)) {
        // The part of a text changed (a replacement found in it): the whole text stays.
        QScopedValueRollback<bool> quiet(m_quiet, true);
        setTextOf(control, start);
        text = start;
    }
    if (text != start) {
        if (check) {
            const std::optional<QString> answer = check(control, text);
            if (!answer) {
                // Refused: the edit goes on in the control, which takes the focus back.
                m_control = control;
                m_startText = start;
                m_dirty = true;
                m_refused = true;
                if (!control->hasFocus())
                    QTimer::singleShot(0, control, [control] { control->setFocus(); });
                return;
            }
            const QString checked = *answer;
            if (checked != text) {
                QScopedValueRollback<bool> quiet(m_quiet, true);
                setTextOf(control, checked);
                text = checked;
            }
        }
        if (text != start && commit)
            commit(control, start, text);
    }
    // Typing goes on in the same control: the next change is a new edit starting from here.
    if (control->hasFocus()) {
        m_control = control;
        m_startText = textOf(control);
        if (auto *line = qobject_cast<QLineEdit *>(control))
            line->setModified(false);
        else if (auto *plain = qobject_cast<QPlainTextEdit *>(control))
            plain->document()->setModified(false);
    }
}

void EditTracker::finalizeChanges()
{
    if (m_control)
        endEditing(m_control);
}

void EditTracker::clear()
{
    m_refused = false;
    m_control.clear();
    m_startText.clear();
}

void EditTracker::setDisplayedText(QWidget *control, const QString &text)
{
    QScopedValueRollback<bool> quiet(m_quiet, true);
    const bool inPart = control && tooLongToShow(text);
    if (control && inPart != showsInPart(control))
        markInPart(control, inPart);
    const QString shown
        = inPart ? partShown(text, qobject_cast<QLineEdit *>(control) != nullptr) : text;
    setTextOf(control, shown);
    if (control && control == m_control)
        m_startText = shown;
}

void EditTracker::setTextAsEdit(QWidget *control, const QString &text)
{
    if (!control)
        return;
    if (m_control != control)
        beginEditing(control);
    {
        QScopedValueRollback<bool> quiet(m_quiet, true);
        setTextOf(control, text);
    }
    // A whole new text: no longer the part of one.
    if (showsInPart(control))
        markInPart(control, false);
    endEditing(control);
}
