#include "extensions/itunes/iTunesChannel.h"

#include "extensions/ExtensionChecks.h"
#include "extensions/OwnElementNames.h"
#include "extensions/itunes/iTunesCategoryTree.h"
#include "extensions/itunes/iTunesChannelPrefs.h"
#include "extensions/itunes/iTunesFlagWords.h"
#include "extensions/itunes/iTunesRetiredCategories.h"
#include "model/URLReference.h"
#include "model/VLXLogic.h"
#include "platform/AlertService.h"
#include "platform/ContextHelp.h"
#include "xml/vlxXMLDOM.h"

const QString iTunesChannel::kNewFeedURLNote = QStringLiteral(
    "The \"New Feed URL\" is rarely needed.  It should only have a value if the location of your "
    "feed has changed.  Then, \"New Feed URL\" is the URL to the new location of the feed.");

namespace {

using F = ExtensionField;

// Leaving the new feed URL: a URL that does not look right is explained, then the user is
// reminded that the field is rarely needed.
bool leaveNewFeedURL(QString &value, QObject *interface)
{
    if (value.trimmed().isEmpty())
        return true;
    if (VLXLogic::checkURLAndInform(
            value,
            QStringLiteral("The URL entered in \"New Feed URL\" does not appear to be valid.  "),
            true)
        == AlertService::kOther)
        ContextHelp::show(interface);
    Alert note;
    note.style = Alert::Style::Informational;
    note.title = QStringLiteral("New Feed URL");
    note.message = iTunesChannel::kNewFeedURLNote;
    AlertService::show(note);
    return true;
}

// Parse order: a document's element is dispatched on its position here.
const char *const kElements[] = {"block",    "category", "explicit", "keywords", "owner",
                                 "subtitle", "summary",  "image",    "author",   "new-feed-url"};
const char *const kExplicitChoices[] = {"Clean", "No", "Yes"};

const ExtensionField kFields[] = {
    {.name = "subtitle",
     .outlet = "ITCSubtitle",
     .element = "subtitle",
     .read = F::Read::Untrimmed,
     .cutLength = 255,
     .repairTag = "itunes:subtitle",
     .archiveKey = "ChannelSubtitle",
     .defaultKey = "FD_AF_FF_EX_ITCSubtitle",
     .exportToken = "~~~FeediTunesSubtitle~~~",
     .searchable = true,
     .check = &iTunesChannel::validateSubtitle,
     .undoName = "iTunes Subtitle",
     .helpAnchor = "FeediTunesSubtitle",
     .label = "Subtitle:",
     .widget = F::Widget::LineEdit,
     .copyFrom = F::CopyFrom::Title,
     .leave = F::Leave::TrimAndInform},
    {.name = "summary",
     .outlet = "ITCSummary",
     .element = "summary",
     .read = F::Read::Untrimmed,
     .cutLength = 4000,
     .repairTag = "itunes:summary",
     .archiveKey = "ChannelSummary",
     .defaultKey = "FD_AF_FF_EX_ITCSummary",
     .exportToken = "~~~FeediTunesSummary~~~",
     .searchable = true,
     .check = &iTunesChannel::validateSummary,
     .undoName = "iTunes Summary",
     .helpAnchor = "FeediTunesSummary",
     .label = "Summary:",
     .widget = F::Widget::TextView,
     .copyFrom = F::CopyFrom::Description},
    {.name = "category",
     .outlet = "ITCCategoryTable",
     .element = "category",
     .kind = F::Kind::List,
     .read = F::Read::Custom,
     .write = F::Write::Custom,
     .archiveKey = "ChannelCategory",
     .defaultKey = "FD_AF_FF_EX_ITCCategory",
     .helpAnchor = "FeediTunesCategory",
     .label = "Categories:",
     .widget = F::Widget::Table},
    {.name = "keywords",
     .outlet = "ITCKeywords",
     .element = "keywords",
     .cutLength = 255,
     .repairTag = "itunes:keywords",
     .archiveKey = "ChannelKeywords",
     .defaultKey = "FD_AF_FF_EX_ITCKeywords",
     .exportToken = "~~~FeediTunesKeywords~~~",
     .searchable = true,
     .check = &iTunesChannel::validateKeywords,
     .undoName = "iTunes Keywords",
     .helpAnchor = "FeediTunesKeywords",
     .label = "Keywords:",
     .widget = F::Widget::LineEdit,
     .leave = F::Leave::TrimAndInform},
    {.name = "author",
     .outlet = "ITCAuthor",
     .element = "author",
     .cutLength = 255,
     .repairTag = "itunes:author",
     .archiveKey = "ChannelAuthor",
     .defaultKey = "FD_AF_FF_EX_ITCAuthor",
     .exportToken = "~~~FeediTunesAuthor~~~",
     .searchable = true,
     .check = &iTunesChannel::validateAuthor,
     .undoName = "iTunes Author",
     .helpAnchor = "FeediTunesAuthor",
     .label = "Author:",
     .widget = F::Widget::LineEdit,
     .leave = F::Leave::TrimAndInform},
    {.name = "ownerName",
     .outlet = "ITCOwnerName",
     .element = "owner",
     .child = "name",
     .cutLength = 255,
     .repairTag = "itunes:ownerName",
     .archiveKey = "ChannelOwnerName",
     .defaultKey = "FD_AF_FF_EX_ITCOwnerName",
     .exportToken = "~~~FeediTunesOwnerName~~~",
     .searchable = true,
     .check = &iTunesChannel::validateOwnerName,
     .undoName = "iTunes Owner Name",
     .helpAnchor = "FeediTunesOwnerName",
     .label = "Owner Name:",
     .widget = F::Widget::LineEdit,
     .leave = F::Leave::TrimAndInform},
    {.name = "ownerEmail",
     .outlet = "ITCOwnerEmail",
     .element = "owner",
     .child = "email",
     .cutLength = 255,
     .repairTag = "itunes:ownerEmail",
     .archiveKey = "ChannelOwnerEmail",
     .defaultKey = "FD_AF_FF_EX_ITCOwnerEmail",
     .exportToken = "~~~FeediTunesOwnerEmail~~~",
     .searchable = true,
     .check = &iTunesChannel::validateOwnerEmail,
     .undoName = "iTunes Owner Email",
     .helpAnchor = "FeediTunesOwnerEmail",
     .label = "Owner Email:",
     .widget = F::Widget::LineEdit,
     .leave = F::Leave::TrimAndInform},
    {.name = "image",
     .outlet = "ITCImage",
     .element = "image",
     .attribute = "href",
     .read = F::Read::Link,
     .write = F::Write::LinkAttribute,
     .cutLength = 255,
     .archiveKey = "ChannelImage",
     .defaultKey = "FD_AF_FF_EX_ITCImage",
     .exportToken = "~~~FeediTunesImage~~~",
     .searchable = true,
     .check = &iTunesChannel::validateImage,
     .undoName = "iTunes Image",
     .helpAnchor = "FeediTunesImage",
     .label = "Image URL:",
     .widget = F::Widget::LineEdit,
     .leave = F::Leave::TrimAndInform},
    {.name = "newFeedURL",
     .outlet = "ITCNewFeedURL",
     .element = "new-feed-url",
     .read = F::Read::Link,
     .cutLength = 255,
     .archiveKey = "ChannelNewFeedURL",
     .searchable = true,
     .undoName = "iTunes New Feed URL",
     .helpAnchor = "FeediTunesNewFeedURL",
     .label = "New Feed URL:",
     .widget = F::Widget::LineEdit,
     .leave = F::Leave::Trim,
     .leaveHook = &leaveNewFeedURL},
    {.name = "block",
     .outlet = "ITCBlock",
     .element = "block",
     .kind = F::Kind::Flag,
     .read = F::Read::Custom,
     .write = F::Write::Flag,
     .archiveKey = "ChannelBlock",
     .defaultKey = "FD_AF_FF_EX_ITCBlockStr",
     .exportToken = "~~~FeediTunesBlocked~~~",
     .undoName = "Blocked",
     .helpAnchor = "FeediTunesBlock",
     .label = "Feed Blocked From iTunes",
     .widget = F::Widget::CheckBox},
    {.name = "explicit",
     .outlet = "ITCExplicit",
     .element = "explicit",
     .kind = F::Kind::Tristate,
     .read = F::Read::Custom,
     .write = F::Write::Tristate,
     .archiveKey = "ChannelExplicit",
     .defaultKey = "FD_AF_FF_EX_ITCExplicitStr",
     .exportToken = "~~~FeediTunesExplicit~~~",
     .undoName = "Explicit",
     .helpAnchor = "FeediTunesExplicit",
     .label = "Explicit:",
     .widget = F::Widget::PopUp,
     .choices = kExplicitChoices},
};

using C = iTunesChannel;
const int kWriteOrder[]
    = {C::kSubtitle,  C::kSummary, C::kCategory,   C::kKeywords, C::kAuthor,  C::kOwnerEmail,
       C::kOwnerName, C::kImage,   C::kNewFeedURL, C::kBlock,    C::kExplicit};
const int kExportOrder[] = {C::kSubtitle,   C::kSummary,   C::kCategory, C::kKeywords, C::kAuthor,
                            C::kOwnerEmail, C::kOwnerName, C::kImage,    C::kExplicit, C::kBlock};
const int kValidateOrder[] = {C::kSubtitle,  C::kSummary,    C::kCategory, C::kKeywords,
                              C::kOwnerName, C::kOwnerEmail, C::kAuthor,   C::kImage};

const ExtensionDescriptor kDescriptor = {
    .ns = KnownNamespace::iTunes,
    .place = ExtensionPlace::Channel,
    .className = "iTunesChannel",
    .elements = kElements,
    .fields = kFields,
    .writeOrder = kWriteOrder,
    .exportOrder = kExportOrder,
    .validateOrder = kValidateOrder,
    .htmlRepair = "Removed illegal HTML from the iTunes tag %1",
    .oldURIRepair = "Old iTunes DTDURL used %1",
};

// Both classes can be decoded from the settings as soon as the program runs.
[[maybe_unused]] const bool kRegistered
    = KeyedUnarchiver::registerClass(QStringLiteral("iTunesChannel"),
                                     [] { return std::make_shared<iTunesChannel>(); })
    && KeyedUnarchiver::registerClass(QStringLiteral("iTunesChannelPrefs"),
                                      [] { return std::make_shared<iTunesChannelPrefs>(); });

} // namespace

