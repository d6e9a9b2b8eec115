#pragma once

#include "model/knownNamespaces.h"

#include <QHash>
#include <QString>
#include <memory>

class baseExtensionManager;
class vlxXMLDOM;

// Reads the texts of known-namespace elements (itunes:subtitle, dc:creator...) that the
// channel, image and item repairs fill empty core fields from. A namespace whose class holds
// its elements as fields answers from its values; one kept as raw XML answers from what it
// writes, read once, on first demand.
class ExtensionTexts
{
public:
    explicit ExtensionTexts(const baseExtensionManager &manager);
    ~ExtensionTexts();

    // Whether the manager has that namespace in use.
    bool used(KnownNamespace ns) const;
    // The text of the first element at the path (local names below the namespace's canonical
    // prefix, "/" for nesting, as "owner/email"); "" when the namespace is not in use or the
    // element is absent.
    QString text(KnownNamespace ns, const QString &path) const;

    // One source of a repair: a namespace element and the tag the repair message names.
    struct Candidate
    {
        KnownNamespace ns;
        const char *path;
        const char *tag;
        // The element holds plain text (the iTunes fields), which a field holding HTML takes
        // only escaped.
        bool plainText = false;
    };

private:
    const baseExtensionManager &m_manager;
    mutable QHash<int, std::shared_ptr<vlxXMLDOM>> m_trees;
};
