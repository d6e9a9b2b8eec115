#include "import/ImportDescriptionView.h"

ImportDescriptionView::ImportDescriptionView(QWidget *parent) : QTextEdit(parent)
{
    setReadOnly(true);
}

QVariant ImportDescriptionView::loadResource(int, const QUrl &)
{
    // An answer that is not null: the document then looks no further (files included).
    return QVariant(QByteArray(""));
}
