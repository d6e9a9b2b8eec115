#pragma once

#include <QTextEdit>

// Shows an item's description from another feed as formatted text, read-only. What the
// description points at (pictures, style sheets) is never read, not even from this computer's
// files: a feed from anywhere must not make the window open local files.
class ImportDescriptionView : public QTextEdit
{
    Q_OBJECT
public:
    explicit ImportDescriptionView(QWidget *parent = nullptr);

protected:
    QVariant loadResource(int type, const QUrl &name) override;
};
