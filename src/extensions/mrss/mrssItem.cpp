#include "extensions/mrss/mrssItem.h"

#include "extensions/OwnElementNames.h"
#include "extensions/mrss/mrssItemPrefs.h"
#include "model/LocalEnclosureFile.h"
#include "model/VLXItems.h"
#include "model/extensionManagerItem.h"
#include "model/extensionSettings.h"
#include "xml/UTF8Writer.h"
#include "xml/vlxXMLDOM.h"

using namespace Qt::StringLiterals;

const QString mrssItem::kURLWarning = QStringLiteral(
    "The Media RSS requires either the \"url\" attribute in <media:content> or <media:player> be "
    "used");

namespace {

using F = ExtensionField;

// The optional elements' table: each row's kind and its value.
const char *const kOptionalColumns[] = {"type", "value", nullptr};
const char *const kOptionalTitles[] = {"Element", "Value", nullptr};

const ExtensionField kFields[] = {
    {.name = "contents",
     .outlet = "contentElementsTable",
     .element = "content",
     .kind = F::Kind::List,
     .read = F::Read::Custom,
     .write = F::Write::Custom,
     .archiveKey = "media:content Value",
     .defaultKey = "FD_AF_IF_EX_mrssItem",
     .feedDefaultKey = "FD_CF_IF_EX_mrssItem",
     .defaultIsObject = true,
     .helpAnchor = "YahooRSSMain",
     .label = "Content:",
     .widget = F::Widget::Table},
    {.name = "groupElements",
     .outlet = "optionalElementsTable",
     .element = "group",
     .kind = F::Kind::List,
     .read = F::Read::Custom,
     .write = F::Write::Custom,
     .archiveKey = "Optional Group Elements",
     .defaultKey = "FD_AF_IF_EX_mrssItem",
     .feedDefaultKey = "FD_CF_IF_EX_mrssItem",
     .defaultIsObject = true,
     .helpAnchor = "YahooRSSMain",
     .label = "Optional Elements:",
     .widget = F::Widget::Table,
     .columns = kOptionalColumns,
     .columnTitles = kOptionalTitles},
    {.name = "itemElements",
     .element = "rating",
     .kind = F::Kind::List,
     .read = F::Read::Custom,
     .write = F::Write::Custom,
     .archiveKey = "Optional Item Elements",
     .countsForEmpty = false},
};

const ExtensionDescriptor kDescriptor = {
    .ns = KnownNamespace::mediaRSS,
    .place = ExtensionPlace::Item,
    .className = "mrssItem",
    .elements = mrssOptionalElements::elementNames(),
    .fields = kFields,
};

[[maybe_unused]] const bool kRegistered
    = KeyedUnarchiver::registerClass(QStringLiteral("mrssItem"),
                                     [] { return std::make_shared<mrssItem>(); })
    && KeyedUnarchiver::registerClass(QStringLiteral("mrssItemPrefs"),
                                      [] { return std::make_shared<mrssItemPrefs>(); });

// A default object stored as itself or as the archive of one; nothing for anything else.
std::shared_ptr<mrssItem> defaultObject(const QVariant &setting)
{
    if (setting.typeId() == QMetaType::QByteArray)
        return KeyedArchivable::objectAs<mrssItem>(
            KeyedUnarchiver::unarchiveObjectWithData(setting.toByteArray()));
    return KeyedArchivable::objectAs<mrssItem>(setting);
}

} // namespace

mrssItem::mrssItem() : FieldExtension(kDescriptor) { }

const ExtensionDescriptor &mrssItem::classDescriptor()
{
    return kDescriptor;
}

mrssItem *mrssItem::inUseOf(const VLXItems &item)
{
    const extensionManagerItem *manager = item.XMLExtensions();
    if (!manager || !manager->mediaRSSExtensionUsed())
        return nullptr;
    return dynamic_cast<mrssItem *>(manager->mediaRSSExtension().get());
}

