#include "model/VLXFeed.h"

#include "model/URLReference.h"
#include "model/VLXImage.h"
#include "model/VLXItems.h"
#include "model/extensionManagerChannel.h"
#include "model/extensionManagerImage.h"
#include "model/extensionManagerItem.h"
#include "model/extensionManagerScope.h"

#include <limits>

namespace {

const QString kEmpty = QStringLiteral("");

RuleFailure failure(const char *title, const char *text)
{
    return RuleFailure {QLatin1String(title), QLatin1String(text)};
}

// The iTunes messages carry the registered sign after "iTunes".
RuleFailure iTunesFailure(const char *title, const char *before, const char *after)
{
    return RuleFailure {QLatin1String(title),
                        QLatin1String(before) + QChar(0x00AE) + QLatin1String(after)};
}

bool onlyDigits(const QString &value)
{
    for (QChar c : value) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return true;
}

// Digits read as a signed 32-bit number that saturates when too long.
qint64 saturatedNumber(const QString &digits)
{
    qint64 number = 0;
    for (QChar c : digits) {
        number = number * 10 + (c.unicode() - u'0');
        if (number > std::numeric_limits<qint32>::max())
            return std::numeric_limits<qint32>::max();
    }
    return number;
}

} // namespace

VLXFeed::VLXFeed()
    : m_lastBuildDate(kEmpty), m_language(kEmpty), m_cloudAttrDomain(kEmpty),
      m_cloudAttrPort(kEmpty), m_cloudAttrPath(kEmpty), m_cloudAttrRegProc(kEmpty),
      m_cloudAttrProtocol(kEmpty), m_textInputAttrTitle(kEmpty), m_textInputAttrDescription(kEmpty),
      m_textInputAttrName(kEmpty), m_textInputAttrLink(kEmpty), m_webMaster(kEmpty),
      m_editor(kEmpty), m_copyright(kEmpty), m_docs(kEmpty), m_rating(kEmpty), m_TTL(kEmpty),
      m_styleSheet(kEmpty), m_styleSheetCSS(kEmpty),
      m_scope(std::make_shared<extensionManagerScope>()),
      m_XMLExtensions(std::make_unique<extensionManagerChannel>()),
      m_image(std::make_unique<VLXImage>())
{
    m_XMLExtensions->setScope(m_scope);
    m_image->XMLExtensions()->setScope(m_scope);
}

VLXFeed::VLXFeed(const VLXFeed &other)
    : PublishedElement(other), m_autoPubDate(other.m_autoPubDate),
      m_lastBuildDate(other.m_lastBuildDate), m_language(other.m_language),
      m_cloudAttrDomain(other.m_cloudAttrDomain), m_cloudAttrPort(other.m_cloudAttrPort),
      m_cloudAttrPath(other.m_cloudAttrPath), m_cloudAttrRegProc(other.m_cloudAttrRegProc),
      m_cloudAttrProtocol(other.m_cloudAttrProtocol),
      m_textInputAttrTitle(other.m_textInputAttrTitle),
      m_textInputAttrDescription(other.m_textInputAttrDescription),
      m_textInputAttrName(other.m_textInputAttrName),
      m_textInputAttrLink(other.m_textInputAttrLink), m_webMaster(other.m_webMaster),
      m_editor(other.m_editor), m_copyright(other.m_copyright), m_docs(other.m_docs),
      m_rating(other.m_rating), m_TTL(other.m_TTL), m_skipDays(other.m_skipDays),
      m_skipHours(other.m_skipHours), m_styleSheet(other.m_styleSheet),
      m_styleSheetCSS(other.m_styleSheetCSS), m_rssAttributes(other.m_rssAttributes),
      m_channelAttributes(other.m_channelAttributes),
      m_rssXMLBeforeChannel(other.m_rssXMLBeforeChannel),
      m_rssXMLAfterChannel(other.m_rssXMLAfterChannel),
      m_scope(std::make_shared<extensionManagerScope>()),
      m_XMLExtensions(other.m_XMLExtensions->copy()), m_image(other.m_image->copy())
{
    m_XMLExtensions->setScope(m_scope);
    m_image->XMLExtensions()->setScope(m_scope);
    m_items.reserve(other.m_items.size());
    for (const auto &item : other.m_items) {
        m_items.append(item->copy());
        joinScope(*m_items.last());
    }
}

