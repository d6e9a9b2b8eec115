#include "editors/MNLineNumberCache.h"

#include <QAbstractTextDocumentLayout>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

namespace {
// Long enough to count thousands of blocks, short enough that typing and scrolling never wait.
constexpr qint64 kSliceNanoseconds = 4'000'000;
} // namespace

MNLineNumberCache::MNLineNumberCache(QPlainTextEdit *textView, QObject *parent)
    : QObject(parent), m_textView(textView)
{
    m_builder.setSingleShot(true);
    m_builder.setInterval(0);
    connect(&m_builder, &QTimer::timeout, this, &MNLineNumberCache::buildSlice);
}

bool MNLineNumberCache::wraps() const
{
    return m_textView && m_textView->lineWrapMode() != QPlainTextEdit::NoWrap;
}

bool MNLineNumberCache::isComplete() const
{
    return !m_textView || m_counted >= m_textView->document()->blockCount();
}

void MNLineNumberCache::startBuildingCache()
{
    if (!m_textView || isComplete()) {
        m_status = Idle;
        return;
    }
    m_status = Building;
    if (!m_builder.isActive())
        m_builder.start();
}

void MNLineNumberCache::letBuilderSleep()
{
    m_builder.stop();
    m_status = Stopped;
}

void MNLineNumberCache::releaseCache()
{
    letBuilderSleep();
    m_counted = 0;
}

void MNLineNumberCache::invalidateFrom(int position)
{
    if (!m_textView)
        return;
    // An edit at the very start replaces the whole cache; further down it keeps what lies above.
    const int block = position <= 0 ? 0 : m_textView->document()->findBlock(position).blockNumber();
    if (block >= 0)
        m_counted = std::min(m_counted, block);
}

void MNLineNumberCache::countBlock(const QTextBlock &block)
{
    // A block laid out already has its exact count; one that cannot wrap and holds no line
    // separator is one line, which is what the layout assumes until it lays the block out.
    if (!wraps() && !block.text().contains(QChar::LineSeparator))
        return;
    if (block.layout()->lineCount() == 0)
        m_textView->document()->documentLayout()->blockBoundingRect(block);
}

bool MNLineNumberCache::countThrough(int blockNumber)
{
    if (!m_textView)
        return false;
    QTextDocument *document = m_textView->document();
    if (blockNumber < 0)
        return true;
    if (blockNumber >= document->blockCount())
        return false;
    for (QTextBlock block = document->findBlockByNumber(m_counted);
         block.isValid() && m_counted <= blockNumber; block = block.next()) {
        countBlock(block);
        ++m_counted;
    }
    return true;
}

void MNLineNumberCache::buildSlice()
{
    if (!m_textView || m_status != Building)
        return;
    QElapsedTimer clock;
    clock.start();
    QTextBlock block = m_textView->document()->findBlockByNumber(m_counted);
    while (block.isValid()) {
        countBlock(block);
        ++m_counted;
        block = block.next();
        // Checking the clock costs more than counting a short block.
        if ((m_counted & 63) == 0 && clock.nsecsElapsed() > kSliceNanoseconds)
            break;
    }
    if (block.isValid()) {
        m_builder.start();
        return;
    }
    m_status = Idle;
    emit finishBuildingCache();
}

int MNLineNumberCache::lineNumberAtPosition(int position)
{
    if (!m_textView || position < 0)
        return 0;
    const QTextBlock block = m_textView->document()->findBlock(position);
    if (!block.isValid())
        return 0;
    const int first = lineNumberOfBlock(block.blockNumber());
    const QTextLayout *layout = block.layout();
    if (layout->lineCount() == 0)
        return first;
    const QTextLine line = layout->lineForTextPosition(position - block.position());
    return first + (line.isValid() ? line.lineNumber() : layout->lineCount() - 1);
}

int MNLineNumberCache::lineNumberOfBlock(int blockNumber)
{
    if (!countThrough(blockNumber - 1) || !m_textView)
        return 0;
    const QTextBlock block = m_textView->document()->findBlockByNumber(blockNumber);
    return block.isValid() ? block.firstLineNumber() + 1 : 0;
}

int MNLineNumberCache::positionOfLine(int line)
{
    if (!m_textView || line < 1)
        return -1;
    QTextDocument *document = m_textView->document();
    // Count until the counted part reaches the line: its start is exact from then on.
    while (!isComplete()) {
        const QTextBlock boundary = document->findBlockByNumber(m_counted);
        if (boundary.firstLineNumber() >= line)
            break;
        countThrough(std::min(document->blockCount() - 1, m_counted + 255));
    }
    if (line > document->lineCount())
        return -1;
    const QTextBlock block = document->findBlockByLineNumber(line - 1);
    if (!block.isValid())
        return -1;
    const int inBlock = line - 1 - block.firstLineNumber();
    if (inBlock <= 0)
        return block.position();
    QTextLayout *layout = block.layout();
    if (inBlock >= layout->lineCount())
        return -1;
    return block.position() + layout->lineAt(inBlock).textStart();
}
