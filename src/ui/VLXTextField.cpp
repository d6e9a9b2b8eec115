#include "ui/VLXTextField.h"

#include "ui/VLXCopyFromMenu.h"

#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>

VLXTextField::VLXTextField(QWidget *parent) : QLineEdit(parent)
{
    connect(this, &QLineEdit::textEdited, this, [this] { beginEditing(); });
    connect(this, &QLineEdit::editingFinished, this, [this] { endEditing(); });
}

void VLXTextField::beginEditing()
{
    if (m_editing)
        return;
    m_editing = true;
    emit textDidBeginEditing();
}

void VLXTextField::endEditing()
{
    if (!m_editing)
        return;
    m_editing = false;
    emit textDidEndEditing();
}

void VLXTextField::setCopySource(CopySource source, const QString &label)
{
    m_copySource = std::move(source);
    m_copyLabel = label;
}

bool VLXTextField::copyFromAvailable() const
{
    return m_copySource && !m_copySource().isEmpty();
}

void VLXTextField::copyFromCopySource()
{
    if (m_copySource)
        setTextAsEdit(m_copySource());
}

void VLXTextField::setTextAsEdit(const QString &text)
{
    endEditing();
    beginEditing();
    setText(text);
    endEditing();
}

void VLXTextField::setDropHandlers(ValidateDrop validate, AcceptDrop accept)
{
    m_validateDrop = std::move(validate);
    m_acceptDrop = std::move(accept);
}

TextRange VLXTextField::hightlightRange() const
{
    if (!isFirstResponder())
        return TextRange::notFound();
    if (hasSelectedText())
        return {selectionStart(), selectedText().size()};
    return {cursorPosition(), 0};
}

void VLXTextField::setHighlightRange(TextRange range)
{
    setFocus(Qt::OtherFocusReason);
    if (range.isNotFound())
        return;
    const qsizetype start = qBound<qsizetype>(0, range.location, text().size());
    const qsizetype length = qBound<qsizetype>(0, range.length, text().size() - start);
    setSelection(int(start), int(length));
    if (length == 0)
        setCursorPosition(int(start));
}

QString VLXTextField::highlightedString() const
{
    const TextRange range = hightlightRange();
    if (range.isNotFound())
        return {};
    return text().mid(range.location, range.length);
}

void VLXTextField::replaceHighlightedWithString(const QString &replacement)
{
    const TextRange range = hightlightRange();
    if (range.isNotFound())
        return;
    QString changed = text();
    changed.replace(range.location, range.length, replacement);
    setTextAsEdit(changed);
    setHighlightRange({range.location, replacement.size()});
}

QMenu *VLXTextField::buildContextMenu()
{
    QMenu *menu = createStandardContextMenu();
    if (m_copySource)
        VLXCopyFromMenu::insertAfterCopy(menu, m_copyLabel, copyFromAvailable(),
                                         [this] { copyFromCopySource(); });
    addHelpItem(menu);
    return menu;
}

void VLXTextField::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu *menu = buildContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void VLXTextField::dragEnterEvent(QDragEnterEvent *event)
{
    if (m_validateDrop && m_validateDrop(this, event->mimeData()) != Qt::IgnoreAction)
        event->acceptProposedAction();
    else
        event->ignore();
}

void VLXTextField::dragMoveEvent(QDragMoveEvent *event)
{
    if (m_validateDrop && m_validateDrop(this, event->mimeData()) != Qt::IgnoreAction)
        event->acceptProposedAction();
    else
        event->ignore();
}

void VLXTextField::dropEvent(QDropEvent *event)
{
    if (m_acceptDrop && m_acceptDrop(this, event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}
