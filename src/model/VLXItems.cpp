#include "model/VLXItems.h"

#include "model/LocalEnclosureFile.h"
#include "model/SmartDate.h"
#include "model/VLXLogic.h"
#include "model/extensionManagerItem.h"
#include "model/extensionNSName.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"
#include "settings/VLXPreferences.h"
#include "xml/vlxXMLDOM.h"

#include <cmath>
#include <limits>

namespace {

const QString kEmpty = QStringLiteral("");

QString settingText(const QVariant &value)
{
    return value.toString();
}

// Rule A of the item defaults: the per-feed text when it is not empty, else the all-feeds one.
QString perFeedThenAllFeeds(const QString &uniqueKey, const char *perFeedKey,
                            const char *allFeedsKey)
{
    const QString perFeed
        = settingText(VLXPreferences::objectForKey(QLatin1String(perFeedKey), uniqueKey));
    if (!perFeed.isEmpty())
        return perFeed;
    return settingText(VLXPreferences::objectForKey(QLatin1String(allFeedsKey)));
}

int settingInt(const QVariant &value)
{
    return value.toInt();
}

// Categories held in a setting: a list of archived objects, or the keyed-archive bytes of such
// a list. Anything that is not a category is skipped; undecodable bytes give an empty list.
QList<categoryElement> categoriesFromSetting(const QVariant &value)
{
    QVariant list = value;
    if (value.typeId() == QMetaType::QByteArray)
        list = KeyedUnarchiver::unarchiveObjectWithData(value.toByteArray());
    QList<categoryElement> result;
    if (list.typeId() != QMetaType::QVariantList)
        return result;
    for (const QVariant &entry : list.toList()) {
        if (auto category = KeyedArchivable::objectAs<categoryElement>(entry))
            result.append(*category);
    }
    return result;
}

// The item's extensions in an archive: one record per extension in display order, with its
// namespace and its own fields. Restoring creates the same namespaces in the same order, which
// gives the same display order back, and hands each extension its fields.
const QString kExtName = QStringLiteral("ExtensionName");
const QString kExtURL = QStringLiteral("DTDURL");
const QString kExtFields = QStringLiteral("Fields");

QVariantList archiveOfExtensions(const extensionManagerItem &manager)
{
    QVariantList records;
    for (const auto &extension : manager.arrayOfExtensions()) {
        QVariantMap fields;
        extension->encodeWithCoder(fields);
        records.append(QVariantMap {{kExtName, extension->extensionName()},
                                    {kExtURL, extension->DTDURL()},
                                    {kExtFields, fields}});
    }
    return records;
}

std::unique_ptr<extensionManagerItem> extensionsFromArchive(const QVariant &archive)
{
    auto manager = std::make_unique<extensionManagerItem>();
    const QVariantList records = archive.toList();
    for (const QVariant &record : records) {
        const QVariantMap map = record.toMap();
        manager->createExtensionWithNamespace(map.value(kExtName).toString(),
                                              map.value(kExtURL).toString());
    }
    const auto extensions = manager->arrayOfExtensions();
    for (qsizetype i = 0; i < records.size() && i < extensions.size(); ++i) {
        const QVariantMap map = records.at(i).toMap();
        if (extensions.at(i)->extensionName() == map.value(kExtName).toString())
            extensions.at(i)->initWithCoder(map.value(kExtFields).toMap());
    }
    return manager;
}

} // namespace

const QString VLXItems::kArchiveClassName = QStringLiteral("VLXItems");

VLXItems::VLXItems()
    : m_GUID(kEmpty), m_enclosureAttrURL(kEmpty), m_enclosureAttrLength(kEmpty),
      m_enclosureAttrType(kEmpty), m_author(kEmpty),
      m_XMLExtensions(std::make_unique<extensionManagerItem>())
{
}

bool VLXItems::holdDescriptionUTF8(QByteArray utf8)
{
    if (utf8.isEmpty() || utf8.startsWith("\xEF\xBB\xBF") || !QByteArrayView(utf8).isValidUtf8())
        return false;
    m_description = QString();
    m_descriptionUTF8 = std::move(utf8);
    m_descriptionUTF8.squeeze();
    return true;
}

