#include "editors/MNLineNumberingRulerView.h"

#include "editors/LineNumberedTextView.h"
#include "editors/MNLineNumberCache.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QResizeEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>

namespace {
// A width change is applied once resizing has settled.
constexpr int kRebuildDelayMs = 250;
constexpr int kLabelMargin = 3;

const QString &continuationLabel()
{
    static const QString dash = QStringLiteral("-");
    return dash;
}
} // namespace

MNLineNumberingRulerView::MNLineNumberingRulerView(LineNumberedTextView *textView)
    : QWidget(textView), m_textView(textView), m_cache(new MNLineNumberCache(textView, this))
{
    setObjectName(QStringLiteral("lineNumberRuler"));
    m_marginFont = font();
    m_marginFont.setBold(true);
    m_marginFont.setPointSizeF(8.0);
    setAutoFillBackground(false);

    m_startCacheTimer.setSingleShot(true);
    m_startCacheTimer.setInterval(kRebuildDelayMs);
    connect(&m_startCacheTimer, &QTimer::timeout, this, [this] {
        m_cache->releaseCache();
        m_cache->startBuildingCache();
        update();
    });
    connect(m_cache, &MNLineNumberCache::finishBuildingCache, this,
            &MNLineNumberingRulerView::finishBuildingCache);
    connect(textView, &QPlainTextEdit::updateRequest, this, [this](const QRect &rect, int dy) {
        if (dy)
            scroll(0, dy);
        else
            update(0, rect.y(), width(), rect.height());
    });
    connect(textView->document(), &QTextDocument::contentsChange, this,
            &MNLineNumberingRulerView::textChanged);
    m_viewport = textView->viewport();
    m_viewport->installEventFilter(this);
    m_boundsWidth = m_viewport->width();
    updateThickness();
    m_cache->startBuildingCache();
}

MNLineNumberingRulerView::~MNLineNumberingRulerView()
{
    m_startCacheTimer.stop();
    m_cache->letBuilderSleep();
}

void MNLineNumberingRulerView::setOption(unsigned option)
{
    m_option = option;
    updateThickness();
    update();
}

void MNLineNumberingRulerView::setVisible(bool visible)
{
    m_shown = visible;
    QWidget::setVisible(visible);
    m_textView->setRulerThickness(ruleThickness());
}

int MNLineNumberingRulerView::ruleThickness() const
{
    return m_shown ? m_thickness : kNoLineNumbering;
}

void MNLineNumberingRulerView::updateThickness()
{
    // Wide enough for the largest number the mode can draw, and never narrower than the rule.
    const QTextDocument *document = m_textView->document();
    int largest = 0;
    switch (m_option & 0xF) {
    case LineNumbers:
        largest = document->lineCount() + 1;
        break;
    case CharacterIndexes:
        largest = document->characterCount();
        break;
    case ParagraphNumbers:
        largest = document->blockCount();
        break;
    default:
        break;
    }
    const QFontMetrics metrics(m_marginFont);
    const int digits = QString::number(largest).size();
    const int needed = metrics.horizontalAdvance(QString(digits, u'9')) + 2 * kLabelMargin + 4;
    const int thickness = std::max(kRuleThickness, needed);
    if (thickness == m_thickness)
        return;
    m_thickness = thickness;
    m_textView->setRulerThickness(ruleThickness());
}

void MNLineNumberingRulerView::finishBuildingCache()
{
    if (m_textView)
        update();
}

void MNLineNumberingRulerView::textChanged(int position, int removed, int added)
{
    adjustBookmarks(position, added - removed);
    m_cache->invalidateFrom(position);
    m_cache->startBuildingCache();
    updateThickness();
    update();
}

void MNLineNumberingRulerView::adjustBookmarks(int location, int change)
{
    if (change == 0 || m_bookmarks.isEmpty())
        return;
    const int length = m_textView->document()->characterCount() - 1;
    auto gone = [length](int position) { return position == 0 || position >= length; };
    QList<Bookmark> kept;
    kept.reserve(m_bookmarks.size());
    for (Bookmark bookmark : std::as_const(m_bookmarks)) {
        if (change > 0) {
            if (bookmark.position >= location) {
                bookmark.position += change;
                if (gone(bookmark.position))
                    continue;
            }
        } else if (bookmark.position > location && bookmark.position < location - change) {
            // Inside the deleted stretch: it lands where the stretch was.
            bookmark.position = location;
            if (gone(location))
                continue;
        } else if (bookmark.position >= location - change) {
            bookmark.position += change;
            if (gone(bookmark.position))
                continue;
        }
        kept.append(bookmark);
    }
    m_bookmarks = kept;
}

void MNLineNumberingRulerView::addBookmark(int position)
{
    Bookmark bookmark;
    bookmark.position = position;
    const auto at = std::lower_bound(m_bookmarks.begin(), m_bookmarks.end(), bookmark,
                                     &MNLineNumberingRulerView::sortBookmarks);
    m_bookmarks.insert(at, bookmark);
    update();
}