void mrssItem::addLocalEnclosureFiles(QVariantMap &info) const
{
    for (const mrssRequiredElement &content : mediaContentsValue()) {
        if (content.localEnclosureFilePath().isEmpty())
            continue;
        const QString url = content.attribute("attributeURL");
        if (!url.isEmpty())
            info.insert(url,
                        QVariantList {content.localEnclosureFilePath(), content.lastUploaded()});
    }
}

void mrssItem::takeLocalEnclosureFiles(const QVariantMap &info)
{
    QString path;
    QDateTime date;
    const QList<mrssRequiredElement> &contents = mediaContentsValue();
    for (int i = 0; i < contents.size(); ++i) {
        // Read through the shared list: only a content that takes a file makes it this item's own.
        const QString url = contents.at(i).attribute("attributeURL");
        if (url.isEmpty())
            continue;
        if (auto it = info.constFind(url);
            it != info.cend() && LocalEnclosureFile::readEntry(it.value(), &path, &date)) {
            mrssRequiredElement &content = mediaContentsValueAtIndex(i);
            content.setLocalEnclosureFilePath(path);
            content.setLastUploaded(date);
        }
    }
}

// --- values
// ----------------------------------------------------------------------------------------

void mrssItem::setMediaContentsValue(const QList<mrssRequiredElement> &list)
{
    if (list == m_contents)
        return;
    m_contents = list;
    fieldChanged(kContents);
}

void mrssItem::addMediaContentsValue(const mrssRequiredElement &element)
{
    m_contents.append(element);
    fieldChanged(kContents);
}

void mrssItem::deleteMediaContentsValueAtIndex(int index)
{
    if (index < 0 || index >= m_contents.size())
        return;
    m_contents.removeAt(index);
    fieldChanged(kContents);
}

void mrssItem::replaceMediaContentsValue(const mrssRequiredElement &element, int index)
{
    if (index < 0 || index >= m_contents.size())
        return;
    m_contents[index] = element;
    fieldChanged(kContents);
}

const mrssOptionalElements &mrssItem::mediaItemOptionalElements() const
{
    static const mrssOptionalElements none;
    return m_staged.part ? m_staged.part->itemElements : none;
}

mrssOptionalElements &mrssItem::itemElements()
{
    if (!m_staged.part)
        m_staged.part = std::make_unique<Staged>();
    return m_staged.part->itemElements;
}

mrssItem::StagedPart &mrssItem::StagedPart::operator=(const StagedPart &other)
{
    if (this == &other)
        return *this;
    part.reset();
    if (!other.part)
        return *this;
    part = std::make_unique<Staged>();
    part->itemElements = other.part->itemElements;
    if (other.part->groupKept)
        part->groupKept.reset(
            static_cast<extensionNSRaw *>(other.part->groupKept->clone().release()));
    return *this;
}

void mrssItem::setMediaItemOptionalElements(const mrssOptionalElements &set)
{
    if (set == mediaItemOptionalElements())
        return;
    itemElements() = set;
    fieldChanged(kItemElements);
}

void mrssItem::setMediaGroupOptionalElements(const mrssOptionalElements &set)
{
    if (set == m_groupElements)
        return;
    m_groupElements = set;
    fieldChanged(kGroupElements);
}

QVariant mrssItem::customValue(int field) const
{
    switch (field) {
    case kContents:
        return QVariant::fromValue(m_contents);
    case kGroupElements:
        return QVariant::fromValue(m_groupElements);
    case kItemElements:
        return QVariant::fromValue(mediaItemOptionalElements());
    default:
        return QVariant();
    }
}

void mrssItem::setCustomValue(int field, const QVariant &value)
{
    switch (field) {
    case kContents:
        setMediaContentsValue(mrssRequiredElement::fromArchivable(value));
        break;
    case kGroupElements:
        setMediaGroupOptionalElements(mrssOptionalElements::fromArchivable(value));
        break;
    case kItemElements:
        setMediaItemOptionalElements(mrssOptionalElements::fromArchivable(value));
        break;
    default:
        break;
    }
}

