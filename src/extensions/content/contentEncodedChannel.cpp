#include "extensions/content/contentEncodedChannel.h"

#include "extensions/content/ContentEncodedRow.h"
#include "extensions/content/contentEncodedChannelPrefs.h"

namespace {

const ExtensionField kFields[] = {ContentEncodedRow::row(
    "FeedContentEncoded", "ChannelContentEncoded", "FD_AF_FF_EX_ContentEncoded", nullptr, nullptr)};

const ExtensionDescriptor kDescriptor = {
    .ns = KnownNamespace::contentEncoded,
    .place = ExtensionPlace::Channel,
    .className = "contentEncodedChannel",
    .elements = ContentEncodedRow::kElements,
    .fields = kFields,
};

[[maybe_unused]] const bool kRegistered
    = KeyedUnarchiver::registerClass(QStringLiteral("contentEncodedChannel"),
                                     [] { return std::make_shared<contentEncodedChannel>(); })
    && KeyedUnarchiver::registerClass(QStringLiteral("contentEncodedChannelPrefs"), [] {
           return std::make_shared<contentEncodedChannelPrefs>();
       });

} // namespace

contentEncodedChannel::contentEncodedChannel() : FieldExtension(kDescriptor) { }

const ExtensionDescriptor &contentEncodedChannel::classDescriptor()
{
    return kDescriptor;
}

QString contentEncodedChannel::classDescriptionOfNamespace()
{
    return knownNamespaces::descriptionOfNamespace(KnownNamespace::contentEncoded);
}

QString contentEncodedChannel::classDescriptionOfNamespaceShort()
{
    return knownNamespaces::descriptionOfNamespaceShort(KnownNamespace::contentEncoded);
}

QString contentEncodedChannel::buildCustom(int, const QString &prefix) const
{
    return ContentEncodedRow::cdataLine(prefix, encoded());
}

void contentEncodedChannel::appendCustom(UTF8Writer &out, int, const QString &prefix) const
{
    ContentEncodedRow::appendFieldLine(out, prefix, *this, kEncoded);
}
