#include "panes/ExtensionTabs.h"

#include "extensions/FieldExtensionBase.h"
#include "model/baseExtensionManager.h"
#include "model/extensionNSRaw.h"
#include "panes/ExtensionFieldPane.h"
#include "panes/RawXMLPane.h"

#include <QHash>
#include <QTabBar>
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

// A tab bar lays all its tabs out again, measuring each, for every tab added or taken: a
// thousand namespaces would cost it a million measurements. A hidden tab is not measured, so
// the tabs of the panes come and go hidden, and show together once they are all there.
void hideTab(QTabWidget *tabs, int index)
{
    if (index != tabs->currentIndex())
        tabs->tabBar()->setTabVisible(index, false);
}

// Takes the panes after the first `keep` tabs out of the window. Taken one by one, each would
// walk the window's whole focus chain as it left, and the tabs would show each next pane as the
// current one went. So the tab left current is made so first, the panes go from the last into
// one holder of the same window (which walks no focus chain), and the holder leaves the window.
void dropTabsAfter(QTabWidget *tabs, int keep)
{
    if (tabs->count() <= keep)
        return;
    tabs->setCurrentIndex(qMax(keep - 1, 0));
    for (int i = keep; i < tabs->count(); ++i)
        hideTab(tabs, i);
    auto *gone = new QWidget(tabs);
    gone->hide();
    for (int i = tabs->count() - 1; i >= keep; --i) {
        QWidget *old = tabs->widget(i);
        tabs->removeTab(i);
        old->setParent(gone);
    }
    // Out of the window at once, so that nothing finds their controls by name any more.
    gone->setParent(nullptr);
    gone->deleteLater();
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
    // A feed read again or put back by undo, or another feed of the same namespaces, mostly
    // shows the extensions shown before: the panes stay, as building them anew takes longer
    // than the window may wait.
    const int count = manager ? manager->countOfExtensions() : 0;
    bool same = tabs->count() - keep == count;
    for (int i = 0; same && i < count; ++i) {
        const auto *pane = qobject_cast<ExtensionPane *>(tabs->widget(keep + i));
        same = pane && pane->objectName() == manager->extensionNameAtIndex(i)
            && tabs->tabText(keep + i) == manager->extensionDisplayNameAtIndex(i)
            && pane->fits(manager->extensionAtIndex(i));
    }
    if (same) {
        for (int i = 0; i < count; ++i) {
            auto *pane = static_cast<ExtensionPane *>(tabs->widget(keep + i));
            pane->setExtension(manager->extensionAtIndex(i));
            // As a new pane would, it shows the object as it is now.
            pane->loadData();
        }
        return;
    }
    dropTabsAfter(tabs, keep);
    for (int i = 0; i < count; ++i) {
        const auto extension = manager->extensionAtIndex(i);
        const QString name = manager->extensionNameAtIndex(i);
        ExtensionPane *pane = makePane(name, extension, context);
        pane->setObjectName(name);
        hideTab(tabs, tabs->addTab(pane, manager->extensionDisplayNameAtIndex(i)));
    }
    for (int i = keep; i < tabs->count(); ++i)
        tabs->tabBar()->setTabVisible(i, true);
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
