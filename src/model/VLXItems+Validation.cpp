// Field rules, repair after reading, whole-item validation and messages of an item.

#include "model/VLXItems.h"

#include "model/ElementMessages.h"
#include "model/ExtensionTexts.h"
#include "model/FieldRepair.h"
#include "model/VLXFeed.h"
#include "model/VLXLogic.h"
#include "model/extensionManagerItem.h"
#include "model/mimeTypes.h"
#include "platform/Clock.h"

#include <QStringBuilder>

namespace {

const RuleFailure kLinkBlank {QStringLiteral("Link is blank"),
                              QStringLiteral("Item link can not be blank")};
const RuleFailure kLinkInvalid {QStringLiteral("Link is invalid"),
                                QStringLiteral("Item link is not a valid URL")};
const RuleFailure kGUIDBlank {QStringLiteral("GUID is recommended"),
                              QStringLiteral("Use of the \"GUID\" is recommended"), true,
                              VLXError::kBadFormat};
const RuleFailure kGUIDNotURL {QStringLiteral("GUID is invalid URL"),
                               QStringLiteral("Item GUID MUST be a valid URL when \"isPermaLink\" "
                                              "is marked"),
                               false, VLXError::kBadFormat};
const RuleFailure kSourceURL {QStringLiteral("Source URL is invalid"),
                              QStringLiteral("Item Source URL is not a valid URL")};
const RuleFailure kEnclosureNotURL {QStringLiteral("Enclosure URL is invalid"),
                                    QStringLiteral("Item Enclosure URL is not a valid URL")};
const RuleFailure kEnclosureBlank {
    QStringLiteral("Enclosure URL is invalid"),
    QStringLiteral("Item Enclosure URL can not be blank in an iTunes podcast")};
const RuleFailure kEnclosureType {
    QStringLiteral("Enclosure URL is invalid"),
    QStringLiteral("Item Enclosure URL does not specify an iTunes supported media type")};
const RuleFailure kEnclosureLength {QStringLiteral("Enclosure Length is invalid"),
                                    QStringLiteral("Item Enclosure Length has an invalid "
                                                   "character, only digits 0 through 9 are "
                                                   "allowed")};
const RuleFailure kAuthor {QStringLiteral("Author is invalid"),
                           QStringLiteral("Item Author email address does not appear to be valid")};
const RuleFailure kComments {QStringLiteral("Comments is invalid"),
                             QStringLiteral("Item Comments is not a valid URL")};

} // namespace

// --- Per-field rules -------------------------------------------------------------------------

bool VLXItems::validateTitle(const QString &, VLXError *)
{
    return true;
}

bool VLXItems::validateDescriptionElement(const QString &, VLXError *)
{
    return true;
}

bool VLXItems::validateLink(const QString &value, VLXError *error)
{
    return FieldRule::check(
        value, {{FieldRule::notBlank, kLinkBlank}, {FieldRule::blankOrURL, kLinkInvalid}}, error);
}

bool VLXItems::validateGUID(const QString &value, int isPermaLink, VLXError *error)
{
    if (FieldRule::isBlank(value))
        return FieldRule::fail(error, kGUIDBlank);
    if (isPermaLink == 0)
        return true;
    return FieldRule::check(value, {{FieldRule::blankOrURL, kGUIDNotURL}}, error);
}

bool VLXItems::validateSourceAttr(const QString &value, VLXError *error)
{
    return FieldRule::check(value, {{FieldRule::blankOrURL, kSourceURL}}, error);
}

bool VLXItems::validateEnclosureAttrURL(const QString &value, VLXError *error, bool iTunesUsed)
{
    if (!FieldRule::blankOrURL(value))
        return FieldRule::fail(error, kEnclosureNotURL);
    if (!iTunesUsed)
        return true;
    if (FieldRule::isBlank(value))
        return FieldRule::fail(error, kEnclosureBlank);
    if (extensionManagerItem::enclosureURLAccepted(KnownNamespace::iTunes, value))
        return true;
    return FieldRule::fail(error, kEnclosureType);
}

bool VLXItems::validateEnclosureAttrLength(const QString &value, VLXError *error)
{
    return FieldRule::check(value, {{FieldRule::blankOrDigits, kEnclosureLength}}, error);
}

bool VLXItems::validateAuthor(const QString &value, VLXError *error)
{
    return FieldRule::check(value, {{FieldRule::blankOrEMail, kAuthor}}, error);
}

bool VLXItems::validateComments(const QString &value, VLXError *error)
{
    return FieldRule::check(value, {{FieldRule::blankOrURL, kComments}}, error);
}

void VLXItems::validateAndLogGUID(const QString &value, int isPermaLink)
{
    FieldRule::log(*this, [&](VLXError *e) { return validateGUID(value, isPermaLink, e); });
}

