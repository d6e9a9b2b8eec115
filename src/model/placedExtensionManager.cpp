#include "model/placedExtensionManager.h"

#include "model/FeedElement.h"
#include "model/extensionFactory.h"
#include "model/extensionManagerScope.h"
#include "model/extensionNSChannel.h"
#include "model/extensionNSImage.h"
#include "model/extensionNSItem.h"
#include "model/extensionSettings.h"
#include "xml/KeptElementWriter.h"
#include "xml/UTF8Writer.h"
#include "xml/vlxXMLDOM.h"

placedExtensionManager::placedExtensionManager(ExtensionPlace place) : m_place(place)
{
    setListens(true);
}

placedExtensionManager::placedExtensionManager(const placedExtensionManager &other)
    : baseExtensionManager(other), m_place(other.m_place), m_pending(other.m_pending)
{
    // A slot the original never made stays unmade here too: both would make equal fresh objects.
    for (size_t i = 0; i < m_known.size(); ++i) {
        if (other.m_known[i])
            m_known[i] = other.m_known[i]->copyExtension();
    }
    if (other.m_unknown)
        m_unknown = other.m_unknown->copyExtension();
}

baseExtensionManager::ExtensionRef placedExtensionManager::makeRaw(const QString &name,
                                                                   const QString &uri) const
{
    ExtensionRef raw;
    switch (m_place) {
    case ExtensionPlace::Channel:
        raw = std::make_shared<extensionNSChannel>();
        break;
    case ExtensionPlace::Item:
        raw = std::make_shared<extensionNSItem>();
        break;
    case ExtensionPlace::Image:
    case ExtensionPlace::Prefs:
        raw = std::make_shared<extensionNSImage>();
        break;
    }
    raw->setExtensionName(name);
    raw->setDTDURL(uri);
    return raw;
}

bool placedExtensionManager::extensionUsed(KnownNamespace ns) const
{
    return knownNamespaces::existsAt(ns, m_place) && baseExtensionManager::extensionUsed(ns);
}

std::uint32_t placedExtensionManager::usedKnownBits() const
{
    // The namespaces a place has are looked up once per place.
    static const auto placeBits = [] {
        std::array<std::uint32_t, 4> bits {};
        for (const ExtensionPlace place : {ExtensionPlace::Channel, ExtensionPlace::Item,
                                           ExtensionPlace::Image, ExtensionPlace::Prefs}) {
            for (std::size_t ns = 0; ns < 8; ++ns) {
                if (knownNamespaces::existsAt(KnownNamespace(ns), place))
                    bits[std::size_t(place)] |= 1u << ns;
            }
        }
        return bits;
    }();
    std::uint32_t used = 0;
    for (std::size_t ns = 0; ns < 8; ++ns) {
        if (baseExtensionManager::extensionUsed(KnownNamespace(ns)))
            used |= 1u << ns;
    }
    return used & placeBits[std::size_t(m_place)];
}

const baseExtensionManager::ExtensionRef &placedExtensionManager::known(KnownNamespace ns) const
{
    ExtensionRef &slot = m_known[static_cast<size_t>(ns)];
    if (m_pending & bit(ns)) {
        m_pending &= std::uint8_t(~bit(ns));
        slot = extensionFactory::shared().create(ns, m_place);
    }
    return slot;
}

baseExtensionManager::ExtensionRef placedExtensionManager::knownExtension(KnownNamespace ns) const
{
    return known(ns);
}

void placedExtensionManager::setKnownExtension(KnownNamespace ns, const ExtensionRef &extension)
{
    // An unmade slot cannot hold the given object, so it is replaced like any other.
    if (!(m_pending & bit(ns)) && m_known[static_cast<size_t>(ns)] == extension)
        return;
    settledSlot(ns) = extension ? extension->copyExtension() : nullptr;
}

const baseExtensionManager::ExtensionRef &placedExtensionManager::unknownExtension() const
{
    if (!m_unknown)
        m_unknown = makeRaw(knownNamespaces::kUserDefined, QString());
    return m_unknown;
}

void placedExtensionManager::setUnknownExtension(const ExtensionRef &extension)
{
    if (m_unknown == extension || !extension)
        return;
    m_unknown = extension->copyExtension();
}

QList<baseExtensionManager::ExtensionRef> placedExtensionManager::usedKnownExtensions() const
{
    QList<ExtensionRef> list;
    forEachUsedKnown([&](const ExtensionRef &slot) { list.append(slot); });
    return list;
}