iTunesChannel::iTunesChannel() : FieldExtension(kDescriptor) { }

const ExtensionDescriptor &iTunesChannel::classDescriptor()
{
    return kDescriptor;
}

QString iTunesChannel::classDescriptionOfNamespace()
{
    return knownNamespaces::descriptionOfNamespace(KnownNamespace::iTunes);
}

QString iTunesChannel::classDescriptionOfNamespaceShort()
{
    return knownNamespaces::descriptionOfNamespaceShort(KnownNamespace::iTunes);
}

// --- the category list -------------------------------------------------------------------------

void iTunesChannel::setCategory(const QList<iTunesCategory> &list)
{
    if (list == m_category)
        return;
    m_category = list;
    fieldChanged(kCategory);
}

void iTunesChannel::addCategory(const iTunesCategory &entry)
{
    m_category.append(entry);
    fieldChanged(kCategory);
}

void iTunesChannel::replaceCategoryAtIndex(const iTunesCategory &entry, int index)
{
    if (index < 0 || index >= m_category.size())
        return;
    m_category[index] = entry;
    fieldChanged(kCategory);
}

void iTunesChannel::removeCategoryAtIndex(int index)
{
    if (index < 0 || index >= m_category.size())
        return;
    m_category.removeAt(index);
    fieldChanged(kCategory);
}

