#pragma once

#include <QString>
#include <QStringList>
#include <cstddef>
#include <functional>

class QAction;
class QToolBar;

// A toolbar layout is a list of item identifiers, stored in the settings. Besides the items of
// its window a layout may hold the three standard spacers named here.
namespace ToolbarLayout {
inline const QString kSeparator = QStringLiteral("Separator");
inline const QString kSpace = QStringLiteral("Space");
inline const QString kFlexibleSpace = QStringLiteral("FlexibleSpace");

// Fills the (empty) toolbar from the layout: spacers become separators or blank widgets, every
// other identifier the action `actionFor` answers; identifiers without an action are skipped, so
// a layout stored by another version never breaks the toolbar.
void fill(QToolBar *toolbar, const QStringList &identifiers,
          const std::function<QAction *(const QString &identifier)> &actionFor);

// The row of a window's table of toolbar items (rows with a `const char *identifier`) that has
// the identifier, or null.
template <typename Item, std::size_t N>
const Item *find(const Item (&items)[N], const QString &identifier)
{
    for (const Item &item : items) {
        if (identifier == QLatin1String(item.identifier))
            return &item;
    }
    return nullptr;
}
} // namespace ToolbarLayout
