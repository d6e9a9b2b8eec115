#pragma once

#include "ui/TextRange.h"
#include "ui/VLXHelpAnchored.h"

#include <QPlainTextEdit>
#include <functional>

// The kit's multi-line text view: help anchor, "Copy From", highlight operations, and the editing
// signals the window's edit tracking listens to (begin on the first change, end when focus leaves
// or when a change made on the user's behalf is complete).
class VLXTextView : public QPlainTextEdit, public VLXHelpAnchored
{
    Q_OBJECT
public:
    // Opens this control's help topic (the "Help" item and field alerts send it).
    Q_INVOKABLE void showContextHelp() const { VLXHelpAnchored::showContextHelp(); }
    using CopySource = std::function<QString()>;

    explicit VLXTextView(QWidget *parent = nullptr);

    // Shows a model value; not an edit.
    void setStringValue(const QString &text);
    QString stringValue() const { return toPlainText(); }

    void setCopySource(CopySource source, const QString &label);
    QString copySourceLabel() const { return m_copyLabel; }
    void copyFromCopySource();

    // The control holds its window's focus (it may be inactive, as during a search).
    bool isFirstResponder() const { return window() && window()->focusWidget() == this; }
    TextRange hightlightRange() const;
    void setHighlightRange(TextRange range);
    QString highlightedString() const;
    void replaceHighlightedWithString(const QString &text);

    // Replaces the whole text as one edit framed by the editing signals.
    void setTextAsEdit(const QString &text);

    virtual QMenu *buildContextMenu(const QPoint &position);

signals:
    void textDidBeginEditing();
    void textDidEndEditing();

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    // Runs a change on the user's behalf inside one begin/end pair.
    void runAsEdit(const std::function<void()> &change);

private:
    void beginEditing();
    void endEditing();

    CopySource m_copySource;
    QString m_copyLabel;
    bool m_editing = false;
    bool m_quiet = false;
};