bool VLXItems::validateAndInformGUID(const QString &value, int isPermaLink, QObject *interface)
{
    return FieldRule::inform([&](VLXError *e) { return validateGUID(value, isPermaLink, e); },
                             interface);
}

void VLXItems::validateAndLogEnclosureAttrURL(const QString &value)
{
    const bool iTunes = m_XMLExtensions->iTunesExtensionUsed();
    FieldRule::log(*this, [&](VLXError *e) { return validateEnclosureAttrURL(value, e, iTunes); });
}

bool VLXItems::validateAndInformEnclosureAttrURL(const QString &value, QObject *interface,
                                                 bool iTunesUsed)
{
    return FieldRule::inform(
        [&](VLXError *e) { return validateEnclosureAttrURL(value, e, iTunesUsed); }, interface);
}

// --- Repair after reading ----------------------------------------------------------------------

void VLXItems::finalProcessing(VLXFeed *feed, int)
{
    const ExtensionTexts ext(*m_XMLExtensions);
    using NS = KnownNamespace;
    const FieldRepair repair(*this, ext, "Item");
    // A description held as UTF-8 is never empty: there is only the title to fill.
    if (m_descriptionUTF8.isNull())
        repair.titleAndDescription(m_title, m_description);
    else
        repair.title(m_title);
    if (m_pubDate.isEmpty()) {
        const QString dcDate = ext.text(NS::dublinCore, QStringLiteral("date"));
        if (!dcDate.isEmpty() && VLXLogic::RDFInternetDateTime(dcDate) != 0) {
            recordRepair(
                QStringLiteral("Item <pubDate> was blank, used the contents of <dc:date>"));
            m_pubDate = VLXLogic::convertValidDateToRFC822(dcDate);
        }
    }
    // The first candidate that holds anything decides alone: when it is not an e-mail text
    // the author stays empty.
    repair.fromFirstEMail(m_author, "author",
                          {{NS::iTunes, "author", "itunes:author"},
                           {NS::dublinCore, "creator", "dc:creator"},
                           {NS::dublinCore, "publisher", "dc:publisher"},
                           {NS::dublinCore, "contributor", "dc:contributor"}});
    m_XMLExtensions->finalProcessing(feed);
}

// --- Validation --------------------------------------------------------------------------------

void VLXItems::validate(VLXFeed *feed)
{
    validateAndLogTitle(m_title);
    // The description's rule takes every text: it is not made from the UTF-8 bytes to be checked.
    validateAndLogDescriptionElement(m_descriptionUTF8.isNull() ? m_description : QString());
    if (m_title.isEmpty() && descriptionIsEmpty())
        recordError(QStringLiteral("Both the item title and description can not both be blank"));
    validateAndLogLink(m_link);

    if (m_pubDate.isEmpty())
        recordWarning(QStringLiteral("The item pubDate should not be blank"));
    else
        VLXLogic::repairInternetDateTime(m_pubDate, true, this);

    validateAndLogGUID(m_GUID, m_GUIDAttr);
    if (feed)
        validateGUID(feed);

    validateCategories(
        QStringLiteral("Item Category must not be blank if Category Domain is used"));

    validateAndLogSourceAttr(sourceAttr());
    if (source().isEmpty() != sourceAttr().isEmpty()) {
        if (sourceAttr().isEmpty())
            recordError(QStringLiteral("Item Source URL is required when Item Source is used"));
        else
            recordError(QStringLiteral("Item Source is required when Item Source is used"));
    }

    validateAndLogEnclosureAttrURL(m_enclosureAttrURL);
    if (!m_enclosureAttrURL.isEmpty()) {
        const bool iTunes = m_XMLExtensions->iTunesExtensionUsed();
        if (!mimeTypes::sharedIsValidMIMEType(m_enclosureAttrType, iTunes))
            recordWarning(QStringLiteral("Item Enclosure Type is not a valid MIME type"));
        else if (!m_enclosureAttrType.isEmpty()
                 && !mimeTypes::sharedVerifyPath(m_enclosureAttrURL, m_enclosureAttrType, iTunes))
            recordWarning(
                QStringLiteral("Item Enclosure Type \"%1\" does not match the MIME of the URL "
                               "\"%2\""),
                m_enclosureAttrType, mimeTypes::sharedMimeTypeForPath(m_enclosureAttrURL));
    }
    if (!(m_enclosureAttrURL.isEmpty() && m_enclosureAttrType.isEmpty()
          && m_enclosureAttrLength.isEmpty())) {
        if (m_enclosureAttrLength.isEmpty())
            recordWarning(QStringLiteral("When Item Enclosure is used the Length is required"));
        else
            validateAndLogEnclosureAttrLength(m_enclosureAttrLength);
    }

    validateAndLogAuthor(m_author);
    validateAndLogComments(comments());
    m_XMLExtensions->validate(feed, this);
}