VLXFeed::~VLXFeed()
{
    // Items kept alive elsewhere (undo, clipboard) must not stay in this feed's scope; the
    // others leave it as they go.
    for (const auto &item : m_items) {
        if (item.use_count() > 1)
            leaveScope(*item);
    }
}

bool VLXFeed::joinScope(VLXItems &item)
{
    if (item.XMLExtensions()->scope() == m_scope)
        return false;
    item.XMLExtensions()->setScope(m_scope);
    return true;
}

void VLXFeed::leaveScope(VLXItems &item)
{
    if (item.XMLExtensions()->scope() == m_scope)
        item.XMLExtensions()->setScope(nullptr);
}

std::unique_ptr<FeedElement> VLXFeed::clone() const
{
    return std::make_unique<VLXFeed>(*this);
}

void VLXFeed::deactivate()
{
    m_XMLExtensions->deactivate();
}

QString VLXFeed::description() const
{
    return QStringLiteral("VLXFeed(1), extensions: (%1), number of Items %2")
        .arg(m_XMLExtensions->arrayOfExtensionNames().join(QLatin1String(", ")))
        .arg(m_items.size());
}

void VLXFeed::setXMLExtensions(const extensionManagerChannel &manager)
{
    if (&manager == m_XMLExtensions.get())
        return;
    m_XMLExtensions->deactivate();
    m_XMLExtensions = manager.copy();
    m_XMLExtensions->setScope(m_scope);
}

void VLXFeed::setImage(const VLXImage &image)
{
    if (&image == m_image.get())
        return;
    m_image = image.copy();
    m_image->XMLExtensions()->setScope(m_scope);
}

void VLXFeed::setArrayOfItems(const ItemList &items)
{
    if (&items == &m_items)
        return;
    ItemList copies;
    copies.reserve(items.size());
    for (const auto &item : items) {
        if (item)
            copies.append(item->copy());
    }
    for (const auto &item : m_items)
        leaveScope(*item);
    m_items = std::move(copies);
    for (const auto &item : m_items)
        joinScope(*item);
}

void VLXFeed::replaceItems(const ItemList &items)
{
    if (&items == &m_items)
        return;
    // An item is in this feed's scope exactly while the list holds it, and no list holds an item
    // twice. So when every item given is in the scope already, and there are as many as now,
    // they are the items of now in another order (an undone sort or move): the list is taken as
    // it is, shared, and nothing joins or leaves.
    bool complete = items.size() == m_items.size();
    for (const auto &item : items) {
        if (!item || joinScope(*item))
            complete = false;
    }
    if (complete) {
        m_items = items;
        return;
    }
    for (const auto &item : m_items)
        leaveScope(*item);
    m_items.clear();
    m_items.reserve(items.size());
    for (const auto &item : items) {
        if (!item)
            continue;
        joinScope(*item);
        m_items.append(item);
    }
}

void VLXFeed::addItem(std::shared_ptr<VLXItems> item)
{
    if (!item)
        return;
    joinScope(*item);
    m_items.append(std::move(item));
}

void VLXFeed::insertItem(std::shared_ptr<VLXItems> item, int index)
{
    if (!item)
        return;
    joinScope(*item);
    m_items.insert(index, std::move(item));
}

void VLXFeed::removeItemAtIndex(int index)
{
    leaveScope(*m_items.at(index));
    m_items.removeAt(index);
}

void VLXFeed::removeAllItems()
{
    for (const auto &item : m_items)
        leaveScope(*item);
    m_items.clear();
}

void VLXFeed::exchangeItemAtIndex(int index, int withItemAtIndex)
{
    m_items.swapItemsAt(index, withItemAtIndex);
}

