#include "model/ExtensionTexts.h"

#include "model/VLXLogic.h"
#include "model/baseExtensionManager.h"
#include "model/extensionNSRaw.h"
#include "xml/vlxXMLDOM.h"

#include <QStringList>

ExtensionTexts::ExtensionTexts(const baseExtensionManager &manager) : m_manager(manager) { }

ExtensionTexts::~ExtensionTexts() = default;

bool ExtensionTexts::used(KnownNamespace ns) const
{
    return m_manager.extensionUsed(ns);
}

QString ExtensionTexts::text(KnownNamespace ns, const QString &path) const
{
    if (!used(ns))
        return QString();
    const QString prefix = knownNamespaces::prefix(ns);
    auto found = m_trees.constFind(int(ns));
    if (found == m_trees.cend()) {
        if (const auto extension = m_manager.wellSupportedExtensionNamed(prefix)) {
            if (const auto value = extension->elementText(path))
                return *value;
            // A single-level path is mostly answered from the kept text, without writing and
            // parsing.
            if (!path.contains(QLatin1Char('/'))) {
                if (const auto plain = extension->plainChildText(path))
                    return *plain;
            }
        }
    }
    if (found == m_trees.cend()) {
        QString written;
        if (const auto extension = m_manager.wellSupportedExtensionNamed(prefix))
            written = extension->buildXML(QString());
        // The written elements carry the canonical prefix; declare it so they parse.
        auto tree = std::make_shared<vlxXMLDOM>(
            QStringLiteral("<?xml version=\"1.0\"?><x xmlns:%1=\"%2\">")
                .arg(prefix, knownNamespaces::uri(ns))
            + written + QLatin1String("</x>"));
        found = m_trees.insert(int(ns), tree);
    }
    const vlxXMLDOM &tree = *found.value();
    const vlxXMLNode *node = tree.nodeNamed(QStringLiteral("x"), vlxXMLDOM::Element, nullptr);
    for (const QString &local : path.split(QLatin1Char('/'))) {
        if (!node)
            return QString();
        node = tree.nodeNamed(prefix + QLatin1Char(':') + local, vlxXMLDOM::Element, node);
    }
    return node ? vlxXMLDOM::getElementValue(node) : QString();
}
