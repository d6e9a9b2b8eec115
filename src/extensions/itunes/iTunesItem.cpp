#include "extensions/itunes/iTunesItem.h"

#include "extensions/ExtensionChecks.h"
#include "extensions/ExtensionText.h"
#include "extensions/itunes/iTunesChannel.h"
#include "extensions/itunes/iTunesFlagWords.h"
#include "extensions/itunes/iTunesItemPrefs.h"
#include "extensions/itunes/sortTagsiTunes.h"
#include "model/URLReference.h"
#include "model/VLXLogic.h"

namespace {

using F = ExtensionField;

// Parse order; "category" has no field: an item's category element is recognised and dropped.
const char *const kElements[]
    = {"block", "category", "explicit", "keywords", "duration", "subtitle", "summary", "author"};
const char *const kExplicitChoices[] = {"Clean", "No", "Yes"};

const ExtensionField kFields[] = {
    {.name = "subtitle",
     .outlet = "ITISubtitle",
     .element = "subtitle",
     .read = F::Read::Untrimmed,
     .cutLength = 255,
     .repairTag = "itunes:subtitle",
     .archiveKey = "ItemSubtitle",
     .defaultKey = "FD_AF_IF_EX_ITISubtitle",
     .feedDefaultKey = "FD_CF_IF_EX_ITISubtitle",
     .exportToken = "~~~FeediTunesSubtitle~~~",
     .searchable = true,
     .check = &iTunesItem::validateSubtitle,
     .sortType = "text",
     .undoName = "iTunes Subtitle",
     .helpAnchor = "ItemiTunesSubtitle",
     .label = "Subtitle:",
     .widget = F::Widget::LineEdit,
     .copyFrom = F::CopyFrom::Title,
     .leave = F::Leave::TrimAndInform},
    {.name = "summary",
     .outlet = "ITISummary",
     .element = "summary",
     .read = F::Read::Untrimmed,
     .cutLength = 4000,
     .repairTag = "itunes:summary",
     .archiveKey = "ItemSummary",
     .defaultKey = "FD_AF_IF_EX_ITISummary",
     .feedDefaultKey = "FD_CF_IF_EX_ITISummary",
     .exportToken = "~~~FeediTunesSummary~~~",
     .searchable = true,
     .check = &iTunesItem::validateSummary,
     .sortType = "text",
     .undoName = "iTunes Summary",
     .helpAnchor = "ItemiTunesSummary",
     .label = "Summary:",
     .widget = F::Widget::TextView,
     .copyFrom = F::CopyFrom::Description},
    {.name = "duration",
     .outlet = "ITIDuration",
     .element = "duration",
     .read = F::Read::Repaired,
     .repairTag = "itunes:duration",
     .repair = &iTunesItem::convertStringToHHMMSS,
     .archiveKey = "ItemDuration",
     .defaultKey = "FD_AF_IF_EX_ITIDuration",
     .feedDefaultKey = "FD_CF_IF_EX_ITIDuration",
     .exportToken = "~~~ItemiTunesDuration~~~",
     .searchable = true,
     .check = &iTunesItem::validateDuration,
     .sortType = "number",
     .undoName = "iTunes Duration",
     .helpAnchor = "ItemiTunesDuration",
     .label = "Duration:",
     .widget = F::Widget::LineEdit,
     .leave = F::Leave::Trim,
     .leaveHook = &iTunesItem::normaliseTypedDuration},
    {.name = "keywords",
     .outlet = "ITIKeywords",
     .element = "keywords",
     .cutLength = 255,
     .repairTag = "itunes:keywords",
     .archiveKey = "ItemKeywords",
     .defaultKey = "FD_AF_IF_EX_ITIKeywords",
     .feedDefaultKey = "FD_CF_IF_EX_ITIKeywords",
     .exportToken = "~~~FeediTunesKeywords~~~",
     .searchable = true,
     .check = &iTunesItem::validateKeywords,
     .sortType = "text",
     .undoName = "iTunes Keywords",
     .helpAnchor = "ItemiTunesKeywords",
     .label = "Keywords:",
     .widget = F::Widget::LineEdit,
     .leave = F::Leave::TrimAndInform},
    {.name = "author",
     .outlet = "ITIAuthor",
     .element = "author",
     .cutLength = 255,
     .repairTag = "itunes:author",
     .archiveKey = "ItemAuthor",
     .defaultKey = "FD_AF_IF_EX_ITIAuthor",
     .feedDefaultKey = "FD_CF_IF_EX_ITIAuthor",
     .exportToken = "~~~FeediTunesAuthor~~~",
     .searchable = true,
     .check = &iTunesItem::validateAuthor,
     .logsWarning = true,
     .sortType = "text",
     .undoName = "iTunes Author",
     .helpAnchor = "ItemiTunesAuthor",
     .label = "Author:",
     .widget = F::Widget::LineEdit},
    {.name = "block",
     .outlet = "ITIBlock",
     .element = "block",
     .kind = F::Kind::Flag,
     .read = F::Read::Custom,
     .write = F::Write::Flag,
     .archiveKey = "ItemBlock",
     .defaultKey = "FD_AF_IF_EX_ITIBlockStr",
     .feedDefaultKey = "FD_CF_IF_EX_ITIBlockStr",
     .exportToken = "~~~FeediTunesBlocked~~~",
     .undoName = "Blocked",
     .helpAnchor = "ItemiTunesBlock",
     .label = "Item Blocked From iTunes",
     .widget = F::Widget::CheckBox},
    {.name = "explicit",
     .outlet = "ITIExplicit",
     .element = "explicit",
     .kind = F::Kind::Tristate,
     .read = F::Read::Custom,
     .write = F::Write::Tristate,
     .archiveKey = "ItemExplicit",
     .defaultKey = "FD_AF_IF_EX_ITIExplicitStr",
     .feedDefaultKey = "FD_CF_IF_EX_ITIExplicitStr",
     .exportToken = "~~~FeediTunesExplicit~~~",
     .sortType = "text",
     .undoName = "Explicit",
     .helpAnchor = "ItemiTunesExplicit",
     .label = "Explicit:",
     .widget = F::Widget::PopUp,
     .choices = kExplicitChoices},
};

using I = iTunesItem;
const int kExportOrder[]
    = {I::kSubtitle, I::kSummary, I::kDuration, I::kKeywords, I::kAuthor, I::kExplicit, I::kBlock};

const ExtensionDescriptor kDescriptor = {
    .ns = KnownNamespace::iTunes,
    .place = ExtensionPlace::Item,
    .className = "iTunesItem",
    .elements = kElements,
    .fields = kFields,
    .exportOrder = kExportOrder,
    .htmlRepair = "Removed illegal HTML from the iTunes tag %1",
};

[[maybe_unused]] const bool kRegistered
    = KeyedUnarchiver::registerClass(QStringLiteral("iTunesItem"),
                                     [] { return std::make_shared<iTunesItem>(); })
    && KeyedUnarchiver::registerClass(QStringLiteral("iTunesItemPrefs"),
                                      [] { return std::make_shared<iTunesItemPrefs>(); });

const QString kExampleEnclosure = QStringLiteral("http://www.example.com/file.m4a");

bool isMediaType(QStringView extension)
{
    static const char *const kTypes[] = {"m4a", "m4b", "mp3", "mov", "mp4", "m4v", "pdf"};
    for (const char *type : kTypes) {
        if (extension == QLatin1String(type))
            return true;
    }
    return false;
}

} // namespace

