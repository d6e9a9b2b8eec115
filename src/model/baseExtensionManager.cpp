#include "model/baseExtensionManager.h"

#include "xml/UTF8Writer.h"

#include "model/FeedElement.h"
#include "model/VLXUnoverriddenMethod.h"
#include "model/extensionManagerScope.h"
#include "model/extensionNSName.h"
#include "model/extensionNSRaw.h"
#include "xml/vlxXMLDOM.h"

#include <algorithm>

const QString baseExtensionManager::kMissingDeclarationRepair
    = QStringLiteral("Add missing namespace declaration (%1)");
const QString baseExtensionManager::kOtherAddressRepair
    = QStringLiteral("Old %1 namespace address used %2");

namespace {
const QString kClassName = QStringLiteral("baseExtensionManager");

bool isAsciiLetter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

[[noreturn]] void unoverridden(const char *declaration)
{
    VLXUnoverriddenMethod::raise(kClassName, QString::fromLatin1(declaration));
}
} // namespace

baseExtensionManager::baseExtensionManager() = default;

baseExtensionManager::baseExtensionManager(const baseExtensionManager &other)
    : m_replaceResult(other.m_replaceResult), m_searchExtensionIndex(other.m_searchExtensionIndex)
{
    // Flags go through the setters again; the list is copied extension by extension (the
    // declared namespaces not made yet stay so, sharing the feed's list). The scope is not
    // copied: a copy hears of nothing.
    for (const knownNamespaces::Entry &e : knownNamespaces::table())
        setExtensionUsed(e.ns, other.m_used[static_cast<size_t>(e.ns)]);
    setUnknownExtensionUsed(other.m_unknownUsed);
    setNotWellSupportedArray(other.m_notWellSupported);
    m_declared = other.m_declared;
    m_declaredTaken.reserve(other.m_declaredTaken.size());
    for (const auto &[index, made] : other.m_declaredTaken)
        m_declaredTaken.emplace_back(index, made ? made->copyExtension() : nullptr);
}

baseExtensionManager::~baseExtensionManager()
{
    if (m_scope)
        m_scope->leave(this);
}

std::unique_ptr<baseExtensionManager> baseExtensionManager::copyManager() const
{
    return std::unique_ptr<baseExtensionManager>(new baseExtensionManager(*this));
}

bool baseExtensionManager::extensionUsed(KnownNamespace ns) const
{
    return m_used[static_cast<size_t>(ns)];
}

void baseExtensionManager::setExtensionUsed(KnownNamespace ns, bool used)
{
    m_used[static_cast<size_t>(ns)] = used;
    noteNamespacesChanged();
}

void baseExtensionManager::setNotWellSupportedArray(const QList<ExtensionRef> &list)
{
    QList<ExtensionRef> copies;
    copies.reserve(list.size());
    for (const ExtensionRef &extension : list) {
        if (extension)
            copies.append(extension->copyExtension());
    }
    m_notWellSupported = copies;
    m_declared.reset();
    m_declaredTaken.clear();
    noteNamespacesChanged();
}

const QList<baseExtensionManager::ExtensionRef> &baseExtensionManager::notWellSupportedArray() const
{
    if (m_declared)
        settleDeclared();
    return m_notWellSupported;
}

// --- declared namespaces, made when first asked for ---

std::shared_ptr<const baseExtensionManager::DeclaredNamespaces>
baseExtensionManager::declaredNamespaces(const QList<std::pair<QString, QString>> &namespaces)
{
    auto declared = std::make_shared<DeclaredNamespaces>();
    declared->namespaces = namespaces;
    for (int i = 0; i < int(namespaces.size()); ++i) {
        declared->byPrefix.insert(namespaces.at(i).first, i);
        const QString uri = vlxXMLDOM::decodeAmpEntities(namespaces.at(i).second);
        if (!declared->byURI.contains(uri))
            declared->byURI.insert(uri, i);
    }
    // The first of each prefix: insert() above kept the last.
    for (int i = int(namespaces.size()) - 1; i >= 0; --i)
        declared->byPrefix.insert(namespaces.at(i).first, i);
    return declared;
}