int iTunesChannel::listCount(int field) const
{
    return field == kCategory ? int(m_category.size()) : 0;
}

QString iTunesChannel::listCellText(int field, int row, const QString &column) const
{
    Q_UNUSED(column);
    if (field != kCategory || row < 0 || row >= m_category.size())
        return QString();
    return m_category.at(row).displayValue();
}

QStringList iTunesChannel::listDisplayValues(int field) const
{
    QStringList rows;
    if (field == kCategory) {
        for (const iTunesCategory &entry : m_category)
            rows.append(entry.displayValue());
    }
    return rows;
}

void iTunesChannel::parseCustom(int field, const vlxXMLNode *node)
{
    if (field == kExplicit)
        iTunesFlagWords::readExplicitElement(*this, field, m_explicitRead, node);
    if (field == kBlock)
        iTunesFlagWords::readBlockElement(*this, field, node);
    if (field != kCategory)
        return;
    iTunesCategory entry;
    entry.setCategory(vlxXMLDOM::attributeOfNode(node, QStringLiteral("text")));
    // The last sub-category given wins; it may stand under any prefix of the namespace.
    const int count = vlxXMLDOM::numberOfChildren(node);
    for (int i = 0; i < count; ++i) {
        const vlxXMLNode *child = vlxXMLDOM::nodeAtIndex(i, node);
        if (OwnElementNames::isChildNamed(child, node, KnownNamespace::iTunes,
                                          extensionProcessingName(), QLatin1StringView("category")))
            entry.setSubCategory(
                vlxXMLDOM::attributeOfNode(child, QStringLiteral("text")).trimmed());
    }
    addCategory(entry);
}

