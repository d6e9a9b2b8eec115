#include "model/VLXImage.h"

#include "model/ElementMessages.h"
#include "model/ExtensionTexts.h"
#include "model/FieldRepair.h"
#include "model/VLXFeed.h"
#include "model/VLXItems.h"
#include "model/VLXLogic.h"
#include "model/extensionManagerImage.h"
#include "settings/VLXPreferences.h"

#include <limits>

namespace {

const QString kEmpty = QStringLiteral("");

const RuleFailure kTitleMismatch {QStringLiteral("Title doesn't match"),
                                  QStringLiteral("Image title should match the Feed's title"),
                                  true};
const RuleFailure kLinkInvalid {QStringLiteral("Link is invalid"),
                                QStringLiteral("Image link is not a valid URL")};
const RuleFailure kLinkMismatch {QStringLiteral("Link doesn't match"),
                                 QStringLiteral("Image link should match the Feed's link"), true};
const RuleFailure kURLInvalid {QStringLiteral("URL is invalid"),
                               QStringLiteral("Feed link is not a valid URL")};

// A size field: blank, or digits only (untrimmed) read as a saturating 32-bit number that is at
// most the limit.
bool checkSize(const QString &value, int limit, const QString &title, const QString &badCharacter,
               const QString &tooLarge, VLXError *error)
{
    if (FieldRule::isBlank(value))
        return true;
    if (!FieldRule::blankOrDigits(value))
        return FieldRule::fail(error, RuleFailure {title, badCharacter});
    qint64 number = 0;
    for (QChar c : value) {
        number = number * 10 + (c.unicode() - u'0');
        if (number > std::numeric_limits<qint32>::max()) {
            number = std::numeric_limits<qint32>::max();
            break;
        }
    }
    if (number > limit)
        return FieldRule::fail(error, RuleFailure {title, tooLarge});
    return true;
}

} // namespace

VLXImage::VLXImage()
    : m_URL(kEmpty), m_oldURL(kEmpty), m_imageFilename(kEmpty), m_width(kEmpty), m_height(kEmpty),
      m_XMLExtensions(std::make_unique<extensionManagerImage>())
{
}

VLXImage::VLXImage(const VLXImage &other)
    : TitledElement(other), m_URL(other.m_URL), m_oldURL(other.m_oldURL),
      m_imageFilename(other.m_imageFilename), m_width(other.m_width), m_height(other.m_height),
      m_XMLExtensions(other.m_XMLExtensions->copy())
{
}

VLXImage::~VLXImage() = default;

std::unique_ptr<FeedElement> VLXImage::clone() const
{
    return std::make_unique<VLXImage>(*this);
}

void VLXImage::setXMLExtensions(const extensionManagerImage &manager)
{
    if (&manager == m_XMLExtensions.get())
        return;
    m_XMLExtensions = manager.copy();
}

// --- Per-field rules ---------------------------------------------------------------------------

bool VLXImage::validateTitle(const QString &value, const QString &feedTitle, VLXError *error)
{
    if (FieldRule::isBlank(value) || feedTitle.isNull() || value == feedTitle)
        return true;
    return FieldRule::fail(error, kTitleMismatch);
}

bool VLXImage::validateLink(const QString &value, const QString &feedLink, VLXError *error)
{
    if (FieldRule::isBlank(value))
        return true;
    if (!FieldRule::blankOrURL(value))
        return FieldRule::fail(error, kLinkInvalid);
    if (feedLink.isNull() || value == feedLink)
        return true;
    return FieldRule::fail(error, kLinkMismatch);
}

bool VLXImage::validateURL(const QString &value, VLXError *error)
{
    return FieldRule::check(value, {{FieldRule::blankOrURL, kURLInvalid}}, error);
}

bool VLXImage::validateWidth(const QString &value, VLXError *error)
{
    return checkSize(value, 144, QStringLiteral("Image Width is invalid"),
                     QStringLiteral("Image Width has an invalid character, only digits 0 through 9 "
                                    "are allowed"),
                     QStringLiteral("RSS 2.0 specifications say the width of an image must be less "
                                    "then 144 pixels"),
                     error);
}

bool VLXImage::validateHeight(const QString &value, VLXError *error)
{
    return checkSize(value, 400, QStringLiteral("Image Height is invalid"),
                     QStringLiteral("Image Height has an invalid character, only digits 0 through "
                                    "9 are allowed"),
                     QStringLiteral("RSS 2.0 specifications say the height of an image must be "
                                    "less then 400 pixels"),
                     error);
}

