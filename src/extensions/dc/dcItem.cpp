#include "extensions/dc/dcItem.h"

#include "extensions/dc/dcItemPrefs.h"
#include "extensions/dc/sortTagsDublinCore.h"
#include "model/VLXItems.h"
#include "model/VLXLogic.h"

#include <array>

namespace {

using F = ExtensionField;
using R = DublinCoreRows;

#define VLX_DC_ITEM_ROW(el, Name)                                                                  \
    R::withRules(ExtensionField {.name = #el,                                                      \
                                 .outlet = "DCI" #Name,                                            \
                                 .element = #el,                                                   \
                                 .read = F::Read::Plain,                                           \
                                 .archiveKey = "dc" #Name,                                         \
                                 .defaultKey = "FD_AF_IF_EX_DC" #Name,                             \
                                 .feedDefaultKey = "FD_CF_IF_EX_DC" #Name,                         \
                                 .exportToken = "~~~ItemDC" #Name "~~~",                           \
                                 .searchable = true,                                               \
                                 .sortType = "text",                                               \
                                 .undoName = "Feed dc " #Name,                                     \
                                 .helpAnchor = "DC" #Name,                                         \
                                 .label = #Name ":",                                               \
                                 .keepsMarkup = true},                                             \
                 R::k##Name),

const auto kFields = [] {
    std::array<ExtensionField, R::kCount> rows = {{VLX_DC_ELEMENTS(VLX_DC_ITEM_ROW)}};
    // Only the description loses the markup typed into it.
    rows[R::kDescription].undoName = "dc Description";
    rows[R::kDescription].keepsMarkup = false;
    rows[R::kDate].sortType = "date";
    rows[R::kSubject].sortType = nullptr;
    rows[R::kLanguage].undoName = "dc Language";
    return rows;
}();

const ExtensionDescriptor kDescriptor = {
    .ns = KnownNamespace::dublinCore,
    .place = ExtensionPlace::Item,
    .className = "dcItem",
    .elements = R::kElements,
    .fields = kFields,
};

[[maybe_unused]] const bool kRegistered
    = KeyedUnarchiver::registerClass(QStringLiteral("dcItem"),
                                     [] { return std::make_shared<dcItem>(); })
    && KeyedUnarchiver::registerClass(QStringLiteral("dcItemPrefs"),
                                      [] { return std::make_shared<dcItemPrefs>(); });

const QString kDateDiffers = QStringLiteral(
    "This items's pubDate and dc:date represent the same thing, but they have different values.  "
    "There is a high probability this will cause confusion in feed readers and feed "
    "aggregators.");

} // namespace

dcItem::dcItem() : FieldExtension(kDescriptor) { }

const ExtensionDescriptor &dcItem::classDescriptor()
{
    return kDescriptor;
}

QString dcItem::classDescriptionOfNamespace()
{
    return knownNamespaces::descriptionOfNamespaceShort(KnownNamespace::dublinCore);
}

QVariantMap dcItem::findSortableTags() const
{
    return sortTagsDublinCore::sortTagsDictionary();
}

void dcItem::validate(VLXFeed *, VLXItems *parent)
{
    if (isEmpty() || dateElement().isEmpty())
        return;
    setDateElement(VLXLogic::FixRDFInternetDateTime(dateElement(), true, this));
    const QString pubDate = parent ? parent->pubDate() : QString();
    if (pubDate.isEmpty())
        return;
    if (VLXLogic::InternetDateTime(pubDate) != VLXLogic::RDFInternetDateTime(dateElement()))
        recordWarning(kDateDiffers);
}