void baseExtensionManager::takeDeclaredNamespaces(
    const std::shared_ptr<const DeclaredNamespaces> &declared)
{
    if (!declared || declared->namespaces.isEmpty())
        return;
    if (!m_declared && m_notWellSupported.isEmpty()) {
        m_declared = declared;
        noteNamespacesChanged();
        return;
    }
    // Behind namespaces listed already: made at once, in their order.
    for (const auto &[prefix, uri] : declared->namespaces) {
        const ExtensionRef made = firstListedNamed(prefix) ? nullptr : makeListed(prefix, uri);
        if (made)
            appendListed(made);
    }
}

baseExtensionManager::ExtensionRef baseExtensionManager::makeListed(const QString &,
                                                                    const QString &) const
{
    return nullptr;
}

const baseExtensionManager::ExtensionRef &baseExtensionManager::madeDeclared(int index) const
{
    const auto at = std::lower_bound(
        m_declaredTaken.begin(), m_declaredTaken.end(), index,
        [](const std::pair<int, ExtensionRef> &taken, int wanted) { return taken.first < wanted; });
    if (at != m_declaredTaken.end() && at->first == index)
        return at->second;
    const auto &[prefix, uri] = m_declared->namespaces.at(index);
    return m_declaredTaken.emplace(at, index, makeListed(prefix, uri))->second;
}

void baseExtensionManager::settleDeclared() const
{
    QList<ExtensionRef> listed;
    listed.reserve(m_declared->namespaces.size() + m_notWellSupported.size());
    auto taken = m_declaredTaken.cbegin();
    for (int i = 0; i < int(m_declared->namespaces.size()); ++i) {
        ExtensionRef made;
        if (taken != m_declaredTaken.cend() && taken->first == i) {
            made = (taken++)->second; // null: removed
        } else {
            const auto &[prefix, uri] = m_declared->namespaces.at(i);
            made = makeListed(prefix, uri);
        }
        if (made)
            listed.append(std::move(made));
    }
    listed.append(m_notWellSupported);
    m_notWellSupported = std::move(listed);
    m_declared.reset();
    m_declaredTaken.clear();
}

bool baseExtensionManager::holdsListedNamespaces() const
{
    return countOfListed() > 0;
}

int baseExtensionManager::countOfListed() const
{
    int count = int(m_notWellSupported.size());
    if (m_declared) {
        count += int(m_declared->namespaces.size());
        for (const auto &[index, made] : m_declaredTaken)
            count -= made ? 0 : 1;
    }
    return count;
}

void baseExtensionManager::removeListedNamed(const QSet<QString> &names)
{
    if (names.isEmpty())
        return;
    noteNamespacesChanged();
    if (m_declared) {
        std::vector<std::pair<int, ExtensionRef>> kept;
        kept.reserve(m_declaredTaken.size());
        auto taken = m_declaredTaken.begin();
        for (int i = 0; i < int(m_declared->namespaces.size()); ++i) {
            const bool madeOrRemoved = taken != m_declaredTaken.end() && taken->first == i;
            ExtensionRef made = madeOrRemoved ? std::move((taken++)->second) : nullptr;
            if (madeOrRemoved && !made) {
                kept.emplace_back(i, nullptr); // removed before
                continue;
            }
            const QString &name = made ? made->extensionName() : m_declared->namespaces.at(i).first;
            if (names.contains(name))
                kept.emplace_back(i, nullptr);
            else if (made)
                kept.emplace_back(i, std::move(made));
        }
        m_declaredTaken = std::move(kept);
    }
    m_notWellSupported.removeIf(
        [&](const ExtensionRef &listed) { return names.contains(listed->extensionName()); });
}

baseExtensionManager::ExtensionRef baseExtensionManager::listedAt(int pos) const
{
    if (pos < 0)
        return nullptr;
    if (m_declared) {
        // Places count the declared namespaces not removed.
        auto taken = m_declaredTaken.cbegin();
        for (int i = 0; i < int(m_declared->namespaces.size()); ++i) {
            while (taken != m_declaredTaken.cend() && taken->first < i)
                ++taken;
            if (taken != m_declaredTaken.cend() && taken->first == i && !taken->second)
                continue; // removed
            if (pos-- == 0)
                return madeDeclared(i);
        }
    }
    return pos < m_notWellSupported.size() ? m_notWellSupported.at(pos) : nullptr;
}

