#pragma once

#include <QFont>
#include <QList>
#include <QTimer>
#include <QWidget>

class LineNumberedTextView;
class MNLineNumberCache;
class QTextBlock;

// The vertical ruler beside a text view: for every visual line it shows the line number, the
// 1-based index of the line's first character, or the paragraph number ("-" on the second and
// later lines of a wrapped paragraph), and it marks bookmarks. It can select and scroll to a
// line, a paragraph or a character. It lays out only what is on screen; line numbers further
// down come from its MNLineNumberCache, which counts the rest of the text when the program is
// idle. Paragraph numbers and character indexes never need the cache.
class MNLineNumberingRulerView : public QWidget
{
    Q_OBJECT
public:
    // The low four bits of the option choose the numbers; the bookmark bit shows bookmarks.
    enum Option : unsigned {
        NoNumbers = 0,
        LineNumbers = 1,
        CharacterIndexes = 2,
        ParagraphNumbers = 3,
        ShowBookmarks = 16,
    };
    static constexpr int kRuleThickness = 25;
    static constexpr int kNoLineNumbering = 0;
    // Granularity of a selection made by the show operations; WholeLine is the visual line.
    enum Granularity { WholeLine = -1, Character = 0, Word = 1, Paragraph = 2 };

    struct Bookmark
    {
        int position = 0; // character position
        int paragraph = 0; // where it was last drawn
        int lineNumber = 0;
    };

    explicit MNLineNumberingRulerView(LineNumberedTextView *textView);
    ~MNLineNumberingRulerView() override;

    unsigned option() const { return m_option; }
    void setOption(unsigned option);

    // Hidden, the ruler takes no room and draws nothing.
    void setVisible(bool visible) override;
    int ruleThickness() const;

    bool showLine(int line, int granularity);
    bool showParagraph(int paragraph);
    bool showCharacter(int index, int granularity);

    int lineNumberAtGlyphIndex(int index);
    int lineNumberAtParagraphNumber(int paragraph);
    // y in the text view's viewport coordinates; 0 when no line lies there.
    int lineNumberAtLocation(qreal y);
    // Vertical centre of the line in viewport coordinates, or -1 when it is not on screen.
    qreal locationForLineNumber(int line);

    // Bookmarks move with the text: the list is kept sorted by position.
    const QList<Bookmark> &bookmarks() const { return m_bookmarks; }
    void addBookmark(int position);
    void removeAllBookmarks() { m_bookmarks.clear(), update(); }
    static bool sortBookmarks(const Bookmark &a, const Bookmark &b)
    {
        return unsigned(a.position) < unsigned(b.position);
    }

    // What the ruler shows beside a visual line of a block: a number, "-" for a paragraph's
    // continuation line, or nothing when the mode draws no numbers.
    QString labelAt(const QTextBlock &block, int lineInBlock);

    MNLineNumberCache *cache() const { return m_cache; }
    // Whether numbers wait for a rebuild after the text view's width changed.
    bool isRebuildPending() const { return m_startCacheTimer.isActive(); }

protected:
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void finishBuildingCache();
    void textChanged(int position, int removed, int added);
    void adjustBookmarks(int location, int change);
    void updateThickness();
    bool drawsNumbers(const QTextBlock &firstVisible) const;
    void drawLabel(class QPainter &painter, const QString &label, qreal top, qreal height);

    LineNumberedTextView *m_textView;
    QWidget *m_viewport = nullptr; // the text view's, whose resizing the ruler follows
    MNLineNumberCache *m_cache;
    unsigned m_option = ParagraphNumbers | ShowBookmarks;
    bool m_shown = true;
    int m_thickness = kRuleThickness;
    QList<Bookmark> m_bookmarks;
    QFont m_marginFont;
    QTimer m_startCacheTimer;
    int m_boundsWidth = -1;
};
