#include "ui/ToolbarLayout.h"

#include <QSizePolicy>
#include <QToolBar>
#include <QWidget>

namespace ToolbarLayout {

void fill(QToolBar *toolbar, const QStringList &identifiers,
          const std::function<QAction *(const QString &identifier)> &actionFor)
{
    for (const QString &identifier : identifiers) {
        if (identifier == kSeparator) {
            toolbar->addSeparator();
        } else if (identifier == kSpace || identifier == kFlexibleSpace) {
            auto *space = new QWidget;
            space->setObjectName(identifier);
            if (identifier == kFlexibleSpace)
                space->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
            else
                space->setFixedWidth(24);
            toolbar->addWidget(space);
        } else if (QAction *action = actionFor(identifier)) {
            toolbar->addAction(action);
        }
    }
}

} // namespace ToolbarLayout