void baseExtensionManager::forEachListedNamespace(
    const std::function<void(const QString &, const QString &)> &visit,
    QSet<const void *> *seen) const
{
    if (m_declared) {
        // Items that made none of a shared list list the same namespaces.
        const bool untouched = m_declaredTaken.empty();
        if (!untouched || !seen || !seen->contains(m_declared.get())) {
            if (untouched && seen)
                seen->insert(m_declared.get());
            auto taken = m_declaredTaken.cbegin();
            for (int i = 0; i < int(m_declared->namespaces.size()); ++i) {
                if (taken != m_declaredTaken.cend() && taken->first == i) {
                    if (const ExtensionRef &made = (taken++)->second)
                        visit(made->extensionName(), made->DTDURL());
                    continue;
                }
                visit(m_declared->namespaces.at(i).first, m_declared->namespaces.at(i).second);
            }
        }
    }
    for (const ExtensionRef &listed : m_notWellSupported)
        visit(listed->extensionName(), listed->DTDURL());
}

// --- creation from text forms ---

QString baseExtensionManager::namespaceOfDeclaration(const QString &declaration)
{
    if (declaration.isEmpty())
        return QString();
    const QString name = declaration.section(u'=', 0, 0);
    const QStringList parts = name.split(u':');
    return parts.size() == 2 ? parts.at(1).trimmed() : QString();
}

bool baseExtensionManager::hasScheme(QStringView uri)
{
    const qsizetype colon = uri.indexOf(u':');
    if (colon < 1 || !isAsciiLetter(uri.at(0)))
        return false;
    for (const QChar c : uri.first(colon)) {
        if (!isAsciiLetter(c) && !(c >= u'0' && c <= u'9') && c != u'+' && c != u'-' && c != u'.')
            return false;
    }
    return true;
}

QString baseExtensionManager::DTDURLOfDeclaration(const QString &declaration)
{
    const qsizetype eq = declaration.indexOf(u'=');
    if (eq < 0)
        return QString();
    const QString value = declaration.mid(eq + 1).trimmed();
    // The value stands in quotes; without a pair of them there is no URI to take.
    if (value.size() < 2)
        return QString();
    return value.mid(1, value.size() - 2);
}

void baseExtensionManager::createExtensionsFromArray(const QStringList &declarations)
{
    // A reader hands every item of a feed the same declarations: they are split once, and the
    // extensions made share the prefix and URI texts.
    struct Split
    {
        QStringList declarations;
        QList<std::pair<QString, QString>> namespaces;
    };
    thread_local Split last;
    if (last.declarations != declarations) {
        last.declarations.clear();
        last.namespaces.clear();
        for (const QString &declaration : declarations) {
            if (declaration.contains(u':'))
                last.namespaces.append(
                    {namespaceOfDeclaration(declaration), DTDURLOfDeclaration(declaration)});
        }
        last.declarations = declarations;
    }
    // A copy: creating may reach other managers of the feed, which may split other lists.
    const QList<std::pair<QString, QString>> namespaces = last.namespaces;
    QStringList declared;
    declared.reserve(namespaces.size());
    for (const auto &declaration : namespaces)
        declared.append(declaration.first);
    for (const auto &[prefix, uri] : namespaces)
        createExtensionWithNamespaceDeclared(prefix, uri, declared);
}

void baseExtensionManager::createExtensionsFromArrayOfDescriptions(const QStringList &descriptions)
{
    for (const QString &description : descriptions)
        createExtensionWithNamespace(extensionNSName::extensionNameFromDescription(description),
                                     extensionNSName::DTDURLFromDescription(description));
}

void baseExtensionManager::createExtensionWithString(const QString &declaration)
{
    if (!declaration.contains(u':'))
        return;
    createExtensionWithNamespaceDeclared(namespaceOfDeclaration(declaration),
                                         DTDURLOfDeclaration(declaration));
}

