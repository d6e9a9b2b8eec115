#include "ui/VLXComboBox.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLineEdit>

VLXComboBox::VLXComboBox(QWidget *parent) : QComboBox(parent)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    lineEdit()->setAcceptDrops(false);
}

void VLXComboBox::setDropHandlers(ValidateDrop validate, AcceptDrop accept)
{
    m_validateDrop = std::move(validate);
    m_acceptDrop = std::move(accept);
    setAcceptDrops(bool(m_validateDrop));
}

TextRange VLXComboBox::hightlightRange() const
{
    const QLineEdit *edit = lineEdit();
    if (!edit || !window() || (window()->focusWidget() != this && window()->focusWidget() != edit))
        return TextRange::notFound();
    if (edit->hasSelectedText())
        return {edit->selectionStart(), edit->selectedText().size()};
    return {edit->cursorPosition(), 0};
}

void VLXComboBox::setHighlightRange(TextRange range)
{
    QLineEdit *edit = lineEdit();
    setFocus(Qt::OtherFocusReason);
    if (!edit || range.isNotFound())
        return;
    const qsizetype start = qBound<qsizetype>(0, range.location, edit->text().size());
    const qsizetype length = qBound<qsizetype>(0, range.length, edit->text().size() - start);
    edit->setSelection(int(start), int(length));
}

QString VLXComboBox::highlightedString() const
{
    const TextRange range = hightlightRange();
    return range.isNotFound() ? QString() : currentText().mid(range.location, range.length);
}

void VLXComboBox::replaceHighlightedWithString(const QString &text)
{
    const TextRange range = hightlightRange();
    if (range.isNotFound())
        return;
    QString changed = currentText();
    changed.replace(range.location, range.length, text);
    emit textDidBeginEditing();
    setEditText(changed);
    emit textDidEndEditing();
    setHighlightRange({range.location, text.size()});
}

void VLXComboBox::dragEnterEvent(QDragEnterEvent *event)
{
    if (m_validateDrop && m_validateDrop(this, event->mimeData()) != Qt::IgnoreAction)
        event->acceptProposedAction();
    else
        event->ignore();
}

void VLXComboBox::dropEvent(QDropEvent *event)
{
    if (m_acceptDrop && m_acceptDrop(this, event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}
