#pragma once

#include "model/baseExtensionManager.h"
#include "model/extensionNSPrefs.h"

// The default extensions the preferences window edits: one raw extension per other namespace of
// the registry and the user-defined one. It knows no concrete extension class; its known flags
// are set only by the window. It never hears of, nor reports, missing declarations, and the
// operations it does not need keep the base class's raising versions.
class extensionManagerPrefs : public baseExtensionManager
{
public:
    using PrefsRef = std::shared_ptr<extensionNSPrefs>;

    extensionManagerPrefs();
    std::unique_ptr<extensionManagerPrefs> copy() const;
    std::unique_ptr<baseExtensionManager> copyManager() const override { return copy(); }

    PrefsRef unknownExtension() const { return m_unknown; }
    void setUnknownExtension(const PrefsRef &extension);

    ExtensionRef extensionAtIndex(int pos) const override;
    // The first extension of that name: the list, then the user-defined one while in use.
    ExtensionRef extensionNamed(const QString &name) const;
    void createExtensionWithNamespace(const QString &name, const QString &dtd) override;
    QList<ExtensionRef> arrayOfExtensions() const override;
    QStringList arrayOfExtensionNames() const override;
    QStringList arrayOfExtensionDescriptions() const override;
    int parseXMLNodeIfMine(const vlxXMLNode *node, FeedElement &owner) override;
    QString buildXML(const QString &prefix) const override;
    void appendXML(UTF8Writer &out, const QString &prefix) const override;
    void deleteExtensionNamed(const QString &val) override;

protected:
    extensionManagerPrefs(const extensionManagerPrefs &other);

private:
    PrefsRef makePrefs(const QString &name, const QString &uri) const;

    PrefsRef m_unknown;
};
