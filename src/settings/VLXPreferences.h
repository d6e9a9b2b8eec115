#pragma once

#include "settings/VLXPreferencesWorkingCopy.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantMap>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class DefaultsStore;
class VLXSite;

// The one settings object of the process.
//
// It loads the global settings from the defaults store into a live dictionary, answers every read
// from it and writes it back sparsely: a key whose value equals its built-in default is removed
// from the store. Per-feed settings are entries of the list under "FD_CF_Array", keyed by the
// feed's unique identifier and read through a one-feed cache. Everything runs on the main thread.
//
// Values are property-list values held in QVariants; model objects (category elements, iTunes
// categories, publishing sites, Media RSS objects) are KeyedArchivable references and compare
// equal only to themselves (SettingsEquality). A class-level operation forwards to the shared
// instance; "none" is a null QVariant / null QString.
class VLXPreferences : public VLXPreferencesWorkingCopy
{
public:
    enum class Kind {
        Text,
        Integer,
        Flag,
        Float,
        Date,
        TextArray,
        Dictionary,
        ObjectArray,
        Object,
        ArchivedData,
        EntryArray,
    };

    // ---- The shared instance ----
    // Made on first use over the plist file at its standard place.
    static VLXPreferences &sharedInstance();
    // Replaces the shared instance by a new one loaded from the given store; for tests and for a
    // program that chooses where its settings live. Answers the new instance.
    static VLXPreferences &useStore(std::unique_ptr<DefaultsStore> store);

    // How the XML escapers read "EncodeApos", which the live settings never load: every settings
    // object, when made, installs a reader of the current settings' store (tests may install
    // their own). Without a reader the setting counts as absent.
    using StoreReader = std::function<QVariant(const QString &key)>;
    static StoreReader &storeReader();

    // The settings as they stand, for work on another thread (a feed read on a worker). Made on
    // the main thread; while a Use of it lives on a thread, every class-level read and write of
    // that thread goes to the copy and the live settings stay untouched. Namespaces the work met
    // for the first time are remembered by commit(), back on the main thread.
    class ThreadCopy
    {
    public:
        ThreadCopy();
        ~ThreadCopy();
        ThreadCopy(const ThreadCopy &) = delete;
        ThreadCopy &operator=(const ThreadCopy &) = delete;

        class Use
        {
        public:
            explicit Use(ThreadCopy &copy);
            ~Use();
            Use(const Use &) = delete;
            Use &operator=(const Use &) = delete;

        private:
            VLXPreferences *m_outer;
        };

        // Adds the namespaces met meanwhile to the live settings (the copy's own record is
        // emptied, so a second commit adds nothing).
        void commit();

    private:
        std::unique_ptr<VLXPreferences> m_settings;
    };

    ~VLXPreferences() override;
    VLXPreferences(const VLXPreferences &) = delete;
    VLXPreferences &operator=(const VLXPreferences &) = delete;

    // ---- Keys and built-in defaults (shared, read-only, built on first use) ----
    static const QVariantMap &defaultValues(); // 190 global keys
    static const QVariantMap &FDCFdefaultValues(); // 89 per-feed keys
    static const QStringList &globalKeys(); // the 190 keys in table order
    static const QStringList &loadedKeys(); // the 189 live keys (no "EncodeApos")
    static const QStringList &perFeedKeys(); // the 89 per-feed keys in table order
    static std::optional<Kind> kindOfKey(const QString &key);
    static std::optional<Kind> kindOfPerFeedKey(const QString &key);

    // ---- Loading and saving ----
    // The live settings themselves.
    QVariantMap &preferences() { return m_curValues; }
    const QVariantMap &origValues() const { return m_origValues; }
    QVariantMap preferencesFromDefaults() const;
    void savePreferencesToDefaults(const QVariantMap &values);
    DefaultsStore &store() { return *m_store; }

    // ---- Class-level access ----
    static QVariant objectForKey(const QString &key);
    static QVariant objectForKey(const QString &key, const QString &uniqueKey);
    static void setObjectForKey(const QVariant &value, const QString &key,
                                const QString &uniqueKey);
    static void setObjectForKey(const QVariant &value, const QString &key);
    static void removeUniqueKey(const QString &uniqueKey);
    // Keeps only the entries of the listed feeds, in the list's order; none removes them all.
    static void cleanupOrphans(const std::optional<QStringList> &uniqueKeys);
    static void saveDefaults();
    static bool isExtensionEmpty(const QString &prefix);
    static std::shared_ptr<VLXSite> pubSiteWithID(const QString &siteIdentifier);
    static std::shared_ptr<VLXSite> findPubSiteWithHost(const QString &host,
                                                        const QString &andUsername);
    static void updatePubSite(const std::shared_ptr<VLXSite> &site);