VLXItems::VLXItems(const VLXItems &other)
    : PublishedElement(other), KeyedArchivable(other), m_GUID(other.m_GUID),
      m_GUIDAttr(other.m_GUIDAttr), m_includeEnclosure(other.m_includeEnclosure),
      m_enclosureAttrURL(other.m_enclosureAttrURL),
      m_enclosureAttrLength(other.m_enclosureAttrLength),
      m_enclosureAttrType(other.m_enclosureAttrType), m_author(other.m_author),
      m_XMLExtensions(other.m_XMLExtensions->copy()),
      m_rare(other.m_rare ? std::make_unique<Rare>(*other.m_rare) : nullptr)
{
}

const VLXItems::Rare &VLXItems::rare() const
{
    static const Rare kNone {kEmpty, kEmpty, kEmpty, kEmpty, kEmpty, 0};
    return m_rare ? *m_rare : kNone;
}

VLXItems::Rare &VLXItems::rareToSet()
{
    if (!m_rare)
        m_rare = std::make_unique<Rare>(rare());
    return *m_rare;
}

void VLXItems::setRareText(QString Rare::*field, const QString &value)
{
    // An empty (not null) text is what the field holds already.
    if (!m_rare && value.isEmpty() && !value.isNull())
        return;
    rareToSet().*field = value;
}

void VLXItems::setSortingNumber(double value)
{
    if (!m_rare && value == 0 && !std::signbit(value))
        return;
    rareToSet().sortNumber = value;
}

VLXItems::~VLXItems() = default;

vlxXMLDOM *VLXItems::XMLFeed() const
{
    // Until a sort writes the item's tree it is empty; most items never need one.
    if (!m_XMLFeed)
        m_XMLFeed = std::make_unique<vlxXMLDOM>();
    return m_XMLFeed.get();
}

std::unique_ptr<FeedElement> VLXItems::clone() const
{
    return std::make_unique<VLXItems>(*this);
}

void VLXItems::setXMLExtensions(const extensionManagerItem &manager)
{
    if (&manager == m_XMLExtensions.get())
        return;
    m_XMLExtensions = manager.copy();
}

void VLXItems::preferencesChanged()
{
    m_XMLExtensions->preferencesChanged();
}

// --- Creation with defaults ------------------------------------------------------------------