void baseExtensionManager::createExtensionWithNamespaceDeclared(const QString &prefix,
                                                                const QString &uri,
                                                                const QStringList &declared)
{
    // A document may bind a known namespace's prefix to a namespace of its own. The known one
    // is always written under that prefix, so the other is listed under a prefix of its own,
    // one that neither the program nor the document uses for anything else.
    const std::optional<KnownNamespace> prefixOf = knownNamespaces::fromPrefix(prefix);
    if (prefixOf && uri != knownNamespaces::uri(*prefixOf) && hasScheme(uri)
        && !knownNamespaces::fromURI(uri)) {
        createExtensionWithNamespace(
            knownNamespaces::numberedPrefix(prefix,
                                            [&](const QString &candidate) {
                                                return knownNamespaces::fromPrefix(candidate)
                                                    || firstListedNamed(candidate)
                                                    || declared.contains(candidate);
                                            }),
            uri);
        return;
    }
    createExtensionWithNamespace(prefix, uri);
}

// --- abstract operations ---

baseExtensionManager::ExtensionRef baseExtensionManager::extensionAtIndex(int) const
{
    unoverridden("- (id)extensionAtIndex:(int)pos");
}

void baseExtensionManager::createExtensionWithNamespace(const QString &, const QString &)
{
    unoverridden("- (void)createExtensionWithNamespace:(NSString *)name DTDURL:(NSString *)dtd");
}

QList<baseExtensionManager::ExtensionRef> baseExtensionManager::arrayOfExtensions() const
{
    unoverridden("- (NSArray *)arrayOfExtensions");
}

QStringList baseExtensionManager::arrayOfExtensionNames() const
{
    unoverridden("- (NSArray *)arrayOfExtensionNames");
}

QStringList baseExtensionManager::arrayOfExtensionDescriptions() const
{
    unoverridden("- (NSArray *)arrayOfExtensionDescriptions");
}

void baseExtensionManager::populateWithDefaults(const QString &)
{
    unoverridden("- (void)populateWithDefaults:(NSString *)uniqueKey");
}

void baseExtensionManager::populateExtension(const QString &, const QString &)
{
    unoverridden("- (void)populateExtension:(NSString *)extensionName withDefaults:(NSString "
                 "*)uniqueKey");
}

int baseExtensionManager::parseXMLNodeIfMine(const vlxXMLNode *, FeedElement &)
{
    unoverridden("- (parseExtensionResult)parseXMLNodeIfMine:(CFXMLTreeRef)thisNode "
                 "ownerObject:(id)owner");
}

QString baseExtensionManager::buildXML(const QString &) const
{
    unoverridden("- (NSString *)buildXML:(NSString *)prefix");
}

void baseExtensionManager::appendXML(UTF8Writer &out, const QString &prefix) const
{
    out.append(buildXML(prefix));
}

int baseExtensionManager::parseXMLErrorCount() const
{
    unoverridden("- (int)parseXMLErrorCount");
}

int baseExtensionManager::parseXMLWarnCount() const
{
    unoverridden("- (int)parseXMLWarnCount");
}

int baseExtensionManager::parseXMLRepairCount() const
{
    unoverridden("- (int)parseXMLRepairCount");
}

QList<MessageGroup> baseExtensionManager::parseXMLErrorList(bool, bool, bool) const
{
    unoverridden("- (NSArray *)parseXMLErrorList:(BOOL)includeErrors "
                 "includeWarn:(BOOL)includeWarn includeRepair:(BOOL)includeRepair");
}

void baseExtensionManager::clearParseXMLErrorList()
{
    unoverridden("- (void)clearParseXMLErrorList");
}

void baseExtensionManager::deleteExtensionsNamed(const QStringList &names)
{
    QSet<QString> listed;
    for (const QString &name : names) {
        if (name == knownNamespaces::kUserDefined || knownNamespaces::fromPrefix(name))
            deleteExtensionNamed(name);
        else
            listed.insert(name);
    }
    // deleteExtensionNamed removes the first listed of a name; names are one to a namespace.
    if (!listed.isEmpty())
        removeListedNamed(listed);
}

void baseExtensionManager::deleteExtensionNamed(const QString &)
{
    unoverridden("- (void)deleteExtensionNamed:(NSString *)val");
}

void baseExtensionManager::finalProcessing(VLXFeed *)
{
    unoverridden("- (void)finalProcessing:(VLXFeed *)feed");
}

void baseExtensionManager::validate(VLXFeed *)
{
    unoverridden("- (void)validate:(VLXFeed *)feed");
}