QVariant mrssItem::archiveCustom(int field) const
{
    switch (field) {
    case kContents:
        return mrssRequiredElement::toArchivable(m_contents);
    case kGroupElements:
        return m_groupElements.toArchivable();
    case kItemElements:
        return mediaItemOptionalElements().toArchivable();
    default:
        return QVariant();
    }
}

bool mrssItem::customIsEmpty(int field) const
{
    switch (field) {
    case kContents:
        return m_contents.isEmpty();
    case kGroupElements:
        return m_groupElements.isEmpty();
    default:
        return true;
    }
}

QStringList mrssItem::listDisplayValues(int field) const
{
    QStringList rows;
    if (field == kContents) {
        for (const mrssRequiredElement &element : m_contents)
            rows.append(element.objectShortDescription());
    } else if (field == kGroupElements) {
        for (int row = 0; row < m_groupElements.objectCount(); ++row)
            rows.append(m_groupElements.objectShortDescriptionAtIndex(row));
    }
    return rows;
}

int mrssItem::listCount(int field) const
{
    if (field == kContents)
        return int(m_contents.size());
    return field == kGroupElements ? m_groupElements.objectCount() : 0;
}

QString mrssItem::listCellText(int field, int row, const QString &column) const
{
    if (field == kGroupElements)
        return m_groupElements.cellText(row, column);
    if (field == kContents && row >= 0 && row < m_contents.size())
        return m_contents.at(row).objectShortDescription();
    return QString();
}

// --- reading and writing
// ---------------------------------------------------------------------------

int mrssItem::parseXMLNodeIfMine(const vlxXMLNode *node)
{
    return parseXMLNodeIfMine(node, false);
}

int mrssItem::parseXMLNodeIfMine(const vlxXMLNode *node, bool isSecondLevel)
{
    if (vlxXMLDOM::kindOfNode(node) != vlxXMLDOM::Element)
        return 0;
    // The element stands in the namespace (the manager, or for a group's child the group, made
    // sure): its local name tells it.
    const QString prefix = extensionProcessingName();
    const QString name = vlxXMLDOM::nameOfNode(node);
    if (OwnElementNames::hasLocalName(name, QLatin1StringView("group"))) {
        // A group inside a group is kept as it stands.
        if (isSecondLevel) {
            groupKept().keepUnreadElement(node, *this);
            return 0;
        }
        const int count = vlxXMLDOM::numberOfChildren(node);
        // The contents' list is made to size at once: grown one by one it would hold room for
        // another and leave the smaller lists behind as holes among the feed's data.
        qsizetype contents = 0;
        for (int i = 0; i < count; ++i) {
            const vlxXMLNode *child = vlxXMLDOM::nodeAtIndex(i, node);
            if (OwnElementNames::isChildNamed(child, node, KnownNamespace::mediaRSS, prefix,
                                              QLatin1StringView("content")))
                ++contents;
        }
        // An item of many groups grows it geometrically, or each group would copy the list.
        const qsizetype needed = m_contents.size() + contents;
        if (needed > m_contents.capacity())
            m_contents.reserve(qMax(needed, 2 * m_contents.capacity()));
        for (int i = 0; i < count; ++i) {
            const vlxXMLNode *child = vlxXMLDOM::nodeAtIndex(i, node);
            // An element of another namespace is kept as it stands.
            if (vlxXMLDOM::kindOfNode(child) == vlxXMLDOM::Element
                && !OwnElementNames::isInNamespace(child, node, KnownNamespace::mediaRSS, prefix))
                groupKept().keepUnreadElement(child, *this);
            else
                parseXMLNodeIfMine(child, true);
        }
        return 0;
    }
    if (OwnElementNames::hasLocalName(name, QLatin1StringView("content"))) {
        m_contents.emplace_back();
        m_contents.back().parseXMLNodeIfMine(node, fieldNames(), prefix, *this);
        return 0;
    }
    // A set holds a title, a description and a copyright once: a second one is kept.
    mrssOptionalElements &set = isSecondLevel ? m_groupElements : itemElements();
    const int position = mrssOptionalElements::positionOf(node, fieldNames());
    if (position >= 0 && !set.holds(position))
        set.take(node, position);
    else if (isSecondLevel)
        groupKept().keepUnreadElement(node, *this);
    else
        keepUnreadElement(node, *this);
    return 0;
}