QList<baseExtensionManager::ExtensionRef> placedExtensionManager::walk(bool userDefinedAlways) const
{
    QList<ExtensionRef> list = usedKnownExtensions();
    list.append(notWellSupportedArray());
    if (userDefinedAlways || unknownExtensionUsed())
        list.append(unknownExtension());
    return list;
}

void placedExtensionManager::deactivate()
{
    forEachHeld(true, [](const ExtensionRef &extension) { extension->deactivate(); });
}

baseExtensionManager::ExtensionRef placedExtensionManager::extensionAtIndex(int pos) const
{
    // Asked for every tab of a pane: counted, without making the list.
    if (pos >= 0) {
        for (KnownNamespace ns : knownNamespaces::displayOrder(m_place)) {
            if (!extensionUsed(ns))
                continue;
            if (const ExtensionRef &slot = known(ns)) {
                if (pos == 0)
                    return slot;
                --pos;
            }
        }
        if (const ExtensionRef listed = listedAt(pos))
            return listed;
    }
    // Any position past the list gives the user-defined extension, in use or not.
    return unknownExtension();
}

int placedExtensionManager::countOfExtensions() const
{
    // The user-defined extension counts while in use, whether it was made yet or not; the
    // listed namespaces whether their extensions were made or not.
    int count = countOfListed();
    forEachUsedKnown([&](const ExtensionRef &) { ++count; });
    if (unknownExtensionUsed())
        ++count;
    return count;
}

baseExtensionManager::ExtensionRef
placedExtensionManager::wellSupportedExtensionNamed(const QString &name) const
{
    // A user-defined extension not made yet would be a fresh raw one, which is not well
    // supported.
    ExtensionRef found;
    forEachHeld(false, [&](const ExtensionRef &extension) {
        if (!found && extension->wellSupported() && extension->extensionName() == name)
            found = extension;
    });
    return found;
}

QList<baseExtensionManager::ExtensionRef> placedExtensionManager::arrayOfExtensions() const
{
    return walk(false);
}

QList<baseExtensionManager::ExtensionRef> placedExtensionManager::searchedExtensions() const
{
    QList<ExtensionRef> list = usedKnownExtensions();
    forEachMadeListed([&](const ExtensionRef &listed) { list.append(listed); });
    if (unknownExtensionUsed())
        list.append(unknownExtension());
    return list;
}

QStringList placedExtensionManager::arrayOfExtensionNames() const
{
    QStringList names;
    for (const ExtensionRef &extension : walk(false))
        names.append(extension->extensionName());
    return names;
}

QStringList placedExtensionManager::arrayOfExtensionDescriptions() const
{
    QStringList descriptions;
    for (const ExtensionRef &extension : walk(false))
        descriptions.append(extension->descriptionOfNamespace());
    return descriptions;
}

void placedExtensionManager::createExtensionWithNamespace(const QString &name, const QString &dtd)
{
    if (name == knownNamespaces::kUserDefined) {
        setUnknownExtensionUsed(true);
        // Replaced by a fresh one, which is made when first needed.
        m_unknown.reset();
        return;
    }
    // A namespace needs a prefix: a nameless one could only be written as xmlns:="…".
    if (name.isEmpty())
        return;
    // The URI decides (a document may declare a known URI under any prefix, and a known prefix
    // for another known URI); the canonical prefix serves where no known URI is given.
    std::optional<KnownNamespace> match = knownNamespaces::fromURI(dtd);
    for (KnownNamespace ns : knownNamespaces::creationOrder(m_place)) {
        if (!match && name == knownNamespaces::prefix(ns))
            match = ns;
    }
    if (match) {
        // A known namespace without a class at this place is left to the parts that have one.
        if (knownNamespaces::existsAt(*match, m_place))
            useKnown(*match, name, dtd);
        return;
    }
    // A declaration no XML reader accepts (an empty or malformed URI, a reserved prefix) would
    // make every feed written with it unreadable; its elements are left to the raw XML rules.
    if (!KeptElementWriter::isUsableNamespaceDeclaration(name, dtd))
        return;
    // A prefix names one namespace: one listed already keeps it (and its elements).
    if (firstListedNamed(name))
        return;
    appendListed(makeRaw(name, dtd));
}

