#include "ui/VLXTextView.h"

#include "ui/VLXCopyFromMenu.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QScrollBar>
#include <QTextBlock>

VLXTextView::VLXTextView(QWidget *parent) : QPlainTextEdit(parent)
{
    connect(document(), &QTextDocument::contentsChanged, this, [this] {
        if (!m_quiet)
            beginEditing();
    });
}

void VLXTextView::beginEditing()
{
    if (m_editing)
        return;
    m_editing = true;
    emit textDidBeginEditing();
}

void VLXTextView::endEditing()
{
    if (!m_editing)
        return;
    m_editing = false;
    emit textDidEndEditing();
}

void VLXTextView::setStringValue(const QString &text)
{
    m_quiet = true;
    setPlainText(text);
    m_quiet = false;
}

void VLXTextView::runAsEdit(const std::function<void()> &change)
{
    endEditing();
    beginEditing();
    m_quiet = true;
    change();
    m_quiet = false;
    endEditing();
}

void VLXTextView::setTextAsEdit(const QString &text)
{
    runAsEdit([&] {
        QTextCursor cursor(document());
        cursor.select(QTextCursor::Document);
        cursor.insertText(text);
    });
}

void VLXTextView::setCopySource(CopySource source, const QString &label)
{
    m_copySource = std::move(source);
    m_copyLabel = label;
}

void VLXTextView::copyFromCopySource()
{
    if (m_copySource)
        setTextAsEdit(m_copySource());
}

TextRange VLXTextView::hightlightRange() const
{
    if (!isFirstResponder())
        return TextRange::notFound();
    const QTextCursor cursor = textCursor();
    return {cursor.selectionStart(), cursor.selectionEnd() - cursor.selectionStart()};
}

void VLXTextView::setHighlightRange(TextRange range)
{
    setFocus(Qt::OtherFocusReason);
    if (range.isNotFound())
        return;
    const qsizetype size = document()->characterCount() - 1;
    const qsizetype start = qBound<qsizetype>(0, range.location, size);
    const qsizetype end = qBound<qsizetype>(start, range.location + range.length, size);
    QTextCursor cursor(document());
    cursor.setPosition(int(start));
    cursor.setPosition(int(end), QTextCursor::KeepAnchor);
    setTextCursor(cursor);
    ensureCursorVisible();
}

QString VLXTextView::highlightedString() const
{
    const TextRange range = hightlightRange();
    if (range.isNotFound())
        return {};
    return toPlainText().mid(range.location, range.length);
}

void VLXTextView::replaceHighlightedWithString(const QString &text)
{
    const TextRange range = hightlightRange();
    if (range.isNotFound())
        return;
    runAsEdit([&] {
        QTextCursor cursor(document());
        cursor.setPosition(int(range.location));
        cursor.setPosition(int(range.location + range.length), QTextCursor::KeepAnchor);
        cursor.insertText(text);
    });
    setHighlightRange({range.location, text.size()});
}

QMenu *VLXTextView::buildContextMenu(const QPoint &position)
{
    QMenu *menu = createStandardContextMenu(position);
    // A view's item stays enabled whenever a source is set, even for an empty value.
    if (m_copySource)
        VLXCopyFromMenu::insertAfterCopy(menu, m_copyLabel, true, [this] { copyFromCopySource(); });
    addHelpItem(menu);
    return menu;
}

void VLXTextView::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu *menu = buildContextMenu(event->pos());
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void VLXTextView::focusOutEvent(QFocusEvent *event)
{
    QPlainTextEdit::focusOutEvent(event);
    endEditing();
}
