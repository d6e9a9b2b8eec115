#include "import/ImportedElements.h"

#include "model/VLXFeed.h"
#include "model/VLXImage.h"
#include "model/VLXItems.h"
#include "model/extensionManagerChannel.h"
#include "model/extensionManagerImage.h"
#include "model/extensionManagerItem.h"
#include "model/extensionNSRaw.h"
#include "model/extensionSettings.h"
#include "model/knownNamespaces.h"
#include "model/rawXMLText.h"
#include "xml/KeptElementWriter.h"
#include "xml/vlxXMLDOM.h"

#include <functional>

namespace {
const QString kWrapper = QStringLiteral("w");

// The elements parsed under a wrapper element that makes the given declarations; null when they
// do not parse.
const vlxXMLNode *wrapped(vlxXMLDOM &dom, const QString &elements, const QString &declarations)
{
    if (!dom.initWithString(QStringLiteral("<%1%2>%3</%1>").arg(kWrapper, declarations, elements)))
        return nullptr;
    return dom.nodeNamed(kWrapper, vlxXMLDOM::Element, nullptr);
}

void forEachElement(const vlxXMLNode *node, const std::function<void(const vlxXMLNode *)> &visit)
{
    for (int i = 0; i < vlxXMLDOM::numberOfChildren(node); ++i) {
        const vlxXMLNode *child = vlxXMLDOM::nodeAtIndex(i, node);
        if (vlxXMLDOM::kindOfNode(child) != vlxXMLDOM::Element)
            continue;
        visit(child);
        forEachElement(child, visit);
    }
}

} // namespace

ImportedElements::ImportedElements(const VLXFeed &destination)
{
    for (const QString &declaration : destination.XMLExtensions()->arrayOfNamespaceDelecrations()) {
        const QString prefix = baseExtensionManager::namespaceOfDeclaration(declaration);
        if (!m_declared.contains(prefix))
            m_declared.insert(prefix, baseExtensionManager::DTDURLOfDeclaration(declaration));
    }
    m_bound = m_declared;
    // The feed writer also declares on the rss element the namespaces the image and the items
    // hold and the channel does not.
    QSet<const void *> seen;
    const auto gather = [&](const baseExtensionManager &manager) {
        manager.forEachListedNamespace(
            [&](const QString &prefix, const QString &uri) {
                if (!m_bound.contains(prefix))
                    m_bound.insert(prefix, uri);
            },
            &seen);
    };
    gather(*destination.image()->XMLExtensions());
    for (const auto &item : destination.arrayOfItems())
        gather(*item->XMLExtensions());
}

QString ImportedElements::boundURI(const QString &prefix) const
{
    const auto declared = m_bound.constFind(prefix);
    if (declared != m_bound.cend())
        return *declared;
    // A reader files a known or registered prefix under its namespace whatever the element
    // declares.
    if (const std::optional<KnownNamespace> ns = knownNamespaces::fromPrefix(prefix))
        return knownNamespaces::uri(*ns);
    return extensionSettings::registeredURI(prefix);
}

QString ImportedElements::prefixBoundTo(const QString &uri) const
{
    if (m_prefixOf.isEmpty()) {
        for (auto it = m_bound.cbegin(); it != m_bound.cend(); ++it)
            m_prefixOf.insert(vlxXMLDOM::decodeAmpEntities(*it), it.key());
    }
    return m_prefixOf.value(vlxXMLDOM::decodeAmpEntities(uri));
}

void ImportedElements::adopt(extensionManagerItem &extensions)
{
    // The item's namespaces without a class, matched with the destination's by address: one it
    // uses keeps the elements under its prefix; the elements of any other come along as
    // elements that declare their namespace themselves.
    QList<Namespaced> moving;
    QStringList movedNames;
    QList<std::pair<baseExtensionManager::ExtensionRef, QString>> joining;
    for (const auto &listed : extensions.notWellSupportedArray()) {
        const QString prefix = listed->extensionName();
        const QString ours = prefixBoundTo(listed->DTDURL());
        if (ours == prefix)
            continue;
        if (!ours.isNull()) {
            joining.append({listed, ours});
            continue;
        }
        if (!listed->rawXML().isEmpty())
            moving.append({listed->rawXML(), prefix, listed->DTDURL()});
        movedNames << prefix;
    }
    const QString moved = standingAlone(moving);
    extensions.deleteExtensionsNamed(movedNames);
    for (const auto &[listed, ours] : std::as_const(joining)) {
        const QString text = rawXMLText::renamePrefix(listed->rawXML(), listed->extensionName(), ours);
        extensions.deleteExtensionNamed(listed->extensionName());
        extensions.createExtensionWithNamespace(ours, m_bound.value(ours));
        for (const auto &held : extensions.notWellSupportedArray()) {
            if (held->extensionName() == ours && !text.isEmpty())
                held->setRawXML(extensionNSRaw::reformat(held->rawXML() + text));
        }
    }
    if (!extensions.unknownExtensionUsed() && moved.isEmpty())
        return;
    const auto &unknown = extensions.unknownExtension();
    const QString held = unknown->rawXML();
    const QString kept = withFreshPrefixes(held + moved);
    if (kept == held)
        return;
    extensions.setUnknownExtensionUsed(true);
    unknown->setRawXML(extensionNSRaw::reformat(kept));
}

