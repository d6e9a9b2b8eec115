#pragma once

#include <QList>
#include <QRectF>
#include <QSizeF>
#include <QString>

// What poppler's tools read from a PDF file: the pages' sizes and every word with its box, in
// points from the top left corner of its page.
struct PdfText
{
    struct Word
    {
        int page;
        QRectF box;
        QString text;
    };
    QList<QSizeF> pages;
    QList<Word> words;
    QString error; // why the file could not be read; empty on success

    static PdfText read(const QString &pdfPath);

    // All words in reading order without any white space between them.
    QString joined() const;
    // The smallest box holding every word of the page.
    QRectF inkOf(int page) const;
};