QString iTunesChannel::buildCustom(int field, const QString &prefix) const
{
    QString xml;
    if (field != kCategory)
        return xml;
    for (const iTunesCategory &entry : m_category) {
        if (entry.category().isEmpty())
            continue;
        const QString category = VLXLogic::encodeSpecialXMLChars(entry.category());
        if (entry.subCategory().isEmpty()) {
            xml += prefix + QLatin1String("<itunes:category text=\"") + category
                + QLatin1String("\"/>\n");
            continue;
        }
        xml += prefix + QLatin1String("<itunes:category text=\"") + category
            + QLatin1String("\">\n") + prefix + QLatin1String("    <itunes:category text=\"")
            + VLXLogic::encodeSpecialXMLChars(entry.subCategory()) + QLatin1String("\"/>\n")
            + prefix + QLatin1String("</itunes:category>\n");
    }
    return xml;
}

QVariant iTunesChannel::customValue(int field) const
{
    return field == kCategory ? QVariant::fromValue(m_category) : QVariant();
}

void iTunesChannel::setCustomValue(int field, const QVariant &value)
{
    if (field == kCategory)
        setCategory(iTunesCategory::fromArchivable(value));
}

QVariant iTunesChannel::archiveCustom(int field) const
{
    return field == kCategory ? QVariant(iTunesCategory::toArchivable(m_category)) : QVariant();
}

void iTunesChannel::applyCustomDefault(int field, const QVariant &setting)
{
    const QList<iTunesCategory> list = iTunesCategory::fromArchivable(setting);
    if (field == kCategory && !list.isEmpty())
        setCategory(list);
}

bool iTunesChannel::customIsEmpty(int field) const
{
    return field != kCategory || m_category.isEmpty();
}

QList<FieldExtensionBase::ExportedValue> iTunesChannel::exportCustom(int field) const
{
    if (field != kCategory)
        return {};
    const iTunesCategory first = m_category.isEmpty() ? iTunesCategory() : m_category.first();
    return {{QStringLiteral("~~~FeediTunesCategory~~~"), first.category()},
            {QStringLiteral("~~~FeediTunesSubCategory~~~"), first.subCategory()}};
}