void baseExtensionManager::preferencesChanged()
{
    unoverridden("- (void)preferencesChanged");
}

void baseExtensionManager::actuallyBuildExport(TemplateValues &)
{
    unoverridden("- (NSMutableString *)actuallyBuildExport:(NSString *)template "
                 "substitutions:(NSArray *)substitutions");
}

// --- operations built on the others ---

int baseExtensionManager::countOfExtensions() const
{
    int count = countOfListed();
    for (const knownNamespaces::Entry &e : knownNamespaces::table()) {
        if (extensionUsed(e.ns))
            ++count;
    }
    if (m_unknownUsed)
        ++count;
    return count;
}

baseExtensionManager::ExtensionRef
baseExtensionManager::wellSupportedExtensionNamed(const QString &name) const
{
    for (const ExtensionRef &extension : arrayOfExtensions()) {
        if (extension && extension->wellSupported() && extension->extensionName() == name)
            return extension;
    }
    return nullptr;
}

QString baseExtensionManager::extensionDescriptionAtIndex(int pos) const
{
    const ExtensionRef extension = extensionAtIndex(pos);
    if (!extension)
        return QString();
    return QStringLiteral("%1 - %2").arg(extension->extensionName(), extension->DTDURL());
}

QString baseExtensionManager::extensionNameAtIndex(int pos) const
{
    const ExtensionRef extension = extensionAtIndex(pos);
    return extension ? extension->extensionName() : QString();
}

QString baseExtensionManager::extensionDTDURLAtIndex(int pos) const
{
    const ExtensionRef extension = extensionAtIndex(pos);
    return extension ? extension->DTDURL() : QString();
}

QString baseExtensionManager::extensionDisplayNameAtIndex(int pos) const
{
    const ExtensionRef extension = extensionAtIndex(pos);
    return extension ? extension->displayName() : QString();
}

void baseExtensionManager::setExtensionNameAtIndex(const QString &name, int pos)
{
    noteNamespacesChanged();
    if (const ExtensionRef extension = extensionAtIndex(pos))
        extension->setExtensionName(name);
}

void baseExtensionManager::setExtensionDTDURLAtIndex(const QString &url, int pos)
{
    noteNamespacesChanged();
    if (const ExtensionRef extension = extensionAtIndex(pos))
        extension->setDTDURL(url);
}

// --- missing declarations ---

void baseExtensionManager::usingXMLNSWithoutDeclaration(const QString &prefix, const QString &dtd)
{
    if (!holdsNamespace(prefix, dtd))
        createExtensionWithNamespace(prefix, dtd);
}

bool baseExtensionManager::holdsNamespace(const QString &prefix, const QString &dtd) const
{
    if (prefix.isEmpty())
        return true;
    if (prefix == knownNamespaces::kUserDefined)
        return m_unknownUsed;
    const std::optional<KnownNamespace> named = knownNamespaces::fromURI(dtd);
    for (KnownNamespace ns : knownNamespaces::creationOrder(place())) {
        if (named == ns || prefix == knownNamespaces::prefix(ns)) {
            // A namespace without a class here is never created, so it needs nothing.
            if (!knownNamespaces::existsAt(ns, place()))
                return true;
            return extensionUsed(ns);
        }
    }
    return firstListedNamed(prefix) != nullptr;
}

void baseExtensionManager::setScope(const std::shared_ptr<extensionManagerScope> &scope)
{
    if (m_scope == scope)
        return;
    if (m_scope)
        m_scope->leave(this);
    m_scope = scope;
    if (m_scope && m_listens)
        m_scope->join(this);
}

void baseExtensionManager::postMissingNamespace(const QString &prefix, const QString &dtd)
{
    if (m_scope)
        m_scope->post(prefix, dtd, this);
    else
        usingXMLNSWithoutDeclaration(prefix, dtd);
}

