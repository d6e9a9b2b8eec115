#pragma once

#include "editors/LineNumberedTextView.h"
#include "editors/XMLColorRanges.h"

#include <QTextCharFormat>
#include <QTextLayout>
#include <QTimer>
#include <array>

class QUndoStack;

// The text view of the XML source editor.
//
// Long texts: a document of many megabytes takes Qt a second or more to take in as a whole, so
// loadText shows the first part at once and appends the rest in short slices while the window
// keeps painting; the view is read-only until the whole text is in. Everything that needs the
// whole text (text(), replaceAllText) finishes the loading first.
//
// Long lines: the rest of a line longer than a slice comes in one piece, since the layout lays
// a line out again whole each time text joins it. A text with a line longer than
// kLongestUnwrappedLine, loaded or put in by an edit, is shown with its lines wrapped at the
// view's width: laid out as one line on screen, such a line reaches further than the text layout
// can place glyphs (they land over its start), and every repaint draws all of it; wrapped, a
// repaint draws what is on screen. A text loaded without one is shown unwrapped. Such a line
// keeps what its layout worked out between paints, and takes its colours with an edit rather
// than when next painted: otherwise each caret blink, and each edit once more, would go over
// the whole line again.
//
// Colours: the runs of XMLColorRanges are worked out once for the whole text and put on each
// block as a layout format just before it is painted, so only what is on screen is ever
// coloured and the colours are no part of the text or of its undo history. While the user edits,
// the runs move with the text; once typing pauses they are worked out again from the new text.
//
// Undo: given the window's undo stack, every step the document records (typing, a replacement,
// a reformat) becomes one command on that stack, named as announced with setNextUndoName, and
// the undo and redo keys and menu items act on that stack.
class XMLSourceTextView : public LineNumberedTextView
{
    Q_OBJECT
public:
    explicit XMLSourceTextView(QWidget *parent = nullptr);

    // Shows a text as a whole: not an edit, and the document's undo history starts empty. Line
    // breaks are kept as "\n" (carriage returns and paragraph separators become "\n").
    void loadText(const QString &text);
    bool isLoading() const { return m_loadedUpTo < m_pending.size(); }
    void finishLoading();
    // The whole text, every character as it is (no-break spaces stay; unlike toPlainText()).
    QString text();

    void setColored(bool colored);
    bool isColored() const { return m_colored; }
    void setUsedPrefixes(const QStringList &prefixes);
    // Works the colour runs out again from the current text.
    void recolor();
    const XMLColorRanges &colorRanges() const { return m_ranges; }
    static QColor colorFor(XMLColorRanges::Color color);
    // The colours a block gets when it is painted (positions relative to the block).
    QList<QTextLayout::FormatRange> formatsOfBlock(const QTextBlock &block) const;

    // Replaces the whole text as one step of the undo history.
    void replaceAllText(const QString &text);

    void setUndoStack(QUndoStack *stack);
    // The name the next step the document records takes ("Typing" when none was announced).
    void setNextUndoName(const QString &name) { m_nextUndoName = name; }
    // Keeps the next typing from joining the document's last step (another command came
    // between them).
    void breakTypingMerge();

    // The first slice shows this much; the rest of a longer first line comes with the next.
    static constexpr qsizetype kFirstSlice = 48 * 1024;
    static constexpr qsizetype kLongestUnwrappedLine = 65536;
    bool wrapsLongLines() const { return lineWrapMode() != QPlainTextEdit::NoWrap; }

signals:
    void loadingFinished();

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    QMenu *buildContextMenu(const QPoint &position) override;

private:
    void wrapLines(bool wrap);
    void loadSlice();
    void endLoading();
    void textChanged(int position, int removed, int added);
    void colorVisibleBlocks();
    void documentStepAdded();

    QString m_pending; // the text being loaded, line breaks already made "\n"
    qsizetype m_loadedUpTo = 0;
    QTimer m_loader;
    bool m_appending = false;
    bool m_readOnlyBeforeLoading = false;

    QString m_text; // cache of text(), valid while m_textValid
    bool m_textValid = false;

    XMLColorRanges m_ranges;
    QStringList m_prefixes;
    bool m_colored = false;
    int m_generation = 0; // a block whose user state equals it wears the current colours
    QTimer m_recolorTimer;
    std::array<QTextCharFormat, 6> m_formats;

    QUndoStack *m_undoStack = nullptr;
    QString m_nextUndoName;
};
