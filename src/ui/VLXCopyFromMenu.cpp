#include "ui/VLXCopyFromMenu.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>

QString VLXCopyFromMenu::itemTitle(const QString &label)
{
    return QCoreApplication::translate("VLXCopyFromMenu", "Copy From %1").arg(label);
}

bool VLXCopyFromMenu::isCopyItem(const QAction *action)
{
    // Text views name their standard actions; line edits only title them ("&Copy\tCtrl+C").
    if (action->objectName() == QLatin1String("edit-copy"))
        return true;
    QString title = action->text();
    title = title.left(title.indexOf(QLatin1Char('\t')));
    title.remove(QLatin1Char('&'));
    return title == QLatin1String("Copy");
}

bool VLXCopyFromMenu::insertAfterCopy(QMenu *menu, const QString &label, bool enabled,
                                      std::function<void()> copy)
{
    if (!menu)
        return false;
    const QList<QAction *> items = menu->actions();
    for (int i = 0; i < items.size(); ++i) {
        if (!isCopyItem(items[i]))
            continue;
        auto *item = new QAction(itemTitle(label), menu);
        item->setObjectName(QStringLiteral("copyFromCopySource"));
        item->setEnabled(enabled);
        QObject::connect(item, &QAction::triggered, menu, std::move(copy));
        menu->insertAction(i + 1 < items.size() ? items[i + 1] : nullptr, item);
        return true;
    }
    return false;
}
