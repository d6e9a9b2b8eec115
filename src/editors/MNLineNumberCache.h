#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>

class QPlainTextEdit;
class QTextBlock;

// Exact line numbers for a plain text view without laying the whole text out up front.
//
// The plain text layout keeps a line count for every block and a running total over them, so
// the first line of any block is found by a binary search inside the document. A block it has
// not laid out yet counts as one line, though, so numbers are exact only above the first block
// whose count may still be wrong. The cache keeps that boundary (countedBlocks) and moves it
// down the text in short slices whenever the event loop is idle, laying out only the blocks that
// can hold more than one line: every block while lines wrap, otherwise only a block that holds a
// line separator. Qt's text layout belongs to the main thread, so all of this runs there and a
// slice never keeps the window from painting for more than a few milliseconds.
class MNLineNumberCache : public QObject
{
    Q_OBJECT
public:
    enum Status { Stopped, Idle, Building };

    explicit MNLineNumberCache(QPlainTextEdit *textView, QObject *parent = nullptr);

    // Asks for the rest of the text to be counted in idle slices.
    void startBuildingCache();
    void continueBuildingCache() { startBuildingCache(); }
    // Stops counting until asked again; what is counted stays.
    void letBuilderSleep();
    // Forgets everything counted (the layout changed as a whole).
    void releaseCache();
    Status cacheStatus() const { return m_status; }

    // Blocks [0, countedBlocks()) have exact line counts: line numbers are exact through the
    // first line of block countedBlocks().
    int countedBlocks() const { return m_counted; }
    bool isComplete() const;
    // The text changed at position: counts below the block holding it no longer hold.
    void invalidateFrom(int position);
    // Counts at once through the given block; answers whether the block exists.
    bool countThrough(int blockNumber);

    // 1-based line (visual line) holding the character at position; 0 when there is none.
    int lineNumberAtPosition(int position);
    // 1-based line on which the given block starts; 0 when there is no such block.
    int lineNumberOfBlock(int blockNumber);
    // Position of the first character of a 1-based line; -1 when there is no such line.
    int positionOfLine(int line);

signals:
    // Everything asked for is counted; views showing numbers redraw.
    void finishBuildingCache();

private:
    void buildSlice();
    void countBlock(const QTextBlock &block);
    bool wraps() const;

    QPointer<QPlainTextEdit> m_textView;
    QTimer m_builder;
    Status m_status = Stopped;
    int m_counted = 0;
};
