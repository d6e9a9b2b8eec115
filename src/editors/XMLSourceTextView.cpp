#include "editors/XMLSourceTextView.h"

#include "platform/ShownText.h"

#include <QAction>
#include <QElapsedTimer>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QMenu>
#include <QPointer>
#include <QTextBlock>
#include <QUndoStack>

namespace {
constexpr qsizetype kSlice = 8 * 1024;
constexpr qint64 kSliceNanoseconds = 6'000'000;
// Long enough that recolouring waits for a pause in typing.
constexpr int kRecolorDelayMs = 400;

// Qt starts a new block at each of these; the text keeps them as "\n" so that positions in the
// text and in the document stay the same.
QString withNewlines(const QString &text)
{
    const auto breaks = [](QChar c) {
        const char16_t u = c.unicode();
        return u == u'\r' || u == QChar::ParagraphSeparator || u == 0xFDD0 || u == 0xFDD1;
    };
    if (std::none_of(text.cbegin(), text.cend(), breaks))
        return text;
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            continue;
        out += breaks(c) ? QChar(u'\n') : c;
    }
    return out;
}

// Where the slice that starts at from ends: after the last line break in reach. A line longer
// than the slice is cut only where the first screen is shown (Cut); later slices take the rest
// of such a line whole (WholeLine): the plain text layout lays a line out again from its start
// each time text joins it, so a long line taken in piece by piece would cost the square of its
// length, and one taken at once costs its length.
enum class LongLine { Cut, WholeLine };
qsizetype sliceEnd(const QString &text, qsizetype from, qsizetype size, LongLine longLine)
{
    qsizetype end = std::min(text.size(), from + size);
    if (end == text.size())
        return end;
    // Searched within the slice only: before it lies the rest of a long line.
    const qsizetype lineEnd = QStringView(text).sliced(from, end - from).lastIndexOf(u'\n');
    if (lineEnd >= 0)
        return from + lineEnd + 1;
    if (longLine == LongLine::WholeLine) {
        const qsizetype next = text.indexOf(u'\n', end);
        return next < 0 ? text.size() : next + 1;
    }
    if (text[end - 1].isHighSurrogate())
        ++end;
    return end;
}

// One step of the document's own undo history on the window's undo stack. The document has
// made the change already when the step is pushed.
class DocumentStep : public QUndoCommand
{
public:
    DocumentStep(XMLSourceTextView *view, const QString &name)
        : QUndoCommand(name), m_view(view) { }
    void undo() override
    {
        if (!m_view)
            return;
        m_view->undo();
        m_view->breakTypingMerge();
    }
    void redo() override
    {
        if (m_pushed) {
            m_pushed = false;
            return;
        }
        if (!m_view)
            return;
        m_view->redo();
        m_view->breakTypingMerge();
    }

private:
    QPointer<XMLSourceTextView> m_view;
    bool m_pushed = true;
};
} // namespace

XMLSourceTextView::XMLSourceTextView(QWidget *parent) : LineNumberedTextView(parent)
{
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setLineWrapMode(QPlainTextEdit::NoWrap);
    m_loader.setSingleShot(true);
    m_loader.setInterval(0);
    connect(&m_loader, &QTimer::timeout, this, &XMLSourceTextView::loadSlice);
    m_recolorTimer.setSingleShot(true);
    m_recolorTimer.setInterval(kRecolorDelayMs);
    connect(&m_recolorTimer, &QTimer::timeout, this, &XMLSourceTextView::recolor);
    connect(document(), &QTextDocument::contentsChange, this, &XMLSourceTextView::textChanged);
    connect(document(), &QTextDocument::undoCommandAdded, this,
            &XMLSourceTextView::documentStepAdded);
    for (auto color :
         {XMLColorRanges::Color::Channel, XMLColorRanges::Color::Item, XMLColorRanges::Color::Image,
          XMLColorRanges::Color::Tag, XMLColorRanges::Color::Comment})
        m_formats[std::size_t(color)].setForeground(colorFor(color));
}

QColor XMLSourceTextView::colorFor(XMLColorRanges::Color color)
{
    switch (color) {
    case XMLColorRanges::Color::Channel:
        return QColor(128, 0, 128);
    case XMLColorRanges::Color::Item:
        return QColor(200, 0, 0);
    case XMLColorRanges::Color::Image:
        return QColor(0, 128, 0);
    case XMLColorRanges::Color::Tag:
        return QColor(0, 0, 230);
    case XMLColorRanges::Color::Comment:
        return QColor(128, 128, 128);
    case XMLColorRanges::Color::None:
        break;
    }
    return {};
}

