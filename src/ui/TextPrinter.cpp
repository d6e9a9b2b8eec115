#include "ui/TextPrinter.h"

#include <QAbstractTextDocumentLayout>
#include <QFont>
#include <QPainter>
#include <QPrinter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QTextOption>
#include <cmath>

bool TextPrinter::printHtml(const QString &html, QPrinter &printer)
{
    QTextDocument document;
    document.setHtml(html);
    return print(document, printer);
}

bool TextPrinter::printPlainText(const QString &text, const QFont &font, QPrinter &printer)
{
    QTextDocument document;
    document.setDefaultFont(font);
    QTextOption option = document.defaultTextOption();
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    document.setDefaultTextOption(option);
    document.setPlainText(text);
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    const QRectF page = layOut(document, printer);
    // Each line is drawn on its page only. The document layout also draws the line just above
    // a page and one touching its foot; the clip hides them on paper, but a PDF would carry
    // their text twice (found twice, copied twice).
    QList<QList<QPair<QTextLine, QPointF>>> pages(document.pageCount());
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        QTextLayout *layout = block.layout();
        for (int i = 0; i < layout->lineCount(); ++i) {
            const QTextLine line = layout->lineAt(i);
            const qreal top = layout->position().y() + line.y();
            const int index
                = qBound(0, int(std::floor(top / page.height() + 1e-6)), int(pages.size()) - 1);
            pages[index].append({line, layout->position() - QPointF(0, index * page.height())});
        }
    }
    for (qsizetype index = 0; index < pages.size(); ++index) {
        if (index > 0 && !printer.newPage())
            return false;
        for (const auto &[line, position] : std::as_const(pages.at(index)))
            line.draw(&painter, position);
    }
    return painter.end();
}

QRectF TextPrinter::layOut(QTextDocument &document, QPrinter &printer)
{
    // Laid out in the printer's own units, so fonts and widths are those of the paper. The
    // painter's origin is the top left corner of the printable area.
    const QRectF page = printer.pageLayout().paintRectPixels(printer.resolution());
    document.documentLayout()->setPaintDevice(&printer);
    document.setDocumentMargin(0);
    document.setPageSize(page.size());
    return page;
}

bool TextPrinter::print(QTextDocument &document, QPrinter &printer)
{
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    const QRectF page = layOut(document, printer);
    const int pages = document.pageCount();
    for (int index = 0; index < pages; ++index) {
        if (index > 0 && !printer.newPage())
            return false;
        const QRectF view(0, index * page.height(), page.width(), page.height());
        painter.save();
        painter.translate(0, -view.top());
        painter.setClipRect(view);
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = view;
        context.palette.setColor(QPalette::Text, Qt::black);
        document.documentLayout()->draw(&painter, context);
        painter.restore();
    }
    return painter.end();
}