std::shared_ptr<VLXItems> VLXItems::initWithUniqueString(const QString &uniqueKey,
                                                         const QStringList &withExtensions)
{
    auto item = std::make_shared<VLXItems>();
    item->setIncludeEnclosure(0);

    auto perFeed = [&](const char *key) {
        return VLXPreferences::objectForKey(QLatin1String(key), uniqueKey);
    };
    auto allFeeds
        = [](const char *key) { return VLXPreferences::objectForKey(QLatin1String(key)); };

    if (QString v = perFeedThenAllFeeds(uniqueKey, "FD_CF_IF_Title", "FD_AF_IF_Title");
        !v.isEmpty())
        item->setTitle(v);
    if (QString v = perFeedThenAllFeeds(uniqueKey, "FD_CF_IF_Description", "FD_AF_IF_Description");
        !v.isEmpty())
        item->setDescriptionElement(v);
    if (QString v = perFeedThenAllFeeds(uniqueKey, "FD_CF_IF_Link", "FD_AF_IF_Link"); !v.isEmpty())
        item->setLink(v);

    // The per-feed list is stored as archive bytes; a stored value that does not decode counts
    // as no list, so the all-feeds list is used instead of failing.
    QList<categoryElement> categories = categoriesFromSetting(perFeed("FD_CF_IF_Category_Array"));
    if (categories.isEmpty())
        categories = categoriesFromSetting(allFeeds("FD_AF_IF_Category_Array"));
    item->setCategory(categories);

    if (QString g = settingText(perFeed("FD_CF_IF_GUID_GUID")); !g.isEmpty()) {
        item->setGUID(g);
        item->setGUIDAttr(settingInt(perFeed("FD_CF_IF_GUID_Perma")));
    } else if (QString a = settingText(allFeeds("FD_AF_IF_GUID_GUID")); !a.isEmpty()) {
        item->setGUID(a);
        item->setGUIDAttr(settingInt(allFeeds("FD_AF_IF_GUID_Perma")));
    }
    if (item->GUID().isEmpty()
        && (settingInt(perFeed("FD_CF_IF_GUID_AutoGenerate")) != 0
            || settingInt(allFeeds("FD_AF_IF_GUID_AutoGenerate")) != 0)) {
        item->setGUID(VLXLogic::generateGUID());
        item->setGUIDAttr(0);
    }

    // Source and enclosure values come as a whole group from one scope, never mixed.
    {
        QString text = settingText(perFeed("FD_CF_IF_Source_Source"));
        QString url = settingText(perFeed("FD_CF_IF_Source_URL"));
        if (text.isEmpty() && url.isEmpty()) {
            text = settingText(allFeeds("FD_AF_IF_Source_Source"));
            url = settingText(allFeeds("FD_AF_IF_Source_URL"));
        }
        if (!text.isEmpty())
            item->setSource(text);
        if (!url.isEmpty())
            item->setSourceAttr(url);
    }
    {
        QString url = settingText(perFeed("FD_CF_IF_Enclosure_URL"));
        QString length = settingText(perFeed("FD_CF_IF_Enclosure_Length"));
        QString type = settingText(perFeed("FD_CF_IF_Enclosure_Type"));
        if (url.isEmpty() && length.isEmpty() && type.isEmpty()) {
            url = settingText(allFeeds("FD_AF_IF_Enclosure_URL"));
            length = settingText(allFeeds("FD_AF_IF_Enclosure_Length"));
            type = settingText(allFeeds("FD_AF_IF_Enclosure_Type"));
        }
        if (!url.isEmpty())
            item->setEnclosureAttrURL(url);
        if (!length.isEmpty())
            item->setEnclosureAttrLength(length);
        if (!type.isEmpty())
            item->setEnclosureAttrType(type);
    }

    if (QString v = perFeedThenAllFeeds(uniqueKey, "FD_CF_IF_Author", "FD_AF_IF_Author");
        !v.isEmpty())
        item->setAuthor(v);
    if (QString v = perFeedThenAllFeeds(uniqueKey, "FD_CF_IF_Comments", "FD_AF_IF_Comments");
        !v.isEmpty())
        item->setComments(v);

    const bool usePerFeed = perFeed("FD_CF_SD_Enabled").toBool();
    const int afDate = settingInt(allFeeds("FD_AF_SD_I_DataTo"));
    const int afX = settingInt(allFeeds("FD_AF_SD_I_X_Val"));
    const int afTime = settingInt(allFeeds("FD_AF_SD_I_TimeTo"));
    const int cfDate = settingInt(perFeed("FD_CF_SD_I_DataTo"));
    const int cfX = settingInt(perFeed("FD_CF_SD_I_X_Val"));
    const int cfTime = settingInt(perFeed("FD_CF_SD_I_TimeTo"));
    const bool smart = usePerFeed ? (cfDate != 0 && cfTime != 0) : (afDate != 0 && afTime != 0);
    if (smart)
        item->setPubDate(
            SmartDate::feedSmartDate(usePerFeed, afDate, afX, afTime, cfDate, cfX, cfTime));
    else
        item->setPubDate(SmartDate::feedAutoPubDate());

    for (const QString &description : withExtensions)
        item->XMLExtensions()->createExtensionWithNamespace(
            extensionNSName::extensionNameFromDescription(description),
            extensionNSName::DTDURLFromDescription(description));
    item->XMLExtensions()->populateWithDefaults(uniqueKey);
    return item;
}

// --- Archiving -----------------------------------------------------------------------------