bool MNLineNumberingRulerView::eventFilter(QObject *watched, QEvent *event)
{
    // The viewport is told of its children's end while the text view around it is half
    // destroyed already: it is known without asking the view.
    if (watched == m_viewport && event->type() == QEvent::Resize) {
        const int width = static_cast<QResizeEvent *>(event)->size().width();
        // Wrapped lines move when the width changes; numbers wait until the counting restarts.
        if (width != m_boundsWidth) {
            m_boundsWidth = width;
            if (m_textView->lineWrapMode() != QPlainTextEdit::NoWrap) {
                m_cache->letBuilderSleep();
                m_startCacheTimer.start();
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool MNLineNumberingRulerView::drawsNumbers(const QTextBlock &firstVisible) const
{
    const unsigned mode = m_option & 0xF;
    if (mode < LineNumbers || mode > ParagraphNumbers || isRebuildPending())
        return false;
    // Line numbers below the counted part would be guesses: they wait for the cache.
    return mode != LineNumbers || firstVisible.blockNumber() <= m_cache->countedBlocks();
}

void MNLineNumberingRulerView::drawLabel(QPainter &painter, const QString &label, qreal top,
                                         qreal height)
{
    const QRectF box(0, top, m_thickness - kLabelMargin - 1, height);
    painter.drawText(box, Qt::AlignRight | Qt::AlignVCenter, label);
}

void MNLineNumberingRulerView::paintEvent(QPaintEvent *event)
{
    if (ruleThickness() == kNoLineNumbering)
        return;
    QPainter painter(this);
    const QRect dirty = event->rect();
    painter.fillRect(dirty.adjusted(1, 0, 0, 0), palette().color(QPalette::Midlight));
    painter.setPen(Qt::darkGray);
    painter.drawLine(width() - 1, dirty.top(), width() - 1, dirty.bottom());

    QTextBlock block = m_textView->firstVisibleBlock();
    const bool numbers = drawsNumbers(block);
    const unsigned mode = m_option & 0xF;
    if (!numbers) {
        if (mode == LineNumbers)
            m_cache->continueBuildingCache();
        if (!(m_option & ShowBookmarks) || m_bookmarks.isEmpty())
            return;
    }
    const bool bookmarks = (m_option & ShowBookmarks) && !m_bookmarks.isEmpty();
    painter.setFont(m_marginFont);
    painter.setRenderHint(QPainter::Antialiasing);
    qreal top = m_textView->blockGeometry(block).top();
    while (block.isValid() && top <= dirty.bottom()) {
        const qreal height = m_textView->blockHeight(block);
        const QTextLayout *layout = block.layout();
        const int lines = std::max(1, layout->lineCount());
        for (int i = 0; i < lines; ++i) {
            const QTextLine textLine = layout->lineCount() ? layout->lineAt(i) : QTextLine();
            const qreal lineTop = top + (textLine.isValid() ? textLine.y() : 0);
            const qreal lineHeight = textLine.isValid() ? textLine.height() : height;
            // A long wrapped paragraph has far more lines than the view shows.
            if (lineTop > dirty.bottom())
                break;
            const int start = block.position() + (textLine.isValid() ? textLine.textStart() : 0);
            if (lineTop + lineHeight >= dirty.top() && numbers) {
                painter.setPen(Qt::darkGray);
                drawLabel(painter, labelAt(block, i), lineTop, lineHeight);
            }
            if (!bookmarks)
                continue;
            const int end = i + 1 < lines ? block.position() + layout->lineAt(i + 1).textStart()
                                          : block.position() + block.length();
            Bookmark probe;
            probe.position = start;
            const auto at = std::lower_bound(m_bookmarks.begin(), m_bookmarks.end(), probe,
                                             &MNLineNumberingRulerView::sortBookmarks);
            if (at != m_bookmarks.end() && at->position < end) {
                const qreal middle = lineTop + lineHeight / 2;
                QPainterPath marker;
                marker.moveTo(2, middle - 4);
                marker.lineTo(9, middle - 4);
                marker.lineTo(13, middle);
                marker.lineTo(9, middle + 4);
                marker.lineTo(2, middle + 4);
                marker.closeSubpath();
                painter.fillPath(marker, QColor(70, 110, 200));
                Bookmark &drawn = m_bookmarks[at - m_bookmarks.begin()];
                drawn.paragraph = block.blockNumber() + 1;
                drawn.lineNumber = m_cache->lineNumberAtPosition(start);
            }
        }
        top += height;
        block = block.next();
    }
}

QString MNLineNumberingRulerView::labelAt(const QTextBlock &block, int lineInBlock)
{
    if (!block.isValid())
        return {};
    switch (m_option & 0xF) {
    case LineNumbers:
        return QString::number(m_cache->lineNumberOfBlock(block.blockNumber()) + lineInBlock);
    case CharacterIndexes: {
        const QTextLayout *layout = block.layout();
        const int start
            = lineInBlock < layout->lineCount() ? layout->lineAt(lineInBlock).textStart() : 0;
        return QString::number(block.position() + start + 1);
    }
    case ParagraphNumbers:
        return lineInBlock == 0 ? QString::number(block.blockNumber() + 1) : continuationLabel();
    default:
        return {};
    }
}

bool MNLineNumberingRulerView::showCharacter(int index, int granularity)
{
    QTextDocument *document = m_textView->document();
    const int length = document->characterCount() - 1;
    if (index < 0 || length < index + 1)
        return false;
    QTextCursor cursor(document);
    cursor.setPosition(index);
    switch (granularity) {
    case WholeLine: {
        // The visual line with its line break, as a click in the margin selects it.
        const QTextBlock block = cursor.block();
        document->documentLayout()->blockBoundingRect(block);
        const QTextLayout *layout = block.layout();
        const QTextLine line = layout->lineForTextPosition(index - block.position());
        int start = block.position();
        int end = block.position() + block.length();
        if (line.isValid()) {
            start = block.position() + line.textStart();
            if (line.lineNumber() + 1 < layout->lineCount())
                end = start + line.textLength();
        }
        cursor.setPosition(start);
        cursor.setPosition(std::min(end, length), QTextCursor::KeepAnchor);
        break;
    }
    case Word:
        cursor.select(QTextCursor::WordUnderCursor);
        break;
    case Paragraph: {
        const QTextBlock block = cursor.block();
        cursor.setPosition(block.position());
        cursor.setPosition(std::min(block.position() + block.length(), length),
                           QTextCursor::KeepAnchor);
        break;
    }
    default:
        cursor.setPosition(index + 1, QTextCursor::KeepAnchor);
        break;
    }
    // A target out of sight comes to the middle of the view, where the eye finds it.
    const bool outOfSight
        = !m_textView->viewport()->rect().intersects(m_textView->cursorRect(cursor));
    m_textView->setTextCursor(cursor);
    if (outOfSight)
        m_textView->centerCursor();
    else
        m_textView->ensureCursorVisible();
    return true;
}

bool MNLineNumberingRulerView::showLine(int line, int granularity)
{
    m_cache->startBuildingCache();
    if (line < 1)
        return false;
    const int position = m_cache->positionOfLine(line);
    return position >= 0 && showCharacter(position, granularity);
}

bool MNLineNumberingRulerView::showParagraph(int paragraph)
{
    m_cache->startBuildingCache();
    const QTextBlock block = m_textView->document()->findBlockByNumber(paragraph - 1);
    return paragraph >= 1 && block.isValid() && showCharacter(block.position(), Paragraph);
}

int MNLineNumberingRulerView::lineNumberAtGlyphIndex(int index)
{
    return m_cache->lineNumberAtPosition(index);
}

int MNLineNumberingRulerView::lineNumberAtParagraphNumber(int paragraph)
{
    return paragraph < 1 ? 0 : m_cache->lineNumberOfBlock(paragraph - 1);
}

int MNLineNumberingRulerView::lineNumberAtLocation(qreal y)
{
    QTextBlock block = m_textView->firstVisibleBlock();
    qreal top = m_textView->blockGeometry(block).top();
    if (y < top)
        return 0;
    while (block.isValid() && top <= m_textView->viewport()->height()) {
        const qreal height = m_textView->blockHeight(block);
        if (y < top + height) {
            const QTextLayout *layout = block.layout();
            for (int i = 0; i < layout->lineCount(); ++i) {
                const QTextLine line = layout->lineAt(i);
                if (y < top + line.y() + line.height())
                    return m_cache->lineNumberAtPosition(block.position() + line.textStart());
            }
            return m_cache->lineNumberAtPosition(block.position());
        }
        top += height;
        block = block.next();
    }
    return 0;
}

qreal MNLineNumberingRulerView::locationForLineNumber(int line)
{
    const int position = m_cache->positionOfLine(line);
    if (position < 0)
        return -1;
    const QTextBlock target = m_textView->document()->findBlock(position);
    QTextBlock block = m_textView->firstVisibleBlock();
    qreal top = m_textView->blockGeometry(block).top();
    while (block.isValid() && block.blockNumber() <= target.blockNumber()
           && top <= m_textView->viewport()->height()) {
        if (block == target) {
            const QTextLine textLine
                = block.layout()->lineForTextPosition(position - block.position());
            if (!textLine.isValid())
                return top + m_textView->blockHeight(block) / 2;
            return top + textLine.y() + textLine.height() / 2;
        }
        top += m_textView->blockHeight(block);
        block = block.next();
    }
    return -1;
}
