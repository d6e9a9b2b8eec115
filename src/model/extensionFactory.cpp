#include "model/extensionFactory.h"

#include "model/extensionNSRaw.h"

extensionFactory &extensionFactory::shared()
{
    static extensionFactory *factory = [] {
        auto *f = new extensionFactory;
        registerExtensionClasses(*f);
        return f;
    }();
    return *factory;
}

void extensionFactory::registerClass(KnownNamespace ns, ExtensionPlace place, Maker maker)
{
    m_makers.insert(key(ns, place), std::move(maker));
    m_freshProcessingNames.remove(key(ns, place));
}

bool extensionFactory::hasClass(KnownNamespace ns, ExtensionPlace place) const
{
    return m_makers.contains(key(ns, place));
}

std::shared_ptr<extensionNSRaw> extensionFactory::create(KnownNamespace ns,
                                                         ExtensionPlace place) const
{
    if (!knownNamespaces::existsAt(ns, place))
        return nullptr;
    const auto it = m_makers.constFind(key(ns, place));
    if (it != m_makers.constEnd() && *it)
        return (*it)();
    return nullptr;
}

void extensionFactory::registerEnclosureRule(KnownNamespace ns, EnclosureRule rule)
{
    m_enclosureRules.insert(key(ns, ExtensionPlace::Item), rule);
}

bool extensionFactory::enclosureAccepted(KnownNamespace ns, const QString &url) const
{
    const EnclosureRule rule = m_enclosureRules.value(key(ns, ExtensionPlace::Item));
    return !rule || rule(url);
}

QString extensionFactory::freshProcessingName(KnownNamespace ns, ExtensionPlace place) const
{
    const int k = key(ns, place);
    auto found = m_freshProcessingNames.constFind(k);
    if (found == m_freshProcessingNames.cend()) {
        const std::shared_ptr<extensionNSRaw> fresh = create(ns, place);
        found = m_freshProcessingNames.insert(k,
                                              fresh ? fresh->extensionProcessingName() : QString());
    }
    return found.value();
}