void placedExtensionManager::useKnown(KnownNamespace ns, const QString &prefix, const QString &dtd)
{
    // A namespace declared twice (under two prefixes or addresses) keeps the one object, which
    // hears of both.
    ExtensionRef fresh;
    ExtensionRef target = extensionUsed(ns) ? known(ns) : nullptr;
    if (!target) {
        fresh = extensionFactory::shared().create(ns, m_place);
        if (!fresh)
            return;
        target = fresh;
    }
    const int repairs = target->repairCount();
    target->setExtensionProcessingName(prefix);
    target->setDTDURL(dtd);
    // Declared under another address that names it (one feeds write for it): read as the
    // namespace and saved under its own URI, which the user is told of unless the class tells
    // of it itself.
    if (!dtd.isEmpty() && !knownNamespaces::isOwnURI(ns, dtd) && target->repairCount() == repairs)
        target->recordRepair(kOtherAddressRepair, knownNamespaces::displayName(ns), dtd);
    if (fresh) {
        settledSlot(ns) = std::move(fresh);
        setExtensionUsed(ns, true);
    }
}

void placedExtensionManager::populateWithDefaults(const QString &uniqueKey)
{
    for (const ExtensionRef &extension : walk(false))
        extension->populateWithDefaults(uniqueKey);
}

void placedExtensionManager::populateExtension(const QString &extensionName,
                                               const QString &uniqueKey)
{
    if (extensionName == knownNamespaces::kUserDefined) {
        unknownExtension()->populateWithDefaults(uniqueKey);
        return;
    }
    for (KnownNamespace ns : knownNamespaces::displayOrder(m_place)) {
        if (extensionName == knownNamespaces::prefix(ns)) {
            if (const ExtensionRef &slot = known(ns))
                slot->populateWithDefaults(uniqueKey);
            return;
        }
    }
    if (const ExtensionRef listed = firstListedNamed(extensionName))
        listed->populateWithDefaults(uniqueKey);
}

int placedExtensionManager::handToKnown(KnownNamespace ns, const vlxXMLNode *node,
                                        FeedElement &owner, const QString &prefix)
{
    if (!extensionUsed(ns)) {
        postMissingNamespace(knownNamespaces::prefix(ns), knownNamespaces::uri(ns));
        owner.recordRepair(kMissingDeclarationRepair, prefix);
    }
    if (extensionUsed(ns)) {
        if (const ExtensionRef &slot = known(ns)) {
            if (slot->extensionProcessingName() != prefix)
                slot->setExtensionProcessingName(prefix);
            return slot->parseXMLNodeIfMine(node);
        }
    }
    // The repair could not give this manager the extension: keep the element rather than lose it.
    setUnknownExtensionUsed(true);
    return unknownExtension()->parseXMLNodeIfMine(node);
}

namespace {

// The namespace a document binds an element to, as the managers sort elements by it.
struct BoundNamespace
{
    QString uri; // null: the element is in no namespace
    std::optional<KnownNamespace> known;
};

// Looked up once per namespace of a document and thread: every element of every item asks, and
// the few namespaces of a document are told apart by their numbers alone.
const BoundNamespace &boundNamespaceOf(const vlxXMLNode *node)
{
    struct Recent
    {
        quint64 number = 0;
        BoundNamespace bound;
    };
    thread_local std::array<Recent, 16> recent;
    thread_local BoundNamespace unnumbered;
    static const BoundNamespace none;
    const quint64 number = vlxXMLDOM::namespaceNumberOfNode(node);
    if (number == 0)
        return none;
    const auto fill = [node](BoundNamespace &bound) {
        bound.uri = vlxXMLDOM::namespaceURIOfNode(node);
        bound.known = knownNamespaces::fromURI(bound.uri);
    };
    if (number == vlxXMLDOM::kUnnumberedNamespace) {
        fill(unnumbered);
        return unnumbered;
    }
    Recent &slot = recent[number % recent.size()];
    if (slot.number != number) {
        fill(slot.bound);
        slot.number = number;
    }
    return slot.bound;
}

} // namespace

