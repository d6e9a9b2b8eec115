#pragma once

#include "model/baseExtensionManager.h"

#include <QVarLengthArray>
#include <cstdint>

class VLXItems;

// The common body of the managers of a feed's parts (channel, item, image): one slot per known
// namespace that has a class at the place, the not-well-supported list and the user-defined
// extension, walked in the place's display order. The three concrete managers only state where
// they differ.
class placedExtensionManager : public baseExtensionManager
{
public:
    ~placedExtensionManager() override = default;

    void deactivate() override;
    bool extensionUsed(KnownNamespace ns) const override;
    // The known namespaces that extensionUsed() answers yes for, a bit (1 << namespace) each.
    std::uint32_t usedKnownBits() const;

    // The extension object in a known namespace's slot (used or not; may be empty).
    ExtensionRef knownExtension(KnownNamespace ns) const;
    // Stores a copy of the given extension, unless it is the very object held.
    void setKnownExtension(KnownNamespace ns, const ExtensionRef &extension);
    const ExtensionRef &unknownExtension() const;
    void setUnknownExtension(const ExtensionRef &extension);

    ExtensionRef extensionAtIndex(int pos) const override;
    void createExtensionWithNamespace(const QString &name, const QString &dtd) override;
    QList<ExtensionRef> arrayOfExtensions() const override;
    QList<ExtensionRef> searchedExtensions() const override;
    QStringList arrayOfExtensionNames() const override;
    QStringList arrayOfExtensionDescriptions() const override;
    void populateWithDefaults(const QString &uniqueKey) override;
    void populateExtension(const QString &extensionName, const QString &uniqueKey) override;
    int parseXMLNodeIfMine(const vlxXMLNode *node, FeedElement &owner) override;
    QString buildXML(const QString &prefix) const override;
    void appendXML(UTF8Writer &out, const QString &prefix) const override;
    int parseXMLErrorCount() const override;
    int parseXMLWarnCount() const override;
    int parseXMLRepairCount() const override;
    QList<MessageGroup> parseXMLErrorList(bool includeErrors, bool includeWarn,
                                          bool includeRepair) const override;
    void clearParseXMLErrorList() override;
    // Adds the parseXML...Count() of the three kinds to the sums in one walk.
    void addMessageCounts(int &errors, int &warnings, int &repairs) const;
    // Asks the processor for the used extension objects ahead of a walk over them, and then,
    // once they are at hand, for the data their checks read (extensionNSRaw::prefetchHeldData).
    void prefetchHeld() const;
    void prefetchHeldData(bool texts) const;
    // Whether any extension holds a message entry at all: without one, parseXMLErrorList() has
    // no group with an entry.
    bool holdsMessageEntries() const;
    void deleteExtensionNamed(const QString &val) override;
    void finalProcessing(VLXFeed *feed) override;
    void validate(VLXFeed *feed) override;
    void preferencesChanged() override;
    void actuallyBuildExport(TemplateValues &values) override;
    int countOfExtensions() const override;
    ExtensionRef wellSupportedExtensionNamed(const QString &name) const override;

protected:
    explicit placedExtensionManager(ExtensionPlace place);
    placedExtensionManager(const placedExtensionManager &other);

    ExtensionPlace place() const override { return m_place; }
    // The used known extensions in display order.
    QList<ExtensionRef> usedKnownExtensions() const;
    // Used known extensions, the list, and the user-defined one always or only while in use.
    QList<ExtensionRef> walk(bool userDefinedAlways) const;
    // The same walk for operations that a fresh, empty user-defined extension ignores (it has
    // no text, no messages and nothing to finish): one that was never made is skipped, and so
    // are the listed namespaces not made yet. Like the
    // list walk, it takes what it visits first, so an extension may change the manager meanwhile.
    template<class Visit> void forEachHeld(bool userDefinedAlways, Visit visit) const
    {
        QVarLengthArray<ExtensionRef, 12> held;
        for (KnownNamespace ns : knownNamespaces::displayOrder(m_place)) {
            if (extensionUsed(ns)) {
                if (const ExtensionRef &slot = known(ns))
                    held.append(slot);
            }
        }
        forEachMadeListed([&](const ExtensionRef &listed) { held.append(listed); });
        if (m_unknown && (userDefinedAlways || unknownExtensionUsed()))
            held.append(m_unknown);
        for (const ExtensionRef &extension : held)
            visit(extension);
    }
    // The same walk where the extensions are held, nothing taken first, for operations that
    // neither add nor remove extensions (checks, counts, messages): they run for every item of
    // a feed.
    template<class Visit> void forEachHeldInPlace(bool userDefinedAlways, Visit visit) const
    {
        forEachUsedKnown(visit);
        forEachMadeListed(visit);
        if (m_unknown && (userDefinedAlways || unknownExtensionUsed()))
            visit(m_unknown);
    }
    // The used known extensions in display order, where they are held.
    template<class Visit> void forEachUsedKnown(Visit visit) const
    {
        // The order holds only the namespaces with a class at the place: the flag alone tells.
        for (KnownNamespace ns : knownNamespaces::displayOrder(m_place)) {
            if (baseExtensionManager::extensionUsed(ns)) {
                if (const ExtensionRef &slot = known(ns))
                    visit(slot);
            }
        }
    }
    // The user-defined extension if it was ever made, else null (standing for a fresh one).
    const ExtensionRef &heldUnknownExtension() const { return m_unknown; }
    // Gives the slot the extension the factory makes for it, made only when first read. Most
    // item slots are never used, and a feed holds tens of thousands of items.
    void prefillKnownExtension(KnownNamespace ns) { m_pending |= bit(ns); }
    // A fresh raw extension of this place.
    ExtensionRef makeRaw(const QString &name, const QString &uri) const;
    ExtensionRef makeListed(const QString &name, const QString &uri) const override
    {
        return makeRaw(name, uri);
    }

    // Whether clearing messages reaches the user-defined extension while it is not in use.
    virtual bool clearsUnusedUserDefined() const { return true; }

private:
    // Puts a fresh extension of the namespace in its slot and marks it used.
    void useKnown(KnownNamespace ns, const QString &prefix, const QString &dtd);
    int handToKnown(KnownNamespace ns, const vlxXMLNode *node, FeedElement &owner,
                    const QString &prefix);
    // An element the document binds to a known namespace, under that prefix ("" for a default
    // namespace).
    int handToBound(KnownNamespace ns, const vlxXMLNode *node, QStringView prefix);
    // The listed extension of that URI, the one of that name first.
    ExtensionRef firstListedWithURI(const QString &uri, QStringView prefix) const;
    // Whether prefix is the processing name of the slot's object ("" for an empty slot), asked
    // without making it.
    bool isProcessingNameIn(KnownNamespace ns, QStringView prefix) const;

    static std::uint8_t bit(KnownNamespace ns) { return std::uint8_t(1u << unsigned(ns)); }
    // Every read of a slot goes through here: a pending slot gets its object now.
    const ExtensionRef &known(KnownNamespace ns) const;
    // Settles a slot whose content is being replaced or emptied.
    ExtensionRef &settledSlot(KnownNamespace ns)
    {
        noteNamespacesChanged();
        m_pending &= std::uint8_t(~bit(ns));
        return m_known[static_cast<size_t>(ns)];
    }

    ExtensionPlace m_place;
    // Slots not yet made (m_pending) and the user-defined extension (null) are made on first
    // read, which a const accessor may do.
    mutable std::uint8_t m_pending = 0;
    mutable std::array<ExtensionRef, 8> m_known;
    mutable ExtensionRef m_unknown;
};