void XMLSourceTextView::loadText(const QString &text)
{
    if (isLoading())
        m_loader.stop();
    else
        m_readOnlyBeforeLoading = isReadOnly();
    m_pending = withNewlines(text);
    wrapLines(ShownText::holdsLineLongerThan(m_pending, kLongestUnwrappedLine));
    m_text = m_pending;
    m_textValid = true;
    m_recolorTimer.stop();
    if (m_colored)
        m_ranges = XMLColorRanges(m_pending, m_prefixes);
    ++m_generation;

    document()->setUndoRedoEnabled(false);
    m_loadedUpTo = sliceEnd(m_pending, 0, kFirstSlice, LongLine::Cut);
    m_appending = true;
    setStringValue(m_pending.left(m_loadedUpTo));
    m_appending = false;
    if (isLoading()) {
        setReadOnly(true);
        m_loader.start();
    } else {
        endLoading();
    }
}

void XMLSourceTextView::wrapLines(bool wrap)
{
    if (wrap == wrapsLongLines())
        return;
    setLineWrapMode(wrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    // Breaking a long run without blanks only where it fits takes the layout far longer.
    setWordWrapMode(wrap ? QTextOption::WrapAnywhere : QTextOption::WrapAtWordBoundaryOrAnywhere);
    // A wrapped long line is always taller than the view: a scroll bar appearing once it is laid
    // out would narrow the view and have all of it laid out again.
    setVerticalScrollBarPolicy(wrap ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAsNeeded);
}

void XMLSourceTextView::loadSlice()
{
    QElapsedTimer clock;
    clock.start();
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    m_appending = true;
    while (isLoading() && clock.nsecsElapsed() < kSliceNanoseconds) {
        const qsizetype end = sliceEnd(m_pending, m_loadedUpTo, kSlice, LongLine::WholeLine);
        cursor.insertText(m_pending.sliced(m_loadedUpTo, end - m_loadedUpTo));
        m_loadedUpTo = end;
    }
    m_appending = false;
    if (isLoading())
        m_loader.start();
    else
        endLoading();
}

void XMLSourceTextView::finishLoading()
{
    if (!isLoading())
        return;
    m_loader.stop();
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    m_appending = true;
    cursor.insertText(m_pending.sliced(m_loadedUpTo));
    m_appending = false;
    m_loadedUpTo = m_pending.size();
    endLoading();
}

void XMLSourceTextView::endLoading()
{
    m_pending.clear();
    m_loadedUpTo = 0;
    document()->setUndoRedoEnabled(true);
    setReadOnly(m_readOnlyBeforeLoading);
    emit loadingFinished();
}

QString XMLSourceTextView::text()
{
    finishLoading();
    if (!m_textValid) {
        m_text = document()->toRawText();
        m_text.replace(QChar::ParagraphSeparator, u'\n');
        m_textValid = true;
    }
    return m_text;
}

void XMLSourceTextView::setColored(bool colored)
{
    m_colored = colored;
    recolor();
}

void XMLSourceTextView::setUsedPrefixes(const QStringList &prefixes)
{
    m_prefixes = prefixes;
}

void XMLSourceTextView::recolor()
{
    m_recolorTimer.stop();
    if (m_colored) {
        // While loading, the text to be is known already: no need to wait for it.
        m_ranges = XMLColorRanges(isLoading() ? m_text : text(), m_prefixes);
    } else {
        m_ranges.clear();
    }
    ++m_generation;
    viewport()->update();
}

QList<QTextLayout::FormatRange> XMLSourceTextView::formatsOfBlock(const QTextBlock &block) const
{
    QList<QTextLayout::FormatRange> formats;
    if (!m_colored)
        return formats;
    const int start = block.position();
    const int end = start + block.length();
    const QList<XMLColorRanges::Run> &runs = m_ranges.runs();
    for (qsizetype i = m_ranges.firstRunEndingAfter(start); i < runs.size() && runs[i].start < end;
         ++i) {
        const int from = std::max(runs[i].start, start);
        const int to = std::min(runs[i].end(), end);
        QTextLayout::FormatRange range;
        range.start = from - start;
        range.length = to - from;
        range.format = m_formats[std::size_t(runs[i].color)];
        formats.append(range);
    }
    return formats;
}

void XMLSourceTextView::colorVisibleBlocks()
{
    QTextBlock block = firstVisibleBlock();
    qreal top = blockGeometry(block).top();
    const qreal bottom = viewport()->height();
    while (block.isValid() && top <= bottom) {
        QTextLayout *layout = block.layout();
        // A layout drops what it worked out for its line (scripts, break points, glyphs) after
        // each paint, and the next caret blink or paint works it all out again: over a line of
        // megabytes that took most of every blink. A long line keeps it, some 35 bytes a
        // character, for as long as the view holds the line.
        layout->setCacheEnabled(block.length() > kLongestUnwrappedLine + 1);
        if (block.userState() != m_generation) {
            const QList<QTextLayout::FormatRange> formats = formatsOfBlock(block);
            // New formats have the block laid out again, which takes a long line long: a block
            // whose colours stayed the same keeps its layout.
            if (formats != layout->formats()) {
                layout->setFormats(formats);
                // The layout noted the new formats as a change of the text; settle it now, or
                // the next edit would be reported as reaching over every block coloured since.
                // Block by block: a range over several would have those between laid out again.
                document()->markContentsDirty(block.position(), block.length());
            }
            block.setUserState(m_generation);
        }
        top += blockHeight(block);
        block = block.next();
    }
}

void XMLSourceTextView::paintEvent(QPaintEvent *event)
{
    colorVisibleBlocks();
    LineNumberedTextView::paintEvent(event);
}

void XMLSourceTextView::textChanged(int position, int removed, int added)
{
    if (m_appending)
        return;
    m_textValid = false;
    if (m_colored) {
        m_ranges.adjustForEdit(position, removed, added);
        m_recolorTimer.start();
    }
    // The edited blocks keep their old formats in their layouts: they get new ones when painted.
    // A long line gets them now, before the layout takes in the edit: new formats when painted
    // would have the whole line laid out a second time, seconds for a line of megabytes.
    bool longLine = false;
    for (QTextBlock block = document()->findBlock(position);
         block.isValid() && block.position() <= position + added; block = block.next()) {
        if (block.length() <= kLongestUnwrappedLine + 1) {
            block.setUserState(-1);
            continue;
        }
        longLine = true;
        const QList<QTextLayout::FormatRange> formats = formatsOfBlock(block);
        if (formats != block.layout()->formats())
            block.layout()->setFormats(formats);
        block.setUserState(m_generation);
    }
    // A long line pasted or brought back by Undo; the layout is still taking in the edit.
    if (longLine && !wrapsLongLines())
        QMetaObject::invokeMethod(
            this, [this] { wrapLines(true); }, Qt::QueuedConnection);
}

void XMLSourceTextView::replaceAllText(const QString &text)
{
    finishLoading();
    QTextCursor cursor(document());
    cursor.select(QTextCursor::Document);
    const QString replacement = withNewlines(text);
    wrapLines(ShownText::holdsLineLongerThan(replacement, kLongestUnwrappedLine));
    cursor.insertText(replacement);
}

void XMLSourceTextView::setUndoStack(QUndoStack *stack)
{
    m_undoStack = stack;
}

void XMLSourceTextView::breakTypingMerge()
{
    document()->setModified(false);
}

void XMLSourceTextView::documentStepAdded()
{
    const QString name = m_nextUndoName.isEmpty() ? tr("Typing") : m_nextUndoName;
    m_nextUndoName.clear();
    if (m_undoStack && !m_appending)
        m_undoStack->push(new DocumentStep(this, name));
}

void XMLSourceTextView::keyPressEvent(QKeyEvent *event)
{
    if (m_undoStack && event->matches(QKeySequence::Undo)) {
        m_undoStack->undo();
        return;
    }
    if (m_undoStack && event->matches(QKeySequence::Redo)) {
        m_undoStack->redo();
        return;
    }
    LineNumberedTextView::keyPressEvent(event);
}

QMenu *XMLSourceTextView::buildContextMenu(const QPoint &position)
{
    QMenu *menu = LineNumberedTextView::buildContextMenu(position);
    if (!m_undoStack)
        return menu;
    // The document's own undo items would bypass the window's history.
    for (QAction *action : menu->actions()) {
        const bool undo = action->objectName() == QLatin1String("edit-undo");
        if (!undo && action->objectName() != QLatin1String("edit-redo"))
            continue;
        QAction *replacement = undo ? m_undoStack->createUndoAction(menu, tr("Undo"))
                                    : m_undoStack->createRedoAction(menu, tr("Redo"));
        replacement->setShortcut(action->shortcut());
        menu->insertAction(action, replacement);
        menu->removeAction(action);
    }
    return menu;
}
