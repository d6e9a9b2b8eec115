#include "extensions/sy/syChannel.h"

#include "extensions/ExtensionChecks.h"
#include "extensions/ExtensionText.h"
#include "extensions/sy/syChannelPrefs.h"
#include "model/FieldRule.h"
#include "model/VLXLogic.h"
#include "xml/vlxXMLDOM.h"

const char *const syChannel::kPeriods[]
    = {"hourly", "daily", "weekly", "monthly", "yearly", nullptr};

namespace {

using F = ExtensionField;

const char *const kElements[] = {"updatePeriod", "updateFrequency", "updateBase"};

const ExtensionField kFields[] = {
    {.name = "updatePeriod",
     .outlet = "SYupdatePeriod",
     .element = "updatePeriod",
     .read = F::Read::Custom,
     .archiveKey = "ChannelUpdatePeriod",
     .defaultKey = "FD_AF_FF_EX_SyndicationUpdatePeriod",
     .undoName = "updatePeriod",
     .helpAnchor = "SYupdatePeriod",
     .label = "Update Period:",
     .widget = F::Widget::Words,
     .choices = syChannel::kPeriods,
     .keepsMarkup = true},
    {.name = "updateFrequency",
     .outlet = "SYupdateFrequency",
     .element = "updateFrequency",
     .read = F::Read::Custom,
     .archiveKey = "ChannelUpdateFrequency",
     .defaultKey = "FD_AF_FF_EX_SyndicationUpdateFrequency",
     .searchable = true,
     .undoName = "Syndication updateFrequency",
     .helpAnchor = "SYupdateFrequency",
     .label = "Update Frequency:",
     .widget = F::Widget::LineEdit,
     .leave = F::Leave::Keep,
     .leaveHook =
         [](QString &value, QObject *interface) {
             value = value.trimmed();
             syChannel::validateAndInformUpdateFrequency(value, interface);
             return true;
         },
     .keepsMarkup = true},
    {.name = "updateBase",
     .outlet = "SYupdateBase",
     .element = "updateBase",
     .read = F::Read::Date,
     .archiveKey = "ChannelUpdateBase",
     .defaultKey = "FD_AF_FF_EX_SyndicationUpdateBase",
     .searchable = true,
     .undoName = "Syndication updateBase",
     .helpAnchor = "SYupdateBase",
     .label = "Update Base:",
     .widget = F::Widget::Date,
     .leaveHook = &syChannel::repairTypedBase,
     .keepsMarkup = true},
};

const ExtensionDescriptor kDescriptor = {
    .ns = KnownNamespace::syndication,
    .place = ExtensionPlace::Channel,
    .className = "syChannel",
    .elements = kElements,
    .fields = kFields,
};

[[maybe_unused]] const bool kRegistered
    = KeyedUnarchiver::registerClass(QStringLiteral("syChannel"),
                                     [] { return std::make_shared<syChannel>(); })
    && KeyedUnarchiver::registerClass(QStringLiteral("syChannelPrefs"),
                                      [] { return std::make_shared<syChannelPrefs>(); });

const char *const kFrequencyTitle = "Syndication Update Frequency is invalid";
const char *const kFrequencyText
    = "Syndication Update Frequency has an invalid character, only digits 0 through 9 are allowed";

} // namespace

syChannel::syChannel() : FieldExtension(kDescriptor)
{
    setExtensionProcessingName(extensionName());
}

const ExtensionDescriptor &syChannel::classDescriptor()
{
    return kDescriptor;
}

QString syChannel::classDescriptionOfNamespace()
{
    return knownNamespaces::descriptionOfNamespace(KnownNamespace::syndication);
}

QString syChannel::classDescriptionOfNamespaceShort()
{
    return knownNamespaces::descriptionOfNamespaceShort(KnownNamespace::syndication);
}

void syChannel::setExtensionProcessingName(const QString &name)
{
    FieldExtension::setExtensionProcessingName(name);
    QStringList names = fieldNames();
    for (QString &element : names)
        element = element.toLower();
    setFieldNames(names);
}

void syChannel::parseCustom(int field, const vlxXMLNode *node)
{
    // The first value read stands; a repeat is kept and written after it.
    if (!textIsEmpty(field)) {
        keepUnreadElement(node, *this);
        return;
    }
    const QString value = vlxXMLDOM::descriptionOfNode(node).trimmed();
    if (field == kPeriod) {
        for (const char *const *word = kPeriods; *word; ++word) {
            if (value == QLatin1String(*word)) {
                setUpdatePeriod(value);
                return;
            }
        }
        recordError(QStringLiteral("\"%1\" is not a valid value for sy:updatePeriod."), value);
        return;
    }
    // Letters after the leading digits are kept with them.
    if (ExtensionText::leadingInteger(value) > 0) {
        setUpdateFrequency(value);
        return;
    }
    recordError(QStringLiteral("sy:updateFrequency must be a number greater then 1, \"%1\" is not "
                               "a valid value."),
                value);
}

bool syChannel::validateUpdateFrequency(const QString &value, VLXError *error)
{
    if (value.trimmed().isEmpty())
        return true;
    for (const QChar c : value) {
        if (c < u'0' || c > u'9')
            return ExtensionChecks::fail(error, VLXError::kBadFormat,
                                         QLatin1String(kFrequencyTitle),
                                         QLatin1String(kFrequencyText));
    }
    return true;
}

void syChannel::validateAndLogUpdateFrequency(const QString &value)
{
    VLXError error;
    if (!validateUpdateFrequency(value, &error))
        FieldRule::logFailure(*this, error);
}

bool syChannel::validateAndInformUpdateFrequency(const QString &value, QObject *interface)
{
    return FieldRule::inform([&](VLXError *e) { return validateUpdateFrequency(value, e); },
                             interface);
}

bool syChannel::repairTypedBase(QString &value, QObject *)
{
    value = VLXLogic::FixRDFInternetDateTimeAndInform(value.trimmed(), true,
                                                      QStringLiteral("sy:updateBase"));
    return true;
}

void syChannel::validate(VLXFeed *)
{
    if (isEmpty())
        return;
    if (updateBase().isEmpty())
        recordWarning(QStringLiteral("Without a value for sy:updateBase, sy:updatePeriod and "
                                     "sy:updateFrequency don't have any reference point"));
    else
        setUpdateBase(VLXLogic::FixRDFInternetDateTime(updateBase(), true, this));
}
