// Defaults of a new channel, repair after reading, whole-feed validation and the message tree.

#include "model/VLXFeed.h"

#include "model/ElementMessages.h"
#include "model/ExtensionTexts.h"
#include "model/FieldRepair.h"
#include "model/VLXFeedLanguage.h"
#include "model/VLXImage.h"
#include "model/VLXItems.h"
#include "model/VLXLogic.h"
#include "model/extensionManagerChannel.h"
#include "model/extensionManagerImage.h"
#include "model/extensionManagerItem.h"
#include "settings/VLXPreferences.h"

#include <optional>

namespace {

QList<categoryElement> categoriesFromSetting(const QVariant &value)
{
    QList<categoryElement> result;
    if (value.typeId() != QMetaType::QVariantList)
        return result;
    for (const QVariant &entry : value.toList()) {
        if (auto category = KeyedArchivable::objectAs<categoryElement>(entry))
            result.append(*category);
    }
    return result;
}

} // namespace

// --- Defaults ----------------------------------------------------------------------------------

void VLXFeed::populateWithDefaults()
{
    auto setting = [](const QString &key) { return VLXPreferences::objectForKey(key); };
    // Texts are applied untrimmed, and only when not empty, so a value the caller set first
    // survives an empty setting.
    auto apply = [&](const char *key, void (VLXFeed::*set)(const QString &)) {
        if (const QString value = setting(QLatin1String(key)).toString(); !value.isEmpty())
            (this->*set)(value);
    };
    apply("FD_AF_FF_Title", &VLXFeed::setTitle);
    apply("FD_AF_FF_Description", &VLXFeed::setDescriptionElement);
    apply("FD_AF_FF_Link", &VLXFeed::setLink);
    static const char *const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    for (int day = 0; day < 7; ++day)
        m_skipDays[day]
            = setting(QLatin1String("FD_AF_FF_SkipDays") + QLatin1String(kDays[day])).toInt();
    for (int hour = 0; hour < 24; ++hour)
        m_skipHours[hour]
            = setting(QStringLiteral("FD_AF_FF_SkipHoursHr%1").arg(hour, 2, 10, QLatin1Char('0')))
                  .toInt();
    apply("FD_AF_FF_Language", &VLXFeed::setLanguage);
    if (const QList<categoryElement> categories
        = categoriesFromSetting(setting(QStringLiteral("FD_AF_FF_Category_Array")));
        !categories.isEmpty())
        setCategory(categories);
    apply("FD_AF_FF_Cloud_Domain", &VLXFeed::setCloudAttrDomain);
    apply("FD_AF_FF_Cloud_Port", &VLXFeed::setCloudAttrPort);
    apply("FD_AF_FF_Cloud_Path", &VLXFeed::setCloudAttrPath);
    apply("FD_AF_FF_Cloud_RegProc", &VLXFeed::setCloudAttrRegProc);
    apply("FD_AF_FF_Cloud_Protocol", &VLXFeed::setCloudAttrProtocol);
    apply("FD_AF_FF_TextInput_Title", &VLXFeed::setTextInputAttrTitle);
    apply("FD_AF_FF_TextInput_Description", &VLXFeed::setTextInputAttrDescription);
    apply("FD_AF_FF_TextInput_Name", &VLXFeed::setTextInputAttrName);
    apply("FD_AF_FF_TextInput_Link", &VLXFeed::setTextInputAttrLink);
    apply("FD_AF_FF_Webmaster", &VLXFeed::setWebMaster);
    apply("FD_AF_FF_Editor", &VLXFeed::setEditor);
    apply("FD_AF_FF_Copyright", &VLXFeed::setCopyright);
    apply("FD_AF_FF_Rating", &VLXFeed::setRating);
    apply("FD_AF_FF_Docs", &VLXFeed::setDocs);
    apply("FD_AF_FF_TTL", &VLXFeed::setTTL);
    apply("FD_AF_AD_Stylesheet", &VLXFeed::setStyleSheet);
    apply("FD_AF_AD_StylesheetCSS", &VLXFeed::setStyleSheetCSS);
    if (const QStringList comments = setting(QStringLiteral("FD_AF_AD_XMLComments")).toStringList();
        !comments.isEmpty())
        setXMLComments(comments);
    m_image->populateWithDefaults();
}

void VLXFeed::preferencesChanged()
{
    m_XMLExtensions->preferencesChanged();
    m_image->preferencesChanged();
    for (const auto &item : m_items)
        item->preferencesChanged();
}

// --- Repair after reading ------------------------------------------------------------------------

void VLXFeed::finalProcessing()
{
    finalProcessing(ItemProgress());
}

