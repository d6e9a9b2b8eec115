#include "extensions/trackback/trackBackChannel.h"

#include "extensions/trackback/trackBackChannelPrefs.h"

namespace {

const ExtensionDescriptor kDescriptor = {
    .ns = KnownNamespace::trackBack,
    .place = ExtensionPlace::Channel,
    .className = "trackBackChannel",
    .elements = {},
    .fields = {},
};

[[maybe_unused]] const bool kRegistered
    = KeyedUnarchiver::registerClass(QStringLiteral("trackBackChannel"),
                                     [] { return std::make_shared<trackBackChannel>(); })
    && KeyedUnarchiver::registerClass(QStringLiteral("trackBackChannelPrefs"),
                                      [] { return std::make_shared<trackBackChannelPrefs>(); });

} // namespace

trackBackChannel::trackBackChannel() : FieldExtension(kDescriptor) { }

const ExtensionDescriptor &trackBackChannel::classDescriptor()
{
    return kDescriptor;
}

QString trackBackChannel::classDescriptionOfNamespace()
{
    return knownNamespaces::descriptionOfNamespace(KnownNamespace::trackBack);
}

QString trackBackChannel::classDescriptionOfNamespaceShort()
{
    return knownNamespaces::descriptionOfNamespaceShort(KnownNamespace::trackBack);
}
