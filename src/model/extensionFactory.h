#pragma once

#include "model/knownNamespaces.h"

#include <QHash>
#include <functional>
#include <memory>

class extensionNSRaw;

// Makes the extension object of a known namespace for a place of the feed. The concrete classes
// are entered by one explicit call, registerExtensionClasses(), made when the shared factory is
// first used: registration by static initialisers would be dropped from the static library.
// Every place of a known namespace has its class there.
class extensionFactory
{
public:
    using Maker = std::function<std::shared_ptr<extensionNSRaw>()>;

    // The factory filled with the built-in classes.
    static extensionFactory &shared();

    void registerClass(KnownNamespace ns, ExtensionPlace place, Maker maker);
    bool hasClass(KnownNamespace ns, ExtensionPlace place) const;
    // A fresh extension object; null when no class is registered for the namespace at that place.
    std::shared_ptr<extensionNSRaw> create(KnownNamespace ns, ExtensionPlace place) const;
    // The processing name a fresh object of create() starts with ("" where there is none). A
    // class sets it in its constructor from constants, so it is learnt once per class.
    QString freshProcessingName(KnownNamespace ns, ExtensionPlace place) const;

    // A namespace's rule for the enclosure URL of an item of a feed that uses it (iTunes: a URL
    // of one of its media types), entered with its classes; without one every URL passes.
    using EnclosureRule = bool (*)(const QString &url);
    void registerEnclosureRule(KnownNamespace ns, EnclosureRule rule);
    bool enclosureAccepted(KnownNamespace ns, const QString &url) const;

private:
    static int key(KnownNamespace ns, ExtensionPlace place)
    {
        return static_cast<int>(ns) * 8 + static_cast<int>(place);
    }
    QHash<int, Maker> m_makers;
    mutable QHash<int, QString> m_freshProcessingNames;
    QHash<int, EnclosureRule> m_enclosureRules;
};

// Enters every concrete extension class into the factory (src/extensions).
void registerExtensionClasses(extensionFactory &factory);