void iTunesChannel::validateCustom(int field)
{
    if (field == kCategory)
        validateAndLogCategory(m_category);
}

// --- reading repairs and validation ------------------------------------------------------------

void iTunesChannel::finalProcessing(VLXFeed *feed)
{
    Q_UNUSED(feed);
    QList<iTunesCategory> list = m_category;
    iTunesRetiredCategories::migrate(list, *this);
    setCategory(list);
}

void iTunesChannel::validate(VLXFeed *feed)
{
    if (isEmpty())
        return;
    FieldExtension::validate(feed);
    const QString url = newFeedURL();
    if (!url.trimmed().isEmpty()) {
        recordWarning(kNewFeedURLNote);
        if (!VLXLogic::checkURL(url))
            recordError(QStringLiteral("The \"New Feed URL\" is invalid or incomplete"));
    }
    const qsizetype bytes = url.toUtf8().size();
    if (bytes >= 256)
        recordError(
            QStringLiteral("The iTunes is \"New Feed URL\" limited to 255 characters, it has %1")
                .arg(bytes));
}

// --- checks ----------------------------------------------------------------------------------

bool iTunesChannel::validateSubtitle(const QString &value, VLXError *error)
{
    return ExtensionChecks::notBlank(value, "Subtitle is blank",
                                     "You must enter an iTunes subtitle for the feed.", error)
        && ExtensionChecks::atMost(
               value, 255, "Subtitle is to long",
               "The iTunes \"Subtitle\" is limited to 255 characters, it has %1.", error);
}

bool iTunesChannel::validateSummary(const QString &value, VLXError *error)
{
    return ExtensionChecks::notBlank(value, "Summary is blank",
                                     "You must enter an iTunes summary for the feed.", error)
        && ExtensionChecks::atMost(
               value, 4000, "Summary is to long",
               "The iTunes \"Summary\" is limited to 4000 characters, it has %1.", error);
}

bool iTunesChannel::validateKeywords(const QString &value, VLXError *error)
{
    if (FieldRule::isBlank(value))
        return true;
    // The splits count on the text as typed, blanks around the commas included.
    if (value.contains(u',') && value.split(u',').size() > 12)
        return ExtensionChecks::fail(error, VLXError::kContent, QStringLiteral("Too many Keywords"),
                                     QStringLiteral("iTunes doesn't allow more then 12 Keywords"));
    if (!value.contains(u',') && value.contains(u' '))
        return ExtensionChecks::fail(
            error, VLXError::kContent, QStringLiteral("Keywords need commas"),
            QStringLiteral(
                "The iTunes Keywords should use commas to separate the words or phrases"));
    return ExtensionChecks::atMost(
        value, 255, "Keywords is to long",
        "The iTunes \"Keywords\" is limited to 255 characters, it has %1.", error);
}

bool iTunesChannel::validateAuthor(const QString &value, VLXError *error)
{
    return FieldRule::isBlank(value)
        || ExtensionChecks::atMost(value, 255, "Author is to long",
                                   "The iTunes \"Author\" is limited to 255 characters, it has %1.",
                                   error);
}

bool iTunesChannel::validateOwnerName(const QString &value, VLXError *error)
{
    return ExtensionChecks::notBlank(
               value, "Owner Name is blank",
               "The iTunes \"Owner Name\" needs to contain the name of the owner to allow Apple "
               "to contact you if there are problems with the feed",
               error)
        && ExtensionChecks::atMost(
               value, 255, "Owner Name is to long",
               "The iTunes \"Owner Name\" is limited to 255 characters, it has %1.", error);
}