bool VLXFeed::finalProcessing(const ItemProgress &progress)
{
    const ExtensionTexts ext(*m_XMLExtensions);
    using NS = KnownNamespace;
    const FieldRepair repair(*this, ext, "Feed");
    repair.titleAndDescription(m_title, m_description);

    if (m_pubDate.isEmpty()) {
        const QString dcDate = ext.text(NS::dublinCore, QStringLiteral("date"));
        const double when = dcDate.isEmpty() ? 0 : VLXLogic::RDFInternetDateTime(dcDate);
        if (when != 0) {
            recordRepair(
                QStringLiteral("Feed <pubDate> was blank, used the contents of <dc:date>"));
            m_pubDate = VLXLogic::internetDateStringFromInterval(when);
        }
    }
    if (m_pubDate.isEmpty() && !m_lastBuildDate.isEmpty()) {
        recordRepair(
            QStringLiteral("Feed <pubDate> was blank, used the contents of <lastBuildDate>"));
        m_pubDate = m_lastBuildDate;
    }

    if (m_language.isEmpty()) {
        const QString code = ext.text(NS::dublinCore, QStringLiteral("language"));
        if (!code.isEmpty() && !VLXFeedLanguage::sharedTitleForCode(code).isEmpty()) {
            recordRepair(
                QStringLiteral("Feed <language> was blank, used the contents of <dc:language>"));
            m_language = code;
        }
    }

    // The first candidate that holds anything decides alone.
    repair.fromFirstEMail(m_editor, "managingEditor",
                          {{NS::iTunes, "author", "itunes:author"},
                           {NS::iTunes, "owner/email", "itunes:ownerEmail"},
                           {NS::dublinCore, "creator", "dc:creator"},
                           {NS::dublinCore, "publisher", "dc:publisher"},
                           {NS::dublinCore, "contributor", "dc:contributor"}});
    repair.fromFirst(m_copyright, "copyright", {{NS::dublinCore, "rights", "dc:rights"}});

    m_XMLExtensions->finalProcessing(this);
    m_image->finalProcessing(this);
    for (int i = 0; i < m_items.size(); ++i) {
        m_items.at(i)->finalProcessing(this, i);
        if (progress && !progress(i + 1, int(m_items.size())))
            return false;
    }
    return true;
}

// --- Validation --------------------------------------------------------------------------------

void VLXFeed::validate()
{
    validate(ItemProgress());
}

bool VLXFeed::validate(const ItemProgress &progress, MessageCounts *counts)
{
    return checkAll(progress, counts, false, nullptr);
}

bool VLXFeed::validateAfresh(const ItemProgress &progress, MessageCounts *counts,
                             QList<MessageGroup> *log)
{
    return checkAll(progress, counts, true, log);
}

