#include "extensions/content/contentEncodedItem.h"

#include "extensions/content/ContentEncodedRow.h"
#include "extensions/content/contentEncodedItemPrefs.h"
#include "extensions/content/sortTagscontentEncoded.h"

namespace {

const ExtensionField kFields[]
    = {ContentEncodedRow::row("ItemContentEncoded", "ItemContentEncoded",
                              "FD_AF_IF_EX_ContentEncoded", "FD_CF_IF_EX_ContentEncoded", "text")};

const ExtensionDescriptor kDescriptor = {
    .ns = KnownNamespace::contentEncoded,
    .place = ExtensionPlace::Item,
    .className = "contentEncodedItem",
    .elements = ContentEncodedRow::kElements,
    .fields = kFields,
};

[[maybe_unused]] const bool kRegistered
    = KeyedUnarchiver::registerClass(QStringLiteral("contentEncodedItem"),
                                     [] { return std::make_shared<contentEncodedItem>(); })
    && KeyedUnarchiver::registerClass(QStringLiteral("contentEncodedItemPrefs"),
                                      [] { return std::make_shared<contentEncodedItemPrefs>(); });

} // namespace

contentEncodedItem::contentEncodedItem() : FieldExtension(kDescriptor) { }

const ExtensionDescriptor &contentEncodedItem::classDescriptor()
{
    return kDescriptor;
}

QString contentEncodedItem::classDescriptionOfNamespace()
{
    return knownNamespaces::descriptionOfNamespaceShort(KnownNamespace::contentEncoded);
}

QVariantMap contentEncodedItem::findSortableTags() const
{
    return sortTagscontentEncoded::sortTagsDictionary();
}

QString contentEncodedItem::buildCustom(int, const QString &prefix) const
{
    return ContentEncodedRow::cdataLine(prefix, encoded());
}

void contentEncodedItem::appendCustom(UTF8Writer &out, int, const QString &prefix) const
{
    ContentEncodedRow::appendFieldLine(out, prefix, *this, kEncoded);
}
