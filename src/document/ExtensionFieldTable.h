#pragma once

#include "document/FeedField.h"
#include "document/FieldChange.h"

#include <QList>

struct ExtensionDescriptor;
class FieldExtensionBase;

// The feed window's rows of a namespace class: one FeedField per field of its descriptor that
// is kept as a text or a number (lists have records of their own), under the field's outlet,
// reaching the namespace's extension object of the channel, the item at the index or the image.
// The rows are made once per class and registered with FeedFields, so undo records and tools
// find them like any other field of the window.
class ExtensionFieldTable
{
public:
    static const QList<FeedField> &rows(const ExtensionDescriptor &descriptor);
    // The row of one field; nullptr for a list field.
    static const FeedField *row(const ExtensionDescriptor &descriptor, int field);

    static FieldScope scopeOf(const ExtensionDescriptor &descriptor);
    // The extension object of the descriptor's namespace at its place, while it is in use.
    static FieldExtensionBase *target(const FeedDocument &document,
                                      const ExtensionDescriptor &descriptor, int item);
    static FieldChange::ExtensionTarget targetOf(const ExtensionDescriptor &descriptor);
    // What an edit of the scope refreshes: the channel's automatic date, or the item's.
    static void refreshDates(FeedDocument &document, FieldScope scope, int item);
};