bool iTunesChannel::validateOwnerEmail(const QString &value, VLXError *error)
{
    static const char *const kText
        = "The iTunes \"Owner Email\" needs to contain the email address of the owner to allow "
          "Apple to contact you if there are problems with the feed";
    if (!ExtensionChecks::notBlank(value, "Owner Email is blank", kText, error))
        return false;
    if (!VLXLogic::checkEMail(value.trimmed()))
        return ExtensionChecks::fail(error, VLXError::kContent,
                                     QStringLiteral("Owner Email is invalid"),
                                     QString::fromUtf8(kText));
    return ExtensionChecks::atMost(
        value, 255, "Owner Email is to long",
        "The iTunes \"Owner Email\" is limited to 255 characters, it has %1.", error);
}

bool iTunesChannel::validateImage(const QString &value, VLXError *error)
{
    if (!ExtensionChecks::notBlank(value, "Image is blank", "Image link should not be blank",
                                   error))
        return false;
    const QString trimmed = value.trimmed();
    if (!VLXLogic::checkURL(trimmed))
        return ExtensionChecks::fail(error, VLXError::kContent, QStringLiteral("Image is invalid"),
                                     QStringLiteral("Image link is not a valid URL"));
    if (!checkURLForImageTypes(trimmed))
        return ExtensionChecks::fail(
            error, VLXError::kContent, QStringLiteral("Image is invalid type"),
            QStringLiteral(
                "The iTunes Image specifies an image type that is not supported by iTunes"));
    return ExtensionChecks::atMost(value, 255, "Image is to long",
                                   "The iTunes \"Image\" is limited to 255 characters, it has %1.",
                                   error);
}

bool iTunesChannel::checkURLForImageTypes(const QString &text)
{
    if (text.trimmed().isEmpty())
        return true;
    const auto url = URLReference::parse(VLXLogic::createSafeLink(text));
    if (!url || !url->hasScheme())
        return false;
    const QString extension = url->pathExtension();
    return extension == QLatin1String("jpg") || extension == QLatin1String("png");
}

bool iTunesChannel::validateCategory(const QList<iTunesCategory> &list, VLXError *error)
{
    if (list.isEmpty())
        return ExtensionChecks::fail(
            error, VLXError::kContent, QStringLiteral("No Categories"),
            QStringLiteral("At least one iTunes category must be selected."));
    if (list.size() > 3)
        return ExtensionChecks::fail(
            error, VLXError::kContent, QStringLiteral("Too many Categories"),
            QStringLiteral("iTunes doesn't allow more then 3 categories."));
    return true;
}

bool iTunesChannel::validateCategoryAtIndex(const QList<iTunesCategory> &list, int index,
                                            VLXError *error)
{
    if (index < 0 || index >= list.size())
        return true;
    const iTunesCategory &entry = list.at(index);
    if (entry.category().isEmpty())
        return ExtensionChecks::fail(error, VLXError::kContent, QStringLiteral("Invalid Category"),
                                     QStringLiteral("Category can not be empty"));
    if (iTunesCategoryTree::contains(entry.category(), entry.subCategory()))
        return true;
    const QString name = entry.subCategory().isEmpty()
        ? entry.category()
        : entry.category() + u'/' + entry.subCategory();
    return ExtensionChecks::fail(
        error, VLXError::kContent, QStringLiteral("Old Category"),
        QStringLiteral(
            "The Category \"%1\" is not one of the categories currently supported by iTunes")
            .arg(name));
}

void iTunesChannel::validateAndLogCategory(const QList<iTunesCategory> &list)
{
    VLXError error;
    if (!validateCategory(list, &error)) {
        FieldRule::logFailure(*this, error);
        return;
    }
    for (int i = 0; i < list.size(); ++i)
        FieldRule::log(*this, [&](VLXError *e) { return validateCategoryAtIndex(list, i, e); });
}

bool iTunesChannel::validateAndInformCategory(const QList<iTunesCategory> &list, QObject *interface)
{
    if (!FieldRule::inform([&](VLXError *e) { return validateCategory(list, e); }, interface))
        return false;
    for (int i = 0; i < list.size(); ++i) {
        if (!FieldRule::inform([&](VLXError *e) { return validateCategoryAtIndex(list, i, e); },
                               interface))
            return false;
    }
    return true;
}
