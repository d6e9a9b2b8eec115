#pragma once

#include "model/MessageGroup.h"
#include "model/knownNamespaces.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class FeedElement;
class UTF8Writer;
class TemplateValues;
class VLXFeed;
class extensionManagerScope;
class extensionNSRaw;
class vlxXMLNode;

// The protocol of every extension manager: the channel's, each item's, the image's and the
// preferences window's. A manager owns the extension objects of its place: one slot per known
// namespace with a flag saying whether it is in use, a list of raw extensions of other
// namespaces, and one raw "User Defined" extension.
//
// This class implements what only combines other operations (counting, access by index,
// creation from text forms, the find walk, the missing-declaration handler). The rest is
// virtual with a default that raises VLXUnoverriddenMethod: the preferences manager
// deliberately keeps several of those throwing versions.
class baseExtensionManager
{
public:
    using ExtensionRef = std::shared_ptr<extensionNSRaw>;

    baseExtensionManager();
    virtual ~baseExtensionManager();
    baseExtensionManager &operator=(const baseExtensionManager &) = delete;

    // A deep copy of the same class. Copies never hear of missing declarations.
    virtual std::unique_ptr<baseExtensionManager> copyManager() const;

    // Sent before a replaced manager is released.
    virtual void deactivate() { }

    // Used flags. A manager without a class for a namespace answers NO whatever the flag holds;
    // every walk reads the flags through extensionUsed().
    virtual bool extensionUsed(KnownNamespace ns) const;
    void setExtensionUsed(KnownNamespace ns, bool used);
    bool iTunesExtensionUsed() const { return extensionUsed(KnownNamespace::iTunes); }
    void setITunesExtensionUsed(bool used) { setExtensionUsed(KnownNamespace::iTunes, used); }
    bool mediaRSSExtensionUsed() const { return extensionUsed(KnownNamespace::mediaRSS); }
    void setMediaRSSExtensionUsed(bool used) { setExtensionUsed(KnownNamespace::mediaRSS, used); }
    bool contentEncodedExtensionUsed() const
    {
        return extensionUsed(KnownNamespace::contentEncoded);
    }
    void setContentEncodedExtensionUsed(bool used)
    {
        setExtensionUsed(KnownNamespace::contentEncoded, used);
    }
    bool syndicationExtensionUsed() const { return extensionUsed(KnownNamespace::syndication); }
    void setSyndicationExtensionUsed(bool used)
    {
        setExtensionUsed(KnownNamespace::syndication, used);
    }
    bool dublinCoreExtensionUsed() const { return extensionUsed(KnownNamespace::dublinCore); }
    void setDublinCoreExtensionUsed(bool used)
    {
        setExtensionUsed(KnownNamespace::dublinCore, used);
    }
    bool creativeCommonsExtensionUsed() const
    {
        return extensionUsed(KnownNamespace::creativeCommons);
    }
    void setCreativeCommonsExtensionUsed(bool used)
    {
        setExtensionUsed(KnownNamespace::creativeCommons, used);
    }
    bool microsoftCFExtensionUsed() const { return extensionUsed(KnownNamespace::microsoftCF); }
    void setMicrosoftCFExtensionUsed(bool used)
    {
        setExtensionUsed(KnownNamespace::microsoftCF, used);
    }
    bool trackBackExtensionUsed() const { return extensionUsed(KnownNamespace::trackBack); }
    void setTrackBackExtensionUsed(bool used) { setExtensionUsed(KnownNamespace::trackBack, used); }
    bool unknownExtensionUsed() const { return m_unknownUsed; }
    void setUnknownExtensionUsed(bool used) { m_unknownUsed = used; }

    // The raw extensions of namespaces without a class of their own, in the order they came.
    // Namespaces taken from a feed's declarations (see takeDeclaredNamespaces) get their
    // extensions made here, all of them: walks over the many items of a feed use
    // forEachMadeListed and forEachListedNamespace instead.
    const QList<ExtensionRef> &notWellSupportedArray() const;
    // Stores copies of the given extensions.
    void setNotWellSupportedArray(const QList<ExtensionRef> &list);

