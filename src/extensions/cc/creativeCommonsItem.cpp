#include "extensions/cc/creativeCommonsItem.h"

#include "extensions/cc/creativeCommonsItemPrefs.h"
#include "platform/KeyedUnarchiver.h"

namespace {

using F = ExtensionField;

const char *const kElements[] = {"license"};

const ExtensionField kFields[] = {
    {.name = "license",
     .outlet = "licenseURLTable",
     .element = "license",
     .kind = F::Kind::List,
     .read = F::Read::Custom,
     .write = F::Write::Custom,
     .archiveKey = "License",
     .defaultKey = "FD_AF_IF_EX_CCLicense",
     .feedDefaultKey = "FD_CF_IF_EX_CCLicense",
     .searchable = true,
     .undoName = "Edit License URL",
     .helpAnchor = "CreativeCommonsLicense",
     .label = "Licenses:",
     .widget = F::Widget::Table,
     // Entries are added, removed and moved; a URL changes only through find and replace.
     .editsEntries = false,
     .findTitle = "Search & Replace URL"},
};

// The list has no row check of its own: it is checked entry by entry.
const int kValidateOrder[] = {0};

const ExtensionDescriptor kDescriptor = {
    .ns = KnownNamespace::creativeCommons,
    .place = ExtensionPlace::Item,
    .className = "creativeCommonsItem",
    .elements = kElements,
    .fields = kFields,
    .validateOrder = kValidateOrder,
};

// Both classes can be decoded from the settings as soon as the program runs.
[[maybe_unused]] const bool kRegistered
    = KeyedUnarchiver::registerClass(QStringLiteral("creativeCommonsItem"),
                                     [] { return std::make_shared<creativeCommonsItem>(); })
    && KeyedUnarchiver::registerClass(QStringLiteral("creativeCommonsItemPrefs"),
                                      [] { return std::make_shared<creativeCommonsItemPrefs>(); });

} // namespace

creativeCommonsItem::creativeCommonsItem() : CreativeCommonsLicences(kDescriptor) { }

const ExtensionDescriptor &creativeCommonsItem::classDescriptor()
{
    return kDescriptor;
}

QString creativeCommonsItem::classDescriptionOfNamespace()
{
    return knownNamespaces::descriptionOfNamespaceShort(KnownNamespace::creativeCommons);
}

QString creativeCommonsItem::exportToken() const
{
    return QStringLiteral("~~~ItemCreativeCommons~~~");
}
