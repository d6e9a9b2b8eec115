#include "common/PdfText.h"

#include <QProcess>
#include <QRegularExpression>

namespace {
QString run(const QString &program, const QStringList &arguments, QString *error)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000) || process.exitCode() != 0) {
        *error = QStringLiteral("%1 failed: %2").arg(program, process.readAllStandardError());
        return {};
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

QString unescaped(QString text)
{
    text.replace(QLatin1String("&lt;"), QLatin1String("<"));
    text.replace(QLatin1String("&gt;"), QLatin1String(">"));
    text.replace(QLatin1String("&quot;"), QLatin1String("\""));
    text.replace(QLatin1String("&apos;"), QLatin1String("'"));
    text.replace(QLatin1String("&#39;"), QLatin1String("'"));
    text.replace(QLatin1String("&amp;"), QLatin1String("&"));
    return text;
}
} // namespace

PdfText PdfText::read(const QString &pdfPath)
{
    PdfText result;
    const QString info = run(QStringLiteral("pdfinfo"), {pdfPath}, &result.error);
    if (!result.error.isEmpty())
        return result;
    const int pageCount
        = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(info).captured(1).toInt();

    const QString boxes
        = run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdfPath, QStringLiteral("-")},
              &result.error);
    if (!result.error.isEmpty())
        return result;
    static const QRegularExpression page(
        QStringLiteral("<page width=\"([\\d.]+)\" height=\"([\\d.]+)\">"));
    static const QRegularExpression word(
        QStringLiteral("<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" "
                       "yMax=\"([\\d.]+)\">([^<]*)</word>"));
    // Pages and words in document order: each word belongs to the last page opened before it.
    QList<qsizetype> pageStarts;
    for (auto it = page.globalMatch(boxes); it.hasNext();) {
        const auto match = it.next();
        pageStarts << match.capturedStart();
        result.pages << QSizeF(match.captured(1).toDouble(), match.captured(2).toDouble());
    }
    for (auto it = word.globalMatch(boxes); it.hasNext();) {
        const auto match = it.next();
        int index = 0;
        while (index + 1 < pageStarts.size() && pageStarts.at(index + 1) < match.capturedStart())
            ++index;
        result.words << Word {
            index,
            QRectF(QPointF(match.captured(1).toDouble(), match.captured(2).toDouble()),
                   QPointF(match.captured(3).toDouble(), match.captured(4).toDouble())),
            unescaped(match.captured(5))};
    }
    if (result.pages.size() != pageCount)
        result.error = QStringLiteral("pdfinfo counts %1 pages, pdftotext %2")
                           .arg(pageCount)
                           .arg(result.pages.size());
    return result;
}

QString PdfText::joined() const
{
    QString text;
    for (const Word &w : words)
        text += w.text;
    return text;
}

QRectF PdfText::inkOf(int page) const
{
    QRectF ink;
    for (const Word &w : words) {
        if (w.page == page)
            ink = ink.isNull() ? w.box : ink.united(w.box);
    }
    return ink;
}