iTunesItem::iTunesItem() : FieldExtension(kDescriptor) { }

const ExtensionDescriptor &iTunesItem::classDescriptor()
{
    return kDescriptor;
}

QString iTunesItem::classDescriptionOfNamespace()
{
    return knownNamespaces::descriptionOfNamespaceShort(KnownNamespace::iTunes);
}

QVariantMap iTunesItem::findSortableTags() const
{
    return sortTagsiTunes::sortTagsDictionary();
}

void iTunesItem::parseCustom(int field, const vlxXMLNode *node)
{
    if (field == kExplicit)
        iTunesFlagWords::readExplicitElement(*this, field, m_explicitRead, node);
    else if (field == kBlock)
        iTunesFlagWords::readBlockElement(*this, field, node);
}

// --- checks ----------------------------------------------------------------------------------

bool iTunesItem::validateSubtitle(const QString &value, VLXError *error)
{
    return ExtensionChecks::notBlank(value, "Subtitle is blank",
                                     "You must enter an iTunes subtitle for this item.", error)
        && ExtensionChecks::atMost(
               value, 255, "Subtitle is to long",
               "The iTunes \"Subtitle\" is limited to 255 characters, it has %1.", error);
}

bool iTunesItem::validateSummary(const QString &value, VLXError *error)
{
    return ExtensionChecks::notBlank(value, "Summary is blank",
                                     "You must enter an iTunes summary for this item.", error)
        && ExtensionChecks::atMost(
               value, 4000, "Summary is to long",
               "The iTunes \"Summary\" is limited to 4000 characters, it has %1.", error);
}

bool iTunesItem::validateDuration(const QString &value, VLXError *error)
{
    if (!ExtensionChecks::notBlank(value, "Duration is blank",
                                   "You must enter a duration for this item.", error))
        return false;
    // The text must say the same time its normal form says, part by part.
    if (!sameAsNormalForm(value))
        return ExtensionChecks::fail(
            error, VLXError::kBadFormat, QStringLiteral("Duration has a bad format"),
            QStringLiteral("The iTunes \"Duration\" is not in the required format"));
    return ExtensionChecks::atMost(
        value, 255, "Duration is to long",
        "The iTunes \"Duration\" is limited to 255 characters, it has %1.", error);
}

bool iTunesItem::validateKeywords(const QString &value, VLXError *error)
{
    return iTunesChannel::validateKeywords(value, error);
}

bool iTunesItem::validateAuthor(const QString &value, VLXError *error)
{
    return iTunesChannel::validateAuthor(value, error);
}