bool VLXFeed::checkAll(const ItemProgress &progress, MessageCounts *counts, bool afresh,
                       QList<MessageGroup> *log)
{
    if (afresh) {
        ElementMessages::clear(*this, *m_XMLExtensions);
        m_image->clearParseXMLErrorList();
    }
    validateAndLogTitle(m_title);
    validateAndLogDescriptionElement(m_description);
    validateAndLogLink(m_link);

    if (m_pubDate.isEmpty())
        recordWarning(QStringLiteral("The feed pubDate should not be blank"));
    else
        VLXLogic::repairInternetDateTime(m_pubDate, true, this);
    if (!m_lastBuildDate.isEmpty())
        VLXLogic::repairInternetDateTime(m_lastBuildDate, true, this);

    validateAndLogLanguage(m_language);

    validateCategories(
        QStringLiteral("Feed Category must not be blank if Category Domain is used"));

    validateAndLogTextInputAttrLink(m_textInputAttrLink);
    auto allOrNone = [](std::initializer_list<const QString *> fields) {
        bool anySet = false;
        bool anyEmpty = false;
        for (const QString *f : fields) {
            if (f->isEmpty())
                anyEmpty = true;
            else
                anySet = true;
        }
        return !(anySet && anyEmpty);
    };
    if (!allOrNone({&m_textInputAttrTitle, &m_textInputAttrDescription, &m_textInputAttrName,
                    &m_textInputAttrLink}))
        recordError(QStringLiteral(
            "All four of the TextInput fields are required to be filled in if any are."));

    validateAndLogCloudAttrDomain(m_cloudAttrDomain);
    validateAndLogCloudAttrPort(m_cloudAttrPort);
    validateAndLogCloudAttrPath(m_cloudAttrPath);
    validateAndLogCloudAttrRegProc(m_cloudAttrRegProc);
    validateAndLogCloudAttrProtocol(m_cloudAttrProtocol);
    if (!allOrNone({&m_cloudAttrDomain, &m_cloudAttrPort, &m_cloudAttrPath, &m_cloudAttrRegProc,
                    &m_cloudAttrProtocol}))
        recordError(QStringLiteral(
            "The all five of the Cloud fields are required to be filled in if any are."));

    validateAndLogWebMaster(m_webMaster);
    validateAndLogEditor(m_editor);
    validateAndLogCopyright(m_copyright);
    validateAndLogDocs(m_docs);
    validateAndLogTTL(m_TTL);
    validateAndLogStyleSheet(m_styleSheet);
    validateAndLogStyleSheetCSS(m_styleSheetCSS);

    m_XMLExtensions->validate(this);
    m_image->validate(this);
    MessageCounts found;
    if (counts) {
        // The channel's and the image's messages are complete once they are checked: an item's
        // check adds to the item alone.
        found.errors
            = ElementMessages::errorCount(*this, *m_XMLExtensions) + m_image->parseXMLErrorCount();
        found.warnings
            = ElementMessages::warnCount(*this, *m_XMLExtensions) + m_image->parseXMLWarnCount();
        found.repairs = ElementMessages::repairCount(*this, *m_XMLExtensions)
            + m_image->parseXMLRepairCount();
    }
    // The log's channel and image parts are complete as well; the items' groups follow.
    std::optional<MessageGroup> taken;
    if (log)
        taken = channelMessages(true, true, true);
    // Item validation never changes a guid, so one index serves the whole walk.
    m_guidIndex = buildGUIDIndex();
    const int count = int(m_items.size());
    for (int i = 0; i < count; ++i) {
        prefetchItems(i, count);
        m_guidIndex->validating = i;
        VLXItems &item = *m_items.at(i);
        if (afresh)
            item.clearParseXMLErrorList();
        item.validate(this);
        if (counts)
            item.addMessageCounts(found.errors, found.warnings, found.repairs);
        if (taken)
            item.addParseXMLErrorGroup(*taken, true, true, true);
        if (progress && !progress(i + 1, count)) {
            m_guidIndex.reset();
            for (int rest = i + 1; afresh && rest < count; ++rest)
                m_items.at(rest)->clearParseXMLErrorList();
            return false;
        }
    }
    m_guidIndex.reset();
    if (counts)
        *counts = found;
    if (taken)
        *log = ElementMessages::listOf(std::move(*taken));
    return true;
}

void VLXFeed::prefetchItems(int at, int count, bool messagesOnly) const
{
    const VLXItems::Walk walk = messagesOnly ? VLXItems::Walk::Messages : VLXItems::Walk::Checks;
    // An item's data lie in many blocks: asked for some items ahead, in stages, the waits for
    // them overlap instead of following one another.
    constexpr int kStage = 4;
    if (at + 3 * kStage < count)
        m_items.at(at + 3 * kStage)->prefetchObject(walk);
    if (at + 2 * kStage < count)
        m_items.at(at + 2 * kStage)->prefetchChecked(walk);
    if (at + kStage < count)
        m_items.at(at + kStage)->prefetchExtensions();
    if (!messagesOnly && at + kStage / 2 < count)
        m_items.at(at + kStage / 2)->prefetchExtensionData(false);
    if (!messagesOnly && at + 1 < count)
        m_items.at(at + 1)->prefetchExtensionData(true);
}

// --- Messages ------------------------------------------------------------------------------------

int VLXFeed::parseXMLErrorCount() const
{
    int count
        = ElementMessages::errorCount(*this, *m_XMLExtensions) + m_image->parseXMLErrorCount();
    for (const auto &item : m_items)
        count += item->parseXMLErrorCount();
    return count;
}

int VLXFeed::parseXMLWarnCount() const
{
    int count = ElementMessages::warnCount(*this, *m_XMLExtensions) + m_image->parseXMLWarnCount();
    for (const auto &item : m_items)
        count += item->parseXMLWarnCount();
    return count;
}

bool VLXFeed::hasParseMessages() const
{
    // An element's own entries are looked at (not all are counted); its extensions count theirs.
    auto holds = [](const FeedElement &owner, const baseExtensionManager &extensions) {
        return (!owner.errorList().isEmpty() && !owner.listOfErrors(true, true, true).isEmpty())
            || extensions.parseXMLErrorCount() > 0 || extensions.parseXMLWarnCount() > 0
            || extensions.parseXMLRepairCount() > 0;
    };
    if (holds(*this, *m_XMLExtensions) || holds(*m_image, *m_image->XMLExtensions()))
        return true;
    for (const auto &item : m_items) {
        if (holds(*item, *item->XMLExtensions()))
            return true;
    }
    return false;
}

int VLXFeed::parseXMLRepairCount() const
{
    int count
        = ElementMessages::repairCount(*this, *m_XMLExtensions) + m_image->parseXMLRepairCount();
    for (const auto &item : m_items)
        count += item->parseXMLRepairCount();
    return count;
}