int placedExtensionManager::parseXMLNodeIfMine(const vlxXMLNode *node, FeedElement &owner)
{
    const QString name = vlxXMLDOM::nameOfNode(node);
    const qsizetype colon = name.indexOf(u':');
    // Every child of every item comes through here: the prefix is compared where it stands in
    // the element's name, without copies.
    const QStringView prefixView = QStringView(name).first(qMax(colon, qsizetype(0)));

    // An element the document binds to a namespace belongs to that namespace, under whatever
    // prefix (or as the default namespace) it stands.
    const BoundNamespace &bound = boundNamespaceOf(node);
    if (bound.known)
        return handToBound(*bound.known, node, prefixView);
    if (!bound.uri.isNull() && (colon < 0 || hasScheme(bound.uri))) {
        if (const ExtensionRef listed = firstListedWithURI(bound.uri, prefixView))
            return listed->parseXMLNodeIfMine(node);
        // Declared where it stands, not on the root: kept with its declaration.
        setUnknownExtensionUsed(true);
        return unknownExtension()->parseXMLNodeIfMine(node);
    }

    // Bound nowhere (or, under a prefix, to a relative URI no namespace has): the prefix tells,
    // and a known one is repaired.
    if (colon < 0) {
        setUnknownExtensionUsed(true);
        return unknownExtension()->parseXMLNodeIfMine(node);
    }
    for (KnownNamespace ns : knownNamespaces::displayOrder(m_place)) {
        if (prefixView == knownNamespaces::entry(ns).prefix || isProcessingNameIn(ns, prefixView))
            return handToKnown(ns, node, owner, prefixView.toString());
    }
    const QString prefix = prefixView.toString();
    if (const ExtensionRef listed = firstListedNamed(prefix))
        return listed->parseXMLNodeIfMine(node);

    const QString registered = extensionSettings::registeredURI(prefix);
    if (!registered.isEmpty()) {
        postMissingNamespace(prefix, registered);
        owner.recordRepair(kMissingDeclarationRepair, prefix);
        if (const ExtensionRef listed = firstListedNamed(prefix))
            return listed->parseXMLNodeIfMine(node);
    }

    setUnknownExtensionUsed(true);
    return unknownExtension()->parseXMLNodeIfMine(node);
}

int placedExtensionManager::handToBound(KnownNamespace ns, const vlxXMLNode *node,
                                        QStringView prefix)
{
    if (!knownNamespaces::existsAt(ns, m_place)) {
        setUnknownExtensionUsed(true);
        return unknownExtension()->parseXMLNodeIfMine(node);
    }
    // Declared, but not where the feed's other parts learnt of it (on the element or the item):
    // they gain it too, so that the saved feed declares it. No repair: nothing was missing.
    if (!extensionUsed(ns) || !known(ns))
        postMissingNamespace(knownNamespaces::prefix(ns), knownNamespaces::uri(ns));
    if (!extensionUsed(ns) || !known(ns)) {
        setUnknownExtensionUsed(true);
        return unknownExtension()->parseXMLNodeIfMine(node);
    }
    const ExtensionRef &slot = known(ns);
    // The class learns the prefix this element stands under (a default namespace has none to
    // teach): its kept elements name their namespace by it. Fields are matched by local name.
    if (!prefix.isEmpty() && slot->extensionProcessingName() != prefix)
        slot->setExtensionProcessingName(prefix.toString());
    return slot->parseXMLNodeIfMine(node);
}

baseExtensionManager::ExtensionRef
placedExtensionManager::firstListedWithURI(const QString &uri, QStringView prefix) const
{
    // The one of that name when it has the URI (a listed URI is held as the document wrote it,
    // references and all), else the first of the URI.
    const ExtensionRef named = firstListedNamed(prefix.toString());
    if (named && (named->DTDURL() == uri || vlxXMLDOM::decodeAmpEntities(named->DTDURL()) == uri))
        return named;
    return baseExtensionManager::firstListedWithURI(uri);
}

bool placedExtensionManager::isProcessingNameIn(KnownNamespace ns, QStringView prefix) const
{
    // A slot not made yet would hold a fresh object, whose processing name the factory knows.
    if (m_pending & bit(ns))
        return prefix == extensionFactory::shared().freshProcessingName(ns, m_place);
    const ExtensionRef &slot = m_known[static_cast<size_t>(ns)];
    return prefix == (slot ? slot->extensionProcessingName() : QString());
}

QString placedExtensionManager::buildXML(const QString &prefix) const
{
    UTF8Writer out;
    appendXML(out, prefix);
    return QString::fromUtf8(out.view());
}

void placedExtensionManager::appendXML(UTF8Writer &out, const QString &prefix) const
{
    forEachHeldInPlace(true,
                       [&](const ExtensionRef &extension) { extension->appendXML(out, prefix); });
}

int placedExtensionManager::parseXMLErrorCount() const
{
    int sum = 0;
    forEachHeldInPlace(
        false, [&](const ExtensionRef &extension) { sum += extension->parseXMLErrorCount(); });
    return sum;
}

int placedExtensionManager::parseXMLWarnCount() const
{
    int sum = 0;
    forEachHeldInPlace(
        false, [&](const ExtensionRef &extension) { sum += extension->parseXMLWarnCount(); });
    return sum;
}