int VLXFeed::indexOfItem(const VLXItems *item) const
{
    for (int i = 0; i < m_items.size(); ++i) {
        if (m_items.at(i).get() == item)
            return i;
    }
    return -1;
}

QStringList VLXFeed::arrayOfItemGUID() const
{
    QStringList guids;
    guids.reserve(m_items.size());
    for (const auto &item : m_items)
        guids.append(item->GUID());
    return guids;
}

QVariantMap VLXFeed::enclosureLocalFileInfo() const
{
    QVariantMap info;
    for (const auto &item : m_items)
        info.insert(item->enclosureLocalFileInfo());
    return info;
}

void VLXFeed::setEnclosureLocalFileInfo(const QVariantMap &info)
{
    // Most feeds have no local file: then no item needs a look.
    if (info.isEmpty())
        return;
    for (const auto &item : m_items)
        item->setEnclosureLocalFileInfo(info);
}

// --- Per-field rules ---------------------------------------------------------------------------

bool VLXFeed::validateTitle(const QString &value, VLXError *error)
{
    return FieldRule::check(
        value, {{FieldRule::notBlank, failure("Title is blank", "Feed title can not be blank")}},
        error);
}

bool VLXFeed::validateDescriptionElement(const QString &value, VLXError *error)
{
    return FieldRule::check(
        value,
        {{FieldRule::notBlank,
          failure("Description is blank", "Feed description can not be blank")}},
        error);
}

bool VLXFeed::validateLink(const QString &value, VLXError *error)
{
    return FieldRule::check(
        value,
        {{FieldRule::notBlank, failure("Link is blank", "Feed link can not be blank")},
         {FieldRule::blankOrURL, failure("Link is invalid", "Feed link is not a valid URL")}},
        error);
}

bool VLXFeed::validateLanguage(const QString &value, VLXError *error, bool iTunesUsed)
{
    if (!iTunesUsed || !FieldRule::isBlank(value))
        return true;
    return FieldRule::fail(error,
                           iTunesFailure("Language is blank",
                                         "Feed language can not be blank when creating "
                                         "an iTunes",
                                         " podcast"));
}

bool VLXFeed::validateCloudAttrDomain(const QString &value, VLXError *error)
{
    if (FieldRule::isBlank(value))
        return true;
    const QString title = QStringLiteral("Cloud Domain is invalid");
    if (!URLReference::parse(value))
        return FieldRule::fail(error,
                               RuleFailure {title,
                                            QStringLiteral("Cloud Domain is not a "
                                                           "valid domain name")});
    // A host name alone: read as an authority it gives back the whole value and nothing else.
    const auto authority = URLReference::parse(QLatin1String("//") + value);
    const bool hostOnly = authority && !authority->hasScheme() && authority->hasAuthority()
        && !authority->hasUserInfo() && !authority->hasPort() && authority->path().isEmpty()
        && !authority->hasQuery() && !authority->hasFragment() && authority->host() == value;
    if (hostOnly)
        return true;
    return FieldRule::fail(error,
                           RuleFailure {title,
                                        QStringLiteral("Cloud Domain must be only the "
                                                       "domain name and not a URL")});
}

bool VLXFeed::validateCloudAttrPort(const QString &value, VLXError *error)
{
    if (FieldRule::isBlank(value))
        return true;
    const QString title = QStringLiteral("Cloud Port is invalid");
    if (!onlyDigits(value))
        return FieldRule::fail(error,
                               RuleFailure {title,
                                            QStringLiteral("The Cloud Port has an invalid "
                                                           "character, only digits 0 "
                                                           "through 9 are allowed")});
    const qint64 port = saturatedNumber(value);
    if (port == 0 || port > 65535)
        return FieldRule::fail(error,
                               RuleFailure {title,
                                            QStringLiteral("Cloud Port must be a "
                                                           "number between 1 and "
                                                           "65535, inclusive.")});
    return true;
}