void VLXImage::validateAndLogTitle(const QString &value, const QString &feedTitle)
{
    FieldRule::log(*this, [&](VLXError *e) { return validateTitle(value, feedTitle, e); });
}

void VLXImage::validateAndLogLink(const QString &value, const QString &feedLink)
{
    FieldRule::log(*this, [&](VLXError *e) { return validateLink(value, feedLink, e); });
}

bool VLXImage::validateAndInformTitle(const QString &value, const QString &feedTitle,
                                      QObject *interface)
{
    return FieldRule::inform([&](VLXError *e) { return validateTitle(value, feedTitle, e); },
                             interface);
}

bool VLXImage::validateAndInformLink(const QString &value, const QString &feedLink,
                                     QObject *interface)
{
    return FieldRule::inform([&](VLXError *e) { return validateLink(value, feedLink, e); },
                             interface);
}

// --- Whole-image operations ----------------------------------------------------------------------

void VLXImage::populateWithDefaults()
{
    auto text = [](const char *key) {
        return VLXPreferences::objectForKey(QLatin1String(key)).toString();
    };
    const struct
    {
        const char *key;
        void (VLXImage::*set)(const QString &);
    } fields[] = {{"PrefFD_AF_IM_Height", &VLXImage::setHeight},
                  {"PrefFD_AF_IM_Width", &VLXImage::setWidth},
                  {"PrefFD_AF_IM_URL", &VLXImage::setURL},
                  {"PrefFD_AF_IM_Link", &VLXImage::setLink},
                  {"PrefFD_AF_IM_Description", &VLXImage::setDescriptionElement},
                  {"PrefFD_AF_IM_Title", &VLXImage::setTitle}};
    for (const auto &field : fields) {
        if (const QString value = text(field.key); !value.isEmpty())
            (this->*field.set)(value);
    }
    const QStringList comments
        = VLXPreferences::objectForKey(QStringLiteral("FD_AF_IM_AD_XMLComments")).toStringList();
    if (!comments.isEmpty())
        setXMLComments(comments);
}

void VLXImage::finalProcessing(VLXFeed *feed)
{
    const ExtensionTexts dc(*m_XMLExtensions);
    const FieldRepair repair(*this, dc, "Image");
    repair.fromFirst(m_title, "title", {{KnownNamespace::dublinCore, "title", "dc:title"}});
    repair.fromFirst(m_description, "description",
                     {{KnownNamespace::dublinCore, "description", "dc:description"}});
    m_XMLExtensions->finalProcessing(feed);
}

void VLXImage::validate(VLXFeed *feed)
{
    const QString feedTitle = feed ? feed->title() : QString();
    const QString feedLink = feed ? feed->link() : QString();
    validateAndLogTitle(m_title, feedTitle);
    validateAndLogLink(m_link, feedLink);
    validateAndLogURL(m_URL);
    validateAndLogHeight(m_height);
    validateAndLogWidth(m_width);
    const bool used = !(m_URL.isEmpty() && m_title.isEmpty() && m_link.isEmpty()
                        && m_description.isEmpty() && m_height.isEmpty() && m_width.isEmpty());
    if (used) {
        if (m_URL.isEmpty())
            recordError(QStringLiteral("When an Image is used the URL is required"));
        if (m_title.isEmpty())
            recordError(QStringLiteral("When an Image is used the Title is required"));
        if (m_link.isEmpty())
            recordError(QStringLiteral("When an Image is used the Link is required"));
    }
    m_XMLExtensions->validate(feed);
}

void VLXImage::preferencesChanged()
{
    m_XMLExtensions->preferencesChanged();
}

int VLXImage::parseXMLErrorCount() const
{
    return ElementMessages::errorCount(*this, *m_XMLExtensions);
}

int VLXImage::parseXMLWarnCount() const
{
    return ElementMessages::warnCount(*this, *m_XMLExtensions);
}

int VLXImage::parseXMLRepairCount() const
{
    return ElementMessages::repairCount(*this, *m_XMLExtensions);
}

QList<MessageGroup> VLXImage::parseXMLErrorList(bool includeErrors, bool includeWarn,
                                                bool includeRepair) const
{
    return ElementMessages::listOf(
        ElementMessages::group(QStringLiteral("Image - \"%1\"").arg(m_title), *this,
                               *m_XMLExtensions, includeErrors, includeWarn, includeRepair));
}

void VLXImage::clearParseXMLErrorList()
{
    ElementMessages::clear(*this, *m_XMLExtensions);
}