QString ImportedElements::standingAlone(const QList<Namespaced> &kept)
{
    if (kept.isEmpty())
        return QString();
    // All read at once, each under a wrapper of its own that declares its namespace: an item may
    // keep a thousand namespaces, and an element looks its prefix up around itself.
    QString elements;
    for (const Namespaced &namespaced : kept)
        elements += QStringLiteral("<%1 xmlns:%2=\"%3\">%4</%1>")
                        .arg(kWrapper, namespaced.prefix, namespaced.uri.toHtmlEscaped(),
                             namespaced.elements);
    vlxXMLDOM dom;
    const vlxXMLNode *top = wrapped(dom, elements, QString());
    if (!top) {
        QString unchanged;
        for (const Namespaced &namespaced : kept)
            unchanged += namespaced.elements;
        return unchanged;
    }
    // Written as the user-defined elements are kept when read: every prefix declared on them.
    const KeptElementWriter::KnownURI none = [](const QString &) { return QString(); };
    QList<KeptElementWriter::Omission> omitted;
    QString standing;
    for (int w = 0; w < vlxXMLDOM::numberOfChildren(top); ++w) {
        const vlxXMLNode *inner = vlxXMLDOM::nodeAtIndex(w, top);
        for (int i = 0; i < vlxXMLDOM::numberOfChildren(inner); ++i) {
            const vlxXMLNode *child = vlxXMLDOM::nodeAtIndex(i, inner);
            if (vlxXMLDOM::kindOfNode(child) == vlxXMLDOM::Element)
                standing += KeptElementWriter::write(child, QString(), QString(), none, &omitted);
        }
    }
    return standing;
}

QString ImportedElements::withFreshPrefixes(const QString &elements)
{
    if (elements.isEmpty())
        return elements;
    // One look at the elements gathers the prefixes they use and those they bind to another
    // namespace than the feed does; one pass renames them all. An item may use a thousand.
    QList<std::pair<QString, QString>> clashing;
    QSet<QString> used;
    {
        vlxXMLDOM dom;
        const vlxXMLNode *top = wrapped(dom, elements, QString());
        if (!top)
            return elements;
        QSet<std::pair<QString, QString>> seen;
        const auto usePrefixOf = [&used](const QString &name) {
            const qsizetype colon = name.indexOf(u':');
            if (colon > 0)
                used.insert(name.first(colon));
        };
        forEachElement(top, [&](const vlxXMLNode *element) {
            usePrefixOf(vlxXMLDOM::nameOfNode(element));
            for (const QString &attribute : vlxXMLDOM::attributeNamesOfNode(element))
                usePrefixOf(attribute);
            for (const auto &declaration : vlxXMLDOM::namespaceDeclarationsOfNode(element)) {
                used.insert(declaration.first);
                const QString bound = boundURI(declaration.first);
                if (!declaration.first.isEmpty() && !bound.isEmpty() && bound != declaration.second
                    && !seen.contains(declaration)) {
                    seen.insert(declaration);
                    clashing << declaration;
                }
            }
        });
    }
    QHash<QString, QString> renames;
    for (const auto &[prefix, uri] : std::as_const(clashing)) {
        // A prefix declared for two URIs is renamed once, everywhere: that keeps both bindings.
        if (!renames.contains(prefix))
            renames.insert(prefix, freshPrefix(prefix, uri, used));
    }
    return rawXMLText::renamePrefixes(elements, renames);
}

QString ImportedElements::freshPrefix(const QString &prefix, const QString &uri,
                                      QSet<QString> &used)
{
    const QString key = prefix + u'\n' + uri;
    const QString earlier = m_fresh.value(key);
    QString fresh = earlier;
    if (earlier.isEmpty() || used.contains(earlier)) {
        fresh = knownNamespaces::numberedPrefix(prefix, [&](const QString &candidate) {
            const auto given = m_given.constFind(candidate);
            return (given != m_given.cend() && *given != uri) || !boundURI(candidate).isEmpty()
                || used.contains(candidate);
        });
        m_fresh.insert(key, fresh);
        m_given.insert(fresh, uri);
    }
    used.insert(fresh);
    return fresh;
}