    // Namespaces a feed declares, in the order its channel lists them (prefix and URI), shared
    // by every item read from it. An item lists them all, but makes the raw extension of one
    // (fresh and empty until then) only when something asks for it: a feed may declare a
    // thousand namespaces and hold a hundred thousand items that use none of them.
    struct DeclaredNamespaces
    {
        QList<std::pair<QString, QString>> namespaces;
        QHash<QString, int> byPrefix; // the first of each prefix
        QHash<QString, int> byURI; // the first of each URI, references decoded
    };
    static std::shared_ptr<const DeclaredNamespaces>
    declaredNamespaces(const QList<std::pair<QString, QString>> &namespaces);
    // Lists the declared namespaces after the ones listed so far (which must be none).
    void takeDeclaredNamespaces(const std::shared_ptr<const DeclaredNamespaces> &declared);
    // Whether any namespace without a class is listed, made or not.
    bool holdsListedNamespaces() const;
    // How many are listed, made or not.
    int countOfListed() const;
    // The listed extension at that place of the list, made now if it was not yet; null past the
    // end.
    ExtensionRef listedAt(int pos) const;
    // The listed extensions made so far, in list order (those not made are fresh and empty).
    template<class Visit> void forEachMadeListed(Visit visit) const
    {
        for (const auto &[index, made] : m_declaredTaken) {
            if (made)
                visit(made);
        }
        for (const ExtensionRef &listed : m_notWellSupported)
            visit(listed);
    }
    // The prefix and URI of every listed namespace, made or not, without making any. A walk over
    // many items that share their declarations visits a shared list once: seen remembers the
    // lists visited.
    void forEachListedNamespace(const std::function<void(const QString &, const QString &)> &visit,
                                QSet<const void *> *seen = nullptr) const;

    bool replaceDone() const { return m_replaceResult; }
    int searchExtensionIndex() const { return m_searchExtensionIndex; }

    // Creation from the text forms: namespace declarations as written on the rss element
    // (xmlns:prefix="uri"), and namespace description strings.
    void createExtensionsFromArray(const QStringList &declarations);
    void createExtensionsFromArrayOfDescriptions(const QStringList &descriptions);
    void createExtensionWithString(const QString &declaration);

    // --- operations each concrete manager provides ---
    virtual ExtensionRef extensionAtIndex(int pos) const;
    virtual void createExtensionWithNamespace(const QString &name, const QString &dtd);
    virtual QList<ExtensionRef> arrayOfExtensions() const;
    // What the find walk visits: arrayOfExtensions() but the listed namespaces whose extensions
    // were not made yet (a fresh raw extension finds nothing).
    virtual QList<ExtensionRef> searchedExtensions() const { return arrayOfExtensions(); }
    virtual QStringList arrayOfExtensionNames() const;
    virtual QStringList arrayOfExtensionDescriptions() const;
    virtual void populateWithDefaults(const QString &uniqueKey);
    virtual void populateExtension(const QString &extensionName, const QString &uniqueKey);
    // Gives an element to the extension its prefix belongs to; the owner (channel, item or
    // image) records the repairs. Answers the parse result code (always 0).
    virtual int parseXMLNodeIfMine(const vlxXMLNode *node, FeedElement &owner);
    virtual QString buildXML(const QString &prefix) const;
    // The same appended to the document being written (the feed writer's way).
    virtual void appendXML(UTF8Writer &out, const QString &prefix) const;
    virtual int parseXMLErrorCount() const;
    virtual int parseXMLWarnCount() const;
    virtual int parseXMLRepairCount() const;
    // The message groups {"%@ Extension": entries} of the extensions.
    virtual QList<MessageGroup> parseXMLErrorList(bool includeErrors, bool includeWarn,
                                                  bool includeRepair) const;
    virtual void clearParseXMLErrorList();
    virtual void deleteExtensionNamed(const QString &val);
    // The same for several names at once (an import drops a thousand from every item).
    void deleteExtensionsNamed(const QStringList &names);
    virtual void finalProcessing(VLXFeed *feed);
    virtual void validate(VLXFeed *feed);
    virtual void preferencesChanged();
    // Gathers the values of the export placeholders of the extensions in use.
    virtual void actuallyBuildExport(TemplateValues &values);

    // --- operations built on the others ---
    virtual int countOfExtensions() const;
    // The first of arrayOfExtensions() that is well supported and has that name; null if none.
    virtual ExtensionRef wellSupportedExtensionNamed(const QString &name) const;
    QString extensionDescriptionAtIndex(int pos) const;
    QString extensionNameAtIndex(int pos) const;
    QString extensionDTDURLAtIndex(int pos) const;
    QString extensionDisplayNameAtIndex(int pos) const;
    void setExtensionNameAtIndex(const QString &name, int pos);
    void setExtensionDTDURLAtIndex(const QString &url, int pos);