void VLXItems::validateGUID(VLXFeed *feed)
{
    if (m_GUID.isEmpty() || !feed)
        return;
    if (const VLXItems *other = feed->laterItemWithSameGUID(this))
        recordError(QStringLiteral("The GUID has to be unique and it is not, the item with the "
                                   "title \"%1\" has the same GUID"),
                    other->title());
}

QString VLXItems::isGUIDUnique(const VLXFeed *feed) const
{
    if (m_GUID.isEmpty() || !feed)
        return QString();
    if (const VLXItems *other = feed->otherItemWithSameGUID(this))
        return QStringLiteral("This GUID is not unique, it is the same as in the item with the "
                              "title \"%1\".")
            .arg(other->title());
    return QString();
}

bool VLXItems::isInFuture() const
{
    const double when = VLXLogic::InternetDateTime(m_pubDate);
    if (when == 0)
        return false;
    // The end of today is the start of tomorrow in local time, whatever length today has on a
    // daylight-saving change day.
    const QDate today = Clock::now().toLocalTime().date();
    const QDateTime tomorrow(today.addDays(1), QTime(0, 0), Qt::LocalTime);
    return when > double(tomorrow.toSecsSinceEpoch());
}

// --- Messages ----------------------------------------------------------------------------------

int VLXItems::parseXMLErrorCount() const
{
    return ElementMessages::errorCount(*this, *m_XMLExtensions);
}

int VLXItems::parseXMLWarnCount() const
{
    return ElementMessages::warnCount(*this, *m_XMLExtensions);
}

int VLXItems::parseXMLRepairCount() const
{
    return ElementMessages::repairCount(*this, *m_XMLExtensions);
}

void VLXItems::addMessageCounts(int &errors, int &warnings, int &repairs) const
{
    errors += errorCount();
    warnings += warnCount();
    repairs += repairCount();
    m_XMLExtensions->addMessageCounts(errors, warnings, repairs);
}

QList<MessageGroup> VLXItems::parseXMLErrorList(bool includeErrors, bool includeWarn,
                                                bool includeRepair) const
{
    if (!holdsMessageEntries())
        return {};
    return ElementMessages::listOf(ElementMessages::group(
        messageHeading(), *this, *m_XMLExtensions, includeErrors, includeWarn, includeRepair));
}

void VLXItems::addParseXMLErrorGroup(MessageGroup &parent, bool includeErrors, bool includeWarn,
                                     bool includeRepair) const
{
    if (holdsMessageEntries())
        ElementMessages::addGroup(parent, messageHeading(), *this, *m_XMLExtensions, includeErrors,
                                  includeWarn, includeRepair);
}

bool VLXItems::holdsMessageEntries() const
{
    // Save takes the log of every item: most hold nothing, and their heading is not made.
    return !errorList().isEmpty() || m_XMLExtensions->holdsMessageEntries();
}

QString VLXItems::messageHeading() const
{
    return u"Item - \"" % m_title % u'"';
}

void VLXItems::prefetchObject(Walk walk) const
{
    if (walk == Walk::Messages) {
        // The list of entries lies at the start, the title and the extensions further on.
        __builtin_prefetch(this);
        __builtin_prefetch(&m_title);
        __builtin_prefetch(&m_XMLExtensions);
        return;
    }
    const char *const start = reinterpret_cast<const char *>(this);
    for (size_t offset = 0; offset < sizeof(VLXItems); offset += 64)
        __builtin_prefetch(start + offset);
}

void VLXItems::prefetchChecked(Walk walk) const
{
    // A text's first and last units: most of those checked are read whole, and one of some
    // forty units spans two lines as often as not.
    const auto text = [](const QString &value) {
        __builtin_prefetch(value.constData());
        __builtin_prefetch(value.constData() + value.size());
    };
    // The list's entries and the header before them, which an entry added reads.
    if (const QString *entries = errorList().constData()) {
        __builtin_prefetch(entries);
        __builtin_prefetch(reinterpret_cast<const char *>(entries) - 16);
    }
    __builtin_prefetch(m_XMLExtensions.get());
    text(m_title);
    if (walk == Walk::Messages)
        return;
    for (const QString *checked : {&m_link, &m_pubDate, &m_GUID, &m_enclosureAttrURL,
                                   &m_enclosureAttrLength, &m_enclosureAttrType, &m_author})
        text(*checked);
    __builtin_prefetch(m_category.constData());
}

void VLXItems::prefetchExtensions() const
{
    m_XMLExtensions->prefetchHeld();
    // The entries, which the message log copies and clearing lets go.
    for (const QString &entry : errorList())
        __builtin_prefetch(entry.constData());
}

void VLXItems::prefetchExtensionData(bool texts) const
{
    m_XMLExtensions->prefetchHeldData(texts);
}

void VLXItems::clearParseXMLErrorList()
{
    ElementMessages::clear(*this, *m_XMLExtensions);
}
