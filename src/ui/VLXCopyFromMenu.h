#pragma once

#include <QString>
#include <functional>

class QAction;
class QMenu;

// Places the "Copy From <label>" item right after a menu's "Copy" item. Text fields and text views
// share it; a menu without "Copy" gets no such item.
class VLXCopyFromMenu
{
public:
    static bool insertAfterCopy(QMenu *menu, const QString &label, bool enabled,
                                std::function<void()> copy);
    static QString itemTitle(const QString &label);
    static bool isCopyItem(const QAction *action);
};