extensionNSRaw &mrssItem::groupKept()
{
    if (!m_staged.part)
        m_staged.part = std::make_unique<Staged>();
    std::unique_ptr<extensionNSRaw> &holder = m_staged.part->groupKept;
    if (!holder)
        holder = std::make_unique<extensionNSRaw>();
    extensionNSRaw &kept = *holder;
    if (kept.extensionName() != extensionName())
        kept.setExtensionName(extensionName());
    if (kept.extensionProcessingName() != extensionProcessingName())
        kept.setExtensionProcessingName(extensionProcessingName());
    return kept;
}

namespace {
const QString kKeptGroupKey = QStringLiteral("Kept Group Elements");
}

void mrssItem::encodeWithCoder(QVariantMap &coder) const
{
    FieldExtension::encodeWithCoder(coder);
    if (holdsKeptGroupElements())
        coder.insert(kKeptGroupKey, m_staged.part->groupKept->rawXML());
}

void mrssItem::initWithCoder(const QVariantMap &coder)
{
    FieldExtension::initWithCoder(coder);
    if (m_staged.part)
        m_staged.part->groupKept.reset();
    const QString kept = coder.value(kKeptGroupKey).toString();
    if (!kept.isEmpty())
        groupKept().setRawXML(kept);
}

QString mrssItem::buildXML(const QString &prefix) const
{
    UTF8Writer out;
    appendXML(out, prefix);
    return QString::fromUtf8(out.view());
}

void mrssItem::appendXML(UTF8Writer &out, const QString &prefix) const
{
    // The item's Media RSS data lie in several blocks: asked for together, their reads overlap
    // instead of following one another.
    m_groupElements.prefetch();
    for (const mrssRequiredElement &element : m_contents)
        element.prefetch();
    m_groupElements.prefetchTexts();
    const bool groupElements = !m_groupElements.isEmpty();
    const bool groupKept = holdsKeptGroupElements();
    if (m_contents.size() < 2 && !groupElements && !groupKept) {
        for (const mrssRequiredElement &element : m_contents)
            element.appendXML(out, prefix);
        appendKeptXML(out, prefix);
        return;
    }
    const QString inner = mrssOptionalElements::deeper(prefix);
    out.append(prefix);
    out.append("<media:group>\n"_L1);
    if (groupElements)
        m_groupElements.appendXML(out, inner);
    for (const mrssRequiredElement &element : m_contents)
        element.appendXML(out, inner);
    if (groupKept)
        m_staged.part->groupKept->appendKeptXML(out, inner);
    out.append(prefix);
    out.append("</media:group>\n"_L1);
    appendKeptXML(out, prefix);
}

// --- after reading, defaults, checks
// ---------------------------------------------------------------

void mrssItem::foldItemElements()
{
    if (!m_staged.part)
        return;
    mrssOptionalElements &staged = m_staged.part->itemElements;
    for (int kind = 0; kind < mrssOptionalElements::kKindCount; ++kind) {
        if (!m_groupElements.used(kind) && staged.used(kind)) {
            if (mrssOptionalElements::isSingle(kind))
                m_groupElements.setValue(kind, staged.value(kind));
            else
                m_groupElements.setValues(kind, staged.values(kind));
            m_groupElements.setUsed(kind, true);
        }
        staged.setUsed(kind, false);
    }
}