int placedExtensionManager::parseXMLRepairCount() const
{
    int sum = 0;
    forEachHeldInPlace(
        false, [&](const ExtensionRef &extension) { sum += extension->parseXMLRepairCount(); });
    return sum;
}

QList<MessageGroup> placedExtensionManager::parseXMLErrorList(bool includeErrors, bool includeWarn,
                                                              bool includeRepair) const
{
    QList<MessageGroup> groups;
    const auto take = [&](const ExtensionRef &extension) {
        // Most extensions of most items have nothing to say: their list is not even made.
        if (extension->errorList().isEmpty())
            return;
        const QStringList entries
            = extension->parseXMLErrorList(includeErrors, includeWarn, includeRepair);
        if (entries.isEmpty())
            return;
        MessageGroup group(QStringLiteral("%1 Extension").arg(extension->displayName()));
        group.addEntries(entries);
        groups.append(std::move(group));
    };
    forEachUsedKnown(take);
    forEachMadeListed(take);
    // The user-defined extension's group stands whenever it is in use, even without entries.
    if (unknownExtensionUsed()) {
        // One not made yet answers as a fresh one would; asking keeps nothing.
        const ExtensionRef unknown
            = m_unknown ? m_unknown : makeRaw(knownNamespaces::kUserDefined, QString());
        MessageGroup group(QStringLiteral("%1 Extension").arg(unknown->displayName()));
        group.addEntries(unknown->parseXMLErrorList(includeErrors, includeWarn, includeRepair));
        groups.append(group);
    }
    return groups;
}

void placedExtensionManager::addMessageCounts(int &errors, int &warnings, int &repairs) const
{
    forEachHeldInPlace(false, [&](const ExtensionRef &extension) {
        errors += extension->parseXMLErrorCount();
        warnings += extension->parseXMLWarnCount();
        repairs += extension->parseXMLRepairCount();
    });
}

void placedExtensionManager::prefetchHeld() const
{
    // Only slots already made: making one is no prefetch. The whole object: an item's
    // extension objects take up to some 340 bytes, and the fields their checks read first lie
    // at the end.
    for (const ExtensionRef &slot : m_known) {
        if (slot) {
            const char *const start = reinterpret_cast<const char *>(slot.get());
            for (int line = 0; line < 6; ++line)
                __builtin_prefetch(start + 64 * line);
        }
    }
}

void placedExtensionManager::prefetchHeldData(bool texts) const
{
    for (const ExtensionRef &slot : m_known) {
        if (slot)
            slot->prefetchHeldData(texts);
    }
}

bool placedExtensionManager::holdsMessageEntries() const
{
    bool holds = false;
    forEachHeldInPlace(false, [&](const ExtensionRef &extension) {
        holds = holds || !extension->errorList().isEmpty();
    });
    return holds;
}

void placedExtensionManager::clearParseXMLErrorList()
{
    forEachHeldInPlace(clearsUnusedUserDefined(),
                       [](const ExtensionRef &extension) { extension->clearParseXMLErrorList(); });
}

void placedExtensionManager::deleteExtensionNamed(const QString &val)
{
    if (val == knownNamespaces::kUserDefined) {
        if (unknownExtensionUsed()) {
            setUnknownExtensionUsed(false);
            m_unknown.reset();
        }
        return;
    }
    for (KnownNamespace ns : knownNamespaces::displayOrder(m_place)) {
        if (val == knownNamespaces::prefix(ns)) {
            if (extensionUsed(ns)) {
                setExtensionUsed(ns, false);
                // Emptied for good: a slot not made yet must not be made later.
                settledSlot(ns).reset();
            }
            return;
        }
    }
    removeFirstListedNamed(val);
}

void placedExtensionManager::finalProcessing(VLXFeed *feed)
{
    // Runs once a feed is read: the kept texts are complete.
    forEachHeld(true, [&](const ExtensionRef &extension) {
        extension->finalProcessing(feed);
        extension->releaseSpareCapacity();
    });
}

void placedExtensionManager::validate(VLXFeed *feed)
{
    forEachHeldInPlace(true, [&](const ExtensionRef &extension) { extension->validate(feed); });
}

void placedExtensionManager::preferencesChanged()
{
    forEachHeld(true, [](const ExtensionRef &extension) { extension->preferencesChanged(); });
}

void placedExtensionManager::actuallyBuildExport(TemplateValues &values)
{
    forEachHeld(true,
                [&](const ExtensionRef &extension) { extension->actuallyBuildExport(values); });
}
