#include "document/ExtensionFieldTable.h"

#include "document/FeedDocument.h"
#include "document/FeedFields.h"
#include "extensions/FieldExtensionBase.h"
#include "model/VLXFeed.h"
#include "model/VLXImage.h"
#include "model/VLXItems.h"
#include "model/extensionManagerChannel.h"
#include "model/extensionManagerImage.h"
#include "model/extensionManagerItem.h"

#include <QHash>

namespace {

using Field = ExtensionField;

FieldKind kindOf(const ExtensionField &row)
{
    switch (row.widget) {
    case Field::Widget::TextView:
    case Field::Widget::HTML:
        return FieldKind::Text;
    case Field::Widget::CheckBox:
    case Field::Widget::PopUp:
    case Field::Widget::Language:
    case Field::Widget::Words:
        // Like a pop-up of the window: the record keeps the dates, not the AutoPubDate box.
        return FieldKind::Choice;
    default:
        return FieldKind::Line;
    }
}

const placedExtensionManager *managerOf(const FeedDocument &document, FieldScope scope, int item)
{
    switch (scope) {
    case FieldScope::Channel:
        return document.feed()->XMLExtensions();
    case FieldScope::Item:
        if (const VLXItems *target = document.item(item))
            return target->XMLExtensions();
        return nullptr;
    case FieldScope::Image:
        if (const VLXImage *image = document.image())
            return image->XMLExtensions();
        return nullptr;
    }
    return nullptr;
}

} // namespace

FieldScope ExtensionFieldTable::scopeOf(const ExtensionDescriptor &descriptor)
{
    switch (descriptor.place) {
    case ExtensionPlace::Item:
        return FieldScope::Item;
    case ExtensionPlace::Image:
        return FieldScope::Image;
    default:
        return FieldScope::Channel;
    }
}

FieldExtensionBase *ExtensionFieldTable::target(const FeedDocument &document,
                                                const ExtensionDescriptor &descriptor, int item)
{
    const placedExtensionManager *manager = managerOf(document, scopeOf(descriptor), item);
    if (!manager || !manager->extensionUsed(descriptor.ns))
        return nullptr;
    return FieldExtensionBase::from(manager->knownExtension(descriptor.ns).get());
}

FieldChange::ExtensionTarget ExtensionFieldTable::targetOf(const ExtensionDescriptor &descriptor)
{
    const ExtensionDescriptor *d = &descriptor;
    return [d](const FeedDocument &document, int item) { return target(document, *d, item); };
}

void ExtensionFieldTable::refreshDates(FeedDocument &document, FieldScope scope, int item)
{
    if (scope == FieldScope::Item)
        FeedFields::itemDate(document, item);
    else
        FeedFields::feedDate(document, item);
}

const QList<FeedField> &ExtensionFieldTable::rows(const ExtensionDescriptor &descriptor)
{
    // Made once per class and kept for the program's life: FeedFields holds on to them. The
    // tables stay reachable to the end (a leak checker sees them kept, not lost).
    static auto *const made = new QHash<const ExtensionDescriptor *, QList<FeedField> *>;
    if (QList<FeedField> *known = made->value(&descriptor))
        return *known;
    auto *table = new QList<FeedField>;
    const FieldScope scope = scopeOf(descriptor);
    const ExtensionDescriptor *d = &descriptor;
    for (int f = 0; f < descriptor.fieldCount(); ++f) {
        const ExtensionField &source = descriptor.field(f);
        if (source.kind == Field::Kind::List || !source.outlet)
            continue;
        FeedField row;
        row.outlet = QString::fromLatin1(source.outlet);
        row.scope = scope;
        row.kind = kindOf(source);
        row.undoName = QString::fromLatin1(source.undoName);
        row.helpAnchor = QString::fromLatin1(source.helpAnchor);
        const bool number = source.kind != Field::Kind::Text;
        row.read = [d, f, number](const FeedDocument &document, int item) {
            const FieldExtensionBase *fields = target(document, *d, item);
            if (!fields)
                return QString();
            return number ? QString::number(fields->number(f)) : fields->text(f);
        };
        row.write = [d, f, number](FeedDocument &document, int item, const QString &value) {
            FieldExtensionBase *fields = target(document, *d, item);
            if (!fields)
                return false;
            fields->setValue(f, number ? QVariant(value.toInt()) : QVariant(value));
            return true;
        };
        if (source.refreshesDate)
            row.afterEdit = [scope](FeedDocument &document, int item) {
                refreshDates(document, scope, item);
            };
        table->append(row);
    }
    made->insert(&descriptor, table);
    FeedFields::registerTable(table);
    return *table;
}

const FeedField *ExtensionFieldTable::row(const ExtensionDescriptor &descriptor, int field)
{
    const ExtensionField &source = descriptor.field(field);
    if (!source.outlet)
        return nullptr;
    for (const FeedField &row : rows(descriptor)) {
        if (row.outlet == QLatin1String(source.outlet))
            return &row;
    }
    return nullptr;
}
