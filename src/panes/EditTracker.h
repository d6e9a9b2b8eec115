#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <optional>

class QWidget;

// Follows the editing of the window's text controls (line edits and text views): the text of a
// control is remembered when its edit begins (focus in, or the kit's begin signal for a change
// made on the user's behalf) and when the edit ends (Return, focus out, the kit's end signal, or
// finalizeChanges()) a changed text is first checked and then committed with its start text.
//
// Ending is guarded against re-entry: an alert shown by the check or the commit takes the focus
// away from the control, which would report the end of the same edit again.
//
// Laying out a text takes the window's thread a time that grows with its length (seconds for
// megabytes). A text too long to show (tooLongToShow) is shown in part, after a line that says so,
// and its control is read-only until it shows a shorter text: no change of the part shown is
// ever committed (a whole new text set as an edit is).
class EditTracker : public QObject
{
    Q_OBJECT
public:
    // Answers the text to commit (trimmed, repaired); may show alerts. Without it the text is
    // committed as it stands.
    using Check = std::function<QString(QWidget *control, const QString &proposed)>;
    using Commit
        = std::function<void(QWidget *control, const QString &startText, const QString &newText)>;
    // A check that may refuse the text: nothing answered keeps the user in the control with the
    // text as typed, nothing committed and no alert.
    using RefusingCheck
        = std::function<std::optional<QString>(QWidget *control, const QString &proposed)>;

    // The longest text a control shows whole and edits, and the longest line in it: the time
    // to lay a text out grows with its lines' lengths far more than with its size (a megabyte
    // in paragraphs takes a few milliseconds, 256 KB on one line over 50).
    static constexpr qsizetype kLongestShownText = 1048576;
    static constexpr qsizetype kLongestShownLine = 65536;
    // Whether a text is too long for a control to show whole.
    static bool tooLongToShow(const QString &text);

    explicit EditTracker(QObject *parent = nullptr);

    void setCheck(Check check) { m_check = std::move(check); }
    void setCommit(Commit commit) { m_commit = std::move(commit); }

    // Starts following a control (QLineEdit or QPlainTextEdit, the kit's classes among them).
    void track(QWidget *control);
    // The same with a check and a commit of this control's own (a pane's field binding).
    void track(QWidget *control, Check check, Commit commit);
    void trackRefusing(QWidget *control, RefusingCheck check, Commit commit);
    bool isTracked(const QWidget *control) const;

    void beginEditing(QWidget *control);
    void endEditing(QWidget *control);
    // Ends the edit in progress, so that an action sees the committed model; the control keeps
    // its focus and a new edit begins in it.
    void finalizeChanges();
    // Forgets the edit in progress without committing it.
    void clear();

    bool isEditing() const { return !m_control.isNull(); }
    // An edit is under way whose text the user changed (and that is not committed yet).
    bool hasUncommittedChange() const { return m_control && m_dirty; }
    QWidget *editingControl() const { return m_control; }
    QString startText() const { return m_startText; }
    // The start text of an edit kept by others (extension panes keep theirs here too).
    void setStartText(QWidget *control, const QString &text);

    // Shows a text the program put back (undo, model to window) without it counting as an edit:
    // a control being edited takes it as its new start text.
    void setDisplayedText(QWidget *control, const QString &text);
    // Sets the text as if typed: begin, change, end, so it is checked, committed and undoable.
    void setTextAsEdit(QWidget *control, const QString &text);
    // The control shows only the start of its text (see tooLongToShow).
    static bool showsInPart(const QWidget *control);
    // What a control shows of a text too long to show whole.
    static QString partShown(const QString &text, bool oneLine);

    static QString textOf(const QWidget *control);
    static void setTextOf(QWidget *control, const QString &text);

signals:
    // The user began changing the control's text (typing, or a change made on their behalf).
    void userEdited(QWidget *control);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void markDirty(QWidget *control);
    struct Handlers
    {
        RefusingCheck check;
        Commit commit;
    };
    QHash<const QWidget *, Handlers> m_handlers;
    QPointer<QWidget> m_control;
    QString m_startText;
    Check m_check;
    Commit m_commit;
    bool m_ending = false;
    bool m_quiet = false;
    bool m_dirty = false; // the user (or a change made for the user) changed the text
    bool m_refused = false; // the edit under way was refused and goes on
};