    // Full form (every per-feed key) and sparse form (only values that differ) of an entry.
    QVariantMap getCFPreferences(const QVariantMap &entry) const;
    QVariantMap setCFPreferences(const QVariantMap &entry) const;
    // The one-feed cache, read-only, for tests and diagnostics.
    const std::optional<QVariantMap> &FDCF_dict() const { return m_FDCF_dict; }

    // ---- Migration ----
    void checkVersion() override; // global ladder, displayed values
    static void checkVersion(const QString &uniqueKey); // one feed's entry
    static constexpr float kCurrentVersion = 2.05f;

    // ---- Namespace registry ----
    QStringList &general_XMLNamespaces() override { return m_generalXMLNamespaces; }
    void addGeneral_XMLNamespaces(const std::optional<QStringList> &entries) override;
    void replaceGeneral_XMLNamespaces(const QString &entry, int atIndex) override;
    void removeGeneral_XMLNamespacesAtIndex(int index) override;
    static void addMissingXMLNamespaces(const QStringList &entries);
    static void addMissingSupportedXMLNamespaces(const QStringList &entries);
    // The URI of the first stored entry with that prefix; a null string when none.
    static QString getDTDForNamespace(const QString &prefix);
    void validateGeneralXMLNamespaces() override;
    void sortNamespaces();

    // ---- The preferences window's working copy ----
    void beginEditing(const QString &uniqueKey) override;
    bool hasDisplayedValues() const override { return m_displayedValues.has_value(); }
    QVariantMap &displayedValues() override;
    QString editedUniqueKey() const override { return m_uniqueKey; }
    QVariantMap &editedFeedEntry() override;
    void commitDisplayedValues() override;
    void revertToDefault() override;
    void discardDisplayedValues() override;

    static const QString kUniqueKey; // "FD_CF_ArrayUniqueKey"
    static const QString kFeedArray; // "FD_CF_Array"
    static const QString kBlank; // "BLANK"

private:
    explicit VLXPreferences(std::unique_ptr<DefaultsStore> store);
    // A copy of live for a ThreadCopy: the same values over a store in memory.
    explicit VLXPreferences(const VLXPreferences &live, std::unique_ptr<DefaultsStore> store);

    // The ThreadCopy in use on this thread, if any.
    static VLXPreferences *&threadSlot();
    QVariant objectForKeyImpl(const QString &key, const QString &uniqueKey);
    void setObjectForKeyImpl(const QVariant &value, const QString &key, const QString &uniqueKey);
    void setGlobalObjectImpl(const QVariant &value, const QString &key);
    void removeUniqueKeyImpl(const QString &uniqueKey);
    void cleanupOrphansImpl(const std::optional<QStringList> &uniqueKeys);
    void saveDefaultsImpl();
    bool isExtensionEmptyImpl(const QString &prefix) const;
    std::shared_ptr<VLXSite> pubSiteWithIDImpl(const QString &siteIdentifier) const;
    std::shared_ptr<VLXSite> findPubSiteImpl(const QString &host, const QString &user) const;
    void updatePubSiteImpl(const std::shared_ptr<VLXSite> &site);
    void checkVersionImpl(const QString &uniqueKey);
    void addMissingXMLNamespacesImpl(const QStringList &entries);
    void addMissingSupportedXMLNamespacesImpl(const QStringList &entries);
    QString getDTDForNamespaceImpl(const QString &prefix) const;
    void storeRegistryAndSave();
    void save();

    QVariant loadValue(const QString &key, Kind kind) const;
    static bool entryMatches(const QVariant &entry, const QString &uniqueKey);

    std::unique_ptr<DefaultsStore> m_store;
    QVariantMap m_curValues;
    // The registry of namespaces by prefix, for the registry list held here (held, so that its
    // place in memory names it until it is replaced).
    mutable QVariantList m_indexedRegistry;
    mutable QHash<QString, QString> m_registryIndex;
    QVariantMap m_origValues;
    std::optional<QVariantMap> m_displayedValues;
    std::optional<QVariantMap> m_FDCF_dict;
    QString m_uniqueKey;
    QStringList m_generalXMLNamespaces;
    // While positive, saves update the store but leave writing the file to the outermost caller.
    int m_deferSync = 0;
    // In a ThreadCopy only: the namespace entries added to the registry (and whether as
    // supported ones), to be added to the live settings.
    std::vector<std::pair<bool, QStringList>> m_addedNamespaces;
};
