#include "extensions/dc/dcImage.h"

#include "extensions/dc/dcImagePrefs.h"
#include "model/VLXLogic.h"

#include <array>

namespace {

using F = ExtensionField;
using R = DublinCoreRows;

#define VLX_DC_IMAGE_ROW(el, Name)                                                                 \
    R::withRules(ExtensionField {.name = #el,                                                      \
                                 .outlet = "DCIM" #Name,                                           \
                                 .element = #el,                                                   \
                                 .read = F::Read::Plain,                                           \
                                 .archiveKey = "dc" #Name,                                         \
                                 .defaultKey = "FD_AF_IM_EX_DC" #Name,                             \
                                 .searchable = true,                                               \
                                 .undoName = "Image dc " #Name,                                    \
                                 .helpAnchor = "DC" #Name,                                         \
                                 .label = #Name ":",                                               \
                                 .keepsMarkup = true},                                             \
                 R::k##Name),

const auto kFields = [] {
    std::array<ExtensionField, R::kCount> rows = {{VLX_DC_ELEMENTS(VLX_DC_IMAGE_ROW)}};
    // A language chosen for the image leaves the automatic publication date alone.
    rows[R::kLanguage].refreshesDate = false;
    return rows;
}();

const ExtensionDescriptor kDescriptor = {
    .ns = KnownNamespace::dublinCore,
    .place = ExtensionPlace::Image,
    .className = "dcImage",
    .elements = R::kElements,
    .fields = kFields,
};

[[maybe_unused]] const bool kRegistered
    = KeyedUnarchiver::registerClass(QStringLiteral("dcImage"),
                                     [] { return std::make_shared<dcImage>(); })
    && KeyedUnarchiver::registerClass(QStringLiteral("dcImagePrefs"),
                                      [] { return std::make_shared<dcImagePrefs>(); });

} // namespace

dcImage::dcImage() : FieldExtension(kDescriptor) { }

const ExtensionDescriptor &dcImage::classDescriptor()
{
    return kDescriptor;
}

QString dcImage::classDescriptionOfNamespace()
{
    return knownNamespaces::descriptionOfNamespaceShort(KnownNamespace::dublinCore);
}

void dcImage::validate(VLXFeed *)
{
    if (isEmpty() || dateElement().isEmpty())
        return;
    setDateElement(VLXLogic::FixRDFInternetDateTime(dateElement(), true, this));
}
