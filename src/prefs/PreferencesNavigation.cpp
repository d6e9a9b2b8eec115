#include "prefs/PreferencesNavigation.h"

#include "platform/PropertyList.h"
#include "prefs/CurrentFeedExtensions.h"
#include "ui/SimpleNodeData.h"
#include "ui/SimpleTreeNode.h"

#include <QFile>
#include <QtDebug>

const QString PreferencesNavigation::kCurrentFeed
    = QStringLiteral("Current Feed::Current Feed Help");
const QString PreferencesNavigation::kItemExtensions
    = QStringLiteral("Item Extensions::Current Feed Item Extensions");
const QString PreferencesNavigation::kOtherExtensions
    = QStringLiteral("Other Extensions::Current Feed Item Other Extensions");
const QString PreferencesNavigation::kITunes
    = QStringLiteral("iTunes%1::Current Feed Item iTunes").arg(QChar(0x00AE));
const QString PreferencesNavigation::kMediaRSS
    = QStringLiteral("Media RSS::Current Feed Item Media RSS");
const QString PreferencesNavigation::kContent
    = QStringLiteral("content::Current Feed Item content:encoded");
const QString PreferencesNavigation::kDublinCore
    = QStringLiteral("Dublin Core (dc)::Current Feed Item dc");
const QString PreferencesNavigation::kCreativeCommons
    = QStringLiteral("Creative Commons::Current Feed Item creativeCommons");

namespace {
const QString kSeparator = QStringLiteral("::");

TreeNode *childNamed(const TreeNode *parent, const QString &name)
{
    for (const TreeNode::Ptr &child : parent->children()) {
        if (PreferencesNavigation::nameOf(child.get()) == name)
            return child.get();
    }
    return nullptr;
}
} // namespace

QVariantMap PreferencesNavigation::resourceDictionary()
{
    QFile file(QStringLiteral(":/prefs/PreferencesNav.plist"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    bool ok = false;
    const QVariant parsed = PropertyList::parse(file.readAll(), &ok);
    if (!ok || parsed.metaType().id() != QMetaType::QVariantMap) {
        qWarning("The preferences navigation resource is not a dictionary");
        return {};
    }
    return parsed.toMap();
}

TreeNode::Ptr PreferencesNavigation::treeFromPropertyList(const QByteArray &bytes)
{
    bool ok = false;
    const QVariant parsed = PropertyList::parse(bytes, &ok);
    return SimpleTreeNode::treeFromDictionary(ok ? parsed.toMap() : QVariantMap());
}

TreeNode::Ptr PreferencesNavigation::readTree()
{
    return SimpleTreeNode::treeFromDictionary(resourceDictionary());
}

void PreferencesNavigation::prune(const TreeNode::Ptr &root, const CurrentFeedExtensions &used)
{
    if (!root || used.usesEverything())
        return;
    const TreeNode *current = childNamed(root.get(), kCurrentFeed);
    TreeNode *extensions = current ? childNamed(current, kItemExtensions) : nullptr;
    if (!extensions)
        return;
    const std::pair<const QString &, bool> rows[] = {
        {kOtherExtensions, !used.otherNamespaces.isEmpty()},
        {kITunes, used.iTunes},
        {kMediaRSS, used.mediaRSS},
        {kContent, used.contentEncoded},
        {kDublinCore, used.dublinCore},
        {kCreativeCommons, used.creativeCommons},
    };
    for (const auto &[name, keep] : rows) {
        if (keep)
            continue;
        if (const TreeNode *node = childNamed(extensions, name))
            extensions->removeChild(node);
    }
}

QString PreferencesNavigation::nameOf(const TreeNode *node)
{
    const auto data = node ? std::dynamic_pointer_cast<SimpleNodeData>(node->nodeData()) : nullptr;
    return data ? data->name() : QString();
}

QString PreferencesNavigation::label(const QString &name)
{
    const qsizetype at = name.indexOf(kSeparator);
    return at < 0 ? name : name.left(at);
}

QString PreferencesNavigation::pageIdentifier(const QString &name)
{
    const qsizetype at = name.indexOf(kSeparator);
    return at < 0 ? QString() : name.mid(at + kSeparator.size());
}

TreeNode *PreferencesNavigation::nodeForPage(const TreeNode::Ptr &root, const QString &identifier)
{
    if (!root)
        return nullptr;
    for (const TreeNode::Ptr &child : root->children()) {
        if (pageIdentifier(nameOf(child.get())) == identifier)
            return child.get();
        if (TreeNode *found = nodeForPage(child, identifier))
            return found;
    }
    return nullptr;
}
