#pragma once

#include "ui/TextRange.h"
#include "ui/VLXHelpAnchored.h"

#include <QLineEdit>
#include <functional>

class QMimeData;

// The kit's one-line text field: help anchor, a "Copy From" context item that fills the field from
// another value, drops decided by its owner, and the highlight operations of find and replace.
// Every change made on the user's behalf is framed by textDidBeginEditing/textDidEndEditing so
// the window's edit tracking records it exactly like typing.
class VLXTextField : public QLineEdit, public VLXHelpAnchored
{
    Q_OBJECT
public:
    // Opens this control's help topic (the "Help" item and field alerts send it).
    Q_INVOKABLE void showContextHelp() const { VLXHelpAnchored::showContextHelp(); }
    using CopySource = std::function<QString()>;
    using ValidateDrop = std::function<Qt::DropAction(VLXTextField *, const QMimeData *)>;
    using AcceptDrop = std::function<bool(VLXTextField *, const QMimeData *)>;

    explicit VLXTextField(QWidget *parent = nullptr);

    // A second call replaces the first one's item.
    void setCopySource(CopySource source, const QString &label);
    QString copySourceLabel() const { return m_copyLabel; }
    bool copyFromAvailable() const;
    void copyFromCopySource();

    void setDropHandlers(ValidateDrop validate, AcceptDrop accept);

    // The control holds its window's focus (it may be inactive, as during a search).
    bool isFirstResponder() const { return window() && window()->focusWidget() == this; }
    TextRange hightlightRange() const;
    void setHighlightRange(TextRange range);
    QString highlightedString() const;
    void replaceHighlightedWithString(const QString &text);

    // Sets the text as if typed: framed by the begin and end editing signals.
    void setTextAsEdit(const QString &text);

    // The context menu as the user gets it (built fresh each time).
    QMenu *buildContextMenu();

signals:
    void textDidBeginEditing();
    void textDidEndEditing();

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void beginEditing();
    void endEditing();

    CopySource m_copySource;
    QString m_copyLabel;
    ValidateDrop m_validateDrop;
    AcceptDrop m_acceptDrop;
    bool m_editing = false;
};