void iTunesItem::validateAndLogAuthor(const QString &value)
{
    VLXError error;
    if (!validateAuthor(value, &error))
        recordWarning(error.localizedDescription());
}

bool iTunesItem::validateAndInformAuthor(const QString &value, QObject *interface)
{
    return FieldRule::inform([&](VLXError *e) { return validateAuthor(value, e); }, interface);
}

// --- durations -------------------------------------------------------------------------------

bool iTunesItem::sameAsNormalForm(const QString &duration)
{
    // The usual forms, one to three runs of at most nine digits joined by colons, are judged
    // without building the normal form: it says the same exactly when no part but the hours
    // (the first of three) reaches 60, since the normal form carries what does.
    std::array<qint64, 3> parts {};
    int count = 1;
    qsizetype digits = 0;
    for (const QChar c : duration) {
        if (c == u':' && digits > 0 && count < 3) {
            ++count;
            digits = 0;
        } else if (c >= u'0' && c <= u'9' && digits < 9) {
            parts[count - 1] = parts[count - 1] * 10 + (c.unicode() - u'0');
            ++digits;
        } else {
            count = 0;
            break;
        }
    }
    if (count == 0 || digits == 0)
        return durationParts(duration) == durationParts(VLXLogic::convertStringToHHMMSS(duration));
    for (int i = count == 3 ? 1 : 0; i < count; ++i) {
        if (parts[i] >= 60)
            return false;
    }
    return true;
}

std::array<int, 3> iTunesItem::durationParts(const QString &text)
{
    const QList<QStringView> parts = QStringView(text).trimmed().split(u':');
    if (parts.size() == 1)
        return {0, 0, ExtensionText::leadingInteger(text)};
    if (parts.size() == 2)
        return {0, ExtensionText::leadingInteger(parts.at(0)),
                ExtensionText::leadingInteger(parts.at(1))};
    return {ExtensionText::leadingInteger(parts.at(0)), ExtensionText::leadingInteger(parts.at(1)),
            ExtensionText::leadingInteger(parts.at(2))};
}

QString iTunesItem::convertStringToHHMMSS(FeedElement &owner, const QString &text,
                                          QLatin1StringView tagName)
{
    if (FieldRule::isBlank(text))
        return QStringLiteral("");
    if (text.trimmed().count(u':') >= 3) {
        owner.recordError(
            QStringLiteral("Unable to convert \"%1\" to a valid HH:MM:SS format for the tag %2"),
            text, tagName);
        return QStringLiteral("");
    }
    const QString normal = VLXLogic::convertStringToHHMMSS(text);
    if (durationParts(text) != durationParts(normal))
        owner.recordRepair(
            QStringLiteral("Converted %1 to a normalized HH:MM:SS format for the tag %2"), text,
            tagName);
    return normal;
}

bool iTunesItem::normaliseTypedDuration(QString &value, QObject *interface)
{
    Q_UNUSED(interface);
    if (FieldRule::isBlank(value))
        return true;
    if (value.count(u':') >= 3)
        return false;
    value = VLXLogic::convertStringToHHMMSS(value);
    return true;
}

// --- enclosures --------------------------------------------------------------------------------

bool iTunesItem::checkURLForFileTypes(const QString &text)
{
    // Validation asks for every item: a plain link's extension is found where it stands.
    if (URLReference::isPlainWebLink(text))
        return isMediaType(URLReference::plainWebLinkExtension(text));
    if (text.trimmed().isEmpty())
        return false;
    const auto url = URLReference::parse(VLXLogic::createSafeLink(text));
    return url && url->hasScheme() && isMediaType(url->pathExtensionView());
}

int iTunesItem::checkURLForFileTypesAndInform(const QString &text, const QString &fieldMessage,
                                              bool useMoreInfo)
{
    if (text.trimmed().isEmpty())
        return VLXLogic::informWarning(
            false, QStringLiteral("Item Enclosure URL can not be blank in an iTunes podcast"),
            useMoreInfo);
    const QString quoted = fieldMessage + u'"' + text + u'"';
    const auto url = URLReference::parse(VLXLogic::createSafeLink(text));
    if (!url || url->path().isEmpty())
        return VLXLogic::informWarning(
            false,
            quoted
                + QStringLiteral(" does not seem to be a valid URL.  URL should be in a "
                                 "format similar to \"")
                + kExampleEnclosure + u'"',
            useMoreInfo);
    if (!url->hasScheme())
        return VLXLogic::informWarning(
            true,
            quoted
                + QStringLiteral(" does not seem to be a completely valid URL.  The "
                                 "scheme is missing or not recognized.  The URL should "
                                 "be in a format similar to \"")
                + kExampleEnclosure + u'"',
            useMoreInfo);
    if (!isMediaType(url->pathExtension()))
        return VLXLogic::informWarning(
            false,
            quoted
                + QStringLiteral(" does not seem to contain a valid iTunes podcast media "
                                 "type (.m4a, .m4b, .mp3, .mov, .mp4, .m4v and .pdf)."),
            useMoreInfo);
    return 1;
}