QList<MessageGroup> VLXFeed::parseXMLErrorList(bool includeErrors, bool includeWarn,
                                               bool includeRepair) const
{
    MessageGroup group = channelMessages(includeErrors, includeWarn, includeRepair);
    const int count = int(m_items.size());
    for (int i = 0; i < count; ++i) {
        prefetchItems(i, count, true);
        m_items.at(i)->addParseXMLErrorGroup(group, includeErrors, includeWarn, includeRepair);
    }
    return ElementMessages::listOf(std::move(group));
}

MessageGroup VLXFeed::channelMessages(bool includeErrors, bool includeWarn,
                                      bool includeRepair) const
{
    MessageGroup group
        = ElementMessages::group(QStringLiteral("RSS Feed: \"%1\"").arg(m_title), *this,
                                 *m_XMLExtensions, includeErrors, includeWarn, includeRepair);
    for (MessageGroup &g : m_image->parseXMLErrorList(includeErrors, includeWarn, includeRepair))
        group.addGroup(std::move(g));
    group.reserve(m_items.size());
    return group;
}

QVariantList VLXFeed::parseXMLErrorTree(bool includeErrors, bool includeWarn,
                                        bool includeRepair) const
{
    QVariantList tree;
    for (const MessageGroup &g : parseXMLErrorList(includeErrors, includeWarn, includeRepair))
        tree.append(g.toVariant());
    return tree;
}

void VLXFeed::clearParseXMLErrorList()
{
    ElementMessages::clear(*this, *m_XMLExtensions);
    m_image->clearParseXMLErrorList();
    const int count = int(m_items.size());
    for (int i = 0; i < count; ++i) {
        prefetchItems(i, count, true);
        m_items.at(i)->clearParseXMLErrorList();
    }
}

// --- Guid uniqueness -----------------------------------------------------------------------------

std::unique_ptr<VLXFeed::GUIDIndex> VLXFeed::buildGUIDIndex() const
{
    auto index = std::make_unique<GUIDIndex>();
    const int n = int(m_items.size());
    index->nextWithSameGUID.assign(size_t(n), -1);
    // An open table of a guid's hash and the last position seen for it, at most half full. A
    // probe compares hashes and reads another guid's text only when they agree, so that each
    // guid of a long feed is read once, to hash it.
    struct Slot
    {
        size_t hash = 0;
        int last = -1;
    };
    size_t mask = 15;
    while (mask < size_t(n) * 2)
        mask = mask * 2 + 1;
    std::vector<Slot> table(mask + 1);
    // Walking backwards, the last position seen for a guid is the next one after the current.
    for (int i = n - 1; i >= 0; --i) {
        // Each guid lies in a block of its own: asked for some items ahead, the waits overlap.
        if (i >= 16)
            m_items.at(i - 16)->prefetchGUIDField();
        if (i >= 8)
            m_items.at(i - 8)->prefetchGUIDText();
        const QString &guid = m_items.at(i)->GUID();
        if (guid.isEmpty())
            continue;
        const size_t hash = qHash(guid);
        for (size_t s = hash & mask;; s = (s + 1) & mask) {
            Slot &slot = table[s];
            if (slot.last < 0) {
                slot = {hash, i};
                break;
            }
            if (slot.hash == hash && m_items.at(slot.last)->GUID() == guid) {
                index->nextWithSameGUID[size_t(i)] = slot.last;
                slot.last = i;
                break;
            }
        }
    }
    return index;
}

const VLXItems *VLXFeed::laterItemWithSameGUID(const VLXItems *item) const
{
    if (!item || item->GUID().isEmpty())
        return nullptr;
    // During validation the item asking is the one being validated: its position is known.
    const int validating = m_guidIndex ? m_guidIndex->validating : -1;
    if (validating >= 0 && validating < m_items.size() && m_items.at(validating).get() == item) {
        const int next = m_guidIndex->nextWithSameGUID[size_t(validating)];
        return next < 0 ? nullptr : m_items.at(next).get();
    }
    const int own = indexOfItem(item);
    if (own < 0)
        return nullptr;
    for (int i = own + 1; i < m_items.size(); ++i) {
        if (m_items.at(i)->GUID() == item->GUID())
            return m_items.at(i).get();
    }
    return nullptr;
}

const VLXItems *VLXFeed::otherItemWithSameGUID(const VLXItems *item) const
{
    if (!item || item->GUID().isEmpty())
        return nullptr;
    for (const auto &other : m_items) {
        if (other.get() != item && other->GUID() == item->GUID())
            return other.get();
    }
    return nullptr;
}
