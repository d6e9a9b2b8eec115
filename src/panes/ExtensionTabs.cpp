#include "panes/ExtensionTabs.h"

#include "extensions/FieldExtensionBase.h"
#include "model/baseExtensionManager.h"
#include "model/extensionNSRaw.h"
#include "panes/ExtensionFieldPane.h"
#include "panes/RawXMLPane.h"

#include <QHash>
#include <QTabWidget>

namespace {
QHash<QString, ExtensionTabs::PaneFactory> &registry()
{
    static QHash<QString, ExtensionTabs::PaneFactory> registered;
    return registered;
}

// The panes of the namespace folders are entered on first use, as their classes are.
const QHash<QString, ExtensionTabs::PaneFactory> &factories()
{
    static const bool entered = (registerExtensionPanes(), true);
    Q_UNUSED(entered);
    return registry();
}
} // namespace

void ExtensionTabs::registerPane(const QString &extensionName, PaneFactory factory)
{
    registry().insert(extensionName, std::move(factory));
}

ExtensionPane *ExtensionTabs::makePane(const QString &extensionName,
                                       std::shared_ptr<extensionNSRaw> extension,
                                       const Context &context)
{
    // A namespace class gets its pane (the folder's own, or the one its field table makes);
    // what is kept as raw XML gets the raw XML pane.
    ExtensionPane *pane = nullptr;
    if (const auto factory = factories().value(extensionName); factory && extension)
        pane = factory(extension, context);
    if (!pane && FieldExtensionBase::from(extension))
        pane = new ExtensionFieldPane(extension, context);
    if (!pane)
        pane = new RawXMLPane(extension);
    return pane;
}

void ExtensionTabs::rebuild(QTabWidget *tabs, const baseExtensionManager *manager, int keep,
                            const Context &context)
{
    if (!tabs)
        return;
    while (tabs->count() > keep) {
        QWidget *old = tabs->widget(keep);
        tabs->removeTab(keep);
        // Out of the window at once, so that nothing finds its controls by name any more.
        old->setParent(nullptr);
        old->deleteLater();
    }
    for (int i = 0; manager && i < manager->countOfExtensions(); ++i) {
        const auto extension = manager->extensionAtIndex(i);
        const QString name = manager->extensionNameAtIndex(i);
        ExtensionPane *pane = makePane(name, extension, context);
        pane->setObjectName(name);
        tabs->addTab(pane, manager->extensionDisplayNameAtIndex(i));
    }
}

void ExtensionTabs::show(QTabWidget *tabs, const baseExtensionManager *manager, int first)
{
    if (!tabs)
        return;
    for (int i = first; i < tabs->count(); ++i) {
        auto *pane = qobject_cast<ExtensionPane *>(tabs->widget(i));
        if (!pane)
            continue;
        pane->setExtension(manager && i - first < manager->countOfExtensions()
                               ? manager->extensionAtIndex(i - first)
                               : nullptr);
    }
}

void ExtensionTabs::showExtensionsTab(QTabWidget *sub, QPointer<QWidget> &held, bool show)
{
    if (!sub)
        return;
    if (show) {
        if (held) {
            sub->insertTab(qMin(2, sub->count()), held, QObject::tr("Extensions"));
            held = nullptr;
        }
        return;
    }
    if (held)
        return;
    for (int i = 0; i < sub->count(); ++i) {
        if (sub->widget(i)->objectName() == QLatin1String("Extensions")) {
            held = sub->widget(i);
            sub->removeTab(i);
            return;
        }
    }
}