    // "usingXMLNSWithoutDeclaration": a part of the same feed met the namespace without its
    // declaration. Only an extension that is missing is created; one in use keeps its data, and
    // a namespace already listed is not listed twice.
    void usingXMLNSWithoutDeclaration(const QString &prefix, const QString &dtd);
    // Whether the namespace of that prefix or URI already has its extension here (or, where this
    // manager keeps nothing for it, needs none).
    virtual bool holdsNamespace(const QString &prefix, const QString &dtd) const;

    // The find walk over searchedExtensions(), one step at a time; a replacement is made at most
    // once per walk.
    void resetSearch();
    bool replace(const QString &search, const std::optional<QString> &replacement, bool thenSearch,
                 int options, QObject *onTab, QObject *underTab, int atIndex);
    int replaceAll(const QString &search, const QString &replacement, int options);
    // Whether the walk from its start would find the text, without moving it.
    bool holds(const QString &search, int options) const;

    // The feed whose parts hear of repaired declarations. A manager made new listens (alone until
    // it joins its feed's scope); copies and preferences managers never do.
    bool listensForMissingDeclarations() const { return m_listens; }
    const std::shared_ptr<extensionManagerScope> &scope() const { return m_scope; }
    void setScope(const std::shared_ptr<extensionManagerScope> &scope);

    // Whether a namespace URI is absolute (starts with a scheme). A document that binds a known
    // prefix to a relative one ("x") is taken to mean the known namespace; only an absolute URI
    // names a namespace of its own.
    static bool hasScheme(QStringView uri);

    // Parts of a namespace declaration text (xmlns:prefix="uri").
    static QString namespaceOfDeclaration(const QString &declaration);
    static QString DTDURLOfDeclaration(const QString &declaration);

    static const QString kMissingDeclarationRepair; // "Add missing namespace declaration (%1)"
    // "Old %1 namespace address used %2": a known namespace declared under another address
    // that names it (its display name, the address).
    static const QString kOtherAddressRepair;

protected:
    baseExtensionManager(const baseExtensionManager &other);

    // Where this manager's extensions sit; the preferences manager answers Prefs.
    virtual ExtensionPlace place() const { return ExtensionPlace::Prefs; }
    void setListens(bool listens) { m_listens = listens; }
    // Creation from one declaration's parts; declared: every prefix the document declares with
    // it, which a prefix made for it must not be.
    void createExtensionWithNamespaceDeclared(const QString &prefix, const QString &uri,
                                              const QStringList &declared = {});
    // Delivers the repair to this manager first, then to the rest of its feed.
    void postMissingNamespace(const QString &prefix, const QString &dtd);
    // Counts every change of the namespaces held (a known one used or not, one listed or
    // removed, renamed through the manager): what is worked out from them stays valid while it
    // stands still.
    quint64 namespacesChanged() const { return m_changes; }
    void noteNamespacesChanged() { ++m_changes; }
    // The first listed extension of that prefix (of that URI), made now if it was not yet.
    ExtensionRef firstListedNamed(const QString &name) const;
    ExtensionRef firstListedWithURI(const QString &uri) const;
    void appendListed(const ExtensionRef &extension)
    {
        m_notWellSupported.append(extension);
        noteNamespacesChanged();
    }
    void removeFirstListedNamed(const QString &name);
    // Removes every listed namespace of these names in one walk, made or not.
    void removeListedNamed(const QSet<QString> &names);
    // A fresh raw extension of this manager's place for a listed namespace.
    virtual ExtensionRef makeListed(const QString &name, const QString &uri) const;

private:
    // Makes the declared namespace at that place of m_declared (see m_declaredTaken).
    const ExtensionRef &madeDeclared(int index) const;
    // Makes every declared namespace not made yet, in its place of the list.
    void settleDeclared() const;

    std::array<bool, 8> m_used {};
    bool m_unknownUsed = false;
    quint64 m_changes = 0;
    // The listed extensions: the declared namespaces first (m_declared, with those made or
    // removed in m_declaredTaken: the object, or null for removed, by their place in
    // m_declared, in that order), then m_notWellSupported. Made on first use, which a const
    // accessor may do.
    mutable QList<ExtensionRef> m_notWellSupported;
    mutable std::shared_ptr<const DeclaredNamespaces> m_declared;
    mutable std::vector<std::pair<int, ExtensionRef>> m_declaredTaken;
    bool m_replaceResult = false;
    int m_searchExtensionIndex = 0;
    bool m_listens = false;
    std::shared_ptr<extensionManagerScope> m_scope;
};
