#include "import/ImportDescriptionView.h"

namespace {
// Whether the text holds a run of more than `longest` characters without a blank.
bool holdsLongerWord(QStringView text, qsizetype longest)
{
    qsizetype run = 0;
    for (const QChar c : text) {
        run = c.isSpace() ? 0 : run + 1;
        if (run > longest)
            return true;
    }
    return false;
}
} // namespace

ImportDescriptionView::ImportDescriptionView(QWidget *parent) : QTextEdit(parent)
{
    setReadOnly(true);
}

void ImportDescriptionView::showDescription(const QString &html)
{
    const bool cut = html.size() > kLongestFormatted;
    show(cut ? html.first(kLongestFormatted) : html, cut);
}

void ImportDescriptionView::showDescription(QByteArrayView utf8)
{
    // A character takes at most 3 bytes for each of its UTF-16 units: these bytes hold more
    // units than are shown, and a character cut at their end lies beyond what is shown.
    const qsizetype enough = (kLongestFormatted + 2) * 3;
    if (utf8.size() <= enough)
        showDescription(QString::fromUtf8(utf8));
    else
        show(QString::fromUtf8(utf8.first(enough)).first(kLongestFormatted), true);
}

void ImportDescriptionView::show(const QString &start, bool cut)
{
    m_inPart = cut || holdsLongerWord(start, kLongestWord);
    if (!m_inPart) {
        setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        setHtml(start);
        return;
    }
    // A long word is broken anywhere: breaking it only where it fits takes far longer.
    setWordWrapMode(holdsLongerWord(start, kLongestWord)
                        ? QTextOption::WrapAnywhere
                        : QTextOption::WrapAtWordBoundaryOrAnywhere);
    // The note comes first, where it is seen.
    QString shown = cut ? tr("[This description is longer than %L1 characters: only the first "
                             "%L1 are shown, as plain text.]")
                              .arg(kLongestFormatted)
                        : tr("[This description has a word of more than %L1 characters: it is "
                             "shown as plain text.]")
                              .arg(kLongestWord);
    shown += QStringLiteral("\n\n");
    shown += start;
    if (cut)
        shown += QStringLiteral(" \u2026");
    setPlainText(shown);
}

QVariant ImportDescriptionView::loadResource(int, const QUrl &)
{
    // An answer that is not null: the document then looks no further (files included).
    return QVariant(QByteArray(""));
}