void mrssItem::finalProcessing(VLXFeed *feed)
{
    Q_UNUSED(feed);
    for (mrssRequiredElement &element : m_contents)
        element.finalProcessing();
    // media:adult directly under the item or in the group becomes a rating too, before the
    // fold; the item-level set is never written, so an adult left there would be lost.
    if (m_staged.part)
        m_staged.part->itemElements.finalProcessing();
    m_groupElements.finalProcessing();
    keepFoldedOut();
    foldItemElements();
    releaseStaging();
    // Items of many groups grew the list ahead of need.
    if (m_contents.capacity() > m_contents.size())
        m_contents.squeeze();
}

void mrssItem::releaseStaging()
{
    // After the fold the item-level set uses nothing (media:adult aside, which reading has made
    // a rating by then); the values it still holds are in the group's set.
    if (!m_staged.part || holdsKeptGroupElements())
        return;
    const mrssOptionalElements &staged = m_staged.part->itemElements;
    if (staged.isEmpty() && !staged.mediaAdultUsed() && !staged.mediaAdultValue())
        m_staged.part.reset();
}

void mrssItem::keepFoldedOut()
{
    for (int kind = 0; kind < mrssOptionalElements::kKindCount; ++kind) {
        const mrssOptionalElements &staged = mediaItemOptionalElements();
        if (!m_groupElements.used(kind) || !staged.used(kind))
            continue;
        const QList<QVariantMap> elements = mrssOptionalElements::isSingle(kind)
            ? QList<QVariantMap> {staged.value(kind)}
            : staged.values(kind);
        for (const QVariantMap &element : elements) {
            mrssOptionalElements alone;
            alone.addDictionary(element);
            keepWrittenElement(alone.buildXML(QString()));
        }
    }
}

void mrssItem::validate(VLXFeed *feed)
{
    Q_UNUSED(feed);
    if (isEmpty())
        return;
    m_groupElements.validate(this);
    const bool groupPlayer = m_groupElements.used(mrssOptionalElements::kPlayer);
    for (qsizetype i = 0; i < m_contents.size(); ++i) {
        // Checked in place: most contents have nothing nested, and the list stays shared.
        if (std::as_const(m_contents).at(i).needsValidation())
            m_contents[i].validate(this);
        const mrssRequiredElement &element = std::as_const(m_contents).at(i);
        if (element.urlIsEmpty() && !groupPlayer
            && !element.mediaOptionalElements().used(mrssOptionalElements::kPlayer))
            recordWarning(kURLWarning);
    }
}

void mrssItem::populateWithDefaults(const QString &uniqueKey)
{
    // The feed's own default is an archive; undecodable data counts as an empty default.
    std::shared_ptr<mrssItem> feedDefaults;
    if (!uniqueKey.isEmpty())
        feedDefaults = defaultObject(
            extensionSettings::feedValue(QStringLiteral("FD_CF_IF_EX_mrssItem"), uniqueKey));
    const std::shared_ptr<mrssItem> allDefaults
        = defaultObject(extensionSettings::globalValue(QStringLiteral("FD_AF_IF_EX_mrssItem")));
    mrssOptionalElements group;
    mrssOptionalElements item;
    if (feedDefaults)
        group = feedDefaults->mediaGroupOptionalElements();
    if (allDefaults)
        item = allDefaults->mediaGroupOptionalElements();
    m_groupElements = group;
    itemElements() = item;
    foldItemElements();
    releaseStaging();
    fieldChanged(kGroupElements);
    if (feedDefaults && !feedDefaults->mediaContentsValue().isEmpty())
        setMediaContentsValue(feedDefaults->mediaContentsValue());
    else if (allDefaults)
        setMediaContentsValue(allDefaults->mediaContentsValue());
}