namespace {
// The place in the declared list of the first entry that matches, made or not (-1 for none):
// the first made one that matches, or the first not made that the look-up finds, whichever
// stands first.
template<class Matches>
int firstDeclared(const std::vector<std::pair<int, baseExtensionManager::ExtensionRef>> &taken,
                  int looked, Matches matches)
{
    int found = -1;
    for (const auto &[index, made] : taken) {
        if (made && matches(*made)) {
            found = index;
            break;
        }
    }
    if (looked >= 0 && (found < 0 || looked < found)) {
        const auto at = std::lower_bound(
            taken.begin(), taken.end(), looked,
            [](const std::pair<int, baseExtensionManager::ExtensionRef> &entry, int wanted) {
                return entry.first < wanted;
            });
        if (at == taken.end() || at->first != looked)
            found = looked; // not made nor removed: it is what the look-up says
    }
    return found;
}
} // namespace

baseExtensionManager::ExtensionRef baseExtensionManager::firstListedNamed(const QString &name) const
{
    if (m_declared) {
        const int index = firstDeclared(
            m_declaredTaken, m_declared->byPrefix.value(name, -1),
            [&](const extensionNSRaw &made) { return made.extensionName() == name; });
        if (index >= 0)
            return madeDeclared(index);
    }
    for (const ExtensionRef &extension : m_notWellSupported) {
        if (extension->extensionName() == name)
            return extension;
    }
    return nullptr;
}

baseExtensionManager::ExtensionRef baseExtensionManager::firstListedWithURI(const QString &uri) const
{
    if (m_declared) {
        const int index = firstDeclared(
            m_declaredTaken, m_declared->byURI.value(uri, -1),
            [&](const extensionNSRaw &made) {
                return vlxXMLDOM::decodeAmpEntities(made.DTDURL()) == uri;
            });
        if (index >= 0)
            return madeDeclared(index);
    }
    for (const ExtensionRef &extension : m_notWellSupported) {
        if (vlxXMLDOM::decodeAmpEntities(extension->DTDURL()) == uri)
            return extension;
    }
    return nullptr;
}

void baseExtensionManager::removeFirstListedNamed(const QString &name)
{
    noteNamespacesChanged();
    if (m_declared) {
        const int index = firstDeclared(
            m_declaredTaken, m_declared->byPrefix.value(name, -1),
            [&](const extensionNSRaw &made) { return made.extensionName() == name; });
        if (index >= 0) {
            // Removed: an entry without an object.
            const auto at = std::lower_bound(m_declaredTaken.begin(), m_declaredTaken.end(), index,
                                             [](const std::pair<int, ExtensionRef> &taken,
                                                int wanted) { return taken.first < wanted; });
            if (at != m_declaredTaken.end() && at->first == index)
                at->second.reset();
            else
                m_declaredTaken.emplace(at, index, nullptr);
            return;
        }
    }
    for (qsizetype i = 0; i < m_notWellSupported.size(); ++i) {
        if (m_notWellSupported.at(i)->extensionName() == name) {
            m_notWellSupported.removeAt(i);
            return;
        }
    }
}

// --- find walk ---

void baseExtensionManager::resetSearch()
{
    for (const ExtensionRef &extension : searchedExtensions())
        extension->resetSearch();
    m_searchExtensionIndex = 0;
}

bool baseExtensionManager::replace(const QString &search, const std::optional<QString> &replacement,
                                   bool thenSearch, int options, QObject *onTab, QObject *underTab,
                                   int atIndex)
{
    const QList<ExtensionRef> extensions = searchedExtensions();
    std::optional<QString> current = replacement;
    while (m_searchExtensionIndex < extensions.size()) {
        const ExtensionRef &extension = extensions.at(m_searchExtensionIndex);
        const bool found
            = extension->replace(search, current, thenSearch, options, onTab, underTab, atIndex);
        m_replaceResult = extension->replaceDone();
        if (found)
            return true;
        ++m_searchExtensionIndex;
        if (extension->replaceDone())
            current.reset();
    }
    return false;
}

bool baseExtensionManager::holds(const QString &search, int options) const
{
    for (const ExtensionRef &extension : searchedExtensions()) {
        if (extension->holds(search, options))
            return true;
    }
    return false;
}

int baseExtensionManager::replaceAll(const QString &search, const QString &replacement, int options)
{
    const QList<ExtensionRef> extensions = searchedExtensions();
    int total = 0;
    while (m_searchExtensionIndex < extensions.size()) {
        total += extensions.at(m_searchExtensionIndex)->replaceAll(search, replacement, options);
        ++m_searchExtensionIndex;
    }
    return total;
}