bool VLXFeed::validateCloudAttrPath(const QString &, VLXError *)
{
    return true;
}

bool VLXFeed::validateCloudAttrRegProc(const QString &, VLXError *)
{
    return true;
}

bool VLXFeed::validateCloudAttrProtocol(const QString &value, VLXError *error)
{
    if (FieldRule::isBlank(value) || value == QLatin1String("xml-rpc")
        || value == QLatin1String("soap") || value == QLatin1String("http-post"))
        return true;
    return FieldRule::fail(error,
                           failure("Cloud Protocol is invalid",
                                   "Cloud Protocol is not one of the three valid values: "
                                   "xml-rpc, soap or http-post."));
}

bool VLXFeed::validateTextInputAttrLink(const QString &value, VLXError *error)
{
    return FieldRule::check(
        value,
        {{FieldRule::blankOrURL,
          failure("TextInputAttrLink is invalid", "TextInput link is not a valid URL")}},
        error);
}

bool VLXFeed::validateWebMaster(const QString &value, VLXError *error)
{
    return FieldRule::check(value,
                            {{FieldRule::blankOrEMail,
                              failure("WebMaster is invalid",
                                      "Feed webmaster email address does not appear to be valid")}},
                            error);
}

bool VLXFeed::validateEditor(const QString &value, VLXError *error)
{
    return FieldRule::check(
        value,
        {{FieldRule::blankOrEMail,
          failure("Editor is invalid", "Feed editor email address does not appear to be valid")}},
        error);
}

bool VLXFeed::validateCopyright(const QString &value, VLXError *error, bool iTunesUsed)
{
    if (!iTunesUsed || !FieldRule::isBlank(value))
        return true;
    return FieldRule::fail(error,
                           iTunesFailure("Copyright is blank",
                                         "Feed copyright can not be blank when creating "
                                         "an iTunes",
                                         " podcast"));
}

bool VLXFeed::validateDocs(const QString &value, VLXError *error)
{
    return FieldRule::check(
        value,
        {{FieldRule::blankOrURL, failure("Docs is invalid", "Feed Docs is not a valid URL")}},
        error);
}

bool VLXFeed::validateTTL(const QString &value, VLXError *error)
{
    return FieldRule::check(value,
                            {{FieldRule::blankOrDigits,
                              failure("TTL is invalid",
                                      "The TTL has an invalid character, only "
                                      "digits 0 through 9 are allowed")}},
                            error);
}

bool VLXFeed::validateStyleSheet(const QString &value, VLXError *error)
{
    return FieldRule::check(
        value,
        {{FieldRule::blankOrURL,
          failure("StyleSheet is invalid", "Feed StyleSheet is not a valid URL")}},
        error);
}

bool VLXFeed::validateStyleSheetCSS(const QString &value, VLXError *error)
{
    return FieldRule::check(
        value,
        {{FieldRule::blankOrURL,
          failure("StyleSheetCSS is invalid", "Feed StyleSheetCSS is not a valid URL")}},
        error);
}

void VLXFeed::validateAndLogLanguage(const QString &value)
{
    const bool iTunes = m_XMLExtensions->iTunesExtensionUsed();
    FieldRule::log(*this, [&](VLXError *e) { return validateLanguage(value, e, iTunes); });
}

void VLXFeed::validateAndLogCopyright(const QString &value)
{
    const bool iTunes = m_XMLExtensions->iTunesExtensionUsed();
    FieldRule::log(*this, [&](VLXError *e) { return validateCopyright(value, e, iTunes); });
}

bool VLXFeed::validateAndInformLanguage(const QString &value, QObject *interface, bool iTunesUsed)
{
    return FieldRule::inform([&](VLXError *e) { return validateLanguage(value, e, iTunesUsed); },
                             interface);
}

bool VLXFeed::validateAndInformCopyright(const QString &value, QObject *interface, bool iTunesUsed)
{
    return FieldRule::inform([&](VLXError *e) { return validateCopyright(value, e, iTunesUsed); },
                             interface);
}
