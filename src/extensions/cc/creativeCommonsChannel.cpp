#include "extensions/cc/creativeCommonsChannel.h"

#include "extensions/cc/creativeCommonsChannelPrefs.h"
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
     .defaultKey = "FD_AF_FF_EX_CCLicense",
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
    .place = ExtensionPlace::Channel,
    .className = "creativeCommonsChannel",
    .elements = kElements,
    .fields = kFields,
    .validateOrder = kValidateOrder,
};

// Both classes can be decoded from the settings as soon as the program runs.
[[maybe_unused]] const bool kRegistered
    = KeyedUnarchiver::registerClass(QStringLiteral("creativeCommonsChannel"),
                                     [] { return std::make_shared<creativeCommonsChannel>(); })
    && KeyedUnarchiver::registerClass(QStringLiteral("creativeCommonsChannelPrefs"), [] {
           return std::make_shared<creativeCommonsChannelPrefs>();
       });

} // namespace

creativeCommonsChannel::creativeCommonsChannel() : CreativeCommonsLicences(kDescriptor) { }

const ExtensionDescriptor &creativeCommonsChannel::classDescriptor()
{
    return kDescriptor;
}

QString creativeCommonsChannel::classDescriptionOfNamespace()
{
    return knownNamespaces::descriptionOfNamespace(KnownNamespace::creativeCommons);
}

QString creativeCommonsChannel::classDescriptionOfNamespaceShort()
{
    return knownNamespaces::descriptionOfNamespaceShort(KnownNamespace::creativeCommons);
}

QString creativeCommonsChannel::exportToken() const
{
    return QStringLiteral("~~~FeedCreativeCommons~~~");
}