void VLXItems::registerArchiveClass()
{
    if (!KeyedUnarchiver::isClassRegistered(kArchiveClassName))
        KeyedUnarchiver::registerClass(kArchiveClassName,
                                       [] { return std::make_shared<VLXItems>(); });
}

void VLXItems::encodeWithCoder(KeyedArchiver &coder) const
{
    QVariantMap base;
    FeedElement::encodeWithCoder(base);
    for (auto it = base.cbegin(); it != base.cend(); ++it)
        coder.encodeObject(it.value(), it.key());

    QVariantList categories;
    for (const categoryElement &c : m_category)
        categories.append(KeyedArchivable::toVariant(c.copy()));

    coder.encodeString(m_title, QStringLiteral("Itemtitle"));
    coder.encodeString(descriptionElement(), QStringLiteral("Itemdescription"));
    coder.encodeString(m_link, QStringLiteral("Itemlink"));
    coder.encodeString(m_pubDate, QStringLiteral("ItempubDate"));
    coder.encodeObject(categories, QStringLiteral("ItemCategory"));
    coder.encodeString(m_GUID, QStringLiteral("ItemGUID"));
    coder.encodeInt(m_GUIDAttr, QStringLiteral("ItemGUIDAttr"));
    coder.encodeString(source(), QStringLiteral("Itemsource"));
    coder.encodeString(sourceAttr(), QStringLiteral("ItemsourceAttr"));
    coder.encodeInt(m_includeEnclosure, QStringLiteral("ItemincludeEnclosure"));
    coder.encodeString(m_enclosureAttrURL, QStringLiteral("ItemenclosureAttrURL"));
    coder.encodeString(m_enclosureAttrLength, QStringLiteral("ItemenclosureAttrLength"));
    coder.encodeString(m_enclosureAttrType, QStringLiteral("ItemenclosureAttrType"));
    coder.encodeString(m_author, QStringLiteral("Itemauthor"));
    coder.encodeString(comments(), QStringLiteral("Itemcomments"));
    coder.encodeObject(m_XMLComments, QStringLiteral("ItemXMLComments"));
    coder.encodeObject(archiveOfExtensions(*m_XMLExtensions), QStringLiteral("ItemXMLExtensions"));
    coder.encodeString(localEnclosureFilePath(), QStringLiteral("ItemenclosureLocalFilePath"));
    coder.encodeObject(m_lastUpload, QStringLiteral("ItemenclosureLocalFileLastUpload"));
}

bool VLXItems::initWithCoder(const KeyedUnarchiver &coder)
{
    QVariantMap base;
    for (const char *key : {"ErrorList", "RepairCounter", "WarnCounter", "ErrorCounter"}) {
        const QString k = QLatin1String(key);
        if (coder.containsValueForKey(k))
            base.insert(k, coder.decodeObjectForKey(k));
    }
    FeedElement::initWithCoder(base);

    m_title = coder.decodeStringForKey(QStringLiteral("Itemtitle"));
    setDescriptionElement(coder.decodeStringForKey(QStringLiteral("Itemdescription")));
    m_link = coder.decodeStringForKey(QStringLiteral("Itemlink"));
    m_pubDate = coder.decodeStringForKey(QStringLiteral("ItempubDate"));
    m_category = categoriesFromSetting(coder.decodeObjectForKey(QStringLiteral("ItemCategory")));
    m_GUID = coder.decodeStringForKey(QStringLiteral("ItemGUID"));
    m_GUIDAttr = int(coder.decodeIntForKey(QStringLiteral("ItemGUIDAttr")));
    setSource(coder.decodeStringForKey(QStringLiteral("Itemsource")));
    setSourceAttr(coder.decodeStringForKey(QStringLiteral("ItemsourceAttr")));
    m_includeEnclosure = int(coder.decodeIntForKey(QStringLiteral("ItemincludeEnclosure")));
    m_enclosureAttrURL = coder.decodeStringForKey(QStringLiteral("ItemenclosureAttrURL"));
    m_enclosureAttrLength = coder.decodeStringForKey(QStringLiteral("ItemenclosureAttrLength"));
    m_enclosureAttrType = coder.decodeStringForKey(QStringLiteral("ItemenclosureAttrType"));
    m_author = coder.decodeStringForKey(QStringLiteral("Itemauthor"));
    setComments(coder.decodeStringForKey(QStringLiteral("Itemcomments")));
    m_XMLComments.clear();
    for (const QVariant &c : coder.decodeObjectForKey(QStringLiteral("ItemXMLComments")).toList())
        m_XMLComments.append(c.toString());
    m_XMLExtensions
        = extensionsFromArchive(coder.decodeObjectForKey(QStringLiteral("ItemXMLExtensions")));
    setLocalEnclosureFilePath(
        coder.decodeStringForKey(QStringLiteral("ItemenclosureLocalFilePath")));
    setLastUploaded(
        coder.decodeObjectForKey(QStringLiteral("ItemenclosureLocalFileLastUpload")).toDateTime());
    setSortingString(kEmpty);
    setSortingNumber(0);
    return true;
}

