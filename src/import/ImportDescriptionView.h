#pragma once

#include <QTextEdit>

// Shows an item's description from another feed as formatted text, read-only. What the
// description points at (pictures, style sheets) is never read, not even from this computer's
// files: a feed from anywhere must not make the window open local files.
//
// Laying a text out takes the window's thread a time that grows with its length, and far more
// with its longest word (8 K characters of words take some milliseconds, 16 K of them up to 30
// on a busy machine, one word of 16 K near a tenth of a second, one of 256 K seconds). A description longer than kLongestFormatted, or
// with a run of more than kLongestWord characters without a blank, is shown in part: its first
// kLongestFormatted characters as plain text, after a line that says so. Only so much of it is
// ever decoded or scanned on the window's thread.
class ImportDescriptionView : public QTextEdit
{
    Q_OBJECT
public:
    static constexpr qsizetype kLongestFormatted = 8192;
    static constexpr qsizetype kLongestWord = 4096;

    explicit ImportDescriptionView(QWidget *parent = nullptr);

    void showDescription(const QString &html);
    // The same for a description held as UTF-8: only what is shown of it is decoded.
    void showDescription(QByteArrayView utf8);
    // The description shown is not all of it, or not formatted.
    bool showsInPart() const { return m_inPart; }

protected:
    QVariant loadResource(int type, const QUrl &name) override;

private:
    // Shows the start of a description (all of it unless `cut`).
    void show(const QString &start, bool cut);

    bool m_inPart = false;
};