QByteArray VLXItems::archivedData() const
{
    return KeyedArchiver::archivedDataWithRootObject(KeyedArchivable::toVariant(copy()));
}

std::shared_ptr<VLXItems> VLXItems::fromArchivedData(const QByteArray &data)
{
    registerArchiveClass();
    return KeyedArchivable::objectAs<VLXItems>(KeyedUnarchiver::unarchiveObjectWithData(data));
}

// --- Derived views -------------------------------------------------------------------------

QString VLXItems::enclosureAttrLengthFormatted() const
{
    return formatByteCount(m_enclosureAttrLength);
}

QString VLXItems::formatByteCount(const QString &length)
{
    if (length.isEmpty())
        return kEmpty;
    // strtoll-like: leading white space, an optional sign, digits up to the first other
    // character, saturating at the 64-bit limits.
    qsizetype i = 0;
    while (i < length.size() && length.at(i).isSpace())
        ++i;
    bool negative = false;
    if (i < length.size() && (length.at(i) == u'+' || length.at(i) == u'-')) {
        negative = length.at(i) == u'-';
        ++i;
    }
    quint64 magnitude = 0;
    const quint64 limit = negative ? quint64(std::numeric_limits<qint64>::max()) + 1
                                   : quint64(std::numeric_limits<qint64>::max());
    for (; i < length.size() && length.at(i) >= u'0' && length.at(i) <= u'9'; ++i) {
        const quint64 digit = length.at(i).unicode() - u'0';
        magnitude = magnitude > (limit - digit) / 10 ? limit : magnitude * 10 + digit;
    }
    qint64 value = negative
        ? (magnitude == limit ? std::numeric_limits<qint64>::min() : -qint64(magnitude))
        : qint64(magnitude);
    static const char *const kUnits[] = {"B ", "KB", "MB", "GB", "TB", "PB", "EB"};
    int unit = 0;
    while (value > 1023 && unit < 6) {
        value >>= 10;
        ++unit;
    }
    return QStringLiteral("%1 %2").arg(value).arg(QLatin1String(kUnits[unit]));
}

QVariantMap VLXItems::enclosureLocalFileInfo() const
{
    QVariantMap info;
    if (!localEnclosureFilePath().isEmpty())
        info.insert(m_enclosureAttrURL, QVariantList {localEnclosureFilePath(), m_lastUpload});
    if (m_XMLExtensions)
        m_XMLExtensions->addLocalEnclosureFiles(info);
    return info;
}

void VLXItems::setEnclosureLocalFileInfo(const QVariantMap &info)
{
    QString path;
    QDateTime date;
    if (auto it = info.constFind(m_enclosureAttrURL);
        it != info.cend() && LocalEnclosureFile::readEntry(it.value(), &path, &date)) {
        setLocalEnclosureFilePath(path);
        setLastUploaded(date);
    }
    if (m_XMLExtensions)
        m_XMLExtensions->takeLocalEnclosureFiles(info);
}
